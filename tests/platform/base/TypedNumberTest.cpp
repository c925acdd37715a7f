// Numbers as typed in the C form and in Italian: each form reads its own numbers and refuses
// the other's where the other's marks would change the value.
#include "base/Currency.h"
#include "base/TypedNumber.h"
#include <gtest/gtest.h>

namespace {
const QLocale kItalian(QLocale::Italian, QLocale::Italy);
}

TEST(TypedNumber, EachFormReadsItsOwnNumbersAndRefusesTheOthers)
{
    // The value read, as plain C text, for an amount and a number alike; null: refused.
    struct Case {
        const char* text;
        const char* c;
        const char* italian;
    };
    const Case cases[] = {
        {"3.20", "3.2", nullptr},
        {"3,20", nullptr, "3.2"},
        {"0.5", "0.5", nullptr},
        {"0,5", nullptr, "0.5"},
        {"0,750", nullptr, "0.75"},   // no thousand starts with 0
        {"0.750", "0.75", nullptr},
        {"1.000,25", nullptr, "1000.25"},
        {"1,000.25", "1000.25", nullptr},
        {"1.234.567,5", nullptr, "1234567.5"},
        {"1,234,567.5", "1234567.5", nullptr},
        {"1.000", "1", "1000"},   // a group of three reads in both, each its own way
        {"1,000", "1000", "1"},
        {"12.34.56", nullptr, nullptr},
        {"1.00.000", nullptr, nullptr},
        {"1.0000", "1", nullptr},
        {"1000.000,5", nullptr, nullptr},   // groups everywhere or nowhere
        {"-2,5", nullptr, "-2.5"},
        {"-2.5", "-2.5", nullptr},
        {"+7", "7", "7"},
        {" 42 ", "42", "42"},
        {",5", nullptr, "0.5"},
        {"5,", nullptr, "5"},
        {"1e3", nullptr, nullptr},
        {"€ 3,20", nullptr, nullptr},
        {"3,20 €", nullptr, nullptr},
        {"1 000", nullptr, nullptr},
        {"2,5,0", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"-", nullptr, nullptr},
        {",", nullptr, nullptr},
        {"dieci", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        for (const auto& [form, expected] : {std::pair {QLocale::c(), c.c}, std::pair {kItalian, c.italian}}) {
            SCOPED_TRACE(std::string(c.text) + (form.language() == QLocale::C ? " (C)" : " (it)"));
            const std::optional<Currency> amount = ReadTypedAmount(text, form);
            const std::optional<double> number = ReadTypedNumber(text, form);
            if (!expected) {
                EXPECT_FALSE(amount.has_value());
                EXPECT_FALSE(number.has_value());
                continue;
            }
            ASSERT_TRUE(amount.has_value());
            ASSERT_TRUE(number.has_value());
            EXPECT_EQ(amount->toString(), QString::fromLatin1(expected));
            EXPECT_EQ(*number, QString::fromLatin1(expected).toDouble());
        }
    }
}

TEST(TypedNumber, AmountsAreReadExactlyAndWithinTheirRange)
{
    // Past the fourth decimal an amount rounds half to even, as every amount does.
    EXPECT_EQ(ReadTypedAmount(QStringLiteral("0,00015"), kItalian)->units(), 2);
    EXPECT_EQ(ReadTypedAmount(QStringLiteral("2.675"), QLocale::c())->units(), 26750);
    EXPECT_EQ(ReadTypedAmount(QStringLiteral("922.337.203.685.477,5807"), kItalian), Currency::max());
    EXPECT_FALSE(ReadTypedAmount(QStringLiteral("922337203685477.5808"), QLocale::c()).has_value());
    // A plain number has no such range.
    EXPECT_EQ(*ReadTypedNumber(QStringLiteral("922337203685477.5808"), QLocale::c()), 922337203685477.5808);
}

TEST(TypedNumber, TheRefusalNamesTheFieldAndShowsTheFormsNumbers)
{
    EXPECT_EQ(NotATypedNumberMessage(QStringLiteral("PrezzoVendita"), QStringLiteral("3.20"), kItalian),
              QStringLiteral(
                  "Il valore \"3.20\" del campo <PrezzoVendita> non è un numero: scrivere i numeri come 1.234,56"));
    EXPECT_EQ(NotATypedNumberMessage(QStringLiteral("ValoreScarico"), QStringLiteral("0,750"), QLocale::c()),
              QStringLiteral(
                  "Il valore \"0,750\" del campo <ValoreScarico> non è un numero: scrivere i numeri come 1234.56"));
}
