#include "DatabaseRepair.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/DatabaseFileCopy.h"
#include "objdb/ObjDbError.h"
#include "DatabaseFiles.h"
#include "base/FileOps.h"
#include "core/helpers/SystemHelpers.h"
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {
const QString kSource = QStringLiteral("DatabaseRepair");
constexpr int32_t kRepairFailed = 1001;

[[noreturn]] void fail(const QString& text) { throw AppError::object(kRepairFailed, kSource, text); }

// One SQLite connection, closed on every road out.
class SqliteFile {
public:
    explicit SqliteFile(const QString& path)
    {
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK) {
            const QString why = reason(rc);
            close();
            fail(QStringLiteral("Impossibile aprire il database < %1 >: %2").arg(path, why));
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~SqliteFile() { close(); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // The rows' first column of `sql`.
    QStringList query(const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) raise();
        QStringList rows;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            rows << QString::fromUtf8(text ? text : "");
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) raise();
        return rows;
    }

    // SQLite opens a file the system will not let it write for reading only, silently.
    bool readOnly() const { return sqlite3_db_readonly(m_db, "main") == 1; }

    void close()
    {
        if (m_db) sqlite3_close_v2(m_db);
        m_db = nullptr;
    }

private:
    // SQLite's failure in the operator's words.
    QString reason(int rc) const
    {
        if (!m_db) return objdb::storageErrorText(rc);
        return objdb::storageErrorText(sqlite3_extended_errcode(m_db), QString::fromUtf8(sqlite3_errmsg(m_db)),
                                       sqlite3_system_errno(m_db));
    }
    [[noreturn]] void raise() { fail(reason(SQLITE_ERROR)); }
    sqlite3* m_db = nullptr;
};

qint64 sizeOf(const QString& path) { return QFileInfo(path).size(); }

// A write-ahead log left beside a closed file means another program still has it open
// (the last connection to close removes it): moving files under it would lose its changes.
void ensureNoLog(const QString& path)
{
    const QString wal = path + QStringLiteral("-wal");
    if (QFileInfo::exists(wal) && sizeOf(wal) > 0)
        fail(QStringLiteral("Il database < %1 > è in uso da un'altra applicazione.").arg(path));
    fileOps().remove(wal);
    fileOps().remove(path + QStringLiteral("-shm"));
}

// SQLite reads the file as a database with its tables.
bool readableDatabase(const QString& path)
{
    try {
        SqliteFile c(path);
        return !c.query("SELECT count(*) FROM sqlite_master").isEmpty();
    } catch (const AppError&) {
        return false;
    }
}

void removeQuietly(const QString& path)
{
    try {
        objdb::RemoveDatabase(path);
    } catch (const AppError&) { }
}
}

QString ForeignLogNotice(const QString& setAsidePath)
{
    return QStringLiteral("Il registro delle modifiche accanto al database era di un altro file: non è stato applicato "
                          "ed è conservato in < %1 >")
        .arg(setAsidePath);
}

DatabaseRepair::DatabaseRepair(OpenCheck openCheck)
    : m_openCheck(openCheck ? std::move(openCheck) : OpenCheck(&DatabaseRepair::OpenThroughLibrary))
{ }

QString DatabaseRepair::TemporaryPath(const QString& folder)
{
    return BuildFilePath(folder, QString::fromLatin1(kDatabaseFileName) + QStringLiteral(".NEW"), QString());
}

QString DatabaseRepair::SetAsidePath(const QString& databasePath) { return databasePath + QStringLiteral("._"); }

QString DatabaseRepair::IntegrityCheck(const QString& path)
{
    SqliteFile c(path);
    return c.query("PRAGMA integrity_check").join(u'\n');
}

