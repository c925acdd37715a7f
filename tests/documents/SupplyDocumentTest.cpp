// A supply from start to confirm and cancel: the supplier always chosen, the default document
// type, the stock raised by what was delivered, each article linked to the supplier once,
// the paid question, the import of the supplier's delivery file, and a supply given up
// taking its stock back.
#include "CounterShop.h"
#include "documents/SupplyDocument.h"
#include "documents/ui/frmImportData.h"

#include "core/configuration/Configuration.h"
#include "objdb/DBEngine.h"
#include "objdb/TableObject.h"

#include <QFile>

namespace {

const QString kForniture = QStringLiteral("Forniture");
const QString kAgain = QStringLiteral("Operazione confermata.\r\rVuoi effettuare una nuova Fornitura ?");

class SupplyForm : public CounterShop {
protected:
    void SetUp() override
    {
        CounterShop::SetUp();
        grossista = addSupplier(QStringLiteral("Grossista"));
        secondo = addSupplier(QStringLiteral("Secondo"));
        bolla = keyOf(QStringLiteral("TipiDocumento"), QStringLiteral("Bolla di accompagnamento"));
        setSetting(kForniture, QStringLiteral("TipoDocDefault"), QString::number(bolla));
        setSetting(kForniture, QStringLiteral("PagamentoDefault"),
                   QString::number(keyOf(QStringLiteral("TipiPagamento"), QStringLiteral("Contanti"))));
        mele = addArticle(QStringLiteral("A1"), "2.00", 10, QStringLiteral("QntPzz"), "1.00");
        pere = addArticle(QStringLiteral("B1"), "4.00", 5, QStringLiteral("QntPzz"), "2.00");
        supply = std::make_unique<SupplyDocument>(db(), op);
    }
    void TearDown() override
    {
        supply.reset();
        CounterShop::TearDown();
    }

    bool start(qint64 supplier)
    {
        op.picks.push_back(supplier);
        return supply->Add_Fornitura();
    }
    void scan(const QString& code)
    {
        const DocumentRows::Result r = supply->rowEntry().AddArticle(code);
        if (r.changed) supply->Refresh_Articoli(r.row);
    }
    // The suppliers an article is linked to, one entry per link.
    QList<qint64> suppliersOf(qint64 article)
    {
        QList<qint64> out;
        for (const auto& r :
             db().RunQuery(QStringLiteral("SELECT MemberOID FROM [Articoli$Fornitori] WHERE OwnerOID = %1 "
                                          "ORDER BY MemberOID")
                               .arg(article))
                 .rows)
            out << r[0].toLongLong();
        return out;
    }
    void link(qint64 article, qint64 supplier)
    {
        row(QStringLiteral("Articoli"), article)->AddToList(QStringLiteral("Fornitori"), supplier);
    }
    // A layout of the supplier reading "CODE(6) QUANTITY(4) PRICE(6)" lines; with no fields
    // when `fields` is false.
    void addLayout(qint64 supplier, const QString& file, bool fields = true)
    {
        auto layouts = select(QStringLiteral("TracciatiFornitura"));
        const qint64 key
            = layouts->AddRow({QStringLiteral("FileSorgente"), file, QStringLiteral("VBFilter"),
                               QStringLiteral("Function FilterRow(Flds)\r\n  FilterRow = True\r\nEnd Function\r\n")});
        ASSERT_TRUE(layouts->MoveToOID(key));
        if (fields) {
            auto campi = layouts->GetReference(QStringLiteral("Campi"));
            const std::tuple<const char*, int, int, bool, bool> columns[] = {{"Codice", 1, 6, false, false},
                                                                             {"ValoreCarico", 7, 4, true, false},
                                                                             {"PrezzoAcquisto", 11, 6, false, true}};
            for (const auto& [name, at, length, numeric, amount] : columns)
                layouts->SetReferenceOID(
                    QStringLiteral("Campi"),
                    campi->AddRow({QStringLiteral("NomeCampo"), QString::fromLatin1(name), QStringLiteral("Posizione"),
                                   qint64(at), QStringLiteral("Lunghezza"), qint64(length),
                                   QStringLiteral("CampoNumerico"), numeric, QStringLiteral("CampoImporto"), amount}));
        }
        row(QStringLiteral("Fornitori"), supplier)->AddToList(QStringLiteral("Tracciati"), key);
    }

