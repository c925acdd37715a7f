#include "base/AppError.h"
#include "JetTestSupport.h"
#include "objdb/JetTranslator.h"
#include <gtest/gtest.h>

namespace {

// The expressions of the stock and sales views, exactly as the program builds them.
const QString kSoldCost = QStringLiteral("(PrezzoAcquistoMedio*ValoreScarico) +(PrezzoVendita * ValoreScarico) "
                                         "*(CodiciIva.Percentuale/(100+CodiciIva.Percentuale))"
                                         " + ((ImportoScarico*PercentualeScorporoVari)/100)");
const QString kSoldFields = QStringLiteral("*, CodiciIva.Percentuale, (") + kSoldCost + QStringLiteral(") AS Costo, (")
    + QStringLiteral("ImportoScarico-(") + kSoldCost + QStringLiteral(")) AS Guadagno");
const QString kStockValue = QStringLiteral("PrezzoVendita*ValoreScorta");
const QString kStockCost = QStringLiteral("(PrezzoAcquistoMedio*ValoreScorta) +") + kStockValue
    + QStringLiteral(" *(CodiciIva.Percentuale/(100+CodiciIva.Percentuale)) ");
const QString kInventoryFields = QStringLiteral("*, (") + kStockValue + QStringLiteral(") AS Valore, (") + kStockCost
    + QStringLiteral(") AS Costo, ((") + kStockValue + QStringLiteral(")-(") + kStockCost
    + QStringLiteral(") ) AS Guadagno");
const QString kTaxableFields
    = QStringLiteral("*, ((PrezzoAcquistoMedio*ValoreScorta)) AS Imponibile, "
                     "((((PrezzoAcquistoMedio*ValoreScorta)*CodiciIva.Percentuale)/100)) AS ImportoIVA");

// The stock at a date: today's stock less the loads and plus the unloads dated `dm` or later.
QString stockAtDateFields(const QString& dm)
{
    const QString adjust = QStringLiteral(
        "(ValoreScorta-IIF(ValoreCarico Is Null,0,ValoreCarico)+IIF(ValoreScarico Is Null,0,ValoreScarico))");
    return QStringLiteral("*,") + adjust
        + QStringLiteral(" AS ValoreScortaAllaData,((PrezzoAcquistoMedio*ValoreScortaAllaData)) AS Imponibile,")
        + QStringLiteral("((((PrezzoAcquistoMedio*ValoreScortaAllaData)*CodiciIva.Percentuale)/100)) AS ImportoIVA,")
        + adjust
        + QStringLiteral(" AS ValoreScorta,(SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent=Articoli.OID "
                         "AND DataCarico >= #")
        + dm
        + QStringLiteral("#) AS ValoreCarico,(SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE "
                         "objParent=Articoli.OID AND DataScarico >= #")
        + dm + QStringLiteral("#) AS ValoreScarico");
}

struct Golden {
    const char* jet;
    const char* sqlite;
};

// Statements and conditions translated without a schema: the text alone decides.
TEST(JetTranslator, StatementsAndConditionsTranslateToTheirGoldenText)
{
    const Golden cases[] = {
        {"UPDATE Articoli SET PercentualeScorporoVari=0", "UPDATE Articoli SET PercentualeScorporoVari = 0"},
        {"UPDATE Articoli SET CodiceCassa=4", "UPDATE Articoli SET CodiceCassa = 4"},
        {"ALTER TABLE Articoli DROP CodiceCassa", "ALTER TABLE Articoli DROP COLUMN CodiceCassa"},
        {"UPDATE Articoli SET OID_Reparto=281474976710657", "UPDATE Articoli SET OID_Reparto = 281474976710657"},
        {"UPDATE Articoli SET CodiceAggiuntivo='', DataInserimento=#03/05/2007#, DataModifica=#03/05/2007#",
         "UPDATE Articoli SET CodiceAggiuntivo = '', DataInserimento = '2007-03-05 00:00:00', DataModifica = "
         "'2007-03-05 00:00:00'"},
        {"UPDATE Articoli SET ScortaMinima=0, PrezzoAcquistoMedio=PrezzoAcquisto",
         "UPDATE Articoli SET ScortaMinima = 0, PrezzoAcquistoMedio = PrezzoAcquisto"},
        {"UPDATE Articoli SET PrezzoAcquistoListino=0", "UPDATE Articoli SET PrezzoAcquistoListino = 0"},
        {"UPDATE CaricoArticoli SET Progressivo=OID", "UPDATE CaricoArticoli SET Progressivo = OID"},
        {"UPDATE ScaricoArticoli SET Progressivo=OID", "UPDATE ScaricoArticoli SET Progressivo = OID"},
        {"UPDATE CodiciIva SET CodiceCassa=4", "UPDATE CodiciIva SET CodiceCassa = 4"},
        {"UPDATE Vendite SET Completato=True", "UPDATE Vendite SET Completato = 1"},
        {"UPDATE Clienti SET PartitaIva='' ", "UPDATE Clienti SET PartitaIva = ''"},
        {"UPDATE Ricevute SET AnnoRiferimento=Year(Data)", "UPDATE Ricevute SET AnnoRiferimento = jet_year(Data)"},
        {"UPDATE Ricevute SET AnnoRiferimento=AnnoFiscale", "UPDATE Ricevute SET AnnoRiferimento = AnnoFiscale"},
        {"UPDATE CodiciBarre SET ConversioneValuta=False", "UPDATE CodiciBarre SET ConversioneValuta = 0"},
        {"UPDATE TracciatiFornitura SET CoefficienteValuta=0", "UPDATE TracciatiFornitura SET CoefficienteValuta = 0"},
        {"ALTER TABLE Reparti DROP CodiceCassa", "ALTER TABLE Reparti DROP COLUMN CodiceCassa"},
        {"UPDATE Forniture SET Completato=True", "UPDATE Forniture SET Completato = 1"},
        {"AnnoRiferimento=2007", "AnnoRiferimento = 2007"},
        {"(Not Completato) AND DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#",
         "(NOT Completato) AND DataVendita >= '2007-03-05 00:00:00' AND DataVendita < '2007-03-06 00:00:00'"},
        {"Month(DataFornitura) = 3 AND Year(DataFornitura) = 2007",
         "(DataFornitura >= '2007-03-01 00:00:00' AND DataFornitura < '2007-04-01 00:00:00')"},
        {"ScortaMinima > ValoreScorta AND PrezzoVendita > 0", "ScortaMinima > ValoreScorta AND PrezzoVendita > 0"},
        {"DataFornitura>= #03/01/2007# AND DataFornitura < #04/01/2007# AND Pagato = True",
         "DataFornitura >= '2007-03-01 00:00:00' AND DataFornitura < '2007-04-01 00:00:00' AND Pagato = 1"},
        {"Pagato = False", "Pagato = 0"},
        {"DataFornitura < #02/01/2007# AND Completato", "DataFornitura < '2007-02-01 00:00:00' AND Completato"},
        {"Data >= #01/31/2007# AND Data < #02/01/2007#",
         "Data >= '2007-01-31 00:00:00' AND Data < '2007-02-01 00:00:00'"},
        {"#03/05/2007 14:30:00# >= DataFornitura AND DataFornitura >= #03/04/2007 14:30:00#",
         "'2007-03-05 14:30:00' >= DataFornitura AND DataFornitura >= '2007-03-04 14:30:00'"},
        {"Chiuso = False AND DataProssimaNotifica <= #03/05/2007 10:00:05#",
         "Chiuso = 0 AND DataProssimaNotifica <= '2007-03-05 10:00:05'"},
        {"Chiuso AND DataRiferimento <= #02/18/2007 10:00:00#", "Chiuso AND DataRiferimento <= '2007-02-18 10:00:00'"},
        {"Descrizione Like 'abc*' AND Codice Like '*x*'", "jet_like(Descrizione, 'abc*') AND jet_like(Codice, '*x*')"},
        {"Codice Like \"PÀN*\"", "jet_like(Codice, 'PÀN*')"},
        {"OID_Cliente = 12 AND ImportoBuono>ImportoUtilizzato",
         "OID_Cliente = 12 AND ImportoBuono > ImportoUtilizzato"},
        // The dialect's own forms.
        {"[Codice Articolo] = \"l'oca\" & [Note]", "\"Codice Articolo\" = 'l''oca' || jet_nzstr(\"Note\")"},
        {"a & b + c", "jet_nzstr(a) || jet_nzstr(b + c)"},
        {"(a + b) & \"x\" & c", "jet_nzstr((a + b)) || 'x' || jet_nzstr(c)"},
        {"ValoreScorta / 4 * 2 - 7 \\ 2 Mod 3 + 2 ^ 3",
         "CAST(ValoreScorta AS REAL) / 4 * 2 - jet_mod(jet_idiv(7, 2), 3) + jet_pow(2, 3)"},
        {"a - (b - c) - -d", "a - (b - c) - -d"},
        {"-(a + b) * c", "-(a + b) * c"},
        {"x Not Between 1 And 2 Or y Not In (1, 'a') And Not z Like \"a[!b-c]#?\"",
         "x NOT BETWEEN 1 AND 2 OR y NOT IN (1, 'a') AND NOT jet_like(z, 'a[!b-c]#?')"},
        {"Not a Like b", "NOT jet_like(a, b)"},
        {"(a Not Like b) = True", "(NOT jet_like(a, b)) = 1"},
        {"Note Is Not Null AND IsNull(Codice) AND Nz(Punti, 0) > 0",
         "Note IS NOT NULL AND (Codice IS NULL) AND jet_nz(Punti, 0) > 0"},
        {"IIf(Pagato, 'sì', 'no') = 'sì'", "CASE WHEN Pagato THEN 'sì' ELSE 'no' END = 'sì'"},
        {"Format(DataVendita, \"dd/mm/yyyy\") & ' ' & Left$(Note, 3)",
         "jet_nzstr(jet_format(DataVendita, 'dd/mm/yyyy')) || ' ' || jet_nzstr(jet_left(Note, 3))"},
        {"DataVendita >= #3/5/07 2:30 PM# AND DataVendita < #2007-03-06#",
         "DataVendita >= '2007-03-05 14:30:00' AND DataVendita < '2007-03-06 00:00:00'"},
        {"Articoli!Codice = ?", "Articoli.Codice = ?"},
        {"SELECT DISTINCTROW TOP 5 * FROM [Articoli] ORDER BY [Codice] DESC",
         "SELECT * FROM \"Articoli\" ORDER BY \"Codice\" DESC LIMIT 5"},
        {"SELECT DISTINCT Codice FROM Articoli", "SELECT DISTINCT Codice FROM Articoli"},
        {"SELECT Count(*) AS N, Sum(ImportoVendita) FROM Vendite GROUP BY Year(DataVendita) HAVING Count(*) > 1",
         "SELECT COUNT(*) AS N, SUM(ImportoVendita) FROM Vendite GROUP BY jet_year(DataVendita) HAVING COUNT(*) > 1"},
        {"SELECT a.Codice, b.Descrizione FROM Articoli AS a LEFT JOIN CodiciIva b ON a.OID_CodiceIva = b.OID WHERE "
         "b.Percentuale > 4",
         "SELECT a.Codice, b.Descrizione FROM Articoli AS a LEFT JOIN CodiciIva AS b ON a.OID_CodiceIva = b.OID WHERE "
         "b.Percentuale > 4"},
        {"SELECT * FROM (Vendite INNER JOIN Clienti ON Vendite.OID_Cliente = Clienti.OID) WHERE Exists (SELECT * FROM "
         "Ricevute WHERE OID_Vendita = Vendite.OID)",
         "SELECT * FROM (Vendite INNER JOIN Clienti ON Vendite.OID_Cliente = Clienti.OID) WHERE EXISTS (SELECT * FROM "
         "Ricevute WHERE OID_Vendita = Vendite.OID)"},
        {"SELECT Codice FROM Articoli UNION ALL SELECT Codice FROM Clienti ORDER BY 1",
         "SELECT Codice FROM Articoli UNION ALL SELECT Codice FROM Clienti ORDER BY 1"},
        {"DELETE * FROM Promemoria WHERE Chiuso", "DELETE FROM Promemoria WHERE Chiuso"},
        {"INSERT INTO Reparti (Codice, Descrizione) VALUES (\"13\", \"VARIE\")",
         "INSERT INTO Reparti (Codice, Descrizione) VALUES ('13', 'VARIE')"},
        {"ALTER TABLE Articoli ADD COLUMN Peso DOUBLE", "ALTER TABLE Articoli ADD COLUMN Peso REAL"},
        {"ALTER TABLE Articoli ADD Nota TEXT(64)", "ALTER TABLE Articoli ADD COLUMN Nota TEXT COLLATE NOCASE"},
        {"SELECT [Order], Key FROM T", "SELECT \"Order\", \"Key\" FROM T"},
    };
    JetTranslator t;
    for (const auto& c : cases) EXPECT_EQ(t.translate(QString::fromUtf8(c.jet)).toStdString(), c.sqlite) << c.jet;
}

// The view queries over a table, with the schema supplying the joins of `Table.Field` and
// of a parent's fields named over its child table.
// A year, or a month of a year, tested on one date column becomes the range of that column
// that the date's index answers; what is not such a pair keeps its functions.
TEST(JetTranslator, YearAndMonthOfADateBecomeItsRange)
{
    const Golden cases[] = {
        {"Month(DataVendita) = 12 AND Year(DataVendita) = 2007",
         "(DataVendita >= '2007-12-01 00:00:00' AND DataVendita < '2008-01-01 00:00:00')"},
        {"2007 = Year(DataVendita) AND 2 = Month(DataVendita)",
         "(DataVendita >= '2007-02-01 00:00:00' AND DataVendita < '2007-03-01 00:00:00')"},
        {"Year(DataVendita) = 2008", "(DataVendita >= '2008-01-01 00:00:00' AND DataVendita < '2009-01-01 00:00:00')"},
        {"(Not Completato) AND Month(DataVendita) = 3 AND Year(DataVendita) = 2007",
         "(NOT Completato) AND (DataVendita >= '2007-03-01 00:00:00' AND DataVendita < '2007-04-01 00:00:00')"},
        {"(ImportoVendita > 1 OR Punti > 0) AND Year(DataVendita) = 2007",
         "(ImportoVendita > 1 OR Punti > 0) AND (DataVendita >= '2007-01-01 00:00:00' AND DataVendita < '2008-01-01 "
         "00:00:00')"},
        // Two columns: each year its own range, the month of the other column stays a test.
        {"Month(DataCarico) = 3 AND Year(DataScarico) = 2007",
         "jet_month(DataCarico) = 3 AND (DataScarico >= '2007-01-01 00:00:00' AND DataScarico < '2008-01-01 "
         "00:00:00')"},
        // No year, no range; a month in an OR stays a test; nor for a month or year no date has.
        {"Month(DataVendita) = 3", "jet_month(DataVendita) = 3"},
        {"Month(DataVendita) = 3 OR Year(DataVendita) = 2007",
         "jet_month(DataVendita) = 3 OR (DataVendita >= '2007-01-01 00:00:00' AND DataVendita < '2008-01-01 "
         "00:00:00')"},
        {"Year(DataVendita) = 999", "jet_year(DataVendita) = 999"},
        {"Month(DataVendita) = 13 AND Year(DataVendita) = 2007",
         "jet_month(DataVendita) = 13 AND (DataVendita >= '2007-01-01 00:00:00' AND DataVendita < '2008-01-01 "
         "00:00:00')"},
        {"Month(DataVendita) = 3 AND Year(DataVendita) = 2007.5",
         "jet_month(DataVendita) = 3 AND jet_year(DataVendita) = 2007.5"},
        {"Month(DataVendita) > 3 AND Year(DataVendita) = 2007",
         "jet_month(DataVendita) > 3 AND (DataVendita >= '2007-01-01 00:00:00' AND DataVendita < '2008-01-01 "
         "00:00:00')"},
    };
    JetTranslator t;
    for (const auto& c : cases) EXPECT_EQ(t.translate(QString::fromUtf8(c.jet)).toStdString(), c.sqlite) << c.jet;
}

TEST(JetTranslator, ViewQueriesJoinParentAndReferencedTables)
{
    struct Case {
        QString table, fields, where, order;
        const char* sqlite;
    };
    const Case cases[] = {
        {"ScaricoArticoli", kSoldFields, "", "",
         "SELECT ScaricoArticoli.*, CodiciIva.Percentuale, ((Articoli.PrezzoAcquistoMedio * "
         "ScaricoArticoli.ValoreScarico) + "
         "(Articoli.PrezzoVendita * ScaricoArticoli.ValoreScarico) * (CAST(CodiciIva.Percentuale AS REAL) / (100 + "
         "CodiciIva.Percentuale)) + "
         "(CAST((ScaricoArticoli.ImportoScarico * Articoli.PercentualeScorporoVari) AS REAL) / 100)) AS Costo, "
         "(ScaricoArticoli.ImportoScarico - ((Articoli.PrezzoAcquistoMedio * ScaricoArticoli.ValoreScarico) + "
         "(Articoli.PrezzoVendita * ScaricoArticoli.ValoreScarico) * (CAST(CodiciIva.Percentuale AS REAL) / (100 + "
         "CodiciIva.Percentuale)) + "
         "(CAST((ScaricoArticoli.ImportoScarico * Articoli.PercentualeScorporoVari) AS REAL) / 100))) AS Guadagno "
         "FROM ScaricoArticoli LEFT JOIN Articoli ON Articoli.OID = ScaricoArticoli.objParent "
         "LEFT JOIN CodiciIva ON CodiciIva.OID = Articoli.OID_CodiceIva"},
        {"Articoli", kTaxableFields, "ValoreScorta > 0 AND PrezzoVendita > 0", "",
         "SELECT Articoli.*, ((Articoli.PrezzoAcquistoMedio * Articoli.ValoreScorta)) AS Imponibile, "
         "((CAST(((Articoli.PrezzoAcquistoMedio * Articoli.ValoreScorta) * CodiciIva.Percentuale) AS REAL) / 100)) AS "
         "ImportoIVA "
         "FROM Articoli LEFT JOIN CodiciIva ON CodiciIva.OID = Articoli.OID_CodiceIva "
         "WHERE Articoli.ValoreScorta > 0 AND Articoli.PrezzoVendita > 0"},
        {"Articoli", stockAtDateFields("01/01/2008"), "ValoreScorta > 0 AND PrezzoVendita > 0", "",
         "SELECT Articoli.*, "
         "(Articoli.ValoreScorta - CASE WHEN (SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent = "
         "Articoli.OID AND DataCarico >= '2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent = Articoli.OID AND DataCarico >= "
         "'2008-01-01 00:00:00') END + "
         "CASE WHEN (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico >= "
         "'2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico "
         ">= '2008-01-01 00:00:00') END) AS ValoreScortaAllaData, "
         "((Articoli.PrezzoAcquistoMedio * (Articoli.ValoreScorta - CASE WHEN (SELECT SUM(ValoreCarico) FROM "
         "CaricoArticoli WHERE objParent = Articoli.OID AND DataCarico >= '2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent = Articoli.OID AND DataCarico >= "
         "'2008-01-01 00:00:00') END + "
         "CASE WHEN (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico >= "
         "'2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico "
         ">= '2008-01-01 00:00:00') END))) AS Imponibile, "
         "((CAST(((Articoli.PrezzoAcquistoMedio * (Articoli.ValoreScorta - CASE WHEN (SELECT SUM(ValoreCarico) FROM "
         "CaricoArticoli WHERE objParent = Articoli.OID AND DataCarico >= '2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent = Articoli.OID AND DataCarico >= "
         "'2008-01-01 00:00:00') END + "
         "CASE WHEN (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico >= "
         "'2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico "
         ">= '2008-01-01 00:00:00') END)) * CodiciIva.Percentuale) AS REAL) / 100)) AS ImportoIVA, "
         "(Articoli.ValoreScorta - CASE WHEN (SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent = "
         "Articoli.OID AND DataCarico >= '2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent = Articoli.OID AND DataCarico >= "
         "'2008-01-01 00:00:00') END + "
         "CASE WHEN (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico >= "
         "'2008-01-01 00:00:00') IS NULL "
         "THEN 0 ELSE (SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico "
         ">= '2008-01-01 00:00:00') END) AS ValoreScorta, "
         "(SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent = Articoli.OID AND DataCarico >= '2008-01-01 "
         "00:00:00') AS ValoreCarico, "
         "(SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent = Articoli.OID AND DataScarico >= "
         "'2008-01-01 00:00:00') AS ValoreScarico "
         "FROM Articoli LEFT JOIN CodiciIva ON CodiciIva.OID = Articoli.OID_CodiceIva "
         "WHERE Articoli.ValoreScorta > 0 AND Articoli.PrezzoVendita > 0"},
        {"Articoli", kInventoryFields, "ValoreScorta > 0 AND PrezzoVendita > 0", "",
         "SELECT Articoli.*, (Articoli.PrezzoVendita * Articoli.ValoreScorta) AS Valore, "
         "((Articoli.PrezzoAcquistoMedio * Articoli.ValoreScorta) + Articoli.PrezzoVendita * Articoli.ValoreScorta * "
         "(CAST(CodiciIva.Percentuale AS REAL) / (100 + CodiciIva.Percentuale))) AS Costo, "
         "((Articoli.PrezzoVendita * Articoli.ValoreScorta) - ((Articoli.PrezzoAcquistoMedio * Articoli.ValoreScorta) "
         "+ "
         "Articoli.PrezzoVendita * Articoli.ValoreScorta * (CAST(CodiciIva.Percentuale AS REAL) / (100 + "
         "CodiciIva.Percentuale)))) AS Guadagno "
         "FROM Articoli LEFT JOIN CodiciIva ON CodiciIva.OID = Articoli.OID_CodiceIva "
         "WHERE Articoli.ValoreScorta > 0 AND Articoli.PrezzoVendita > 0"},
        {"Articoli", "", "PrezzoVendita = 0", "", "SELECT * FROM Articoli WHERE PrezzoVendita = 0"},
        {"Forniture", "*, ImportoAcquisto,DataFornitura,Fornitore",
         "Month(DataFornitura) = 3 AND Year(DataFornitura) = 2007", "",
         "SELECT *, ImportoAcquisto, DataFornitura, OID_Fornitore AS Fornitore FROM Forniture "
         "WHERE (DataFornitura >= '2007-03-01 00:00:00' AND DataFornitura < '2007-04-01 00:00:00')"},
        {"BuoniClienti", "*,Clienti.Descrizione As Cliente", "", "",
         "SELECT BuoniClienti.*, Clienti.Descrizione AS Cliente FROM BuoniClienti "
         "LEFT JOIN \"Clienti$Buoni\" ON \"Clienti$Buoni\".MemberOID = BuoniClienti.OID "
         "LEFT JOIN Clienti ON Clienti.OID = \"Clienti$Buoni\".OwnerOID"},
        {"Ricevute", "", "", "AnnoRiferimento,Numero", "SELECT * FROM Ricevute ORDER BY AnnoRiferimento, Numero"},
        {"Promemoria", "", "", "DataProssimaNotifica DESC",
         "SELECT * FROM Promemoria ORDER BY DataProssimaNotifica DESC"},
        {"Vendite", "", "Not Completato", "DataVendita DESC,Cliente",
         "SELECT * FROM Vendite WHERE NOT Completato ORDER BY DataVendita DESC, OID_Cliente"},
        {"Forniture", "OID", "Pagato = -1 AND Not Completato = (-1) AND ImportoAcquisto > -1", "",
         "SELECT OID FROM Forniture WHERE Pagato = 1 AND NOT Completato = 1 AND ImportoAcquisto > -1"},
        {"Vendite", "", "Clienti.Codice Like 'C*'", "",
         "SELECT Vendite.* FROM Vendite LEFT JOIN Clienti ON Clienti.OID = Vendite.OID_Cliente WHERE "
         "jet_like(Clienti.Codice, 'C*')"},
    };
    JetFixtureSchema schema;
    JetTranslator t(&schema);
    for (const auto& c : cases)
        EXPECT_EQ(t.translateSelect(c.table, c.fields, c.where, c.order).toStdString(), c.sqlite)
            << c.table.toStdString() << ": " << c.fields.toStdString();
}

TEST(JetTranslator, ConditionGivesItsJoinsApart)
{
    JetFixtureSchema schema;
    JetTranslator t(&schema);
    auto c = t.translateCondition(QStringLiteral("ScaricoArticoli"),
                                  QStringLiteral("Codice Like 'PAN*' AND ValoreScarico > 1"));
    EXPECT_EQ(c.sql, QStringLiteral("jet_like(Articoli.Codice, 'PAN*') AND ScaricoArticoli.ValoreScarico > 1"));
    EXPECT_EQ(c.joins, QStringLiteral(" LEFT JOIN Articoli ON Articoli.OID = ScaricoArticoli.objParent"));
    c = t.translateCondition(QStringLiteral("Vendite"), QStringLiteral("Completato"));
    EXPECT_EQ(c.sql, QStringLiteral("Completato"));
    EXPECT_TRUE(c.joins.isEmpty());
}

TEST(JetTranslator, RefusesTextItCannotTranslate)
{
    JetFixtureSchema schema;
    JetTranslator t(&schema);
    struct Case {
        const char* jet;
        int number;
        const char* inMessage;
    };
    const Case cases[] = {
        {"Codice = \"abc", 3075, "stringa non chiusa"},
        {"[Codice = 1", 3075, "manca ']'"},
        {"Data > #02/30/2007#", 3075, "data non valida #02/30/2007#"},
        {"Data > #13/01/2007#", 3075, "data non valida"},
        {"Data > #03/01/2007", 3075, "data non chiusa"},
        {"Year(", 3075, "espressione mancante"},
        {"a = 1 b", 3075, "testo inatteso"},
        {"Shell(\"rm -rf /\") = 0", 3085, "Shell"},
        {"Left(Codice) = 'a'", 3075, "Numero di argomenti errato"},
        {"Codice = 1; DROP TABLE Articoli", 3075, "testo inatteso"},
        {"SELECT Fornitori.Descrizione FROM Articoli", 3075, "«Fornitori» non è raggiungibile da «Articoli»"},
        {"SELECT Pippo.Descrizione FROM Articoli", 3075, "Tabella sconosciuta «Pippo»"},
        {"UPDATE ScaricoArticoli SET ValoreScarico = PrezzoVendita", 3075,
         "«Articoli» non è raggiungibile in questa istruzione"},
        {"SELECT a AS b, b AS a FROM Articoli", 3075, "Riferimento circolare"},
        {"SELECT TOP 1.5 PERCENT * FROM Articoli", 3075, "TOP ... PERCENT"},
        {"ALTER TABLE Articoli ADD Foto OLEOBJECT", 3075, "tipo di campo sconosciuto"},
        {"[Co\tdice] = 1", 3075, "carattere non valido nel nome"},
        // A digit of another script read as a number was written to SQLite as it came.
        {"SELECT .\u06f6 FROM CodiciIva", 3075, "carattere non valido"},
        {"Prezzo > \u0663", 3075, "carattere non valido"},
        {"SELECT *, Clienti.Descrizione As ienti", 3067, "almeno una tabella"},
        {"SELECT *, (SELECT Codice FROM Articoli) AS c", 3067, "almeno una tabella"},
        {"SELECT Codice FROM Articoli WHERE Codice IN (SELECT * WHERE 1 = 1)", 3067, "almeno una tabella"},
        // Aggregates where Jet refuses them; SQLite refused the translations with its own message.
        {"Count(*)", 3096, "aggregazione «Count»"},
        {"SELECT Codice FROM Articoli WHERE Sum(PrezzoVendita) > 1", 3096, "aggregazione «Sum»"},
        {"SELECT Max(Sum(PrezzoVendita)) FROM Articoli", 3096, "aggregazione «Sum»"},
        {"SELECT Codice FROM Articoli GROUP BY Count(*)", 3096, "aggregazione «Count»"},
        {"UPDATE Articoli SET PrezzoVendita = Avg(PrezzoVendita)", 3096, "aggregazione «Avg»"},
    };
    const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
    const std::string negations = std::string(3000, '-') + "1";
    std::vector<Case> all(std::begin(cases), std::end(cases));
    all.push_back({deep.c_str(), 3075, "espressione troppo annidata"});
    all.push_back({negations.c_str(), 3075, "espressione troppo annidata"});
    // A NUL inside brackets ended SQLite's reading of the statement inside the quoted name.
    const QString nulName = QStringLiteral("[C") + QChar(0) + QStringLiteral("] = 1");
    try {
        t.translate(nulName);
        ADD_FAILURE() << "a name holding a NUL was translated";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 3075);
        EXPECT_TRUE(e.description.contains(QStringLiteral("carattere non valido nel nome")))
            << e.description.toStdString();
    }
    for (const auto& c : all) {
        try {
            t.translate(QString::fromUtf8(c.jet));
            ADD_FAILURE() << "translated: " << c.jet;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number, c.number) << c.jet;
            EXPECT_TRUE(e.description.contains(QString::fromUtf8(c.inMessage)))
                << c.jet << " -> " << e.description.toStdString();
        }
    }
}

