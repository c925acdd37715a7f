#include "frmForniture.h"

#include "objdb/Database.h"
#include "core/DatabaseFiles.h"
#include "DocumentDisplay.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/TableData.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

QPointer<frmForniture>& openWindow()
{
    static QPointer<frmForniture> window;
    return window;
}

QLineEdit* shownText(QWidget* parent, const char* name)
{
    auto* t = new QLineEdit(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setReadOnly(true);
    t->setFocusPolicy(Qt::NoFocus);
    return t;
}

}  // namespace

frmForniture::frmForniture(Database& db, QWidget* owner, DocumentOperator* op)
    : DocumentForm(DocumentKind::Supply, db, owner)
{
    setCaption("frmForniture", QStringLiteral("Fornitura Articoli"));
    m_doc = std::make_unique<SupplyDocument>(db, documentOperator(op));
    build();
    Load();
    watchKeys();
}

frmForniture::~frmForniture()
{
    if (!unloaded())
        unload();
    if (openWindow() == this)
        openWindow() = nullptr;
}

frmForniture* frmForniture::Instance() { return openWindow(); }

void frmForniture::Open(QWidget* owner, TableData* supply)
{
    if (frmForniture* open = openWindow()) {
        open->activateWindow();
        return;
    }
    if (!g_objDatabase || (supply && supply->HasNoCurrentRow()))
        return;
    frmForniture window(*g_objDatabase, owner);
    openWindow() = &window;
    const bool opened = supply ? window.Edit_Fornitura(supply) : window.Activate();
    if (opened)
        (void)window.runModal();
}

// ---- the window -------------------------------------------------------------------------------------------

