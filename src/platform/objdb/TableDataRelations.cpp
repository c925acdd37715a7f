// References, lists and owners, and the parent row of child tables.
#include "Database.h"
#include "DBEngine.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"
#include "TableObject.h"

using namespace objdb;
using Source = TableData::Impl::Source;

namespace objdb {

namespace {

QString q(const QString& n) { return SqlConnection::quoteName(n); }

struct RefAt {
    const RefSchema* ref = nullptr;
    TableSchema* schema = nullptr;   // the table declaring it
    int level = 0;
};

RefAt findRef(TableData::Impl& d, const QString& name)
{
    int level = 0;
    for (TableSchema* s = d.schema; s; s = s->parent, ++level)
        if (const RefSchema* r = s->ref(name)) return {r, s, level};
    throw objdb::error(UnknownReference, d.schema->name,
                       QStringLiteral("Riferimento '%1' inesistente nella tabella %2").arg(name, d.schema->name));
}

TableSchema& targetOf(const RefAt& r)
{
    if (!r.ref->target)
        throw objdb::error(
            UnknownTable, r.schema->name,
            QStringLiteral("Tabella '%1' del riferimento %2 inesistente").arg(r.ref->def.TargetTable, r.ref->def.Name));
    return *r.ref->target;
}

std::unique_ptr<TableData> rowView(TableData::Impl& d, TableSchema& table, qint64 oid)
{
    if (!oid) return nullptr;
    RowPtr r = loadRow(*d.db, *d.engine, table, oid);
    if (!r) return nullptr;
    auto v = DataSetAccess::view(d.db, d.engine, r);
    DataSetAccess::impl(*v).origin = d.cur;
    return v;
}

bool isMember(DBEngine& engine, const RefSchema& r, qint64 owner, qint64 member)
{
    return !engine.sql()
                .scalar(
                    QStringLiteral("SELECT 1 FROM %1 WHERE \"OwnerOID\" = ? AND \"MemberOID\" = ?").arg(q(r.linkTable)),
                    {owner, member})
                .isNull();
}

// The write lock for a change of a reference or list, with the change named when it cannot be had.
void lockForReference(Database& db, TableData& td, const QString& reference)
{
    try {
        db.lockForChange(*td.GetEngine());
    } catch (const AppError& e) {
        throw withOperation(
            e, td.tableName(),
            QStringLiteral("Impossibile modificare il riferimento <%1> di <%2>").arg(reference, td.tableName()));
    }
}

}   // namespace

QString rowKey(const RowState& row)
{
    return QStringLiteral("%1|%2|%3").arg(quintptr(row.engine)).arg(row.schema->name.toLower()).arg(row.oid);
}

qint64 findByKey(DBEngine& engine, TableSchema& table, const QString& keyField, const QVariant& key)
{
    const QString text = key.isNull() ? QString() : key.toString();
    if (keyField.isEmpty()) return text.isEmpty() ? 0 : key.toLongLong();
    const FieldSchema* f = table.field(keyField);
    if (!f) return 0;
    const QString col = q(f->def.Name);
    QVariant v;
    if (text.isEmpty()) {
        v = engine.sql().scalar(
            QStringLiteral("SELECT \"OID\" FROM %1 WHERE %2 IS NULL OR %2 = '' ORDER BY \"OID\" LIMIT 1")
                .arg(table.quoted(), col));
    } else {
        QVariant bound;
        try {
            bound = toStorage(f->kind, coerce(f->kind, key, keyField));
        } catch (const AppError&) {
            return 0;
        }
        v = engine.sql().scalar(
            QStringLiteral("SELECT \"OID\" FROM %1 WHERE %2 = ? ORDER BY \"OID\" LIMIT 1").arg(table.quoted(), col),
            {bound});
    }
    return v.isNull() ? 0 : v.toLongLong();
}

std::pair<RowPtr, const RefSchema*> ownerOf(TableData::Impl& d, RowState& row)
{
    if (row.joinOwner && row.joinRef) return {row.joinOwner, row.joinRef};
    if (d.source == Source::List && d.owner) return {d.owner, d.listRef};
    if (row.isNew) return {nullptr, nullptr};
    for (const auto& [owner, ref] : row.schema->ownedBy) {
        QVariant o = row.engine->sql().scalar(
            QStringLiteral("SELECT \"OwnerOID\" FROM %1 WHERE \"MemberOID\" = ? LIMIT 1").arg(q(ref->linkTable)),
            {row.oid});
        if (o.isNull()) continue;
        if (RowPtr r = loadRow(*d.db, *row.engine, *owner, o.toLongLong())) return {r, ref};
    }
    return {nullptr, nullptr};
}

void raiseReferenceEvent(Database& db, const std::shared_ptr<DBEngine>& engine, const RowPtr& owner,
                         const RefSchema* ref, TableData* member, bool before)
{
    itfSetData* h = owner->schema->handler;
    if (!h) return;
    auto ov = DataSetAccess::view(db.shared_from_this(), engine, owner);
    QString name = ref->def.Name;
    QVariant a = member ? member->GetKey() : QVariant();
    QVariant b;
    if (before)
        h->OnBeforeUpdateReference(*ov, member, name, a, b);
    else
        h->OnUpdateReference(*ov, member, name, a, b);
}

}   // namespace objdb

