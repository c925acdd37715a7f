// Two counters on one shop file, played in one process by two engines, and then by two real
// processes: whatever one counter holds pending while the other sells, loads or takes a
// number, every running total and every number ends as if the two had worked one after the
// other.
#include "SalesShop.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include <QProcess>
#include <QThread>
#include <functional>
#include <vector>

namespace {

class TwoCounters : public SalesShop {
protected:
    void SetUp() override
    {
        SalesShop::SetUp();
        otherEngine = std::make_shared<DBEngine>();
        otherEngine->OpenDatabase(3, shop.path());
        other = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "Mirtavolia", &otherSink);
        other->AttachEngine(otherEngine);
    }
    void TearDown() override
    {
        other->Close();
        otherEngine->Close();
        SalesShop::TearDown();
    }

    Database& a() { return shop.db(); }
    Database& b() { return *other; }
    static std::unique_ptr<TableData> select(Database& db, const QString& table, const QString& condition = QString())
    {
        return db.Tables().Item(table)->Select(condition);
    }
    // A stored document of the counter (a sale, for the customer when given, or a supply). A
    // customer's sales are a second apart: one customer has one sale a second.
    std::unique_ptr<TableData> document(Database& db, const QString& table, qint64 customer = 0)
    {
        if (customer) clock->advanceMs(1000);
        auto doc = select(db, table, "OID=0");
        doc->NewRow();
        if (customer) doc->SetReferenceOID("Cliente", customer);
        doc->Update();
        return doc;
    }
    // A line of the article in the document, its quantity set, not stored yet.
    static std::unique_ptr<TableData> pendingLine(TableData& doc, qint64 article, double quantity)
    {
        auto lines = doc.GetReference("Articoli");
        lines->NewRow();
        lines->SetParent(article);
        lines->SetValue(doc.tableName() == "Vendite" ? "ValoreScarico" : "ValoreCarico", quantity);
        return lines;
    }
    static void addLine(TableData& doc, qint64 article, double quantity)
    {
        pendingLine(doc, article, quantity)->Update();
    }
    // A use of the voucher in the sale, its amount set, not stored yet.
    static std::unique_ptr<TableData> pendingUse(TableData& sale, qint64 voucher, const char* amount)
    {
        auto uses = sale.GetReference("BuoniUtilizzati");
        uses->NewRow();
        uses->SetParent(voucher);
        uses->SetValue("ImportoUtilizzatoVendita", money(amount));
        return uses;
    }
    qint64 articleWith(const QString& code, double stock, const char* averagePrice = "1")
    {
        return shop.select("Articoli")
            ->AddRow({"Codice", code, "Descrizione", "Articolo " + code, "PrezzoVendita", money("3"), "PrezzoAcquisto",
                      money("3"), "ValoreScorta", stock, "PrezzoAcquistoMedio", money(averagePrice)});
    }
    void expectNoRefusal()
    {
        EXPECT_TRUE(shop.sink().refusals.isEmpty()) << shop.sink().refusals.join(" | ").toStdString();
        EXPECT_TRUE(otherSink.refusals.isEmpty()) << otherSink.refusals.join(" | ").toStdString();
    }

    RecordingSink otherSink;
    std::shared_ptr<DBEngine> otherEngine;
    std::shared_ptr<Database> other;
};

// The clock stands still: both counters' lines are of the same second, as the busiest
// moments of a shop are.
TEST_F(TwoCounters, TheStockCountsEveryLineOfBothCounters)
{
    struct Case {
        const char* name;
        const char* document;
        bool changedLater;   // A's line was stored before, its quantity changed while B sells
        double expected;   // from 100 in stock; A moves 5, B 3 (and 2 more when changed later)
    };
    const Case cases[] = {
        {"a sale line", "Vendite", false, 92},
        {"a sale line changed later", "Vendite", true, 90},
        {"a load line", "Forniture", false, 108},
        {"a load line changed later", "Forniture", true, 110},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 article = articleWith(QString("S%1").arg(++n), 100);
        auto docA = document(a(), c.document);
        auto docB = document(b(), c.document);
        std::unique_ptr<TableData> lineA;
        if (c.changedLater) {
            lineA = pendingLine(*docA, article, 1);
            lineA->Update();
            addLine(*docB, article, 3);
            lineA->SetValue(c.document == QString("Vendite") ? "ValoreScarico" : "ValoreCarico", 5.0);
            addLine(*docB, article, 2);
        } else {
            lineA = pendingLine(*docA, article, 5);
            addLine(*docB, article, 3);
        }
        lineA->Update();
        EXPECT_EQ(storedStock(article), c.expected);
        expectNoRefusal();
    }
}

