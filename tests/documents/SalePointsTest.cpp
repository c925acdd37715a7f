// Loyalty points in the sale: the points label, prizes on sale rows (the predefined prize,
// a row as the prize, the partial and forced prizes, a prize spread over the rows), the
// prize button's signal, vouchers, and the customer found by a card. Points meet amounts in
// exact decimal arithmetic.
#include "CounterShop.h"
#include "documents/SaleDocument.h"
#include "documents/SalePoints.h"

#include "core/configuration/Configuration.h"
#include "core/seams/CustomerCardWriter.h"

#include <QLocale>

namespace {

class SalePrizes : public CounterShop {
protected:
    void SetUp() override
    {
        CounterShop::SetUp();
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        settings().Use_PuntiPremio = true;
        // Amounts earn no points here, so the customer's points are those each test gives.
        settings().ImportoPunto = 0;
        settings().ImportoPuntoPremio = 0.05;
        settings().PuntiMinPremio = 1000;
        setSetting(QStringLiteral("Vendite"), QStringLiteral("PagamentoDefault"),
                   QString::number(keyOf(QStringLiteral("TipiPagamento"), QStringLiteral("Contanti"))));
    }
    void TearDown() override
    {
        sale.reset();
        QLocale::setDefault(m_locale);
        CounterShop::TearDown();
    }

    // A new sale for a new customer holding `points`, with one row per amount.
    void saleOf(qint64 points, const std::vector<const char*>& amounts, bool collects = true)
    {
        ++m_sales;
        customer = addCustomer(QStringLiteral("Cliente %1").arg(m_sales), QStringLiteral("C%1").arg(m_sales), collects,
                               points);
        setSetting(QStringLiteral("Vendite"), QStringLiteral("ClienteDefault"), QString::number(customer));
        sale = std::make_unique<SaleDocument>(db(), op);
        sale->Load();
        ASSERT_TRUE(sale->Add_Vendita());
        rows.clear();
        for (size_t i = 0; i < amounts.size(); ++i) {
            const QString code = QStringLiteral("S%1R%2").arg(m_sales).arg(i);
            addArticle(code, amounts[i], 100);
            const DocumentRows::Result r = sale->rowEntry().AddArticle(code);
            rows.push_back(r.row);
        }
        sale->Refresh_Articoli();
        clearPrompts();
    }
    std::vector<qint64> prizes()
    {
        std::vector<qint64> out;
        for (qint64 oid : rows)
            out.push_back(
                row(QStringLiteral("ScaricoArticoli"), oid)->GetFieldValue(QStringLiteral("PuntiPremio")).toLongLong());
        return out;
    }
    SalePoints& points() { return sale->points(); }

