#include "SaleDocument.h"

#include "core/helpers/BusinessHelpers.h"
#include "core/seams/CounterServices.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/ObjDbError.h"
#include "printing/ScriptRunners.h"
#include "base/SettingsStore.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "printing/clsTiketScriptPrinter.h"

namespace {

const QString kFormSettings = QStringLiteral("frmVenditeSettings");
const QString kMoveAllSetting = QStringLiteral("MoveAllNoFiscalToBackup");

}   // namespace

SaleDocument::SaleDocument(Database& db, DocumentOperator& op)
    : DocumentSession(db, op, DocumentKind::Sale), m_points(op)
{ }

// ---- the window's life ------------------------------------------------------------------------------

void SaleDocument::Load()
{
    m_fiscalRecord = m_fiscalForNewSales = true;
    m_printReceipt = false;
    SetMoveAllWithoutFiscal(TextToBool(settingsStore().get(kFormSettings, kMoveAllSetting, QStringLiteral("False"))));
}

bool SaleDocument::Activate(std::shared_ptr<BarcodeTarget> codeBox)
{
    if (!m_document && !AddDocument()) return false;
    registerCodeBox(std::move(codeBox));
    return true;
}

// ---- the sale ----------------------------------------------------------------------------------------

void SaleDocument::startingNew(bool afterEdit)
{
    // An edited sale is done: new sales go to the register again as the operator had it.
    if (afterEdit && m_fiscalRecord != m_fiscalForNewSales) SetFiscalRecord(m_fiscalForNewSales);
}

// The sale had its receipt when it was made: a second one is the operator's choice.
void SaleDocument::editOpened() { m_fiscalRecord = false; }

void SaleDocument::editFailed() { m_fiscalRecord = m_fiscalForNewSales; }

void SaleDocument::documentShown() { m_points.Decide(); }

void SaleDocument::bindRows()
{
    DocumentSession::bindRows();
    m_points.bind(m_document.get(), m_rows.get());
}

SaleDocument::Header SaleDocument::header()
{
    Header h;
    if (!m_document || m_document->HasNoCurrentRow()) return h;
    fillHeader(h);
    h.vouchers = m_document->GetCurrencyValue(QStringLiteral("ImportoBuoni"));
    h.vouchersAboveTotal = h.vouchers > h.total;
    h.pointsShown = h.prizeEnabled = m_points.Decide();
    h.pointsText = h.pointsShown ? m_points.ShowPuntiCliente() : QString();
    h.openVouchers = m_points.customerHasOpenVouchers();
    h.saleVouchers = m_points.saleUsesVouchers();
    return h;
}

SaleDocument::Amounts SaleDocument::amounts()
{
    Amounts a;
    if (!m_document || m_document->HasNoCurrentRow()) return a;
    static_cast<Totals&>(a) = totals();
    a.vouchers = m_document->GetCurrencyValue(QStringLiteral("ImportoBuoni"));
    a.vouchersAboveTotal = a.vouchers > a.total;
    a.pointsShown = m_points.collects();
    a.pointsText = a.pointsShown ? m_points.ShowPuntiCliente() : QString();
    return a;
}

// ---- receipts and the archive mark --------------------------------------------------------------------

bool SaleDocument::fiscalRecordEnabled() const { return settings().FiscalPrinterEnabled; }
bool SaleDocument::printReceiptVisible() const { return settings().Use_Ricevute; }

void SaleDocument::SetFiscalRecord(bool ticked)
{
    m_fiscalRecord = ticked;
    if (!m_editing) m_fiscalForNewSales = ticked;
    applyFiscalRule();
}

// A sale without its fiscal receipt goes to the archive when the option says so; a sale
// with it does not.
void SaleDocument::applyFiscalRule()
{
    if (m_fiscalRecord)
        SetBackupMoveSignal(false);
    else if (m_moveAllWithoutFiscal)
        SetBackupMoveSignal(true);
}

void SaleDocument::SetPrintReceipt(bool ticked)
{
    m_printReceipt = ticked;
    if (ticked && m_fiscalRecord) SetFiscalRecord(false);
}

bool SaleDocument::SetBackupMoveSignal(bool on)
{
    if (on && (settings().BackupDir.isEmpty() || !settings().BackupFuncSaveEnabled)) {
        message(QStringLiteral("Salvataggio dati non abilitato o non correttamente configurato\r\r"
                               "Controllare le impostazioni di backup."),
                int(Msg::OKOnly) + Msg::Exclamation);
        return false;
    }
    m_backupMark = on;
    return true;
}

void SaleDocument::ToggleBackupMove() { SetBackupMoveSignal(!m_backupMark); }

void SaleDocument::SetMoveAllWithoutFiscal(bool on)
{
    m_moveAllWithoutFiscal = on;
    settingsStore().set(kFormSettings, kMoveAllSetting, config::WriteBool(on));
    applyFiscalRule();
}

// ---- confirm --------------------------------------------------------------------------------------------