// 10 in stock at an average of 1.00; each counter loads 10 at 3.00. B stores first: 20 at
// 2.00. A's load then counts B's: 30 at (20 x 2.00 + 30.00) / 30.
TEST_F(TwoCounters, TheAveragePurchasePriceCountsTheOtherCountersLoad)
{
    const qint64 article = articleWith("M", 10, "1");
    auto supplyA = document(a(), "Forniture");
    auto lineA = pendingLine(*supplyA, article, 10);
    auto supplyB = document(b(), "Forniture");
    addLine(*supplyB, article, 10);
    ASSERT_EQ(storedMoney("Articoli", "PrezzoAcquistoMedio", article), eur("2"));
    lineA->Update();
    EXPECT_EQ(storedStock(article), 30.0);
    EXPECT_EQ(storedMoney("Articoli", "PrezzoAcquistoMedio", article), eur("2.3333"));
}

// Both counters add lines to the same document (a sale or a supply opened at both): each
// document row holds its total pending until saved; the total stored last counts all lines.
TEST_F(TwoCounters, ADocumentsTotalCountsTheLinesAddedAtTheOtherCounter)
{
    struct Case {
        const char* document;
        const char* total;
        const char* expected;   // A's line of 1 and B's line of 2, at 3.00
    };
    for (const Case& c : {Case {"Vendite", "ImportoVendita", "9"}, Case {"Forniture", "ImportoAcquisto", "9"}}) {
        SCOPED_TRACE(c.document);
        const qint64 article = articleWith(QString("T") + c.document, 100);
        auto docA = document(a(), c.document);
        addLine(*docA, article, 1);
        auto docB = select(b(), c.document, QString("OID=%1").arg(docA->GetOID()));
        addLine(*docB, article, 2);
        docB->Update();
        docA->Update();
        EXPECT_EQ(storedMoney(c.document, c.total, docA->GetOID()), eur(c.expected));
        expectNoRefusal();
    }
}

// One point every 10.00. A's sale of 15.00 holds one point pending on its copy of the
// customer; B sells 30.00 (three points) and stores. A's line of 6.00 more brings its sale to
// 21.00, two points: its rule starts from the points as B left them.
TEST_F(TwoCounters, ACustomersPointsCountTheSalesOfBothCounters)
{
    const qint64 rossi = addCustomer("Rossi", "C1");
    const qint64 article = articleWith("P", 100);
    auto saleA = document(a(), "Vendite", rossi);
    addLine(*saleA, article, 5);
    auto saleB = document(b(), "Vendite", rossi);
    addLine(*saleB, article, 10);
    saleB->Update();
    ASSERT_EQ(storedPoints(rossi), 3);
    addLine(*saleA, article, 2);
    saleA->Update();
    EXPECT_EQ(storedPoints(rossi), 5);
    expectNoRefusal();
}

// A voucher of 50.00. Uses made at both counters add up on the voucher; a use that the other
// counter's use, stored meanwhile, leaves no room for is refused when stored, and books nothing.
TEST_F(TwoCounters, AVouchersUsedAmountCountsTheUsesOfBothCountersAndNeverExceedsIt)
{
    const QString overRemaining
        = QString::fromUtf8("L'importo da utilizzare è superiore all'importo rimanente del buono");
    struct Case {
        const char* name;
        const char* useA;
        const char* useB;
        const char* expectedUsed;
        bool refused;
    };
    const Case cases[] = {
        {"both fit", "10", "15", "25", false},
        {"together above the voucher", "30", "30", "30", true},
    };
    const qint64 rossi = addCustomer("Rossi", "C1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shop.sink().refusals.clear();
        const qint64 voucher = addVoucher(rossi, c.name, "50");
        auto saleA = document(a(), "Vendite", rossi);
        auto useA = pendingUse(*saleA, voucher, c.useA);
        auto saleB = document(b(), "Vendite", rossi);
        pendingUse(*saleB, voucher, c.useB)->Update();
        if (c.refused) {
            EXPECT_THROW(useA->Update(), AppError);
            EXPECT_EQ(shop.sink().refusals, QStringList {overRemaining});
        } else {
            useA->Update();
            expectNoRefusal();
        }
        EXPECT_EQ(storedMoney("BuoniClienti", "ImportoUtilizzato", voucher), eur(c.expectedUsed));
    }
}

