// Rules of the small tables: protected administrators, the defaults of a new row, and the
// unique indexes that refuse a duplicate.
#include "ShopDatabase.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "objdb/ObjDbError.h"
#include "objdb/TableObject.h"
#include <gtest/gtest.h>

namespace {

const QString kAdminRefusal = QString::fromUtf8("Non è possibile eliminare l'utente Amministratore.");

class SimpleTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings().DefaultDepartment = 9;
        shop.open();
    }
    void TearDown() override { shop.close(); }
    qint64 count(const QString& table) { return shop.select(table)->RowCount(); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> m_clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    ShopDatabase shop;
};

TEST_F(SimpleTables, DeletingTheAdministratorIsRefusedAndKeepsBothOperators)
{
    auto admin = shop.select("Operatori", "Nome='Amministratore'");
    ASSERT_FALSE(admin->IsEmpty());
    EXPECT_THROW(admin->DeleteRow(), AppError);
    EXPECT_EQ(shop.sink().refusals, QStringList {kAdminRefusal});
    EXPECT_EQ(count("Operatori"), 2);
}

// Protection goes by level, never by name.
TEST_F(SimpleTables, OperatorDeletionDependsOnTheLevelOnly)
{
    struct Case {
        const char* name;
        QVariant level;
        bool refused;
    };
    const Case cases[] = {
        {"Capo", qint64(1), true},
        {"Supervisore", qint64(2), true},
        {"Cassiere", qint64(0), false},
        {"Ospite", QVariant(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shop.select("Operatori")->AddRow({"Nome", c.name});
        auto row = shop.select("Operatori", QString("Nome='%1'").arg(c.name));
        ASSERT_FALSE(row->IsEmpty());
        row->SetValue("LivelloAccesso", c.level);
        row->Update();
        shop.sink().refusals.clear();
        if (c.refused) {
            EXPECT_THROW(row->DeleteRow(), AppError);
            EXPECT_EQ(shop.sink().refusals, QStringList {kAdminRefusal});
            EXPECT_EQ(shop.select("Operatori", QString("Nome='%1'").arg(c.name))->RowCount(), 1);
        } else {
            row->DeleteRow();
            EXPECT_TRUE(shop.sink().refusals.isEmpty());
            EXPECT_EQ(shop.select("Operatori", QString("Nome='%1'").arg(c.name))->RowCount(), 0);
        }
    }
}

TEST_F(SimpleTables, NewRowsStartWithTheirDefaults)
{
    struct Case {
        const char* table;
        const char* field;
        QVariant expected;
    };
    const Case cases[] = {
        {"Operatori", "Password", QString("")},
        {"Operatori", "LivelloAccesso", qint64(0)},
        {"Reparti", "Descrizione", QString("")},
        {"CodiciIva", "CodiceCassa", qint64(9)},   // the register's default department
        {"Depositi", "Descrizione", QString("")},
        {"Fornitori", "Indirizzo", QString("")},
        {"Fornitori", "Telefono", QString("")},
        {"Fornitori", "Cellulare", QString("")},
        {"Fornitori", "Fax", QString("")},
        {"Fornitori", "EMail", QString("")},
        {"CodiciBarre", "PosizioneCodice", qint64(1)},
        {"CodiciBarre", "LunghezzaCodice", qint64(13)},
        {"CodiciBarre", "PosizioneQuantita", qint64(0)},
        {"CodiciBarre", "LunghezzaQuantita", qint64(0)},
        {"CodiciBarre", "PosizioneImporto", qint64(0)},
        {"CodiciBarre", "LunghezzaImporto", qint64(0)},
        {"CodiciBarre", "ConversioneValuta", false},
        {"CodiciBarre", "CoefficienteValuta", 0.0},
        {"PagamentiCliente", "DataPagamento", QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30))},
        {"PagamentiCliente", "Note", QString("")},
        // Documents start with zero totals, never Null ones.
        {"Vendite", "ImportoVendita", QVariant::fromValue(Currency())},
        {"Vendite", "ImportoBuoni", QVariant::fromValue(Currency())},
        {"Vendite", "DataVendita", QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30))},
        {"Vendite", "Note", QString("")},
        {"Vendite", "Completato", false},
        {"Vendite", "Punti", qint64(0)},
        {"Forniture", "ImportoAcquisto", QVariant::fromValue(Currency())},
        {"Forniture", "DataFornitura", QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30))},
        {"Forniture", "Documento", QString("")},
        {"Forniture", "Completato", false},
        {"Forniture", "Pagato", true},
        {"AcquistoFornitori", "DataAcquisto", QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30))},
        {"AcquistoFornitori", "Note", QString("")},
        {"BuoniVendite", "ImportoUtilizzatoVendita", QVariant::fromValue(Currency())},
        {"ConfigurazioneSconti", "CalcoloPuntiClienti", true},
        {"Ricevute", "Data", QDateTime(QDate(2007, 3, 1), QTime(0, 0))},
        {"Ricevute", "Note", QString("")},
        {"Promemoria", "Chiuso", false},
        {"Promemoria", "DataRiferimento", QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30))},
        {"Promemoria", "IDElementoOrigine", QString("")},
        {"ImpostazioniPromemoria", "MinutiDiPreavviso", qint64(0)},
        // A layout the user creates gets the short filter, not the one of the default layout.
        {"TracciatiFornitura", "VBFilter", NewLayoutFilterTemplate()},
        {"TracciatiFornitura", "ConversioneValuta", false},
        {"TracciatiFornitura", "CoefficienteValuta", 0.0},
        {"SelezioniTracciato", "Escludi", false},
        {"SelezioniTracciato", "Note", QString("")},
    };
    for (const Case& c : cases) {
        auto td = shop.select(c.table);
        td->NewRow();
        const QVariant v = td->GetValue(c.field);
        EXPECT_FALSE(v.isNull()) << c.table << "." << c.field;
        EXPECT_TRUE(LibraryGlobal::ValuesEqual(v, c.expected))
            << c.table << "." << c.field << ": " << v.toString().toStdString();
    }
    // Fields left to the user stay empty.
    const std::pair<const char*, const char*> leftToTheUser[] = {
        {"Operatori", "Nome"},
        {"Reparti", "Codice"},
        {"Depositi", "Deposito"},
        {"Fornitori", "Descrizione"},
        {"CodiciBarre", "PrefissoCodice"},
        {"PagamentiCliente", "Importo"},
    };
    for (const auto& [table, field] : leftToTheUser) {
        auto td = shop.select(table);
        td->NewRow();
        EXPECT_TRUE(td->IsFieldNull(field)) << table << "." << field;
    }
}