    qint64 grossista = 0, secondo = 0, bolla = 0, mele = 0, pere = 0;
    std::unique_ptr<SupplyDocument> supply;
};

TEST_F(SupplyForm, TheSupplierIsAlwaysChosenAndTheDefaultDocumentTypeIsTakenAsItIs)
{
    setSetting(kForniture, QStringLiteral("FornitoreDefault"), QString::number(grossista));
    ASSERT_TRUE(start(grossista));
    EXPECT_EQ(op.log, QStringList {QStringLiteral("pick 2 of Fornitori")});
    const SupplyDocument::Header h = supply->header();
    EXPECT_EQ(h.counterpart, QStringLiteral("Grossista"));
    EXPECT_EQ(h.documentType, QStringLiteral("Bolla di accompagnamento"));
    EXPECT_EQ(h.total, Currency());
    EXPECT_FALSE(h.importEnabled);
}

TEST_F(SupplyForm, AStaleDocumentTypeIsAskedForAndNothingChosenStartsNoSupply)
{
    setSetting(kForniture, QStringLiteral("TipoDocDefault"), QStringLiteral("424242"));
    const qint64 fattura = keyOf(QStringLiteral("TipiDocumento"), QStringLiteral("Fattura"));
    op.picks = {grossista, fattura};
    ASSERT_TRUE(supply->Add_Fornitura());
    EXPECT_EQ(op.log, (QStringList {QStringLiteral("pick 2 of Fornitori"), QStringLiteral("pick 2 of TipiDocumento")}));
    EXPECT_EQ(supply->header().documentType, QStringLiteral("Fattura"));

    SupplyDocument other(db(), op);
    op.picks = {0};
    EXPECT_FALSE(other.Add_Fornitura()) << "no supplier";
    op.picks = {grossista, 0};
    EXPECT_FALSE(other.Add_Fornitura()) << "no document type";
    EXPECT_EQ(count(kForniture), 1);
}

TEST_F(SupplyForm, ConfirmRaisesTheStockAndLinksEachArticleToTheSupplierOnce)
{
    link(pere, grossista);   // already one of its articles
    link(pere, secondo);
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    scan(QStringLiteral("A1"));
    scan(QStringLiteral("B1"));
    const qint64 oid = supply->supply()->GetOID();
    EXPECT_EQ(stockOf(mele), 12);
    EXPECT_EQ(stockOf(pere), 6);

    answer({QStringLiteral("Cancel")});
    EXPECT_EQ(supply->Confirm(), SupplyDocument::After::Unload);

    EXPECT_EQ(prompts(), QStringList {kAgain}) << "no paid question while supplier payments are not tracked";
    EXPECT_EQ(suppliersOf(mele), QList<qint64> {grossista});
    EXPECT_EQ(suppliersOf(pere), (QList<qint64> {grossista, secondo})) << "a link that exists is not made again";
    EXPECT_EQ(stockOf(mele), 12);
    EXPECT_EQ(stockOf(pere), 6);

    auto done = row(kForniture, oid);
    EXPECT_TRUE(done->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_TRUE(done->GetBoolValue(QStringLiteral("Pagato"))) << "left as a new supply has it";
    EXPECT_EQ(done->GetCurrencyValue(QStringLiteral("ImportoAcquisto")), eur("4"));
    auto paid = done->GetReference(QStringLiteral("Pagamento"));
    ASSERT_EQ(paid->RowCount(), 1);
    paid->MoveFirst();
    EXPECT_EQ(paid->GetCurrencyValue(QStringLiteral("Importo")), eur("4"));
    EXPECT_EQ(paid->GetReferenceOID(QStringLiteral("Fornitore")), grossista);
    EXPECT_EQ(setting(kForniture, QStringLiteral("FornitoreDefault")), QString::number(grossista));
    EXPECT_EQ(setting(kForniture, QStringLiteral("TipoDocDefault")), QString::number(bolla));
    EXPECT_FALSE(supply->isOpen());
}

TEST_F(SupplyForm, OkStartsTheNextSupplyWithTheSameSupplierOffered)
{
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    answer({QStringLiteral("OK")});
    op.picks = {secondo};
    EXPECT_EQ(supply->Confirm(), SupplyDocument::After::Next);
    EXPECT_EQ(supply->header().counterpart, QStringLiteral("Secondo"));
    EXPECT_EQ(count(kForniture), 2);
}

TEST_F(SupplyForm, ThePaidQuestionIsAskedAgainUntilItIsAnswered)
{
    settings().Use_PagamentoForniture = true;
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    const qint64 oid = supply->supply()->GetOID();
    answer({QStringLiteral("Cancel"), QStringLiteral("No"), QStringLiteral("Cancel")});

    EXPECT_EQ(supply->Confirm(), SupplyDocument::After::Unload);

    const QString paid = QString::fromUtf8("CONFERMA OPZIONE:\r\rLa Fornitura è stata Pagata?");
    EXPECT_EQ(prompts(), (QStringList {paid, paid, kAgain}));
    EXPECT_FALSE(row(kForniture, oid)->GetBoolValue(QStringLiteral("Pagato")));
    EXPECT_TRUE(row(kForniture, oid)->GetBoolValue(QStringLiteral("Completato")));
}

TEST_F(SupplyForm, CancelDeletesTheNewSupplyAndTakesItsStockBack)
{
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    scan(QStringLiteral("B1"));
    answer({QStringLiteral("No")});
    EXPECT_EQ(supply->Cancel(), SupplyDocument::After::Stay);
    EXPECT_EQ(stockOf(mele), 11);

    answer({QStringLiteral("Yes"), QStringLiteral("No")});
    EXPECT_EQ(supply->Cancel(), SupplyDocument::After::Unload);
    EXPECT_EQ(prompts(),
              (QStringList {QStringLiteral("Confermi l'annullamento della Fornitura ?"),
                            QStringLiteral("Confermi l'annullamento della Fornitura ?"),
                            QStringLiteral("Annullamento effettuato.\r\rVuoi effettuare una nuova Fornitura ?")}));
    EXPECT_EQ(count(kForniture), 0);
    EXPECT_EQ(count(QStringLiteral("CaricoArticoli")), 0);
    EXPECT_EQ(stockOf(mele), 10);
    EXPECT_EQ(stockOf(pere), 5);
    EXPECT_TRUE(suppliersOf(mele).isEmpty()) << "only a confirmed supply links its articles";
}

TEST_F(SupplyForm, AnErrorWhileConfirmingIsReportedAndTheFormUnloads)
{
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    // The articles' supplier links cannot be written: the confirm fails half way.
    db().RunQuery(QStringLiteral("DROP TABLE [Articoli$Fornitori]"));
    answer({QStringLiteral("No")});   // no details of the error

    EXPECT_EQ(supply->Confirm(), SupplyDocument::After::Unload);
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_TRUE(prompts().first().contains(QStringLiteral("Errore in conferma dati: ")))
        << prompts().first().toStdString();
    EXPECT_FALSE(prompts().contains(kAgain));
}

TEST_F(SupplyForm, AnEditedSupplyIsAskedOnlyAboutItsPaymentAndCloses)
{
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    const qint64 oid = supply->supply()->GetOID();
    answer({QStringLiteral("Cancel")});
    ASSERT_EQ(supply->Confirm(), SupplyDocument::After::Unload);
    setSetting(kForniture, QStringLiteral("FornitoreDefault"), QString());

    clearPrompts();
    op.log.clear();
    auto view = row(kForniture, oid);
    ASSERT_TRUE(supply->Edit_Fornitura(view.get()));
    answer({QStringLiteral("Yes")});
    EXPECT_EQ(supply->Confirm(), SupplyDocument::After::Unload);
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("Vuoi modificare i dati del pagamento ?")});
    EXPECT_EQ(op.log, QStringList {QStringLiteral("list 1 of AcquistoFornitori")});
    EXPECT_EQ(setting(kForniture, QStringLiteral("FornitoreDefault")), QString::number(grossista));
    EXPECT_EQ(row(kForniture, oid)->GetReference(QStringLiteral("Pagamento"))->RowCount(), 1);
}

