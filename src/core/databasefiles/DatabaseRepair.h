#pragma once
// Repair of a database file: SQLite's integrity check and a compacting copy (VACUUM INTO)
// to a new file, which is checked again and opened once through the library (so its tables
// are declared or upgraded) before it takes the original's place. The original is first
// copied aside (through SQLite), then the new file takes its name in one rename, and only
// then the copy is deleted: the working name never stands empty, a failure at any step
// leaves the original file in place and removes the new one, and a crash leaves either file
// whole under the working name.
#include <QString>
#include <functional>

// What the operator reads of a log that was not the file's own, set aside at `setAsidePath`
// (objdb::SetAsideForeignLog).
QString ForeignLogNotice(const QString& setAsidePath);

// What the options' repair command shows and asks while the files are repaired.
struct RepairSteps {
    std::function<void(const QString& message)> show;   // the step under way
    std::function<void()> releaseDatabase;   // once, before the first file is touched
    std::function<bool()> confirmBackup;   // "Vuoi recuperare anche il Database di Backup ?"
};

class DatabaseRepair {
public:
    // Opens a repaired file once through the database library and releases it again.
    using OpenCheck = std::function<void(const QString& path)>;

    struct Result {
        qint64 sizeBefore = 0;
        qint64 sizeAfter = 0;
        QString integrityBefore;   // "ok" or SQLite's list of problems of the original
        QString leftover;   // a set-aside original that could not be deleted (rare)
        QString foreignLog;   // where a log that was not the file's own was set aside
    };

    // openCheck null: the library with the program's database definition.
    explicit DatabaseRepair(OpenCheck openCheck = nullptr);

    // "Mirtavolia.mdb.NEW" in `folder` (the same name in maintenance mode).
    static QString TemporaryPath(const QString& folder);
    // The copy of the original kept while the repaired file moves in: its path + "._".
    static QString SetAsidePath(const QString& databasePath);

    // Settles a swap of database files that a crash interrupted at `databasePath` (`folder`:
    // where its repair makes the temporary file). With no file under the working name, the
    // first whole database among what a repair leaves (the original set aside, the repaired
    // copy) goes back under it; nothing is ever deleted here. Logs a move set aside are given
    // back or dropped (objdb::RecoverReplacedLogs). Returns the file put back, or empty.
    // Raises AppError when a file cannot be moved.
    static QString RecoverInterruptedSwap(const QString& databasePath, const QString& folder);

    // Repairs the file at `databasePath`, using `folder` for the temporary file. The caller
    // has released every engine on the file. A log beside it that is not its own is set aside
    // first, never replayed. Raises AppError; the original is then intact.
    // A file the program may not write is refused: a repair never puts a writable copy in
    // the place of a read-only file, and the repaired file keeps the original's permissions.
    Result Repair(const QString& databasePath, const QString& folder);

    // The options' repair command once the operator agreed: the working database of
    // `workDir` ("MirtavoliaMaintenance.mdb" in maintenance mode) when it exists, then the
    // backup database of `backupDir` (empty: not offered) when it exists and the operator
    // confirms. Raises AppError at the first failure; what was repaired stays repaired.
    void RepairFiles(const QString& workDir, const QString& backupDir, bool maintenanceMode, const RepairSteps& steps);

    // The default OpenCheck: a new engine opened on `path` as InitDatabase opens, a database
    // object with a new definition attached to it, then both released.
    static void OpenThroughLibrary(const QString& path);

    // "ok", or the problems PRAGMA integrity_check lists, one a line. Raises AppError when the
    // file cannot be opened as a database.
    static QString IntegrityCheck(const QString& path);

private:
    OpenCheck m_openCheck;
};
