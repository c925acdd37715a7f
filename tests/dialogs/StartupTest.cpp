#include "dialogs/Startup.h"
#include "objdb/SqlConnection.h"
#include "StartupTestSupport.h"
#include "objdb/TableObject.h"
#include <QDir>
#include <QFile>

namespace {
const QString kCreate = QStringLiteral("Il database non è presente\r\rVuoi crearlo ?");

class InitDatabaseTest : public startuptest::StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        setMainWindowServices(&mainWindow);
    }
    void TearDown() override
    {
        SetStartupUpdateCheck(nullptr);
        StartupTest::TearDown();
    }
    qint64 operatorCount()
    {
        auto rows = g_objDatabase->Tables().Item(QStringLiteral("Operatori"))->Select();
        return rows->RowCount();
    }
    startuptest::FakeMainWindow mainWindow;
};
}

TEST_F(InitDatabaseTest, YesCreatesTheDatabaseWithItsDefaultRows)
{
    ui->addAnswer(QStringLiteral("Yes"));
    bool openedBefore = false;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_EQ(messageBoxes(), QStringList {kCreate});
    EXPECT_TRUE(QFile::exists(databasePath()));
    EXPECT_TRUE(IsDatabaseOpen());
    EXPECT_EQ(operatorCount(), 3);
    EXPECT_EQ(g_nDBOpenMode, kDefaultDBOpenMode);
    EXPECT_EQ(g_objDatabase->GetCurrency()->Name(0), QStringLiteral("Euro"));
    EXPECT_NE(g_objDatabase->ConversionCurrency(), nullptr);   // amounts can be shown in Lire

    // The next opening finds the file and asks nothing.
    ReleaseDatabaseObjects();
    ui->clearLog();
    openedBefore = true;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_TRUE(ui->log().isEmpty());
    EXPECT_EQ(operatorCount(), 3);
}

// A repair killed after the working file was set aside: the shop is put back and opened,
// never offered to be created anew.
TEST_F(InitDatabaseTest, TheShopLeftUnderARepairsNameIsPutBackBeforeTheFileIsMissed)
{
    for (const bool maintenance : {false, true}) {
        SCOPED_TRACE(maintenance ? "maintenance file" : "working file");
        ::settings().MaintenanceMode = maintenance;
        const QString path = workDir
            + (maintenance ? QStringLiteral("/MirtavoliaMaintenance.mdb") : QStringLiteral("/Mirtavolia.mdb"));
        QFile::remove(databasePath());
        openDatabase();
        g_objDatabase->Tables()
            .Item(QStringLiteral("Operatori"))
            ->Select()
            ->AddRow({QStringLiteral("Nome"), QStringLiteral("Dario")});
        ReleaseDatabaseObjects();
        ASSERT_TRUE(QFile::rename(databasePath(), path + QStringLiteral("._")));
        ui->clearLog();
        // Should the file be missed after all, the questions end the opening.
        ui->addAnswer(QStringLiteral("No"));
        ui->addAnswer(QStringLiteral("<cancel>"));

        bool openedBefore = true;
        ASSERT_TRUE(InitDatabase(openedBefore));
        EXPECT_EQ(operatorCount(), 4);
        EXPECT_EQ(messageBoxes(), QStringList());
        EXPECT_EQ(ui->log(),
                  QStringList {QStringLiteral("STATUS: Database ripristinato da < ") + path + QStringLiteral("._ >")});
        ReleaseDatabaseObjects();
    }
    ::settings().MaintenanceMode = false;
}

TEST_F(InitDatabaseTest, CreatesTheMissingWorkingFolder)
{
    ::settings().RootDir = workDir + QStringLiteral("/negozio/dati");
    ui->addAnswer(QStringLiteral("Yes"));
    bool openedBefore = false;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_TRUE(QFile::exists(::settings().RootDir + QStringLiteral("/Mirtavolia.mdb")));
}

