// Creation and upgrade of a database file, default rows, storage of values, unique
// indexes, lazy reading and OIDs across files.
#include "Fixture.h"
#include "base/Currency.h"
#include "objdb/DatabaseFileCopy.h"
#include "base/FileOps.h"
#include "KilledChild.h"
#include "TestEnvironment.h"
#include "objdb/ObjDbError.h"
#include "objdb/SqlConnection.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace fixture;

namespace {

QStringList storedTables(Shop& s)
{
    QStringList names;
    for (const auto& row : s.engine->GetConnection().Query("SELECT Name FROM _objdb_tables ORDER BY Position").rows)
        names << row[0].toString();
    return names;
}

}   // namespace

TEST(ObjDbStorage, NewDatabaseDeclaresEveryTableInOrderWithVersionsAndDefaultRowsOnce)
{
    trace() = Trace();
    const QString path = newDatabasePath("create");
    {
        Shop s(path);
        EXPECT_EQ(storedTables(s),
                  QStringList({"Unita", "Fornitore", "Articolo", "Riga", "Cliente", "Documento", "Ciclo"}));
        EXPECT_EQ(s.scalar("SELECT Version FROM _objdb_tables WHERE Name='Articolo'").toDouble(), 1.2);
        EXPECT_TRUE(s.scalar("SELECT Version FROM _objdb_tables WHERE Name='Unita'").isNull());
        EXPECT_EQ(s.count("Unita"), 3);
        EXPECT_EQ(s.count("Articolo"), 1);
        EXPECT_EQ(s.db->State(), Database::kOpen);
        EXPECT_TRUE(trace().structEvents.contains("Unita:0:1"));
        EXPECT_TRUE(trace().structEvents.contains("Articolo:0:1"));
    }
    trace() = Trace();
    Shop again(path);
    EXPECT_EQ(again.count("Unita"), 3) << "opening again adds no default row";
    EXPECT_EQ(again.count("Articolo"), 1);
    EXPECT_TRUE(trace().structEvents.contains("Articolo:1.2:0"));
}

TEST(ObjDbStorage, DefaultRowsTakeTheirTablesNewRowDefaultsAndSkipLookupsWhileAttaching)
{
    trace() = Trace();
    Shop s(newDatabasePath("defaults"));
    auto units = s.select("Unita", "", "Codice");
    for (units->MoveFirst(); !units->IsEOF(); units->MoveNext())
        EXPECT_TRUE(units->GetBoolValue("Attiva")) << units->GetText("Codice").toStdString();
    EXPECT_EQ(trace().databaseStateAtFirstNewArticle, Database::kAttaching);
    auto varie = s.select("Articolo", "Codice = 'VARIE'");
    EXPECT_EQ(varie->GetReferenceOID("Unita"), 0) << "no unit look-up while the database is being declared";
    // Once open, a new article finds its unit.
    auto a = s.select("Articolo");
    a->AddRow({"Codice", "A1", "Descrizione", "Pane"});
    EXPECT_EQ(a->GetReference("Unita")->GetText("Codice"), "PZ");
    EXPECT_EQ(a->GetFieldValue("Misura").toDouble(), 1.0);
}

TEST(ObjDbStorage, LegacyFileIsUpgradedStepByStepKeepingUndeclaredColumns)
{
    trace() = Trace();
    const QString path = newDatabasePath("legacy");
    {
        // An older file: Articolo at version 1.0 without Costo and Misura, with a column no longer declared.
        auto e = std::make_shared<DBEngine>();
        e->CreateDatabase(3, path);
        e->OpenDatabase(3, path);
        // Raw SQLite: the file as an older program left it.
        SqlConnection& c = e->sql();
        c.execute("CREATE TABLE Articolo (OID INTEGER PRIMARY KEY, Codice TEXT COLLATE NOCASE, Descrizione TEXT, "
                  "Prezzo REAL, Scorta REAL, OID_Unita INTEGER, Vecchio TEXT)");
        c.execute("INSERT INTO Articolo (OID, Codice, Descrizione, Prezzo, Scorta, Vecchio) VALUES (7, 'X1', 'Vecchio "
                  "articolo', 2.5, 4, 'resta')");
        c.execute("INSERT INTO _objdb_tables (Name, Position, Version) VALUES ('Articolo', 3, 1.0)");
    }
    Shop s(path);
    EXPECT_TRUE(trace().structEvents.contains("Articolo:1:0"));
    auto a = s.select("Articolo", "Codice = 'X1'");
    ASSERT_FALSE(a->IsEmpty());
    EXPECT_EQ(a->GetOID(), 7);
    EXPECT_EQ(a->GetFieldValue("Misura").toDouble(), 1.0) << "step below 1.1 ran on the added column";
    EXPECT_EQ(a->GetCurrencyValue("Costo"), Currency()) << "step below 1.2 ran";
    EXPECT_FALSE(a->IsFieldNull("Costo"));
    EXPECT_EQ(s.scalar("SELECT Vecchio FROM Articolo WHERE OID=7").toString(), "resta");
    EXPECT_EQ(s.scalar("SELECT Version FROM _objdb_tables WHERE Name='Articolo'").toDouble(), 1.2);
    EXPECT_EQ(s.count("Articolo"), 1) << "an upgraded table gets no default rows";
}

