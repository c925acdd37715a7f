#pragma once
// Internals shared by the library's source files: row buffers, operation frames, the
// compiled form of a data set's query, and the private state of TableData.
#include "JetTranslator.h"
#include "Schema.h"
#include "SqlConnection.h"
#include "TableData.h"
#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Database;
class DBEngine;
class SqlConnection;

namespace objdb {

struct RowState;
using RowPtr = std::shared_ptr<RowState>;

// A number a rule took as the next free one (the highest so far plus one): taken again when
// the row is stored, under the write lock, since another program may have taken the same.
struct TakenNumber {
    int field = -1;
    std::function<QVariant(TableData&)> again;
    bool onCollision = false;   // only when the write breaks a unique index over the field
};

// The values of one row as the program sees them, with what changed since it was read.
// Shared by every data set that stands on the row, so a change made through one (a rule
// raised on the owner, a parent field set through a line) is seen by all.
struct RowState {
    TableSchema* schema = nullptr;
    DBEngine* engine = nullptr;
    qint64 oid = 0;
    bool isNew = false;
    bool deleted = false;
    std::vector<QVariant> values;   // own fields, program values
    std::vector<char> changed;
    // Running totals with pending changes: the stored value each change was made from. Until
    // the row is written, another program may change the total; the change is then carried
    // over to what is stored (stored + value - base).
    std::vector<QVariant> base;
    std::vector<TakenNumber> numbers;
    std::vector<qint64> refs;   // single references (0: unset)
    std::vector<char> refChanged;
    qint64 parentOid = 0;
    bool parentChanged = false;
    RowPtr parent;   // loaded on demand
    // The operation epoch in which the values were last read or written (0: never). A row
    // is fresh only until the operation under way ends: another data set may change the
    // stored row after that, so a later change starts by reading it again.
    quint64 freshEpoch = 0;
    // The file's count of events when the values were read (SqlConnection::readStamp; 0:
    // unknown): under the write lock, a stale row whose table saw no event since needs no new
    // read.
    quint64 stamp = 0;
    int holders = 0;   // cursors standing on the row
    bool remembered = false;   // known to the database as a row with pending changes
    // Rows changed through this one and saved with it: a former parent, rows reached
    // through its references or owner.
    std::vector<RowPtr> alsoSave;
    // A pending list the row joins when it is stored (new rows made in a list's data set).
    RowPtr joinOwner;
    const RefSchema* joinRef = nullptr;

