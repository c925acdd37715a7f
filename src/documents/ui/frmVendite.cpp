#include "frmVendite.h"

#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "DocumentDisplay.h"
#include "objdb/ui/ObjDataGrid.h"
#include "SaleLoyaltyControls.h"
#include "objdb/TableData.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace {

// Colours as the window always had them, given as blue-green-red values.
QString colourOf(unsigned bgr)
{
    return QStringLiteral("color: rgb(%1, %2, %3);").arg(bgr & 0xFF).arg((bgr >> 8) & 0xFF).arg((bgr >> 16) & 0xFF);
}

void setChecked(QCheckBox* box, bool on)
{
    const QSignalBlocker quiet(box);
    box->setChecked(on);
}

}   // namespace

frmVendite::frmVendite(Database& db, QWidget* owner, DocumentOperator* op) : DocumentForm(DocumentKind::Sale, db, owner)
{
    setCaption("frmVendite", QStringLiteral("Vendita Articoli"));
    m_doc = std::make_unique<SaleDocument>(db, documentOperator(op));
    attach(*m_doc);
    m_doc->setReceiptSignal([this](bool sending) {
        m_lblFiscalMsg->setVisible(sending);
        if (sending)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        // The register's wait keeps the window drawn.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    build();
    Load();
    watchKeys();
}

frmVendite::~frmVendite()
{
    if (!unloaded()) unload();
}

// ---- the window ------------------------------------------------------------------------------------------

void frmVendite::build()
{
    m_loyalty = new SaleLoyaltyControls(this, m_doc->points());

    m_txtCliente = shownText("txtCliente");
    m_cmdSet_Cliente = button("cmdSet_Cliente", QStringLiteral("..."), QStringLiteral("Imposta il cliente [F6]"));
    m_txtDataOra = shownText("txtDataOra");
    m_cmdSet_DataOra = button("cmdSet_DataOra", QStringLiteral("..."), QStringLiteral("Imposta la Data / Ora"));
    m_txtNote = new QLineEdit(this);
    m_txtNote->setObjectName(QStringLiteral("txtNote"));
    m_chkFiscalRecord = new QCheckBox(QStringLiteral("Scontrino [F4]"), this);
    m_chkFiscalRecord->setObjectName(QStringLiteral("chkFiscalRecord"));
    m_chkFiscalRecord->setToolTip(QStringLiteral("Attiva l'emissione dello scontrino"));
    m_chkPrint_Ricevute = new QCheckBox(QStringLiteral("Ricevuta [F3]"), this);
    m_chkPrint_Ricevute->setObjectName(QStringLiteral("chkPrint_Ricevute"));
    m_chkPrint_Ricevute->setToolTip(QStringLiteral("Attiva l'emissione dello ricevuta"));
    m_lblMuoviBackup = label("lblMuoviBackup", QStringLiteral("BACKUP"));
    m_lblMuoviBackup->setToolTip(QStringLiteral("Spostamento della vendita nell'archivio di backup"));
    m_lblMuoviBackup->setCursor(Qt::PointingHandCursor);
    m_lblMuoviBackup->installEventFilter(this);
    m_mnuOptionMove = new QMenu(this);
    m_mnuOptionMove->setObjectName(QStringLiteral("mnuOptionMove"));
    m_mnuMoveToBackup = m_mnuOptionMove->addAction(QStringLiteral("Sposta la vendita nell'archivio di backup [F7]"));
    m_mnuMoveToBackup->setObjectName(QStringLiteral("mnuMoveToBackup"));
    m_mnuMoveToBackup->setCheckable(true);
    m_mnuMoveAllWithoutFiscal = m_mnuOptionMove->addAction(QStringLiteral("Sposta tutte le vendite senza scontrino"));
    m_mnuMoveAllWithoutFiscal->setObjectName(QStringLiteral("mnuMoveAllWithoutFiscal"));
    m_mnuMoveAllWithoutFiscal->setCheckable(true);

    m_lblReso = label("lblReso", QStringLiteral("RESO"));
    m_lblReso->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0); font-weight: bold;"));
    m_lblSottoScorta = label("lblSottoScorta", QStringLiteral("SCORTA"));
    m_lblSottoScorta->setToolTip(QStringLiteral("L'articolo risulta sottoscorta"));
    m_lblSottoScorta->setStyleSheet(QStringLiteral("color: rgb(192, 96, 0); font-weight: bold;"));
    m_lblFiscalMsg = label("lblFiscalMsg", QStringLiteral("Stampa in corso..."));
    m_lblFiscalMsg->setStyleSheet(QStringLiteral("color: rgb(0, 0, 160); font-weight: bold;"));
    m_lblFiscalMsg->setVisible(false);
    for (QLabel* mark : {m_lblReso, m_lblSottoScorta, m_lblFiscalMsg}) {
        QSizePolicy keep = mark->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        mark->setSizePolicy(keep);
    }

    buildTotals(QStringLiteral("Conferma la vendita"), QStringLiteral("Annulla la vendita"));

    auto* header = new QGridLayout;
    header->addWidget(label("Label1", QStringLiteral("Cliente:")), 0, 0);
    header->addWidget(m_txtCliente, 0, 1);
    header->addWidget(m_cmdSet_Cliente, 0, 2);
    header->addWidget(m_loyalty->cmdReadCard, 0, 3);
    header->addWidget(m_loyalty->lblPunti, 0, 5);
    header->addWidget(m_loyalty->lblTotalePunti, 0, 6);
    header->addWidget(m_loyalty->cmdPremium, 0, 7);
    header->addWidget(label("Label2", QStringLiteral("Data / Ora:")), 1, 0);
    header->addWidget(m_txtDataOra, 1, 1);
    header->addWidget(m_cmdSet_DataOra, 1, 2);
    header->addWidget(m_loyalty->cmdBuoni, 1, 5);
    header->addWidget(m_loyalty->cmdBuoniVendita, 1, 6);
    header->addWidget(m_loyalty->lblTotaleBuoni, 1, 7);
    QLabel* noteLabel = label("Label3", QStringLiteral("&Note:"));
    noteLabel->setBuddy(m_txtNote);
    header->addWidget(noteLabel, 2, 0);
    header->addWidget(m_txtNote, 2, 1, 1, 3);
    header->addWidget(m_chkFiscalRecord, 2, 5);
    header->addWidget(m_chkPrint_Ricevute, 2, 6);
    header->addWidget(m_lblMuoviBackup, 2, 7);
    header->setColumnStretch(1, 1);
    header->setColumnMinimumWidth(4, 24);

    layOut(header, {m_lblReso, m_lblSottoScorta, m_lblFiscalMsg});

    connect(m_cmdSet_Cliente, &QPushButton::clicked, this, [this] { cmdSet_Counterpart_Click(); });
    connect(m_cmdSet_DataOra, &QPushButton::clicked, this, [this] { cmdSet_DataOra_Click(); });
    connect(m_txtNote, &QLineEdit::textEdited, this, [this](const QString& text) { m_doc->SetNote(text); });
    connect(m_chkFiscalRecord, &QCheckBox::clicked, this, [this] { chkFiscalRecord_Click(); });
    connect(m_chkPrint_Ricevute, &QCheckBox::clicked, this, [this] { chkPrint_Ricevute_Click(); });
    connect(m_mnuMoveToBackup, &QAction::triggered, this, [this] { mnuMoveToBackup_Click(); });
    connect(m_mnuMoveAllWithoutFiscal, &QAction::triggered, this, [this] { mnuMoveAllWithoutFiscal_Click(); });
    connect(m_loyalty->cmdPremium, &QPushButton::clicked, this, [this] { cmdPremium_Click(); });
    connect(m_loyalty->cmdBuoni, &QPushButton::clicked, this, [this] { cmdBuoni_Click(); });
    connect(m_loyalty->cmdBuoniVendita, &QPushButton::clicked, this, [this] { cmdBuoniVendita_Click(); });
    connect(m_loyalty, &SaleLoyaltyControls::vouchersTotalClicked, this, [this] { cmdBuoniVendita_Click(); });
    connect(m_loyalty->cmdReadCard, &QPushButton::clicked, this, [this] { cmdReadCard_Click(); });

    answerButtons({{"Cliente", m_cmdSet_Cliente, [this] { cmdSet_Counterpart_Click(); }},
                   {"Data", m_cmdSet_DataOra, [this] { cmdSet_DataOra_Click(); }},
                   {"Premio", m_loyalty->cmdPremium, [this] { cmdPremium_Click(); }},
                   {"Buoni", m_loyalty->cmdBuoni, [this] { cmdBuoni_Click(); }},
                   {"Buoni vendita", m_loyalty->cmdBuoniVendita, [this] { cmdBuoniVendita_Click(); }},
                   {"Carta", m_loyalty->cmdReadCard, [this] { cmdReadCard_Click(); }}});
}

void frmVendite::Load()
{
    for (QLineEdit* t : {m_txtCliente, m_txtDataOra, m_txtNote, m_txtCode_Articolo}) t->clear();
    m_doc->Load();
    m_chkFiscalRecord->setEnabled(m_doc->fiscalRecordEnabled());
    m_chkPrint_Ricevute->setVisible(m_doc->printReceiptVisible());
    m_chkPrint_Ricevute->setEnabled(m_doc->printReceiptVisible());
    loadTotals();
    m_loyalty->Load(m_db);
    m_lblReso->setVisible(false);
    m_lblSottoScorta->setVisible(false);
    loadForm();
    showOptions();
}

void frmVendite::showOptions()
{
    setChecked(m_chkFiscalRecord, m_doc->fiscalRecord());
    setChecked(m_chkPrint_Ricevute, m_doc->printReceipt());
    m_mnuMoveToBackup->setChecked(m_doc->backupMark());
    m_mnuMoveToBackup->setEnabled(m_doc->backupMoveMenuEnabled());
    m_mnuMoveAllWithoutFiscal->setChecked(m_doc->moveAllWithoutFiscal());
    m_lblMuoviBackup->setStyleSheet(colourOf(m_doc->backupMark() ? 0xFF0000u : 0xFFC0C0u)
                                    + QStringLiteral(" font-weight: bold;"));
}

QStringList frmVendite::hiddenColumns() const
{
    QStringList hidden = DocumentForm::hiddenColumns();
    if (!m_doc->points().collects()) hidden << QStringLiteral("PuntiPremio");
    return hidden;
}

// A click on the archive mark pops up its menu.
bool frmVendite::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lblMuoviBackup && event->type() == QEvent::MouseButtonRelease) {
        m_mnuOptionMove->exec(m_lblMuoviBackup->mapToGlobal(QPoint(0, m_lblMuoviBackup->height())));
        focusCodeBox();
        return true;
    }
    return DocumentForm::eventFilter(watched, event);
}