TEST(ObjDbStorage, FileNameHoldingANulIsRefused)
{
    const QString path = newDatabasePath("nul");
    DBEngine engine;
    EXPECT_THROW(engine.CreateDatabase(3, path + QChar(0) + "sub"), AppError);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_THROW(engine.OpenDatabase(3, path + QChar(0) + "sub"), AppError);
    EXPECT_FALSE(engine.IsOpen());
}

TEST(ObjDbStorage, CurrencyIsStoredRoundedToFourDecimalsWithinItsRange)
{
    Shop s(newDatabasePath("currency"));
    struct Case {
        QVariant in;
        QString stored;
        Currency back;
    };
    const Case cases[] = {
        {QVariant(1.23456), "1.2346", Currency::fromUnits(12346)},
        {QVariant(1.23455), "1.2346", Currency::fromUnits(12346)},   // half to even at the fourth decimal
        {QVariant(1.23445), "1.2344", Currency::fromUnits(12344)},
        {QVariant(QString("19.99")), "19.99", Currency::fromUnits(199900)},
        {QVariant(-0.00005), "0", Currency()},
        {QVariant::fromValue(Currency::fromUnits(123456789012345)), "12345678901.2345",
         Currency::fromUnits(123456789012345)},
        {QVariant::fromValue(Currency::max()), "", Currency::max()},
        {QVariant::fromValue(Currency::min()), "", Currency::min()},
    };
    auto a = s.select("Articolo");
    for (const Case& c : cases) {
        a->NewRow();
        a->SetValue("Codice", "C" + QString::number(a->GetOID()));
        a->SetValue("Costo", c.in);
        a->Update();
        const qint64 oid = a->GetOID();
        if (!c.stored.isEmpty()) {
            EXPECT_EQ(s.scalar(QString("SELECT Costo FROM Articolo WHERE OID=%1").arg(oid)).toString(), c.stored)
                << c.in.toString().toStdString();
        }
        auto back = s.select("Articolo", QString("OID = %1").arg(oid));
        EXPECT_EQ(back->GetCurrencyValue("Costo"), c.back) << c.in.toString().toStdString();
    }
    a->NewRow();
    EXPECT_THROW(a->SetValue("Costo", 1e16), AppError) << "outside the currency range";
    try {
        a->SetValue("Costo", 1e16);
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, AppError::kOverflow);
    }
    EXPECT_THROW(a->SetValue("Costo", QString("dodici")), AppError);
}

TEST(ObjDbStorage, UniqueIndexViolationIsARefusalWithAMessage)
{
    RecordingSink sink;
    Shop s(newDatabasePath("unique"), &sink);
    auto u = s.select("Unita");
    try {
        u->AddRow({"Codice", "PZ2", "Descrizione", "pezzi"});   // same description, other case
        FAIL() << "a second unit with the same description was stored";
    } catch (const AppError& e) {
        EXPECT_TRUE(objdb::isRefusal(e));
        EXPECT_TRUE(e.description.contains("Descrizione")) << e.description.toStdString();
    }
    ASSERT_EQ(sink.refusals.size(), 1);
    EXPECT_EQ(s.count("Unita"), 3);
}

