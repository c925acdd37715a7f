#include "DatabaseFileCopy.h"
#include "base/AppError.h"
#include "base/FileOps.h"
#include "ObjDbError.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>

namespace objdb {

namespace {

const QString kSource = QStringLiteral("Archivio");
constexpr int32_t kFileAccessError = 75;
constexpr int kBusyWaitMs = 30000;
const char* const kCompanionSuffixes[] = {"-wal", "-shm", "-journal"};

[[noreturn]] void fileFailure(const QString& what)
{
    const QString reason = fileOps().lastError();
    throw AppError(kFileAccessError, kSource, reason.isEmpty() ? what : what + QStringLiteral(": ") + reason);
}

// The file's number on its file system (its inode), 0 when there is no such file: it stays
// with the file through a rename, and a file put in its place has another.
qint64 fileNumber(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_ino) : 0;
}

void removeFile(const QString& path)
{
    if (!fileOps().remove(path)) fileFailure(QStringLiteral("Impossibile eliminare il file < %1 >").arg(path));
}

[[noreturn]] void storageFailure(sqlite3* db, int rc, const QString& what)
{
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
    const ErrorCode code = (rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT ? NotADatabase : SqlFailed;
    throw objdb::error(code, kSource,
                       what + QStringLiteral(": ") + storageErrorText(rc, message, db ? sqlite3_system_errno(db) : 0));
}

// One SQLite connection on a file, closed on every road out.
class Connection {
public:
    // `shown`: the name the user knows the file by.
    Connection(const QString& path, int flags, const QString& shown)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
            const int systemError = m_db ? sqlite3_system_errno(m_db) : 0;
            sqlite3_close_v2(m_db);
            throw objdb::error(SqlFailed, kSource,
                               QStringLiteral("Impossibile aprire il database < %1 >: %2")
                                   .arg(shown, storageErrorText(rc, message, systemError)));
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, kBusyWaitMs);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return m_db; }

    // Runs one statement to its end; `what` names the work for the user when it fails.
    void exec(const char* sql, const QString& what, const QString& bound = QString())
    {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr);
        if (rc == SQLITE_OK && !bound.isNull()) {
            const QByteArray b = bound.toUtf8();
            rc = sqlite3_bind_text(st, 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        }
        if (rc == SQLITE_OK)
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) { }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE && rc != SQLITE_OK) storageFailure(m_db, sqlite3_extended_errcode(m_db), what);
    }

private:
    sqlite3* m_db = nullptr;
};

// The source of a copy, opened as every reader opens a database (ReaderMayOpenWritable);
// `queryOnly`: a writable opening is kept to queries.
std::unique_ptr<Connection> openSource(const QString& path, bool queryOnly, const QString& what)
{
    if (ReaderMayOpenWritable(path)) {
        auto c = std::make_unique<Connection>(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, path);
        if (queryOnly) c->exec("PRAGMA query_only=1", what);
        return c;
    }
    auto c = std::make_unique<Connection>(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, path);
    // Where the log files cannot be made (a folder the user may not write) the file is read
    // as it stands, without them.
    if (sqlite3_exec(c->handle(), "PRAGMA schema_version", nullptr, nullptr, nullptr) != SQLITE_OK
        && (sqlite3_extended_errcode(c->handle()) & 0xff) == SQLITE_CANTOPEN) {
        c.reset();
        c = std::make_unique<Connection>(ImmutableUri(path),
                                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, path);
    }
    return c;
}

