#include "core/databasefiles/DatabaseRepair.h"
#include "objdb/DatabaseFileCopy.h"
#include "base/FileOps.h"
#include "KilledChild.h"
#include "StartupTestSupport.h"
#include "objdb/TableObject.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {
// Plain SQLite beside the library, to build and inspect the files.
class RawDb {
public:
    explicit RawDb(const QString& path) { sqlite3_open(path.toUtf8().constData(), &m_db); }
    ~RawDb() { sqlite3_close(m_db); }
    void exec(const QString& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            ADD_FAILURE() << error;
            sqlite3_free(error);
        }
    }
    qint64 scalar(const QString& sql)
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr);
        qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
        sqlite3_finalize(st);
        return v;
    }
    sqlite3* handle() { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// The n-th rename fails (the folder refused that one change).
class FailingRenames : public FileOps {
public:
    explicit FailingRenames(int failing) : m_failing(failing) { }
    bool rename(const QString& from, const QString& to) override
    {
        if (++m_calls == m_failing) {
            m_lastError = QStringLiteral("Sola lettura");
            return false;
        }
        return FileOps::rename(from, to);
    }

private:
    int m_failing;
    int m_calls = 0;
};

class DatabaseRepairTest : public startuptest::StartupTest {
protected:
    void TearDown() override
    {
        setFileOps(nullptr);
        StartupTest::TearDown();
    }
    // Two tables, most of whose rows have been deleted: a file with plenty of free pages.
    void buildFileWithDeletedRows()
    {
        RawDb db(databasePath());
        db.exec(QStringLiteral("CREATE TABLE Articoli(OID INTEGER PRIMARY KEY, Codice TEXT, Descrizione TEXT);"
                               "CREATE INDEX ixCodice ON Articoli(Codice);"
                               "CREATE TABLE Vendite(OID INTEGER PRIMARY KEY, Importo REAL);"
                               "BEGIN;"));
        for (int i = 0; i < 3000; ++i) {
            db.exec(QStringLiteral("INSERT INTO Articoli(Codice, Descrizione) VALUES('A%1', '%2');")
                        .arg(i)
                        .arg(QString(200, QChar(u'a' + i % 26))));
            db.exec(QStringLiteral("INSERT INTO Vendite(Importo) VALUES(%1.5);").arg(i));
        }
        db.exec(
            QStringLiteral("COMMIT; DELETE FROM Articoli WHERE OID % 10 <> 0; DELETE FROM Vendite WHERE OID > 100;"));
    }
    QList<qint64> rowCounts()
    {
        RawDb db(databasePath());
        return {db.scalar(QStringLiteral("SELECT count(*) FROM Articoli")),
                db.scalar(QStringLiteral("SELECT count(*) FROM Vendite"))};
    }
    QByteArray fileHash()
    {
        QFile f(databasePath());
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    QStringList folderFiles() { return QDir(workDir).entryList(QDir::Files, QDir::Name); }
};
}

TEST_F(DatabaseRepairTest, CompactsKeepsEveryRowAndLeavesNoTemporaryFile)
{
    buildFileWithDeletedRows();
    const QList<qint64> counts = rowCounts();
    QStringList opened;
    DatabaseRepair repair([&opened](const QString& path) { opened << path; });
    const DatabaseRepair::Result r = repair.Repair(databasePath(), workDir);

    EXPECT_EQ(r.integrityBefore, QStringLiteral("ok"));
    EXPECT_LT(r.sizeAfter, r.sizeBefore);
    EXPECT_LT(QFileInfo(databasePath()).size(), r.sizeBefore);
    EXPECT_EQ(DatabaseRepair::IntegrityCheck(databasePath()), QStringLiteral("ok"));
    EXPECT_EQ(rowCounts(), counts);
    // The library opened the repaired file before it took the original's place.
    EXPECT_EQ(opened, QStringList {DatabaseRepair::TemporaryPath(workDir)});
    EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")});
}

TEST_F(DatabaseRepairTest, RepairedFileOpensThroughTheLibrary)
{
    openDatabase();
    ReleaseDatabaseObjects();
    DatabaseRepair().Repair(databasePath(), workDir);
    openDatabase();
    auto rows = g_objDatabase->Tables().Item(QStringLiteral("Operatori"))->Select();
    EXPECT_EQ(rows->RowCount(), 3);
    ReleaseDatabaseObjects();
    EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")});
}

TEST_F(DatabaseRepairTest, FailureLeavesTheOriginalIntact)
{
    struct Case {
        const char* name;
        int failingRename;
    };
    // 1: the finished copy cannot take its name; 2: the copy of the original cannot take its
    // name; 3: the repaired file cannot be moved in.
    for (const Case c : {Case {"copy", 1}, Case {"copy of the original", 2}, Case {"move in", 3}}) {
        QFile::remove(databasePath());
        buildFileWithDeletedRows();
        const QByteArray before = fileHash();
        setFileOps(std::make_shared<FailingRenames>(c.failingRename));
        EXPECT_THROW(DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir), AppError) << c.name;
        setFileOps(nullptr);
        EXPECT_EQ(fileHash(), before) << c.name;
        EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")}) << c.name;
    }
}

