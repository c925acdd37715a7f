#pragma once
#include "ReportEngine.h"
#include <QString>

class QPagedPaintDevice;
class QPainter;

// Draws a paginated report with QPainter, in millimetres, on any paged device: a PDF
// writer, a printer, or the preview's printer.
namespace report {

// Paints page `index` (0-based) with the painter's origin at the page's top-left corner
// and `dotsPerMmX`/`dotsPerMmY` device pixels per millimetre.
void paintPage(QPainter& painter, const ReportDocument& doc, int index, double dotsPerMmX, double dotsPerMmY);

// Gives the device the report's page size and orientation with no margins of its own
// (a printer is switched to full-page coordinates): the report places its own margins.
void configureDevice(QPagedPaintDevice& device, const PageSetup& page);

// Paints pages firstPage..lastPage (1-based; 0 means from the first or to the last), one
// device page each. Raises AppError when the device cannot be painted on.
void renderToDevice(const ReportDocument& doc, QPagedPaintDevice& device, int firstPage = 0, int lastPage = 0);

// Writes the report as a PDF file. The file is replaced only when the whole document was
// written; raises AppError when it cannot be.
void writePdf(const ReportDocument& doc, const QString& path);

}   // namespace report
