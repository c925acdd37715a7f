#include "ReportFormat.h"
#include "base/Currency.h"
#include <QDateTime>
#include <cmath>

namespace report {

namespace {
// Below this a double goes through Currency, which rounds decimal halves the way a person
// expects (2.675 -> 2,68) instead of by the binary neighbour.
constexpr double kCurrencyRange = 9.0e14;

bool isCurrency(const QVariant& v) { return v.metaType() == QMetaType::fromType<Currency>(); }

bool isInteger(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: return true;
    default: return false;
    }
}

bool isFloating(const QVariant& v)
{
    return v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float;
}

QString boolText(bool b) { return b ? QStringLiteral("Sì") : QStringLiteral("No"); }

QString numberText(double d, int decimals, bool grouping, const QLocale& locale)
{
    if (std::isfinite(d) && std::fabs(d) < kCurrencyRange && decimals <= 4)
        return Currency::fromDouble(d).toText(locale, decimals, grouping);
    QLocale l = locale;
    l.setNumberOptions(grouping ? QLocale::NumberOptions() : QLocale::OmitGroupSeparator);
    return l.toString(d, 'f', decimals);
}

QString integerText(qlonglong i, int decimals, bool grouping, const QLocale& locale)
{
    if (std::llabs(i) < static_cast<qlonglong>(kCurrencyRange))
        return Currency::fromInt(i).toText(locale, decimals, grouping);
    return numberText(static_cast<double>(i), decimals, grouping, locale);
}

// Dates travel as text when they come straight from the storage ("yyyy-MM-dd HH:mm:ss").
QDateTime dateFromText(const QString& s)
{
    const QString t = s.trimmed();
    for (const char* pattern : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd", "yyyy-MM-ddTHH:mm:ss"}) {
        QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(pattern));
        if (dt.isValid()) return dt;
    }
    return {};
}

QDateTime toDateTime(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::QDateTime: return v.toDateTime();
    case QMetaType::QDate: return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QString: return dateFromText(v.toString());
    default: return {};
    }
}

QString autoText(const QVariant& v, const QLocale& locale)
{
    if (isCurrency(v)) return v.value<Currency>().toText(locale, 2, true);
    if (isFloating(v)) {
        QLocale l = locale;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l.toString(v.toDouble(), 'f', QLocale::FloatingPointShortest);
    }
    if (isInteger(v)) return v.toString();
    switch (v.metaType().id()) {
    case QMetaType::Bool: return boolText(v.toBool());
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return locale.toString(
            dt, dt.time() == QTime(0, 0) ? QStringLiteral("dd/MM/yyyy") : QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::QDate: return locale.toString(v.toDate(), QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QTime: return locale.toString(v.toTime(), QStringLiteral("HH:mm:ss"));
    default: return v.toString();
    }
}
}   // namespace

FieldFormat FieldFormat::number(int decimals, bool grouping)
{
    FieldFormat f;
    f.kind = Kind::Number;
    f.decimals = std::max(0, decimals);
    f.grouping = grouping;
    return f;
}

FieldFormat FieldFormat::date(const QString& pattern)
{
    FieldFormat f;
    f.kind = Kind::Date;
    f.datePattern = pattern;
    return f;
}

FieldFormat FieldFormat::parse(const QString& pattern)
{
    const QString p = pattern.trimmed();
    if (p.isEmpty()) return automatic();
    if (p == QStringLiteral("@")) return text();
    bool numeric = true;
    for (QChar c : p)
        if (c != u'#' && c != u'0' && c != u',' && c != u'.') {
            numeric = false;
            break;
        }
    if (!numeric) return date(p);
    const int point = p.indexOf(u'.');
    const int decimals = point < 0 ? 0 : static_cast<int>(p.size() - point - 1);
    return number(decimals, p.left(point < 0 ? p.size() : point).contains(u','));
}

QLocale reportLocale() { return QLocale(QLocale::Italian, QLocale::Italy); }

bool isNumericValue(const QVariant& v) { return isCurrency(v) || isFloating(v) || isInteger(v); }

QString formatValue(const QVariant& v, const FieldFormat& format, const QLocale& locale)
{
    if (!v.isValid() || v.isNull()) return format.nullText;
    switch (format.kind) {
    case FieldFormat::Kind::Auto: return autoText(v, locale);
    case FieldFormat::Kind::Text:
        if (isCurrency(v)) return v.value<Currency>().toText(locale);
        if (v.metaType().id() == QMetaType::Bool) return boolText(v.toBool());
        return autoText(v, locale);
    case FieldFormat::Kind::Number:
        if (isCurrency(v)) return v.value<Currency>().toText(locale, format.decimals, format.grouping);
        if (isFloating(v)) return numberText(v.toDouble(), format.decimals, format.grouping, locale);
        if (isInteger(v)) return integerText(v.toLongLong(), format.decimals, format.grouping, locale);
        if (v.metaType().id() == QMetaType::QString) {
            if (auto c = Currency::parse(v.toString(), QLocale::c()))
                return c->toText(locale, format.decimals, format.grouping);
            return v.toString();
        }
        return autoText(v, locale);
    case FieldFormat::Kind::Date: {
        const QDateTime dt = toDateTime(v);
        if (dt.isValid()) return locale.toString(dt, format.datePattern);
        return autoText(v, locale);
    }
    }
    return autoText(v, locale);
}

}   // namespace report
