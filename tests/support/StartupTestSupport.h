#pragma once
// Shared set-up of the start-up tests: the window fixture of WindowsTestSupport.h plus a
// small database definition (an operators' table with two rows), a fresh working folder,
// the configuration reset to its defaults and the database objects released afterwards.
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Definitions.h"
#include "core/seams/MainWindowServices.h"
#include "core/lifecycle/Password.h"
#include "core/lifecycle/ProgramEnd.h"
#include "core/configuration/RoundRanges.h"
#include "objdb/TableData.h"
#include "TestEnvironment.h"
#include "WindowsTestSupport.h"
#include <QFile>
#include <QWidget>

namespace startuptest {

// The operators' table as the login reads it: Nome, Password (stored form), LivelloAccesso.
class OperatorsTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Operatori"); }
    void DefineIdentity(TableIdentity& identity) override { identity.Version = 1.0; }
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&) override
    {
        fields.AddField(QStringLiteral("Nome"), FieldType::Text, 64, 0, 0, -100, -100, -100, -1);
        fields.AddField(QStringLiteral("Password"), FieldType::Text, 32, 0, 0, -100, -100, -100, -1);
        fields.AddField(QStringLiteral("LivelloAccesso"), FieldType::Integer, 0, 0, 0, -100, -100, -100, -1);
        indexes.AddIndex(QStringLiteral("Nome"), true);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnUpdatedTableStruct(TableData& td, const QVariant&, double&, bool& isNew) override
    {
        if (!isNew) return;
        // Added out of name order, so the choice list shows its own order.
        td.AddRow({QStringLiteral("Nome"), QStringLiteral("Zeno"), QStringLiteral("Password"),
                   ScrambleString(QStringLiteral("segreto"), false), QStringLiteral("LivelloAccesso"), qint64(0)});
        td.AddRow(
            {QStringLiteral("Nome"), QStringLiteral("Amministratore"), QStringLiteral("LivelloAccesso"), qint64(1)});
        td.AddRow({QStringLiteral("Nome"), QStringLiteral("Bruno")});
    }
};

class TestDefinition : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& definition) override { definition.AddTable(std::make_shared<OperatorsTable>()); }
};

// A main window that counts what the core asks of it.
class FakeMainWindow : public MainWindowServices {
public:
    QWidget* mainWidget() override { return &widget; }
    bool OptionsActive() const override { return optionsActive; }
    void SetOptionsActive(bool active) override { optionsActive = active; }
    void SetStatusMsg(const QString&) override { }
    void ReleaseDatabase() override
    {
        ++releases;
        ReleaseDatabaseObjects();
    }
    void RefreshDetailView() override { }

    QWidget widget;
    bool optionsActive = false;
    int releases = 0;
};

class StartupTest : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        LoadConfiguration();   // every setting at its default (the store is empty)
        g_bBackupArchiveMode = false;
        g_colRoundRanges.clear();
        workDir = testenv::newDir(QStringLiteral("work"));
        ::settings().RootDir = workDir;
        SetDatabaseDefinitionFactory([] { return std::make_shared<TestDefinition>(); });
        setProgramEndHandler([this](int code) { programEnds << code; });
    }
    void TearDown() override
    {
        ReleaseDatabaseObjects();
        setMainWindowServices(nullptr);
        setProgramEndHandler(nullptr);
        SetDatabaseDefinitionFactory(nullptr);
        g_bBackupArchiveMode = false;
        WindowTest::TearDown();
    }

    QString databasePath() const { return workDir + QStringLiteral("/Mirtavolia.mdb"); }
    // Creates and opens a database in the working folder through the library.
    void openDatabase()
    {
        auto db = LibraryGlobal::NewDatabase(NewDatabaseDefinition(), QStringLiteral("test"), nullptr);
        auto engine = std::make_shared<DBEngine>();
        if (!QFile::exists(databasePath())) engine->CreateDatabase(kDefaultDBOpenMode, databasePath());
        engine->OpenDatabase(kDefaultDBOpenMode, databasePath());
        db->AttachEngine(engine, nullptr);
        g_objDatabase = db;
        g_objDBEngine = engine;
    }
    QStringList messageBoxes() const
    {
        QStringList out;
        for (const QString& l : ui->log())
            if (l.startsWith(QStringLiteral("MSGBOX: "))) out << l.mid(8);
        return out;
    }

    QString workDir;
    QList<int> programEnds;
};

}

#include <ostream>