// ---- the sale -------------------------------------------------------------------------------------------

void frmVendite::documentComing() { m_loyalty->NewSale(); }

void frmVendite::showDocument()
{
    showOptions();
    Refresh_Articoli();
    showHeader();
}

void frmVendite::showHeader()
{
    const SaleDocument::Header h = m_doc->header();
    m_txtCliente->setText(h.counterpart);
    m_txtDataOra->setText(DocumentTimeText(h.date));
    if (m_txtNote->text() != h.note) {
        const QSignalBlocker quiet(m_txtNote);
        m_txtNote->setText(h.note);
    }
    showTotals(h.total, !h.convertedName.isEmpty(), h.convertedTotal);
    showVouchersTotal(h.vouchers, h.vouchersAboveTotal);
    m_loyalty->Show(h);
    m_lblSottoScorta->setVisible(false);
    m_lblReso->setVisible(false);
}

// A style sheet set again restyles the label even when it is the same.
void frmVendite::showVouchersTotal(Currency vouchers, bool aboveTotal)
{
    QLabel* shown = m_loyalty->lblTotaleBuoni;
    shown->setText(AmountText(m_db, vouchers));
    const QString style = aboveTotal ? colourOf(255) : QString();
    if (shown->styleSheet() != style) shown->setStyleSheet(style);
}

