#pragma once
// A supplier's record layout as the delivery-file reader uses it: where the file lies, the
// fixed-position fields of a line, the line selections, the currency handling of amounts
// and the row filter script. Plain values, read once from the layout row, so a read never
// goes back to the database for them.
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

class TableData;

// The one encoding of a delivery file's text. A layout places its fields by byte, as in the
// shop's single-byte files, where a character is a byte: a line is cut at those places
// before anything is decoded, so a letter written in two bytes never moves the fields after
// it. In a UTF-16 file a place is a character.
enum class LineEncoding { SingleByte, Utf8, Utf16 };

// A line as laid out: a character for each byte of the file (for UTF-16, for each character).
// A piece cut from it made text in the file's encoding (Windows-1252 for single-byte files).
QString laidOutText(QStringView laidOut, LineEncoding encoding);
// A text as it stands in a laid-out line of that encoding; none when the encoding cannot
// write it.
std::optional<QString> laidOutForm(QStringView text, LineEncoding encoding);

struct LayoutField {
    QString name;   // the column of the read table and the article field it feeds
    int position = 0;   // 1-based first character; 0: not in the file, the script fills it
    int length = 0;   // characters; also the width of a text column
    bool numeric = false;
    bool amount = false;   // wins over numeric
    bool compare = false;   // compared with the article by the difference check
    double tolerance = 0;   // largest difference of a number or amount that is no difference
};

struct LineSelection {
    int position = 1;   // 1-based position of the text in the line
    QString content;   // compared there exactly, case included
    bool exclude = false;   // a matching line is dropped; otherwise a line must match some include rule
};

struct DeliveryLayout {
    qint64 key = 0;
    QString sourceFile;
    QString note;
    QString filterScript;   // defines FilterRow(Flds)
    bool currencyConversion = false;
    double coefficient = 0;   // not 0: every amount is divided by it
    std::vector<LayoutField> fields;   // in creation order
    std::vector<LineSelection> selections;   // in list order

    // The current row of a TracciatiFornitura data set, with its fields and selections.
    static DeliveryLayout fromRow(TableData& layout);

    // The line passes the selections: no exclude rule matches it and, when there are
    // include rules, one of them does. The line and the rules' texts in one form.
    bool keepsLine(QStringView line) const { return keeps(line, selections); }
    static bool keeps(QStringView line, const std::vector<LineSelection>& selections);
    // The selections as they match laid-out lines of that encoding: each text in the
    // file's bytes; a text the encoding cannot write matches no line.
    std::vector<LineSelection> laidOutSelections(LineEncoding encoding) const;
};
