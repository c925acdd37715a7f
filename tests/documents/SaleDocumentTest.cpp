// A sale from start to confirm, cancel and close: the default customer, the payment step,
// the sale completed before the register is asked, what the operator is told when the
// register or the printer fails, the default customer for the next sale, the receipts'
// copies, the backup-archive mark, and a new sale given up giving its stock back.
#include "CounterShop.h"
#include "documents/SaleDocument.h"
#include "data/DB.h"
#include "documents/DocumentSession.h"

#include "core/configuration/Configuration.h"
#include "objdb/DBEngine.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "printing/RecordingTarget.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include "dialogs/LineEditBarcodeTarget.h"

#include <QLineEdit>

namespace {

const QString kVendite = QStringLiteral("Vendite");
const QString kNotSent = QStringLiteral("La vendita e' stata registrata senza l'emissione dello scontrino...");
const QString kNoReceipt = QStringLiteral("La vendita e' stata registrata senza l'emissione della ricevuta...");

class SaleForm : public CounterShop {
protected:
    void SetUp() override
    {
        CounterShop::SetUp();
        occasional = keyOf(QStringLiteral("Clienti"), QStringLiteral("Cliente occasionale"));
        cash = keyOf(QStringLiteral("TipiPagamento"), QStringLiteral("Contanti"));
        setSetting(kVendite, QStringLiteral("ClienteDefault"), QString::number(occasional));
        setSetting(kVendite, QStringLiteral("PagamentoDefault"), QString::number(cash));
        pane = addArticle(QStringLiteral("8001"), "2.50", 10);
        latte = addArticle(QStringLiteral("8002"), "10.00", 10);
        sale = std::make_unique<SaleDocument>(db(), op);
        sale->Load();
    }
    void TearDown() override
    {
        sale.reset();
        CounterShop::TearDown();
    }

    void scan(const QString& code)
    {
        const DocumentRows::Result r = sale->rowEntry().AddArticle(code);
        if (r.changed) sale->Refresh_Articoli(r.row);
    }
    // The sale open now: two of 8001 and one of 8002 (15.00).
    qint64 fillSale()
    {
        if (!sale->isOpen()) {
            EXPECT_TRUE(sale->Add_Vendita());
        }
        scan(QStringLiteral("8001"));
        scan(QStringLiteral("8001"));
        scan(QStringLiteral("8002"));
        return sale->sale()->GetOID();
    }
    std::unique_ptr<TableData> stored(qint64 oid) { return row(kVendite, oid); }

    qint64 occasional = 0, cash = 0, pane = 0, latte = 0;
    std::unique_ptr<SaleDocument> sale;
};

TEST_F(SaleForm, ANewSaleIsForTheDefaultCustomerWithoutAQuestion)
{
    ASSERT_TRUE(sale->Add_Vendita());
    EXPECT_EQ(sale->header().counterpart, QStringLiteral("Cliente occasionale"));
    EXPECT_TRUE(op.log.isEmpty());
    EXPECT_FALSE(sale->sale()->GetBoolValue(QStringLiteral("Completato")));
}

TEST_F(SaleForm, AStaleDefaultCustomerIsAskedForAndNoChoiceStartsNoSale)
{
    setSetting(kVendite, QStringLiteral("ClienteDefault"), QStringLiteral("999999"));
    op.picks = {0};
    EXPECT_FALSE(sale->Add_Vendita());
    EXPECT_EQ(op.log, QStringList {QStringLiteral("pick 1 of Clienti")});
    EXPECT_EQ(count(kVendite), 0);
    EXPECT_FALSE(sale->isOpen());

    const qint64 rossi = addCustomer(QStringLiteral("Rossi"), QStringLiteral("R1"), false);
    op.picks = {rossi};
    ASSERT_TRUE(sale->Add_Vendita());
    EXPECT_EQ(sale->header().counterpart, QStringLiteral("Rossi"));
}

TEST_F(SaleForm, ConfirmCompletesTheSaleSendsItsRowsAndStartsTheNext)
{
    const qint64 oid = fillSale();

    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);

    ASSERT_EQ(mainWindow.receipts.size(), 1u);
    EXPECT_TRUE(mainWindow.receipts[0].saleCompleted) << "completed before the register is asked";
    QStringList sent = mainWindow.receipts[0].rows;
    sent.sort();
    EXPECT_EQ(sent, (QStringList {QStringLiteral("8001 2 5"), QStringLiteral("8002 1 10")}));

