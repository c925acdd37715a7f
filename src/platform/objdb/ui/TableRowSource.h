#pragma once
// The rows of a data set as the grid reads them: through a copy of the data set's cursor
// (the data set's own current row never moves for the grid), with the texts of single
// references replaced by their display fields, read once per page for the whole page.
#include "RowSource.h"
#include <QHash>
#include <memory>

class TableData;

class TableRowSource final : public RowSource {
public:
    // `data` must outlive this source and every source reopened from it.
    explicit TableRowSource(TableData& data);
    ~TableRowSource() override;

    std::vector<GridColumn> Columns() const override;
    void SetColumns(const QStringList& fields) override;
    std::vector<GridRow> Read(const RowKey* after, int count) override;
    std::vector<RowKey> Keys(const RowKey* after, int count) override;
    qint64 Count() override;
    std::unique_ptr<RowSource> Reopen() const override;
    QString TableName() const override;

private:
    struct Reference {
        int column = -1;   // index among the chosen columns
        QString name;
        QString targetTable;
        QString displayField;   // empty: the OID is shown
    };
    bool positionAfter(const RowKey* after);
    void resolveReferences(std::vector<GridRow>& rows, const std::vector<std::vector<qint64>>& oids);

    TableData& m_data;
    std::unique_ptr<TableData> m_reader;
    std::vector<GridColumn> m_columns;
    QStringList m_chosen;
    std::vector<int> m_types;   // type code of each chosen column
    std::vector<Reference> m_references;
};
