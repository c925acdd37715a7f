#pragma once
// What the label and receipt settings dialogs do, apart from their windows: the boxes read
// as numbers, the settings kept, the row a test print is made of, and the test print or
// preview itself with the settings as they stand in the dialog (not yet saved).
#include "core/configuration/Configuration.h"
#include "PrintTarget.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;
class TableData;
class TableObject;

// A box of millimetres, "32.5" or "32,5". AppError naming the box (its caption) when its
// text is not a number.
float BoxMillimetres(const QString& caption, const QString& text);
// A box of labels or tickets per row: a whole number from 0 to 99 (0 prints one a row).
int16_t BoxColumns(const QString& caption, const QString& text);
// A number as its box shows it: "32,5" where numbers are written the Italian way, no
// trailing zeros.
QString BoxText(double value);

// Keeps the settings and saves the whole configuration (the dialogs' OK).
void SaveLabelSettings(const LabelPrinterSettings& settings);
void SaveTicketSettings(const TicketPrinterSettings& settings);

// The row of `table` a test print is made of; null when nothing was picked. The database
// library's pick dialog serves once it registers itself here; until then the operator types
// the row's key (an article's code, a receipt's number) in an input box.
using PrintRowPicker = std::function<std::unique_ptr<TableData>(QWidget* owner, TableObject& table)>;
void SetPrintRowPicker(PrintRowPicker picker);   // null: the input box
std::unique_ptr<TableData> PickPrintRow(QWidget* owner, const QString& table);

// One row of labels of the article on the target, with the settings' geometry and script:
// RunPrintLabel then NextLabel for each label of the row, stopping where the script returns
// False; the document is ended either way. False, after a message with the error, when the
// print cannot be set up or ended (a script's own error is reported by its runner).
[[nodiscard]] bool PrintLabels(std::shared_ptr<PrintTarget> target, const LabelPrinterSettings& settings,
                               TableData& article);

// The receipt of the record's sale on the target, with the settings' geometry and script,
// as many copies as tickets per row (so a row of tickets is filled). False when the receipt
// was not printed whole: the record or its sale cannot be opened (a message with the error),
// or the receipt job failed (it reports its own errors).
[[nodiscard]] bool PrintTicketTest(std::shared_ptr<PrintTarget> target, const TicketPrinterSettings& settings,
                                   TableData& receipt);

// The printer a test print goes to: the installed printer of that name becomes the
// program's current one (no such printer: the current one stays), and the print goes there.
std::shared_ptr<PrintTarget> TestPrinter(const QString& printerName);
// What the chosen printer becomes: by default the printer itself. The developer's tool and
// the tests put a PDF file or a recording in its place; null puts the printer back.
using TestPrinterFactory = std::function<std::shared_ptr<PrintTarget>(const QString& currentPrinter)>;
void SetTestPrinterFactory(TestPrinterFactory factory);
