#include "ScriptRecord.h"

#include "ScriptError.h"

namespace vbs {

Variant ScriptField::get(const QString& name, const VariantList& args)
{
    if (!args.empty()) noSuchMember(name);
    if (name.isEmpty() || name.compare(QLatin1String("value"), Qt::CaseInsensitive) == 0) return m_value;
    if (name.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0) return Variant(m_name);
    noSuchMember(name);
}

void ScriptField::put(const QString& name, const VariantList& args, const Variant& value)
{
    if (!args.empty()) noSuchMember(name);
    if (name.isEmpty() || name.compare(QLatin1String("value"), Qt::CaseInsensitive) == 0) {
        setValue(value.valueOf());
        return;
    }
    noSuchMember(name);
}

std::shared_ptr<ScriptField> ScriptRecord::addField(const QString& name, const Variant& value)
{
    auto f = std::make_shared<ScriptField>(name, value);
    const QString key = name.toLower();
    auto it = m_index.find(key);
    if (it != m_index.end()) {
        m_fields[it->second] = f;
    } else {
        m_index.emplace(key, static_cast<int>(m_fields.size()));
        m_fields.push_back(f);
    }
    return f;
}

std::shared_ptr<ScriptField> ScriptRecord::field(const QString& name) const
{
    // A script run on every line of a file names the same fields each time, as they are
    // written in it: found once, such a name is not lowered again.
    if (auto seen = m_asWritten.find(name); seen != m_asWritten.end()) return m_fields[seen->second];
    auto it = m_index.find(name.toLower());
    if (it == m_index.end()) return nullptr;
    if (m_asWritten.size() < kAsWrittenKept) m_asWritten.emplace(name, it->second);
    return m_fields[it->second];
}

QStringList ScriptRecord::names() const
{
    QStringList n;
    for (const auto& f : m_fields) n << f->name();
    return n;
}

Variant ScriptRecord::value(const QString& name) const
{
    auto f = field(name);
    return f ? f->value() : Variant();
}

bool ScriptRecord::setValue(const QString& name, const Variant& value)
{
    auto f = field(name);
    if (!f) return false;
    f->setValue(value);
    return true;
}

std::shared_ptr<ScriptField> ScriptRecord::item(const Variant& keyArg) const
{
    const Variant key = keyArg.valueOf();
    if (key.isString()) {
        if (auto f = field(key.rawString())) return f;
    } else if (key.isNumeric()) {
        int32_t i = key.toLong();
        if (i >= 0 && i < count()) return m_fields[i];
    }
    throw ScriptError(err::kItemNotFound);
}

Variant ScriptRecord::get(const QString& name, const VariantList& args)
{
    if (name.isEmpty() || name.compare(QLatin1String("item"), Qt::CaseInsensitive) == 0) {
        if (args.size() != 1) throw ScriptError(err::kWrongArguments);
        return Variant(ObjectPtr(item(args[0])));
    }
    if (name.compare(QLatin1String("count"), Qt::CaseInsensitive) == 0 && args.empty()) return Variant(count());
    noSuchMember(name);
}

void ScriptRecord::put(const QString& name, const VariantList& args, const Variant& value)
{
    if ((name.isEmpty() || name.compare(QLatin1String("item"), Qt::CaseInsensitive) == 0) && args.size() == 1) {
        item(args[0])->setValue(value.valueOf());
        return;
    }
    noSuchMember(name);
}

bool ScriptRecord::enumerate(VariantList& items)
{
    for (const auto& f : m_fields) items.emplace_back(ObjectPtr(f));
    return true;
}

}   // namespace vbs
