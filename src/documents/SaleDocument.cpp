#include "SaleDocument.h"

#include "core/BusinessHelpers.h"
#include "core/CounterServices.h"
#include "core/Configuration.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "core/ErrorReporting.h"
#include "core/MainWindowServices.h"
#include "objdb/ObjDbError.h"
#include "printing/ScriptRunners.h"
#include "base/SettingsStore.h"
#include "core/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "printing/clsTiketScriptPrinter.h"

namespace {

const QString kVendite = QStringLiteral("Vendite");
const QString kCliente = QStringLiteral("Cliente");
const QString kArticoli = QStringLiteral("Articoli");
const QString kCompletato = QStringLiteral("Completato");
const QString kClienteDefault = QStringLiteral("ClienteDefault");
const QString kFormSettings = QStringLiteral("frmVenditeSettings");
const QString kMoveAllSetting = QStringLiteral("MoveAllNoFiscalToBackup");

const PaymentNames kPayment{kVendite, QStringLiteral("ImportoVendita"), kCliente, QStringLiteral("DataPagamento")};

int message(const QString& text, int flags) { return ui().msgBox(text, flags, AppTitle()); }

}  // namespace

SaleDocument::SaleDocument(Database& db, DocumentOperator& op)
    : m_db(db), m_op(op), m_rowEntry(DocumentKind::Sale, op), m_points(op)
{
}

SaleDocument::~SaleDocument()
{
    try {
        Release_Vendita();
    } catch (...) {
        // The window is gone: what could not be released stays as the file has it.
    }
}

// ---- the window's life ------------------------------------------------------------------------------

void SaleDocument::Load()
{
    m_fiscalRecord = m_fiscalForNewSales = true;
    m_printReceipt = false;
    SetMoveAllWithoutFiscal(TextToBool(settingsStore().get(kFormSettings, kMoveAllSetting, QStringLiteral("False"))));
}

bool SaleDocument::Activate(std::shared_ptr<BarcodeTarget> codeBox)
{
    if (!m_sale && !Add_Vendita())
        return false;
    if (CounterServices* counter = counterServices()) {
        counter->SetBarcodeControl(std::move(codeBox));
        m_codeBoxRegistered = true;
    }
    return true;
}

bool SaleDocument::QueryClose()
{
    if (!m_sale || m_sale->HasNoCurrentRow() || m_sale->GetBoolValue(kCompletato) || !m_rows || m_rows->IsEmpty())
        return true;
    return message(QStringLiteral("Confermi l'annullamento della vendita ?"), int(Msg::YesNo) + Msg::Question) == Msg::Yes;
}

void SaleDocument::Unload()
{
    try {
        Release_Vendita();
    } catch (...) {
        ShowErrorDetails(QStringLiteral("Errore in annullamento dati: \r\r") + CurrentError().description);
    }
    if (CounterServices* counter = counterServices(); counter && m_codeBoxRegistered)
        counter->SetBarcodeControl(nullptr);
    m_codeBoxRegistered = false;
    if (MainWindowServices* mw = mainWindowServices())
        mw->RefreshDetailView();
}

// ---- the sale ----------------------------------------------------------------------------------------

bool SaleDocument::Add_Vendita()
{
    if (m_editing) {
        // An edited sale is done: new sales go to the register again as the operator had it.
        m_editing = false;
        if (m_fiscalRecord != m_fiscalForNewSales)
            SetFiscalRecord(m_fiscalForNewSales);
    }
    m_transaction.begin(m_db.GetEngine());
    try {
        TableObject& vendite = *m_db.Tables().Item(kVendite);
        auto sales = vendite.Select(QStringLiteral("OID = 0"));
        auto customers = sales->GetReferenceTable(kCliente);
        const std::optional<qint64> customer = ChooseRow(m_op, *customers, ReadDefaultKey(kVendite, kClienteDefault), false);
        if (!customer) {
            m_transaction.rollback();
            return false;
        }
        sales->NewRow();
        sales->SetReferenceOID(kCliente, *customer);
        sales->SetValue(QStringLiteral("ImportoVendita"), QVariant::fromValue(Currency()));
        MoveToFreeSecond(*sales, QStringLiteral("DataVendita"), {kCliente});
        sales->Update();
        m_sale = OpenDocumentRow(vendite, sales->GetOID());
        Show_Vendita();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        m_rows.reset();
        m_sale.reset();
        bindRows();
        m_transaction.rollback();
        ShowErrorDetails(e, QStringLiteral("Impossibile aggiungere la vendita"));
        return false;
    }
}

