// A sale or supply that a program left open when it died (killed, a power cut) is given up
// when the file is opened again: every table is as it was before the document was opened.
// One that a program still running holds, here or on another computer sharing the file, is
// left alone; one that was completed keeps everything.
#include "SalesShop.h"
#include "core/databasefiles/OpenDocuments.h"
#include "objdb/TableObject.h"
#include <gtest/gtest.h>

namespace {

enum class LeftKind { Sale, Supply };
enum class Completion { No, ByTheProgram, BehindTheLibrary };

struct LeftOpenCase {
    const char* name;
    LeftKind kind;
    const char* owner;   // what differs in the note's owner at the next opening (SQL), or nothing
    Completion completed;
    bool givenUp;
};

void PrintTo(const LeftOpenCase& c, std::ostream* os) { *os << c.name; }

class LeftOpen : public SalesShop, public ::testing::WithParamInterface<LeftOpenCase> {
protected:
    void SetUp() override
    {
        SalesShop::SetUp();
        customer = addCustomer("Maria Bianchi", "C001", true);
        voucher = addVoucher(customer, "Buono 50", "50.00");
        pane = shop.select("Articoli")
                   ->AddRow({"Codice", "8001", "Descrizione", "Pane", "PrezzoVendita", money("1.33"), "PrezzoAcquisto",
                             money("1.30"), "ValoreScorta", 1000.0});
        olio = shop.select("Articoli")
                   ->AddRow({"Codice", "8004", "Descrizione", "Olio", "PrezzoVendita", money("12.00"), "PrezzoAcquisto",
                             money("7.90"), "ValoreScorta", 40.0});
        // The stock on hand was bought at another price than the next load's.
        shop.rawExec({QString("UPDATE Articoli SET PrezzoAcquistoMedio = 1.1 WHERE OID = %1").arg(pane),
                      QString("UPDATE Articoli SET PrezzoAcquistoMedio = 7.5 WHERE OID = %1").arg(olio)});
        supplier = shop.select("Fornitori")->AddRow({"Descrizione", "Forno Rossi"});
        auto types = shop.select("TipiDocumento");
        types->MoveFirst();
        type = types->GetOID();
    }

