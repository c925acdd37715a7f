#pragma once
// The fixed database file names and the path helper every opener of a database file uses.
// g_bBackupArchiveMode and g_nDBOpenMode are declared in Configuration.h.
#include "Configuration.h"
#include <QString>

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
