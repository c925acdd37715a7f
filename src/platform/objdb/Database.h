#pragma once
// A database: the tables declared by a definition (or read from a file's stored
// declarations), attached to one or more engines. Attaching an engine creates or brings
// up to date every table, in order, and raises each table's structure event.
#include "base/Currency.h"
#include "CurrencyInfo.h"
#include "Definitions.h"
#include "JetTranslator.h"
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

class DBEngine;
class SqlConnection;
class itfNotifyEvent;
class itfProgress;
class TableObject;
class TableCollection;
namespace objdb {
struct TableSchema;
struct RefSchema;
struct Frame;
struct RowState;
class OpScope;
template <class> class LruCache;
}

class TableCollection {
public:
    int Count() const;
    TableObject* Item(int position) const;   // 1-based, in creation order
    TableObject* Item(const QString& name) const;   // case-insensitive; raises when missing
    bool Contains(const QString& name) const;
    bool Exists(const QString& name) const { return Contains(name); }

private:
    friend class Database;
    std::vector<TableObject*> m_ordered;
    QHash<QString, TableObject*> m_byName;   // lower-case name
};

class Database : public std::enable_shared_from_this<Database> {
public:
    enum StateCode { kClosed = 0, kAttaching = 2, kOpen = 5 };

    // definition: null for a database read from a file's stored declarations.
    Database(std::shared_ptr<itfDefDatabase> definition, QString name, itfNotifyEvent* sink);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Declares or upgrades every table on the engine's file, in definition order, and
    // raises OnUpdatedTableStruct for each; atomic as a whole. The first engine attached
    // is the database's own; others (a backup file) may be attached too.
    void AttachEngine(const std::shared_ptr<DBEngine>& engine, itfProgress* progress = nullptr);
    void AttachEngine(const std::shared_ptr<DBEngine>& engine, bool, int, int, int, itfProgress* progress)
    {
        AttachEngine(engine, progress);
    }
    // Opens the tables as stored in the file (no definition, no rules); names: comma list,
    // empty for all.
    void OpenStored(const std::shared_ptr<DBEngine>& engine, const QString& names = QString());
    int State() const { return m_state; }
    void Close();

    std::shared_ptr<DBEngine> GetEngine() const;
    QString Name() const { return m_name; }
    itfNotifyEvent* Sink() const { return m_sink; }
    void SetSink(itfNotifyEvent* sink) { m_sink = sink; }

    TableCollection& Tables() { return m_tables; }
    TableObject* FindTable(const QString& name) const;   // nullptr when missing

    // Operator access level: 0 operator, 1 administrator.
    int AccessLevel() const { return m_accessLevel; }
    void SetAccessLevel(int level) { m_accessLevel = level; }

    std::shared_ptr<CurrencyInfo> GetCurrency() const { return m_currency; }
    void SetCurrency(std::shared_ptr<CurrencyInfo> currency) { m_currency = std::move(currency); }
    std::shared_ptr<CurrencyInfo> ConversionCurrency() const;
    // The amount times factor, in the conversion currency when convert is True, rounded
    // (half away from zero) to that currency's decimals.
    Currency ConvertAmount(Currency amount, bool convert = false, double factor = 1.0) const;

    // Literals for conditions handed to Select/SetFilter (Jet SQL).
    QString QuoteText(const QString& text) const;
    QString FormatDateLiteral(const QDateTime& value, bool withTime = true) const;
    // Name of the table listing the programs that have the file open.
    QString ConnectionsName() const;
    // Runs a Jet SQL statement on the engine (null: the database's own), the names of
    // parent, referenced and owner tables resolved from the declarations. A SELECT gives
    // its rows; any other statement gives no columns and the rows changed in `changed`.
    struct QueryRows {
        QStringList columns;
        QList<QVariantList> rows;
        qint64 changed = 0;
    };
    QueryRows RunQuery(const QString& jetSql, const std::shared_ptr<DBEngine>& engine = nullptr);

