#pragma once
#include <QLocale>
#include <QString>
#include <QVariant>

namespace report {

// How a field, a total or a count is written on the page. Money and numbers follow the
// Italian locale ("1.234,50"); dates take a QDateTime pattern ("dd/MM/yyyy").
struct FieldFormat {
    enum class Kind {
        Auto,   // by the value's type: Currency 2 decimals grouped, dates dd/MM/yyyy[ HH:mm:ss], ...
        Text,   // the value's plain text
        Number,   // `decimals` decimals, grouped when `grouping`
        Date,   // `datePattern`
    };
    Kind kind = Kind::Auto;
    int decimals = 2;
    bool grouping = true;
    QString datePattern = QStringLiteral("dd/MM/yyyy");
    QString nullText;   // what a Null value shows

    static FieldFormat automatic() { return {}; }
    static FieldFormat text()
    {
        FieldFormat f;
        f.kind = Kind::Text;
        return f;
    }
    static FieldFormat number(int decimals, bool grouping = true);
    static FieldFormat date(const QString& pattern = QStringLiteral("dd/MM/yyyy"));
    // A format text: "" is Auto, "@" is Text, a pattern of '#', '0', ',' and '.' is a
    // number ("#,#0.00" grouped with two decimals, "0" whole numbers), anything else a
    // date pattern ("d/MM/yy", "dd/MM/yyyy-H.mm").
    static FieldFormat parse(const QString& pattern);
};

// The program's report locale.
QLocale reportLocale();

// The text of `value` (Currency, double, integer, bool, QDateTime/QDate/QTime, QString
// or Null) in `format`. A number format over a text that reads as a number, and a date
// format over "yyyy-MM-dd[ HH:mm:ss]" text, convert it first; other texts show as they are.
QString formatValue(const QVariant& value, const FieldFormat& format, const QLocale& locale = reportLocale());

// True when the value is one that a number format applies to (for alignment choices).
bool isNumericValue(const QVariant& value);

}   // namespace report