void frmVendite::rowsChanged()
{
    showHeader();
    selectedRowChanged();
}

// The customer, the date, the note and the vouchers are as the sale was last shown: a scan
// changes none of them.
void frmVendite::rowsEdited()
{
    const SaleDocument::Amounts a = m_doc->amounts();
    showTotals(a.total, !a.convertedName.isEmpty(), a.convertedTotal);
    showVouchersTotal(a.vouchers, a.vouchersAboveTotal);
    if (a.pointsShown) m_loyalty->lblTotalePunti->setText(a.pointsText);
    selectedRowChanged();
}

void frmVendite::selectedRowChanged()
{
    const DocumentRows::Marks marks = m_doc->rowEntry().marks(selectedRow());
    m_lblReso->setVisible(marks.returned);
    m_lblSottoScorta->setVisible(marks.lowStock);
}

void frmVendite::documentClosed()
{
    m_loyalty->Clear();
    m_lblFiscalMsg->setVisible(false);
}

void frmVendite::confirmEnded() { m_lblFiscalMsg->setVisible(false); }

// ---- header commands -----------------------------------------------------------------------------------

void frmVendite::cmdSet_DataOra_Click()
{
    if (m_doc->SetDate()) showHeader();
    focusCodeBox();
}

void frmVendite::chkFiscalRecord_Click()
{
    m_doc->SetFiscalRecord(m_chkFiscalRecord->isChecked());
    showOptions();
}

