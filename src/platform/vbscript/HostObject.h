#pragma once
// A host object built from C++ callables, for objects that only need members:
//
//   auto prn = std::make_shared<vbs::HostObject>(QStringLiteral("clsScriptPrinter"));
//   prn->method(QStringLiteral("TxtOut"), 3, 3, [&](const vbs::VariantList& a) {
//       draw(a[0].toDouble(), a[1].toDouble(), a[2].toString()); return vbs::Variant(); });
//   prn->property(QStringLiteral("Vars"),
//       [&](const vbs::VariantList& a) { return vars.value(a.at(0).toString()); },
//       [&](const vbs::VariantList& a, const vbs::Variant& v) { vars[a.at(0).toString()] = v; },
//       1, 1);
//
// Argument counts are checked before a callable runs (error 450), so a callable may index
// its arguments freely within the declared range. Omitted arguments arrive as
// Variant::missing().
#include "ScriptObject.h"

#include <functional>
#include <unordered_map>

namespace vbs {

class HostObject : public ScriptObject {
public:
    using Getter = std::function<Variant(const VariantList& args)>;
    using Setter = std::function<void(const VariantList& args, const Variant& value)>;

    explicit HostObject(QString typeName);

    // A method taking between minArgs and maxArgs arguments (maxArgs -1: any number).
    void method(const QString& name, int minArgs, int maxArgs, Getter call);
    // A property, read-only when set is empty; indexed when it takes arguments.
    void property(const QString& name, Getter get, Setter set = {}, int minArgs = 0, int maxArgs = 0);
    // The member that obj(args) and obj-as-a-value reach.
    void setDefaultMember(const QString& name);
    bool hasMember(const QString& name) const;

    QString typeName() const override { return m_typeName; }
    Variant get(const QString& name, const VariantList& args) override;
    void put(const QString& name, const VariantList& args, const Variant& value) override;

private:
    struct Member {
        Getter get;
        Setter set;
        int minArgs = 0;
        int maxArgs = 0;
    };
    const Member* find(const QString& name) const;

    QString m_typeName;
    QString m_default;
    std::unordered_map<QString, Member> m_members;   // keyed by lower-case name
};

}   // namespace vbs