// An edit of a completed supply holds a transaction whatever the engine's switch: what it
// changes reaches the file at the confirm, or not at all.
TEST_F(SupplyForm, AnEditIsOneTransactionWhateverTheEnginesSwitch)
{
    DBEngine& engine = *db().GetEngine();
    ASSERT_FALSE(engine.UseTransaction());
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    EXPECT_EQ(engine.TransactionLevel(), 0) << "a new supply keeps no transaction open";
    const qint64 oid = supply->supply()->GetOID();
    answer({QStringLiteral("Cancel")});
    ASSERT_EQ(supply->Confirm(), SupplyDocument::After::Unload);

    DBEngine other;
    other.OpenDatabase(3, engine.Path());
    auto committedStock = [&] {
        return other.GetConnection()
            .Query(QStringLiteral("SELECT ValoreScorta FROM Articoli WHERE OID = %1").arg(mele))
            .rows.value(0)
            .value(0)
            .toDouble();
    };
    ASSERT_EQ(committedStock(), 11);

    auto view = row(kForniture, oid);
    ASSERT_TRUE(supply->Edit_Fornitura(view.get()));
    EXPECT_EQ(engine.TransactionLevel(), 1);
    scan(QStringLiteral("A1"));
    EXPECT_EQ(stockOf(mele), 12);
    EXPECT_EQ(committedStock(), 11) << "the edit's load is not in the file before the confirm";

    answer({QStringLiteral("No")});
    EXPECT_EQ(supply->Confirm(), SupplyDocument::After::Unload);
    EXPECT_EQ(engine.TransactionLevel(), 0);
    EXPECT_EQ(committedStock(), 12);
    other.Close();
}