TEST(JetTranslator, StatementsUpToJetsLengthLimitTranslate)
{
    JetTranslator t;
    // Long chains are deep trees, built and written back without exhausting the stack. SQLite
    // parses expression trees a thousand deep at most: the chains the length limit allows
    // beyond that once translated into statements SQLite refused; now the translator refuses
    // them, as Jet refuses a query too complex.
    const auto refused = [&](const QString& jet, const char* why) {
        try {
            t.translate(jet);
            ADD_FAILURE() << "translated: " << jet.left(80).toStdString();
        } catch (const AppError& e) {
            EXPECT_EQ(e.number, 3075);
            EXPECT_TRUE(e.description.contains(QString::fromUtf8(why))) << e.description.toStdString();
        }
    };
    EXPECT_TRUE(t.translate(QStringList(900, QStringLiteral("a=1")).join(QStringLiteral(" AND ")))
                    .startsWith(QStringLiteral("a = 1 AND a = 1")));
    EXPECT_TRUE(t.translate(QStringLiteral("a") + QStringLiteral("&a").repeated(900))
                    .endsWith(QStringLiteral("|| jet_nzstr(a)")));
    refused(QStringList(7000, QStringLiteral("a=1")).join(QStringLiteral(" AND ")), "Expression tree is too large");
    refused(QStringLiteral("a") + QStringLiteral("&a").repeated(31000), "Expression tree is too large");
    // Found by fuzzing: within the translator's own nesting bound, past SQLite's parser stack.
    refused(QString(124, u'-') + QStringLiteral("P"), "parser stack overflow");
    refused(QStringLiteral("Nz(").repeated(40) + QStringLiteral("a") + QStringLiteral(",0)").repeated(40),
            "parser stack overflow");
    try {
        t.translate(QStringLiteral("a = '") + QString(64000, QLatin1Char('x')) + QStringLiteral("'"));
        ADD_FAILURE() << "a text over the limit was translated";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.description.startsWith(QStringLiteral("Istruzione SQL troppo lunga")))
            << e.description.toStdString();
    }
}

