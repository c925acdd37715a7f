// A data set's cursor: pages read by key, the current row, filters and order, counts and
// aggregates.
#include "Database.h"
#include "DBEngine.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"
#include "TableObject.h"

using namespace objdb;
using Source = TableData::Impl::Source;

namespace objdb {

std::unique_ptr<TableData> DataSetAccess::make(std::unique_ptr<TableData::Impl> impl)
{
    return std::unique_ptr<TableData>(new TableData(std::move(impl)));
}

std::unique_ptr<TableData::Impl> DataSetAccess::newImpl(std::shared_ptr<Database> db, std::shared_ptr<DBEngine> engine,
                                                        TableSchema& schema)
{
    auto d = std::make_unique<TableData::Impl>();
    d->db = std::move(db);
    d->engine = std::move(engine);
    d->schema = &schema;
    return d;
}

std::unique_ptr<TableData> DataSetAccess::view(std::shared_ptr<Database> db, std::shared_ptr<DBEngine> engine,
                                               RowPtr row)
{
    auto d = newImpl(std::move(db), std::move(engine), *row->schema);
    d->source = Source::Bound;
    d->singleOid = row->oid;
    d->positioned = true;
    d->bof = d->eof = false;
    d->cur = std::move(row);   // a view is not a cursor: it does not count as a holder
    return make(std::move(d));
}

void setCurrent(TableData::Impl& d, RowPtr row)
{
    if (d.cur == row) return;
    if (d.cur && d.source != Source::Bound) --d.cur->holders;
    d.cur = std::move(row);
    if (d.cur && d.source != Source::Bound) ++d.cur->holders;
}

RowState* currentRowOrNull(const TableData& td)
{
    ensurePositioned(td);
    return DataSetAccess::impl(td).cur.get();
}

RowState& currentRow(const TableData& td)
{
    RowState* r = currentRowOrNull(td);
    if (!r || r->deleted)
        throw objdb::error(NoCurrentRow, td.tableName(),
                           QStringLiteral("Nessun elemento corrente in <%1>").arg(td.tableName()));
    return *r;
}

RowPtr rowFromCache(TableData::Impl& d, const CachedRow& c)
{
    Database& db = *d.db;
    if (RowPtr live = db.liveRow(*d.engine, d.schema->name, c.oid)) return live;
    TableSchema& t = *d.schema;
    const CompiledQuery& q = *d.query;
    RowPtr r = newRowState(t, *d.engine);
    r->oid = c.oid;
    // As fresh as the page: a page read since the last operation ended counts as read now.
    r->freshEpoch = c.readEpoch;
    r->stamp = c.readStamp;
    r->parentOid = c.cols[1].isNull() ? 0 : c.cols[1].toLongLong();
    for (size_t i = 0; i < t.fields.size(); ++i)
        r->values[i] = fromStorage(t.fields[i].kind, c.cols[size_t(q.ownFieldStart) + i]);
    for (size_t i = 0; i < t.singleRefs.size(); ++i) {
        const QVariant& v = c.cols[size_t(q.ownRefStart) + i];
        r->refs[i] = v.isNull() ? 0 : v.toLongLong();
    }
    if (TableSchema* p = t.parent; p && r->parentOid) {
        if (RowPtr live = db.liveRow(*d.engine, p->name, r->parentOid)) {
            r->parent = live;
        } else if (!p->isChild()) {
            RowPtr pr = newRowState(*p, *d.engine);
            pr->oid = r->parentOid;
            pr->freshEpoch = c.readEpoch;
            pr->stamp = c.readStamp;
            for (size_t i = 0; i < p->fields.size(); ++i)
                pr->values[i] = fromStorage(p->fields[i].kind, c.cols[size_t(q.parentFieldStart) + i]);
            for (size_t i = 0; i < p->singleRefs.size(); ++i) {
                const QVariant& v = c.cols[size_t(q.parentRefStart) + i];
                pr->refs[i] = v.isNull() ? 0 : v.toLongLong();
            }
            r->parent = pr;
        }
    }
    return r;
}

void ensurePositioned(const TableData& td)
{
    auto& d = const_cast<TableData::Impl&>(DataSetAccess::impl(td));
    if (d.positioned) return;
    d.positioned = true;
    fetchFirst(d, false);
}

namespace {

// The first page in the window can stand for a new read: same query, and no operation ended
// nor any write reached the file since it was read.
bool firstPageStillValid(TableData::Impl& d)
{
    if (!d.firstPageKept || !d.positioned || !d.query) return false;
    if (d.firstPageEpoch != currentFreshEpoch()) return false;
    const std::shared_ptr<SqlConnection> conn = d.engine->sqlShared();
    if (!conn || conn != d.firstPageConnection.lock()) return false;
    return conn->unchangedSince(d.firstPageMark);
}

// Taken before the page is read: a change that lands while it is read makes the page look
// older than it is, never newer.
void markFirstPage(TableData::Impl& d)
{
    const std::shared_ptr<SqlConnection> conn = d.engine->sqlShared();
    d.firstPageConnection = conn;
    d.firstPageEpoch = currentFreshEpoch();
    d.firstPageMark = conn ? conn->markBeforeRead() : SqlConnection::ChangeMark();
}

}   // namespace

bool fetchFirst(TableData::Impl& d, bool reverse)
{
    if (d.source == Source::Bound) {
        d.positioned = true;
        d.bof = d.eof = !d.cur;
        return d.cur != nullptr;
    }
    const bool reuse = !reverse && firstPageStillValid(d);
    d.positioned = true;
    d.pageSize = TableData::Impl::kFirstPageRows;
    d.pagesRead = 0;
    if (!reuse) {
        d.firstPageKept = false;
        // An unset reference: no row to read, and no query to ask it of.
        const bool none = d.source == Source::Single && d.singleOid == 0;
        if (!reverse && !none) markFirstPage(d);
        bool more = false;
        d.window = none ? std::vector<CachedRow>() : fetchPage(d, nullptr, reverse, d.pageSize, &more);
        d.firstPageKept = !reverse && !none && !d.firstPageConnection.expired();
        d.firstPageMore = more;
    }
    d.windowFull = d.firstPageMore;
    if (d.window.empty()) {
        d.pos = -1;
        d.bof = d.eof = true;
        setCurrent(d, nullptr);
        return false;
    }
    d.pos = reverse ? int(d.window.size()) - 1 : 0;
    d.bof = d.eof = false;
    setCurrent(d, rowFromCache(d, d.window[size_t(d.pos)]));
    return true;
}

namespace {

// The row with this OID among the data set's rows becomes the only row of the window.
bool positionOnOid(TableData::Impl& d, qint64 oid, const QString& extraCondition = QString(),
                   const QVariantList& extraParams = {}, const std::vector<JetSchema::Join>& extraJoins = {})
{
    ensureCompiled(d);
    d.positioned = true;
    CompiledQuery& c = *d.query;
    // Found by key again and again: the fixed parts of the text are made once.
    if (c.oneRowOrder.isEmpty()) {
        c.oneRowHead = QStringLiteral("SELECT ") + c.select + QStringLiteral(" FROM ") + c.from
            + QStringLiteral(" WHERE ") + c.where;
        c.oneRowOid = QStringLiteral(" AND ") + d.schema->quoted() + QStringLiteral(".\"OID\" = ?");
        QStringList ob;
        for (const auto& o : c.order) ob << o.sql + (o.desc ? QStringLiteral(" DESC") : QString());
        c.oneRowOrder = QStringLiteral(" ORDER BY ") + ob.join(QStringLiteral(", ")) + QStringLiteral(" LIMIT 1");
    }
    QVariantList params = c.params;
    QString sql;
    if (extraJoins.empty()) {
        sql.reserve(c.oneRowHead.size() + c.oneRowOid.size() + extraCondition.size() + c.oneRowOrder.size() + 8);
        sql += c.oneRowHead;
    } else {
        sql = QStringLiteral("SELECT ") + c.select + QStringLiteral(" FROM ") + fromClause(c, extraJoins)
            + QStringLiteral(" WHERE ") + c.where;
    }
    if (oid) {
        sql += c.oneRowOid;
        params << oid;
    }
    if (!extraCondition.isEmpty()) {
        sql += QStringLiteral(" AND (") + extraCondition + u')';
        params << extraParams;
    }
    sql += c.oneRowOrder;
    const quint64 epoch = currentFreshEpoch();
    SqlConnection::Stmt st = d.engine->sql().prepare(sql);
    st.bindAll(params);
    if (!st.next()) return false;
    CachedRow r;
    r.oid = st.int64(0);
    r.readEpoch = epoch;
    r.readStamp = d.engine->sql().readStamp();
    r.cols.reserve(size_t(c.columnCount));
    for (int i = 0; i < c.columnCount; ++i) r.cols.push_back(st.value(i));
    r.keyStart = size_t(c.keyStart);
    d.window.assign(1, std::move(r));
    d.firstPageKept = false;
    d.pos = 0;
    d.windowFull = true;
    d.bof = d.eof = false;
    if (!(d.cur && d.cur->oid == d.window[0].oid && !d.cur->deleted)) setCurrent(d, rowFromCache(d, d.window[0]));
    return true;
}

void step(TableData::Impl& d, bool forward)
{
    if (d.source == Source::Bound) {
        (forward ? d.eof : d.bof) = true;
        return;
    }
    if (forward ? d.eof : d.bof) return;
    // A new row not yet stored stands outside the window: moving drops it.
    const bool outside = d.cur
        && (d.cur->isNew || d.pos < 0 || d.pos >= int(d.window.size()) || d.window[size_t(d.pos)].oid != d.cur->oid);
    int next = outside ? (forward ? d.pos : d.pos) : d.pos + (forward ? 1 : -1);
    if (outside && d.pos < 0) next = forward ? 0 : -1;
    if (next >= 0 && next < int(d.window.size())) {
        d.pos = next;
        d.bof = d.eof = false;
        setCurrent(d, rowFromCache(d, d.window[size_t(next)]));
        return;
    }
    if (!d.window.empty() && d.windowFull) {
        // A grid shows a page or two; only a reading that goes on grows the pages.
        if (d.pagesRead++ > 0) d.pageSize = std::min(d.pageSize * 2, 1024);
        const CachedRow edge = forward ? d.window.back() : d.window.front();
        bool more = false;
        auto page = fetchPage(d, &edge, !forward, d.pageSize, &more);
        if (!page.empty()) {
            d.windowFull = more;
            d.window = std::move(page);
            d.firstPageKept = false;
            d.pos = forward ? 0 : int(d.window.size()) - 1;
            d.bof = d.eof = false;
            setCurrent(d, rowFromCache(d, d.window[size_t(d.pos)]));
            return;
        }
    }
    if (forward) {
        d.eof = true;
        d.pos = int(d.window.size());
    } else {
        d.bof = true;
        d.pos = -1;
    }
    // The window stays: moving back from the end finds its rows again.
    d.windowFull = true;
    setCurrent(d, nullptr);
}

}   // namespace
}   // namespace objdb

