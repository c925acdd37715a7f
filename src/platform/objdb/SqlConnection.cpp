#include "SqlConnection.h"
#include "base/Currency.h"
#include "DatabaseFileCopy.h"
#include "ObjDbError.h"
#include <QDateTime>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>
#include <algorithm>
#include "JetFunctions.h"
#include "ObjDbInternal.h"

namespace {
int g_connectionSerial = 0;
const QString kSource = QStringLiteral("objdb");
}

std::shared_ptr<SqlConnection> SqlConnection::open(const QString& path, bool create, bool readOnly)
{
    // The system would read the name only up to the NUL: another file.
    if (path.contains(QChar(0)))
        throw objdb::error(objdb::NotOpen, kSource,
                           QStringLiteral("Nome del file di database non valido (contiene un carattere nullo)"));
    if (!create && !QFileInfo::exists(path))
        throw objdb::error(objdb::FileMissing, kSource, QStringLiteral("File di database non trovato: %1").arg(path));
    std::shared_ptr<SqlConnection> c(new SqlConnection());
    c->m_path = path;
    c->m_readOnly = readOnly;
    c->m_qtName = QStringLiteral("objdb-%1").arg(++g_connectionSerial);
    c->m_qt = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c->m_qtName);
    c->m_qt.setDatabaseName(path);
    // A reader keeps to the rule every reader of a database file follows (DatabaseFileCopy.h):
    // query-only on a file it may write, so that closing last it takes the log files away;
    // read-only otherwise.
    const bool queryOnly = readOnly && objdb::ReaderMayOpenWritable(path);
    if (readOnly && !queryOnly) c->m_qt.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    c->connect();
    if (queryOnly) c->execScript(QStringLiteral("PRAGMA query_only=1"));
    try {
        // A file that is not a database opens lazily: make it fail here.
        c->scalar(QStringLiteral("PRAGMA schema_version"));
    } catch (const AppError&) {
        // Read-only, where the log files cannot be made (a folder the user may not write):
        // the file is read as it is, without them.
        if (!readOnly || queryOnly || (sqlite3_extended_errcode(c->m_db) & 0xff) != SQLITE_CANTOPEN) throw;
        c->finalizeAll();
        c->m_qt.close();
        c->m_qt.setDatabaseName(objdb::ImmutableUri(path));
        c->m_qt.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        c->connect();
        c->scalar(QStringLiteral("PRAGMA schema_version"));
    }
    RegisterJetFunctions(c->m_db);
    return c;
}

void SqlConnection::connect()
{
    finalizeAll();
    if (!m_qt.open()) {
        const QSqlError error = m_qt.lastError();
        bool coded = false;
        const int rc = error.nativeErrorCode().toInt(&coded);
        const QString why = coded ? objdb::storageErrorText(rc, error.databaseText()) : error.text();
        m_qt = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_qtName);
        m_qtName.clear();
        m_db = nullptr;
        throw objdb::error(objdb::NotOpen, kSource,
                           QStringLiteral("Impossibile aprire il database %1: %2").arg(m_path, why));
    }
    QVariant h = m_qt.driver()->handle();
    m_db = *static_cast<sqlite3* const*>(h.data());
    sqlite3_extended_result_codes(m_db, 1);
    // A double-quoted name is always a name here: read as a text when no column has it, a
    // misspelt field in a filter would select nothing instead of failing.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

SqlConnection::~SqlConnection() { close(); }

void SqlConnection::close()
{
    if (!m_db && m_qtName.isEmpty()) return;
    finalizeAll();
    m_db = nullptr;
    m_openSavepoints = 0;
    m_writing = false;
    m_lockStatement = QString();
    // Buffers read before stand for nothing now.
    m_lastUnnamedWrite = ++m_events;
    m_accountedChanges = m_versionAfterOwnWrite = -1;
    if (m_qt.isOpen()) m_qt.close();
    m_qt = QSqlDatabase();
    if (!m_qtName.isEmpty()) QSqlDatabase::removeDatabase(m_qtName);
    m_qtName.clear();
}

void SqlConnection::finalizeAll()
{
    m_cache.forEach([](std::vector<sqlite3_stmt*>& idle) {
        for (sqlite3_stmt* st : idle) sqlite3_finalize(st);
    });
    m_cache.clear();
}

QString SqlConnection::quoteName(const QString& name)
{
    // One allocation: statement texts are made with it on every read and write.
    QString q;
    q.reserve(name.size() + 2);
    q += u'"';
    if (name.contains(u'"')) {
        QString inner = name;
        q += inner.replace(u'"', QStringLiteral("\"\""));
    } else {
        q += name;
    }
    q += u'"';
    return q;
}

