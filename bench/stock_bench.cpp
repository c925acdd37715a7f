// Speed of the stock rules on a shop of realistic size: a sale line added by article code,
// with its line number, discount look-up, amount and stock update, among 100,000 articles
// and 1,000,000 existing sale lines. Target: under 2 ms a line.
#include "Currency.h"
#include "DB.h"
#include "DBEngine.h"
#include "Database.h"
#include "SqlConnection.h"
#include "TableData.h"
#include "TableObject.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kArticles = 100000;
constexpr int kSales = 100000;
constexpr int kLinesPerSale = 10;

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/stock-bench-XXXXXX");
    return dir;
}

struct Shop {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

// The shop database declared by the program, filled once by plain SQL: articles in the
// default deposit, sales of ten lines each, a few discount rules.
Shop& shop()
{
    static Shop s = [] {
        const QString path = folder().path() + "/Mirtavolia.mdb";
        QFile::remove(path);
        Shop o;
        o.engine = std::make_shared<DBEngine>();
        o.engine->CreateDatabase(3, path);
        o.engine->OpenDatabase(3, path);
        o.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "bench", nullptr);
        o.db->AttachEngine(o.engine);
        SqlConnection& c = o.engine->sql();
        const QString deposit = c.scalar("SELECT OID FROM Depositi WHERE Deposito = ''").toString();
        c.execScript("BEGIN");
        c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                             "INSERT INTO Articoli (OID, Codice, Descrizione, PrezzoVendita, PrezzoAcquisto, ValoreScorta, "
                             "ValoreMisura, PrezzoAcquistoMedio, PercentualeScorporoVari, OID_Deposito) "
                             "SELECT x, 'K' || x, 'Articolo ' || (x % 5000), 1.5 + (x % 7), 1 + (x % 5), 1000, 1, 1, 0, %2 FROM n")
                         .arg(kArticles)
                         .arg(deposit));
        c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                             "INSERT INTO Vendite (OID, ImportoVendita, ImportoBuoni, DataVendita, Note, Punti, Completato) "
                             "SELECT x, 25, 0, '2007-03-01 10:00:00', '', 0, 1 FROM n")
                         .arg(kSales));
        c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
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
        c.execScript("COMMIT");
        return o;
    }();
    return s;
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
        lines->NewRow();
        if (!lines->SetParentByKey(QString("K%1").arg(1 + (i++ * 7919) % kArticles))) {
            state.SkipWithError("article not found");
            break;
        }
        lines->SetValue("ValoreScarico", 2.0);
        lines->Update();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SaleLineByArticleCode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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

}  // namespace

BENCHMARK_MAIN();
