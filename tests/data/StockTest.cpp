// Stock loads and unloads: line numbers, line amounts, the article's stock and its average
// purchase price, the maximum unit amount and the discounts of a sale line.
#include "core/configuration/Configuration.h"
#include "data/Forniture.h"
#include "HeadlessGuard.h"
#include "objdb/ObjDbError.h"
#include "ShopDatabase.h"
#include "data/StockLines.h"
#include "objdb/TableObject.h"
#include <gtest/gtest.h>
#include <random>

namespace {

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
QVariant money(const char* text) { return QVariant::fromValue(eur(text)); }

class Stock : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings().ImportoMaxArticolo = 0;
        settings().ImportoPuntoPremio = 0.05;
        shop.open();
    }
    void TearDown() override { shop.close(); }

    void addArticle(const QString& code, const char* salePrice, const char* purchasePrice, double stock)
    {
        shop.rows().addArticle(
            {.code = code, .price = eur(salePrice), .purchasePrice = eur(purchasePrice), .stock = stock});
    }
    std::unique_ptr<TableData> article(const QString& code) { return shop.select("Articoli", "Codice='" + code + "'"); }
    double stock(const QString& code) { return article(code)->GetFieldValue("ValoreScorta").toDouble(); }
    Currency average(const QString& code) { return article(code)->GetCurrencyValue("PrezzoAcquistoMedio"); }
    // The average keeps 4 decimals: taking a line out and putting it back may move the last
    // ones (more where the line was a large part of the stock).
    void expectAverage(const QString& code, const char* expected, const char* why)
    {
        EXPECT_LE((average(code) - eur(expected)).abs(), eur("0.0005"))
            << why << ": " << average(code).toString().toStdString();
    }

    // A stored document (Forniture or Vendite) and the data set of its lines.
    struct Document {
        std::unique_ptr<TableData> head;
        std::unique_ptr<TableData> lines;
    };
    Document newDocument(const QString& table)
    {
        Document d {shop.select(table, "OID = 0"), nullptr};
        d.head->NewRow();
        d.head->Update();
        d.lines = d.head->GetReference("Articoli");
        return d;
    }
    // A new line for the article, quantity set, saved.
    void addLine(Document& d, const QString& code, const char* quantityField, double quantity)
    {
        d.lines->NewRow();
        ASSERT_TRUE(d.lines->SetParentByKey(code));
        d.lines->SetValue(quantityField, quantity);
        d.lines->Update();
    }
    void setPurchasePrice(const QString& code, const char* price)
    {
        auto a = article(code);
        a->SetValue("PrezzoAcquisto", money(price));
        a->Update();
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> m_clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    ShopDatabase shop;
};

// ---- Loads ------------------------------------------------------------------------------------

