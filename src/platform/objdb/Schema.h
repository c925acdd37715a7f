#pragma once
// The library's resolved view of a declared table: its fields with their storage kinds,
// its references (single ones stored in OID_<name>, lists in link tables), its indexes and
// its relations to other tables. Also the value conversions between the program's values
// and the stored ones.
#include "Definitions.h"
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class SqlConnection;

namespace objdb {

enum class Kind { Text, Integer, Boolean, Real, Currency, Date, DateTime };
Kind kindOf(int typeCode);
QString sqlType(Kind kind);   // the column type used for storage
bool isTextKind(Kind kind);

// Program value -> the value bound to a statement (Currency rounded to 4 decimals, dates as text).
QVariant toStorage(Kind kind, const QVariant& value);
// Stored value -> program value (Currency, QDateTime, qint64, bool, double, QString or Null).
QVariant fromStorage(Kind kind, const QVariant& stored);
// A value handed in by the program (any type, or text typed by a user) -> the field's type.
// Raises AppError (type mismatch / overflow) when it cannot be converted. Empty text of a
// non-text field becomes Null.
QVariant coerce(Kind kind, const QVariant& value, const QString& fieldName);
// Zero of the field's type (GetFieldValue of an empty field).
QVariant zeroOf(Kind kind);
bool sameValue(Kind kind, const QVariant& a, const QVariant& b);
QString storedDateText(const QDateTime& t);
QDateTime parseDateText(const QString& text);   // stored form or common typed forms; invalid when not a date

struct TableSchema;

struct FieldSchema {
    FieldDefinition def;
    Kind kind = Kind::Text;
};

struct RefSchema {
    ReferenceDefinition def;
    TableSchema* target = nullptr;   // resolved after all tables are known (may stay null)
    QString linkTable;   // lists: "Owner$Ref"
    int singleIndex = -1;   // single references: position among the table's single references
    bool isList() const { return def.IsList; }
};

struct IndexSchema {
    QString name;   // declared name (may be empty)
    QString sqlName;   // the storage name, unique in the file
    bool unique = false;
    bool emptyIsValue = false;
    QStringList fields;   // as declared
    QStringList columns;   // storage columns
};

struct TableSchema {
    QString name;
    TableIdentity identity;
    std::vector<FieldSchema> fields;
    std::vector<RefSchema> refs;
    std::vector<IndexSchema> indexes;
    QString columnOrder;
    std::vector<int> singleRefs;   // indexes into refs, in declaration order
    itfSetData* handler = nullptr;   // null for a database opened without its definition
    std::shared_ptr<itfDefTable> definition;
    TableSchema* parent = nullptr;
    // Owned lists of other tables whose members are rows of this table.
    std::vector<std::pair<TableSchema*, const RefSchema*>> ownedBy;
    bool excludedFromCopy = false;
    bool system = false;
    QString keyFieldName;   // set when the database links its tables
    int completionIndex = -1;   // the Boolean field of identity.CompletionField, -1 when none
    QString insertSql;   // cached by the writer
    QString readSql;   // cached by the reader of one row

    int fieldIndex(const QString& name) const;   // -1 when not declared (case-insensitive)
    const FieldSchema* field(const QString& name) const;
    const RefSchema* ref(const QString& name) const;
    const RefSchema* singleRef(int singleIndex) const { return &refs[size_t(singleRefs[size_t(singleIndex)])]; }
    bool isChild() const { return !identity.ParentTable.isEmpty(); }
    // The field by which rows of this table are typed and found (see TableObject::GetKeyField).
    const QString& keyField() const { return keyFieldName; }
    QString quoted() const;   // "name"
    // Storage columns of the declared structure, in order: fields, then OID_<ref> of single references.
    QStringList dataColumns() const;
    void buildLookup();

    QJsonObject toJson() const;
    static std::unique_ptr<TableSchema> fromJson(const QString& name, const QJsonObject& json);
    // Structure read from storage alone (a table without stored declarations).
    static std::unique_ptr<TableSchema> fromStorage(const QString& name, SqlConnection& conn);
};

}   // namespace objdb
