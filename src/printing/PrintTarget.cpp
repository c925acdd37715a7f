#include "PrintTarget.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

void paintDrawOp(QPainter& p, const DrawOp& op, double sx, double sy)
{
    const QRectF r(op.rect.x() * sx, op.rect.y() * sy, op.rect.width() * sx, op.rect.height() * sy);
    switch (op.kind) {
    case DrawOp::Text: {
        if (op.text.isEmpty()) return;
        // A point is 25.4/72 mm: the size the device's own resolution gives it is corrected
        // by how many pixels this painting puts in a millimetre.
        const int dpi = p.device() ? p.device()->logicalDpiY() : 72;
        QFont f(op.font.name);
        f.setPointSizeF(std::max(0.1, op.font.size * 25.4 * sy / (dpi > 0 ? dpi : 72)));
        f.setBold(op.font.bold);
        f.setItalic(op.font.italic);
        // No ligatures, so the text of a PDF reads back letter for letter.
        f.setStyleStrategy(QFont::PreferNoShaping);
        p.setFont(f);
        p.setPen(op.color.isValid() ? op.color : QColor(Qt::black));
        const QFontMetricsF fm(f, p.device());
        p.drawText(QPointF(r.x(), r.y() + fm.ascent()), op.text);
        return;
    }
    case DrawOp::Rect: {
        QPen pen(op.color.isValid() ? op.color : QColor(Qt::black));
        pen.setWidthF(std::max(1.0, 0.2 * sx));   // a thin line, at least one device pixel
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        return;
    }
    case DrawOp::Image:
        if (!op.image.isNull()) p.drawImage(r, op.image);
        return;
    case DrawOp::NewPage: return;
    }
}
