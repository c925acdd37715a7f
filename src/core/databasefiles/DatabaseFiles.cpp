#include "DatabaseFiles.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/seams/MainWindowServices.h"
#include "objdb/Notify.h"
#include "core/helpers/SystemHelpers.h"

QString BuildFilePath(const QString& folder, const QString& fileName, const QString& extension)
{
    // The same joining rule as the system helpers', so both agree on every path.
    return JoinPath(folder, fileName, extension);
}

QString WorkingDatabasePath()
{
    return BuildFilePath(
        settings().RootDir,
        QString::fromLatin1(settings().MaintenanceMode ? kMaintenanceDatabaseFileName : kDatabaseFileName), QString());
}

QString BackupDatabasePath()
{
    return BuildFilePath(settings().BackupDir, QString::fromLatin1(kDatabaseFileName), QString());
}

// ---- Database objects ---------------------------------------------------------------------------
std::shared_ptr<DBEngine> g_objDBEngine;
std::shared_ptr<Database> g_objDatabase;
std::shared_ptr<DBEngine> g_objBackupDBEngine;

void ApplyDatabaseSettings()
{
    if (!g_objDBEngine) return;
    g_objDBEngine->SetAccessMode(settings().AccessMode);
    g_objDBEngine->SetUseTransaction(settings().UseTransaction);
}

bool IsDatabaseOpen()
{
    if (!g_objDBEngine || !g_objDatabase) return false;
    return g_objDatabase->State() == Database::kOpen;
}

void ReleaseDatabaseObjects()
{
    g_objDatabase.reset();
    for (std::shared_ptr<DBEngine>* engine : {&g_objDBEngine, &g_objBackupDBEngine}) {
        if (!*engine) continue;
        try {
            (*engine)->Close();
        } catch (...) {
            // Released anyway: the next opening starts from nothing.
        }
        engine->reset();
    }
}

void ReleaseDatabase()
{
    if (MainWindowServices* mw = mainWindowServices()) {
        mw->ReleaseDatabase();
        return;
    }
    ReleaseDatabaseObjects();
}

namespace {
DatabaseDefinitionFactory& definitionFactory()
{
    static DatabaseDefinitionFactory f;
    return f;
}
}

void SetDatabaseDefinitionFactory(DatabaseDefinitionFactory factory) { definitionFactory() = std::move(factory); }

std::shared_ptr<itfDefDatabase> NewDatabaseDefinition()
{
    if (!definitionFactory())
        throw AppError::object(AppError::kGenericCode, AppTitle(),
                               QStringLiteral("Definizione del database non disponibile"));
    return definitionFactory()();
}

itfNotifyEvent* DatabaseNotifyTarget() { return dynamic_cast<itfNotifyEvent*>(mainWindowServices()); }

int WorkingCurrencyDecimals()
{
    if (g_objDatabase && g_objDatabase->GetCurrency()) return g_objDatabase->GetCurrency()->Decimals();
    return 0;
}

std::optional<QString> WorkingConversionCurrency()
{
    if (!g_objDatabase || !g_objDatabase->GetCurrency()) return std::nullopt;
    const auto conversion = g_objDatabase->ConversionCurrency();
    if (!conversion) return std::nullopt;
    return conversion->Name();
}

std::optional<int> WorkingAccessLevel()
{
    if (!g_objDatabase) return std::nullopt;
    return g_objDatabase->AccessLevel();
}