void backup(Connection& source, Connection& target, const QString& what)
{
    sqlite3_backup* b = sqlite3_backup_init(target.handle(), "main", source.handle(), "main");
    if (!b) storageFailure(target.handle(), sqlite3_extended_errcode(target.handle()), what);
    QElapsedTimer waited;
    waited.start();
    int rc;
    // One step: the whole copy is read in one read transaction, a consistent snapshot.
    while ((rc = sqlite3_backup_step(b, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (waited.elapsed() > kBusyWaitMs) break;
        sqlite3_sleep(50);
    }
    const int finish = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        storageFailure(target.handle(), finish != SQLITE_OK ? sqlite3_extended_errcode(target.handle()) : rc, what);
}

}   // namespace

QStringList DatabaseCompanions(const QString& databasePath)
{
    QStringList out;
    for (const char* suffix : kCompanionSuffixes) out << databasePath + QLatin1String(suffix);
    return out;
}

bool ReaderMayOpenWritable(const QString& databasePath)
{
    const QFileInfo file(databasePath);
    return file.isFile() && fileOps().isWritable(databasePath) && fileOps().isWritable(file.absolutePath());
}

QString ImmutableUri(const QString& databasePath)
{
    return QUrl::fromLocalFile(QFileInfo(databasePath).absoluteFilePath()).toString(QUrl::FullyEncoded)
        + QStringLiteral("?immutable=1");
}

void CopyDatabase(const QString& from, const QString& to, CopyKind kind)
{
    if (!QFileInfo(from).isFile())
        throw AppError(AppError::kFileNotFound, kSource, QStringLiteral("Il database < %1 > non esiste").arg(from));
    const QString partial = to + QStringLiteral(".tmp");
    RemoveDatabase(partial);
    try {
        {
            const QString what = QStringLiteral("Impossibile copiare il database < %1 > in < %2 >").arg(from, to);
            // VACUUM INTO counts as a write to the query-only guard, though it only reads its source.
            const std::unique_ptr<Connection> source = openSource(from, kind == CopyKind::Snapshot, what);
            if (kind == CopyKind::Compacted) {
                source->exec("VACUUM INTO ?", what, partial);
            } else {
                Connection target(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, to);
                backup(*source, target, what);
            }
        }
        // A file put in another's place takes its mode: a copy is no reason for a file to
        // change who may read or write it.
        struct stat replaced { };
        if (::stat(QFile::encodeName(to).constData(), &replaced) == 0 && S_ISREG(replaced.st_mode)
            && ::chmod(QFile::encodeName(partial).constData(), replaced.st_mode & 07777) != 0)
            throw AppError(kFileAccessError, kSource,
                           QStringLiteral("Impossibile impostare i permessi del file < %1 >").arg(to));
        try {
            MoveDatabase(partial, to);
        } catch (const AppError&) {
            // The user knows nothing of the partial file: the failure names the copy.
            fileFailure(QStringLiteral("Impossibile scrivere il file < %1 >").arg(to));
        }
    } catch (...) {
        try {
            RemoveDatabase(partial);
        } catch (const AppError&) {
            // The first failure is the one the user must read.
        }
        throw;
    }
}

void MoveDatabase(const QString& from, const QString& to)
{
    if (!fileOps().exists(from))
        throw AppError(AppError::kFileNotFound, kSource, QStringLiteral("Il file < %1 > non esiste").arg(from));
    RecoverReplacedLogs(to);
    // Both files hold every committed row in themselves before anything moves, so that the one
    // rename below is the whole move: a kill before it leaves both files as they were, a kill
    // after it leaves the new file in place, and no row ever waits in a log under a name that
    // is about to change.
    const bool fromFolded = FoldLog(from);
    (void)FoldLog(to);
    // What is left beside the target belongs to a file SQLite cannot read, or to no file at all:
    // it must never meet the file put in its place. It waits under a name that tells which
    // file it belongs to, so that a kill before the rename gives it back (RecoverReplacedLogs).
    const QString tag = QStringLiteral(".replaced-") + QString::number(fileNumber(to));
    QStringList setAside;
    try {
        for (const QString& stale : DatabaseCompanions(to)) {
            if (!fileOps().exists(stale)) continue;
            removeFile(stale + tag);
            if (!fileOps().rename(stale, stale + tag))
                fileFailure(QStringLiteral("Impossibile spostare il file < %1 >").arg(stale));
            setAside << stale;
        }
        if (!fileOps().rename(from, to))
            fileFailure(QStringLiteral("Impossibile spostare il file < %1 > in < %2 >").arg(from, to));
    } catch (const AppError&) {
        for (const QString& stale : setAside) fileOps().rename(stale + tag, stale);
        throw;
    }
    for (const QString& stale : setAside) fileOps().remove(stale + tag);
    if (fromFolded) return;
    // A file SQLite cannot read takes what lies beside it along.
    const QStringList fromCompanions = DatabaseCompanions(from);
    const QStringList toCompanions = DatabaseCompanions(to);
    for (int i = 0; i < fromCompanions.size(); ++i) {
        if (!fileOps().exists(fromCompanions[i])) continue;
        if (!fileOps().rename(fromCompanions[i], toCompanions[i]))
            fileFailure(QStringLiteral("Impossibile spostare il file < %1 >").arg(fromCompanions[i]));
    }
}

bool FoldLog(const QString& databasePath)
{
    const QStringList companions = DatabaseCompanions(databasePath);
    if (std::none_of(companions.begin(), companions.end(), [](const QString& c) { return fileOps().exists(c); }))
        return true;
    if (!QFileInfo(databasePath).isFile() || !ReaderMayOpenWritable(databasePath)) return false;
    const QString what = QStringLiteral("Impossibile completare il database < %1 >").arg(databasePath);
    {
        // Read first by a connection that cannot write: one that may would drop, on closing,
        // a log SQLite finds no use for, and of a file it cannot read nothing may be lost.
        Connection probe(databasePath, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, databasePath);
        if (sqlite3_exec(probe.handle(), "PRAGMA schema_version", nullptr, nullptr, nullptr) != SQLITE_OK) {
            const int rc = sqlite3_extended_errcode(probe.handle()) & 0xff;
            if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) return false;
            storageFailure(probe.handle(), sqlite3_extended_errcode(probe.handle()), what);
        }
    }
    {
        // The first read applies the log (or rolls back a journal left hot); the checkpoint
        // writes the log's pages into the file, and the last connection to close removes it.
        Connection c(databasePath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, databasePath);
        c.exec("PRAGMA schema_version", what);
        c.exec("PRAGMA wal_checkpoint(TRUNCATE)", what);
    }
    // A log the close did not remove is held by another connection: its file is in use.
    if (fileOps().exists(databasePath + QStringLiteral("-wal")))
        throw AppError(kFileAccessError, kSource,
                       QStringLiteral("Il database < %1 > è in uso da un'altra applicazione.").arg(databasePath));
    // What is left (an index without its log, a journal that is not hot) holds no row.
    for (const QString& c : companions)
        if (fileOps().exists(c)) removeFile(c);
    return true;
}

