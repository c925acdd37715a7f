#pragma once
// Helpers shared by the script tests: run a small script and describe its result as
// "Type:text" (or "#number" for an error), so cases read as one line each.
#include "vbscript/ScriptEngine.h"

#include <QString>
#include <ostream>

namespace scripttest {

QString typeName(const vbs::Variant& v);
// "Integer:3", "String:abc", "Null", "Empty", "Object:Field", "Array(1,2)".
QString describe(const vbs::Variant& v);
// Runs `body` as the function T (extra procedures after it) and describes T's result,
// or gives "#<error number>".
QString runBody(const QString& body, const QString& extra = QString());

}   // namespace scripttest
