#include "ReportPainter.h"
#include "base/AppError.h"
#include "ReportMeasure.h"
#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QBuffer>
#include "base/FileOps.h"

namespace report {

namespace {
const QString kSource = QStringLiteral("Report");
}   // namespace

void paintPage(QPainter& p, const ReportDocument& doc, int index, double sx, double sy)
{
    auto dev = [&](const QRectF& mm) { return QRectF(mm.x() * sx, mm.y() * sy, mm.width() * sx, mm.height() * sy); };
    const ReportPage& page = doc.pages.at(index);
    for (const PlacedBand& band : page.bands) {
        for (const PlacedItem& it : band.items) {
            const QRectF r = dev(it.rect);
            switch (it.kind) {
            case ItemKind::Line:
            case ItemKind::Box: {
                QPen pen(Qt::black);
                pen.setWidthF(std::max(0.05, it.lineWidth) * sx);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                if (it.kind == ItemKind::Line)
                    p.drawLine(r.topLeft(), r.bottomRight());
                else
                    p.drawRect(r);
                break;
            }
            default: {
                if (it.text.isEmpty()) break;
                p.setPen(Qt::black);
                p.setFont(qtFont(it.font));
                // What does not fit in the rect is cut off: a layout gives its texts room,
                // or wraps them in a band that grows.
                p.save();
                p.setClipRect(r);
                if (it.wordWrap) {
                    p.drawText(r, it.text, wrappedTextOption(it.alignment));
                } else {
                    int flags = static_cast<int>(it.alignment & Qt::AlignHorizontal_Mask);
                    flags |= (it.alignment & Qt::AlignVertical_Mask)
                        ? static_cast<int>(it.alignment & Qt::AlignVertical_Mask)
                        : static_cast<int>(Qt::AlignVCenter);
                    p.drawText(r, flags | Qt::TextSingleLine, it.text);
                }
                p.restore();
                break;
            }
            }
        }
    }
}

void configureDevice(QPagedPaintDevice& device, const PageSetup& page)
{
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->setFullPage(true);
    device.setPageLayout(page.pageLayout());
}

void renderToDevice(const ReportDocument& doc, QPagedPaintDevice& device, int firstPage, int lastPage)
{
    const int count = doc.pageCount();
    const int from = firstPage > 0 ? std::min(firstPage, count) : 1;
    const int to = lastPage > 0 ? std::min(lastPage, count) : count;
    QPainter p;
    if (!p.begin(&device))
        throw AppError::object(3, kSource, QStringLiteral("Impossibile stampare o scrivere il report."));
    const double sx = device.logicalDpiX() / 25.4;
    const double sy = device.logicalDpiY() / 25.4;
    for (int i = from; i <= to; ++i) {
        if (i > from) device.newPage();
        paintPage(p, doc, i - 1, sx, sy);
    }
    if (!p.end()) throw AppError::object(3, kSource, QStringLiteral("Impossibile completare la scrittura del report."));
}

void writePdf(const ReportDocument& doc, const QString& path)
{
    // Drawn whole in memory, then written in one checked write: the PDF writer does not tell
    // when its device refuses bytes.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setTitle(doc.title.isEmpty() ? doc.caption : doc.title);
        writer.setCreator(QStringLiteral("Mirtavolia"));
        configureDevice(writer, doc.page);
        renderToDevice(doc, writer);
    }
    if (!fileOps().writeFile(path, pdf))
        throw AppError::object(
            3, kSource, QStringLiteral("Impossibile scrivere il file \"%1\": %2").arg(path, fileOps().lastError()));
}

}   // namespace report
