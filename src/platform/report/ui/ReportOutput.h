#pragma once
#include "report/ReportEngine.h"
#include <QString>

class QWidget;

// The operator's ways out of a report: print, preview, export. Thin over ReportPainter
// and ReportHtml, which do the work and are tested headless.
namespace report {

// Prints on a printer chosen with the print dialog (all pages, or the range the operator
// picks there); without the dialog, on the default printer. False when cancelled.
bool printReport(const ReportDocument& doc, QWidget* parent = nullptr, bool showDialog = true);

// The modal print preview, from which the operator may also print.
void previewReport(const ReportDocument& doc, QWidget* parent = nullptr, bool maximized = false);

// Asks for the file through the program's dialogs (ui().saveFileName) and writes it as
// PDF or HTML by its extension (none: ".pdf" is added). False when the operator cancelled.
bool exportReport(const ReportDocument& doc);

// ".pdf" writes a PDF, ".htm"/".html" a continuous HTML document (case ignored); any
// other extension raises AppError.
void exportToFile(const ReportDocument& doc, const QString& path);

}   // namespace report