    std::unique_ptr<SaleDocument> sale;
    std::vector<qint64> rows;
    qint64 customer = 0;

private:
    QLocale m_locale;
    int m_sales = 0;
};

TEST(PointsLabel, ShowsThePointsBeforeTheSaleTheSalesAndTheirTotal)
{
    EXPECT_EQ(PointsLabel(500, 12), QStringLiteral("500 + 12 = 512"));
    EXPECT_EQ(PointsLabel(1200, -970), QStringLiteral("1200 - 970 = 230"));
    EXPECT_EQ(PointsLabel(230, 0), QStringLiteral("230"));
}

TEST(PrizeArithmetic, WholePointsOfAnAmountAreCountedInDecimals)
{
    const std::tuple<const char*, const char*, qint64> cases[] = {
        {"0.70", "0.05", 14},   // 13.999... in binary floating point
        {"30", "0.05", 600},    {"0.04", "0.05", 0},
        {"-0.70", "0.05", -14}, {"-0.71", "0.05", -15},   // Int rounds toward minus infinity
        {"10", "0", 0},
    };
    for (const auto& [amount, value, points] : cases)
        EXPECT_EQ(WholePoints(eur(amount), eur(value)), points) << amount << " / " << value;
}

TEST_F(SalePrizes, TheLabelReadsTheCustomersPointsBeforeAndWithTheSale)
{
    saleOf(500, {"10"});
    sale->sale()->SetValue(QStringLiteral("Punti"), qint64(12));   // the rules give the customer the sale's points
    EXPECT_EQ(pointsOf(customer), 512);
    EXPECT_EQ(sale->header().pointsText, QStringLiteral("500 + 12 = 512"));
    sale->sale()->SetValue(QStringLiteral("Punti"), qint64(0));
    EXPECT_EQ(sale->header().pointsText, QStringLiteral("500"));

    saleOf(500, {"10"}, false);
    EXPECT_FALSE(sale->header().pointsShown) << "a customer who does not collect points";
    EXPECT_FALSE(sale->header().prizeEnabled);
}

TEST_F(SalePrizes, TheTipsTellWhatThePrizeOrAPointIsWorth)
{
    const SalePoints::Tips predefined = SalePoints::tips(db());
    EXPECT_EQ(predefined.points, QStringLiteral(" (il premio di 1000 punti vale Euro 50,00)"));
    EXPECT_EQ(predefined.prize, QStringLiteral(" (valore premio Euro 50,00)"));
    settings().PuntiMinPremio = 0;
    EXPECT_EQ(SalePoints::tips(db()).points, QStringLiteral(" (un punto vale Euro 0,05)"));
}

TEST_F(SalePrizes, PrizeCases)
{
    const QString distribute = QString::fromUtf8(
        "L'importo dell'elemento selezionato è inferiore al premio predefinito da assegnare di Euro 50,00\r\r"
        "Distribuire il premio per quanto possibile ?");
    const QString partial = QStringLiteral(
        "Non ci sono abbastanza punti per l'intero premio...\r\rVuoi effettuare la premiazione parziale ?");
    const QString forced
        = QStringLiteral("Non ci sono abbastanza punti (almeno 1000) per l'assegnazione del premio...\r\r"
                         "Vuoi effettuare la forzatura parziale ?");
    struct Case {
        const char* what;
        double minPrize;
        qint64 points;
        std::vector<const char*> amounts;
        QStringList answers;
        std::vector<qint64> expected;   // PuntiPremio of the rows after the prize on the first
        QString question;
    };
    const Case cases[] = {
        {"the predefined prize on a row worth it", 1000, 1200, {"80"}, {}, {-1000}, {}},
        {"a row below the prize: spread over the rows",
         1000,
         1200,
         {"30", "10", "25"},
         {"Yes"},
         {-600, -200, -200},
         distribute},
        {"spreading refused", 1000, 1200, {"30", "10", "25"}, {"No"}, {0, 0, 0}, distribute},
        {"no predefined prize, too few points for the row", 0, 300, {"20"}, {"Yes"}, {-300}, partial},
        {"no predefined prize, the row covered", 0, 300, {"10"}, {}, {-200}, {}},
        {"no predefined prize, 0.70 at 0.05 a point", 0, 300, {"0.70"}, {}, {-14}, {}},
        {"fewer points than the prize, forced on a larger row", 1000, 300, {"20"}, {"Yes"}, {-300}, forced},
        {"fewer points than the prize, forced on a smaller row", 1000, 300, {"10"}, {"Yes"}, {-200}, forced},
        {"forcing refused", 1000, 300, {"10"}, {"No"}, {0}, forced},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings().PuntiMinPremio = c.minPrize;
        saleOf(c.points, c.amounts);
        answer(c.answers);
        points().Premium(rows.front());
        EXPECT_EQ(prizes(), c.expected);
        EXPECT_EQ(prompts(), c.question.isEmpty() ? QStringList() : QStringList {c.question});
    }
}

TEST_F(SalePrizes, ThePrizeButtonOnARowWithAPrizeTakesItBack)
{
    saleOf(1200, {"80"});
    ASSERT_TRUE(points().Premium(rows.front()));
    EXPECT_EQ(prizes(), std::vector<qint64> {-1000});
    EXPECT_EQ(pointsOf(customer), 200);

    ASSERT_TRUE(points().Premium(rows.front()));
    EXPECT_EQ(prizes(), std::vector<qint64> {0});
    EXPECT_EQ(pointsOf(customer), 1200) << "the points come back";
    EXPECT_EQ(row(QStringLiteral("ScaricoArticoli"), rows.front())->GetCurrencyValue(QStringLiteral("ImportoScarico")),
              eur("80"));
}

TEST_F(SalePrizes, APrizeIsRefusedWithoutARowAPointValueOrPoints)
{
    saleOf(1200, {"80"});
    EXPECT_FALSE(points().Premium(0));
    settings().ImportoPuntoPremio = 0;
    EXPECT_FALSE(points().Premium(rows.front()));
    settings().ImportoPuntoPremio = 0.05;
    saleOf(0, {"80"});
    EXPECT_FALSE(points().Premium(rows.front()));
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("Non ci sono punti disponibili per il premio.")});

    saleOf(1200, {"80"});
    settings().ImportoPuntoPremio = 0;
    EXPECT_FALSE(points().Premium(rows.front()));
    EXPECT_EQ(prompts(),
              QStringList {QString::fromUtf8(
                  "N.B.: Non è stato impostato il valore di un punto relativo ai premi da assegnare")});
    EXPECT_EQ(prizes(), std::vector<qint64> {0});
}