void SqlConnection::fail(int rc, const QString&) const
{
    const int ext = m_db ? sqlite3_extended_errcode(m_db) : rc;
    const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
    switch (ext) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        // The library reads the columns from the engine's text and words the refusal itself.
        throw objdb::error(objdb::UniqueViolation, kSource, msg);
    default: break;
    }
    // The user reads what went wrong, never the statement or its savepoint.
    const QString text = objdb::storageErrorText(ext, msg, m_db ? sqlite3_system_errno(m_db) : 0);
    switch (ext & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: {
        // Nothing of the change was written: the operation that needed the file rolls back.
        const QString waited = m_busyTimeout >= 1000 ? QStringLiteral("%1 secondi").arg(m_busyTimeout / 1000)
                                                     : QStringLiteral("%1 millisecondi").arg(m_busyTimeout);
        throw objdb::error(objdb::Busy, kSource,
                           QStringLiteral("il database è occupato da un altro utente (attesa di %1 senza esito); "
                                          "nessuna modifica è stata registrata, riprovare")
                               .arg(waited));
    }
    case SQLITE_READONLY:
        throw objdb::error(objdb::ReadOnly, kSource, QStringLiteral("Database aperto in sola lettura"));
    case SQLITE_NOTADB:
        throw objdb::error(objdb::NotADatabase, kSource, QStringLiteral("Il file %1 non è un database").arg(m_path));
    default: throw objdb::error(objdb::SqlFailed, kSource, text);
    }
}

SqlConnection::Stmt SqlConnection::prepare(const QString& sql)
{
    if (!m_db) throw objdb::error(objdb::NotOpen, kSource, QStringLiteral("Database non aperto"));
    if (std::vector<sqlite3_stmt*>* idle = m_cache.find(sql); idle && !idle->empty()) {
        sqlite3_stmt* st = idle->back();
        idle->pop_back();
        return Stmt(this, sql, st);
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
        if (st) sqlite3_finalize(st);
        fail(rc, sql);
    }
    return Stmt(this, sql, st);
}

void SqlConnection::giveBack(const QString& sql, sqlite3_stmt* st)
{
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (!m_db) {
        sqlite3_finalize(st);
        return;
    }
    if (std::vector<sqlite3_stmt*>* idle = m_cache.find(sql)) {
        if (idle->size() < 4)
            idle->push_back(st);
        else
            sqlite3_finalize(st);
        return;
    }
    if (auto evicted = m_cache.insert(sql, {st}))
        for (sqlite3_stmt* old : *evicted) sqlite3_finalize(old);
}

std::optional<bool> SqlConnection::knownToSort(const QString& sql)
{
    if (const bool* known = m_planSorts.find(sql)) return *known;
    return std::nullopt;
}

void SqlConnection::rememberSorts(const QString& sql, bool sorts) { m_planSorts.insert(sql, sorts); }

int SqlConnection::execute(const QString& sql, const QVariantList& params)
{
    Stmt st = prepare(sql);
    st.bindAll(params);
    return st.exec();
}

QVariant SqlConnection::scalar(const QString& sql, const QVariantList& params)
{
    Stmt st = prepare(sql);
    st.bindAll(params);
    if (!st.next()) return QVariant();
    return st.value(0);
}

void SqlConnection::execScript(const QString& sql)
{
    if (!m_db) throw objdb::error(objdb::NotOpen, kSource, QStringLiteral("Database non aperto"));
    char* err = nullptr;
    ++m_writeCount;
    int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (err) sqlite3_free(err);
    if (rc != SQLITE_OK) fail(rc, sql);
}

bool SqlConnection::inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

SqlConnection::ChangeMark SqlConnection::markBeforeRead()
{
    ChangeMark m;
    if (!m_db) return m;
    unsigned int version = 0;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_DATA_VERSION, &version) != SQLITE_OK) return m;
    m.ownChanges = sqlite3_total_changes64(m_db);
    m.fileVersion = version;
    return m;
}

bool SqlConnection::unchangedSince(const ChangeMark& mark)
{
    if (!m_db || mark.ownChanges < 0) return false;
    // A read of the file's header: the connection notices commits made since its last read
    // and moves its version on.
    (void)scalar(QStringLiteral("PRAGMA data_version"));
    const ChangeMark now = markBeforeRead();
    return now.ownChanges >= 0 && now == mark;
}

namespace {
// Savepoints are named by their depth, so the few statements that open and close them are
// prepared once; their texts are made once too, so that the statement cache finds them by
// their text's address.
struct SavepointTexts {
    QString name, open, release, rollback;
};
const SavepointTexts& savepointTexts(int depth)
{
    static std::vector<SavepointTexts> texts;
    while (int(texts.size()) < depth) {
        const QString name = QStringLiteral("objdb_sp%1").arg(texts.size() + 1);
        texts.push_back({name, QStringLiteral("SAVEPOINT ") + name, QStringLiteral("RELEASE ") + name,
                         QStringLiteral("ROLLBACK TO ") + name});
    }
    return texts[size_t(depth - 1)];
}
int depthOf(const QString& name) { return QStringView(name).mid(8).toInt(); }   // "objdb_sp<n>"
}

