#include "Builtins.h"

#include "base/Clock.h"
#include "Formatting.h"
#include "Operators.h"
#include "ScriptEngine.h"
#include "ScriptError.h"
#include "ScriptObject.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <cstring>
#include <QStringList>
#include <cmath>
#include <limits>

namespace vbs {

namespace {

using Args = VariantList;

bool given(const Args& a, size_t i) { return i < a.size() && !a[i].isMissing(); }

// Argument i as the function needs it: objects give their default value.
Variant arg(const Args& a, size_t i) { return a[i].valueOf(); }

QString str(const Args& a, size_t i) { return a[i].toString(); }
int32_t lng(const Args& a, size_t i) { return a[i].toLong(); }

bool anyNull(const Args& a, std::initializer_list<size_t> idx)
{
    for (size_t i : idx)
        if (i < a.size() && arg(a, i).isNull()) return true;
    return false;
}

Variant refused(const QString& what)
{
    throw ScriptError(
        err::kPermissionDenied,
        QStringLiteral("%1: %2 non \u00E8 disponibile negli script").arg(errorText(err::kPermissionDenied), what));
}

Qt::CaseSensitivity compareMode(const Args& a, size_t i)
{
    if (!given(a, i)) return Qt::CaseSensitive;
    int32_t m = lng(a, i);
    if (m != 0 && m != 1) throw ScriptError(err::kInvalidCall);
    return m == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

// Characters 128-159 of the Windows Western code page, the one Chr and Asc use.
const char16_t kCp1252High[32]
    = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
       0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
       0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar charFromCode(int32_t code)
{
    if (code < 0 || code > 255) throw ScriptError(err::kInvalidCall);
    if (code >= 128 && code < 160) return QChar(kCp1252High[code - 128]);
    return QChar(static_cast<char16_t>(code));
}

int codeFromChar(QChar c)
{
    char16_t u = c.unicode();
    if (u < 128 || (u >= 160 && u < 256)) return u;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u) return 128 + i;
    return '?';
}

// ---- text ----

Variant fnLen(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    if (v.isNull()) return v;
    return Variant(static_cast<long>(v.toString().size()));
}

// Left and Right differ only in the end they keep.
Variant sidePart(const Args& a, bool fromLeft)
{
    Variant v = arg(a, 0);
    int32_t n = lng(a, 1);
    if (n < 0) throw ScriptError(err::kInvalidCall);
    if (v.isNull()) return v;
    const QString s = v.toString();
    return Variant(fromLeft ? s.left(n) : s.right(n));
}

Variant fnLeft(const Args& a, const ScriptLimits&) { return sidePart(a, true); }
Variant fnRight(const Args& a, const ScriptLimits&) { return sidePart(a, false); }

Variant fnMid(const Args& a, const ScriptLimits&)
{
    // A Null length or start is refused before either is read as a number.
    if ((given(a, 2) && arg(a, 2).isNull()) || arg(a, 1).isNull()) throw ScriptError(err::kInvalidNull);
    Variant v = arg(a, 0);
    int32_t start = lng(a, 1);
    int32_t len = given(a, 2) ? lng(a, 2) : -1;
    if (start < 1 || (given(a, 2) && len < 0)) throw ScriptError(err::kInvalidCall);
    if (v.isNull()) return v;
    QString s = v.toString();
    if (start > s.size()) return Variant(QString());
    return Variant(s.mid(start - 1, len));
}

QString trimSpaces(const QString& s, bool left, bool right)
{
    qsizetype b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == u' ') ++b;
    if (right)
        while (e > b && s[e - 1] == u' ') --e;
    return s.mid(b, e - b);
}

Variant fnTrim(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    return v.isNull() ? v : Variant(trimSpaces(v.toString(), true, true));
}
Variant fnLTrim(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    return v.isNull() ? v : Variant(trimSpaces(v.toString(), true, false));
}
Variant fnRTrim(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    return v.isNull() ? v : Variant(trimSpaces(v.toString(), false, true));
}
Variant fnUCase(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    return v.isNull() ? v : Variant(v.toString().toUpper());
}
Variant fnLCase(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    return v.isNull() ? v : Variant(v.toString().toLower());
}

Variant fnStrReverse(const Args& a, const ScriptLimits&)
{
    QString s = str(a, 0);
    std::reverse(s.begin(), s.end());
    return Variant(s);
}

Variant fnInStr(const Args& a, const ScriptLimits&)
{
    // InStr(s1, s2) or InStr(start, s1, s2[, compare])
    size_t first = 0;
    int32_t start = 1;
    if (a.size() >= 3) {
        Variant s = arg(a, 0);
        if (s.isNull()) throw ScriptError(err::kInvalidNull);
        start = s.toLong();
        if (start < 1) throw ScriptError(err::kInvalidCall);
        first = 1;
    }
    Qt::CaseSensitivity cs = a.size() >= 4 ? compareMode(a, 3) : Qt::CaseSensitive;
    Variant v1 = arg(a, first), v2 = arg(a, first + 1);
    if (v1.isNull() || v2.isNull()) return Variant::null();
    QString s1 = v1.toString(), s2 = v2.toString();
    if (start > s1.size()) return Variant(0);
    if (s2.isEmpty()) return Variant(static_cast<long>(start));
    return Variant(static_cast<long>(s1.indexOf(s2, start - 1, cs) + 1));
}

Variant fnInStrRev(const Args& a, const ScriptLimits&)
{
    Variant v1 = arg(a, 0), v2 = arg(a, 1);
    int32_t start = given(a, 2) ? lng(a, 2) : -1;
    if (start == 0 || start < -1) throw ScriptError(err::kInvalidCall);
    Qt::CaseSensitivity cs = compareMode(a, 3);
    if (v1.isNull() || v2.isNull()) throw ScriptError(err::kInvalidNull);
    QString s1 = v1.toString(), s2 = v2.toString();
    if (start == -1) start = static_cast<int32_t>(s1.size());
    if (start > s1.size()) return Variant(0);
    if (s2.isEmpty()) return Variant(static_cast<long>(start));
    // The match must end at or before start.
    qsizetype from = start - s2.size();
    if (from < 0) return Variant(0);
    return Variant(static_cast<long>(s1.lastIndexOf(s2, from, cs) + 1));
}

Variant fnReplace(const Args& a, const ScriptLimits& limits)
{
    for (size_t i = 0; i < 3; ++i)
        if (arg(a, i).isNull()) throw ScriptError(err::kInvalidNull);
    QString s = str(a, 0), find = str(a, 1), repl = str(a, 2);
    int32_t start = given(a, 3) ? lng(a, 3) : 1;
    int32_t count = given(a, 4) ? lng(a, 4) : -1;
    Qt::CaseSensitivity cs = compareMode(a, 5);
    if (start < 1 || count < -1) throw ScriptError(err::kInvalidCall);
    // The result starts at start: what lies before it is dropped.
    s = start > s.size() ? QString() : s.mid(start - 1);
    if (find.isEmpty() || count == 0) return Variant(s);
    QString out;
    qsizetype pos = 0;
    int done = 0;
    for (;;) {
        if (count >= 0 && done >= count) break;
        qsizetype hit = s.indexOf(find, pos, cs);
        if (hit < 0) break;
        out += QStringView(s).mid(pos, hit - pos);
        out += repl;
        checkStringLength(out.size(), limits);
        pos = hit + find.size();
        ++done;
    }
    out += QStringView(s).mid(pos);
    checkStringLength(out.size(), limits);
    return Variant(out);
}

Variant fnSpace(const Args& a, const ScriptLimits& limits)
{
    int32_t n = lng(a, 0);
    if (n < 0) throw ScriptError(err::kInvalidCall);
    checkStringLength(n, limits);
    return Variant(QString(n, u' '));
}

Variant fnString(const Args& a, const ScriptLimits& limits)
{
    int32_t n = lng(a, 0);
    Variant c = arg(a, 1);
    if (n < 0) throw ScriptError(err::kInvalidCall);
    if (c.isNull()) return c;
    QChar ch;
    if (c.isString()) {
        if (c.rawString().isEmpty()) throw ScriptError(err::kInvalidCall);
        ch = c.rawString()[0];
    } else {
        ch = charFromCode(c.toLong() & 0xFF);
    }
    checkStringLength(n, limits);
    return Variant(QString(n, ch));
}

Variant fnChr(const Args& a, const ScriptLimits&) { return Variant(QString(charFromCode(lng(a, 0)))); }

Variant fnChrW(const Args& a, const ScriptLimits&)
{
    int32_t c = lng(a, 0);
    if (c < -32768 || c > 65535) throw ScriptError(err::kInvalidCall);
    return Variant(QString(QChar(static_cast<char16_t>(c & 0xFFFF))));
}

Variant fnAsc(const Args& a, const ScriptLimits&)
{
    QString s = str(a, 0);
    if (s.isEmpty()) throw ScriptError(err::kInvalidCall);
    return Variant(codeFromChar(s[0]));
}

Variant fnAscW(const Args& a, const ScriptLimits&)
{
    QString s = str(a, 0);
    if (s.isEmpty()) throw ScriptError(err::kInvalidCall);
    return Variant(static_cast<int>(static_cast<int16_t>(s[0].unicode())));
}

Variant fnSplit(const Args& a, const ScriptLimits& limits)
{
    Variant v = arg(a, 0);
    if (v.isNull()) throw ScriptError(err::kInvalidNull);
    QString s = v.toString();
    QString delim = given(a, 1) ? str(a, 1) : QStringLiteral(" ");
    int32_t count = given(a, 2) ? lng(a, 2) : -1;
    Qt::CaseSensitivity cs = compareMode(a, 3);
    if (count < -1) throw ScriptError(err::kInvalidCall);
    VariantList parts;
    if (s.isEmpty() || count == 0) return Variant(ArrayData::fromList({}));
    if (delim.isEmpty()) return Variant(ArrayData::fromList({Variant(s)}));
    qsizetype pos = 0;
    for (;;) {
        if (count > 0 && static_cast<int32_t>(parts.size()) == count - 1) break;
        qsizetype hit = s.indexOf(delim, pos, cs);
        if (hit < 0) break;
        parts.emplace_back(s.mid(pos, hit - pos));
        checkArraySize(static_cast<double>(parts.size()), limits);
        pos = hit + delim.size();
    }
    parts.emplace_back(s.mid(pos));
    return Variant(ArrayData::fromList(std::move(parts)));
}

const ArrayData& arrayArg(const Args& a, size_t i)
{
    const Variant& v = a[i];
    if (!v.isArray() || !v.array()) throw ScriptError(err::kTypeMismatch);
    return *v.array();
}

Variant fnJoin(const Args& a, const ScriptLimits& limits)
{
    if (a[0].isNull()) throw ScriptError(err::kInvalidNull);
    const ArrayData& arr = arrayArg(a, 0);
    if (arr.dimensions() != 1) throw ScriptError(err::kTypeMismatch);
    QString delim = given(a, 1) ? str(a, 1) : QStringLiteral(" ");
    QString out;
    for (size_t i = 0; i < arr.items.size(); ++i) {
        if (i) out += delim;
        const Variant item = arr.items[i].valueOf();
        if (item.isNull()) throw ScriptError(err::kTypeMismatch);
        out += item.toString();
        checkStringLength(out.size(), limits);
    }
    return Variant(out);
}

Variant fnStrComp(const Args& a, const ScriptLimits&)
{
    Variant x = arg(a, 0), y = arg(a, 1);
    Qt::CaseSensitivity cs = compareMode(a, 2);
    if (x.isNull() || y.isNull()) return Variant::null();
    int c = QString::compare(x.toString(), y.toString(), cs);
    return Variant((c > 0) - (c < 0));
}

// ---- conversion ----

Variant nullChecked(const Args& a)
{
    Variant v = arg(a, 0);
    if (v.isNull()) throw ScriptError(err::kInvalidNull);
    return v;
}

Variant fnCStr(const Args& a, const ScriptLimits&) { return Variant(nullChecked(a).toString()); }
Variant fnCInt(const Args& a, const ScriptLimits&) { return Variant::integer(nullChecked(a).toInteger()); }
Variant fnCLng(const Args& a, const ScriptLimits&) { return Variant::longValue(nullChecked(a).toLong()); }
Variant fnCDbl(const Args& a, const ScriptLimits&) { return Variant(nullChecked(a).toDouble()); }
Variant fnCCur(const Args& a, const ScriptLimits&) { return Variant(nullChecked(a).toCurrency()); }
Variant fnCBool(const Args& a, const ScriptLimits&) { return Variant(nullChecked(a).toBool()); }
Variant fnCDate(const Args& a, const ScriptLimits&) { return Variant::date(nullChecked(a).toDateSerial()); }

Variant fnCByte(const Args& a, const ScriptLimits&) { return Variant::byteValue(nullChecked(a).toByte()); }
Variant fnCSng(const Args& a, const ScriptLimits&) { return Variant::single(nullChecked(a).toSingle()); }

// Int and Fix keep the argument's type; text becomes Double.
Variant wholePart(const Args& a, bool floorIt)
{
    Variant v = arg(a, 0);
    auto cut = [floorIt](double d) { return floorIt ? std::floor(d) : std::trunc(d); };
    switch (v.type()) {
    case VType::Null:
    case VType::Byte:
    case VType::Integer:
    case VType::Long: return v;
    case VType::Empty: return Variant::integer(0);
    case VType::Boolean: return Variant::integer(v.rawBool() ? -1 : 0);
    case VType::Currency: {
        int64_t u = v.rawCurrency().units();
        int64_t q = u / Currency::kScale;
        if (floorIt && u < 0 && u % Currency::kScale != 0) --q;
        return Variant(Currency::fromUnits(q * Currency::kScale));
    }
    case VType::Single: return Variant::single(static_cast<float>(cut(v.rawDouble())));
    case VType::Date: return Variant::date(cut(v.rawDouble()));
    default: return Variant(cut(v.toDouble()));
    }
}

Variant fnInt(const Args& a, const ScriptLimits&) { return wholePart(a, true); }
Variant fnFix(const Args& a, const ScriptLimits&) { return wholePart(a, false); }

Variant fnRound(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    int32_t n = given(a, 1) ? lng(a, 1) : 0;
    if (n < 0) throw ScriptError(err::kInvalidCall);
    switch (v.type()) {
    case VType::Null:
    case VType::Byte:
    case VType::Integer:
    case VType::Long:
    case VType::Boolean: return v;   // already whole, and keeps its subtype
    case VType::Empty: return Variant::integer(0);
    case VType::Currency: {
        if (n >= 4) return v;
        int64_t step = 1;
        for (int i = n; i < 4; ++i) step *= 10;
        int64_t u = v.rawCurrency().units();
        int64_t q = u / step, r = u % step;
        if (r < 0) r = -r;
        if (r * 2 > step || (r * 2 == step && q % 2 != 0)) q += u < 0 ? -1 : 1;
        return Variant(Currency::fromUnits(q * step));
    }
    default: {
        double d = v.toDouble();
        if (n > 22) return Variant(d);
        double p = std::pow(10.0, n);
        double r = std::nearbyint(d * p) / p;   // half to even
        if (!std::isfinite(r)) r = d;
        if (v.type() == VType::Date) return Variant::date(r);
        if (v.type() == VType::Single) return Variant::single(static_cast<float>(r));
        return Variant(r);
    }
    }
}

Variant fnAbs(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    if (v.isNull()) return v;
    if (v.isEmpty()) return Variant::integer(0);
    if (v.isString()) v = Variant(v.toDouble());   // numeric text is a Double
    if (compareValues(v, Variant(0)).value_or(0) < 0) return negate(v);
    if (v.type() == VType::Boolean) return Variant::integer(0);
    return v;
}

Variant fnSgn(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    if (v.isNull()) throw ScriptError(err::kInvalidNull);
    double d = v.toDouble();
    return Variant::integer(static_cast<int16_t>((d > 0) - (d < 0)));
}

Variant radixText(const Args& a, int base)
{
    Variant v = arg(a, 0);
    if (v.isNull()) return v;
    uint32_t bits;
    if (v.type() == VType::Integer || v.type() == VType::Byte || v.isEmpty() || v.type() == VType::Boolean) {
        bits = static_cast<uint16_t>(static_cast<int16_t>(v.toLong()));
    } else {
        bits = static_cast<uint32_t>(v.toLong());
    }
    return Variant(QString::number(bits, base).toUpper());
}

Variant fnHex(const Args& a, const ScriptLimits&) { return radixText(a, 16); }
Variant fnOct(const Args& a, const ScriptLimits&) { return radixText(a, 8); }

Variant mathResult(double r)
{
    if (std::isnan(r)) throw ScriptError(err::kInvalidCall);
    if (!std::isfinite(r)) throw ScriptError(err::kOverflow);
    return Variant(r);
}

Variant fnSqr(const Args& a, const ScriptLimits&)
{
    double d = nullChecked(a).toDouble();
    if (d < 0) throw ScriptError(err::kInvalidCall);
    return Variant(std::sqrt(d));
}
Variant fnExp(const Args& a, const ScriptLimits&) { return mathResult(std::exp(nullChecked(a).toDouble())); }
Variant fnLog(const Args& a, const ScriptLimits&)
{
    double d = nullChecked(a).toDouble();
    if (d <= 0) throw ScriptError(err::kInvalidCall);
    return Variant(std::log(d));
}
Variant fnAtn(const Args& a, const ScriptLimits&) { return mathResult(std::atan(nullChecked(a).toDouble())); }
Variant fnSin(const Args& a, const ScriptLimits&) { return mathResult(std::sin(nullChecked(a).toDouble())); }
Variant fnCos(const Args& a, const ScriptLimits&) { return mathResult(std::cos(nullChecked(a).toDouble())); }
Variant fnTan(const Args& a, const ScriptLimits&) { return mathResult(std::tan(nullChecked(a).toDouble())); }

// The classic 24-bit generator, so a seeded sequence repeats.
uint32_t& rndState()
{
    static thread_local uint32_t state = 0x50000;
    return state;
}

// Rnd's 24 bits fit a Single exactly.
Variant rndValue(uint32_t x) { return Variant::single(static_cast<float>(x / 16777216.0)); }

Variant fnRnd(const Args& a, const ScriptLimits&)
{
    uint32_t& x = rndState();
    if (given(a, 0)) {
        double n = nullChecked(a).toDouble();
        if (n == 0) return rndValue(x);
        if (n < 0) {
            float f = static_cast<float>(n);
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            x = (bits + (bits >> 24)) & 0xFFFFFF;
        }
    }
    x = (x * 1140671485u + 12820163u) & 0xFFFFFF;
    return rndValue(x);
}

Variant fnRandomize(const Args& a, const ScriptLimits&)
{
    double seed = given(a, 0) ? nullChecked(a).toDouble() : static_cast<double>(appClock().monotonicMs());
    uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    uint32_t& x = rndState();
    x = (x & 0xFF) | static_cast<uint32_t>(((bits >> 32) ^ (bits >> 40)) & 0xFFFF) << 8;
    return {};
}

// ---- tests ----

// The value a test looks at: an object's default value when it has one.
Variant testedValue(const Variant& v)
{
    if (!v.isObject() || !v.object()) return v;
    try {
        return v.valueOf();
    } catch (const ScriptError& e) {
        if (e.engineStop) throw;
        return v;
    }
}

Variant fnIsNull(const Args& a, const ScriptLimits&) { return Variant(testedValue(a[0]).isNull()); }
Variant fnIsEmpty(const Args& a, const ScriptLimits&) { return Variant(testedValue(a[0]).isEmpty()); }
Variant fnIsObject(const Args& a, const ScriptLimits&) { return Variant(a[0].isObject()); }
Variant fnIsArray(const Args& a, const ScriptLimits&) { return Variant(a[0].isArray()); }

Variant fnIsNumeric(const Args& a, const ScriptLimits&)
{
    Variant v = testedValue(a[0]);
    switch (v.type()) {
    case VType::Empty:
    case VType::Byte:
    case VType::Integer:
    case VType::Long:
    case VType::Single:
    case VType::Double:
    case VType::Currency:
    case VType::Boolean: return Variant(true);
    case VType::String: {
        double d;
        return Variant(parseNumber(v.rawString(), d));
    }
    default: return Variant(false);
    }
}

Variant fnIsDate(const Args& a, const ScriptLimits&)
{
    Variant v = testedValue(a[0]);
    if (v.type() == VType::Date) return Variant(true);
    if (!v.isString()) return Variant(false);
    double d;
    return Variant(parseDate(v.rawString(), d));
}

Variant fnTypeName(const Args& a, const ScriptLimits&)
{
    const Variant& v = a[0];
    switch (v.type()) {
    case VType::Empty: return Variant(QStringLiteral("Empty"));
    case VType::Null: return Variant(QStringLiteral("Null"));
    case VType::Byte: return Variant(QStringLiteral("Byte"));
    case VType::Integer: return Variant(QStringLiteral("Integer"));
    case VType::Long: return Variant(QStringLiteral("Long"));
    case VType::Single: return Variant(QStringLiteral("Single"));
    case VType::Double: return Variant(QStringLiteral("Double"));
    case VType::Currency: return Variant(QStringLiteral("Currency"));
    case VType::Date: return Variant(QStringLiteral("Date"));
    case VType::String: return Variant(QStringLiteral("String"));
    case VType::Boolean: return Variant(QStringLiteral("Boolean"));
    case VType::Error: return Variant(QStringLiteral("Error"));
    case VType::Array: return Variant(QStringLiteral("Variant()"));
    case VType::Object: return Variant(v.object() ? v.object()->typeName() : QStringLiteral("Nothing"));
    }
    return {};
}

Variant fnVarType(const Args& a, const ScriptLimits&)
{
    Variant v = a[0];
    if (v.isObject()) {
        Variant d = testedValue(v);
        if (d.isObject()) return Variant(static_cast<int>(VType::Object));
        v = d;
    }
    return Variant(static_cast<int>(v.type()));
}

// ---- formatting ----

bool tristate(const Args& a, size_t i, bool dflt)
{
    if (!given(a, i)) return dflt;
    int32_t t = lng(a, i);
    if (t == -2) return dflt;
    return t != 0;
}

NumberFormat numberFormat(const Args& a)
{
    NumberFormat f;
    if (given(a, 1)) {
        int32_t d = lng(a, 1);
        if (d < -1 || d > 255) throw ScriptError(err::kInvalidCall);
        if (d >= 0) f.decimals = d;
    }
    f.leadingZero = tristate(a, 2, true);
    f.parensForNegative = tristate(a, 3, false);
    f.grouping = tristate(a, 4, true);
    return f;
}

// The Format functions take no Null: it is not a number to format.
Variant formattedValue(const Args& a)
{
    Variant v = arg(a, 0);
    if (v.isNull()) throw ScriptError(err::kTypeMismatch);
    if (v.isString()) return Variant(v.toDouble());
    if (v.isEmpty()) return Variant(0);
    if (v.type() == VType::Boolean) return Variant(v.rawBool() ? -1 : 0);
    if (!v.isNumeric()) throw ScriptError(err::kTypeMismatch);
    return v;
}

Variant fnFormatNumber(const Args& a, const ScriptLimits&)
{
    return Variant(formatNumber(formattedValue(a), numberFormat(a)));
}

Variant fnFormatCurrency(const Args& a, const ScriptLimits&)
{
    NumberFormat f = numberFormat(a);
    Variant v = formattedValue(a);
    const bool negative = compareValues(v, Variant(0)).value_or(0) < 0;
    QString text = formatNumber(negative ? negate(v) : v, f);
    const bool zero = !text.contains(QRegularExpression(QStringLiteral("[1-9]")));
    text = QStringLiteral("\u20AC ") + text;
    if (negative && !zero)
        text = f.parensForNegative ? QLatin1Char('(') + text + QLatin1Char(')') : QLatin1Char('-') + text;
    return Variant(text);
}

Variant fnFormatPercent(const Args& a, const ScriptLimits&)
{
    Variant v = formattedValue(a);
    return Variant(formatNumber(Variant(v.toDouble() * 100.0), numberFormat(a)) + QLatin1Char('%'));
}

Variant fnFormatDateTime(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    if (v.isNull()) throw ScriptError(err::kTypeMismatch);
    int32_t f = given(a, 1) ? lng(a, 1) : 0;
    if (f < 0 || f > 4) throw ScriptError(err::kInvalidCall);
    return Variant(formatDate(v.toDateSerial(), static_cast<DateFormat>(f)));
}

// ---- dates ----

struct Parts {
    int y, m, d, h, n, s;
};

Parts partsOf(double serial)
{
    Parts p;
    if (!partsFromSerial(serial, p.y, p.m, p.d, p.h, p.n, p.s)) throw ScriptError(err::kInvalidCall);
    return p;
}

// 1 = Sunday ... 7 = Saturday, counted from firstDay (0 taken as Monday, as here).
int weekdayOf(const QDate& d, int firstDay)
{
    if (firstDay == 0) firstDay = 2;
    if (firstDay < 1 || firstDay > 7) throw ScriptError(err::kInvalidCall);
    int sunday1 = d.dayOfWeek() % 7 + 1;
    return (sunday1 - firstDay + 7) % 7 + 1;
}

template <int Part> Variant datePartFn(const Args& a, const ScriptLimits&)
{
    Variant v = arg(a, 0);
    if (v.isNull()) return v;
    Parts p = partsOf(v.toDateSerial());
    switch (Part) {
    case 0: return Variant(p.d);
    case 1: return Variant(p.m);
    case 2: return Variant(p.y);
    case 3: return Variant(p.h);
    case 4: return Variant(p.n);
    default: return Variant(p.s);
    }
}

Variant fnWeekday(const Args& a, const ScriptLimits&)
{
    // The first day is checked before the date is looked at, Null or not.
    const int first = given(a, 1) ? lng(a, 1) : 1;
    if (first < 0 || first > 7) throw ScriptError(err::kInvalidCall);
    Variant v = arg(a, 0);
    if (v.isNull()) return v;
    Parts p = partsOf(v.toDateSerial());
    return Variant(weekdayOf(QDate(p.y, p.m, p.d), first));
}

Variant fnNow(const Args&, const ScriptLimits&) { return Variant::fromDateTime(appClock().now()); }
Variant fnDate(const Args&, const ScriptLimits&) { return Variant::fromDate(appClock().today()); }
Variant fnTime(const Args&, const ScriptLimits&)
{
    QTime t = appClock().now().time();
    return Variant::date((t.hour() * 3600 + t.minute() * 60 + t.second()) / 86400.0);
}
Variant fnTimer(const Args&, const ScriptLimits&)
{
    QTime t = appClock().now().time();
    return Variant::single(static_cast<float>(t.msecsSinceStartOfDay() / 1000.0));
}

Variant makeDate(const QDate& d, double timeFraction)
{
    if (!d.isValid() || d.year() < 100 || d.year() > 9999) throw ScriptError(err::kInvalidCall);
    double days = static_cast<double>(d.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
    return Variant::date(days >= 0 ? days + timeFraction : days - timeFraction);
}

Variant fnDateSerial(const Args& a, const ScriptLimits&)
{
    if (anyNull(a, {0, 1, 2})) throw ScriptError(err::kInvalidNull);
    int32_t y = a[0].toInteger(), m = a[1].toLong(), d = a[2].toLong();
    if (y >= 0 && y < 30)
        y += 2000;
    else if (y >= 30 && y < 100)
        y += 1900;
    if (y < 100 || y > 9999) throw ScriptError(err::kInvalidCall);
    QDate base(y, 1, 1);
    base = base.addMonths(m - 1).addDays(static_cast<qint64>(d) - 1);
    return makeDate(base, 0);
}

Variant fnTimeSerial(const Args& a, const ScriptLimits&)
{
    if (anyNull(a, {0, 1, 2})) throw ScriptError(err::kInvalidNull);
    double secs = static_cast<double>(a[0].toLong()) * 3600 + static_cast<double>(a[1].toLong()) * 60 + a[2].toLong();
    return Variant::date(secs / 86400.0);
}

Variant fnDateValue(const Args& a, const ScriptLimits&)
{
    double s = nullChecked(a).toDateSerial();
    return Variant::date(std::trunc(s));
}

Variant fnTimeValue(const Args& a, const ScriptLimits&)
{
    double s = nullChecked(a).toDateSerial();
    return Variant::date(std::fabs(s - std::trunc(s)));
}

// Date and time of a serial split into whole days and seconds.
void splitSerial(double serial, qint64& days, qint64& secs)
{
    Parts p = partsOf(serial);
    days = QDate(p.y, p.m, p.d).toJulianDay();
    secs = p.h * 3600 + p.n * 60 + p.s;
}

Variant fnDateAdd(const Args& a, const ScriptLimits&)
{
    QString interval = str(a, 0).toLower();
    Variant nv = arg(a, 1), dv = arg(a, 2);
    if (nv.isNull()) throw ScriptError(err::kInvalidNull);
    if (dv.isNull()) return Variant::null();
    const double number = std::trunc(nv.toDouble());
    if (std::fabs(number) > 1e7) throw ScriptError(err::kInvalidCall);
    const qint64 n = static_cast<qint64>(number);
    Parts p = partsOf(dv.toDateSerial());
    QDate d(p.y, p.m, p.d);
    const double t = (p.h * 3600 + p.n * 60 + p.s) / 86400.0;
    if (interval == u"yyyy") return makeDate(d.addYears(static_cast<int>(n)), t);
    if (interval == u"q") return makeDate(d.addMonths(static_cast<int>(3 * n)), t);
    if (interval == u"m") return makeDate(d.addMonths(static_cast<int>(n)), t);
    if (interval == u"y" || interval == u"d" || interval == u"w") return makeDate(d.addDays(n), t);
    if (interval == u"ww") return makeDate(d.addDays(7 * n), t);
    qint64 unit = interval == u"h" ? 3600 : interval == u"n" ? 60 : interval == u"s" ? 1 : 0;
    if (!unit) throw ScriptError(err::kInvalidCall);
    qint64 total = d.toJulianDay() * 86400 + p.h * 3600 + p.n * 60 + p.s + n * unit;
    qint64 day = total / 86400, sec = total % 86400;
    if (sec < 0) {
        sec += 86400;
        --day;
    }
    return makeDate(QDate::fromJulianDay(day), sec / 86400.0);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

Variant fnDateDiff(const Args& a, const ScriptLimits&)
{
    QString interval = str(a, 0).toLower();
    Variant v1 = arg(a, 1), v2 = arg(a, 2);
    if (v1.isNull() || v2.isNull()) return Variant::null();
    int first = given(a, 3) ? lng(a, 3) : 1;
    Parts p1 = partsOf(v1.toDateSerial()), p2 = partsOf(v2.toDateSerial());
    qint64 d1, s1, d2, s2;
    splitSerial(v1.toDateSerial(), d1, s1);
    splitSerial(v2.toDateSerial(), d2, s2);
    qint64 r;
    if (interval == u"yyyy")
        r = p2.y - p1.y;
    else if (interval == u"q")
        r = (p2.y * 4 + (p2.m - 1) / 3) - (p1.y * 4 + (p1.m - 1) / 3);
    else if (interval == u"m")
        r = (p2.y * 12 + p2.m) - (p1.y * 12 + p1.m);
    else if (interval == u"y" || interval == u"d")
        r = d2 - d1;
    else if (interval == u"w")
        r = (d2 - d1) / 7;
    else if (interval == u"ww") {
        auto weekStart = [first](qint64 jd) { return jd - (weekdayOf(QDate::fromJulianDay(jd), first) - 1); };
        r = (weekStart(d2) - weekStart(d1)) / 7;
    } else {
        qint64 unit = interval == u"h" ? 3600 : interval == u"n" ? 60 : interval == u"s" ? 1 : 0;
        if (!unit) throw ScriptError(err::kInvalidCall);
        r = floorDiv(d2 * 86400 + s2, unit) - floorDiv(d1 * 86400 + s1, unit);
    }
    return Variant(static_cast<long long>(r));
}

Variant fnDatePart(const Args& a, const ScriptLimits&)
{
    QString interval = str(a, 0).toLower();
    Variant v = arg(a, 1);
    if (v.isNull()) return v;
    int first = given(a, 2) ? lng(a, 2) : 1;
    Parts p = partsOf(v.toDateSerial());
    QDate d(p.y, p.m, p.d);
    if (interval == u"yyyy") return Variant(p.y);
    if (interval == u"q") return Variant((p.m - 1) / 3 + 1);
    if (interval == u"m") return Variant(p.m);
    if (interval == u"y") return Variant(d.dayOfYear());
    if (interval == u"d") return Variant(p.d);
    if (interval == u"w") return Variant(weekdayOf(d, first));
    if (interval == u"ww") {
        qint64 jan1 = QDate(p.y, 1, 1).toJulianDay();
        qint64 start = jan1 - (weekdayOf(QDate(p.y, 1, 1), first) - 1);
        return Variant(static_cast<int>((d.toJulianDay() - start) / 7 + 1));
    }
    if (interval == u"h") return Variant(p.h);
    if (interval == u"n") return Variant(p.n);
    if (interval == u"s") return Variant(p.s);
    throw ScriptError(err::kInvalidCall);
}

Variant fnMonthName(const Args& a, const ScriptLimits&)
{
    return Variant(italianMonthName(lng(a, 0), given(a, 1) && a[1].toBool()));
}

Variant fnWeekdayName(const Args& a, const ScriptLimits&)
{
    int w = lng(a, 0);
    int first = given(a, 2) ? lng(a, 2) : 1;
    if (first == 0) first = 2;
    if (w < 1 || w > 7 || first < 1 || first > 7) throw ScriptError(err::kInvalidCall);
    int sunday1 = (w - 1 + first - 1) % 7 + 1;
    return Variant(italianWeekdayName(sunday1, given(a, 1) && a[1].toBool()));
}

// ---- arrays ----

Variant bound(const Args& a, bool upper)
{
    const ArrayData& arr = arrayArg(a, 0);
    int32_t dim = given(a, 1) ? lng(a, 1) : 1;
    if (dim < 1 || dim > arr.dimensions()) throw ScriptError(err::kSubscript);
    return upper ? Variant::longValue(arr.upper[dim - 1]) : Variant::longValue(0);
}

Variant fnUBound(const Args& a, const ScriptLimits&) { return bound(a, true); }
Variant fnLBound(const Args& a, const ScriptLimits&) { return bound(a, false); }

Variant fnRGB(const Args& a, const ScriptLimits&)
{
    int32_t rgb = 0;
    for (size_t i = 0; i < 3; ++i) {
        // Above 255 a component saturates, as the language's RGB does; below 0 it is refused.
        const int32_t part = std::min(lng(a, i), 255);
        if (part < 0) throw ScriptError(err::kInvalidCall);
        rgb |= part << (8 * i);
    }
    return Variant::longValue(rgb);
}

Variant fnArray(const Args& a, const ScriptLimits& limits)
{
    checkArraySize(static_cast<double>(a.size()), limits);
    VariantList items;
    items.reserve(a.size());
    for (const Variant& v : a) items.push_back(v.isArray() ? Variant(v.array()->clone()) : v);
    return Variant(ArrayData::fromList(std::move(items)));
}

// ---- refused ----

Variant fnCreateObject(const Args&, const ScriptLimits&)
{
    throw ScriptError(err::kCannotCreateObject,
                      errorText(err::kCannotCreateObject) + QStringLiteral(": gli script non possono creare oggetti"));
}
Variant fnGetObject(const Args&, const ScriptLimits&) { return refused(QStringLiteral("GetObject")); }
Variant fnExecute(const Args&, const ScriptLimits&) { return refused(QStringLiteral("Execute")); }
Variant fnExecuteGlobal(const Args&, const ScriptLimits&) { return refused(QStringLiteral("ExecuteGlobal")); }
Variant fnEval(const Args&, const ScriptLimits&) { return refused(QStringLiteral("Eval")); }
Variant fnGetRef(const Args&, const ScriptLimits&) { return refused(QStringLiteral("GetRef")); }
Variant fnLoadPicture(const Args&, const ScriptLimits&) { return refused(QStringLiteral("LoadPicture")); }
Variant fnMsgBox(const Args&, const ScriptLimits&) { return refused(QStringLiteral("MsgBox")); }
Variant fnInputBox(const Args&, const ScriptLimits&) { return refused(QStringLiteral("InputBox")); }

const QHash<QString, Builtin>& table()
{
    static const QHash<QString, Builtin> t {
        {QStringLiteral("len"), {fnLen, 1, 1}},
        {QStringLiteral("left"), {fnLeft, 2, 2}},
        {QStringLiteral("right"), {fnRight, 2, 2}},
        {QStringLiteral("mid"), {fnMid, 2, 3}},
        {QStringLiteral("trim"), {fnTrim, 1, 1}},
        {QStringLiteral("ltrim"), {fnLTrim, 1, 1}},
        {QStringLiteral("rtrim"), {fnRTrim, 1, 1}},
        {QStringLiteral("ucase"), {fnUCase, 1, 1}},
        {QStringLiteral("lcase"), {fnLCase, 1, 1}},
        {QStringLiteral("instr"), {fnInStr, 2, 4}},
        {QStringLiteral("instrrev"), {fnInStrRev, 2, 4}},
        {QStringLiteral("replace"), {fnReplace, 3, 6}},
        {QStringLiteral("space"), {fnSpace, 1, 1}},
        {QStringLiteral("string"), {fnString, 2, 2}},
        {QStringLiteral("chr"), {fnChr, 1, 1}},
        {QStringLiteral("chrw"), {fnChrW, 1, 1}},
        {QStringLiteral("asc"), {fnAsc, 1, 1}},
        {QStringLiteral("ascw"), {fnAscW, 1, 1}},
        {QStringLiteral("split"), {fnSplit, 1, 4}},
        {QStringLiteral("join"), {fnJoin, 1, 2}},
        {QStringLiteral("strcomp"), {fnStrComp, 2, 3}},
        {QStringLiteral("strreverse"), {fnStrReverse, 1, 1}},
        {QStringLiteral("cstr"), {fnCStr, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("cint"), {fnCInt, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("clng"), {fnCLng, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("cdbl"), {fnCDbl, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("csng"), {fnCSng, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("ccur"), {fnCCur, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("cbool"), {fnCBool, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("cbyte"), {fnCByte, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("cdate"), {fnCDate, 1, 1, BuiltinUse::Conversion}},
        {QStringLiteral("int"), {fnInt, 1, 1}},
        {QStringLiteral("fix"), {fnFix, 1, 1}},
        {QStringLiteral("round"), {fnRound, 1, 2}},
        {QStringLiteral("abs"), {fnAbs, 1, 1}},
        {QStringLiteral("sgn"), {fnSgn, 1, 1}},
        {QStringLiteral("hex"), {fnHex, 1, 1}},
        {QStringLiteral("oct"), {fnOct, 1, 1}},
        {QStringLiteral("sqr"), {fnSqr, 1, 1}},
        {QStringLiteral("exp"), {fnExp, 1, 1}},
        {QStringLiteral("log"), {fnLog, 1, 1}},
        {QStringLiteral("atn"), {fnAtn, 1, 1}},
        {QStringLiteral("sin"), {fnSin, 1, 1}},
        {QStringLiteral("cos"), {fnCos, 1, 1}},
        {QStringLiteral("tan"), {fnTan, 1, 1}},
        {QStringLiteral("rnd"), {fnRnd, 0, 1}},
        {QStringLiteral("randomize"), {fnRandomize, 0, 1, BuiltinUse::Statement}},
        {QStringLiteral("isnull"), {fnIsNull, 1, 1}},
        {QStringLiteral("isempty"), {fnIsEmpty, 1, 1}},
        {QStringLiteral("isnumeric"), {fnIsNumeric, 1, 1}},
        {QStringLiteral("isdate"), {fnIsDate, 1, 1}},
        {QStringLiteral("isobject"), {fnIsObject, 1, 1}},
        {QStringLiteral("isarray"), {fnIsArray, 1, 1}},
        {QStringLiteral("typename"), {fnTypeName, 1, 1}},
        {QStringLiteral("vartype"), {fnVarType, 1, 1}},
        {QStringLiteral("formatnumber"), {fnFormatNumber, 1, 5}},
        {QStringLiteral("formatcurrency"), {fnFormatCurrency, 1, 5}},
        {QStringLiteral("formatpercent"), {fnFormatPercent, 1, 5}},
        {QStringLiteral("formatdatetime"), {fnFormatDateTime, 1, 2}},
        {QStringLiteral("now"), {fnNow, 0, 0}},
        {QStringLiteral("date"), {fnDate, 0, 0}},
        {QStringLiteral("time"), {fnTime, 0, 0}},
        {QStringLiteral("timer"), {fnTimer, 0, 0}},
        {QStringLiteral("day"), {datePartFn<0>, 1, 1}},
        {QStringLiteral("month"), {datePartFn<1>, 1, 1}},
        {QStringLiteral("year"), {datePartFn<2>, 1, 1}},
        {QStringLiteral("hour"), {datePartFn<3>, 1, 1}},
        {QStringLiteral("minute"), {datePartFn<4>, 1, 1}},
        {QStringLiteral("second"), {datePartFn<5>, 1, 1}},
        {QStringLiteral("weekday"), {fnWeekday, 1, 2}},
        {QStringLiteral("dateserial"), {fnDateSerial, 3, 3}},
        {QStringLiteral("timeserial"), {fnTimeSerial, 3, 3}},
        {QStringLiteral("datevalue"), {fnDateValue, 1, 1}},
        {QStringLiteral("timevalue"), {fnTimeValue, 1, 1}},
        {QStringLiteral("dateadd"), {fnDateAdd, 3, 3}},
        {QStringLiteral("datediff"), {fnDateDiff, 3, 5}},
        {QStringLiteral("datepart"), {fnDatePart, 2, 4}},
        {QStringLiteral("monthname"), {fnMonthName, 1, 2}},
        {QStringLiteral("weekdayname"), {fnWeekdayName, 1, 3}},
        {QStringLiteral("ubound"), {fnUBound, 1, 2}},
        {QStringLiteral("lbound"), {fnLBound, 1, 2}},
        {QStringLiteral("array"), {fnArray, 0, -1}},
        {QStringLiteral("rgb"), {fnRGB, 3, 3}},
        {QStringLiteral("createobject"), {fnCreateObject, 0, -1}},
        {QStringLiteral("getobject"), {fnGetObject, 0, -1}},
        {QStringLiteral("execute"), {fnExecute, 0, -1}},
        {QStringLiteral("executeglobal"), {fnExecuteGlobal, 0, -1}},
        {QStringLiteral("eval"), {fnEval, 0, -1}},
        {QStringLiteral("getref"), {fnGetRef, 0, -1}},
        {QStringLiteral("loadpicture"), {fnLoadPicture, 0, -1}},
        {QStringLiteral("msgbox"), {fnMsgBox, 0, -1}},
        {QStringLiteral("inputbox"), {fnInputBox, 0, -1}},
    };
    return t;
}

}   // namespace

const Builtin* findBuiltin(const QString& key)
{
    const auto& t = table();
    auto it = t.constFind(key);
    return it == t.constEnd() ? nullptr : &*it;
}

bool findConstant(const QString& key, Variant& out)
{
    static const QHash<QString, Variant> constants {
        {QStringLiteral("vbcrlf"), Variant(QStringLiteral("\r\n"))},
        {QStringLiteral("vbnewline"), Variant(QStringLiteral("\r\n"))},
        {QStringLiteral("vbcr"), Variant(QStringLiteral("\r"))},
        {QStringLiteral("vblf"), Variant(QStringLiteral("\n"))},
        {QStringLiteral("vbtab"), Variant(QStringLiteral("\t"))},
        {QStringLiteral("vbformfeed"), Variant(QStringLiteral("\f"))},
        {QStringLiteral("vbverticaltab"), Variant(QStringLiteral("\v"))},
        {QStringLiteral("vbnullchar"), Variant(QString(QChar(0)))},
        {QStringLiteral("vbnullstring"), Variant(QString())},
        {QStringLiteral("vbtrue"), Variant(-1)},
        {QStringLiteral("vbfalse"), Variant(0)},
        {QStringLiteral("vbusedefault"), Variant(-2)},
        {QStringLiteral("vbbinarycompare"), Variant(0)},
        {QStringLiteral("vbtextcompare"), Variant(1)},
        {QStringLiteral("vbdatabasecompare"), Variant(2)},
        // Message box buttons, icons, options and answers.
        {QStringLiteral("vbokonly"), Variant(0)},
        {QStringLiteral("vbokcancel"), Variant(1)},
        {QStringLiteral("vbabortretryignore"), Variant(2)},
        {QStringLiteral("vbyesnocancel"), Variant(3)},
        {QStringLiteral("vbyesno"), Variant(4)},
        {QStringLiteral("vbretrycancel"), Variant(5)},
        {QStringLiteral("vbcritical"), Variant(16)},
        {QStringLiteral("vbquestion"), Variant(32)},
        {QStringLiteral("vbexclamation"), Variant(48)},
        {QStringLiteral("vbinformation"), Variant(64)},
        {QStringLiteral("vbdefaultbutton1"), Variant(0)},
        {QStringLiteral("vbdefaultbutton2"), Variant(256)},
        {QStringLiteral("vbdefaultbutton3"), Variant(512)},
        {QStringLiteral("vbdefaultbutton4"), Variant(768)},
        {QStringLiteral("vbapplicationmodal"), Variant(0)},
        {QStringLiteral("vbsystemmodal"), Variant(4096)},
        {QStringLiteral("vbmsgboxhelpbutton"), Variant(16384)},
        {QStringLiteral("vbmsgboxsetforeground"), Variant(65536)},
        {QStringLiteral("vbmsgboxright"), Variant(524288)},
        {QStringLiteral("vbmsgboxrtlreading"), Variant(1048576)},
        {QStringLiteral("vbok"), Variant(1)},
        {QStringLiteral("vbcancel"), Variant(2)},
        {QStringLiteral("vbabort"), Variant(3)},
        {QStringLiteral("vbretry"), Variant(4)},
        {QStringLiteral("vbignore"), Variant(5)},
        {QStringLiteral("vbyes"), Variant(6)},
        {QStringLiteral("vbno"), Variant(7)},
        {QStringLiteral("vbgeneraldate"), Variant(0)},
        {QStringLiteral("vblongdate"), Variant(1)},
        {QStringLiteral("vbshortdate"), Variant(2)},
        {QStringLiteral("vblongtime"), Variant(3)},
        {QStringLiteral("vbshorttime"), Variant(4)},
        {QStringLiteral("vbusesystemdayofweek"), Variant(0)},
        {QStringLiteral("vbsunday"), Variant(1)},
        {QStringLiteral("vbmonday"), Variant(2)},
        {QStringLiteral("vbtuesday"), Variant(3)},
        {QStringLiteral("vbwednesday"), Variant(4)},
        {QStringLiteral("vbthursday"), Variant(5)},
        {QStringLiteral("vbfriday"), Variant(6)},
        {QStringLiteral("vbsaturday"), Variant(7)},
        {QStringLiteral("vbusesystem"), Variant(0)},
        {QStringLiteral("vbfirstjan1"), Variant(1)},
        {QStringLiteral("vbfirstfourdays"), Variant(2)},
        {QStringLiteral("vbfirstfullweek"), Variant(3)},
        {QStringLiteral("vbempty"), Variant(0)},
        {QStringLiteral("vbnull"), Variant(1)},
        {QStringLiteral("vbinteger"), Variant(2)},
        {QStringLiteral("vblong"), Variant(3)},
        {QStringLiteral("vbsingle"), Variant(4)},
        {QStringLiteral("vbdouble"), Variant(5)},
        {QStringLiteral("vbcurrency"), Variant(6)},
        {QStringLiteral("vbdate"), Variant(7)},
        {QStringLiteral("vbstring"), Variant(8)},
        {QStringLiteral("vbobject"), Variant(9)},
        {QStringLiteral("vberror"), Variant(10)},
        {QStringLiteral("vbboolean"), Variant(11)},
        {QStringLiteral("vbvariant"), Variant(12)},
        {QStringLiteral("vbdataobject"), Variant(13)},
        {QStringLiteral("vbdecimal"), Variant(14)},
        {QStringLiteral("vbbyte"), Variant(17)},
        {QStringLiteral("vbarray"), Variant(8192)},
        {QStringLiteral("vbobjecterror"), Variant::longValue(static_cast<int32_t>(0x80040000u))},
        {QStringLiteral("vbblack"), Variant::longValue(0x000000)},
        {QStringLiteral("vbred"), Variant::longValue(0x0000FF)},
        {QStringLiteral("vbgreen"), Variant::longValue(0x00FF00)},
        {QStringLiteral("vbyellow"), Variant::longValue(0x00FFFF)},
        {QStringLiteral("vbblue"), Variant::longValue(0xFF0000)},
        {QStringLiteral("vbmagenta"), Variant::longValue(0xFF00FF)},
        {QStringLiteral("vbcyan"), Variant::longValue(0xFFFF00)},
        {QStringLiteral("vbwhite"), Variant::longValue(0xFFFFFF)},
    };
    auto it = constants.constFind(key);
    if (it == constants.constEnd()) return false;
    out = *it;
    return true;
}

void checkStringLength(qsizetype length, const ScriptLimits& limits)
{
    if (length > limits.maxStringLength) throw ScriptError(err::kOutOfStringSpace);
}

void checkArraySize(double elements, const ScriptLimits& limits)
{
    if (elements > static_cast<double>(limits.maxArrayElements)) throw ScriptError(err::kOutOfMemory);
    chargeHeldMemory(static_cast<int64_t>(elements) * static_cast<int64_t>(sizeof(Variant)));
}

}   // namespace vbs
