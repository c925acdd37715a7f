#include "ScriptTestSupport.h"

#include "vbscript/ScriptObject.h"

#include <QStringList>

namespace scripttest {

QString typeName(const vbs::Variant& v)
{
    switch (v.type()) {
    case vbs::VType::Empty: return QStringLiteral("Empty");
    case vbs::VType::Null: return QStringLiteral("Null");
    case vbs::VType::Byte: return QStringLiteral("Byte");
    case vbs::VType::Integer: return QStringLiteral("Integer");
    case vbs::VType::Long: return QStringLiteral("Long");
    case vbs::VType::Single: return QStringLiteral("Single");
    case vbs::VType::Double: return QStringLiteral("Double");
    case vbs::VType::Currency: return QStringLiteral("Currency");
    case vbs::VType::Date: return QStringLiteral("Date");
    case vbs::VType::String: return QStringLiteral("String");
    case vbs::VType::Object: return QStringLiteral("Object");
    case vbs::VType::Error: return QStringLiteral("Error");
    case vbs::VType::Boolean: return QStringLiteral("Boolean");
    case vbs::VType::Array: return QStringLiteral("Array");
    }
    return {};
}

QString describe(const vbs::Variant& v)
{
    switch (v.type()) {
    case vbs::VType::Empty:
    case vbs::VType::Null: return typeName(v);
    case vbs::VType::Object:
        return QStringLiteral("Object:") + (v.object() ? v.object()->typeName() : QStringLiteral("Nothing"));
    case vbs::VType::Array: {
        QStringList items;
        for (const vbs::Variant& i : v.array()->items) items << describe(i);
        return QStringLiteral("Array(") + items.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    case vbs::VType::Error: return QStringLiteral("Error:%1").arg(v.rawInt());
    default: return typeName(v) + QLatin1Char(':') + v.toString();
    }
}

QString runBody(const QString& body, const QString& extra)
{
    vbs::ScriptEngine engine;
    try {
        engine.addCode(QStringLiteral("Function T()\r\n") + body + QStringLiteral("\r\nEnd Function\r\n") + extra);
        return describe(engine.run(QStringLiteral("T")));
    } catch (const vbs::ScriptError& e) {
        return QStringLiteral("#%1").arg(e.number);
    }
}

}   // namespace scripttest
