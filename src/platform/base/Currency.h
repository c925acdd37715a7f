#pragma once
#include <QLocale>
#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

// A money amount: a signed 64-bit count of ten-thousandths, the range and the rounding
// of the classic currency type. Every amount of the program travels as a Currency;
// conversions from floating point or text round half to even at the fourth decimal and
// raise AppError(overflow) outside the range.
class Currency {
public:
    static constexpr int64_t kScale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(int64_t tenThousandths)
    {
        Currency c;
        c.m_units = tenThousandths;
        return c;
    }
    static Currency fromDouble(double value);   // half to even, overflow raises
    static Currency fromLongDouble(long double value);
    // A computed amount (a conversion between currencies) rounded half away from zero, as money
    // is, to a currency's decimals; four or more: as fromLongDouble.
    static Currency roundedTo(long double value, int decimals);
    static Currency fromInt(int64_t whole);   // overflow raises
    // Parses a number written in `locale` (group separators allowed) or in the C form;
    // exact decimal arithmetic, no pass through double. Empty optional when not a number.
    static std::optional<Currency> parse(const QString& text, const QLocale& locale = QLocale());
    static Currency max() { return fromUnits(INT64_MAX); }
    static Currency min() { return fromUnits(INT64_MIN); }

    constexpr int64_t units() const { return m_units; }
    double toDouble() const { return static_cast<double>(m_units) / kScale; }
    long double toLongDouble() const { return static_cast<long double>(m_units) / kScale; }
    bool isZero() const { return m_units == 0; }
    int sign() const { return (m_units > 0) - (m_units < 0); }

    // Plain text with '.' and no grouping, trailing zeros dropped ("12.5", "-3", "0.0001").
    QString toString() const;
    // Text in `locale`; decimals < 0 keeps every significant decimal, else exactly that many
    // (rounded half away from zero as a display does); grouping on request.
    QString toText(const QLocale& locale, int decimals = -1, bool grouping = false) const;

    Currency operator-() const;
    Currency& operator+=(Currency o);
    Currency& operator-=(Currency o);
    friend Currency operator+(Currency a, Currency b) { return a += b; }
    friend Currency operator-(Currency a, Currency b) { return a -= b; }
    // Exact product of two amounts, rounded half to even at the fourth decimal.
    friend Currency operator*(Currency a, Currency b);
    // Amount times a plain number (a quantity), the number taken as the decimal it reads as
    // (0.1 is one tenth), the product exact and rounded half to even at the fourth decimal.
    Currency times(double factor) const;
    // Amount divided by a plain number, the same way; division by zero raises.
    Currency dividedBy(double divisor) const;
    Currency abs() const;
    // Largest whole amount not above this one (toward negative infinity).
    Currency floor() const;

    friend constexpr auto operator<=>(Currency a, Currency b) = default;
    friend constexpr bool operator==(Currency a, Currency b) = default;

private:
    int64_t m_units = 0;
};

#include <QMetaType>
Q_DECLARE_METATYPE(Currency)
