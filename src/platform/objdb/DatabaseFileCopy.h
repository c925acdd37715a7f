#pragma once
// Whole database files: copied, moved and removed with the files SQLite keeps beside them.
//
// A database that may be open, or may have a write-ahead log beside it, holds committed rows
// that are not in its main file yet: a byte copy of the main file would silently lose them.
// Every whole-file copy therefore reads the database through SQLite (online backup, or
// VACUUM INTO for a compacting copy), and a file put in the place of another never meets the
// replaced file's log: that log is written into its own file before the move. Every function
// raises AppError with a message for the user.
#include <QString>
#include <QStringList>

namespace objdb {

enum class CopyKind {
    Snapshot,   // page by page, as the file stands with its log (online backup)
    Compacted,   // every table and index rebuilt, free pages dropped (VACUUM INTO)
};

// The companion files of a database: its write-ahead log, the log's index, the rollback journal.
QStringList DatabaseCompanions(const QString& databasePath);

// Copies the database at `from`, with every row committed so far (log included), to `to`.
// The copy is made beside `to` and takes its place only once complete, so a failure leaves
// `to` as it was. `from` is only read and nothing is left beside it.
void CopyDatabase(const QString& from, const QString& to, CopyKind kind = CopyKind::Snapshot);

// Moves a closed database file to `to` in one rename, over whatever stood there. A log beside
// either file is first written into its file (FoldLog), so that a kill at any moment loses no
// committed row: before the rename both files are whole, after it the new one is in place.
// A target still open elsewhere is refused.
void MoveDatabase(const QString& from, const QString& to);

// Writes the rows a log left beside a closed database holds into the file itself, through
// SQLite, and removes the log files. True when the file now stands alone (or had nothing
// beside it); false when SQLite cannot read the file, whose companions then stay as they are.
// Raises AppError when another connection still has the file open.
bool FoldLog(const QString& databasePath);

// Gives back the log files a move set aside from `databasePath` when a crash stopped it
// before the file was replaced, and drops those of a file that was replaced.
void RecoverReplacedLogs(const QString& databasePath);

// What was found of the write-ahead log beside a file about to be opened (SetAsideForeignLog).
struct LogCheck {
    QString setAside;   // where a log that is not the file's own now stands, kept; empty: none
    QString problems;   // what SQLite's quick check finds wrong in the file with its own log
};

// SQLite replays whatever log stands beside a file into it at the next opening, and a log
// names no file: another file's log put beside this one (a copy of the shop brought back
// beside a crashed program's log) would write that file's pages into the shop. Before a file
// is opened for writing, a log that cannot be its own (written with another page size, or one
// that makes a file reading whole without it fail SQLite's quick check) is renamed beside it
// ("<file>-wal.estraneo", then ".2", ...), with its index dropped, and never replayed. A log
// that may be the file's own stays; `problems` then tells when the file fails the quick check
// all the same. The file is only read here. Raises AppError when the log cannot be moved.
LogCheck SetAsideForeignLog(const QString& databasePath);

// Removes a database file with its companions; a missing file is no error.
void RemoveDatabase(const QString& path);

// How a connection that only reads opens a database file: it writes no row and leaves
// nothing beside the file. SQLite removes the log and its index only when a connection that
// may write closes last, so a reader of a file it may write (file and folder) opens it for
// writing and keeps to queries (PRAGMA query_only); any other reader opens it read-only and,
// where the log files cannot be made either (a folder the user may not write), reads the
// file as it stands, without them (ImmutableUri). True for the first kind.
bool ReaderMayOpenWritable(const QString& databasePath);

// The URI (opened with SQLITE_OPEN_URI, read-only) that reads the file as it stands,
// without its log files.
QString ImmutableUri(const QString& databasePath);

}   // namespace objdb
