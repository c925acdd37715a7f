#include "frmImportData.h"
#include "core/configuration/Configuration.h"
#include "documents/DeliveryImport.h"
#include "DocumentDisplay.h"
#include "documents/DeliveryTable.h"
#include "dialogs/FormUtilities.h"
#include "documents/ImportOperator.h"
#include "objdb/TableData.h"
#include "dialogs/WindowRegistry.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

// ---- the grid's model ------------------------------------------------------------------------------

class DeliveryTableModel : public QAbstractTableModel {
public:
    void setTable(const DeliveryTable* table)
    {
        beginResetModel();
        m_table = table;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !m_table ? 0 : int(m_table->rowCount());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !m_table ? 0 : m_table->columnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!m_table || !index.isValid()) return {};
        const DeliveryTable::Kind kind = m_table->column(index.column()).kind;
        if (role == Qt::TextAlignmentRole)
            return kind == DeliveryTable::Kind::Text ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const QVariant v = m_table->value(index.row(), index.column());
        if (!v.isValid()) return {};
        const QLocale locale = displayLocale();
        switch (kind) {
        case DeliveryTable::Kind::Amount: return v.value<Currency>().toText(locale, -1, true);
        case DeliveryTable::Kind::Number: return locale.toString(v.toDouble(), 'g', 15);
        case DeliveryTable::Kind::Text: return v;
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !m_table)
            return QAbstractTableModel::headerData(section, orientation, role);
        return m_table->column(section).name;
    }

private:
    // Numbers in Italian where the system gives no language of its own.
    static QLocale displayLocale()
    {
        const QLocale system;
        return system.language() == QLocale::C ? QLocale(QLocale::Italian, QLocale::Italy) : system;
    }
    const DeliveryTable* m_table = nullptr;
};

// ---- the window ----------------------------------------------------------------------------------

