// The query of every node of the section tree, as Jet SQL, and what changes it: the caller's
// condition and order, the date selection, the answers to an entry's questions, the view
// shown before and the node's predefined selections.
#include "base/AppError.h"
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "operations/SectionTree.h"
#include "objdb/TableObject.h"
#include "operations/ViewQueryBuilder.h"
#include "operations/ViewRows.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

const QDate kMarch5(2007, 3, 5);
const QString kDay = QStringLiteral("%1 >= #03/05/2007# AND %1 < #03/06/2007#");

const char* const kSoldCost = "(PrezzoAcquistoMedio*ValoreScarico) +(PrezzoVendita * ValoreScarico) "
                              "*(CodiciIva.Percentuale/(100+CodiciIva.Percentuale)) + "
                              "((ImportoScarico*PercentualeScorporoVari)/100)";
const char* const kStockCost = "(PrezzoAcquistoMedio*ValoreScorta) +PrezzoVendita*ValoreScorta "
                               "*(CodiciIva.Percentuale/(100+CodiciIva.Percentuale)) ";
const char* const kSupplyFields = "*, ImportoAcquisto,DataFornitura,Fornitore";
// The stock at a date, with %1 the day after it, month first.
const char* const kStockAtDateFields
    = "*,(ValoreScorta-IIF(ValoreCarico Is Null,0,ValoreCarico)+IIF(ValoreScarico Is Null,0,ValoreScarico)) AS "
      "ValoreScortaAllaData,((PrezzoAcquistoMedio*ValoreScortaAllaData)) AS Imponibile,"
      "((((PrezzoAcquistoMedio*ValoreScortaAllaData)*CodiciIva.Percentuale)/100)) AS ImportoIVA,"
      "(ValoreScorta-IIF(ValoreCarico Is Null,0,ValoreCarico)+IIF(ValoreScarico Is Null,0,ValoreScarico)) AS "
      "ValoreScorta,"
      "(SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE objParent=Articoli.OID AND DataCarico >= #%1#) AS "
      "ValoreCarico,"
      "(SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE objParent=Articoli.OID AND DataScarico >= #%1#) AS "
      "ValoreScarico";

class ViewQueryBuilderTest : public ViewShop {
protected:
    ViewQuery build(const QString& key, const QString& where = QString(), const QString& order = QString(),
                    const ShownView& shown = ShownView {})
    {
        return builder.Build(ViewRequest {ViewNode {key, key}, order, where, " Sezione:", " Dettagli:"}, shown);
    }

    DateSelection dates {kMarch5};
    TestDialogs dialogs;
    SelectionStore store;
    ViewQueryBuilder builder {db(), dialogs, dates, selectionsIn(store)};
};

struct NodeQuery {
    const char* key;
    const char* table;
    QString fields;
    QString where;
    const char* sort;
    const char* dateField;
    bool fiscalPrint;
    bool printLabel;
};

