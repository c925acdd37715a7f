#include "MainWindowShop.h"
#include "core/configuration/Configuration.h"
#include "core/seams/CounterServices.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/seams/MainWindowServices.h"
#include "dialogs/OperatorLogin.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"

MainWindowShop::MainWindowShop()
{
    setErrorWindowPresenter([this](const QString&, const QString& text) { shownErrors << text; });
    LoadConfiguration();
    g_bBackupArchiveMode = false;
    workDir = testenv::newDir(QStringLiteral("cassa"));
    ::settings().RootDir = workDir;
    SetDatabaseDefinitionFactory([] { return std::make_shared<DB>(); });
    g_strOperatorName.clear();
    g_varOperatorKey.clear();
}

MainWindowShop::~MainWindowShop()
{
    ReleaseDatabaseObjects();
    setMainWindowServices(nullptr);
    setCounterServices(nullptr);
    SetDatabaseDefinitionFactory(nullptr);
    g_strOperatorName.clear();
    g_varOperatorKey.clear();
    setErrorWindowPresenter(nullptr);
}

void MainWindowShop::openShop(const QString& operatorName)
{
    auto engine = std::make_shared<DBEngine>();
    engine->CreateDatabase(kDefaultDBOpenMode, databasePath());
    engine->OpenDatabase(kDefaultDBOpenMode, databasePath());
    auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
    db->AttachEngine(engine);
    g_objDBEngine = engine;
    g_objDatabase = db;
    std::unique_ptr<TableData> op
        = select(QStringLiteral("Operatori"), QStringLiteral("Nome = ") + db->QuoteText(operatorName));
    op->MoveFirst();
    ASSERT_FALSE(op->IsEOF()) << operatorName.toStdString();
    g_strOperatorName = operatorName;
    g_varOperatorKey = op->GetOID();
    const QVariant level = op->GetValue(QStringLiteral("LivelloAccesso"));
    db->SetAccessLevel(level.isNull() ? 0 : level.toInt());
}

std::unique_ptr<TableData> MainWindowShop::select(const QString& table, const QString& condition)
{
    return g_objDatabase->Tables().Item(table)->Select(condition);
}

void MainWindowShop::answer(std::initializer_list<const char*> lines)
{
    for (const char* l : lines) prompts->addAnswer(QString::fromUtf8(l));
}

QStringList MainWindowShop::messageBoxes() const
{
    QStringList out;
    for (const QString& l : prompts->log())
        if (l.startsWith(QStringLiteral("MSGBOX: "))) out << l.mid(8);
    return out;
}
