#include "Configuration.h"
#include "FileOps.h"
#include "MaintenanceCopy.h"
#include "TestEnvironment.h"
#include "WindowsTestSupport.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

void setModified(const QString& path, const QDateTime& t) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
}

// Fails copies or renames whose target ends with a given text, after writing part of the
// file for a copy, as a full disk would.
class FailingFileOps final : public FileOps {
public:
    QString failCopyTo;
    QString failRenameTo;
    bool copy(const QString& from, const QString& to) override {
        if (!failCopyTo.isEmpty() && to.endsWith(failCopyTo)) {
            QFile part(to);
            if (part.open(QIODevice::WriteOnly)) part.write("partial");
            m_lastError = QStringLiteral("No space left on device");
            return false;
        }
        return FileOps::copy(from, to);
    }
    bool rename(const QString& from, const QString& to) override {
        if (!failRenameTo.isEmpty() && to.endsWith(failRenameTo)) {
            m_lastError = QStringLiteral("Permission denied");
            return false;
        }
        return FileOps::rename(from, to);
    }
};

class MaintenanceCopyTest : public wintest::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        // 1 March 2007 is a Thursday: weekday 5 counting from Sunday.
        clock->set(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
        root = testenv::newDir(QStringLiteral("root"));
        maint = testenv::newDir(QStringLiteral("maint"));
        RootDir = root;
        MaintenanceDir.clear();
        working = root + QStringLiteral("/Mirtavolia.mdb");
        copy = maint + QStringLiteral("/MirtavoliaMaintenance.mdb");
        flag = root + QStringLiteral("/MirtavoliaMaintenance.flg");
        weekday = working + QStringLiteral("5.sav");
        writeAll(working, "working database bytes");
        chosen = maint;
        setMaintenanceFolderChooser([this](const QString&) { return chosen; });
    }
    void TearDown() override {
        setMaintenanceFolderChooser(nullptr);
        setFileOps(nullptr);
        RootDir.clear();
        MaintenanceDir.clear();
        WindowTest::TearDown();
    }
    // The maintained file waiting to be restored, newer and larger than the working one.
    void prepareRestore(const QByteArray& maintained = "maintained database bytes, longer") {
        MaintenanceDir = maint;
        writeAll(copy, maintained);
        setModified(working, QDateTime(QDate(2007, 2, 1), QTime(9, 0)));
        setModified(copy, QDateTime(QDate(2007, 2, 2), QTime(9, 0)));
    }
    bool lastPromptContains(const QString& text) const {
        return !ui->prompts().isEmpty() && ui->prompts().last().contains(text);
    }

    QString root, maint, working, copy, flag, weekday, chosen;
};

TEST_F(MaintenanceCopyTest, PathsFollowTheFixedNames) {
    EXPECT_EQ(MaintenanceFlagPath(), flag);
    EXPECT_EQ(MaintenanceWorkingPath(), working);
    EXPECT_EQ(MaintenanceWeekdayCopyPath(QStringLiteral("X.mdb"), QDate(2007, 3, 4)), QStringLiteral("X.mdb1.sav"));   // Sunday
    EXPECT_EQ(MaintenanceWeekdayCopyPath(QStringLiteral("X.mdb"), QDate(2007, 3, 10)), QStringLiteral("X.mdb7.sav"));  // Saturday
}

TEST_F(MaintenanceCopyTest, SaveCopiesByteForByteAndWritesTheFlagWithCrLf) {
    EXPECT_EQ(RunMaintenanceCommand(false), MaintenanceOutcome::EndProgram);
    EXPECT_EQ(readAll(copy), readAll(working));
    EXPECT_EQ(readAll(flag), QByteArray("Maintenance Mode Activated - Flag File\r\n"));
    EXPECT_EQ(settings->get(QStringLiteral("Configuration"), QStringLiteral("MaintenanceDir"), QString()), maint);
    EXPECT_EQ(ui->prompts().last(), QStringLiteral("OPERAZIONE COMPLETATA.\r\rIl database di manutenzione è stato salvato in < ") +
                                        copy + QStringLiteral(" >"));
    EXPECT_FALSE(QFile::exists(copy + QStringLiteral(".tmp")));
}

