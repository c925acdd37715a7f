#include "DocumentForm.h"

#include "core/seams/CounterServices.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "DocumentDisplay.h"
#include "dialogs/FormUtilities.h"
#include "dialogs/LineEditBarcodeTarget.h"
#include "objdb/ui/GridLayout.h"
#include "objdb/ui/LibraryApplication.h"
#include "LibraryDocumentOperator.h"
#include "core/seams/MainWindowServices.h"
#include "objdb/ui/ObjDataGrid.h"
#include "core/serial/SerialLines.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The keys an answer line names in angle brackets.
int namedKey(const QString& name)
{
    if (name.size() >= 2 && name.size() <= 3 && name[0] == u'F') {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 12) return Qt::Key_F1 + n - 1;
    }
    if (name.compare(QStringLiteral("Canc"), Qt::CaseInsensitive) == 0) return Qt::Key_Delete;
    if (name.compare(QStringLiteral("Ins"), Qt::CaseInsensitive) == 0) return Qt::Key_Insert;
    if (name.compare(QStringLiteral("Home"), Qt::CaseInsensitive) == 0) return Qt::Key_Home;
    return 0;
}

// A digit key pressed with Shift held reports the symbol over it ("!" for 1); the code typed
// with Ctrl+Shift wants the digit. The main keyboard's digit row, by its key position.
int physicalKey(const QKeyEvent& k)
{
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        const quint32 scan = k.nativeScanCode();
        if (scan >= 10 && scan <= 19) return Qt::Key_0 + int(scan - 9) % 10;
    }
    return k.key();
}

// A box where the operator writes text of the document (a note, a document number): its
// editing keys stay its own.
bool isTextBox(QObject* watched, const QLineEdit* codeBox)
{
    if (watched == codeBox) return false;
    if (auto* line = qobject_cast<QLineEdit*>(watched)) return !line->isReadOnly();
    return qobject_cast<QPlainTextEdit*>(watched) != nullptr;
}

bool isEditingKey(int key)
{
    switch (key) {
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_Insert:
    case Qt::Key_Down:
    case Qt::Key_PageDown: return true;
    default: return false;
    }
}

}   // namespace