    auto done = stored(oid);
    EXPECT_TRUE(done->GetBoolValue(QStringLiteral("Completato")));
    auto paid = done->GetReference(QStringLiteral("Pagamento"));
    ASSERT_EQ(paid->RowCount(), 1);
    paid->MoveFirst();
    EXPECT_EQ(paid->GetCurrencyValue(QStringLiteral("Importo")), eur("15"));
    EXPECT_EQ(paid->GetCurrencyValue(QStringLiteral("Importo")),
              done->GetCurrencyValue(QStringLiteral("ImportoVendita")));
    EXPECT_EQ(paid->GetReferenceOID(QStringLiteral("Pagamento")), cash);
    EXPECT_EQ(stockOf(pane), 8);
    EXPECT_EQ(stockOf(latte), 9);

    EXPECT_TRUE(prompts().isEmpty());
    EXPECT_EQ(setting(kVendite, QStringLiteral("ClienteDefault")), QString::number(occasional));
    ASSERT_TRUE(sale->isOpen());
    EXPECT_NE(sale->sale()->GetOID(), oid);
    EXPECT_EQ(count(kVendite), 2);
    EXPECT_EQ(sale->rows()->RowCount(), 0);
}

// The table keeps one sale per customer and second, and one payment of an amount: a sale
// finished within the second it began must not keep the next one from starting.
TEST_F(SaleForm, SalesAndPaymentsOfOneCustomerInTheSameSecondAreAllKept)
{
    setAppClock(std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30))));
    addArticle(QStringLiteral("8003"), "2.50", 10);
    ASSERT_TRUE(sale->Add_Vendita());
    const qint64 first = sale->sale()->GetOID();
    scan(QStringLiteral("8001"));
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);
    const qint64 second = sale->sale()->GetOID();
    scan(QStringLiteral("8003"));
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);

    const QDateTime start = stored(first)->GetValue(QStringLiteral("DataVendita")).toDateTime();
    EXPECT_EQ(stored(second)->GetValue(QStringLiteral("DataVendita")).toDateTime(), start.addSecs(1));
    EXPECT_EQ(sale->header().date, start.addSecs(2));
    EXPECT_EQ(count(QStringLiteral("PagamentiCliente"), QStringLiteral("Importo = 2.5")), 2);
    EXPECT_TRUE(prompts().isEmpty());
}

TEST_F(SaleForm, APaymentTypeIsAskedForOnceAndThenRemembered)
{
    setSetting(kVendite, QStringLiteral("PagamentoDefault"), QString());
    const qint64 card = keyOf(QStringLiteral("TipiPagamento"), QStringLiteral("Bonifico"));
    op.picks = {card};
    fillSale();
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(op.log.first(), QStringLiteral("pick 5 of TipiPagamento"));
    EXPECT_EQ(setting(kVendite, QStringLiteral("PagamentoDefault")), QString::number(card));

    op.log.clear();
    fillSale();
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(op.log.filter(QStringLiteral("pick")), QStringList()) << "the remembered type is taken";
}

TEST_F(SaleForm, ARegisterFailureLeavesTheSaleCompletedAndSaysSo)
{
    mainWindow.registerWorks = false;
    const qint64 oid = fillSale();

    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);

    EXPECT_EQ(prompts(), QStringList {kNotSent});
    EXPECT_TRUE(stored(oid)->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_EQ(stored(oid)->GetReference(QStringLiteral("Pagamento"))->RowCount(), 1);
    EXPECT_TRUE(sale->isOpen());
}

TEST_F(SaleForm, WithoutAMainWindowThatPrintsReceiptsTheSaleIsRecordedWithoutOne)
{
    setCounterServices(nullptr);
    const qint64 oid = fillSale();
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(prompts(), QStringList {kNotSent});
    EXPECT_TRUE(stored(oid)->GetBoolValue(QStringLiteral("Completato")));
}

TEST_F(SaleForm, NoReceiptIsAskedForWithTheRegisterOffOrTheReceiptUnticked)
{
    for (const bool registerOn : {false, true}) {
        SCOPED_TRACE(registerOn);
        settings().FiscalPrinterEnabled = registerOn;
        fillSale();
        if (registerOn) sale->SetFiscalRecord(false);
        EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);
    }
    EXPECT_TRUE(mainWindow.receipts.empty());
    EXPECT_TRUE(prompts().isEmpty());
}

