#include "Operators.h"

#include "ScriptError.h"
#include "ScriptObject.h"

#include <cmath>
#include <limits>

namespace vbs {

namespace {

// A numeric operand, by rank: Byte < Integer < Long < Single < Currency < Double; Date
// apart.
struct Num {
    enum Kind { B, I, L, S, C, D, T } kind;
    int64_t i = 0;   // B, I, L; C in units
    double d = 0;   // S, D, T
};

bool isWhole(Num::Kind k) { return k == Num::B || k == Num::I || k == Num::L; }

Num toNum(const Variant& v)
{
    switch (v.type()) {
    case VType::Empty: return {Num::I, 0, 0};
    case VType::Boolean: return {Num::I, v.rawBool() ? -1 : 0, 0};
    case VType::Byte: return {Num::B, v.rawInt(), 0};
    case VType::Integer: return {Num::I, v.rawInt(), 0};
    case VType::Long: return {Num::L, v.rawInt(), 0};
    case VType::Single: return {Num::S, 0, v.rawDouble()};
    case VType::Currency: return {Num::C, v.rawCurrency().units(), 0};
    case VType::Double: return {Num::D, 0, v.rawDouble()};
    case VType::Date: return {Num::T, 0, v.rawDouble()};
    case VType::String: {
        double d = 0;
        if (!parseNumber(v.rawString(), d)) throw ScriptError(err::kTypeMismatch);
        return {Num::D, 0, d};
    }
    default: throw ScriptError(err::kTypeMismatch);
    }
}

double asDouble(const Num& n)
{
    switch (n.kind) {
    case Num::B:
    case Num::I:
    case Num::L: return static_cast<double>(n.i);
    case Num::C: return static_cast<double>(n.i) / Currency::kScale;
    default: return n.d;
    }
}

// Single with Byte, Integer (Boolean, Empty) or Single stays Single; with a Long, a
// Currency or a Double it becomes Double, as a Long does not fit a Single's precision.
bool singleResult(const Num& a, const Num& b)
{
    if (a.kind != Num::S && b.kind != Num::S) return false;
    auto narrow = [](Num::Kind k) { return k == Num::B || k == Num::I || k == Num::S; };
    return narrow(a.kind) && narrow(b.kind);
}

int64_t asUnits(const Num& n) { return n.kind == Num::C ? n.i : n.i * Currency::kScale; }

Variant checkedDouble(double d)
{
    if (!std::isfinite(d)) throw ScriptError(err::kOverflow);
    return Variant(d);
}

// A Single result, widened to Double when it leaves the Single's range.
Variant singleOrDouble(double d)
{
    if (std::fabs(d) <= static_cast<double>(std::numeric_limits<float>::max()))
        return Variant::single(static_cast<float>(d));
    return checkedDouble(d);
}

Variant checkedDate(double d)
{
    if (!std::isfinite(d) || d < -657434.0 || d >= 2958466.0) throw ScriptError(err::kOverflow);
    return Variant::date(d);
}

// Integer arithmetic widened as the language does: Integer → Long → Double.
Variant integerResult(__int128 r, bool wide)
{
    if (!wide && r >= -32768 && r <= 32767) return Variant::integer(static_cast<int16_t>(r));
    if (r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())
        return Variant::longValue(static_cast<int32_t>(r));
    return Variant(static_cast<double>(r));
}

Variant currencyResult(__int128 units)
{
    if (units > std::numeric_limits<int64_t>::max() || units < std::numeric_limits<int64_t>::min())
        throw ScriptError(err::kOverflow);
    return Variant(Currency::fromUnits(static_cast<int64_t>(units)));
}

Variant arith(BinOp op, const Num& a, const Num& b)
{
    const bool date = a.kind == Num::T || b.kind == Num::T;
    if (date && (op == BinOp::Add || op == BinOp::Sub)) {
        double r = op == BinOp::Add ? asDouble(a) + asDouble(b) : asDouble(a) - asDouble(b);
        if (op == BinOp::Sub && a.kind == Num::T && b.kind == Num::T) return checkedDouble(r);
        return checkedDate(r);
    }
    if (!date && singleResult(a, b)) {
        double x = asDouble(a), y = asDouble(b);
        return singleOrDouble(op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y);
    }
    if (date || a.kind == Num::D || b.kind == Num::D || a.kind == Num::S || b.kind == Num::S) {
        double x = asDouble(a), y = asDouble(b);
        return checkedDouble(op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y);
    }
    if (a.kind == Num::C || b.kind == Num::C) {
        if (op == BinOp::Mul) {
            if (a.kind == Num::C && b.kind == Num::C) {
                try {
                    return Variant(Currency::fromUnits(a.i) * Currency::fromUnits(b.i));
                } catch (const AppError&) {
                    throw ScriptError(err::kOverflow);
                }
            }
            const Num& c = a.kind == Num::C ? a : b;
            const Num& n = a.kind == Num::C ? b : a;
            return currencyResult(static_cast<__int128>(c.i) * n.i);
        }
        __int128 x = asUnits(a), y = asUnits(b);
        return currencyResult(op == BinOp::Add ? x + y : x - y);
    }
    __int128 x = a.i, y = b.i;
    __int128 r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
    // Bytes stay Bytes while the result fits one.
    if (a.kind == Num::B && b.kind == Num::B && r >= 0 && r <= 255) return Variant::byteValue(static_cast<uint8_t>(r));
    return integerResult(r, a.kind == Num::L || b.kind == Num::L);
}

// Integer division and Mod round both operands to whole numbers first.
int64_t wholeOperand(const Num& n, bool& wide)
{
    if (n.kind == Num::I || n.kind == Num::B) return n.i;
    wide = true;
    if (n.kind == Num::L) return n.i;
    Variant v = n.kind == Num::C ? Variant(Currency::fromUnits(n.i)) : Variant(n.d);
    return v.toLong();
}

int sign(int c) { return (c > 0) - (c < 0); }

int compareNum(const Num& a, const Num& b)
{
    bool exact = (isWhole(a.kind) || a.kind == Num::C) && (isWhole(b.kind) || b.kind == Num::C);
    if (exact) {
        int64_t x = asUnits(a), y = asUnits(b);
        return (x > y) - (x < y);
    }
    double x = asDouble(a), y = asDouble(b);
    return (x > y) - (x < y);
}

// Operand of the logical operators: a whole number, and whether it is a Boolean, a Byte
// or fits an Integer.
struct Bits {
    int64_t v;
    bool boolean;
    bool narrow;
    bool byte = false;
};

Bits toBits(const Variant& v)
{
    switch (v.type()) {
    case VType::Boolean: return {v.rawBool() ? -1 : 0, true, true};
    case VType::Empty: return {0, false, true};
    case VType::Byte: return {v.rawInt(), false, true, true};
    case VType::Integer: return {v.rawInt(), false, true};
    case VType::Long: return {v.rawInt(), false, false};
    case VType::String: {
        if (const std::optional<bool> b = booleanName(v.rawString())) return {*b ? -1 : 0, false, false};
        return {v.toLong(), false, false};
    }
    default: return {v.toLong(), false, false};
    }
}

Variant bitsResult(int64_t r, bool boolean, bool narrow, bool byte = false)
{
    if (boolean) return Variant(r != 0);
    if (byte) return Variant::byteValue(static_cast<uint8_t>(r & 0xFF));
    if (narrow) return Variant::integer(static_cast<int16_t>(r));
    return Variant::longValue(static_cast<int32_t>(r));
}

Variant logical(BinOp op, const Variant& a, const Variant& b)
{
    const bool an = a.isNull(), bn = b.isNull();
    if (an || bn) {
        if (an && bn) return Variant::null();
        Bits o = toBits(an ? b : a);
        if (op == BinOp::And && o.v == 0) return bitsResult(0, o.boolean, o.narrow);
        if (op == BinOp::Or && o.v == -1) return bitsResult(-1, o.boolean, o.narrow);
        if (op == BinOp::Imp) {
            // a Imp b is (Not a) Or b.
            if (an && o.v == -1) return bitsResult(-1, o.boolean, o.narrow);
            if (bn && o.v == 0) return bitsResult(-1, o.boolean, o.narrow);
        }
        return Variant::null();
    }
    Bits x = toBits(a), y = toBits(b);
    int64_t r = 0;
    switch (op) {
    case BinOp::And: r = x.v & y.v; break;
    case BinOp::Or: r = x.v | y.v; break;
    case BinOp::Xor: r = x.v ^ y.v; break;
    case BinOp::Eqv: r = ~(x.v ^ y.v); break;
    case BinOp::Imp: r = ~x.v | y.v; break;
    default: break;
    }
    return bitsResult(r, x.boolean && y.boolean, x.narrow && y.narrow, x.byte && y.byte);
}

}   // namespace

std::optional<int> compareValues(const Variant& av, const Variant& bv, Literal la, Literal lb, bool textCompare)
{
    const Variant a = av.valueOf();
    const Variant b = bv.valueOf();
    if (a.isNull() || b.isNull()) return std::nullopt;
    auto text = [textCompare](const QString& x, const QString& y) {
        return sign(QString::compare(x, y, textCompare ? Qt::CaseInsensitive : Qt::CaseSensitive));
    };
    if (a.isEmpty() && b.isEmpty()) return 0;
    const bool as = a.isString(), bs = b.isString();
    if (as && bs) return text(a.rawString(), b.rawString());
    if (a.isEmpty() && bs) return text(QString(), b.rawString());
    if (b.isEmpty() && as) return text(a.rawString(), QString());
    if (as || bs) {
        const Variant& s = as ? a : b;
        const Variant& n = as ? b : a;
        if (!n.isNumeric()) throw ScriptError(err::kTypeMismatch);
        const Literal ls = as ? la : lb;
        const Literal ln = as ? lb : la;
        int r;
        if (ln == Literal::Number) {
            double d = 0;
            if (!parseNumber(s.rawString(), d)) throw ScriptError(err::kTypeMismatch);
            r = compareNum(Num {Num::D, 0, d}, toNum(n));
        } else if (ls == Literal::Text) {
            r = text(s.rawString(), n.toString());
        } else {
            r = 1;   // a number is less than a text
        }
        return as ? r : -r;
    }
    return compareNum(toNum(a), toNum(b));
}

Variant binaryOp(BinOp op, const Variant& av, const Variant& bv, Literal la, Literal lb)
{
    if (op == BinOp::Is) {
        if (!av.isObject() || !bv.isObject()) throw ScriptError(err::kObjectRequired);
        return Variant(av.object() == bv.object());
    }
    const Variant a = av.valueOf();
    const Variant b = bv.valueOf();
    switch (op) {
    case BinOp::Concat: {
        if (a.isNull() && b.isNull()) return Variant::null();
        QString s = a.isNull() ? QString() : a.toString();
        s += b.isNull() ? QString() : b.toString();
        return Variant(std::move(s));
    }
    case BinOp::Eq:
    case BinOp::Ne:
    case BinOp::Lt:
    case BinOp::Gt:
    case BinOp::Le:
    case BinOp::Ge: {
        auto c = compareValues(a, b, la, lb);
        if (!c) return Variant::null();
        switch (op) {
        case BinOp::Eq: return Variant(*c == 0);
        case BinOp::Ne: return Variant(*c != 0);
        case BinOp::Lt: return Variant(*c < 0);
        case BinOp::Gt: return Variant(*c > 0);
        case BinOp::Le: return Variant(*c <= 0);
        default: return Variant(*c >= 0);
        }
    }
    case BinOp::And:
    case BinOp::Or:
    case BinOp::Xor:
    case BinOp::Eqv:
    case BinOp::Imp: return logical(op, a, b);
    default: break;
    }
    if (a.isNull() || b.isNull()) return Variant::null();
    switch (op) {
    case BinOp::Add:
        if (a.isString() && b.isString()) return Variant(a.rawString() + b.rawString());
        if (a.isString() && b.isEmpty()) return a;
        if (b.isString() && a.isEmpty()) return b;
        return arith(op, toNum(a), toNum(b));
    case BinOp::Sub:
    case BinOp::Mul: return arith(op, toNum(a), toNum(b));
    case BinOp::Div: {
        const Num na = toNum(a), nb = toNum(b);
        double x = asDouble(na), y = asDouble(nb);
        if (y == 0.0) throw ScriptError(x == 0.0 ? err::kOverflow : err::kDivisionByZero);
        return singleResult(na, nb) ? singleOrDouble(x / y) : checkedDouble(x / y);
    }
    case BinOp::IntDiv:
    case BinOp::Mod: {
        bool wide = false;
        const Num na = toNum(a), nb = toNum(b);
        int64_t x = wholeOperand(na, wide);
        int64_t y = wholeOperand(nb, wide);
        if (y == 0) throw ScriptError(err::kDivisionByZero);
        int64_t r = op == BinOp::IntDiv ? x / y : x % y;
        if (r > std::numeric_limits<int32_t>::max()) throw ScriptError(err::kOverflow);
        if (na.kind == Num::B && nb.kind == Num::B) return Variant::byteValue(static_cast<uint8_t>(r));
        return integerResult(r, wide);
    }
    case BinOp::Pow: {
        double x = asDouble(toNum(a)), y = asDouble(toNum(b));
        if (x == 0.0 && y < 0) throw ScriptError(err::kDivisionByZero);
        double r = std::pow(x, y);
        if (std::isnan(r)) throw ScriptError(err::kInvalidCall);
        return checkedDouble(r);
    }
    default: break;
    }
    throw ScriptError(err::kTypeMismatch);
}

Variant negate(const Variant& av)
{
    const Variant a = av.valueOf();
    if (a.isNull()) return a;
    Num n = toNum(a);
    switch (n.kind) {
    case Num::B:
    case Num::I: return integerResult(-static_cast<__int128>(n.i), false);
    case Num::S: return Variant::single(static_cast<float>(-n.d));
    case Num::L: return integerResult(-static_cast<__int128>(n.i), true);
    case Num::C: return currencyResult(-static_cast<__int128>(n.i));
    case Num::T: return Variant::date(-n.d);
    default: return Variant(-n.d);
    }
}

Variant logicalNot(const Variant& av)
{
    const Variant a = av.valueOf();
    if (a.isNull()) return a;
    // Not of a Boolean's name is a Boolean, as Not of a number is a number.
    if (a.isString())
        if (const std::optional<bool> b = booleanName(a.rawString())) return Variant(!*b);
    Bits x = toBits(a);
    return bitsResult(~x.v, x.boolean, x.narrow, x.byte);
}

bool isTrue(const Variant& v)
{
    if (v.type() == VType::Boolean) return v.rawBool();
    const Variant a = v.valueOf();
    if (a.isNull()) return false;
    return a.toBool();
}

}   // namespace vbs