TEST(JetTranslator, QuotingKeepsUserTextOutOfTheStatement)
{
    const QString hostile = QStringLiteral("x' OR 1=1; DROP TABLE Articoli; --\"#[");
    const QString quoted = JetTranslator::QuoteText(hostile);
    EXPECT_EQ(quoted, QStringLiteral("'x'' OR 1=1; DROP TABLE Articoli; --\"#['"));
    // The quoted text is one literal to the translator as well: nothing of it becomes SQL.
    JetTranslator t;
    EXPECT_EQ(t.translate(QStringLiteral("Codice = ") + quoted), QStringLiteral("Codice = ") + quoted);
    EXPECT_EQ(JetTranslator::QuoteName(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    const QDateTime t1(QDate(2007, 3, 5), QTime(14, 30, 5));
    EXPECT_EQ(JetTranslator::DateLiteral(t1), QStringLiteral("'2007-03-05 14:30:05'"));
    EXPECT_EQ(JetTranslator::JetDateLiteral(t1), QStringLiteral("#03/05/2007 14:30:05#"));
    EXPECT_EQ(t.translate(QStringLiteral("DataVendita <= ") + JetTranslator::JetDateLiteral(t1)),
              QStringLiteral("DataVendita <= ") + JetTranslator::DateLiteral(t1));
}

// --- the translations run on the fixture shop ------------------------------------------------

class JetQueries : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        db.fill();
    }
    QStringList select(const QString& table, const QString& fields, const QString& where,
                       const QString& order = QString())
    {
        return db.rows(translator.translateSelect(table, fields, where, order));
    }
    QStringList run(const QString& jet) { return db.rows(translator.translate(jet)); }

    JetFixtureDb db;
    JetFixtureSchema schema;
    JetTranslator translator {&schema};
};

