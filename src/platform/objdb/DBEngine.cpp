#include "DBEngine.h"
#include "ConnectionSettings.h"
#include "DatabaseFileCopy.h"
#include "ObjDbError.h"
#include "SqlConnection.h"
#include "JetTranslator.h"
#include <QDateTime>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
const QString kSource = QStringLiteral("DBEngine");
constexpr int kCounterBits = 43;

// Identifies the file itself, so that a copy of it (a backup made by copying, a
// maintenance copy) takes a new OID prefix and never hands out the OIDs of the original.
QString fileIdentity(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QString();
    return QStringLiteral("%1:%2:%3")
        .arg(qulonglong(st.st_dev))
        .arg(qulonglong(st.st_ino))
        .arg(QFileInfo(path).absoluteFilePath());
}

int commitHook(void* engine)
{
    static_cast<DBEngine*>(engine)->forgetOidCache();
    return 0;
}
void rollbackHook(void* engine) { static_cast<DBEngine*>(engine)->forgetOidCache(); }
}

// --- EngineConnection ---------------------------------------------------------------------------

qint64 EngineConnection::Execute(const QString& jetSql, qint64* recordsAffected, int)
{
    m_engine.claimForWriting();
    const QString sql = JetTranslator().translate(jetSql);
    qint64 n = m_engine.sql().execute(sql);
    if (recordsAffected) *recordsAffected = n;
    return n;
}

QueryResult EngineConnection::Query(const QString& jetSql)
{
    const QString sql = JetTranslator().translate(jetSql);
    QueryResult r;
    SqlConnection::Stmt st = m_engine.sql().prepare(sql);
    for (int i = 0; i < st.columns(); ++i) r.columns << st.columnName(i);
    while (st.next()) {
        QVariantList row;
        for (int i = 0; i < st.columns(); ++i) row << st.value(i);
        r.rows << row;
    }
    return r;
}

// --- DBEngine -----------------------------------------------------------------------------

namespace {

// Reading a page makes a few hundred small values and frees them together. With the C
// library's default the freed top of the heap goes back to the system after every page and
// is asked for again at the next one (measured: a fifth of the time of opening a month's
// view, in page faults and flushes). The top is kept up to a few megabytes, and blocks of
// up to a megabyte come from the heap rather than from a mapping of their own.
void keepHeapTop()
{
#ifdef __GLIBC__
    static const bool tuned = [] {
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
        mallopt(M_TRIM_THRESHOLD, 16 << 20);
        mallopt(M_TOP_PAD, 1 << 20);
        return true;
    }();
    (void)tuned;
#endif
}

}   // namespace

DBEngine::DBEngine() : m_connection(std::make_unique<EngineConnection>(*this)) { keepHeapTop(); }

DBEngine::~DBEngine()
{
    try {
        Close();
    } catch (...) { }
}

bool DBEngine::IsOpen() const { return m_conn && m_conn->isOpen(); }

bool DBEngine::IsReadOnly() const
{
    return m_openMode == kReadOnlyOpen || m_accessMode == kAccessReadOnly || (m_conn && m_conn->readOnly());
}

SqlConnection& DBEngine::sql() const
{
    if (!IsOpen()) throw objdb::error(objdb::NotOpen, kSource, QStringLiteral("Database non aperto"));
    return *m_conn;
}

EngineConnection& DBEngine::GetConnection()
{
    sql();
    return *m_connection;
}

void DBEngine::CreateDatabase(int openMode, const QString& path, int, int)
{
    if (QFileInfo::exists(path))
        throw objdb::error(objdb::FileExists, kSource, QStringLiteral("Il database %1 esiste già").arg(path));
    auto conn = SqlConnection::open(path, true, false);
    conn->execScript(QStringLiteral("PRAGMA journal_mode=WAL"));
    std::swap(conn, m_conn);
    try {
        prepareFile();
        settleSite();
    } catch (...) {
        std::swap(conn, m_conn);
        throw;
    }
    std::swap(conn, m_conn);
    conn->close();
    (void)openMode;
}

