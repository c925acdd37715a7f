#pragma once
// Rows left unfinished. A table may name a Boolean field that marks its rows finished (a
// document's "Completato", TableIdentity::CompletionField): a row stored while that field is
// False is noted in the file, with the process that stored it, in the very operation that
// stores the row; the note goes in the operation that stores the row finished, or deletes
// it. A process that dies (killed, a power cut) leaves its notes behind, and whoever opens
// the file next tells them from the notes of a process still at work, on this computer or
// on another one sharing the file, and undoes them.
//
// The notes live in the file's own table _objdb_open, which no copy of rows carries.
#include <QDateTime>
#include <QString>
#include <vector>

class Database;
class SqlConnection;

namespace objdb {

struct TableSchema;

// A process as another one on the same computer can recognise it later: the computer, the
// boot of its system, the process id and the moment the process started (a process id comes
// back after a while, the pair does not).
struct ProcessOwner {
    QString computer;
    QString bootId;
    qint64 pid = 0;
    qint64 started = 0;   // clock ticks after the boot

    // This process.
    static const ProcessOwner& Current();

    enum class State {
        Alive,   // still running, this process included
        Gone,   // ended, or its computer was started again since
        OtherComputer,   // another computer's: nothing here can tell
    };
    [[nodiscard]] State state() const;
};

struct OpenRow {
    QString table;
    qint64 oid = 0;
    ProcessOwner owner;
    QDateTime opened;
};

// The notes of the database's own file, oldest first.
[[nodiscard]] std::vector<OpenRow> OpenRows(Database& db);

struct UndoneRow {
    enum class Outcome {
        Deleted,   // still unfinished: deleted with its table's rules, in one operation
        Finished,   // it had been finished after all: only the note went
        Missing,   // the row (or its table) is no longer there: only the note went
        Failed,   // the rules refused, or the file did: the note stays for the next opening
    };
    QString table;
    qint64 oid = 0;
    Outcome outcome = Outcome::Failed;
    QString error;
};

// Undoes the rows that processes of this computer left unfinished and that have ended since.
// Notes of a process still running, or of another computer, are never touched. Nothing is
// done on a file opened read only.
std::vector<UndoneRow> UndoAbandonedRows(Database& db);

// A process that ends on purpose with rows it left unfinished (a tool whose script stored a
// document and never finished it) keeps them as they are: its notes go, so that no later
// opening takes them for a crash's. Nothing is done on a file opened read only.
void KeepOwnOpenRows(Database& db);

// The library's writer, inside the operation that stores or deletes the row.
void NoteOpenRow(SqlConnection& c, const TableSchema& table, qint64 oid);
void ForgetOpenRow(SqlConnection& c, const TableSchema& table, qint64 oid);

}   // namespace objdb
