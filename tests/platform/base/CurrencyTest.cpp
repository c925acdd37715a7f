#include "AppError.h"
#include "Currency.h"
#include <gtest/gtest.h>

TEST(Currency, ParsesLocaleAndPlainText) {
    QLocale it(QLocale::Italian, QLocale::Italy);
    struct Case { const char* text; const char* locale; int64_t units; };
    const Case cases[] = {
        {"1.234,50", "it", 12345000}, {"1234,5", "it", 12345000}, {"-0,00005", "it", 0},
        {"0,00015", "it", 2}, {"0,00025", "it", 2}, {"12.5", "c", 125000}, {"2.675", "c", 26750},
        {"922337203685477.5807", "c", INT64_MAX}, {"-922337203685477.5808", "c", INT64_MIN},
    };
    for (const auto& c : cases) {
        auto v = Currency::parse(QString::fromUtf8(c.text), std::string(c.locale) == "it" ? it : QLocale::c());
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_EQ(v->units(), c.units) << c.text;
    }
    EXPECT_FALSE(Currency::parse("abc", QLocale::c()));
    EXPECT_FALSE(Currency::parse("", QLocale::c()));
    EXPECT_FALSE(Currency::parse("922337203685477.5808", QLocale::c()));
}

TEST(Currency, FromDoubleRoundsHalfToEvenAndOverflowRaises) {
    EXPECT_EQ(Currency::fromDouble(2.5).units(), 25000);
    EXPECT_EQ(Currency::fromDouble(0.00005).units(), 0);
    EXPECT_EQ(Currency::fromDouble(0.00015).units(), 2);
    EXPECT_EQ(Currency::fromDouble(-1.23456).units(), -12346);
    EXPECT_THROW(Currency::fromDouble(1e16), AppError);
    EXPECT_THROW(Currency::fromDouble(std::numeric_limits<double>::infinity()), AppError);
    EXPECT_THROW(Currency::max() + Currency::fromUnits(1), AppError);
    EXPECT_THROW(-Currency::min(), AppError);
}

TEST(Currency, ArithmeticAndText) {
    Currency a = Currency::fromUnits(25500);   // 2.55
    EXPECT_EQ((a * Currency::fromInt(3)).units(), 76500);
    EXPECT_EQ(a.times(0.5).units(), 12750);
    EXPECT_EQ(Currency::fromUnits(-12345).floor().units(), -20000);
    EXPECT_EQ(Currency::fromUnits(12345).floor().units(), 10000);
    QLocale it(QLocale::Italian, QLocale::Italy);
    EXPECT_EQ(Currency::fromUnits(12345000).toText(it, 2, true), QStringLiteral("1.234,50"));
    EXPECT_EQ(Currency::fromUnits(-5).toText(it, 2), QStringLiteral("0,00"));   // no "-0,00"
    EXPECT_EQ(Currency::fromUnits(125000).toString(), QStringLiteral("12.5"));
    EXPECT_EQ(Currency::fromUnits(-1).toString(), QStringLiteral("-0.0001"));
}
