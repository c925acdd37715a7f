// Speed and memory of the stock rules on a shop of realistic size: a sale line added by
// article code, with its line number, discount look-up, amount and stock update, among
// 100,000 articles and 1,000,000 existing sale lines. Beside it, turn about, the same work
// on plain SQLite (the same file opened with the library's settings, RawSqlite): an article
// looked up by code, the line inserted, linked to its sale and the stock updated, so the
// cost of the rules reads as the counter `ratio`.
//
// Memory: the peak of 3,000 sale lines over 3,000 different articles must stay within 10%
// of the same lines over 20 articles (a statement or translation kept per article would
// grow it); and over a long session of 50,000 sales of three lines each, the heap in use
// after the 50,000th sale may exceed the heap after the 10,000th by less than 2 MB. Each is
// read in a process of its own (this program started again with --sale-lines or
// --long-session), so that nothing of this process counts.
#include "BenchShop.h"
#include "base/Clock.h"
#include "base/Currency.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "RawSqlite.h"
#include "SideBySide.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <QProcess>
#include <cstdio>
#include <malloc.h>

namespace {

constexpr int kArticles = 100000;
constexpr int kSales = 100000;
constexpr int kLinesPerSale = 10;

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/stock-bench-XXXXXX");
    return dir;
}

using Shop = BenchShop;

// The shop database declared by the program at `path`, `articles` articles in the default
// deposit, `sales` sales of ten lines each and a few discount rules, filled by plain SQL.
Shop makeShop(const QString& path, int articles, int sales)
{
    Shop o;
    o.create(path);
    SqlConnection& c = o.engine->sql();
    const QString deposit = c.scalar("SELECT OID FROM Depositi WHERE Deposito = ''").toString();
    c.execScript("BEGIN");
    c.execScript(
        QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                "INSERT INTO Articoli (OID, Codice, Descrizione, PrezzoVendita, PrezzoAcquisto, ValoreScorta, "
                "ValoreMisura, PrezzoAcquistoMedio, PercentualeScorporoVari, OID_Deposito) "
                "SELECT x, 'K' || x, 'Articolo ' || (x % 5000), 1.5 + (x % 7), 1 + (x % 5), 1000, 1, 1, 0, %2 FROM n")
            .arg(articles)
            .arg(deposit));
    if (sales > 0) {
        c.execScript(
            QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                    "INSERT INTO Vendite (OID, ImportoVendita, ImportoBuoni, DataVendita, Note, Punti, Completato) "
                    "SELECT x, 25, 0, '2007-03-01 10:00:00', '', 0, 1 FROM n")
                .arg(sales));
        c.execScript(
            QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                    "INSERT INTO ScaricoArticoli (OID, objParent, ImportoScarico, ImportoSconto, ValoreScarico, "
                    "PuntiPremio, DataScarico, Progressivo) "
                    "SELECT x, 1 + (x * 7919) % %2, 2.5, 0, 1, 0, '2007-03-01 10:00:00', x FROM n")
                .arg(sales * kLinesPerSale)
                .arg(articles));
        c.execScript(QString("INSERT INTO \"Vendite$Articoli\" (OwnerOID, MemberOID) "
                             "SELECT 1 + (OID - 1) / %1, OID FROM ScaricoArticoli")
                         .arg(kLinesPerSale));
    }
    c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 50) "
                         "INSERT INTO ConfigurazioneSconti (OID, Descrizione, ImportoSconto, CalcoloPuntiClienti, "
                         "OID_SoloArticolo) SELECT x, 'Sconto ' || x, 0.5, 0, x * 997 FROM n"));
    c.execScript("COMMIT");
    return o;
}

Shop& shop()
{
    static Shop s = makeShop(folder().path() + "/Mirtavolia.mdb", kArticles, kSales);
    return s;
}

// Code of the article of line i among `articles`, spread over the table.
QString articleCode(int i, int articles) { return QString("K%1").arg(1 + (i * 7919) % articles); }

// One line through the library: the operator types the code, then the quantity.
bool addLine(TableData& lines, const QString& code)
{
    lines.NewRow();
    if (!lines.SetParentByKey(code)) return false;
    lines.SetValue("ValoreScarico", 2.0);
    lines.Update();
    return true;
}