TEST_F(JetQueries, ViewQueriesGiveTheirRows)
{
    struct Case {
        QString table, fields, where, order;
        QStringList show;   // the columns compared (by name, the last of that name); empty: all
        QStringList rows;
    };
    const Case cases[] = {
        // Below the minimum stock and sold at a price; articles without a price.
        {"Articoli", "", "ScortaMinima > ValoreScorta AND PrezzoVendita > 0", "", {"Codice"}, {"PNT"}},
        {"Articoli", "", "PrezzoVendita = 0", "", {"Codice"}, {"VAR"}},
        // Like without accents and case: "PÀN*" finds "pàne casereccio" and "Panettone".
        {"Articoli", "Codice", "Descrizione Like \"PÀN*\"", "Codice", {}, {"PANE", "PNT"}},
        {"Articoli", "Codice", "Descrizione Like '*AN*' AND Not Descrizione Like 'p*'", "", {}, {"VAR"}},
        // Sold lines: cost from the parent article's average price and its VAT rate.
        {"ScaricoArticoli",
         kSoldFields,
         "",
         "OID",
         {"OID", "Percentuale", "Costo", "Guadagno"},
         {"1|4|2.59230769230769|2.40769230769231", "2|4|1.29615384615385|1.20384615384615", "3|20|19|5",
          "4|20|0.25|9.75"}},
        // Stock value, cost and profit; taxable amount and VAT of the stock.
        {"Articoli",
         kInventoryFields,
         "ValoreScorta > 0 AND PrezzoVendita > 0",
         "Codice",
         {"Codice", "Valore", "Costo", "Guadagno"},
         {"PANE|25|12.9615384615385|12.0384615384615", "PNT|36|28.5|7.5"}},
        {"Articoli",
         kTaxableFields,
         "ValoreScorta > 0 AND PrezzoVendita > 0",
         "Codice",
         {"Codice", "Imponibile", "ImportoIVA"},
         {"PANE|12|0.48", "PNT|22.5|4.5"}},
        // The stock on the evening of 28 February: loads and unloads from 1 March on are undone.
        {"Articoli",
         stockAtDateFields("03/01/2007"),
         "ValoreScorta > 0 AND PrezzoVendita > 0",
         "Codice",
         {"Codice", "ValoreScortaAllaData", "Imponibile", "ImportoIVA", "ValoreScorta", "ValoreCarico",
          "ValoreScarico"},
         {"PANE|9|10.8|0.432|9|2|1", "PNT|3|22.5|4.5|3|2|2"}},
        // A month or a year of a date, read as its range: the last second of January is in
        // January, midnight of 1 February is not.
        {"Forniture", "OID", "Month(DataFornitura) = 1 AND Year(DataFornitura) = 2007", "", {}, {"1"}},
        {"Forniture",
         "OID",
         "Month(DataFornitura) = 2 AND Pagato = False AND Year(DataFornitura) = 2007",
         "",
         {},
         {"2"}},
        {"Forniture", "OID", "2007 = Year(DataFornitura) AND Pagato = False", "OID", {}, {"2", "3"}},
        {"Forniture", "OID", "Year(DataFornitura) = 2006", "", {}, {}},
        // Supplies of March 2007 with their supplier's key.
        {"Forniture",
         "*, ImportoAcquisto,DataFornitura,Fornitore",
         "Month(DataFornitura) = 3 AND Year(DataFornitura) = 2007",
         "",
         {},
         {"3|75.5|2007-03-15 10:00:00|0|0|1|75.5|2007-03-15 10:00:00|1"}},
        // Vouchers with their customer, reached through the customer's voucher list.
        {"BuoniClienti",
         "*,Clienti.Descrizione As Cliente",
         "",
         "OID",
         {"Descrizione", "Cliente"},
         {"Natale|Maria Verdi", "Pasqua|Maria Verdi", "Sciolto|NULL"}},
        {"BuoniClienti",
         "Descrizione",
         "ImportoBuono>ImportoUtilizzato AND Clienti.Codice = 'C0002'",
         "",
         {},
         {"Natale"}},
        // Sales of one day, both bounds written month first; a sale at 23:59:59 is in.
        {"Vendite", "OID", "DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#", "OID", {}, {"1", "2"}},
        {"Vendite",
         "OID",
         "(Not Completato) AND DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#",
         "",
         {},
         {"2"}},
        // A period of January, whole days: the supply at 23:59:59 on the 31st is in.
        {"Forniture", "OID", "DataFornitura < #02/01/2007# AND Completato", "", {}, {"1"}},
        {"Forniture",
         "OID",
         "DataFornitura>= #01/01/2007# AND DataFornitura < #03/01/2007# AND Pagato = True",
         "",
         {},
         {"1"}},
        {"Forniture",
         "OID",
         "DataFornitura>= #01/01/2007# AND DataFornitura < #03/01/2007# AND Pagato = False",
         "",
         {},
         {"2"}},
        {"Forniture", "OID", "Pagato = -1", "", {}, {"1"}},   // Jet's numeric True
        // The reminder window takes both bounds.
        {"Promemoria",
         "OID",
         "#03/05/2007 10:00:00# >= DataProssimaNotifica AND DataProssimaNotifica >= #03/01/2007 10:00:00#",
         "OID",
         {},
         {"1", "3"}},
        {"Promemoria", "OID", "Chiuso = False AND DataProssimaNotifica <= #03/05/2007 10:00:00#", "", {}, {"1"}},
        {"Promemoria", "OID", "Chiuso AND DataRiferimento <= #02/18/2007 10:00:00#", "", {}, {"2"}},
        {"Promemoria",
         "",
         "",
         "DataProssimaNotifica DESC",
         {"TestoPromemoria"},
         {"Futuro", "Scade Natale", "Chiuso recente", "Chiuso vecchio"}},
        // Sales by customer code; the reference named in the order.
        {"Vendite", "OID, Cliente", "Clienti.Codice Like 'c*'", "DataVendita DESC,Cliente", {}, {"2|2", "1|2"}},
        // A division never truncates: 5 \\ 4 is 1, 5 / 4 is 1.25.
        {"Articoli",
         "Codice, ScortaMinima / 4, ScortaMinima \\ 4",
         "ScortaMinima / 4 = 1.25",
         "Codice",
         {},
         {"PANE|1.25|1", "PNT|1.25|1"}},
        // & reads a Null as "".
        {"Articoli", "Codice & '-' & CodiceAggiuntivo", "", "Codice", {}, {"PANE-", "PNT-X1", "VAR-"}},
        {"Ricevute", "Numero, AnnoFiscale", "", "AnnoFiscale DESC,Numero", {}, {"1|2007", "1|2006"}},
    };
    for (const auto& c : cases) {
        const QString sql = translator.translateSelect(c.table, c.fields, c.where, c.order);
        EXPECT_EQ(db.rows(sql, c.show).join(QLatin1Char('\n')).toStdString(),
                  c.rows.join(QLatin1Char('\n')).toStdString())
            << c.table.toStdString() << " WHERE " << c.where.toStdString() << "\n"
            << sql.toStdString();
    }
}