// Every node with a key, in the day selection of 5 March 2007, every question cancelled.
std::vector<NodeQuery> everyNode()
{
    const QString sold = QString::fromLatin1(kSoldCost);
    const QString stockCost = QString::fromLatin1(kStockCost);
    return {
        {"Vendite", "Vendite", "", kDay.arg("DataVendita"), "", "DataVendita", true, false},
        {"Forniture", "Forniture", kSupplyFields, kDay.arg("DataFornitura"), "", "DataFornitura", false, true},
        {"Clienti", "Clienti", "", "", "", "", false, false},
        {"Fornitori", "Fornitori", "", "", "", "", false, false},
        {"Articoli", "Articoli", "", "", "", "", false, true},
        {"Articoli Sottoscorta", "Articoli", "", "ScortaMinima > ValoreScorta AND PrezzoVendita > 0", "", "", false,
         true},
        {"Articoli Fornitore", "Articoli", "", "", "", "", false, true},
        {"Articoli Venduti", "ScaricoArticoli",
         "*, CodiciIva.Percentuale, (" + sold + ") AS Costo, (ImportoScarico-(" + sold + ")) AS Guadagno",
         kDay.arg("DataScarico"), "", "DataScarico", false, false},
        {"Inventario Magazzino", "Articoli",
         "*, (PrezzoVendita*ValoreScorta) AS Valore, (" + stockCost + ") AS Costo, ((PrezzoVendita*ValoreScorta)-("
             + stockCost + ") ) AS Guadagno",
         "ValoreScorta > 0 AND PrezzoVendita > 0", "", "", false, true},
        {"Lista Forniture", "Forniture", kSupplyFields, kDay.arg("DataFornitura"), "", "DataFornitura", false, true},
        {"Forniture pagate", "Forniture", kSupplyFields, "Pagato = True", "", "", false, true},
        {"Forniture non pagate", "Forniture", kSupplyFields, "Pagato = False", "", "", false, true},
        {"Imponibile Magazzino", "Articoli",
         "*, ((PrezzoAcquistoMedio*ValoreScorta)) AS Imponibile, ((((PrezzoAcquistoMedio*ValoreScorta)"
         "*CodiciIva.Percentuale)/100)) AS ImportoIVA",
         "ValoreScorta > 0 AND PrezzoVendita > 0", "", "", false, true},
        {"Ricalcolo Imponibile Magazzino", "Articoli", QString::fromLatin1(kStockAtDateFields).arg("03/06/2007"),
         "ValoreScortaAllaData > 0 AND PrezzoVendita > 0", "", "", false, true},
        {"Articoli Vari", "Articoli", "", "PrezzoVendita = 0", "", "", false, true},
        {"Lista Buoni", "BuoniClienti", "*,Clienti.Descrizione As Cliente", "", "", "", false, false},
        {"AcquistoFornitori", "AcquistoFornitori", "", kDay.arg("DataAcquisto"), "", "DataAcquisto", false, false},
        {"PagamentiCliente", "PagamentiCliente", "", kDay.arg("DataPagamento"), "", "DataPagamento", false, false},
        {"Ricevute", "Ricevute", "", "", "AnnoRiferimento,Numero", "", false, false},
        {"CaricoArticoli", "CaricoArticoli", "", kDay.arg("DataCarico"), "", "DataCarico", false, false},
        {"ScaricoArticoli", "ScaricoArticoli", "", kDay.arg("DataScarico"), "", "DataScarico", false, false},
        {"Reparti", "Reparti", "", "", "", "", false, false},
        {"Depositi", "Depositi", "", "", "", "", false, false},
        {"TipiDocumento", "TipiDocumento", "", "", "", "", false, false},
        {"TipiPagamento", "TipiPagamento", "", "", "", "", false, false},
        {"ConfigurazioneSconti", "ConfigurazioneSconti", "", "", "", "", false, false},
        {"CodiciIva", "CodiciIva", "", "", "", "", false, false},
        {"UnitaMisura", "UnitaMisura", "", "", "", "", false, false},
        {"CodiciBarre", "CodiciBarre", "", "", "", "", false, false},
        {"Operatori", "Operatori", "", "", "", "", false, false},
        {"Promemoria", "Promemoria", "", "", "", "", false, false},
        {"TracciatiFornitura", "TracciatiFornitura", "", "", "", "", false, false},
        {"CampiTracciato", "CampiTracciato", "", "", "", "", false, false},
        {"SelezioniTracciato", "SelezioniTracciato", "", "", "", "", false, false},
    };
}