TEST_F(DatabaseRepairTest, RepairedFileTheLibraryRefusesIsNotSwappedIn)
{
    buildFileWithDeletedRows();
    const QByteArray before = fileHash();
    DatabaseRepair repair(
        [](const QString&) { throw AppError(1, QStringLiteral("objdb"), QStringLiteral("struttura non valida")); });
    EXPECT_THROW(repair.Repair(databasePath(), workDir), AppError);
    EXPECT_EQ(fileHash(), before);
    EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")});
}

TEST_F(DatabaseRepairTest, NotADatabaseIsAnErrorAndStaysAsItWas)
{
    QFile f(databasePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, '\x55'));
    f.close();
    const QByteArray before = fileHash();
    EXPECT_THROW(DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir), AppError);
    EXPECT_EQ(fileHash(), before);
    EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")});
}

TEST_F(DatabaseRepairTest, FileStillOpenElsewhereIsNotMoved)
{
    buildFileWithDeletedRows();
    // Another program holds the file with changes still in its log.
    RawDb other(databasePath());
    other.exec(QStringLiteral(
        "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; INSERT INTO Vendite(Importo) VALUES(1);"));
    try {
        DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir);
        ADD_FAILURE() << "repaired a file in use";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.description.contains(QStringLiteral("è in uso"))) << e.description.toStdString();
    }
    EXPECT_FALSE(QFile::exists(DatabaseRepair::TemporaryPath(workDir)));
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT count(*) FROM Vendite")), 101);
}

namespace {
// The file the program may not write (a read-only file of another user).
class ReadOnlyFile : public FileOps {
public:
    explicit ReadOnlyFile(QString path) : m_path(std::move(path)) { }
    bool isWritable(const QString& path) const override { return path != m_path && FileOps::isWritable(path); }

private:
    QString m_path;
};
}

TEST_F(DatabaseRepairTest, FileTheProgramMayNotWriteIsRefusedAndKeepsItsMode)
{
    buildFileWithDeletedRows();
    ASSERT_TRUE(QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::ReadGroup));
    const QFile::Permissions mode = QFile::permissions(databasePath());
    const QByteArray before = fileHash();
    setFileOps(std::make_shared<ReadOnlyFile>(databasePath()));
    try {
        DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir);
        ADD_FAILURE() << "a read-only file was repaired";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.description.contains(QStringLiteral("sola lettura"))) << e.description.toStdString();
    }
    setFileOps(nullptr);
    EXPECT_EQ(fileHash(), before);
    EXPECT_EQ(QFile::permissions(databasePath()), mode);
    EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")});
}

TEST_F(DatabaseRepairTest, RepairedFileKeepsTheOriginalsPermissions)
{
    buildFileWithDeletedRows();
    ASSERT_TRUE(QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner));   // not the umask's
    const QFile::Permissions mode = QFile::permissions(databasePath());
    const DatabaseRepair::Result r = DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir);
    EXPECT_LT(r.sizeAfter, r.sizeBefore);
    EXPECT_EQ(QFile::permissions(databasePath()), mode);
}

