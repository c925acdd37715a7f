#pragma once
// The preview surface: a picture of one strip of labels or tickets, kept as drawings and
// painted scaled into a window. The window is sized after the strip's proportions (tall
// strips take most of the screen's height, the others most of its width).
#include "PrintTarget.h"

#include <QSize>
#include <memory>

// The window size of a strip `strip` millimetres wide and high on a screen: taller than
// wide, 0.9 of the screen's height; otherwise (square included) 0.85 of its width; the
// other side follows the strip. An empty strip keeps `current`.
QSize PreviewWindowSize(const QSizeF& strip, const QSize& screen, const QSize& current = QSize(400, 300));

class PreviewTarget final : public PrintTarget {
public:
    // pageMm: the page the current printer would print on (for sizes taken from the page);
    // screen: empty for the primary screen's available area.
    explicit PreviewTarget(QSizeF pageMm = QSizeF(), QSize screen = QSize());

    QString typeName() const override { return QStringLiteral("PictureBox"); }
    QSizeF pageSizeMm() const override { return m_page; }
    QSizeF scaleSizeMm() const override { return m_scale; }
    void setPreviewScale(const QSizeF& strip, const QSizeF& scale) override;

    PrintFont font() const override { return m_font; }
    void setFont(const PrintFont& font) override { m_font = font; }
    void drawText(const QPointF& at, const QString& text) override;
    void drawRect(const QRectF& rect, const QColor& color) override;
    void drawImage(const QRectF& rect, const QImage& image) override;
    void newPage() override { }
    void endDocument() override { }
    void abortDocument() override { m_ops.clear(); }

    QSize windowSize() const { return m_window; }
    const std::vector<DrawOp>& drawings() const { return m_ops; }
    // Paints the surface into `area` of the painter: the scale fills it.
    void render(QPainter& painter, const QRectF& area) const;

private:
    QSizeF m_page;
    QSize m_screen;
    QSizeF m_scale {100, 100};
    QSize m_window {400, 300};
    PrintFont m_font;
    std::vector<DrawOp> m_ops;
};