void RecoverReplacedLogs(const QString& databasePath)
{
    const qint64 current = fileNumber(databasePath);
    for (const QString& companion : DatabaseCompanions(databasePath)) {
        const QFileInfo info(companion);
        const QString prefix = info.fileName() + QStringLiteral(".replaced-");
        const QStringList found = QDir(info.absolutePath()).entryList({prefix + u'*'}, QDir::Files | QDir::Hidden);
        for (const QString& name : found) {
            bool ok = false;
            const qint64 owner = name.mid(prefix.size()).toLongLong(&ok);
            if (!ok) continue;
            const QString path = info.absolutePath() + u'/' + name;
            // The file it was set aside from is still there: the move did not happen.
            if (owner != 0 && owner == current && !fileOps().exists(companion)) {
                if (!fileOps().rename(path, companion))
                    fileFailure(QStringLiteral("Impossibile spostare il file < %1 >").arg(path));
            } else {
                removeFile(path);
            }
        }
    }
}

namespace {

constexpr qint64 kLogHeaderSize = 32;
constexpr qint64 kFileHeaderSize = 100;

quint32 bigEndian(const QByteArray& bytes, int at, int size)
{
    quint32 v = 0;
    for (int i = 0; i < size; ++i) v = (v << 8) | quint8(bytes[at + i]);
    return v;
}

QByteArray head(const QString& path, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(size) : QByteArray();
}

// SQLite's quick check of the file as a reader that writes nothing sees it: "" when sound, else
// its findings (or why the file does not read), one a line. `uri`: the file named by a URI.
QString quickCheck(const QString& name, bool uri, const QString& shown)
{
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | (uri ? SQLITE_OPEN_URI : 0);
    int rc = sqlite3_open_v2(QFile::encodeName(name).constData(), &db, flags, nullptr);
    QStringList found;
    if (rc == SQLITE_OK) {
        // A reader never writes the log into the file, even when it closes last.
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_busy_timeout(db, kBusyWaitMs);
        sqlite3_stmt* st = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
                found << QString::fromUtf8(text ? text : "");
            }
            if (rc == SQLITE_DONE) rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
    }
    if (rc != SQLITE_OK) {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        // Only what the file holds decides; a file busy or out of reach is told as it is.
        if ((code & 0xff) != SQLITE_CORRUPT && (code & 0xff) != SQLITE_NOTADB) {
            const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
            const int systemError = db ? sqlite3_system_errno(db) : 0;
            sqlite3_close_v2(db);
            throw objdb::error(SqlFailed, kSource,
                               QStringLiteral("Impossibile controllare il database < %1 >: %2")
                                   .arg(shown, storageErrorText(code, message, systemError)));
        }
        found = QStringList {storageErrorText(code)};
    }
    sqlite3_close_v2(db);
    return found == QStringList {QStringLiteral("ok")} ? QString() : found.join(u'\n');
}

}   // namespace

