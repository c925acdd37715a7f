#include "JetFunctions.h"
#include "base/AppError.h"
#include "base/Clock.h"
#include "base/Currency.h"
#include "JetFormat.h"
#include "JetLike.h"
#include "JetValues.h"
#include <QLocale>
#include <charconv>
#include <cmath>
#include <memory>
#include <sqlite3.h>

namespace {

using Ctx = sqlite3_context;
using Val = sqlite3_value;

[[noreturn]] void typeMismatch()
{
    throw AppError(AppError::kTypeMismatch, QStringLiteral("JetSQL"), QStringLiteral("Tipo non corrispondente"));
}
[[noreturn]] void invalidCall()
{
    throw AppError(AppError::kInvalidCall, QStringLiteral("JetSQL"),
                   QStringLiteral("Chiamata di routine o argomento non validi"));
}

// --- arguments ------------------------------------------------------------------------------

bool isNull(Val* v) { return sqlite3_value_type(v) == SQLITE_NULL; }

QString rawText(Val* v)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

// A value as text, numbers written as the classic string conversion writes them.
QString textOf(Val* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return QString::number(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return jet::numberText(sqlite3_value_double(v), QLocale());
    case SQLITE_NULL: return QString();
    default: return rawText(v);
    }
}

std::optional<double> numericText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    double d = t.toDouble(&ok);
    if (ok) return d;
    d = QLocale().toDouble(t, &ok);
    if (ok) return d;
    return std::nullopt;
}

// A number; a stored date counts as its date serial, as Jet converts dates.
double numberArg(Val* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return static_cast<double>(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return sqlite3_value_double(v);
    case SQLITE_NULL: typeMismatch();
    default: {
        const QString t = rawText(v);
        if (auto d = numericText(t)) return *d;
        if (auto dt = jet::parseStoredDate(t)) return jet::toSerial(*dt);
        typeMismatch();
    }
    }
}

// Whole numbers as the classic conversion to Long makes them: half to even.
qint64 longArg(Val* v)
{
    const double d = jet::roundDecimal(numberArg(v), 0, jet::Rounding::HalfEven);
    if (d < -2147483648.0 || d > 2147483647.0) throw AppError::overflow(QStringLiteral("JetSQL"));
    return static_cast<qint64>(d);
}

std::optional<QDateTime> tryDate(Val* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return jet::fromSerial(sqlite3_value_double(v));
    case SQLITE_NULL: return std::nullopt;
    default: break;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    if (auto d = jet::parseStoredDate(p, sqlite3_value_bytes(v))) return d;
    const QString t = rawText(v).trimmed();
    const QLocale l;
    for (auto f : {QLocale::ShortFormat, QLocale::LongFormat}) {
        QDateTime dt = l.toDateTime(t, f);
        if (dt.isValid()) return QDateTime(dt.date(), dt.time(), Qt::UTC);
        QDate d = l.toDate(t, f);
        if (d.isValid()) return QDateTime(d, QTime(0, 0), Qt::UTC);
    }
    for (const char* f : {"d/M/yyyy", "d/M/yyyy H:mm:ss", "d/M/yyyy H:mm"}) {
        QDateTime dt = QDateTime::fromString(t, QLatin1String(f));
        if (dt.isValid()) return QDateTime(dt.date(), dt.time(), Qt::UTC);
    }
    return std::nullopt;
}

QDateTime dateArg(Val* v)
{
    if (auto d = tryDate(v)) return *d;
    typeMismatch();
}

int firstDayOfWeekArg(int argc, Val** argv, int index)
{
    if (argc <= index || isNull(argv[index])) return 1;
    const qint64 fdw = longArg(argv[index]);
    if (fdw == 0) return QLocale().firstDayOfWeek() % 7 + 1;
    if (fdw < 1 || fdw > 7) invalidCall();
    return static_cast<int>(fdw);
}

int firstWeekOfYearArg(int argc, Val** argv, int index)
{
    if (argc <= index || isNull(argv[index])) return 1;
    const qint64 fwy = longArg(argv[index]);
    if (fwy == 0) return 1;
    if (fwy < 1 || fwy > 3) invalidCall();
    return static_cast<int>(fwy);
}

// --- results --------------------------------------------------------------------------------

