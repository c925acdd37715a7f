#include "DatabaseFiles.h"
#include "SystemHelpers.h"

QString BuildFilePath(const QString& folder, const QString& fileName, const QString& extension) {
    // The same joining rule as the system helpers', so both agree on every path.
    return JoinPath(folder, fileName, extension);
}

QString WorkingDatabasePath() {
    return BuildFilePath(RootDir,
                         QString::fromLatin1(MaintenanceMode ? kMaintenanceDatabaseFileName : kDatabaseFileName),
                         QString());
}

QString BackupDatabasePath() {
    return BuildFilePath(BackupDir, QString::fromLatin1(kDatabaseFileName), QString());
}
