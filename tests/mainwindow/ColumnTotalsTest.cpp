// Column totals: the sum of the rows shown, money added as Currency so the total is the
// exact sum of what the rows hold, written with the column's format.
#include "mainwindow/ColumnTotals.h"
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "GridTestSupport.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"
#include <random>

namespace {

const QLocale kItalian(QLocale::Italian, QLocale::Italy);

class ColumnTotalsTest : public ViewShop {
protected:
    void show()
    {
        ASSERT_EQ(view.Refresh(nodeRequest("Articoli")), DetailView::Outcome::Shown);
        setUiServices(shown);
    }
    void add(const QString& code, const Currency& price, double stock, qint64 minimum)
    {
        select("Articoli")
            ->AddRow({"Codice", code, "PrezzoVendita", QVariant::fromValue(price), "ValoreScorta", stock,
                      "ScortaMinima", minimum});
    }
    TableData& ds() { return *view.DataSet(); }

    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
    std::shared_ptr<RecordingUi> shown = std::make_shared<RecordingUi>();
};

TEST_F(ColumnTotalsTest, MoneyTotalEqualsTheSqlSumOfTheRowsShown)
{
    // A few hundred prices: a sum of doubles would drift.
    std::mt19937 random(20070305);
    std::uniform_int_distribution<int64_t> units(0, 25'000'000);
    for (int i = 0; i < 300; ++i)
        add((i % 3 ? QStringLiteral("A") : QStringLiteral("B")) + QString::number(i),
            Currency::fromUnits(units(random)), 1, 0);
    // What the rows hold (the price rules round what they are given), added up one by one.
    Currency all, filtered;
    for (auto rows = select("Articoli"); !rows->IsEOF(); rows->MoveNext()) {
        all += rows->GetCurrencyValue("PrezzoVendita");
        if (rows->GetValue("Codice").toString().startsWith(u'A')) filtered += rows->GetCurrencyValue("PrezzoVendita");
    }
    show();
    EXPECT_EQ(TotalOf(ds(), "PrezzoVendita", kItalian).value.value<Currency>(), all);

    ds().SetFilter("Codice Like 'A*'");
    const ColumnTotal total = TotalOf(ds(), "PrezzoVendita", kItalian);
    ASSERT_EQ(total.value.userType(), qMetaTypeId<Currency>());
    EXPECT_EQ(total.value.value<Currency>(), filtered) << "the rows of the filter only";
    // The same rows summed by sqlite3: exactly, in ten-thousandths, and to the cent.
    const QStringList sql = sqlite3Column(path(),
                                          "SELECT SUM(CAST(ROUND(PrezzoVendita * 10000) AS INTEGER)), "
                                          "printf('%.2f', SUM(PrezzoVendita)) FROM Articoli WHERE Codice LIKE 'A%'");
    ASSERT_EQ(sql.size(), 1);
    EXPECT_EQ(sql[0].section('|', 0, 0).toLongLong(), total.value.value<Currency>().units());
    EXPECT_EQ(sql[0].section('|', 1, 1), total.value.value<Currency>().toText(QLocale::c(), 2));
}

TEST_F(ColumnTotalsTest, EachTypeWithItsFormat)
{
    add("A", eur("1234.50"), 1.5, 4);
    add("B", eur("0.25"), 2.25, 8);
    add("C", eur("-0.25"), 0, 0);
    show();
    const std::tuple<const char*, const char*> cases[] = {
        {"PrezzoVendita", "1.234,50"},   // currency: grouped, two decimals at least
        {"ValoreScorta", "3,750"},   // number without a format of its own: "#.000"
        {"ScortaMinima", "12"},   // integer: the general format
    };
    for (const auto& [field, text] : cases) {
        SCOPED_TRACE(field);
        const ColumnTotal t = TotalOf(ds(), field, kItalian);
        EXPECT_EQ(t.text, QString::fromLatin1(text));
        EXPECT_EQ(t.message(), QStringLiteral("TOTALE %1: < %2 >").arg(field, text));
    }
    ds().SetFilter("Codice = 'B'");
    ShowColumnTotal(ds(), "ValoreScorta", kItalian);
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_EQ(shown->boxes[0].text, "TOTALE ValoreScorta: < 2,250 >");
    EXPECT_EQ(shown->boxes[0].flags, Msg::OKOnly);

    ds().SetFilter("Codice = 'Z'");
    EXPECT_EQ(TotalOf(ds(), "PrezzoVendita", kItalian).text, "0,00") << "no rows: nothing to add up";
}

TEST(ColumnTotals, CurrencyTextWorksOnTheAmountsDigits)
{
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0,00"},      {12345, "1,2345"},
        {12340, "1,234"}, {12300, "1,23"},
        {-5000, "-0,50"}, {9'000'000'000'000'001, "900.000.000.000,0001"},   // beyond a double's digits
    };
    for (const auto& [units, text] : cases)
        EXPECT_EQ(CurrencyTotalText(Currency::fromUnits(units), kItalian), QString::fromLatin1(text)) << units;
}

}   // namespace
