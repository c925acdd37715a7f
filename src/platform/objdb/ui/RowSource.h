#pragma once
// What the grid's model reads rows from: a table's data set or the read-only pages of a
// derived view. Every read continues after a row read before (by its key, never by a
// position), so reading on down a long table never reads the rows above again.
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
    int typeCode = 0;           // the field's type code; -1 a reference, -2 a computed column
    QString description;
    // Offered (to a field sequence, to a list's display fields) but not shown unless named:
    // a line's fields of its parent row.
    bool onRequest = false;
    bool rightAligned() const;  // numbers and amounts
    bool isBoolean() const;
};

struct GridRow {
    RowKey key;
    QStringList cells;          // the texts of the columns chosen with SetColumns, in order
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
    // The table the rows come from; empty for a derived view.
    virtual QString TableName() const = 0;
};

// A derived view read page by page (the main window's report views): columns, the first
// rows, and the rows after a row of an earlier page, given whole.
class PagedRows {
public:
    virtual ~PagedRows() = default;
    virtual QStringList ColumnNames() const = 0;
    virtual QList<QVariantList> First(int count) const = 0;
    virtual QList<QVariantList> After(const QVariantList& lastRow, int count) const = 0;
    virtual qint64 RowCount() const = 0;
};

// A RowSource over PagedRows. `shared` must outlive the source and every source reopened
// from it; the column named "OID", when there is one, gives the rows their bookmarks.
std::unique_ptr<RowSource> MakePagedRowSource(std::shared_ptr<PagedRows> shared);
