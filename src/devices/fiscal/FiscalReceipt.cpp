#include "FiscalReceipt.h"

void SendFiscalReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows) {
    try {
        printer.NewSession(decimals);
        for (const FiscalRow& row : rows)
            printer.SendData(row.price, row.quantity, row.description, row.department);
        printer.EndSession();
    } catch (const AppError&) {
        printer.CancelSessionQuietly();
        throw;
    }
}