void setText(Ctx* c, const QString& s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(c, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
}
void setDate(Ctx* c, const QDateTime& t) { setText(c, jet::storedDate(t)); }
void setInt(Ctx* c, qint64 v) { sqlite3_result_int64(c, v); }
void setReal(Ctx* c, double v) { sqlite3_result_double(c, v); }
void setBool(Ctx* c, bool b) { sqlite3_result_int(c, b ? 1 : 0); }
// A whole result as an integer, so that it reads "2" and not "2.0".
void setNumber(Ctx* c, double v)
{
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9.0e15)
        setInt(c, static_cast<qint64>(v));
    else
        setReal(c, v);
}

QDateTime nowWallClock()
{
    const QDateTime n = appClock().now();
    return QDateTime(n.date(), QTime(n.time().hour(), n.time().minute(), n.time().second()), Qt::UTC);
}

bool anyNull(int argc, Val** argv, int count)
{
    for (int i = 0; i < std::min(argc, count); ++i)
        if (isNull(argv[i])) return true;
    return false;
}

#define JET_FN(name) void name(Ctx* c, [[maybe_unused]] int argc, [[maybe_unused]] Val** argv)
#define NULL_IN_NULL_OUT(count)                                                                                        \
    if (anyNull(argc, argv, count)) {                                                                                  \
        sqlite3_result_null(c);                                                                                        \
        return;                                                                                                        \
    }

// --- dates ----------------------------------------------------------------------------------

// Year, Month and Day of a stored date are read straight from its text: they filter every
// row a dated view scans.
std::optional<jet::StoredDateParts> storedParts(Val* v)
{
    if (sqlite3_value_type(v) != SQLITE_TEXT) return std::nullopt;
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return jet::parseStoredDateParts(p, sqlite3_value_bytes(v));
}

JET_FN(fnYear)
{
    NULL_IN_NULL_OUT(1)
    if (auto d = storedParts(argv[0]))
        setInt(c, d->year);
    else
        setInt(c, dateArg(argv[0]).date().year());
}
JET_FN(fnMonth)
{
    NULL_IN_NULL_OUT(1)
    if (auto d = storedParts(argv[0]))
        setInt(c, d->month);
    else
        setInt(c, dateArg(argv[0]).date().month());
}
JET_FN(fnDay)
{
    NULL_IN_NULL_OUT(1)
    if (auto d = storedParts(argv[0]))
        setInt(c, d->day);
    else
        setInt(c, dateArg(argv[0]).date().day());
}
JET_FN(fnHour) { NULL_IN_NULL_OUT(1) setInt(c, dateArg(argv[0]).time().hour()); }
JET_FN(fnMinute) { NULL_IN_NULL_OUT(1) setInt(c, dateArg(argv[0]).time().minute()); }
JET_FN(fnSecond) { NULL_IN_NULL_OUT(1) setInt(c, dateArg(argv[0]).time().second()); }
JET_FN(fnDate) { setDate(c, QDateTime(nowWallClock().date(), QTime(0, 0), Qt::UTC)); }
JET_FN(fnNow) { setDate(c, nowWallClock()); }
JET_FN(fnTime) { setDate(c, QDateTime(jet::zeroDate(), nowWallClock().time(), Qt::UTC)); }
JET_FN(fnWeekday)
{
    NULL_IN_NULL_OUT(1)
    setInt(c, jet::weekday(dateArg(argv[0]).date(), firstDayOfWeekArg(argc, argv, 1)));
}
JET_FN(fnDateValue) { NULL_IN_NULL_OUT(1) setDate(c, QDateTime(dateArg(argv[0]).date(), QTime(0, 0), Qt::UTC)); }
JET_FN(fnTimeValue) { NULL_IN_NULL_OUT(1) setDate(c, QDateTime(jet::zeroDate(), dateArg(argv[0]).time(), Qt::UTC)); }
JET_FN(fnCDate) { NULL_IN_NULL_OUT(1) setDate(c, dateArg(argv[0])); }
JET_FN(fnIsDate) { setBool(c, !isNull(argv[0]) && tryDate(argv[0]).has_value()); }

JET_FN(fnDateSerial)
{
    NULL_IN_NULL_OUT(3)
    // Months and days outside their range roll over, as in DateSerial(2007, 13, 0).
    const int y = static_cast<int>(jet::expandYear(static_cast<int>(longArg(argv[0]))));
    const QDate d = QDate(y, 1, 1).addMonths(static_cast<int>(longArg(argv[1])) - 1).addDays(longArg(argv[2]) - 1);
    if (!d.isValid()) invalidCall();
    setDate(c, QDateTime(d, QTime(0, 0), Qt::UTC));
}

