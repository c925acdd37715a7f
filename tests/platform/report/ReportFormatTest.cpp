#include "base/Currency.h"
#include "report/ReportFormat.h"
#include <QDateTime>
#include <gtest/gtest.h>

using report::FieldFormat;
using report::formatValue;

namespace {
QVariant money(int64_t units) { return QVariant::fromValue(Currency::fromUnits(units)); }
}

TEST(ReportFormat, ValuesInItalianLocale)
{
    const QDateTime morning(QDate(2007, 3, 5), QTime(9, 5));
    const QDateTime midnight(QDate(2007, 12, 31), QTime(0, 0));
    struct Case {
        QVariant value;
        FieldFormat format;
        const char* expected;
    };
    const Case cases[] = {
        {money(12345000), FieldFormat::parse("#,#0.00"), "1.234,50"},
        {money(-12345000), FieldFormat::parse("#,#0.00"), "-1.234,50"},
        {money(1234567891234500), FieldFormat::number(2), "123.456.789.123,45"},
        {money(26750), FieldFormat::number(1), "2,7"},   // half away from zero on display
        {money(-49), FieldFormat::number(2), "0,00"},   // no "-0,00"
        {money(12345000), FieldFormat::number(2, false), "1234,50"},
        {2.675, FieldFormat::number(2), "2,68"},   // decimal half, not the binary neighbour
        {1234567.0, FieldFormat::parse("#,##0"), "1.234.567"},
        {1e20, FieldFormat::number(2), "100.000.000.000.000.000.000,00"},
        {qlonglong(12345), FieldFormat::parse("#,##0"), "12.345"},
        {12, FieldFormat::parse("0.000"), "12,000"},
        {QStringLiteral("1234.5"), FieldFormat::number(2), "1.234,50"},   // number stored as text
        {QStringLiteral("n/d"), FieldFormat::number(2), "n/d"},
        {morning, FieldFormat::date(), "05/03/2007"},
        {morning, FieldFormat::parse("dd/MM/yyyy-H.mm"), "05/03/2007-9.05"},
        {morning, FieldFormat::parse("d/MM/yy"), "5/03/07"},
        {morning, FieldFormat::parse("d MMMM yyyy"), "5 marzo 2007"},
        {QDate(2007, 3, 5), FieldFormat::date(), "05/03/2007"},
        {QStringLiteral("2007-03-05 09:05:00"), FieldFormat::date("dd/MM/yyyy HH:mm"), "05/03/2007 09:05"},
        {QStringLiteral("domani"), FieldFormat::date(), "domani"},
        // Automatic: by the value's type.
        {money(12345000), FieldFormat(), "1.234,50"},
        {1234.5, FieldFormat(), "1234,5"},
        {qlonglong(-7), FieldFormat(), "-7"},
        {true, FieldFormat(), "Sì"},
        {false, FieldFormat::text(), "No"},
        {midnight, FieldFormat(), "31/12/2007"},
        {morning, FieldFormat(), "05/03/2007 09:05:00"},
        {QStringLiteral("<testo>"), FieldFormat(), "<testo>"},
        {money(25000), FieldFormat::text(), "2,5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatValue(c.value, c.format).toStdString(), c.expected) << c.value.toString().toStdString();
}

TEST(ReportFormat, NullShowsTheFormatsNullText)
{
    FieldFormat f = FieldFormat::parse("#,#0.00");
    EXPECT_EQ(formatValue(QVariant(), f), QString());
    f.nullText = QStringLiteral("-");
    EXPECT_EQ(formatValue(QVariant(), f), QStringLiteral("-"));
    EXPECT_EQ(formatValue(QVariant::fromValue(nullptr), f), QStringLiteral("-"));
    // An empty text is a value, not Null.
    EXPECT_EQ(formatValue(QString(""), f), QString());
}

TEST(ReportFormat, ParsesFormatTexts)
{
    struct Case {
        const char* text;
        FieldFormat::Kind kind;
        int decimals;
        bool grouping;
        const char* pattern;
    };
    const Case cases[] = {
        {"", FieldFormat::Kind::Auto, 2, true, "dd/MM/yyyy"},
        {"@", FieldFormat::Kind::Text, 2, true, "dd/MM/yyyy"},
        {"#,#0.00", FieldFormat::Kind::Number, 2, true, "dd/MM/yyyy"},
        {"#,##0", FieldFormat::Kind::Number, 0, true, "dd/MM/yyyy"},
        {"0.0000", FieldFormat::Kind::Number, 4, false, "dd/MM/yyyy"},
        {"dd/MM/yyyy-H.mm", FieldFormat::Kind::Date, 2, true, "dd/MM/yyyy-H.mm"},
    };
    for (const auto& c : cases) {
        const FieldFormat f = FieldFormat::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(f.kind, c.kind) << c.text;
        if (f.kind == FieldFormat::Kind::Number) {
            EXPECT_EQ(f.decimals, c.decimals) << c.text;
            EXPECT_EQ(f.grouping, c.grouping) << c.text;
        }
        EXPECT_EQ(f.datePattern.toStdString(), c.pattern) << c.text;
    }
}