// A new article belongs to the default deposit and takes the configured unit and VAT code.
TEST_F(SimpleTables, NewArticleTakesTheConfiguredUnitVatCodeAndTheDefaultDeposit)
{
    auto articles = shop.select("Articoli");
    {
        ScopedSettings scoped;
        scoped->Default_UnitaMisura = "KgPzz";
        articles->NewRow();
    }

    EXPECT_EQ(articles->GetReference("UnitaMisura")->GetText("Codice"), "KgPzz");
    EXPECT_EQ(articles->GetReference("CodiceIva")->GetText("Codice"), settings().Default_CodiceIVA);
    auto deposit = articles->GetReference("Deposito");
    ASSERT_FALSE(deposit->IsEOF());
    EXPECT_EQ(deposit->GetText("Descrizione"), "PREDEFINITO");
    EXPECT_DOUBLE_EQ(articles->GetValue("ValoreMisura").toDouble(), 1.0);
    EXPECT_EQ(articles->GetValue("DataInserimento"), articles->GetValue("DataModifica"));
    EXPECT_TRUE(articles->IsFieldNull("PrezzoVendita"));
}

TEST_F(SimpleTables, DuplicatesOfAUniqueKeyAreRefused)
{
    struct Case {
        const char* table;
        QVariantList first;
        QVariantList duplicate;
    };
    const Case cases[] = {
        {"Operatori", {"Nome", "Mario"}, {"Nome", "Mario"}},
        {"Reparti", {"Codice", "20", "Descrizione", "BAR"}, {"Codice", "21", "Descrizione", "BAR"}},
        {"Reparti", {"Codice", "30", "Descrizione", "EDICOLA"}, {"Codice", "30", "Descrizione", "GIORNALI"}},
        {"UnitaMisura", {"Codice", "Lt", "Descrizione", "Litri"}, {"Codice", "Lt2", "Descrizione", "Litri"}},
        {"CodiciIva", {"Codice", "IVA22", "Descrizione", "IVA al 22%"}, {"Codice", "IVA22", "Descrizione", "Altra"}},
        {"Depositi", {"Deposito", "Retro", "Descrizione", "Magazzino"}, {"Deposito", "Retro", "Descrizione", "Altro"}},
        {"Fornitori", {"Descrizione", "Rossi"}, {"Descrizione", "Rossi"}},
        {"CodiciBarre", {"PrefissoCodice", "2"}, {"PrefissoCodice", "2", "LunghezzaCodice", qint64(7)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        auto td = shop.select(c.table);
        td->AddRow(c.first);
        const qint64 rows = count(c.table);
        shop.sink().refusals.clear();
        EXPECT_THROW(td->AddRow(c.duplicate), AppError);
        EXPECT_EQ(shop.sink().refusals.size(), 1);
        EXPECT_EQ(count(c.table), rows);
    }
}

// The payment's time is part of its unique key, so equal payments made at different moments
// are both kept, and the same payment entered twice at once is not.
TEST_F(SimpleTables, CustomerPaymentsAreUniqueByTimeCustomerAndAmount)
{
    auto customer = shop.select("Clienti");
    const qint64 cliente = customer->GetOID();
    ASSERT_NE(cliente, 0);
    auto payments = shop.select("PagamentiCliente");
    auto pay = [&] {
        payments->NewRow();
        payments->SetValue("Importo", QVariant::fromValue(Currency::fromInt(25)));
        payments->SetReferenceOID("Cliente", cliente);
        payments->Update();
    };
    pay();
    m_clock->advanceMs(60 * 1000);
    pay();
    EXPECT_EQ(count("PagamentiCliente"), 2);
    EXPECT_THROW(pay(), AppError);
    EXPECT_EQ(count("PagamentiCliente"), 2);
}

}   // namespace