TEST_F(SaleForm, VouchersAboveTheSaleRefuseTheConfirmAndVouchersEqualToItPass)
{
    const qint64 rossi = addCustomer(QStringLiteral("Rossi"), QStringLiteral("R1"), false);
    auto customer = row(QStringLiteral("Clienti"), rossi);
    customer->GetReference(QStringLiteral("Buoni"))
        ->AddRow({QStringLiteral("Descrizione"), QStringLiteral("Buono"), QStringLiteral("ImportoBuono"), money("10")});
    setSetting(kVendite, QStringLiteral("ClienteDefault"), QString::number(rossi));
    ASSERT_TRUE(sale->Add_Vendita());
    scan(QStringLiteral("8001"));
    scan(QStringLiteral("8001"));   // 5.00
    op.picks = {keyOf(QStringLiteral("BuoniClienti"), QStringLiteral("Buono"))};
    answer({QStringLiteral("Yes")});
    ASSERT_TRUE(sale->points().UseVoucher());
    EXPECT_EQ(sale->header().vouchers, eur("10"));
    EXPECT_TRUE(sale->header().vouchersAboveTotal);

    clearPrompts();
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Stay);
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("L'importo dei buoni supera quello della vendita")});
    EXPECT_TRUE(mainWindow.receipts.empty());

    scan(QStringLiteral("8001"));
    scan(QStringLiteral("8001"));   // 10.00
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(mainWindow.receipts.size(), 1u);
}

TEST_F(SaleForm, ConfirmWithoutRowsSaysSoAndKeepsTheSaleOpen)
{
    ASSERT_TRUE(sale->Add_Vendita());
    const qint64 oid = sale->sale()->GetOID();
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Stay);
    EXPECT_EQ(prompts(),
              QStringList {QStringLiteral("Nessun articolo\r\rDevi inserire gli articoli della vendita...")});
    EXPECT_EQ(sale->sale()->GetOID(), oid);
    EXPECT_FALSE(stored(oid)->GetBoolValue(QStringLiteral("Completato")));
}

TEST_F(SaleForm, CancellingThePaymentLeavesTheSaleOpenWithoutAPayment)
{
    const qint64 oid = fillSale();
    op.saveEdits = false;
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Stay);
    EXPECT_EQ(op.log.last(), QStringLiteral("edit PagamentiCliente"));
    EXPECT_FALSE(stored(oid)->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_EQ(count(QStringLiteral("PagamentiCliente")), 0);
    EXPECT_TRUE(mainWindow.receipts.empty());
    EXPECT_EQ(sale->sale()->GetOID(), oid);
}

TEST_F(SaleForm, CancelDeletesTheNewSaleGivesItsStockBackAndStartsAnother)
{
    const qint64 oid = fillSale();

    answer({QStringLiteral("No")});
    EXPECT_EQ(sale->Cancel(), SaleDocument::After::Stay);
    EXPECT_EQ(stockOf(pane), 8);

    answer({QStringLiteral("Yes")});
    EXPECT_EQ(sale->Cancel(), SaleDocument::After::Next);
    EXPECT_EQ(prompts(), (QStringList(2, QStringLiteral("Confermi l'annullamento della vendita ?"))));
    EXPECT_EQ(count(kVendite, QStringLiteral("OID = %1").arg(oid)), 0);
    EXPECT_EQ(count(QStringLiteral("ScaricoArticoli")), 0);
    EXPECT_EQ(stockOf(pane), 10);
    EXPECT_EQ(stockOf(latte), 10);
    ASSERT_TRUE(sale->isOpen());
    EXPECT_NE(sale->sale()->GetOID(), oid);
}

