// Opening a file left by an older program: each table runs the upgrade steps its stored
// version calls for, and only those. The legacy files are made with plain SQL from a new
// database whose stored version is lowered.
#include "ShopDatabase.h"
#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "objdb/TableObject.h"
#include <gtest/gtest.h>

namespace {

class Upgrade : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(9, 30)));
        settings().DefaultDepartment = 7;
    }

    // A closed legacy file: a new database, then the table's version and rows as an older
    // program left them.
    void makeLegacy(ShopDatabase& shop, const QString& table, double version, const QStringList& setup)
    {
        shop.open();
        shop.close();
        shop.setStoredVersion(table, version);
        shop.rawExec(setup);
    }

    static double storedVersion(ShopDatabase& shop, const QString& table)
    {
        return shop.rawScalar(QString("SELECT Version FROM _objdb_tables WHERE Name='%1'").arg(table)).toDouble();
    }

    testenv::HeadlessGuard headless;
};

struct StepCase {
    const char* table;
    double storedVersion;
    QStringList setup;
    QString check;   // a query giving one text
    QString expected;
};

TEST_F(Upgrade, EachTableRunsTheStepsOfItsStoredVersion)
{
    const QString codiciIva
        = "SELECT group_concat(coalesce(CodiceCassa, '-')) FROM (SELECT CodiceCassa FROM CodiciIva ORDER BY OID)";
    const QString repartiCodiceCassa = "SELECT COUNT(*) FROM pragma_table_info('Reparti') WHERE name='CodiceCassa'";
    const QString article = "INSERT INTO Articoli(OID, Codice, Descrizione) VALUES(900001, 'A1', 'Articolo')";
    const QString carico
        = "SELECT group_concat(coalesce(Progressivo, '-')) FROM (SELECT Progressivo FROM CaricoArticoli ORDER BY OID)";
    const QString scarico
        = "SELECT group_concat(coalesce(Progressivo, '-')) FROM (SELECT Progressivo FROM ScaricoArticoli ORDER BY OID)";
    const QString clienti = "SELECT coalesce(PartitaIva, '-') || '|' || coalesce(Citta, '-') || '|' || "
                            "coalesce(Provincia, '-') || '|' || coalesce(CAP, '-') FROM Clienti";
    const QString emptyClienti = "UPDATE Clienti SET PartitaIva=NULL, Citta=NULL, Provincia=NULL, CAP=NULL";
    const QString codiciBarre
        = "SELECT coalesce(ConversioneValuta, '-') || '|' || coalesce(CoefficienteValuta, '-') FROM CodiciBarre";
    const QString barcode = "INSERT INTO CodiciBarre(OID, PrefissoCodice, LunghezzaCodice) VALUES(900201, '2', 13)";
    const QString tracciati
        = "SELECT group_concat(coalesce(ConversioneValuta, '-') || '|' || coalesce(CoefficienteValuta, '-')) "
          "FROM TracciatiFornitura";
    const QString emptyTracciati = "UPDATE TracciatiFornitura SET ConversioneValuta=NULL, CoefficienteValuta=NULL";
    const QString ricevute = "SELECT coalesce(AnnoRiferimento, '-') FROM Ricevute";

    const StepCase cases[] = {
        // Only a 1.0 table gets the register department.
        {"CodiciIva", 1.0, {"UPDATE CodiciIva SET CodiceCassa=NULL"}, codiciIva, "7,7,7,7"},
        {"CodiciIva", 1.05, {"UPDATE CodiciIva SET CodiceCassa=NULL"}, codiciIva, "-,-,-,-"},
        {"CodiciIva", 1.1, {"UPDATE CodiciIva SET CodiceCassa=NULL"}, codiciIva, "-,-,-,-"},
        // Only a 1.1 table loses the old department column.
        {"Reparti", 1.1, {"ALTER TABLE Reparti ADD COLUMN CodiceCassa INTEGER"}, repartiCodiceCassa, "0"},
        {"Reparti", 1.0, {"ALTER TABLE Reparti ADD COLUMN CodiceCassa INTEGER"}, repartiCodiceCassa, "1"},
        // Lines stored before numbering are numbered by their key.
        {"CaricoArticoli",
         1.0,
         {article, "INSERT INTO CaricoArticoli(OID, objParent, ValoreCarico) VALUES(900011, 900001, 5)",
          "INSERT INTO CaricoArticoli(OID, objParent, ValoreCarico) VALUES(900012, 900001, 3)"},
         carico,
         "900011,900012"},
        {"CaricoArticoli",
         1.1,
         {article, "INSERT INTO CaricoArticoli(OID, objParent, ValoreCarico) VALUES(900011, 900001, 5)"},
         carico,
         "-"},
        {"ScaricoArticoli",
         1.0,
         {article, "INSERT INTO ScaricoArticoli(OID, objParent, ValoreScarico) VALUES(900021, 900001, 1)"},
         scarico,
         "900021"},
        {"ScaricoArticoli",
         1.1,
         {article, "INSERT INTO ScaricoArticoli(OID, objParent, ValoreScarico) VALUES(900021, 900001, 1)"},
         scarico,
         "-"},
        // Documents stored before the completion flag count as completed.
        {"Forniture",
         1.1,
         {"INSERT INTO Forniture(OID, DataFornitura, Completato) VALUES(900101, '2006-01-01 00:00:00', 0)"},
         "SELECT Completato FROM Forniture",
         "1"},
        {"Forniture",
         1.2,
         {"INSERT INTO Forniture(OID, DataFornitura, Completato) VALUES(900101, '2006-01-01 00:00:00', 0)"},
         "SELECT Completato FROM Forniture",
         "0"},
        {"Vendite",
         1.1,
         {"INSERT INTO Vendite(OID, DataVendita, Completato) VALUES(900111, '2006-01-01 00:00:00', 0)"},
         "SELECT Completato FROM Vendite",
         "1"},
        {"Vendite",
         1.2,
         {"INSERT INTO Vendite(OID, DataVendita, Completato) VALUES(900111, '2006-01-01 00:00:00', 0)"},
         "SELECT Completato FROM Vendite",
         "0"},
        // Customers from before the address fields hold empty strings.
        {"Clienti", 1.1, {emptyClienti}, clienti, "|||"},
        {"Clienti", 1.2, {emptyClienti}, clienti, "-|-|-|-"},
        // The card flag came with 1.7: the column is added and nothing else happens.
        {"Clienti",
         1.6,
         {emptyClienti, "ALTER TABLE Clienti DROP COLUMN AssegnatoCartaCliente"},
         "SELECT COUNT(*) FROM pragma_table_info('Clienti') WHERE name='AssegnatoCartaCliente'",
         "1"},
        {"CodiciBarre", 1.0, {barcode}, codiciBarre, "0|0.0"},
        {"CodiciBarre", 1.1, {barcode}, codiciBarre, "-|0.0"},
        {"CodiciBarre", 1.2, {barcode}, codiciBarre, "-|-"},
        {"TracciatiFornitura", 1.3, {emptyTracciati}, tracciati, "0|0.0"},
        {"TracciatiFornitura", 1.4, {emptyTracciati}, tracciati, "-|0.0"},
        {"TracciatiFornitura", 1.5, {emptyTracciati}, tracciati, "-|-"},
        // The reference year: from the date (1.0) or from the older column (1.1).
        {"Ricevute",
         1.0,
         {"INSERT INTO Ricevute(OID, Numero, Data) VALUES(900401, 3, '2006-05-02 00:00:00')"},
         ricevute,
         "2006"},
        {"Ricevute",
         1.1,
         {"ALTER TABLE Ricevute ADD COLUMN AnnoFiscale INTEGER",
          "INSERT INTO Ricevute(OID, Numero, Data, AnnoFiscale) VALUES(900401, 3, '2006-05-02 00:00:00', 2005)"},
         ricevute,
         "2005"},
        {"Ricevute",
         1.05,
         {"INSERT INTO Ricevute(OID, Numero, Data) VALUES(900401, 3, '2006-05-02 00:00:00')"},
         ricevute,
         "-"},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(QString("%1 at %2").arg(c.table).arg(c.storedVersion).toStdString());
        ShopDatabase shop;
        makeLegacy(shop, c.table, c.storedVersion, c.setup);
        ASSERT_NO_THROW(shop.open());
        const std::optional<double> declared = shop.db().Tables().Item(c.table)->Version();
        shop.close();
        EXPECT_EQ(shop.rawScalar(c.check).toString(), c.expected);
        // The declared version is stored, so the next opening runs nothing.
        ASSERT_TRUE(declared.has_value());
        EXPECT_DOUBLE_EQ(storedVersion(shop, c.table), *declared);
    }
}

