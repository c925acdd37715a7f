// Speed of the month's save with deletion (the exit save's move of March into the backup
// archive) and of the restore of that month, on a shop of 100,000 articles, 100,000 sales
// with 1,000,000 lines and 10,000 supplies with 100,000 load lines, beside the same move done
// by hand as set-based SQL over ATTACH in one transaction. Each iteration runs the program's
// move and the raw one on fresh copies of the same files, one after the other; the medians
// are compared (`ratio`, target: at most 2) and both results must hold the same rows in
// every table. The peak memory of each move is read in a process of its own.
#include "operations/BackupRestore.h"
#include "BenchShop.h"
#include "objdb/ConnectionSettings.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "base/SettingsStore.h"
#include "objdb/SqlConnection.h"
#include "base/UiServices.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include "objdb/ConnectionSettings.h"
#include <sqlite3.h>

namespace {

constexpr int kArticles = 100000;
constexpr int kSuppliers = 500;
constexpr int kSales = 100000;
constexpr int kLinesPerSale = 10;
constexpr int kSupplies = 10000;
constexpr int kLinesPerSupply = 10;
constexpr int kCustomers = 5000;
const QDate kFrom(2007, 3, 1);
const QDate kTo(2007, 3, 31);

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/backup-bench-XXXXXX");
    return dir;
}

QString path(const QString& name) { return folder().path() + u'/' + name; }

// ---- Raw SQLite, opened as the library opens its files -----------------------------------------

// A connection with exactly the library's settings (ConnectionSettings): log, sync, page
// cache and map, so that the comparison measures the library's work and not its settings.
class Raw {
public:
    explicit Raw(const QString& file)
    {
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
            || !objdb::ApplyConnectionSettings(m_db, true))
            m_error = QStringLiteral("cannot open ") + file;
    }
    ~Raw() { sqlite3_close(m_db); }
    bool exec(const QString& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK) return true;
        m_error = QString::fromUtf8(error);
        sqlite3_free(error);
        return false;
    }
    qint64 scalar(const QString& sql)
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr);
        const qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
        sqlite3_finalize(st);
        return v;
    }
    QStringList column(const QString& sql)
    {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return out;
    }
    const QString& error() const { return m_error; }

private:
    sqlite3* m_db = nullptr;
    QString m_error;
};

// ---- The shop ----------------------------------------------------------------------------------

