// Discount rules: what a rule must name, the deposit dropped from a rule for an article, and
// the discount a sale line takes from the rules that match it.
#include "SalesShop.h"
#include "objdb/TableObject.h"

namespace {

const QString kNoSelection = "Devi specificare almeno una delle selezioni Deposito, Cliente o Articolo";
const QString kNoAmount = "Devi specificare l'importo dello sconto";
const QString kMultiple = QString("<INFORMAZIONE>") + "\r\r"
    + "Sono stati identificati sconti multipli per la combinazione Cliente, Deposito o Articolo selezionati...";

class Discounts : public SalesShop {
protected:
    void SetUp() override
    {
        SalesShop::SetUp();
        shop.select("Depositi")->AddRow({"Deposito", "MAG2", "Descrizione", "Secondo magazzino"});
        rossi = addCustomer("Rossi", "C1");
        article = addArticle("A1", "10", 100);
    }

    qint64 rossi = 0;
    qint64 article = 0;
};

TEST_F(Discounts, ARuleNamesASelectionAndAnAmountAndAnArticleHoldsForEveryDeposit)
{
    struct Case {
        const char* name;
        QVariant deposit, customer, articleCode, amount;
        QString refusal;
        bool depositKept;
    };
    const QVariant none;
    const Case cases[] = {
        {"customer only", none, "C1", none, money("1.50"), QString(), false},
        {"deposit and customer", "MAG2", "C1", none, money("2"), QString(), true},
        {"deposit and article", "MAG2", none, "A1", money("3"), QString(), false},
        {"deposit only", "MAG2", none, none, money("4"), QString(), true},
        {"no amount given", none, "C1", "A1", none, QString(), false},
        {"amount 0", "MAG2", "C1", none, money("0"), kNoAmount, true},
        {"amount 0 for an article", none, none, "A1", money("0"), kNoAmount, false},
        {"no selection", none, none, none, money("1"), kNoSelection, false},
        {"nothing at all", none, none, none, money("0"), kNoSelection, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString description = QString("Sconto %1").arg(++n);
        shop.sink().refusals.clear();
        auto rules = shop.select("ConfigurazioneSconti");
        QVariantList pairs {"Descrizione", description};
        if (!c.amount.isNull()) pairs << "ImportoSconto" << c.amount;
        if (!c.deposit.isNull()) pairs << "SoloDeposito" << c.deposit;
        if (!c.customer.isNull()) pairs << "SoloCliente" << c.customer;
        if (!c.articleCode.isNull()) pairs << "SoloArticolo" << c.articleCode;
        if (!c.refusal.isEmpty()) {
            EXPECT_THROW(rules->AddRow(pairs), AppError);
            EXPECT_EQ(shop.sink().refusals, QStringList {c.refusal});
            EXPECT_EQ(count("ConfigurazioneSconti", "Descrizione='" + description + "'"), 0);
            continue;
        }
        rules->AddRow(pairs);
        EXPECT_TRUE(shop.sink().refusals.isEmpty());
        auto stored = shop.select("ConfigurazioneSconti", "Descrizione='" + description + "'");
        ASSERT_FALSE(stored->IsEmpty());
        EXPECT_EQ(!stored->IsFieldEmpty("SoloDeposito"), c.depositKept);
        if (c.depositKept) {
            EXPECT_EQ(stored->GetReference("SoloDeposito")->GetText("Deposito"), "MAG2");
        }
        EXPECT_EQ(stored->IsFieldEmpty("SoloCliente"), c.customer.isNull());
        EXPECT_EQ(stored->IsFieldEmpty("SoloArticolo"), c.articleCode.isNull());
        EXPECT_EQ(stored->GetValue("ImportoSconto"), c.amount);
        EXPECT_TRUE(stored->GetBoolValue("CalcoloPuntiClienti"));
    }
}

// A line would take the discounts of both rules: the second is refused. An empty selection is
// a value like any other, and the points setting is no part of the combination.
TEST_F(Discounts, NoTwoRulesShareTheirCombinationOfDepositCustomerAndArticle)
{
    const QString kSame = QString::fromUtf8("Esiste già un elemento di <ConfigurazioneSconti> con lo stesso valore di: "
                                            "SoloDeposito, SoloCliente, SoloArticolo");
    struct Case {
        const char* name;
        QVariantList first, second;
        bool refused;
    };
    const Case cases[] = {
        {"customer alone twice", {"SoloCliente", "C1"}, {"SoloCliente", "C1"}, true},
        {"deposit alone twice", {"SoloDeposito", "MAG2"}, {"SoloDeposito", "MAG2"}, true},
        {"article alone twice", {"SoloArticolo", "A1"}, {"SoloArticolo", "A1"}, true},
        {"article, the deposit dropped", {"SoloArticolo", "A1"}, {"SoloDeposito", "MAG2", "SoloArticolo", "A1"}, true},
        {"deposit and customer twice",
         {"SoloDeposito", "MAG2", "SoloCliente", "C1"},
         {"SoloCliente", "C1", "SoloDeposito", "MAG2"},
         true},
        {"customer and article twice",
         {"SoloCliente", "C1", "SoloArticolo", "A1"},
         {"SoloArticolo", "A1", "SoloCliente", "C1"},
         true},
        {"other points setting",
         {"SoloCliente", "C1", "CalcoloPuntiClienti", true},
         {"SoloCliente", "C1", "CalcoloPuntiClienti", false},
         true},
        {"customer, then customer in a deposit",
         {"SoloCliente", "C1"},
         {"SoloCliente", "C1", "SoloDeposito", "MAG2"},
         false},
        {"customer, then customer and article",
         {"SoloCliente", "C1"},
         {"SoloCliente", "C1", "SoloArticolo", "A1"},
         false},
        {"customer, then article", {"SoloCliente", "C1"}, {"SoloArticolo", "A1"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shop.sink().refusals.clear();
        auto rules = shop.select("ConfigurazioneSconti");
        rules->AddRow(QVariantList {"Descrizione", "Primo", "ImportoSconto", money("1")} + c.first);
        const QVariantList second = QVariantList {"Descrizione", "Secondo", "ImportoSconto", money("2")} + c.second;
        if (c.refused) {
            EXPECT_THROW(rules->AddRow(second), AppError);
            EXPECT_EQ(shop.sink().refusals, QStringList {kSame});
        } else {
            EXPECT_NO_THROW(rules->AddRow(second));
            EXPECT_TRUE(shop.sink().refusals.isEmpty());
        }
        EXPECT_EQ(count("ConfigurazioneSconti"), c.refused ? 1 : 2);
        auto all = shop.select("ConfigurazioneSconti");
        ASSERT_TRUE(all->DeleteRows());
    }
}

// A general rule and one for the article both match: no precedence, the discounts add up.
TEST_F(Discounts, ALineTakesTheSumOfEveryMatchingRuleWithAWarning)
{
    auto rules = shop.select("ConfigurazioneSconti");
    rules->AddRow({"Descrizione", "Per Rossi", "SoloCliente", "C1", "ImportoSconto", money("1")});
    rules->AddRow({"Descrizione", "Per A1", "SoloArticolo", "A1", "ImportoSconto", money("0.50")});
    const qint64 other = addArticle("B2", "8", 100);
    shop.sink().warnings.clear();

    auto sale = newSale(rossi);
    const qint64 a1 = addLine(*sale, article, 2);
    EXPECT_EQ(shop.sink().warnings, QStringList {kMultiple});
    auto line = shop.select("ScaricoArticoli", QString("OID=%1").arg(a1));
    EXPECT_EQ(line->GetCurrencyValue("ImportoSconto"), eur("1.50"));
    EXPECT_EQ(line->GetCurrencyValue("ImportoScarico"), eur("18.50"));

    shop.sink().warnings.clear();
    const qint64 b2 = addLine(*sale, other, 1);
    EXPECT_TRUE(shop.sink().warnings.isEmpty());
    EXPECT_EQ(shop.select("ScaricoArticoli", QString("OID=%1").arg(b2))->GetCurrencyValue("ImportoSconto"), eur("1"));
    EXPECT_EQ(sale->GetCurrencyValue("ImportoVendita"), eur("25.50"));
}

// The sale's customer decides the discount of every line: changing it prices them again.
TEST_F(Discounts, ChangingTheCustomerPricesEveryLineAgain)
{
    shop.select("ConfigurazioneSconti")
        ->AddRow({"Descrizione", "Per Rossi", "SoloCliente", "C1", "ImportoSconto", money("2")});
    const qint64 bianchi = addCustomer("Bianchi", "C2");
    auto sale = newSale(bianchi);
    const qint64 first = addLine(*sale, article, 1);
    const qint64 second = addLine(*sale, article, 3);
    ASSERT_EQ(sale->GetCurrencyValue("ImportoVendita"), eur("40"));

    sale->SetReferenceOID("Cliente", rossi);
    sale->Update();
    for (qint64 oid : {first, second}) EXPECT_EQ(storedMoney("ScaricoArticoli", "ImportoSconto", oid), eur("2"));
    EXPECT_EQ(storedMoney("ScaricoArticoli", "ImportoScarico", first), eur("8"));
    EXPECT_EQ(storedMoney("ScaricoArticoli", "ImportoScarico", second), eur("28"));
    EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", sale->GetOID()), eur("36"));
    EXPECT_DOUBLE_EQ(storedStock(article), 96.0) << "pricing a line again moves no stock";

    sale->SetReferenceOID("Cliente", bianchi);
    sale->Update();
    EXPECT_EQ(storedMoney("Vendite", "ImportoVendita", sale->GetOID()), eur("40"));
}

}   // namespace