JET_FN(fnTimeSerial)
{
    NULL_IN_NULL_OUT(3)
    const qint64 secs = longArg(argv[0]) * 3600 + longArg(argv[1]) * 60 + longArg(argv[2]);
    setDate(c, QDateTime(jet::zeroDate(), QTime(0, 0), Qt::UTC).addSecs(secs));
}

JET_FN(fnMonthName)
{
    NULL_IN_NULL_OUT(1)
    const qint64 m = longArg(argv[0]);
    if (m < 1 || m > 12) invalidCall();
    const bool abbreviate = argc > 1 && !isNull(argv[1]) && numberArg(argv[1]) != 0;
    setText(c, QLocale().monthName(static_cast<int>(m), abbreviate ? QLocale::ShortFormat : QLocale::LongFormat));
}

QString intervalArg(Val* v) { return rawText(v).trimmed().toLower(); }

JET_FN(fnDateAdd)
{
    NULL_IN_NULL_OUT(3)
    const QString unit = intervalArg(argv[0]);
    const qint64 n = static_cast<qint64>(jet::roundDecimal(numberArg(argv[1]), 0, jet::Rounding::HalfEven));
    const QDateTime d = dateArg(argv[2]);
    QDateTime r;
    if (unit == QLatin1String("yyyy"))
        r = d.addYears(static_cast<int>(n));
    else if (unit == QLatin1String("q"))
        r = d.addMonths(static_cast<int>(n * 3));
    else if (unit == QLatin1String("m"))
        r = d.addMonths(static_cast<int>(n));
    else if (unit == QLatin1String("y") || unit == QLatin1String("d") || unit == QLatin1String("w"))
        r = d.addDays(n);
    else if (unit == QLatin1String("ww"))
        r = d.addDays(n * 7);
    else if (unit == QLatin1String("h"))
        r = d.addSecs(n * 3600);
    else if (unit == QLatin1String("n"))
        r = d.addSecs(n * 60);
    else if (unit == QLatin1String("s"))
        r = d.addSecs(n);
    else
        invalidCall();
    if (!r.isValid() || r.date().year() < 100 || r.date().year() > 9999) invalidCall();
    setDate(c, r);
}

JET_FN(fnDateDiff)
{
    NULL_IN_NULL_OUT(3)
    const QString unit = intervalArg(argv[0]);
    const QDateTime a = dateArg(argv[1]), b = dateArg(argv[2]);
    const int fdw = firstDayOfWeekArg(argc, argv, 3);
    const qint64 days = a.date().daysTo(b.date());
    // Boundaries crossed, not whole periods elapsed: 23:59 to 00:01 is one day.
    auto seconds
        = [](const QDateTime& t) { return jet::zeroDate().daysTo(t.date()) * 86400 + QTime(0, 0).secsTo(t.time()); };
    qint64 r = 0;
    if (unit == QLatin1String("yyyy"))
        r = b.date().year() - a.date().year();
    else if (unit == QLatin1String("q"))
        r = (b.date().year() * 4 + (b.date().month() - 1) / 3) - (a.date().year() * 4 + (a.date().month() - 1) / 3);
    else if (unit == QLatin1String("m"))
        r = (b.date().year() * 12 + b.date().month()) - (a.date().year() * 12 + a.date().month());
    else if (unit == QLatin1String("y") || unit == QLatin1String("d"))
        r = days;
    else if (unit == QLatin1String("w"))
        r = days / 7;
    else if (unit == QLatin1String("ww")) {
        const QDate wa = a.date().addDays(-(jet::weekday(a.date(), fdw) - 1));
        const QDate wb = b.date().addDays(-(jet::weekday(b.date(), fdw) - 1));
        r = wa.daysTo(wb) / 7;
    } else if (unit == QLatin1String("h"))
        r = seconds(b) / 3600 - seconds(a) / 3600;
    else if (unit == QLatin1String("n"))
        r = seconds(b) / 60 - seconds(a) / 60;
    else if (unit == QLatin1String("s"))
        r = seconds(b) - seconds(a);
    else
        invalidCall();
    setInt(c, r);
}