frmImportData::frmImportData(QWidget* owner) : ModalDialog(owner), m_model(std::make_unique<DeliveryTableModel>())
{
    setObjectName(QStringLiteral("frmImportData"));
    setWindowTitle(QStringLiteral("Importazione Fornitura"));

    auto* label1 = new QLabel(QStringLiteral("File sorgente:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_cbFileSorgente = new QComboBox(this);
    m_cbFileSorgente->setObjectName(QStringLiteral("cbFileSorgente"));
    m_cbFileSorgente->setToolTip(QStringLiteral("Seleziona il tracciato di importazione"));
    auto* label2 = new QLabel(QStringLiteral("Note:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_txtNote = new QLineEdit(this);
    m_txtNote->setObjectName(QStringLiteral("txtNote"));
    m_txtNote->setReadOnly(true);
    m_cmdRead = CommandButton(this, "cmdRead", QStringLiteral("&Leggi Carico"),
                              QStringLiteral("Legge la fornitura per visualizzare i dati"));

    m_dgImportData = new QTableView(this);
    m_dgImportData->setObjectName(QStringLiteral("dgImportData"));
    m_dgImportData->setToolTip(QStringLiteral("Lista dei dati che verranno importati"));
    m_dgImportData->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_dgImportData->setSelectionMode(QAbstractItemView::SingleSelection);
    m_dgImportData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dgImportData->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_dgImportData->setModel(m_model.get());

    m_cmdDiffTest = CommandButton(this, "cmdDiffTest", QStringLiteral("&Rileva incongruenze"),
                                  QStringLiteral("Analizza le differenze dei campi importanti"));
    m_cmdRelate = CommandButton(this, "cmdRelate", QStringLiteral("&Associa"),
                                QStringLiteral("Associa l'elemento corrente ad un l'articolo esistente"));
    m_cmdInsert = CommandButton(this, "cmdInsert", QStringLiteral("I&nserisci"),
                                QStringLiteral("Inserisce un nuovo articolo con i dati di questo elemento"));
    m_cmdModify = CommandButton(this, "cmdModify", QStringLiteral("&Modifica"),
                                QStringLiteral("Modifica l'articolo associato"));
    m_chkAuto = new QCheckBox(QStringLiteral("&Automatico"), this);
    m_chkAuto->setObjectName(QStringLiteral("chkAuto"));
    m_chkAuto->setToolTip(QStringLiteral("Inserisce in automatico eventuali articoli nuovi"));
    m_cmdImport = CommandButton(this, "cmdImport", QStringLiteral("&Importa Carico"),
                                QStringLiteral("Avvia l'importazione della fornitura"));
    m_lblMsg = new QLabel(this);
    m_lblMsg->setObjectName(QStringLiteral("lblMsg"));
    m_lblMsg->installEventFilter(this);

    auto* head = new QGridLayout;
    head->addWidget(label1, 0, 0);
    head->addWidget(m_cbFileSorgente, 0, 1);
    head->addWidget(m_cmdRead, 0, 2);
    head->addWidget(label2, 1, 0);
    head->addWidget(m_txtNote, 1, 1, 1, 2);
    head->setColumnStretch(1, 1);
    auto* commands = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*> {m_cmdDiffTest, m_cmdRelate, m_cmdInsert, m_cmdModify, m_chkAuto})
        commands->addWidget(w);
    commands->addStretch(1);
    commands->addWidget(m_cmdImport);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(m_dgImportData, 1);
    layout->addLayout(commands);
    layout->addWidget(m_lblMsg);

    for (QPushButton* b : {m_cmdRead, m_cmdDiffTest, m_cmdRelate, m_cmdInsert}) setEmphasis(b, true);
    for (QPushButton* b : {m_cmdDiffTest, m_cmdRelate, m_cmdInsert, m_cmdModify, m_cmdImport}) b->setEnabled(false);

    connect(m_dgImportData->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { rowChanged(); });
    connect(m_cbFileSorgente, &QComboBox::activated, this, [this](int index) { chooseLayout(index); });
    connect(m_cmdRead, &QPushButton::clicked, this, [this] { readClicked(); });
    connect(m_cmdDiffTest, &QPushButton::clicked, this, [this] {
        if (!m_import || m_import->busy()) return;
        m_import->checkPass(m_chkAuto->isChecked());
        if (m_import->checkDone()) {
            setEmphasis(m_cmdDiffTest, false);
            setEmphasis(m_cmdImport, false);
        }
    });
    connect(m_cmdRelate, &QPushButton::clicked, this, [this] {
        if (m_import && !m_import->busy()) afterArticleCommand(m_import->associate(m_import->currentRow()));
    });
    connect(m_cmdInsert, &QPushButton::clicked, this, [this] {
        if (m_import && !m_import->busy()) afterArticleCommand(m_import->insertArticle(m_import->currentRow()));
    });
    connect(m_cmdModify, &QPushButton::clicked, this, [this] {
        if (m_import && !m_import->busy()) (void)m_import->editArticle(m_import->currentRow());
    });
    connect(m_cmdImport, &QPushButton::clicked, this, [this] {
        if (m_import && m_import->importPass(m_chkAuto->isChecked())) accept();
    });

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    resize(760, 480);
}

frmImportData::~frmImportData()
{
    if (m_import) m_import->loop().setFeedback(nullptr);
}

void frmImportData::bind(DeliveryImport& import)
{
    m_import = &import;
    m_import->loop().setFeedback(this);
    m_cbFileSorgente->clear();
    m_cbFileSorgente->addItems(m_import->layoutEntries());
    m_lblMsg->clear();
    if (m_cbFileSorgente->count() > 0) {
        m_cbFileSorgente->setCurrentIndex(0);
        chooseLayout(0);
    }
}

void frmImportData::chooseLayout(int index)
{
    if (!m_import) return;
    m_import->chooseLayout(index);
    m_txtNote->setText(m_import->layout() ? m_import->layout()->note : QString());
}

void frmImportData::readClicked()
{
    if (!m_import || m_import->busy() || !m_import->askToRead()) return;
    m_model->setTable(nullptr);
    m_cmdRead->setEnabled(false);
    const bool read = m_import->readAfterQuestion();
    m_cmdRead->setEnabled(true);
    if (read) {
        showTable();
        return;
    }
    for (QPushButton* b : {m_cmdImport, m_cmdRelate, m_cmdInsert, m_cmdDiffTest, m_cmdModify}) b->setEnabled(false);
}

// A read table is shown only when the reading went through.
void frmImportData::showTable()
{
    const bool rows = m_import->hasRows();
    for (QPushButton* b : {m_cmdImport, m_cmdRelate, m_cmdInsert, m_cmdDiffTest}) b->setEnabled(rows);
    if (rows) setEmphasis(m_cmdRead, false);
    m_model->setTable(m_import->table());
    m_dgImportData->resizeColumnsToContents();
    if (rows) showRow(0);
}

void frmImportData::rowChanged()
{
    if (!m_import || !m_import->hasRows()) return;
    const QModelIndex current = m_dgImportData->currentIndex();
    if (!current.isValid()) return;
    m_import->setCurrentRow(current.row());
    // A row change must never stop the operator: a failing look-up leaves the buttons as they are.
    try {
        const bool needs = m_import->rowNeedsArticle(current.row());
        setEmphasis(m_cmdRelate, needs);
        setEmphasis(m_cmdInsert, needs);
        m_cmdModify->setEnabled(!needs);
    } catch (...) { }
}

void frmImportData::afterArticleCommand(bool done)
{
    if (!done) return;
    setEmphasis(m_cmdRelate, false);
    setEmphasis(m_cmdInsert, false);
    m_cmdModify->setEnabled(true);
    m_dgImportData->viewport()->update();
}

void frmImportData::setEmphasis(QPushButton* b, bool bold)
{
    QFont f = b->font();
    f.setBold(bold);
    b->setFont(f);
}

// ---- what the import borrows ----------------------------------------------------------------------

void frmImportData::showMessage(const QString& text)
{
    m_lblMsg->setText(text);
    // Painting every line of a large file would cost more than reading it.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastPaint >= 50) {
        m_lastPaint = now;
        m_lblMsg->repaint();
    }
}

void frmImportData::letEventsRun() { QCoreApplication::processEvents(); }

void frmImportData::setBusy(bool busy)
{
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmImportData::showRow(qsizetype row)
{
    if (row < 0 || row >= m_model->rowCount()) return;
    m_dgImportData->selectRow(int(row));
    m_dgImportData->scrollTo(m_model->index(int(row), 0));
}

void frmImportData::focusGrid() { m_dgImportData->setFocus(); }

// ---- keys and closing ------------------------------------------------------------------------------

bool frmImportData::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_lblMsg && e->type() == QEvent::MouseButtonPress && m_import) m_import->loop().requestStop();
    return QDialog::eventFilter(watched, e);
}

void frmImportData::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (e->key() == Qt::Key_R && (e->modifiers() & all) == all && m_import) {
        m_import->setAdditionalCodes();
        return;
    }
    QDialog::keyPressEvent(e);
}

