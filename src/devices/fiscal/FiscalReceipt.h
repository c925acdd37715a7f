#pragma once
// One receipt sent to a register as a whole.
#include "itfFiscalPrinter.h"
#include <QList>

struct FiscalRow {
    Currency price;   // unit price; negative for a return
    int16_t quantity = 1;   // negative for a return
    QString description;
    int16_t department = 0;   // the register department of the row's VAT code
};

// NewSession, one SendData per row, EndSession. A step that fails raises its error and
// nothing more is sent: what a void would meet on a register that just failed is not
// known, so the receipt is left as the error found it.
void SendFiscalReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows);

// The question after a receipt that was voided (no rows, or stopped by the operator), and
// what the operator is told instead when the register cannot void it.
QString ReceiptRetryQuestion();
QString ReceiptVoidOnRegisterMessage(const AppError& error);
