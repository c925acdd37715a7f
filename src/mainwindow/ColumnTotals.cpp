#include "ColumnTotals.h"
#include "base/Currency.h"
#include "objdb/Definitions.h"
#include "objdb/JetFormat.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"

namespace {

const QString kCurrencyFormat = QStringLiteral("#,##0.00##");

}   // namespace

QString ColumnTotal::message() const
{
    return QStringLiteral("TOTALE ") + caption + QStringLiteral(": < ") + text + QStringLiteral(" >");
}

QString CurrencyTotalText(const Currency& amount, const QLocale& locale)
{
    const bool wholeCents = amount.units() % 100 == 0;
    return amount.toText(locale, wholeCents ? 2 : -1, true);
}

ColumnTotal TotalOf(const TableData& ds, const QString& field, const QLocale& locale)
{
    ColumnTotal t;
    t.value = ds.Aggregate(field, 0);
    const FieldInfo info = ds.GetFieldInfo(field);
    t.caption = info.Caption;
    QString format = info.DisplayFormat;
    if (format.isEmpty() && info.TypeCode == FieldType::Number) format = QStringLiteral("#.000");
    if (t.value.userType() == qMetaTypeId<Currency>() && (format.isEmpty() || format == kCurrencyFormat)) {
        t.text = CurrencyTotalText(t.value.value<Currency>(), locale);
        return t;
    }
    jet::FormatValue v;
    v.kind = jet::FormatValue::Number;
    v.number
        = t.value.userType() == qMetaTypeId<Currency>() ? t.value.value<Currency>().toDouble() : t.value.toDouble();
    t.text = jet::format(v, format, locale);
    return t;
}

void ShowColumnTotal(const TableData& ds, const QString& field, const QLocale& locale)
{
    ui().msgBox(TotalOf(ds, field, locale).message(), Msg::OKOnly);
}
