// Saving and restoring supplies, sales and receipts between the working and the backup
// database: what moves, what stays, what the operator is asked and told.
#include "BackupShop.h"
#include "operations/SaveReminder.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "KilledChild.h"
#include "objdb/Notify.h"
#include "operations/OperationWindows.h"
#include "base/FileOps.h"
#include "base/PrintProgress.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableObject.h"
#include <QDir>
#include <QFile>
#include <csignal>
#include <unistd.h>

namespace {

QDateTime at(int day, int hour = 10) { return QDateTime(QDate(2007, 3, day), QTime(hour, 0)); }

TEST(BackupPeriod, ConditionsAndTexts)
{
    struct Case {
        QString field;
        std::optional<QDate> from;
        QDate to;
        bool completed;
        QString condition;
        QString text;
    };
    const Case cases[] = {
        // Month first whatever the system's date order; the last day counts whole.
        {"DataFornitura", std::nullopt, QDate(2007, 1, 31), true, "DataFornitura < #02/01/2007# AND Completato",
         "fino al 31/01/2007"},
        {"DataVendita", QDate(2007, 3, 5), QDate(2007, 3, 5), true,
         "DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007# AND Completato", "dal 05/03/2007 al 05/03/2007"},
        {"Data", QDate(2007, 12, 1), QDate(2007, 12, 31), false, "Data >= #12/01/2007# AND Data < #01/01/2008#",
         "dal 01/12/2007 al 31/12/2007"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BackupRestore::PeriodCondition(c.field, c.from, c.to, c.completed), c.condition);
        EXPECT_EQ(BackupRestore::PeriodText(c.from, c.to), c.text);
    }
}

class Backup : public BackupShop {
protected:
    Backup()
    {
        addArticle("A", 100);
        customer = addCustomer("C1");
        saved = sale(at(5), true, "A", 3, customer);
        open = sale(at(6), false, "A", 2, customer);
        later = sale(at(9), true, "A", 1, customer);
        supplied = supply(at(4), true, "A", 10);
        // The very end of the period's last day, which the period holds whole.
        lastDay = supply(QDateTime(QDate(2007, 3, 8), QTime(23, 59, 59)), true, "A", 5);
        receipted = receipt(QDate(2007, 3, 5), saved);
        clock->set(at(10, 9));
        stockBefore = stock("A");
        pointsBefore = points(customer);
    }

    // The first week of March, with deletion.
    BackupRequest firstWeek(bool restore = false)
    {
        BackupRequest r;
        r.restore = restore;
        r.from = QDate(2007, 3, 1);
        r.to = QDate(2007, 3, 8);
        r.deleteAtOrigin = true;
        r.copyRelated = true;
        return r;
    }

