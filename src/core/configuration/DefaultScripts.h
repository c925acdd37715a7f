#pragma once
// The scripts and script templates the program ships with: what an empty setting or a
// new record starts from. Plain text exactly as stored (line ends CR LF).
#include <QString>

// The label script: one function PrintLabel(flds, prn); the last line has no line end.
QString DefaultLabelScript();
// The receipt script: PrintTicketMask, PrintTicketRow and PrintTicketInfo, in this order,
// each ending with "End Function" and an empty line.
QString DefaultTicketScript();
// PrintTicketInfo alone: appended to a stored receipt script that lacks that entry point.
QString DefaultTicketInfoFunction();
// The barcode reader's filter: BarCodeFilter(sOriginalCode).
QString DefaultBarCodeFilterScript();
// The card reader's filter: CodeFilter(sOriginalCode).
QString DefaultCodeFilterScript();
// Row filter FilterRow(Flds) given to a layout the user creates: quantities divided by 100.
QString NewLayoutFilterTemplate();
// Row filter FilterRow(Flds) of the layout created with the layouts table and of the
// upgrade of an old table: also unit of measure, VAT code and additional code.
QString FullLayoutFilterTemplate();