TEST_F(SalePrizes, ThePrizeButtonBlinksWhenAPrizeIsWithinReachOfTheRow)
{
    saleOf(1200, {"80", "30"});
    const qint64 large = rows[0], small = rows[1];
    EXPECT_TRUE(points().RefreshPremioSignal(large).blink);
    EXPECT_FALSE(points().RefreshPremioSignal(small).blink) << "30 is less than the prize's 50";
    EXPECT_TRUE(points().RefreshPremioSignal(small).enabled);

    points().Premium(large);
    const SalePoints::PrizeSignal withPrize = points().RefreshPremioSignal(large);
    EXPECT_TRUE(withPrize.enabled && withPrize.bold);
    EXPECT_FALSE(withPrize.blink);

    sale->rowEntry().Decrement(small);
    sale->rowEntry().Decrement(small);
    EXPECT_FALSE(points().RefreshPremioSignal(small).enabled) << "a returned row";

    saleOf(1200, {"80"}, false);
    EXPECT_FALSE(points().RefreshPremioSignal(rows.front()).enabled) << "a customer who does not collect points";
}

TEST_F(SalePrizes, AnOpenVoucherIsOfferedAndUsedForWhatIsLeftOfIt)
{
    saleOf(0, {"30"});
    auto buoni = row(QStringLiteral("Clienti"), customer)->GetReference(QStringLiteral("Buoni"));
    buoni->AddRow({QStringLiteral("Descrizione"), QStringLiteral("Speso"), QStringLiteral("ImportoBuono"), money("5"),
                   QStringLiteral("ImportoUtilizzato"), money("5")});
    EXPECT_FALSE(points().customerHasOpenVouchers()) << "a voucher used up";
    const qint64 natale
        = buoni->AddRow({QStringLiteral("Descrizione"), QStringLiteral("Natale"), QStringLiteral("ImportoBuono"),
                         money("20"), QStringLiteral("ImportoUtilizzato"), money("5")});
    EXPECT_TRUE(points().customerHasOpenVouchers());

    op.picks = {natale};
    answer({QStringLiteral("No")});
    EXPECT_FALSE(points().UseVoucher());
    EXPECT_EQ(op.lastPickCount, 1) << "only the open voucher is offered";
    EXPECT_FALSE(points().saleUsesVouchers());

    op.picks = {natale};
    answer({QStringLiteral("Yes")});
    EXPECT_TRUE(points().UseVoucher());
    EXPECT_EQ(prompts().last(), QStringLiteral("Vuoi usare il buono [Natale] di 15,00 nella vendita corrente ?"));
    EXPECT_TRUE(points().saleUsesVouchers());
    EXPECT_EQ(sale->header().vouchers, eur("15"));
    EXPECT_FALSE(points().customerHasOpenVouchers());
}

