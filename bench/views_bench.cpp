// Speed of the main window's views on a shop of realistic size: the first 100 rows of every
// report of the catalogue (and of the table nodes with a view of their own), opened as the
// window opens them, over 100,000 articles, 1,000,000 sale lines and 100,000 load lines.
// Target: each under 50 ms. Beside each, turn about, plain SQLite reads the same 100 rows
// (as someone writing SQLite by hand would: the page's keys first, then the joins; its rows
// in the same order, every column read) on a connection opened with the library's
// settings: `ratio` is the library's cost. The /cold variants open the view first thing on a connection just opened, as after
// a start of the program, on both sides.
#include "BenchShop.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "operations/ViewDialogs.h"
#include "operations/ViewQueryBuilder.h"
#include "objdb/DatabaseJetSchema.h"
#include "objdb/JetFunctions.h"
#include "RawSqlite.h"
#include "SideBySide.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kArticles = 100000;
constexpr int kSuppliers = 500;
constexpr int kSales = 100000;
constexpr int kLinesPerSale = 10;
constexpr int kSupplies = 10000;
constexpr int kLinesPerSupply = 10;
constexpr int kCustomers = 5000;
constexpr int kRows = 100;
const QDate kShownDay(2007, 3, 5);

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/views-bench-XXXXXX");
    return dir;
}

using Shop = BenchShop;

// The shop database declared by the program, filled once by plain SQL. Sales and supplies
// spread over 2007, one day in twenty a busy day; every article has a VAT code, one
// supplier in its list, and stock; one in ten is under its minimum.
Shop& shop()
{
    static Shop s = [] {
        Shop o;
        o.create(folder().path() + "/Mirtavolia.mdb");
        o.db->SetAccessLevel(1);
        SqlConnection& c = o.engine->sql();
        const QString deposit = c.scalar("SELECT OID FROM Depositi WHERE Deposito = ''").toString();
        const QString vat = c.scalar("SELECT OID FROM CodiciIva WHERE Codice = 'IVA20'").toString();
        auto series = [](int n) {
            return QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) ").arg(n);
        };
        // A day of 2007 for the x-th document: spread over the year.
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
                      "OID_CodiceIva) SELECT x, 'K' || x, 'Articolo ' || (x % 5000), CASE WHEN x % 50 = 0 THEN 0 "
                      "ELSE 1.5 + (x % 7) END, 1 + (x % 5), 100 + (x % 20), CASE WHEN x % 10 = 0 THEN 200 ELSE 5 END, "
                      "1, 1 + (x % 5), 0, %1, %2 FROM n")
                  .arg(deposit, vat));
        c.execScript(series(kArticles)
                     + QString("INSERT INTO \"Articoli$Fornitori\" (OwnerOID, MemberOID) "
                               "SELECT x, 1000000 + 1 + x % %1 FROM n")
                           .arg(kSuppliers));
        c.execScript(series(kSales)
                     + "INSERT INTO Vendite (OID, ImportoVendita, ImportoBuoni, DataVendita, Note, Punti, "
                       "Completato) SELECT 2000000 + x, 25, 0, "
                     + day("x", kSales) + ", '', 0, 1 FROM n");
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
        c.execScript(series(kCustomers)
                     + "INSERT INTO Clienti (OID, Descrizione, Codice) SELECT 7000000 + x, 'Cliente ' || x, "
                       "'C' || x FROM n");
        c.execScript(series(2 * kCustomers)
                     + "INSERT INTO BuoniClienti (OID, Data, Descrizione, ImportoBuono, ImportoUtilizzato) "
                       "SELECT 8000000 + x, "
                     + day("x", 2 * kCustomers) + ", 'Buono ' || x, 5, 0 FROM n");
        c.execScript(QString("INSERT INTO \"Clienti$Buoni\" (OwnerOID, MemberOID) "
                             "SELECT 7000000 + 1 + (OID - 8000000) % %1, OID FROM BuoniClienti")
                         .arg(kCustomers));
        c.execScript(series(kSales / 10)
                     + "INSERT INTO Ricevute (OID, Numero, Data, AnnoRiferimento, Note, OID_Vendita) "
                       "SELECT 9000000 + x, x, "
                     + day("x", kSales / 10) + ", 2007, '', 2000000 + x FROM n");
        c.execScript("COMMIT");
        c.execScript("ANALYZE");
        return o;
    }();
    return s;
}