    qint64 customer = 0, saved = 0, open = 0, later = 0, supplied = 0, lastDay = 0, receipted = 0;
    double stockBefore = 0;
    qint64 pointsBefore = 0;
};

TEST_F(Backup, SaveMovesTheCompletedDocumentsOfThePeriodAndLeavesStockAndPoints)
{
    ASSERT_EQ(run(firstWeek(), {"Yes", "Yes", "OK"}), BackupRestore::Outcome::Completed);

    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {open, later})) << "the open sale and the later one stay";
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {saved});
    EXPECT_EQ(oids(workingPath(), "Forniture"), QList<qint64> {});
    EXPECT_EQ(oids(backupPath(), "Forniture"), (QList<qint64> {supplied, lastDay})) << "the last day's supply too";
    EXPECT_EQ(oids(workingPath(), "Ricevute"), QList<qint64> {});
    EXPECT_EQ(oids(backupPath(), "Ricevute"), QList<qint64> {receipted});
    EXPECT_EQ(value(backupPath(), QString("SELECT COUNT(*) FROM ScaricoArticoli")).toInt(), 1)
        << "the moved sale's line went with it";
    EXPECT_EQ(value(workingPath(), QString("SELECT COUNT(*) FROM ScaricoArticoli")).toInt(), 2);
    EXPECT_EQ(stock("A"), stockBefore);
    EXPECT_EQ(points(customer), pointsBefore);

    EXPECT_EQ(prompts->prompts(),
              (QStringList {"Verranno salvati i dati nell'archivio:\r" + backupPath() + "\r\rConfermi ?",
                            "Salvataggio dei dati effettuato.\r\rConfermi l'eliminazione dei dati di Fornitura e di "
                            "Vendita <dal 01/03/2007 al 08/03/2007> dall'archivio di origine ?",
                            "Operazione completata", "Operazione completata"}));
    EXPECT_EQ(progress.shown,
              (QStringList {"Analisi archivio destinazione per il salvataggio...", "Salvataggio dei dati...",
                            "Salvataggio dei dati <Forniture> dal 01/03/2007 al 08/03/2007...",
                            "Salvataggio dei dati <Vendite> dal 01/03/2007 al 08/03/2007...",
                            "Salvataggio dei dati <Ricevute> dal 01/03/2007 al 08/03/2007...",
                            "Eliminazione dati <Forniture> dal 01/03/2007 al 08/03/2007 ...",
                            "Eliminazione dati <Ricevute> dal 01/03/2007 al 08/03/2007 ...",
                            "Eliminazione dati <Vendite> dal 01/03/2007 al 08/03/2007 ..."}));
    EXPECT_GE(progress.closed, 1);
    EXPECT_EQ(stored("LastSaved"), "2007-03-10");
    EXPECT_EQ(stored("LastNotification"), "2007-03-10");
    EXPECT_FALSE(QFile::exists(BackupRestore::JournalPath(workingPath()))) << "no journal outlives a finished run";
}

TEST_F(Backup, RestoreBringsThemBackWithoutPuttingBackTheArchivesStock)
{
    ASSERT_EQ(run(firstWeek(), {"Yes", "Yes", "OK"}), BackupRestore::Outcome::Completed);
    // Sold after the save: the archive's copy of the article still has the older stock.
    sale(at(10, 11), true, "A", 4, customer);
    const double stockNow = stock("A");
    const qint64 pointsNow = points(customer);
    ASSERT_NE(stockNow, stockBefore);
    clock->set(at(12));
    prompts->clearLog();

    ASSERT_EQ(run(firstWeek(true), {"Yes", "Yes", "OK"}), BackupRestore::Outcome::Completed);

    EXPECT_TRUE(oids(workingPath(), "Vendite").contains(saved));
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {}) << "the restore deleted them from the archive";
    EXPECT_EQ(oids(workingPath(), "Forniture"), (QList<qint64> {supplied, lastDay}));
    EXPECT_EQ(oids(backupPath(), "Forniture"), QList<qint64> {});
    EXPECT_EQ(oids(workingPath(), "Ricevute"), QList<qint64> {receipted});
    EXPECT_EQ(stock("A"), stockNow);
    EXPECT_EQ(points(customer), pointsNow);
    EXPECT_EQ(prompts->prompts().first(),
              "Verranno ripristinati i dati dall'archivio:\r" + backupPath() + "\r\rConfermi ?");
    EXPECT_EQ(stored("LastSaved"), "2007-03-10") << "a restore stores no date";
}

// A question that, while it waits for the answer, lets something else happen to the data
// (another terminal completing a sale, say).
class HookedUi : public UiServices {
public:
    HookedUi(std::shared_ptr<ScriptedUiServices> inner, QString trigger, std::function<void()> hook)
        : m_inner(std::move(inner)), m_trigger(std::move(trigger)), m_hook(std::move(hook))
    { }
    int msgBox(const QString& text, int flags, const QString& title) override
    {
        if (text.contains(m_trigger) && m_hook) std::exchange(m_hook, nullptr)();
        return m_inner->msgBox(text, flags, title);
    }
    std::optional<QString> inputBox(const QString& p, const QString& t, const QString& d) override
    {
        return m_inner->inputBox(p, t, d);
    }
    std::optional<QString> openFileName(const QString& t, const QString& f, const QString& i) override
    {
        return m_inner->openFileName(t, f, i);
    }
    std::optional<QString> saveFileName(const QString& t, const QString& f, const QString& i) override
    {
        return m_inner->saveFileName(t, f, i);
    }
    std::optional<QString> folderName(const QString& t, const QString& i) override { return m_inner->folderName(t, i); }
    bool runModal(ModalWindow& w) override { return m_inner->runModal(w); }
    void beep() override { m_inner->beep(); }
    bool openUrl(const QString& u) override { return m_inner->openUrl(u); }

private:
    std::shared_ptr<ScriptedUiServices> m_inner;
    QString m_trigger;
    std::function<void()> m_hook;
};

