#include "StartupTestSupport.h"

namespace {
// An engine that notes the settings handed to it, in order.
class RecordingEngine : public DBEngine {
public:
    void SetAccessMode(int mode) override
    {
        calls << QStringLiteral("AccessMode=%1").arg(mode);
        DBEngine::SetAccessMode(mode);
    }
    void SetUseTransaction(bool use) override
    {
        calls << QStringLiteral("UseTransaction=%1").arg(use);
        DBEngine::SetUseTransaction(use);
    }
    QStringList calls;
};

class DatabaseObjectsTest : public startuptest::StartupTest { };
}

TEST_F(DatabaseObjectsTest, ApplyDatabaseSettingsHandsAccessModeThenTransactions)
{
    ::settings().AccessMode = 2;
    ::settings().UseTransaction = true;
    ApplyDatabaseSettings();   // no engine yet: nothing to do, nothing fails

    auto engine = std::make_shared<RecordingEngine>();
    g_objDBEngine = engine;
    ApplyDatabaseSettings();
    EXPECT_EQ(engine->calls, (QStringList {QStringLiteral("AccessMode=2"), QStringLiteral("UseTransaction=1")}));
}

TEST_F(DatabaseObjectsTest, OpenOnlyWhenTheDatabaseIsAttached)
{
    EXPECT_FALSE(IsDatabaseOpen());
    g_objDBEngine = std::make_shared<DBEngine>();
    g_objDatabase = LibraryGlobal::NewDatabase(NewDatabaseDefinition(), QStringLiteral("test"), nullptr);
    EXPECT_FALSE(IsDatabaseOpen());   // both objects, but the database is not open
    ReleaseDatabaseObjects();
    openDatabase();
    EXPECT_TRUE(IsDatabaseOpen());
}

TEST_F(DatabaseObjectsTest, ReleaseClosesBothEngines)
{
    openDatabase();
    auto working = g_objDBEngine;
    auto backup = std::make_shared<DBEngine>();
    const QString backupPath = workDir + QStringLiteral("/backup.mdb");
    backup->CreateDatabase(kDefaultDBOpenMode, backupPath);
    backup->OpenDatabase(kDefaultDBOpenMode, backupPath);
    g_objBackupDBEngine = backup;

    {
        startuptest::FakeMainWindow mw;
        setMainWindowServices(&mw);
        ReleaseDatabase();   // through the main window when there is one
        EXPECT_EQ(mw.releases, 1);
        setMainWindowServices(nullptr);
    }
    EXPECT_FALSE(g_objDatabase);
    EXPECT_FALSE(g_objDBEngine);
    EXPECT_FALSE(g_objBackupDBEngine);
    EXPECT_FALSE(working->IsOpen());
    EXPECT_FALSE(backup->IsOpen());
}