// Repaired or refused, the file keeps its mode bit for bit: a read-only file that an
// administrator repairs stays read-only, a set-group bit stays set.
TEST_F(DatabaseRepairTest, RepairedOrRefusedTheFileKeepsItsModeBitForBit)
{
    const auto modeOf = [](const QString& path) {
        struct stat st { };
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : ~0u;
    };
    for (const mode_t mode : {mode_t(0640), mode_t(0604), mode_t(02660), mode_t(0444), mode_t(0400)}) {
        SCOPED_TRACE(QString::number(mode, 8).toStdString());
        objdb::RemoveDatabase(databasePath());
        buildFileWithDeletedRows();
        ASSERT_EQ(::chmod(QFile::encodeName(databasePath()).constData(), mode), 0);
        ASSERT_EQ(modeOf(databasePath()), mode);
        try {
            DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir);
        } catch (const AppError& e) {
            // Only a file this user may not write is refused.
            EXPECT_TRUE(e.description.contains(QStringLiteral("sola lettura"))) << e.description.toStdString();
        }
        EXPECT_EQ(modeOf(databasePath()), mode);
        ::chmod(QFile::encodeName(databasePath()).constData(), 0600);
    }
}

TEST_F(DatabaseRepairTest, CommandRepairsTheFilesThereAreAndAsksBeforeTheBackup)
{
    const QString backupDir = testenv::newDir(QStringLiteral("backup"));
    const QString backupPath = backupDir + QStringLiteral("/Mirtavolia.mdb");
    struct Case {
        const char* name;
        bool working, maintenance, confirm;
        QStringList shown;
        int releases;
        QStringList opened;   // files the repair opened through the library
    };
    const QString work = QStringLiteral("Ripristino Database in corso...");
    const QString backup = QStringLiteral("Ripristino Database di Backup in corso...");
    const Case cases[] = {
        {"both", true, false, true, {"Controlli...", work, backup}, 1, {"work", "backup"}},
        {"backup declined", true, false, false, {"Controlli...", work}, 1, {"work"}},
        {"no working file", false, false, true, {"Controlli...", backup}, 1, {"backup"}},
        {"nothing to do", false, false, false, {"Controlli..."}, 0, {}},
        // In maintenance mode the maintenance file is the working one and no backup is offered.
        {"maintenance", true, true, true, {"Controlli...", work}, 1, {"work"}},
    };
    for (const Case& c : cases) {
        for (const QString& f : QDir(workDir).entryList(QDir::Files)) QFile::remove(workDir + u'/' + f);
        QFile::remove(backupPath);
        const QString workingPath = workDir
            + (c.maintenance ? QStringLiteral("/MirtavoliaMaintenance.mdb") : QStringLiteral("/Mirtavolia.mdb"));
        if (c.working) RawDb(workingPath).exec(QStringLiteral("CREATE TABLE t(a)"));
        RawDb(backupPath).exec(QStringLiteral("CREATE TABLE t(a)"));
        QStringList shown, opened;
        int releases = 0;
        RepairSteps steps;
        steps.show = [&](const QString& m) { shown << m; };
        steps.releaseDatabase = [&] { ++releases; };
        steps.confirmBackup = [&] { return c.confirm; };
        DatabaseRepair([&](const QString& temp) {
            opened << (temp.startsWith(backupDir) ? "backup" : "work");
        }).RepairFiles(workDir, c.maintenance ? QString() : backupDir, c.maintenance, steps);
        EXPECT_EQ(shown, c.shown) << c.name;
        EXPECT_EQ(releases, c.releases) << c.name;
        EXPECT_EQ(opened, c.opened) << c.name;
    }
}

// A repair killed at each of its file steps: the next start finds the shop whole under the
// working name, and the next repair leaves nothing else in the folder.
TEST_F(DatabaseRepairTest, ARepairKilledAtAnyStepLeavesTheShopUnderTheWorkingName)
{
    bool finished = false;
    for (int step = 1; !finished && step < 20; ++step) {
        SCOPED_TRACE("killed at file step " + std::to_string(step));
        for (const QString& f : folderFiles()) QFile::remove(workDir + u'/' + f);
        buildFileWithDeletedRows();
        const QList<qint64> counts = rowCounts();

        finished = !testenv::KilledAtFileStep(
            step, [&] { (void)DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir); });
        // What the start does before it looks for the file.
        (void)DatabaseRepair::RecoverInterruptedSwap(databasePath(), workDir);
        ASSERT_TRUE(QFile::exists(databasePath()));
        EXPECT_EQ(rowCounts(), counts);
        EXPECT_EQ(DatabaseRepair::IntegrityCheck(databasePath()), QStringLiteral("ok"));

        DatabaseRepair([](const QString&) {}).Repair(databasePath(), workDir);
        EXPECT_EQ(rowCounts(), counts);
        EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")});
    }
    EXPECT_TRUE(finished) << "the repair ends within the steps tried";
}

