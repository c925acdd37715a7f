// The article's own rules: prices kept consistent with each other and with the database's
// currency, the unit quantity checked, the average price and the change date on saving.
#include "HeadlessGuard.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/ObjDbError.h"
#include "ShopDatabase.h"
#include <gtest/gtest.h>

namespace {

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
QVariant money(const char* text) { return QVariant::fromValue(eur(text)); }

class Articles : public ::testing::Test {
protected:
    void SetUp() override
    {
        shop.open();
        // Prices in euro, with their two decimals.
        shop.db().SetCurrency(std::make_shared<EuroCurrencyInfo>());
    }
    void TearDown() override { shop.close(); }
    std::unique_ptr<TableData> newArticle(const QVariantList& values)
    {
        auto a = shop.select("Articoli", "OID = 0");
        a->NewRow();
        a->SetValue("Codice", "A1");
        for (int i = 0; i + 1 < values.size(); i += 2) a->SetValue(values[i].toString(), values[i + 1]);
        return a;
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> m_clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    ShopDatabase shop;
};

TEST_F(Articles, TheSellingPriceTakesTheCurrencysDecimals)
{
    auto a = newArticle({});
    struct Case {
        QVariant typed;
        const char* stored;
    };
    const Case cases[]
        = {{money("2.345"), "2.35"}, {money("2.344"), "2.34"}, {money("-1.005"), "-1.01"}, {money("7"), "7"}};
    for (const Case& c : cases) {
        a->SetValue("PrezzoVendita", c.typed);
        EXPECT_EQ(a->GetCurrencyValue("PrezzoVendita"), eur(c.stored))
            << c.typed.value<Currency>().toString().toStdString();
    }
    a->SetValue("PrezzoVendita", QVariant());
    EXPECT_FALSE(a->IsFieldNull("PrezzoVendita")) << "an emptied price becomes 0";
}

// Both prices or none; a variable-price percentage only for articles without prices.
TEST_F(Articles, PricesAndTheVariablePercentageExcludeEachOther)
{
    struct Case {
        const char* name;
        QVariantList start;
        const char* field;
        QVariant value;
        const char* sale;
        const char* purchase;
        double percentage;
    };
    const Case cases[] = {
        {"purchase price 0 clears the selling price",
         {"PrezzoVendita", money("5"), "PrezzoAcquisto", money("3")},
         "PrezzoAcquisto",
         money("0"),
         "0",
         "0",
         0},
        {"selling price 0 clears the purchase price",
         {"PrezzoVendita", money("5"), "PrezzoAcquisto", money("3")},
         "PrezzoVendita",
         money("0"),
         "0",
         "0",
         0},
        {"a price clears the percentage", {"PercentualeScorporoVari", 2.5}, "PrezzoVendita", money("5"), "5", "0", 0},
        {"a purchase price clears the percentage",
         {"PercentualeScorporoVari", 2.5},
         "PrezzoAcquisto",
         money("3"),
         "0",
         "3",
         0},
        {"a percentage clears both prices",
         {"PrezzoVendita", money("5"), "PrezzoAcquisto", money("3")},
         "PercentualeScorporoVari",
         2.5,
         "0",
         "0",
         2.5},
        {"a zero percentage keeps the prices",
         {"PrezzoVendita", money("5"), "PrezzoAcquisto", money("3")},
         "PercentualeScorporoVari",
         0.0,
         "5",
         "3",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto a = newArticle(c.start);
        a->SetValue(c.field, c.value);
        EXPECT_EQ(a->GetCurrencyValue("PrezzoVendita"), eur(c.sale));
        EXPECT_EQ(a->GetCurrencyValue("PrezzoAcquisto"), eur(c.purchase));
        EXPECT_EQ(a->GetFieldValue("PercentualeScorporoVari").toDouble(), c.percentage);
    }
}

TEST_F(Articles, AUnitQuantityOfZeroOrLessIsRefused)
{
    const QString message = "Il campo <ValoreMisura> deve essere maggiore di 0";
    struct Case {
        QVariant measure;
        bool refused;
    };
    const Case cases[] = {{0.0, true}, {-1.0, true}, {QVariant(), false}, {0.5, false}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.measure.toString().toStdString());
        auto a = newArticle({"Codice", QString("M%1").arg(++n), "ValoreMisura", c.measure});
        shop.sink().refusals.clear();
        if (c.refused) {
            EXPECT_THROW(a->Update(), AppError);
            EXPECT_EQ(shop.sink().refusals, QStringList {message});
            EXPECT_EQ(shop.select("Articoli", QString("Codice='M%1'").arg(n))->RowCount(), 0);
        } else {
            a->Update();
            EXPECT_TRUE(shop.sink().refusals.isEmpty());
        }
    }
}

TEST_F(Articles, SavingFillsTheAveragePriceAndTheChangeDate)
{
    auto a = newArticle({"PrezzoVendita", money("5"), "PrezzoAcquisto", money("3")});
    a->Update();
    EXPECT_EQ(a->GetCurrencyValue("PrezzoAcquistoMedio"), eur("3")) << "no average yet: the purchase price";
    const QDateTime created = a->GetValue("DataInserimento").toDateTime();

    m_clock->advanceMs(3600 * 1000);
    a->SetValue("PrezzoAcquisto", money("4"));
    a->Update();
    EXPECT_EQ(a->GetCurrencyValue("PrezzoAcquistoMedio"), eur("3")) << "an average is kept";
    EXPECT_EQ(a->GetValue("DataModifica").toDateTime(), created.addSecs(3600));
    EXPECT_EQ(a->GetValue("DataInserimento").toDateTime(), created);
}

}   // namespace