TEST_F(Backup, DeletesExactlyTheRowsItCopied)
{
    // The open sale of the period is completed while the deletion question waits: it was not
    // copied, so it must not be deleted.
    setUiServices(std::make_shared<HookedUi>(prompts, "Confermi l'eliminazione", [this] {
        auto s = select("Vendite", QString("OID = %1").arg(open));
        s->SetValue("Completato", true);
        s->Update();
    }));
    ASSERT_EQ(run(firstWeek(), {"Yes", "Yes", "OK"}), BackupRestore::Outcome::Completed);
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {open, later}));
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {saved});
}

TEST_F(Backup, RefusesABackupFolderThatIsTheWorkingOne)
{
    QFile::link(rootDir(), backupDir() + "/link");
    const QString hardLinked = QDir(backupDir()).filePath("hard");
    QDir().mkpath(hardLinked);
    ASSERT_EQ(::link(QFile::encodeName(workingPath()).constData(),
                     QFile::encodeName(hardLinked + "/Mirtavolia.mdb").constData()),
              0);

    // Another letter case is another folder on this system, so it is not among the spellings.
    const QString refused = "> non puo' corrispondere a quello dell'archivio di lavoro";
    const struct {
        QString folder;
        QString warning;
    } cases[] = {
        {rootDir(), "L'indirizzario di backup <" + rootDir() + refused},
        {rootDir() + "/", "L'indirizzario di backup <" + rootDir() + "/" + refused},
        {rootDir() + "/../" + QFileInfo(rootDir()).fileName(), ""},
        {backupDir() + "/link", ""},
        {hardLinked, ""},
        {"", "L'indirizzario di backup non è impostato."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        ::settings().BackupDir = c.folder;
        prompts->clearLog();
        EXPECT_EQ(run(firstWeek()), BackupRestore::Outcome::Refused);
        ASSERT_EQ(prompts->prompts().size(), 1);
        EXPECT_TRUE(prompts->prompts().first().endsWith(c.warning.isEmpty() ? refused : c.warning));
    }
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {saved, open, later}));
    EXPECT_FALSE(QFile::exists(backupDir() + "/Mirtavolia.mdb"));
}

TEST_F(Backup, NoToAQuestionStopsWhereItWasAsked)
{
    // No to the save: nothing opened, nothing created.
    EXPECT_EQ(run(firstWeek(), {"No"}), BackupRestore::Outcome::Cancelled);
    EXPECT_FALSE(QFile::exists(backupPath()));

    // No to the deletion: the copy stands, the run completes.
    EXPECT_EQ(run(firstWeek(), {"Yes", "No", "OK"}), BackupRestore::Outcome::Completed);
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {saved, open, later}));
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {saved});
    EXPECT_EQ(stored("LastSaved"), "2007-03-10");
}

TEST_F(Backup, RestoreWithoutABackupFileWarnsAndStops)
{
    EXPECT_EQ(run(firstWeek(true), {"Yes", "OK"}), BackupRestore::Outcome::Refused);
    EXPECT_EQ(prompts->prompts().last(),
              "Archivio di appoggio (backup) per il ripristino non presente\r\rArchivio: " + backupPath());
    EXPECT_FALSE(QFile::exists(backupPath()));
    EXPECT_GE(progress.closed, 1);
}

TEST_F(Backup, AutomaticSaveAsksNothingAndTellsOnlyTheStatusBar)
{
    BackupRequest r = firstWeek();
    r.automatic = true;
    ASSERT_EQ(run(r), BackupRestore::Outcome::Completed);
    EXPECT_EQ(prompts->log(), QStringList {"STATUS: Operazione completata"});
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {open, later}));
}

