#pragma once
// The shape of every fixed list of the program: the title and the column headings on each
// page, one line per row, the page number at the foot of each page, and at the end the
// totals under their columns and the count of the rows.
//
// Columns are sized to what they hold: a date, an amount or a code gets the room of the
// widest text of its kind, and of its heading; texts share the width that is left. Nothing
// is ever cut off: a value longer than its room (a long description, a note, a code of
// thirty letters) wraps, and its line grows to show all of it; a heading wider than its
// column wraps in a page header tall enough for it.
#include "report/ReportLayout.h"
#include <QList>
#include <QPageLayout>
#include <QString>
#include <optional>

namespace layouts {

enum class ColumnKind {
    Text,   // free text: shares the width left over by the others
    Code,   // a code or a short name: room for `sample`
    Date,   // a date in `format`
    Amount,   // money in `format`, room for the total of a year's takings
    Quantity,   // a quantity with two decimals
};

struct Column {
    QString heading;   // empty: the column goes on with its left neighbour's heading
    QString field;
    ColumnKind kind = ColumnKind::Text;
    QString format;   // date pattern or number format; empty for the kind's own
    bool total = false;   // its sum stands under it at the end
    QString sample;   // Code: the text it must hold on one line
    double weight = 1;   // Text: its share of the width left over
};

struct ColumnListing {
    QString name;   // "drVendite"
    QString caption;   // "Vendite"
    QList<Column> columns;
    QString countLabel;   // "Numero delle vendite conteggiate:"
    QString countFormat = QStringLiteral("#,##0");
    // None: portrait when every text column keeps a useful width there, else landscape.
    std::optional<QPageLayout::Orientation> orientation;
};

// The layout, measured with the fonts it prints with.
report::ReportLayout BuildColumnsLayout(const ColumnListing& listing);

// The format a column's values are written in.
report::FieldFormat ColumnFormat(const Column& column);

}   // namespace layouts
