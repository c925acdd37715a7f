#pragma once
// Modal windows in headless runs. When the program's questions are answered from a script
// (MIRTAVOLIA_PROMPTS), nobody can click a modal window, so a window that would wait for
// the user takes its answer from the same script instead: one line per showing, logged as
// an input prompt "[<window>] <prompt>". "<cancel>" stands for Esc; a script already used
// up also cancels, so a headless run can never wait forever.
#include <QString>
#include <optional>

// True when the questions come from a script.
bool ScriptedWindowsActive();

// The script's next answer for `window`; empty when it cancels or the script is used up.
std::optional<QString> ScriptedWindowAnswer(const QString& window, const QString& prompt);