void DBEngine::OpenDatabase(int openMode, const QString& path, int, int, itfNotifyEvent*, int, int, bool, bool, int,
                            int)
{
    Close();
    m_openMode = openMode;
    // A reader leaves no log files behind (SqlConnection::open).
    const bool readOnly = wantsReadOnly();
    // Whatever log stands beside the file is replayed by the first connection: one that is
    // not the file's own goes aside first, even for a reader (a reader of a file it may
    // write closes as a writer, which writes the log into the file).
    m_setAsideLog.clear();
    const objdb::LogCheck log = objdb::SetAsideForeignLog(path);
    m_setAsideLog = log.setAside;
    if (!readOnly && !log.problems.isEmpty()) {
        const QStringList lines = log.problems.split(u'\n');
        const QString shown = lines.mid(0, 5).join(u'\r') + (lines.size() > 5 ? QStringLiteral("\r...") : QString());
        throw objdb::error(objdb::NotADatabase, kSource,
                           QStringLiteral("Il database < %1 > è danneggiato e non viene modificato: usare "
                                          "\"Recupera Database\" nelle opzioni.\r\r%2")
                               .arg(path, shown));
    }
    m_conn = SqlConnection::open(path, false, readOnly);
    m_path = path;
    m_claimed = false;
    try {
        if (!readOnly) refuseForeignFile();
        applyPragmas();
        if (!readOnly) {
            prepareFile();
        } else {
            m_site = m_conn->tableExists(QStringLiteral("_objdb_meta"))
                ? m_conn->scalar(QStringLiteral("SELECT Value FROM _objdb_meta WHERE Key='site'")).toLongLong()
                : 0;
        }
        m_conn->setBeforeWriteEnds([this] { settleOids(); });
        sqlite3_commit_hook(m_conn->handle(), &commitHook, this);
        sqlite3_rollback_hook(m_conn->handle(), &rollbackHook, this);
    } catch (const AppError& e) {
        m_conn->close();
        m_conn.reset();
        // Another program holding the file longer than the busy time: said with what waited.
        if (e.number == objdb::errorNumber(objdb::Busy))
            throw objdb::withOperation(e, kSource, QStringLiteral("Impossibile aprire il database %1").arg(path));
        throw;
    } catch (...) {
        m_conn->close();
        m_conn.reset();
        throw;
    }
}

void DBEngine::applyPragmas()
{
    // Log, cache and map as ConnectionSettings.cpp says why.
    if (!objdb::ApplyConnectionSettings(m_conn->handle(), !m_conn->readOnly()))
        m_conn->fail(sqlite3_errcode(m_conn->handle()), QStringLiteral("PRAGMA"));
    // How long a change waits for another program's change to end before it is given up with
    // a message. Counters sharing the file (multi-user) hold it for a document at a time when
    // transactions are on; a single user's file meets only the program's own copies and tools.
    m_conn->setBusyTimeout(m_accessMode == kAccessMultiUser ? 30000 : 10000);
    m_conn->execScript(
        QStringLiteral("PRAGMA query_only=%1").arg(m_accessMode == kAccessReadOnly || m_conn->readOnly() ? 1 : 0));
}

// A file with tables but none of the library's own is some other program's database: adding
// the declared tables to it would mix two programs' data in one file without a word.
void DBEngine::refuseForeignFile()
{
    SqlConnection& c = *m_conn;
    QStringList tables;
    auto st = c.prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite!_%' ESCAPE '!' "
                       "ORDER BY name"));
    bool ours = false;
    while (st.next()) {
        tables << st.text(0);
        ours = ours || tables.last().startsWith(QLatin1String("_objdb"), Qt::CaseInsensitive);
    }
    if (tables.isEmpty() || ours) return;
    const QString shown = tables.size() > 5 ? tables.mid(0, 5).join(QStringLiteral(", ")) + QStringLiteral(", ...")
                                            : tables.join(QStringLiteral(", "));
    throw objdb::error(
        objdb::ForeignFile, kSource,
        QStringLiteral("Il file < %1 > contiene tabelle di un altro programma (%2): non è un archivio di "
                       "questo programma e non viene modificato")
            .arg(m_path, shown));
}

