// Customers: the defaults of a new customer, one customer per code, and the card flag.
#include "SalesShop.h"
#include "core/configuration/Configuration.h"
#include "objdb/TableObject.h"

namespace {

const QString kDuplicateCode = QString::fromUtf8("Esiste già un Cliente con stesso codice");

class Customers : public SalesShop { };

TEST_F(Customers, ANewCustomerCollectsPointsOnlyWhilePointsAreInUseAndWorthSomething)
{
    struct Case {
        bool usePoints;
        double perPoint;
        bool collects;
    };
    const Case cases[] = {{true, 10, true}, {true, 0, false}, {false, 10, false}, {true, -1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("Use_PuntiPremio %1, ImportoPunto %2").arg(c.usePoints).arg(c.perPoint).toStdString());
        settings().Use_PuntiPremio = c.usePoints;
        settings().ImportoPunto = c.perPoint;
        auto customer = shop.select("Clienti");
        customer->NewRow();
        EXPECT_EQ(customer->GetValue("CalcolaPunti"), QVariant(c.collects));
        EXPECT_EQ(customer->GetValue("Punti"), QVariant(qint64(0)));
        EXPECT_EQ(customer->GetValue("AssegnatoCartaCliente"), QVariant(false));
        for (const char* field : {"Codice", "Indirizzo", "Citta", "Provincia", "CAP", "PartitaIva", "Telefono",
                                  "Cellulare", "Fax", "EMail"})
            EXPECT_EQ(customer->GetValue(field), QVariant(QString(""))) << field;
        EXPECT_TRUE(customer->IsFieldNull("Descrizione"));
    }
}

TEST_F(Customers, ProgressiveCodesAreGivenWhenALengthIsSet)
{
    settings().ProgrLen_ClientiForn = 5;
    const qint64 first = shop.select("Clienti")->AddRow({"Descrizione", "Primo"});
    const qint64 second = shop.select("Clienti")->AddRow({"Descrizione", "Secondo"});
    EXPECT_EQ(shop.select("Clienti", QString("OID=%1").arg(first))->GetText("Codice"), "00001");
    EXPECT_EQ(shop.select("Clienti", QString("OID=%1").arg(second))->GetText("Codice"), "00002");
    settings().ProgrLen_ClientiForn = 0;
    const qint64 third = shop.select("Clienti")->AddRow({"Descrizione", "Terzo"});
    EXPECT_EQ(shop.select("Clienti", QString("OID=%1").arg(third))->GetText("Codice"), "");
}

TEST_F(Customers, ACodeBelongsToOneCustomerWhenAddedAndWhenChanged)
{
    const qint64 rossi = addCustomer("Rossi", "C1");
    const qint64 bianchi = addCustomer("Bianchi", "C2");

    EXPECT_THROW(addCustomer("Verdi", "C1"), AppError);
    EXPECT_EQ(shop.sink().refusals, QStringList {kDuplicateCode});
    EXPECT_THROW(addCustomer("Verdi", "c1"), AppError) << "codes compare without case";
    EXPECT_EQ(count("Clienti", "Descrizione='Verdi'"), 0);

    // Two customers without a code are fine; so is saving a customer under its own code.
    addCustomer("Neri", "");
    addCustomer("Gialli", "");
    auto own = shop.select("Clienti", QString("OID=%1").arg(rossi));
    own->SetValue("Telefono", "0123");
    own->Update();

    shop.sink().refusals.clear();
    auto edit = shop.select("Clienti", QString("OID=%1").arg(bianchi));
    edit->SetValue("Codice", "C1");
    EXPECT_THROW(edit->Update(), AppError);
    EXPECT_EQ(shop.sink().refusals, QStringList {kDuplicateCode});
    EXPECT_EQ(shop.rawScalar(QString("SELECT Codice FROM Clienti WHERE OID=%1").arg(bianchi)).toString(), "C2");
    edit->SetValue("Codice", "C3");
    edit->Update();
    EXPECT_EQ(shop.rawScalar(QString("SELECT Codice FROM Clienti WHERE OID=%1").arg(bianchi)).toString(), "C3");
}

// Two customers that already share a code (stored before the check on changes existed) can
// still be saved for any other reason.
TEST_F(Customers, ADuplicateStoredEarlierDoesNotStopOtherChanges)
{
    const qint64 rossi = addCustomer("Rossi", "C1");
    const qint64 twin = addCustomer("Rossi bis", "C9");
    shop.db().RunQuery(QString("UPDATE Clienti SET Codice='C1' WHERE OID=%1").arg(twin));
    auto edit = shop.select("Clienti", QString("OID=%1").arg(twin));
    edit->SetValue("Punti", qint64(7));
    edit->Update();
    EXPECT_TRUE(shop.sink().refusals.isEmpty());
    EXPECT_EQ(storedPoints(twin), 7);
    EXPECT_EQ(storedPoints(rossi), 0);
}

// The card flag came after the customers: an older table marks every customer as having no card.
TEST_F(Customers, UpgradingMarksEveryStoredCustomerAsHavingNoCard)
{
    addCustomer("Rossi", "C1");
    shop.close();
    shop.rawExec("UPDATE Clienti SET AssegnatoCartaCliente=NULL");
    shop.setStoredVersion("Clienti", 1.6);
    shop.open();
    shop.close();
    EXPECT_EQ(shop.rawScalar("SELECT count(*) FROM Clienti WHERE AssegnatoCartaCliente=0").toLongLong(), 2);
    EXPECT_EQ(shop.rawScalar("SELECT count(*) FROM Clienti").toLongLong(), 2) << "the walk-in customer and Rossi";
}

}   // namespace
