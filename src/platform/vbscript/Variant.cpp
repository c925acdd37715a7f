#include "Variant.h"

#include "ScriptError.h"
#include "ScriptObject.h"

#include "base/Clock.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vbs {

namespace {

const qint64 kEpochJulian = QDate(1899, 12, 30).toJulianDay();
constexpr double kMinSerial = -657434.0;   // 1 January 100
constexpr double kMaxSerial = 2958465.9999999;   // 31 December 9999, 23:59:59

// Banker's rounding to an integer, as CInt and CLng do.
double roundEven(double d) { return std::nearbyint(d); }

}   // namespace

Variant::Variant(int v)
{
    if (v >= -32768 && v <= 32767) {
        m_type = VType::Integer;
    } else {
        m_type = VType::Long;
    }
    m_u.i = v;
}

Variant::Variant(long v)
{
    if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
        m_type = VType::Long;
        m_u.i = static_cast<int32_t>(v);
    } else {
        m_type = VType::Double;
        m_u.d = static_cast<double>(v);
    }
}

Variant::Variant(long long v) : Variant(static_cast<long>(v)) { }

Variant Variant::fromDateTime(const QDateTime& t) { return date(serialFromDateTime(t)); }

Variant Variant::fromDate(const QDate& d) { return date(static_cast<double>(d.toJulianDay() - kEpochJulian)); }

