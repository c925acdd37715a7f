// Vouchers and their uses in sales: a voucher's used amount is always the sum of its uses,
// a use never takes more than what is left, a refused use books nothing, and a sale offers
// only its customer's open vouchers.
#include "SalesShop.h"
#include "data/BuoniVendite.h"
#include "objdb/DBEngine.h"
#include "objdb/TableObject.h"

namespace {

const QString kOverRemaining = QString::fromUtf8("L'importo da utilizzare è superiore all'importo rimanente del buono");

class Vouchers : public SalesShop {
protected:
    void SetUp() override
    {
        SalesShop::SetUp();
        rossi = addCustomer("Rossi", "C1");
        voucher = addVoucher(rossi, "Buono Natale", "50");
        // An earlier sale took 20.00 of it.
        auto earlier = newSale(rossi);
        useInSale(*earlier, voucher, "20");
        shop.sink().refusals.clear();
    }

    // A use of the voucher added to the sale and stored; returns the uses' data set on it.
    std::unique_ptr<TableData> useInSale(TableData& sale, qint64 ofVoucher, const char* amount)
    {
        auto uses = sale.GetReference("BuoniUtilizzati");
        uses->NewRow();
        uses->SetParent(ofVoucher);
        uses->SetValue("ImportoUtilizzatoVendita", money(amount));
        uses->Update();
        sale.Update();
        return uses;
    }

    Currency used(qint64 oid) { return storedMoney("BuoniClienti", "ImportoUtilizzato", oid); }

    qint64 rossi = 0;
    qint64 voucher = 0;
};

TEST_F(Vouchers, AUseUpToWhatIsLeftIsBookedOnTheVoucherAndTheSale)
{
    auto sale = newSale(rossi);
    auto use = useInSale(*sale, voucher, "30");
    EXPECT_TRUE(shop.sink().refusals.isEmpty());
    EXPECT_EQ(used(voucher), eur("50"));
    EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), eur("30"));
    EXPECT_EQ(storedMoney("Vendite", "ImportoBuoni", sale->GetOID()), eur("30"));
}

// However the amount arrives, a refusal leaves the voucher's used amount as it was, in the
// row the program holds and in the file.
TEST_F(Vouchers, AUseAboveWhatIsLeftIsRefusedAndBooksNothing)
{
    auto sale = newSale(rossi);
    auto uses = sale->GetReference("BuoniUtilizzati");

    uses->NewRow();
    uses->SetParent(voucher);
    uses->SetValue("ImportoUtilizzatoVendita", money("30.01"));
    EXPECT_TRUE(uses->WasRefused());
    EXPECT_EQ(shop.sink().refusals, QStringList {kOverRemaining});
    EXPECT_EQ(uses->GetCurrencyValue("ImportoUtilizzatoVendita"), Currency());
    EXPECT_EQ(uses->GetCurrencyValue("ImportoUtilizzato"), eur("20")) << "typed into a new use";
    uses->CancelUpdate();

    // Added in one go, while the voucher is being edited elsewhere: the refused amount must not
    // reach the voucher row that the other editor will save.
    auto edited = shop.select("BuoniClienti", QString("OID=%1").arg(voucher));
    edited->SetValue("Descrizione", "Buono Natale 2007");
    shop.sink().refusals.clear();
    EXPECT_THROW(uses->AddRow({"objParent", voucher, "ImportoUtilizzatoVendita", money("30.01")}), AppError);
    EXPECT_EQ(shop.sink().refusals.value(0), kOverRemaining);
    EXPECT_EQ(edited->GetCurrencyValue("ImportoUtilizzato"), eur("20")) << "added in one go";
    edited->Update();

    sale->Update();
    EXPECT_EQ(used(voucher), eur("20"));
    EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), Currency());
    EXPECT_EQ(count("BuoniVendite"), 1);

    // The voucher is as good as before: what is left can still be used.
    shop.sink().refusals.clear();
    useInSale(*sale, voucher, "30");
    EXPECT_TRUE(shop.sink().refusals.isEmpty());
    EXPECT_EQ(used(voucher), eur("50"));
}