// --- single references and lists --------------------------------------------------------------

std::unique_ptr<TableData> TableData::GetReference(const QString& reference)
{
    RefAt r = findRef(*d, reference);
    TableSchema& target = targetOf(r);
    ensurePositioned(*this);
    RowPtr holder = d->cur ? rowAtLevel(*d, r.level) : nullptr;
    auto impl = DataSetAccess::newImpl(d->db, d->engine, target);
    impl->origin = d->cur;
    if (r.ref->isList()) {
        impl->source = Source::List;
        impl->owner = holder;
        impl->listRef = r.ref;
    } else {
        impl->source = Source::Single;
        impl->singleOid = holder ? holder->refs[size_t(r.ref->singleIndex)] : 0;
    }
    return DataSetAccess::make(std::move(impl));
}

std::unique_ptr<TableData> TableData::GetReferenceTable(const QString& reference)
{
    RefAt r = findRef(*d, reference);
    TableSchema& target = targetOf(r);
    auto impl = DataSetAccess::newImpl(d->db, d->engine, target);
    impl->origin = d->cur;
    auto candidates = DataSetAccess::make(std::move(impl));
    if (itfSetData* h = r.schema->handler) {
        QString name = r.ref->def.Name;
        h->OnSelectReference(*candidates, QVariant(), name);
    }
    return candidates;
}

qint64 TableData::GetReferenceOID(const QString& reference) const
{
    auto& dd = const_cast<Impl&>(*d);
    RefAt r = findRef(dd, reference);
    if (r.ref->isList()) return 0;
    ensurePositioned(*this);
    RowPtr holder = dd.cur ? rowAtLevel(dd, r.level) : nullptr;
    return holder ? holder->refs[size_t(r.ref->singleIndex)] : 0;
}

QVariant TableData::GetReferenceKey(const QString& reference) const
{
    const qint64 oid = GetReferenceOID(reference);
    return oid ? QVariant(oid) : QVariant();
}

qint64 TableData::FindReferenceKey(const QString& reference, const QVariant& key) const
{
    RefAt r = findRef(*d, reference);
    TableSchema& target = targetOf(r);
    QString keyField = r.ref->def.KeyField;
    if (keyField.isEmpty()) keyField = target.keyField();
    if (keyField.isEmpty()) keyField = r.ref->def.DisplayFields.split(u',', Qt::SkipEmptyParts).value(0).trimmed();
    return findByKey(*d->engine, target, keyField, key);
}

void TableData::SetReferenceByKey(const QString& reference, const QVariant& key)
{
    RefAt r = findRef(*d, reference);
    const qint64 oid = FindReferenceKey(reference, key);
    if (r.ref->isList()) {
        if (oid) AddToList(reference, oid);
        return;
    }
    SetReferenceOID(reference, oid);
}

