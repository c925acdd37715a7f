#pragma once
// The script engine: add the script text, then run its functions by name.
//
//   vbs::ScriptEngine engine;
//   engine.addCode(scriptText);                                  // compiles, runs top-level code
//   vbs::Variant ok = engine.run(QStringLiteral("PrintLabel"), {fields, prn});
//
// addCode and run throw vbs::ScriptError (number, description, 1-based line within the
// text given to addCode); the last error also stays readable through lastError() until
// the next call. Scripts are sandboxed: they reach only the objects handed to them (as
// arguments or through addObject) and the built-in functions; there is no object
// creation, no dynamic evaluation, no classes, no file or process access, and the limits
// below stop a script that loops, recurses or takes memory without end. Such a stop is a
// ScriptError with engineStop set: no On Error catches it, and a script raising the same
// number never makes one. Memory the system refuses (std::bad_alloc) is the same stop.
#include "ScriptError.h"
#include "ScriptObject.h"
#include "Variant.h"

#include <QStringList>
#include <memory>
#include <optional>

namespace vbs {

struct ScriptLimits {
    int64_t maxStatements = 10'000'000;   // statements and loop turns per addCode/run call
    int64_t maxMilliseconds = 5'000;   // wall-clock time per call; 0 for none
    int maxCallDepth = 3'000;   // nested calls of script functions
    // Machine stack deep calls may use before the run is stopped. Deep calls run on a
    // stack of the engine's own, so this does not depend on the caller's thread.
    int64_t maxStackBytes = 32 * 1024 * 1024;
    int64_t maxStringLength = 16 * 1024 * 1024;   // characters of one text value
    int64_t maxArrayElements = 4 * 1024 * 1024;   // elements of one array
    // Bytes the script's variables hold together (texts, arrays and their elements, kept
    // from one call to the next in its global variables). Past it the script stops with
    // error 7, "Memoria esaurita", at the line that would have taken more.
    int64_t maxHeldBytes = 256 * 1024 * 1024;
};

class Interpreter;

class ScriptEngine {
public:
    ScriptEngine();
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    void setLimits(const ScriptLimits& limits);
    const ScriptLimits& limits() const;

    // A global name bound to a host object (read-only for the script).
    void addObject(const QString& name, ObjectPtr object);
    // Compiles the text and runs its top-level statements. Functions of an earlier text
    // stay; a function defined again replaces the earlier one. Lines of errors count
    // within this text.
    void addCode(const QString& text);
    // Runs a function or sub by name (any case) with the arguments; gives its result
    // (Empty for a sub, or a function that set none). Arguments are passed by value:
    // objects are shared, so a script changes a host object's state, never its variables.
    Variant run(const QString& name, const VariantList& args = {});
    bool hasProcedure(const QString& name) const;
    QStringList procedureNames() const;
    // The error of the last addCode or run, if it failed.
    const std::optional<ScriptError>& lastError() const { return m_lastError; }

private:
    std::unique_ptr<Interpreter> m_interp;
    std::optional<ScriptError> m_lastError;
};

}   // namespace vbs
