#include "base/AppError.h"
#include "base/SettingsStore.h"
#include "core/configuration/Configuration.h"
#include "base/FileOps.h"
#include "KilledChild.h"
#include "core/databasefiles/MaintenanceCopy.h"
#include "TestEnvironment.h"
#include "WindowsTestSupport.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

void sql(sqlite3* db, const QString& statements)
{
    char* error = nullptr;
    if (sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        ADD_FAILURE() << error;
    sqlite3_free(error);
}

void removeDatabase(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
}

// A small database in the working file's journal mode whose one row names it; `padding`
// rows of a kilobyte each make it larger.
void makeDatabase(const QString& path, const QString& name, int padding = 0)
{
    removeDatabase(path);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sql(db,
        QStringLiteral("PRAGMA journal_mode=WAL; CREATE TABLE Nome(x); INSERT INTO Nome VALUES('%1');"
                       "CREATE TABLE Riempimento(b);"
                       "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %2)"
                       " INSERT INTO Riempimento SELECT randomblob(1000) FROM c WHERE %2 > 0;")
            .arg(name)
            .arg(padding));
    sqlite3_close(db);
}

// Read through a connection that may write, so that closing it leaves no log beside the file.
qint64 scalar(const QString& uri, const char* query)
{
    sqlite3* db = nullptr;
    qint64 v = -1;
    if (sqlite3_open_v2(uri.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, query, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return v;
}

// The name a database file holds, as read through SQLite with its log.
QString databaseName(const QString& path)
{
    if (!QFile::exists(path)) return QStringLiteral("<missing>");
    sqlite3* db = nullptr;
    QString name = QStringLiteral("<not a database>");
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT x FROM Nome", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return name;
}

void setModified(const QString& path, const QDateTime& t)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
}

// Fails the first `failures` renames whose target ends with a given text, as a folder that
// refuses a change would.
class FailingFileOps final : public FileOps {
public:
    QString failRenameTo;
    int failures = 1000;
    bool rename(const QString& from, const QString& to) override
    {
        if (!failRenameTo.isEmpty() && to.endsWith(failRenameTo) && failures > 0) {
            --failures;
            m_lastError = QStringLiteral("permesso negato");
            return false;
        }
        return FileOps::rename(from, to);
    }
};

// The first rename onto the working name leaves broken bytes there and fails, as a restore
// cut short mid-write would: the emergency recovery finds a file SQLite cannot read.
class BreakingFileOps final : public FileOps {
public:
    QByteArray broken = "not a database, half written";
    bool done = false;
    bool rename(const QString& from, const QString& to) override
    {
        if (!done && to.endsWith(QStringLiteral("/Mirtavolia.mdb"))) {
            done = true;
            testenv::writeFile(to, broken);
            m_lastError = QStringLiteral("disco pieno");
            return false;
        }
        return FileOps::rename(from, to);
    }
};

class MaintenanceCopyTest : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // 1 March 2007 is a Thursday: weekday 5 counting from Sunday.
        clock->set(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
        root = testenv::newDir(QStringLiteral("root"));
        maint = testenv::newDir(QStringLiteral("maint"));
        ::settings().RootDir = root;
        ::settings().MaintenanceDir.clear();
        working = root + QStringLiteral("/Mirtavolia.mdb");
        copy = maint + QStringLiteral("/MirtavoliaMaintenance.mdb");
        flag = root + QStringLiteral("/MirtavoliaMaintenance.flg");
        weekday = working + QStringLiteral("5.sav");
        makeDatabase(working, QStringLiteral("working"), 5);
        chosen = maint;
        setMaintenanceFolderChooser([this](const QString&) { return chosen; });
    }
    void TearDown() override
    {
        setMaintenanceFolderChooser(nullptr);
        setFileOps(nullptr);
        ::settings().RootDir.clear();
        ::settings().MaintenanceDir.clear();
        WindowTest::TearDown();
    }
    // The maintained file waiting to be restored, newer and larger than the working one (or
    // the bytes given instead).
    void prepareRestore(std::optional<QByteArray> bytes = std::nullopt, int padding = 20)
    {
        ::settings().MaintenanceDir = maint;
        if (bytes)
            testenv::writeFile(copy, *bytes);
        else
            makeDatabase(copy, QStringLiteral("maintained"), padding);
        setModified(working, QDateTime(QDate(2007, 2, 1), QTime(9, 0)));
        setModified(copy, QDateTime(QDate(2007, 2, 2), QTime(9, 0)));
    }
    bool lastPromptContains(const QString& text) const
    {
        return !ui->prompts().isEmpty() && ui->prompts().last().contains(text);
    }

    QString root, maint, working, copy, flag, weekday, chosen;
};

TEST_F(MaintenanceCopyTest, PathsFollowTheFixedNames)
{
    EXPECT_EQ(MaintenanceFlagPath(), flag);
    EXPECT_EQ(MaintenanceWorkingPath(), working);
    EXPECT_EQ(MaintenanceWeekdayCopyPath(QStringLiteral("X.mdb"), QDate(2007, 3, 4)),
              QStringLiteral("X.mdb1.sav"));   // Sunday
    EXPECT_EQ(MaintenanceWeekdayCopyPath(QStringLiteral("X.mdb"), QDate(2007, 3, 10)),
              QStringLiteral("X.mdb7.sav"));   // Saturday
}

TEST_F(MaintenanceCopyTest, SaveCopiesTheWorkingDatabaseAndWritesTheFlagWithCrLf)
{
    EXPECT_EQ(RunMaintenanceCommand(false), MaintenanceOutcome::EndProgram);
    EXPECT_EQ(databaseName(copy), QStringLiteral("working"));
    EXPECT_EQ(scalar(copy, "SELECT count(*) FROM Riempimento"), 5);
    EXPECT_EQ(testenv::readFile(flag), QByteArray("Maintenance Mode Activated - Flag File\r\n"));
    EXPECT_EQ(settings->get(QStringLiteral("Configuration"), QStringLiteral("MaintenanceDir"), QString()), maint);
    EXPECT_EQ(ui->prompts().last(),
              QStringLiteral("OPERAZIONE COMPLETATA.\r\rIl database di manutenzione è stato salvato in < ") + copy
                  + QStringLiteral(" >"));
    // The copy stands alone, and reading the working file left nothing beside it.
    EXPECT_EQ(QDir(maint).entryList(QDir::Files), QStringList {QStringLiteral("MirtavoliaMaintenance.mdb")});
    EXPECT_EQ(QDir(root).entryList(QDir::Files),
              (QStringList {QStringLiteral("Mirtavolia.mdb"), QStringLiteral("MirtavoliaMaintenance.flg")}));
}

// Another terminal still holds the working file open, with saved rows only in its log: the
// copy holds them all. A restore does not pull the file from under that terminal (whatever it
// wrote next would go to a file nobody reads); once it has closed, the restore goes ahead.
TEST_F(MaintenanceCopyTest, SaveAndRestoreCopyRowsStillInTheLogOfAnOpenDatabase)
{
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(working.toUtf8().constData(), &writer), SQLITE_OK);
    sql(writer, QStringLiteral("PRAGMA wal_autocheckpoint=0; CREATE TABLE Articoli(Codice);"));
    for (int i = 1; i <= 5; ++i) sql(writer, QStringLiteral("INSERT INTO Articoli VALUES('A%1')").arg(i));
    ASSERT_GT(QFileInfo(working + QStringLiteral("-wal")).size(), 0);
    ASSERT_EQ(scalar(QStringLiteral("file:") + working + QStringLiteral("?immutable=1"),
                     "SELECT count(*) FROM sqlite_master WHERE name='Articoli'"),
              0)
        << "the rows must still be in the log only";

    ASSERT_TRUE(MaintenanceSaveRestore(false));
    EXPECT_EQ(scalar(copy, "SELECT count(*) FROM Articoli"), 5);

    setModified(copy, QDateTime::currentDateTime().addDays(1));
    ui->addAnswer(QStringLiteral("No"));   // smaller than the working file: go on
    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_TRUE(ui->prompts().filter(QStringLiteral("è in uso da un'altra applicazione")).size() > 0)
        << ui->prompts().join(u'\n').toStdString();
    sql(writer, QStringLiteral("INSERT INTO Articoli VALUES('A6')"));
    sqlite3_close(writer);
    EXPECT_EQ(scalar(working, "SELECT count(*) FROM Articoli"), 6)
        << "the other terminal's rows stay in the working file";

    // The restore keeps the working file as the weekday copy: with the same rows.
    ui->addAnswer(QStringLiteral("No"));
    ASSERT_TRUE(MaintenanceSaveRestore(true));
    EXPECT_EQ(scalar(weekday, "SELECT count(*) FROM Articoli"), 6);
    EXPECT_EQ(scalar(working, "SELECT count(*) FROM Articoli"), 5);
}