TEST_F(MaintenanceCopyTest, SaveRefusesTheWorkingFolderInAnySpelling) {
    QFile::link(root, maint + QStringLiteral("/link-to-root"));
    // Another letter case is another folder on this system, not a spelling of this one.
    const QStringList spellings{root, root + u'/', root + QStringLiteral("/./"),
                                maint + QStringLiteral("/../") + QFileInfo(root).fileName(),
                                maint + QStringLiteral("/link-to-root")};
    for (const QString& s : spellings) {
        SCOPED_TRACE(s.toStdString());
        chosen = s;
        ui->clearLog();
        EXPECT_FALSE(MaintenanceSaveRestore(false));
        EXPECT_EQ(ui->prompts().last(), QStringLiteral("L'indirizzario di manutenzione < ") + s +
                                            QStringLiteral(" > non puo' corrispondere a quello dell'archivio di lavoro"));
        EXPECT_FALSE(QFile::exists(root + QStringLiteral("/MirtavoliaMaintenance.mdb")));
        EXPECT_EQ(readAll(working), QByteArray("working database bytes"));
        EXPECT_FALSE(settings->contains(QStringLiteral("Configuration"), QStringLiteral("MaintenanceDir")));
    }
}

TEST_F(MaintenanceCopyTest, CancelledFolderChoiceKeepsThePreviousFolder) {
    MaintenanceDir = maint;
    chosen.clear();
    EXPECT_TRUE(MaintenanceSaveRestore(false));
    EXPECT_EQ(MaintenanceDir, maint);
    EXPECT_EQ(readAll(copy), readAll(working));

    // With no folder ever chosen there is nowhere to save: nothing is written anywhere.
    MaintenanceDir.clear();
    QFile::remove(copy);
    EXPECT_FALSE(MaintenanceSaveRestore(false));
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("MirtavoliaMaintenance.mdb"))));
}