bool SaleDocument::readyToConfirm()
{
    const Currency total = m_document->GetCurrencyValue(QStringLiteral("ImportoVendita"));
    const Currency vouchers = m_document->GetCurrencyValue(QStringLiteral("ImportoBuoni"));
    if (vouchers > total && vouchers > Currency()) {
        message(QStringLiteral("L'importo dei buoni supera quello della vendita"), int(Msg::OKOnly) + Msg::Exclamation);
        return false;
    }
    return true;
}

bool SaleDocument::complete()
{
    if (!editPayment()) return false;
    m_document->SetValue(QStringLiteral("Completato"), true);
    m_document->Update();

    m_busy = true;
    sendFiscalReceipt();
    printReceipts();
    if (!m_points.Decide()) storeDefaults();
    return true;
}

// The completed sale is kept before it may leave the working file for the archive.
void SaleDocument::completed()
{
    if (m_backupMark) (void)MoveToArchive(nullptr, m_document.get(), true, true);
}

void SaleDocument::confirmFailed() { setSending(false); }

void SaleDocument::afterConfirm()
{
    if (m_fiscalRecord) SetBackupMoveSignal(false);
}

// The receipt service tells the operator what went wrong with the register; the sale stays
// completed whatever happened there.
void SaleDocument::sendFiscalReceipt()
{
    if (!m_fiscalRecord || !settings().FiscalPrinterEnabled) return;
    bool issued = false;
    setSending(true);
    try {
        if (CounterServices* counter = counterServices()) issued = counter->Send_Scontrino(*m_rows);
    } catch (...) {
        issued = false;
        ShowErrorDetails(CurrentError());
    }
    setSending(false);
    if (!issued)
        message(QStringLiteral("La vendita e' stata registrata senza l'emissione dello scontrino..."),
                int(Msg::OKOnly) + Msg::Information);
}

void SaleDocument::printReceipts()
{
    if (!m_printReceipt || !settings().Use_Ricevute) return;
    TableObject& ricevute = *m_db.Tables().Item(QStringLiteral("Ricevute"));
    auto receipts = ricevute.Select(ricevute.BuildReferenceCondition(QStringLiteral("Vendita"), m_document->GetOID()));
    const QDateTime date = m_document->GetValue(QStringLiteral("DataVendita")).toDateTime();
    const std::optional<qint64> made = m_op.newRow(
        *receipts,
        {QStringLiteral("Data"), QDateTime(date.date(), QTime(0, 0)), QStringLiteral("Vendita"), m_document->GetOID()});
    bool attempted = false;
    int printed = 0;
    if (made && *made != 0) {
        receipts->Requery();
        if (receipts->MoveToOID(*made)) {
            auto saleSet = receipts->GetReference(QStringLiteral("Vendita"));
            const int copies = int(config::ReadWhole(settings().NCopyRicevute, -32768, 32767, 0));
            for (int copy = 1; copy <= copies;) {
                attempted = true;
                if (printCopy(*saleSet, *receipts)) {
                    ++printed;
                    ++copy;
                    continue;
                }
                if (message(QStringLiteral("La ricevuta non e' stata stampata correttamente...\r\rVuoi riprovare ?"),
                            int(Msg::YesNo) + Msg::Exclamation)
                    != Msg::Yes)
                    break;
            }
        }
        // A receipt no customer got keeps no number of the year's sequence, whatever sale the
        // operator left it for.
        if (printed == 0) {
            auto unprinted = ricevute.Select(ricevute.BuildKeyCondition(*made));
            unprinted->MoveFirst();
            if (!unprinted->IsEOF()) unprinted->DeleteRow();
        }
    }
    if (made || receipts->IsEmpty()) m_printReceipt = false;
    if (!attempted)
        message(QStringLiteral("La vendita e' stata registrata senza l'emissione della ricevuta..."),
                int(Msg::OKOnly) + Msg::Information);
}

void SaleDocument::setSending(bool sending)
{
    if (m_sendingReceipt == sending) return;
    m_sendingReceipt = sending;
    if (m_receiptSignal) m_receiptSignal(sending);
}

// One copy on a print object of its own: the receipt job releases the object it printed on.
bool SaleDocument::printCopy(TableData& saleSet, TableData& receipts)
{
    const TicketPrinterSettings& s = settings().TicketPrinterParam;
    auto prn = std::make_shared<clsTiketScriptPrinter>();
    try {
        if (m_receiptTarget)
            prn->SetPrinter(m_receiptTarget(), s.TicketHeight, s.TicketWidth, s.TicketTop, s.TicketLeft,
                            int16_t(s.ModuleColumns), s.TicketRowsDim, s.TicketRowsTop, s.TicketRowsBottom,
                            s.TicketBackImageFile, s.TicketBottomImageBorder);
        else
            prn->SetPrinter(s.PrinterName, s.TicketHeight, s.TicketWidth, s.TicketTop, s.TicketLeft,
                            int16_t(s.ModuleColumns), s.TicketRowsDim, s.TicketRowsTop, s.TicketRowsBottom,
                            s.TicketBackImageFile, s.TicketBottomImageBorder);
    } catch (...) {
        ShowErrorDetails(CurrentError());
        return false;
    }
    return PrintRicevuta(saleSet, receipts, prn, 1, QString());
}