JET_FN(fnDatePart)
{
    NULL_IN_NULL_OUT(2)
    const QString unit = intervalArg(argv[0]);
    const QDateTime t = dateArg(argv[1]);
    const int fdw = firstDayOfWeekArg(argc, argv, 2), fwy = firstWeekOfYearArg(argc, argv, 3);
    const QDate d = t.date();
    int r = 0;
    if (unit == QLatin1String("yyyy"))
        r = d.year();
    else if (unit == QLatin1String("q"))
        r = (d.month() - 1) / 3 + 1;
    else if (unit == QLatin1String("m"))
        r = d.month();
    else if (unit == QLatin1String("y"))
        r = d.dayOfYear();
    else if (unit == QLatin1String("d"))
        r = d.day();
    else if (unit == QLatin1String("w"))
        r = jet::weekday(d, fdw);
    else if (unit == QLatin1String("ww"))
        r = jet::weekOfYear(d, fdw, fwy);
    else if (unit == QLatin1String("h"))
        r = t.time().hour();
    else if (unit == QLatin1String("n"))
        r = t.time().minute();
    else if (unit == QLatin1String("s"))
        r = t.time().second();
    else
        invalidCall();
    setInt(c, r);
}

// --- conversions ----------------------------------------------------------------------------

JET_FN(fnFormat)
{
    NULL_IN_NULL_OUT(1)
    const QString fmt = argc > 1 && !isNull(argv[1]) ? rawText(argv[1]) : QString();
    jet::FormatValue v;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        v.kind = jet::FormatValue::Number;
        v.number = sqlite3_value_double(argv[0]);
        break;
    default: {
        v.text = rawText(argv[0]);
        if (auto d = jet::parseStoredDate(v.text)) {
            v.kind = jet::FormatValue::Date;
            v.date = *d;
        } else if (auto n = numericText(v.text); n && !fmt.isEmpty()) {
            v.kind = jet::FormatValue::Number;
            v.number = *n;
        }
    }
    }
    setText(c, jet::format(v, fmt, QLocale(), firstDayOfWeekArg(argc, argv, 2), firstWeekOfYearArg(argc, argv, 3)));
}

JET_FN(fnNz)
{
    if (!isNull(argv[0]))
        sqlite3_result_value(c, argv[0]);
    else if (argc > 1)
        sqlite3_result_value(c, argv[1]);
    else
        setText(c, QString());
}

// The operand of &: Null joins as "", numbers as their text.
JET_FN(fnNzStr)
{
    if (isNull(argv[0]))
        setText(c, QString());
    else if (sqlite3_value_type(argv[0]) == SQLITE_TEXT)
        sqlite3_result_value(c, argv[0]);
    else
        setText(c, textOf(argv[0]));
}

JET_FN(fnInt) { NULL_IN_NULL_OUT(1) setNumber(c, std::floor(numberArg(argv[0]))); }
JET_FN(fnFix) { NULL_IN_NULL_OUT(1) setNumber(c, std::trunc(numberArg(argv[0]))); }
JET_FN(fnCCur) { NULL_IN_NULL_OUT(1) setReal(c, Currency::fromDouble(numberArg(argv[0])).toDouble()); }
JET_FN(fnCDbl) { NULL_IN_NULL_OUT(1) setReal(c, numberArg(argv[0])); }
JET_FN(fnCLng) { NULL_IN_NULL_OUT(1) setInt(c, longArg(argv[0])); }
JET_FN(fnCInt)
{
    NULL_IN_NULL_OUT(1)
    const qint64 v = longArg(argv[0]);
    if (v < -32768 || v > 32767) throw AppError::overflow(QStringLiteral("JetSQL"));
    setInt(c, v);
}
JET_FN(fnCSng)
{
    NULL_IN_NULL_OUT(1)
    const float f = static_cast<float>(numberArg(argv[0]));
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, f);   // the single's own shortest digits
    setReal(c, std::strtod(std::string(buf, res.ptr).c_str(), nullptr));
}
JET_FN(fnCStr) { NULL_IN_NULL_OUT(1) setText(c, textOf(argv[0])); }
JET_FN(fnCBool)
{
    NULL_IN_NULL_OUT(1)
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const QString t = rawText(argv[0]).trimmed().toLower();
        if (t == QLatin1String("true") || t == QLatin1String("vero")) return setBool(c, true);
        if (t == QLatin1String("false") || t == QLatin1String("falso")) return setBool(c, false);
    }
    setBool(c, numberArg(argv[0]) != 0);
}