// The shop, declared by the program and filled by plain SQL: sales and supplies over 2007,
// one sale in four to a customer, every article with a deposit, a VAT code and a supplier.
const QString& shopTemplate()
{
    static const QString file = [] {
        const QString p = path("shop.mdb");
        BenchShop o;
        o.create(p);
        SqlConnection& c = o.engine->sql();
        const QString deposit = c.scalar("SELECT OID FROM Depositi WHERE Deposito = ''").toString();
        const QString vat = c.scalar("SELECT OID FROM CodiciIva WHERE Codice = 'IVA20'").toString();
        auto series = [](int n) {
            return QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) ").arg(n);
        };
        auto day = [](const char* x, int count) {
            return QString("strftime('%Y-%m-%d %H:%M:%S', '2007-01-01', '+' || ((%1 * 365) / %2) || ' days', '+' || "
                           "(%1 % 600) || ' minutes')")
                .arg(QString::fromLatin1(x))
                .arg(count);
        };
        c.execScript("BEGIN");
        c.execScript(series(kSuppliers)
                     + "INSERT INTO Fornitori (OID, Descrizione, Indirizzo, Telefono, Cellulare, Fax, EMail) "
                       "SELECT 1000000 + x, 'Fornitore ' || x, '', '', '', '', '' FROM n");
        c.execScript(
            series(kArticles)
            + QString("INSERT INTO Articoli (OID, Codice, Descrizione, PrezzoVendita, PrezzoAcquisto, ValoreScorta, "
                      "ScortaMinima, ValoreMisura, PrezzoAcquistoMedio, PercentualeScorporoVari, OID_Deposito, "
                      "OID_CodiceIva) SELECT x, 'K' || x, 'Articolo ' || (x % 5000), 1.5 + (x % 7), 1 + (x % 5), "
                      "100 + (x % 20), 5, 1, 1 + (x % 5), 0, %1, %2 FROM n")
                  .arg(deposit, vat));
        c.execScript(series(kArticles)
                     + QString("INSERT INTO \"Articoli$Fornitori\" (OwnerOID, MemberOID) "
                               "SELECT x, 1000000 + 1 + x % %1 FROM n")
                           .arg(kSuppliers));
        c.execScript(series(kCustomers)
                     + "INSERT INTO Clienti (OID, Descrizione, Codice, Punti) SELECT 7000000 + x, "
                       "'Cliente ' || x, 'C' || x, 0 FROM n");
        c.execScript(series(kSales)
                     + QString("INSERT INTO Vendite (OID, ImportoVendita, ImportoBuoni, DataVendita, Note, Punti, "
                               "Completato, OID_Cliente) SELECT 2000000 + x, 25, 0, %1, '', 0, 1, "
                               "CASE WHEN x % 4 = 0 THEN 7000000 + 1 + x % %2 END FROM n")
                           .arg(day("x", kSales))
                           .arg(kCustomers));
        c.execScript(
            series(kSales * kLinesPerSale)
            + QString("INSERT INTO ScaricoArticoli (OID, objParent, ImportoScarico, ImportoSconto, ValoreScarico, "
                      "PuntiPremio, DataScarico, Progressivo) SELECT 3000000 + x, 1 + (x * 7919) %% %1, 2.5, 0, 1, 0, ")
                  .arg(kArticles)
                  .replace("%%", "%")
            + day("((x - 1) / 10 + 1)", kSales) + ", x FROM n");
        c.execScript(QString("INSERT INTO \"Vendite$Articoli\" (OwnerOID, MemberOID) "
                             "SELECT 2000000 + 1 + (OID - 3000000 - 1) / %1, OID FROM ScaricoArticoli")
                         .arg(kLinesPerSale));
        c.execScript(series(kSupplies)
                     + "INSERT INTO Forniture (OID, ImportoAcquisto, DataFornitura, Documento, Note, Pagato, "
                       "Completato, OID_Fornitore) SELECT 5000000 + x, 40, "
                     + day("x", kSupplies)
                     + QString(", '', '', x % 3 <> 0, 1, 1000000 + 1 + x % %1 FROM n").arg(kSuppliers));
        c.execScript(
            series(kSupplies * kLinesPerSupply)
            + QString(
                  "INSERT INTO CaricoArticoli (OID, objParent, ImportoCarico, ValoreCarico, DataCarico, Progressivo) "
                  "SELECT 6000000 + x, 1 + (x * 104729) %% %1, 4, 2, ")
                  .arg(kArticles)
                  .replace("%%", "%")
            + day("((x - 1) / 10 + 1)", kSupplies) + ", x FROM n");
        c.execScript(QString("INSERT INTO \"Forniture$Articoli\" (OwnerOID, MemberOID) "
                             "SELECT 5000000 + 1 + (OID - 6000000 - 1) / %1, OID FROM CaricoArticoli")
                         .arg(kLinesPerSupply));
        // A receipt for one sale in ten, dated as its sale.
        c.execScript(series(kSales / 10)
                     + "INSERT INTO Ricevute (OID, Numero, Data, AnnoRiferimento, Note, OID_Vendita) "
                       "SELECT 9000000 + x, x, date("
                     + day("(x * 10)", kSales) + ") || ' 00:00:00', 2007, '', 2000000 + x * 10 FROM n");
        c.execScript("COMMIT");
        c.execScript("ANALYZE");
        o.db->Close();
        o.engine->Close();
        return p;
    }();
    return file;
}

// A backup archive as the first save makes it: declared by the program, with its own rows.
const QString& emptyBackupTemplate()
{
    static const QString file = [] {
        const QString p = path("backup-empty.mdb");
        BenchShop o;
        o.create(p);
        o.db->Close();
        o.engine->Close();
        return p;
    }();
    return file;
}

// Closed files with no log beside them: a plain copy is whole.
void place(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    for (const char* s : {"", "-wal", "-shm"}) QFile::remove(to + s);
    QFile::copy(from, to);
}

struct Files {
    QString working, backup;
};

// Fresh copies of the two files of a run, in folders of their own (the backup archive is the
// file of the same name in another folder).
Files fresh(const QString& run, const QString& workingFrom, const QString& backupFrom)
{
    const Files f {path(run + "/lavoro/Mirtavolia.mdb"), path(run + "/backup/Mirtavolia.mdb")};
    place(workingFrom, f.working);
    place(backupFrom, f.backup);
    return f;
}

// ---- The two moves -----------------------------------------------------------------------------

class Quiet final : public BackupProgress {
public:
    void Show(const QString&) override { }
    itfProgress* Target() override { return nullptr; }
    void Close() override { }
};

