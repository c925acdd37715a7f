#pragma once
// The sum of a column of the shown rows (the filter in force included), told to the user
// as "TOTALE <caption>: < <total> >". Amounts add up as Currency, so the total is the sum to
// the cent of what the rows hold.
#include "base/Currency.h"
#include <QLocale>
#include <QString>
#include <QVariant>

class TableData;

struct ColumnTotal {
    QVariant value;   // Currency for a currency column, else the number the database gives
    QString caption;   // the field's caption
    QString text;   // the total written with the field's display format
    QString message() const;   // "TOTALE " caption ": < " text " >"
};

// `field`: a totals menu element's caption (the field name).
ColumnTotal TotalOf(const TableData& ds, const QString& field, const QLocale& locale);
// The menu command: the total in a message box.
void ShowColumnTotal(const TableData& ds, const QString& field, const QLocale& locale);

// An amount written "#,##0.00##": grouped, two decimals at least and up to four, worked on
// the amount's own digits.
QString CurrencyTotalText(const Currency& amount, const QLocale& locale);
