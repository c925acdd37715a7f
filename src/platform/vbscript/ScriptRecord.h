#pragma once
// The fields of one record as scripts see them: a collection with Count and Item (the
// default member, by name or by 0-based position) whose items are field objects with
// Value (their default member) and Name. So Flds("X") is the field, Flds("X").Value and
// Flds("X") used as a value are its value, and Flds("X") = v or Flds("X").Value = v
// store v. A missing name raises error 3265.
//
// The caller builds the record from its row, runs the script, then reads the values back.
#include "ScriptObject.h"

#include <QStringList>
#include <functional>
#include <unordered_map>

namespace vbs {

class ScriptField : public ScriptObject {
public:
    // Gives the value actually stored for a value a script writes (a text column cut to
    // its width, an amount as Currency); may throw ScriptError to refuse it.
    using WriteFilter = std::function<Variant(const Variant& value)>;

    ScriptField(QString name, Variant value) : m_name(std::move(name)), m_value(std::move(value)) { }

    const QString& name() const { return m_name; }
    const Variant& value() const { return m_value; }
    void setValue(const Variant& v) { m_value = m_filter ? m_filter(v) : v; }
    void setWriteFilter(WriteFilter f) { m_filter = std::move(f); }

    QString typeName() const override { return QStringLiteral("Field"); }
    Variant get(const QString& name, const VariantList& args) override;
    void put(const QString& name, const VariantList& args, const Variant& value) override;

private:
    QString m_name;
    Variant m_value;
    WriteFilter m_filter;
};

class ScriptRecord : public ScriptObject {
public:
    ScriptRecord() = default;

    // Adds a field (names compare without regard to case); an existing name is replaced.
    std::shared_ptr<ScriptField> addField(const QString& name, const Variant& value = {});
    std::shared_ptr<ScriptField> field(const QString& name) const;   // null when missing
    std::shared_ptr<ScriptField> fieldAt(int index) const { return m_fields.at(index); }
    int count() const { return static_cast<int>(m_fields.size()); }
    QStringList names() const;
    // The field's value; Empty when the record has no such field.
    Variant value(const QString& name) const;
    // Sets a field's value through its write filter; false when there is no such field.
    bool setValue(const QString& name, const Variant& value);

    QString typeName() const override { return QStringLiteral("Fields"); }
    Variant get(const QString& name, const VariantList& args) override;
    void put(const QString& name, const VariantList& args, const Variant& value) override;
    bool enumerate(VariantList& items) override;

private:
    std::shared_ptr<ScriptField> item(const Variant& key) const;   // throws 3265

    std::vector<std::shared_ptr<ScriptField>> m_fields;
    std::unordered_map<QString, int> m_index;   // lower-case name → position
    // Names as a caller wrote them → position (a field keeps its position when replaced).
    static constexpr size_t kAsWrittenKept = 256;
    mutable std::unordered_map<QString, int> m_asWritten;
};

}   // namespace vbs
