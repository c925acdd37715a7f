// A new shop database: every table in order with its version, the default rows of the
// lookup tables with their exact values, and nothing added again on later openings.
#include "ShopDatabase.h"
#include "core/configuration/DefaultScripts.h"
#include "HeadlessGuard.h"
#include "core/configuration/DeviceSettings.h"
#include "objdb/TableObject.h"
#include <gtest/gtest.h>
#include <optional>

namespace {

struct DeclaredTable {
    const char* name;
    std::optional<double> version;
};

const DeclaredTable kTables[] = {
    {"Operatori", 1.2},
    {"Promemoria", 1.1},
    {"ImpostazioniPromemoria", 1.3},
    {"Reparti", 1.2},
    {"CodiciIva", 1.1},
    {"UnitaMisura", std::nullopt},
    {"TipiDocumento", std::nullopt},
    {"TipiPagamento", std::nullopt},
    {"Depositi", 1.2},
    {"CampiTracciato", 1.2},
    {"SelezioniTracciato", std::nullopt},
    {"TracciatiFornitura", 1.5},
    {"Fornitori", 1.6},
    {"Articoli", 2.7},
    {"CaricoArticoli", 1.1},
    {"AcquistoFornitori", 1.1},
    {"Forniture", 1.3},
    {"ScaricoArticoli", 1.4},
    {"BuoniClienti", 1.1},
    {"BuoniVendite", 1.1},
    {"Clienti", 1.7},
    {"ConfigurazioneSconti", 1.2},
    {"PagamentiCliente", 1.1},
    {"Vendite", 1.5},
    {"CodiciBarre", 1.2},
    {"Ricevute", 1.2},
};

// Rows as text, one line per row, fields joined by '|'; Null shows as "<null>".
QStringList asLines(const QList<QVariantList>& rows)
{
    QStringList lines;
    for (const QVariantList& row : rows) {
        QStringList cells;
        for (const QVariant& v : row) cells << (v.isNull() ? QString("<null>") : v.toString());
        lines << cells.join('|');
    }
    return lines;
}

class NewDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings().DefaultDepartment = 6;
        shop.open();
    }

    testenv::HeadlessGuard headless;
    ShopDatabase shop;
};

TEST_F(NewDatabase, HasEveryTableInCreationOrderWithItsStoredVersion)
{
    TableCollection& tables = shop.db().Tables();
    ASSERT_EQ(tables.Count(), int(std::size(kTables)));
    for (int i = 0; i < tables.Count(); ++i)
        EXPECT_EQ(tables.Item(i + 1)->Name(), kTables[i].name) << "position " << i + 1;
    EXPECT_FALSE(tables.Contains("CorrispondenzeArticoli"));

    shop.close();
    const auto stored = shop.rawRows("SELECT Name, Version FROM _objdb_tables WHERE Name NOT LIKE '\\_%' ESCAPE '\\' "
                                     "ORDER BY Position");
    ASSERT_EQ(stored.size(), qsizetype(std::size(kTables)));
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const DeclaredTable& t = kTables[i];
        EXPECT_EQ(stored[i][0].toString(), t.name);
        if (t.version)
            EXPECT_DOUBLE_EQ(stored[i][1].toDouble(), *t.version) << t.name;
        else
            EXPECT_TRUE(stored[i][1].isNull()) << t.name;
    }
}

struct DefaultRows {
    const char* table;
    const char* columns;
    QStringList rows;
};

TEST_F(NewDatabase, HoldsTheDefaultRowsOfTheLookupTables)
{
    const DefaultRows cases[] = {
        {"Operatori", "Nome, LivelloAccesso, Password", {"Amministratore|1|", "Operatore|0|"}},
        {"Reparti",
         "Codice, Descrizione",
         {"01|SALA", "02|FRUTTA E VERDURA", "03|CARNE", "04|ESPOSIZIONE SALUMI E LATTICINI", "05|BANCO GASTRONOMIA",
          "06|SURGELATI E GELATI", "07|MATERIALI D'USO", "08|INTEGRATO NON FOOD", "09|PESCE FRESCO", "10|SHOPPERS",
          "11|VUOTI", "12|CONCORSI"}},
        // The default codes are new rows like any other: they get the register department.
        {"CodiciIva",
         "Codice, Descrizione, Percentuale, CodiceCassa",
         {"nessuna|Fuori campo IVA|0|6", "IVA20|IVA al 20%|20|6", "IVA10|IVA al 10%|10|6", "IVA04|IVA al 4%|4|6"}},
        {"UnitaMisura",
         "Codice, Descrizione, Confezionamento, ElementiMultipli, SimboloMisura, Decimali",
         {"QntPzz|Quantita' pezzi|Pezzi|0|Qnt|0", "QntCnf|Quantita' confezioni|Confezioni|1|Qnt|0",
          "QntPnc|Quantita' pancali|Pancali|1|Qnt|0", "GrBst|Peso imbustati (gr)|Buste|0|Gr|0",
          "GrSct|Peso scatole (gr)|Scatole|0|Gr|1", "GrPzz|Peso pezzi (gr)|Pezzi|0|Gr|1",
          "KgSct|Peso scatole (kg)|Scatole|0|Kg|1", "KgPzz|Peso pezzi (kg)|Pezzi|0|Kg|1"}},
        {"TipiDocumento", "Codice, Descrizione", {"Bolla|Bolla di accompagnamento", "Fattura|Fattura"}},
        {"TipiPagamento", "Descrizione", {"Contanti", "Assegno", "Bonifico", "Posticipato", "Altro"}},
        // The default deposit's name is empty: "PREDEFINITO" is its description.
        {"Depositi", "Deposito, Descrizione", {"|PREDEFINITO"}},
        {"Clienti",
         "Descrizione, Codice, PartitaIva, Indirizzo, Citta, Provincia, CAP, Telefono, Cellulare, Fax",
         {"Cliente occasionale|||||||||"}},
        {"Fornitori", "Descrizione", {}},
        {"CodiciBarre", "PrefissoCodice", {}},
        {"PagamentiCliente", "Importo", {}},
    };
    shop.close();
    for (const DefaultRows& c : cases) {
        const auto rows = shop.rawRows(QString("SELECT %1 FROM %2 ORDER BY OID").arg(c.columns, c.table));
        EXPECT_EQ(asLines(rows), c.rows) << c.table;
    }
}