void TableData::SetReferenceOID(const QString& reference, qint64 oid)
{
    RefAt r = findRef(*d, reference);
    if (r.ref->isList()) {
        AddToList(reference, oid);
        return;
    }
    TableSchema& target = targetOf(r);
    Database& db = *d->db;
    RowState& row = currentRow(*this);
    const bool top = db.frames().empty();
    if (top) d->lastRefused = false;
    OpScope op(db, OpKind::Reference);
    lockForReference(db, *this, reference);
    prepareForChange(db, row);
    RowPtr holder = rowAtLevel(*d, r.level);
    if (!holder)
        throw objdb::error(NoCurrentRow, tableName(),
                           QStringLiteral("Il riferimento <%1> appartiene all'elemento collegato, che non è impostato")
                               .arg(reference));
    const qint64 old = holder->refs[size_t(r.ref->singleIndex)];
    auto change = [&](qint64 from, qint64 to) {
        if (from == to) return;
        std::unique_ptr<TableData> holderView;
        if (r.level > 0) holderView = DataSetAccess::view(d->db, d->engine, holder);
        TableData& ev = holderView ? *holderView : *this;
        itfSetData* h = r.schema->handler;
        QString name = r.ref->def.Name;
        QVariant a = from ? QVariant(from) : QVariant(), b = to ? QVariant(to) : QVariant();
        const bool hadRefusal = !db.frames().back().refusal.isEmpty();
        if (h) {
            auto before = rowView(*d, target, from);
            h->OnBeforeUpdateReference(ev, before.get(), name, a, b);
        }
        if (!hadRefusal && !db.frames().back().refusal.isEmpty() && !db.undoing()) return;
        db.journal(holder);
        holder->refs[size_t(r.ref->singleIndex)] = to;
        holder->refChanged[size_t(r.ref->singleIndex)] = 1;
        touch(*d, r.level);
        if (h) {
            auto after = rowView(*d, target, to);
            h->OnUpdateReference(ev, after.get(), name, a, b);
        }
    };
    change(old, oid);
    if (op.refused()) {
        const QString m = op.refusal();
        // Inside an enclosing operation the refusal is that operation's.
        if (!top) {
            op.commit();
            db.refuse(tableName(), m);
            return;
        }
        undoRefused(*this, op, [&] { change(holder->refs[size_t(r.ref->singleIndex)], old); });
        op.restoreNewRows();
    }
    op.commit();
}

void TableData::AddToList(const QString& reference, qint64 memberOid)
{
    RefAt r = findRef(*d, reference);
    if (!r.ref->isList()) {
        SetReferenceOID(reference, memberOid);
        return;
    }
    TableSchema& target = targetOf(r);
    Database& db = *d->db;
    ensurePositioned(*this);
    RowPtr holder = d->cur ? rowAtLevel(*d, r.level) : nullptr;
    if (!holder)
        throw objdb::error(NoCurrentRow, tableName(),
                           QStringLiteral("Nessun elemento corrente in <%1>").arg(tableName()));
    if (isMember(*d->engine, *r.ref, holder->oid, memberOid)) return;
    auto member = rowView(*d, target, memberOid);
    if (!member)
        throw objdb::error(UnknownReference, tableName(),
                           QStringLiteral("Elemento %1 inesistente in <%2>").arg(memberOid).arg(target.name));
    const bool top = db.frames().empty();
    if (top) d->lastRefused = false;
    OpScope op(db, OpKind::Reference);
    lockForReference(db, *this, reference);
    auto membership = [&](bool add) {
        std::unique_ptr<TableData> holderView;
        if (r.level > 0) holderView = DataSetAccess::view(d->db, d->engine, holder);
        TableData& ev = holderView ? *holderView : *this;
        itfSetData* h = r.schema->handler;
        QString name = r.ref->def.Name;
        QVariant a = memberOid, b;
        const bool hadRefusal = !db.frames().back().refusal.isEmpty();
        if (h) h->OnBeforeUpdateReference(ev, member.get(), name, a, b);
        if (!hadRefusal && !db.frames().back().refusal.isEmpty() && !db.undoing()) return;
        SqlConnection& c = db.writer(*d->engine);
        if (add)
            c.execute(
                QStringLiteral("INSERT INTO %1 (\"OwnerOID\", \"MemberOID\") VALUES (?, ?)").arg(q(r.ref->linkTable)),
                {holder->oid, memberOid});
        else
            c.execute(
                QStringLiteral("DELETE FROM %1 WHERE \"OwnerOID\" = ? AND \"MemberOID\" = ?").arg(q(r.ref->linkTable)),
                {holder->oid, memberOid});
        if (h) h->OnUpdateReference(ev, member.get(), name, a, b);
    };
    try {
        membership(true);
    } catch (const AppError& e) {
        if (e.number != errorNumber(UniqueViolation) || e.source != QLatin1String("objdb")) throw;
        db.refuse(tableName(), QStringLiteral("L'elemento appartiene già a un altro elenco <%1>").arg(reference));
    }
    if (op.refused()) {
        if (!top) {
            const QString m = op.refusal();
            op.commit();
            db.refuse(tableName(), m);
            return;
        }
        undoRefused(*this, op, [&] {
            if (isMember(*d->engine, *r.ref, holder->oid, memberOid)) membership(false);
        });
        op.restoreNewRows();
    }
    op.commit();
}