DatabaseRepair::Result DatabaseRepair::Repair(const QString& databasePath, const QString& folder)
{
    Result r;
    const QString temp = TemporaryPath(folder);
    const QString aside = SetAsidePath(databasePath);
    // A swap a crash interrupted is settled first: the leftovers below may be all there is.
    (void)RecoverInterruptedSwap(databasePath, folder);
    if (!fileOps().isWritable(databasePath))
        fail(QStringLiteral("Il database < %1 > è in sola lettura: non può essere recuperato.").arg(databasePath));
    r.foreignLog = objdb::SetAsideForeignLog(databasePath).setAside;
    r.sizeBefore = sizeOf(databasePath);
    if (fileOps().exists(temp) && !fileOps().remove(temp))
        fail(QStringLiteral("Impossibile eliminare il file < %1 >: %2").arg(temp, fileOps().lastError()));

    try {
        {
            SqliteFile source(databasePath);
            if (source.readOnly())
                fail(QStringLiteral("Il database < %1 > è in sola lettura: non può essere recuperato.")
                         .arg(databasePath));
            r.integrityBefore = source.query("PRAGMA integrity_check").join(u'\n');
        }
        // The compacting copy rebuilds every table and index page by page; rows a damaged
        // index hides are read from their tables.
        objdb::CopyDatabase(databasePath, temp, objdb::CopyKind::Compacted);
        ensureNoLog(databasePath);

        const QString check = IntegrityCheck(temp);
        if (check != QStringLiteral("ok")) fail(QStringLiteral("Il database recuperato non è integro:\r") + check);
        m_openCheck(temp);
        ensureNoLog(temp);
        // The repaired file takes the original's place with the original's mode, bit for bit:
        // Qt's permission flags would add the owner's write bit to a read-only file whenever
        // the user may write it all the same (an administrator) and drop the set-group bit.
        struct stat original { };
        if (::stat(QFile::encodeName(databasePath).constData(), &original) != 0
            || ::chmod(QFile::encodeName(temp).constData(), original.st_mode & 07777) != 0)
            fail(QStringLiteral("Impossibile impostare i permessi del file < %1 >").arg(temp));
    } catch (...) {
        removeQuietly(temp);
        throw;
    }

    // The original is kept as a copy read through SQLite before the repaired file takes its
    // place in one rename: at no moment does the working name stand empty, and the copy is
    // never the only one.
    try {
        removeQuietly(aside);
        objdb::CopyDatabase(databasePath, aside);
        objdb::MoveDatabase(temp, databasePath);
    } catch (const AppError& e) {
        removeQuietly(temp);
        removeQuietly(aside);
        fail(QStringLiteral("Impossibile sostituire il database < %1 >: %2").arg(databasePath, e.description));
    }
    try {
        objdb::RemoveDatabase(aside);
    } catch (const AppError&) {
        r.leftover = aside;
    }
    r.sizeAfter = sizeOf(databasePath);
    return r;
}

QString DatabaseRepair::RecoverInterruptedSwap(const QString& databasePath, const QString& folder)
{
    objdb::RecoverReplacedLogs(databasePath);
    if (fileOps().exists(databasePath)) return QString();
    // Where a repair leaves the shop while the working name is empty: the original set aside,
    // then the repaired copy once renamed for the swap, then the repaired copy as made. Each
    // is whole (a copy takes its name only once complete); the first one SQLite can read
    // goes back under the working name, and none is deleted.
    QStringList candidates {SetAsidePath(databasePath)};
    if (QFileInfo(databasePath).fileName() == QLatin1String(kDatabaseFileName)) {
        const QString temp = TemporaryPath(folder.isEmpty() ? QFileInfo(databasePath).absolutePath() : folder);
        candidates << SetAsidePath(temp) << temp;
    }
    for (const QString& candidate : candidates) {
        if (!fileOps().exists(candidate) || !readableDatabase(candidate)) continue;
        objdb::MoveDatabase(candidate, databasePath);
        return candidate;
    }
    return QString();
}

void DatabaseRepair::RepairFiles(const QString& workDir, const QString& backupDir, bool maintenanceMode,
                                 const RepairSteps& steps)
{
    // Every engine is closed before any file is touched, the backup archive's included.
    bool released = false;
    auto release = [&] {
        if (!released && steps.releaseDatabase) steps.releaseDatabase();
        released = true;
    };
    auto show = [&](const QString& message) {
        if (steps.show) steps.show(message);
    };
    show(QStringLiteral("Controlli..."));
    const QString name = QString::fromLatin1(maintenanceMode ? kMaintenanceDatabaseFileName : kDatabaseFileName);
    const QString path = BuildFilePath(workDir, name, QString());
    if (!workDir.trimmed().isEmpty()) (void)RecoverInterruptedSwap(path, workDir);
    if (!workDir.trimmed().isEmpty() && FileExists(path)) {
        release();
        show(QStringLiteral("Ripristino Database in corso..."));
        Repair(path, workDir);
    }
    const QString backupPath = BuildFilePath(backupDir, QString::fromLatin1(kDatabaseFileName), QString());
    if (backupDir.trimmed().isEmpty()) return;
    (void)RecoverInterruptedSwap(backupPath, backupDir);
    if (!FileExists(backupPath)) return;
    if (!steps.confirmBackup || !steps.confirmBackup()) return;
    release();
    show(QStringLiteral("Ripristino Database di Backup in corso..."));
    Repair(backupPath, backupDir);
}

void DatabaseRepair::OpenThroughLibrary(const QString& path)
{
    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(kDefaultDBOpenMode, path, 0, 0, nullptr, 5, 0, true, true, 0, -2);
    {
        auto database
            = LibraryGlobal::NewDatabase(NewDatabaseDefinition(), AppExeName(), DatabaseNotifyTarget(), nullptr, 0);
        database->AttachEngine(engine, true, -1, -1, 0, nullptr);
        database->Close();
    }
    engine->Close();
}