    bool dirty() const;
    bool ownDirty() const;
    void clearChanges();
    void resetEmpty();   // all Null, nothing changed
    bool fresh() const;
    void markFresh();
    bool stored() const { return !isNew && oid != 0; }
    // Notes the value a running total is changed from, before its first pending change.
    void noteBase(int field);
};

// Ends the current epoch: every row buffer read or written so far counts as stale.
void endFreshEpoch();
quint64 currentFreshEpoch();

RowPtr newRowState(TableSchema& schema, DBEngine& engine);
// A stored row, or the live copy of it that a pending change already holds.
RowPtr loadRow(Database& db, DBEngine& engine, TableSchema& schema, qint64 oid);
void readRow(DBEngine& engine, RowState& row);   // values from storage (row must exist); false: gone
// A row with pending changes brought up to what is stored now: what it did not change is read
// again, running totals keep their change on top of the stored value, other changes stand.
void rebaseRow(RowState& row);
bool rowExists(DBEngine& engine, const TableSchema& schema, qint64 oid);
RowState* parentOf(Database& db, RowState& row);   // loads the parent row on demand

// Where a field name lands: the row (own or an ancestor) and the field in it.
struct FieldRef {
    RowState* row = nullptr;
    int index = -1;
    int level = 0;   // 0 own row, 1 parent, 2 grandparent...
    const FieldSchema* field = nullptr;
    explicit operator bool() const { return row != nullptr; }
};
FieldRef resolveField(Database& db, RowState& row, const QString& name);

// Writes the row (and before it the rows changed through it). Unique violations become
// a refusal of the operation under way. No events.
void writeRow(Database& db, const RowPtr& row);
void writeChangedRelations(Database& db, const RowPtr& row);
// Deletes the stored row and its memberships (no events, no owned rows).
void deleteStoredRow(Database& db, const RowPtr& row);
// Before a change: an operation that stores rows takes the write lock on the row's file
// (Database::lockForChange), then the row and its ancestors, where stale, are read again from
// storage (rebased when they hold pending changes, under the lock only), so that no change
// is computed from (and writes back) values another data set or another program has changed
// since.
void prepareForChange(Database& db, RowState& row);
// Inside an operation holding the write lock: the row (and its ancestors), when stale, read
// again before a rule reads it.
void freshenForRead(Database& db, RowState& row);
// The numbers the rules took for the row to be taken again before it is stored, under the
// write lock; `view` is the row's data set.
void retakeNumbers(TableData& view, RowState& row);
QString uniqueViolationMessage(const TableSchema& table, const QString& storageMessage);

// --- operations -----------------------------------------------------------------------
enum class OpKind { SetValue, Update, Delete, NewRow, AddRow, Reference, Parent, Attach, Bulk };

// A row buffer as it stood before an operation first changed it, put back whole when the
// operation is rolled back or refused: values, references, parent and the flags that say
// what is still to be written (a new row whose insert was rolled back is new again).
struct RowSnapshot {
    RowPtr row;
    qint64 oid = 0;
    bool isNew = false, deleted = false, parentChanged = false;
    quint64 freshEpoch = 0;
    quint64 stamp = 0;
    std::vector<QVariant> values;
    std::vector<char> changed, refChanged;
    std::vector<QVariant> base;
    std::vector<TakenNumber> numbers;
    std::vector<qint64> refs;
    qint64 parentOid = 0;
    RowPtr parent;
    std::vector<RowPtr> alsoSave;
    RowPtr joinOwner;
    const RefSchema* joinRef = nullptr;
};
RowSnapshot snapshotOf(const RowPtr& row);
void restore(const RowSnapshot& s);

// A savepoint an operation stands on. Operations that have not written to a file since they
// began all stand at the same state of it: one savepoint serves them all. The outermost of
// them opens it; the ones within borrow it: rolled back, they go back to it and leave it
// open; done, they leave it to the operation that opened it.
struct Savepoint {
    SqlConnection* connection = nullptr;
    QString name;
    bool borrowed = false;
    quint64 writesAtOpen = 0;   // the connection's writeCount when it was opened
};

// The rows whose state before an operation is in its journal. Asked on every change, and
// mostly a handful: a set (allocated with every operation) only once they are many.
class JournaledRows {
public:
    bool contains(const RowState* row) const
    {
        if (!m_many.isEmpty()) return m_many.contains(row);
        return std::find(m_few.begin(), m_few.end(), row) != m_few.end();
    }
    void insert(const RowState* row)
    {
        if (!m_many.isEmpty()) {
            m_many.insert(row);
            return;
        }
        m_few.push_back(row);
        if (m_few.size() <= kFew) return;
        for (const RowState* r : m_few) m_many.insert(r);
        m_few.clear();
    }
    void erase(const RowState* row)
    {
        if (!m_many.isEmpty()) {
            m_many.remove(row);
            return;
        }
        m_few.erase(std::remove(m_few.begin(), m_few.end(), row), m_few.end());
    }

private:
    static constexpr size_t kFew = 16;
    std::vector<const RowState*> m_few;
    QSet<const RowState*> m_many;
};

struct Frame {
    OpKind kind;
    QString refusal;
    bool undoing = false;
    std::vector<Savepoint> savepoints;
    std::vector<RowSnapshot> journal;
    JournaledRows journaled;   // rows whose state before the operation is in the journal
    size_t pruneAt = 256;   // journal size at which rows nobody holds any more are let go
};

// One library operation: a frame on the database's stack and, on the first write, a
// savepoint on each file it writes. Rolled back unless committed.
class OpScope {
public:
    OpScope(Database& db, OpKind kind);
    ~OpScope();
    OpScope(const OpScope&) = delete;
    OpScope& operator=(const OpScope&) = delete;
    void commit();
    // Undoes everything the operation did: its writes and the row buffers it changed.
    void rollback();
    // After a refused change was undone by raising the events again: rows that were new
    // before the change get back every value it left in them. The rules cannot give those
    // back (a line whose article went has no price to compute its amount from), and nobody
    // else has seen a row that was never stored.
    void restoreNewRows();
    Frame& frame();
    bool refused() const;
    QString refusal() const;

private:
    static void letGoOfUnheldRows(Frame& f);
    Database& m_db;
    size_t m_index;
    bool m_done = false;
};

// --- queries ----------------------------------------------------------------------------
struct OrderTerm {
    QString sql;
    bool desc = false;
};

struct DisplayColumn {
    enum Source { Own, Ref, Parent, Extra } source;
    int index;
    QString name;
};

struct CompiledQuery {
    QString select;   // column list
    QString table;   // the data set's table, quoted
    std::vector<JetSchema::Join> joins;   // the parent's first, then what the names reached
    QString from;   // the table with its joins
    // The table with the joins its condition and order need, where a page's keys are found
    // before its rows are read (fetchPage); empty when the rows are read directly. Whether
    // that pays is seen in SQLite's plan at the first key query.
    QString keyFrom;
    bool keysPlanAsked = false;
    QString where;   // "1" when none
    QVariantList params;
    qsizetype filterParamStart = 0;   // where the filter's values start among the params
    std::vector<OrderTerm> order;   // always ends with the OID
    int ownFieldStart = 2, ownRefStart = 0, parentFieldStart = 0, parentRefStart = 0, extraStart = 0, keyStart = 0;
    int columnCount = 0;
    QStringList extraNames;
    std::vector<Kind> extraKinds;   // kind when the column is a known field, else Text with raw values
    std::vector<char> extraTyped;
    // Extras computed under the name of one of the table's fields: reading that name gives them.
    std::vector<char> extraShadows;
    bool anyShadow = false;
    // Extras the field list computes by arithmetic: numbers, totalled like a number field.
    std::vector<char> extraNumbers;
    std::vector<DisplayColumn> display;
    // The texts of a one-row query (a row found by key or OID), made on first use: the head
    // up to the condition, the data set's OID condition and the order with its limit.
    QString oneRowHead, oneRowOid, oneRowOrder;
    // Keys found beyond a page, in reading order, after the row `aheadAfter`: reading on takes
    // its next page's keys from here while the file is as it was when they were found.
    std::vector<qint64> aheadKeys;
    size_t aheadNext = 0;
    bool aheadToTheEnd = false;   // they reach the last row that passes
    qint64 aheadAfter = 0;
    quint64 aheadEpoch = 0;
    std::weak_ptr<SqlConnection> aheadConnection;
    SqlConnection::ChangeMark aheadMark;
};

// A row as read by a data set's query: its columns, then its order keys, in one buffer (a
// page holds many rows, each allocated once).
struct CachedRow {
    qint64 oid = 0;
    quint64 readEpoch = 0;   // the freshness epoch in which it was read
    quint64 readStamp = 0;   // and the file's count of events then
    std::vector<QVariant> cols;
    size_t keyStart = 0;
    const QVariant& key(size_t i) const { return cols[keyStart + i]; }
};

}   // namespace objdb

