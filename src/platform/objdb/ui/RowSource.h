#pragma once
// What the grid's model reads rows from (a table's data set). Every read continues after a
// row read before (by its key, never by a position), so reading on down a long table never
// reads the rows above again.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

// Where a row stands: its OID (0 for a view whose rows have none) and, for a paged view, the
// values a read needs to continue after it.
struct RowKey {
    qint64 oid = 0;
    QVariantList values;
};

struct GridColumn {
    QString field;
    QString caption;
    int typeCode = 0;   // the field's type code; -1 a reference, -2 a computed column
    QString description;
    // Offered (to a field sequence, to a list's display fields) but not shown unless named:
    // a line's fields of its parent row.
    bool onRequest = false;
    bool rightAligned() const;   // numbers and amounts
    bool isBoolean() const;
};

struct GridRow {
    RowKey key;
    QStringList cells;   // the texts of the columns chosen with SetColumns, in order
};

class RowSource {
public:
    virtual ~RowSource() = default;
    // Every column the source can show at the operator's access level, in the source's order.
    virtual std::vector<GridColumn> Columns() const = 0;
    // The columns the next reads fill, by field name.
    virtual void SetColumns(const QStringList& fields) = 0;
    // Up to `count` rows after `after` (null: from the first row), in the source's order.
    virtual std::vector<GridRow> Read(const RowKey* after, int count) = 0;
    // The keys alone of the rows after `after`: how the model walks to a far position.
    virtual std::vector<RowKey> Keys(const RowKey* after, int count) = 0;
    virtual qint64 Count() = 0;
    // A new source over the same rows read again (after they or their selection changed).
    virtual std::unique_ptr<RowSource> Reopen() const = 0;
    // The table the rows come from.
    virtual QString TableName() const = 0;
};