DocumentForm::DocumentForm(DocumentKind kind, Database& db, QWidget* owner) : ModalDialog(owner), m_db(db), m_kind(kind)
{
    // A window of its own beside the main window, with its own size and close box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);

    m_lblArticolo = label("Label4", QStringLiteral("Articolo:"));
    m_txtCode_Articolo = new QLineEdit(this);
    m_txtCode_Articolo->setObjectName(QStringLiteral("txtCode_Articolo"));
    m_txtCode_Articolo->setToolTip(
        QStringLiteral("Codice articolo (usa il lettore oppure premi Ctrl+Shift e Digita il codice)"));
    m_lblArticolo->setBuddy(m_txtCode_Articolo);
    m_cmdAutoAdd = button("cmdAutoAdd", QStringLiteral("Agg. [F2]"));
    m_cmdAdd = button("cmdAdd", QStringLiteral("+"), QString::fromUtf8("Aggiunge la quantità all'articolo corrente"));
    m_cmdSub = button("cmdSub", QStringLiteral("-"), QString::fromUtf8("Sottrae la quantità all'articolo corrente"));
    m_cmdEdit_Quantita
        = button("cmdEdit_Quantita", QString::fromUtf8("&Quantità [F5]"),
                 QString::fromUtf8("Modifica la quantità dell'articolo selezionato (negativa per Reso)"));
    m_cmdEdit = button("cmdEdit", QStringLiteral("&Modifica [F12]"), QStringLiteral("Modifica l'articolo selezionato"));
    m_cmdDeleteItem = button("cmdDeleteItem", QStringLiteral("&Elimina [F10]"),
                             QStringLiteral("Elimina l'articolo selezionato (tasto [Canc])"));
    m_cmdAddItem
        = button("cmdAddItem", QStringLiteral("&Definisci"), QStringLiteral("Definisci l'articolo manualmente"));
    m_chkFind_Aggiuntivo = new QCheckBox(QStringLiteral("Cerca codice a&ggiuntivo [F8]"), this);
    m_chkFind_Aggiuntivo->setObjectName(QStringLiteral("chkFind_Aggiuntivo"));
    m_chkFind_Aggiuntivo->setToolTip(QStringLiteral("Attiva la ricerca degli articoli anche con Codice Aggiuntivo"));
    m_cmdGridSetting = button("cmdGridSetting", QStringLiteral("..."), QStringLiteral("Impostazioni Griglia"));
    m_dgArticoli = new ObjDataGrid(this, QStringLiteral("dgArticoli"));

    m_mnuGridSetting = new QMenu(QStringLiteral("&Impostazione Griglia"), this);
    m_mnuGridSetting->setObjectName(QStringLiteral("mnuGridSetting"));
    QAction* all = m_mnuGridSetting->addAction(QStringLiteral("Visualizza &tutti i campi"));
    all->setObjectName(QStringLiteral("mnuGridFldAll"));
    m_mnuGridSetting->addSeparator();
    m_mnuGridFldSequence = m_mnuGridSetting->addAction(QStringLiteral("Imposta &sequenza campi..."));
    m_mnuGridFldSequence->setObjectName(QStringLiteral("mnuGridFldSequence"));
    m_mnuGridFldSequence->setCheckable(true);
    QAction* reset = m_mnuGridSetting->addAction(QStringLiteral("Annulla sequenza campi e dimensioni"));
    reset->setObjectName(QStringLiteral("mnuGridCancel"));
    connect(all, &QAction::triggered, this, [this] { mnuGridFldAll_Click(); });
    connect(m_mnuGridFldSequence, &QAction::triggered, this, [this] { mnuGridFldSequence_Click(); });
    connect(reset, &QAction::triggered, this, [this] { mnuGridCancel_Click(); });

    connect(m_cmdAutoAdd, &QPushButton::clicked, this, [this] { cmdAutoAdd_Click(); });
    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(m_cmdSub, &QPushButton::clicked, this, [this] { cmdSub_Click(); });
    connect(m_cmdEdit_Quantita, &QPushButton::clicked, this, [this] { cmdEdit_Quantita_Click(); });
    connect(m_cmdEdit, &QPushButton::clicked, this, [this] { cmdEdit_Click(); });
    connect(m_cmdDeleteItem, &QPushButton::clicked, this, [this] { cmdDeleteItem_Click(); });
    connect(m_cmdAddItem, &QPushButton::clicked, this, [this] { cmdAddItem_Click(); });
    connect(m_cmdGridSetting, &QPushButton::clicked, this, [this] {
        m_mnuGridSetting->exec(m_cmdGridSetting->mapToGlobal(QPoint(0, m_cmdGridSetting->height())));
        focusCodeBox();
    });
    connect(m_chkFind_Aggiuntivo, &QCheckBox::toggled, this, [this](bool on) {
        if (DocumentRows* rows = rowEntry()) rows->findAdditionalCode = on;
    });
    connect(m_txtCode_Articolo, &QLineEdit::textChanged, this, [this](const QString& text) { codeChanged(text); });
    connect(m_dgArticoli, &ObjDataGrid::RowColChange, this, [this] { selectedRowChanged(); });
}

DocumentForm::~DocumentForm()
{
    // The grid's rows go with this window, the grid after it.
    m_dgArticoli->Detach();
    if (m_openSlot && *m_openSlot == this) *m_openSlot = nullptr;
}

Database* DocumentForm::workingDatabase(TableData* document)
{
    if (!g_objDatabase || (document && document->HasNoCurrentRow())) return nullptr;
    return g_objDatabase.get();
}

