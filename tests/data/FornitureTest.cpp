// A supply's total follows its load lines.
#include "data/Forniture.h"
#include "HeadlessGuard.h"
#include "ShopDatabase.h"
#include <gtest/gtest.h>

namespace {

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
QVariant money(const char* text) { return QVariant::fromValue(eur(text)); }

class Supplies : public ::testing::Test {
protected:
    void SetUp() override
    {
        shop.open();
        shop.select("Articoli")
            ->AddRow({"Codice", "A", "Descrizione", "Articolo A", "PrezzoVendita", money("4"), "PrezzoAcquisto",
                      money("2"), "ValoreScorta", 0.0});
        supply = shop.select("Forniture", "OID = 0");
        supply->NewRow();
        supply->Update();
        lines = supply->GetReference("Articoli");
    }
    void TearDown() override
    {
        lines.reset();
        supply.reset();
        shop.close();
    }
    void addLine(double quantity)
    {
        lines->NewRow();
        ASSERT_TRUE(lines->SetParentByKey("A"));
        lines->SetValue("ValoreCarico", quantity);
        lines->Update();
    }
    Currency total() { return supply->GetCurrencyValue("ImportoAcquisto"); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    ShopDatabase shop;
    std::unique_ptr<TableData> supply;
    std::unique_ptr<TableData> lines;
};

TEST_F(Supplies, TheTotalTakesEachLineOutBeforeAChangeAndInAfterIt)
{
    addLine(5);
    EXPECT_EQ(total(), eur("10"));
    addLine(2.5);
    EXPECT_EQ(total(), eur("15"));
    lines->SetValue("ValoreCarico", 5.0);   // 5.00 -> 10.00
    lines->Update();
    EXPECT_EQ(total(), eur("20"));
    lines->DeleteRow();
    EXPECT_EQ(total(), eur("10"));
    supply->Update();
    EXPECT_EQ(shop.rawScalar("SELECT ImportoAcquisto FROM Forniture").toDouble(), 10.0);
}

// The list reported as a whole (no line): the total is the sum of the lines, whatever it held.
TEST_F(Supplies, AWholeListChangeSumsTheLinesAgain)
{
    Forniture rules;
    QString articles = "Articoli";
    QVariant a, b;
    supply->SetValue("ImportoAcquisto", money("999"));
    rules.OnBeforeUpdateReference(*supply, nullptr, articles, a, b);
    EXPECT_EQ(total(), Currency());
    rules.OnUpdateReference(*supply, nullptr, articles, a, b);
    EXPECT_EQ(total(), Currency()) << "an empty list totals 0";

    addLine(3);
    addLine(4);
    supply->SetValue("ImportoAcquisto", money("1"));
    rules.OnUpdateReference(*supply, nullptr, articles, a, b);
    EXPECT_EQ(total(), eur("14"));

    // Only the load lines count.
    for (QString other : {QString("TipoDocumento"), QString("Fornitore"), QString("Pagamento")}) {
        rules.OnBeforeUpdateReference(*supply, nullptr, other, a, b);
        rules.OnUpdateReference(*supply, lines.get(), other, a, b);
        EXPECT_EQ(total(), eur("14")) << other.toStdString();
    }
}

// A supply whose total was never set still adds its lines up.
TEST_F(Supplies, AnEmptyTotalCountsAsZero)
{
    supply->SetValue("ImportoAcquisto", QVariant());
    addLine(1);
    EXPECT_EQ(total(), eur("2"));
}

}   // namespace