// Codice is declared with 32 characters, Descrizione with 64.
TEST(ObjDbStorage, TextsLongerThanDeclaredOrHoldingANulAreRefusedAndNothingIsStored)
{
    Shop s(newDatabasePath("sizes"));
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");   // one character, two UTF-16 units
    struct Case {
        const char* name;
        QString codice, descrizione;
        const char* message;   // empty: stored
    };
    const Case cases[] = {
        {"at the size", QString(32, u'c'), QString(64, u'd'), ""},
        {"characters outside the basic plane count once", QStringLiteral("X1"), smile.repeated(64), ""},
        {"one over", QStringLiteral("X2"), QString(65, u'd'),
         "Il testo del campo <Descrizione> è di 65 caratteri: supera la dimensione dichiarata di 64 caratteri"},
        {"ten million", QStringLiteral("X3"), QString(10000000, u'd'),
         "Il testo del campo <Descrizione> è di 10000000 caratteri: supera la dimensione dichiarata di 64 caratteri"},
        {"a NUL", QStringLiteral("A") + QChar(0) + QStringLiteral("B"), QStringLiteral("d"),
         "Il testo del campo <Codice> (al massimo 32 caratteri) contiene un carattere nullo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 before = s.count("Articolo");
        try {
            s.select("Articolo")->AddRow({"Codice", c.codice, "Descrizione", c.descrizione});
            EXPECT_EQ(QString::fromUtf8(c.message), QString()) << "stored";
        } catch (const AppError& e) {
            EXPECT_EQ(e.description, QString::fromUtf8(c.message));
        }
        EXPECT_EQ(s.count("Articolo"), before + (*c.message ? 0 : 1));
    }

    // A change of a stored row is refused the same way and leaves the row as it was.
    auto a = s.select("Articolo", "Codice = 'X1'");
    ASSERT_FALSE(a->IsEmpty());
    EXPECT_THROW(a->SetValue("Codice", QString(33, u'c')), AppError);
    EXPECT_EQ(a->GetText("Codice"), QStringLiteral("X1"));
    EXPECT_FALSE(a->IsChanged());
}

TEST(ObjDbStorage, OpeningAHugeDataSetReadsOnlyItsFirstPage)
{
    Shop s(newDatabasePath("lazy"));
    const int n = 60000;
    {
        SqlConnection& c = s.engine->sql();
        c.execScript("BEGIN");
        for (int i = 0; i < n; i += 1000) {
            QString sql = "INSERT INTO Articolo (OID, Codice, Descrizione, Scorta) VALUES ";
            for (int j = i; j < i + 1000; ++j)
                sql += QString("%1(%2, 'K%2', 'Articolo %3', %4)")
                           .arg(j > i ? "," : "")
                           .arg(j + 100)
                           .arg(j % 97)
                           .arg(j % 7);
            c.execute(sql);
        }
        c.execScript("COMMIT");
    }
    sqlite3* h = s.engine->sql().handle();
    static long long steps = 0;
    steps = 0;
    sqlite3_trace_v2(
        h, SQLITE_TRACE_PROFILE,
        [](unsigned, void*, void* stmt, void*) -> int {
            steps += sqlite3_stmt_status(static_cast<sqlite3_stmt*>(stmt), SQLITE_STMTSTATUS_VM_STEP, 0);
            return 0;
        },
        nullptr);
    auto rows = s.select("Articolo");
    int read = 0;
    for (rows->MoveFirst(); !rows->IsEOF() && read < 100; rows->MoveNext()) {
        rows->GetValue("Descrizione");
        ++read;
    }
    sqlite3_trace_v2(h, 0, nullptr, nullptr);
    EXPECT_EQ(read, 100);
    EXPECT_LT(steps, 20000) << "the table was read, not a page of it";
    EXPECT_EQ(rows->RowCount(), n + 1);
}

// A view is opened on its first row and then read from the first row: the page just read
// serves again, unless something may have changed the rows in between.
TEST(ObjDbStorage, MovingToTheFirstRowAgainReadsThePageOnlyWhenRowsMayHaveChanged)
{
    const QString path = newDatabasePath("first-again");
    Shop s(path);
    auto writer = s.select("Articolo");
    for (const char* code : {"P1", "P2", "P3"}) writer->AddRow({"Codice", code, "Descrizione", code});
    sqlite3* h = s.engine->sql().handle();
    static int pageReads = 0;
    sqlite3_trace_v2(
        h, SQLITE_TRACE_STMT,
        [](unsigned, void*, void* stmt, void*) -> int {
            const QString sql = QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(stmt)));
            if (sql.contains("FROM \"Articolo\"") && sql.contains("LIMIT")) ++pageReads;
            return 0;
        },
        nullptr);
    auto rows = s.select("Articolo", "", "Codice");
    auto firstAfter = [&](auto change) {
        change();
        pageReads = 0;
        rows->MoveFirst();
        return std::make_pair(rows->GetText("Codice"), pageReads);
    };
    using Seen = std::pair<QString, int>;
    EXPECT_EQ(firstAfter([] {}), Seen("P1", 1));
    EXPECT_EQ(firstAfter([] {}), Seen("P1", 0)) << "nothing happened since the page was read";
    EXPECT_EQ(firstAfter([&] { rows->MoveNext(); }), Seen("P1", 0)) << "moving within the page changes no row";
    EXPECT_EQ(firstAfter([&] { rows->MoveLast(); }), Seen("P1", 1)) << "the window held the last page";
    EXPECT_EQ(firstAfter([&] {
                  writer->AddRow({"Codice", "A1", "Descrizione", "nuovo"});
              }),
              Seen("A1", 1))
        << "an operation through another data set";
    EXPECT_EQ(firstAfter([&] { s.engine->sql().execute("UPDATE Articolo SET Codice = '0' WHERE Codice = 'P3'"); }),
              Seen("0", 1))
        << "a write on the file outside any operation";
    {
        DBEngine other;
        other.OpenDatabase(3, path);
        EXPECT_EQ(firstAfter([&] { other.sql().execute("DELETE FROM Articolo WHERE Codice = '0'"); }), Seen("A1", 1))
            << "a commit by another connection";
    }
    EXPECT_EQ(firstAfter([&] { rows->SetFilter("Codice <> 'A1'"); }), Seen("P1", 1)) << "a new filter";
    sqlite3_trace_v2(h, 0, nullptr, nullptr);
}