// --- TableData: construction ----------------------------------------------------------------

TableData::TableData() : d(std::make_unique<Impl>()) { }
TableData::TableData(std::unique_ptr<Impl> impl) : d(std::move(impl)) { }
TableData::~TableData()
{
    if (d) setCurrent(*d, nullptr);
}

// --- navigation -------------------------------------------------------------------------------

void TableData::MoveFirst() { fetchFirst(*d, false); }
void TableData::MoveLast() { fetchFirst(*d, true); }
void TableData::MoveNext()
{
    ensurePositioned(*this);
    step(*d, true);
}
void TableData::MovePrevious()
{
    ensurePositioned(*this);
    step(*d, false);
}
bool TableData::IsEOF() const
{
    ensurePositioned(*this);
    return d->eof || !d->cur;
}
bool TableData::IsBOF() const
{
    ensurePositioned(*this);
    return d->bof || !d->cur;
}
bool TableData::HasNoCurrentRow() const
{
    ensurePositioned(*this);
    return !d->cur || d->cur->deleted;
}

bool TableData::IsEmpty() const
{
    ensurePositioned(*this);
    if (d->cur && !d->cur->deleted) return false;
    if (d->source == Source::Bound) return true;
    return d->window.empty();
}

qint64 TableData::RowCount() const
{
    if (d->source == Source::Bound) return d->cur ? 1 : 0;
    QVariantList params;
    const QString where = compiledWhere(*d, params);
    return d->engine->sql()
        .scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(d->query->from, where), params)
        .toLongLong();
}