QPushButton* DocumentForm::button(const char* name, const QString& caption, const QString& tip)
{
    // Enter belongs to the code box, never to a button.
    QPushButton* b = CommandButton(this, name, caption, tip);
    b->setDefault(false);
    return b;
}

QLineEdit* DocumentForm::shownText(const char* name, const QString& tip)
{
    auto* t = new QLineEdit(this);
    t->setObjectName(QString::fromLatin1(name));
    t->setReadOnly(true);
    t->setFocusPolicy(Qt::NoFocus);
    t->setToolTip(tip);
    return t;
}

QLabel* DocumentForm::label(const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

DocumentOperator& DocumentForm::documentOperator(DocumentOperator* op)
{
    if (op) return *op;
    if (!m_ownOperator) m_ownOperator = std::make_unique<LibraryDocumentOperator>(this);
    return *m_ownOperator;
}

void DocumentForm::setCaption(const char* name, const QString& caption)
{
    setObjectName(QString::fromLatin1(name));
    m_caption = caption;
    showCaption();
}

void DocumentForm::showCaption(bool edited)
{
    setWindowTitle(edited ? m_caption + QStringLiteral(" - MODIFICA ") : m_caption);
}

namespace {
// A total's label keeps its size while the amounts fit it: a label that follows its text
// has the whole window laid out again at every scan. It grows when an amount needs more.
void fitTotal(QLabel* label, const QString& text)
{
    if (label->text() == text) return;
    label->setText(text);
    const QSize wanted = label->sizeHint();
    if (wanted.width() > label->maximumWidth() || wanted.height() > label->maximumHeight())
        label->setFixedSize(wanted.expandedTo(label->minimumSize()));
}

// The size a total's label starts with: as wide as the window ever made it, as high as its font.
void sizeTotal(QLabel* label, int width)
{
    label->setText(QStringLiteral("0,00"));
    label->setFixedSize(label->sizeHint().expandedTo(QSize(width, 0)));
    label->clear();
}
}   // namespace

void DocumentForm::buildTotals(const QString& confirmTip, const QString& cancelTip)
{
    m_lblTotale = label("lblTotale", QString());
    QFont big = m_lblTotale->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.8);
    m_lblTotale->setFont(big);
    m_lblTotale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sizeTotal(m_lblTotale, 160);
    m_lblAltraValuta = label("lblAltraValuta", QString());
    m_lblTotaleConv = label("lblTotaleConv", QString());
    sizeTotal(m_lblTotaleConv, 0);
    m_cmdConfirm = button("cmdConfirm", QStringLiteral("&Conferma"), confirmTip);
    m_cmdCancel = button("cmdCancel", QStringLiteral("&Annulla"), cancelTip);
    connect(m_cmdConfirm, &QPushButton::clicked, this, [this] { cmdConfirm_Click(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void DocumentForm::layOut(QLayout* header, std::initializer_list<QWidget*> marks)
{
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(m_lblArticolo);
    codeRow->addWidget(m_txtCode_Articolo, 1);
    for (QWidget* w :
         {static_cast<QWidget*>(m_cmdAutoAdd), static_cast<QWidget*>(m_cmdAdd), static_cast<QWidget*>(m_cmdSub),
          static_cast<QWidget*>(m_cmdEdit_Quantita), static_cast<QWidget*>(m_cmdEdit),
          static_cast<QWidget*>(m_cmdDeleteItem), static_cast<QWidget*>(m_cmdAddItem)})
        codeRow->addWidget(w);
    auto* optionRow = new QHBoxLayout;
    optionRow->addWidget(m_chkFind_Aggiuntivo);
    optionRow->addSpacing(16);
    for (QWidget* w : marks) optionRow->addWidget(w);
    optionRow->addStretch(1);
    optionRow->addWidget(m_cmdGridSetting);

    auto* pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    auto* bottom = new QHBoxLayout(pnlBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addWidget(label("Label5", QStringLiteral("Totale:")));
    bottom->addWidget(m_lblTotale);
    bottom->addSpacing(16);
    bottom->addWidget(m_lblAltraValuta);
    bottom->addWidget(m_lblTotaleConv);
    bottom->addStretch(1);
    bottom->addWidget(m_cmdConfirm);
    bottom->addWidget(m_cmdCancel);

    auto* box = new QVBoxLayout(this);
    box->addLayout(header);
    box->addLayout(codeRow);
    box->addLayout(optionRow);
    box->addWidget(m_dgArticoli, 1);
    box->addWidget(pnlBottom);
    setMinimumSize(720, 420);
    resize(900, 600);
}

void DocumentForm::loadTotals()
{
    m_lblTotale->clear();
    m_lblTotaleConv->clear();
    const auto second = m_db.ConversionCurrency();
    m_lblAltraValuta->setText(second ? second->Name() + u':' : QString());
    m_lblAltraValuta->setVisible(second != nullptr);
    m_lblTotaleConv->setVisible(second != nullptr);
    // A tip that speaks of the converted total names its currency.
    if (second && !m_lblTotaleConv->toolTip().isEmpty())
        m_lblTotaleConv->setToolTip(m_lblTotaleConv->toolTip() + u' ' + second->Name());
}

void DocumentForm::showTotals(Currency total, bool converted, Currency convertedTotal)
{
    fitTotal(m_lblTotale, AmountText(m_db, total));
    fitTotal(m_lblTotaleConv, converted ? AmountText(m_db, convertedTotal, true) : QString());
}

void DocumentForm::confirming(bool on)
{
    m_confirming = on;
    m_cmdConfirm->setEnabled(!on);
    m_cmdCancel->setEnabled(!on);
}

QStringList DocumentForm::hiddenColumns() const { return rowNames(m_kind).hiddenColumns; }

void DocumentForm::answerButtons(
    std::initializer_list<std::tuple<const char*, QWidget*, std::function<void()>>> buttons)
{
    for (const auto& [name, control, press] : buttons)
        m_answerButtons.append({QString::fromLatin1(name), control, press});
}

bool DocumentForm::answerButton(const QString& name)
{
    for (const AnswerButton& b : m_answerButtons)
        if (name.compare(b.name, Qt::CaseInsensitive) == 0) {
            if (!b.control || AnswerReaches(*this, *b.control, b.name)) b.press();
            return true;
        }
    return false;
}

// ---- the document ---------------------------------------------------------------------------------------

DocumentRows* DocumentForm::rowEntry() { return m_session ? &m_session->rowEntry() : nullptr; }

TableData* DocumentForm::documentRows() { return m_session ? m_session->rows() : nullptr; }

qint64 DocumentForm::documentKey() const
{
    TableData* document = m_session ? m_session->document() : nullptr;
    return document && !document->HasNoCurrentRow() ? document->GetOID() : 0;
}

bool DocumentForm::Activate()
{
    if (m_activating || unloaded()) return !unloaded();
    m_activating = true;
    const bool open = m_session->isOpen();
    if (!open) {
        focusCodeBox();
        documentComing();
    }
    const bool ok = m_session->Activate(codeBoxTarget());
    m_activating = false;
    if (!ok) {
        unload();
        return false;
    }
    if (!open) after(DocumentSession::After::Next);
    return true;
}

bool DocumentForm::Edit(TableData* dataSet)
{
    if (!m_session->EditDocument(dataSet)) {
        unload();
        return false;
    }
    if (m_session->isEditing()) showCaption(true);
    showDocument();
    return true;
}

void DocumentForm::changeEvent(QEvent* event)
{
    ModalDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !unloaded()) (void)Activate();
}

void DocumentForm::after(DocumentSession::After next)
{
    switch (next) {
    case DocumentSession::After::Stay:
        showHeader();
        focusCodeBox();
        break;
    case DocumentSession::After::Next:
        // A new document is no edit, whatever the one before was.
        showCaption();
        documentComing();
        showDocument();
        break;
    case DocumentSession::After::Unload:
        documentClosed();
        unload();
        break;
    }
}

void DocumentForm::cmdConfirm_Click()
{
    if (m_session->busy() || !m_session->isOpen()) return;
    const DocumentSession::After next = confirmDocument([this] { return m_session->Confirm(); });
    confirmEnded();
    if (next != DocumentSession::After::Stay) m_txtCode_Articolo->clear();
    after(next);
    if (next == DocumentSession::After::Stay) takeWaitingCode();
}

void DocumentForm::cmdCancel_Click()
{
    if (m_session->busy()) return;
    const DocumentSession::After next = m_session->Cancel();
    if (next != DocumentSession::After::Unload) m_txtCode_Articolo->clear();
    after(next);
}

void DocumentForm::cmdSet_Counterpart_Click()
{
    if (m_session->SetCounterpart()) Refresh_Articoli(selectedRow());
    focusCodeBox();
}

// ---- load and unload ------------------------------------------------------------------------------------

void DocumentForm::loadForm()
{
    RestoreFormPosition(this, false, false);
    m_layout = LibraryApplication::Instance().GetGridLayout(QString(), rowNames(m_kind).layoutName);
    m_mnuGridFldSequence->setChecked(hasOwnSequence());
    applyDefaultSequence();
    EnableMainForm(false);
}

std::shared_ptr<BarcodeTarget> DocumentForm::codeBoxTarget() { return LineEditBarcodeTarget(m_txtCode_Articolo); }

void DocumentForm::reject()
{
    // When the system ends the program nobody is there to answer: the document is given up.
    if (!m_unloaded && !systemEnding() && !m_session->QueryClose()) {
        focusCodeBox();
        return;
    }
    unload();
}

void DocumentForm::unload()
{
    if (m_unloaded) return;
    m_unloaded = true;
    documentClosed();
    m_session->Unload();
    syncGrid(0);
    SaveFormPosition(this, false);
    if (m_layout && m_layout->IsChanged()) (void)m_layout->Save();
    EnableMainForm(true);
    if (MainWindowServices* mw = mainWindowServices())
        if (QWidget* main = mw->mainWidget(); main && main->isVisible() && main->isEnabled()) main->activateWindow();
    done(QDialog::Rejected);
}

// ---- the rows -----------------------------------------------------------------------------------------

qint64 DocumentForm::selectedRow() const
{
    if (!m_gridRows) return 0;
    const std::optional<qint64> bookmark = m_dgArticoli->Bookmark();
    return bookmark.value_or(0);
}

void DocumentForm::Refresh_Articoli(qint64 row)
{
    m_session->Refresh_Articoli(row);
    syncGrid(row);
    rowsChanged();
    focusCodeBox();
}

// The grid reads a copy of the document's rows: the document may drop its own data set (a
// confirmed sale, a supply's rows read anew) while a dialog still lets the grid paint.
void DocumentForm::syncGrid(qint64 row)
{
    TableData* rows = m_unloaded ? nullptr : documentRows();
    if (!rows) {
        m_dgArticoli->Detach();
        m_gridRows.reset();
        m_boundRows = nullptr;
        return;
    }
    const qint64 owner = documentKey();
    if (!m_gridRows || rows != m_boundRows || owner != m_boundOwner) {
        std::unique_ptr<TableData> copy = rows->Clone();
        m_boundHidden = hiddenColumns();
        m_dgArticoli->BindLayout(m_layout, m_boundHidden);
        m_dgArticoli->SetDataSet(copy.get());
        m_gridRows = std::move(copy);
        m_boundRows = rows;
        m_boundOwner = owner;
    } else if (hiddenColumns() != m_boundHidden) {
        bindGrid();
    } else {
        m_dgArticoli->Refresh();
    }
    const qint64 current = row ? row : (rows->HasNoCurrentRow() ? 0 : rows->GetOID());
    if (current) m_dgArticoli->SetBookmark(current);
}

void DocumentForm::bindGrid()
{
    if (!m_gridRows) return;
    const std::optional<qint64> current = m_dgArticoli->Bookmark();
    m_boundHidden = hiddenColumns();
    m_dgArticoli->BindLayout(m_layout, m_boundHidden);
    m_dgArticoli->SetDataSet(m_gridRows.get());
    if (current) m_dgArticoli->SetBookmark(*current);
}

// The rows' own fields alone say little at the counter: the grid shows a row's article (its
// code and description) unless the operator chose the columns.
void DocumentForm::applyDefaultSequence()
{
    if (m_layout && m_layout->FieldSequence().isEmpty()) m_layout->SetFieldSequence(rowNames(m_kind).defaultColumns);
}

bool DocumentForm::hasOwnSequence() const
{
    return m_layout && !m_layout->FieldSequence().isEmpty()
        && m_layout->FieldSequence() != rowNames(m_kind).defaultColumns;
}

void DocumentForm::focusCodeBox()
{
    if (m_txtCode_Articolo->isVisibleTo(this) && m_txtCode_Articolo->isEnabled()) m_txtCode_Articolo->setFocus();
}

void DocumentForm::show(const DocumentRows::Result& result)
{
    if (result.clearCode) m_txtCode_Articolo->clear();
    if (result.changed)
        refreshRows(result.row);
    else
        focusCodeBox();
}

// A scan changes the rows and the totals only: the header is not read again for it.
void DocumentForm::refreshRows(qint64 row)
{
    m_session->Refresh_Articoli(row);
    syncGrid(row);
    rowsEdited();
    focusCodeBox();
}

template <class F> void DocumentForm::rowCommand(F&& command)
{
    DocumentRows* rows = rowEntry();
    // One command at a time: a code scanned while a command's dialog is open waits in the box.
    if (!rows || m_inCommand || m_confirming || !documentRows()) {
        focusCodeBox();
        return;
    }
    m_inCommand = true;
    DocumentRows::Result result;
    try {
        result = command(*rows);
    } catch (...) {
        m_inCommand = false;
        throw;
    }
    m_inCommand = false;
    show(result);
}

void DocumentForm::cmdAutoAdd_Click()
{
    rowCommand([this](DocumentRows& rows) { return rows.AddArticle(m_txtCode_Articolo->text()); });
}

void DocumentForm::cmdAdd_Click()
{
    rowCommand([this](DocumentRows& rows) { return rows.Increment(selectedRow(), m_txtCode_Articolo->text()); });
}

void DocumentForm::cmdSub_Click()
{
    rowCommand([this](DocumentRows& rows) { return rows.Decrement(selectedRow()); });
}

void DocumentForm::cmdEdit_Quantita_Click()
{
    rowCommand([this](DocumentRows& rows) { return rows.EditQuantity(selectedRow()); });
}

void DocumentForm::cmdDeleteItem_Click()
{
    rowCommand([this](DocumentRows& rows) { return rows.DeleteRow(selectedRow()); });
}

void DocumentForm::cmdEdit_Click()
{
    rowCommand([this](DocumentRows& rows) { return rows.EditRow(selectedRow()); });
}

void DocumentForm::cmdAddItem_Click()
{
    rowCommand([](DocumentRows& rows) { return rows.DefineRow(); });
}

// ---- the grid menu ----------------------------------------------------------------------------------------

void DocumentForm::mnuGridFldAll_Click()
{
    if (m_dgArticoli->isVisibleTo(this) && m_gridRows) m_dgArticoli->ShowAllFields();
    focusCodeBox();
}

void DocumentForm::mnuGridFldSequence_Click()
{
    if (m_dgArticoli->isVisibleTo(this) && m_gridRows && m_dgArticoli->FieldSequenceDialog()) bindGrid();
    m_mnuGridFldSequence->setChecked(hasOwnSequence());
    focusCodeBox();
}

void DocumentForm::mnuGridCancel_Click()
{
    if (m_dgArticoli->isVisibleTo(this) && m_gridRows && m_layout
        && ui().msgBox(QStringLiteral("Vuoi ripristinare le impostazioni predefinite per la griglia corrente?"),
                       int(Msg::YesNo) + Msg::Question, AppTitle())
            == Msg::Yes) {
        m_layout->Reset();
        applyDefaultSequence();
        bindGrid();
        m_mnuGridFldSequence->setChecked(false);
    }
    focusCodeBox();
}

// ---- the code box ------------------------------------------------------------------------------------------

// A code is complete when the box holds a line end: the reader sends one after each code,
// Enter adds one to a typed code.
void DocumentForm::codeChanged(const QString& text)
{
    if (m_inCommand || m_confirming || text.isEmpty() || !codesAccepted()) return;
    const QString line = GetFirstLine(text);
    if (line.isEmpty()) return;
    {
        const QSignalBlocker quiet(m_txtCode_Articolo);
        m_txtCode_Articolo->setText(line);
    }
    cmdAutoAdd_Click();
}

void DocumentForm::takeWaitingCode() { codeChanged(m_txtCode_Articolo->text()); }

bool DocumentForm::codeBoxKeyPress(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
    // Ctrl+Enter types a line feed: in an empty box it yields no code until the box is emptied.
    const QChar end = (event->modifiers() & Qt::ControlModifier) ? QChar(u'\n') : QChar(u'\r');
    if (end == u'\r' && m_txtCode_Articolo->text().isEmpty()) {
        cmdConfirm_Click();
        return true;
    }
    m_txtCode_Articolo->setText(m_txtCode_Articolo->text() + end);
    return true;
}

// ---- keys --------------------------------------------------------------------------------------------------

void DocumentForm::watchKeys()
{
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
    m_dgArticoli->View()->installEventFilter(this);
}

bool DocumentForm::runCommand(RowKeyCommand command, QObject* watched)
{
    switch (command) {
    case RowKeyCommand::None: return false;
    case RowKeyCommand::FocusGrid:
        if (watched == m_dgArticoli->View()) return false;
        m_dgArticoli->View()->setFocus();
        return true;
    case RowKeyCommand::DeleteRow: cmdDeleteItem_Click(); return true;
    case RowKeyCommand::AddArticle: cmdAutoAdd_Click(); return true;
    case RowKeyCommand::EditQuantity: cmdEdit_Quantita_Click(); return true;
    case RowKeyCommand::EditRow: cmdEdit_Click(); return true;
    case RowKeyCommand::SwitchAdditional:
        m_chkFind_Aggiuntivo->setChecked(!m_chkFind_Aggiuntivo->isChecked());
        return true;
    case RowKeyCommand::EmptyCodeBox:
        m_txtCode_Articolo->clear();
        m_txtCode_Articolo->setFocus();
        return true;
    default: return formCommand(command);
    }
}

bool DocumentForm::formKeyDown(QKeyEvent* event, QObject* watched)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool inCodeBox = watched == m_txtCode_Articolo;
    if (key == Qt::Key_Control || key == Qt::Key_Shift) {
        if (m_keyEntry.keyDown(key, mods, inCodeBox).action == KeyboardCodeEntry::Action::Start) {
            m_txtCode_Articolo->clear();
            m_txtCode_Articolo->setFocus();
            return true;
        }
        return false;
    }
    // In a note or a document number the editing keys edit the text: Delete there must not
    // remove a row of the document.
    const bool textBox = isTextBox(watched, m_txtCode_Articolo);
    if (!(textBox && isEditingKey(key)) && runCommand(KeyCommand(m_kind, key, mods, backupMarkOn()), watched))
        return true;
    if (m_keyEntry.active()) {
        const KeyboardCodeEntry::Step step = m_keyEntry.keyDown(physicalKey(*event), mods, inCodeBox);
        if (step.action == KeyboardCodeEntry::Action::Append) {
            m_txtCode_Articolo->setText(m_txtCode_Articolo->text() + step.text);
            return true;
        }
    }
    if (watched == m_dgArticoli->View() && (key == Qt::Key_Up || key == Qt::Key_PageUp)
        && m_dgArticoli->CurrentRow() <= 0) {
        focusCodeBox();
        return true;
    }
    const QString typed = event->text();
    if ((typed == QStringLiteral("+") || typed == QStringLiteral("-"))
        && (inCodeBox || watched == m_dgArticoli->View())) {
        if (typed == QStringLiteral("+"))
            cmdAdd_Click();
        else
            cmdSub_Click();
        return true;
    }
    return inCodeBox && codeBoxKeyPress(event);
}

bool DocumentForm::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (formKeyDown(static_cast<QKeyEvent*>(event), watched)) return true;
        break;
    case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(event);
        if (!k->isAutoRepeat() && m_keyEntry.keyUp(k->key()).action == KeyboardCodeEntry::Action::Finish
            && focusWidget() == m_txtCode_Articolo && !m_txtCode_Articolo->text().isEmpty())
            cmdAutoAdd_Click();
        break;
    }
    case QEvent::FocusIn:
        if (watched == m_txtCode_Articolo) m_txtCode_Articolo->selectAll();
        break;
    default: break;
    }
    return ModalDialog::eventFilter(watched, event);
}