LogCheck SetAsideForeignLog(const QString& databasePath)
{
    LogCheck r;
    const QString log = databasePath + QStringLiteral("-wal");
    const QFileInfo logInfo(log);
    // Where the log cannot be moved nor its index made, the file is not opened for writing either.
    if (!logInfo.isFile() || logInfo.size() < kLogHeaderSize || !ReaderMayOpenWritable(databasePath)) return r;
    // A log without its magic number holds no frame SQLite would replay.
    const QByteArray logHeader = head(log, kLogHeaderSize);
    if (logHeader.size() < kLogHeaderSize || (bigEndian(logHeader, 0, 4) & ~1u) != 0x377f0682u) return r;
    const quint32 logPageSize = bigEndian(logHeader, 8, 4);
    const QByteArray fileHeader = head(databasePath, kFileHeaderSize);
    quint32 filePageSize = 0;
    if (fileHeader.size() == kFileHeaderSize && fileHeader.startsWith(QByteArray("SQLite format 3\0", 16))) {
        filePageSize = bigEndian(fileHeader, 16, 2);
        if (filePageSize == 1) filePageSize = 65536;
    }
    bool foreign = filePageSize != 0 && filePageSize != logPageSize;
    if (!foreign) {
        r.problems = quickCheck(databasePath, false, databasePath);
        // Broken with the log, whole without it: the log is what breaks it.
        if (!r.problems.isEmpty() && quickCheck(ImmutableUri(databasePath), true, databasePath).isEmpty()) {
            foreign = true;
            r.problems.clear();
        }
    }
    if (!foreign) return r;
    QString aside = log + QStringLiteral(".estraneo");
    for (int n = 2; fileOps().exists(aside); ++n) aside = log + QStringLiteral(".estraneo.") + QString::number(n);
    if (!fileOps().rename(log, aside)) fileFailure(QStringLiteral("Impossibile spostare il file < %1 >").arg(log));
    // The index describes the log just moved: SQLite rebuilds it from the file alone.
    removeFile(databasePath + QStringLiteral("-shm"));
    r.setAside = aside;
    return r;
}

void RemoveDatabase(const QString& path)
{
    removeFile(path);
    for (const QString& c : DatabaseCompanions(path)) removeFile(c);
}

}   // namespace objdb
