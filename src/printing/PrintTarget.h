#pragma once
// Where the label and receipt objects draw: a printed document (a printer or a PDF file),
// a preview surface, or a recording kept by the tests. Every length is in millimetres from
// the top-left corner of the drawing area; fonts are in points.
//
// The print objects decide their behaviour by the target's kind: a printer takes page
// breaks and the end of the document, a preview surface is sized to one strip of labels or
// tickets and shows their frames.
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

class QPainter;

struct PrintFont {
    QString name = QStringLiteral("Arial");
    int size = 10;   // points
    bool bold = false;
    bool italic = false;
    bool operator==(const PrintFont&) const = default;
};

class PrintTarget {
public:
    virtual ~PrintTarget() = default;

    // "Printer" for a printed document; anything else is a preview surface.
    virtual QString typeName() const = 0;
    bool isPrinter() const { return typeName() == QLatin1String("Printer"); }

    // The whole sheet, and the area the coordinates cover: the printable area of a
    // printer's page, the scaled strip of a preview.
    virtual QSizeF pageSizeMm() const = 0;
    virtual QSizeF scaleSizeMm() const = 0;
    // A preview surface shows exactly `scale` millimetres; the window around it is sized
    // to the strip `strip` (the two differ by the frame's extra unit on labels). A printer
    // ignores it.
    virtual void setPreviewScale(const QSizeF& strip, const QSizeF& scale)
    {
        (void)strip;
        (void)scale;
    }

    virtual PrintFont font() const = 0;
    virtual void setFont(const PrintFont& font) = 0;
    // Text with its top-left corner at `at`, with the current font, on a clear background.
    virtual void drawText(const QPointF& at, const QString& text) = 0;
    // The outline of a rectangle.
    virtual void drawRect(const QRectF& rect, const QColor& color) = 0;
    virtual void drawImage(const QRectF& rect, const QImage& image) = 0;

    // Printer only: the next drawing goes to a new page.
    virtual void newPage() = 0;
    // Sends what was drawn. Raises AppError when the document cannot be finished.
    virtual void endDocument() = 0;
    // Drops what was drawn: nothing reaches the printer or the file.
    virtual void abortDocument() = 0;

    // A note for traces (what the job is doing between drawings); ignored by real targets.
    virtual void annotate(const QString& note) { (void)note; }
};

// One drawing, kept by the targets that draw later (preview) or only remember (recording).
struct DrawOp {
    enum Kind { Text, Rect, Image, NewPage };
    Kind kind = Text;
    QRectF rect;   // Text: the top-left corner; Rect, Image: the rectangle
    QString text;
    PrintFont font;
    QColor color;
    QImage image;
};

// Paints one drawing with `pxPerMmX`/`pxPerMmY` device pixels per millimetre, the
// painter's origin at the drawing area's corner. Fonts keep their size relative to the
// millimetres, so a scaled preview shows text as it will print.
void paintDrawOp(QPainter& painter, const DrawOp& op, double pxPerMmX, double pxPerMmY);

// Failures of the printing layer: AppError with the object-error base plus one of these codes.
namespace printerr {
inline constexpr int kDeviceNotReady = 1;   // the printer or file cannot take the document
inline constexpr int kDocumentFailed = 2;   // the document could not be finished
inline constexpr int kPictureFailed = 3;   // a background picture could not be loaded
inline constexpr const char* kSource = "Stampa";
}