JET_FN(fnRound)
{
    NULL_IN_NULL_OUT(1)
    const qint64 places = argc > 1 && !isNull(argv[1]) ? longArg(argv[1]) : 0;
    if (places < 0 || places > 22) invalidCall();
    const double r = jet::roundDecimal(numberArg(argv[0]), static_cast<int>(places), jet::Rounding::HalfEven);
    if (places == 0)
        setNumber(c, r);
    else
        setReal(c, r);
}

// Val reads the longest number at the start of the text, blanks anywhere ignored, "." as
// the decimal point whatever the locale, &H and &O prefixes; nothing numeric gives 0.
JET_FN(fnVal)
{
    NULL_IN_NULL_OUT(1)
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(c, argv[0]);
    QString t = rawText(argv[0]);
    t.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const int base = t[1].toUpper() == QLatin1Char('H') ? 16 : 8;
        int end = 2;
        while (end < t.size() && QStringLiteral("0123456789abcdefABCDEF").left(base == 16 ? 22 : 8).contains(t[end]))
            ++end;
        bool ok = false;
        const qint64 v = t.mid(2, end - 2).toLongLong(&ok, base);
        return setNumber(c, ok ? static_cast<double>(v) : 0.0);
    }
    int i = 0;
    const int n = static_cast<int>(t.size());
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
    int digits = 0;
    while (i < n && t[i].isDigit()) ++i, ++digits;
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && t[i].isDigit()) ++i, ++digits;
    }
    if (digits > 0 && i < n
        && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E') || t[i] == QLatin1Char('d')
            || t[i] == QLatin1Char('D'))) {
        int k = i + 1;
        if (k < n && (t[k] == QLatin1Char('+') || t[k] == QLatin1Char('-'))) ++k;
        if (k < n && t[k].isDigit()) {
            while (k < n && t[k].isDigit()) ++k;
            t[i] = QLatin1Char('e');
            i = k;
        }
    }
    setNumber(c, digits == 0 ? 0.0 : t.left(i).toDouble());
}

JET_FN(fnStr)
{
    NULL_IN_NULL_OUT(1)
    const double v = numberArg(argv[0]);
    const QString s = jet::numberText(v, QLocale::c());
    setText(c, v >= 0 ? QLatin1Char(' ') + s : s);
}

JET_FN(fnIsNumeric)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return setBool(c, true);
    case SQLITE_TEXT: return setBool(c, numericText(rawText(argv[0])).has_value());
    default: return setBool(c, false);
    }
}

// --- text -----------------------------------------------------------------------------------

qint64 countArg(Val* v)
{
    const qint64 n = longArg(v);
    if (n < 0) invalidCall();
    return n;
}

JET_FN(fnLeft) { NULL_IN_NULL_OUT(2) setText(c, textOf(argv[0]).left(countArg(argv[1]))); }
JET_FN(fnRight) { NULL_IN_NULL_OUT(2) setText(c, textOf(argv[0]).right(countArg(argv[1]))); }
JET_FN(fnMid)
{
    NULL_IN_NULL_OUT(argc)
    const qint64 start = longArg(argv[1]);
    if (start < 1) invalidCall();
    const QString s = textOf(argv[0]);
    setText(c, argc > 2 ? s.mid(start - 1, countArg(argv[2])) : s.mid(start - 1));
}
JET_FN(fnLen) { NULL_IN_NULL_OUT(1) setInt(c, textOf(argv[0]).size()); }
JET_FN(fnUCase) { NULL_IN_NULL_OUT(1) setText(c, textOf(argv[0]).toUpper()); }
JET_FN(fnLCase) { NULL_IN_NULL_OUT(1) setText(c, textOf(argv[0]).toLower()); }

QString trimSpaces(const QString& s, bool left, bool right)
{
    int a = 0, b = static_cast<int>(s.size());
    if (left)
        while (a < b && s[a] == QLatin1Char(' ')) ++a;
    if (right)
        while (b > a && s[b - 1] == QLatin1Char(' ')) --b;
    return s.mid(a, b - a);
}
JET_FN(fnTrim) { NULL_IN_NULL_OUT(1) setText(c, trimSpaces(textOf(argv[0]), true, true)); }
JET_FN(fnLTrim) { NULL_IN_NULL_OUT(1) setText(c, trimSpaces(textOf(argv[0]), true, false)); }
JET_FN(fnRTrim) { NULL_IN_NULL_OUT(1) setText(c, trimSpaces(textOf(argv[0]), false, true)); }