TEST_F(JetQueries, UpgradeStatementsChangeTheStoredRows)
{
    struct Case {
        const char* statement;
        const char* check;
        QStringList rows;
    };
    const Case cases[] = {
        {"UPDATE Vendite SET Completato=True", "SELECT OID FROM Vendite WHERE Not Completato", {}},
        {"UPDATE Ricevute SET AnnoRiferimento=Year(Data)",
         "SELECT AnnoRiferimento FROM Ricevute ORDER BY OID",
         {"2006", "2007"}},
        {"UPDATE Articoli SET CodiceAggiuntivo='', DataInserimento=#03/05/2007#, DataModifica=#03/05/2007#",
         "SELECT DISTINCT DataInserimento & '/' & CodiceAggiuntivo & '/' & DataModifica FROM Articoli",
         {"2007-03-05 00:00:00//2007-03-05 00:00:00"}},
        {"UPDATE Articoli SET ScortaMinima=0, PrezzoAcquistoMedio=PrezzoAcquisto",
         "SELECT Codice, ScortaMinima, PrezzoAcquistoMedio FROM Articoli ORDER BY Codice",
         {"PANE|0|1.5", "PNT|0|8", "VAR|0|0"}},
        {"UPDATE CaricoArticoli SET Progressivo=OID",
         "SELECT Progressivo FROM CaricoArticoli ORDER BY OID",
         {"1", "2", "3"}},
        {"UPDATE CodiciIva SET CodiceCassa=2", "SELECT DISTINCT CodiceCassa FROM CodiciIva", {"2"}},
        {"ALTER TABLE Reparti DROP CodiceCassa",
         "SELECT * FROM Reparti WHERE Codice >= \"05\" ORDER BY Codice",
         {"2|05|BANCO GASTRONOMIA", "3|12|CONCORSI"}},
    };
    for (const auto& c : cases) {
        db.exec(translator.translate(QString::fromUtf8(c.statement)));
        EXPECT_EQ(run(QString::fromUtf8(c.check)).join(QLatin1Char('\n')).toStdString(),
                  c.rows.join(QLatin1Char('\n')).toStdString())
            << c.statement;
    }
}

