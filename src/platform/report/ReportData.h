#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace report {

// The rows a report reads: named columns and rows of values (Currency, double, qint64,
// bool, QDateTime, QString or a null QVariant). The caller adapts its own data set,
// usually by copying it into a MemoryDataSource, so the report reads a stable snapshot.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    virtual QStringList columns() const = 0;
    virtual int rowCount() const = 0;
    virtual QVariant value(int row, int column) const = 0;

    // Index of a column, names compared without case as the database does; -1 when absent.
    int columnIndex(const QString& name) const;
};

class MemoryDataSource final : public ReportDataSource {
public:
    MemoryDataSource() = default;
    explicit MemoryDataSource(QStringList columns) : m_columns(std::move(columns)) { }

    void setColumns(const QStringList& columns) { m_columns = columns; }
    // A row shorter than the column list reads Null in the missing columns.
    void addRow(const QVariantList& values) { m_rows.append(values); }
    void clearRows() { m_rows.clear(); }

    QStringList columns() const override { return m_columns; }
    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    QVariant value(int row, int column) const override;

private:
    QStringList m_columns;
    QList<QVariantList> m_rows;
};

}   // namespace report