// The library's own tables (made once, in a new file), and the OID prefix when the file is the
// one that stored it; a copy of a file takes a prefix of its own when it is first written.
void DBEngine::prepareFile()
{
    SqlConnection& c = *m_conn;
    if (!c.tableExists(QStringLiteral("_objdb_meta")) || !c.tableExists(QStringLiteral("_objdb_tables"))
        || !c.tableExists(QStringLiteral("_objdb_connections")) || !c.tableExists(QStringLiteral("_objdb_open")))
        c.execScript(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS _objdb_meta (Key TEXT PRIMARY KEY, Value);"
            "CREATE TABLE IF NOT EXISTS _objdb_tables (Name TEXT PRIMARY KEY COLLATE NOCASE, Position INTEGER,"
            " Version REAL, Caption TEXT, ParentTable TEXT, Definition TEXT);"
            "CREATE TABLE IF NOT EXISTS _objdb_connections (OID INTEGER PRIMARY KEY, Computer TEXT COLLATE NOCASE,"
            " Utente TEXT COLLATE NOCASE, Processo INTEGER, Apertura TEXT);"
            // Rows stored unfinished, with the process that stored them (OpenRows.h).
            "CREATE TABLE IF NOT EXISTS _objdb_open (Tabella TEXT COLLATE NOCASE, OIDRiga INTEGER, Computer TEXT,"
            " Avvio TEXT, Processo INTEGER, InizioProcesso INTEGER, Apertura TEXT, PRIMARY KEY (Tabella, OIDRiga));"));
    const qint64 site = c.scalar(QStringLiteral("SELECT Value FROM _objdb_meta WHERE Key='site'")).toLongLong();
    const QString storedIdentity
        = c.scalar(QStringLiteral("SELECT Value FROM _objdb_meta WHERE Key='file'")).toString();
    m_site = site > 0 && storedIdentity == fileIdentity(c.path()) ? site : 0;
}

void DBEngine::settleSite()
{
    if (m_site > 0) return;
    SqlConnection& c = *m_conn;
    m_site = qint64(QRandomGenerator::system()->bounded(1u, 1u << 20));
    c.execute(QStringLiteral("INSERT OR REPLACE INTO _objdb_meta(Key, Value) VALUES('site', ?)"), {m_site});
    c.execute(QStringLiteral("INSERT OR REPLACE INTO _objdb_meta(Key, Value) VALUES('file', ?)"),
              {fileIdentity(c.path())});
}

void DBEngine::claimForWriting()
{
    if (m_claimed || !m_conn || !m_conn->isOpen() || m_conn->readOnly()) return;
    settleSite();
    registerConnection();
    m_claimed = true;
}

