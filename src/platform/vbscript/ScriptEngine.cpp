#include "ScriptEngine.h"

#include "Interpreter.h"

#include <new>

namespace vbs {

ScriptEngine::ScriptEngine() : m_interp(std::make_unique<Interpreter>()) { }
ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::setLimits(const ScriptLimits& limits) { m_interp->limits = limits; }
const ScriptLimits& ScriptEngine::limits() const { return m_interp->limits; }

void ScriptEngine::addObject(const QString& name, ObjectPtr object) { m_interp->addObject(name, std::move(object)); }

void ScriptEngine::addCode(const QString& text)
{
    m_lastError.reset();
    try {
        m_interp->addCode(text);
    } catch (const ScriptError& e) {
        m_lastError = e;
        throw;
    } catch (const std::bad_alloc&) {
        // Outside any statement: compiling a text too large for the memory left.
        m_lastError = ScriptError::limitStop(err::kOutOfMemory);
        throw *m_lastError;
    }
}

Variant ScriptEngine::run(const QString& name, const VariantList& args)
{
    m_lastError.reset();
    try {
        return m_interp->run(name, args);
    } catch (const ScriptError& e) {
        m_lastError = e;
        throw;
    } catch (const std::bad_alloc&) {
        m_lastError = ScriptError::limitStop(err::kOutOfMemory);
        throw *m_lastError;
    }
}

bool ScriptEngine::hasProcedure(const QString& name) const { return m_interp->hasProcedure(name); }
QStringList ScriptEngine::procedureNames() const { return m_interp->procedureNames(); }

}   // namespace vbs
