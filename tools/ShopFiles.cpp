#include "ShopFiles.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/databasefiles/DatabaseRepair.h"
#include "MvTool.h"
#include "dialogs/Startup.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QFileInfo>

namespace mvtool {

OpenShop::OpenShop(const QString& path, std::shared_ptr<CurrencyInfo> currency)
{
    if (!QFileInfo::exists(path))
        throw AppError(AppError::kFileNotFound, QStringLiteral("mvtool"),
                       QStringLiteral("no database at %1").arg(path));
    LoadConfiguration();
    engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(3, path);
    db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("mvtool"), nullptr, std::move(currency));
    db->AttachEngine(engine);
}

OpenShop::~OpenShop()
{
    if (db) db->Close();
    if (engine) engine->Close();
}

std::unique_ptr<TableData> OpenShop::select(const QString& table, const QString& condition)
{
    return db->Tables().Item(table)->Select(condition);
}

bool openWorkingDatabase()
{
    LoadConfiguration();
    // As the program starts: a swap a crash interrupted is settled before the file is looked for.
    (void)DatabaseRepair::RecoverInterruptedSwap(WorkingDatabasePath(), settings().RootDir);
    if (!FileExists(WorkingDatabasePath())) {
        err(QStringLiteral("no working database at %1").arg(WorkingDatabasePath()));
        return false;
    }
    SetDatabaseDefinitionFactory([] { return std::make_shared<DB>(); });
    bool openedBefore = true;
    if (!InitDatabase(openedBefore)) return false;
    if (const QString notice = OpeningNotice(); !notice.isEmpty()) err(notice);
    return true;
}

}   // namespace mvtool