void frmForniture::build()
{
    m_txtFornitore = shownText(this, "txtFornitore");
    m_cmdSet_Fornitore = button("cmdSet_Fornitore", QStringLiteral("..."), QStringLiteral("Imposta il fornitore"));
    m_txtTipoDocumento = shownText(this, "txtTipoDocumento");
    m_cmdSet_TipoDocumento = button("cmdSet_TipoDocumento", QStringLiteral("..."));
    m_txtDocumento = new QLineEdit(this);
    m_txtDocumento->setObjectName(QStringLiteral("txtDocumento"));
    m_txtDataOra = shownText(this, "txtDataOra");
    m_cmdSet_DataOra = button("cmdSet_DataOra", QStringLiteral("..."), QStringLiteral("Imposta la Data / Ora"));
    m_txtNote = new QPlainTextEdit(this);
    m_txtNote->setObjectName(QStringLiteral("txtNote"));
    m_txtNote->setToolTip(QStringLiteral("Ctrl+Invio per nuova linea"));
    m_txtNote->setTabChangesFocus(true);
    m_txtNote->setMaximumHeight(m_txtNote->fontMetrics().lineSpacing() * 3 + 12);
    m_cmdImport = button("cmdImport", QStringLiteral("&Importa"),
                         QStringLiteral("Attiva l'importazione della fornitura attraverso il tracciato dati impostato"));
    m_chkSoloArticoliFornitore = new QCheckBox(QStringLiteral("Solo articoli del fornitore in ricerca   [F4]"), this);
    m_chkSoloArticoliFornitore->setObjectName(QStringLiteral("chkSoloArticoliFornitore"));
    m_chkSoloArticoliFornitore->setToolTip(
        QStringLiteral("Restringe il campo di ricerca degli articoli (vedi tasto Agg.F2) considerando solo quelli "
                       "relativi al fornitore selezionato"));
    buildTotals(QStringLiteral("Conferma la fornitura"), QStringLiteral("Annulla la fornitura"));
    m_lblTotale->setToolTip(QStringLiteral("Totale calcolato"));
    m_lblTotaleConv->setToolTip(QStringLiteral("Totale calcolato in Euro"));

    auto* header = new QGridLayout;
    header->addWidget(label("Label1", QStringLiteral("Fornitore:")), 0, 0);
    header->addWidget(m_txtFornitore, 0, 1);
    header->addWidget(m_cmdSet_Fornitore, 0, 2);
    header->addWidget(m_txtTipoDocumento, 0, 4);
    header->addWidget(m_cmdSet_TipoDocumento, 0, 5);
    QLabel* documentLabel = label("Label2", QStringLiteral("Documento:"));
    documentLabel->setBuddy(m_txtDocumento);
    header->addWidget(documentLabel, 1, 0);
    header->addWidget(m_txtDocumento, 1, 1);
    header->addWidget(label("Label3", QStringLiteral("Data / Ora:")), 1, 3);
    header->addWidget(m_txtDataOra, 1, 4);
    header->addWidget(m_cmdSet_DataOra, 1, 5);
    QLabel* noteLabel = label("Label6", QStringLiteral("&Note:"));
    noteLabel->setBuddy(m_txtNote);
    header->addWidget(noteLabel, 2, 0, Qt::AlignTop);
    header->addWidget(m_txtNote, 2, 1, 1, 4);
    header->addWidget(m_cmdImport, 2, 5, Qt::AlignTop);
    header->setColumnStretch(1, 1);
    header->setColumnStretch(4, 1);
    header->setColumnMinimumWidth(3, 80);

    layOut(header, {m_chkSoloArticoliFornitore});

    connect(m_cmdSet_Fornitore, &QPushButton::clicked, this, [this] { cmdSet_Fornitore_Click(); });
    connect(m_cmdSet_TipoDocumento, &QPushButton::clicked, this, [this] { cmdSet_TipoDocumento_Click(); });
    connect(m_cmdSet_DataOra, &QPushButton::clicked, this, [this] { cmdSet_DataOra_Click(); });
    connect(m_cmdImport, &QPushButton::clicked, this, [this] { cmdImport_Click(); });
    connect(m_txtDocumento, &QLineEdit::textEdited, this, [this](const QString& text) { documentNumberEdited(text); });
    connect(m_txtNote, &QPlainTextEdit::textChanged, this, [this] { m_doc->SetNote(m_txtNote->toPlainText()); });
    connect(m_chkSoloArticoliFornitore, &QCheckBox::toggled, this,
            [this](bool on) { m_doc->rowEntry().supplierArticlesOnly = on; });
}

void frmForniture::Load()
{
    for (QLineEdit* t : {m_txtFornitore, m_txtDataOra, m_txtTipoDocumento, m_txtDocumento, m_txtCode_Articolo})
        t->clear();
    {
        const QSignalBlocker quiet(m_txtNote);
        m_txtNote->clear();
    }
    loadTotals();
    m_cmdImport->setEnabled(false);
    loadForm();
}

qint64 frmForniture::documentKey() const
{
    TableData* supply = m_doc->supply();
    return supply && !supply->HasNoCurrentRow() ? supply->GetOID() : 0;
}

void frmForniture::changeEvent(QEvent* event)
{
    DocumentForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !unloaded() && !m_doc->isOpen())
        (void)Activate();
}

// ---- the supply --------------------------------------------------------------------------------------------

bool frmForniture::Activate()
{
    static bool activating = false;
    if (activating || unloaded())
        return !unloaded();
    if (m_doc->isOpen())
        return true;
    activating = true;
    focusCodeBox();
    const bool ok = m_doc->Activate(codeBoxTarget());
    activating = false;
    if (!ok) {
        unload();
        return false;
    }
    after(SupplyDocument::After::NextSupply);
    return true;
}

bool frmForniture::Edit_Fornitura(TableData* dataSet)
{
    if (!m_doc->Edit_Fornitura(dataSet)) {
        unload();
        return false;
    }
    if (m_doc->isEditing())
        showCaption(true);
    Refresh_Articoli();
    return true;
}

