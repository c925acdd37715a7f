#include "ReportData.h"

namespace report {

int ReportDataSource::columnIndex(const QString& name) const
{
    const QStringList cols = columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant MemoryDataSource::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size()) return {};
    const QVariantList& r = m_rows[row];
    if (column < 0 || column >= r.size()) return {};
    return r[column];
}

}   // namespace report