bool TableData::MoveToOID(qint64 oid)
{
    if (d->source == Source::Bound) return d->cur && d->cur->oid == oid;
    if (oid == 0) return false;
    return positionOnOid(*d, oid);
}

bool TableData::FindKey(const QVariant& key)
{
    if (d->source == Source::Bound) return false;
    const QString field = d->schema->keyField();
    if (field.isEmpty()) return MoveToOID(key.toLongLong());
    const QString col = d->schema->quoted() + u'.' + SqlConnection::quoteName(field);
    const QString text = key.isNull() ? QString() : key.toString();
    if (text.isEmpty()) return positionOnOid(*d, 0, QStringLiteral("%1 IS NULL OR %1 = ''").arg(col));
    const FieldSchema* f = d->schema->field(field);
    QVariant bound = f ? toStorage(f->kind, coerce(f->kind, key, field)) : key;
    return positionOnOid(*d, 0, col + QStringLiteral(" = ?"), {bound});
}

bool TableData::FindFirst(const QString& condition, int, bool next) { return findFirst(*d, condition, {}, next); }

namespace objdb {

bool findFirst(TableData::Impl& dd, const QString& condition, const QVariantList& values, bool next)
{
    TableData::Impl* d = &dd;
    if (d->source == Source::Bound) return false;
    if (!d->positioned) fetchFirst(*d, false);
    ensureCompiled(*d);
    JetPieces translated;
    if (!condition.trimmed().isEmpty()) translated = translatePiece(*d, JetPieces::Kind::Expression, condition);
    QString cond = translated.items.empty() ? QStringLiteral("1") : translated.items.front().sql;
    QVariantList params = values;
    if (next && d->cur && d->pos >= 0 && d->pos < int(d->window.size())) {
        // After the current row, in the data set's order.
        const CompiledQuery& c = *d->query;
        const CachedRow& here = d->window[size_t(d->pos)];
        QStringList alternatives;
        for (size_t i = 0; i < c.order.size(); ++i) {
            QStringList conj;
            for (size_t j = 0; j < i; ++j) {
                if (here.key(j).isNull())
                    conj << c.order[j].sql + QStringLiteral(" IS NULL");
                else {
                    conj << c.order[j].sql + QStringLiteral(" = ?");
                    params << here.key(j);
                }
            }
            const QString& x = c.order[i].sql;
            if (!c.order[i].desc) {
                if (here.key(i).isNull())
                    conj << x + QStringLiteral(" IS NOT NULL");
                else {
                    conj << x + QStringLiteral(" > ?");
                    params << here.key(i);
                }
            } else {
                if (here.key(i).isNull()) continue;
                conj << QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(x);
                params << here.key(i);
            }
            alternatives << u'(' + conj.join(QStringLiteral(" AND ")) + u')';
        }
        cond = u'(' + cond + QStringLiteral(") AND (")
            + (alternatives.isEmpty() ? QStringLiteral("0") : alternatives.join(QStringLiteral(" OR "))) + u')';
    }
    const auto saved = std::make_tuple(d->window, d->pos, d->windowFull, d->bof, d->eof, d->firstPageKept);
    if (positionOnOid(*d, 0, cond, params, translated.joins)) return true;
    std::tie(d->window, d->pos, d->windowFull, d->bof, d->eof, d->firstPageKept) = saved;
    return false;
}

}   // namespace objdb