Variant Variant::fromQVariant(const QVariant& v)
{
    if (!v.isValid()) return {};
    if (v.isNull()) return null();
    switch (v.typeId()) {
    case QMetaType::Bool: return Variant(v.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: return Variant(v.toInt());
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return Variant(static_cast<long long>(v.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float: return Variant(v.toDouble());
    case QMetaType::QDate: return fromDate(v.toDate());
    case QMetaType::QDateTime: return fromDateTime(v.toDateTime());
    case QMetaType::QTime: {
        QTime t = v.toTime();
        return date(t.msecsSinceStartOfDay() / 86400000.0);
    }
    default: break;
    }
    if (v.metaType() == QMetaType::fromType<Currency>()) return Variant(v.value<Currency>());
    return Variant(v.toString());
}

QVariant Variant::toQVariant() const
{
    switch (m_type) {
    case VType::Empty: return {};
    case VType::Null: return QVariant(QMetaType::fromType<QString>());
    case VType::Byte:
    case VType::Integer:
    case VType::Long: return QVariant(m_u.i);
    case VType::Single:
    case VType::Double: return QVariant(m_u.d);
    case VType::Currency: return QVariant::fromValue(rawCurrency());
    case VType::Date: return QVariant(dateTimeFromSerial(m_u.d));
    case VType::String: return QVariant(m_str);
    case VType::Boolean: return QVariant(m_u.b);
    case VType::Object: return valueOf().toQVariant();
    case VType::Error: return QVariant(m_u.i);
    case VType::Array: {
        QVariantList list;
        if (m_arr)
            for (const Variant& item : m_arr->items) list.append(item.toQVariant());
        return list;
    }
    }
    return {};
}

bool Variant::isNumeric() const
{
    switch (m_type) {
    case VType::Byte:
    case VType::Integer:
    case VType::Long:
    case VType::Single:
    case VType::Double:
    case VType::Currency:
    case VType::Date:
    case VType::Boolean: return true;
    default: return false;
    }
}

Variant Variant::valueOf() const
{
    if (m_type != VType::Object) return *this;
    if (!m_obj) throw ScriptError(err::kObjectNotSet);
    Variant v = m_obj->get(QString(), {});
    // A default member that is itself an object (a collection's default item) is followed
    // once more; deeper chains are a host's mistake, refused rather than followed forever.
    if (v.m_type == VType::Object) {
        if (!v.m_obj) throw ScriptError(err::kObjectNotSet);
        v = v.m_obj->get(QString(), {});
        if (v.m_type == VType::Object) throw ScriptError(err::kTypeMismatch);
    }
    return v;
}

QString Variant::toString() const
{
    switch (m_type) {
    case VType::Empty: return QString();
    case VType::Null: throw ScriptError(err::kInvalidNull);
    case VType::Byte:
    case VType::Integer:
    case VType::Long: return QString::number(m_u.i);
    case VType::Single: return singleText(static_cast<float>(m_u.d));
    case VType::Double: return numberText(m_u.d);
    case VType::Currency: return currencyText(rawCurrency());
    case VType::Date: return dateText(m_u.d);
    case VType::String: return m_str;
    case VType::Boolean: return m_u.b ? QStringLiteral("True") : QStringLiteral("False");
    case VType::Object: return valueOf().toString();
    case VType::Error:
    case VType::Array: break;
    }
    throw ScriptError(err::kTypeMismatch);
}

double Variant::toDouble() const
{
    switch (m_type) {
    case VType::Empty: return 0.0;
    case VType::Null: throw ScriptError(err::kInvalidNull);
    case VType::Byte:
    case VType::Integer:
    case VType::Long: return m_u.i;
    case VType::Single:
    case VType::Double:
    case VType::Date: return m_u.d;
    case VType::Currency: return rawCurrency().toDouble();
    case VType::Boolean: return m_u.b ? -1.0 : 0.0;
    case VType::String: {
        double d = 0;
        if (parseNumber(m_str, d)) return d;
        throw ScriptError(err::kTypeMismatch);
    }
    case VType::Object: return valueOf().toDouble();
    case VType::Error:
    case VType::Array: break;
    }
    throw ScriptError(err::kTypeMismatch);
}

int32_t Variant::toLong() const
{
    switch (m_type) {
    case VType::Byte:
    case VType::Integer:
    case VType::Long: return m_u.i;
    case VType::Boolean: return m_u.b ? -1 : 0;
    case VType::Empty: return 0;
    case VType::Currency: {
        // Half to even at the unit, exactly.
        int64_t u = m_u.c;
        int64_t q = u / Currency::kScale;
        int64_t r = u % Currency::kScale;
        if (r < 0) {
            r = -r;
        }
        if (r * 2 > Currency::kScale || (r * 2 == Currency::kScale && q % 2 != 0)) q += u < 0 ? -1 : 1;
        if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max())
            throw ScriptError(err::kOverflow);
        return static_cast<int32_t>(q);
    }
    default: break;
    }
    double d = roundEven(toDouble());
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) throw ScriptError(err::kOverflow);
    return static_cast<int32_t>(d);
}

int16_t Variant::toInteger() const
{
    int32_t v;
    if (m_type == VType::Double || m_type == VType::Single || m_type == VType::Date || m_type == VType::String) {
        double d = roundEven(toDouble());
        if (!(d >= -32768.0 && d <= 32767.0)) throw ScriptError(err::kOverflow);
        return static_cast<int16_t>(d);
    }
    v = toLong();
    if (v < -32768 || v > 32767) throw ScriptError(err::kOverflow);
    return static_cast<int16_t>(v);
}

uint8_t Variant::toByte() const
{
    // True is all bits set: 255 in a byte.
    if (m_type == VType::Boolean) return m_u.b ? 255 : 0;
    if (m_type == VType::Currency) {
        const int32_t v = toLong();
        if (v < 0 || v > 255) throw ScriptError(err::kOverflow);
        return static_cast<uint8_t>(v);
    }
    const double d = roundEven(toDouble());
    if (!(d >= 0.0 && d <= 255.0)) throw ScriptError(err::kOverflow);
    return static_cast<uint8_t>(d);
}

float Variant::toSingle() const
{
    const double d = toDouble();
    if (!(std::fabs(d) <= static_cast<double>(std::numeric_limits<float>::max()))) throw ScriptError(err::kOverflow);
    return static_cast<float>(d);
}

std::optional<bool> booleanName(const QString& text)
{
    // The English and Italian names, and the bracketed forms a Boolean is written in when
    // stored as text.
    const QString t = text.trimmed();
    for (const char* name : {"true", "vero", "#true#"})
        if (t.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
    for (const char* name : {"false", "falso", "#false#"})
        if (t.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

bool Variant::toBool() const
{
    switch (m_type) {
    case VType::Empty: return false;
    case VType::Null: throw ScriptError(err::kInvalidNull);
    case VType::Boolean: return m_u.b;
    case VType::Byte:
    case VType::Integer:
    case VType::Long: return m_u.i != 0;
    case VType::Single:
    case VType::Double:
    case VType::Date: return m_u.d != 0.0;
    case VType::Currency: return m_u.c != 0;
    case VType::String: {
        if (const std::optional<bool> b = booleanName(m_str)) return *b;
        double d = 0;
        if (parseNumber(m_str, d)) return d != 0.0;
        throw ScriptError(err::kTypeMismatch);
    }
    case VType::Object: return valueOf().toBool();
    case VType::Error:
    case VType::Array: break;
    }
    throw ScriptError(err::kTypeMismatch);
}

Currency Variant::toCurrency() const
{
    try {
        switch (m_type) {
        case VType::Currency: return rawCurrency();
        case VType::Integer:
        case VType::Long: return Currency::fromInt(m_u.i);
        case VType::String: {
            double d = 0;
            if (!parseNumber(m_str, d)) throw ScriptError(err::kTypeMismatch);
            // Exact decimal reading when the text is a plain decimal number.
            static const QLocale italian(QLocale::Italian, QLocale::Italy);
            if (auto c = Currency::parse(m_str, italian)) return *c;
            return Currency::fromDouble(d);
        }
        case VType::Object: return valueOf().toCurrency();
        default: return Currency::fromDouble(toDouble());
        }
    } catch (const ScriptError&) {
        throw;
    } catch (const AppError&) {
        throw ScriptError(err::kOverflow);
    }
}

double Variant::toDateSerial() const
{
    switch (m_type) {
    case VType::Date: return m_u.d;
    case VType::String: {
        double d = 0;
        if (parseDate(m_str, d)) return d;
        if (parseNumber(m_str, d) && d >= kMinSerial && d <= kMaxSerial) return d;
        throw ScriptError(err::kTypeMismatch);
    }
    case VType::Object: return valueOf().toDateSerial();
    case VType::Null: throw ScriptError(err::kInvalidNull);
    default: break;
    }
    double d = toDouble();
    if (!(d >= kMinSerial && d <= kMaxSerial)) throw ScriptError(err::kOverflow);
    return d;
}

QDateTime Variant::toDateTime() const { return dateTimeFromSerial(toDateSerial()); }

// ---- arrays ----

ArrayPtr ArrayData::make(const std::vector<int32_t>& upper, bool fixedSize)
{
    auto a = std::make_shared<ArrayData>();
    a->upper = upper;
    a->fixedSize = fixedSize;
    size_t n = upper.empty() ? 0 : 1;
    for (int32_t u : upper) n *= static_cast<size_t>(u + 1);
    a->items.resize(n);
    return a;
}

ArrayPtr ArrayData::fromList(VariantList items)
{
    auto a = std::make_shared<ArrayData>();
    a->upper = {static_cast<int32_t>(items.size()) - 1};
    a->items = std::move(items);
    return a;
}

ArrayPtr ArrayData::clone() const
{
    auto a = std::make_shared<ArrayData>(*this);
    a->locks = 0;
    // Nested arrays are values too.
    for (Variant& v : a->items)
        if (v.isArray() && v.array()) v = Variant(v.array()->clone());
    return a;
}

size_t ArrayData::offset(const std::vector<int32_t>& indexes) const
{
    if (indexes.size() != upper.size()) throw ScriptError(err::kSubscript);
    size_t off = 0;
    for (size_t k = 0; k < indexes.size(); ++k) {
        if (indexes[k] < 0 || indexes[k] > upper[k]) throw ScriptError(err::kSubscript);
        off = off * static_cast<size_t>(upper[k] + 1) + static_cast<size_t>(indexes[k]);
    }
    return off;
}

VariantList ArrayData::firstIndexFastest() const
{
    if (upper.size() <= 1) return items;
    const size_t dims = upper.size();
    std::vector<size_t> stride(dims, 1);   // of the stored order, first index slowest
    for (size_t k = dims - 1; k > 0; --k) stride[k - 1] = stride[k] * static_cast<size_t>(upper[k] + 1);
    VariantList out;
    out.reserve(items.size());
    std::vector<int32_t> idx(dims, 0);
    for (size_t n = 0; n < items.size(); ++n) {
        size_t off = 0;
        for (size_t k = 0; k < dims; ++k) off += static_cast<size_t>(idx[k]) * stride[k];
        out.push_back(items[off]);
        for (size_t k = 0; k < dims && ++idx[k] > upper[k]; ++k) idx[k] = 0;
    }
    return out;
}

// ---- text ----

QString numberText(double d)
{
    if (d == 0.0) return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", d);
    QString s = QString::fromLatin1(buf);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString singleText(float f)
{
    if (f == 0.0f) return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(f));
    QString s = QString::fromLatin1(buf);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

bool decimalToDouble(const QByteArray& text, double& out)
{
    const char* b = text.constData();
    const char* e = b + text.size();
    double v = 0;
    const auto r = std::from_chars(b, e, v);
    if (r.ptr != e) return false;
    if (r.ec == std::errc()) {
        out = v;
        return std::isfinite(v);
    }
    if (r.ec != std::errc::result_out_of_range) return false;
    // Out of range either way: find the power of ten of the first significant digit.
    const char* p = b;
    long long intDigits = 0;
    while (p < e && *p >= '0' && *p <= '9') {
        ++intDigits;
        ++p;
    }
    long long lead = 0;   // power of the first non-zero digit
    bool found = false;
    for (const char* q = b; q < b + intDigits; ++q)
        if (*q != '0') {
            lead = intDigits - 1 - (q - b);
            found = true;
            break;
        }
    if (p < e && *p == '.') {
        ++p;
        for (long long j = 1; p < e && *p >= '0' && *p <= '9'; ++p, ++j)
            if (!found && *p != '0') {
                lead = -j;
                found = true;
            }
    }
    long long exponent = 0;
    if (p < e && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p < e && *p == '-';
        if (p < e && (*p == '-' || *p == '+')) ++p;
        for (; p < e && *p >= '0' && *p <= '9'; ++p) exponent = std::min(exponent * 10 + (*p - '0'), 1000000000LL);
        if (negative) exponent = -exponent;
    }
    if (!found || lead + exponent < 0) {
        out = 0.0;
        return true;
    }
    return false;
}

QString currencyText(Currency c)
{
    int64_t u = c.units();
    bool neg = u < 0;
    unsigned long long a = neg ? 0ULL - static_cast<unsigned long long>(u) : static_cast<unsigned long long>(u);
    QString s = QString::number(a / Currency::kScale);
    unsigned long long frac = a % Currency::kScale;
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0'))) f.chop(1);
        s += QLatin1Char(',') + f;
    }
    return neg ? QLatin1Char('-') + s : s;
}

QString dateText(double serial)
{
    int y, m, d, h, n, s;
    if (!partsFromSerial(serial, y, m, d, h, n, s)) throw ScriptError(err::kOverflow);
    const bool hasDate = std::trunc(serial) != 0.0;
    const bool hasTime = h || n || s;
    QString text;
    if (hasDate || !hasTime)
        text = QStringLiteral("%1/%2/%3")
                   .arg(d, 2, 10, QLatin1Char('0'))
                   .arg(m, 2, 10, QLatin1Char('0'))
                   .arg(y, 4, 10, QLatin1Char('0'));
    if (hasTime) {
        if (!text.isEmpty()) text += QLatin1Char(' ');
        text += QStringLiteral("%1:%2:%3")
                    .arg(h, 2, 10, QLatin1Char('0'))
                    .arg(n, 2, 10, QLatin1Char('0'))
                    .arg(s, 2, 10, QLatin1Char('0'));
    }
    return text;
}

bool parseNumber(const QString& text, double& out)
{
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    auto skipBlanks = [&] {
        while (p < end && (*p == u' ' || *p == u'\t')) ++p;
    };
    skipBlanks();
    if (p == end) return false;
    bool neg = false;
    if (*p == u'-' || *p == u'+') {
        neg = *p == u'-';
        ++p;
        skipBlanks();
    }
    if (p < end && *p == u'&' && p + 1 < end) {
        // &H and &O prefixes: integers in base 16 and 8.
        QChar k = p[1].toUpper();
        int base = k == u'H' ? 16 : (k == u'O' ? 8 : 0);
        const QChar* q = p + (base ? 2 : 1);
        if (!base) base = 8;
        if (q == end) return false;
        unsigned long long v = 0;
        int digits = 0;
        for (; q < end; ++q) {
            int dv = q->isDigit()
                ? q->digitValue()
                : (q->toUpper().unicode() >= u'A' && q->toUpper().unicode() <= u'F' ? q->toUpper().unicode() - u'A' + 10
                                                                                    : -1);
            if (dv < 0 || dv >= base) break;
            v = v * base + dv;
            if (++digits > 22) return false;
        }
        p = q;
        skipBlanks();
        if (p != end || digits == 0 || v > 0xFFFFFFFFULL) return false;
        // Up to 16 bits reads as an Integer's bit pattern, beyond as a Long's.
        double r = v <= 0xFFFF ? static_cast<int16_t>(v) : static_cast<int32_t>(static_cast<uint32_t>(v));
        out = neg ? -r : r;
        return true;
    }
    QByteArray digits;
    digits.reserve(text.size() + 4);
    bool any = false;
    bool inFrac = false;
    for (; p < end; ++p) {
        if (p->isDigit()) {
            digits += static_cast<char>('0' + p->digitValue());
            any = true;
        } else if (*p == u'.' && !inFrac && any) {
            continue;   // the group separator, wherever it stands in the whole part
        } else if (*p == u',' && !inFrac) {
            inFrac = true;
            digits += '.';
        } else {
            break;
        }
    }
    bool anyDigit = false;
    for (char c : digits)
        if (c != '.') anyDigit = true;
    if (!anyDigit) return false;
    if (p < end && (*p == u'e' || *p == u'E') && digits.size()) {
        const QChar* q = p + 1;
        QByteArray e = "e";
        if (q < end && (*q == u'+' || *q == u'-')) {
            e += static_cast<char>(q->unicode());
            ++q;
        }
        bool expDigits = false;
        while (q < end && q->isDigit()) {
            e += static_cast<char>('0' + q->digitValue());
            ++q;
            expDigits = true;
        }
        if (!expDigits) return false;
        digits += e;
        p = q;
    }
    skipBlanks();
    if (p != end) return false;
    double v = 0;
    if (!decimalToDouble(digits, v)) return false;
    out = neg ? -v : v;
    return true;
}

namespace {

int monthFromName(const QString& word)
{
    static const char* const names[] = {"gennaio", "febbraio", "marzo",     "aprile",  "maggio",   "giugno",
                                        "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};
    QString w = word.toLower();
    if (w.size() < 3) return 0;
    for (int i = 0; i < 12; ++i)
        if (QString::fromLatin1(names[i]).startsWith(w)) return i + 1;
    return 0;
}

bool parseTime(const QString& t, int& h, int& m, int& s)
{
    QString text = t.trimmed();
    bool pm = false, am = false;
    if (text.endsWith(QLatin1String("PM"), Qt::CaseInsensitive)) {
        pm = true;
        text.chop(2);
    } else if (text.endsWith(QLatin1String("AM"), Qt::CaseInsensitive)) {
        am = true;
        text.chop(2);
    }
    text = text.trimmed();
    QStringList parts = text.split(QRegularExpression(QStringLiteral("[:.]")));
    if (parts.size() < 2 || parts.size() > 3) return false;
    int vals[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        vals[i] = parts[i].toInt(&ok);
        if (!ok || parts[i].isEmpty() || parts[i].size() > 2) return false;
    }
    h = vals[0];
    m = vals[1];
    s = vals[2];
    if (pm || am) {
        if (h < 1 || h > 12) return false;
        if (pm && h != 12) h += 12;
        if (am && h == 12) h = 0;
    }
    return h < 24 && m < 60 && s < 60;
}

int expandYear(int y, int digits)
{
    if (digits <= 2) return y < 30 ? 2000 + y : 1900 + y;
    return y;
}

}   // namespace

bool parseDate(const QString& input, double& out)
{
    QString text = input.trimmed();
    if (text.isEmpty()) return false;
    // A time alone.
    int h = 0, mi = 0, s = 0;
    if (!text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('-')) && parseTime(text, h, mi, s)) {
        out = (h * 3600 + mi * 60 + s) / 86400.0;
        return true;
    }
    QString datePart = text, timePart;
    int sp = text.indexOf(QLatin1Char(' '));
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int y = 0, m = 0, d = 0;
    if (words.size() >= 3 && monthFromName(words[1])) {
        // "10 dicembre 2024 [time]"
        bool ok1 = false, ok2 = false;
        d = words[0].toInt(&ok1);
        m = monthFromName(words[1]);
        y = words[2].toInt(&ok2);
        if (!ok1 || !ok2) return false;
        y = expandYear(y, words[2].size());
        timePart = words.mid(3).join(QLatin1Char(' '));
    } else {
        if (sp > 0) {
            datePart = text.left(sp);
            timePart = text.mid(sp + 1);
        }
        QStringList parts = datePart.split(QRegularExpression(QStringLiteral("[/\\-.]")));
        if (parts.size() < 2 || parts.size() > 3) return false;
        int v[3] = {0, 0, 0};
        for (int i = 0; i < parts.size(); ++i) {
            bool ok = false;
            v[i] = parts[i].toInt(&ok);
            if (!ok || parts[i].isEmpty() || parts[i].size() > 4) return false;
        }
        if (parts.size() == 3 && parts[0].size() == 4) {
            y = v[0];
            m = v[1];
            d = v[2];
        } else {
            d = v[0];
            m = v[1];
            y = parts.size() == 3 ? expandYear(v[2], parts[2].size()) : appClock().today().year();
        }
    }
    if (!QDate::isValid(y, m, d) || y < 100) return false;
    if (!timePart.trimmed().isEmpty() && !parseTime(timePart, h, mi, s)) return false;
    out = serialFromParts(y, m, d, h, mi, s);
    return true;
}

double serialFromParts(int year, int month, int day, int hour, int minute, int second)
{
    double days = static_cast<double>(QDate(year, month, day).toJulianDay() - kEpochJulian);
    double t = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return days >= 0 ? days + t : days - t;
}

bool partsFromSerial(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second)
{
    if (!(serial >= kMinSerial - 1 && serial <= kMaxSerial + 1)) return false;
    double whole = std::trunc(serial);
    double frac = std::fabs(serial - whole);
    long long secs = std::llround(frac * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        whole += serial >= 0 ? 1 : -1;
    }
    QDate d = QDate::fromJulianDay(kEpochJulian + static_cast<qint64>(whole));
    if (!d.isValid() || d.year() < 100 || d.year() > 9999) return false;
    year = d.year();
    month = d.month();
    day = d.day();
    hour = static_cast<int>(secs / 3600);
    minute = static_cast<int>(secs / 60 % 60);
    second = static_cast<int>(secs % 60);
    return true;
}

QDateTime dateTimeFromSerial(double serial)
{
    int y, m, d, h, n, s;
    if (!partsFromSerial(serial, y, m, d, h, n, s)) throw ScriptError(err::kOverflow);
    return QDateTime(QDate(y, m, d), QTime(h, n, s));
}

double serialFromDateTime(const QDateTime& t)
{
    QTime tm = t.time();
    return serialFromParts(t.date().year(), t.date().month(), t.date().day(), tm.hour(), tm.minute(), tm.second());
}

}   // namespace vbs
