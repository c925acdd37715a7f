#include "ReportMeasure.h"
#include <QFontMetricsF>
#include <cmath>

namespace report {

QFont qtFont(const FontSpec& f)
{
    QFont font(f.family);
    font.setPointSizeF(f.pointSize);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    // No ligatures: "ff" stays two letters, so the text of a PDF can be searched and copied.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QTextOption wrappedTextOption(Qt::Alignment alignment)
{
    Qt::Alignment a = alignment & Qt::AlignHorizontal_Mask;
    a |= (alignment & Qt::AlignVertical_Mask) ? (alignment & Qt::AlignVertical_Mask) : Qt::AlignVCenter;
    QTextOption option(a);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

TextMeasure::TextMeasure() : m_device(1, 1, QImage::Format_ARGB32)
{
    const int dotsPerMeter = static_cast<int>(std::lround(kDotsPerMm * 1000.0));
    m_device.setDotsPerMeterX(dotsPerMeter);
    m_device.setDotsPerMeterY(dotsPerMeter);
    m_painter.begin(&m_device);
}

double TextMeasure::widthMm(const FontSpec& font, const QString& text)
{
    const QFontMetricsF fm(qtFont(font), &m_device);
    return fm.horizontalAdvance(text) / kDotsPerMm;
}

double TextMeasure::wrappedHeightMm(const FontSpec& font, double widthMm, const QString& text)
{
    if (text.isEmpty()) return lineHeightMm(font);
    m_painter.setFont(qtFont(font));
    const double room = std::max(0.5, widthMm * 0.98 - 0.1) * kDotsPerMm;
    const QRectF need
        = m_painter.boundingRect(QRectF(0, 0, room, 1.0e7), text, wrappedTextOption(Qt::AlignLeft | Qt::AlignTop));
    return std::max(need.height(), 0.0) / kDotsPerMm;
}

double TextMeasure::lineHeightMm(const FontSpec& font)
{
    const QFontMetricsF fm(qtFont(font), &m_device);
    return fm.height() / kDotsPerMm;
}

}   // namespace report
