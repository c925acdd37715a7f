#pragma once
// The Format function of Jet SQL: named formats ("Short Date", "Standard", "Yes/No"...),
// custom date formats (dd/mm/yyyy hh:nn:ss, ddd, mmmm, q, ww, AM/PM...), custom number
// formats ("#.000", "#,##0.00", "0%", "0.00E+00", sections split by ";") and text
// formats (@ & < >). Separators, month and day names come from the locale.
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace jet {

struct FormatValue {
    enum Kind { Number, Date, Text } kind = Text;
    double number = 0;
    QDateTime date;
    QString text;
};

QString format(const FormatValue& value, const QString& fmt, const QLocale& locale, int firstDayOfWeek = 1,
               int firstWeekOfYear = 1);

// True when the custom format writes a date (d, m, y, h, n, s, q, w, c, AM/PM outside quotes).
bool isDateFormat(const QString& fmt);

}   // namespace jet
