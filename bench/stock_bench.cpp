// Speed and memory of the stock rules on a shop of realistic size: a sale line added by
// article code, with its line number, discount look-up, amount and stock update, among
// 100,000 articles and 1,000,000 existing sale lines. Beside it, the same work on raw
// SQLite (same tables, WAL, synchronous=NORMAL): an article looked up by code, the line
// inserted, linked to its sale and the stock updated, so the cost of the rules is read as a
// ratio measured in one run.
//
// Memory: the peak of 3,000 sale lines over 3,000 different articles must stay within 10%
// of the same lines over 20 articles (a statement or translation kept per article would
// grow it). Each peak is read from a process of its own (this program started again with
// --sale-lines), so that nothing of this process counts.
#include "BenchShop.h"
#include "Clock.h"
#include "Currency.h"
#include "DB.h"
#include "DBEngine.h"
#include "Database.h"
#include "SqlConnection.h"
#include "TableData.h"
#include "TableObject.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <QProcess>
#include <cstdio>
#include <sqlite3.h>

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
    c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                         "INSERT INTO Articoli (OID, Codice, Descrizione, PrezzoVendita, PrezzoAcquisto, ValoreScorta, "
                         "ValoreMisura, PrezzoAcquistoMedio, PercentualeScorporoVari, OID_Deposito) "
                         "SELECT x, 'K' || x, 'Articolo ' || (x % 5000), 1.5 + (x % 7), 1 + (x % 5), 1000, 1, 1, 0, %2 FROM n")
                     .arg(articles)
                     .arg(deposit));
    if (sales > 0) {
        c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                             "INSERT INTO Vendite (OID, ImportoVendita, ImportoBuoni, DataVendita, Note, Punti, Completato) "
                             "SELECT x, 25, 0, '2007-03-01 10:00:00', '', 0, 1 FROM n")
                         .arg(sales));
        c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
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

void BM_SaleLineByArticleCode(benchmark::State& state)
{
    Shop& s = shop();
    auto sale = s.db->Tables().Item("Vendite")->Select("OID = 0");
    sale->NewRow();
    sale->Update();
    auto lines = sale->GetReference("Articoli");
    // Each run is a new sale whose numbers start again at 1: the articles go on, so that no
    // two lines of one second share article and number.
    static int i = 0;
    for (auto _ : state) {
        if (!addLine(*lines, articleCode(i++, kArticles))) {
            state.SkipWithError("article not found");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SaleLineByArticleCode)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same line on raw SQLite: the article by its code, the line inserted and linked to its
// sale, the article's stock lowered; statements prepared once, one transaction a line.
void BM_RawSaleLineByArticleCode(benchmark::State& state)
{
    shop();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(folder().path() + "/Mirtavolia.mdb").constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "INSERT INTO Vendite (OID, ImportoVendita, DataVendita) VALUES (900000001, 0, '2007-03-01 10:00:00')",
                 nullptr, nullptr, nullptr);
    auto prepare = [db](const char* sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
        return st;
    };
    sqlite3_stmt* find = prepare("SELECT OID, PrezzoVendita FROM Articoli WHERE Codice = ?");
    sqlite3_stmt* insert = prepare("INSERT INTO ScaricoArticoli (OID, objParent, ImportoScarico, ValoreScarico, DataScarico) "
                                   "VALUES (?, ?, ?, 2, '2007-03-01 10:00:00')");
    sqlite3_stmt* link = prepare("INSERT INTO \"Vendite$Articoli\" (OwnerOID, MemberOID) VALUES (900000001, ?)");
    sqlite3_stmt* stock = prepare("UPDATE Articoli SET ValoreScorta = ValoreScorta - 2 WHERE OID = ?");
    auto run = [](sqlite3_stmt* st) {
        while (sqlite3_step(st) == SQLITE_ROW) {}
        sqlite3_reset(st);
    };
    static qint64 oid = 900000000;
    static int i = 0;
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        const QByteArray code = articleCode(i++, kArticles).toUtf8();
        sqlite3_bind_text(find, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(find) != SQLITE_ROW) {
            state.SkipWithError("article not found");
            break;
        }
        const qint64 article = sqlite3_column_int64(find, 0);
        const double price = sqlite3_column_double(find, 1);
        sqlite3_reset(find);
        sqlite3_bind_int64(insert, 1, ++oid);
        sqlite3_bind_int64(insert, 2, article);
        sqlite3_bind_double(insert, 3, price * 2);
        run(insert);
        sqlite3_bind_int64(link, 1, oid);
        run(link);
        sqlite3_bind_int64(stock, 1, article);
        run(stock);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    for (sqlite3_stmt* st : {find, insert, link, stock}) sqlite3_finalize(st);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawSaleLineByArticleCode)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

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
    if (!child.waitForFinished(300000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) return -1;
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
    if (double(many) > 1.10 * double(few)) state.SkipWithError("peak over 3,000 articles more than 10% above 20 articles");
}
BENCHMARK(BM_SaleLinesPeakMemory)->Unit(benchmark::kSecond)->Iterations(1);

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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strncmp(argv[1], "--sale-lines=", 13) == 0)
        return saleLines(std::atoi(argv[1] + 13), QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
