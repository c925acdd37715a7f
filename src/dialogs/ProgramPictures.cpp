#include "ProgramPictures.h"
#include <QLinearGradient>
#include <QPainter>

namespace {
// Both pictures are drawn on a square of 48 units and scaled to the size asked.
constexpr qreal kUnits = 48;
}

QPixmap ProgramLogo(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kUnits, size / kUnits);
    QLinearGradient g(0, 0, 0, kUnits);
    g.setColorAt(0, QColor(70, 130, 200));
    g.setColorAt(1, QColor(30, 70, 140));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 8, 8);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(10, 26, 28, 12));
    p.drawLine(QPointF(16, 26), QPointF(16, 10));
    p.drawLine(QPointF(16, 10), QPointF(32, 10));
    p.drawLine(QPointF(32, 10), QPointF(32, 26));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(20, 16), QPointF(28, 16));
    p.drawLine(QPointF(20, 21), QPointF(28, 21));
    return pm;
}

QPixmap EuroPicture(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 51, 153));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(size * 9 / 14);
    p.setFont(f);
    p.setPen(QColor(255, 204, 0));
    p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("€"));
    return pm;
}