// What a crash may leave of a swap (this program's, or the two renames of an older one):
// the first whole database goes back under the working name; nothing is deleted.
TEST_F(DatabaseRepairTest, LeftoversOfAnInterruptedSwapAreSettledWithoutDeletingAny)
{
    const QString working = QStringLiteral("Mirtavolia.mdb");
    const QString aside = QStringLiteral("Mirtavolia.mdb._");
    const QString repaired = QStringLiteral("Mirtavolia.mdb.NEW");
    const QString renamed = QStringLiteral("Mirtavolia.mdb.NEW._");
    struct Case {
        const char* name;
        QStringList databases;   // whole files, each holding its own name
        QStringList broken;   // files SQLite cannot read
        const char* recovered;   // the file put back; empty: none
        const char* holds;   // whose rows the working name holds afterwards; empty: no file
    };
    const Case cases[] = {
        {"killed between the renames", {aside, repaired}, {}, "Mirtavolia.mdb._", "Mirtavolia.mdb._"},
        {"original deleted, repaired copy renamed", {renamed}, {}, "Mirtavolia.mdb.NEW._", "Mirtavolia.mdb.NEW._"},
        {"only the repaired copy", {repaired}, {}, "Mirtavolia.mdb.NEW", "Mirtavolia.mdb.NEW"},
        {"a broken leftover is passed over", {repaired}, {aside}, "Mirtavolia.mdb.NEW", "Mirtavolia.mdb.NEW"},
        {"working file there: nothing moves", {working, aside, repaired}, {}, "", "Mirtavolia.mdb"},
        {"nothing to go back", {}, {aside}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& f : folderFiles()) QFile::remove(workDir + u'/' + f);
        for (const QString& name : c.databases)
            RawDb(workDir + u'/' + name)
                .exec(QStringLiteral("CREATE TABLE Nome(x); INSERT INTO Nome VALUES('%1')").arg(name));
        for (const QString& name : c.broken) testenv::writeFile(workDir + u'/' + name, QByteArray(4096, '\x55'));
        const QStringList before = folderFiles();

        const QString recovered = DatabaseRepair::RecoverInterruptedSwap(databasePath(), workDir);
        EXPECT_EQ(recovered,
                  QString::fromLatin1(c.recovered).isEmpty() ? QString()
                                                             : workDir + u'/' + QString::fromLatin1(c.recovered));
        if (QString::fromLatin1(c.holds).isEmpty()) {
            EXPECT_FALSE(QFile::exists(databasePath()));
        } else {
            RawDb db(databasePath());
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db.handle(), "SELECT x FROM Nome", -1, &st, nullptr);
            ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
            EXPECT_EQ(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                      QString::fromLatin1(c.holds));
            sqlite3_finalize(st);
        }
        // Every file is still there, one of them perhaps under the working name.
        QStringList after = folderFiles();
        if (!recovered.isEmpty()) after.replace(after.indexOf(working), QFileInfo(recovered).fileName());
        after.sort();
        EXPECT_EQ(after, before);
    }
}

// The repair is also where an older swap is finished: the shop comes back first, then it is
// repaired, and only then the leftovers go.
TEST_F(DatabaseRepairTest, RepairCommandFirstPutsTheShopBackUnderItsName)
{
    buildFileWithDeletedRows();
    const QList<qint64> counts = rowCounts();
    ASSERT_TRUE(QFile::rename(databasePath(), DatabaseRepair::SetAsidePath(databasePath())));
    QStringList opened;
    DatabaseRepair([&](const QString& path) { opened << path; }).RepairFiles(workDir, QString(), false, RepairSteps {});
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(rowCounts(), counts);
    EXPECT_EQ(folderFiles(), QStringList {QStringLiteral("Mirtavolia.mdb")});
}