// Each counter takes the next number while the other has not stored its row yet: a receipt's
// number in its year, a sale line's number among the lines of its article in the same second,
// a customer's progressive code. The row stored second takes the next free one, unrefused.
TEST_F(TwoCounters, NumbersTakenAtBothCountersAreStoredDifferent)
{
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TableData>(Database&, const QString& who)> take;   // a new row, its number taken
        const char* numbers;   // the two stored numbers, in order
    };
    const qint64 article = articleWith("N", 100);
    const std::vector<Case> cases = {
        {"receipts",
         [](Database& db, const QString&) {
             auto r = select(db, "Ricevute");
             r->NewRow();
             return r;
         },
         "SELECT Numero FROM Ricevute ORDER BY Numero"},
        {"sale lines",
         [this, article](Database& db, const QString&) {
             auto sale = document(db, "Vendite");
             return pendingLine(*sale, article, 1);
         },
         "SELECT Progressivo FROM ScaricoArticoli ORDER BY Progressivo"},
        {"customer codes",
         [](Database& db, const QString& who) {
             settings().ProgrLen_ClientiForn = 5;
             auto c = select(db, "Clienti");
             c->NewRow();
             c->SetValue("Descrizione", "Cliente di " + who);
             return c;
         },
         "SELECT Codice FROM Clienti WHERE Codice <> '' ORDER BY Codice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto rowA = c.take(a(), "A");
        c.take(b(), "B")->Update();
        rowA->Update();
        expectNoRefusal();
        QStringList stored;
        for (const QVariantList& r : shop.rawRows(c.numbers)) stored << r.value(0).toString();
        EXPECT_EQ(stored,
                  c.name == QString("customer codes") ? QStringList({"00001", "00002"}) : QStringList({"1", "2"}));
    }
}

#ifdef MV_MVTOOL_EXE
// Two developer tools selling at once on one file, each 100 units of one article in a sale of
// 100 lines: every line is stored and the stock drops by exactly 200.
TEST(TwoCounterProcesses, EachSelling100UnitsOfOneArticleTakeExactly200FromTheStock)
{
    const QString path = testenv::newDir("two-processes") + "/Mirtavolia.mdb";
    auto tool = [&](const QByteArray& script) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("run"), path});
        p->write(script);
        p->closeWriteChannel();
        return p;
    };
    auto setup = tool(
        "new Articoli\nset Codice=PANE\nset Descrizione=Pane\nset PrezzoVendita=3\nset ValoreScorta=1000\nsave\n");
    ASSERT_TRUE(setup->waitForFinished(60000));
    ASSERT_EQ(setup->exitCode(), 0) << setup->readAll().toStdString();

    QByteArray sale = "new Vendite\nsave\nlist Articoli\n";
    for (int i = 0; i < 100; ++i) sale += "new ScaricoArticoli\nparent PANE\nsave\n";
    sale += "up\nsave\n";
    auto first = tool(sale);
    auto second = tool(sale);
    for (auto* p : {first.get(), second.get()}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }

    auto check = [&](const QString& sql) {
        QProcess p;
        p.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("sql"), path, sql});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).value(1);
    };
    EXPECT_EQ(check("SELECT ValoreScorta FROM Articoli WHERE Codice='PANE'"), "800");
    EXPECT_EQ(check("SELECT count(*) FROM ScaricoArticoli"), "200");
    EXPECT_EQ(check("SELECT sum(ImportoVendita) FROM Vendite"), "600");
    // Runs that ended on their own keep the sales they left unfinished: nothing is noted for
    // the next opening of the file to give up.
    EXPECT_EQ(check("SELECT count(*) FROM _objdb_open"), "0");
}