// Esc does not close a document window, and Enter presses no button: both belong to the row
// entry.
void DocumentForm::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter: event->accept(); return;
    default: ModalDialog::keyPressEvent(event);
    }
}

// ---- headless answers ---------------------------------------------------------------------------------------

QString DocumentForm::answerPrompt() const { return QStringLiteral("Articolo:"); }

void DocumentForm::applyAnswer(const QString& answer)
{
    // Codes and keys are typed in the code box, as the reader and a person type them.
    const auto codeBoxReached
        = [this] { return AnswerReaches(*this, *m_txtCode_Articolo, QStringLiteral("Articolo")); };
    if (!(answer.size() > 2 && answer.startsWith(u'<') && answer.endsWith(u'>'))) {
        // As the barcode reader hands a code over: the line and its end.
        if (codeBoxReached()) m_txtCode_Articolo->setText(answer + u'\r');
        return;
    }
    const QString name = answer.mid(1, answer.size() - 2);
    const auto pressed
        = [this](QPushButton* button, const QString& caption) { return AnswerReaches(*this, *button, caption); };
    if (const int key = namedKey(name)) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        if (codeBoxReached()) (void)formKeyDown(&press, m_txtCode_Articolo);
    } else if (name == QStringLiteral("+")) {
        if (pressed(m_cmdAdd, name)) cmdAdd_Click();
    } else if (name == QStringLiteral("-")) {
        if (pressed(m_cmdSub, name)) cmdSub_Click();
    } else if (name.compare(QStringLiteral("Invio"), Qt::CaseInsensitive) == 0) {
        if (codeBoxReached()) {
            m_txtCode_Articolo->clear();
            cmdConfirm_Click();
        }
    } else if (name.compare(QStringLiteral("Conferma"), Qt::CaseInsensitive) == 0) {
        if (pressed(m_cmdConfirm, QStringLiteral("Conferma"))) cmdConfirm_Click();
    } else if (name.compare(QStringLiteral("Annulla"), Qt::CaseInsensitive) == 0) {
        if (pressed(m_cmdCancel, QStringLiteral("Annulla"))) cmdCancel_Click();
    } else if (!answerButton(name)) {
        ui().msgBox(QStringLiteral("Comando sconosciuto: ") + answer, int(Msg::OKOnly) + Msg::Exclamation, AppTitle());
    }
}