TEST_F(MaintenanceCopyTest, SaveRefusesTheWorkingFolderInAnySpelling)
{
    QFile::link(root, maint + QStringLiteral("/link-to-root"));
    // Another letter case is another folder on this system, not a spelling of this one.
    const QStringList spellings {root, root + u'/', root + QStringLiteral("/./"),
                                 maint + QStringLiteral("/../") + QFileInfo(root).fileName(),
                                 maint + QStringLiteral("/link-to-root")};
    for (const QString& s : spellings) {
        SCOPED_TRACE(s.toStdString());
        chosen = s;
        ui->clearLog();
        EXPECT_FALSE(MaintenanceSaveRestore(false));
        EXPECT_EQ(ui->prompts().last(),
                  QStringLiteral("L'indirizzario di manutenzione < ") + s
                      + QStringLiteral(" > non puo' corrispondere a quello dell'archivio di lavoro"));
        EXPECT_FALSE(QFile::exists(root + QStringLiteral("/MirtavoliaMaintenance.mdb")));
        EXPECT_EQ(databaseName(working), QStringLiteral("working"));
        EXPECT_FALSE(settings->contains(QStringLiteral("Configuration"), QStringLiteral("MaintenanceDir")));
    }
}

TEST_F(MaintenanceCopyTest, CancelledFolderChoiceKeepsThePreviousFolder)
{
    ::settings().MaintenanceDir = maint;
    chosen.clear();
    EXPECT_TRUE(MaintenanceSaveRestore(false));
    EXPECT_EQ(::settings().MaintenanceDir, maint);
    EXPECT_EQ(databaseName(copy), QStringLiteral("working"));

    // With no folder ever chosen there is nowhere to save: nothing is written anywhere.
    ::settings().MaintenanceDir.clear();
    QFile::remove(copy);
    EXPECT_FALSE(MaintenanceSaveRestore(false));
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("MirtavoliaMaintenance.mdb"))));
}