TEST(ObjDbStorage, KeysetPagingWalksEveryRowOnceInBothDirections)
{
    Shop s(newDatabasePath("paging"));
    auto a = s.select("Articolo");
    for (int i = 0; i < 700; ++i)
        a->AddRow({"Codice", QString("P%1").arg(i, 4, 10, QChar('0')), "Descrizione", QString("D%1").arg(i % 13)});
    for (const QString order : {"Descrizione DESC", "Descrizione", "Scorta, Codice DESC"}) {
        auto rows = s.select("Articolo", "", order);
        QList<qint64> forward;
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) forward << rows->GetOID();
        QList<qint64> backward;
        for (rows->MoveLast(); !rows->IsBOF(); rows->MovePrevious()) backward.prepend(rows->GetOID());
        EXPECT_EQ(forward.size(), 701) << order.toStdString();
        EXPECT_EQ(QSet<qint64>(forward.begin(), forward.end()).size(), 701) << order.toStdString();
        EXPECT_EQ(forward, backward) << order.toStdString();
    }
    auto byDesc = s.select("Articolo", "Codice Like 'P*'", "Descrizione DESC");
    QString last = "zzz";
    for (byDesc->MoveFirst(); !byDesc->IsEOF(); byDesc->MoveNext()) {
        EXPECT_LE(byDesc->GetText("Descrizione").compare(last, Qt::CaseInsensitive), 0);
        last = byDesc->GetText("Descrizione");
    }
}

TEST(ObjDbStorage, OidsNeverCollideBetweenAFileAndItsCopy)
{
    const QString pathA = newDatabasePath("oidA");
    const QString pathB = pathA + ".copy";
    {
        Shop a(pathA);
        a.engine->Flush();
    }
    ASSERT_TRUE(QFile::copy(pathA, pathB));
    Shop a(pathA), b(pathB);
    EXPECT_NE(a.engine->sitePrefix(), b.engine->sitePrefix()) << "a copied file takes a prefix of its own";
    auto ta = a.select("Cliente"), tb = b.select("Cliente");
    QSet<qint64> oids;
    for (int i = 0; i < 50; ++i) {
        oids.insert(ta->AddRow({"Nome", QString("A%1").arg(i)}));
        oids.insert(tb->AddRow({"Nome", QString("B%1").arg(i)}));
    }
    EXPECT_EQ(oids.size(), 100);
}

TEST(ObjDbStorage, EngineRefusesMissingFilesExistingTargetsAndWritesWhenReadOnly)
{
    const QString path = newDatabasePath("engine");
    DBEngine e;
    EXPECT_THROW(e.OpenDatabase(3, path), AppError);
    e.CreateDatabase(3, path);
    EXPECT_THROW(e.CreateDatabase(3, path), AppError);
    {
        Shop s(path);
    }
    QFile junk(path + ".junk");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_THROW(e.OpenDatabase(3, path + ".junk"), AppError);
    auto ro = std::make_shared<DBEngine>();
    ro->OpenDatabase(3, path);
    ro->SetAccessMode(DBEngine::kAccessReadOnly);
    auto db = LibraryGlobal::OpenExistingDatabase(ro, nullptr);
    auto u = db->Tables().Item("Unita")->Select();
    EXPECT_EQ(u->RowCount(), 3);
    EXPECT_THROW(u->AddRow({"Codice", "LT", "Descrizione", "Litri"}), AppError);
}

