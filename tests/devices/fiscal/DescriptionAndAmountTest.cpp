#include "devices/fiscal/FiscalDescription.h"
#include "devices/fiscal/SerialRegisterDriver.h"

#include <gtest/gtest.h>

TEST(NormalizeDescription, MapsFiveAccentedLettersAndBlanksEverythingElse)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("Caffè"), QStringLiteral("Caffe")},
        {QStringLiteral("perché più già però"), QStringLiteral("perche piu gia pero")},
        {QStringLiteral("Olio d'oliva!"), QStringLiteral("Olio d oliva ")},
        {QStringLiteral("Lunedì"), QStringLiteral("Luned ")},   // ì is not mapped
        {QStringLiteral("ÀÈÉÒÙ"), QStringLiteral("     ")},   // nor upper-case accents
        {QStringLiteral("Latte, intero 1/2 l."), QStringLiteral("Latte  intero 1 2 l ")},
        {QStringLiteral("\"Pane\"\t€"), QStringLiteral(" Pane   ")},
        {QStringLiteral("ABC xyz 0189"), QStringLiteral("ABC xyz 0189")},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.toStdString());
        const QString n = NormalizeDescription(c.in);
        EXPECT_EQ(n, c.out);
        EXPECT_EQ(n.size(), c.in.size());
    }
}

TEST(CleanDescription, NormalizesUpperCasesCutsAndDropsTrailingBlanks)
{
    struct Case {
        QString in;
        int length;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("Caffè espresso"), 20, QStringLiteral("CAFFE ESPRESSO")},
        {QStringLiteral("Caffè espresso"), 6, QStringLiteral("CAFFE")},   // cut at the blank, which goes too
        {QStringLiteral("  pane  "), 20, QStringLiteral("  PANE")},   // leading blanks stay
        {QStringLiteral("!!!"), 20, QString()},
        {QStringLiteral("pane"), 0, QString()},
        {QStringLiteral("pane"), -3, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.toStdString() + " / " + std::to_string(c.length));
        EXPECT_EQ(CleanDescription(c.in, c.length), c.out);
    }
}

TEST(FormatAmount, RoundsHalfUpOnTheExactAmountThenScales)
{
    struct Case {
        const char* value;
        int decimals;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {"1.005", 2, 0, "101"},   // exact to four decimals: no binary 1.00499...
        {"2.675", 2, 0, "268"},     {"7.5", 2, 0, "750"},           {"0.01", 2, 8, "00000001"},
        {"1.20", 2, 8, "00000120"}, {"-1.20", 2, 8, "-00000120"},   // the sign stays in front of the padding
        {"-2.345", 2, 0, "-234"},   // half up means toward +infinity
        {"12.5", 0, 0, "13"},       {"0.0004", 3, 0, "0"},          {"1.2345", 4, 0, "12345"},
        {"1.5", 5, 0, "150000"},    {"1000000", 2, 8, "100000000"},   // wider than the padding: every digit stays
        {"3", -1, 0, "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " / " + std::to_string(c.decimals));
        const Currency value = *Currency::parse(QString::fromLatin1(c.value), QLocale::c());
        EXPECT_EQ(FormatAmount(value, c.decimals, c.width), QString::fromLatin1(c.text));
    }
}

TEST(FormatAmount, AnAmountGivenAsADoubleGoesThroughTheCurrencyFirst)
{
    // 1.005 as a double is 1.00499999999999989...; the register must still get 101.
    EXPECT_EQ(FormatAmount(Currency::fromDouble(1.005), 2), QStringLiteral("101"));
    EXPECT_EQ(AmountInMinorUnits(Currency::fromDouble(1.005), 2), 101);
}