// The rules' field lists: whole names only, as written, empty items never matching.
TEST(StockFieldLists, AFieldIsOneOfTheListOnlyByItsWholeName)
{
    const struct {
        const char* field;
        const char* list;
        bool expected;
    } cases[] = {
        {"ValoreScarico", "ValoreScarico,PrezzoVendita", true},
        {"PrezzoVendita", "ValoreScarico,PrezzoVendita", true},
        {"ValoreMisura", "ValoreScarico,PrezzoVendita,ValoreMisura", true},
        {"Valore", "ValoreScarico,PrezzoVendita", false},
        {"ValoreScaricoX", "ValoreScarico,PrezzoVendita", false},
        {"valorescarico", "ValoreScarico,PrezzoVendita", false},
        {"", "ValoreScarico,,PrezzoVendita,", false},
        {"PrezzoVendita", ",,PrezzoVendita", true},
        {"ValoreScarico", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isOneOf(QString::fromLatin1(c.field), c.list), c.expected) << c.field << " in " << c.list;
}

TEST_F(Stock, LoadLinesAreNumberedWithinTheirSupply)
{
    addArticle("A", "3", "2", 0);
    Document first = newDocument("Forniture");
    for (int i = 0; i < 3; ++i) addLine(first, "A", "ValoreCarico", 1);
    m_clock->advanceMs(1000);   // lines of one second, one article and one number are one line
    Document second = newDocument("Forniture");
    addLine(second, "A", "ValoreCarico", 1);
    // Back to the first supply: numbering goes on from its highest stored number.
    first.lines->NewRow();
    EXPECT_EQ(first.lines->GetValue("Progressivo").toLongLong(), 4);
    auto numbers = shop.rawRows("SELECT Progressivo FROM CaricoArticoli ORDER BY OID");
    ASSERT_EQ(numbers.size(), 4);
    EXPECT_EQ((QList<qint64> {numbers[0][0].toLongLong(), numbers[1][0].toLongLong(), numbers[2][0].toLongLong(),
                              numbers[3][0].toLongLong()}),
              (QList<qint64> {1, 2, 3, 1}));

    // While a report reads the rows a new line gets no number.
    Document third = newDocument("Forniture");
    third.lines->GetRecordSource().Suspended = true;
    third.lines->NewRow();
    EXPECT_TRUE(third.lines->IsFieldNull("Progressivo"));
}

TEST_F(Stock, LoadQuantityMovesTheStockOnlyWhileThereIsAPurchasePrice)
{
    addArticle("A", "3", "2", 5);
    Document supply = newDocument("Forniture");
    addLine(supply, "A", "ValoreCarico", 5);
    ASSERT_EQ(stock("A"), 10.0);
    supply.lines->SetValue("ValoreCarico", 8.0);
    supply.lines->Update();
    EXPECT_EQ(stock("A"), 13.0) << "the old 5 left, the new 8 came in";
    EXPECT_EQ(supply.lines->GetCurrencyValue("ImportoCarico"), eur("16"));
    EXPECT_EQ(supply.head->GetCurrencyValue("ImportoAcquisto"), eur("16"));

    addArticle("Z", "0", "0", 4);
    Document free = newDocument("Forniture");
    addLine(free, "Z", "ValoreCarico", 6);
    EXPECT_EQ(stock("Z"), 4.0);
    EXPECT_EQ(free.lines->GetCurrencyValue("ImportoCarico"), Currency());

    supply.lines->DeleteRow();
    EXPECT_EQ(stock("A"), 5.0) << "the deleted line took its 8 away";
}

TEST_F(Stock, TheAverageIsWeightedByQuantity)
{
    addArticle("A", "4", "2", 0);
    Document supply = newDocument("Forniture");
    addLine(supply, "A", "ValoreCarico", 10);
    EXPECT_EQ(average("A"), eur("2")) << "the first load sets the purchase price";
    setPurchasePrice("A", "3");
    addLine(supply, "A", "ValoreCarico", 10);
    EXPECT_EQ(stock("A"), 20.0);
    EXPECT_EQ(average("A"), eur("2.5"));
}

// Editing or deleting a line takes its old share out of the average first, so the average
// is always what the remaining loads are worth, whatever was edited in between.
TEST_F(Stock, EditedAndDeletedLoadsLeaveNoTraceInTheAverage)
{
    addArticle("A", "9", "2", 0);
    Document supply = newDocument("Forniture");
    addLine(supply, "A", "ValoreCarico", 10);
    setPurchasePrice("A", "3");
    addLine(supply, "A", "ValoreCarico", 10);
    ASSERT_EQ(average("A"), eur("2.5"));
    const qint64 second = supply.lines->GetOID();

    supply.lines->SetValue("ValoreCarico", 20.0);
    supply.lines->Update();
    expectAverage("A", "2.6667", "(20 + 60) / 30, not the old average over again");
    supply.lines->SetValue("ValoreCarico", 10.0);
    supply.lines->Update();
    expectAverage("A", "2.5", "back where it was");

    // Saving a line again without changing what it counts leaves the average alone.
    supply.lines->SetValue("DataCarico", QDateTime(QDate(2007, 3, 2), QTime(9, 0)));
    const Currency kept = average("A");
    supply.lines->Update();
    EXPECT_EQ(average("A"), kept);

    ASSERT_TRUE(supply.lines->MoveToOID(second));
    supply.lines->DeleteRow();
    EXPECT_EQ(stock("A"), 10.0);
    expectAverage("A", "2", "only the first load is left");
}

// Property: with loads only, the average always equals the value of the loads over their
// quantity, after any sequence of additions, edits and deletions (within half a cent: the
// stored average has 4 decimals, and taking a large line out of a small stock magnifies
// the last one). Counting an edited line twice would miss by far more.
TEST_F(Stock, AverageFollowsTheLoadsThroughRandomEdits)
{
    addArticle("A", "9", "2", 0);
    Document supply = newDocument("Forniture");
    std::mt19937 random(20070301);
    QList<qint64> lines;
    for (int step = 0; step < 40; ++step) {
        SCOPED_TRACE(step);
        const int action = lines.size() < 2 ? 0 : int(random() % 3);
        const char* prices[] = {"1.5", "2", "2.75", "3.1"};
        setPurchasePrice("A", prices[random() % 4]);
        const double quantity = double(1 + random() % 12);
        if (action == 0) {
            addLine(supply, "A", "ValoreCarico", quantity);
            lines << supply.lines->GetOID();
        } else {
            const qint64 oid = lines[int(random() % lines.size())];
            ASSERT_TRUE(supply.lines->MoveToOID(oid));
            if (action == 1) {
                supply.lines->SetValue("ValoreCarico", quantity);
                supply.lines->Update();
            } else {
                supply.lines->DeleteRow();
                lines.removeOne(oid);
            }
        }
        const auto totals = shop.rawRows("SELECT SUM(ImportoCarico), SUM(ValoreCarico) FROM CaricoArticoli");
        const double expected = totals[0][0].toDouble() / totals[0][1].toDouble();
        EXPECT_NEAR(average("A").toDouble(), expected, 0.005);
        EXPECT_DOUBLE_EQ(stock("A"), totals[0][1].toDouble());
    }
}

// A load taken out of the average (deleted, set to nothing, moved to another article) leaves
// exactly what the remaining loads cost over their quantity: the stored average has four
// decimals, and taking a share out of it drifted (10 units at 1.00 came back at 0.9999).
TEST_F(Stock, ALoadTakenOutLeavesExactlyTheAverageOfTheRemainingLoads)
{
    struct Load {
        double quantity;
        const char* price;
    };
    struct Case {
        const char* name;
        std::vector<Load> loads;
        char action;   // the last load: 'd' deleted, 'z' its quantity set to 0, 'm' moved to B
        const char* expected;
    };
    const Case cases[] = {
        {"deleted, rounded down before", {{10, "1"}, {3, "1.06"}}, 'd', "1"},
        {"deleted, rounded up before", {{10, "1"}, {3, "1.07"}}, 'd', "1"},
        {"set to nothing", {{10, "1"}, {3, "1.19"}}, 'z', "1"},
        {"moved away", {{10, "1"}, {3, "1.32"}}, 'm', "1"},
        {"two left", {{10, "2"}, {5, "3"}, {3, "1.06"}}, 'd', "2.3333"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString code = QString("A%1").arg(++n), other = QString("B%1").arg(n);
        addArticle(code, "9", c.loads.front().price, 0);
        addArticle(other, "9", "4", 0);
        Document supply = newDocument("Forniture");
        for (const Load& load : c.loads) {
            setPurchasePrice(code, load.price);
            addLine(supply, code, "ValoreCarico", load.quantity);
        }
        switch (c.action) {
        case 'd': supply.lines->DeleteRow(); break;
        case 'z':
            supply.lines->SetValue("ValoreCarico", 0.0);
            supply.lines->Update();
            break;
        default:
            ASSERT_TRUE(supply.lines->SetParentByKey(other));
            supply.lines->Update();
            break;
        }
        EXPECT_EQ(average(code).toString(), eur(c.expected).toString());
    }
}

TEST_F(Stock, ALoadMovedToAnotherArticleMovesItsStockAndItsShareOfTheAverage)
{
    addArticle("A", "9", "2", 0);
    addArticle("B", "9", "4", 0);
    Document supply = newDocument("Forniture");
    addLine(supply, "A", "ValoreCarico", 10);
    setPurchasePrice("A", "3");
    addLine(supply, "A", "ValoreCarico", 10);
    ASSERT_EQ(average("A"), eur("2.5"));
    ASSERT_TRUE(supply.lines->SetParentByKey("B"));
    supply.lines->Update();
    EXPECT_EQ(stock("A"), 10.0);
    EXPECT_EQ(average("A"), eur("2")) << "A lost the load at 3.00";
    EXPECT_EQ(stock("B"), 10.0);
    EXPECT_EQ(average("B"), eur("4")) << "B's first load, at B's price";
    EXPECT_EQ(supply.lines->GetCurrencyValue("ImportoCarico"), eur("40"));
    EXPECT_EQ(supply.head->GetCurrencyValue("ImportoAcquisto"), eur("60"));
}

// ---- Unloads ----------------------------------------------------------------------------------

TEST_F(Stock, ANewSaleLineStartsWithOneUnitNoPointsNoDiscount)
{
    Document sale = newDocument("Vendite");
    sale.lines->NewRow();
    EXPECT_EQ(sale.lines->GetFieldValue("ValoreScarico").toDouble(), 1.0);
    EXPECT_EQ(sale.lines->GetValue("PuntiPremio").toLongLong(), 0);
    EXPECT_TRUE(LibraryGlobal::ValuesEqual(sale.lines->GetValue("ImportoSconto"), money("0")));
    EXPECT_EQ(sale.lines->GetValue("DataScarico").toDateTime(), QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    EXPECT_EQ(sale.lines->GetValue("Progressivo").toLongLong(), 1);
}

TEST_F(Stock, LoadsAndSalesAddUpInTheStock)
{
    addArticle("A", "4", "2", 0);
    Document supply = newDocument("Forniture");
    addLine(supply, "A", "ValoreCarico", 10);
    Document sale = newDocument("Vendite");
    addLine(sale, "A", "ValoreScarico", 5);
    addLine(supply, "A", "ValoreCarico", 8);
    EXPECT_EQ(stock("A"), 13.0);
    shop.select("ScaricoArticoli")->DeleteRow();
    EXPECT_EQ(stock("A"), 18.0) << "a deleted sale line gives its quantity back";
}

TEST_F(Stock, TheLineAmountIsPriceTimesQuantityPlusPointsLessDiscount)
{
    addArticle("A", "2.5", "1", 10);
    Document sale = newDocument("Vendite");
    addLine(sale, "A", "ValoreScarico", 3);
    EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), eur("7.5"));
    EXPECT_EQ(stock("A"), 7.0);

    struct Step {
        const char* field;
        QVariant value;
        const char* amount;
    };
    const Step steps[] = {
        {"ImportoSconto", money("1"), "6.5"}, {"ImportoSconto", money("1.5"), "6"},
        {"PuntiPremio", qint64(-100), "1"},   // 100 points at 0.05 each spent on the line
        {"ValoreScarico", 4.0, "3.5"},   // 10.00 - 5.00 - 1.50
        {"PuntiPremio", qint64(0), "8.5"},    {"ImportoSconto", money("0"), "10"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.field);
        sale.lines->SetValue(s.field, s.value);
        EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), eur(s.amount));
    }
    sale.lines->Update();
    EXPECT_EQ(stock("A"), 6.0);
    sale.lines->DeleteRow();
    EXPECT_EQ(stock("A"), 10.0);
}