// --- the private state of a data set --------------------------------------------------------
struct TableData::Impl {
    enum class Source { Table, List, Single, Bound };

    std::shared_ptr<Database> db;
    std::shared_ptr<DBEngine> engine;
    objdb::TableSchema* schema = nullptr;

    Source source = Source::Table;
    QString selectCondition;   // program SQL
    QString filter;   // program SQL (SetFilter)
    QVariantList filterValues;   // bound to the filter's "?" in order
    QString order;   // program SQL
    QString fieldList;
    objdb::RowPtr owner;   // lists: the owner row
    const objdb::RefSchema* listRef = nullptr;
    qint64 singleOid = 0;   // Single: the row
    std::weak_ptr<objdb::RowState> origin;   // the row through which this data set was reached

    std::optional<objdb::CompiledQuery> query;
    std::vector<objdb::CachedRow> window;
    int pos = -1;
    bool bof = true;
    bool eof = true;
    bool windowFull = false;   // the last fetch filled its page: more rows may follow
    objdb::RowPtr cur;
    // A grid's first screen and a report's first page take 100 rows: one query gives them
    // and the row after, which tells whether more follow.
    static constexpr int kFirstPageRows = 101;
    int pageSize = kFirstPageRows;
    int pagesRead = 0;   // pages read after the first, to grow the next one
    bool positioned = false;   // the first page has been read
    // Set while the window is the first page as read, with what the database looked like
    // then: moving to the first row again reuses it while nothing can have changed since
    // (no library operation ended, no write on the file). A view opened and then read from
    // its first row would otherwise run its query twice.
    bool firstPageKept = false;
    bool firstPageMore = false;   // its keys said rows may follow it
    quint64 firstPageEpoch = 0;
    std::weak_ptr<SqlConnection> firstPageConnection;
    SqlConnection::ChangeMark firstPageMark;

