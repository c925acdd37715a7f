#pragma once
// The script runners: one entry point of the user's label or receipt script run with a
// record's fields and a print object; and the receipt print job, which walks a sale's rows
// and note lines through the receipt script over one or more tickets.
//
// Each runner runs its script in an engine of its own, so nothing of a script survives the
// call but what it keeps in the receipt object's variables. A runner reports its own
// failure (a critical message through ui(), with the script line at fault) and returns
// false; an entry point that returns anything but True stops the job without a message.
// An empty script means the configured one of its kind.
#include "clsScriptPrinter.h"
#include "clsTiketScriptPrinter.h"

#include <QStringList>
#include <cstdint>
#include <memory>

class PrintProgress;
class TableData;

// PrintLabel(flds, prn) with the fields of the data set's current row.
[[nodiscard]] bool RunPrintLabel(TableData& dataSet, std::shared_ptr<clsScriptPrinter>& prn, const QString& script);

// Row printing off, then PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal) with
// the sale's fields, those of its customer and those of the receipt record.
[[nodiscard]] bool RunPrintTicketMask(TableData& saleSet, TableData& receiptSet,
                                      std::shared_ptr<clsTiketScriptPrinter>& prn, const QString& script, bool bTotal);
// Row printing on, the next print row unless it is the first one, then
// PrintTicketRow(flds, prn, nRow) with the current row's fields.
[[nodiscard]] bool RunPrintTicketRow(TableData& rowsSet, std::shared_ptr<clsTiketScriptPrinter>& prn,
                                     const QString& script, int32_t nRow);
// The same for one line of the sale's note: PrintTicketInfo(sInfo, prn, nRow).
[[nodiscard]] bool RunPrintTicketInfo(const QString& sInfo, std::shared_ptr<clsTiketScriptPrinter>& prn,
                                      const QString& script, int32_t nRow);

// Prints the sale as a receipt, `copies` times in one document; prn must be set up. On
// every ticket the rows and note lines come first, then the ticket's mask (bTotal True on
// the last ticket of a copy). The job stops at a script failure, a failed step or the
// operator's Stop; true only when every copy was completed. Either way the document is
// ended and prn released (cleared), so what was drawn so far is printed. With no progress
// given, the one the receipt progress source makes (see below) is used.
[[nodiscard]] bool PrintRicevuta(TableData& saleSet, TableData& receiptSet, std::shared_ptr<clsTiketScriptPrinter>& prn,
                                 int16_t copies, const QString& script, PrintProgress* progress = nullptr);

// What a receipt printed without a progress of its own shows its steps on. The windows sit
// above the print jobs, so the main window sets its progress window here at start and
// clears it at its end; with none set (tools, tests) nothing is shown and nothing stops
// the job.
using ReceiptProgressSource = std::unique_ptr<PrintProgress> (*)();
void SetReceiptProgressSource(ReceiptProgressSource source);

// The information lines of a sale's note: blanks trimmed at both ends, line feeds dropped,
// one line per carriage-return-separated piece (empty pieces too); none for an empty note.
QStringList ReceiptInfoLines(const QString& note);

// The sale's rows with two more columns: the VAT rate "Percentuale" of the row's article
// and "PrezzoVenditaUnitario", the row amount per unit net of VAT (4 decimals; Null for a
// row of quantity 0). Raises AppError when the rows cannot be read.
std::unique_ptr<TableData> ReceiptRows(TableData& saleSet);
