// What a failed expectation says about Qt's texts and values: the text itself, with the line
// breaks the program's messages are full of made visible, never the bytes of the objects.
// This file includes nothing of the test support's printers on purpose: every test file
// gets them.
#include "base/Currency.h"
#include <QDate>
#include <QStringList>
#include <QVariant>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

TEST(FailureText, TextsAndValuesReadAsWritten)
{
    struct Case {
        const char* name;
        std::string printed;
        std::string expected;
    };
    const Case cases[] = {
        {"plain text", testing::PrintToString(QStringLiteral("Articolo A")), "\"Articolo A\""},
        {"empty text", testing::PrintToString(QString()), "\"\""},
        {"line breaks and tabs", testing::PrintToString(QStringLiteral("Vuoi riprovare ?\r\rSi\n\tNo")),
         "\"Vuoi riprovare ?\\r\\rSi\\n\\tNo\""},
        {"quotes and backslashes", testing::PrintToString(QStringLiteral("a \"b\" c\\d")), "\"a \\\"b\\\" c\\\\d\""},
        {"other control characters", testing::PrintToString(QString(QChar(27)) + QStringLiteral("@") + QChar(0x7F)),
         "\"\\x1b@\\x7f\""},
        {"letters beyond ASCII", testing::PrintToString(QStringLiteral("caffè € 1")), "\"caffè € 1\""},
        {"a list of texts", testing::PrintToString(QStringList {QStringLiteral("A"), QStringLiteral("B\r")}),
         "{ \"A\", \"B\\r\" }"},
        {"no value", testing::PrintToString(QVariant()), "QVariant()"},
        {"a text value", testing::PrintToString(QVariant(QStringLiteral("x\ry"))), "QVariant(QString, \"x\\ry\")"},
        {"a whole number", testing::PrintToString(QVariant(qint64(42))), "QVariant(qlonglong, 42)"},
        {"a decimal", testing::PrintToString(QVariant(2.5)), "QVariant(double, 2.5)"},
        {"a date", testing::PrintToString(QVariant(QDate(2007, 3, 1))), "QVariant(QDate, QDate(\"2007-03-01\"))"},
        {"an amount", testing::PrintToString(QVariant::fromValue(Currency::fromDouble(12.5))),
         "QVariant(Currency, 12.5)"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.printed, c.expected) << c.name;
}

TEST(FailureText, AFailedComparisonOfTextsShowsBothTexts)
{
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QStringLiteral("Totale\r12,50"), QStringLiteral("Totale\r12,60")),
                            "\"Totale\\r12,60\"");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QVariant(QStringLiteral("A")), QVariant(QStringLiteral("B"))),
                            "QVariant(QString, \"B\")");
}
