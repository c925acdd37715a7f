// Changing fields: the field events before and after each change, re-entrant changes made
// by the rules, the guard against rules that never settle, and the undo of a refused change
// by raising the events again with the old value.
#include "Database.h"
#include "DBEngine.h"
#include "Notify.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"

using namespace objdb;

namespace objdb {

namespace {
constexpr int kMaxFieldDepth = 48;

struct DepthGuard {
    explicit DepthGuard(Database& db, const QString& table, const QString& field) : m_db(db)
    {
        if (++m_db.fieldDepth() > kMaxFieldDepth) {
            --m_db.fieldDepth();
            throw objdb::error(RunawayRules, table,
                               QStringLiteral("Le regole della tabella %1 non si stabilizzano (campo <%2> modificato "
                                              "troppe volte di seguito)")
                                   .arg(table, field));
        }
    }
    ~DepthGuard() { --m_db.fieldDepth(); }
    Database& m_db;
};

bool refusedSince(Database& db, bool hadRefusal)
{
    return !hadRefusal && !db.frames().empty() && !db.frames().back().refusal.isEmpty() && !db.undoing();
}

bool frameRefused(Database& db) { return !db.frames().empty() && !db.frames().back().refusal.isEmpty(); }

qsizetype characters(const QString& text)
{
    qsizetype n = text.size();
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate()) --n;
    return n;
}

// A text holds at most the characters its field declares, and never a NUL (the storage
// would keep it, but every reader of the text stops there).
void checkDeclaredText(const TableData& td, const FieldSchema& field, const QVariant& value)
{
    if (field.kind != Kind::Text || !value.isValid() || value.isNull()) return;
    const QString text = value.toString();
    const int size = field.def.Size;
    if (text.contains(QChar(0))) {
        const QString declared = size > 0 ? QStringLiteral(" (al massimo %1 caratteri)").arg(size) : QString();
        throw objdb::error(
            BadValue, td.tableName(),
            QStringLiteral("Il testo del campo <%1>%2 contiene un carattere nullo").arg(field.def.Name, declared));
    }
    if (size > 0 && text.size() > size && characters(text) > size)
        throw objdb::error(
            BadValue, td.tableName(),
            QStringLiteral("Il testo del campo <%1> è di %2 caratteri: supera la dimensione dichiarata di %3 caratteri")
                .arg(field.def.Name)
                .arg(characters(text))
                .arg(size));
}
}

// The row buffer at a level of the current row's ancestry (0: the row itself).
RowPtr rowAtLevel(TableData::Impl& d, int level)
{
    RowPtr r = d.cur;
    for (int i = 0; i < level && r; ++i) {
        parentOf(*d.db, *r);
        r = r->parent;
    }
    return r;
}

void touch(TableData::Impl& d, int level)
{
    // Rows with pending changes are found again by whoever loads them (a new row is not
    // stored yet: nobody can load it).
    auto remember = [&](const RowPtr& r) {
        if (r && !r->isNew && !r->remembered) {
            d.db->rememberLive(r);
            r->remembered = true;
        }
    };
    remember(rowAtLevel(d, level));
    if (level > 0) remember(d.cur);
    // A row reached through another one (its reference, its owner) is saved when that one
    // is. Lines of a list are not: they are saved one by one, with their own rules.
    using Source = TableData::Impl::Source;
    if (d.source != Source::Single && d.source != Source::Bound) return;
    if (auto origin = d.origin.lock(); origin && d.cur && origin != d.cur) {
        bool present = false;
        for (const auto& r : origin->alsoSave) present = present || r == d.cur;
        if (!present) origin->alsoSave.push_back(d.cur);
    }
}

std::unique_ptr<TableData> parentView(TableData& td, RowState& row)
{
    auto& d = DataSetAccess::impl(td);
    for (int level = 0; level < 8; ++level) {
        RowPtr r = rowAtLevel(d, level);
        if (!r) break;
        if (r.get() == &row) return DataSetAccess::view(d.db, d.engine, r);
    }
    return nullptr;
}