bool SaleDocument::Edit_Vendita(TableData* dataSet)
{
    if (!dataSet || dataSet->HasNoCurrentRow())
        return true;
    if (m_sale)
        Release_Vendita();
    m_transaction.begin(m_db.GetEngine(), true);
    try {
        TableObject& vendite = *m_db.Tables().Item(kVendite);
        m_sale = OpenDocumentRow(vendite, dataSet->GetOID());
        if (m_sale->HasNoCurrentRow())
            throw AppError::object(AppError::kGenericCode, AppTitle(), QStringLiteral("Vendita non trovata"));
        m_editing = true;
        // The sale had its receipt when it was made: a second one is the operator's choice.
        m_fiscalRecord = false;
        Show_Vendita();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        m_rows.reset();
        m_sale.reset();
        bindRows();
        m_editing = false;
        m_fiscalRecord = m_fiscalForNewSales;
        m_transaction.rollback();
        ShowErrorDetails(e, QStringLiteral("Impossibile modificare la Vendita"));
        return false;
    }
}

void SaleDocument::Show_Vendita()
{
    Refresh_Articoli();
    m_points.Decide();
}

void SaleDocument::bindRows()
{
    m_rowEntry.bind(m_sale.get(), m_rows.get());
    m_points.bind(m_sale.get(), m_rows.get());
}

void SaleDocument::Refresh_Articoli(qint64 row)
{
    if (!m_sale)
        return;
    if (!m_rows) {
        m_rows = m_sale->GetReference(kArticoli);
        bindRows();
    } else {
        m_rows->Requery();
    }
    if (row == 0 || !m_rows->MoveToOID(row))
        m_rows->MoveFirst();
}

void SaleDocument::Release_Vendita()
{
    std::unique_ptr<TableData> sale = std::move(m_sale);
    m_rows.reset();
    bindRows();
    GiveUpDocument(sale.get());
    m_transaction.commit();
}

SaleDocument::Header SaleDocument::header()
{
    Header h;
    if (!m_sale || m_sale->HasNoCurrentRow())
        return h;
    auto customer = m_sale->GetReference(kCliente);
    h.customer = customer->IsEmpty() ? QString() : customer->GetText(QStringLiteral("Descrizione"));
    h.date = m_sale->GetValue(QStringLiteral("DataVendita")).toDateTime();
    h.note = m_sale->GetValue(QStringLiteral("Note")).toString();
    h.total = m_sale->GetCurrencyValue(QStringLiteral("ImportoVendita"));
    h.vouchers = m_sale->GetCurrencyValue(QStringLiteral("ImportoBuoni"));
    h.vouchersAboveTotal = h.vouchers > h.total;
    if (const auto conversion = m_db.ConversionCurrency()) {
        h.convertedName = conversion->Name();
        h.convertedTotal = m_db.ConvertAmount(h.total, true);
    }
    h.pointsShown = h.prizeEnabled = m_points.Decide();
    h.pointsText = h.pointsShown ? m_points.ShowPuntiCliente() : QString();
    h.openVouchers = m_points.customerHasOpenVouchers();
    h.saleVouchers = m_points.saleUsesVouchers();
    return h;
}

// ---- header commands --------------------------------------------------------------------------------

bool SaleDocument::SetCustomer()
{
    if (!m_sale)
        return false;
    auto customers = m_sale->GetReferenceTable(kCliente);
    const std::optional<qint64> picked = ChooseRow(m_op, *customers, m_sale->GetReferenceOID(kCliente), true);
    if (!picked)
        return false;
    m_sale->SetReferenceOID(kCliente, *picked);
    Show_Vendita();
    return true;
}

bool SaleDocument::SetDate()
{
    if (!m_sale || !m_op.editField(*m_sale, QStringLiteral("DataVendita")))
        return false;
    Show_Vendita();
    return true;
}

void SaleDocument::SetNote(const QString& note)
{
    if (m_sale)
        m_sale->SetValue(QStringLiteral("Note"), note);
}

// ---- receipts and the archive mark --------------------------------------------------------------------

bool SaleDocument::fiscalRecordEnabled() const { return settings().FiscalPrinterEnabled; }
bool SaleDocument::printReceiptVisible() const { return settings().Use_Ricevute; }

