// Speed of the object database: bulk insertion, look-up by code, the first page of a huge
// data set, a sale line saved with its field events, a view query over a million lines.
// Beside each library operation the same work runs on plain SQLite over the same tables
// (made by the library, opened with its settings through RawSqlite, statements prepared
// once), turn about in one run: the library's cost reads as the counter `ratio`.
#include "base/Currency.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Definitions.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "RawSqlite.h"
#include "SideBySide.h"
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// Articles, their sale lines (children moving the stock) and the documents owning them.
class Articolo : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Articoli"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Codice", FieldType::Text, 32, 0, 0, -100, -100, -100, -1);
        f.AddField("Descrizione", FieldType::Text, 64, 0, 0, -100, -100, -100, -1);
        f.AddField("Prezzo", FieldType::Currency, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Scorta", FieldType::Number, 0, 0, 0, -100, -100, -100, -1);
        ix.AddIndex("Codice", true);
        ix.AddIndex("Descrizione", false);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnNewRow(TableData& td) override { td.SetValue("Scorta", 0.0); }
};

class Riga : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override { id.ParentTable = "Articolo"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Quantita", FieldType::Number, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Importo", FieldType::Currency, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Data", FieldType::DateTime, 0, 0, 0, -100, -100, -100, -1);
        ix.AddIndex("Data", false);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnNewRow(TableData& td) override
    {
        td.SetValue("Quantita", 1.0);
        td.SetValue("Data", QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
    }
    static bool moves(const QString& f) { return f == "Quantita" || f == "Prezzo"; }
    void OnBeforeUpdateField(TableData& td, QString& f) override
    {
        if (moves(f) && td.GetCurrencyValue("Prezzo") > Currency() && !td.IsFieldNull("Quantita"))
            td.SetValue("Scorta", td.GetFieldValue("Scorta").toDouble() + td.GetFieldValue("Quantita").toDouble());
    }
    void OnUpdateField(TableData& td, QString& f) override
    {
        if (moves(f) && td.GetCurrencyValue("Prezzo") > Currency() && !td.IsFieldNull("Quantita")) {
            td.SetValue(
                "Importo",
                QVariant::fromValue(td.GetCurrencyValue("Prezzo").times(td.GetFieldValue("Quantita").toDouble())));
            td.SetValue("Scorta", td.GetFieldValue("Scorta").toDouble() - td.GetFieldValue("Quantita").toDouble());
        }
    }
};

class Documento : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity&) override { }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions& r) override
    {
        f.AddField("Totale", FieldType::Currency, 0, 0, 0, -100, -100, -100, -1);
        r.AddReference("Righe", "Riga", true, true, "Codice", "Descrizione");
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnBeforeUpdateReference(TableData& td, TableData* row, QString&, QVariant&, QVariant&) override
    {
        if (row) td.SubtractFromField("Totale", QVariant::fromValue(row->GetCurrencyValue("Importo")));
    }
    void OnUpdateReference(TableData& td, TableData* row, QString&, QVariant&, QVariant&) override
    {
        if (row) td.AddToField("Totale", QVariant::fromValue(row->GetCurrencyValue("Importo")));
    }
};

class Shop : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& d) override
    {
        d.AddTable(std::make_shared<Articolo>());
        d.AddTable(std::make_shared<Riga>());
        d.AddTable(std::make_shared<Documento>());
    }
};

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/objdb-bench-XXXXXX");
    return dir;
}

