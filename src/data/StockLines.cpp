#include "StockLines.h"
#include "objdb/TableData.h"
#include <algorithm>
#include <cstring>

namespace {
const QString kNumber = QStringLiteral("Progressivo");
}

void LineNumbering::number(TableData& line)
{
    if (line.GetRecordSource().Suspended) return;
    auto document = line.GetOwnerRow();
    if (!document) {
        line.SetValue(kNumber, counter);
        return;
    }
    if (document->GetOID() != lastDocument) {
        counter = document->GetReference(QStringLiteral("Articoli"))->Aggregate(kNumber, 2).toLongLong() + 1;
        lastDocument = document->GetOID();
    } else {
        ++counter;
    }
    line.TakeNumber(
        kNumber, counter, [this](TableData& row) { return nextFree(row); }, TableData::TakeAgain::OnCollision);
}

QVariant LineNumbering::nextFree(TableData& line)
{
    auto sameSecond = line.OpenQuery(line.tableName(), QString());
    sameSecond->SetFilter(QStringLiteral("objParent = ? AND %1 = ?").arg(dateField),
                          {line.GetParentKey(), line.GetValue(dateField)});
    qint64 highest = sameSecond->Aggregate(kNumber, 2).toLongLong();
    auto document = line.GetOwnerRow();
    if (document)
        highest
            = std::max(highest, document->GetReference(QStringLiteral("Articoli"))->Aggregate(kNumber, 2).toLongLong());
    const qint64 next = highest + 1;
    // The document's next lines go on from there.
    if (document && document->GetOID() == lastDocument) counter = std::max(counter, next);
    return next;
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
