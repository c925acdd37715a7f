#include "JetValues.h"
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace jet {

QString storedDate(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QString storedDate(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"); }

namespace {
bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

// Reads the stored form without building calendar objects: the date functions of a view
// run on every scanned row, and a month's sales view scans years of lines.
template <typename Ch> std::optional<StoredDateParts> parseDigits(const Ch* p, int n)
{
    auto digit = [&](int i) -> int {
        if (i >= n) return -1;
        auto c = static_cast<char16_t>(p[i]);
        return (c >= u'0' && c <= u'9') ? c - u'0' : -1;
    };
    auto number = [&](int from, int count) -> int {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            int d = digit(i);
            if (d < 0) return -1;
            v = v * 10 + d;
        }
        return v;
    };
    auto is = [&](int i, char16_t c) { return i < n && static_cast<char16_t>(p[i]) == c; };
    if (n < 10 || !is(4, u'-') || !is(7, u'-')) return std::nullopt;
    StoredDateParts r;
    r.year = number(0, 4);
    r.month = number(5, 2);
    r.day = number(8, 2);
    if (r.year < 1 || r.month < 1 || r.month > 12 || r.day < 1 || r.day > daysInMonth(r.year, r.month))
        return std::nullopt;
    if (n == 10) return r;
    if (n < 16 || !(is(10, u' ') || is(10, u'T')) || !is(13, u':')) return std::nullopt;
    r.hour = number(11, 2);
    r.minute = number(14, 2);
    int end = 16;
    if (is(16, u':')) {
        r.second = number(17, 2);
        end = 19;
    }
    if (r.hour < 0 || r.hour > 23 || r.minute < 0 || r.minute > 59 || r.second < 0 || r.second > 59)
        return std::nullopt;
    if (is(end, u'.')) {
        ++end;
        while (digit(end) >= 0) ++end;
    }
    if (end != n) return std::nullopt;
    return r;
}

std::optional<QDateTime> toDateTime(const std::optional<StoredDateParts>& r)
{
    if (!r) return std::nullopt;
    return QDateTime(QDate(r->year, r->month, r->day), QTime(r->hour, r->minute, r->second), Qt::UTC);
}
}   // namespace

std::optional<StoredDateParts> parseStoredDateParts(const char* utf8, int length) { return parseDigits(utf8, length); }

std::optional<QDateTime> parseStoredDate(QStringView text)
{
    return toDateTime(parseDigits(text.utf16(), static_cast<int>(text.size())));
}

std::optional<QDateTime> parseStoredDate(const char* utf8, int length) { return toDateTime(parseDigits(utf8, length)); }

QDateTime fromSerial(double serial)
{
    double days = std::trunc(serial);
    double fraction = std::fabs(serial - days);
    qint64 seconds = std::llround(fraction * 86400.0);
    QDate date = zeroDate().addDays(static_cast<qint64>(days));
    if (seconds >= 86400) {   // the fraction rounded up to the next midnight
        seconds -= 86400;
        date = date.addDays(serial < 0 ? -1 : 1);
    }
    return QDateTime(date, QTime(0, 0).addSecs(static_cast<int>(seconds)), Qt::UTC);
}

double toSerial(const QDateTime& t)
{
    double days = static_cast<double>(zeroDate().daysTo(t.date()));
    double fraction = QTime(0, 0).secsTo(t.time()) / 86400.0;
    return days < 0 ? days - fraction : days + fraction;
}

double roundDecimal(double v, int decimals, Rounding mode)
{
    if (!std::isfinite(v) || v == 0.0) return v;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    std::string text(buf, res.ptr);
    bool negative = text[0] == '-';
    if (negative) text.erase(0, 1);
    size_t e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];
    long keep = static_cast<long>(exponent) + 1 + decimals;   // digits kept
    if (keep >= static_cast<long>(digits.size())) return v;
    if (keep < 0) return negative ? -0.0 : 0.0;
    std::string kept = digits.substr(0, static_cast<size_t>(keep));
    char next = digits[static_cast<size_t>(keep)];
    bool restNonZero = digits.find_first_not_of('0', static_cast<size_t>(keep) + 1) != std::string::npos;
    bool lastOdd = !kept.empty() && ((kept.back() - '0') % 2 == 1);
    bool up = next > '5' || (next == '5' && (restNonZero || mode == Rounding::HalfAwayFromZero || lastOdd));
    if (up) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[static_cast<size_t>(i)];
    }
    if (kept.empty()) kept = "0";
    std::string out = (negative ? "-" : "") + kept + "e" + std::to_string(-decimals);
    return std::strtod(out.c_str(), nullptr);
}

QString numberText(double v, const QLocale& locale)
{
    if (std::isnan(v)) return QStringLiteral("NaN");
    if (std::isinf(v)) return v > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1Char('e'), QLatin1Char('E'));
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    const QString point = locale.decimalPoint();
    if (point != QLatin1String(".")) s.replace(QLatin1Char('.'), point);
    return s;
}

int expandYear(int year)
{
    if (year >= 0 && year < 30) return 2000 + year;
    if (year >= 30 && year < 100) return 1900 + year;
    return year;
}

int weekday(const QDate& d, int firstDayOfWeek)
{
    const int classic = d.dayOfWeek() % 7 + 1;   // Qt: Monday 1 ... Sunday 7
    return (classic - firstDayOfWeek + 7) % 7 + 1;
}

namespace {
QDate firstWeekStart(int year, int firstDayOfWeek, int firstWeekOfYear)
{
    const QDate jan1(year, 1, 1);
    const int offset = weekday(jan1, firstDayOfWeek) - 1;   // days of the week before Jan 1
    QDate start = jan1.addDays(-offset);
    const int daysInYear = 7 - offset;
    if ((firstWeekOfYear == 2 && daysInYear < 4) || (firstWeekOfYear == 3 && offset != 0)) start = start.addDays(7);
    return start;
}
}   // namespace

int weekOfYear(const QDate& d, int firstDayOfWeek, int firstWeekOfYear)
{
    // With the four-day or full-week rule the last days of December may already open
    // week 1 of the next year (the classic function said 53 there).
    if (firstWeekOfYear != 1 && d >= firstWeekStart(d.year() + 1, firstDayOfWeek, firstWeekOfYear)) return 1;
    QDate start = firstWeekStart(d.year(), firstDayOfWeek, firstWeekOfYear);
    if (d < start) start = firstWeekStart(d.year() - 1, firstDayOfWeek, firstWeekOfYear);
    return static_cast<int>(start.daysTo(d) / 7) + 1;
}

}   // namespace jet