struct Open {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

Open open(const QString& name, bool fresh)
{
    const QString path = folder().path() + "/" + name + ".mdb";
    if (fresh) QFile::remove(path);
    Open o;
    o.engine = std::make_shared<DBEngine>();
    if (!QFile::exists(path)) o.engine->CreateDatabase(3, path);
    o.engine->OpenDatabase(3, path);
    o.db = LibraryGlobal::NewDatabase(std::make_shared<Shop>(), "bench", nullptr);
    o.db->AttachEngine(o.engine);
    return o;
}

// A file with a million articles and a million lines, made once by plain SQL.
Open& million()
{
    static Open o = [] {
        Open m = open("million", true);
        SqlConnection& c = m.engine->sql();
        c.execScript("BEGIN");
        c.execScript("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000000) "
                     "INSERT INTO Articolo (OID, Codice, Descrizione, Prezzo, Scorta) "
                     "SELECT x, 'K' || x, 'Articolo ' || (x % 5000), 1.5 + (x % 7), x % 100 FROM n");
        c.execScript("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000000) "
                     "INSERT INTO Riga (OID, objParent, Quantita, Importo, Data) "
                     "SELECT x, 1 + (x * 7919) % 1000000, 1 + x % 5, 2.5, '2007-03-01 10:00:00' FROM n");
        c.execScript("COMMIT");
        return m;
    }();
    return o;
}

// 100,000 articles added in one transaction to a new file.
void BM_AddRowsInOneTransaction(benchmark::State& state)
{
    const int n = int(state.range(0));
    SideBySide compare;
    for (auto _ : state) {
        {
            Open o = open("add", true);
            o.engine->SetUseTransaction(true);
            auto rows = o.db->Tables().Item("Articolo")->Select("OID = 0");
            compare.project([&] {
                o.engine->BeginTransaction();
                for (int i = 0; i < n; ++i)
                    rows->AddRow({"Codice", QString("K%1").arg(i), "Descrizione", "Articolo di prova", "Prezzo", 2.5});
                o.engine->CommitTransaction();
            });
        }
        {
            Open o = open("rawadd", true);
        }
        RawSqlite raw(folder().path() + "/rawadd.mdb");
        sqlite3_stmt* insert
            = raw.prepare("INSERT INTO Articolo (OID, Codice, Descrizione, Prezzo, Scorta) VALUES (?, ?, ?, 2.5, 0)");
        compare.raw([&] {
            raw.exec("BEGIN");
            for (int i = 0; i < n; ++i) {
                const QByteArray code = QString("K%1").arg(i).toUtf8();
                sqlite3_bind_int64(insert, 1, i + 1);
                sqlite3_bind_text(insert, 2, code.constData(), int(code.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 3, "Articolo di prova", -1, SQLITE_STATIC);
                RawSqlite::run(insert);
            }
            raw.exec("COMMIT");
        });
    }
    compare.report(state);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AddRowsInOneTransaction)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A file with 100,000 articles found by code.
Open& codes100k()
{
    static Open o = [] {
        Open f = open("find", true);
        SqlConnection& c = f.engine->sql();
        c.execScript("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 100000) "
                     "INSERT INTO Articolo (OID, Codice, Descrizione) SELECT x, 'K' || x, 'Articolo ' || x FROM n");
        return f;
    }();
    return o;
}

// 1,000 articles found by code, each row's description read (times per 1,000).
void BM_FindRowsByCodeAmong100k(benchmark::State& state)
{
    Open& o = codes100k();
    auto rows = o.db->Tables().Item("Articolo")->Select();
    RawSqlite raw(folder().path() + "/find.mdb");
    sqlite3_stmt* find = raw.prepare("SELECT OID, Codice, Descrizione, Prezzo, Scorta FROM Articolo WHERE Codice = ?");
    SideBySide compare;
    int i = 0;
    for (auto _ : state) {
        const int first = i;
        compare.project([&] {
            for (int k = 0; k < 1000; ++k) {
                if (!rows->FindKey(QString("K%1").arg(1 + ((first + k) * 7919) % 100000)))
                    state.SkipWithError("not found");
                benchmark::DoNotOptimize(rows->GetValue("Descrizione"));
            }
        });
        compare.raw([&] {
            for (int k = 0; k < 1000; ++k) {
                const QByteArray code = QString("K%1").arg(1 + ((first + k) * 7919) % 100000).toUtf8();
                sqlite3_bind_text(find, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
                if (sqlite3_step(find) != SQLITE_ROW) state.SkipWithError("not found");
                benchmark::DoNotOptimize(RawSqlite::value(find, 2));
                sqlite3_reset(find);
            }
        });
        i += 1000;
    }
    compare.report(state);
}
BENCHMARK(BM_FindRowsByCodeAmong100k)->Unit(benchmark::kMillisecond);

// A million articles opened and their first 100 rows read, every column of each.
void BM_OpenMillionRowsReadFirst100(benchmark::State& state)
{
    Open& o = million();
    RawSqlite raw(folder().path() + "/million.mdb");
    sqlite3_stmt* first
        = raw.prepare("SELECT OID, Codice, Descrizione, Prezzo, Scorta FROM Articolo ORDER BY OID LIMIT 100");
    SideBySide compare;
    for (auto _ : state) {
        compare.project([&] {
            auto rows = o.db->Tables().Item("Articolo")->Select();
            const auto fields = rows->GetFieldInfos();
            int read = 0;
            for (rows->MoveFirst(); !rows->IsEOF() && read < 100; rows->MoveNext(), ++read)
                for (const FieldInfo& f : fields) benchmark::DoNotOptimize(rows->GetValue(f.Name));
            if (read != 100) state.SkipWithError("fewer than 100 rows");
        });
        compare.raw([&] {
            for (int read = 0; read < 100 && sqlite3_step(first) == SQLITE_ROW; ++read)
                for (int c = 0; c < 5; ++c) benchmark::DoNotOptimize(RawSqlite::value(first, c));
            sqlite3_reset(first);
        });
    }
    compare.report(state);
}
BENCHMARK(BM_OpenMillionRowsReadFirst100)->Unit(benchmark::kMillisecond);

void BM_SaleLineSavedWithFieldEvents(benchmark::State& state)
{
    Open o = open("lines", true);
    auto articles = o.db->Tables().Item("Articolo")->Select();
    for (int i = 0; i < 1000; ++i)
        articles->AddRow({"Codice", QString("A%1").arg(i), "Descrizione", "Articolo", "Prezzo", 3.0, "Scorta", 1000.0});
    auto doc = o.db->Tables().Item("Documento")->Select();
    doc->AddRow({"Totale", 0});
    auto lines = doc->GetReference("Righe");
    int i = 0;
    for (auto _ : state) {
        lines->NewRow();
        if (!lines->SetParentByKey(QString("A%1").arg(i++ % 1000))) {
            state.SkipWithError("article not found");
            break;
        }
        lines->SetValue("Quantita", 2.0);
        lines->Update();
    }
    doc->Update();
}
BENCHMARK(BM_SaleLineSavedWithFieldEvents)->Unit(benchmark::kMicrosecond);

// A condition over a parent's field, a date and a computed column, first 100 rows.
void BM_ViewQueryOverMillionLinesFirst100(benchmark::State& state)
{
    Open& o = million();
    RawSqlite raw(folder().path() + "/million.mdb");
    sqlite3_stmt* first = raw.prepare(
        "SELECT Riga.OID, Riga.objParent, Riga.Quantita, Riga.Importo, Riga.Data, Articolo.Codice, "
        "Articolo.Prezzo * Riga.Quantita AS Valore FROM Riga LEFT JOIN Articolo ON Articolo.OID = Riga.objParent "
        "WHERE Riga.Quantita > 0 AND Articolo.Descrizione LIKE 'Art%' AND Riga.Data >= '2007-03-01 00:00:00' "
        "ORDER BY Riga.OID LIMIT 100");
    SideBySide compare;
    for (auto _ : state) {
        compare.project([&] {
            auto rows = o.db->Tables().Item("Riga")->Select(
                "Quantita > 0 AND Articolo.Descrizione Like \"Art*\" AND Data >= #03/01/2007#", "",
                "*, Articolo.Codice, (Prezzo * Quantita) AS Valore");
            int read = 0;
            for (rows->MoveFirst(); !rows->IsEOF() && read < 100; rows->MoveNext(), ++read)
                benchmark::DoNotOptimize(rows->GetValue("Valore"));
        });
        compare.raw([&] {
            // Every column the query gives, as the library reads each into its row.
            for (int read = 0; read < 100 && sqlite3_step(first) == SQLITE_ROW; ++read)
                for (int c = 0; c < 7; ++c) benchmark::DoNotOptimize(RawSqlite::value(first, c));
            sqlite3_reset(first);
        });
    }
    compare.report(state);
}
BENCHMARK(BM_ViewQueryOverMillionLinesFirst100)->Unit(benchmark::kMillisecond);

}   // namespace

BENCHMARK_MAIN();
