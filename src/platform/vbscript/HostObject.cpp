#include "HostObject.h"

#include "ScriptError.h"

namespace vbs {

HostObject::HostObject(QString typeName) : m_typeName(std::move(typeName)) { }

void HostObject::method(const QString& name, int minArgs, int maxArgs, Getter call)
{
    m_members[name.toLower()] = Member {std::move(call), {}, minArgs, maxArgs};
}

void HostObject::property(const QString& name, Getter get, Setter set, int minArgs, int maxArgs)
{
    m_members[name.toLower()] = Member {std::move(get), std::move(set), minArgs, maxArgs};
}

void HostObject::setDefaultMember(const QString& name) { m_default = name.toLower(); }

bool HostObject::hasMember(const QString& name) const { return find(name) != nullptr; }

const HostObject::Member* HostObject::find(const QString& name) const
{
    const QString key = name.isEmpty() ? m_default : name.toLower();
    if (key.isEmpty()) return nullptr;
    auto it = m_members.find(key);
    return it == m_members.end() ? nullptr : &it->second;
}

static void checkCount(const QString& name, int n, int minArgs, int maxArgs)
{
    if (n < minArgs || (maxArgs >= 0 && n > maxArgs))
        throw ScriptError(err::kWrongArguments,
                          errorText(err::kWrongArguments) + QStringLiteral(": '") + name + QLatin1Char('\''));
}

Variant HostObject::get(const QString& name, const VariantList& args)
{
    const Member* m = find(name);
    if (!m || !m->get) noSuchMember(name);
    checkCount(name, static_cast<int>(args.size()), m->minArgs, m->maxArgs);
    return m->get(args);
}

void HostObject::put(const QString& name, const VariantList& args, const Variant& value)
{
    const Member* m = find(name);
    if (!m) noSuchMember(name);
    if (!m->set) {
        // A read-only member may still give an object whose default member takes it.
        ScriptObject::put(name, args, value);
        return;
    }
    checkCount(name, static_cast<int>(args.size()), m->minArgs, m->maxArgs);
    m->set(args, value);
}

}   // namespace vbs