TEST_F(Stock, SoldQuantitiesAreRoundedToFourDecimals)
{
    addArticle("A", "1", "1", 1);
    Document sale = newDocument("Vendite");
    addLine(sale, "A", "ValoreScarico", 0.1);
    sale.lines->SetValue("ValoreScarico", 0.2);
    sale.lines->Update();
    EXPECT_EQ(stock("A"), 0.8) << "no binary noise left in the stock";
}

TEST_F(Stock, AnArticleWithoutSellingPriceKeepsItsStock)
{
    addArticle("Z", "0", "0", 4);
    Document sale = newDocument("Vendite");
    addLine(sale, "Z", "ValoreScarico", 3);
    EXPECT_EQ(stock("Z"), 4.0);
}

TEST_F(Stock, ASaleLineMovedToAnotherArticleMovesTheStock)
{
    addArticle("A", "1", "1", 10);
    addArticle("B", "2", "1", 10);
    Document sale = newDocument("Vendite");
    addLine(sale, "A", "ValoreScarico", 4);
    ASSERT_TRUE(sale.lines->SetParentByKey("B"));
    sale.lines->Update();
    EXPECT_EQ(stock("A"), 10.0);
    EXPECT_EQ(stock("B"), 6.0);
    EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), eur("8"));
}

// A unit amount above the configured maximum is refused and everything stays as it was;
// a line without quantity is judged by its whole amount (there is no unit amount).
TEST_F(Stock, UnitAmountsAboveTheMaximumAreRefused)
{
    settings().ImportoMaxArticolo = 100;
    struct Case {
        const char* name;
        const char* price;
        double quantity;   // set before the article is chosen
        const char* typedAmount;   // then typed over the computed amount; null: none
        bool refused;
    };
    const Case cases[] = {
        {"125 a unit, 2 units", "125", 2, nullptr, true},    {"100 a unit, 2 units", "100", 2, nullptr, false},
        {"100.01 for 1", "100.01", 1, nullptr, true},        {"return of 2 at 125", "125", -2, nullptr, false},
        {"250 typed for no quantity", "10", 0, "250", true}, {"50 typed for no quantity", "10", 0, "50", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString code = QString("M%1").arg(++n);
        addArticle(code, c.price, "1", 10);
        Document sale = newDocument("Vendite");
        shop.sink().refusals.clear();
        sale.lines->NewRow();
        sale.lines->SetValue("ValoreScarico", c.quantity);
        ASSERT_TRUE(sale.lines->SetParentByKey(code));
        if (c.typedAmount) {
            ASSERT_FALSE(sale.lines->WasRefused());
            sale.lines->SetValue("ImportoScarico", money(c.typedAmount));
            EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), c.refused ? Currency() : eur(c.typedAmount));
        } else if (c.refused) {
            EXPECT_TRUE(sale.lines->GetParentKey().isNull()) << "the article was not taken";
            EXPECT_EQ(stock(code), 10.0);
        }
        EXPECT_EQ(sale.lines->WasRefused(), c.refused);
        EXPECT_EQ(shop.sink().refusals,
                  c.refused ? QStringList {"Importo Articolo superiore al massimo consentito (100)"} : QStringList {});
    }
}

