#pragma once
// The script buttons the device options dialogs share: load a filter script from a file,
// save it to one, try it on a code. Questions and messages go through UiServices.
#include <QString>
#include <functional>
#include <optional>

namespace filterscript {
// The file filter of the script dialogs.
inline const QString kFileFilter = QStringLiteral("VB Script|*.vbs");

// The chosen file's lines, each ended by CR LF; empty optional when the operator
// cancelled. Raises AppError when the file cannot be read.
std::optional<QString> LoadFromFile(const QString& proposedPath);
// Writes `script` and one line end to the chosen file, after asking before replacing an
// existing one. False when the operator cancelled or would not replace. Raises AppError
// when the file cannot be written (the old file then stays as it was).
bool SaveToFile(const QString& script, const QString& proposedPath);
// Asks for a code with `prompt` and shows what `apply` makes of it: "Il codice risultante
// è:" and the result, nothing when the result is empty or no code was given.
void TryOnCode(const QString& prompt, const std::function<QString(const QString&)>& apply);
}
