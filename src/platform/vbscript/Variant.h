#pragma once
// The value every script expression has: a tagged union with the subtypes scripts know
// (VarType numbers as scripts see them). Conversions follow the script language's rules
// and the Italian locale: text "1,5" reads as 1.5, 1.5 prints as "1,5".
#include "base/Currency.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vbs {

class ScriptObject;
class Variant;
struct ArrayData;
using ObjectPtr = std::shared_ptr<ScriptObject>;
using ArrayPtr = std::shared_ptr<ArrayData>;
using VariantList = std::vector<Variant>;

enum class VType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,   // 16-bit
    Long = 3,   // 32-bit
    Single = 4,   // kept as the float's exact value
    Double = 5,
    Currency = 6,
    Date = 7,   // days since 30/12/1899, time as the fraction
    String = 8,
    Object = 9,   // a host object, or Nothing
    Error = 10,   // also the value of an omitted argument
    Boolean = 11,
    Byte = 17,
    Array = 8204,   // array of variants (vbArray + vbVariant)
};

class Variant {
public:
    Variant() = default;
    Variant(bool b) : m_type(VType::Boolean) { m_u.b = b; }
    Variant(int v);   // Integer when it fits 16 bits, else Long
    Variant(long v);   // Long when it fits 32 bits, else Double
    Variant(long long v);
    Variant(double d) : m_type(VType::Double) { m_u.d = d; }
    Variant(Currency c) : m_type(VType::Currency) { m_u.c = c.units(); }
    Variant(const QString& s) : m_type(VType::String), m_str(s) { }
    Variant(QString&& s) : m_type(VType::String), m_str(std::move(s)) { }
    template <class T> Variant(T*) = delete;   // no raw pointer turning into a Boolean
    Variant(ObjectPtr o) : m_type(VType::Object), m_obj(std::move(o)) { }
    Variant(ArrayPtr a) : m_type(VType::Array), m_arr(std::move(a)) { }

    static Variant null()
    {
        Variant v;
        v.m_type = VType::Null;
        return v;
    }
    static Variant nothing() { return Variant(ObjectPtr()); }
    static Variant integer(int16_t v)
    {
        Variant r;
        r.m_type = VType::Integer;
        r.m_u.i = v;
        return r;
    }
    static Variant longValue(int32_t v)
    {
        Variant r;
        r.m_type = VType::Long;
        r.m_u.i = v;
        return r;
    }
    static Variant byteValue(uint8_t v)
    {
        Variant r;
        r.m_type = VType::Byte;
        r.m_u.i = v;
        return r;
    }
    static Variant single(float v)
    {
        Variant r;
        r.m_type = VType::Single;
        r.m_u.d = v;
        return r;
    }
    static Variant date(double serial)
    {
        Variant r;
        r.m_type = VType::Date;
        r.m_u.d = serial;
        return r;
    }
    static Variant fromDateTime(const QDateTime& t);
    static Variant fromDate(const QDate& d);
    static Variant error(int32_t code)
    {
        Variant r;
        r.m_type = VType::Error;
        r.m_u.i = code;
        return r;
    }
    // The value a caller sees for an omitted argument (FormatNumber(x, 2, , , vbTrue)).
    static Variant missing() { return error(kParamNotFound); }
    // Database and Qt values: null → Null, invalid → Empty, bool, integers, double,
    // Currency, QDate/QDateTime, text.
    static Variant fromQVariant(const QVariant& v);

    VType type() const { return m_type; }
    bool isEmpty() const { return m_type == VType::Empty; }
    bool isNull() const { return m_type == VType::Null; }
    bool isObject() const { return m_type == VType::Object; }
    bool isNothing() const { return m_type == VType::Object && !m_obj; }
    bool isArray() const { return m_type == VType::Array; }
    bool isString() const { return m_type == VType::String; }
    bool isMissing() const { return m_type == VType::Error && m_u.i == kParamNotFound; }
    bool isNumeric() const;   // Byte, Integer, Long, Single, Double, Currency, Date, Boolean