TEST_F(SaleForm, ClosingAsksBeforeAnUnconfirmedSaleWithRowsIsDeleted)
{
    QLineEdit box;
    const std::shared_ptr<BarcodeTarget> target = LineEditBarcodeTarget(&box);
    ASSERT_TRUE(sale->Activate(target));
    EXPECT_EQ(mainWindow.codeBox, target);
    const qint64 empty = sale->sale()->GetOID();
    EXPECT_TRUE(sale->QueryClose()) << "an empty sale goes without a question";
    EXPECT_TRUE(prompts().isEmpty());

    fillSale();
    answer({QStringLiteral("No")});
    EXPECT_FALSE(sale->QueryClose());
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("Confermi l'annullamento della vendita ?")});
    EXPECT_EQ(stockOf(pane), 8);

    answer({QStringLiteral("Yes")});
    ASSERT_TRUE(sale->QueryClose());
    sale->Unload();
    EXPECT_EQ(count(kVendite, QStringLiteral("OID = %1").arg(empty)), 0);
    EXPECT_EQ(stockOf(pane), 10);
    EXPECT_EQ(mainWindow.codeBox, nullptr);
    EXPECT_EQ(mainWindow.refreshes, 1);
}

TEST_F(SaleForm, AnEditedSaleGoesToTheRegisterAgainOnlyWhenTheOperatorAsks)
{
    const qint64 oid = fillSale();
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);
    ASSERT_EQ(mainWindow.receipts.size(), 1u);
    sale.reset();

    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked);
        SaleDocument edit(db(), op);
        edit.Load();
        auto view = row(kVendite, oid);
        ASSERT_TRUE(edit.Edit_Vendita(view.get()));
        EXPECT_FALSE(edit.fiscalRecord());
        if (ticked) edit.SetFiscalRecord(true);
        EXPECT_EQ(edit.Confirm(), SaleDocument::After::Next);
        EXPECT_EQ(mainWindow.receipts.size(), ticked ? 2u : 1u);
        EXPECT_TRUE(edit.fiscalRecord()) << "the next new sale goes to the register as before";
        EXPECT_EQ(stored(oid)->GetReference(QStringLiteral("Pagamento"))->RowCount(), 1) << "still one payment";
    }
    EXPECT_TRUE(prompts().isEmpty());
}

TEST_F(SaleForm, CancellingAnEditedSaleDropsItsChangesAndCloses)
{
    const qint64 oid = fillSale();
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);
    SaleDocument edit(db(), op);
    auto view = row(kVendite, oid);
    ASSERT_TRUE(edit.Edit_Vendita(view.get()));
    edit.SetNote(QStringLiteral("cambiata"));

    answer({QStringLiteral("Yes")});
    EXPECT_EQ(edit.Cancel(), SaleDocument::After::Unload);
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("Annullare le modifiche ?")});
    EXPECT_EQ(stored(oid)->GetValue(QStringLiteral("Note")).toString(), QString());
    EXPECT_TRUE(stored(oid)->GetBoolValue(QStringLiteral("Completato"))) << "an edited sale is never deleted";
    EXPECT_EQ(stockOf(pane), 8);
}

