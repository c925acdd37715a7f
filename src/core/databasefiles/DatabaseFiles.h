#pragma once
// The fixed database file names, the path helper every opener of a database file uses, and
// the program-wide database objects.
// g_bBackupArchiveMode and g_nDBOpenMode are declared in Configuration.h.
#include "core/configuration/Configuration.h"
#include <QString>
#include <functional>
#include <memory>
#include <optional>

inline constexpr const char* kDatabaseFileName = "Mirtavolia.mdb";
inline constexpr const char* kMaintenanceDatabaseFileName = "MirtavoliaMaintenance.mdb";
// The open mode InitDatabase sets before it creates or opens a file.
inline constexpr int32_t kDefaultDBOpenMode = 3;

// FileName with everything from its first "." replaced by "." + extension (when the
// extension is given), after folder and a separator (when the folder is given and does not
// end with "\" or "/"). An empty folder gives the bare name.
QString BuildFilePath(const QString& folder, const QString& fileName, const QString& extension);

// The working database: "Mirtavolia.mdb", or "MirtavoliaMaintenance.mdb" in maintenance
// mode, in RootDir.
QString WorkingDatabasePath();
// The backup database: "Mirtavolia.mdb" in BackupDir.
QString BackupDatabasePath();

// ---- The database objects every window uses -------------------------------------------------

class DBEngine;
class Database;
class itfDefDatabase;
class itfNotifyEvent;

// The working database's engine and database object: empty until InitDatabase opens the
// file, emptied again by ReleaseDatabase.
extern std::shared_ptr<DBEngine> g_objDBEngine;
extern std::shared_ptr<Database> g_objDatabase;
// The backup archive's engine, opened by the first move of a document to the archive and
// kept open until the working database is released.
extern std::shared_ptr<DBEngine> g_objBackupDBEngine;

// Hands AccessMode and then UseTransaction to the engine; nothing without an engine.
void ApplyDatabaseSettings();
// Both objects exist and the database is open.
bool IsDatabaseOpen();

// What a window needs to know of the open working database without reaching into the
// database library. The decimals of its money (0 with no database or no currency); the
// name of the currency amounts may be converted to (none without one); the operator's
// access level (none with no database).
int WorkingCurrencyDecimals();
std::optional<QString> WorkingConversionCurrency();
std::optional<int> WorkingAccessLevel();

// Empties g_objDatabase and closes and empties both engines; errors are ignored.
void ReleaseDatabaseObjects();
// The main window's ReleaseDatabase when one is registered (it also empties its grid),
// else ReleaseDatabaseObjects.
void ReleaseDatabase();

// A new definition of the shop database for each opening. The data layer sits above the
// core, so the program registers the factory at start (the executable, mvtool, tests).
using DatabaseDefinitionFactory = std::function<std::shared_ptr<itfDefDatabase>()>;
void SetDatabaseDefinitionFactory(DatabaseDefinitionFactory factory);
// Raises AppError when no factory is registered.
std::shared_ptr<itfDefDatabase> NewDatabaseDefinition();
// The library's notification target: the registered main window when it serves
// itfNotifyEvent, else none.
itfNotifyEvent* DatabaseNotifyTarget();