    // Raw payloads; valid only for the matching type.
    int32_t rawInt() const { return m_u.i; }   // Byte, Integer, Long, Error
    double rawDouble() const { return m_u.d; }   // Single, Double, Date
    Currency rawCurrency() const { return Currency::fromUnits(m_u.c); }
    bool rawBool() const { return m_u.b; }
    const QString& rawString() const { return m_str; }
    const ObjectPtr& object() const { return m_obj; }
    const ArrayPtr& array() const { return m_arr; }
    // Appends to a String in place (s = s & x without copying s each time).
    void appendToString(const QString& tail) { m_str += tail; }

    // Conversions with the script language's rules (CStr, CDbl, CLng, CInt, CBool, CCur,
    // CDate). They throw ScriptError: 94 for Null, 13 for a value that does not convert,
    // 6 for overflow. An object gives its default member's value.
    QString toString() const;
    double toDouble() const;
    int32_t toLong() const;
    int16_t toInteger() const;
    uint8_t toByte() const;
    float toSingle() const;
    bool toBool() const;
    Currency toCurrency() const;
    double toDateSerial() const;
    QDateTime toDateTime() const;
    // The value itself, or the default member's value of an object (Nothing raises 91).
    Variant valueOf() const;
    // Back to Qt for storage: Empty → invalid, Null → null QVariant, Currency as Currency.
    QVariant toQVariant() const;

    static constexpr int32_t kParamNotFound = static_cast<int32_t>(0x80020004u);

private:
    VType m_type = VType::Empty;
    union {
        int32_t i;
        double d;
        int64_t c;
        bool b;
    } m_u {};
    QString m_str;
    ObjectPtr m_obj;
    ArrayPtr m_arr;
};

// An array of variants, zero-based in every dimension. Scripts copy arrays on assignment.
struct ArrayData {
    std::vector<int32_t> upper;   // upper bound of each dimension; -1 for an empty dynamic array
    std::vector<Variant> items;   // first index varies slowest
    bool fixedSize = false;   // declared with Dim a(n): ReDim refuses it
    int locks = 0;   // elements bound to ByRef parameters: ReDim and Erase refuse it

    static ArrayPtr make(const std::vector<int32_t>& upper, bool fixedSize = false);
    static ArrayPtr fromList(VariantList items);
    ArrayPtr clone() const;
    int dimensions() const { return static_cast<int>(upper.size()); }
    // Index of an element; throws ScriptError 9 out of range or with the wrong count.
    size_t offset(const std::vector<int32_t>& indexes) const;
    // The items with the first index varying fastest, the order For Each walks them in.
    VariantList firstIndexFastest() const;
};

// Italian text for numbers and dates, shared by the conversions and the built-ins.
QString numberText(double d);   // CStr of a Double: "1,5", "1E+16"
QString singleText(float f);   // CStr of a Single: 7 significant digits
QString currencyText(Currency c);   // CStr of a Currency: "1234,5"
QString dateText(double serial);   // CStr of a Date: "10/12/2024 15:30:00"
// Parses a number as text conversion does (grouping '.', decimal ',', exponent, &H, &O).
// A number too small for a Double reads as 0; one too large does not read.
bool parseNumber(const QString& text, double& out);
// Reads C-locale number text ("1.5e-3") as a Double: false when it overflows; an
// underflow gives 0 (or the nearest subnormal), as the language's literals do.
bool decimalToDouble(const QByteArray& text, double& out);
// The Boolean a text names ("True", "Falso", "#TRUE#", any case), as CBool reads it; none
// for any other text, a number included.
std::optional<bool> booleanName(const QString& text);
// Parses a date as CDate does ("10/12/2024", "10/12/2024 15:30", "15.30.00", "2024-12-10").
bool parseDate(const QString& text, double& out);

// Date serials.
double serialFromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
bool partsFromSerial(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second);
QDateTime dateTimeFromSerial(double serial);
double serialFromDateTime(const QDateTime& t);

}   // namespace vbs
