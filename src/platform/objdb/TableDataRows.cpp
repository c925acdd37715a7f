// New rows, saving and deleting, with the row events and the owner's reference events.
#include "Database.h"
#include "DBEngine.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"

using namespace objdb;
using Source = TableData::Impl::Source;

namespace {

QString captionOf(const TableData& td)
{
    const TableSchema& t = *DataSetAccess::impl(td).schema;
    return t.identity.Caption.isEmpty() ? t.name : t.identity.Caption;
}

// Storage refused a row (a unique index): the refusal the user sees. Any other failure of
// the storage is told with the operation it stopped.
[[noreturn]] void rethrowAsRefusal(TableData& td, const AppError& e, const QString& doing)
{
    if (e.number == errorNumber(UniqueViolation) && e.source == QLatin1String("objdb")) {
        const QString m = uniqueViolationMessage(*DataSetAccess::impl(td).schema, e.description);
        reportRefusal(td, m);
        throw objdb::error(UniqueViolation, td.tableName(), m);
    }
    throw withOperation(e, td.tableName(), doing.arg(captionOf(td)));
}

[[noreturn]] void failRefused(TableData& td, OpScope& op)
{
    const QString m = op.refusal();
    reportRefusal(td, m);
    throw objdb::error(Refused, td.tableName(), m);
}

struct ReferenceEventGuard {
    ReferenceEventGuard(Database& db, const QString& key) : m_db(db), m_key(key)
    {
        m_db.inReferenceEvents().insert(key);
    }
    ~ReferenceEventGuard() { m_db.inReferenceEvents().remove(m_key); }
    Database& m_db;
    QString m_key;
};

// The member as the owner's rules last counted it: as stored, or empty for a new one.
std::unique_ptr<TableData> storedView(TableData::Impl& d, RowState& row, bool gone)
{
    RowPtr s = newRowState(*row.schema, *row.engine);
    s->oid = row.oid;
    // A row never stored has nothing stored to read, whatever its OID: another program may
    // have stored a row of its own under that number meanwhile.
    s->isNew = row.isNew && !gone;
    if (!row.isNew && !gone) readRow(*row.engine, *s);
    if (gone) s->deleted = false;
    return DataSetAccess::view(d.db, d.engine, s);
}

// Deletes a stored row with its rules: OnDeleteRow, then its owned lines (each with its own
// rules), then the row; ownerEvents: raise the reference events on the row's owner.
void deleteWithRules(TableData& td, OpScope& op, bool ownerEvents);

void deleteOwnedLines(TableData& td, OpScope& op)
{
    auto& d = DataSetAccess::impl(td);
    RowPtr row = d.cur;
    for (const RefSchema& r : row->schema->refs) {
        if (!r.isList() || !r.def.IsOwned || !r.target) continue;
        QList<qint64> members;
        {
            auto st = d.engine->sql().prepare(QStringLiteral("SELECT \"MemberOID\" FROM %1 WHERE \"OwnerOID\" = ?")
                                                  .arg(SqlConnection::quoteName(r.linkTable)));
            st.bind(1, row->oid);
            while (st.next()) members << st.int64(0);
        }
        for (qint64 m : members) {
            RowPtr member = loadRow(*d.db, *d.engine, *r.target, m);
            if (!member) continue;
            auto v = DataSetAccess::view(d.db, d.engine, member);
            // The owner goes too: its totals need no keeping.
            ReferenceEventGuard guard(*d.db, rowKey(*member));
            deleteWithRules(*v, op, false);
            if (op.refused()) return;
        }
    }
}

void deleteWithRules(TableData& td, OpScope& op, bool ownerEvents)
{
    auto& d = DataSetAccess::impl(td);
    Database& db = *d.db;
    RowPtr row = d.cur;
    prepareForChange(db, *row);
    if (itfSetData* h = d.schema->handler) h->OnDeleteRow(td);
    if (op.refused()) return;
    deleteOwnedLines(td, op);
    if (op.refused()) return;
    auto [owner, ref] = ownerOf(d, *row);
    const bool events = ownerEvents && owner && ref && !db.inReferenceEvents().contains(rowKey(*row));
    std::unique_ptr<ReferenceEventGuard> guard;
    if (events) {
        guard = std::make_unique<ReferenceEventGuard>(db, rowKey(*row));
        auto before = storedView(d, *row, false);
        raiseReferenceEvent(db, d.engine, owner, ref, before.get(), true);
        if (op.refused()) return;
    }
    writeChangedRelations(db, row);
    deleteStoredRow(db, row);
    if (events) {
        auto gone = storedView(d, *row, true);
        raiseReferenceEvent(db, d.engine, owner, ref, gone.get(), false);
        if (owner->dirty() && owner->holders == 0) writeRow(db, owner);
    }
}

}   // namespace

void TableData::NewRow()
{
    if (d->source == Source::Bound)
        throw objdb::error(BadValue, tableName(),
                           QStringLiteral("Nuovo elemento non consentito su questo insieme di dati"));
    Database& db = *d->db;
    d->lastRefused = false;
    ensurePositioned(*this);
    OpScope op(db, OpKind::NewRow);
    RowPtr previous = d->cur;
    RowPtr row = newRowState(*d->schema, *d->engine);
    row->isNew = true;
    try {
        row->oid = d->engine->allocateOid(d->schema->name);
    } catch (const AppError& e) {
        // Taking the new row's number writes to the file: a full disk or a lock held too
        // long stops the new row, told as such.
        throw withOperation(e, tableName(),
                            QStringLiteral("Impossibile aggiungere un elemento a <%1>").arg(captionOf(*this)));
    }
    if (d->source == Source::List) {
        row->joinOwner = d->owner;
        row->joinRef = d->listRef;
    }
    setCurrent(*d, row);
    d->bof = d->eof = false;
    try {
        if (itfSetData* h = d->schema->handler) h->OnNewRow(*this);
    } catch (...) {
        setCurrent(*d, previous);
        throw;
    }
    if (op.refused()) {
        setCurrent(*d, previous);
        d->eof = d->bof = !previous;
        failRefused(*this, op);
    }
    op.commit();
}

