// Reading the current row: values, texts, field information; messages and marks.
#include "Database.h"
#include "DBEngine.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "TableObject.h"
#include <QLocale>

using namespace objdb;
using Source = TableData::Impl::Source;

namespace {

struct Found {
    bool found = false;
    QVariant value;
    std::optional<Kind> kind;
};

// A field the data set's field list computes under the field's own name reads as computed,
// while the current row is the one the query read and holds no value set through the data set.
std::optional<Found> computedInPlace(const TableData::Impl& d, const RowState& row, const QString& name)
{
    const CompiledQuery& c = *d.query;
    if (d.pos < 0 || d.pos >= int(d.window.size()) || d.window[size_t(d.pos)].oid != row.oid) return std::nullopt;
    for (int i = 0; i < c.extraNames.size(); ++i) {
        if (!c.extraShadows[size_t(i)] || c.extraNames[i].compare(name, Qt::CaseInsensitive) != 0) continue;
        const int field = d.schema->fieldIndex(name);
        if (field >= 0 && row.changed[size_t(field)]) return std::nullopt;
        Found r;
        r.found = true;
        r.kind = c.extraKinds[size_t(i)];
        r.value = fromStorage(*r.kind, d.window[size_t(d.pos)].cols[size_t(c.extraStart + i)]);
        return r;
    }
    return std::nullopt;
}

Found lookup(const TableData& td, const QString& name)
{
    const auto& d = DataSetAccess::impl(td);
    RowState* row = currentRowOrNull(td);
    // A rule reads what it will change from the row as stored under the operation's lock.
    if (row) freshenForRead(*d.db, *row);
    Found r;
    // The lengths first: most names are neither, and a case-blind comparison costs.
    if (name.size() == 3 && name.compare(QLatin1String("OID"), Qt::CaseInsensitive) == 0) {
        r.found = true;
        r.kind = Kind::Integer;
        if (row) r.value = row->oid;
        return r;
    }
    if (name.size() == 9 && name.compare(QLatin1String("objParent"), Qt::CaseInsensitive) == 0 && d.schema->isChild()) {
        r.found = true;
        r.kind = Kind::Integer;
        if (row && row->parentOid) r.value = row->parentOid;
        return r;
    }
    if (row && d.query && d.query->anyShadow && !row->isNew) {
        if (std::optional<Found> computed = computedInPlace(d, *row, name)) return *computed;
    }
    if (row) {
        if (FieldRef f = resolveField(*d.db, *row, name); f.field) {
            r.found = true;
            r.kind = f.field->kind;
            if (f.row) r.value = f.row->values[size_t(f.index)];
            return r;
        }
    } else {
        for (TableSchema* s = d.schema; s; s = s->parent)
            if (const FieldSchema* f = s->field(name)) {
                r.found = true;
                r.kind = f->kind;
                return r;
            }
    }
    if (d.query && row && d.pos >= 0 && d.pos < int(d.window.size()) && d.window[size_t(d.pos)].oid == row->oid) {
        const CompiledQuery& c = *d.query;
        for (int i = 0; i < c.extraNames.size(); ++i) {
            if (c.extraNames[i].compare(name, Qt::CaseInsensitive) != 0) continue;
            const QVariant& raw = d.window[size_t(d.pos)].cols[size_t(c.extraStart + i)];
            r.found = true;
            if (c.extraTyped[size_t(i)]) {
                r.kind = c.extraKinds[size_t(i)];
                r.value = fromStorage(*r.kind, raw);
            } else {
                r.value = raw;
            }
            return r;
        }
    }
    for (TableSchema* s = d.schema; s; s = s->parent) {
        const RefSchema* ref = s->ref(name);
        if (!ref) continue;
        r.found = true;
        r.kind = Kind::Integer;
        if (ref->isList() || !row) return r;
        RowState* owner = row;
        for (TableSchema* t = d.schema; t != s && owner; t = t->parent) owner = parentOf(*d.db, *owner);
        if (owner && owner->refs[size_t(ref->singleIndex)]) r.value = owner->refs[size_t(ref->singleIndex)];
        return r;
    }
    return r;
}

Found lookupOrThrow(const TableData& td, const QString& name)
{
    Found f = lookup(td, name);
    if (!f.found)
        throw objdb::error(UnknownField, td.tableName(),
                           QStringLiteral("Campo '%1' inesistente nella tabella %2").arg(name, td.tableName()));
    return f;
}

QString displayFormat(Kind k)
{
    switch (k) {
    case Kind::Currency: return QStringLiteral("#,##0.00##");
    case Kind::Date: return QStringLiteral("dd/mm/yyyy");
    case Kind::DateTime: return QStringLiteral("dd/mm/yyyy hh:nn:ss");
    default: return QString();
    }
}

QString textOf(const QVariant& v, std::optional<Kind> kind)
{
    if (!v.isValid() || v.isNull()) return QString();
    const QLocale loc;
    if (v.userType() == qMetaTypeId<Currency>()) {
        const Currency c = v.value<Currency>();
        return c.units() % 100 == 0 ? c.toText(loc, 2) : c.toText(loc, -1);
    }
    switch (v.userType()) {
    case QMetaType::QDateTime: {
        const QDateTime t = v.toDateTime();
        if (kind == Kind::Date) return t.toString(QStringLiteral("dd/MM/yyyy"));
        return t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: return loc.toString(v.toDouble(), 'g', 15);
    default: return v.toString();
    }
}

}   // namespace

QVariant TableData::GetValue(const QString& field) const { return lookupOrThrow(*this, field).value; }

QVariant TableData::GetFieldValue(const QString& field) const
{
    Found f = lookupOrThrow(*this, field);
    if (!f.value.isNull() && f.value.isValid()) return f.value;
    return zeroOf(f.kind.value_or(Kind::Integer));
}

Currency TableData::GetCurrencyValue(const QString& field) const { return GetCurrencyValue(field, false); }

Currency TableData::GetCurrencyValue(const QString& field, bool converted) const
{
    Found f = lookupOrThrow(*this, field);
    Currency c;
    if (f.value.isValid() && !f.value.isNull()) c = coerce(Kind::Currency, f.value, field).value<Currency>();
    return converted ? d->db->ConvertAmount(c, true) : c;
}

QString TableData::GetText(const QString& field) const
{
    Found f = lookupOrThrow(*this, field);
    return textOf(f.value, f.kind);
}

bool TableData::IsFieldNull(const QString& field) const
{
    const QVariant v = GetValue(field);
    return !v.isValid() || v.isNull();
}

bool TableData::IsFieldEmpty(const QString& field) const
{
    const QVariant v = GetValue(field);
    return !v.isValid() || v.isNull() || (v.userType() == QMetaType::QString && v.toString().isEmpty());
}

bool TableData::GetBoolValue(const QString& field) const
{
    const QVariant v = GetValue(field);
    if (!v.isValid() || v.isNull()) return false;
    return coerce(Kind::Boolean, v, field).toBool();
}

bool TableData::HasField(const QString& field) const { return lookup(*this, field).found; }

qint64 TableData::GetOID() const
{
    RowState* r = currentRowOrNull(*this);
    return r && !r->deleted ? r->oid : 0;
}

QVariant TableData::GetKey() const
{
    const qint64 oid = GetOID();
    return oid ? QVariant(oid) : QVariant();
}

QString TableData::GetKeyText() const
{
    const qint64 oid = GetOID();
    return oid ? QString::number(oid) : QString();
}

bool TableData::IsNewRow() const
{
    RowState* r = currentRowOrNull(*this);
    return r && r->isNew;
}

bool TableData::IsChanged() const
{
    RowState* r = currentRowOrNull(*this);
    return r && r->dirty();
}

bool TableData::RowFlag() const
{
    RowState* r = currentRowOrNull(*this);
    return !r || r->isNew || r->deleted;
}

bool TableData::DocumentFlag() const
{
    for (const auto& r : d->schema->refs)
        if (r.isList() && r.def.IsOwned) return true;
    return false;
}

void TableData::SelectField(const QString& field) { d->selectedField = field; }

bool TableData::WasRefused() const { return d->lastRefused; }
QString TableData::LastRefusal() const { return d->lastRefusal; }

// --- tables and conditions ----------------------------------------------------------------------

TableObject* TableData::GetTable(const QString& name) const
{
    return d->db->FindTable(name.isEmpty() ? d->schema->name : name);
}

Database* TableData::GetDatabase() const { return d->db.get(); }
DBEngine* TableData::GetEngine() const { return d->engine.get(); }
QString TableData::tableName() const { return d->schema ? d->schema->name : QString(); }
RecordSource& TableData::GetRecordSource() { return d->recordSource; }

std::unique_ptr<TableData> TableData::OpenQuery(const QString& table, const QString& filter)
{
    TableObject* t = d->db->FindTable(table);
    if (!t) throw objdb::error(UnknownTable, tableName(), QStringLiteral("Tabella '%1' inesistente").arg(table));
    return t->Select(filter, QString(), QString(), d->engine);
}

QString TableData::BuildFieldCondition(const QString& field, const QVariant& value, bool wildcard) const
{
    return GetTable()->BuildFieldCondition(field, value, wildcard ? QStringLiteral("*") : QString());
}

QString TableData::BuildCondition(const QString& field, const QVariant& value, const QString& wildcard) const
{
    if (!wildcard.isEmpty() && value.isValid() && !value.isNull()) {
        TableSchema* s = d->schema;
        const FieldSchema* f = nullptr;
        while (s && !(f = s->field(field))) s = s->parent;
        // The caller's wildcard ("%" as ADO writes it, or "*") asks for any run of characters
        // after the value; in the pattern that is "*", since a "%" there is a plain character.
        if (!f || f->kind == Kind::Text) return field + QStringLiteral(" Like ") + QuoteText(value.toString() + u'*');
    }
    return GetTable()->BuildFieldCondition(field, value);
}

QString TableData::BuildReferenceCondition(const QString& reference, const QVariant& key) const
{
    return GetTable()->BuildReferenceCondition(reference, key);
}

QString TableData::QuoteText(const QString& text) const { return d->db->QuoteText(text); }

// --- field information ----------------------------------------------------------------------

std::vector<FieldInfo> TableData::GetFieldInfos() const
{
    auto& dd = const_cast<Impl&>(*d);
    ensureCompiled(dd);
    const int level = d->db->AccessLevel();
    std::vector<FieldInfo> out;
    auto fromField = [&](const FieldSchema& f) {
        FieldInfo i;
        i.Name = f.def.Name;
        i.Caption = f.def.Name;
        i.TypeCode = f.def.TypeCode;
        i.Size = f.def.Size;
        i.Shown = f.def.O2 <= level;
        i.Editable = f.def.O1 <= level;
        i.DisplayFormat = displayFormat(f.kind);
        i.Description = f.def.Description;
        return i;
    };
    for (const DisplayColumn& c : d->query->display) {
        switch (c.source) {
        case DisplayColumn::Own: out.push_back(fromField(d->schema->fields[size_t(c.index)])); break;
        case DisplayColumn::Parent: out.push_back(fromField(d->schema->parent->fields[size_t(c.index)])); break;
        case DisplayColumn::Ref: {
            const RefSchema& r = d->schema->refs[size_t(c.index)];
            FieldInfo i;
            i.Name = r.def.Name;
            i.Caption = r.def.Name;
            i.TypeCode = -1;
            i.Description = r.def.Description;
            out.push_back(i);
            break;
        }
        case DisplayColumn::Extra: {
            if (d->query->extraShadows[size_t(c.index)]) {
                // The field's own information: only its value is computed, and not to be changed here.
                FieldInfo i = fromField(*d->schema->field(c.name));
                i.Editable = false;
                out.push_back(i);
                break;
            }
            FieldInfo i;
            i.Name = c.name;
            i.Caption = c.name;
            i.TypeCode = d->query->extraNumbers[size_t(c.index)] ? int(FieldType::Number) : -2;
            i.Editable = false;
            if (d->query->extraTyped[size_t(c.index)])
                i.DisplayFormat = displayFormat(d->query->extraKinds[size_t(c.index)]);
            out.push_back(i);
            break;
        }
        }
    }
    return out;
}

FieldInfo TableData::GetFieldInfo(const QString& field) const
{
    for (const FieldInfo& i : GetFieldInfos())
        if (i.Name.compare(field, Qt::CaseInsensitive) == 0) return i;
    for (TableSchema* s = d->schema; s; s = s->parent)
        if (const FieldSchema* f = s->field(field)) {
            FieldInfo i;
            i.Name = f->def.Name;
            i.Caption = f->def.Name;
            i.TypeCode = f->def.TypeCode;
            i.Size = f->def.Size;
            i.Shown = f->def.O2 <= d->db->AccessLevel();
            i.Editable = f->def.O1 <= d->db->AccessLevel();
            i.DisplayFormat = displayFormat(f->kind);
            i.Description = f->def.Description;
            return i;
        }
    throw objdb::error(UnknownField, tableName(),
                       QStringLiteral("Campo '%1' inesistente nella tabella %2").arg(field, tableName()));
}

// --- messages -----------------------------------------------------------------------------------

void TableData::CancelWithMessage(const QString& message) { d->db->refuse(tableName(), message); }
void TableData::WarnWithMessage(const QString& message) { d->db->warn(tableName(), message); }

void TableData::NotifyWithMessage(int, const QString& message, bool cancel)
{
    if (cancel)
        CancelWithMessage(message);
    else
        d->db->message(tableName(), message);
}

void TableData::ShowMessage(int, const QString& message) { d->db->message(tableName(), message); }

// --- marks ----------------------------------------------------------------------------------------

namespace {
QString markKey(const TableData& td, const QString& mark)
{
    return QStringLiteral("%1|%2|%3|%4")
        .arg(quintptr(td.GetEngine()))
        .arg(td.tableName().toLower())
        .arg(td.GetOID())
        .arg(mark);
}
}

bool TableData::TestAndMark(const QString& mark)
{
    const QString k = markKey(*this, mark);
    if (d->db->marks().contains(k)) return true;
    d->db->marks().insert(k);
    return false;
}

bool TableData::IsMarked(const QString& mark) const { return d->db->marks().contains(markKey(*this, mark)); }
void TableData::Unmark(const QString& mark) { d->db->marks().remove(markKey(*this, mark)); }
