#pragma once
// The table a delivery file is read into: columns made from the layout's fields, typed
// (fixed-width text, number, amount), one row per kept record. Values are held by column,
// so a file of a hundred thousand lines stays small in memory.
//
// A value is a QVariant: null when the column is empty, else QString (text), double
// (number) or Currency (amount). Every write is converted to the column's type; a value
// that does not fit raises AppError.
#include "base/Currency.h"
#include "DeliveryLayout.h"
#include <QString>
#include <QVariant>
#include <vector>

class DeliveryTable {
public:
    enum class Kind { Text, Number, Amount };
    struct Column {
        QString name;
        Kind kind = Kind::Text;
        int width = 0;   // text columns: most characters a value may have; 0 for no limit
    };

    DeliveryTable() = default;
    // The columns of a layout: first the fields whose upper-cased name lies within
    // "CODICE,DESCRIZIONE" (as text), then the others by their type. A name given twice
    // raises AppError.
    explicit DeliveryTable(const std::vector<LayoutField>& fields);

    int columnCount() const { return int(m_columns.size()); }
    const Column& column(int index) const { return m_columns[size_t(index)]; }
    // The column of exactly that name, case included; -1 when none.
    int indexOf(const QString& name) const;
    bool hasColumn(const QString& name) const { return indexOf(name) >= 0; }

    qsizetype rowCount() const { return m_rowCount; }
    bool isEmpty() const { return m_rowCount == 0; }
    // Room for that many rows, so that a long file does not move its columns again and again.
    void reserve(qsizetype rows);
    // Appends a row of the given values (one per column, converted as setValue does).
    qsizetype appendRow(const std::vector<QVariant>& values);

    QVariant value(qsizetype row, int column) const;
    QVariant value(qsizetype row, const QString& name) const;   // null when there is no such column
    void setValue(qsizetype row, int column, const QVariant& value);
    // A value as the column would hold it; raises AppError when it does not fit.
    QVariant converted(int column, const QVariant& value) const;

    // The article a row was matched with by the check (0: none yet). Changing the row's
    // Codice forgets it.
    qint64 article(qsizetype row) const { return m_articles[size_t(row)]; }
    void setArticle(qsizetype row, qint64 oid) { m_articles[size_t(row)] = oid; }

    // The rows in the order of a column (empty values first, texts without regard to case);
    // rows with equal values keep their order.
    void sortBy(int column);
    // The order the import window shows: by Descrizione, else by Codice, when present.
    void sortForDisplay();

private:
    struct Cells {
        std::vector<QString> texts;
        std::vector<double> numbers;
        std::vector<qint64> amounts;   // Currency units
        std::vector<char> empty;
    };
    void addColumn(const QString& name, Kind kind, int width);
    void store(Cells& cells, size_t row, const Column& column, const QVariant& value);

    std::vector<Column> m_columns;
    std::vector<Cells> m_cells;
    std::vector<qint64> m_articles;
    qsizetype m_rowCount = 0;
    int m_codice = -1;
};