std::vector<qint64> TableData::PageAfter(qint64 afterOid, int count) const
{
    std::vector<qint64> oids;
    if (count <= 0) return oids;
    auto& dd = const_cast<Impl&>(*d);
    if (dd.source == Source::Bound) {
        if (dd.cur && !dd.cur->isNew && afterOid == 0) oids.push_back(dd.cur->oid);
        return oids;
    }
    ensureCompiled(dd);
    std::optional<CachedRow> after;
    if (afterOid) {
        // The order keys of the row to start after.
        const CompiledQuery& c = *dd.query;
        QStringList keys;
        for (const auto& o : c.order) keys << o.sql;
        auto st
            = dd.engine->sql().prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 AND %4.\"OID\" = ?")
                                           .arg(keys.join(QStringLiteral(", ")), c.from, c.where, dd.schema->quoted()));
        QVariantList params = c.params;
        params << afterOid;
        st.bindAll(params);
        if (!st.next()) return oids;
        CachedRow r;
        r.oid = afterOid;
        for (int i = 0; i < int(c.order.size()); ++i) r.cols.push_back(st.value(i));
        after = std::move(r);
    }
    return fetchKeys(dd, after ? &*after : nullptr, count);
}

bool TableData::Find(const QString& condition, bool filtering) { return Find(condition, {}, filtering); }

