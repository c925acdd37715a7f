#pragma once
// The built-in functions and constants scripts can call, looked up by lower-case name.
#include "Variant.h"

namespace vbs {

struct ScriptLimits;

using BuiltinFn = Variant (*)(const VariantList& args, const ScriptLimits& limits);

// How a built-in may be used: a function anywhere; a conversion only for its value (as a
// statement it raises 458); a statement only as one (as a value it raises 13).
enum class BuiltinUse { Function, Conversion, Statement };

struct Builtin {
    BuiltinFn fn;
    int minArgs;
    int maxArgs;
    BuiltinUse use = BuiltinUse::Function;
};

const Builtin* findBuiltin(const QString& key);
// vbCrLf, vbTrue, vbShortDate, ...; false when the name is no constant.
bool findConstant(const QString& key, Variant& out);

// Raises error 14 when a text would exceed the limit, 7 for an array.
void checkStringLength(qsizetype length, const ScriptLimits& limits);
void checkArraySize(double elements, const ScriptLimits& limits);
// Tells the running engine that a value of about this many bytes is about to be kept; it
// stops the script with "Memoria esaurita" when its variables would hold more than the
// limit allows.
void chargeHeldMemory(int64_t bytes);

}   // namespace vbs