// Articles: six steps by version; two of them may meet a column that is gone already.
TEST_F(Upgrade, ArticlesRunTheStepsBelowTheirStoredVersion)
{
    struct Case {
        const char* what;
        double version;
        QStringList setup;
        QString expected;   // scorporo|department|additional code|inserted|modified|minimum stock|average|list price
    };
    const QString legacyArticle
        = "INSERT INTO Articoli(OID, Codice, Descrizione, PrezzoAcquisto, PrezzoAcquistoListino) "
          "VALUES(900001, 'A1', 'Articolo', 2.5, 7.0)";
    const QString withDepartmentColumn = "ALTER TABLE Articoli ADD COLUMN CodiceCassa INTEGER";
    const QString today = "2007-03-01 00:00:00";
    const Case cases[] = {
        {"every step", 1.2, {withDepartmentColumn, legacyArticle}, "0.0|01||" + today + "|" + today + "|0|2.5|0.0"},
        {"department column already gone", 1.3, {legacyArticle}, "-|01||" + today + "|" + today + "|0|2.5|0.0"},
        {"no department 01: the first one",
         1.4,
         {legacyArticle, "DELETE FROM Reparti WHERE Codice='01'"},
         "-|02||" + today + "|" + today + "|0|2.5|0.0"},
        {"no department at all",
         1.4,
         {legacyArticle, "DELETE FROM Reparti"},
         "-|-||" + today + "|" + today + "|0|2.5|0.0"},
        {"from 1.8", 1.8, {legacyArticle}, "-|-|-|-|-|0|2.5|0.0"},
        {"from 2.3", 2.3, {legacyArticle}, "-|-|-|-|-|-|-|0.0"},
        {"from 2.6", 2.6, {legacyArticle}, "-|-|-|-|-|-|-|7.0"},
    };
    const QString check
        = "SELECT coalesce(PercentualeScorporoVari, '-') || '|' || "
          "CASE WHEN OID_Reparto IS NULL THEN '-' "
          "ELSE coalesce((SELECT Codice FROM Reparti r WHERE r.OID = a.OID_Reparto), 'dangling') END || '|' || "
          "coalesce(CodiceAggiuntivo, '-') || '|' || coalesce(DataInserimento, '-') || '|' || "
          "coalesce(DataModifica, '-') || '|' || coalesce(ScortaMinima, '-') || '|' || "
          "coalesce(PrezzoAcquistoMedio, '-') || '|' || coalesce(PrezzoAcquistoListino, '-') FROM Articoli a";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShopDatabase shop;
        makeLegacy(shop, "Articoli", c.version, c.setup);
        ASSERT_NO_THROW(shop.open());
        shop.close();
        EXPECT_EQ(shop.rawScalar(check).toString(), c.expected);
        EXPECT_FALSE(shop.rawColumns("Articoli").contains("CodiceCassa"));
        EXPECT_DOUBLE_EQ(storedVersion(shop, "Articoli"), 2.7);
    }
}

