#include "FiscalReceipt.h"
#include "Configuration.h"
#include "UiServices.h"

namespace {
// `opened` tells the caller whether the register had the receipt opened before the failure.
void sendReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows, bool& opened) {
    opened = false;
    try {
        printer.NewSession(decimals);
        opened = true;
        for (const FiscalRow& row : rows)
            printer.SendData(row.price, row.quantity, row.description, row.department);
        printer.EndSession();
    } catch (const AppError&) {
        printer.CancelSessionQuietly();
        throw;
    }
}
}

void SendFiscalReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows) {
    bool opened = false;
    sendReceipt(printer, decimals, rows, opened);
}

QString ReceiptRetryQuestion() {
    return QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\rVuoi riprovare ?");
}

QString ReceiptVoidOnRegisterMessage(const AppError& error) {
    return QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\r") + error.description +
           QStringLiteral("\r\rIl registratore di cassa non consente di annullare lo scontrino dal programma: "
                          "annullarlo sul registratore di cassa. Lo scontrino non viene inviato di nuovo, "
                          "per non addebitare due volte gli articoli gia' ricevuti.");
}

bool IssueFiscalReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows) {
    for (;;) {
        bool opened = false;
        try {
            sendReceipt(printer, decimals, rows, opened);
            return true;
        } catch (const AppError& e) {
            if (opened && !printer.CanCancelSession()) {
                ui().msgBox(ReceiptVoidOnRegisterMessage(e), int(Msg::OKOnly) + int(Msg::Exclamation), g_strMsgTitle);
                return false;
            }
            if (ui().msgBox(ReceiptRetryQuestion(), int(Msg::YesNo) + int(Msg::Question), g_strMsgTitle) != Msg::Yes)
                return false;
        }
    }
}