void frmForniture::Show_Fornitura()
{
    const SupplyDocument::Header h = m_doc->header();
    m_txtFornitore->setText(h.supplier);
    m_txtTipoDocumento->setText(h.documentType);
    if (m_txtDocumento->text() != h.document)
        m_txtDocumento->setText(h.document);
    m_txtDataOra->setText(DocumentTimeText(h.date));
    if (m_txtNote->toPlainText() != h.note) {
        const QSignalBlocker quiet(m_txtNote);
        m_txtNote->setPlainText(h.note);
    }
    showTotals(h.total, !h.convertedName.isEmpty(), h.convertedTotal);
    m_cmdImport->setEnabled(h.importEnabled);
}

void frmForniture::rowsChanged() { Show_Fornitura(); }

void frmForniture::documentNumberEdited(const QString& text)
{
    // Letters appear in capitals as they are typed, whatever the keyboard's state.
    const QString upper = text.toUpper();
    if (upper != text) {
        const int cursor = m_txtDocumento->cursorPosition();
        m_txtDocumento->setText(upper);
        m_txtDocumento->setCursorPosition(cursor);
    }
    m_doc->SetDocumentNumber(upper);
}

void frmForniture::after(SupplyDocument::After next)
{
    switch (next) {
    case SupplyDocument::After::Stay:
        Show_Fornitura();
        focusCodeBox();
        break;
    case SupplyDocument::After::NextSupply:
        showCaption();
        Refresh_Articoli();
        break;
    case SupplyDocument::After::Unload:
        unload();
        break;
    }
}

void frmForniture::cmdConfirm_Click()
{
    if (!m_doc->isOpen())
        return;
    const SupplyDocument::After next = confirmDocument([this] { return m_doc->Confirm(); });
    if (next != SupplyDocument::After::Stay)
        m_txtCode_Articolo->clear();
    after(next);
    if (next == SupplyDocument::After::Stay)
        takeWaitingCode();
}

void frmForniture::cmdCancel_Click()
{
    const SupplyDocument::After next = m_doc->Cancel();
    if (next != SupplyDocument::After::Unload)
        m_txtCode_Articolo->clear();
    after(next);
}

// ---- header commands ------------------------------------------------------------------------------------------

void frmForniture::cmdSet_Fornitore_Click()
{
    if (m_doc->SetSupplier())
        Refresh_Articoli(selectedRow());
    focusCodeBox();
}

void frmForniture::cmdSet_TipoDocumento_Click()
{
    if (m_doc->SetDocumentType())
        Refresh_Articoli(selectedRow());
    focusCodeBox();
}

void frmForniture::cmdSet_DataOra_Click()
{
    if (m_doc->SetDate())
        Refresh_Articoli(selectedRow());
    focusCodeBox();
}

void frmForniture::cmdImport_Click()
{
    if (m_cmdImport->isEnabled()) {
        (void)m_doc->Import(this);
        Refresh_Articoli();
    }
    focusCodeBox();
}

// ---- keys and answers -------------------------------------------------------------------------------------------

bool frmForniture::formCommand(RowKeyCommand command)
{
    if (command != RowKeyCommand::SwitchSupplierOnly)
        return false;
    m_chkSoloArticoliFornitore->setChecked(!m_chkSoloArticoliFornitore->isChecked());
    return true;
}

bool frmForniture::answerButton(const QString& name)
{
    const auto is = [&](const char* caption) { return name.compare(QLatin1String(caption), Qt::CaseInsensitive) == 0; };
    if (is("Fornitore"))
        cmdSet_Fornitore_Click();
    else if (is("Tipo"))
        cmdSet_TipoDocumento_Click();
    else if (is("Data"))
        cmdSet_DataOra_Click();
    else if (is("Importa"))
        cmdImport_Click();
    else if (name.startsWith(QStringLiteral("Documento="), Qt::CaseInsensitive)) {
        m_txtDocumento->setText(name.mid(10));
        documentNumberEdited(m_txtDocumento->text());
    } else
        return false;
    return true;
}
