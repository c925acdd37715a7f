// Working on the backup archive, and the archive commands of the file menu.
#include "mainwindow/ArchiveMode.h"
#include "BackupShop.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "operations/SaveReminder.h"
#include "dialogs/Startup.h"
#include "objdb/TableObject.h"

namespace {

TEST(ArchiveSettingsGuard, HoldsEveryWriteBackFromTheStoreBelow)
{
    auto below = std::make_shared<MemorySettingsStore>();
    below->set("Configuration", "RootDir", "/shop");
    below->set("Backup", "LastSaved", "2007-03-01");
    ArchiveSettingsGuard guard(below);

    guard.set("configuration", "ROOTDIR", "/backup");
    guard.remove("Backup", "LastSaved");
    guard.set("Settings", "MainLeft", "1000");

    EXPECT_EQ(guard.get("Configuration", "RootDir", ""), "/backup") << "the program reads what it wrote";
    EXPECT_FALSE(guard.contains("Backup", "LastSaved"));
    EXPECT_EQ(guard.keys("Settings"), QStringList {"MainLeft"});
    EXPECT_EQ(guard.keys("Backup"), QStringList {});

    EXPECT_EQ(below->get("Configuration", "RootDir", ""), "/shop");
    EXPECT_EQ(below->get("Backup", "LastSaved", ""), "2007-03-01");
    EXPECT_FALSE(below->contains("Settings", "MainLeft"));
}

class Archive : public BackupShop {
protected:
    Archive()
    {
        settings->set("Configuration", "RootDir", rootDir());
        settings->set("Configuration", "BackupDir", backupDir());
        settings->set("Configuration", "BkpSaveNotify", "1");
        SetDatabaseDefinitionFactory([] { return std::make_shared<DB>(); });
        SetStartupUpdateCheck([] {});
        hooks.releaseDatabase = [this] {
            ++released;
            ReleaseDatabaseObjects();
        };
        hooks.activate = [this] {
            ++activated;
            bool before = true;
            InitDatabase(before);
        };
        hooks.setAppTitle = [this] { title = ArchiveMode::WindowTitle("Mirtavolia"); };
    }
    ~Archive() override
    {
        if (ArchiveMode::Active()) ArchiveMode::Leave();
        SetStartupUpdateCheck(nullptr);
    }
    QString openFile() const { return g_objDBEngine ? g_objDBEngine->Path() : QString(); }

    ArchiveMode::Hooks hooks;
    int released = 0, activated = 0;
    QString title;
};

TEST_F(Archive, WorksOnTheBackupFileAndWritesNoSetting)
{
    addArticle("A", 10);
    const qint64 oid = sale(QDateTime(QDate(2007, 3, 5), QTime(10, 0)), true, "A", 1);
    BackupRequest all;
    all.allData = true;
    all.to = QDate(2007, 3, 10);
    all.automatic = true;
    ASSERT_EQ(run(all), BackupRestore::Outcome::Completed);
    const QStringList before = settings->keys("Backup") + settings->keys("Configuration") + settings->keys("Settings");
    const QString lastSaved = stored("LastSaved");
    prompts->clearLog();

    prompts->addAnswer("Yes");
    ASSERT_TRUE(ArchiveMode::SwitchMode(hooks));
    EXPECT_TRUE(ArchiveMode::Active());
    EXPECT_EQ(title, "BACKUP - Mirtavolia");
    EXPECT_EQ(openFile(), backupPath());
    EXPECT_EQ(::settings().RootDir, backupDir());
    EXPECT_EQ(::settings().BackupDir, rootDir());
    EXPECT_EQ(released, 1);
    EXPECT_EQ(activated, 1);

    // Whoever writes, nothing reaches the store.
    clock->set(QDateTime(QDate(2007, 3, 20), QTime(9, 0)));
    SaveConfiguration();
    SaveReminder::SetLastNotifyDate();
    SaveReminder::SetLastSavedDate();
    settingsStore().set("Settings", "MainLeft", "1200");
    settingsStore().sync();
    EXPECT_EQ(SaveReminder::LastSaved(), QDate(2007, 3, 20)) << "within the mode the program sees its own writes";
    EXPECT_EQ(settings->keys("Backup") + settings->keys("Configuration") + settings->keys("Settings"), before);
    EXPECT_EQ(stored("LastSaved"), lastSaved);
    EXPECT_EQ(settings->get("Configuration", "RootDir", ""), rootDir());

    ASSERT_TRUE(ArchiveMode::SwitchMode(hooks)) << "switching off asks nothing";
    EXPECT_FALSE(ArchiveMode::Active());
    EXPECT_EQ(title, "Mirtavolia");
    EXPECT_EQ(openFile(), workingPath());
    EXPECT_EQ(::settings().RootDir, rootDir()) << "every setting read again";
    EXPECT_EQ(::settings().BkpSaveNotify, 1);
    EXPECT_EQ(SaveReminder::LastSaved(), QDate::fromString(lastSaved, Qt::ISODate))
        << "what the mode held back is gone";
    EXPECT_EQ(prompts->prompts().size(), 1) << prompts->prompts().join("\n").toStdString();
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {oid});
}

