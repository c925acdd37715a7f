#include "ReceiptService.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "core/configuration/DeviceSettings.h"
#include "core/lifecycle/ErrorReporting.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "OperationWindows.h"
#include "base/PrintProgress.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"

#include <cmath>

namespace {

const QString kSending = QStringLiteral("Emissione scontrino in corso...");
const QString kAmount = QStringLiteral("ImportoScarico");
const QString kQuantity = QStringLiteral("ValoreScarico");

// Rows of 99 pieces and more go as one row: the register takes at most two digits of pieces.
constexpr double kMaxPieces = 99;

void reportFailure(const AppError& e)
{
    ui().msgBox(QStringLiteral("Si e' verificato un errore durante l'emissione dello scontrino:\r\r") + e.description,
                Msg::Critical, g_strMsgTitle);
}

int16_t departmentOf(TableData& row)
{
    const auto vat = row.GetReference(QStringLiteral("CodiceIva"));
    const QVariant code = vat->IsEmpty() ? QVariant() : vat->GetValue(QStringLiteral("CodiceCassa"));
    bool ok = false;
    const qlonglong department = code.toLongLong(&ok);
    if (code.isNull() || !ok || department < INT16_MIN || department > INT16_MAX)
        throw AppError::object(AppError::kGenericCode, QStringLiteral("Scontrino"),
                               QStringLiteral("L'articolo \"%1\" non ha un reparto di cassa valido (codice IVA)")
                                   .arg(row.GetValue(QStringLiteral("Descrizione")).toString()));
    return int16_t(department);
}

bool sellsFractions(TableData& row)
{
    const auto unit = row.GetReference(QStringLiteral("UnitaMisura"));
    return !unit->IsEmpty() && unit->GetBoolValue(QStringLiteral("Decimali"));
}

std::unique_ptr<PrintProgress> mainWindowProgress()
{
    OperationWindows* windows = operationWindows();
    std::unique_ptr<PrintProgress> shown = windows ? windows->ReceiptWindow() : nullptr;
    return shown ? std::move(shown) : SilentPrintProgress();
}

}   // namespace

FiscalRow RegisterRow(const Database& db, Currency amount, double quantity, bool fractionalUnit, bool conversion)
{
    FiscalRow row;
    if (!conversion && !fractionalUnit && quantity > 0 && quantity < kMaxPieces && quantity == std::floor(quantity)) {
        const Currency unit = db.ConvertAmount(amount.dividedBy(quantity), false, 1.0);
        if (unit.times(quantity) == amount) {
            row.price = unit;
            row.quantity = int16_t(quantity);
            return row;
        }
    }
    row.price = db.ConvertAmount(amount, conversion, 1.0);
    row.quantity = 1;
    return row;
}

QList<FiscalRow> RegisterRows(TableData& rows, bool conversion, bool sendDescription)
{
    Database& db = *rows.GetDatabase();
    const auto ordered = rows.Clone();
    ordered->SetOrder(kAmount + QStringLiteral(" DESC"));
    QList<FiscalRow> out;
    if (ordered->IsEmpty()) return out;
    for (ordered->MoveFirst(); !ordered->IsEOF(); ordered->MoveNext()) {
        FiscalRow row = RegisterRow(db, ordered->GetCurrencyValue(kAmount),
                                    ordered->GetFieldValue(kQuantity).toDouble(), sellsFractions(*ordered), conversion);
        if (sendDescription) row.description = ordered->GetValue(QStringLiteral("Descrizione")).toString();
        row.department = departmentOf(*ordered);
        out << row;
    }
    return out;
}

int16_t ReceiptDecimals(const Database& db, bool conversion)
{
    if (conversion) {
        if (const auto converted = db.ConversionCurrency()) return int16_t(converted->Decimals());
    }
    const auto main = db.GetCurrency();
    return main ? int16_t(main->Decimals()) : int16_t(0);
}

ReceiptService::ReceiptService(PrinterSource printer, ProgressSource progress)
    : m_printer(printer ? std::move(printer) : PrinterSource([]() -> itfFiscalPrinter& { return FiscalPrinter(); })),
      m_progress(progress ? std::move(progress) : ProgressSource(&mainWindowProgress))
{ }