TEST_F(InitDatabaseTest, NoNeverCreatesTheFile)
{
    for (bool openedBefore : {false, true}) {
        ui->clearLog();
        ui->addAnswer(QStringLiteral("No"));
        ui->addAnswer(QStringLiteral("<cancel>"));   // the options dialog, left with Esci
        bool flag = openedBefore;
        EXPECT_FALSE(InitDatabase(flag)) << openedBefore;
        EXPECT_FALSE(QFile::exists(databasePath())) << openedBefore;
        EXPECT_EQ(ui->log().size(), 2);
        EXPECT_TRUE(ui->log().at(1).startsWith(QStringLiteral("INPUT: [frmOptions]")));
        EXPECT_FALSE(g_objDatabase);
        EXPECT_FALSE(g_objDBEngine);
        EXPECT_EQ(mainWindow.optionsActive, false);   // the dialog is gone again
    }
}

TEST_F(InitDatabaseTest, OptionsConfirmedWithAnotherFolderOpensTheFileThere)
{
    const QString other = testenv::newDir(QStringLiteral("other"));
    openDatabase();   // a database, moved to the other folder
    ReleaseDatabaseObjects();
    ASSERT_TRUE(QFile::rename(databasePath(), other + QStringLiteral("/Mirtavolia.mdb")));
    ui->addAnswer(QStringLiteral("No"));
    ui->addAnswer(QStringLiteral("OK\t") + other);   // types the folder, then OK
    ui->addAnswer(QStringLiteral("Yes"));   // "L'indirizzario di lavoro e' cambiato."
    bool openedBefore = false;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_EQ(::settings().RootDir, other);
    EXPECT_EQ(g_objDBEngine->Path(), other + QStringLiteral("/Mirtavolia.mdb"));
    EXPECT_EQ(messageBoxes(),
              (QStringList {kCreate, QStringLiteral("L'indirizzario di lavoro e' cambiato.\r\rConfermi ?")}));
}

TEST_F(InitDatabaseTest, MaintenanceModeOffersToRetryAndForgetsTheEarlierOpening)
{
    ::settings().MaintenanceMode = true;
    const QString retry = QStringLiteral("Il database non è presente in < ") + ::settings().RootDir
        + QStringLiteral(" >\r\rRiprovare ?");
    ui->addAnswer(QStringLiteral("Yes"));
    ui->addAnswer(QStringLiteral("No"));
    ui->addAnswer(QStringLiteral("<cancel>"));
    bool openedBefore = true;
    EXPECT_FALSE(InitDatabase(openedBefore));
    EXPECT_FALSE(openedBefore);
    EXPECT_EQ(messageBoxes(), (QStringList {retry, retry}));
    EXPECT_FALSE(QFile::exists(workDir + QStringLiteral("/MirtavoliaMaintenance.mdb")));
}

TEST_F(InitDatabaseTest, MaintenanceModeOpensTheMaintenanceFile)
{
    ::settings().MaintenanceMode = true;
    {
        ::settings().MaintenanceMode = false;
        openDatabase();
        ReleaseDatabaseObjects();
        QFile::rename(databasePath(), workDir + QStringLiteral("/MirtavoliaMaintenance.mdb"));
        ::settings().MaintenanceMode = true;
    }
    bool openedBefore = false;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_TRUE(g_objDBEngine->Path().endsWith(QStringLiteral("/MirtavoliaMaintenance.mdb")));
}

TEST_F(InitDatabaseTest, FailedOpeningIsReportedAndReleased)
{
    QFile garbage(databasePath());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    bool openedBefore = false;
    EXPECT_FALSE(InitDatabase(openedBefore));
    ASSERT_EQ(messageBoxes().size(), 1);
    EXPECT_TRUE(messageBoxes().first().startsWith(QStringLiteral("Inizializzazione database fallita: \r\r")))
        << messageBoxes().first().toStdString();
    EXPECT_TRUE(messageBoxes().first().endsWith(QStringLiteral("Visualizzare dettagli ?")));
    // Nothing half-open is kept: the next activation starts again.
    EXPECT_FALSE(g_objDatabase);
    EXPECT_FALSE(g_objDBEngine);
}