void raiseFieldEvent(TableData& td, const FieldRef& f, const QString& name, bool before, bool childOnly)
{
    auto& d = DataSetAccess::impl(td);
    QString n = f.field ? f.field->def.Name : name;
    if (itfSetData* h = d.schema->handler) {
        if (before)
            h->OnBeforeUpdateField(td, n);
        else
            h->OnUpdateField(td, n);
    }
    if (f.level > 0 && !childOnly && f.row) {
        itfSetData* h = f.row->schema->handler;
        if (h && h != d.schema->handler) {
            if (auto v = parentView(td, *f.row)) {
                QString n2 = f.field->def.Name;
                if (before)
                    h->OnBeforeUpdateField(*v, n2);
                else
                    h->OnUpdateField(*v, n2);
            }
        }
    }
}

void setFieldValue(TableData& td, const QString& name, const QVariant& value, bool prepared)
{
    auto& d = DataSetAccess::impl(td);
    Database& db = *d.db;
    RowState& row = currentRow(td);
    if (!prepared) prepareForChange(db, row);
    FieldRef f = resolveField(db, row, name);
    if (!f.field)
        throw objdb::error(UnknownField, td.tableName(),
                           QStringLiteral("Campo '%1' inesistente nella tabella %2").arg(name, td.tableName()));
    if (!f.row)
        throw objdb::error(NoCurrentRow, td.tableName(),
                           QStringLiteral("Il campo <%1> appartiene all'elemento collegato, che non è impostato")
                               .arg(f.field->def.Name));
    const QVariant v = coerce(f.field->kind, value, f.field->def.Name);
    checkDeclaredText(td, *f.field, v);
    if (sameValue(f.field->kind, f.row->values[size_t(f.index)], v)) return;
    DepthGuard guard(db, td.tableName(), f.field->def.Name);
    const bool hadRefusal = frameRefused(db);
    raiseFieldEvent(td, f, name, true, false);
    // Refused before the change: the value never changes.
    if (refusedSince(db, hadRefusal)) return;
    f = resolveField(db, row, name);
    if (!f.row) return;
    db.journal(rowAtLevel(d, f.level));
    f.row->noteBase(f.index);
    f.row->values[size_t(f.index)] = v;
    f.row->changed[size_t(f.index)] = 1;
    // A number set by hand is no longer the next free one.
    auto& numbers = f.row->numbers;
    numbers.erase(
        std::remove_if(numbers.begin(), numbers.end(), [&](const TakenNumber& n) { return n.field == f.index; }),
        numbers.end());
    touch(d, f.level);
    raiseFieldEvent(td, f, name, false, false);
}

void reportRefusal(TableData& td, const QString& message)
{
    auto& d = DataSetAccess::impl(td);
    d.lastRefused = true;
    d.lastRefusal = message;
    if (itfNotifyEvent* sink = d.db->Sink()) sink->OnRefusal(td.tableName(), message);
}

// Undoes a refused top-level change by doing `back` with refusals ignored, then tells the user.
void undoRefused(TableData& td, OpScope& op, const std::function<void()>& back)
{
    const QString message = op.refusal();
    op.frame().undoing = true;
    try {
        back();
    } catch (...) {
        op.frame().undoing = false;
        throw;
    }
    op.frame().undoing = false;
    reportRefusal(td, message);
}

Kind fieldKind(TableData& td, const QString& name)
{
    auto& d = DataSetAccess::impl(td);
    for (TableSchema* s = d.schema; s; s = s->parent)
        if (const FieldSchema* f = s->field(name)) return f->kind;
    throw objdb::error(UnknownField, td.tableName(),
                       QStringLiteral("Campo '%1' inesistente nella tabella %2").arg(name, td.tableName()));
}

}   // namespace objdb

void TableData::SetValue(const QString& field, const QVariant& value)
{
    if (field.size() == 9 && field.compare(QLatin1String("objParent"), Qt::CaseInsensitive) == 0
        && d->schema->isChild()) {
        SetParent(value.isNull() ? 0 : value.toLongLong());
        return;
    }
    bool isField = false;
    for (TableSchema* s = d->schema; s && !isField; s = s->parent) isField = s->field(field) != nullptr;
    if (!isField) {
        for (TableSchema* s = d->schema; s; s = s->parent)
            if (s->ref(field)) {
                SetReferenceByKey(field, value);
                return;
            }
    }
    changeField(field, [&] { return value; });
}