// A reader that cannot make the log files beside the file (a folder it may not write) reads
// the file as it stands: the engine's read-only opening and a whole copy alike.
TEST(ObjDbStorage, AReaderThatCannotMakeTheLogFilesReadsTheFileAsItStands)
{
    const QString path = newDatabasePath("unwritable");
    {
        Shop s(path);
    }
    ASSERT_FALSE(QFile::exists(path + "-shm"));
    // The tests run as the superuser, who may write anywhere: the folder is not writable
    // through the file seam, and the log index cannot be made where it would go.
    class FolderNotWritable : public FileOps {
    public:
        explicit FolderNotWritable(QString folder) : m_folder(std::move(folder)) { }
        bool isWritable(const QString& p) const override
        {
            return p != m_folder && QFileInfo(p).absolutePath() != m_folder && FileOps::isWritable(p);
        }

    private:
        QString m_folder;
    };
    setFileOps(std::make_shared<FolderNotWritable>(QFileInfo(path).absolutePath()));
    struct Restore {
        ~Restore() { setFileOps(nullptr); }
    } restore;
    ASSERT_TRUE(QFile::link("/nonexistent-folder/index", path + "-shm"));
    EXPECT_FALSE(objdb::ReaderMayOpenWritable(path));

    for (const int mode : {int(DBEngine::kReadOnlyOpen), -1}) {
        SCOPED_TRACE(mode);
        auto engine = std::make_shared<DBEngine>();
        if (mode < 0) engine->SetAccessMode(DBEngine::kAccessReadOnly);
        ASSERT_NO_THROW(engine->OpenDatabase(mode < 0 ? 3 : mode, path));
        EXPECT_TRUE(engine->IsReadOnly());
        auto db = LibraryGlobal::OpenExistingDatabase(engine, nullptr);
        auto u = db->Tables().Item("Unita")->Select();
        EXPECT_EQ(u->RowCount(), 3);
        EXPECT_THROW(u->AddRow({"Codice", "LT", "Descrizione", "Litri"}), AppError);
    }
    const QString copy = newDatabasePath("unwritable-copy");
    EXPECT_NO_THROW(objdb::CopyDatabase(path, copy));
    setFileOps(nullptr);
    QFile::remove(path + "-shm");
    Shop copied(copy);
    EXPECT_EQ(copied.count("Unita"), 3);
}

// A log left under a name (its database deleted or moved away) is never applied to the new
// file made under that name (SQLite drops a log found beside an empty file): the backup
// archive is made this way when it is missing.
TEST(ObjDbStorage, ANewFileTakesNothingFromALogLeftUnderItsName)
{
    const QString path = newDatabasePath("orphan");
    QByteArray log;
    {
        sqlite3* old = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &old), SQLITE_OK);
        sqlite3_exec(old,
                     "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; CREATE TABLE Vecchia(x); INSERT INTO "
                     "Vecchia VALUES(1);",
                     nullptr, nullptr, nullptr);
        QFile wal(path + "-wal");
        ASSERT_TRUE(wal.open(QIODevice::ReadOnly));
        log = wal.readAll();
        sqlite3_close(old);
    }
    ASSERT_GT(log.size(), 0);
    QFile::remove(path);
    QFile wal(path + "-wal");
    ASSERT_TRUE(wal.open(QIODevice::WriteOnly));
    wal.write(log);
    wal.close();

    Shop s(path);
    EXPECT_EQ(s.scalar("SELECT count(*) FROM sqlite_master WHERE name = 'Vecchia'").toLongLong(), 0);
    EXPECT_EQ(s.engine->sql().scalar("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
    EXPECT_EQ(s.count("Unita"), 3);
}

TEST(ObjDbStorage, AGridReadsPagesByKeyWithoutMovingTheCursor)
{
    Shop s(newDatabasePath("pages"));
    auto c = s.select("Cliente");
    for (int i = 0; i < 30; ++i) c->AddRow({"Nome", QString("N%1").arg(i % 10) + QString::number(i)});
    auto rows = s.select("Cliente", "", "Nome DESC");
    rows->MoveFirst();
    const qint64 current = rows->GetOID();
    QList<qint64> paged;
    for (qint64 after = 0;;) {
        auto page = rows->PageAfter(after, 7);
        if (page.empty()) break;
        for (qint64 oid : page) paged << oid;
        after = page.back();
    }
    QList<qint64> walked;
    for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) walked << rows->GetOID();
    EXPECT_EQ(paged, walked);
    EXPECT_EQ(walked.first(), current);
}

