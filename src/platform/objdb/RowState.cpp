// Row buffers: reading a row, resolving a field name to the row (own or ancestor) that
// holds it, and writing rows back, parents first.
#include "Database.h"
#include "DBEngine.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "OpenRows.h"
#include "SqlConnection.h"
#include <atomic>

namespace objdb {

namespace {
QString q(const QString& n) { return SqlConnection::quoteName(n); }
// Process-wide: an operation on any database may have changed a row another buffer holds.
std::atomic<quint64> g_epoch {1};
}

bool RowState::fresh() const { return freshEpoch == g_epoch.load(std::memory_order_relaxed); }
void RowState::markFresh() { freshEpoch = g_epoch.load(std::memory_order_relaxed); }
void endFreshEpoch() { g_epoch.fetch_add(1, std::memory_order_relaxed); }
quint64 currentFreshEpoch() { return g_epoch.load(std::memory_order_relaxed); }

bool RowState::ownDirty() const
{
    if (isNew || parentChanged) return true;
    for (char c : changed)
        if (c) return true;
    for (char c : refChanged)
        if (c) return true;
    return false;
}

bool RowState::dirty() const
{
    if (ownDirty()) return true;
    if (parent && parent->dirty()) return true;
    for (const auto& r : alsoSave)
        if (r && r.get() != this && r->dirty()) return true;
    return false;
}

void RowState::clearChanges()
{
    std::fill(changed.begin(), changed.end(), 0);
    std::fill(refChanged.begin(), refChanged.end(), 0);
    base.clear();
    numbers.clear();
    parentChanged = false;
    isNew = false;
}

void RowState::noteBase(int field)
{
    if (isNew || changed[size_t(field)] || !schema->fields[size_t(field)].def.RunningTotal) return;
    if (base.empty()) base.resize(values.size());
    base[size_t(field)] = values[size_t(field)];
}

void RowState::resetEmpty()
{
    values.assign(schema->fields.size(), QVariant());
    changed.assign(schema->fields.size(), 0);
    base.clear();
    numbers.clear();
    refs.assign(schema->singleRefs.size(), 0);
    refChanged.assign(schema->singleRefs.size(), 0);
    parentOid = 0;
    parentChanged = false;
    parent.reset();
}

RowSnapshot snapshotOf(const RowPtr& row)
{
    RowSnapshot s;
    s.row = row;
    s.oid = row->oid;
    s.isNew = row->isNew;
    s.deleted = row->deleted;
    s.freshEpoch = row->freshEpoch;
    s.stamp = row->stamp;
    s.parentChanged = row->parentChanged;
    s.values = row->values;
    s.changed = row->changed;
    s.base = row->base;
    s.numbers = row->numbers;
    s.refs = row->refs;
    s.refChanged = row->refChanged;
    s.parentOid = row->parentOid;
    s.parent = row->parent;
    s.alsoSave = row->alsoSave;
    s.joinOwner = row->joinOwner;
    s.joinRef = row->joinRef;
    return s;
}

void restore(const RowSnapshot& s)
{
    RowState& r = *s.row;
    r.oid = s.oid;
    r.isNew = s.isNew;
    r.deleted = s.deleted;
    r.freshEpoch = s.freshEpoch;
    r.stamp = s.stamp;
    r.parentChanged = s.parentChanged;
    r.values = s.values;
    r.changed = s.changed;
    r.base = s.base;
    r.numbers = s.numbers;
    r.refs = s.refs;
    r.refChanged = s.refChanged;
    r.parentOid = s.parentOid;
    r.parent = s.parent;
    r.alsoSave = s.alsoSave;
    r.joinOwner = s.joinOwner;
    r.joinRef = s.joinRef;
}

RowPtr newRowState(TableSchema& schema, DBEngine& engine)
{
    auto r = std::make_shared<RowState>();
    r->schema = &schema;
    r->engine = &engine;
    r->resetEmpty();
    return r;
}

namespace {

// The stored row as the reader of one row reads it: the parent's OID, the fields, the single
// references. False when the row is no longer stored.
struct StoredRow {
    qint64 parentOid = 0;
    std::vector<QVariant> values;
    std::vector<qint64> refs;
};

bool readStored(DBEngine& engine, TableSchema& t, qint64 oid, StoredRow& out)
{
    if (t.readSql.isEmpty()) {
        QStringList cols {t.isChild() ? QStringLiteral("\"objParent\"") : QStringLiteral("NULL")};
        for (const auto& f : t.fields) cols << q(f.def.Name);
        for (int i : t.singleRefs) cols << q(t.refs[size_t(i)].def.column());
        t.readSql
            = QStringLiteral("SELECT %1 FROM %2 WHERE \"OID\" = ?").arg(cols.join(QStringLiteral(", ")), t.quoted());
    }
    SqlConnection::Stmt st = engine.sql().prepare(t.readSql);
    st.bind(1, oid);
    if (!st.next()) return false;
    out.parentOid = st.isNull(0) ? 0 : st.int64(0);
    out.values.resize(t.fields.size());
    out.refs.resize(t.singleRefs.size());
    int c = 1;
    for (size_t i = 0; i < t.fields.size(); ++i) out.values[i] = fromStorage(t.fields[i].kind, st.value(c++));
    for (size_t i = 0; i < t.singleRefs.size(); ++i) out.refs[i] = st.isNull(c) ? 0 : st.int64(c), ++c;
    return true;
}

// stored + (value - base), in the field's own arithmetic; an empty value counts as 0.
QVariant carriedOver(Kind kind, const QVariant& stored, const QVariant& value, const QVariant& base)
{
    auto empty = [](const QVariant& v) { return !v.isValid() || v.isNull(); };
    // Emptied on purpose: nothing to carry over.
    if (empty(value)) return value;
    switch (kind) {
    case Kind::Currency: {
        auto money = [&](const QVariant& v) { return empty(v) ? Currency() : v.value<Currency>(); };
        return QVariant::fromValue(money(stored) + (money(value) - money(base)));
    }
    case Kind::Integer: {
        auto whole = [&](const QVariant& v) { return empty(v) ? qint64(0) : v.toLongLong(); };
        return QVariant(whole(stored) + (whole(value) - whole(base)));
    }
    case Kind::Real: {
        auto real = [&](const QVariant& v) { return empty(v) ? 0.0 : v.toDouble(); };
        return QVariant(real(stored) + (real(value) - real(base)));
    }
    default: return value;
    }
}

}   // namespace

void readRow(DBEngine& engine, RowState& row)
{
    StoredRow stored;
    if (!readStored(engine, *row.schema, row.oid, stored)) {
        row.deleted = true;
        return;
    }
    if (stored.parentOid != row.parentOid) row.parent.reset();
    row.parentOid = stored.parentOid;
    row.values = std::move(stored.values);
    row.refs = std::move(stored.refs);
    std::fill(row.changed.begin(), row.changed.end(), 0);
    std::fill(row.refChanged.begin(), row.refChanged.end(), 0);
    row.base.clear();
    row.numbers.clear();
    row.parentChanged = false;
    row.isNew = false;
    row.deleted = false;
    row.markFresh();
    row.stamp = engine.sql().readStamp();
}

void rebaseRow(RowState& row)
{
    TableSchema& t = *row.schema;
    StoredRow stored;
    // Gone meanwhile: the pending changes stand as they are (their write finds no row).
    if (!readStored(*row.engine, t, row.oid, stored)) {
        row.markFresh();
        row.stamp = row.engine->sql().readStamp();
        return;
    }
    for (size_t i = 0; i < t.fields.size(); ++i) {
        if (!row.changed[i]) {
            row.values[i] = std::move(stored.values[i]);
        } else if (t.fields[i].def.RunningTotal && i < row.base.size()) {
            row.values[i] = carriedOver(t.fields[i].kind, stored.values[i], row.values[i], row.base[i]);
            row.base[i] = std::move(stored.values[i]);
        }
    }
    for (size_t i = 0; i < t.singleRefs.size(); ++i)
        if (!row.refChanged[i]) row.refs[i] = stored.refs[i];
    if (!row.parentChanged && stored.parentOid != row.parentOid) {
        row.parent.reset();
        row.parentOid = stored.parentOid;
    }
    row.markFresh();
    row.stamp = row.engine->sql().readStamp();
}

bool rowExists(DBEngine& engine, const TableSchema& schema, qint64 oid)
{
    return !engine.sql()
                .scalar(QStringLiteral("SELECT 1 FROM %1 WHERE \"OID\" = ?").arg(schema.quoted()), {oid})
                .isNull();
}

RowPtr loadRow(Database& db, DBEngine& engine, TableSchema& schema, qint64 oid)
{
    if (oid == 0) return nullptr;
    if (RowPtr live = db.liveRow(engine, schema.name, oid)) return live;
    RowPtr r = newRowState(schema, engine);
    r->oid = oid;
    readRow(engine, *r);
    if (r->deleted) return nullptr;
    return r;
}

RowState* parentOf(Database& db, RowState& row)
{
    if (!row.schema->parent || row.parentOid == 0) return nullptr;
    if (!row.parent || row.parent->oid != row.parentOid)
        row.parent = loadRow(db, *row.engine, *row.schema->parent, row.parentOid);
    return row.parent.get();
}

FieldRef resolveField(Database& db, RowState& row, const QString& name)
{
    RowState* r = &row;
    TableSchema* s = row.schema;
    for (int level = 0; s; ++level) {
        const int i = s->fieldIndex(name);
        if (i >= 0) {
            FieldRef f;
            f.row = r;
            f.index = i;
            f.level = level;
            f.field = &s->fields[size_t(i)];
            return f;
        }
        s = s->parent;
        if (!s) break;
        r = r ? parentOf(db, *r) : nullptr;
        if (!r) {
            // The field belongs to an ancestor that is not set: it reads as Null.
            if (const FieldSchema* fs = s->field(name)) {
                FieldRef f;
                f.index = s->fieldIndex(name);
                f.level = level + 1;
                f.field = fs;
                return f;
            }
        }
    }
    return FieldRef();
}

namespace {

// Read again, or rebased when it holds pending changes.
void freshen(RowState& r)
{
    if (r.ownDirty())
        rebaseRow(r);
    else
        readRow(*r.engine, r);
}

// Old by the epoch, and not known to be as stored: read before the file last changed, or
// while this program did not hold the lock. Without the lock a row with pending changes is
// left as it is: the operation that stores it takes the lock and brings it up to date then.
bool stale(RowState& r)
{
    if (!r.stored() || r.deleted || r.fresh()) return false;
    SqlConnection& c = r.engine->sql();
    if (!c.holdsWriteLock()) return !r.ownDirty();
    if (c.unchangedSince(r.schema->name, r.stamp)) {
        r.markFresh();
        return false;
    }
    return true;
}

void freshenChain(Database& db, RowState& row)
{
    if (stale(row)) freshen(row);
    for (RowState* r = &row; r;) {
        RowState* p = parentOf(db, *r);
        if (p && stale(*p)) {
            if (!p->ownDirty()) {
                // Loaded again rather than read in place: the pending copy another data set
                // holds, when there is one, wins over the stored values.
                r->parent.reset();
                p = parentOf(db, *r);
            }
            if (p && stale(*p)) freshen(*p);
        }
        r = p;
    }
}

}   // namespace

void prepareForChange(Database& db, RowState& row)
{
    // The lock first: rows read after it cannot change before the operation ends.
    db.lockForChange(*row.engine);
    freshenChain(db, row);
}

void freshenForRead(Database& db, RowState& row)
{
    auto current = [](const RowState& r) { return !r.stored() || r.fresh(); };
    if (current(row) && (!row.parent || current(*row.parent))) return;
    if (db.frames().empty() || !row.engine || !row.engine->IsOpen() || !row.engine->sql().holdsWriteLock()) return;
    freshenChain(db, row);
}

void retakeNumbers(TableData& view, RowState& row)
{
    if (row.numbers.empty()) return;
    const std::vector<TakenNumber> numbers = row.numbers;
    for (const TakenNumber& n : numbers) {
        if (n.onCollision) continue;
        const QVariant next = n.again(view);
        const FieldSchema& f = row.schema->fields[size_t(n.field)];
        if (!sameValue(f.kind, row.values[size_t(n.field)], coerce(f.kind, next, f.def.Name)))
            setFieldValue(view, f.def.Name, next);
    }
}

QString uniqueViolationMessage(const TableSchema& table, const QString& storageMessage)
{
    // "UNIQUE constraint failed: T.a, T.b" -> the declared names; an index over expressions is
    // named instead ("... failed: index 'T$name'"), and its declared fields are told.
    QStringList names;
    const QString rest = storageMessage.mid(storageMessage.indexOf(u':') + 1).trimmed();
    if (rest.startsWith(QLatin1String("index '")) && rest.endsWith(u'\'')) {
        const QString indexName = rest.mid(7, rest.size() - 8);
        for (const IndexSchema& ix : table.indexes)
            if (ix.sqlName == indexName) names = ix.fields;
    }
    if (names.isEmpty()) {
        for (QString part : rest.split(u',', Qt::SkipEmptyParts)) {
            part = part.trimmed();
            const int dot = part.indexOf(u'.');
            QString col = dot >= 0 ? part.mid(dot + 1) : part;
            if (col.startsWith(QLatin1String("OID_"), Qt::CaseInsensitive)) col = col.mid(4);
            names << col;
        }
    }
    const QString caption = table.identity.Caption.isEmpty() ? table.name : table.identity.Caption;
    return QStringLiteral("Esiste già un elemento di <%1> con lo stesso valore di: %2")
        .arg(caption, names.join(QStringLiteral(", ")));
}

void writeChangedRelations(Database& db, const RowPtr& row)
{
    if (row->parent && row->parent->dirty()) writeRow(db, row->parent);
    std::vector<RowPtr> others = row->alsoSave;
    for (const RowPtr& r : others)
        if (r && r != row && r->dirty()) writeRow(db, r);
    row->alsoSave.clear();
}

namespace {

// The write broke a unique index over numbers the row took "on collision": they are taken
// again (under the write lock the write stands in). False when there is nothing to take again.
bool retakeCollidingNumbers(Database& db, const RowPtr& row, const AppError& e)
{
    if (e.number != errorNumber(UniqueViolation) || row->numbers.empty()) return false;
    // "UNIQUE constraint failed: T.a, T.b"
    QStringList columns;
    for (const QString& part : e.description.mid(e.description.indexOf(u':') + 1).split(u',', Qt::SkipEmptyParts))
        columns << part.trimmed().section(u'.', -1);
    std::unique_ptr<TableData> view;
    bool taken = false;
    for (const TakenNumber& n : std::vector<TakenNumber>(row->numbers)) {
        const FieldSchema& f = row->schema->fields[size_t(n.field)];
        if (!n.onCollision || !columns.contains(f.def.Name, Qt::CaseInsensitive)) continue;
        if (!view) view = DataSetAccess::view(db.shared_from_this(), row->engine->shared_from_this(), row);
        const QVariant next = coerce(f.kind, n.again(*view), f.def.Name);
        if (sameValue(f.kind, row->values[size_t(n.field)], next)) continue;
        row->values[size_t(n.field)] = next;
        row->changed[size_t(n.field)] = 1;
        taken = true;
    }
    return taken;
}

}   // namespace

void writeRow(Database& db, const RowPtr& rowPtr)
{
    RowState& row = *rowPtr;
    TableSchema& t = *row.schema;
    SqlConnection& c = db.writer(*row.engine);
    // A row changed in an earlier operation and stored only now (a customer's points, changed
    // with each line and stored with the sale) is brought up to what another program stored
    // meanwhile, its running totals carried over, as a row changed now is.
    if (!row.isNew && !row.deleted && stale(row)) freshen(row);
    db.journal(rowPtr);
    writeChangedRelations(db, rowPtr);
    if (row.deleted) return;
    // Runs the write, taking again the numbers another program took meanwhile (a few times at
    // most: each time, under the lock, the next free one is free).
    auto write = [&](const std::function<std::pair<QString, QVariantList>()>& statement) {
        for (int attempt = 0;; ++attempt) {
            const auto [sql, vals] = statement();
            try {
                c.noteWrite(t.name, c.execute(sql, vals));
                return;
            } catch (const AppError& e) {
                if (attempt >= 8 || !retakeCollidingNumbers(db, rowPtr, e)) throw;
            }
        }
    };
    if (row.isNew) {
        if (row.oid == 0) row.oid = row.engine->allocateOid(t.name);
        if (t.insertSql.isEmpty()) {
            QStringList cols {QStringLiteral("\"OID\"")};
            if (t.isChild()) cols << QStringLiteral("\"objParent\"");
            for (const auto& f : t.fields) cols << q(f.def.Name);
            for (int i : t.singleRefs) cols << q(t.refs[size_t(i)].def.column());
            QString marks;
            for (int i = 0; i < cols.size(); ++i) marks += i ? QStringLiteral(", ?") : QStringLiteral("?");
            t.insertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(t.quoted(), cols.join(QStringLiteral(", ")), marks);
        }
        auto insert = [&] {
            QVariantList vals {row.oid};
            vals.reserve(qsizetype(2 + t.fields.size() + t.singleRefs.size()));
            if (t.isChild()) vals << (row.parentOid ? QVariant(row.parentOid) : QVariant());
            for (size_t i = 0; i < t.fields.size(); ++i) vals << toStorage(t.fields[i].kind, row.values[i]);
            for (size_t i = 0; i < t.singleRefs.size(); ++i) vals << (row.refs[i] ? QVariant(row.refs[i]) : QVariant());
            return std::make_pair(t.insertSql, vals);
        };
        try {
            write(insert);
        } catch (const AppError& e) {
            // Another program on the same file took this OID: take the next free one.
            if (e.number != errorNumber(UniqueViolation) || !e.description.contains(QStringLiteral(".OID"))) throw;
            row.engine->forgetOidCache();
            row.oid = row.engine->allocateOid(t.name);
            write(insert);
        }
        if (row.joinOwner && row.joinRef) {
            const qint64 joined
                = c.execute(QStringLiteral("INSERT OR IGNORE INTO %1 (\"OwnerOID\", \"MemberOID\") VALUES (?, ?)")
                                .arg(q(row.joinRef->linkTable)),
                            {row.joinOwner->oid, row.oid});
            c.noteWrite(row.joinRef->linkTable, joined);
        }
        if (t.completionIndex >= 0 && !row.values[size_t(t.completionIndex)].toBool()) NoteOpenRow(c, t, row.oid);
    } else if (row.ownDirty()) {
        auto update = [&] {
            QStringList sets;
            QVariantList vals;
            if (row.parentChanged) {
                sets << QStringLiteral("\"objParent\" = ?");
                vals << (row.parentOid ? QVariant(row.parentOid) : QVariant());
            }
            for (size_t i = 0; i < t.fields.size(); ++i) {
                if (!row.changed[i]) continue;
                sets << q(t.fields[i].def.Name) + QStringLiteral(" = ?");
                vals << toStorage(t.fields[i].kind, row.values[i]);
            }
            for (size_t i = 0; i < t.singleRefs.size(); ++i) {
                if (!row.refChanged[i]) continue;
                sets << q(t.refs[size_t(t.singleRefs[i])].def.column()) + QStringLiteral(" = ?");
                vals << (row.refs[i] ? QVariant(row.refs[i]) : QVariant());
            }
            vals << row.oid;
            return std::make_pair(
                QStringLiteral("UPDATE %1 SET %2 WHERE \"OID\" = ?").arg(t.quoted(), sets.join(QStringLiteral(", "))),
                vals);
        };
        bool anything = row.parentChanged;
        for (char ch : row.changed) anything = anything || ch;
        for (char ch : row.refChanged) anything = anything || ch;
        if (anything) write(update);
        if (const int done = t.completionIndex;
            done >= 0 && row.changed[size_t(done)] && row.values[size_t(done)].toBool())
            ForgetOpenRow(c, t, row.oid);
    }
    row.clearChanges();
    row.joinOwner.reset();
    row.joinRef = nullptr;
    row.markFresh();
    row.remembered = false;
}

void deleteStoredRow(Database& db, const RowPtr& rowPtr)
{
    RowState& row = *rowPtr;
    TableSchema& t = *row.schema;
    SqlConnection& c = db.writer(*row.engine);
    db.journal(rowPtr);
    if (!row.isNew) {
        c.noteWrite(t.name, c.execute(QStringLiteral("DELETE FROM %1 WHERE \"OID\" = ?").arg(t.quoted()), {row.oid}));
        for (const RefSchema& r : t.refs)
            if (r.isList())
                c.execute(QStringLiteral("DELETE FROM %1 WHERE \"OwnerOID\" = ?").arg(q(r.linkTable)), {row.oid});
        // Memberships of the row in other tables' lists.
        for (const RefSchema* r : db.listsTo(t))
            c.execute(QStringLiteral("DELETE FROM %1 WHERE \"MemberOID\" = ?").arg(q(r->linkTable)), {row.oid});
        if (t.completionIndex >= 0) ForgetOpenRow(c, t, row.oid);
    }
    row.deleted = true;
}

}   // namespace objdb