void TableData::changeField(const QString& field, const std::function<QVariant()>& value)
{
    Database& db = *d->db;
    if (!db.frames().empty()) {
        // The value is worked out once the row is brought up to date.
        prepareForChange(db, currentRow(*this));
        setFieldValue(*this, field, value(), true);
        return;
    }
    d->lastRefused = false;
    RowState& row = currentRow(*this);
    OpScope op(db, OpKind::SetValue);
    QVariant old;
    char oldChanged = 0;
    auto putBack = [&] {
        if (FieldRef f = resolveField(db, row, field); f.row) {
            f.row->values[size_t(f.index)] = old;
            f.row->changed[size_t(f.index)] = oldChanged;
        }
    };
    bool started = false;
    try {
        prepareForChange(db, row);
        FieldRef before = resolveField(db, row, field);
        old = before.row ? before.row->values[size_t(before.index)] : QVariant();
        oldChanged = before.row ? before.row->changed[size_t(before.index)] : 0;
        started = true;
        setFieldValue(*this, field, value(), true);
    } catch (const AppError& e) {
        if (started) putBack();
        throw withOperation(e, tableName(),
                            QStringLiteral("Impossibile modificare il campo <%1> di <%2>").arg(field, tableName()));
    } catch (...) {
        if (started) putBack();
        throw;
    }
    if (op.refused()) {
        undoRefused(*this, op, [&] { setFieldValue(*this, field, old); });
        op.restoreNewRows();
    }
    op.commit();
}

void TableData::AddToField(const QString& field, const QVariant& amount)
{
    const Kind k = fieldKind(*this, field);
    if (!amount.isValid() || amount.isNull()) return;
    if (k != Kind::Currency && k != Kind::Integer && k != Kind::Real)
        throw objdb::error(BadValue, tableName(), QStringLiteral("Il campo <%1> non è numerico").arg(field));
    // The sum starts from the row brought up to date by the change itself, not from a copy
    // read before someone else changed it.
    changeField(field, [&] {
        const QVariant cur = GetValue(field);
        const bool curNull = !cur.isValid() || cur.isNull();
        switch (k) {
        case Kind::Currency: {
            const Currency a = curNull ? Currency() : coerce(k, cur, field).value<Currency>();
            return QVariant::fromValue(a + coerce(k, amount, field).value<Currency>());
        }
        case Kind::Integer: return QVariant((curNull ? 0 : cur.toLongLong()) + coerce(k, amount, field).toLongLong());
        default: return QVariant((curNull ? 0.0 : cur.toDouble()) + coerce(k, amount, field).toDouble());
        }
    });
}

void TableData::TakeNumber(const QString& field, const QVariant& number, std::function<QVariant(TableData& row)> again,
                           TakeAgain when)
{
    const int index = d->schema->fieldIndex(field);
    if (index < 0)
        throw objdb::error(UnknownField, tableName(),
                           QStringLiteral("Campo '%1' inesistente nella tabella %2").arg(field, tableName()));
    SetValue(field, number);
    RowState* row = currentRowOrNull(*this);
    if (!row || d->lastRefused) return;
    d->db->journal(d->cur);
    row->numbers.push_back({index, std::move(again), when == TakeAgain::OnCollision});
}

void TableData::SubtractFromField(const QString& field, const QVariant& amount)
{
    if (!amount.isValid() || amount.isNull()) return;
    const Kind k = fieldKind(*this, field);
    QVariant negated;
    switch (k) {
    case Kind::Currency: negated = QVariant::fromValue(-coerce(k, amount, field).value<Currency>()); break;
    case Kind::Integer: negated = QVariant(-coerce(k, amount, field).toLongLong()); break;
    default: negated = QVariant(-coerce(Kind::Real, amount, field).toDouble()); break;
    }
    AddToField(field, negated);
}
