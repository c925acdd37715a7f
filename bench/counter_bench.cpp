// Speed of the counter's row entry on a shop of realistic size: a code typed into the sale's
// code box becomes a saved row (barcode layouts consulted, article looked up by code, the
// row added or grown, its line number, discount, amount and the article's stock updated)
// and the rows are read again for the grid, among 100,000 articles and 1,000,000 earlier
// sale lines. Target: median under 2 ms a scan. Compare with stock_bench's bare line save.
// BM_ScanIntoSaleWindow measures the same through the sale window, shown (offscreen) as the
// operator sees it: the code handed to its code box as the reader hands it over, until the
// grid has read the rows it shows, the totals are drawn again and what changed on the window
// is painted, as the event loop paints it (a whole-window repaint is never what a scan asks).
// Beside it, turn about, plain SQLite does a scan's work on a copy of the same file opened
// with the library's settings (RawSqlite): the article found by code, the line inserted and
// linked to the sale, the stock lowered, in one transaction, then the sale's rows read back
// for the grid; `ratio` is the cost of the program.
#include "BenchShop.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "documents/DocumentOperator.h"
#include "objdb/ui/LazyTableModel.h"
#include "objdb/ui/ObjDataGrid.h"
#include "documents/SaleDocument.h"
#include "base/SettingsStore.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "documents/ui/frmVendite.h"
#include "RawSqlite.h"
#include "SideBySide.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kArticles = 100000;
constexpr int kSales = 100000;
constexpr int kLinesPerSale = 10;
constexpr int kRowsPerSale = 40;   // a long receipt; then the sale is given up and another begins

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/counter-bench-XXXXXX");
    return dir;
}

// Nobody at the counter: every code is known and the default customer is set, so no dialog
// is ever needed.
class NobodyAtTheCounter final : public DocumentOperator {
public:
    std::optional<qint64> pickRow(TableData&, const QStringList&) override { return std::nullopt; }
    std::optional<qint64> editRow(TableData&) override { return std::nullopt; }
    std::optional<qint64> newRow(TableData&, const QVariantList&) override { return std::nullopt; }
    bool editField(TableData&, const QString&) override { return false; }
    void showRows(TableData&, const QStringList&) override { }
    bool confirmWithBeep(const QString&) override { return false; }
    QString readCustomerCard() override { return {}; }
    std::optional<qint64> pickArticle(TableData&) override { return std::nullopt; }
    std::optional<qint64> newArticle(TableData&, const QVariantList&) override { return std::nullopt; }
    bool editArticle(TableData&, const QString&) override { return false; }
    std::optional<TextSearch> searchText(const QString&, const QString&, bool) override { return std::nullopt; }
};

struct Shop : BenchShop {
    NobodyAtTheCounter op;
    std::unique_ptr<SaleDocument> sale;
};