// With the engine's transactions on, each sale is one: begun when it starts, ended when it
// is confirmed or given up, undone when it could not start.
TEST_F(SaleForm, WithEngineTransactionsEachSaleIsOneTransaction)
{
    DBEngine& engine = *db().GetEngine();
    engine.SetUseTransaction(true);

    setSetting(kVendite, QStringLiteral("ClienteDefault"), QString());
    op.picks = {0};
    EXPECT_FALSE(sale->Add_Vendita());
    EXPECT_EQ(engine.TransactionLevel(), 0) << "a sale that could not start leaves none open";

    op.picks = {occasional};
    const qint64 first = fillSale();
    EXPECT_EQ(engine.TransactionLevel(), 1);
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(engine.TransactionLevel(), 1) << "the confirmed sale's ended, the next sale's begun";

    fillSale();
    sale->Unload();
    EXPECT_EQ(engine.TransactionLevel(), 0);
    engine.SetUseTransaction(false);
    EXPECT_TRUE(stored(first)->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_EQ(count(kVendite), 1) << "the sale given up at unload is gone";
    EXPECT_EQ(stockOf(pane), 8);
}

// With the engine's transactions off, a new sale holds none (the library journals it as
// open instead), but an edit of a completed sale is one: nothing of it reaches the file
// until it is confirmed, so a crash in the middle leaves the sale as it was.
TEST_F(SaleForm, AnEditIsOneTransactionWhateverTheEnginesSwitch)
{
    DBEngine& engine = *db().GetEngine();
    ASSERT_FALSE(engine.UseTransaction());
    const qint64 oid = fillSale();
    EXPECT_EQ(engine.TransactionLevel(), 0) << "a new sale keeps no transaction open";
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(engine.TransactionLevel(), 0);
    sale.reset();

    // Another counter on the same file sees what is committed.
    DBEngine other;
    other.OpenDatabase(3, engine.Path());
    auto committedStock = [&] {
        return other.GetConnection()
            .Query(QStringLiteral("SELECT ValoreScorta FROM Articoli WHERE OID = %1").arg(latte))
            .rows.value(0)
            .value(0)
            .toDouble();
    };
    ASSERT_EQ(committedStock(), 9);

    SaleDocument edit(db(), op);
    auto view = row(kVendite, oid);
    ASSERT_TRUE(edit.Edit_Vendita(view.get()));
    EXPECT_EQ(engine.TransactionLevel(), 1);
    const DocumentRows::Result added = edit.rowEntry().AddArticle(QStringLiteral("8002"));
    ASSERT_TRUE(added.changed);
    EXPECT_EQ(stockOf(latte), 8);
    EXPECT_EQ(committedStock(), 9) << "the edit's line is not in the file before the confirm";

    EXPECT_EQ(edit.Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(committedStock(), 8);
    EXPECT_EQ(engine.TransactionLevel(), 0);
    other.Close();
}

TEST_F(SaleForm, ACustomerWhoCollectsPointsNeverBecomesTheDefault)
{
    settings().Use_PuntiPremio = true;
    const qint64 rossi = addCustomer(QStringLiteral("Rossi"), QStringLiteral("R1"), true);
    const qint64 bianchi = addCustomer(QStringLiteral("Bianchi"), QStringLiteral("B1"), false);
    ASSERT_TRUE(sale->Add_Vendita());
    op.picks = {rossi};
    ASSERT_TRUE(sale->SetCustomer());
    fillSale();
    EXPECT_TRUE(sale->header().pointsShown);
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(setting(kVendite, QStringLiteral("ClienteDefault")), QString::number(occasional));

    op.picks = {bianchi};
    ASSERT_TRUE(sale->SetCustomer());
    fillSale();
    ASSERT_EQ(sale->Confirm(), SaleDocument::After::Next);
    EXPECT_EQ(setting(kVendite, QStringLiteral("ClienteDefault")), QString::number(bianchi));
    EXPECT_EQ(sale->header().counterpart, QStringLiteral("Bianchi"));
}

// Every entry point draws a line, so a copy that reaches the printer is seen whole.
const QString kTicketScript
    = QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRicevuta, prn, bTotal)\r\n"
                     "  prn.TxtOut 0, 0, \"TOTALE \" & flds(\"ImportoVendita\")\r\n"
                     "  PrintTicketMask = %1\r\n"
                     "End Function\r\n"
                     "Function PrintTicketRow(flds, prn, nRow)\r\n"
                     "  PrintTicketRow = True\r\n"
                     "End Function\r\n"
                     "Function PrintTicketInfo(sInfo, prn, nRow)\r\n"
                     "  PrintTicketInfo = True\r\n"
                     "End Function\r\n");

class SaleReceipts : public SaleForm {
protected:
    void SetUp() override
    {
        SaleForm::SetUp();
        settings().Use_Ricevute = true;
        settings().TicketPrinterParam.VBScript = kTicketScript.arg(QStringLiteral("True"));
        sale->setReceiptTarget([this] {
            targets.push_back(std::make_shared<RecordingTarget>());
            return targets.back();
        });
    }
    int printed() const
    {
        return int(std::count_if(targets.begin(), targets.end(), [](const auto& t) { return t->ended(); }));
    }
    std::vector<std::shared_ptr<RecordingTarget>> targets;
};

TEST_F(SaleReceipts, EachCopyIsPrintedOnAPrintObjectOfItsOwn)
{
    settings().NCopyRicevute = QStringLiteral("2");
    const qint64 oid = fillSale();
    sale->SetPrintReceipt(true);
    EXPECT_FALSE(sale->fiscalRecord()) << "the printed receipt takes the fiscal one's place";

    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);

    EXPECT_EQ(targets.size(), 2u);
    EXPECT_EQ(printed(), 2);
    EXPECT_EQ(count(QStringLiteral("Ricevute"), QStringLiteral("OID_Vendita = %1").arg(oid)), 1);
    EXPECT_EQ(op.log.filter(QStringLiteral("new Ricevute")).size(), 1);
    EXPECT_FALSE(sale->printReceipt());
    EXPECT_TRUE(mainWindow.receipts.empty());
    EXPECT_TRUE(prompts().isEmpty());
}