void quietProgram()
{
    static bool done = false;
    if (done) return;
    done = true;
    setUiServices(std::make_shared<ScriptedUiServices>());
    setSettingsStore(std::make_shared<MemorySettingsStore>());
}

// The working file open as the program holds it.
struct Working {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    explicit Working(const QString& file)
    {
        engine = std::make_shared<DBEngine>();
        engine->OpenDatabase(3, file);
        db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "bench", nullptr);
        db->AttachEngine(engine);
    }
    ~Working()
    {
        db->Close();
        engine->Close();
    }
};

// The program's move, on the working file already open (as in the main window). Seconds.
bool programMove(const Files& f, bool restore, double* seconds)
{
    quietProgram();
    Working w(f.working);
    Quiet quiet;
    BackupRestore run(
        {w.db, w.engine, QFileInfo(f.working).absolutePath(), QFileInfo(f.backup).absolutePath(), &quiet, nullptr});
    BackupRequest r;
    r.restore = restore;
    r.from = kFrom;
    r.to = kTo;
    r.deleteAtOrigin = true;
    r.copyRelated = true;
    r.automatic = true;
    QElapsedTimer t;
    t.start();
    const bool ok = run.Run(r) == BackupRestore::Outcome::Completed;
    *seconds = double(t.nsecsElapsed()) / 1e9;
    return ok;
}