TEST_F(MaintenanceCopyTest, FailedSaveLeavesThePreviousCopyWhole) {
    writeAll(copy, "previous maintenance copy");
    struct Case { const char* failCopy; const char* failRename; };
    for (const Case& c : {Case{".mdb.tmp", ""}, Case{"", "MirtavoliaMaintenance.mdb"}}) {
        auto ops = std::make_shared<FailingFileOps>();
        ops->failCopyTo = QString::fromLatin1(c.failCopy);
        ops->failRenameTo = QString::fromLatin1(c.failRename);
        setFileOps(ops);
        EXPECT_EQ(RunMaintenanceCommand(false), MaintenanceOutcome::Reopen);
        EXPECT_EQ(readAll(copy), QByteArray("previous maintenance copy"));
        EXPECT_FALSE(QFile::exists(copy + QStringLiteral(".tmp")));
        EXPECT_FALSE(QFile::exists(flag));
        EXPECT_TRUE(ui->prompts().last().startsWith(QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:\r")));
        EXPECT_TRUE(ui->prompts().last().endsWith(QStringLiteral("\r\rN.B.: Assicurarsi che non ci siano altri terminali connessi")));
    }
}

TEST_F(MaintenanceCopyTest, RestoreKeepsTheWeekdayCopyAndClearsTheFlag) {
    prepareRestore();
    writeAll(weekday, "an older restore of this weekday");
    writeAll(working + QStringLiteral("-wal"), "log of the working file");
    WriteMaintenanceFlag(true);

    EXPECT_EQ(RunMaintenanceCommand(true), MaintenanceOutcome::Reopen);
    EXPECT_EQ(readAll(working), QByteArray("maintained database bytes, longer"));
    EXPECT_EQ(readAll(weekday), QByteArray("working database bytes"));
    // The working file's log went with it, not into the restored file.
    EXPECT_EQ(readAll(weekday + QStringLiteral("-wal")), QByteArray("log of the working file"));
    EXPECT_FALSE(QFile::exists(working + QStringLiteral("-wal")));
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(flag));

    // A second restore finds nothing to restore.
    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_EQ(ui->prompts().last(), QStringLiteral("Nessun archivio di manutenzione è stato trovato in < ") + maint + QStringLiteral(" >"));
}

TEST_F(MaintenanceCopyTest, RestoreWithoutWorkingFileAsksNothing) {
    prepareRestore(QByteArray());   // even an empty file: there is nothing to protect
    QFile::remove(working);
    EXPECT_TRUE(MaintenanceSaveRestore(true));
    EXPECT_TRUE(QFile::exists(working));
    EXPECT_FALSE(QFile::exists(weekday));
    for (const QString& p : ui->prompts()) EXPECT_FALSE(p.contains(QStringLiteral("Interrompere")));
}

TEST_F(MaintenanceCopyTest, RestoreChecksAndQuestions) {
    struct Case {
        const char* name;
        QByteArray maintained;
        QDateTime workingTime, maintainedTime;
        const char* answer;
        bool restored;
        const char* lastPromptPart;
    };
    const QDateTime older(QDate(2007, 2, 1), QTime(9, 0)), newer(QDate(2007, 2, 2), QTime(9, 0));
    const Case cases[] = {
        {"empty file", QByteArray(), older, newer, "", false, "L'archivio da ripristinare risulta vuoto!\r\rIl supporto potrebbe essere corrotto..."},
        {"older, interrupt", "maintained but old, long enough", newer, older, "Yes", false, "OPERAZIONE ANNULLATA."},
        {"older, go on", "maintained but old, long enough", newer, older, "No", true, ""},
        {"smaller, interrupt", "small", older, newer, "Yes", false, "OPERAZIONE ANNULLATA."},
        {"smaller, go on", "small", older, newer, "No", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(working, "working database bytes");
        QFile::remove(weekday);
        prepareRestore(c.maintained);
        setModified(working, c.workingTime);
        setModified(copy, c.maintainedTime);
        ui->clearLog();
        if (*c.answer) ui->addAnswer(QString::fromLatin1(c.answer));
        EXPECT_EQ(MaintenanceSaveRestore(true), c.restored);
        EXPECT_EQ(readAll(working), c.restored ? c.maintained : QByteArray("working database bytes"));
        EXPECT_EQ(QFile::exists(weekday), c.restored);
        if (!c.restored) {
            EXPECT_TRUE(ui->prompts().last().startsWith(QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:\r")));
            EXPECT_TRUE(ui->prompts().last().contains(QString::fromUtf8(c.lastPromptPart)));
        }
    }
    // The date question's text, with both dates.
    writeAll(working, "working database bytes");
    prepareRestore("maintained but old, long enough");
    setModified(working, QDateTime(QDate(2007, 2, 2), QTime(9, 30, 5)));
    setModified(copy, QDateTime(QDate(2007, 2, 1), QTime(8, 0)));
    ui->clearLog();
    ui->addAnswer(QStringLiteral("Yes"));
    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_TRUE(ui->prompts().contains(QStringLiteral(
        "L'archivio da ripristinare risulta meno recente di quello carrente.\r\r"
        "Data archivio corrente: 02/02/2007 09:30:05\rData archivio da ripristinare: 01/02/2007 08:00:00\r\rInterrompere ?")));
}

TEST_F(MaintenanceCopyTest, FailedRestoreRecoversTheOriginalAndRotatesErrFiles) {
    writeAll(working + QStringLiteral(".Err"), "an earlier broken copy");
    writeAll(working + QStringLiteral(".Err.1"), "an even older one");
    prepareRestore();
    WriteMaintenanceFlag(true);
    auto ops = std::make_shared<FailingFileOps>();
    ops->failCopyTo = QStringLiteral("/Mirtavolia.mdb");
    setFileOps(ops);

    EXPECT_FALSE(MaintenanceSaveRestore(true));
    EXPECT_EQ(readAll(working), QByteArray("working database bytes"));
    EXPECT_EQ(readAll(working + QStringLiteral(".Err")), QByteArray("partial"));
    EXPECT_EQ(readAll(working + QStringLiteral(".Err.1")), QByteArray("an earlier broken copy"));
    EXPECT_EQ(readAll(working + QStringLiteral(".Err.2")), QByteArray("an even older one"));
    EXPECT_FALSE(QFile::exists(weekday));
    EXPECT_TRUE(QFile::exists(copy));   // still there for another try
    EXPECT_TRUE(QFile::exists(flag));   // and the start-up offer comes back
    EXPECT_EQ(ui->prompts().last(),
              QStringLiteral("< RECUPERO DI EMERGENZA COMPLETATO >\r\rIl database originale è stato ripristinato correttamente, "
                             "quello corrotto è stato salvato in :\r") + working + QStringLiteral(".Err"));
}

TEST_F(MaintenanceCopyTest, StartUpOfferWhileTheFlagExists) {
    struct Case {
        const char* name;
        QStringList answers;
        bool result;
        bool flagKept;
        bool copyKept;
        const char* workingAfter;
    };
    const Case cases[] = {
        {"cancel", {"Cancel"}, false, true, true, "working database bytes"},
        {"restore", {"Yes"}, true, false, false, "maintained database bytes, longer"},
        {"drop the copy", {"No", "Yes"}, true, false, false, "working database bytes"},
        {"not dropped, then cancel", {"No", "No", "Cancel"}, false, true, true, "working database bytes"},
        {"failed restore, no retry", {"Yes", "Yes", "OK", "No"}, false, true, true, "working database bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(working, "working database bytes");
        QFile::remove(weekday);
        prepareRestore();
        if (QString::fromLatin1(c.name).startsWith(QStringLiteral("failed"))) setModified(working, QDateTime(QDate(2007, 3, 1), QTime(9, 0)));
        WriteMaintenanceFlag(true);
        ui->clearLog();
        for (const QString& a : c.answers) ui->addAnswer(a);
        EXPECT_EQ(CheckMaintenanceState(), c.result);
        EXPECT_EQ(QFile::exists(flag), c.flagKept);
        EXPECT_EQ(QFile::exists(copy), c.copyKept);
        EXPECT_EQ(readAll(working), QByteArray(c.workingAfter));
        EXPECT_TRUE(ui->prompts().first().startsWith(QStringLiteral("L'archivio risulta nello stato di manutenzione.\r\rRipristinare l'archivo aggiornato da < ") + maint));
        EXPECT_FALSE(ui->hasAnswers());
    }
    QFile::remove(flag);
    ui->clearLog();
    EXPECT_TRUE(CheckMaintenanceState());
    EXPECT_TRUE(ui->prompts().isEmpty());
}

TEST_F(MaintenanceCopyTest, FlagFileIsWrittenOnceAndRemoved) {
    writeAll(flag, "written by hand");
    WriteMaintenanceFlag(true);
    EXPECT_EQ(readAll(flag), QByteArray("written by hand"));
    EXPECT_TRUE(MaintenanceFlagExists());
    WriteMaintenanceFlag(false);
    EXPECT_FALSE(MaintenanceFlagExists());
    WriteMaintenanceFlag(false);   // nothing to delete: no message
    EXPECT_TRUE(ui->prompts().isEmpty());
}

TEST_F(MaintenanceCopyTest, RestoreCommandWithoutMaintenanceFolderOnlyTellsSo) {
    EXPECT_EQ(RunMaintenanceCommand(true), MaintenanceOutcome::Nothing);
    EXPECT_EQ(ui->prompts(), QStringList{QStringLiteral("L'operazione di manutenzione non è stata attivata da questo terminale")});
}

}  // namespace
