#pragma once
#include "ReportLayout.h"
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextOption>

// Text as the report sets it on paper: the font of a FontSpec, how wrapped text breaks, and
// the room a text takes, in millimetres. Layouts size their columns with it, and a band that
// grows measures its wrapped items with it, so what is measured is what is painted.
namespace report {

QFont qtFont(const FontSpec& font);

// Wrapped text breaks at blanks, and inside a word only when the word alone is wider than
// its room (a long code), so that no word runs out of its column.
QTextOption wrappedTextOption(Qt::Alignment alignment);

class TextMeasure {
public:
    TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    // The width of the text on one line.
    double widthMm(const FontSpec& font, const QString& text);
    // The height of the text wrapped into `widthMm`. Measured a little narrower than that,
    // so that a device of another resolution never needs a line more than was measured.
    double wrappedHeightMm(const FontSpec& font, double widthMm, const QString& text);
    // The height of one line of the font.
    double lineHeightMm(const FontSpec& font);

private:
    // A PDF of the report is laid out at 600 dots per inch: the same resolution here.
    static constexpr double kDotsPerMm = 600.0 / 25.4;
    QImage m_device;
    QPainter m_painter;
};

}   // namespace report
