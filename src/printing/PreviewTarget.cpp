#include "PreviewTarget.h"

#include "PrinterTarget.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

QSize PreviewWindowSize(const QSizeF& strip, const QSize& screen, const QSize& current)
{
    const double w = strip.width(), h = strip.height();
    if (!(w > 0) || !(h > 0) || screen.isEmpty()) return current;
    if (h > w) {
        const double height = 0.9 * screen.height();
        return QSize(int(std::lround(height * w / h)), int(std::lround(height)));
    }
    const double width = 0.85 * screen.width();
    return QSize(int(std::lround(width)), int(std::lround(width * h / w)));
}

PreviewTarget::PreviewTarget(QSizeF pageMm, QSize screen)
    : m_page(pageMm.isEmpty() ? printers::CurrentPrinterPageSizeMm() : pageMm), m_screen(screen)
{
    if (m_screen.isEmpty()) {
        const QScreen* s = QGuiApplication::primaryScreen();
        m_screen = s ? s->availableGeometry().size() : QSize(1024, 768);
    }
}

void PreviewTarget::setPreviewScale(const QSizeF& strip, const QSizeF& scale)
{
    m_scale = scale;
    m_window = PreviewWindowSize(strip, m_screen, m_window);
}

void PreviewTarget::drawText(const QPointF& at, const QString& text)
{
    DrawOp op;
    op.kind = DrawOp::Text;
    op.rect = QRectF(at, QSizeF());
    op.text = text;
    op.font = m_font;
    m_ops.push_back(op);
}

void PreviewTarget::drawRect(const QRectF& rect, const QColor& color)
{
    DrawOp op;
    op.kind = DrawOp::Rect;
    op.rect = rect;
    op.color = color;
    m_ops.push_back(op);
}

void PreviewTarget::drawImage(const QRectF& rect, const QImage& image)
{
    DrawOp op;
    op.kind = DrawOp::Image;
    op.rect = rect;
    op.image = image;
    m_ops.push_back(op);
}

void PreviewTarget::render(QPainter& painter, const QRectF& area) const
{
    if (!(m_scale.width() > 0) || !(m_scale.height() > 0)) return;
    painter.save();
    painter.fillRect(area, Qt::white);
    painter.setClipRect(area);
    painter.translate(area.topLeft());
    const double sx = area.width() / m_scale.width();
    const double sy = area.height() / m_scale.height();
    for (const DrawOp& op : m_ops) paintDrawOp(painter, op, sx, sy);
    painter.restore();
}
