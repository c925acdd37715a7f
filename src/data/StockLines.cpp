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
    return QString::fromLatin1(commaList).split(u',', Qt::SkipEmptyParts).contains(field);
}
