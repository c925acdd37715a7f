#pragma once
// A supplier's record layout as the delivery-file reader uses it: where the file lies, the
// fixed-position fields of a line, the line selections, the currency handling of amounts
// and the row filter script. Plain values, read once from the layout row, so a read never
// goes back to the database for them.
#include <QString>
#include <QStringView>
#include <vector>

class TableData;

struct LayoutField {
    QString name;              // the column of the read table and the article field it feeds
    int position = 0;          // 1-based first character; 0: not in the file, the script fills it
    int length = 0;            // characters; also the width of a text column
    bool numeric = false;
    bool amount = false;       // wins over numeric
    bool compare = false;      // compared with the article by the difference check
    double tolerance = 0;      // largest difference of a number or amount that is no difference
};

struct LineSelection {
    int position = 1;          // 1-based position of the text in the line
    QString content;           // compared there exactly, case included
    bool exclude = false;      // a matching line is dropped; otherwise a line must match some include rule
};

struct DeliveryLayout {
    qint64 key = 0;
    QString sourceFile;
    QString note;
    QString filterScript;      // defines FilterRow(Flds)
    bool currencyConversion = false;
    double coefficient = 0;    // not 0: every amount is divided by it
    std::vector<LayoutField> fields;          // in creation order
    std::vector<LineSelection> selections;    // in list order

    // The current row of a TracciatiFornitura data set, with its fields and selections.
    static DeliveryLayout fromRow(TableData& layout);

    // The line passes the selections: no exclude rule matches it and, when there are
    // include rules, one of them does.
    bool keepsLine(QStringView line) const;
};