// The comparison argument: 0 binary, 1 (the default in queries) text, without case.
Qt::CaseSensitivity compareArg(int argc, Val** argv, int index)
{
    if (argc <= index || isNull(argv[index])) return Qt::CaseInsensitive;
    return longArg(argv[index]) == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

JET_FN(fnInStr)
{
    // InStr([start,] text, sought[, compare])
    const bool withStart = argc >= 3;
    const int ti = withStart ? 1 : 0;
    NULL_IN_NULL_OUT(ti + 2)
    const qint64 start = withStart ? longArg(argv[0]) : 1;
    if (start < 1) invalidCall();
    const QString text = textOf(argv[ti]), sought = textOf(argv[ti + 1]);
    if (start > text.size()) return setInt(c, 0);
    if (sought.isEmpty()) return setInt(c, start);
    setInt(c, text.indexOf(sought, start - 1, compareArg(argc, argv, 3)) + 1);
}

JET_FN(fnReplace)
{
    // Replace(text, find, with[, start[, count[, compare]]]): the result starts at `start`.
    NULL_IN_NULL_OUT(3)
    const QString text = textOf(argv[0]), find = textOf(argv[1]), with = textOf(argv[2]);
    const qint64 start = argc > 3 && !isNull(argv[3]) ? longArg(argv[3]) : 1;
    qint64 count = argc > 4 && !isNull(argv[4]) ? longArg(argv[4]) : -1;
    if (start < 1 || count < -1) invalidCall();
    const Qt::CaseSensitivity cs = compareArg(argc, argv, 5);
    QString s = text.mid(start - 1), out;
    if (find.isEmpty()) return setText(c, s);
    qsizetype from = 0;
    while (count != 0) {
        const qsizetype at = s.indexOf(find, from, cs);
        if (at < 0) break;
        out += s.mid(from, at - from) + with;
        from = at + find.size();
        if (count > 0) --count;
    }
    setText(c, out + s.mid(from));
}

JET_FN(fnSpace) { NULL_IN_NULL_OUT(1) setText(c, QString(countArg(argv[0]), QLatin1Char(' '))); }
JET_FN(fnString)
{
    NULL_IN_NULL_OUT(2)
    const qint64 n = countArg(argv[0]);
    QChar ch;
    if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
        const QString s = rawText(argv[1]);
        if (s.isEmpty()) invalidCall();
        ch = s[0];
    } else {
        ch = QChar(static_cast<char16_t>(longArg(argv[1]) & 0xFFFF));
    }
    setText(c, QString(n, ch));
}
JET_FN(fnStrComp)
{
    NULL_IN_NULL_OUT(2)
    const int r = QString::compare(textOf(argv[0]), textOf(argv[1]), compareArg(argc, argv, 2));
    setInt(c, (r > 0) - (r < 0));
}
JET_FN(fnAsc)
{
    NULL_IN_NULL_OUT(1)
    const QString s = textOf(argv[0]);
    if (s.isEmpty()) invalidCall();
    setInt(c, s[0].unicode());
}
JET_FN(fnChr)
{
    NULL_IN_NULL_OUT(1)
    const qint64 n = longArg(argv[0]);
    if (n < 0 || n > 0xFFFF) invalidCall();
    setText(c, QString(QChar(static_cast<char16_t>(n))));
}

// --- arithmetic and logic -------------------------------------------------------------------

JET_FN(fnSgn)
{
    NULL_IN_NULL_OUT(1) const double v = numberArg(argv[0]);
    setInt(c, (v > 0) - (v < 0));
}
JET_FN(fnSqr)
{
    NULL_IN_NULL_OUT(1)
    const double v = numberArg(argv[0]);
    if (v < 0) invalidCall();
    setNumber(c, std::sqrt(v));
}
JET_FN(fnExp) { NULL_IN_NULL_OUT(1) setReal(c, std::exp(numberArg(argv[0]))); }
JET_FN(fnLog)
{
    NULL_IN_NULL_OUT(1)
    const double v = numberArg(argv[0]);
    if (v <= 0) invalidCall();
    setReal(c, std::log(v));
}

