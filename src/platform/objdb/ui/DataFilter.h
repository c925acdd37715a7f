#pragma once
// Named conditions on one table: the main window's complex filter and the predefined
// selections of a view. Each condition is a field, an operator and a value as the operator
// typed it; GetWhere writes them as one Jet condition (joined with AND), the value written as
// the field's type wants it. Filters are stored by name, per table, in the settings store.
#include <QString>
#include <QStringList>
#include <vector>

class SettingsStore;
class TableObject;
class TableData;

struct FilterCondition {
    QString field;
    QString op;   // "=", "<>", "<", "<=", ">", ">=" or "Like" (with * and ? as wildcards)
    QString value;   // as typed; empty with "=" or "<>" tests for an empty field
    friend bool operator==(const FilterCondition&, const FilterCondition&) = default;
};

class DataFilter {
public:
    // store: null for the program's settings store.
    explicit DataFilter(TableObject& table, SettingsStore* store = nullptr);

    QString Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }
    QString TableName() const;
    TableObject& Table() const { return m_table; }

    const std::vector<FilterCondition>& Conditions() const { return m_conditions; }
    void SetConditions(std::vector<FilterCondition> conditions) { m_conditions = std::move(conditions); }
    void AddCondition(const QString& field, const QString& op, const QString& value);
    void AddCondition(const QString& field, const QString& value) { AddCondition(field, QStringLiteral("="), value); }
    bool HasCondition(const QString& field) const;
    void RemoveCondition(const QString& field);   // every condition on the field
    void Clear() { m_conditions.clear(); }
    bool Restricts(const QString& field) const { return HasCondition(field); }

    // The conditions as one Jet condition; empty when there are none. qualified: fields
    // written "Table.Field". AppError when a value does not fit its field (a date that is
    // none, letters in a number) or a field is unknown.
    QString GetWhere(int = 0, bool qualified = true) const;
    // One condition as Jet text (the same checks).
    QString ConditionText(const FilterCondition& c, bool qualified = true) const;

    // --- stored filters -------------------------------------------------------------------------
    // Takes up the conditions stored under `name` (and the name); false when there is none.
    bool LoadSaved(const QString& name);
    // Stores the conditions under `name` (which becomes the filter's name).
    void Save(const QString& name);
    // Deletes what is stored under `name`; false when there was nothing.
    bool DeleteSaved(const QString& name);
    // The stored names of this table, separated by "|"; empty when there are none.
    QString GetSavedNames() const;

    static const QStringList& Operators();

private:
    QString section() const;
    SettingsStore& store() const;

    TableObject& m_table;
    SettingsStore* m_store;
    QString m_name;
    std::vector<FilterCondition> m_conditions;
};
