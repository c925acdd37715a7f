#pragma once
// One receipt sent to a register as a whole.
#include "itfFiscalPrinter.h"
#include <QList>

struct FiscalRow {
    Currency price;           // unit price; negative for a return
    int16_t quantity = 1;     // negative for a return
    QString description;
    int16_t department = 0;   // the register department of the row's VAT code
};

// NewSession, one SendData per row, EndSession. When a step fails the receipt is voided
// (whatever the void itself meets) and the step's error is raised, so no receipt is left
// open on the register; the caller may then send the whole receipt again.
void SendFiscalReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows);

// The receipt as the operator issues it: sent with SendFiscalReceipt; when it fails, the
// operator is asked whether to try again, and Yes sends the whole receipt anew. A register
// that cannot void a receipt is not sent it again once anything may have reached it (the
// rows would be charged twice): the operator is told the error and to void the receipt on
// the register. True when the receipt was issued.
[[nodiscard]] bool IssueFiscalReceipt(itfFiscalPrinter& printer, int16_t decimals, const QList<FiscalRow>& rows);

// The question after a failed receipt, and what the operator is told instead when the
// register cannot void it.
QString ReceiptRetryQuestion();
QString ReceiptVoidOnRegisterMessage(const AppError& error);