bool TableData::Find(const QString& condition, const QVariantList& values, bool filtering)
{
    if (!filtering) return findFirst(*d, condition, values, false);
    SetFilter(condition, values);
    MoveFirst();
    return !IsEmpty();
}

// --- filter and order -----------------------------------------------------------------------

QString TableData::GetFilter() const { return d->filter; }
QString TableData::GetSelectCondition() const { return d->selectCondition; }
QString TableData::GetOrder() const { return d->order; }
QString TableData::GetFieldList() const { return d->fieldList; }

void TableData::SetFilter(const QString& filter, const QVariantList& values)
{
    // The same filter with other values (a code looked up line after line): the compiled
    // query stands, only the values it binds change.
    if (d->query && filter == d->filter && values.size() == d->filterValues.size()) {
        d->filterValues = values;
        QVariantList& params = d->query->params;
        params.resize(d->query->filterParamStart);
        params << values;
        // Keys gathered ahead passed the old values, not the new ones.
        d->query->aheadKeys.clear();
        d->query->aheadNext = 0;
        d->query->aheadAfter = 0;
        d->window.clear();
        d->firstPageKept = false;
        d->pos = -1;
        d->positioned = false;
        return;
    }
    d->filter = filter;
    d->filterValues = values;
    invalidateQuery(*d);
    ensureCompiled(*d);   // a condition naming unknown tables fails here, not at the next read
}

void TableData::SelectWhere(const QString& condition)
{
    d->selectCondition = condition;
    invalidateQuery(*d);
    ensureCompiled(*d);
}

bool TableData::AllowsOrder(const QString& order) const
{
    auto probe = DataSetAccess::newImpl(d->db, d->engine, *d->schema);
    probe->source = d->source == Source::Bound ? Source::Single : d->source;
    probe->owner = d->owner;
    probe->listRef = d->listRef;
    probe->singleOid = d->singleOid;
    probe->fieldList = d->fieldList;
    probe->order = order;
    try {
        ensureCompiled(*probe);
        const CompiledQuery& c = *probe->query;
        QStringList ob;
        for (const auto& o : c.order) ob << o.sql;
        d->engine->sql().prepare(
            QStringLiteral("SELECT 1 FROM %1 WHERE 0 ORDER BY %2").arg(c.from, ob.join(QStringLiteral(", "))));
        return true;
    } catch (const AppError&) {
        return false;
    }
}