QString SqlConnection::openSavepoint(bool write)
{
    const SavepointTexts& sp = savepointTexts(m_openSavepoints + 1);
    const bool begins = m_openSavepoints == 0 && !inTransaction();
    if (!write || !begins) {
        prepare(sp.open).exec();
        ++m_openSavepoints;
        return sp.name;
    }
    // A plain outermost savepoint begins a deferred transaction: its reads would see the file
    // as it was before another program's change, and the write coming later would then fail
    // at once instead of waiting. So the lock is taken first, by a write that changes nothing:
    // the savepoint stays the transaction itself (BEGIN IMMEDIATE and a savepoint inside it
    // would make every page the operation changes be copied aside as well).
    if (m_lockStatement.isNull())
        m_lockStatement = tableExists(QStringLiteral("_objdb_meta"))
            ? QStringLiteral("DELETE FROM \"_objdb_meta\" WHERE 0")
            : QStringLiteral("");
    try {
        if (m_lockStatement.isEmpty()) {
            static const QString begin = QStringLiteral("BEGIN IMMEDIATE");
            prepare(begin).exec();
            prepare(sp.open).exec();
        } else {
            prepare(sp.open).exec();
            prepare(m_lockStatement).exec();
        }
    } catch (const AppError&) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    ++m_openSavepoints;
    m_writing = true;
    // Row buffers read before the lock may hold what another program has changed since.
    objdb::endFreshEpoch();
    // The file's version moves with every commit, this connection's own too; it stands where
    // this connection's last write left it unless another connection committed since.
    if (fileVersion() != m_versionAfterOwnWrite) m_lastOthersCommit = ++m_events;
    return sp.name;
}

void SqlConnection::releaseSavepoint(const QString& name)
{
    if (m_openSavepoints == 1 && m_writing && m_beforeWriteEnds) m_beforeWriteEnds();
    prepare(savepointTexts(depthOf(name)).release).exec();
    --m_openSavepoints;
    if (m_openSavepoints > 0 || !m_writing) return;
    m_writing = false;
    if (inTransaction()) {
        // Begun with BEGIN IMMEDIATE: never left open holding the lock.
        try {
            static const QString commit = QStringLiteral("COMMIT");
            prepare(commit).exec();
        } catch (const AppError&) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            m_versionAfterOwnWrite = fileVersion();
            throw;
        }
    }
    m_versionAfterOwnWrite = fileVersion();
}

qint64 SqlConnection::fileVersion() const
{
    if (!m_db) return -1;
    unsigned int version = 0;
    sqlite3_file_control(m_db, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return qint64(version);
}

void SqlConnection::rollbackSavepoint(const QString& name)
{
    if (!m_db) return;
    // Never throws: it runs while another error is on its way up.
    --m_openSavepoints;
    try {
        const SavepointTexts& sp = savepointTexts(depthOf(name));
        prepare(sp.rollback).exec();
        const bool ends = m_openSavepoints == 0 && m_writing;
        bool keep = false;
        if (ends && m_beforeWriteEnds) {
            try {
                m_beforeWriteEnds();
                keep = true;
            } catch (const AppError&) { }
        }
        prepare(sp.release).exec();
        if (ends) {
            m_writing = false;
            // Rolled back to the start: what is left to commit is what the hook wrote.
            if (inTransaction() && (!keep || sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK))
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            m_versionAfterOwnWrite = fileVersion();
        }
    } catch (const AppError&) {
        QByteArray a = (QStringLiteral("ROLLBACK; ")).toUtf8();
        sqlite3_exec(m_db, a.constData(), nullptr, nullptr, nullptr);
        m_openSavepoints = 0;
        m_writing = false;
        m_versionAfterOwnWrite = fileVersion();
    }
}

void SqlConnection::rollbackToSavepoint(const QString& name)
{
    if (!m_db) return;
    // Never throws, as rollbackSavepoint.
    try {
        prepare(savepointTexts(depthOf(name)).rollback).exec();
    } catch (const AppError&) {
        QByteArray a = (QStringLiteral("ROLLBACK; ")).toUtf8();
        sqlite3_exec(m_db, a.constData(), nullptr, nullptr, nullptr);
        m_openSavepoints = 0;
        m_writing = false;
    }
}

void SqlConnection::accountChanges()
{
    if (const qint64 total = sqlite3_total_changes64(m_db); total != m_accountedChanges) {
        m_accountedChanges = total;
        m_lastUnnamedWrite = ++m_events;
    }
}

quint64 SqlConnection::readStamp()
{
    if (!m_db) return 0;
    accountChanges();
    return m_events;
}

void SqlConnection::noteWrite(const QString& table, qint64 changes)
{
    if (!m_db) return;
    m_accountedChanges += changes;
    m_tableWrites[table] = ++m_events;
    accountChanges();
}

bool SqlConnection::unchangedSince(const QString& table, quint64 stamp)
{
    if (!m_db || stamp == 0) return false;
    accountChanges();
    return std::max({m_lastOthersCommit, m_lastUnnamedWrite, m_tableWrites.value(table)}) <= stamp;
}

void SqlConnection::setBusyTimeout(int milliseconds)
{
    if (!m_db) throw objdb::error(objdb::NotOpen, kSource, QStringLiteral("Database non aperto"));
    sqlite3_busy_timeout(m_db, milliseconds);
    m_busyTimeout = std::max(milliseconds, 0);
}

bool SqlConnection::tableExists(const QString& table)
{
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
                  {table})
               .toLongLong()
        > 0;
}

