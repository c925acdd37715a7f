#include "ViewDialogs.h"
#include "objdb/TableData.h"

bool FixedViewDialogs::ChooseRow(TableData& rows, const QString& shownField)
{
    if (!supplier) return false;
    for (const QString& field : {QStringLiteral("Codice"), shownField}) {
        if (!rows.HasField(field)) continue;
        for (rows.MoveFirst(); !rows.IsEOF(); rows.MoveNext())
            if (rows.GetValue(field).toString().compare(*supplier, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

std::optional<QDate> FixedViewDialogs::ChooseDate(const std::optional<QDate>&) { return date; }

bool FixedViewDialogs::ChoosePeriod(std::optional<QDate>& from, std::optional<QDate>& to)
{
    if (!period) return false;
    from = period->first;
    to = period->second;
    return true;
}

bool FixedViewDialogs::EditSelections(DataSelection&, const QString&) { return false; }
