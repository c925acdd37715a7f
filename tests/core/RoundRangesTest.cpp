#include "core/configuration/Configuration.h"
#include "core/configuration/RoundRanges.h"
#include "base/SettingsStore.h"

#include <gtest/gtest.h>

namespace {

Currency amount(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

std::shared_ptr<clsRoundItem> range(const char* from, const char* to, const char* step)
{
    auto r = std::make_shared<clsRoundItem>();
    r->setFromValue(amount(from));
    r->setToValue(amount(to));
    r->setRoundValue(amount(step));
    return r;
}

class RoundRangesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = std::make_shared<MemorySettingsStore>();
        setSettingsStore(store);
        scoped->UseRoundRanges = true;
        g_bBackupArchiveMode = false;
        g_colRoundRanges.clear();
    }
    void TearDown() override
    {
        setSettingsStore(nullptr);
        g_bBackupArchiveMode = false;
        g_colRoundRanges.clear();
    }
    void storeRange(int n, const QString& from, const QString& to, const QString& step)
    {
        const QString c = QStringLiteral("Configuration");
        store->set(c, QStringLiteral("ArrotondaDaPrezzo%1").arg(n), from);
        store->set(c, QStringLiteral("ArrotondaAPrezzo%1").arg(n), to);
        store->set(c, QStringLiteral("ArrotondaValore%1").arg(n), step);
    }
    QString stored(const QString& key)
    {
        return store->get(QStringLiteral("Configuration"), key, QStringLiteral("<missing>"));
    }

    std::shared_ptr<MemorySettingsStore> store;
    ScopedSettings scoped;
};

TEST_F(RoundRangesTest, GapsAreSkippedAndOrderKept)
{
    storeRange(5, QStringLiteral("100"), QStringLiteral("1000"), QStringLiteral("5"));
    storeRange(2, QStringLiteral("0"), QStringLiteral("9,99"), QStringLiteral("0.05"));
    LoadRoundRanges();
    ASSERT_EQ(g_colRoundRanges.size(), 2);
    EXPECT_EQ(g_colRoundRanges[0]->ToValue(), amount("9.99"));
    EXPECT_EQ(g_colRoundRanges[0]->RoundValue(), amount("0.05"));
    EXPECT_EQ(g_colRoundRanges[1]->FromValue(), amount("100"));

    SaveRoundRanges();
    EXPECT_EQ(stored(QStringLiteral("ArrotondaValore1")), QStringLiteral("0.05"));
    EXPECT_EQ(stored(QStringLiteral("ArrotondaAPrezzo1")), QStringLiteral("9.99"));
    EXPECT_EQ(stored(QStringLiteral("ArrotondaDaPrezzo2")), QStringLiteral("100"));
    for (int n = 3; n <= 10; ++n)
        EXPECT_EQ(stored(QStringLiteral("ArrotondaValore%1").arg(n)), QStringLiteral("<missing>")) << n;
}

TEST_F(RoundRangesTest, WhatMakesARangeExist)
{
    struct Case {
        const char* step;
        bool exists;
        Currency expected;
    };
    const Case cases[] = {
        {"0", true, Currency()},   // a zero step is a range
        {"", false, Currency()},   // an empty step is none
        {"abc", true, Currency()},   // unreadable: loads as 0
        {"0,5", true, amount("0.5")},   // the regional form
        {"1e3", true, amount("1000")},
    };
    for (const Case& c : cases) {
        store = std::make_shared<MemorySettingsStore>();
        setSettingsStore(store);
        storeRange(1, QStringLiteral("10"), QStringLiteral("1"), QString::fromUtf8(c.step));
        LoadRoundRanges();
        ASSERT_EQ(g_colRoundRanges.size(), c.exists ? 1 : 0) << c.step;
        if (!c.exists) continue;
        EXPECT_EQ(g_colRoundRanges[0]->RoundValue(), c.expected) << c.step;
        EXPECT_EQ(g_colRoundRanges[0]->FromValue(), amount("10"));   // above ToValue: taken as it is
        EXPECT_EQ(g_colRoundRanges[0]->ToValue(), amount("1"));
    }
}

TEST_F(RoundRangesTest, SwitchedOffLoadsAndSavesNothing)
{
    storeRange(1, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"));
    settings().UseRoundRanges = false;
    g_colRoundRanges.append(range("7", "8", "9"));
    LoadRoundRanges();
    ASSERT_EQ(g_colRoundRanges.size(), 1);   // the collection keeps what it holds
    SaveRoundRanges();
    EXPECT_EQ(stored(QStringLiteral("ArrotondaValore1")), QStringLiteral("3"));
}

TEST_F(RoundRangesTest, BackupArchiveModeSavesNothing)
{
    storeRange(1, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"));
    g_bBackupArchiveMode = true;
    g_colRoundRanges.append(range("7", "8", "9"));
    SaveRoundRanges();
    EXPECT_EQ(stored(QStringLiteral("ArrotondaValore1")), QStringLiteral("3"));
}

TEST_F(RoundRangesTest, MoreThanTenAreSavedButOnlyTenReadBack)
{
    for (int i = 0; i < 12; ++i) g_colRoundRanges.append(range("0", "1", "0.01"));
    SaveRoundRanges();
    EXPECT_EQ(stored(QStringLiteral("ArrotondaValore12")), QStringLiteral("0.01"));
    LoadRoundRanges();
    EXPECT_EQ(g_colRoundRanges.size(), 10);

    g_colRoundRanges.clear();
    g_colRoundRanges.append(range("0", "1", "0.5"));
    SaveRoundRanges();   // the deletion reaches numbers 1 to 10 only
    EXPECT_EQ(stored(QStringLiteral("ArrotondaValore2")), QStringLiteral("<missing>"));
    EXPECT_EQ(stored(QStringLiteral("ArrotondaValore11")), QStringLiteral("0.01"));
}

TEST_F(RoundRangesTest, NegativeAndFractionalAmountsRoundTrip)
{
    g_colRoundRanges.append(range("-12.3456", "0.0001", "922337203685477.5807"));
    SaveRoundRanges();
    g_colRoundRanges.clear();
    LoadRoundRanges();
    ASSERT_EQ(g_colRoundRanges.size(), 1);
    EXPECT_EQ(g_colRoundRanges[0]->FromValue(), amount("-12.3456"));
    EXPECT_EQ(g_colRoundRanges[0]->ToValue(), amount("0.0001"));
    EXPECT_EQ(g_colRoundRanges[0]->RoundValue(), Currency::max());
}

}   // namespace