TEST_F(Backup, WholeArchiveCopiesEveryTableAndDeletesNothing)
{
    BackupRequest r = firstWeek();
    r.allData = true;
    ASSERT_EQ(run(r, {"Yes", "OK"}), BackupRestore::Outcome::Completed);
    EXPECT_EQ(oids(backupPath(), "Vendite"), (QList<qint64> {saved, open, later})) << "incomplete sales too";
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {saved, open, later}));
    EXPECT_TRUE(oids(backupPath(), "Clienti").contains(customer));
    EXPECT_FALSE(prompts->prompts().join('\n').contains("eliminazione"));
    EXPECT_TRUE(progress.shown.contains("Salvataggio dei dati <Articoli>..."));
}

TEST_F(Backup, WholeRestoreSkipsTablesTheArchiveLacks)
{
    BackupRequest r = firstWeek();
    r.allData = true;
    ASSERT_EQ(run(r, {"Yes", "OK"}), BackupRestore::Outcome::Completed);
    // An archive from an older program: no reminder rules table.
    {
        auto engine = std::make_shared<DBEngine>();
        engine->OpenDatabase(3, backupPath());
        auto file = LibraryGlobal::OpenExistingDatabase(engine, nullptr);
        file->RunQuery("DROP TABLE ImpostazioniPromemoria");
        file->Close();
        engine->Close();
    }
    r.restore = true;
    EXPECT_EQ(run(r, {"Yes", "OK"}), BackupRestore::Outcome::Completed);
    EXPECT_FALSE(progress.shown.contains("Ripristino dei dati <ImpostazioniPromemoria>..."));
    EXPECT_TRUE(progress.shown.contains("Ripristino dei dati <Vendite>..."));
}

TEST_F(Backup, AnUnreadableBackupFileIsReportedAndNothingIsDeleted)
{
    QFile f(backupPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_EQ(run(firstWeek(), {"Yes", "Yes"}), BackupRestore::Outcome::Failed);
    ASSERT_EQ(shownErrors.size(), 1) << "the details, asked for";
    EXPECT_TRUE(shownErrors.first().contains("Si e' verificato un errore:"));
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {saved, open, later}));
    EXPECT_TRUE(stored("LastSaved").isEmpty());
}

// The operator's Stop in the progress window during the copy of the sales.
class StoppingProgress : public RecordingProgress, public itfProgress {
public:
    itfProgress* Target() override { return m_copyingSales ? this : nullptr; }
    void Show(const QString& text) override
    {
        RecordingProgress::Show(text);
        m_copyingSales = text.contains("<Vendite>");
    }
    bool OnProgress(int32_t, int32_t, int32_t, int32_t, int32_t) override { return false; }

private:
    bool m_copyingSales = false;
};

TEST_F(Backup, StoppingTheCopyEndsTheRunWithoutDeletingOrStoringDates)
{
    StoppingProgress stopping;
    BackupRestore run({g_objDatabase, g_objDBEngine, ::settings().RootDir, ::settings().BackupDir, &stopping, nullptr});
    prompts->addAnswer("Yes");
    EXPECT_EQ(run.Run(firstWeek()), BackupRestore::Outcome::Stopped);
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {}) << "the stopped copy was undone";
    EXPECT_EQ(oids(backupPath(), "Forniture"), (QList<qint64> {supplied, lastDay})) << "the copy before it stands";
    EXPECT_EQ(oids(workingPath(), "Forniture"), (QList<qint64> {supplied, lastDay}));
    EXPECT_EQ(prompts->prompts().size(), 1) << "no deletion question, no completion";
    EXPECT_TRUE(stored("LastSaved").isEmpty());
}

}   // namespace