TEST_F(ViewQueryBuilderTest, EveryNodeOfTheTreeHasItsQueryAndItRuns)
{
    // A few rows, so that every query reads something where it can.
    const qint64 supplier = addSupplier("Rossi");
    addArticle({"A", "1.50", "0.50", 10, 20, "IVA20", supplier});
    at(QDateTime(kMarch5, QTime(9, 0)));
    load("A", 5, supplier);
    sell("A", 2);

    const auto queries = everyNode();
    DetailView view(db(), dates, dialogs);
    int checked = 0;
    for (const SectionNode& node : SectionTreeNodes(db(), SectionTreeOptions {true})) {
        SCOPED_TRACE(node.text.toStdString());
        const ViewQuery q = build(node.key);
        if (node.key.isEmpty()) {
            EXPECT_TRUE(q.NoView);
            continue;
        }
        EXPECT_FALSE(q.NoView);
        if (node.kind == SectionNode::Kind::Connections) {
            EXPECT_EQ(q.Table, db().ConnectionsName());
        } else {
            auto it
                = std::find_if(queries.begin(), queries.end(), [&](const NodeQuery& e) { return node.key == e.key; });
            ASSERT_NE(it, queries.end()) << "no expected query for this node";
            EXPECT_EQ(q.Table, it->table);
            EXPECT_EQ(q.Fields, it->fields);
            EXPECT_EQ(q.Where, it->where);
            EXPECT_EQ(q.Sort, it->sort);
            EXPECT_EQ(q.Order, "");
            EXPECT_EQ(q.DateField, it->dateField);
            EXPECT_EQ(q.EnableFiscalPrint, it->fiscalPrint);
            EXPECT_EQ(q.EnablePrintLabel, it->printLabel);
            ++checked;
        }
        // The exact text runs, and the window opens the view.
        EXPECT_NO_THROW(ViewRows(db(), q).First(0));
        EXPECT_EQ(view.Refresh(nodeRequest(node.key, QString(), node.text)), DetailView::Outcome::Shown)
            << prompts->log().join("\n").toStdString();
    }
    EXPECT_EQ(checked, int(queries.size()));
}

TEST_F(ViewQueryBuilderTest, CallerConditionAndOrderAndDateModes)
{
    ViewQuery q = build("Vendite", "Not Completato");
    EXPECT_EQ(q.Where, "(Not Completato) AND DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#");
    // The caller's condition stands for the entry's own.
    q = build("Articoli Vari", "Codice = 'X'", "Descrizione DESC");
    EXPECT_EQ(q.Where, "Codice = 'X'");
    EXPECT_EQ(q.Order, "Descrizione DESC");

    dates.SelectMonth(kMarch5);
    EXPECT_EQ(build("Lista Forniture").Where, "Month(DataFornitura) = 3 AND Year(DataFornitura) = 2007");
    dates.SelectPeriod(QDate(2007, 1, 1), std::nullopt);
    EXPECT_EQ(build("Vendite").Where, "");
    dates.SelectPeriod(QDate(2007, 1, 1), QDate(2007, 1, 31));
    EXPECT_EQ(build("Articoli Venduti").Where, "DataScarico >= #01/01/2007# AND DataScarico < #02/01/2007#");
    // Receipts and vouchers never follow the date selection.
    EXPECT_EQ(build("Ricevute").Where, "");
    EXPECT_EQ(build("Lista Buoni").Where, "");
    dates.SelectAll();
    EXPECT_EQ(build("Vendite").Where, "");
}

TEST_F(ViewQueryBuilderTest, KeyIsComparedExactly)
{
    ViewQueryBuilder withoutSelections(db(), dialogs, dates);
    const ViewQuery q
        = withoutSelections.Build(ViewRequest {ViewNode {"articoli sottoscorta", "x"}, "", "", "", ""}, ShownView {});
    EXPECT_EQ(q.Table, "articoli sottoscorta");
    EXPECT_EQ(q.Where, "");
    EXPECT_TRUE(dialogs.asked.isEmpty());
    // Its selections belong to a table the database does not know.
    EXPECT_THROW(build("articoli sottoscorta"), AppError);
}

TEST_F(ViewQueryBuilderTest, SupplierQuestion)
{
    const qint64 rossi = addSupplier("Rossi");
    addSupplier("Bianchi");
    const QString listing
        = QStringLiteral("OID IN (SELECT [OwnerOID] FROM [Articoli$Fornitori] WHERE [MemberOID] = %1)").arg(rossi);

    ViewQuery q = build("Articoli Sottoscorta");
    EXPECT_EQ(dialogs.asked, QStringList {"row:Descrizione"});
    EXPECT_EQ(q.Where, "ScortaMinima > ValoreScorta AND PrezzoVendita > 0");
    EXPECT_EQ(q.Title, " Dettagli:") << "cancelled: the title keeps its standing text";
    EXPECT_EQ(build("Articoli Fornitore").Where, "") << "cancelled: every article";

    dialogs.supplier = "Rossi";
    q = build("Articoli Sottoscorta");
    EXPECT_EQ(q.Where, listing + " AND ScortaMinima > ValoreScorta AND PrezzoVendita > 0");
    EXPECT_EQ(q.Title, " Fornitore: Rossi");
    q = build("Articoli Fornitore");
    EXPECT_EQ(q.Where, listing);
    EXPECT_EQ(q.Title, " Fornitore: Rossi");
}