// What the window does with a view: open it and read the first rows' every column.
int firstRows(Database& db, const ViewQuery& q)
{
    const std::unique_ptr<TableData> opened = OpenView(db, q);
    int cells = 0;
    TableData& ds = *opened;
    const auto fields = ds.GetFieldInfos();
    int read = 0;
    for (ds.MoveFirst(); !ds.IsEOF() && read < kRows; ds.MoveNext(), ++read)
        for (const FieldInfo& f : fields) cells += ds.GetValue(f.Name).isNull() ? 0 : 1;
    return cells;
}

// The view's first 100 rows as someone writing SQLite by hand would ask for them, in the
// order the window shows them (its sort or query order, then the key): the keys of the page
// first, found on the view's table by its condition and order, then the joins and the
// computed columns for those rows alone. A view whose condition or order reads a column it
// computes has no such keys: its whole query, as the library translates it, runs instead
// (`keys_first` says which).
struct RawQuery {
    QString sql;
    bool keysFirst = false;
};

RawQuery rawStatement(Database& db, const QString& path, const ViewQuery& q)
{
    QString order = !q.Sort.trimmed().isEmpty() ? q.Sort : q.Order;
    order = order.trimmed().isEmpty() ? QStringLiteral("OID") : order + QStringLiteral(",OID");
    objdb::DatabaseJetSchema schema(db);
    JetTranslator jet(&schema);
    const QString whole = jet.translate(q.Statement(kRows, QString(), order));

    // A condition or order on a computed column needs it computed for every row first.
    static const QRegularExpression alias(QStringLiteral(R"(\bAS\s+\[?(\w+))"),
                                          QRegularExpression::CaseInsensitiveOption);
    for (auto m = alias.globalMatch(q.Fields); m.hasNext();) {
        const QRegularExpression name(QStringLiteral("\\b%1\\b").arg(m.next().captured(1)),
                                      QRegularExpression::CaseInsensitiveOption);
        if (name.match(q.Where).hasMatch() || name.match(order).hasMatch()) return {whole, false};
    }
    ViewQuery keys = q;
    keys.Fields = q.Table + QStringLiteral(".OID");
    QString keySql;
    try {
        keySql = jet.translate(keys.Statement(kRows, QString(), order));
    } catch (const std::exception&) {
        return {whole, false};
    }
    // The page's keys take the place of a stand-in the translation leaves as it is.
    const QString standIn = QStringLiteral("-918273645");
    ViewQuery page = q;
    page.Where = q.Table + QStringLiteral(".OID IN (") + standIn + QStringLiteral(")");
    QString pageSql = jet.translate(page.Statement(0, QString(), order));
    if (pageSql.count(standIn) != 1) return {whole, false};
    pageSql.replace(standIn, keySql);
    try {
        RawSqlite probe(path);
        RegisterJetFunctions(probe.handle());
        (void)probe.prepare(pageSql);
    } catch (const std::runtime_error&) {
        return {whole, false};
    }
    return {pageSql, true};
}

int rawFirstRows(sqlite3_stmt* st)
{
    int cells = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < columns; ++c) cells += RawSqlite::value(st, c).isNull() ? 0 : 1;
    sqlite3_reset(st);
    return cells;
}

// A connection of each side opened afresh on the shop's file, nothing read yet.
struct ColdOpen {
    BenchShop project;
    std::unique_ptr<RawSqlite> raw;
    explicit ColdOpen(const QString& path)
    {
        project.engine = std::make_shared<DBEngine>();
        project.engine->OpenDatabase(3, path);
        project.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "bench", nullptr);
        project.db->AttachEngine(project.engine);
        project.db->SetAccessLevel(1);
        raw = std::make_unique<RawSqlite>(path);
        RegisterJetFunctions(raw->handle());
    }
};

enum class Dates { Day, Month, LastMonth, All };