// The program's save, given no progress of its own, shows the window the main window installs,
// and closes it at the end; with none installed it runs the same, showing nothing.
TEST_F(Backup, TheProgramsSaveShowsTheInstalledProgressWindow)
{
    class Windows final : public OperationWindows {
    public:
        std::unique_ptr<BackupProgress> BackupWindow() override
        {
            class Window final : public BackupProgress {
            public:
                explicit Window(QStringList& log) : m_log(log) { }
                void Show(const QString& text) override { m_log << text; }
                itfProgress* Target() override { return nullptr; }
                void Close() override { m_log << QStringLiteral("<closed>"); }

            private:
                QStringList& m_log;
            };
            return std::make_unique<Window>(shown);
        }
        std::unique_ptr<PrintProgress> ReceiptWindow() override { return nullptr; }
        std::shared_ptr<void> Busy() override { return nullptr; }
        QStringList shown;
    } windows;
    BackupRequest r = firstWeek();
    r.deleteAtOrigin = false;
    r.automatic = true;

    EXPECT_EQ(BackupRestoreData(r), BackupRestore::Outcome::Completed);
    setOperationWindows(&windows);
    EXPECT_EQ(BackupRestoreData(r), BackupRestore::Outcome::Completed);
    setOperationWindows(nullptr);
    ASSERT_FALSE(windows.shown.isEmpty());
    EXPECT_TRUE(
        windows.shown.contains(QStringLiteral("Salvataggio dei dati <Vendite> dal 01/03/2007 al 08/03/2007...")))
        << windows.shown.join(u'|').toStdString();
    EXPECT_EQ(windows.shown.back(), QStringLiteral("<closed>"));
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {saved});
}

// A save killed after its copy and before its deletion: the program's next start finishes it
// before any window shows a row (so nobody works on a sale the move will delete) and says so.
TEST_F(Backup, AMoveKilledBeforeItsDeletionIsFinishedAtTheNextStart)
{
    // Where the run dies: the first deletion shown in the progress window.
    class KillAtDeletion final : public BackupProgress {
    public:
        void Show(const QString& text) override
        {
            if (text.startsWith(QStringLiteral("Eliminazione dati"))) ::raise(SIGKILL);
        }
        itfProgress* Target() override { return nullptr; }
        void Close() override { }
    };
    ASSERT_TRUE(testenv::KilledInChild([] {
        KillAtDeletion progress;
        BackupRequest r;
        r.from = QDate(2007, 3, 1);
        r.to = QDate(2007, 3, 8);
        r.deleteAtOrigin = true;
        r.copyRelated = true;
        r.automatic = true;
        (void)BackupRestoreData(r, &progress);
    }));
    ASSERT_TRUE(QFile::exists(BackupRestore::JournalPath(workingPath())));
    ASSERT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {saved});
    ASSERT_TRUE(oids(workingPath(), "Vendite").contains(saved)) << "killed before the deletion";

    EXPECT_EQ(FinishInterruptedBackupMovesAtStart(), 1);
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {open, later}));
    EXPECT_EQ(oids(workingPath(), "Forniture"), QList<qint64> {});
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {saved});
    EXPECT_EQ(stock("A"), stockBefore);
    EXPECT_FALSE(QFile::exists(BackupRestore::JournalPath(workingPath())));
    EXPECT_EQ(prompts->log(), QStringList {"STATUS: Completato lo spostamento dei dati interrotto"});

    // With nothing to finish, the start says nothing.
    prompts->clearLog();
    EXPECT_EQ(FinishInterruptedBackupMovesAtStart(), 0);
    EXPECT_TRUE(prompts->log().isEmpty());
}

// A statement run on a file beside the program's connection.
void executeOn(const QString& path, const QString& sql)
{
    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(3, path);
    engine->sql().execute(sql);
    engine->Close();
}

// A disk with no room for the move's journal.
class NoRoomForTheJournal final : public FileOps {
public:
    bool writeFile(const QString& path, const QByteArray& data) override
    {
        return !path.endsWith(QStringLiteral("-move")) && FileOps::writeFile(path, data);
    }
};

