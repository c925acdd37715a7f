#include "FilterScriptFiles.h"
#include "base/AppError.h"
#include "base/FileOps.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include <QStringDecoder>

namespace {
const QString kCRLF = QStringLiteral("\r\n");

[[noreturn]] void fileError(const QString& path)
{
    throw AppError(AppError::kFileNotFound, AppTitle(), fileOps().lastError().isEmpty() ? path : fileOps().lastError());
}

// Scripts are written as UTF-8; one that is not reads as the 8-bit Latin-1 code.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
}

std::optional<QString> filterscript::LoadFromFile(const QString& proposedPath)
{
    const auto chosen = ui().openFileName(QString(), kFileFilter, proposedPath);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    bool ok = false;
    const QByteArray bytes = fileOps().readFile(*chosen, &ok);
    if (!ok) fileError(*chosen);
    // Line by line: a line ends at CR LF, CR or LF, and each comes back with CR LF.
    QString text = decode(bytes);
    text.replace(kCRLF, QStringLiteral("\n")).replace(u'\r', u'\n');
    if (text.endsWith(u'\n')) text.chop(1);
    if (text.isEmpty() && bytes.isEmpty()) return QString();
    QString script;
    for (const QString& line : text.split(u'\n')) script += line + kCRLF;
    return script;
}

bool filterscript::SaveToFile(const QString& script, const QString& proposedPath)
{
    const auto chosen = ui().saveFileName(QString(), kFileFilter, proposedPath);
    if (!chosen || chosen->isEmpty()) return false;
    if (FileExists(*chosen, 0)
        && ui().msgBox(QStringLiteral("Il file esiste già...\r\rVuoi sostituirlo ?"),
                       int(Msg::YesNo) + int(Msg::Exclamation) + int(Msg::DefaultButton2))
            != Msg::Yes)
        return false;
    if (!fileOps().writeFile(*chosen, (script + kCRLF).toUtf8())) fileError(*chosen);
    return true;
}

void filterscript::TryOnCode(const QString& prompt, const std::function<QString(const QString&)>& apply)
{
    const auto code = ui().inputBox(prompt);
    if (!code || code->isEmpty()) return;
    const QString result = apply(*code);
    if (!result.isEmpty())
        ui().msgBox(QStringLiteral("Il codice risultante è:\r") + result, int(Msg::OKOnly) + int(Msg::Information));
}