TEST_F(SaleReceipts, AFailedCopyIsOfferedAgainAndNoStopsTheCopies)
{
    settings().NCopyRicevute = QStringLiteral("2");
    settings().TicketPrinterParam.VBScript = kTicketScript.arg(QStringLiteral("False"));
    fillSale();
    sale->SetPrintReceipt(true);
    answer({QStringLiteral("Yes"), QStringLiteral("No")});

    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);

    const QString retry = QStringLiteral("La ricevuta non e' stata stampata correttamente...\r\rVuoi riprovare ?");
    EXPECT_EQ(prompts(), (QStringList {retry, retry})) << "no word of a missing receipt: the copies were tried";
    EXPECT_EQ(targets.size(), 2u) << "the first copy twice, never the second";
    // Each failed attempt still ends its document: what it drew is printed.
    EXPECT_EQ(printed(), 2);
}

TEST_F(SaleReceipts, WithoutAReceiptRecordNothingIsPrintedAndTheOperatorIsTold)
{
    const qint64 oid = fillSale();
    sale->SetPrintReceipt(true);
    op.saveNewRows = false;

    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);

    EXPECT_EQ(prompts(), QStringList {kNoReceipt});
    EXPECT_TRUE(targets.empty());
    EXPECT_TRUE(stored(oid)->GetBoolValue(QStringLiteral("Completato")));
}