void SaleDocument::SetFiscalRecord(bool ticked)
{
    m_fiscalRecord = ticked;
    if (!m_editing)
        m_fiscalForNewSales = ticked;
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
    if (ticked && m_fiscalRecord)
        SetFiscalRecord(false);
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

bool SaleDocument::Edit_Pagamento() { return EditPayment(*m_sale, kPayment, m_op); }

SaleDocument::After SaleDocument::Confirm()
{
    if (!m_sale || m_busy)
        return After::Stay;
    try {
        const Currency total = m_sale->GetCurrencyValue(QStringLiteral("ImportoVendita"));
        const Currency vouchers = m_sale->GetCurrencyValue(QStringLiteral("ImportoBuoni"));
        if (vouchers > total && vouchers > Currency()) {
            message(QStringLiteral("L'importo dei buoni supera quello della vendita"), int(Msg::OKOnly) + Msg::Exclamation);
            return After::Stay;
        }
        m_sale->Update();
        if (m_rows->IsEmpty()) {
            message(QStringLiteral("Nessun articolo\r\rDevi inserire gli articoli della vendita..."),
                    int(Msg::OKOnly) + Msg::Exclamation);
            return After::Stay;
        }
        if (!Edit_Pagamento())
            return After::Stay;
        m_sale->SetValue(kCompletato, true);
        m_sale->Update();

        m_busy = true;
        sendFiscalReceipt();
        printReceipts();
        if (!m_points.Decide())
            StoreDefaultKey(kVendite, kClienteDefault, m_sale->GetReferenceOID(kCliente));
        // The completed sale is kept before it may leave the working file for the archive.
        m_transaction.commit();
        if (m_backupMark)
            (void)MoveToArchive(nullptr, m_sale.get(), true, true);
        m_rows.reset();
        m_sale.reset();
        bindRows();
        m_busy = false;
    } catch (...) {
        const AppError e = CurrentError();
        m_busy = false;
        setSending(false);
        ShowErrorDetails(e, QStringLiteral("Errore in conferma dati: \r\r") + e.description);
        return After::Unload;
    }
    if (m_fiscalRecord)
        SetBackupMoveSignal(false);
    ui().beep();
    return Add_Vendita() ? After::NextSale : After::Unload;
}

// The receipt service tells the operator what went wrong with the register; the sale stays
// completed whatever happened there.
void SaleDocument::sendFiscalReceipt()
{
    if (!m_fiscalRecord || !settings().FiscalPrinterEnabled)
        return;
    bool issued = false;
    setSending(true);
    try {
        if (CounterServices* counter = counterServices())
            issued = counter->Send_Scontrino(*m_rows);
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
    if (!m_printReceipt || !settings().Use_Ricevute)
        return;
    TableObject& ricevute = *m_db.Tables().Item(QStringLiteral("Ricevute"));
    auto receipts = ricevute.Select(ricevute.BuildReferenceCondition(QStringLiteral("Vendita"), m_sale->GetOID()));
    const QDateTime date = m_sale->GetValue(QStringLiteral("DataVendita")).toDateTime();
    const std::optional<qint64> made =
        m_op.newRow(*receipts, {QStringLiteral("Data"), QDateTime(date.date(), QTime(0, 0)), QStringLiteral("Vendita"),
                                m_sale->GetOID()});
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
                            int(Msg::YesNo) + Msg::Exclamation) != Msg::Yes)
                    break;
            }
        }
        // A receipt no customer got keeps no number of the year's sequence, whatever sale the
        // operator left it for.
        if (printed == 0) {
            auto unprinted = ricevute.Select(ricevute.BuildKeyCondition(*made));
            unprinted->MoveFirst();
            if (!unprinted->IsEOF())
                unprinted->DeleteRow();
        }
    }
    if (made || receipts->IsEmpty())
        m_printReceipt = false;
    if (!attempted)
        message(QStringLiteral("La vendita e' stata registrata senza l'emissione della ricevuta..."),
                int(Msg::OKOnly) + Msg::Information);
}

void SaleDocument::setSending(bool sending)
{
    if (m_sendingReceipt == sending)
        return;
    m_sendingReceipt = sending;
    if (m_receiptSignal)
        m_receiptSignal(sending);
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

// ---- cancel ---------------------------------------------------------------------------------------------

SaleDocument::After SaleDocument::Cancel()
{
    if (!m_sale || m_busy)
        return m_sale ? After::Stay : After::Unload;
    try {
        if (!m_rows || m_rows->IsEmpty())
            return After::Unload;
        const bool completed = m_sale->GetBoolValue(kCompletato);
        if (message(completed ? QStringLiteral("Annullare le modifiche ?")
                              : QStringLiteral("Confermi l'annullamento della vendita ?"),
                    int(Msg::YesNo) + Msg::Question) != Msg::Yes)
            return After::Stay;
        Release_Vendita();
        if (completed)
            return After::Unload;
        return Add_Vendita() ? After::NextSale : After::Unload;
    } catch (...) {
        const AppError e = CurrentError();
        ShowErrorDetails(e, QStringLiteral("Errore in annullamento dati: \r\r") + e.description);
        return After::Stay;
    }
}
