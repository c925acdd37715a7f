// Speed of the delivery-file import over a catalogue of 100,000 articles: a supplier's file
// of 100,000 lines read through the layout the program ships (twenty fields, the full row
// filter script run on every record; target: under 3 s), and the same file imported into a
// supply whole (past the 32,767 lines a 16-bit line counter would hold), each line a
// different article, checked and added as one operation. Beside the import, turn about,
// plain SQLite does the same work per line on the same file opened with the library's
// settings (RawSqlite): the line's fields cut from the file, the article found by code, the
// load line inserted and linked to the supply, the article's stock, price and average price
// updated, all in one transaction; `ratio` is the library's cost.
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "documents/DeliveryFileReader.h"
#include "documents/DeliveryImport.h"
#include "documents/DeliveryLayout.h"
#include "documents/ImportOperator.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "RawSqlite.h"
#include "SideBySide.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kArticles = 100000;
constexpr int kLines = 100000;

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + "/import-bench-XXXXXX");
    return dir;
}

struct Shop {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

// A new shop file (it holds the shipped layout) with articles K1..K100000 in the default deposit.
Shop& shop()
{
    static Shop s = [] {
        const QString path = folder().path() + "/Mirtavolia.mdb";
        Shop o;
        o.engine = std::make_shared<DBEngine>();
        o.engine->CreateDatabase(3, path);
        o.engine->OpenDatabase(3, path);
        o.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "bench", nullptr,
                                          std::make_shared<EuroCurrencyInfo>());
        o.db->AttachEngine(o.engine);
        SqlConnection& c = o.engine->sql();
        const QString deposit = c.scalar("SELECT OID FROM Depositi WHERE Deposito = ''").toString();
        c.execScript(
            QString("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                    "INSERT INTO Articoli (OID, Codice, Descrizione, PrezzoVendita, PrezzoAcquisto, ValoreScorta, "
                    "ValoreMisura, PrezzoAcquistoMedio, PercentualeScorporoVari, OID_Deposito) "
                    "SELECT x, 'K' || x, 'Articolo ' || x, 3, 1.5, 0, 1, 1.5, 0, %2 FROM n")
                .arg(kArticles)
                .arg(deposit));
        return o;
    }();
    return s;
}

void place(QString& line, int position, const QString& text) { line.replace(position - 1, text.size(), text); }

// One line of the shipped layout: an article row of the delivery.
QString deliveryLine(int i)
{
    QString line(128, u' ');
    place(line, 1, QString::number(100000 + i));   // CodiceFornitore
    place(line, 14, QStringLiteral("K%1").arg(1 + (i * 7919) % kArticles));   // Codice, a new one each line
    place(line, 27, QStringLiteral("ARTICOLO NUMERO %1").arg(i));   // Descrizione
    place(line, 57, QStringLiteral("01"));   // Pezzatura
    place(line, 59, QStringLiteral("  3,0000"));   // PrezzoVendita
    place(line, 75, QStringLiteral("20"));   // Iva
    place(line, 77, QStringLiteral("  1,5000"));   // PrezzoAcquisto
    place(line, 85, QStringLiteral("0102C"));   // Gruppo, SottoGruppo, ConfezionePeso
    place(line, 90, QStringLiteral("  0,0000"));   // PrezzoKgLt
    place(line, 98, QStringLiteral("001234010307"));   // NumeroFattura, DataFattura
    place(line, 110, QStringLiteral("000200"));   // ValoreCarico (hundredths)
    place(line, 116, QStringLiteral("01"));   // Reparto
    place(line, 120, QStringLiteral("D"));   // TipoRecord
    place(line, 125, QStringLiteral("0012"));   // PezziConfezione
    return line;
}

QString deliveryFile(int lines)
{
    const QString path = folder().path() + QStringLiteral("/fornitura%1.txt").arg(lines);
    if (QFile::exists(path)) return path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return QString();
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
    const QString file = deliveryFile(kLines);
    auto row = shippedLayout(*s.db);
    const DeliveryLayout layout = DeliveryLayout::fromRow(*row);
    for (auto _ : state) {
        DeliveryTable table;
        DeliveryFileReader reader(layout, s.db.get());
        reader.read(file, table);
        if (table.rowCount() != kLines) state.SkipWithError("not every line was read");
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
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

// The raw side's statements, prepared once on its connection.
struct RawStatements {
    explicit RawStatements(RawSqlite& raw)
        : find(raw.prepare("SELECT OID, ValoreScorta, PrezzoAcquistoMedio FROM Articoli WHERE Codice = ?")),
          insert(raw.prepare(
              "INSERT INTO CaricoArticoli (OID, objParent, ImportoCarico, ValoreCarico, DataCarico, Progressivo) "
              "VALUES (?, ?, ?, ?, '2007-03-01 10:00:00', ?)")),
          link(raw.prepare("INSERT INTO \"Forniture$Articoli\" (OwnerOID, MemberOID) VALUES (?, ?)")),
          article(raw.prepare(
              "UPDATE Articoli SET ValoreScorta = ?, PrezzoAcquisto = ?, PrezzoAcquistoMedio = ? WHERE OID = ?"))
    { }
    sqlite3_stmt *find, *insert, *link, *article;
};

// The raw side's supplies, one each run, numbered on from the last one in the file: the
// runs of every repetition add to the one file.
qint64 nextRawSupply(RawSqlite& raw)
{
    sqlite3_stmt* last = raw.prepare("SELECT max(OID) FROM Forniture WHERE OID >= 990000000 AND OID < 999000000");
    const qint64 supply = sqlite3_step(last) == SQLITE_ROW && sqlite3_column_type(last, 0) != SQLITE_NULL
        ? sqlite3_column_int64(last, 0) + 1
        : 990000001;
    sqlite3_reset(last);
    return supply;
}

// The raw side's work: every line of the file cut at the layout's positions, its article
// found by code, a load line inserted and linked to a new supply, the article's stock, price
// and average price updated; one transaction.
bool rawImport(RawSqlite& raw, const RawStatements& st, const QString& file, qint64 supply, qint64 firstOid)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    sqlite3_stmt* find = st.find;
    sqlite3_stmt* insert = st.insert;
    sqlite3_stmt* link = st.link;
    sqlite3_stmt* article = st.article;
    raw.exec("BEGIN");
    raw.exec(QStringLiteral(
                 "INSERT INTO Forniture (OID, ImportoAcquisto, DataFornitura) VALUES (%1, 0, '2007-03-01 10:00:00')")
                 .arg(supply)
                 .toUtf8()
                 .constData());
    qint64 oid = firstOid;
    int number = 0;
    while (!f.atEnd()) {
        const QString line = QString::fromLatin1(f.readLine());
        if (line.size() < 120) continue;
        const QByteArray code = line.mid(13, 13).trimmed().toUtf8();
        const double price = line.mid(76, 8).trimmed().replace(u',', u'.').toDouble();
        const double quantity = line.mid(109, 6).toDouble() / 100;
        sqlite3_bind_text(find, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(find) != SQLITE_ROW) {
            sqlite3_reset(find);
            continue;
        }
        const qint64 articleOid = sqlite3_column_int64(find, 0);
        const double stock = sqlite3_column_double(find, 1);
        const double average = sqlite3_column_double(find, 2);
        sqlite3_reset(find);
        sqlite3_bind_int64(insert, 1, ++oid);
        sqlite3_bind_int64(insert, 2, articleOid);
        sqlite3_bind_double(insert, 3, price * quantity);
        sqlite3_bind_double(insert, 4, quantity);
        sqlite3_bind_int64(insert, 5, ++number);
        RawSqlite::run(insert);
        sqlite3_bind_int64(link, 1, supply);
        sqlite3_bind_int64(link, 2, oid);
        RawSqlite::run(link);
        const double newStock = stock + quantity;
        sqlite3_bind_double(article, 1, newStock);
        sqlite3_bind_double(article, 2, price);
        sqlite3_bind_double(article, 3, newStock > 0 ? (stock * average + quantity * price) / newStock : price);
        sqlite3_bind_int64(article, 4, articleOid);
        RawSqlite::run(article);
    }
    raw.exec("COMMIT");
    return number == kLines;
}

void BM_ImportDeliveryFile100k(benchmark::State& state)
{
    Shop& s = shop();
    const QString file = deliveryFile(kLines);
    auto answers = std::make_shared<ScriptedUiServices>();
    setUiServices(answers);
    NoOperator nobody;
    RawSqlite raw(s.engine->Path());
    const RawStatements statements(raw);
    SideBySide compare;
    for (auto _ : state) {
        auto supply = s.db->Tables().Item("Forniture")->Select("OID = 0");
        supply->NewRow();
        supply->Update();
        auto rows = supply->GetReference("Articoli");
        auto layouts = shippedLayout(*s.db);
        DeliveryImport import(*s.db, nobody);
        import.setLayouts(*layouts);
        answers->addAnswer("No");   // no difference check
        answers->addAnswer("Yes");   // go on with the load
        bool done = false;
        compare.project(
            [&] { done = import.read(file) && import.importPass(false) && import.addRowsToSupply(*supply, *rows); });
        if (!done) {
            state.SkipWithError("the import did not go through");
            break;
        }
        rows->Requery();
        if (rows->RowCount() != kLines) state.SkipWithError("not every row reached the supply");
        const qint64 rawSupply = nextRawSupply(raw);
        bool rawDone = false;
        compare.raw(
            [&] { rawDone = rawImport(raw, statements, file, rawSupply, (rawSupply - 990000000) * 1000000000); });
        if (!rawDone) state.SkipWithError("the raw import missed lines");
    }
    setUiServices(nullptr);
    compare.report(state);
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ImportDeliveryFile100k)->Unit(benchmark::kSecond)->Iterations(1);

}   // namespace

BENCHMARK_MAIN();