// A stored line whose amount is typed or pushed above the maximum keeps amount, points and stock.
TEST_F(Stock, ARefusedAmountLeavesLineAndStockAsTheyWere)
{
    settings().ImportoMaxArticolo = 100;
    addArticle("A", "90", "1", 10);
    Document sale = newDocument("Vendite");
    addLine(sale, "A", "ValoreScarico", 2);
    ASSERT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), eur("180"));
    struct Case {
        const char* field;
        QVariant value;
    };
    const Case cases[] = {
        {"ImportoScarico", money("250")},   // 125.00 a unit
        {"PuntiPremio", qint64(500)},   // 180.00 + 25.00 for 2 units
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        shop.sink().refusals.clear();
        sale.lines->SetValue(c.field, c.value);
        EXPECT_TRUE(sale.lines->WasRefused());
        EXPECT_EQ(shop.sink().refusals, QStringList {"Importo Articolo superiore al massimo consentito (100)"});
        EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), eur("180"));
        EXPECT_EQ(sale.lines->GetValue("PuntiPremio").toLongLong(), 0);
        EXPECT_EQ(sale.lines->GetFieldValue("ValoreScorta").toDouble(), 8.0);
    }
    sale.lines->Update();
    EXPECT_EQ(stock("A"), 8.0);
    EXPECT_EQ(shop.rawScalar("SELECT ImportoScarico FROM ScaricoArticoli").toDouble(), 180.0);
}