// Record layouts below 1.3: the last layout gets the full filter and the field it fills,
// but only while its filter is one this program shipped; a user's own script stays.
TEST_F(Upgrade, TheLastRecordLayoutGetsTheFullFilterUnlessTheUserRewroteIt)
{
    const QString userScript = "Function FilterRow( Flds )\r\n  FilterRow = False\r\nEnd function\r\n";
    struct Case {
        const char* what;
        QString lastFilter;
        QString expectedFilter;
        QStringList expectedFields;
    };
    const Case cases[] = {
        {"shipped filter", NewLayoutFilterTemplate(), FullLayoutFilterTemplate(), {"CodiceAggiuntivo|0|32"}},
        {"user's script", userScript, userScript, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShopDatabase shop;
        shop.open();
        auto layouts = shop.select("TracciatiFornitura");
        const qint64 middle = layouts->AddRow({"Note", "Altro", "VBFilter", NewLayoutFilterTemplate()});
        const qint64 last = layouts->AddRow({"Note", "Ultimo", "VBFilter", c.lastFilter});
        shop.close();
        shop.setStoredVersion("TracciatiFornitura", 1.2);
        shop.rawExec("UPDATE TracciatiFornitura SET ConversioneValuta=NULL, CoefficienteValuta=NULL");

        shop.open();
        layouts = shop.select("TracciatiFornitura");
        ASSERT_TRUE(layouts->MoveToOID(last));
        EXPECT_EQ(layouts->GetValue("VBFilter").toString(), c.expectedFilter);
        QStringList fields;
        auto campi = layouts->GetReference("Campi");
        for (campi->MoveFirst(); !campi->IsEOF(); campi->MoveNext())
            fields << QString("%1|%2|%3")
                          .arg(campi->GetText("NomeCampo"), campi->GetText("Posizione"), campi->GetText("Lunghezza"));
        EXPECT_EQ(fields, c.expectedFields);
        if (!c.expectedFields.isEmpty()) {
            campi->MoveFirst();
            EXPECT_EQ(campi->GetValue("Note").toString(),
                      "Da impostare nello script in relazione al codice del fornitore");
        }
        ASSERT_TRUE(layouts->MoveToOID(middle));
        EXPECT_EQ(layouts->GetValue("VBFilter").toString(), NewLayoutFilterTemplate());
        EXPECT_TRUE(layouts->GetReference("Campi")->IsEmpty());
        shop.close();
        EXPECT_EQ(shop.rawScalar(
                          "SELECT group_concat(ConversioneValuta || '|' || CoefficienteValuta) FROM TracciatiFornitura")
                      .toString(),
                  "0|0.0,0|0.0,0|0.0");
    }
}

TEST_F(Upgrade, RecordLayoutsWithoutRowsRunOnlyTheStatements)
{
    ShopDatabase shop;
    makeLegacy(
        shop, "TracciatiFornitura", 1.2,
        {"DELETE FROM TracciatiFornitura", "DELETE FROM CampiTracciato", "DELETE FROM \"TracciatiFornitura$Campi\""});
    ASSERT_NO_THROW(shop.open());
    EXPECT_EQ(shop.select("TracciatiFornitura")->RowCount(), 0);
    EXPECT_EQ(shop.select("CampiTracciato")->RowCount(), 0);
}

}   // namespace