// The same move by hand over ATTACH, in one transaction: the period's completed supplies and
// sales and its receipts with their lines and payments; what they point to (articles with
// their suppliers, deposit and VAT code, customers, the sales of the receipts with their
// lines) added when missing, and on a save replaced; the rows the archive already holds under
// another OID by a unique key (its own deposit and VAT codes) taken as they are; then the
// documents deleted at the origin with their lines and links.
bool rawMove(const Files& f, bool restore, double* seconds, QString* error)
{
    QElapsedTimer t;
    t.start();
    Raw c(restore ? f.backup : f.working);
    const QString to = restore ? f.working : f.backup;
    const char* related = restore ? "INSERT OR IGNORE" : "INSERT OR REPLACE";
    const QString from = "'" + kFrom.toString("yyyy-MM-dd") + " 00:00:00'";
    const QString until = "'" + kTo.addDays(1).toString("yyyy-MM-dd") + " 00:00:00'";
    QStringList sql {
        QString("ATTACH DATABASE '%1' AS d").arg(to),
        "BEGIN",
        "CREATE TEMP TABLE s AS SELECT OID FROM main.Vendite WHERE DataVendita >= " + from + " AND DataVendita < "
            + until + " AND Completato",
        "CREATE TEMP TABLE f AS SELECT OID FROM main.Forniture WHERE DataFornitura >= " + from + " AND DataFornitura < "
            + until + " AND Completato",
        "CREATE TEMP TABLE r AS SELECT OID FROM main.Ricevute WHERE Data >= " + from + " AND Data < " + until,
        // The receipts' sales that are not among the moved ones come along as related rows.
        "CREATE TEMP TABLE rs AS SELECT DISTINCT OID_Vendita AS OID FROM main.Ricevute WHERE OID IN r AND OID_Vendita "
        "NOT IN s",
        "CREATE TEMP TABLE sl AS SELECT MemberOID AS OID FROM main.\"Vendite$Articoli\" WHERE OwnerOID IN s",
        "CREATE TEMP TABLE rsl AS SELECT MemberOID AS OID FROM main.\"Vendite$Articoli\" WHERE OwnerOID IN rs",
        "CREATE TEMP TABLE fl AS SELECT MemberOID AS OID FROM main.\"Forniture$Articoli\" WHERE OwnerOID IN f",
        "CREATE TEMP TABLE a AS SELECT objParent AS OID FROM main.ScaricoArticoli WHERE OID IN sl UNION "
        "SELECT objParent FROM main.CaricoArticoli WHERE OID IN fl",
        "CREATE TEMP TABLE ra AS SELECT objParent AS OID FROM main.ScaricoArticoli WHERE OID IN rsl EXCEPT SELECT OID "
        "FROM a",
        "CREATE TEMP TABLE sup AS SELECT MemberOID AS OID FROM main.\"Articoli$Fornitori\" WHERE OwnerOID IN a OR "
        "OwnerOID IN ra "
        "UNION SELECT OID_Fornitore FROM main.Forniture WHERE OID IN f AND OID_Fornitore IS NOT NULL",
        "CREATE TEMP TABLE cli AS SELECT OID_Cliente AS OID FROM main.Vendite WHERE (OID IN s OR OID IN rs) AND "
        "OID_Cliente IS NOT NULL",
        // The archive's own deposit and VAT codes stand for the origin's.
        "CREATE TEMP TABLE dep AS SELECT o.OID AS src, t.OID AS dst FROM main.Depositi o JOIN d.Depositi t ON "
        "t.Deposito = o.Deposito",
        "CREATE TEMP TABLE iva AS SELECT o.OID AS src, t.OID AS dst FROM main.CodiciIva o JOIN d.CodiciIva t ON "
        "t.Codice = o.Codice",
        QString("%1 INTO d.Fornitori SELECT * FROM main.Fornitori WHERE OID IN sup").arg(related),
        QString("%1 INTO d.Clienti SELECT * FROM main.Clienti WHERE OID IN cli").arg(related),
    };
    // Articles with the archive's deposit and VAT code; the article's own columns otherwise.
    QStringList articleColumns = c.column("SELECT name FROM pragma_table_info('Articoli')");
    QStringList selected;
    for (const QString& col : articleColumns) {
        if (col == "OID_Deposito")
            selected << "COALESCE((SELECT dst FROM dep WHERE src = x.OID_Deposito), x.OID_Deposito)";
        else if (col == "OID_CodiceIva")
            selected << "COALESCE((SELECT dst FROM iva WHERE src = x.OID_CodiceIva), x.OID_CodiceIva)";
        else
            selected << "x.\"" + col + "\"";
    }
    const QString articles
        = QString(" INTO d.Articoli SELECT %1 FROM main.Articoli x WHERE x.OID IN ").arg(selected.join(", "));
    sql << QString(related) + articles + "a"
        << "INSERT OR IGNORE" + articles + "ra";
    sql << QString("%1 INTO d.\"Articoli$Fornitori\" SELECT * FROM main.\"Articoli$Fornitori\" WHERE OwnerOID IN a OR "
                   "OwnerOID IN ra")
               .arg("INSERT OR IGNORE");
    sql << "INSERT OR REPLACE INTO d.Vendite SELECT * FROM main.Vendite WHERE OID IN s"
        << "INSERT OR IGNORE INTO d.Vendite SELECT * FROM main.Vendite WHERE OID IN rs"
        << "INSERT OR REPLACE INTO d.ScaricoArticoli SELECT * FROM main.ScaricoArticoli WHERE OID IN sl OR OID IN rsl"
        << "INSERT OR IGNORE INTO d.\"Vendite$Articoli\" SELECT * FROM main.\"Vendite$Articoli\" WHERE OwnerOID IN s "
           "OR OwnerOID IN rs"
        << "INSERT OR REPLACE INTO d.Forniture SELECT * FROM main.Forniture WHERE OID IN f"
        << "INSERT OR REPLACE INTO d.CaricoArticoli SELECT * FROM main.CaricoArticoli WHERE OID IN fl"
        << "INSERT OR IGNORE INTO d.\"Forniture$Articoli\" SELECT * FROM main.\"Forniture$Articoli\" WHERE OwnerOID IN "
           "f"
        << "INSERT OR REPLACE INTO d.Ricevute SELECT * FROM main.Ricevute WHERE OID IN r"
        // The deletion at the origin: supplies, receipts, sales, with their lines and links.
        << "DELETE FROM main.CaricoArticoli WHERE OID IN fl"
        << "DELETE FROM main.\"Forniture$Articoli\" WHERE OwnerOID IN f"
        << "DELETE FROM main.\"Forniture$Pagamento\" WHERE OwnerOID IN f"
        << "DELETE FROM main.Forniture WHERE OID IN f"
        << "DELETE FROM main.Ricevute WHERE OID IN r"
        << "DELETE FROM main.ScaricoArticoli WHERE OID IN sl"
        << "DELETE FROM main.\"Vendite$Articoli\" WHERE OwnerOID IN s"
        << "DELETE FROM main.\"Vendite$Pagamento\" WHERE OwnerOID IN s"
        << "DELETE FROM main.\"Vendite$BuoniUtilizzati\" WHERE OwnerOID IN s"
        << "DELETE FROM main.Vendite WHERE OID IN s"
        << "COMMIT";
    for (const QString& statement : sql) {
        if (!c.exec(statement)) {
            *error = statement.left(80) + ": " + c.error();
            return false;
        }
    }
    *seconds = double(t.nsecsElapsed()) / 1e9;
    return true;
}

