#pragma once
// The built-in functions and constants scripts can call, looked up by lower-case name.
#include "Variant.h"

namespace vbs {

struct ScriptLimits;

using BuiltinFn = Variant (*)(const VariantList& args, const ScriptLimits& limits);

struct Builtin {
    BuiltinFn fn;
    int minArgs;
    int maxArgs;
};

const Builtin* findBuiltin(const QString& key);
// vbCrLf, vbTrue, vbShortDate, ...; false when the name is no constant.
bool findConstant(const QString& key, Variant& out);

// Raises error 14 when a text would exceed the limit, 7 for an array.
void checkStringLength(qsizetype length, const ScriptLimits& limits);
void checkArraySize(double elements, const ScriptLimits& limits);

} // namespace vbs