void TableData::RemoveFromList(const QString& reference, qint64 memberOid)
{
    RefAt r = findRef(*d, reference);
    if (!r.ref->isList()) {
        SetReferenceOID(reference, 0);
        return;
    }
    TableSchema& target = targetOf(r);
    ensurePositioned(*this);
    RowPtr holder = d->cur ? rowAtLevel(*d, r.level) : nullptr;
    if (!holder || !isMember(*d->engine, *r.ref, holder->oid, memberOid)) return;
    if (r.ref->def.IsOwned) {
        // An owned line lives only in its list: removing it deletes it, with its rules.
        auto list = GetReference(reference);
        if (list->MoveToOID(memberOid)) list->DeleteRow();
        return;
    }
    Database& db = *d->db;
    const bool top = db.frames().empty();
    OpScope op(db, OpKind::Reference);
    lockForReference(db, *this, reference);
    auto member = rowView(*d, target, memberOid);
    std::unique_ptr<TableData> holderView;
    if (r.level > 0) holderView = DataSetAccess::view(d->db, d->engine, holder);
    TableData& ev = holderView ? *holderView : *this;
    itfSetData* h = r.schema->handler;
    QString name = r.ref->def.Name;
    QVariant a = memberOid, b;
    if (h) h->OnBeforeUpdateReference(ev, member.get(), name, a, b);
    if (!op.refused()) {
        db.writer(*d->engine)
            .execute(
                QStringLiteral("DELETE FROM %1 WHERE \"OwnerOID\" = ? AND \"MemberOID\" = ?").arg(q(r.ref->linkTable)),
                {holder->oid, memberOid});
        if (h) h->OnUpdateReference(ev, member.get(), name, a, b);
    }
    if (op.refused()) {
        const QString m = op.refusal();
        if (!top) {
            op.commit();
            db.refuse(tableName(), m);
            return;
        }
        reportRefusal(*this, m);
        return;   // rolled back: the member stays
    }
    op.commit();
}

bool TableData::IsNewListRow() const { return d->newListRow; }

QString TableData::GetChildFilter(const QString& memberTable) const
{
    const qint64 oid = GetOID();
    for (const RefSchema& r : d->schema->refs) {
        if (!r.isList() || !r.def.IsOwned) continue;
        if (!memberTable.isEmpty() && r.def.TargetTable.compare(memberTable, Qt::CaseInsensitive) != 0) continue;
        return QStringLiteral("OID IN (SELECT [MemberOID] FROM [%1] WHERE [OwnerOID] = %2)").arg(r.linkTable).arg(oid);
    }
    return QStringLiteral("OID = 0");
}

std::unique_ptr<TableData> TableData::GetOwnerRow()
{
    RowState* row = currentRowOrNull(*this);
    if (!row) return nullptr;
    auto [owner, ref] = ownerOf(*d, *row);
    if (!owner) return nullptr;
    auto v = DataSetAccess::view(d->db, d->engine, owner);
    DataSetAccess::impl(*v).origin = d->cur;
    return v;
}

std::unique_ptr<TableData> TableData::GetOwnerByTable(const QString& table)
{
    RowState* row = currentRowOrNull(*this);
    if (!row) return nullptr;
    auto pick = [&](const RowPtr& owner) -> std::unique_ptr<TableData> {
        auto v = DataSetAccess::view(d->db, d->engine, owner);
        DataSetAccess::impl(*v).origin = d->cur;
        return v;
    };
    auto [owner, ref] = ownerOf(*d, *row);
    if (owner && owner->schema->name.compare(table, Qt::CaseInsensitive) == 0) return pick(owner);
    if (row->isNew) return nullptr;
    for (const auto& [o, r] : row->schema->ownedBy) {
        if (o->name.compare(table, Qt::CaseInsensitive) != 0) continue;
        QVariant oid = d->engine->sql().scalar(
            QStringLiteral("SELECT \"OwnerOID\" FROM %1 WHERE \"MemberOID\" = ? LIMIT 1").arg(q(r->linkTable)),
            {row->oid});
        if (oid.isNull()) continue;
        if (RowPtr found = loadRow(*d->db, *d->engine, *o, oid.toLongLong())) return pick(found);
    }
    return nullptr;
}

std::unique_ptr<TableData> TableData::GetReferencingRows(const QString& table, const QString& reference)
{
    TableObject* t = d->db->FindTable(table);
    if (!t) throw objdb::error(UnknownTable, tableName(), QStringLiteral("Tabella '%1' inesistente").arg(table));
    const RefSchema* ref = nullptr;
    for (int i : t->schema().singleRefs) {
        const RefSchema& r = t->schema().refs[size_t(i)];
        if (!reference.isEmpty() ? r.def.Name.compare(reference, Qt::CaseInsensitive) == 0 : r.target == d->schema) {
            ref = &r;
            break;
        }
    }
    if (!ref)
        throw objdb::error(UnknownReference, table,
                           QStringLiteral("La tabella %1 non fa riferimento a %2").arg(table, tableName()));
    return t->Select(ref->def.column() + QStringLiteral(" = ") + QString::number(GetOID()), QString(), QString(),
                     d->engine);
}