std::vector<std::pair<QString, QString>> SqlConnection::tableColumns(const QString& table)
{
    std::vector<std::pair<QString, QString>> cols;
    Stmt st = prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"));
    st.bind(1, table);
    while (st.next()) cols.emplace_back(st.text(0), st.text(1));
    return cols;
}

// --- Stmt -------------------------------------------------------------------------------

SqlConnection::Stmt::~Stmt()
{
    if (m_st) m_conn->giveBack(m_sql, m_st);
}

SqlConnection::Stmt& SqlConnection::Stmt::bind(int i, const QVariant& v)
{
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(m_st, i);
    } else {
        const int t = v.userType();
        if (t == qMetaTypeId<Currency>()) {
            rc = sqlite3_bind_double(m_st, i, double(v.value<Currency>().units()) / double(Currency::kScale));
        } else {
            switch (t) {
            case QMetaType::Bool: rc = sqlite3_bind_int64(m_st, i, v.toBool() ? 1 : 0); break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::Long:
            case QMetaType::LongLong:
            case QMetaType::Short:
            case QMetaType::UShort:
            case QMetaType::ULong:
            case QMetaType::ULongLong: rc = sqlite3_bind_int64(m_st, i, v.toLongLong()); break;
            case QMetaType::Double:
            case QMetaType::Float: rc = sqlite3_bind_double(m_st, i, v.toDouble()); break;
            case QMetaType::QByteArray: {
                QByteArray b = v.toByteArray();
                rc = sqlite3_bind_blob(m_st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QDateTime: {
                QByteArray b = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
                rc = sqlite3_bind_text(m_st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QDate: {
                QByteArray b
                    = (v.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00")).toUtf8();
                rc = sqlite3_bind_text(m_st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                QByteArray b = v.toString().toUtf8();
                rc = sqlite3_bind_text(m_st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            }
        }
    }
    if (rc != SQLITE_OK) m_conn->fail(rc, m_sql);
    return *this;
}

SqlConnection::Stmt& SqlConnection::Stmt::bindAll(const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i) bind(i + 1, values[i]);
    return *this;
}

bool SqlConnection::Stmt::next()
{
    int rc = sqlite3_step(m_st);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(m_st);
    m_conn->fail(rc, m_sql);
}

SqlConnection::Stmt& SqlConnection::Stmt::reset()
{
    sqlite3_reset(m_st);
    return *this;
}

int SqlConnection::Stmt::exec()
{
    if (!sqlite3_stmt_readonly(m_st)) ++m_conn->m_writeCount;
    while (next()) { }
    return sqlite3_changes(m_conn->m_db);
}

int SqlConnection::Stmt::columns() const { return sqlite3_column_count(m_st); }
QString SqlConnection::Stmt::columnName(int col) const { return QString::fromUtf8(sqlite3_column_name(m_st, col)); }
bool SqlConnection::Stmt::isNull(int col) const { return sqlite3_column_type(m_st, col) == SQLITE_NULL; }
qint64 SqlConnection::Stmt::int64(int col) const { return sqlite3_column_int64(m_st, col); }
double SqlConnection::Stmt::real(int col) const { return sqlite3_column_double(m_st, col); }

QString SqlConnection::Stmt::text(int col) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_st, col));
    if (!p) return QString();
    return QString::fromUtf8(p, sqlite3_column_bytes(m_st, col));
}

int SqlConnection::Stmt::sortsRun() const { return m_st ? sqlite3_stmt_status(m_st, SQLITE_STMTSTATUS_SORT, 0) : 0; }

QVariant SqlConnection::Stmt::value(int col) const
{
    switch (sqlite3_column_type(m_st, col)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(m_st, col)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_st, col));
    case SQLITE_TEXT: return QVariant(text(col));
    case SQLITE_BLOB: {
        const void* p = sqlite3_column_blob(m_st, col);
        return QVariant(QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(m_st, col)));
    }
    default: return QVariant();
    }
}
