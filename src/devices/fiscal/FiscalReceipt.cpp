#include "FiscalReceipt.h"

void SendFiscalReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows)
{
    printer.NewSession(decimals);
    for (const FiscalRow& row : rows) printer.SendData(row.price, row.quantity, row.description, row.department);
    printer.EndSession();
}

QString ReceiptRetryQuestion()
{
    return QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\rVuoi riprovare ?");
}

QString ReceiptVoidOnRegisterMessage(const AppError& error)
{
    return QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\r") + error.description
        + QStringLiteral("\r\rIl registratore di cassa non consente di annullare lo scontrino dal programma: "
                         "annullarlo sul registratore di cassa. Lo scontrino non viene inviato di nuovo, "
                         "per non addebitare due volte gli articoli gia' ricevuti.");
}