// A voucher of 50.00 with 40.00 used, 10.00 of it by this use: what is left at the check is
// 50.00 - 30.00.
TEST_F(Vouchers, ChangingAUseChecksItAgainstWhatTheOtherUsesLeave)
{
    auto other = newSale(rossi);
    useInSale(*other, voucher, "10");
    auto sale = newSale(rossi);
    auto use = useInSale(*sale, voucher, "10");
    ASSERT_EQ(used(voucher), eur("40"));

    use->SetValue("ImportoUtilizzatoVendita", money("25"));
    EXPECT_TRUE(use->WasRefused());
    EXPECT_EQ(shop.sink().refusals, QStringList {kOverRemaining});
    EXPECT_EQ(use->GetCurrencyValue("ImportoUtilizzato"), eur("40"));
    EXPECT_EQ(use->GetCurrencyValue("ImportoUtilizzatoVendita"), eur("10"));

    use->SetValue("ImportoUtilizzatoVendita", money("20"));
    EXPECT_FALSE(use->WasRefused());
    use->Update();
    sale->Update();
    EXPECT_EQ(used(voucher), eur("50"));
    EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), eur("20")) << "the old 10.00 out, the new 20.00 in";
}

TEST_F(Vouchers, AUseAddedWithoutAnAmountTakesWhatIsLeft)
{
    auto sale = newSale(rossi);
    auto use = useInSale(*sale, voucher, "0");
    EXPECT_EQ(use->GetCurrencyValue("ImportoUtilizzatoVendita"), eur("30"));
    EXPECT_EQ(used(voucher), eur("50"));
    EXPECT_EQ(storedMoney("BuoniVendite", "ImportoUtilizzatoVendita", use->GetOID()), eur("30"));
    EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), eur("30"));

    use->SetValue("ImportoUtilizzatoVendita", money("10"));
    use->Update();
    EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), eur("10"));
    EXPECT_EQ(used(voucher), eur("30"));
}

TEST_F(Vouchers, DeletingAUseGivesItsAmountBack)
{
    struct Case {
        const char* amount;
        const char* usedAfter;
    };
    const Case cases[] = {{"15", "20"}, {"0", "20"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amount);
        auto sale = newSale(rossi);
        auto use = useInSale(*sale, voucher, "1");
        use->SetValue("ImportoUtilizzatoVendita", money(c.amount));
        use->Update();
        sale->Update();
        use->DeleteRow();
        sale->Update();
        EXPECT_EQ(used(voucher), eur(c.usedAfter));
        EXPECT_EQ(sale->GetCurrencyValue("ImportoBuoni"), Currency());
        EXPECT_EQ(storedMoney("Vendite", "ImportoBuoni", sale->GetOID()), Currency());
    }
}

TEST_F(Vouchers, DeletingASaleGivesBackEveryVoucherItUsed)
{
    const qint64 second = addVoucher(rossi, "Buono compleanno", "10");
    auto sale = newSale(rossi);
    useInSale(*sale, voucher, "30");
    useInSale(*sale, second, "4");
    ASSERT_EQ(used(voucher), eur("50"));
    sale->DeleteRow();
    EXPECT_EQ(used(voucher), eur("20"));
    EXPECT_EQ(used(second), Currency());
    EXPECT_EQ(count("BuoniVendite"), 1) << "the earlier sale's use stays";
}

// Moving a use to another voucher moves its amount; a voucher that cannot take it refuses.
TEST_F(Vouchers, AUseMovedToAnotherVoucherTakesItsAmountAlong)
{
    const qint64 big = addVoucher(rossi, "Buono grande", "100");
    const qint64 small = addVoucher(rossi, "Buono piccolo", "5");
    auto sale = newSale(rossi);
    auto use = useInSale(*sale, voucher, "25");
    ASSERT_EQ(used(voucher), eur("45"));

    use->SetParent(small);
    EXPECT_TRUE(use->WasRefused());
    EXPECT_EQ(shop.sink().refusals, QStringList {kOverRemaining});
    EXPECT_EQ(use->GetParentKey(), QVariant(voucher));
    EXPECT_EQ(use->GetCurrencyValue("ImportoUtilizzato"), eur("45"));

    use->SetParent(big);
    EXPECT_FALSE(use->WasRefused());
    use->Update();
    EXPECT_EQ(used(voucher), eur("20"));
    EXPECT_EQ(used(big), eur("25"));
    EXPECT_EQ(used(small), Currency());
}

