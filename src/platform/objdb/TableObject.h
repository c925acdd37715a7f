#pragma once
// One table of a database: its declarations and the way to select its rows.
#include "Definitions.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Database;
class DBEngine;
class TableData;
class TableCollection;
class itfProgress;
namespace objdb {
struct TableSchema;
}

class TableObject {
public:
    TableObject(Database& db, objdb::TableSchema& schema) : m_db(db), m_schema(schema) { }

    QString Name() const;
    QString Caption() const;   // the caption, or the name when none is declared
    QString GetCaption() const { return Caption(); }
    QString GetStorageName() const;   // the name in the file
    QString ParentTable() const;
    TableObject* Parent() const;
    std::optional<double> Version() const;   // declared
    // The field a user types to find a row: the key field declared by the references
    // towards this table, else "Codice", else the first field of a unique index; empty when
    // rows are found only by OID. qualified: "Table.Field".
    QString GetKeyField(bool qualified = false) const;
    QString GetParentLinkField(const QString& = QString()) const { return QStringLiteral("objParent"); }
    bool FieldExists(const QString& field) const;
    const FieldDefinition* GetField(const QString& field) const;
    // Changes, while the program runs, the least access level that may see a field (the
    // declaration and the file are unchanged); FieldDefinition::kSwitchedOff hides it from
    // every window built after. Returns the setting it had; AppError for an unknown field.
    int SetFieldSeeLevel(const QString& field, int level);
    std::vector<FieldDefinition> Fields() const;
    std::vector<ReferenceDefinition> References() const;
    const ReferenceDefinition* GetReference(const QString& name) const;
    QString ColumnOrder() const;
    bool ExcludedFromCopy() const;
    TableCollection* GetTables() const;
    Database* GetDatabase() const { return &m_db; }

    // The rows meeting condition (Jet SQL; empty: all), in order (empty: the default
    // order, by OID), with the columns of fieldList (empty: all fields), on engine
    // (null: the database's own). Raises OnSelect.
    std::unique_ptr<TableData> Select(const QString& condition = QString(), const QString& order = QString(),
                                      const QString& fieldList = QString(), std::shared_ptr<DBEngine> engine = nullptr);
    // Condition texts (Jet SQL): a field against a value (Null: "Is Null"), a reference
    // against a row key (OID).
    QString BuildFieldCondition(const QString& field, const QVariant& value, const QString& wildcard = QString()) const;
    QString BuildReferenceCondition(const QString& reference, const QVariant& key) const;
    QString BuildKeyCondition(const QVariant& key) const;

    // Bulk work on rows named by their OIDs (those stored; the rows of a journal), as
    // TableData::CopyRows and DeleteRows do on a data set of exactly those rows: no row rule
    // runs. Copied into the same table of `target`'s database. False when stopped.
    [[nodiscard]] bool CopyRowsTo(const QList<qint64>& oids, TableObject& target, itfProgress* progress = nullptr,
                                  bool copyRelated = false);
    [[nodiscard]] bool DeleteRows(const QList<qint64>& oids, itfProgress* progress = nullptr);

    objdb::TableSchema& schema() const { return m_schema; }

private:
    Database& m_db;
    objdb::TableSchema& m_schema;
};

// Fields of a table switched off for one use (a row editor that must not offer them) and
// given back their settings when it ends, however it ends.
class SwitchedOffFields {
public:
    SwitchedOffFields(TableObject& table, const QStringList& fields);
    ~SwitchedOffFields();
    SwitchedOffFields(const SwitchedOffFields&) = delete;
    SwitchedOffFields& operator=(const SwitchedOffFields&) = delete;

private:
    void restore();
    TableObject& m_table;
    std::vector<std::pair<QString, int>> m_before;   // each field with its setting before
};