// One line a turn on each side: through the library into a sale, and on plain SQLite (the
// article by its code, the line inserted and linked to its sale, the article's stock
// lowered; one transaction a line). The two sides take articles far apart, so that neither
// changes a row the other has read.
void BM_SaleLineByArticleCode(benchmark::State& state)
{
    Shop& s = shop();
    auto sale = s.db->Tables().Item("Vendite")->Select("OID = 0");
    sale->NewRow();
    sale->Update();
    auto lines = sale->GetReference("Articoli");

    RawSqlite raw(folder().path() + "/Mirtavolia.mdb");
    raw.exec("INSERT OR IGNORE INTO Vendite (OID, ImportoVendita, DataVendita) VALUES (900000001, 0, '2007-03-01 "
             "10:00:00')");
    sqlite3_stmt* find = raw.prepare("SELECT OID, PrezzoVendita FROM Articoli WHERE Codice = ?");
    sqlite3_stmt* insert
        = raw.prepare("INSERT INTO ScaricoArticoli (OID, objParent, ImportoScarico, ValoreScarico, DataScarico) "
                      "VALUES (?, ?, ?, 2, '2007-03-01 10:00:00')");
    sqlite3_stmt* link = raw.prepare("INSERT INTO \"Vendite$Articoli\" (OwnerOID, MemberOID) VALUES (900000001, ?)");
    sqlite3_stmt* stock = raw.prepare("UPDATE Articoli SET ValoreScorta = ValoreScorta - 2 WHERE OID = ?");
    static qint64 oid = 900000000 + 1000000;
    // Each run is a new sale whose numbers start again at 1: the articles go on, so that no
    // two lines of one second share article and number.
    static int i = 0;
    SideBySide compare;
    for (auto _ : state) {
        const int n = i++;
        compare.project([&] {
            if (!addLine(*lines, articleCode(n, kArticles))) state.SkipWithError("article not found");
        });
        compare.raw([&] {
            raw.exec("BEGIN");
            const QByteArray code = articleCode(n + kArticles / 2, kArticles).toUtf8();
            sqlite3_bind_text(find, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(find) != SQLITE_ROW) state.SkipWithError("article not found");
            const qint64 article = sqlite3_column_int64(find, 0);
            const double price = sqlite3_column_double(find, 1);
            sqlite3_reset(find);
            sqlite3_bind_int64(insert, 1, ++oid);
            sqlite3_bind_int64(insert, 2, article);
            sqlite3_bind_double(insert, 3, price * 2);
            RawSqlite::run(insert);
            sqlite3_bind_int64(link, 1, oid);
            RawSqlite::run(link);
            sqlite3_bind_int64(stock, 1, article);
            RawSqlite::run(stock);
            raw.exec("COMMIT");
        });
    }
    compare.report(state);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SaleLineByArticleCode)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same line of an existing sale changed again and again: the old quantity back, the new