    // --- library internals ------------------------------------------------------------
    objdb::TableSchema* schema(const QString& name) const;
    // List references (of every table) whose members are rows of this table.
    std::vector<const objdb::RefSchema*> listsTo(const objdb::TableSchema& table) const;
    const std::vector<std::unique_ptr<objdb::TableSchema>>& schemas() const { return m_schemas; }
    std::vector<objdb::Frame>& frames() { return m_frames; }
    // Opens the savepoints of the operations under way on this engine's file before a write.
    SqlConnection& writer(DBEngine& engine);
    // Takes the write lock on the engine's file for the operation under way when it stores
    // rows, before it reads what it will change (none outside an operation, nor on a file
    // opened read-only, whose writes are refused anyway).
    void lockForChange(DBEngine& engine);
    // A refusal of the operation under way (CancelWithMessage).
    void refuse(const QString& source, const QString& message);
    bool undoing() const;
    void warn(const QString& source, const QString& message);
    void message(const QString& source, const QString& message);
    void event(int action, const QString& source, const QString& detail);
    int& fieldDepth() { return m_fieldDepth; }
    QSet<QString>& marks() { return m_marks; }
    std::shared_ptr<objdb::RowState> liveRow(const DBEngine& engine, const QString& table, qint64 oid) const;
    void rememberLive(const std::shared_ptr<objdb::RowState>& row);
    // Notes a row buffer about to be written, so a rollback of the operation restores it.
    void journal(const std::shared_ptr<objdb::RowState>& row);
    // Rows whose reference events are being raised (saving them again raises none).
    QSet<QString>& inReferenceEvents() { return m_inReferenceEvents; }
    // Rows of this database's first engine are those of the database; others are attached files.
    bool isAttached(const DBEngine& engine) const;
    // A piece of a data set's query over `table` translated with the declarations (a condition
    // or order beside the data set's `fieldList`, whose aliases it may name); the last few
    // hundred are kept, since the same filters and orders come back all day.
    JetPieces translated(JetPieces::Kind kind, const QString& table, const QString& jet,
                         const QString& fieldList = QString());

private:
    void buildFromDefinition();
    void link();
    void createOrUpgrade(DBEngine& engine, objdb::TableSchema& t, int position, bool& isNew, double& oldVersion);
    void checkStoredTables(DBEngine& engine);
    void refuseNewerTables(DBEngine& engine);
    void addTable(std::unique_ptr<objdb::TableSchema> schema);

    std::shared_ptr<itfDefDatabase> m_definition;
    std::unique_ptr<DatabaseDefinition> m_declared;
    QString m_name;
    itfNotifyEvent* m_sink = nullptr;
    int m_state = kClosed;
    int m_accessLevel = 0;
    std::shared_ptr<CurrencyInfo> m_currency;
    std::vector<std::unique_ptr<objdb::TableSchema>> m_schemas;
    std::vector<std::unique_ptr<TableObject>> m_tableObjects;
    TableCollection m_tables;
    std::vector<std::weak_ptr<DBEngine>> m_engines;
    std::vector<objdb::Frame> m_frames;
    int m_fieldDepth = 0;
    QSet<QString> m_marks;
    QSet<QString> m_inReferenceEvents;
    mutable QHash<QString, std::weak_ptr<objdb::RowState>> m_live;
    qsizetype m_livePruneAt = 256;
    std::unique_ptr<objdb::LruCache<JetPieces>> m_translations;
    std::unique_ptr<objdb::TableSchema> m_connectionsSchema;
    std::unique_ptr<TableObject> m_connectionsTable;
};

// The library's entry points.
class LibraryGlobal {
public:
    static std::shared_ptr<Database> NewDatabase(std::shared_ptr<itfDefDatabase> definition, const QString& name,
                                                 itfNotifyEvent* sink, std::shared_ptr<CurrencyInfo> currency = nullptr,
                                                 int = 0);
    // The file's tables as stored (names: comma list, empty for all), without rules.
    static std::shared_ptr<Database> OpenExistingDatabase(const std::shared_ptr<DBEngine>& engine, itfNotifyEvent* sink,
                                                          const QString& tables = QString());
    static QString GetEventText(int action);
    static bool ValuesEqual(const QVariant& a, const QVariant& b);
};
