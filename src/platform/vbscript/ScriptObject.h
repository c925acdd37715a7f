#pragma once
// What a host object offers a script. The engine reaches host objects only through this
// interface: a script sees nothing the host does not hand it.
//
// Member names arrive as the script wrote them; objects compare them without regard to
// case. An empty name is the default member: obj(args) and obj used as a value
// (comparison, arithmetic, text) read it, obj(args) = v writes it.
#include "Variant.h"

#include <QString>

namespace vbs {

class ScriptObject : public std::enable_shared_from_this<ScriptObject> {
public:
    virtual ~ScriptObject() = default;

    // What TypeName gives for the object.
    virtual QString typeName() const = 0;
    // Reads a property or calls a method, with its arguments (indexes of an indexed
    // property). Throws ScriptError (438 for a member the object does not have).
    virtual Variant get(const QString& name, const VariantList& args) = 0;
    // Writes a property: obj.Name(args) = value. The default writes through the default
    // member: when get(name, args) gives an object, that object's default member gets
    // the value (so Flds("X") = v sets the field's Value); otherwise 438.
    virtual void put(const QString& name, const VariantList& args, const Variant& value);
    // The items a For Each walks; false when the object is not a collection.
    virtual bool enumerate(VariantList& items);

    // A ScriptError 438 naming the member.
    [[noreturn]] static void noSuchMember(const QString& name);
};

}   // namespace vbs
