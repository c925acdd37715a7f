#include "Currency.h"
#include "AppError.h"
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {
constexpr __int128 kMaxUnits = INT64_MAX;
constexpr __int128 kMinUnits = INT64_MIN;

Currency checked(__int128 v)
{
    if (v > kMaxUnits || v < kMinUnits) throw AppError::overflow(QStringLiteral("Currency"));
    return Currency::fromUnits(static_cast<int64_t>(v));
}

// Divides with the quotient rounded half to even.
__int128 divRoundEven(__int128 num, __int128 den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    __int128 q = num / den;
    __int128 r = num % den;
    if (r < 0) {
        r = -r;
    }
    __int128 twice = 2 * r;
    bool neg = num < 0;
    if (twice > den || (twice == den && (q % 2 != 0))) q += neg ? -1 : 1;
    return q;
}
}

Currency Currency::fromLongDouble(long double value)
{
    if (!std::isfinite(static_cast<double>(value))) throw AppError::overflow(QStringLiteral("Currency"));
    long double scaled = value * kScale;
    // Guard against values whose scaled form rounds to just past the range.
    if (scaled >= 9223372036854775807.5L || scaled < -9223372036854775808.5L)
        throw AppError::overflow(QStringLiteral("Currency"));
    long double r = std::nearbyintl(scaled);   // default rounding mode: half to even
    return checked(static_cast<__int128>(r));
}

Currency Currency::roundedTo(long double value, int decimals)
{
    if (decimals >= 4) return fromLongDouble(value);
    const long double scale = std::pow(10.0L, decimals);
    return fromLongDouble(std::round(value * scale) / scale);
}

Currency Currency::fromDouble(double value)
{
    // Through the shortest decimal text that reads back as the same double, so 2.675
    // (stored as 2.67499999...) is the 2.675 the user typed, not its binary neighbour.
    if (!std::isfinite(value)) throw AppError::overflow(QStringLiteral("Currency"));
    // A whole number of units after scaling (2.5, 3, 1.25) is what the text would give: the
    // shortest text lies within a fraction of a unit of it below 10^15 units, and is
    // rounded to the nearest unit. It is most amounts, and the text costs allocations.
    const double scaled = value * double(kScale);
    if (std::fabs(scaled) < 1e15 && scaled == std::nearbyint(scaled)) return fromUnits(static_cast<int64_t>(scaled));
    auto parsed = parse(QString::number(value, 'g', QLocale::FloatingPointShortest), QLocale::c());
    if (parsed) return *parsed;
    return fromLongDouble(value);
}

Currency Currency::fromInt(int64_t whole) { return checked(static_cast<__int128>(whole) * kScale); }

std::optional<Currency> Currency::parse(const QString& input, const QLocale& locale)
{
    QString text = input.trimmed();
    if (text.isEmpty()) return std::nullopt;
    const QString dec = locale.decimalPoint();
    const QString grp = locale.groupSeparator();
    bool neg = false;
    int i = 0;
    if (text[0] == u'-' || text[0] == u'+') {
        neg = text[0] == u'-';
        ++i;
    } else if (text.endsWith(u'-')) {
        neg = true;
        text.chop(1);
    }
    // The digits as one whole number and the power of ten that scales it. Nineteen
    // significant digits hold every amount in range; a nonzero digit past them can only
    // decide a tie, so it is kept as one trailing 1. (Keeping every digit of a long fraction
    // overflowed 128 bits.)
    __int128 mantissa = 0;
    int significant = 0;
    long scale = 0;   // value = mantissa * 10^scale
    bool dropped = false;
    bool inFrac = false;
    bool any = false;
    long exponent = 0;
    for (; i < text.size(); ++i) {
        QChar ch = text[i];
        if (ch.isDigit()) {
            int d = ch.digitValue();
            any = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + d;
                if (mantissa != 0) ++significant;
                if (inFrac) --scale;
            } else {
                if (!inFrac) ++scale;
                dropped = dropped || d != 0;
            }
        } else if (!inFrac
                   && (QString(ch) == dec
                       || (dec != QStringLiteral(".") && ch == u'.' && grp != QStringLiteral(".")))) {
            inFrac = true;
        } else if (!inFrac && !grp.isEmpty() && QString(ch) == grp) {
            continue;
        } else if ((ch == u'e' || ch == u'E') && any) {
            bool ok = false;
            exponent = text.mid(i + 1).toLong(&ok);
            if (!ok || exponent > 30 || exponent < -30) return std::nullopt;
            break;
        } else {
            return std::nullopt;
        }
    }
    if (!any) return std::nullopt;
    if (dropped) {
        mantissa = mantissa * 10 + 1;
        --scale;
    }
    // In units of 1/10000: mantissa * 10^shift.
    const long shift = scale + exponent + 4;
    __int128 units = mantissa;
    if (shift >= 0) {
        for (long k = 0; k < shift && units != 0; ++k) {
            units *= 10;
            if (units > kMaxUnits + 1) return std::nullopt;
        }
    } else if (shift < -38) {
        units = 0;   // fewer than 21 digits divided by more than 10^38: below half a unit
    } else {
        __int128 den = 1;
        for (long k = 0; k < -shift; ++k) den *= 10;
        units = divRoundEven(units, den);
    }
    if (neg) units = -units;
    if (units > kMaxUnits || units < kMinUnits) return std::nullopt;
    return fromUnits(static_cast<int64_t>(units));
}

QString Currency::toString() const
{
    __int128 v = m_units;
    bool neg = v < 0;
    if (neg) v = -v;
    auto whole = static_cast<unsigned long long>(v / kScale);
    auto frac = static_cast<int>(v % kScale);
    QString s = QString::number(whole);
    if (frac) {
        QString f = QString::number(frac).rightJustified(4, u'0');
        while (f.endsWith(u'0')) f.chop(1);
        s += u'.' + f;
    }
    return neg ? u'-' + s : s;
}