TEST_F(ViewQueryBuilderTest, PaymentPeriodQuestion)
{
    at(QDateTime(QDate(2007, 6, 14), QTime(11, 0)));
    ViewQuery q = build("Forniture pagate");
    EXPECT_EQ(dialogs.periodFrom, QDate(2007, 6, 1)) << "the period starts on the first of this month";
    EXPECT_EQ(dialogs.periodTo, std::nullopt);
    EXPECT_EQ(q.Where, "Pagato = True");
    EXPECT_EQ(q.StatusTexts, QStringList {" Sezione: <Forniture pagate>"});

    dialogs.period = std::make_pair(QDate(2007, 3, 1), QDate(2007, 3, 31));
    q = build("Forniture non pagate");
    EXPECT_EQ(q.Where, "DataFornitura>= #03/01/2007# AND DataFornitura < #04/01/2007# AND Pagato = False");
    EXPECT_EQ(q.StatusTexts.last(), "Da data: 01/03/2007 A Data: 31/03/2007");
    EXPECT_EQ(q.DateField, "") << "the main window's date selection does not apply";

    dialogs.period = std::make_pair(QDate(2007, 3, 1), std::nullopt);
    EXPECT_EQ(build("Forniture pagate").Where, "Pagato = True") << "a period with an open end is no period";
}

TEST_F(ViewQueryBuilderTest, StockAtDateQuestion)
{
    dates.SelectDay(QDate(2007, 12, 31));
    ViewQuery q = build("Ricalcolo Imponibile Magazzino");
    EXPECT_EQ(dialogs.dateStart, QDate(2007, 12, 31)) << "the question starts on the selected day";
    // Cancelled: the selected day itself. Movements from the next day on are taken out, and
    // the title shows that next day.
    EXPECT_EQ(q.Fields, QString::fromLatin1(kStockAtDateFields).arg("01/01/2008"));
    EXPECT_EQ(q.Where, "ValoreScortaAllaData > 0 AND PrezzoVendita > 0") << "the articles in stock at that date";
    EXPECT_EQ(q.Title, " Alla data: 01/01/2008");

    dialogs.date = QDate(2007, 2, 28);
    q = build("Ricalcolo Imponibile Magazzino");
    EXPECT_EQ(q.Fields, QString::fromLatin1(kStockAtDateFields).arg("03/01/2007"));
    EXPECT_EQ(q.Title, " Alla data: 01/03/2007");
}

TEST_F(ViewQueryBuilderTest, SamePlainTableKeepsOrderSortAndCurrentRow)
{
    at(QDateTime(kMarch5, QTime(9, 0)));
    addArticle({"A", "1.00", "0.50", 50});
    const qint64 first = sell("A", 1);
    const qint64 second = sell("A", 1);
    auto shown = db().Tables().Item("Vendite")->Select(QString(), "DataVendita DESC");
    ASSERT_TRUE(shown->MoveToOID(first));

    ViewQuery q = build("Vendite", QString(), QString(), ShownView {shown.get(), second});
    EXPECT_EQ(q.PreviousTable, "Vendite");
    EXPECT_EQ(q.Order, "DataVendita DESC");
    EXPECT_EQ(q.Sort, "DataVendita DESC");
    EXPECT_EQ(q.KeptRowKey, second) << "the grid's row is kept";

    // The grid's row was deleted meanwhile: order kept, no row.
    q = build("Vendite", QString(), QString(), ShownView {shown.get(), 987654321});
    EXPECT_EQ(q.Order, "DataVendita DESC");
    EXPECT_FALSE(q.KeptRowKey);

    // The caller's order wins over the one shown.
    EXPECT_EQ(build("Vendite", QString(), "OID", ShownView {shown.get(), second}).Order, "OID");

    // Another table, or a view with a field list, starts afresh.
    for (const char* key : {"Clienti", "Articoli Venduti"}) {
        q = build(key, QString(), QString(), ShownView {shown.get(), second});
        EXPECT_EQ(q.PreviousTable, "") << key;
        EXPECT_EQ(q.Order, "") << key;
        EXPECT_FALSE(q.KeptRowKey) << key;
    }
    auto supplies = db().Tables().Item("Forniture")->Select(QString(), "DataFornitura", kSupplyFields);
    q = build("Forniture", QString(), QString(), ShownView {supplies.get(), std::nullopt});
    EXPECT_EQ(q.PreviousTable, "");
    EXPECT_EQ(q.Order, "");
}