    RecordSource recordSource;
    bool newListRow = false;
    bool lastRefused = false;
    QString lastRefusal;
    QString selectedField;
};

namespace objdb {
// Construction of data sets and access to their state, for the library's own files.
class DataSetAccess {
public:
    static std::unique_ptr<TableData> make(std::unique_ptr<TableData::Impl> impl);
    static TableData::Impl& impl(TableData& td) { return *td.d; }
    static const TableData::Impl& impl(const TableData& td) { return *td.d; }
    static std::unique_ptr<TableData::Impl> newImpl(std::shared_ptr<Database> db, std::shared_ptr<DBEngine> engine,
                                                    TableSchema& schema);
    // A data set standing on one row buffer, without a cursor (events raised on it).
    static std::unique_ptr<TableData> view(std::shared_ptr<Database> db, std::shared_ptr<DBEngine> engine, RowPtr row);
};

// Cursor internals used across the data set's files.
void setCurrent(TableData::Impl& d, RowPtr row);
RowState& currentRow(const TableData& td);   // raises when there is none
RowState* currentRowOrNull(const TableData& td);
void ensureCompiled(TableData::Impl& d);
void invalidateQuery(TableData::Impl& d);
bool fetchFirst(TableData::Impl& d, bool reverse);
std::vector<CachedRow> fetchPage(TableData::Impl& d, const CachedRow* after, bool reverse, int limit,
                                 bool* more = nullptr);
// The keys alone of the rows fetchPage would read going forward.
std::vector<qint64> fetchKeys(TableData::Impl& d, const CachedRow* after, int limit);
void ensurePositioned(const TableData& td);
RowPtr rowFromCache(TableData::Impl& d, const CachedRow& c);
// The first row meeting the condition (after the current one when next), values bound to
// its "?"; the current row stays when there is none.
bool findFirst(TableData::Impl& d, const QString& condition, const QVariantList& values, bool next);
// The where clause of the data set (compiled), with the values it binds.
QString compiledWhere(TableData::Impl& d, QVariantList& params);
// A condition, value, order or field list of the program over the data set's table, translated
// (and kept by the database: the same texts come back with every data set opened on them).
JetPieces translatePiece(TableData::Impl& d, JetPieces::Kind kind, const QString& jet);
void addJoins(std::vector<JetSchema::Join>& into, const std::vector<JetSchema::Join>& joins);
// The compiled FROM clause with the further joins a later condition needs.
QString fromClause(const CompiledQuery& c, const std::vector<JetSchema::Join>& extra);

// Raising events.
void raiseFieldEvent(TableData& td, const FieldRef& ref, const QString& name, bool before, bool childOnly);
// prepared: prepareForChange was just made for the current row.
void setFieldValue(TableData& td, const QString& name, const QVariant& value, bool prepared = false);
std::unique_ptr<TableData> parentView(TableData& td, RowState& row);
RowPtr rowAtLevel(TableData::Impl& d, int level);
void touch(TableData::Impl& d, int level);
void reportRefusal(TableData& td, const QString& message);
void undoRefused(TableData& td, OpScope& op, const std::function<void()>& back);
Kind fieldKind(TableData& td, const QString& name);
// The owned list holding a row, with its owner row (null when none).
std::pair<RowPtr, const RefSchema*> ownerOf(TableData::Impl& d, RowState& row);
void raiseReferenceEvent(Database& db, const std::shared_ptr<DBEngine>& engine, const RowPtr& owner,
                         const RefSchema* ref, TableData* member, bool before);
QString rowKey(const RowState& row);
// The OID of the row of `table` whose field equals key (empty key: the row where it is empty); 0 when none.
qint64 findByKey(DBEngine& engine, TableSchema& table, const QString& keyField, const QVariant& key);

}   // namespace objdb