qint64 TableData::AddRow(const QVariantList& pairs)
{
    Database& db = *d->db;
    try {
        OpScope op(db, OpKind::AddRow);
        NewRow();
        RowPtr row = d->cur;
        for (int i = 0; i + 1 < pairs.size(); i += 2) SetValue(pairs[i].toString(), pairs[i + 1]);
        if (op.refused()) {
            setCurrent(*d, nullptr);
            d->eof = true;
            failRefused(*this, op);
        }
        Update();
        op.commit();
        d->lastRefused = false;
        return row->oid;
    } catch (const AppError& e) {
        if (d->cur && d->cur->isNew) {
            setCurrent(*d, nullptr);
            d->eof = true;
        }
        rethrowAsRefusal(*this, e, QStringLiteral("Impossibile aggiungere un elemento a <%1>"));
    }
}

void TableData::Update()
{
    Database& db = *d->db;
    RowPtr row = d->cur;
    ensurePositioned(*this);
    row = d->cur;
    if (!row || row->deleted)
        throw objdb::error(NoCurrentRow, tableName(),
                           QStringLiteral("Nessun elemento corrente in <%1>").arg(tableName()));
    d->lastRefused = false;
    const bool wasNew = row->isNew;
    try {
        OpScope op(db, OpKind::Update);
        prepareForChange(db, *row);
        retakeNumbers(*this, *row);
        if (itfSetData* h = d->schema->handler) h->OnUpdateRow(*this);
        if (op.refused()) failRefused(*this, op);
        auto [owner, ref] = ownerOf(*d, *row);
        const bool events
            = owner && ref && !db.inReferenceEvents().contains(rowKey(*row)) && (row->isNew || row->dirty());
        std::unique_ptr<ReferenceEventGuard> guard;
        if (events) {
            guard = std::make_unique<ReferenceEventGuard>(db, rowKey(*row));
            auto before = storedView(*d, *row, false);
            raiseReferenceEvent(db, d->engine, owner, ref, before.get(), true);
            if (op.refused()) failRefused(*this, op);
        }
        writeRow(db, row);
        if (events) {
            d->newListRow = wasNew;
            try {
                raiseReferenceEvent(db, d->engine, owner, ref, this, false);
            } catch (...) {
                d->newListRow = false;
                throw;
            }
            d->newListRow = false;
            if (op.refused()) failRefused(*this, op);
            // Nobody else stands on the owner row: its change is saved now, with the line.
            if (owner->dirty() && owner->holders == 0) writeRow(db, owner);
        }
        if (op.refused()) failRefused(*this, op);
        op.commit();
    } catch (const AppError& e) {
        rethrowAsRefusal(*this, e, QStringLiteral("Impossibile salvare <%1>"));
    }
    // The stored row stays current; moving on starts again from the rows read before it.
    if (wasNew && d->source != Source::Bound) {
        d->pos = -1;
        d->bof = d->eof = false;
    }
}

void TableData::DeleteRow()
{
    Database& db = *d->db;
    ensurePositioned(*this);
    RowPtr row = d->cur;
    if (!row || row->deleted)
        throw objdb::error(NoCurrentRow, tableName(),
                           QStringLiteral("Nessun elemento corrente in <%1>").arg(tableName()));
    d->lastRefused = false;
    if (row->isNew) {
        // Never stored: dropping it is enough.
        setCurrent(*d, nullptr);
        d->eof = true;
        return;
    }
    try {
        OpScope op(db, OpKind::Delete);
        deleteWithRules(*this, op, true);
        if (op.refused()) failRefused(*this, op);
        op.commit();
    } catch (const AppError& e) {
        rethrowAsRefusal(*this, e, QStringLiteral("Impossibile eliminare l'elemento di <%1>"));
    }
    if (d->source == Source::Bound) return;
    // The cursor goes to the next row.
    if (d->pos >= 0 && d->pos < int(d->window.size()) && d->window[size_t(d->pos)].oid == row->oid) {
        d->window.erase(d->window.begin() + d->pos);
        d->firstPageKept = false;
        if (d->pos < int(d->window.size())) {
            setCurrent(*d, rowFromCache(*d, d->window[size_t(d->pos)]));
            return;
        }
        if (!d->window.empty()) {
            d->pos = int(d->window.size()) - 1;
            setCurrent(*d, rowFromCache(*d, d->window[size_t(d->pos)]));
            MoveNext();
            return;
        }
    }
    setCurrent(*d, nullptr);
    d->eof = true;
}

void TableData::CancelUpdate()
{
    ensurePositioned(*this);
    RowPtr row = d->cur;
    if (!row) return;
    if (row->isNew) {
        setCurrent(*d, nullptr);
        d->eof = true;
        return;
    }
    readRow(*d->engine, *row);
    row->parent.reset();
    row->alsoSave.clear();
}
