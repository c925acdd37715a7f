#include "OpenRows.h"
#include "base/AppError.h"
#include "DBEngine.h"
#include "Database.h"
#include "Schema.h"
#include "SqlConnection.h"
#include "TableData.h"
#include "TableObject.h"
#include <QFile>
#include <QSysInfo>
#include <cerrno>
#include <signal.h>
#include <unistd.h>

namespace objdb {

namespace {

const QString kTable = QStringLiteral("_objdb_open");

QString readSmallFile(const QString& path)
{
    QFile f(path);
    // Files under /proc report no size: read them through as a stream.
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return QString();
    return QString::fromLatin1(f.readAll());
}

// The start time of a process (field 22 of /proc/PID/stat, clock ticks after the boot); -1
// when it cannot be read. The command name before it may hold blanks and parentheses:
// the fields are counted from the last ')'.
qint64 processStart(const QString& pid)
{
    const QString stat = readSmallFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(u')');
    if (close < 0) return -1;
    const QStringList fields = stat.mid(close + 1).split(u' ', Qt::SkipEmptyParts);
    // After the name come the state (field 3) and the rest: field 22 is the 20th of them.
    constexpr int kStartAfterName = 22 - 3;
    if (fields.size() <= kStartAfterName) return -1;
    bool ok = false;
    const qint64 ticks = fields[kStartAfterName].toLongLong(&ok);
    return ok ? ticks : -1;
}

bool tableReady(SqlConnection& c) { return c.tableExists(kTable); }

void forget(SqlConnection& c, const QString& table, qint64 oid)
{
    c.execute(QStringLiteral("DELETE FROM _objdb_open WHERE Tabella = ? AND OIDRiga = ?"), {table, oid});
}

}   // namespace

const ProcessOwner& ProcessOwner::Current()
{
    static const ProcessOwner me = [] {
        ProcessOwner o;
        o.computer = QSysInfo::machineHostName();
        o.bootId = readSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id")).trimmed();
        o.pid = qint64(::getpid());
        o.started = processStart(QStringLiteral("self"));
        return o;
    }();
    return me;
}

ProcessOwner::State ProcessOwner::state() const
{
    const ProcessOwner& me = Current();
    if (computer.compare(me.computer, Qt::CaseInsensitive) != 0) return State::OtherComputer;
    // The computer was started again: every process of the boot before has ended.
    if (!bootId.isEmpty() && !me.bootId.isEmpty() && bootId != me.bootId) return State::Gone;
    if (pid <= 0) return State::Gone;
    if (pid == me.pid) return started == me.started ? State::Alive : State::Gone;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) return State::Gone;
    // A process of that id runs (perhaps of another user, whom no signal reaches): it is the
    // owner only when it started when the owner did.
    const qint64 start = processStart(QString::number(pid));
    if (start >= 0 && start != started) return State::Gone;
    return State::Alive;
}

void NoteOpenRow(SqlConnection& c, const TableSchema& table, qint64 oid)
{
    const ProcessOwner& me = ProcessOwner::Current();
    c.execute(QStringLiteral("INSERT OR REPLACE INTO _objdb_open (Tabella, OIDRiga, Computer, Avvio, Processo, "
                             "InizioProcesso, Apertura) VALUES (?, ?, ?, ?, ?, ?, ?)"),
              {table.name, oid, me.computer, me.bootId, me.pid, me.started,
               QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
}

void ForgetOpenRow(SqlConnection& c, const TableSchema& table, qint64 oid) { forget(c, table.name, oid); }

void KeepOwnOpenRows(Database& db)
{
    const std::shared_ptr<DBEngine> engine = db.GetEngine();
    if (!engine || !engine->IsOpen() || engine->IsReadOnly()) return;
    SqlConnection& c = engine->sql();
    if (!tableReady(c)) return;
    const ProcessOwner& me = ProcessOwner::Current();
    c.execute(QStringLiteral(
                  "DELETE FROM _objdb_open WHERE Computer = ? AND Avvio = ? AND Processo = ? AND InizioProcesso = ?"),
              {me.computer, me.bootId, me.pid, me.started});
}

std::vector<OpenRow> OpenRows(Database& db)
{
    std::vector<OpenRow> rows;
    const std::shared_ptr<DBEngine> engine = db.GetEngine();
    if (!engine || !engine->IsOpen()) return rows;
    SqlConnection& c = engine->sql();
    if (!tableReady(c)) return rows;
    auto st = c.prepare(QStringLiteral("SELECT Tabella, OIDRiga, Computer, Avvio, Processo, InizioProcesso, Apertura "
                                       "FROM _objdb_open ORDER BY Apertura, rowid"));
    while (st.next()) {
        OpenRow r;
        r.table = st.text(0);
        r.oid = st.int64(1);
        r.owner.computer = st.text(2);
        r.owner.bootId = st.text(3);
        r.owner.pid = st.int64(4);
        r.owner.started = st.int64(5);
        r.opened = QDateTime::fromString(st.text(6), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        rows.push_back(r);
    }
    return rows;
}

std::vector<UndoneRow> UndoAbandonedRows(Database& db)
{
    std::vector<UndoneRow> undone;
    const std::shared_ptr<DBEngine> engine = db.GetEngine();
    if (!engine || !engine->IsOpen() || engine->IsReadOnly()) return undone;
    for (const OpenRow& open : OpenRows(db)) {
        if (open.owner.state() != ProcessOwner::State::Gone) continue;
        UndoneRow u;
        u.table = open.table;
        u.oid = open.oid;
        try {
            TableObject* table = db.FindTable(open.table);
            std::unique_ptr<TableData> row;
            if (table) {
                row = table->Select(table->BuildKeyCondition(open.oid));
                row->MoveFirst();
            }
            const TableSchema* schema = table ? db.schema(table->Name()) : nullptr;
            if (!row || row->HasNoCurrentRow()) {
                forget(db.writer(*engine), open.table, open.oid);
                u.outcome = UndoneRow::Outcome::Missing;
            } else if (!schema || schema->completionIndex < 0
                       || row->GetBoolValue(schema->fields[size_t(schema->completionIndex)].def.Name)) {
                forget(db.writer(*engine), open.table, open.oid);
                u.outcome = UndoneRow::Outcome::Finished;
            } else {
                // The row's rules give back what it took (stock, vouchers, points), and the
                // same operation drops the note.
                row->DeleteRow();
                u.outcome = UndoneRow::Outcome::Deleted;
            }
        } catch (const AppError& e) {
            u.outcome = UndoneRow::Outcome::Failed;
            u.error = e.description;
        }
        undone.push_back(u);
    }
    return undone;
}

}   // namespace objdb