// Statements are kept for reuse, but a program that writes its values into the text must
// not keep one per value for the whole run.
TEST(ObjDbStorage, PreparedStatementsKeptAreBounded)
{
    Shop s(newDatabasePath("statements"));
    SqlConnection& c = s.engine->sql();
    auto prepared = [&c] {
        int n = 0;
        for (sqlite3_stmt* st = sqlite3_next_stmt(c.handle(), nullptr); st; st = sqlite3_next_stmt(c.handle(), st)) ++n;
        return n;
    };
    const int before = prepared();
    for (int i = 0; i < 3 * int(SqlConnection::kCachedStatements); ++i)
        EXPECT_EQ(c.scalar(QStringLiteral("SELECT %1").arg(i)).toInt(), i);
    EXPECT_EQ(c.cachedStatements(), SqlConnection::kCachedStatements);
    EXPECT_LE(prepared(), before + int(SqlConnection::kCachedStatements));
    // The statements used last are the ones kept, and still give the right rows.
    const int last = 3 * int(SqlConnection::kCachedStatements) - 1;
    const int count = prepared();
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT %1").arg(last)).toInt(), last);
    EXPECT_EQ(prepared(), count);
}

// A file put in another's place: the replaced file's log never meets the new file, and when
// the move fails the replaced file keeps its log, where its last committed rows may still be.
TEST(ObjDbStorage, AFileNotPutInPlaceLeavesTheReplacedFileWithItsLog)
{
    const QString target = newDatabasePath("replaced");
    {
        // A file whose last row is only in its log, as after a killed program.
        const QString live = newDatabasePath("replaced-live");
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(live.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; CREATE TABLE Righe(x); PRAGMA wal_checkpoint(TRUNCATE); "
                     "PRAGMA wal_autocheckpoint=0; INSERT INTO Righe VALUES(1);",
                     nullptr, nullptr, nullptr);
        ASSERT_TRUE(QFile::copy(live, target));
        ASSERT_TRUE(QFile::copy(live + "-wal", target + "-wal"));
        sqlite3_close(db);
    }
    const auto rowsIn = [](const QString& path) {
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_stmt* st = nullptr;
        qint64 n = -1;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Righe", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        return n;
    };
    const QString source = newDatabasePath("replacing");
    {
        Shop s(source);
    }

    class RefusesTheTarget : public FileOps {
    public:
        explicit RefusesTheTarget(QString target) : m_target(std::move(target)) { }
        bool rename(const QString& from, const QString& to) override
        {
            return to != m_target && FileOps::rename(from, to);
        }

    private:
        QString m_target;
    };
    setFileOps(std::make_shared<RefusesTheTarget>(target));
    struct Restore {
        ~Restore() { setFileOps(nullptr); }
    } restore;
    EXPECT_THROW(objdb::MoveDatabase(source, target), AppError);
    EXPECT_TRUE(QFile::exists(source));
    EXPECT_FALSE(QFile::exists(target + "-wal.replaced"));
    setFileOps(nullptr);
    EXPECT_EQ(rowsIn(target), 1);

    objdb::MoveDatabase(source, target);
    EXPECT_FALSE(QFile::exists(source));
    for (const char* left : {"-wal", "-wal.replaced", "-shm.replaced"})
        EXPECT_FALSE(QFile::exists(target + left)) << left;
    Shop moved(target);
    EXPECT_EQ(moved.count("Unita"), 3);
}