void TableData::SetOrder(const QString& order)
{
    if (!AllowsOrder(order))
        throw objdb::error(SqlFailed, tableName(), QStringLiteral("Ordinamento non valido: %1").arg(order));
    const qint64 keep = d->cur && !d->cur->isNew ? d->cur->oid : 0;
    d->order = order;
    invalidateQuery(*d);
    if (keep && positionOnOid(*d, keep)) return;
}

void TableData::Refresh()
{
    if (d->source == Source::Bound) {
        if (d->cur && !d->cur->isNew && !d->cur->dirty()) readRow(*d->engine, *d->cur);
        return;
    }
    const qint64 keep = d->cur && !d->cur->isNew ? d->cur->oid : 0;
    if (d->cur && !d->cur->dirty()) setCurrent(*d, nullptr);
    invalidateQuery(*d);
    if (keep && positionOnOid(*d, keep)) return;
    fetchFirst(*d, false);
}

void TableData::Requery()
{
    if (d->source == Source::Bound) {
        Refresh();
        return;
    }
    setCurrent(*d, nullptr);
    invalidateQuery(*d);
}

std::unique_ptr<TableData> TableData::Clone() const
{
    auto c = DataSetAccess::newImpl(d->db, d->engine, *d->schema);
    c->source = d->source == Source::Bound ? Source::Single : d->source;
    c->selectCondition = d->selectCondition;
    c->filter = d->filter;
    c->filterValues = d->filterValues;
    c->order = d->order;
    c->fieldList = d->fieldList;
    c->owner = d->owner;
    c->listRef = d->listRef;
    c->singleOid = d->source == Source::Bound && d->cur ? d->cur->oid : d->singleOid;
    c->origin = d->origin;
    auto td = DataSetAccess::make(std::move(c));
    if (d->cur && !d->cur->isNew) positionOnOid(DataSetAccess::impl(*td), d->cur->oid);
    return td;
}

void TableData::Close()
{
    setCurrent(*d, nullptr);
    d->window.clear();
    d->firstPageKept = false;
    d->pos = -1;
    d->bof = d->eof = true;
    d->positioned = true;
}

// --- aggregates -----------------------------------------------------------------------------

QVariant TableData::Aggregate(const QString& field, int op) const
{
    static const char* const fn[] = {"SUM", "COUNT", "MAX", "MIN", "AVG"};
    if (op < 0 || op > 4)
        throw objdb::error(BadValue, tableName(), QStringLiteral("Operazione di aggregazione %1 non prevista").arg(op));
    auto& dd = const_cast<Impl&>(*d);
    ensureCompiled(dd);
    const JetPieces expr = translatePiece(dd, JetPieces::Kind::Expression, field);
    std::optional<Kind> kind;
    {
        TableSchema* s = d->schema;
        while (s && !kind) {
            if (const FieldSchema* f = s->field(field)) kind = f->kind;
            s = s->parent;
        }
    }
    QVariantList params;
    const QString where = compiledWhere(dd, params);
    QVariant v = d->engine->sql().scalar(
        QStringLiteral("SELECT %1(%2) FROM %3 WHERE %4")
            .arg(QString::fromLatin1(fn[op]), expr.items.front().sql, fromClause(*d->query, expr.joins), where),
        params);
    if (op == 1) return QVariant(v.toLongLong());
    const Kind k = kind.value_or(v.userType() == QMetaType::Double ? Kind::Real : Kind::Integer);
    if (v.isNull()) return zeroOf(k == Kind::Text || k == Kind::Date || k == Kind::DateTime ? Kind::Integer : k);
    if (k == Kind::Integer && op == 4) return QVariant(v.toDouble());
    return fromStorage(k, v);
}

QVariant TableData::GetNextProgressive(const QString& field) const
{
    QVariant max = Aggregate(field, 2);
    return QVariant(qint64(std::llround(max.toDouble())) + 1);
}