// A deletion that fails once the copy is made (a trigger stands for the full disk, on the
// file the documents leave) deletes nothing: the operator is told that the period now stands
// in both files and how the move is finished. With its journal on disk the recovery finishes
// it; with no room for the journal either, nothing is left to recover and the operator is told
// to run the save again, which finishes it. The steps run in turn on one shop.
TEST_F(Backup, ADeletionThatFailsTellsHowTheMoveIsFinished)
{
    const QString period
        = "I dati di Fornitura e di Vendita <dal 01/03/2007 al 08/03/2007> sono ora presenti in entrambi gli archivi: ";
    const QString byRecovery = period
        + "la loro eliminazione dall'archivio di origine sara' completata alla prossima apertura "
          "del programma o al prossimo salvataggio o ripristino dei dati.";
    struct Case {
        const char* name;
        bool restore;
        bool journalRefused;
        QString note;
    };
    const Case cases[] = {
        {"save, journal kept", false, false, byRecovery},
        {"restore, journal kept", true, false, byRecovery},
        {"save, no room for the journal", false, true,
         period + "per eliminarli dall'archivio di origine ripetere il salvataggio con l'eliminazione dei dati."},
    };
    const QList<qint64> periodSupplies {supplied, lastDay}, periodReceipts {receipted};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString origin = c.restore ? backupPath() : workingPath();
        const QString destination = c.restore ? workingPath() : backupPath();
        executeOn(
            origin,
            "CREATE TRIGGER Pieno BEFORE DELETE ON Vendite BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
        if (c.journalRefused) setFileOps(std::make_shared<NoRoomForTheJournal>());
        prompts->clearLog();
        shownErrors.clear();
        const BackupRestore::Outcome outcome = run(firstWeek(c.restore), {"Yes", "Yes", "Yes", "OK"});
        setFileOps(nullptr);
        EXPECT_EQ(outcome, BackupRestore::Outcome::Failed);
        ASSERT_EQ(shownErrors.size(), 1);
        EXPECT_EQ(prompts->log().filter("MSGBOX: I dati di Fornitura"), QStringList {"MSGBOX: " + c.note});
        for (const QString& file : {origin, destination}) {
            EXPECT_TRUE(oids(file, "Vendite").contains(saved)) << file.toStdString();
            EXPECT_EQ(oids(file, "Forniture"), periodSupplies) << file.toStdString();
            EXPECT_EQ(oids(file, "Ricevute"), periodReceipts) << file.toStdString();
        }
        EXPECT_EQ(QFile::exists(BackupRestore::JournalPath(origin)), !c.journalRefused);
        executeOn(origin, "DROP TRIGGER IF EXISTS Pieno");

        EXPECT_EQ(FinishInterruptedBackupMovesAtStart(), c.journalRefused ? 0 : 1);
        if (c.journalRefused) {
            ASSERT_EQ(run(firstWeek(c.restore), {"Yes", "Yes", "OK"}), BackupRestore::Outcome::Completed);
        }
        EXPECT_FALSE(QFile::exists(BackupRestore::JournalPath(origin)));
        EXPECT_EQ(oids(origin, "Vendite"), c.restore ? QList<qint64> {} : (QList<qint64> {open, later}));
        EXPECT_EQ(oids(destination, "Vendite"),
                  c.restore ? (QList<qint64> {saved, open, later}) : QList<qint64> {saved});
        EXPECT_EQ(oids(origin, "Forniture"), QList<qint64> {});
        EXPECT_EQ(oids(destination, "Forniture"), periodSupplies);
        EXPECT_EQ(stock("A"), stockBefore);
    }
}

// An archive a crash left under a repair's name (an older program's repair, killed between
// its renames) is the archive: a save puts it back and adds to it, never starting a new one.
TEST_F(Backup, ASaveFindsTheArchiveARepairLeftUnderAnotherName)
{
    ASSERT_EQ(run(firstWeek(), {"Yes", "Yes", "OK"}), BackupRestore::Outcome::Completed);
    ASSERT_TRUE(QFile::rename(backupPath(), backupPath() + "._"));
    BackupRequest r = firstWeek();
    r.from = QDate(2007, 3, 9);
    r.to = QDate(2007, 3, 9);
    r.automatic = true;
    ASSERT_EQ(run(r), BackupRestore::Outcome::Completed);
    EXPECT_EQ(oids(backupPath(), "Vendite"), (QList<qint64> {saved, later}));
    EXPECT_FALSE(QFile::exists(backupPath() + "._"));
}