// Every table's row count of a file: two moves that did the same work leave the same counts.
std::map<QString, qint64> rowCounts(const QString& file)
{
    std::map<QString, qint64> out;
    Raw c(file);
    for (const QString& table :
         c.column("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE '\\_objdb%' ESCAPE '\\'"))
        out[table] = c.scalar("SELECT count(*) FROM \"" + table + "\"");
    return out;
}

QString countDifferences(const std::map<QString, qint64>& a, const std::map<QString, qint64>& b)
{
    QStringList out;
    for (const auto& [table, n] : a)
        if (b.count(table) == 0 || b.at(table) != n)
            out << QString("%1 %2/%3").arg(table).arg(n).arg(b.count(table) ? b.at(table) : -1);
    return out.join(", ");
}

// The files after the program's save of the month: where a restore starts.
const Files& savedTemplates()
{
    static const Files files = [] {
        const Files f = fresh("saved", shopTemplate(), emptyBackupTemplate());
        double s = 0;
        if (!programMove(f, false, &s)) std::fprintf(stderr, "the save that prepares the restore failed\n");
        return f;
    }();
    return files;
}

// ---- Peak memory ---------------------------------------------------------------------------------

long ownPeak()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// This program again on prepared files: the peak resident size of one move, in kB.
long peakOf(const char* which, bool restore, const Files& f)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString("--peak=%1").arg(which), restore ? "restore" : "save", f.working, f.backup});
    if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const long kb = QString::fromLatin1(child.readAllStandardOutput()).trimmed().toLong(&ok);
    return ok ? kb : -1;
}

int peakChild(const char* which, bool restore, const Files& f)
{
    double s = 0;
    QString error;
    const bool ok = std::strcmp(which, "program") == 0 ? programMove(f, restore, &s) : rawMove(f, restore, &s, &error);
    if (!ok) return 1;
    std::printf("%ld\n", ownPeak());
    return 0;
}

// ---- The benchmark -------------------------------------------------------------------------------

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_MonthMove(benchmark::State& state, bool restore)
{
    const Files start = restore ? savedTemplates() : Files {shopTemplate(), emptyBackupTemplate()};
    std::vector<double> program, raw;
    std::map<QString, qint64> programCounts, rawCounts;
    int run = 0;
    for (auto _ : state) {
        ++run;
        const Files p = fresh(QString("p%1").arg(run), start.working, start.backup);
        const Files r = fresh(QString("r%1").arg(run), start.working, start.backup);
        double ps = 0, rs = 0;
        QString error;
        if (!programMove(p, restore, &ps)) {
            state.SkipWithError("the program's move did not complete");
            return;
        }
        if (!rawMove(r, restore, &rs, &error)) {
            state.SkipWithError(("the raw move failed: " + error).toStdString().c_str());
            return;
        }
        state.SetIterationTime(ps);
        program.push_back(ps);
        raw.push_back(rs);
        if (run == 1) {
            for (const auto& [name, file] :
                 {std::pair {"working", &Files::working}, std::pair {"backup", &Files::backup}}) {
                const QString differ = countDifferences(rowCounts(p.*file), rowCounts(r.*file));
                if (!differ.isEmpty()) {
                    state.SkipWithError(QString("the two moves left different rows in the %1 file: %2")
                                            .arg(name, differ)
                                            .toStdString()
                                            .c_str());
                    return;
                }
            }
        }
    }
    const Files pp = fresh("peak-program", start.working, start.backup);
    const Files pr = fresh("peak-raw", start.working, start.backup);
    const long programPeak = peakOf("program", restore, pp);
    const long rawPeak = peakOf("raw", restore, pr);
    state.counters["program_s"] = median(program);
    state.counters["raw_s"] = median(raw);
    state.counters["ratio"] = median(program) / median(raw);
    state.counters["program_peak_MB"] = double(programPeak) / 1024.0;
    state.counters["raw_peak_MB"] = double(rawPeak) / 1024.0;
    state.counters["file_MB"] = double(QFileInfo(start.working).size()) / (1024.0 * 1024.0);
    state.counters["sales_moved"]
        = double(Raw(restore ? start.backup : start.working)
                     .scalar("SELECT count(*) FROM Vendite WHERE DataVendita >= '2007-03-01' AND "
                             "DataVendita < '2007-04-01' AND Completato"));
}

BENCHMARK_CAPTURE(BM_MonthMove, save_with_deletion, false)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_MonthMove, restore_with_deletion, true)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(5);

}   // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strncmp(argv[1], "--peak=", 7) == 0)
        return peakChild(argv[1] + 7, std::strcmp(argv[2], "restore") == 0,
                         Files {QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4])});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
