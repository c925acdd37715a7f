#include "frmForniture.h"

#include "objdb/Database.h"
#include "DocumentDisplay.h"
#include "frmImportData.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/TableData.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

frmForniture::frmForniture(Database& db, QWidget* owner, DocumentOperator* op)
    : DocumentForm(DocumentKind::Supply, db, owner)
{
    setCaption("frmForniture", QStringLiteral("Fornitura Articoli"));
    m_doc = std::make_unique<SupplyDocument>(db, documentOperator(op));
    attach(*m_doc);
    build();
    Load();
    watchKeys();
}

frmForniture::~frmForniture()
{
    if (!unloaded()) unload();
}

// ---- the window -------------------------------------------------------------------------------------------

void frmForniture::build()
{
    m_txtFornitore = shownText("txtFornitore");
    m_cmdSet_Fornitore = button("cmdSet_Fornitore", QStringLiteral("..."), QStringLiteral("Imposta il fornitore"));
    m_txtTipoDocumento = shownText("txtTipoDocumento");
    m_cmdSet_TipoDocumento = button("cmdSet_TipoDocumento", QStringLiteral("..."));
    m_txtDocumento = new QLineEdit(this);
    m_txtDocumento->setObjectName(QStringLiteral("txtDocumento"));
    m_txtDataOra = shownText("txtDataOra");
    m_cmdSet_DataOra = button("cmdSet_DataOra", QStringLiteral("..."), QStringLiteral("Imposta la Data / Ora"));
    m_txtNote = new QPlainTextEdit(this);
    m_txtNote->setObjectName(QStringLiteral("txtNote"));
    m_txtNote->setToolTip(QStringLiteral("Ctrl+Invio per nuova linea"));
    m_txtNote->setTabChangesFocus(true);
    m_txtNote->setMaximumHeight(m_txtNote->fontMetrics().lineSpacing() * 3 + 12);
    m_cmdImport
        = button("cmdImport", QStringLiteral("&Importa"),
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

    connect(m_cmdSet_Fornitore, &QPushButton::clicked, this, [this] { cmdSet_Counterpart_Click(); });
    connect(m_cmdSet_TipoDocumento, &QPushButton::clicked, this, [this] { cmdSet_TipoDocumento_Click(); });
    connect(m_cmdSet_DataOra, &QPushButton::clicked, this, [this] { cmdSet_DataOra_Click(); });
    connect(m_cmdImport, &QPushButton::clicked, this, [this] { cmdImport_Click(); });
    connect(m_txtDocumento, &QLineEdit::textEdited, this, [this](const QString& text) { documentNumberEdited(text); });
    connect(m_txtNote, &QPlainTextEdit::textChanged, this, [this] { m_doc->SetNote(m_txtNote->toPlainText()); });
    connect(m_chkSoloArticoliFornitore, &QCheckBox::toggled, this,
            [this](bool on) { m_doc->rowEntry().supplierArticlesOnly = on; });

    answerButtons({{"Fornitore", m_cmdSet_Fornitore, [this] { cmdSet_Counterpart_Click(); }},
                   {"Tipo", m_cmdSet_TipoDocumento, [this] { cmdSet_TipoDocumento_Click(); }},
                   {"Data", m_cmdSet_DataOra, [this] { cmdSet_DataOra_Click(); }},
                   {"Importa", m_cmdImport, [this] { cmdImport_Click(); }}});
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

// ---- the supply --------------------------------------------------------------------------------------------

void frmForniture::showHeader()
{
    const SupplyDocument::Header h = m_doc->header();
    m_txtFornitore->setText(h.counterpart);
    m_txtTipoDocumento->setText(h.documentType);
    if (m_txtDocumento->text() != h.document) m_txtDocumento->setText(h.document);
    m_txtDataOra->setText(DocumentTimeText(h.date));
    if (m_txtNote->toPlainText() != h.note) {
        const QSignalBlocker quiet(m_txtNote);
        m_txtNote->setPlainText(h.note);
    }
    showTotals(h.total, !h.convertedName.isEmpty(), h.convertedTotal);
    m_cmdImport->setEnabled(h.importEnabled);
}

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

// ---- header commands ------------------------------------------------------------------------------------------

void frmForniture::cmdSet_TipoDocumento_Click()
{
    if (m_doc->SetDocumentType()) Refresh_Articoli(selectedRow());
    focusCodeBox();
}

void frmForniture::cmdSet_DataOra_Click()
{
    if (m_doc->SetDate()) Refresh_Articoli(selectedRow());
    focusCodeBox();
}

void frmForniture::cmdImport_Click()
{
    if (m_cmdImport->isEnabled()) {
        (void)m_doc->Import([this](TableData& supply, TableData& rows, TableData& layouts, ImportOperator& op) {
            bool ok = false;
            frmImportData::Import(this, supply, rows, layouts, op, ok);
            return ok;
        });
        Refresh_Articoli();
    }
    focusCodeBox();
}

// ---- keys and answers -------------------------------------------------------------------------------------------

bool frmForniture::formCommand(RowKeyCommand command)
{
    if (command != RowKeyCommand::SwitchSupplierOnly) return false;
    m_chkSoloArticoliFornitore->setChecked(!m_chkSoloArticoliFornitore->isChecked());
    return true;
}

bool frmForniture::answerButton(const QString& name)
{
    if (!name.startsWith(QStringLiteral("Documento="), Qt::CaseInsensitive)) return DocumentForm::answerButton(name);
    m_txtDocumento->setText(name.mid(10));
    documentNumberEdited(m_txtDocumento->text());
    return true;
}
