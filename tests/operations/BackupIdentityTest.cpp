// A save and then a restore of the same data change nothing: every table of the working file
// holds the same rows afterwards, and the rows each file made for itself when it was created
// (payment types, document types, the sample layout with its fields) are one row, not two.
#include "BackupShop.h"
#include "base/Currency.h"
#include "data/DB.h"
#include "objdb/TableObject.h"
#include <QFile>
#include "FileContents.h"
#include <map>
#include <sqlite3.h>

namespace backupidentity {

// Every table of a file, its rows as text, sorted: what "the same data" means. The
// connections' list and the file's own identity are the file's, not data.
std::map<QString, QStringList> contents(const QString& path)
{
    return testenv::tableContents(path, "name NOT IN ('_objdb_connections', '_objdb_meta')", SQLITE_OPEN_READWRITE);
}

std::map<QString, qsizetype> counts(const std::map<QString, QStringList>& c)
{
    std::map<QString, qsizetype> out;
    for (const auto& [table, rows] : c) out[table] = rows.size();
    return out;
}

// The tables whose rows differ, with the rows on each side.
std::string differences(const std::map<QString, QStringList>& a, const std::map<QString, QStringList>& b)
{
    std::string out;
    for (const auto& [table, rows] : a) {
        const auto it = b.find(table);
        if (it == b.end()) {
            out += table.toStdString() + ": missing\n";
        } else if (it->second != rows) {
            out += table.toStdString() + ":\n  before " + rows.join(QStringLiteral("\n         ")).toStdString()
                + "\n  after  " + it->second.join(QStringLiteral("\n         ")).toStdString() + "\n";
        }
    }
    return out;
}

QDateTime at(int day, int hour = 10) { return QDateTime(QDate(2007, 3, day), QTime(hour, 0)); }

class Identity : public BackupShop {
protected:
    // A small shop whose documents point at rows every file makes by default: a supplier
    // with the sample layout, a supply of type "Bolla", a sale paid "Contanti".
    void smallShop()
    {
        addArticle("A", 100);
        const qint64 customer = addCustomer("C1");
        const qint64 layout = oidOf("TracciatiFornitura", QString());
        const qint64 bolla = oidOf("TipiDocumento", "Codice = 'Bolla'");
        const qint64 contanti = oidOf("TipiPagamento", "Descrizione = 'Contanti'");
        ASSERT_TRUE(layout && bolla && contanti);
        auto suppliers = select("Fornitori");
        const qint64 supplier = suppliers->AddRow({"Descrizione", "Fornitore X"});
        ASSERT_TRUE(suppliers->MoveToOID(supplier));
        suppliers->SetReferenceOID("Tracciati", layout);
        suppliers->Update();

        supplied = supply(at(4), true, "A", 10);
        auto s = select("Forniture", QStringLiteral("OID = %1").arg(supplied));
        s->SetReferenceOID("TipoDocumento", bolla);
        s->SetReferenceOID("Fornitore", supplier);
        s->Update();

        sold = sale(at(5), true, "A", 3, customer);
        auto v = select("Vendite", QStringLiteral("OID = %1").arg(sold));
        auto payments = v->GetReference("Pagamento");
        payments->NewRow();
        payments->SetReferenceOID("Pagamento", contanti);
        payments->SetValue("Importo", QVariant::fromValue(Currency::fromDouble(7.5)));
        payments->Update();
        receipt(QDate(2007, 3, 5), sold);
        sale(at(9), true, "A", 1, customer);
        clock->set(at(10, 9));
    }

    qint64 oidOf(const QString& table, const QString& condition)
    {
        auto rows = select(table, condition);
        if (rows->RowCount() != 1) return 0;
        rows->MoveFirst();
        return rows->GetOID();
    }

    BackupRequest whole(bool restore)
    {
        BackupRequest r;
        r.allData = true;
        r.restore = restore;
        r.automatic = true;
        return r;
    }

