#pragma once
// What a table class declares to the library: identity, fields, references, indexes,
// column order; and the fourteen data events it serves. Table classes see only these
// types and TableData.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class TableData;

// Field type codes as the table classes pass them.
namespace FieldType {
enum Code : int {
    Text = 0,
    FilePath = 2,
    Email = 6,
    Code = 7,
    Integer = 11,
    Boolean = 14,
    Number = 16,
    Date = 17,
    DateTime = 19,
    Currency = 20,
    LongText = 21
};
}

struct TableIdentity {
    QString Caption;
    QString ParentTable;   // empty: not a child table
    QString SecondCaption;
    std::optional<double> Version;
    long LongOptionA = 0;
    long LongOptionB = 0;
    std::optional<bool> BooleanOption;
    // A Boolean field that marks a row finished (a document's "completed"): a row stored while
    // it is False is noted in the file as open, with the process that stored it, until it is
    // stored finished or deleted (see OpenRows.h). Empty: rows are never noted.
    QString CompletionField;
    // The fields by which a row copied from another file is known to be a row this file holds
    // under another OID. For tables without a unique index whose rows every new file makes
    // for itself (payment types, the sample layout): each file's own "Contanti" is the same
    // row. Members of an owned list are matched among the members of the same owner.
    QStringList CopyKey;
};

struct FieldDefinition {
    QString Name;
    int TypeCode = FieldType::Text;
    int Size = 0;
    int O1 = -100;   // least access level that may change the field
    int O2 = -100;   // least access level that may see the field (kSwitchedOff: none)
    int O3 = -100;
    int F = -1;
    QString Description;   // null: none
    QString ValueListName;   // null: none ("SIMPLE_ACCESS")

    // The setting of a field switched off by an option: no operator sees it.
    static constexpr int kSwitchedOff = 255;
    // A running total (a stock, points collected, an amount used): the rules change it by
    // adding to what it holds. A change still pending when another program changes the total
    // is added to the stored value when the row is written, never written over it.
    bool RunningTotal = false;
};

class FieldDefinitions {
public:
    // The order of calls is the column order of the table.
    FieldDefinition& AddField(const QString& name, int typeCode, int size, int, int, int o1, int o2, int o3, int f,
                              const QString& description = QString(), const QString& valueList = QString(), int = 0);
    const std::vector<FieldDefinition>& fields() const { return m_fields; }

private:
    std::vector<FieldDefinition> m_fields;
};

struct ReferenceDefinition {
    QString Name;
    QString TargetTable;
    bool IsList = false;
    bool IsOwned = false;
    QString KeyField;   // target field by which a user types the reference; null: none
    QString DisplayFields;   // comma list of target fields shown for it
    QString Description;
    int F = -1;
    // Single references are stored in the column "OID_" + Name.
    QString column() const { return QStringLiteral("OID_") + Name; }
};

class ReferenceDefinitions {
public:
    ReferenceDefinition& AddReference(const QString& name, const QString& targetTable, bool isList, bool isOwned,
                                      const QString& keyField, const QString& displayFields, int = -100, int = -100,
                                      int = -100, const QString& description = QString(), int = -2, int f = -1,
                                      int = 0);
    const std::vector<ReferenceDefinition>& references() const { return m_refs; }

private:
    std::vector<ReferenceDefinition> m_refs;
};

struct IndexDefinition {
    QString Name;   // empty: the library names it
    bool Unique = false;
    QStringList Fields;   // field names, "objParent" or single reference names
    // A unique index where an empty field (no row referred to, no text) is a value like any
    // other: two rows empty in the same fields and equal in the rest are refused.
    bool EmptyIsValue = false;
    IndexDefinition& AddField(const QString& fieldName)
    {
        Fields << fieldName;
        return *this;
    }
    IndexDefinition& EmptyCountsAsValue()
    {
        EmptyIsValue = true;
        return *this;
    }
    IndexDefinition& AddNextField(const QString& fieldName)
    {
        Fields << fieldName;
        return *this;
    }
};

class IndexDefinitions {
public:
    IndexDefinition& AddIndex(const QString& fieldName, bool unique, const QString& indexName = QString());
    void SetColumnOrder(const QString& commaList) { m_columnOrder = commaList; }
    const std::vector<std::unique_ptr<IndexDefinition>>& indexes() const { return m_indexes; }
    const QString& columnOrder() const { return m_columnOrder; }

private:
    std::vector<std::unique_ptr<IndexDefinition>> m_indexes;
    QString m_columnOrder;
};

// The fourteen data events. Every handler does nothing unless a table class overrides it.
// The first argument is the data set of the row concerned.
class itfSetData {
public:
    virtual ~itfSetData() = default;
    virtual void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) { }
    virtual void OnNewRow(TableData& td) { }
    virtual void OnUpdateRow(TableData& td) { }
    virtual void OnDeleteRow(TableData& td) { }
    virtual void OnUpdateField(TableData& td, QString& fieldName) { }
    virtual void OnBeforeUpdateField(TableData& td, QString& fieldName) { }
    // row: the member row concerned, or nullptr when a whole list is concerned.
    virtual void OnUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant& a, QVariant& b) { }
    virtual void OnBeforeUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant& a,
                                         QVariant& b)
    { }
    virtual void OnSelectParent(TableData& td, TableData& candidates) { }
    virtual void OnSelect(TableData& td) { }
    virtual void OnSelectReference(TableData& candidates, const QVariant& unused, QString& referenceName) { }
    virtual void OnNewReference(TableData& td, QVariant& a, QVariant& b) { }
    virtual void OnSetParent(TableData& td, QVariant& a) { }
    virtual void OnMove(TableData& td) { }
};

// A table class declares its table and is its own event handler.
class itfDefTable {
public:
    virtual ~itfDefTable() = default;
    virtual void DefineIdentity(TableIdentity& identity) = 0;
    virtual void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) = 0;
    virtual itfSetData* DefineDefaultData() = 0;
    // The table's name: the name of the table class itself (without namespaces) unless
    // a class overrides it.
    virtual QString TableName() const;
};

// The definition of a whole database: its table classes, in creation order.
class DatabaseDefinition {
public:
    void AddTable(std::shared_ptr<itfDefTable> table) { m_tables.push_back(std::move(table)); }
    const std::vector<std::shared_ptr<itfDefTable>>& tables() const { return m_tables; }

private:
    std::vector<std::shared_ptr<itfDefTable>> m_tables;
};

class itfDefDatabase {
public:
    virtual ~itfDefDatabase() = default;
    virtual void Define(DatabaseDefinition& definition) = 0;
};