void BM_View(benchmark::State& state, const char* key, Dates mode, bool withAnswers, bool cold)
{
    Shop& s = shop();
    DateSelection dates(kShownDay, mode == Dates::Day);
    if (mode == Dates::Month) dates.SelectMonth(kShownDay);
    // The last month of the file: a scan in key order would read every earlier row before
    // its first; the month's range of the date index reads only its own.
    if (mode == Dates::LastMonth) dates.SelectMonth(QDate(2007, 12, 15));
    FixedViewDialogs dialogs;
    if (withAnswers) {
        dialogs.supplier = "Fornitore 11";   // some of its articles are under stock
        dialogs.date = QDate(2007, 6, 30);
        dialogs.period = std::make_pair(QDate(2007, 3, 1), QDate(2007, 3, 31));
    }
    ViewQueryBuilder builder(*s.db, dialogs, dates);
    const ViewQuery q = builder.Build(ViewRequest {ViewNode {key, key}, "", "", "", ""}, ShownView {});
    const QString path = s.engine->Path();
    const RawQuery rawQuery = rawStatement(*s.db, path, q);
    const QString& rawSql = rawQuery.sql;
    RawSqlite warmRaw(path);
    RegisterJetFunctions(warmRaw.handle());
    sqlite3_stmt* warmStatement = cold ? nullptr : warmRaw.prepare(rawSql);
    SideBySide compare;
    int cells = 0, rawCells = 0;
    int turn = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            auto fresh = std::make_unique<ColdOpen>(path);
            state.ResumeTiming();
            // Each side goes first in turn: the first to read the file after the other's
            // connection opened may find what the system keeps of it warmer or colder.
            auto project = [&] { compare.project([&] { cells = firstRows(*fresh->project.db, q); }); };
            auto raw = [&] { compare.raw([&] { rawCells = rawFirstRows(fresh->raw->prepare(rawSql)); }); };
            if (++turn % 2) {
                project();
                raw();
            } else {
                raw();
                project();
            }
            state.PauseTiming();
            fresh.reset();
            state.ResumeTiming();
        } else {
            compare.project([&] { cells = firstRows(*s.db, q); });
            compare.raw([&] { rawCells = rawFirstRows(warmStatement); });
        }
        benchmark::DoNotOptimize(cells);
    }
    compare.report(state);
    state.counters["cells"] = cells;
    state.counters["keys_first"] = rawQuery.keysFirst ? 1 : 0;
    if (cells == 0)
        state.SkipWithError("the view read no rows");
    else if (!cold && compare.projectMedian() >= 50)
        state.SkipWithError("the first rows took 50 ms or more");
    if (cells != 0 && rawCells == 0) state.SkipWithError("the raw side read no rows");
}

void registerViews()
{
    struct View {
        const char* key;
        Dates mode;
        bool withAnswers;
    };
    // The day mode is the one the window starts in; the dated views in the other modes too.
    static const View views[] = {
        {"Vendite", Dates::Day, false},
        {"Vendite", Dates::Month, false},
        {"Vendite", Dates::LastMonth, false},
        {"Vendite", Dates::All, false},
        {"Forniture", Dates::Day, false},
        {"Forniture", Dates::Month, false},
        {"ScaricoArticoli", Dates::Month, false},
        {"CaricoArticoli", Dates::Month, false},
        {"Articoli Sottoscorta", Dates::Day, false},
        {"Articoli Sottoscorta", Dates::Day, true},
        {"Articoli Fornitore", Dates::Day, true},
        {"Articoli Venduti", Dates::Day, false},
        {"Articoli Venduti", Dates::Month, false},
        {"Articoli Venduti", Dates::LastMonth, false},
        {"Articoli Venduti", Dates::All, false},
        {"Imponibile Magazzino", Dates::Day, false},
        {"Ricalcolo Imponibile Magazzino", Dates::Day, false},
        {"Ricalcolo Imponibile Magazzino", Dates::Day, true},
        {"Inventario Magazzino", Dates::Day, false},
        {"Articoli Vari", Dates::Day, false},
        {"Lista Forniture", Dates::Day, false},
        {"Lista Forniture", Dates::Month, false},
        {"Lista Forniture", Dates::All, false},
        {"Forniture pagate", Dates::Day, false},
        {"Forniture pagate", Dates::Day, true},
        {"Forniture non pagate", Dates::Day, true},
        {"Lista Buoni", Dates::Day, false},
        {"Ricevute", Dates::Day, false},
    };
    for (const bool cold : {false, true}) {
        for (const View& v : views) {
            // The cold opening of the dated views, in the modes where it reads the most.
            if (cold && v.mode != Dates::Month && v.mode != Dates::LastMonth) continue;
            std::string name = std::string("BM_View/") + v.key;
            if (v.mode == Dates::Month) name += "/month";
            if (v.mode == Dates::LastMonth) name += "/December";
            if (v.mode == Dates::All) name += "/all dates";
            if (v.withAnswers) name += "/answered";
            if (cold) name += "/cold";
            benchmark::RegisterBenchmark(name.c_str(), [v, cold](benchmark::State& st) {
                BM_View(st, v.key, v.mode, v.withAnswers, cold);
            })->Unit(benchmark::kMillisecond);
        }
    }
}

}   // namespace

int main(int argc, char** argv)
{
    registerViews();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