TEST_F(InitDatabaseTest, UpdateCheckRunsOnlyOutsideTheBackupArchiveAndNeverStopsTheOpening)
{
    openDatabase();
    ReleaseDatabaseObjects();
    int checks = 0;
    SetStartupUpdateCheck([&checks] {
        ++checks;
        throw AppError(5, QStringLiteral("update"), QStringLiteral("server irraggiungibile"));
    });
    bool openedBefore = false;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(ui->log().isEmpty());

    ReleaseDatabaseObjects();
    g_bBackupArchiveMode = true;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_EQ(checks, 1);
}

TEST_F(InitDatabaseTest, EngineTakesTheAccessSettings)
{
    openDatabase();
    ReleaseDatabaseObjects();
    ::settings().AccessMode = DBEngine::kAccessMultiUser;
    ::settings().UseTransaction = true;
    bool openedBefore = false;
    ASSERT_TRUE(InitDatabase(openedBefore));
    EXPECT_EQ(g_objDBEngine->AccessMode(), DBEngine::kAccessMultiUser);
    EXPECT_TRUE(g_objDBEngine->UseTransaction());
}

// "Sola lettura": the file is read through a read-only opening that writes nothing to it and
// leaves no log files behind; log files another program uses stay where they are.
TEST_F(InitDatabaseTest, ReadOnlyAccessOpensReadOnlyAndLeavesNoLogFiles)
{
    openDatabase();
    ReleaseDatabaseObjects();
    const QString wal = databasePath() + QStringLiteral("-wal"), shm = databasePath() + QStringLiteral("-shm");
    ASSERT_FALSE(QFile::exists(shm));
    ::settings().AccessMode = DBEngine::kAccessReadOnly;
    bool openedBefore = true;
    ASSERT_TRUE(InitDatabase(openedBefore)) << ui->log().join(u'|').toStdString();
    EXPECT_TRUE(g_objDBEngine->IsReadOnly());
    EXPECT_EQ(g_objDatabase->Tables().Item(QStringLiteral("Operatori"))->Select()->RowCount(), 3);
    EXPECT_EQ(g_objDBEngine->sql().scalar(QStringLiteral("SELECT count(*) FROM _objdb_connections")).toInt(), 0);
    auto rows = g_objDatabase->Tables().Item(QStringLiteral("Operatori"))->Select(QStringLiteral("Nome = 'Bruno'"));
    EXPECT_THROW(rows->AddRow({QStringLiteral("Nome"), QStringLiteral("Nuovo")}), AppError);
    rows.reset();
    ReleaseDatabaseObjects();
    EXPECT_FALSE(QFile::exists(wal));
    EXPECT_FALSE(QFile::exists(shm));

    // Another program has the file open: its log files are its own.
    auto other = std::make_shared<DBEngine>();
    other->OpenDatabase(kDefaultDBOpenMode, databasePath());
    ASSERT_TRUE(InitDatabase(openedBefore));
    ReleaseDatabaseObjects();
    EXPECT_TRUE(QFile::exists(shm));
    EXPECT_EQ(other->sql().scalar(QStringLiteral("SELECT count(*) FROM Operatori")).toInt(), 3);
    other->Close();
    EXPECT_FALSE(QFile::exists(shm));

    // Back to normal access, the same engine writes again.
    ASSERT_TRUE(InitDatabase(openedBefore));
    g_objDBEngine->SetAccessMode(DBEngine::kAccessSingle);
    EXPECT_FALSE(g_objDBEngine->IsReadOnly());
    g_objDatabase->Tables()
        .Item(QStringLiteral("Operatori"))
        ->Select()
        ->AddRow({QStringLiteral("Nome"), QStringLiteral("Nuovo")});
    EXPECT_EQ(g_objDatabase->Tables().Item(QStringLiteral("Operatori"))->Select()->RowCount(), 4);
}
