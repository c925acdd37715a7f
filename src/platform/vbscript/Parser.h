#pragma once
// Builds the syntax tree of one script text. Throws ScriptError (a compile error number,
// the 1-based line and column) for text it cannot accept, including the constructs left
// out of the sandbox (classes, With, New).
#include "Ast.h"

#include <QString>
#include <memory>

namespace vbs {

std::unique_ptr<Program> parseProgram(const QString& text);

}   // namespace vbs