TEST_F(ViewQueryBuilderTest, PredefinedSelections)
{
    store.saved["Vendite"] = {"ImportoVendita > 10", {"ImportoVendita"}};

    // Confirmed on a field other than the date: both conditions, and the title says so.
    dialogs.selections = store.saved["Vendite"];
    ViewQuery q = build("Vendite");
    EXPECT_TRUE(q.SelectionsBeforeQuery);
    EXPECT_EQ(dialogs.asked, QStringList {"selections:Selezioni predefinite"});
    EXPECT_EQ(q.Where, "(ImportoVendita > 10) AND DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#");
    EXPECT_EQ(q.Title, " Dettagli:  [selezioni impostate]");
    ASSERT_NE(builder.Selection(), nullptr);
    EXPECT_EQ(builder.Selection()->Name(), "Vendite");

    // Selections that restrict the date field itself: no period condition on top.
    dialogs.selections = SelectionStore::Saved {"DataVendita < #01/01/2007#", {"DataVendita"}};
    q = build("Vendite");
    EXPECT_EQ(q.Where, "DataVendita < #01/01/2007#");
    EXPECT_EQ(q.DateField, "");
    EXPECT_EQ(store.created, 1) << "the same node keeps its selection object";

    // Confirmed with nothing selected: all rows, the date condition, the title unchanged.
    dialogs.selections = SelectionStore::Saved {};
    q = build("Vendite");
    EXPECT_EQ(q.Where, kDay.arg("DataVendita"));
    EXPECT_EQ(q.Title, " Dettagli:");
    EXPECT_EQ(builder.Selection(), nullptr) << "released";

    // Cancelled, then "show all data?" No: no row at all.
    dialogs.selections.reset();
    prompts->addAnswer("No");
    q = build("Vendite");
    EXPECT_EQ(prompts->prompts().last(), "Selezioni predefinite annullate...\r\rVuoi visualizzare tutti i dati?");
    EXPECT_EQ(q.Where, "(OID Is Null) AND DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#");
    EXPECT_EQ(q.Title, " Dettagli:  [nessun dato richiesto]");
    // ... Yes: every row of the day.
    prompts->addAnswer("Yes");
    EXPECT_EQ(build("Vendite").Where, kDay.arg("DataVendita"));

    // A node with selections of its own condition never asks; a caller's condition neither.
    store.saved["Articoli Sottoscorta"] = {"Codice = 'A'", {"Codice"}};
    dialogs.asked.clear();
    q = build("Articoli Sottoscorta");
    EXPECT_TRUE(q.SelectionsBeforeQuery);
    EXPECT_EQ(q.Where, "ScortaMinima > ValoreScorta AND PrezzoVendita > 0");
    build("Vendite", "Not Completato");
    EXPECT_EQ(dialogs.asked, QStringList {"row:Descrizione"});

    // A node without stored selections leaves the menu unchecked.
    EXPECT_FALSE(build("Clienti").SelectionsBeforeQuery);
}

TEST_F(ViewQueryBuilderTest, SectionsAndGroupsHaveNoView)
{
    ViewQuery q
        = builder.Build(ViewRequest {ViewNode {"", "Anagrafica"}, "", "", " Sezione:", " Dettagli:"}, ShownView {});
    EXPECT_TRUE(q.NoView);
    EXPECT_EQ(q.StatusTexts, QStringList {" Sezione: <Anagrafica>"});
    q = builder.Build(ViewRequest {std::nullopt, "", "", " Sezione:", " Dettagli:"}, ShownView {});
    EXPECT_TRUE(q.NoView);
    EXPECT_TRUE(q.StatusTexts.isEmpty());
}

}   // namespace
