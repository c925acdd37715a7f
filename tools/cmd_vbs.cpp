// mvtool vbs: runs one function of a script file with text arguments, as the program's
// script runners do, and prints the result or the script error with its number and line.
#include "MvTool.h"
#include "vbscript/ScriptEngine.h"

#include <QFile>
#include <QStringDecoder>
#include <new>

namespace {

QString readScript(const QString& path, bool& ok)
{
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly);
    if (!ok) return {};
    const QByteArray bytes = f.readAll();
    // Script files are written as UTF-8; one that is not reads in the Windows-1252 code page.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        QStringDecoder cp1252("windows-1252");
        text = cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

QString display(const vbs::Variant& v)
{
    switch (v.type()) {
    case vbs::VType::Null: return QStringLiteral("Null");
    case vbs::VType::Object: return v.object() ? v.object()->typeName() : QStringLiteral("Nothing");
    case vbs::VType::Array: {
        QStringList items;
        for (const vbs::Variant& item : v.array()->items) items << display(item);
        return QLatin1Char('(') + items.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    case vbs::VType::Error: return QStringLiteral("Error %1").arg(v.rawInt());
    default: return v.toString();
    }
}

int runVbs(const QStringList& args)
{
    if (args.size() < 2) return 2;
    bool ok = false;
    const QString text = readScript(args[0], ok);
    if (!ok) {
        mvtool::err(QStringLiteral("cannot read %1").arg(args[0]));
        return 1;
    }
    vbs::VariantList values;
    for (const QString& a : args.mid(2)) values.emplace_back(a);
    vbs::ScriptEngine engine;
    try {
        engine.addCode(text);
        mvtool::out(display(engine.run(args[1], values)));
        return 0;
    } catch (const vbs::ScriptError& e) {
        QString where = e.line > 0 ? QStringLiteral(" (riga %1)").arg(e.line) : QString();
        mvtool::err(QStringLiteral("Errore %1: %2%3").arg(e.number).arg(e.description, where));
        return 1;
    } catch (const std::bad_alloc&) {
        mvtool::err(
            QStringLiteral("Errore %1: %2").arg(vbs::err::kOutOfMemory).arg(vbs::errorText(vbs::err::kOutOfMemory)));
        return 1;
    }
}

}   // namespace

MV_COMMAND("vbs", "vbs FILE FUNCTION [ARG...]   run a script function with text arguments", runVbs);
