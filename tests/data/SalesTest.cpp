// Sales: the total follows the lines, and the customer's points follow the sale: the points
// of its amount, the prize points spent on its lines and the sale's own points.
#include "SalesShop.h"
#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"
#include "data/Vendite.h"
#include "objdb/TableObject.h"
#include <random>

namespace {

class Sales : public SalesShop {
protected:
    void SetUp() override
    {
        SalesShop::SetUp();
        rossi = addCustomer("Rossi", "C1");
    }
    // The customer's points as the program holds them now (saved or not).
    qint64 heldPoints(TableData& sale) { return sale.GetReference("Cliente")->GetFieldValue("Punti").toLongLong(); }
    void setStoredPoints(qint64 customer, qint64 points)
    {
        auto c = shop.select("Clienti", QString("OID=%1").arg(customer));
        c->SetValue("Punti", points);
        c->Update();
    }
    std::unique_ptr<TableData> line(TableData& sale, qint64 oid)
    {
        auto lines = sale.GetReference("Articoli");
        EXPECT_TRUE(lines->MoveToOID(oid));
        return lines;
    }

    qint64 rossi = 0;
};

// One point for every 10.00 of the sale, whole points only, returns taking them back.
TEST_F(Sales, ACompletedSaleGivesItsCustomerThePointsOfItsAmount)
{
    struct Case {
        const char* price;
        double quantity;
        double perPoint;
        qint64 points;
    };
    const Case cases[] = {
        {"25.50", 1, 10, 2}, {"25.50", -1, 10, -2}, {"9.99", 1, 10, 0}, {"25.50", 1, 0, 0}, {"0.30", 1, 0.1, 3},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1 x %2 at %3 a point").arg(c.price).arg(c.quantity).arg(c.perPoint).toStdString());
        settings().ImportoPunto = c.perPoint;
        ++n;
        const qint64 customer = addCustomer(QString("Cliente %1").arg(n), QString("P%1").arg(n));
        const qint64 article = addArticle(QString("A%1").arg(n), c.price, 10);
        auto sale = newSale(customer);
        addLine(*sale, article, c.quantity);
        sale->SetValue("Completato", true);
        sale->Update();
        EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", sale->GetOID()), eur(c.price).times(c.quantity));
        EXPECT_EQ(storedPoints(customer), c.points);
    }
}

TEST_F(Sales, TheCustomerGainsThePointsTheNewAmountAddsToTheOld)
{
    auto sale = newSale(rossi);
    sale->SetValue("ImportoVendita", money("19"));
    EXPECT_EQ(heldPoints(*sale), 1);
    sale->SetValue("ImportoVendita", money("31"));
    EXPECT_EQ(heldPoints(*sale), 3);
    sale->Update();
    EXPECT_EQ(storedPoints(rossi), 3);

    // A customer who does not collect points gets none.
    const qint64 verdi = addCustomer("Verdi", "C3", false);
    auto other = newSale(verdi);
    other->SetValue("ImportoVendita", money("50"));
    other->Update();
    EXPECT_EQ(storedPoints(verdi), 0);
}

TEST_F(Sales, DeletingALineLowersTheTotalAndReturnsTheStock)
{
    const qint64 article = addArticle("A1", "12", 20);
    auto sale = newSale(rossi);
    const qint64 first = addLine(*sale, article, 1);
    addLine(*sale, article, 2);
    ASSERT_EQ(sale->GetCurrencyValue("ImportoVendita"), eur("36"));
    ASSERT_DOUBLE_EQ(storedStock(article), 17);
    line(*sale, first)->DeleteRow();
    sale->Update();
    EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", sale->GetOID()), eur("24"));
    EXPECT_DOUBLE_EQ(storedStock(article), 18);
    EXPECT_EQ(storedPoints(rossi), 2);
}

// Points changed by a line reach the file even when no window holds the sale: the sale is
// saved with the line, and the customer with the sale.
TEST_F(Sales, PointsAreStoredWithTheLineWhenNobodyHoldsTheSale)
{
    const qint64 article = addArticle("A1", "40", 20);
    const qint64 saleOid = newSale(rossi)->GetOID();
    auto lines = shop.select("Vendite", QString("OID=%1").arg(saleOid))->GetReference("Articoli");
    lines->AddRow({"objParent", article, "ValoreScarico", 1.0});
    EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", saleOid), eur("40"));
    EXPECT_EQ(storedPoints(rossi), 4);
}

// A prize line's points are charged when the prize is set, given back by the difference when
// it changes, and wholly when the line goes; other edits of the line move none.
TEST_F(Sales, PrizePointsMoveOnlyWhenThePrizeChangesOrTheLineGoes)
{
    setStoredPoints(rossi, 1000);
    const qint64 article = addArticle("A1", "80", 20);
    auto sale = newSale(rossi);
    const qint64 prize = addLine(*sale, article, 1);
    sale->Update();
    ASSERT_EQ(storedPoints(rossi), 1008);

    struct Step {
        const char* what;
        const char* field;
        QVariant value;
        const char* total;
        qint64 points;
    };
    const Step steps[] = {
        // 100 points at 0.05 take 5.00 off the line: 75.00 earns 7 points, the prize costs 100.
        {"prize of 100 points", "PuntiPremio", qint64(-100), "75", 1000 + 7 - 100},
        {"two of the article", "ValoreScarico", 2.0, "155", 1000 + 15 - 100},
        {"prize down to 50 points", "PuntiPremio", qint64(-50), "157.50", 1000 + 15 - 50},
        {"discount of 10.00", "ImportoSconto", money("10"), "147.50", 1000 + 14 - 50},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        auto l = line(*sale, prize);
        l->SetValue(s.field, s.value);
        l->Update();
        sale->Update();
        EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", sale->GetOID()), eur(s.total));
        EXPECT_EQ(storedPoints(rossi), s.points);
    }
    line(*sale, prize)->DeleteRow();
    sale->Update();
    EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", sale->GetOID()), Currency());
    EXPECT_EQ(storedPoints(rossi), 1000);
}

// The old customer gives back everything the sale gave it; the new one receives the points of
// the amount and is charged the prizes of the lines. The sale's own points are dropped.
TEST_F(Sales, ChangingTheCustomerMovesThePointsOfTheSale)
{
    const qint64 bianchi = addCustomer("Bianchi", "C2");
    setStoredPoints(rossi, 500);
    setStoredPoints(bianchi, 300);
    const qint64 article = addArticle("A1", "25", 20);
    auto sale = newSale(rossi);
    const qint64 l = addLine(*sale, article, 2);
    auto prize = line(*sale, l);
    prize->SetValue("PuntiPremio", qint64(-20));
    prize->Update();
    sale->SetValue("Punti", qint64(5));
    sale->Update();
    // 50.00 - 1.00 of prize: 4 points; 20 spent; 5 of the sale's own.
    ASSERT_EQ(storedPoints(rossi), 500 + 4 - 20 + 5);

    sale->SetReferenceOID("Cliente", bianchi);
    EXPECT_EQ(storedPoints(rossi), 500) << "the old customer, whose own points the sale held, is written at once";
    EXPECT_EQ(sale->GetFieldValue("Punti").toLongLong(), 0);
    sale->Update();
    EXPECT_EQ(storedPoints(rossi), 500);
    EXPECT_EQ(storedPoints(bianchi), 300 + 4 - 20);
    EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", sale->GetOID()), eur("49"));
}

TEST_F(Sales, DeletingASaleGivesBackItsPointsAndStock)
{
    setStoredPoints(rossi, 100);
    const qint64 article = addArticle("A1", "30", 20);
    auto sale = newSale(rossi);
    const qint64 l = addLine(*sale, article, 1);
    auto prize = line(*sale, l);
    prize->SetValue("PuntiPremio", qint64(-40));
    prize->Update();
    sale->SetValue("Punti", qint64(3));
    sale->Update();
    ASSERT_EQ(storedPoints(rossi), 100 + 2 - 40 + 3);
    sale->DeleteRow();
    EXPECT_EQ(storedPoints(rossi), 100);
    EXPECT_DOUBLE_EQ(storedStock(article), 20);
    EXPECT_EQ(count("ScaricoArticoli"), 0);
}

// When the whole list of lines is replaced, the total starts from 0 (the customer losing the
// points of the old amount and the sale's own points) and ends at the sum of the new list.
TEST_F(Sales, ReplacingTheWholeListOfLinesStartsFromZero)
{
    const qint64 article = addArticle("A1", "20", 20);
    auto sale = newSale(rossi);
    addLine(*sale, article, 3);
    sale->SetValue("Punti", qint64(4));
    sale->Update();
    ASSERT_EQ(storedPoints(rossi), 6 + 4);

    Vendite rules;
    QString name = "Articoli";
    QVariant a, b;
    rules.OnBeforeUpdateReference(*sale, nullptr, name, a, b);
    EXPECT_EQ(sale->GetCurrencyValue("ImportoVendita"), Currency());
    EXPECT_EQ(sale->GetFieldValue("Punti").toLongLong(), 0);
    EXPECT_EQ(heldPoints(*sale), 0);
    rules.OnUpdateReference(*sale, nullptr, name, a, b);
    EXPECT_EQ(sale->GetCurrencyValue("ImportoVendita"), eur("60"));
    EXPECT_EQ(heldPoints(*sale), 6);

    name = "BuoniUtilizzati";
    sale->SetValue("ImportoBuoni", money("7"));
    rules.OnBeforeUpdateReference(*sale, nullptr, name, a, b);
    EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), Currency());
    rules.OnUpdateReference(*sale, nullptr, name, a, b);
    EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), Currency()) << "the sale uses no voucher";
}