// \ and Mod round both operands to whole numbers first, as Jet does. A zero divisor gives
// Null, as SQLite's own division does: one bad row shows an empty cell instead of
// failing the whole view.
JET_FN(fnIntDiv)
{
    NULL_IN_NULL_OUT(2)
    const qint64 a = longArg(argv[0]), b = longArg(argv[1]);
    if (b == 0) return sqlite3_result_null(c);
    setInt(c, a / b);
}
JET_FN(fnMod)
{
    NULL_IN_NULL_OUT(2)
    const qint64 a = longArg(argv[0]), b = longArg(argv[1]);
    if (b == 0) return sqlite3_result_null(c);
    setInt(c, a % b);
}
JET_FN(fnPow)
{
    NULL_IN_NULL_OUT(2)
    const double a = numberArg(argv[0]), b = numberArg(argv[1]);
    if (a < 0 && b != std::trunc(b)) invalidCall();
    setNumber(c, std::pow(a, b));
}

std::optional<bool> truth(Val* v)
{
    if (isNull(v)) return std::nullopt;
    return numberArg(v) != 0;
}
JET_FN(fnXor)
{
    auto a = truth(argv[0]), b = truth(argv[1]);
    if (!a || !b) return sqlite3_result_null(c);
    setBool(c, *a != *b);
}
JET_FN(fnEqv)
{
    auto a = truth(argv[0]), b = truth(argv[1]);
    if (!a || !b) return sqlite3_result_null(c);
    setBool(c, *a == *b);
}
JET_FN(fnImp)
{
    // Null Imp True and False Imp Null are True; the other cases with a Null are Null.
    auto a = truth(argv[0]), b = truth(argv[1]);
    if (a && !*a) return setBool(c, true);
    if (b && *b) return setBool(c, true);
    if (!a || !b) return sqlite3_result_null(c);
    setBool(c, false);
}

