#include "ScriptObject.h"

#include "ScriptError.h"

namespace vbs {

void ScriptObject::put(const QString& name, const VariantList& args, const Variant& value)
{
    if (name.isEmpty() && args.empty()) noSuchMember(name);
    Variant target = get(name, args);
    if (target.isObject() && target.object() && target.object().get() != this) {
        target.object()->put(QString(), {}, value);
        return;
    }
    noSuchMember(name);
}

bool ScriptObject::enumerate(VariantList&) { return false; }

void ScriptObject::noSuchMember(const QString& name)
{
    QString text = errorText(err::kNoSuchMember);
    if (!name.isEmpty()) text += QStringLiteral(": '") + name + QLatin1Char('\'');
    throw ScriptError(err::kNoSuchMember, text);
}

}   // namespace vbs