    qint64 supplied = 0, sold = 0;
};

TEST_F(Identity, AWholeSaveThenAWholeRestoreChangeNoTable)
{
    for (const bool shop : {false, true}) {
        SCOPED_TRACE(shop ? "a small shop" : "a new database");
        QFile::remove(backupPath());   // each case makes its archive anew, with its own default rows
        if (shop) smallShop();
        const auto before = contents(workingPath());
        ASSERT_EQ(before.at("TipiPagamento").size(), 5);

        ASSERT_EQ(run(whole(false)), BackupRestore::Outcome::Completed);
        // The archive holds what the working file holds, row for row.
        EXPECT_EQ(counts(contents(backupPath())), counts(before));

        ASSERT_EQ(run(whole(true)), BackupRestore::Outcome::Completed);
        const auto after = contents(workingPath());
        EXPECT_EQ(after, before) << differences(before, after);
        EXPECT_EQ(counts(contents(backupPath())), counts(before));
    }
}

// An archive an earlier program filled: its own payment types and, under other OIDs, the
// working file's again. Restored whole, it brings no payment type the working file has.
TEST_F(Identity, AnArchiveHoldingADefaultRowTwiceRestoresNoCopyOfIt)
{
    ASSERT_EQ(run(whole(false)), BackupRestore::Outcome::Completed);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(backupPath().toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(
                      db,
                      "INSERT INTO TipiPagamento (OID, Descrizione) SELECT OID + 1000, Descrizione FROM TipiPagamento",
                      nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    ASSERT_EQ(contents(backupPath()).at("TipiPagamento").size(), 10);
    const auto before = contents(workingPath());
    ASSERT_EQ(run(whole(true)), BackupRestore::Outcome::Completed);
    const auto after = contents(workingPath());
    EXPECT_EQ(after, before) << differences(before, after);
}

// The same matching where rows go one by one (a document moved to the archive, an archive
// imported): a file's own payment types and sample layout take the other file's.
TEST_F(Identity, RowsCopiedOneByOneMatchTheDefaultRowsToo)
{
    auto engine = std::make_shared<DBEngine>();
    engine->CreateDatabase(3, backupPath());
    engine->OpenDatabase(3, backupPath());
    auto archive = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
    archive->AttachEngine(engine);
    for (const char* table : {"TipiPagamento", "TipiDocumento", "TracciatiFornitura"}) {
        auto to = archive->Tables().Item(table)->Select(QStringLiteral("OID = 0"));
        EXPECT_TRUE(select(table)->CopyRows(*to, nullptr, true)) << table;
    }
    archive->Close();
    engine->Close();
    const auto copied = contents(backupPath());
    EXPECT_EQ(copied.at("TipiPagamento").size(), 5);
    EXPECT_EQ(copied.at("TipiDocumento").size(), 2);
    EXPECT_EQ(copied.at("TracciatiFornitura").size(), 1);
    EXPECT_EQ(copied.at("CampiTracciato").size(), 20);
    EXPECT_EQ(copied.at("TracciatiFornitura$Campi").size(), 20);
}

TEST_F(Identity, AMonthSavedAndRestoredComesBackAsItWas)
{
    smallShop();
    const auto before = contents(workingPath());
    BackupRequest r;
    r.from = QDate(2007, 3, 1);
    r.to = QDate(2007, 3, 31);
    r.deleteAtOrigin = true;
    r.copyRelated = true;
    r.automatic = true;
    ASSERT_EQ(run(r), BackupRestore::Outcome::Completed);
    ASSERT_EQ(oids(workingPath(), "Vendite"), QList<qint64> {});
    // The archive made its own default rows; the month's documents point at them.
    const auto saved = contents(backupPath());
    EXPECT_EQ(saved.at("TipiPagamento").size(), 5);
    EXPECT_EQ(saved.at("TipiDocumento").size(), 2);
    EXPECT_EQ(saved.at("TracciatiFornitura").size(), 1);
    EXPECT_EQ(saved.at("CampiTracciato").size(), 20);
    EXPECT_EQ(saved.at("TracciatiFornitura$Campi").size(), 20);
    EXPECT_EQ(value(backupPath(),
                    "SELECT TipiPagamento.Descrizione FROM PagamentiCliente, TipiPagamento "
                    "WHERE PagamentiCliente.OID_Pagamento = TipiPagamento.OID")
                  .toString(),
              QStringLiteral("Contanti"));

    r.restore = true;
    ASSERT_EQ(run(r), BackupRestore::Outcome::Completed);
    const auto after = contents(workingPath());
    EXPECT_EQ(after, before) << differences(before, after);
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {});
    EXPECT_EQ(contents(backupPath()).at("TipiPagamento").size(), 5);
}

}   // namespace backupidentity