QString Currency::toText(const QLocale& locale, int decimals, bool grouping) const
{
    __int128 v = m_units;
    bool neg = v < 0;
    if (neg) v = -v;
    int shown = decimals < 0 ? 4 : std::min(decimals, 4);
    __int128 div = 1;
    for (int k = shown; k < 4; ++k) div *= 10;
    __int128 q = v / div, r = v % div;
    if (div > 1 && r * 2 >= div) ++q;   // half away from zero, as displays do
    __int128 pow = 1;
    for (int k = 0; k < shown; ++k) pow *= 10;
    auto whole = static_cast<unsigned long long>(q / pow);
    auto frac = static_cast<unsigned long long>(q % pow);
    QString w = QString::number(whole);
    if (grouping) {
        const QString g = locale.groupSeparator();
        for (int pos = w.size() - 3; pos > 0; pos -= 3) w.insert(pos, g);
    }
    QString f = shown ? QString::number(frac).rightJustified(shown, u'0') : QString();
    if (decimals < 0)
        while (f.endsWith(u'0')) f.chop(1);
    QString s = f.isEmpty() ? w : w + locale.decimalPoint() + f;
    if (neg && (whole || frac)) s.prepend(locale.negativeSign());
    for (int k = 4; k < decimals; ++k) s += u'0';
    return s;
}

Currency Currency::operator-() const { return checked(-static_cast<__int128>(m_units)); }
Currency& Currency::operator+=(Currency o)
{
    *this = checked(static_cast<__int128>(m_units) + o.m_units);
    return *this;
}
Currency& Currency::operator-=(Currency o)
{
    *this = checked(static_cast<__int128>(m_units) - o.m_units);
    return *this;
}

Currency operator*(Currency a, Currency b)
{
    return checked(divRoundEven(static_cast<__int128>(a.m_units) * b.m_units, Currency::kScale));
}

namespace {
// A plain number as the decimal it stands for: the shortest text that reads back as the same
// double (0.5, 5e-05, 1.0001), as digits and a power of ten. A quantity typed as 0.1 is then
// one tenth, not its binary neighbour.
struct Decimal {
    __int128 digits = 0;   // at most 17 significant digits, with the sign
    int exponent = 0;
};

Decimal decimalOf(double value)
{
    if (!std::isfinite(value)) throw AppError::overflow(QStringLiteral("Currency"));
    char text[64];
    // Always with an exponent: a large number written out in full ("1111111111111111081984")
    // has more than seventeen digits, and its product with an amount would pass 128 bits.
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    Decimal d;
    bool negative = false, fraction = false;
    const char* p = text;
    if (*p == '-') negative = true, ++p;
    for (; p < end && *p != 'e'; ++p) {
        if (*p == '.') {
            fraction = true;
            continue;
        }
        d.digits = d.digits * 10 + (*p - '0');
        if (fraction) --d.exponent;
    }
    // The exponent is read within the text written: it has no terminating NUL, and a digit
    // left on the stack after it would be read as part of the exponent.
    if (p < end) {
        const char* from = p + 1;
        if (from < end && *from == '+') ++from;
        int exponent = 0;
        std::from_chars(from, end, exponent);
        d.exponent += exponent;
    }
    if (negative) d.digits = -d.digits;
    return d;
}

__int128 absolute(__int128 v) { return v < 0 ? -v : v; }

// v * 10^n, or nullopt when it would leave the range an amount can reach.
std::optional<__int128> scaledUp(__int128 v, int n)
{
    for (; n > 0 && v != 0; --n) {
        if (absolute(v) > kMaxUnits * 1000000000000000000LL) return std::nullopt;
        v *= 10;
    }
    return v;
}
}

// Exact decimal products and quotients on the ten-thousandths, rounded half to even once.
Currency Currency::times(double factor) const
{
    const Decimal d = decimalOf(factor);
    const __int128 product = static_cast<__int128>(m_units) * d.digits;   // below 1e36: no overflow
    if (d.exponent >= 0) {
        const std::optional<__int128> v = scaledUp(product, d.exponent);
        if (!v) throw AppError::overflow(QStringLiteral("Currency"));
        return checked(*v);
    }
    // Past 10^38 the product (below 10^36) rounds to zero.
    if (d.exponent < -38) return Currency();
    __int128 den = 1;
    for (int i = 0; i < -d.exponent; ++i) den *= 10;
    return checked(divRoundEven(product, den));
}

Currency Currency::dividedBy(double divisor) const
{
    if (divisor == 0) throw AppError(11, QStringLiteral("Currency"), QStringLiteral("Division by zero"));
    const Decimal d = decimalOf(divisor);
    if (d.exponent <= 0) {
        const std::optional<__int128> num = scaledUp(m_units, -d.exponent);
        if (!num) throw AppError::overflow(QStringLiteral("Currency"));
        return checked(divRoundEven(*num, d.digits));
    }
    // A divisor of 10^21 or more leaves less than half a ten-thousandth of any amount.
    if (d.exponent > 20) return Currency();
    __int128 den = d.digits;
    for (int i = 0; i < d.exponent; ++i) den *= 10;
    return checked(divRoundEven(m_units, den));
}

Currency Currency::abs() const { return m_units < 0 ? -*this : *this; }

Currency Currency::floor() const
{
    // Within one unit of the lowest amount the floor lies below it: computed wide, refused there.
    const __int128 r = m_units % kScale;
    __int128 base = m_units - r;
    if (r < 0) base -= kScale;
    return checked(base);
}
