#include "ScriptedWindows.h"
#include "UiServices.h"

bool ScriptedWindowsActive() { return dynamic_cast<ScriptedUiServices*>(&ui()) != nullptr; }

std::optional<QString> ScriptedWindowAnswer(const QString& window, const QString& prompt) {
    auto* scripted = dynamic_cast<ScriptedUiServices*>(&ui());
    if (!scripted) return std::nullopt;
    const QString text = u'[' + window + QStringLiteral("] ") + prompt;
    if (!scripted->hasAnswers()) {
        // Still logged, so a test sees which window gave up.
        (void)scripted->inputBox(text, window, QString());
        return std::nullopt;
    }
    return scripted->inputBox(text, window, QString());
}
