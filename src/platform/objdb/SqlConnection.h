#pragma once
// One SQLite connection, opened through QtSql and driven through its raw handle: prepared
// statements are kept for reuse (the few hundred texts used last; a statement the program
// writes with its values in the text would otherwise keep its memory for the whole run),
// errors become AppError (a unique-index violation gets its own code so that the library
// can turn it into a refusal).
#include "LruCache.h"
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class SqlConnection {
public:
    // A prepared statement checked out of the connection's cache; given back when it dies.
    class Stmt {
    public:
        Stmt(SqlConnection* conn, QString sql, sqlite3_stmt* st) : m_conn(conn), m_sql(std::move(sql)), m_st(st) { }
        Stmt(Stmt&& o) noexcept : m_conn(o.m_conn), m_sql(std::move(o.m_sql)), m_st(o.m_st) { o.m_st = nullptr; }
        Stmt(const Stmt&) = delete;
        Stmt& operator=(const Stmt&) = delete;
        ~Stmt();

        Stmt& bind(int index, const QVariant& value);   // 1-based
        Stmt& bindAll(const QVariantList& values);
        bool next();   // a row is available
        int exec();   // runs to the end; rows changed
        Stmt& reset();   // ready to run again, with new values bound
        int columns() const;
        QString columnName(int col) const;
        bool isNull(int col) const;
        QVariant value(int col) const;   // qint64, double, QString, QByteArray or null
        qint64 int64(int col) const;
        double real(int col) const;
        QString text(int col) const;
        // Sorts SQLite has run for this statement since it was prepared.
        int sortsRun() const;
        const QString& sql() const { return m_sql; }

    private:
        SqlConnection* m_conn;
        QString m_sql;
        sqlite3_stmt* m_st;
    };

    // Opens the file; `create` allows a missing file to be created.
    static std::shared_ptr<SqlConnection> open(const QString& path, bool create, bool readOnly);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }
    const QString& path() const { return m_path; }
    bool readOnly() const { return m_readOnly; }

    Stmt prepare(const QString& sql);
    int execute(const QString& sql, const QVariantList& params = {});
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Several statements, no parameters, no rows.
    void execScript(const QString& sql);

    bool inTransaction() const;
    // Readings that differ whenever the file's rows may have changed in between: rows this
    // connection wrote (kept or rolled back) and the file's version as this connection last
    // found it, which its own commits and those of other connections move on.
    struct ChangeMark {
        qint64 ownChanges = -1;
        qint64 fileVersion = -1;
        bool operator==(const ChangeMark&) const = default;
    };
    // Taken before rows are read, without a statement: the version is the one this
    // connection's last read found, never newer than what the next read finds, so a mark
    // can only make rows read after it look older than they are.
    ChangeMark markBeforeRead();
    // Whether nothing can have changed since the mark: the file is looked at again (a
    // statement), so that commits of other connections since this connection's last read
    // count. A mark not taken never holds.
    bool unchangedSince(const ChangeMark& mark);
    // Savepoints nest. The outermost one of a writer (write True, no transaction open) takes
    // the file's write lock at once, waiting the busy time for another program's change to
    // end: what is read after it is what the change will write over. Releasing or rolling
    // back that savepoint ends the transaction and frees the lock.
    QString openSavepoint(bool write = true);
    void releaseSavepoint(const QString& name);
    void rollbackSavepoint(const QString& name);   // rolls back and releases
    void rollbackToSavepoint(const QString& name);   // rolls back, the savepoint stays open
    // True while this connection holds the write lock it took with a savepoint.
    bool holdsWriteLock() const { return m_writing; }
    // Runs under the write lock just before that lock's transaction ends, whether it commits
    // or rolls back; what it writes is kept in both cases (on a rollback, everything else of
    // the transaction is undone first). A failure of it fails a commit; a rollback goes on.
    void setBeforeWriteEnds(std::function<void()> run) { m_beforeWriteEnds = std::move(run); }
    // What may have changed the file's rows since a row buffer was read: the events of the
    // file are counted (commits of other connections, seen when the write lock is taken;
    // writes of this connection, by table when the library names it, else to every table),
    // and a buffer keeps the count at its reading. Under the write lock, a buffer whose table
    // saw no event since is as stored.
    quint64 readStamp();
    // After the library wrote `changes` rows of the table.
    void noteWrite(const QString& table, qint64 changes);
    bool unchangedSince(const QString& table, quint64 stamp);
    // Statements run that may have changed the file (not counting savepoints and the lock).
    quint64 writeCount() const { return m_writeCount; }
    // How long a statement waits for another program's lock before it fails (milliseconds).
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return m_busyTimeout; }

    bool tableExists(const QString& table);
    // Stored columns of a table: name and declared type, in storage order.
    std::vector<std::pair<QString, QString>> tableColumns(const QString& table);

    [[noreturn]] void fail(int rc, const QString& sql) const;
    static QString quoteName(const QString& name);   // "name" with inner quotes doubled

    // Whether SQLite's plan for `sql` sorts the rows before it gives the first, as seen when
    // the text last ran on this connection (Stmt::sortsRun); unknown until it has. A plan
    // follows the text and the schema, not the rows, so once per text is enough.
    std::optional<bool> knownToSort(const QString& sql);
    void rememberSorts(const QString& sql, bool sorts);

    // Distinct statement texts kept prepared.
    static constexpr size_t kCachedStatements = 200;
    size_t cachedStatements() const { return m_cache.size(); }

private:
    SqlConnection() = default;
    void connect();
    void giveBack(const QString& sql, sqlite3_stmt* st);
    qint64 fileVersion() const;   // moves with every commit to the file, by any connection
    void accountChanges();   // rows written that no noteWrite named: every table changed
    void finalizeAll();

    QString m_path;
    QString m_qtName;
    QSqlDatabase m_qt;
    sqlite3* m_db = nullptr;
    bool m_readOnly = false;
    int m_openSavepoints = 0;
    bool m_writing = false;   // the outermost savepoint began a write transaction
    std::function<void()> m_beforeWriteEnds;
    int m_busyTimeout = 0;
    QString m_lockStatement;   // a write that changes nothing (null: not known yet)
    quint64 m_writeCount = 0;
    quint64 m_events = 1;
    quint64 m_lastOthersCommit = 1, m_lastUnnamedWrite = 1;
    QHash<QString, quint64> m_tableWrites;
    qint64 m_accountedChanges = -1;
    qint64 m_versionAfterOwnWrite = -1;
    objdb::LruCache<std::vector<sqlite3_stmt*>> m_cache {kCachedStatements};
    objdb::LruCache<bool> m_planSorts {kCachedStatements};
};