// one out, the amount computed anew.
void BM_SaleLineQuantityChanged(benchmark::State& state)
{
    Shop& s = shop();
    auto lines = s.db->Tables().Item("ScaricoArticoli")->Select("OID = 500000");
    double quantity = 1;
    for (auto _ : state) {
        quantity = quantity == 1 ? 2 : 1;
        lines->SetValue("ValoreScarico", quantity);
        lines->Update();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SaleLineQuantityChanged)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// ---- Peak memory ------------------------------------------------------------------------------

constexpr int kMemoryLines = 3000;

// This program again with --sale-lines: its peak resident size in kB, -1 when it failed.
// The child reads its own peak (VmHWM): the one the system reports to the parent also
// counts what the child shared with it before it started anew.
long peakOfSaleLines(int articles)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString("--sale-lines=%1").arg(articles), folder().path() + QString("/memory-%1.mdb").arg(articles)});
    if (!child.waitForFinished(300000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const long kb = QString::fromLatin1(child.readAllStandardOutput()).trimmed().toLong(&ok);
    return ok ? kb : -1;
}

// The peak resident size of this process so far, in kB.
long ownPeak()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void BM_SaleLinesPeakMemory(benchmark::State& state)
{
    long few = 0, many = 0;
    for (auto _ : state) {
        few = peakOfSaleLines(20);
        many = peakOfSaleLines(kMemoryLines);
    }
    if (few <= 0 || many <= 0) {
        state.SkipWithError("the sale-lines process failed");
        return;
    }
    state.counters["peak_20_articles_MB"] = double(few) / 1024.0;
    state.counters["peak_3000_articles_MB"] = double(many) / 1024.0;
    state.counters["ratio"] = double(many) / double(few);
    if (double(many) > 1.10 * double(few))
        state.SkipWithError("peak over 3,000 articles more than 10% above 20 articles");
}
BENCHMARK(BM_SaleLinesPeakMemory)->Unit(benchmark::kSecond)->Iterations(1);

constexpr int kSessionSales = 50000;
constexpr int kSessionEarly = 10000;
constexpr int kSessionLines = 3;

// This program again with --long-session: the heap in use after 10,000 and after 50,000
// sales, in bytes; empty when it failed.
std::vector<double> heapOfLongSession()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--long-session"), folder().path() + "/session.mdb"});
    if (!child.waitForFinished(1800000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return {};
    std::vector<double> heap;
    for (const QString& n : QString::fromLatin1(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        heap.push_back(n.toDouble());
    return heap;
}

void BM_HeapOverLongSession(benchmark::State& state)
{
    std::vector<double> heap;
    for (auto _ : state) heap = heapOfLongSession();
    if (heap.size() != 2) {
        state.SkipWithError("the long-session process failed");
        return;
    }
    const double mb = 1024.0 * 1024.0;
    state.counters["heap_10k_sales_MB"] = heap[0] / mb;
    state.counters["heap_50k_sales_MB"] = heap[1] / mb;
    state.counters["growth_MB"] = (heap[1] - heap[0]) / mb;
    if (heap[1] - heap[0] >= 2 * mb) state.SkipWithError("the heap grew by 2 MB or more from 10,000 to 50,000 sales");
}
BENCHMARK(BM_HeapOverLongSession)->Unit(benchmark::kSecond)->Iterations(1);

// The heap in use: what the allocator has handed out and not had back.
double heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks) + double(m.hblkhd);
}

// The child's work: 50,000 sales of three lines each over 100,000 articles, each sale
// stored as the counter stores it (the sale, then its lines by code); the heap in use is
// printed after the 10,000th and after the last.
int longSession(const QString& path)
{
    Shop s = makeShop(path, kArticles, 0);
    auto clock = std::make_shared<ManualClock>();
    setAppClock(clock);
    auto sales = s.db->Tables().Item("Vendite")->Select("OID = 0");
    int line = 0;
    for (int sale = 1; sale <= kSessionSales; ++sale) {
        sales->NewRow();
        sales->Update();
        auto lines = sales->GetReference("Articoli");
        for (int k = 0; k < kSessionLines; ++k, ++line) {
            if (!addLine(*lines, articleCode(line, kArticles))) return 1;
            clock->advanceMs(1000);
        }
        sales->Update();
        if (sale == kSessionEarly || sale == kSessionSales) {
            malloc_trim(0);
            std::printf("%.0f\n", heapInUse());
        }
    }
    return 0;
}

// The child's work: 3,000 lines in sales of ten lines over `articles` articles.
int saleLines(int articles, const QString& path)
{
    Shop s = makeShop(path, std::max(articles, 3000), 0);
    // A second a line, as a counter sells: no two lines of one article share time and number.
    auto clock = std::make_shared<ManualClock>();
    setAppClock(clock);
    auto sales = s.db->Tables().Item("Vendite")->Select("OID = 0");
    std::unique_ptr<TableData> lines;
    for (int i = 0; i < kMemoryLines; ++i) {
        if (i % kLinesPerSale == 0) {
            sales->NewRow();
            sales->Update();
            lines = sales->GetReference("Articoli");
        }
        if (!addLine(*lines, articleCode(i, articles))) return 1;
        clock->advanceMs(1000);
    }
    std::printf("%ld\n", ownPeak());
    return 0;
}

}   // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strncmp(argv[1], "--sale-lines=", 13) == 0)
        return saleLines(std::atoi(argv[1] + 13), QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--long-session") == 0) return longSession(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