// Whatever lines are added, changed and deleted, in any order, the sale's total is the sum of
// its lines and its customer holds exactly the points the sale is worth, the other customer
// none of them.
TEST_F(Sales, TotalsPointsAndStockStayInStepWithTheLines)
{
    const qint64 bianchi = addCustomer("Bianchi", "C2");
    setStoredPoints(rossi, 1000);
    setStoredPoints(bianchi, 1000);
    shop.select("ConfigurazioneSconti")
        ->AddRow({"Descrizione", "Per Rossi", "SoloCliente", "C1", "ImportoSconto", money("0.70")});
    std::vector<qint64> articles;
    int n = 0;
    for (const char* price : {"2.50", "13.99", "0.35", "120", "7.05"})
        articles.push_back(addArticle(QString("R%1").arg(++n), price, 500));
    const double quantities[] = {1, 2, 3, 0.5, 1.25, -1, 10};
    const qint64 prizes[] = {0, 0, -10, -37, -100};

    std::mt19937 random(20070301);
    auto pick = [&](int size) { return int(random() % unsigned(size)); };
    auto sale = newSale(rossi);
    std::vector<qint64> lines;
    qint64 customer = rossi;

    for (int step = 0; step < 300; ++step) {
        const int op = pick(10);
        SCOPED_TRACE(QString("step %1, operation %2").arg(step).arg(op).toStdString());
        if (op < 4 || lines.empty()) {
            lines.push_back(addLine(*sale, articles[size_t(pick(5))], quantities[pick(7)]));
        } else if (op < 6) {
            auto l = line(*sale, lines[size_t(pick(int(lines.size())))]);
            l->SetValue("ValoreScarico", quantities[pick(7)]);
            l->Update();
        } else if (op == 6) {
            auto l = line(*sale, lines[size_t(pick(int(lines.size())))]);
            l->SetValue("PuntiPremio", prizes[pick(5)]);
            l->Update();
        } else if (op == 7) {
            auto l = line(*sale, lines[size_t(pick(int(lines.size())))]);
            l->SetParent(articles[size_t(pick(5))]);
            l->Update();
        } else if (op == 8) {
            const size_t i = size_t(pick(int(lines.size())));
            line(*sale, lines[i])->DeleteRow();
            lines.erase(lines.begin() + long(i));
        } else {
            customer = customer == rossi ? bianchi : rossi;
            sale->SetReferenceOID("Cliente", customer);
        }

        auto all = sale->GetReference("Articoli");
        ASSERT_EQ(sale->GetCurrencyValue("ImportoVendita"), all->Aggregate("ImportoScarico", 0).value<Currency>());
        if (step % 20 != 19) continue;
        sale->Update();
        const Currency total = storedMoney("Vendite", "ImportoVendita", sale->GetOID());
        ASSERT_EQ(total, all->Aggregate("ImportoScarico", 0).value<Currency>());
        const qint64 worth = PointsForAmount(total) + all->Aggregate("PuntiPremio", 0).toLongLong();
        EXPECT_EQ(storedPoints(customer), 1000 + worth);
        EXPECT_EQ(storedPoints(customer == rossi ? bianchi : rossi), 1000);
    }
}

}   // namespace