TEST_F(MaintenanceCopyTest, FailedSaveLeavesThePreviousCopyWhole)
{
    makeDatabase(copy, QStringLiteral("previous"));
    struct Case {
        const char* name;
        bool brokenWorkingFile;
        const char* failRename;
    };
    const Case cases[]
        = {{"working file unreadable", true, ""}, {"copy not put in place", false, "MirtavoliaMaintenance.mdb"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.brokenWorkingFile)
            testenv::writeFile(working, QByteArray(4096, 'x'));
        else
            makeDatabase(working, QStringLiteral("working"));
        auto ops = std::make_shared<FailingFileOps>();
        ops->failRenameTo = QString::fromLatin1(c.failRename);
        setFileOps(ops);
        ui->clearLog();
        EXPECT_EQ(RunMaintenanceCommand(false), MaintenanceOutcome::Reopen);
        EXPECT_EQ(databaseName(copy), QStringLiteral("previous"));
        EXPECT_EQ(QDir(maint).entryList(QDir::Files), QStringList {QStringLiteral("MirtavoliaMaintenance.mdb")});
        EXPECT_FALSE(QFile::exists(flag));
        EXPECT_TRUE(ui->prompts().last().startsWith(
            QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:\r")));
        EXPECT_TRUE(ui->prompts().last().endsWith(
            QStringLiteral("\r\rN.B.: Assicurarsi che non ci siano altri terminali connessi")));
        setFileOps(nullptr);
    }
}

// A log left beside the working file (its frames already in the file) must never be
// applied to the restored file that takes its name.
TEST_F(MaintenanceCopyTest, RestoreKeepsTheWeekdayCopyAndClearsTheFlag)
{
    prepareRestore();
    testenv::writeFile(weekday, "an older restore of this weekday");
    QByteArray staleLog;
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(working.toUtf8().constData(), &db), SQLITE_OK);
        sql(db, QStringLiteral("PRAGMA wal_autocheckpoint=0; UPDATE Nome SET x='working, last change';"));
        staleLog = testenv::readFile(working + QStringLiteral("-wal"));
        sqlite3_close(db);
    }
    ASSERT_GT(staleLog.size(), 0);
    testenv::writeFile(working + QStringLiteral("-wal"), staleLog);
    setModified(working, QDateTime(QDate(2007, 2, 1), QTime(9, 0)));
    WriteMaintenanceFlag(true);

    EXPECT_EQ(RunMaintenanceCommand(true), MaintenanceOutcome::Reopen);
    EXPECT_EQ(databaseName(working), QStringLiteral("maintained"));
    EXPECT_EQ(scalar(working, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'"), 1);
    EXPECT_EQ(databaseName(weekday), QStringLiteral("working, last change"));
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(flag));
    EXPECT_EQ(QDir(root).entryList(QDir::Files),
              (QStringList {QStringLiteral("Mirtavolia.mdb"), QStringLiteral("Mirtavolia.mdb5.sav")}));

    // A second restore finds nothing to restore.
    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_EQ(ui->prompts().last(),
              QStringLiteral("Nessun archivio di manutenzione è stato trovato in < ") + maint + QStringLiteral(" >"));
}

// The restored file stands where the working file stood with the working file's mode: a
// file the shop's terminals share through their group stays writable for all of them.
TEST_F(MaintenanceCopyTest, RestoredWorkingFileKeepsItsMode)
{
    prepareRestore();
    ASSERT_EQ(::chmod(QFile::encodeName(working).constData(), 0660), 0);
    EXPECT_TRUE(MaintenanceSaveRestore(true));
    EXPECT_EQ(databaseName(working), QStringLiteral("maintained"));
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(working).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0660u);
}

