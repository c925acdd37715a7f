#include "base/AppError.h"
#include "base/Currency.h"
#include <gtest/gtest.h>
#include <optional>

TEST(Currency, ParsesLocaleAndPlainText)
{
    QLocale it(QLocale::Italian, QLocale::Italy);
    struct Case {
        const char* text;
        const char* locale;
        int64_t units;
    };
    const Case cases[] = {
        {"1.234,50", "it", 12345000},
        {"1234,5", "it", 12345000},
        {"-0,00005", "it", 0},
        {"0,00015", "it", 2},
        {"0,00025", "it", 2},
        {"12.5", "c", 125000},
        {"2.675", "c", 26750},
        {"922337203685477.5807", "c", INT64_MAX},
        {"-922337203685477.5808", "c", INT64_MIN},
        // A long fraction once overflowed 128 bits on the way (found in a scanned amount).
        {"123456789012.123456789012345678901234567890", "c", 1234567890121235},
        // A digit far past the fourth decimal still decides a tie.
        {"0.00005000000000000000000000000001", "c", 1},
        {"0.000050000000000000000000000000000", "c", 0},
        {"1.5e-4", "c", 2},
        {"0.000000000000000000000000000123e30", "c", 1230000},
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

TEST(Currency, FromDoubleRoundsHalfToEvenAndOverflowRaises)
{
    EXPECT_EQ(Currency::fromDouble(2.5).units(), 25000);
    EXPECT_EQ(Currency::fromDouble(0.00005).units(), 0);
    EXPECT_EQ(Currency::fromDouble(0.00015).units(), 2);
    EXPECT_EQ(Currency::fromDouble(-1.23456).units(), -12346);
    EXPECT_THROW(Currency::fromDouble(1e16), AppError);
    EXPECT_THROW(Currency::fromDouble(std::numeric_limits<double>::infinity()), AppError);
    EXPECT_THROW(Currency::max() + Currency::fromUnits(1), AppError);
    EXPECT_THROW(-Currency::min(), AppError);
}

TEST(Currency, ArithmeticAndText)
{
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

// The product or quotient is exact on the ten-thousandths and rounded once, half to even: a
// tie goes to the even last digit, whichever side of zero.
TEST(Currency, TimesAndDividedByRoundTiesToEven)
{
    struct Case {
        const char* amount;
        char op;
        double number;
        const char* expected;
    };
    const Case cases[] = {
        {"1.0001", '*', 0.5, "0.5"},
        {"1.0003", '*', 0.5, "0.5002"},
        {"-1.0001", '*', 0.5, "-0.5"},
        {"-1.0003", '*', 0.5, "-0.5002"},
        {"1", '*', 0.00005, "0"},
        {"1", '*', 0.00015, "0.0002"},
        {"0.0001", '*', 2.5, "0.0002"},
        {"0.0003", '*', 0.5, "0.0002"},
        {"2.55", '*', 0.5, "1.275"},
        {"0.1", '*', 3, "0.3"},
        {"19.99", '*', 0.1, "1.999"},
        {"3", '*', 1.0 / 3, "1"},
        {"1", '*', 1e-300, "0"},
        {"12.5", '*', -2, "-25"},
        {"1234.5678", '*', 1e3, "1234567.8"},
        {"1.0001", '/', 2, "0.5"},
        {"1.0003", '/', 2, "0.5002"},
        {"-1.0001", '/', 2, "-0.5"},
        {"0.0001", '/', 2, "0"},
        {"0.0003", '/', 2, "0.0002"},
        {"1", '/', 3, "0.3333"},
        {"2", '/', 3, "0.6667"},
        {"1", '/', 0.1, "10"},
        {"10", '/', 0.3, "33.3333"},
        {"5", '/', -4, "-1.25"},
        {"1", '/', 1e300, "0"},
        {"922337203685477.5807", '/', 1, "922337203685477.5807"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.amount) + ' ' + c.op + ' ' + std::to_string(c.number));
        const Currency a = *Currency::parse(QString::fromLatin1(c.amount), QLocale::c());
        const Currency r = c.op == '*' ? a.times(c.number) : a.dividedBy(c.number);
        EXPECT_EQ(r.toString(), QString::fromLatin1(c.expected));
    }
    EXPECT_THROW(Currency::max().times(2), AppError);
    EXPECT_THROW(Currency::fromInt(1).dividedBy(1e-300), AppError);
    EXPECT_THROW(Currency::fromInt(1).dividedBy(0), AppError);
    EXPECT_THROW(Currency::fromInt(1).times(std::numeric_limits<double>::quiet_NaN()), AppError);
}

// A converted amount: half away from zero at a currency's decimals, to the nearest unit at the fourth.
TEST(Currency, RoundedToACurrencysDecimals)
{
    struct Case {
        long double value;
        int decimals;
        int64_t units;
    };
    const Case cases[] = {
        {2.5L, 0, 30000},  {-2.5L, 0, -30000},   {0.125L, 2, 1300},    {-0.125L, 2, -1300},
        {0.124L, 2, 1200}, {1.23456L, 4, 12346}, {1.23456L, 6, 12346},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Currency::roundedTo(c.value, c.decimals).units(), c.units) << double(c.value) << " " << c.decimals;
    EXPECT_THROW(Currency::roundedTo(1e30L, 2), AppError);
}

// Leaves digits on the stack where the next call's locals will lie, as earlier calls may.
[[gnu::noinline]] void leaveDigitsOnTheStack()
{
    volatile char digits[4096];
    for (auto& c : digits) c = '7';
}

// A factor whose shortest text has an exponent ("2e+12", "5e-05"): the exponent is the one
// written, whatever lies after it in memory (found by fuzzing: 5.02 times 2e12 was refused).
TEST(Currency, AFactorWrittenWithAnExponentReadsAsWritten)
{
    struct Case {
        const char* amount;
        char op;
        double number;
        const char* expected;
    };
    const Case cases[] = {
        {"5.02", '*', 2e12, "10040000000000"}, {"5.02", '*', 2e-5, "0.0001"},
        {"3", '*', 1.5e-4, "0.0004"},          {"5.02", '/', 2e12, "0"},
        {"5.02", '/', 2e-4, "25100"},          {"1", '*', 3e14, "300000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.amount) + ' ' + c.op + ' ' + std::to_string(c.number));
        const Currency a = *Currency::parse(QString::fromLatin1(c.amount), QLocale::c());
        leaveDigitsOnTheStack();
        const Currency r = c.op == '*' ? a.times(c.number) : a.dividedBy(c.number);
        EXPECT_EQ(r.toString(), QString::fromLatin1(c.expected));
    }
}

// Near the ends of the range a result that cannot be an amount is refused, whatever the size of
// the intermediate product.
TEST(Currency, ResultsPastTheRangeAreRefused)
{
    struct Case {
        int64_t units;
        char op;
        double number;
        std::optional<int64_t> expected;
    };
    const int64_t lowest = std::numeric_limits<int64_t>::min();
    const int64_t highest = std::numeric_limits<int64_t>::max();
    const Case cases[] = {
        {lowest, 'f', 0, std::nullopt},
        {lowest + 5807, 'f', 0, std::nullopt},
        {lowest + 5808, 'f', 0, lowest + 5808},   // already whole
        {lowest + 5809, 'f', 0, lowest + 5808},
        {highest, 'f', 0, highest - 5807},
        // A factor written out in full by the shortest text ("98765432109876540000").
        {highest, '*', 9.876543210987654e19, std::nullopt},
        {lowest, '*', 9.876543210987654e19, std::nullopt},
        {-highest, '*', -9.876543210987654e19, std::nullopt},
        {1, '*', 9.876543210987654e19, std::nullopt},
        // Written out in full, its shortest text has twenty-two digits.
        {lowest, '*', 1111111111111111081984.0, std::nullopt},
        {-1, '*', 1111111111111111081984.0, std::nullopt},
        {1, '*', 1.25e17, 125000000000000000},
        {10, '*', 1.5e17, 1500000000000000000},
        {highest, '*', 1e300, std::nullopt},
        {highest, '/', 1e-300, std::nullopt},
        {highest, '/', 9.876543210987654e19, 0},
        {-highest, '/', -1.25e17, 74},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.units) + ' ' + c.op + ' ' + std::to_string(c.number));
        const Currency a = Currency::fromUnits(c.units);
        const auto apply = [&] {
            return c.op == 'f' ? a.floor() : c.op == '*' ? a.times(c.number) : a.dividedBy(c.number);
        };
        if (c.expected)
            EXPECT_EQ(apply().units(), *c.expected);
        else
            EXPECT_THROW(apply(), AppError);
    }
}