// Two developer tools at once on one file, round after round, each making a sale of one
// customer and a supply, line by line. One of them may hold each new line open (as the row
// editor does while an article without a price waits for its price) while the other stores
// its own: no line is ever stored under an OID the other handed out, and every document's
// total is the sum of its lines, the customer's points those of his sales.
class TwoCounterProcessesDocuments : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = testenv::newDir("two-processes-documents") + "/Mirtavolia.mdb";
        auto setup = start();
        setup->write("new Articoli\nset Codice=PANE\nset Descrizione=Pane\nset PrezzoVendita=3.33\n"
                     "set PrezzoAcquisto=1.11\nset ValoreScorta=100000\nsave\n");
        for (int i = 1; i <= kCustomers; ++i)
            setup->write(QString("new Clienti\nset Descrizione=Cliente %1\nset Codice=C%1\nset CalcolaPunti=1\nsave\n")
                             .arg(i)
                             .toUtf8());
        finish(*setup);
    }
    std::unique_ptr<QProcess> start()
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("run"), path});
        EXPECT_TRUE(p->waitForStarted(30000));
        return p;
    }
    static void finish(QProcess& p)
    {
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }
    // A document of `lines` lines, written to the tool; `heldMs`: each line waits that long
    // between being made and being stored.
    // A customer has one sale a second: each sale is of a customer of its own.
    static void document(QProcess& p, const char* table, const char* line, const char* quantity, int lines, int heldMs,
                         const QByteArray& customer = {})
    {
        p.write(QByteArray("new ") + table + "\n"
                + (customer.isEmpty() ? QByteArray() : "setref Cliente=" + customer + "\n") + "save\nlist Articoli\n");
        for (int i = 0; i < lines; ++i) {
            p.write(QByteArray("new ") + line + "\nparent PANE\nset " + quantity + "=1\n");
            if (heldMs) {
                p.waitForBytesWritten(1000);
                QThread::msleep(heldMs);
            }
            p.write("save\n");
        }
        p.write("up\nsave\n");
    }
    QString scalar(const QString& sql)
    {
        QProcess p;
        p.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("sql"), path, sql});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).value(1);
    }
    void expectDocumentsAddUp(int sales, int supplies)
    {
        EXPECT_EQ(scalar("SELECT count(*) FROM Vendite"), QString::number(sales));
        EXPECT_EQ(scalar("SELECT count(*) FROM Forniture"), QString::number(supplies));
        // Each sale's total is its lines', and its customer (one sale each) has a point for each
        // 1.00 of it.
        EXPECT_EQ(
            scalar("SELECT count(*) FROM Vendite v WHERE ImportoVendita <> (SELECT round(sum(ImportoScarico), 4) FROM "
                   "ScaricoArticoli WHERE OID IN (SELECT MemberOID FROM [Vendite$Articoli] WHERE OwnerOID = v.OID))"),
            "0");
        EXPECT_EQ(
            scalar(
                "SELECT count(*) FROM Forniture f WHERE ImportoAcquisto <> (SELECT round(sum(ImportoCarico), 4) FROM "
                "CaricoArticoli WHERE OID IN (SELECT MemberOID FROM [Forniture$Articoli] WHERE OwnerOID = f.OID))"),
            "0");
        EXPECT_EQ(
            scalar("SELECT count(*) FROM Clienti c WHERE Codice <> '' AND Punti <> (SELECT sum(Int(ImportoVendita) + "
                   "Punti) FROM Vendite WHERE OID_Cliente = c.OID)"),
            "0");
    }

    static constexpr int kCustomers = 16;
    QString path;
};

TEST_F(TwoCounterProcessesDocuments, EveryDocumentsTotalIsTheSumOfItsLines)
{
    struct Case {
        const char* name;
        int heldMs;   // how long the first tool holds each new line before storing it
        int lines;
        int rounds;
    };
    const Case cases[] = {
        {"both at full speed", 0, 40, 6},
        {"one holding each line open", 15, 15, 2},
    };
    int sales = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int round = 0; round < c.rounds; ++round) {
            auto first = start();
            auto second = start();
            document(*second, "Vendite", "ScaricoArticoli", "ValoreScarico", c.lines, 0,
                     QByteArray("C") + QByteArray::number(sales + 2));
            document(*second, "Forniture", "CaricoArticoli", "ValoreCarico", c.lines, 0);
            // Handed to the tool whole (it reads as it goes), before the first one starts.
            while (second->bytesToWrite() > 0 && second->waitForBytesWritten(10000)) { }
            second->closeWriteChannel();
            document(*first, "Vendite", "ScaricoArticoli", "ValoreScarico", c.lines, c.heldMs,
                     QByteArray("C") + QByteArray::number(sales + 1));
            document(*first, "Forniture", "CaricoArticoli", "ValoreCarico", c.lines, c.heldMs);
            finish(*first);
            finish(*second);
            sales += 2;
        }
        expectDocumentsAddUp(sales, sales);
    }
}
#endif

}   // namespace