// The shop database declared by the program, filled once by plain SQL as stock_bench fills
// it, with a barcode layout for weighed articles so that every scan consults the layouts.
Shop& shop()
{
    static Shop s = [] {
        Shop o;
        o.create(folder().path() + "/Mirtavolia.mdb");
        SqlConnection& c = o.engine->sql();
        const QString deposit = c.scalar("SELECT OID FROM Depositi WHERE Deposito = ''").toString();
        const QString unit = c.scalar("SELECT OID FROM UnitaMisura WHERE Codice = 'QntPzz'").toString();
        c.execScript("BEGIN");
        c.execScript(
            QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                    "INSERT INTO Articoli (OID, Codice, Descrizione, PrezzoVendita, PrezzoAcquisto, ValoreScorta, "
                    "ValoreMisura, PrezzoAcquistoMedio, PercentualeScorporoVari, OID_Deposito, OID_UnitaMisura) "
                    "SELECT x, 'K' || x, 'Articolo ' || (x % 5000), 1.5 + (x % 7), 1 + (x % 5), 1000, 1, 1, 0, %2, %3 "
                    "FROM n")
                .arg(kArticles)
                .arg(deposit, unit));
        c.execScript(
            QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                    "INSERT INTO Vendite (OID, ImportoVendita, ImportoBuoni, DataVendita, Note, Punti, Completato) "
                    "SELECT x, 25, 0, '2007-03-01 10:00:00', '', 0, 1 FROM n")
                .arg(kSales));
        c.execScript(
            QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                    "INSERT INTO ScaricoArticoli (OID, objParent, ImportoScarico, ImportoSconto, ValoreScarico, "
                    "PuntiPremio, DataScarico, Progressivo) "
                    "SELECT x, 1 + (x * 7919) % %2, 2.5, 0, 1, 0, '2007-03-01 10:00:00', x FROM n")
                .arg(kSales * kLinesPerSale)
                .arg(kArticles));
        c.execScript(QString("INSERT INTO \"Vendite$Articoli\" (OwnerOID, MemberOID) "
                             "SELECT 1 + (OID - 1) / %1, OID FROM ScaricoArticoli")
                         .arg(kLinesPerSale));
        c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 50) "
                             "INSERT INTO ConfigurazioneSconti (OID, Descrizione, ImportoSconto, CalcoloPuntiClienti, "
                             "OID_SoloArticolo) SELECT x, 'Sconto ' || x, 0.5, 0, x * 997 FROM n"));
        c.execScript(
            "INSERT INTO CodiciBarre (OID, PrefissoCodice, PosizioneCodice, LunghezzaCodice, PosizioneQuantita, "
            "LunghezzaQuantita, PosizioneImporto, LunghezzaImporto, ConversioneValuta, CoefficienteValuta) "
            "VALUES (1, '2', 2, 6, 0, 0, 8, 5, 0, 100)");
        c.execScript("COMMIT");

        setSettingsStore(std::make_shared<MemorySettingsStore>());
        setUiServices(std::make_shared<ScriptedUiServices>());
        const QString customer
            = c.scalar("SELECT OID FROM Clienti WHERE Descrizione = 'Cliente occasionale'").toString();
        settingsStore().set("Vendite", "ClienteDefault", customer);
        o.sale = std::make_unique<SaleDocument>(*o.db, o.op);
        o.sale->Load();
        return o;
    }();
    return s;
}

double median(std::vector<double> samples)
{
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

// One scan: the code typed, the row saved with the article's stock, the rows read again and
// the grid's row made current.
void scanToRow(benchmark::State& state, const std::function<QString(int)>& code)
{
    Shop& s = shop();
    SaleDocument& sale = *s.sale;
    std::vector<double> samples;
    int scans = 0;
    static int next = 0;
    for (auto _ : state) {
        if (!sale.isOpen() || scans % kRowsPerSale == 0) {
            state.PauseTiming();
            // The long sale is given up (its stock comes back) and the next one starts.
            if (sale.isOpen()) (void)sale.Cancel();
            if (!sale.isOpen() && !sale.Add_Vendita()) state.SkipWithError("no sale");
            state.ResumeTiming();
        }
        const QString typed = code(next++);
        const auto start = std::chrono::steady_clock::now();
        const DocumentRows::Result r = sale.rowEntry().AddArticle(typed);
        sale.Refresh_Articoli(r.row);
        samples.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!r.changed) {
            state.SkipWithError("the code added no row");
            break;
        }
        ++scans;
    }
    state.counters["median_ms"] = median(samples);
    state.SetItemsProcessed(state.iterations());
}

