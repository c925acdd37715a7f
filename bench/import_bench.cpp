// Speed of the delivery-file import: a supplier's file of 100,000 lines read through the
// layout the program ships (twenty fields, the full row filter script run on every record;
// target: under 3 s), and a file of 40,000 lines imported into a supply whole (past the
// 32,767 lines an old 16-bit line counter held), checked and added as one operation.
#include "DB.h"
#include "DBEngine.h"
#include "Database.h"
#include "DeliveryFileReader.h"
#include "DeliveryImport.h"
#include "DeliveryLayout.h"
#include "ImportOperator.h"
#include "SqlConnection.h"
#include "TableData.h"
#include "TableObject.h"
#include "UiServices.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kArticles = 2000;

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/import-bench-XXXXXX");
    return dir;
}

struct Shop {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

// A new shop file (it holds the shipped layout) with articles K1..K2000 in the default deposit.
Shop& shop()
{
    static Shop s = [] {
        const QString path = folder().path() + "/Mirtavolia.mdb";
        Shop o;
        o.engine = std::make_shared<DBEngine>();
        o.engine->CreateDatabase(3, path);
        o.engine->OpenDatabase(3, path);
        o.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "bench", nullptr, std::make_shared<EuroCurrencyInfo>());
        o.db->AttachEngine(o.engine);
        SqlConnection& c = o.engine->sql();
        const QString deposit = c.scalar("SELECT OID FROM Depositi WHERE Deposito = ''").toString();
        c.execScript(QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                             "INSERT INTO Articoli (OID, Codice, Descrizione, PrezzoVendita, PrezzoAcquisto, ValoreScorta, "
                             "ValoreMisura, PrezzoAcquistoMedio, PercentualeScorporoVari, OID_Deposito) "
                             "SELECT x, 'K' || x, 'Articolo ' || x, 3, 1.5, 0, 1, 1.5, 0, %2 FROM n")
                         .arg(kArticles)
                         .arg(deposit));
        return o;
    }();
    return s;
}

void place(QString& line, int position, const QString& text)
{
    line.replace(position - 1, text.size(), text);
}

// One line of the shipped layout: an article row of the delivery.
QString deliveryLine(int i)
{
    QString line(128, u' ');
    place(line, 1, QString::number(100000 + i));                               // CodiceFornitore
    place(line, 14, QStringLiteral("K%1").arg(1 + i % kArticles));               // Codice
    place(line, 27, QStringLiteral("ARTICOLO NUMERO %1").arg(i));                // Descrizione
    place(line, 57, QStringLiteral("01"));                                       // Pezzatura
    place(line, 59, QStringLiteral("  3,0000"));                                 // PrezzoVendita
    place(line, 75, QStringLiteral("20"));                                       // Iva
    place(line, 77, QStringLiteral("  1,5000"));                                 // PrezzoAcquisto
    place(line, 85, QStringLiteral("0102C"));                                    // Gruppo, SottoGruppo, ConfezionePeso
    place(line, 90, QStringLiteral("  0,0000"));                                 // PrezzoKgLt
    place(line, 98, QStringLiteral("001234010307"));                             // NumeroFattura, DataFattura
    place(line, 110, QStringLiteral("000200"));                                  // ValoreCarico (hundredths)
    place(line, 116, QStringLiteral("01"));                                      // Reparto
    place(line, 120, QStringLiteral("D"));                                       // TipoRecord
    place(line, 125, QStringLiteral("0012"));                                    // PezziConfezione
    return line;
}

QString deliveryFile(int lines)
{
    const QString path = folder().path() + QStringLiteral("/fornitura%1.txt").arg(lines);
    if (QFile::exists(path))
        return path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    QByteArray bytes;
    for (int i = 0; i < lines; ++i) {
        bytes += deliveryLine(i).toLatin1();
        bytes += "\r\n";
        if (bytes.size() > (1 << 20)) {
            f.write(bytes);
            bytes.clear();
        }
    }
    f.write(bytes);
    return path;
}

std::unique_ptr<TableData> shippedLayout(Database& db)
{
    auto layout = db.Tables().Item("TracciatiFornitura")->Select();
    layout->MoveFirst();
    return layout;
}

void BM_ReadDeliveryFile100k(benchmark::State& state)
{
    Shop& s = shop();
    const QString file = deliveryFile(100000);
    auto row = shippedLayout(*s.db);
    const DeliveryLayout layout = DeliveryLayout::fromRow(*row);
    for (auto _ : state) {
        DeliveryTable table;
        DeliveryFileReader reader(layout, s.db.get());
        reader.read(file, table);
        if (table.rowCount() != 100000)
            state.SkipWithError("not every line was read");
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_ReadDeliveryFile100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// Nobody at the windows: no code of this file needs the operator.
class NoOperator : public ImportOperator {
public:
    std::optional<qint64> pickArticle(TableData&) override { return std::nullopt; }
    std::optional<qint64> newArticle(TableData&, const QVariantList&) override { return std::nullopt; }
    bool editArticle(TableData&, const QString&) override { return false; }
    std::optional<TextSearch> searchText(const QString&, const QString&, bool) override { return std::nullopt; }
};

void BM_ImportDeliveryFile40k(benchmark::State& state)
{
    Shop& s = shop();
    const QString file = deliveryFile(40000);
    auto answers = std::make_shared<ScriptedUiServices>();
    setUiServices(answers);
    NoOperator nobody;
    for (auto _ : state) {
        auto supply = s.db->Tables().Item("Forniture")->Select("OID = 0");
        supply->NewRow();
        supply->Update();
        auto rows = supply->GetReference("Articoli");

        auto layouts = shippedLayout(*s.db);
        DeliveryImport import(*s.db, nobody);
        import.setLayouts(*layouts);
        answers->addAnswer("No");    // no difference check
        answers->addAnswer("Yes");   // go on with the load
        if (!import.read(file) || !import.importPass(false) || !import.addRowsToSupply(*supply, *rows)) {
            state.SkipWithError("the import did not go through");
            break;
        }
        rows->Requery();
        if (rows->RowCount() != 40000)
            state.SkipWithError("not every row reached the supply");
    }
    setUiServices(nullptr);
    state.SetItemsProcessed(state.iterations() * 40000);
}
BENCHMARK(BM_ImportDeliveryFile40k)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