TEST_F(SalePrizes, ACardFindsItsCustomerWhateverTheLetterCase)
{
    settings().Use_Badge = true;
    saleOf(0, {"30"});
    const qint64 before = customer;
    const qint64 card = addCustomer(QStringLiteral("Carta"), QStringLiteral("AB12"), true);

    op.card = QStringLiteral("ab12");
    EXPECT_EQ(points().ReadCard(), SalePoints::Card::Identified);
    EXPECT_EQ(sale->sale()->GetReferenceOID(QStringLiteral("Cliente")), card);
    EXPECT_EQ(mainWindow.status, QStringList {QStringLiteral("Codice carta < ab12 > identificato...")});

    op.card.clear();
    EXPECT_EQ(points().ReadCard(), SalePoints::Card::NotRead);
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("Codice carta non identificato...")});

    sale->sale()->SetReferenceOID(QStringLiteral("Cliente"), before);
    clearPrompts();
    op.card = QStringLiteral("ZZ9");
    answer({QStringLiteral("No")});
    EXPECT_EQ(points().ReadCard(), SalePoints::Card::NotFound);
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("Codice Cliente < ZZ9 > non trovato...\r\rVuoi inserirlo ?")});
    EXPECT_EQ(sale->sale()->GetReferenceOID(QStringLiteral("Cliente")), before) << "an unknown card changes nothing";

    answer({QStringLiteral("Yes")});
    op.newRowValues = {QStringLiteral("Descrizione"), QStringLiteral("Nuovo cliente")};
    EXPECT_EQ(points().ReadCard(), SalePoints::Card::Inserted);
    EXPECT_EQ(sale->header().counterpart, QStringLiteral("Nuovo cliente"));
    EXPECT_EQ(row(QStringLiteral("Clienti"), sale->sale()->GetReferenceOID(QStringLiteral("Cliente")))
                  ->GetValue(QStringLiteral("Codice"))
                  .toString(),
              QStringLiteral("ZZ9"));

    settings().Use_Badge = false;
    op.log.clear();
    EXPECT_EQ(points().ReadCard(), SalePoints::Card::NotRead);
    EXPECT_TRUE(op.log.isEmpty()) << "cards not in use";
}

// Writes every card it is asked to, and remembers the codes.
class RecordingCardWriter final : public CustomerCardWriter {
public:
    bool WriteCode(QWidget*, const QString& code, const QString&, const QString&, bool, int32_t) override
    {
        written << code;
        return true;
    }
    QStringList written;
};

TEST_F(SalePrizes, APickedCustomerWhoCollectsPointsIsOfferedTheCardNeverWritten)
{
    RecordingCardWriter writer;
    setCustomerCardWriter(&writer);
    saleOf(0, {"30"});
    const qint64 rossi = addCustomer(QStringLiteral("Rossi"), QStringLiteral("R77"), true, 5);
    const QString offer = QStringLiteral(
        "La carta relativa al cliente selezionato non risulta ancora assegnata...\r\rVuoi farlo adesso ?");

    op.picks = {rossi};
    EXPECT_TRUE(points().CheckCartaCliente(false, nullptr));
    EXPECT_TRUE(prompts().isEmpty()) << "no card can be written";
    EXPECT_EQ(sale->header().counterpart, QStringLiteral("Rossi"));

    op.picks = {rossi};
    answer({QStringLiteral("Yes"), QStringLiteral("Yes")});
    EXPECT_TRUE(points().CheckCartaCliente(true, nullptr));
    EXPECT_EQ(prompts().value(0), offer);
    EXPECT_EQ(writer.written, QStringList {QStringLiteral("R77")});
    EXPECT_TRUE(row(QStringLiteral("Clienti"), rossi)->GetBoolValue(QStringLiteral("AssegnatoCartaCliente")));

    clearPrompts();
    op.picks = {rossi};
    EXPECT_TRUE(points().CheckCartaCliente(true, nullptr));
    EXPECT_TRUE(prompts().isEmpty()) << "the card is written already";
    op.picks = {0};
    EXPECT_FALSE(points().CheckCartaCliente(true, nullptr));
    setCustomerCardWriter(nullptr);
}

}   // namespace