// A different article each time: a new row.
void BM_ScanNewArticle(benchmark::State& state)
{
    scanToRow(state, [](int i) { return QString("K%1").arg(1 + (i * 7919) % kArticles); });
}
BENCHMARK(BM_ScanNewArticle)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same article again: its row grows by one.
void BM_ScanSameArticle(benchmark::State& state)
{
    scanToRow(state, [](int) { return QString("K4242"); });
}
BENCHMARK(BM_ScanSameArticle)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A weighed article's label: the barcode layout cuts the code and the amount.
void BM_ScanWeighedLabel(benchmark::State& state)
{
    scanToRow(state, [](int i) { return QString("2K%1%2").arg(10000 + i % 90000).arg(349, 5, 10, QChar('0')); });
}
BENCHMARK(BM_ScanWeighedLabel)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The sale window over the same shop: scan to row, grid, labels and painting included.
void BM_ScanIntoSaleWindow(benchmark::State& state)
{
    Shop& s = shop();
    frmVendite window(*s.db, nullptr, &s.op);
    window.resize(900, 600);
    if (!window.Activate()) {
        state.SkipWithError("no sale");
        return;
    }
    window.QWidget::show();
    QCoreApplication::processEvents();

    // The raw side works on a copy of the file, page for page: on one file each side's commit
    // had the other's next read drop SQLite's map of the whole file and fault its pages in
    // again, a cost a counter scanning alone never pays.
    const QString rawPath = folder().path() + "/Mirtavolia-raw.mdb";
    if (!QFile::exists(rawPath)) {
        s.engine->sql().execScript("PRAGMA wal_checkpoint(TRUNCATE)");
        if (!QFile::copy(folder().path() + "/Mirtavolia.mdb", rawPath)) {
            state.SkipWithError("no copy of the shop for the raw side");
            return;
        }
    }
    RawSqlite raw(rawPath);
    const qint64 rawSale = 990000001;
    raw.exec("INSERT OR IGNORE INTO Vendite (OID, ImportoVendita, DataVendita) VALUES (990000001, 0, '2007-03-01 "
             "10:00:00')");
    sqlite3_stmt* find = raw.prepare("SELECT OID, PrezzoVendita FROM Articoli WHERE Codice = ?");
    sqlite3_stmt* insert
        = raw.prepare("INSERT INTO ScaricoArticoli (OID, objParent, ImportoScarico, ValoreScarico, DataScarico) "
                      "VALUES (?, ?, ?, 1, '2007-03-01 10:00:00')");
    sqlite3_stmt* link = raw.prepare("INSERT INTO \"Vendite$Articoli\" (OwnerOID, MemberOID) VALUES (?, ?)");
    sqlite3_stmt* stock = raw.prepare("UPDATE Articoli SET ValoreScorta = ValoreScorta - 1 WHERE OID = ?");
    sqlite3_stmt* shown
        = raw.prepare("SELECT ScaricoArticoli.*, Articoli.Codice, Articoli.Descrizione FROM ScaricoArticoli "
                      "LEFT JOIN Articoli ON Articoli.OID = ScaricoArticoli.objParent WHERE ScaricoArticoli.OID IN "
                      "(SELECT MemberOID FROM \"Vendite$Articoli\" WHERE OwnerOID = ?) ORDER BY ScaricoArticoli.OID "
                      "LIMIT 40");
    static qint64 rawOid = 990000000 * qint64(1000);

    SideBySide compare;
    int scans = 0;
    int next = 0;
    for (auto _ : state) {
        if (scans % kRowsPerSale == 0 && scans > 0) {
            state.PauseTiming();
            // The long sale is given up (its stock comes back) and the next one starts.
            window.applyAnswer(QStringLiteral("<Annulla>"));
            raw.exec("DELETE FROM \"Vendite$Articoli\" WHERE OwnerOID = 990000001");
            state.ResumeTiming();
        }
        const int n = next++;
        const QString typed = QString("K%1\r").arg(1 + (n * 7919) % kArticles);
        compare.project([&] {
            window.codeBox()->setText(typed);
            while (window.grid()->Model()->HasPendingWork()) QCoreApplication::processEvents();
            // What the scan marked for painting, painted now.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        });
        if (!window.codeBox()->text().isEmpty()) {
            state.SkipWithError("the code added no row");
            break;
        }
        compare.raw([&] {
            raw.exec("BEGIN");
            const QByteArray code = QString("K%1").arg(1 + (n * 7919 + kArticles / 2) % kArticles).toUtf8();
            sqlite3_bind_text(find, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(find) != SQLITE_ROW) state.SkipWithError("article not found");
            const qint64 article = sqlite3_column_int64(find, 0);
            const double price = sqlite3_column_double(find, 1);
            sqlite3_reset(find);
            sqlite3_bind_int64(insert, 1, ++rawOid);
            sqlite3_bind_int64(insert, 2, article);
            sqlite3_bind_double(insert, 3, price);
            RawSqlite::run(insert);
            sqlite3_bind_int64(link, 1, rawSale);
            sqlite3_bind_int64(link, 2, rawOid);
            RawSqlite::run(link);
            sqlite3_bind_int64(stock, 1, article);
            RawSqlite::run(stock);
            raw.exec("COMMIT");
            sqlite3_bind_int64(shown, 1, rawSale);
            const int columns = sqlite3_column_count(shown);
            while (sqlite3_step(shown) == SQLITE_ROW)
                for (int c = 0; c < columns; ++c) benchmark::DoNotOptimize(RawSqlite::value(shown, c));
            sqlite3_reset(shown);
        });
        ++scans;
    }
    compare.report(state);
    state.counters["median_ms"] = compare.projectMedian();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScanIntoSaleWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}   // namespace

int main(int argc, char** argv)
{
    // The sale window is shown and painted offscreen unless a platform is asked for; the
    // offscreen platform's remark on every window shown says nothing here.
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && !text.contains(QLatin1String("propagateSizeHints")))
            fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);   // the sale's document uses the program's Qt objects
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