TEST_F(Archive, SwitchingOnNeedsABackupFolderAndTheOperatorsYes)
{
    ::settings().BackupDir = "  ";
    EXPECT_FALSE(ArchiveMode::SwitchMode(hooks));
    EXPECT_EQ(prompts->prompts(),
              QStringList {"Salvataggio dati non abilitato o non correttamente configurato\r\r"
                           "Controllare le impostazioni di backup."});
    ::settings().BackupDir = backupDir();
    prompts->clearLog();
    prompts->addAnswer("No");
    EXPECT_FALSE(ArchiveMode::SwitchMode(hooks));
    EXPECT_EQ(prompts->prompts(),
              QStringList {"ATTENZIONE\r\rQuesta funzione attiva la gestione diretta dell'archivio di "
                           "Backup...\rDurante questa fase molte funzioni saranno disabilitate.\r\r"
                           "Continuare ?"});
    EXPECT_FALSE(ArchiveMode::Active());
    EXPECT_EQ(released, 0);
    EXPECT_EQ(openFile(), workingPath());
    EXPECT_EQ(dynamic_cast<ArchiveSettingsGuard*>(&settingsStore()), nullptr);
}

TEST_F(Archive, SaveAndRestoreCommandsHandTheDialogsChoiceOn)
{
    std::optional<BackupChoice> choice;
    QList<BackupRequest> runs;
    QStringList asked;
    int refreshed = 0;
    hooks.querySelections = [&](bool restore, const QString& caption) {
        asked << QString("%1 %2").arg(restore).arg(caption);
        return choice;
    };
    hooks.backupRestoreData = [&](const BackupRequest& r) { runs << r; };
    hooks.refreshDetailView = [&] { ++refreshed; };

    ArchiveMode::SaveCommand(hooks);
    ArchiveMode::RestoreCommand(hooks);
    EXPECT_TRUE(runs.isEmpty()) << "a cancelled dialog runs nothing";
    EXPECT_EQ(asked, (QStringList {"0 Salva dati...", "1 Ripristina dati..."}));
    EXPECT_EQ(refreshed, 0);

    choice = BackupChoice {};
    choice->request.from = QDate(2007, 3, 1);
    choice->request.to = QDate(2007, 3, 8);
    choice->request.deleteAtOrigin = true;
    choice->request.copyRelated = true;
    ArchiveMode::SaveCommand(hooks);
    ArchiveMode::RestoreCommand(hooks);
    ASSERT_EQ(runs.size(), 2);
    EXPECT_FALSE(runs[0].restore);
    EXPECT_TRUE(runs[1].restore);
    for (const BackupRequest& r : runs) {
        EXPECT_EQ(r.from, QDate(2007, 3, 1));
        EXPECT_EQ(r.to, QDate(2007, 3, 8));
        EXPECT_TRUE(r.deleteAtOrigin && r.copyRelated && !r.automatic && !r.allData);
    }
    EXPECT_EQ(refreshed, 1) << "only the restore shows the view again";
}

TEST_F(Archive, MaintenanceOptionNeverCopies)
{
    BackupChoice choice;
    choice.moveArchive = true;
    int copies = 0;
    hooks.querySelections = [&](bool, const QString&) { return std::optional<BackupChoice>(choice); };
    hooks.backupRestoreData = [&](const BackupRequest&) { ++copies; };

    prompts->addAnswer("No");
    ArchiveMode::SaveCommand(hooks);
    EXPECT_TRUE(prompts->prompts().value(0).startsWith("Questa operazione sposta l'archivio corrente nel "
                                                       "disco/indirizzario di destinazione in modo da permetterne la "
                                                       "manutenzione.\r\rIMPORTANTE!\r"));

    ::settings().MaintenanceDir.clear();
    prompts->clearLog();
    ArchiveMode::RestoreCommand(hooks);
    EXPECT_EQ(prompts->prompts(),
              QStringList {QString::fromUtf8("L'operazione di manutenzione non è stata attivata da questo terminale")});
    EXPECT_EQ(copies, 0);
    EXPECT_EQ(released, 0);
    EXPECT_EQ(openFile(), workingPath()) << "the database was never released";
}

TEST_F(Archive, InsertAndImportAskFirst)
{
    prompts->addAnswer("No");
    EXPECT_FALSE(ArchiveMode::ConfirmBackupInsert());
    prompts->addAnswer("Yes");
    EXPECT_TRUE(ArchiveMode::ConfirmBackupInsert());
    EXPECT_EQ(prompts->prompts().value(0),
              QString::fromUtf8("ATTENZIONE\r\rL'archivio correntemente gestito è quello di "
                                "backup...\r\rContinuare con l'inserimento ?"));

    prompts->clearLog();
    EXPECT_FALSE(ArchiveMode::ImportCommand(hooks, nullptr));
    EXPECT_EQ(prompts->log(), QStringList {"BEEP: "}) << "no view: only a beep";

    auto shown = select("Articoli");
    prompts->addAnswer("No");
    EXPECT_FALSE(ArchiveMode::ImportCommand(hooks, shown.get()));
    EXPECT_EQ(prompts->prompts().last(),
              "Questa funzione permette di importare < " + shown->GetTable()->Caption()
                  + " > nell'archivio corrente.\r\rATTENZIONE!\rL'operazione deve essere "
                    "guidata da personale tecnico!\r\rContinuare ?");
}

}   // namespace