TEST_F(MaintenanceCopyTest, RestoreWithoutWorkingFileAsksNothing)
{
    prepareRestore(QByteArray());   // even an empty file: there is nothing to protect
    removeDatabase(working);
    testenv::writeFile(working + QStringLiteral("-wal"), "a log without its file");
    EXPECT_TRUE(MaintenanceSaveRestore(true));
    EXPECT_TRUE(QFile::exists(working));
    EXPECT_FALSE(QFile::exists(working + QStringLiteral("-wal")));
    EXPECT_FALSE(QFile::exists(weekday));
    for (const QString& p : ui->prompts()) EXPECT_FALSE(p.contains(QStringLiteral("Interrompere")));
}

TEST_F(MaintenanceCopyTest, RestoreChecksAndQuestions)
{
    struct Case {
        const char* name;
        std::optional<QByteArray> bytes;
        int padding;
        QDateTime workingTime, maintainedTime;
        const char* answer;
        bool restored;
        const char* lastPromptPart;
    };
    const QDateTime older(QDate(2007, 2, 1), QTime(9, 0)), newer(QDate(2007, 2, 2), QTime(9, 0));
    const Case cases[] = {
        {"empty file", QByteArray(), 0, older, newer, "", false,
         "L'archivio da ripristinare risulta vuoto!\r\rIl supporto potrebbe essere corrotto..."},
        {"older, interrupt", std::nullopt, 20, newer, older, "Yes", false, "OPERAZIONE ANNULLATA."},
        {"older, go on", std::nullopt, 20, newer, older, "No", true, ""},
        {"smaller, interrupt", std::nullopt, 0, older, newer, "Yes", false, "OPERAZIONE ANNULLATA."},
        {"smaller, go on", std::nullopt, 0, older, newer, "No", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeDatabase(working, QStringLiteral("working"), 5);
        QFile::remove(weekday);
        prepareRestore(c.bytes, c.padding);
        setModified(working, c.workingTime);
        setModified(copy, c.maintainedTime);
        ui->clearLog();
        if (*c.answer) ui->addAnswer(QString::fromLatin1(c.answer));
        EXPECT_EQ(MaintenanceSaveRestore(true), c.restored);
        EXPECT_EQ(databaseName(working), c.restored ? QStringLiteral("maintained") : QStringLiteral("working"));
        EXPECT_EQ(QFile::exists(weekday), c.restored);
        if (!c.restored) {
            EXPECT_TRUE(ui->prompts().last().startsWith(
                QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:\r")));
            EXPECT_TRUE(ui->prompts().last().contains(QString::fromUtf8(c.lastPromptPart)));
        }
    }
    // The date question's text, with both dates.
    makeDatabase(working, QStringLiteral("working"), 5);
    prepareRestore();
    setModified(working, QDateTime(QDate(2007, 2, 2), QTime(9, 30, 5)));
    setModified(copy, QDateTime(QDate(2007, 2, 1), QTime(8, 0)));
    ui->clearLog();
    ui->addAnswer(QStringLiteral("Yes"));
    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_TRUE(
        ui->prompts().contains(QStringLiteral("L'archivio da ripristinare risulta meno recente di quello carrente.\r\r"
                                              "Data archivio corrente: 02/02/2007 09:30:05\rData archivio da "
                                              "ripristinare: 01/02/2007 08:00:00\r\rInterrompere ?")));
}

TEST_F(MaintenanceCopyTest, FailedRestoreRecoversTheOriginalAndRotatesErrFiles)
{
    testenv::writeFile(working + QStringLiteral(".Err"), "an earlier broken copy");
    testenv::writeFile(working + QStringLiteral(".Err.1"), "an even older one");
    prepareRestore();
    WriteMaintenanceFlag(true);
    // The restored copy cannot take the working file's name.
    auto ops = std::make_shared<FailingFileOps>();
    ops->failRenameTo = QStringLiteral("/Mirtavolia.mdb");
    ops->failures = 1;
    setFileOps(ops);

    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_EQ(databaseName(working), QStringLiteral("working"));
    EXPECT_EQ(databaseName(working + QStringLiteral(".Err")), QStringLiteral("working"));
    EXPECT_EQ(testenv::readFile(working + QStringLiteral(".Err.1")), QByteArray("an earlier broken copy"));
    EXPECT_EQ(testenv::readFile(working + QStringLiteral(".Err.2")), QByteArray("an even older one"));
    EXPECT_FALSE(QFile::exists(weekday));
    EXPECT_FALSE(QFile::exists(working + QStringLiteral(".tmp")));
    EXPECT_TRUE(QFile::exists(copy));   // still there for another try
    EXPECT_TRUE(QFile::exists(flag));   // and the start-up offer comes back
    EXPECT_EQ(ui->prompts().last(),
              QStringLiteral(
                  "< RECUPERO DI EMERGENZA COMPLETATO >\r\rIl database originale è stato ripristinato correttamente, "
                  "quello corrotto è stato salvato in :\r")
                  + working + QStringLiteral(".Err"));
}

// A broken working file is kept byte for byte; a log left beside an earlier ".Err" (the
// program stopped while it was open) must not pair with those bytes.
TEST_F(MaintenanceCopyTest, ABrokenWorkingFileIsKeptAsItIsWithNothingOfAnotherBesideIt)
{
    testenv::writeFile(working + QStringLiteral(".Err-wal"), "the log of an earlier copy");
    prepareRestore();
    WriteMaintenanceFlag(true);
    auto ops = std::make_shared<BreakingFileOps>();
    setFileOps(ops);

    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_EQ(databaseName(working), QStringLiteral("working"));
    EXPECT_EQ(testenv::readFile(working + QStringLiteral(".Err")), ops->broken);
    EXPECT_FALSE(QFile::exists(working + QStringLiteral(".Err-wal")));
    EXPECT_FALSE(QFile::exists(weekday));
    EXPECT_TRUE(QFile::exists(copy));
}

// A working file SQLite reads but cannot copy (here: its copy cannot take the ".Err" name)
// is no broken file: it is not copied byte for byte, since it may be open; the failure is
// told and the original stays under the weekday copy's name.
TEST_F(MaintenanceCopyTest, AReadableWorkingFileThatCannotBeCopiedIsNotCopiedByteForByte)
{
    prepareRestore();
    WriteMaintenanceFlag(true);
    // The restored copy cannot take the working name once; nothing can take the ".Err" name.
    struct Refusing final : FileOps {
        bool workingRefused = false;
        bool rename(const QString& from, const QString& to) override
        {
            const bool refuse = to.endsWith(QStringLiteral(".Err"))
                || (!workingRefused && to.endsWith(QStringLiteral("/Mirtavolia.mdb")));
            if (!refuse) return FileOps::rename(from, to);
            workingRefused = workingRefused || to.endsWith(QStringLiteral("/Mirtavolia.mdb"));
            m_lastError = QStringLiteral("permesso negato");
            return false;
        }
    };
    setFileOps(std::make_shared<Refusing>());

    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_EQ(databaseName(working), QStringLiteral("working"));
    EXPECT_FALSE(QFile::exists(working + QStringLiteral(".Err")));
    EXPECT_EQ(databaseName(weekday), QStringLiteral("working"));
    EXPECT_TRUE(lastPromptContains(QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:")))
        << ui->prompts().join(u'\n').toStdString();
}

TEST_F(MaintenanceCopyTest, StartUpOfferWhileTheFlagExists)
{
    struct Case {
        const char* name;
        QStringList answers;
        bool result;
        bool flagKept;
        bool copyKept;
        const char* workingAfter;
    };
    const Case cases[] = {
        {"cancel", {"Cancel"}, false, true, true, "working"},
        {"restore", {"Yes"}, true, false, false, "maintained"},
        {"drop the copy", {"No", "Yes"}, true, false, false, "working"},
        {"not dropped, then cancel", {"No", "No", "Cancel"}, false, true, true, "working"},
        {"failed restore, no retry", {"Yes", "Yes", "OK", "No"}, false, true, true, "working"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeDatabase(working, QStringLiteral("working"), 5);
        QFile::remove(weekday);
        prepareRestore();
        setModified(working, QDateTime(QDate(2007, 2, 1), QTime(9, 0)));
        if (QString::fromLatin1(c.name).startsWith(QStringLiteral("failed")))
            setModified(working, QDateTime(QDate(2007, 3, 1), QTime(9, 0)));
        WriteMaintenanceFlag(true);
        ui->clearLog();
        for (const QString& a : c.answers) ui->addAnswer(a);
        EXPECT_EQ(CheckMaintenanceState(), c.result);
        EXPECT_EQ(QFile::exists(flag), c.flagKept);
        EXPECT_EQ(QFile::exists(copy), c.copyKept);
        EXPECT_EQ(databaseName(working), QString::fromLatin1(c.workingAfter));
        EXPECT_TRUE(ui->prompts().first().startsWith(
            QStringLiteral("L'archivio risulta nello stato di manutenzione.\r\rRipristinare l'archivo aggiornato da < ")
            + maint));
        EXPECT_FALSE(ui->hasAnswers());
    }
    QFile::remove(flag);
    ui->clearLog();
    EXPECT_TRUE(CheckMaintenanceState());
    EXPECT_TRUE(ui->prompts().isEmpty());
}

TEST_F(MaintenanceCopyTest, FlagFileIsWrittenOnceAndRemoved)
{
    testenv::writeFile(flag, "written by hand");
    WriteMaintenanceFlag(true);
    EXPECT_EQ(testenv::readFile(flag), QByteArray("written by hand"));
    EXPECT_TRUE(MaintenanceFlagExists());
    WriteMaintenanceFlag(false);
    EXPECT_FALSE(MaintenanceFlagExists());
    WriteMaintenanceFlag(false);   // nothing to delete: no message
    EXPECT_TRUE(ui->prompts().isEmpty());
}

// A restore whose last steps fail after the maintained file took the working name: the
// operator reads that the file is restored and what is left to do, the command counts as done,
// and the next start does not look for the maintained file again.
TEST_F(MaintenanceCopyTest, ARestoreDoneIsToldAsDoneWhenItsLastStepsFail)
{
    // The settings file cannot be written.
    class UnwritableStore final : public SettingsStore {
    public:
        explicit UnwritableStore(std::shared_ptr<SettingsStore> inner) : m_inner(std::move(inner)) { }
        bool contains(const QString& s, const QString& k) const override { return m_inner->contains(s, k); }
        QString get(const QString& s, const QString& k, const QString& d) const override
        {
            return m_inner->get(s, k, d);
        }
        void set(const QString& s, const QString& k, const QString& v) override { m_inner->set(s, k, v); }
        void remove(const QString& s, const QString& k) override { m_inner->remove(s, k); }
        QStringList keys(const QString& s) const override { return m_inner->keys(s); }
        void sync() override
        {
            throw AppError(AppError::kGenericCode, QStringLiteral("Impostazioni"),
                           QStringLiteral("Errore durante la scrittura del file di configurazione"));
        }

    private:
        std::shared_ptr<SettingsStore> m_inner;
    };
    // The flag file cannot be removed.
    class FlagStays final : public FileOps {
    public:
        bool remove(const QString& path) override
        {
            if (path.endsWith(QStringLiteral(".flg"))) {
                m_lastError = QStringLiteral("permesso negato");
                return false;
            }
            return FileOps::remove(path);
        }
    };
    struct Case {
        const char* name;
        bool settingsFail, flagStays;
        QStringList told;   // the lines after the first of the message
    };
    const QString flagLine = QStringLiteral(
        "- il file di controllo dello stato di manutenzione < %1 > non è stato eliminato: permesso negato");
    const QString settingsLine = QStringLiteral(
        "- le impostazioni non sono state salvate: Errore durante la scrittura del file di configurazione");
    const Case cases[] = {
        {"settings not written", true, false, {settingsLine}},
        {"flag not removed", false, true, {flagLine.arg(flag)}},
        {"neither", true, true, {settingsLine, flagLine.arg(flag)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeDatabase(working, QStringLiteral("working"), 5);
        QFile::remove(weekday);
        prepareRestore();
        WriteMaintenanceFlag(true);
        setModified(flag, QDateTime(QDate(2007, 2, 1), QTime(9, 30)));
        const std::shared_ptr<SettingsStore> kept = sharedSettingsStore();
        if (c.settingsFail) setSettingsStore(std::make_shared<UnwritableStore>(kept));
        if (c.flagStays) setFileOps(std::make_shared<FlagStays>());
        ui->clearLog();

        EXPECT_TRUE(MaintenanceSaveRestore(true));
        setSettingsStore(kept);
        EXPECT_EQ(databaseName(working), QStringLiteral("maintained"));
        EXPECT_EQ(ui->prompts(),
                  QStringList {QStringLiteral("Il database di manutenzione è stato ripristinato in < ") + working
                               + QStringLiteral(" >, ma:\r") + c.told.join(u'\r')});
        EXPECT_EQ(QFile::exists(flag), c.flagStays);

        // The next start: the flag is older than the restored file and nothing is left to
        // restore, so nothing is asked and the flag goes.
        setFileOps(nullptr);
        ui->clearLog();
        EXPECT_TRUE(CheckMaintenanceState());
        EXPECT_TRUE(ui->prompts().isEmpty()) << ui->prompts().join(u'|').toStdString();
        EXPECT_FALSE(QFile::exists(flag));
    }
}

TEST_F(MaintenanceCopyTest, RestoreCommandWithoutMaintenanceFolderOnlyTellsSo)
{
    EXPECT_EQ(RunMaintenanceCommand(true), MaintenanceOutcome::Nothing);
    EXPECT_EQ(ui->prompts(),
              QStringList {QStringLiteral("L'operazione di manutenzione non è stata attivata da questo terminale")});
}

}   // namespace

// A restore killed at each of its file steps (its working file with a last change still in
// its log): the working name holds the working file with that change, or the maintained
// file, never nothing; while the maintained file is not in place it is still there, and so is
// the flag that offers it again at the next start.
TEST_F(MaintenanceCopyTest, ARestoreKilledAtAnyStepKeepsAWholeWorkingFile)
{
    bool finished = false;
    for (int step = 1; !finished && step < 20; ++step) {
        SCOPED_TRACE("killed at file step " + std::to_string(step));
        for (const QString& f : QDir(root).entryList(QDir::Files)) QFile::remove(root + u'/' + f);
        makeDatabase(working, QStringLiteral("working"), 5);
        prepareRestore();
        {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(working.toUtf8().constData(), &db), SQLITE_OK);
            sql(db, QStringLiteral("PRAGMA wal_autocheckpoint=0; UPDATE Nome SET x='working, last change';"));
            const QByteArray log = testenv::readFile(working + QStringLiteral("-wal"));
            sqlite3_close(db);
            testenv::writeFile(working + QStringLiteral("-wal"), log);   // as a killed program leaves it
        }
        setModified(working, QDateTime(QDate(2007, 2, 1), QTime(9, 0)));
        WriteMaintenanceFlag(true);

        finished = !testenv::KilledAtFileStep(step, [] { (void)MaintenanceSaveRestore(true); });
        const QString now = databaseName(working);
        if (now == QStringLiteral("working, last change")) {
            EXPECT_EQ(databaseName(copy), QStringLiteral("maintained"));
            EXPECT_TRUE(QFile::exists(flag));
        } else {
            EXPECT_EQ(now, QStringLiteral("maintained"));
            EXPECT_EQ(databaseName(weekday), QStringLiteral("working, last change"));
        }
    }
    EXPECT_TRUE(finished) << "the restore ends within the steps tried";
}
