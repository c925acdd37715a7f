#include "StockLines.h"
#include "TableData.h"
#include <cstring>

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
    for (const char* p = commaList; *p;) {
        const char* end = std::strchr(p, ',');
        if (!end) end = p + std::strlen(p);
        if (end > p && field == QLatin1String(p, end)) return true;
        p = *end ? end + 1 : end;
    }
    return false;
}
