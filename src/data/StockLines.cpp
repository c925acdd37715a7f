#include "StockLines.h"
#include "TableData.h"

void LineNumbering::number(TableData& line)
{
    if (line.GetRecordSource().Suspended)
        return;
    if (auto document = line.GetOwnerRow()) {
        if (document->GetOID() != lastDocument) {
            counter = document->GetReference(QStringLiteral("Articoli"))->Aggregate(QStringLiteral("Progressivo"), 2).toLongLong() + 1;
            lastDocument = document->GetOID();
        } else {
            ++counter;
        }
    }
    line.SetValue(QStringLiteral("Progressivo"), counter);
}

bool isOneOf(const QString& field, const char* commaList)
{
    // Asked on every field event of every line: the list is read in place, not split.
    const QLatin1String list(commaList);
    for (qsizetype start = 0; start < list.size();) {
        qsizetype end = list.indexOf(u',', start);
        if (end < 0) end = list.size();
        if (end > start && field == list.sliced(start, end - start)) return true;
        start = end + 1;
    }
    return false;
}