// The receipt's number is the next of the year only for a receipt a customer got: one that
// was not printed goes, and the next printed one takes the number it would have used.
TEST_F(SaleReceipts, AReceiptThatIsNotPrintedLeavesNoRowAndNoNumberUsed)
{
    const QString retry = QStringLiteral("La ricevuta non e' stata stampata correttamente...\r\rVuoi riprovare ?");
    const struct {
        const char* what;
        const char* copies;
        const char* scriptResult;
        QStringList answers;
        QStringList told;
        QVariantList editorSets;   // what the operator changes in the receipt's editor
    } cases[] = {
        {"no copy asked for", "0", "True", {}, {kNoReceipt}, {}},
        {"the copy failed and was not tried again", "1", "False", {QStringLiteral("No")}, {retry}, {}},
        {"the operator took the sale away", "1", "True", {}, {kNoReceipt}, {QStringLiteral("Vendita"), qint64(0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        op.newRowValues = c.editorSets;
        settings().NCopyRicevute = QString::fromLatin1(c.copies);
        settings().TicketPrinterParam.VBScript = kTicketScript.arg(QString::fromLatin1(c.scriptResult));
        fillSale();
        sale->SetPrintReceipt(true);
        answer(c.answers);
        clearPrompts();
        EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);
        EXPECT_EQ(prompts(), c.told);
        EXPECT_EQ(count(QStringLiteral("Ricevute")), 0);
    }

    op.newRowValues.clear();
    settings().NCopyRicevute = QStringLiteral("1");
    settings().TicketPrinterParam.VBScript = kTicketScript.arg(QStringLiteral("True"));
    const qint64 oid = fillSale();
    sale->SetPrintReceipt(true);
    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);
    auto receipt = select(QStringLiteral("Ricevute"), QStringLiteral("OID_Vendita = %1").arg(oid));
    ASSERT_EQ(receipt->RowCount(), 1);
    receipt->MoveFirst();
    EXPECT_EQ(receipt->GetValue(QStringLiteral("Numero")).toLongLong(), 1);
}

TEST_F(SaleForm, TheArchiveMarkNeedsTheBackupSetUpAndFollowsTheFiscalReceipt)
{
    ASSERT_TRUE(sale->Add_Vendita());
    EXPECT_FALSE(sale->SetBackupMoveSignal(true));
    EXPECT_FALSE(sale->backupMark());
    EXPECT_EQ(prompts(),
              QStringList {QStringLiteral("Salvataggio dati non abilitato o non correttamente configurato\r\r"
                                          "Controllare le impostazioni di backup.")});

    settings().BackupDir = testenv::newDir(QStringLiteral("backup"));
    sale->SetMoveAllWithoutFiscal(true);
    EXPECT_EQ(setting(QStringLiteral("frmVenditeSettings"), QStringLiteral("MoveAllNoFiscalToBackup")),
              QStringLiteral("True"));
    EXPECT_FALSE(sale->backupMark()) << "a sale with its fiscal receipt stays";
    EXPECT_FALSE(sale->backupMoveMenuEnabled());
    sale->SetFiscalRecord(false);
    EXPECT_TRUE(sale->backupMark());
    sale->SetFiscalRecord(true);
    EXPECT_FALSE(sale->backupMark());

    SaleDocument reopened(db(), op);
    reopened.Load();
    EXPECT_TRUE(reopened.moveAllWithoutFiscal()) << "kept in the window's settings";
}

TEST_F(SaleForm, AMarkedSaleIsMovedToTheArchiveAfterItsReceipt)
{
    settings().BackupDir = testenv::newDir(QStringLiteral("archive"));
    const qint64 oid = fillSale();
    ASSERT_TRUE(sale->SetBackupMoveSignal(true));

    EXPECT_EQ(sale->Confirm(), SaleDocument::After::Next);

    EXPECT_EQ(mainWindow.receipts.size(), 1u);
    EXPECT_EQ(count(kVendite, QStringLiteral("OID = %1").arg(oid)), 0);
    ASSERT_TRUE(g_objBackupDBEngine);
    const auto archived
        = db().RunQuery(QStringLiteral("SELECT Completato FROM Vendite WHERE OID = %1").arg(oid), g_objBackupDBEngine);
    ASSERT_EQ(archived.rows.size(), 1);
    EXPECT_EQ(archived.rows[0][0].toInt(), 1);
    EXPECT_EQ(stockOf(pane), 8) << "the stock stays sold";
    EXPECT_FALSE(sale->backupMark()) << "a sale with its fiscal receipt clears the mark";
    EXPECT_TRUE(prompts().isEmpty()) << "no question before the move";
}

// Two counters on one file each start a document of the same customer, or a payment of the
// same amount, in the same second, neither stored when the other looks for a free second:
// the one stored second moves on a second, unrefused.
TEST_F(CounterShop, ADocumentOfTheSameSecondAtAnotherCounterMovesOnASecond)
{
    struct Case {
        const char* table;
        const char* time;
        QStringList others;
    };
    const Case cases[] = {
        {"Vendite", "DataVendita", {QStringLiteral("Cliente")}},
        {"PagamentiCliente", "DataPagamento", {QStringLiteral("Cliente"), QStringLiteral("Importo")}},
    };
    auto otherEngine = std::make_shared<DBEngine>();
    otherEngine->OpenDatabase(3, dir + QStringLiteral("/Mirtavolia.mdb"));
    RefusalSink otherSink;
    auto other = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), &otherSink);
    other->AttachEngine(otherEngine);
    const qint64 rossi = addCustomer(QStringLiteral("Rossi"), QStringLiteral("C1"), false);
    const QDateTime second(QDate(2007, 3, 1), QTime(11, 0, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const QString table = QString::fromLatin1(c.table);
        const QString time = QString::fromLatin1(c.time);
        auto begin = [&](Database& at) {
            auto row = at.Tables().Item(table)->Select(QStringLiteral("OID = 0"));
            row->NewRow();
            row->SetReferenceOID(QStringLiteral("Cliente"), rossi);
            if (c.others.contains(QStringLiteral("Importo"))) row->SetValue(QStringLiteral("Importo"), money("5"));
            row->SetValue(time, second);
            MoveToFreeSecond(*row, time, c.others);
            return row;
        };
        auto here = begin(db());
        auto there = begin(*other);
        there->Update();
        EXPECT_NO_THROW(here->Update());
        EXPECT_TRUE(sink.refusals.isEmpty()) << sink.refusals.join(u'|').toStdString();
        EXPECT_EQ(row(table, there->GetOID())->GetValue(time).toDateTime(), second);
        EXPECT_EQ(row(table, here->GetOID())->GetValue(time).toDateTime(), second.addSecs(1));
    }
    other->Close();
    otherEngine->Close();
}

}   // namespace