// Esc: a stop request while busy, else the window closes.
void frmImportData::reject()
{
    if (m_import && m_import->busy()) {
        m_import->loop().requestStop();
        return;
    }
    QDialog::reject();
}

void frmImportData::closeEvent(QCloseEvent* e)
{
    if (m_import && m_import->busy()) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void frmImportData::applyAnswer(const QString& answer)
{
    if (answer.trimmed().compare(QStringLiteral("import"), Qt::CaseInsensitive) == 0 && m_import
        && m_import->confirmAndRead())
        (void)m_import->importPass(false);
    QDialog::accept();
}

// ---- the supply form's call -----------------------------------------------------------------------

namespace {
// The caller's pointer while the rows are added.
class CallerPointer : public ImportFeedback {
public:
    explicit CallerPointer(QWidget* caller) : m_caller(caller) { }
    void setBusy(bool busy) override
    {
        if (!m_caller) return;
        if (busy)
            m_caller->setCursor(Qt::WaitCursor);
        else
            m_caller->unsetCursor();
    }
    void letEventsRun() override { QCoreApplication::processEvents(); }

private:
    QWidget* m_caller;
};
}   // namespace

void frmImportData::Import(QWidget* caller, TableData& supply, TableData& supplyRows, TableData& layouts,
                           ImportOperator& op, bool& ok)
{
    ok = false;
    DeliveryImport import(*supply.GetDatabase(), op);
    import.setLayouts(layouts);
    {
        frmImportData window(caller);
        window.bind(import);
        window.runModal();
        import.loop().setFeedback(nullptr);
    }
    CallerPointer pointer(caller);
    ok = import.addRowsToSupply(supply, supplyRows, &pointer);
}

MV_REGISTER_WINDOW(frmImportData);