// A new line refused for its article's price: the refused amount goes with the article, so
// the sale's total and lines stay as they were, saved or not.
TEST_F(Stock, ANewLineRefusedForItsArticleLeavesTheSaleAsItWas)
{
    settings().ImportoMaxArticolo = 100;
    addArticle("A", "125", "1", 10);
    Document sale = newDocument("Vendite");
    sale.lines->NewRow();
    sale.lines->SetValue("ValoreScarico", 2.0);
    ASSERT_TRUE(sale.lines->SetParentByKey("A"));
    EXPECT_TRUE(sale.lines->WasRefused());
    EXPECT_EQ(shop.sink().refusals, QStringList {"Importo Articolo superiore al massimo consentito (100)"});
    EXPECT_TRUE(sale.lines->GetParentKey().isNull());
    EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), Currency());
    EXPECT_EQ(sale.head->GetCurrencyValue("ImportoVendita"), Currency());
    EXPECT_EQ(stock("A"), 10.0);

    // Dropped: no line, no amount.
    sale.lines->CancelUpdate();
    EXPECT_EQ(shop.select("ScaricoArticoli")->RowCount(), 0);
    EXPECT_EQ(sale.head->GetReference("Articoli")->RowCount(), 0);
    EXPECT_EQ(sale.head->GetCurrencyValue("ImportoVendita"), Currency());

    // Saved all the same: a line without article and amount, which the total does not count.
    sale.lines->NewRow();
    sale.lines->SetValue("ValoreScarico", 2.0);
    ASSERT_TRUE(sale.lines->SetParentByKey("A"));
    sale.lines->Update();
    sale.head->Update();
    EXPECT_EQ(sale.head->GetCurrencyValue("ImportoVendita"), Currency());
    EXPECT_EQ(shop.rawScalar("SELECT ImportoVendita FROM Vendite").toDouble(), 0.0);
    EXPECT_EQ(shop.rawScalar("SELECT ImportoScarico FROM ScaricoArticoli").toDouble(), 0.0);
    EXPECT_EQ(stock("A"), 10.0);
}

