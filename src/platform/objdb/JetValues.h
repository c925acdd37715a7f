#pragma once
// Value conversions shared by the Jet SQL translator and the Jet SQL functions: the one
// stored form of dates, the classic date serial, decimal rounding and the text form of
// numbers that the classic string conversion gives.
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace jet {

// Dates are stored as TEXT "YYYY-MM-DD HH:MM:SS"; a date alone carries 00:00:00. The
// QDateTimes made here are wall-clock times in Qt::UTC, so that arithmetic never meets a
// daylight-saving gap.
QString storedDate(const QDateTime& t);
QString storedDate(const QDate& d);
// Reads the stored form; also "YYYY-MM-DD", a "T" separator and fractional seconds
// (dropped). Empty optional when the text is not such a date.
// The parts of a date in the stored form "yyyy-MM-dd[ HH:mm[:ss[.fff]]]", checked against
// the calendar; nothing when the text is not in that form.
struct StoredDateParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::optional<StoredDateParts> parseStoredDateParts(const char* utf8, int length);
std::optional<QDateTime> parseStoredDate(QStringView text);
std::optional<QDateTime> parseStoredDate(const char* utf8, int length);

// The classic date serial: days since 1899-12-30, the fraction being the time of day
// (for negative serials the fraction still counts forward from midnight).
QDateTime fromSerial(double serial);
double toSerial(const QDateTime& t);
// The date that a time-only value carries.
inline QDate zeroDate() { return QDate(1899, 12, 30); }

enum class Rounding { HalfEven, HalfAwayFromZero };
// Rounds the decimal value that `v` stands for (its shortest round-trip decimal form) at
// `decimals` places, so 2.675 rounds as the decimal 2.675 and not as its binary neighbour.
double roundDecimal(double v, int decimals, Rounding mode);

// The text of a number as the classic string conversion writes it: up to 15 significant
// digits, no trailing zeros, "E+16" exponents, the locale's decimal separator.
QString numberText(double v, const QLocale& locale);

// Two-digit years: 0-29 are 2000-2029, 30-99 are 1930-1999.
int expandYear(int year);

// Day of the week, 1 for `firstDayOfWeek` (1 Sunday ... 7 Saturday, the classic numbering).
int weekday(const QDate& d, int firstDayOfWeek);
// Week of the year counted from the week that holds January 1 (firstWeekOfYear 1), the
// first week of four days (2) or the first full week (3); weeks start on firstDayOfWeek.
// A day before the year's first week belongs to the last week of the year before.
int weekOfYear(const QDate& d, int firstDayOfWeek, int firstWeekOfYear);

}   // namespace jet