    // Every table of the file, row by row, but the library's own.
    QStringList contents()
    {
        QStringList out;
        for (const QVariantList& t :
             shop.rawRows("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                          "'\\_objdb%' ESCAPE '\\' AND name NOT LIKE 'sqlite%' ORDER BY name")) {
            const QString table = t.first().toString();
            QStringList rows;
            for (const QVariantList& row : shop.rawRows(QString("SELECT * FROM \"%1\"").arg(table))) {
                QStringList values;
                for (const QVariant& v : row) values << (v.isNull() ? QString("NULL") : v.toString());
                rows << table + ": " + values.join(" | ");
            }
            rows.sort();
            out << rows;
        }
        return out;
    }
    qint64 notes() { return shop.rawScalar("SELECT count(*) FROM _objdb_open").toLongLong(); }

    // A sale for the customer who uses the voucher, with a line of 1.33 and one of 12.00; a
    // supply of both articles, at their purchase prices.
    std::unique_ptr<TableData> openDocument(LeftKind kind)
    {
        if (kind == LeftKind::Sale) {
            auto sale = newSale(customer);
            sale->GetReference("BuoniUtilizzati")->AddRow({"objParent", voucher});
            addLine(*sale, pane, 1);
            addLine(*sale, olio, 1);
            // Saved as the sale window saves it: the customer's points with it.
            sale->Update();
            return sale;
        }
        auto supply = shop.select("Forniture", "OID=0");
        supply->NewRow();
        supply->SetReferenceOID("Fornitore", supplier);
        supply->SetReferenceOID("TipoDocumento", type);
        supply->Update();
        auto lines = supply->GetReference("Articoli");
        lines->AddRow({"objParent", pane, "ValoreCarico", 10.0});
        lines->AddRow({"objParent", olio, "ValoreCarico", 5.0});
        return supply;
    }

    qint64 customer = 0, voucher = 0, pane = 0, olio = 0, supplier = 0, type = 0;
};

TEST_P(LeftOpen, AtTheNextOpening)
{
    const LeftOpenCase& c = GetParam();
    const QStringList before = contents();
    {
        auto document = openDocument(c.kind);
        if (c.completed == Completion::ByTheProgram) {
            document->SetValue("Completato", true);
            document->Update();
        }
    }
    if (c.kind == LeftKind::Sale) {
        // What the fault left on disk: the stock taken, the voucher used, the points given.
        ASSERT_EQ(storedStock(pane), 999.0);
        ASSERT_EQ(storedMoney("BuoniClienti", "ImportoUtilizzato", voucher), eur("50.00"));
        ASSERT_EQ(storedPoints(customer), 1);
    } else {
        ASSERT_EQ(storedStock(pane), 1010.0);
    }
    shop.close();
    // The program ends without a word: its document stays as it was.
    if (c.completed == Completion::BehindTheLibrary)
        shop.rawExec(c.kind == LeftKind::Sale ? "UPDATE Vendite SET Completato = 1"
                                              : "UPDATE Forniture SET Completato = 1");
    if (c.owner) shop.rawExec(QString("UPDATE _objdb_open SET ") + c.owner);
    const QStringList atTheEnd = contents();
    ASSERT_NE(atTheEnd, before);

    shop.open();
    const UndoneDocuments undone = UndoAbandonedDocuments(shop.db());
    shop.close();

    if (c.givenUp) {
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(notes(), 0);
        EXPECT_EQ(undone.StatusText(),
                  QString("Annullati i documenti rimasti aperti: 1 ")
                      + (c.kind == LeftKind::Sale ? "vendita" : "fornitura"));
    } else {
        EXPECT_EQ(contents(), atTheEnd);
        EXPECT_EQ(undone.StatusText(), QString());
        // A completed document loses its note; any other waits for its program.
        EXPECT_EQ(notes(), c.completed == Completion::No ? 1 : 0);
    }
    shop.open();
}

INSTANTIATE_TEST_SUITE_P(
    Documents, LeftOpen,
    ::testing::Values(LeftOpenCase {"SaleOfAProgramThatDied", LeftKind::Sale, "InizioProcesso = InizioProcesso + 1",
                                    Completion::No, true},
                      LeftOpenCase {"SaleOfTheBootBefore", LeftKind::Sale, "Avvio = 'avvio-precedente'", Completion::No,
                                    true},
                      LeftOpenCase {"SaleOfAProgramStillRunning", LeftKind::Sale, nullptr, Completion::No, false},
                      LeftOpenCase {"SaleOfAnotherComputer", LeftKind::Sale, "Computer = 'cassa-2', InizioProcesso = 0",
                                    Completion::No, false},
                      LeftOpenCase {"SaleConfirmed", LeftKind::Sale, nullptr, Completion::ByTheProgram, false},
                      LeftOpenCase {"SaleCompletedWhileItsNoteStayed", LeftKind::Sale,
                                    "InizioProcesso = InizioProcesso + 1", Completion::BehindTheLibrary, false},
                      LeftOpenCase {"SupplyOfAProgramThatDied", LeftKind::Supply, "InizioProcesso = InizioProcesso + 1",
                                    Completion::No, true},
                      LeftOpenCase {"SupplyOfAProgramStillRunning", LeftKind::Supply, nullptr, Completion::No, false},
                      LeftOpenCase {"SupplyOfAnotherComputer", LeftKind::Supply,
                                    "Computer = 'cassa-2', InizioProcesso = 0", Completion::No, false},
                      LeftOpenCase {"SupplyConfirmed", LeftKind::Supply, nullptr, Completion::ByTheProgram, false}),
    [](const ::testing::TestParamInfo<LeftOpenCase>& info) { return std::string(info.param.name); });

TEST(UndoneDocumentsText, SaysWhatWasGivenUpAndWhatFailed)
{
    const struct {
        UndoneDocuments undone;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{2, 0, 0, 0, {}}, "Annullati i documenti rimasti aperti: 2 vendite"},
        {{1, 3, 0, 0, {}}, "Annullati i documenti rimasti aperti: 1 vendita, 3 forniture"},
        {{0, 1, 0, 1, "Database bloccato"},
         "Annullati i documenti rimasti aperti: 1 fornitura; documenti rimasti aperti non annullati: 1 (Database "
         "bloccato)"},
        {{0, 0, 0, 2, "Database bloccato"}, "Documenti rimasti aperti non annullati: 2 (Database bloccato)"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.undone.StatusText(), QString::fromUtf8(c.text));
}

}   // namespace
