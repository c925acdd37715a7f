#include "Formatting.h"

#include "ScriptError.h"

#include <QDate>
#include <cmath>
#include <cstdio>

namespace vbs {

namespace {

// A non-negative decimal number as digits: value = 0.digits × 10^pointPos... kept simply
// as the whole part and the fraction part in text.
struct Decimal {
    bool negative = false;
    QByteArray whole;   // no leading zeros; empty for 0
    QByteArray frac;
};

Decimal decimalOf(const Variant& v)
{
    Decimal d;
    switch (v.type()) {
    case VType::Byte:
    case VType::Integer:
    case VType::Long: {
        long long n = v.rawInt();
        d.negative = n < 0;
        d.whole = QByteArray::number(n < 0 ? -n : n);
        break;
    }
    case VType::Currency: {
        long long u = v.rawCurrency().units();
        d.negative = u < 0;
        unsigned long long a = u < 0 ? 0ULL - static_cast<unsigned long long>(u) : static_cast<unsigned long long>(u);
        d.whole = QByteArray::number(a / 10000);
        d.frac = QByteArray::number(a % 10000).rightJustified(4, '0');
        break;
    }
    default: {
        double x = v.toDouble();
        if (!std::isfinite(x)) throw ScriptError(err::kOverflow);
        d.negative = x < 0;
        char buf[64];
        // 15 significant digits, 7 for a Single: the digits its text shows.
        std::snprintf(buf, sizeof buf, v.type() == VType::Single ? "%.6e" : "%.14e", std::fabs(x));
        QByteArray s(buf);
        int e = s.indexOf('e');
        QByteArray mant = s.left(e);
        mant.remove(1, 1);   // the point
        int exp = s.mid(e + 1).toInt();
        // mant = d0 d1 ... d14, value = d0.d1...×10^exp
        if (exp >= 0) {
            if (exp + 1 >= mant.size()) {
                d.whole = mant + QByteArray(exp + 1 - mant.size(), '0');
            } else {
                d.whole = mant.left(exp + 1);
                d.frac = mant.mid(exp + 1);
            }
        } else {
            d.frac = QByteArray(-exp - 1, '0') + mant;
        }
        break;
    }
    }
    while (d.whole.startsWith('0')) d.whole.remove(0, 1);
    return d;
}

// Rounds to n decimals, half away from zero.
void roundDecimal(Decimal& d, int n)
{
    if (d.frac.size() <= n) {
        d.frac = d.frac.leftJustified(n, '0');
        return;
    }
    const bool up = d.frac[n] >= '5';
    QByteArray digits = d.whole + d.frac.left(n);
    if (up) {
        int i = digits.size() - 1;
        for (; i >= 0; --i) {
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                digits[i] = static_cast<char>(digits[i] + 1);
                break;
            }
        }
        if (i < 0) digits.prepend('1');
    }
    d.whole = digits.left(digits.size() - n);
    d.frac = digits.right(n);
    while (d.whole.startsWith('0')) d.whole.remove(0, 1);
}

}   // namespace

QString formatNumber(const Variant& value, const NumberFormat& f)
{
    Decimal d = decimalOf(value);
    roundDecimal(d, f.decimals);
    bool zero = d.whole.isEmpty();
    for (char c : d.frac)
        if (c != '0') zero = false;
    QString whole = QString::fromLatin1(d.whole);
    if (f.grouping) {
        for (int i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char('.'));
    }
    if (whole.isEmpty() && (f.leadingZero || f.decimals == 0)) whole = QStringLiteral("0");
    QString text = whole;
    if (f.decimals > 0) text += QLatin1Char(',') + QString::fromLatin1(d.frac);
    if (d.negative && !zero)
        text = f.parensForNegative ? QLatin1Char('(') + text + QLatin1Char(')') : QLatin1Char('-') + text;
    return text;
}

QString italianMonthName(int month, bool abbreviate)
{
    static const char* const names[] = {"gennaio", "febbraio", "marzo",     "aprile",  "maggio",   "giugno",
                                        "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};
    if (month < 1 || month > 12) throw ScriptError(err::kInvalidCall);
    QString n = QString::fromLatin1(names[month - 1]);
    return abbreviate ? n.left(3) : n;
}

QString italianWeekdayName(int day, bool abbreviate)
{
    static const char16_t* const names[] = {u"domenica",     u"luned\u00EC",  u"marted\u00EC", u"mercoled\u00EC",
                                            u"gioved\u00EC", u"venerd\u00EC", u"sabato"};
    if (day < 1 || day > 7) throw ScriptError(err::kInvalidCall);
    QString n = QString::fromUtf16(names[day - 1]);
    return abbreviate ? n.left(3) : n;
}

QString formatDate(double serial, DateFormat format)
{
    int y, m, d, h, n, s;
    if (!partsFromSerial(serial, y, m, d, h, n, s)) throw ScriptError(err::kOverflow);
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    switch (format) {
    case DateFormat::General: return dateText(serial);
    case DateFormat::Long: {
        int dow = QDate(y, m, d).dayOfWeek() % 7 + 1;   // 1 = Sunday
        return QStringLiteral("%1 %2 %3 %4")
            .arg(italianWeekdayName(dow, false))
            .arg(d)
            .arg(italianMonthName(m, false))
            .arg(y);
    }
    case DateFormat::Short:
        return two(d) + QLatin1Char('/') + two(m) + QLatin1Char('/')
            + QString::number(y).rightJustified(4, QLatin1Char('0'));
    case DateFormat::LongTime: return two(h) + QLatin1Char(':') + two(n) + QLatin1Char(':') + two(s);
    case DateFormat::ShortTime: return two(h) + QLatin1Char(':') + two(n);
    }
    return {};
}

}   // namespace vbs