TEST_F(JetQueries, TopLimitsTheOrderedRows)
{
    EXPECT_EQ(run("SELECT TOP 2 Codice FROM Articoli ORDER BY PrezzoVendita DESC").join(' ').toStdString(), "PNT PANE");
    EXPECT_EQ(run("SELECT TOP 50 PERCENT OID FROM ScaricoArticoli ORDER BY OID DESC").join(' ').toStdString(), "4 3");
    // A share of a row counts as a row.
    EXPECT_EQ(run("SELECT TOP 34 PERCENT Codice FROM Articoli ORDER BY Codice").join(' ').toStdString(), "PANE PNT");
}

TEST_F(JetQueries, AggregatesRunWhereJetTakesThem)
{
    EXPECT_EQ(run("SELECT Count(*) AS n FROM Articoli HAVING Count(*) > 1 ORDER BY Count(*) DESC"), QStringList {"3"});
    EXPECT_EQ(select("Articoli", "Codice", "PrezzoVendita >= (SELECT Max(PrezzoVendita) FROM Articoli)"),
              QStringList {"PNT"});
}

TEST_F(JetQueries, TheLongestChainsTranslatedRun)
{
    const QString chain = QStringList(900, QStringLiteral("PrezzoVendita > 0")).join(QStringLiteral(" AND "));
    const QStringList rows
        = select(QStringLiteral("Articoli"), QStringLiteral("Codice"), chain, QStringLiteral("Codice"));
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_FALSE(rows.first().startsWith(QStringLiteral("ERROR"))) << rows.first().toStdString();
}

TEST_F(JetQueries, TextHoldingANulStaysOneLiteral)
{
    // A code scanned with a NUL in front ended the statement inside its literal.
    const QString nul(QChar(0));
    EXPECT_EQ(JetTranslator::QuoteText(nul + QStringLiteral("PA'NE") + nul),
              QStringLiteral("('' || char(0) || 'PA''NE' || char(0) || '')"));
    EXPECT_EQ(select(QStringLiteral("Articoli"), QStringLiteral("Codice"),
                     QStringLiteral("Codice = '") + nul + QStringLiteral("PANE'")),
              QStringList());
    EXPECT_EQ(select(QStringLiteral("Articoli"), QStringLiteral("Codice"),
                     QStringLiteral("Codice & '") + nul + QStringLiteral("' = 'PANE") + nul + u'\''),
              QStringList {QStringLiteral("PANE")});
}

}   // namespace
