#pragma once
// The save and restore of data between the working database ("Mirtavolia.mdb" in RootDir)
// and the backup database (the file of that name in BackupDir).
//
// Every row travels through the library's row copy (same OID, owned lines along, no row
// rule run), so stock and points stay as they are in both files. The backup file is opened
// at the start of each run and closed at its end.
//
// Crash safety. Each table's copy and each table's deletion is one library operation, so a
// crash leaves it whole or undone. A save (or restore) that deletes at the origin first
// writes a move journal beside the origin file naming the rows it will delete, and removes
// it once they are gone; Recover() finishes such a move after a crash (rows are copied again
// and only then deleted), so that every document ends in exactly one of the two files.
// The rows deleted at the origin are exactly those that were copied, by OID: the period is
// not looked up a second time. A deletion that fails (disk full, I/O error) deletes nothing
// and keeps the journal, so the recovery finishes the move; the operator is told so.
#include <QDate>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class Database;
class DBEngine;
class TableData;
class itfNotifyEvent;
class itfProgress;

// What one run copies (the eight parameters of the main window's BackupRestoreData).
struct BackupRequest {
    bool restore = false;   // False: working -> backup; True: backup -> working
    bool allData = false;   // every table whole; the fields below but `automatic` unused
    std::optional<QDate> from;   // first day, inclusive; empty: from the beginning
    QDate to;   // last day, inclusive
    bool deleteAtOrigin = false;   // delete the copied supplies, receipts and sales at the origin
    bool copyArticoli = false;   // copy the whole Articoli table too
    bool copyRelated = false;   // related rows of the copied ones are updated in the destination
    bool automatic = false;   // no question and no final message box
};

// What the save/restore dialog hands to the save and restore commands: the copy, or the
// maintenance move of the whole database file instead.
struct BackupChoice {
    BackupRequest request;
    bool moveArchive = false;
};

// Where a run shows what it is doing: the progress window in the program (OperationWindows).
class BackupProgress {
public:
    virtual ~BackupProgress() = default;
    virtual void Show(const QString& text) = 0;
    virtual itfProgress* Target() = 0;   // the library's progress sink; may be null
    virtual void Close() = 0;
};

class BackupRestore {
public:
    enum class Outcome {
        Refused,   // a folder or file check failed (told to the operator); nothing opened
        Cancelled,   // the operator said No before anything changed
        Completed,   // "Operazione completata"
        Stopped,   // a copy or a deletion was stopped or reported failure; no dates stored
        Failed   // an error, reported through ShowErrorDetails
    };

    // The working database (open), the two configured folders, where progress goes and the
    // library's notification sink for the backup database.
    struct Setup {
        std::shared_ptr<Database> working;
        std::shared_ptr<DBEngine> workingEngine;
        QString rootDir;
        QString backupDir;
        BackupProgress* progress = nullptr;
        itfNotifyEvent* sink = nullptr;
    };

    explicit BackupRestore(Setup setup);
    ~BackupRestore();
    BackupRestore(const BackupRestore&) = delete;
    BackupRestore& operator=(const BackupRestore&) = delete;

    Outcome Run(const BackupRequest& request);

    // Finishes the moves a crash interrupted, beside the working file and beside the backup
    // file. Nothing when no journal is found. Errors are raised to the caller; the journal
    // then stays for the next attempt. Returns the number of moves finished.
    int Recover();

    QString BackupPath() const;
    // The working file and the backup file must be two files: refused when the backup
    // folder is unset, is the working folder under any spelling (trailing separator, letter
    // case, links), or holds the very working file (a hard link, a bind mount). The warning
    // shown is left in `refusal`.
    bool FilesAllowed(QString* refusal) const;

    // The condition of a period on `dateField`: "F < #upper#" or "F >= #from# AND F < #upper#",
    // upper being the day after `to`, dates month first; completed documents add " AND Completato".
    static QString PeriodCondition(const QString& dateField, const std::optional<QDate>& from, const QDate& to,
                                   bool completedOnly);
    // "fino al 31/01/2007" or "dal 01/01/2007 al 31/01/2007".
    static QString PeriodText(const std::optional<QDate>& from, const QDate& to);
    // The journal beside a database file.
    static QString JournalPath(const QString& databasePath);

private:
    struct Session;
    Setup m_setup;
};

// The main window's BackupRestoreData over the program's globals: the working database of
// g_objDatabase and g_objDBEngine, RootDir and BackupDir, and `progress`, by default the
// progress window of the installed OperationWindows (none shown without them). Nothing when
// no database is open.
BackupRestore::Outcome BackupRestoreData(bool restore, bool allData, const std::optional<QDate>& from, const QDate& to,
                                         bool deleteAtOrigin, bool copyArticoli, bool copyRelated, bool automatic);
BackupRestore::Outcome BackupRestoreData(const BackupRequest& request, BackupProgress* progress = nullptr);
// The recovery of interrupted moves on the program's open working database, for the main
// window to run once the database is open; errors are reported, never raised. The number of
// moves finished.
int RecoverInterruptedBackupMoves();
// The same at the program's start, once the working database is open and before any window
// shows its rows (which the move may still delete): when a move was finished, the status bar
// says so.
int FinishInterruptedBackupMovesAtStart();
// "Completato lo spostamento dei dati interrotto" (one move) or "Completati N spostamenti dei dati interrotti".
QString FinishedMovesMessage(int finished);