// A move killed at each of its steps: the target's name holds either the replaced file with
// every row it had (its log included) or the moved file, and the moved file is never lost.
TEST(ObjDbStorage, AMoveKilledAtAnyStepLosesNoRowOfEitherFile)
{
    const auto rowsIn = [](const QString& path) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        qint64 n = -1;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Righe", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        return n;
    };
    const auto bytes = [](const QString& path) { return testenv::readFile(path); };
    struct Case {
        const char* name;
        bool readable;   // the replaced file is a database SQLite reads (else: a broken file with a log)
    };
    for (const Case c : {Case {"database with rows in its log", true}, Case {"broken file with a log", false}}) {
        bool finished = false;
        for (int step = 1; !finished && step < 10; ++step) {
            SCOPED_TRACE(std::string(c.name) + ", killed at file step " + std::to_string(step));
            const QString target = newDatabasePath("kill-target");
            const QString source = newDatabasePath("kill-source");
            {
                Shop s(source);
            }
            QByteArray brokenLog;
            if (c.readable) {
                // Its last two rows only in its log, as after a killed program.
                const QString live = newDatabasePath("kill-live");
                sqlite3* db = nullptr;
                ASSERT_EQ(sqlite3_open(live.toUtf8().constData(), &db), SQLITE_OK);
                sqlite3_exec(db,
                             "PRAGMA journal_mode=WAL; CREATE TABLE Righe(x); INSERT INTO Righe VALUES(1); "
                             "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA wal_autocheckpoint=0; "
                             "INSERT INTO Righe VALUES(2); INSERT INTO Righe VALUES(3);",
                             nullptr, nullptr, nullptr);
                ASSERT_TRUE(QFile::copy(live, target));
                ASSERT_TRUE(QFile::copy(live + "-wal", target + "-wal"));
                sqlite3_close(db);
            } else {
                testenv::writeFile(target, QByteArray(4096, '\x55'));
                brokenLog = QByteArray("frames of a file nobody can read");
                testenv::writeFile(target + "-wal", brokenLog);
            }
            const QByteArray targetBefore = bytes(target);

            finished = !testenv::KilledAtFileStep(step, [&] { objdb::MoveDatabase(source, target); });
            // What the next start does before opening the file.
            objdb::RecoverReplacedLogs(target);

            const bool moved = !QFile::exists(source);
            if (moved) {
                EXPECT_FALSE(QFile::exists(target + "-wal")) << "nothing of the replaced file beside the moved one";
                Shop s(target);
                EXPECT_EQ(s.count("Unita"), 3);
            } else if (c.readable) {
                EXPECT_EQ(rowsIn(target), 3);
            } else {
                EXPECT_EQ(bytes(target), targetBefore);
                EXPECT_EQ(bytes(target + "-wal"), brokenLog) << "the broken file keeps what lay beside it";
            }
            EXPECT_TRUE(finished ? moved : true);
            const QStringList left = QDir(QFileInfo(target).absolutePath()).entryList({"*.replaced*"}, QDir::Files);
            EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
        }
        EXPECT_TRUE(finished) << c.name << ": the move ends within the steps tried";
    }
}

