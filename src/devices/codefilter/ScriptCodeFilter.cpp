#include "ScriptCodeFilter.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "vbscript/ScriptEngine.h"
#include "base/UiServices.h"

#include <new>

ScriptCodeFilter::ScriptCodeFilter(Source source) : m_source(std::move(source)) { }
ScriptCodeFilter::~ScriptCodeFilter() = default;

bool ScriptCodeFilter::HoldsCompiledFilter() const { return m_compiled && m_compiledScript == m_source.storedScript(); }

QString ScriptCodeFilter::Run(vbs::ScriptEngine& engine, const QString& code) const
{
    return engine.run(m_source.functionName, {vbs::Variant(code)}).toString();
}

QString ScriptCodeFilter::Apply(const QString& code, const QString& testScript)
{
    try {
        if (!testScript.isEmpty()) {
            vbs::ScriptEngine trial;
            trial.addCode(testScript);
            return Run(trial, code);
        }
        if (!HoldsCompiledFilter()) {
            m_compiled.reset();
            const QString script = m_source.storedScript();
            if (script.isEmpty()) return code;
            auto engine = std::make_unique<vbs::ScriptEngine>();
            engine->addCode(script);
            m_compiled = std::move(engine);
            m_compiledScript = script;
        }
        return Run(*m_compiled, code);
    } catch (const AppError& e) {
        report(e);
        return QString();
    } catch (const std::bad_alloc&) {
        // Raised outside the script itself: no script line to name.
        report(AppError(vbs::err::kOutOfMemory, m_source.functionName, vbs::errorText(vbs::err::kOutOfMemory)));
        return QString();
    }
}

void ScriptCodeFilter::report(const AppError& e) const
{
    QString text = m_source.errorTitle + QStringLiteral("\r\r") + e.description + u'\r';
    if (const auto* scriptError = dynamic_cast<const vbs::ScriptError*>(&e); scriptError && scriptError->number != 0)
        text += QStringLiteral("\rLinea VB: ") + QString::number(scriptError->line);
    ui().msgBox(text, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
}