void DBEngine::registerConnection()
{
    SqlConnection& c = *m_conn;
    const QString computer = QSysInfo::machineHostName();
    // Rows left behind by processes of this computer that ended without closing.
    QList<qint64> stale;
    {
        auto st = c.prepare(QStringLiteral("SELECT OID, Processo FROM _objdb_connections WHERE Computer=?"));
        st.bind(1, computer);
        while (st.next())
            if (::kill(pid_t(st.int64(1)), 0) != 0) stale << st.int64(0);
    }
    for (qint64 oid : stale) c.execute(QStringLiteral("DELETE FROM _objdb_connections WHERE OID=?"), {oid});
    c.execute(QStringLiteral("INSERT INTO _objdb_connections(Computer, Utente, Processo, Apertura) VALUES(?,?,?,?)"),
              {computer, m_user.isEmpty() ? qEnvironmentVariable("USER") : m_user, qint64(::getpid()),
               QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    m_connectionRow = c.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
}

QString DBEngine::connectionsTable() const { return QStringLiteral("_objdb_connections"); }

void DBEngine::Close()
{
    if (!m_conn) return;
    if (m_conn->isOpen()) {
        while (!m_transactions.isEmpty()) {
            m_conn->rollbackSavepoint(m_transactions.takeLast());
        }
        try {
            if (m_connectionRow && !m_conn->readOnly())
                m_conn->execute(QStringLiteral("DELETE FROM _objdb_connections WHERE OID=?"), {m_connectionRow});
        } catch (...) { }
        sqlite3_commit_hook(m_conn->handle(), nullptr, nullptr);
        sqlite3_rollback_hook(m_conn->handle(), nullptr, nullptr);
    }
    m_conn->setBeforeWriteEnds({});
    m_conn->close();
    m_conn.reset();
    m_connectionRow = 0;
    m_claimed = false;
    m_oids.clear();
}

void DBEngine::SetAccessMode(int mode)
{
    const bool wasReadOnly = IsOpen() && m_conn->readOnly();
    m_accessMode = mode;
    if (!IsOpen()) return;
    if (wantsReadOnly() == wasReadOnly) {
        applyPragmas();
        return;
    }
    if (!m_transactions.isEmpty() || m_conn->inTransaction())
        throw objdb::error(objdb::Busy, kSource,
                           QStringLiteral("Impossibile cambiare il modo di accesso durante una transazione"));
    OpenDatabase(m_openMode, m_path);
}

void DBEngine::SetUseTransaction(bool use) { m_useTransaction = use; }

void DBEngine::BeginTransaction()
{
    if (!m_useTransaction) return;
    // Begun as a writer (a reader's transaction would fail later on a file changed meanwhile).
    try {
        m_transactions << sql().openSavepoint(!IsReadOnly());
    } catch (const AppError& e) {
        throw objdb::withOperation(e, kSource, QStringLiteral("Impossibile iniziare la transazione"));
    }
}

void DBEngine::BeginWholeTransaction()
{
    const bool use = m_useTransaction;
    m_useTransaction = true;
    try {
        BeginTransaction();
    } catch (...) {
        m_useTransaction = use;
        throw;
    }
    m_useTransaction = use;
}

// Only transactions begun are ever ended: with the switch off, those are the whole ones.
void DBEngine::CommitTransaction()
{
    if (m_transactions.isEmpty()) return;
    sql().releaseSavepoint(m_transactions.takeLast());
}

void DBEngine::RollbackTransaction()
{
    if (m_transactions.isEmpty()) return;
    sql().rollbackSavepoint(m_transactions.takeLast());
    forgetOidCache();
}

void DBEngine::Flush()
{
    if (IsOpen() && !m_conn->readOnly() && !m_conn->inTransaction())
        m_conn->execScript(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void DBEngine::forgetOidCache()
{
    for (OidCounter& c : m_oids) c.next = 0;
}

// Every program on the file takes new rows' OIDs from one counter kept in the file, moved on
// under the write lock: an OID handed out is never handed out again, by this program or any
// other, whether or not its row is ever stored (a row editor holds a new row's OID for as long
// as it is open). The highest stored OID is a floor too, for rows a copy brought in.
qint64 DBEngine::allocateOid(const QString& table)
{
    SqlConnection& c = sql();
    claimForWriting();
    if (m_site <= 0) throw objdb::error(objdb::ReadOnly, kSource, QStringLiteral("Database aperto in sola lettura"));
    OidCounter& counter = m_oids[table];
    if (counter.next != 0 && c.holdsWriteLock()) {
        const qint64 next = std::max(counter.next, counter.highWater + 1);
        counter.highWater = next;
        counter.next = next + 1;
        counter.unsettled = true;
        return next;
    }
    if (c.holdsWriteLock()) return reserveOid(table, counter);
    // Not under the lock: taken for this one OID, the counter moved on before it is let go.
    const QString sp = c.openSavepoint(true);
    try {
        const qint64 oid = reserveOid(table, counter);
        if (!c.holdsWriteLock()) settleOids();   // inside a transaction begun by other means
        c.releaseSavepoint(sp);
        return oid;
    } catch (...) {
        c.rollbackSavepoint(sp);
        throw;
    }
}

namespace {
QString oidCounterKey(qint64 site, const QString& table)
{
    return QStringLiteral("next OID %1 %2").arg(site).arg(table.toLower());
}
}

qint64 DBEngine::reserveOid(const QString& table, OidCounter& counter)
{
    SqlConnection& c = sql();
    const qint64 lo = m_site << kCounterBits;
    const qint64 hi = lo + ((qint64(1) << kCounterBits) - 1);
    const QVariant max = c.scalar(
        QStringLiteral("SELECT max(OID) FROM %1 WHERE OID BETWEEN ? AND ?").arg(SqlConnection::quoteName(table)),
        {lo, hi});
    const qint64 reserved
        = c.scalar(QStringLiteral("SELECT Value FROM _objdb_meta WHERE Key = ?"), {oidCounterKey(m_site, table)})
              .toLongLong();
    qint64 next = max.isNull() ? lo + 1 : max.toLongLong() + 1;
    if (reserved > next && reserved <= hi) next = reserved;
    next = std::max(next, counter.highWater + 1);
    counter.highWater = next;
    counter.next = next + 1;
    counter.unsettled = true;
    return next;
}

// Brings the file's counters past every OID this connection handed out: run as the write
// lock's transaction ends, kept even when the rest of it is rolled back.
void DBEngine::settleOids()
{
    SqlConnection& c = sql();
    for (auto it = m_oids.begin(); it != m_oids.end(); ++it) {
        if (!it->unsettled) continue;
        c.execute(QStringLiteral("INSERT INTO _objdb_meta(Key, Value) VALUES(?, ?) "
                                 "ON CONFLICT(Key) DO UPDATE SET Value = max(Value, excluded.Value)"),
                  {oidCounterKey(m_site, it.key()), it->highWater + 1});
        it->unsettled = false;
    }
}

// --- FileLink -------------------------------------------------------------------------------

FileLink::FileLink(DBEngine& target, const DBEngine& source) : m_target(target), m_source(source)
{
    if (!target.IsOpen() || !source.IsOpen() || &target == &source || target.m_attached.contains(&source)) return;
    SqlConnection& c = target.sql();
    if (c.inTransaction()) return;
    const QString alias = QStringLiteral("objdb_link%1").arg(target.m_attached.size() + 1);
    try {
        c.execute(QStringLiteral("ATTACH DATABASE ? AS %1").arg(SqlConnection::quoteName(alias)),
                  {QFileInfo(source.Path()).absoluteFilePath()});
    } catch (const AppError&) {
        return;   // row by row, then
    }
    // The source is read through this connection's cache rather than mapped a second time:
    // its own engine maps it already, and the process would count its pages twice.
    try {
        c.execute(QStringLiteral("PRAGMA %1.mmap_size = 0").arg(SqlConnection::quoteName(alias)));
    } catch (const AppError&) { }
    target.m_attached.insert(&source, alias);
    m_alias = alias;
}

FileLink::~FileLink()
{
    if (m_alias.isEmpty()) return;
    m_target.m_attached.remove(&m_source);
    if (!m_target.IsOpen()) return;
    try {
        m_target.sql().execute(QStringLiteral("DETACH DATABASE %1").arg(SqlConnection::quoteName(m_alias)));
        // The copies' temporary lists of rows go with their whole storage at once (any change
        // of temp_store drops it): dropped one by one, a hundred thousand rows cost as much as
        // copying them. The storage is then the connection's own again.
        SqlConnection& c = m_target.sql();
        c.execScript(QStringLiteral("PRAGMA temp_store = FILE; PRAGMA temp_store = %1")
                         .arg(QLatin1String(objdb::TemporaryStorage(!c.readOnly()))));
    } catch (const AppError&) {
        // Still inside an operation: the attachment goes with the connection.
    }
}
