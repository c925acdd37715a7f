#pragma once
// The engine: one database file opened with an open mode and an access mode. It runs the
// program's upgrade SQL (GetConnection), the program's explicit transactions, and gives
// every new row its OID.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class SqlConnection;
class itfNotifyEvent;

// The rows of a query run through the engine's connection.
struct QueryResult {
    QStringList columns;
    QList<QVariantList> rows;
};

// The connection handed to the upgrade steps: Jet SQL in, translated, run on the file.
class EngineConnection {
public:
    explicit EngineConnection(class DBEngine& engine) : m_engine(engine) { }
    // Runs one statement; returns (and stores in recordsAffected) the rows changed.
    qint64 Execute(const QString& jetSql, qint64* recordsAffected = nullptr, int options = -1);
    // Runs a query and returns its rows (values as stored: qint64, double, QString or Null).
    QueryResult Query(const QString& jetSql);

private:
    class DBEngine& m_engine;
};

class DBEngine : public std::enable_shared_from_this<DBEngine> {
public:
    // Open modes: 1 read only; 2 and 3 read and write (the program passes 3).
    static constexpr int kReadOnlyOpen = 1;
    // Access modes: 0 single user, 1 multi-user (waits for other users' locks), 2 read only.
    static constexpr int kAccessSingle = 0, kAccessMultiUser = 1, kAccessReadOnly = 2;

    DBEngine();
    virtual ~DBEngine();
    DBEngine(const DBEngine&) = delete;
    DBEngine& operator=(const DBEngine&) = delete;

    // Creates an empty database file; raises when the file exists or cannot be made.
    void CreateDatabase(int openMode, const QString& path, int = 0, int = 0);
    // Opens an existing file; raises when it is missing or not a database, and, to be written,
    // when it holds tables of another program (ForeignFile): such a file is left untouched.
    // Nothing is written to the file before the first change (claimForWriting).
    void OpenDatabase(int openMode, const QString& path, int = 0, int = 0, itfNotifyEvent* notify = nullptr, int = 5,
                      int = 0, bool = true, bool = true, int = 0, int = -2);
    void Close();
    bool IsOpen() const;
    QString Path() const { return m_path; }
    // Where the last opening set aside a log that was not the file's own (SetAsideForeignLog);
    // empty when it found none. A file that fails SQLite's quick check with its own log is
    // not opened for writing: OpenDatabase raises NotADatabase and the file stays as it was.
    QString SetAsideLog() const { return m_setAsideLog; }

    // Read only (2) opens the file read-only, also when the file is open already (it is
    // opened again; not inside a transaction). Set it before OpenDatabase for a file the
    // program may not write.
    virtual void SetAccessMode(int mode);
    int AccessMode() const { return m_accessMode; }
    // With UseTransaction off, BeginTransaction/CommitTransaction/RollbackTransaction do
    // nothing (every single library operation stays atomic all the same).
    virtual void SetUseTransaction(bool use);
    bool UseTransaction() const { return m_useTransaction; }
    // 1 while rows are edited interactively (the default); 0 for batch work.
    int Mode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    void SetUser(const QString& user) { m_user = user; }
    QString User() const { return m_user; }
    bool IsReadOnly() const;

    EngineConnection& GetConnection();
    void BeginTransaction();
    // A transaction begun whatever UseTransaction says, for a change that must be whole or
    // absent after a crash (an edit of a completed document); ended like any other.
    void BeginWholeTransaction();
    void CommitTransaction();
    void RollbackTransaction();
    int TransactionLevel() const { return int(m_transactions.size()); }
    // Writes the log into the main file, so that a copy of the file is complete.
    void Flush();

    // --- library internals ------------------------------------------------------------
    SqlConnection& sql() const;
    std::shared_ptr<SqlConnection> sqlShared() const { return m_conn; }
    qint64 allocateOid(const QString& table);
    // Before the first write of this opening: the file's OID prefix is settled and this
    // connection is listed among the file's users. Until then an opening has changed no byte
    // of the file, so a file refused on opening (a newer one) stays exactly as it was.
    void claimForWriting();
    qint64 sitePrefix() const { return m_site; }
    // The schema name under which `other`'s file is attached to this engine's connection
    // (FileLink); empty when it is not.
    QString attachedAs(const DBEngine& other) const { return m_attached.value(&other); }
    void forgetOidCache();
    QString connectionsTable() const;

private:
    void applyPragmas();
    bool wantsReadOnly() const { return m_openMode == kReadOnlyOpen || m_accessMode == kAccessReadOnly; }
    void refuseForeignFile();
    void prepareFile();
    void settleSite();
    void registerConnection();

    std::shared_ptr<SqlConnection> m_conn;
    std::unique_ptr<EngineConnection> m_connection;
    QString m_path;
    QString m_setAsideLog;
    int m_openMode = 3;
    int m_accessMode = kAccessSingle;
    bool m_useTransaction = false;
    int m_mode = 1;
    QString m_user;
    qint64 m_site = 0;
    qint64 m_connectionRow = 0;
    bool m_claimed = false;
    // Per table (by its declared name): the next OID to hand out while this connection holds
    // the write lock (0: reserve first, as after every commit another program may have taken
    // some), the highest handed out, stored or not, and whether the file's counter still has
    // to be brought past it.
    struct OidCounter {
        qint64 next = 0;
        qint64 highWater = 0;
        bool unsettled = false;
    };
    void settleOids();
    qint64 reserveOid(const QString& table, OidCounter& counter);
    QHash<QString, OidCounter> m_oids;
    QStringList m_transactions;
    QHash<const DBEngine*, QString> m_attached;
    friend class FileLink;
};

// While it lives, rows copied from `source`'s file into `target`'s (CopyRows, CopyRowsTo)
// travel by sets of rows, as a few statements over both files, instead of one row at a time:
// `source`'s file is attached to `target`'s connection. Made while no operation is under way
// on `target` (nothing can be attached inside a transaction), and ended the same way; where
// the file cannot be attached, copies go row by row with the same result. Both engines must
// outlive it.
class FileLink {
public:
    FileLink(DBEngine& target, const DBEngine& source);
    ~FileLink();
    FileLink(const FileLink&) = delete;
    FileLink& operator=(const FileLink&) = delete;
    bool active() const { return !m_alias.isEmpty(); }

private:
    DBEngine& m_target;
    const DBEngine& m_source;
    QString m_alias;
};
