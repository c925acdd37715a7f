#pragma once
// The fiscal receipt of a sale: its rows sent to the register that is switched on, as one
// receipt, largest amount first. The sale itself is never changed here: it stays recorded
// whatever the register does.
#include "devices/fiscal/FiscalReceipt.h"

#include <QList>
#include <functional>
#include <memory>

class Database;
class PrintProgress;
class TableData;
class itfFiscalPrinter;

// One sale row as the register takes it. The register prints unit price times pieces, so
// the row goes as its unit price and pieces only when that product gives back the row's
// amount exactly (whole pieces, a unit sold by the piece, fewer than 99); any other row goes
// as one piece at its whole amount, so the receipt's total is always the sale's. With
// `conversion` the amount goes in the database's conversion currency.
FiscalRow RegisterRow(const Database& db, Currency amount, double quantity, bool fractionalUnit, bool conversion);

// The register rows of a sale's rows (a data set of the sale's list "Articoli"), largest
// amount first, rows of one amount in the data set's order; the data set itself keeps its
// order and current row. Each row carries its article's description (unless
// `sendDescription` is off) and the register department of its article's VAT code; a row
// whose article has none raises AppError, as no department is the right guess for a
// fiscal receipt.
QList<FiscalRow> RegisterRows(TableData& rows, bool conversion, bool sendDescription);

// The decimals of the currency the amounts go in: the conversion currency's with
// `conversion`, else the main currency's, 0 without one.
int16_t ReceiptDecimals(const Database& db, bool conversion);

class ReceiptService {
public:
    // Where the register's driver comes from (by default the one switched on, through
    // FiscalPrinter()) and what shows the progress (by default the progress window when the
    // main window is the active one, so a sale confirmed in the sale form shows none).
    using PrinterSource = std::function<itfFiscalPrinter&()>;
    using ProgressSource = std::function<std::unique_ptr<PrintProgress>()>;
    explicit ReceiptService(PrinterSource printer = {}, ProgressSource progress = {});

    // The sale's rows as one receipt. A negative total prints nothing: the operator is told
    // and the result is true. Otherwise each attempt opens the receipt, sends every row and
    // closes it. An empty sale or the operator's Stop voids the receipt and asks whether to
    // try again from the first row; a register that cannot void is not sent the receipt
    // again once a row reached it (the operator is told to void it there). An error of the
    // driver or of the rows ends the receipt where it stands: the error is shown and the
    // register hears nothing more, neither a void nor a close, and no retry is offered,
    // since a void that did not take would make a retry print a second receipt. True only
    // when the register closed the receipt.
    [[nodiscard]] bool Send_Scontrino(TableData& rows);

    // "&Ristampa scontrino": the receipt of the sale that is the current row of `sales`,
    // again, after the operator confirms; the main window stays disabled meanwhile.
    void ReprintReceipt(TableData* sales);

private:
    // NotIssued: the operator may send it again; GiveUp: the receipt is not sent again.
    enum class Attempt { Issued, NotIssued, GiveUp };
    Attempt attempt(const QList<FiscalRow>& rows, int16_t decimals, PrintProgress& progress);

    PrinterSource m_printer;
    ProgressSource m_progress;
};