// Plain ASCII text, as SQLite holds it: matched from its bytes.
bool asciiText(Val* v, const char*& text, size_t& size)
{
    if (sqlite3_value_type(v) != SQLITE_TEXT) return false;
    text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    size = static_cast<size_t>(sqlite3_value_bytes(v));
    if (!text) return false;
    for (size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    return true;
}

JET_FN(fnLike)
{
    NULL_IN_NULL_OUT(2)
    auto* cached = static_cast<JetLikePattern*>(sqlite3_get_auxdata(c, 1));
    const char* ascii = nullptr;
    size_t asciiSize = 0;
    if (cached && asciiText(argv[0], ascii, asciiSize)) return setBool(c, cached->matchesAscii(ascii, asciiSize));
    const QString text = textOf(argv[0]);
    if (cached) return setBool(c, cached->matches(text));
    auto pattern = std::make_unique<JetLikePattern>(textOf(argv[1]));
    const bool match = pattern->matches(text);
    sqlite3_set_auxdata(c, 1, pattern.release(), [](void* p) { delete static_cast<JetLikePattern*>(p); });
    setBool(c, match);
}

// --- registration ---------------------------------------------------------------------------

using Fn = void (*)(Ctx*, int, Val**);

template <Fn F> void guarded(Ctx* c, int argc, Val** argv)
{
    try {
        F(c, argc, argv);
    } catch (const AppError& e) {
        const QByteArray m = e.description.toUtf8();
        sqlite3_result_error(c, m.constData(), static_cast<int>(m.size()));
    } catch (const std::exception& e) {
        sqlite3_result_error(c, e.what(), -1);
    }
}

struct Definition {
    const char* name;
    int args;   // -1: the translator has checked the count
    bool deterministic;
    Fn fn;
};

const Definition kFunctions[] = {
    {"jet_year", 1, true, guarded<fnYear>},
    {"jet_month", 1, true, guarded<fnMonth>},
    {"jet_day", 1, true, guarded<fnDay>},
    {"jet_hour", 1, true, guarded<fnHour>},
    {"jet_minute", 1, true, guarded<fnMinute>},
    {"jet_second", 1, true, guarded<fnSecond>},
    {"jet_date", 0, false, guarded<fnDate>},
    {"jet_now", 0, false, guarded<fnNow>},
    {"jet_time", 0, false, guarded<fnTime>},
    {"jet_weekday", -1, true, guarded<fnWeekday>},
    {"jet_datepart", -1, true, guarded<fnDatePart>},
    {"jet_dateadd", 3, true, guarded<fnDateAdd>},
    {"jet_datediff", -1, true, guarded<fnDateDiff>},
    {"jet_dateserial", 3, true, guarded<fnDateSerial>},
    {"jet_timeserial", 3, true, guarded<fnTimeSerial>},
    {"jet_datevalue", 1, true, guarded<fnDateValue>},
    {"jet_timevalue", 1, true, guarded<fnTimeValue>},
    {"jet_cdate", 1, true, guarded<fnCDate>},
    {"jet_isdate", 1, true, guarded<fnIsDate>},
    {"jet_monthname", -1, true, guarded<fnMonthName>},
    {"jet_format", -1, true, guarded<fnFormat>},
    {"jet_nz", -1, true, guarded<fnNz>},
    {"jet_nzstr", 1, true, guarded<fnNzStr>},
    {"jet_int", 1, true, guarded<fnInt>},
    {"jet_fix", 1, true, guarded<fnFix>},
    {"jet_ccur", 1, true, guarded<fnCCur>},
    {"jet_cdbl", 1, true, guarded<fnCDbl>},
    {"jet_clng", 1, true, guarded<fnCLng>},
    {"jet_cint", 1, true, guarded<fnCInt>},
    {"jet_csng", 1, true, guarded<fnCSng>},
    {"jet_cstr", 1, true, guarded<fnCStr>},
    {"jet_cbool", 1, true, guarded<fnCBool>},
    {"jet_round", -1, true, guarded<fnRound>},
    {"jet_val", 1, true, guarded<fnVal>},
    {"jet_str", 1, true, guarded<fnStr>},
    {"jet_isnumeric", 1, true, guarded<fnIsNumeric>},
    {"jet_left", 2, true, guarded<fnLeft>},
    {"jet_right", 2, true, guarded<fnRight>},
    {"jet_mid", -1, true, guarded<fnMid>},
    {"jet_len", 1, true, guarded<fnLen>},
    {"jet_ucase", 1, true, guarded<fnUCase>},
    {"jet_lcase", 1, true, guarded<fnLCase>},
    {"jet_trim", 1, true, guarded<fnTrim>},
    {"jet_ltrim", 1, true, guarded<fnLTrim>},
    {"jet_rtrim", 1, true, guarded<fnRTrim>},
    {"jet_instr", -1, true, guarded<fnInStr>},
    {"jet_replace", -1, true, guarded<fnReplace>},
    {"jet_space", 1, true, guarded<fnSpace>},
    {"jet_string", 2, true, guarded<fnString>},
    {"jet_strcomp", -1, true, guarded<fnStrComp>},
    {"jet_asc", 1, true, guarded<fnAsc>},
    {"jet_chr", 1, true, guarded<fnChr>},
    {"jet_sgn", 1, true, guarded<fnSgn>},
    {"jet_sqr", 1, true, guarded<fnSqr>},
    {"jet_exp", 1, true, guarded<fnExp>},
    {"jet_log", 1, true, guarded<fnLog>},
    {"jet_idiv", 2, true, guarded<fnIntDiv>},
    {"jet_mod", 2, true, guarded<fnMod>},
    {"jet_pow", 2, true, guarded<fnPow>},
    {"jet_xor", 2, true, guarded<fnXor>},
    {"jet_eqv", 2, true, guarded<fnEqv>},
    {"jet_imp", 2, true, guarded<fnImp>},
    {"jet_like", 2, true, guarded<fnLike>},
};

}   // namespace

void RegisterJetFunctions(sqlite3* db)
{
    for (const Definition& d : kFunctions) {
        // Functions that read the clock are not deterministic; the locale is fixed for a run.
        int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS;
        if (d.deterministic) flags |= SQLITE_DETERMINISTIC;
        const int rc = sqlite3_create_function_v2(db, d.name, d.args, flags, nullptr, d.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw AppError::object(rc, QStringLiteral("JetSQL"),
                                   QStringLiteral("Registrazione della funzione %1 non riuscita: %2")
                                       .arg(QLatin1String(d.name), QString::fromUtf8(sqlite3_errstr(rc))));
    }
}