TEST_F(NewDatabase, OpeningAgainAddsNoRowAnywhere)
{
    shop.close();
    // A default row the user deleted stays deleted.
    shop.rawExec("DELETE FROM TipiPagamento WHERE Descrizione='Altro'");
    QList<qint64> before;
    for (const DeclaredTable& t : kTables)
        before << shop.rawScalar(QString("SELECT COUNT(*) FROM %1").arg(t.name)).toLongLong();

    shop.open();
    shop.close();
    shop.open();
    shop.close();
    for (size_t i = 0; i < std::size(kTables); ++i)
        EXPECT_EQ(shop.rawScalar(QString("SELECT COUNT(*) FROM %1").arg(kTables[i].name)).toLongLong(),
                  before[qsizetype(i)])
            << kTables[i].name;
    EXPECT_EQ(before[7], 4);   // TipiPagamento
}

// One supplier layout with its twenty fields in order; the fields not given keep the
// defaults of a new layout field.
TEST_F(NewDatabase, HoldsTheDefaultSupplierLayoutWithItsTwentyFields)
{
    auto layouts = shop.select("TracciatiFornitura");
    ASSERT_EQ(layouts->RowCount(), 1);
    layouts->MoveFirst();
    EXPECT_EQ(layouts->GetValue("VBFilter").toString(), FullLayoutFilterTemplate());
    EXPECT_TRUE(layouts->GetValue("FileSorgente").toString().startsWith("A:\\"));
    EXPECT_TRUE(layouts->GetValue("Note").toString().endsWith("(NUOVO)"));
    EXPECT_TRUE(layouts->GetReference("Selezioni")->IsEmpty());

    const QStringList expected = {
        "Codice|14|13|0|0|0|0|Codice a barre",
        "Descrizione|27|30|0|0|0|0|Descrizione dell'articolo",
        "ValoreCarico|110|6|1|0|0|0|Quantita' di carico",
        "PrezzoVendita|59|8|0|1|1|100|Prezzo di vendita",
        "PrezzoAcquisto|77|8|0|1|0|0|Prezzo di acquisto",
        "Iva|75|2|0|0|0|0|Aliquota IVA",
        "PrezzoKgLt|90|8|0|1|0|0|Prezzo al Kg/Lt",
        "ConfezionePeso|89|1|0|0|0|0|'C' Confezionato, 'P' Pesato",
        "PezziConfezione|125|4|1|0|0|0|Pezzi per confezione",
        "Pezzatura|57|2|0|0|0|0|Pezzatura",
        "CodiceFornitore|1|6|0|0|0|0|Codice interno del fornitore",
        "Gruppo|85|2|0|0|0|0|Gruppo merceologico",
        "SottoGruppo|87|2|0|0|0|0|Sotto gruppo merceologico",
        "Reparto|116|2|0|0|0|0|Codice reparto",
        "NumeroFattura|98|6|0|0|0|0|Numero Fattura",
        "DataFattura|104|6|0|0|0|0|Data Fattura",
        "TipoRecord|120|1|0|0|0|0|Tipo del record da importare",
        "UnitaMisura|0|16|0|0|0|0|Da impostare nello script in relazione a ConfezionePeso",
        "CodiceIva|0|16|0|0|0|0|Da impostare nello script in relazione a Iva",
        "CodiceAggiuntivo|0|32|0|0|0|0|Da impostare nello script in relazione al codice del fornitore",
    };
    QStringList fields;
    auto campi = layouts->GetReference("Campi");
    for (campi->MoveFirst(); !campi->IsEOF(); campi->MoveNext()) {
        QStringList cells;
        for (const char* f : {"NomeCampo", "Posizione", "Lunghezza", "CampoNumerico", "CampoImporto",
                              "RilevaDifferenze", "ValoreMaxDifferenza", "Note"}) {
            const QVariant v = campi->GetValue(f);
            cells << (v.typeId() == QMetaType::Bool ? QString::number(v.toBool()) : v.toString());
        }
        fields << cells.join('|');
    }
    EXPECT_EQ(fields, expected);
}

}   // namespace
