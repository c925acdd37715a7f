#pragma once
// The operators of the script language on variants, with its type rules: Null
// propagation, Integer → Long → Double widening on overflow, Currency kept exact, text
// turned into numbers for arithmetic, and comparisons between text and numbers that
// depend on whether a side was written as a literal.
#include "Variant.h"

#include <optional>

namespace vbs {

enum class BinOp { Add, Sub, Mul, Div, IntDiv, Mod, Pow, Concat, Eq, Ne, Lt, Gt, Le, Ge, Is, And, Or, Xor, Eqv, Imp };

// How an operand was written: a number or text literal compares by its own type.
enum class Literal { None, Number, Text };

Variant binaryOp(BinOp op, const Variant& a, const Variant& b, Literal la = Literal::None, Literal lb = Literal::None);
Variant negate(const Variant& a);
Variant logicalNot(const Variant& a);

// -1, 0 or 1; empty when either side is Null. Text compares by code unit, or without
// regard to case when textCompare.
std::optional<int> compareValues(const Variant& a, const Variant& b, Literal la = Literal::None,
                                 Literal lb = Literal::None, bool textCompare = false);
// An If or loop condition: Null counts as False.
bool isTrue(const Variant& v);

}   // namespace vbs