TEST_F(SupplyForm, AnUnknownCodeBecomesANewArticleOfTheSupplierWithoutAQuestion)
{
    ASSERT_TRUE(start(grossista));
    op.log.clear();
    op.newRowValues
        = {QStringLiteral("Descrizione"),   QStringLiteral("Nuovo"), QStringLiteral("PrezzoAcquisto"), money("3.00"),
           QStringLiteral("PrezzoVendita"), money("5.00"),           QStringLiteral("ValoreScorta"),   4.0};
    scan(QStringLiteral("N1"));

    EXPECT_EQ(op.log, QStringList {QStringLiteral("new Articoli")});
    const qint64 made = keyOf(QStringLiteral("Articoli"), QStringLiteral("N1"), QStringLiteral("Codice"));
    EXPECT_EQ(suppliersOf(made), QList<qint64> {grossista});
    EXPECT_EQ(stockOf(made), 4) << "the stock typed for the new article is what the supply delivered";
    TableData& rows = *supply->rows();
    rows.MoveFirst();
    EXPECT_EQ(rows.GetFieldValue(QStringLiteral("ValoreCarico")).toDouble(), 4);
    EXPECT_EQ(supply->header().total, eur("12"));

    op.saveNewRows = false;
    const DocumentRows::Result cancelled = supply->rowEntry().AddArticle(QStringLiteral("N2"));
    EXPECT_TRUE(cancelled.clearCode);
    EXPECT_FALSE(cancelled.changed);
}

TEST_F(SupplyForm, AWeighedArticlesBarcodeDeliversOneAtTheBarcodesAmount)
{
    addBarcodeLayout(QStringLiteral("2"), 2, 2, 4, 5, 100);
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("2A100349"));
    TableData& rows = *supply->rows();
    rows.MoveFirst();
    EXPECT_EQ(rows.GetFieldValue(QStringLiteral("ValoreCarico")).toDouble(), 1);
    EXPECT_EQ(rows.GetCurrencyValue(QStringLiteral("ImportoCarico")), eur("3.49"));
    EXPECT_EQ(stockOf(mele), 11);
}

