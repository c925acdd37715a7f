#include "PrintScriptFiles.h"

#include "base/AppError.h"

#include <QFile>
#include "base/FileOps.h"
#include <QStringDecoder>

namespace {

const QString kSource = QStringLiteral("Stampa");
const QString kCrLf = QStringLiteral("\r\n");
const QString kHeadMark = QStringLiteral("'#");

AppError fileError(const QString& what, const QString& path, const QString& why)
{
    return AppError(AppError::kFileNotFound, kSource, QStringLiteral("%1 \"%2\": %3").arg(what, path, why));
}

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw fileError(QStringLiteral("Impossibile leggere il file"), path, f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw fileError(QStringLiteral("Impossibile leggere il file"), path, f.errorString());
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        QStringDecoder cp1252("windows-1252");
        text = cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines << text.mid(start, i - start);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines << text.mid(start);
    return lines;
}

QString withLineEnd(const QString& script)
{
    if (script.isEmpty() || script.endsWith(u'\n') || script.endsWith(u'\r')) return script;
    return script + kCrLf;
}

void writeText(const QString& path, const QString& text)
{
    if (!fileOps().writeFile(path, text.toUtf8()))
        throw fileError(QStringLiteral("Impossibile scrivere il file"), path, fileOps().lastError());
}

}   // namespace

QString ReadScriptFile(const QString& path)
{
    QString script;
    for (const QString& line : readLines(path)) script += line + kCrLf;
    return script;
}

void WriteScriptFile(const QString& path, const QString& script) { writeText(path, withLineEnd(script)); }

const QStringList& TicketScriptHeadKeys()
{
    static const QStringList keys {
        QStringLiteral("BottomImageBorder"), QStringLiteral("Columns"),       QStringLiteral("TicketHeight"),
        QStringLiteral("TicketWidth"),       QStringLiteral("TicketTop"),     QStringLiteral("TicketLeft"),
        QStringLiteral("TicketRowsDim"),     QStringLiteral("TicketRowsTop"), QStringLiteral("TicketRowsBottom")};
    return keys;
}

TicketScriptFile ReadTicketScriptFile(const QString& path)
{
    TicketScriptFile file;
    for (const QString& line : readLines(path)) {
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(kHeadMark) && eq >= 0) {
            const QString key = line.mid(kHeadMark.size(), eq - kHeadMark.size());
            if (TicketScriptHeadKeys().contains(key, Qt::CaseSensitive)) file.head[key] = line.mid(eq + 1);
            continue;
        }
        file.script += line + kCrLf;
    }
    return file;
}

void WriteTicketScriptFile(const QString& path, const QMap<QString, QString>& head, const QString& script)
{
    QString text;
    for (const QString& key : TicketScriptHeadKeys()) {
        // A line end inside a value would make the rest of it a line of the script.
        QString value = head.value(key);
        value.remove(u'\r');
        value.remove(u'\n');
        text += kHeadMark + key + u'=' + value + kCrLf;
    }
    writeText(path, text + withLineEnd(script));
}

QString ScriptForEditor(const QString& script)
{
    QString text = script;
    text.replace(kCrLf, QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString ScriptFromEditor(const QString& text)
{
    QString script = ScriptForEditor(text);
    script.replace(u'\n', kCrLf);
    return script;
}