TEST_F(Vouchers, TheAmountOfAVoucherIsFrozenOnceUsed)
{
    const QString frozen = QString::fromUtf8("Non puoi modificare l'importo del buono dopo che è stato usato");
    const qint64 fresh = addVoucher(rossi, "Buono nuovo", "10");
    auto unused = shop.select("BuoniClienti", QString("OID=%1").arg(fresh));
    unused->SetValue("ImportoBuono", money("12"));
    EXPECT_FALSE(unused->WasRefused());
    unused->Update();
    EXPECT_EQ(storedMoney("BuoniClienti", "ImportoBuono", fresh), eur("12"));

    auto usedOne = shop.select("BuoniClienti", QString("OID=%1").arg(voucher));
    usedOne->SetValue("ImportoBuono", money("60"));
    EXPECT_TRUE(usedOne->WasRefused());
    EXPECT_EQ(shop.sink().refusals, QStringList {frozen});
    EXPECT_EQ(usedOne->GetCurrencyValue("ImportoBuono"), eur("50"));
}

TEST_F(Vouchers, AVoucherIsMadeOnlyInsideACustomerWhileEditing)
{
    const QString outside = "Il buoni possono essere inseriti solo nell'ambito del Cliente selezionato";
    auto loose = shop.select("BuoniClienti");
    EXPECT_THROW(loose->AddRow({"Descrizione", "Sciolto", "ImportoBuono", money("5")}), AppError);
    EXPECT_EQ(shop.sink().refusals, QStringList {outside});
    EXPECT_EQ(count("BuoniClienti", "Descrizione='Sciolto'"), 0);

    // Batch work (engine mode 0) may make one anywhere.
    shop.db().GetEngine()->SetMode(0);
    loose->AddRow({"Descrizione", "Sciolto", "ImportoBuono", money("5")});
    shop.db().GetEngine()->SetMode(1);
    EXPECT_EQ(count("BuoniClienti", "Descrizione='Sciolto'"), 1);

    clock->advanceMs(5000);
    const qint64 inside = addVoucher(rossi, "Dentro", "7");
    auto v = shop.select("BuoniClienti", QString("OID=%1").arg(inside));
    EXPECT_EQ(v->GetValue("Data").toDateTime(), clock->now());
    EXPECT_EQ(v->GetCurrencyValue("ImportoUtilizzato"), Currency());
    EXPECT_FALSE(v->IsFieldNull("ImportoUtilizzato"));
}

// The candidates for a use's voucher: the open vouchers of the sale's customer, within any
// filter the candidates already carry.
TEST_F(Vouchers, AUseIsOfferedOnlyTheOpenVouchersOfItsSalesCustomer)
{
    const qint64 bianchi = addCustomer("Bianchi", "C2");
    addVoucher(bianchi, "Buono Bianchi", "30");
    const qint64 spent = addVoucher(rossi, "Buono finito", "5");
    const qint64 open = addVoucher(rossi, "Buono aperto", "8");
    auto first = newSale(rossi);
    useInSale(*first, spent, "5");

    auto names = [](TableData& td) {
        QStringList out;
        for (td.MoveFirst(); !td.IsEOF(); td.MoveNext()) out << td.GetText("Descrizione");
        return out;
    };
    auto sale = newSale(rossi);
    auto uses = sale->GetReference("BuoniUtilizzati");
    uses->NewRow();
    auto candidates = uses->SelectParentCandidates();
    EXPECT_EQ(names(*candidates), (QStringList {"Buono Natale", "Buono aperto"}));

    BuoniVendite rules;
    auto filtered = shop.select("BuoniClienti");
    filtered->SetFilter("Descrizione Like 'Buono a*'");
    rules.OnSelectParent(*uses, *filtered);
    EXPECT_EQ(names(*filtered), QStringList {"Buono aperto"});
    filtered->MoveFirst();
    EXPECT_EQ(filtered->GetOID(), open);

    auto anonymous = newSale(0);
    auto anonymousUses = anonymous->GetReference("BuoniUtilizzati");
    anonymousUses->NewRow();
    EXPECT_TRUE(anonymousUses->SelectParentCandidates()->IsEmpty()) << "no customer, no vouchers";
}

}   // namespace