TEST_F(SupplyForm, TheDescriptionSearchCanKeepToTheSuppliersArticles)
{
    link(pere, grossista);
    ASSERT_TRUE(start(grossista));
    op.search = ImportOperator::TextSearch {QStringLiteral("Articolo"), false};
    op.picks = {0};
    supply->rowEntry().AddArticle(QString());
    EXPECT_EQ(op.lastPickCount, 2);

    supply->rowEntry().supplierArticlesOnly = true;
    op.picks = {pere};
    scan(QString());
    EXPECT_EQ(op.lastPickCount, 1);
    EXPECT_EQ(stockOf(pere), 6);
}

TEST_F(SupplyForm, ARowDefinedByHandLinksItsArticleToTheSupplier)
{
    ASSERT_TRUE(start(grossista));
    op.newRowValues = {QStringLiteral("objParent"), mele, QStringLiteral("ValoreCarico"), 3.0};
    EXPECT_TRUE(supply->rowEntry().DefineRow().changed);
    EXPECT_EQ(op.lastPresets,
              (QVariantList {QStringLiteral("@InvertParent@"), false, QStringLiteral("@DisableParentIdentify@"),
                             QStringLiteral("True")}));
    EXPECT_EQ(suppliersOf(mele), QList<qint64> {grossista});
    EXPECT_EQ(stockOf(mele), 13);

    EXPECT_TRUE(supply->rowEntry().DefineRow().changed);
    EXPECT_EQ(suppliersOf(mele), QList<qint64> {grossista}) << "a second row of the article links nothing more";
    EXPECT_EQ(stockOf(mele), 16);
}

TEST_F(SupplyForm, ImportIsOfferedForASupplierWhoseFirstLayoutHasFields)
{
    // The supply window's import: the import window over no owner.
    const SupplyDocument::ImportWindow importWindow
        = [](TableData& supply, TableData& rows, TableData& layouts, ImportOperator& answers) {
              bool ok = false;
              frmImportData::Import(nullptr, supply, rows, layouts, answers, ok);
              return ok;
          };
    addLayout(secondo, dir + QStringLiteral("/vuoto.txt"), false);
    const QString file = dir + QStringLiteral("/bolla.txt");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("A1    10    1,10\r\nB1     2    2,00\r\n");
    f.close();
    const qint64 terzo = addSupplier(QStringLiteral("Terzo"));
    addLayout(terzo, file);

    ASSERT_TRUE(start(grossista));
    EXPECT_FALSE(supply->header().importEnabled) << "no layout";
    EXPECT_FALSE(supply->Import(importWindow));
    op.picks = {secondo};
    ASSERT_TRUE(supply->SetSupplier());
    EXPECT_FALSE(supply->header().importEnabled) << "a layout without fields";
    op.picks = {terzo};
    ASSERT_TRUE(supply->SetSupplier());
    EXPECT_TRUE(supply->header().importEnabled);

    answer({QStringLiteral("import"), QStringLiteral("OK"), QStringLiteral("No"), QStringLiteral("Yes")});
    EXPECT_TRUE(supply->Import(importWindow));
    EXPECT_EQ(supply->rows()->RowCount(), 2);
    EXPECT_EQ(stockOf(mele), 20);
    EXPECT_EQ(stockOf(pere), 7);
    EXPECT_EQ(supply->header().total, eur("15"));
}

TEST_F(SupplyForm, ClosingAsksBeforeAnUnconfirmedSupplyWithRowsIsDeleted)
{
    ASSERT_TRUE(start(grossista));
    scan(QStringLiteral("A1"));
    answer({QStringLiteral("No")});
    EXPECT_FALSE(supply->QueryClose());
    answer({QStringLiteral("Yes")});
    ASSERT_TRUE(supply->QueryClose());
    supply->Unload();
    EXPECT_EQ(count(kForniture), 0);
    EXPECT_EQ(stockOf(mele), 10);
}

}   // namespace