// ---- Discounts --------------------------------------------------------------------------------

TEST_F(Stock, ChoosingTheArticleAppliesEveryMatchingDiscount)
{
    addArticle("A", "10", "5", 10);
    addArticle("B", "10", "5", 10);
    shop.select("Clienti")->AddRow({"Descrizione", "Rossi", "Codice", "C1", "CalcolaPunti", true});
    shop.select("Clienti")->AddRow({"Descrizione", "Bianchi", "Codice", "C2", "CalcolaPunti", true});
    auto rules = shop.select("ConfigurazioneSconti");
    const auto addRule = [&](const char* name, const char* discount, bool points, const char* ref, const char* key) {
        rules->NewRow();
        rules->SetValue("Descrizione", name);
        rules->SetValue("ImportoSconto", money(discount));
        rules->SetValue("CalcoloPuntiClienti", points);
        rules->SetReferenceByKey(ref, key);
        rules->Update();
    };
    addRule("Deposito predefinito", "0.5", true, "SoloDeposito", "");
    addRule("Solo A", "1", true, "SoloArticolo", "A");
    addRule("Solo Rossi senza punti", "3", false, "SoloCliente", "C1");
    addRule("Solo Bianchi", "7", true, "SoloCliente", "C2");

    Document sale = newDocument("Vendite");
    sale.head->SetReferenceByKey("Cliente", "C1");
    sale.head->Update();
    shop.sink().warnings.clear();
    addLine(sale, "A", "ValoreScarico", 1);
    EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoSconto"), eur("1.5"))
        << "the deposit's and the article's rules add up";
    EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), eur("8.5"));
    EXPECT_EQ(shop.sink().warnings,
              QStringList {"<INFORMAZIONE>\r\rSono stati identificati sconti multipli per la combinazione Cliente, "
                           "Deposito o Articolo selezionati..."});

    shop.sink().warnings.clear();
    ASSERT_TRUE(sale.lines->SetParentByKey("B"));
    EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoSconto"), eur("0.5"));
    EXPECT_EQ(sale.lines->GetCurrencyValue("ImportoScarico"), eur("9.5"));
    EXPECT_TRUE(shop.sink().warnings.isEmpty());
}

}   // namespace