void frmVendite::chkPrint_Ricevute_Click()
{
    m_doc->SetPrintReceipt(m_chkPrint_Ricevute->isChecked());
    showOptions();
}

void frmVendite::mnuMoveToBackup_Click()
{
    m_doc->ToggleBackupMove();
    showOptions();
}

void frmVendite::mnuMoveAllWithoutFiscal_Click()
{
    m_doc->SetMoveAllWithoutFiscal(!m_doc->moveAllWithoutFiscal());
    showOptions();
}

// ---- loyalty -------------------------------------------------------------------------------------------

void frmVendite::cmdPremium_Click()
{
    const qint64 row = selectedRow();
    if (m_doc->points().Premium(row)) {
        Refresh_Articoli(row);
        m_loyalty->ShowPrizeSignal(row);
    }
    focusCodeBox();
}

void frmVendite::cmdBuoni_Click()
{
    m_loyalty->tmBuoni->stop();
    (void)m_doc->points().UseVoucher();
    showHeader();
    focusCodeBox();
}

void frmVendite::cmdBuoniVendita_Click()
{
    m_doc->points().ShowSaleVouchers();
    showHeader();
    focusCodeBox();
}

void frmVendite::cmdReadCard_Click()
{
    if (!m_loyalty->cmdReadCard->isVisibleTo(this) || !settings().Use_Badge) return;
    if (m_doc->points().ReadCard() != SalePoints::Card::NotRead) Refresh_Articoli(selectedRow());
    focusCodeBox();
}

// ---- keys and answers -------------------------------------------------------------------------------------

bool frmVendite::formCommand(RowKeyCommand command)
{
    switch (command) {
    case RowKeyCommand::SwitchReceipt:
        if (m_chkPrint_Ricevute->isVisibleTo(this) && m_chkPrint_Ricevute->isEnabled()) {
            setChecked(m_chkPrint_Ricevute, !m_chkPrint_Ricevute->isChecked());
            chkPrint_Ricevute_Click();
        }
        return true;
    case RowKeyCommand::SwitchFiscal:
        if (m_chkFiscalRecord->isEnabled()) {
            setChecked(m_chkFiscalRecord, !m_chkFiscalRecord->isChecked());
            chkFiscalRecord_Click();
        }
        return true;
    case RowKeyCommand::ChooseCustomer: cmdSet_Counterpart_Click(); return true;
    case RowKeyCommand::MoveToBackup: mnuMoveToBackup_Click(); return true;
    case RowKeyCommand::ReadCard: cmdReadCard_Click(); return true;
    default: return false;
    }
}