namespace {

void rawSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// The log another file's program left when it died: the rows it added since its last
// checkpoint, as they stood in its log.
QByteArray logOfAnotherFile(const QString& path, int pageSize)
{
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray sql
        = QStringLiteral(
              "PRAGMA page_size=%1; PRAGMA journal_mode=WAL; CREATE TABLE Clienti(OID INTEGER PRIMARY KEY, Nome TEXT);"
              "CREATE INDEX ixNome ON Clienti(Nome);"
              "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 400)"
              " INSERT INTO Clienti(Nome) SELECT 'cliente ' || x || hex(randomblob(40)) FROM c;"
              "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA wal_autocheckpoint=0;"
              "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 300)"
              " INSERT INTO Clienti(Nome) SELECT 'nuovo ' || x || hex(randomblob(60)) FROM c;")
              .arg(pageSize)
              .toUtf8();
    EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    QFile wal(path + "-wal");
    EXPECT_TRUE(wal.open(QIODevice::ReadOnly));
    const QByteArray log = wal.readAll();
    sqlite3_close(db);
    return log;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A shop file with enough pages of its own for another file's pages to land on.
QString shopWithRows(const QString& name)
{
    const QString path = newDatabasePath(name);
    {
        Shop s(path);
    }
    rawSql(path,
           "CREATE TABLE Scorte(OID INTEGER PRIMARY KEY, Nota TEXT); CREATE INDEX ixNota ON Scorte(Nota);"
           "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 500)"
           " INSERT INTO Scorte(Nota) SELECT 'scorta ' || x || hex(randomblob(50)) FROM c;");
    return path;
}

}   // namespace

// Another file's log standing beside the shop (a copy of the shop brought back beside a dead
// program's log) is set aside, kept byte for byte, and never written into the shop; the
// engine says where it went. Whether the other file was written with the shop's page size or
// another.
TEST(ObjDbStorage, AnotherFilesLogIsSetAsideAndNeverReplayed)
{
    for (const int pageSize : {4096, 8192}) {
        SCOPED_TRACE(pageSize);
        const QString path = shopWithRows(QStringLiteral("foreign-log-%1").arg(pageSize));
        const QByteArray log = logOfAnotherFile(newDatabasePath(QStringLiteral("other-%1").arg(pageSize)), pageSize);
        ASSERT_GT(log.size(), 0);
        writeFile(path + "-wal", log);

        Shop s(path);
        EXPECT_EQ(s.engine->SetAsideLog(), path + "-wal.estraneo");
        EXPECT_EQ(readAll(path + "-wal.estraneo"), log);
        EXPECT_EQ(s.engine->sql().scalar("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
        EXPECT_EQ(s.scalar("SELECT count(*) FROM sqlite_master WHERE name = 'Clienti'").toLongLong(), 0);
        EXPECT_EQ(s.scalar("SELECT count(*) FROM Scorte").toLongLong(), 500);
        EXPECT_EQ(s.count("Unita"), 3);
    }
}

// The shop's own log, left by a program that died, is the shop's last rows: it stays and is
// replayed. A second log set aside takes the next free name.
TEST(ObjDbStorage, TheFilesOwnLogIsReplayedAndSetAsideLogsAreNumbered)
{
    const QString path = shopWithRows(QStringLiteral("own-log"));
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0; INSERT INTO Scorte(Nota) VALUES('ultima');", nullptr, nullptr,
                     nullptr);
        const QByteArray own = readAll(path + "-wal");
        ASSERT_GT(own.size(), 0);
        const QString kept = newDatabasePath("own-log-copy");
        ASSERT_TRUE(QFile::copy(path, kept));
        writeFile(kept + "-wal", own);
        sqlite3_close(db);
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QFile::rename(kept, path));
        ASSERT_TRUE(QFile::rename(kept + "-wal", path + "-wal"));
    }
    writeFile(path + "-wal.estraneo", "a log set aside before");
    {
        Shop s(path);
        EXPECT_TRUE(s.engine->SetAsideLog().isEmpty());
        EXPECT_EQ(s.scalar("SELECT count(*) FROM Scorte").toLongLong(), 501);
    }
    writeFile(path + "-wal", logOfAnotherFile(newDatabasePath("own-log-other"), 4096));
    Shop s(path);
    EXPECT_EQ(s.engine->SetAsideLog(), path + "-wal.estraneo.2");
    EXPECT_EQ(s.scalar("SELECT count(*) FROM Scorte").toLongLong(), 501);
}

// A file that fails SQLite's quick check with its own log as without it is not opened for
// writing: the opening says so, and neither the file nor its log changes. A reader still reads.
TEST(ObjDbStorage, AFileFailingItsQuickCheckIsNotOpenedForWriting)
{
    const QString path = shopWithRows(QStringLiteral("damaged"));
    {
        // The table's root page overwritten in the file; the log holds a later row elsewhere.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_master WHERE name = 'Scorte'", -1, &st, nullptr);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        const qint64 root = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0; INSERT INTO Unita(Codice, Descrizione) VALUES('LT', 'Litri');",
                     nullptr, nullptr, nullptr);
        const QByteArray own = readAll(path + "-wal");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek((root - 1) * 4096);
        f.write(QByteArray(4096, '\x0d'));
        f.close();
        const QByteArray damaged = readAll(path);
        sqlite3_close_v2(db);   // its checkpoint meets the damaged page: file and log put back as they were
        writeFile(path, damaged);
        writeFile(path + "-wal", own);
    }
    const QByteArray file = readAll(path), log = readAll(path + "-wal");
    ASSERT_GT(log.size(), 0);

    auto engine = std::make_shared<DBEngine>();
    try {
        engine->OpenDatabase(3, path);
        ADD_FAILURE() << "a damaged file was opened for writing";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, objdb::errorNumber(objdb::NotADatabase));
        EXPECT_TRUE(e.description.startsWith(
            QStringLiteral("Il database < %1 > è danneggiato e non viene modificato").arg(path)))
            << e.description.toStdString();
    }
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_EQ(readAll(path), file);
    EXPECT_EQ(readAll(path + "-wal"), log);
    EXPECT_FALSE(QFile::exists(path + "-wal.estraneo"));

    auto reader = std::make_shared<DBEngine>();
    EXPECT_NO_THROW(reader->OpenDatabase(DBEngine::kReadOnlyOpen, path));
}