bool ReceiptService::Send_Scontrino(TableData& rows)
{
    std::unique_ptr<PrintProgress> progress;
    auto closeProgress = [&progress] {
        if (!progress) return;
        progress->end();
        progress->close();
    };

    QList<FiscalRow> registerRows;
    int16_t decimals = 0;
    try {
        if (rows.Aggregate(kAmount, 0).value<Currency>() < Currency()) {
            ui().msgBox(QStringLiteral("N.B.: Lo scontrino non può essere emesso perchè il totale risulta negativo"),
                        Msg::Information, g_strMsgTitle);
            return true;
        }
        ui().status(kSending);
        progress = m_progress();
        progress->show(kSending);
        // Everything is read before the register hears of it: a row that cannot be read
        // fails the receipt before one is opened.
        const bool conversion = settings().FiscalPrinterParam.CurrencyConversion;
        registerRows = RegisterRows(rows, conversion, settings().FiscalPrinterParam.SendDescription);
        decimals = ReceiptDecimals(*rows.GetDatabase(), conversion);
    } catch (...) {
        const AppError e = CurrentError();
        closeProgress();
        reportFailure(e);
        return false;
    }

    bool issued = false;
    for (;;) {
        const Attempt outcome = attempt(registerRows, decimals, *progress);
        if (outcome == Attempt::Issued) {
            issued = true;
            break;
        }
        if (outcome == Attempt::GiveUp) break;
        if (ui().msgBox(ReceiptRetryQuestion(), int(Msg::YesNo) | Msg::Exclamation, g_strMsgTitle) != Msg::Yes) break;
    }
    closeProgress();
    return issued;
}

ReceiptService::Attempt ReceiptService::attempt(const QList<FiscalRow>& rows, int16_t decimals, PrintProgress& progress)
{
    itfFiscalPrinter* printer = nullptr;
    try {
        printer = &m_printer();
    } catch (...) {
        const AppError e = CurrentError();
        progress.end();
        reportFailure(e);
        return Attempt::GiveUp;
    }
    int sent = 0;
    try {
        printer->NewSession(decimals);
        progress.start(int32_t(rows.size()));
        bool stopped = false;
        for (const FiscalRow& row : rows) {
            if (!progress.step()) {
                stopped = true;
                break;
            }
            printer->SendData(row.price, row.quantity, row.description, row.department);
            ++sent;
        }
        if (sent > 0 && !stopped) {
            printer->EndSession();
            return Attempt::Issued;
        }
        // No rows, or stopped by the operator: nothing to total.
        printer->CancelSession();
        // A register that cannot void keeps charged what reached it: sending the receipt
        // again would charge those rows twice, so the operator voids it on the register.
        if (sent > 0 && !printer->CanCancelSession()) {
            progress.end();
            ui().msgBox(
                ReceiptVoidOnRegisterMessage(AppError(AppError::kGenericCode, printer->FiscalPrinterDescription(),
                                                      QStringLiteral("Emissione interrotta dall'operatore"))),
                int(Msg::OKOnly) | Msg::Exclamation, g_strMsgTitle);
            return Attempt::GiveUp;
        }
        return Attempt::NotIssued;
    } catch (...) {
        // The register is left as the error found it: whether a void would take there is
        // not known, and a receipt sent again after one that did not would be a second one.
        const AppError e = CurrentError();
        progress.end();
        reportFailure(e);
        return Attempt::GiveUp;
    }
}

void ReceiptService::ReprintReceipt(TableData* sales)
{
    try {
        if (!sales || sales->RowCount() == 0) return;
        if (!settings().FiscalPrinterEnabled) {
            ui().msgBox(QStringLiteral("Registratore di cassa non attivato..."), Msg::Exclamation, g_strMsgTitle);
            return;
        }
        ui().beep();
        if (ui().msgBox(QStringLiteral("Confermi la ristampa dello scontrino ?"), int(Msg::YesNo) | Msg::Question,
                        g_strMsgTitle)
            != Msg::Yes)
            return;
        bool issued = false;
        {
            OperationWindows* windows = operationWindows();
            const std::shared_ptr<void> busy = windows ? windows->Busy() : nullptr;
            const auto rows = sales->GetReference(QStringLiteral("Articoli"));
            issued = Send_Scontrino(*rows);
        }
        if (issued) ui().msgBox(QStringLiteral("Lo scontrino e' stato ristampato..."), Msg::Information, g_strMsgTitle);
    } catch (...) {
        const AppError e = CurrentError();
        ShowErrorDetails(e, QStringLiteral("Errore in stampa scontrino: \r\r") + e.description);
    }
}