// --- parent row -----------------------------------------------------------------------------

QVariant TableData::GetParentKey() const
{
    RowState* r = currentRowOrNull(*this);
    return r && r->parentOid ? QVariant(r->parentOid) : QVariant();
}

std::unique_ptr<TableData> TableData::GetParentRow()
{
    RowState* r = currentRowOrNull(*this);
    if (!r || !parentOf(*d->db, *r)) return nullptr;
    return DataSetAccess::view(d->db, d->engine, r->parent);
}

void TableData::SetParent(qint64 parentOid)
{
    TableSchema* p = d->schema->parent;
    if (!p)
        throw objdb::error(BadValue, tableName(),
                           QStringLiteral("La tabella %1 non ha una tabella padre").arg(tableName()));
    Database& db = *d->db;
    RowState& row = currentRow(*this);
    if (row.parentOid == parentOid) return;
    // Under the write lock the parent is read now, as the change would read it: the reading
    // tells whether it is there, and the change takes it (one query a line of an import
    // instead of two). Else, or when changes to it are pending, the file is asked first.
    RowPtr parentRead;
    if (parentOid) {
        const bool readNow = d->engine->sql().holdsWriteLock() && !db.liveRow(*d->engine, p->name, parentOid);
        if (readNow) parentRead = loadRow(db, *d->engine, *p, parentOid);
        if (readNow ? !parentRead : !rowExists(*d->engine, *p, parentOid))
            throw objdb::error(UnknownReference, tableName(),
                               QStringLiteral("Elemento %1 inesistente in <%2>").arg(parentOid).arg(p->name));
    }
    const bool top = db.frames().empty();
    if (top) d->lastRefused = false;
    OpScope op(db, OpKind::Parent);
    prepareForChange(db, row);
    const qint64 old = row.parentOid;
    auto change = [&](qint64 to) {
        db.journal(d->cur);
        // The parent's fields leave with the old parent and arrive with the new one, so the
        // rules move what the row carries (stock) from one to the other.
        for (const FieldSchema& f : p->fields) {
            FieldRef ref;
            ref.level = 1;
            ref.field = &f;
            raiseFieldEvent(*this, ref, f.def.Name, true, true);
        }
        if (row.parent && row.parent->dirty()) {
            bool present = false;
            for (const auto& r : row.alsoSave) present = present || r == row.parent;
            if (!present) row.alsoSave.push_back(row.parent);
        }
        row.parentOid = to;
        row.parentChanged = true;
        // The row read above, unless the rules of the old parent's fields left changes
        // pending on it meanwhile (those are found again as loading finds them).
        const bool takeRead = to == parentOid && parentRead && !db.liveRow(*d->engine, p->name, to);
        row.parent = !to ? nullptr : takeRead ? parentRead : loadRow(db, *d->engine, *p, to);
        touch(*d, 0);
        for (const FieldSchema& f : p->fields) {
            FieldRef ref;
            ref.level = 1;
            ref.field = &f;
            raiseFieldEvent(*this, ref, f.def.Name, false, true);
        }
        if (itfSetData* h = d->schema->handler) {
            QVariant a = to ? QVariant(to) : QVariant();
            h->OnSetParent(*this, a);
        }
    };
    change(parentOid);
    if (op.refused()) {
        if (!top) {
            const QString m = op.refusal();
            op.commit();
            db.refuse(tableName(), m);
            return;
        }
        undoRefused(*this, op, [&] { change(old); });
        op.restoreNewRows();
    }
    op.commit();
}

bool TableData::SetParentByKey(const QVariant& key)
{
    TableSchema* p = d->schema->parent;
    if (!p)
        throw objdb::error(BadValue, tableName(),
                           QStringLiteral("La tabella %1 non ha una tabella padre").arg(tableName()));
    const qint64 oid = findByKey(*d->engine, *p, p->keyField(), key);
    if (!oid) return false;
    SetParent(oid);
    return true;
}

std::unique_ptr<TableData> TableData::SelectParentCandidates()
{
    TableSchema* p = d->schema->parent;
    if (!p)
        throw objdb::error(BadValue, tableName(),
                           QStringLiteral("La tabella %1 non ha una tabella padre").arg(tableName()));
    auto impl = DataSetAccess::newImpl(d->db, d->engine, *p);
    auto candidates = DataSetAccess::make(std::move(impl));
    if (itfSetData* h = d->schema->handler) h->OnSelectParent(*this, *candidates);
    return candidates;
}
