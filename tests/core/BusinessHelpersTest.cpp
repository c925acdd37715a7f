// Discounts of a sale line, loyalty points, progressive codes, the customer card and the
// amounts in the database's currency.
#include "BusinessFixture.h"
#include "base/AppError.h"
#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "core/seams/CustomerCardWriter.h"
#include "HeadlessGuard.h"
#include "TestEnvironment.h"
#include <gtest/gtest.h>

using namespace business;

namespace {

class Helpers : public ::testing::Test {
protected:
    void TearDown() override { setCustomerCardWriter(nullptr); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    Shop shop {testenv::newDir("helpers") + "/Mirtavolia.mdb"};
};

// ---- FindDiscount ------------------------------------------------------------------------------

class Discounts : public Helpers {
protected:
    void SetUp() override
    {
        Helpers::SetUp();
        shop.select("Depositi")->AddRow({"Deposito", "", "Descrizione", "Predefinito"});
        shop.select("Depositi")->AddRow({"Deposito", "Retro", "Descrizione", "Magazzino"});
        addArticle("A", "");
        addArticle("B", "Retro");
        shop.select("Clienti")->AddRow({"Descrizione", "Rossi", "Codice", "C1", "CalcolaPunti", true});
        shop.select("Clienti")->AddRow({"Descrizione", "Verdi", "Codice", "C2", "CalcolaPunti", false});
    }
    void addArticle(const QString& code, const QString& deposit)
    {
        auto a = shop.select("Articoli", "OID = 0");
        a->NewRow();
        a->SetValue("Codice", code);
        a->SetValue("PrezzoVendita", money("10"));
        a->SetReferenceByKey("Deposito", deposit);
        a->Update();
    }
    // A rule; an empty key leaves that part open.
    void addRule(const char* name, const char* discount, bool points, const QString& article = QString(),
                 const QString& deposit = QString(), const QString& customer = QString())
    {
        auto r = shop.select("ConfigurazioneSconti", "OID = 0");
        r->NewRow();
        r->SetValue("Descrizione", name);
        r->SetValue("ImportoSconto", money(discount));
        r->SetValue("CalcoloPuntiClienti", points);
        if (!article.isEmpty()) r->SetReferenceByKey("SoloArticolo", article);
        if (!deposit.isEmpty()) r->SetReferenceOID("SoloDeposito", depositOid(deposit));
        if (!customer.isEmpty()) r->SetReferenceByKey("SoloCliente", customer);
        r->Update();
    }
    qint64 depositOid(const QString& name)
    {
        return shop
            .scalar(name == "-" ? "SELECT OID FROM Depositi WHERE Deposito = ''"
                                : "SELECT OID FROM Depositi WHERE Deposito = '" + name + "'")
            .toLongLong();
    }
    // The discount FindDiscount writes on a line of `article` in a sale of `customer`.
    Currency discountFor(const QString& article, const QString& customer)
    {
        auto sale = shop.select("Vendite", "OID = 0");
        sale->NewRow();
        if (!customer.isEmpty()) sale->SetReferenceByKey("Cliente", customer);
        sale->Update();
        auto lines = sale->GetReference("Articoli");
        lines->NewRow();
        EXPECT_TRUE(lines->SetParentByKey(article));
        lines->SetValue("ImportoSconto", money("99"));
        FindDiscount(*lines);
        return lines->GetCurrencyValue("ImportoSconto");
    }
};

TEST_F(Discounts, WithoutRulesTheDiscountIsZero)
{
    EXPECT_EQ(discountFor("A", "C1"), Currency());
    EXPECT_TRUE(shop.sink.warnings.isEmpty());
}

TEST_F(Discounts, EveryMatchingRuleAddsUpAndSeveralAreReported)
{
    addRule("Tutti", "0.5", true);
    addRule("Solo A", "1", true, "A");
    addRule("Solo retro", "2", true, QString(), "Retro");
    addRule("Solo Rossi", "4", true, QString(), QString(), "C1");
    addRule("Senza punti", "8", false);
    addRule("Solo B, Verdi, senza punti", "16", false, "B", QString(), "C2");

    struct Case {
        const char* article;
        const char* customer;
        const char* discount;
        bool warned;
    };
    const Case cases[] = {
        {"A", "C1", "5.5", true},   // general + article + customer
        {"B", "C1", "6.5", true},   // general + deposit + customer
        {"A", "C2", "8", false},   // only the rules for customers without points
        {"B", "C2", "24", true},  {"A", "", "8", false},   // no customer: its points setting reads as off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1/%2").arg(c.article, c.customer).toStdString());
        shop.sink.warnings.clear();
        EXPECT_EQ(discountFor(c.article, c.customer), eur(c.discount));
        EXPECT_EQ(shop.sink.warnings,
                  c.warned
                      ? QStringList {"<INFORMAZIONE>\r\rSono stati identificati sconti multipli per la combinazione "
                                     "Cliente, Deposito o Articolo selezionati..."}
                      : QStringList {});
    }
}

// ---- Points ------------------------------------------------------------------------------------

TEST_F(Helpers, PointsAreWholeUnitsOfTheAmountWithItsSign)
{
    struct Case {
        double perPoint;
        const char* amount;
        int64_t points;
    };
    const Case cases[] = {
        {1, "-7.9", -7}, {1, "7.9", 7},   {10, "99.99", 9}, {10, "100", 10}, {0, "500", 0},
        {2.5, "-5", -2}, {0.05, "1", 20}, {-10, "25", -3},   // a negative divisor rounds down, as Int does
    };
    for (const Case& c : cases) {
        settings().ImportoPunto = c.perPoint;
        EXPECT_EQ(PointsForAmount(eur(c.amount)), c.points) << c.perPoint << " " << c.amount;
    }
}

TEST_F(Helpers, PrizePointsAddTheLinesAmountWorth)
{
    shop.select("Articoli")->AddRow({"Codice", "A", "PrezzoVendita", money("1")});
    auto sale = shop.select("Vendite", "OID = 0");
    sale->NewRow();
    sale->Update();
    auto lines = sale->GetReference("Articoli");
    lines->NewRow();
    lines->SetValue("ImportoScarico", money("-7.9"));
    lines->SetValue("PuntiPremio", qint64(0));
    settings().ImportoPunto = 1;
    EXPECT_EQ(ComputePrizePoints(*lines), -7);
    lines->SetValue("PuntiPremio", qint64(3));
    lines->SetValue("ImportoScarico", money("12"));
    EXPECT_EQ(ComputePrizePoints(*lines), 15);
    settings().ImportoPunto = 0;
    EXPECT_EQ(ComputePrizePoints(*lines), 0);
    settings().ImportoPunto = 1;
    auto none = shop.select("ScaricoArticoli", "OID = 0");
    EXPECT_EQ(ComputePrizePoints(*none), 0);
}

TEST_F(Helpers, CustomerPointsLessThoseOfThisSale)
{
    shop.select("Clienti")->AddRow({"Descrizione", "Rossi", "Codice", "C1", "Punti", qint64(40)});
    auto sale = shop.select("Vendite", "OID = 0");
    sale->NewRow();
    sale->SetValue("Punti", qint64(12));
    EXPECT_EQ(UpdateCustomerPoints(*sale), -12);
    sale->SetReferenceByKey("Cliente", "C1");
    EXPECT_EQ(UpdateCustomerPoints(*sale), 28);
    EXPECT_EQ(UpdateCustomerPoints(*shop.select("Vendite", "OID = 0")), 0);
}

// ---- Codes -------------------------------------------------------------------------------------

TEST_F(Helpers, ProgressiveCodesFollowTheHighestWithLeadingZeros)
{
    auto customers = shop.select("Clienti", "OID = 0");
    customers->NewRow();
    AssignProgressiveCode(*customers, "Codice", 6);
    EXPECT_EQ(customers->GetText("Codice"), "000001");
    customers->SetValue("Descrizione", "Primo");
    customers->Update();
    shop.select("Clienti")->AddRow({"Descrizione", "Secondo", "Codice", "000041"});
    customers->NewRow();
    AssignProgressiveCode(*customers, "Codice", 6);
    EXPECT_EQ(customers->GetText("Codice"), "000042");
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(Helpers, ProgressiveCodesCountOnlyDigitCodesOfTheirLengthAndAreNeverInUse)
{
    struct Case {
        QStringList stored;
        int length;
        const char* expected;
    };
    const Case cases[] = {
        // Codes typed by hand sort above the digits: they must not restart the count.
        {{"000001", "C1", "C2"}, 6, "000002"},
        {{"000007", "123", "12345678", "C9"}, 6, "000008"},
        {{"999999"}, 6, "1000000"},
        {{"999999", "1000000"}, 6, "1000001"},
        {{"C1"}, 6, "000001"},
        // Without a length the longest digit codes hold the highest number.
        {{"7", "10", "C5"}, 0, "11"},
    };
    for (const Case& c : cases) {
        Shop codes {testenv::newDir("codes") + "/Mirtavolia.mdb"};
        for (const QString& stored : c.stored)
            codes.select("Clienti")->AddRow({"Descrizione", "Cliente " + stored, "Codice", stored});
        auto customers = codes.select("Clienti", "OID = 0");
        customers->NewRow();
        AssignProgressiveCode(*customers, "Codice", c.length);
        EXPECT_EQ(customers->GetText("Codice"), c.expected) << c.stored.join(' ').toStdString();
        customers->SetValue("Descrizione", "Nuovo");
        EXPECT_NO_THROW(customers->Update()) << c.stored.join(' ').toStdString();
    }
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(Helpers, AFailedProgressiveCodeIsShownAndTheRowLeftAsItWas)
{
    auto customers = shop.select("Clienti", "OID = 0");
    customers->NewRow();
    customers->SetValue("Codice", "X");
    AssignProgressiveCode(*customers, "Inesistente", 6);
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_TRUE(ui->prompts()[0].endsWith("\r\rControllare le impostazioni...")) << ui->prompts()[0].toStdString();
    EXPECT_EQ(customers->GetText("Codice"), "X");
}

// ---- Customer card -----------------------------------------------------------------------------

class FakeCardDialog : public CustomerCardWriter {
public:
    bool WriteCode(QWidget*, const QString& code, const QString& a, const QString& b, bool flag, int32_t level) override
    {
        calls << QString("%1|%2|%3|%4|%5").arg(code, a, b).arg(flag).arg(level);
        return succeed;
    }
    QStringList calls;
    bool succeed = true;
};

class Cards : public Helpers {
protected:
    void SetUp() override
    {
        Helpers::SetUp();
        setCustomerCardWriter(&dialog);
    }
    std::unique_ptr<TableData> customer(const QVariant& assigned, bool points)
    {
        shop.select("Clienti")->AddRow(
            {"Descrizione", "Rossi", "Codice", "000007", "CalcolaPunti", points, "AssegnatoCartaCliente", assigned});
        return shop.select("Clienti", "Codice = '000007'");
    }
    QVariant storedMark() { return shop.scalar("SELECT AssegnatoCartaCliente FROM Clienti"); }

    FakeCardDialog dialog;
    const QString question
        = QString::fromUtf8("Cliente:   Rossi\rCodice:   000007\r\rQuesta operazione scrive il codice "
                            "del cliente nella carta...\r\rATTENZIONE: assicurarsi che la carta da "
                            "impostare sia quella giusta!\r\rContinuare ?");
    const QString already
        = QString::fromUtf8("La carta del cliente selezionato risulta già assegnata, proseguire con la "
                            "creazione di un'altra carta ?");
};

TEST_F(Cards, AWrittenCardMarksTheCustomer)
{
    auto c = customer(QVariant(), false);
    ui->addAnswer("Yes");
    WriteCustomerCard(*c, nullptr);
    EXPECT_EQ(dialog.calls, QStringList {"000007|||1|0"});
    EXPECT_EQ(storedMark().toLongLong(), 1) << "a customer never marked is marked too";
    EXPECT_EQ(ui->prompts(),
              (QStringList {question,
                            QString::fromUtf8("OK\r\rLa carta 000007 del cliente < Rossi > è stata "
                                              "creata correttamente.\r\rN.B.: Il calcolo dei punti "
                                              "non è stato attivato per il cliente")}));
}

TEST_F(Cards, AMarkedCustomerIsAskedAboutAndKeepsTheMark)
{
    auto c = customer(true, true);
    ui->addAnswer("Yes");
    ui->addAnswer("Yes");
    WriteCustomerCard(*c, nullptr);
    EXPECT_EQ(ui->prompts(),
              (QStringList {already, question,
                            QString::fromUtf8("OK\r\rLa carta 000007 del cliente < Rossi > è stata creata "
                                              "correttamente.")}));
    EXPECT_FALSE(c->IsChanged());
    EXPECT_EQ(storedMark().toLongLong(), 1);
}

TEST_F(Cards, ANoOrAFailedWriteChangesNothing)
{
    struct Case {
        const char* name;
        QVariant assigned;
        QStringList answers;
        bool writerSucceeds;
        int writes;
    };
    const Case cases[] = {
        {"No to the card already assigned", true, {"No"}, true, 0},
        {"No to the confirmation", false, {"No"}, true, 0},
        {"the card could not be written", false, {"Yes"}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shop.engine->GetConnection().Execute("DELETE FROM Clienti");
        auto row = customer(c.assigned, true);
        dialog.calls.clear();
        dialog.succeed = c.writerSucceeds;
        ui->clearLog();
        for (const QString& a : c.answers) ui->addAnswer(a);
        WriteCustomerCard(*row, nullptr);
        EXPECT_EQ(dialog.calls.size(), c.writes);
        EXPECT_EQ(storedMark().toBool(), c.assigned.toBool());
        EXPECT_EQ(ui->prompts().size(), c.answers.size()) << "no message after the last answer";
    }
}

TEST_F(Cards, WithoutACardDialogTheWriteIsAnError)
{
    setCustomerCardWriter(nullptr);
    auto c = customer(false, true);
    ui->addAnswer("Yes");
    EXPECT_THROW(WriteCustomerCard(*c, nullptr), AppError);
    EXPECT_EQ(storedMark().toLongLong(), 0);
}

// ---- Amounts -----------------------------------------------------------------------------------

TEST_F(Helpers, AmountsTakeTheDatabasesCurrencyBeforeTheQuantity)
{
    shop.select("Articoli")->AddRow({"Codice", "A"});
    auto a = shop.select("Articoli");
    shop.db->SetCurrency(std::make_shared<EuroCurrencyInfo>());
    EXPECT_EQ(ComputeConvertedAmount(*a, eur("2.345"), 3), eur("7.05"));   // 2.35 x 3
    EXPECT_EQ(ComputeConvertedAmount(*a, eur("1.5"), 0.5), eur("0.75"));
    EXPECT_EQ(ConvertFromConversionCurrency(*shop.db, eur("193627")), eur("100"));
    EXPECT_EQ(ConvertFromConversionCurrency(*shop.db, eur("1000")), eur("0.52"));
    shop.db->SetCurrency(std::make_shared<OtherCurrencyInfo>());
    EXPECT_EQ(ConvertFromConversionCurrency(*shop.db, eur("1000")), eur("1000")) << "no conversion currency";
}

TEST_F(Helpers, QuantitiesRoundToFourDecimalsHalfToEven)
{
    const std::pair<double, double> cases[] = {
        {0.1 + 0.2, 0.3}, {10.0 - 9.9, 0.1}, {-2.71828, -2.7183}, {12345.6789, 12345.6789}, {0.00001, 0.0},
    };
    for (const auto& [value, rounded] : cases) EXPECT_DOUBLE_EQ(RoundQuantity(value), rounded) << value;
}

}   // namespace
