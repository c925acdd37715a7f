// The SQL of a data set: every condition, order and field list the program writes goes
// through the Jet translator with the database's declarations; the tables their names reach
// (the parent, referenced tables, the owner) are joined once each, by alias. Paging is by
// key (order key, OID), never OFFSET.
#include "Database.h"
#include "DBEngine.h"
#include "JetTranslator.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"

namespace objdb {

namespace {

QString q(const QString& name) { return SqlConnection::quoteName(name); }

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The shown field of a single reference: the first of its display fields, read from the row it
// points to; its stored OID when that field is not declared.
QString referenceDisplay(const TableSchema& t, const RefSchema& r, std::optional<Kind>* kind = nullptr)
{
    const QString shown = r.def.DisplayFields.split(u',', Qt::SkipEmptyParts).value(0).trimmed();
    const FieldSchema* f = r.target ? r.target->field(shown) : nullptr;
    if (!f) return t.quoted() + u'.' + q(r.def.column());
    if (kind) *kind = f->kind;
    return QStringLiteral("(SELECT %1 FROM %2 WHERE %2.\"OID\" = %3.%4)")
        .arg(q(f->def.Name), r.target->quoted(), t.quoted(), q(r.def.column()));
}

// A translated condition that may let many rows through: anything but equalities (a range,
// a pattern, a function, a negation). Equalities on a key or a code select a row or a few,
// which are read at once.
bool mayPassMany(const QString& sql)
{
    bool quoted = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == u'\'') quoted = !quoted;
        if (quoted) continue;
        if (c == u'<' || c == u'>' || c == u'(') return true;
        if (c.isLetter() && (i == 0 || !sql[i - 1].isLetterOrNumber())) {
            const QStringView word = QStringView(sql).mid(i, 4);
            if (word.compare(u"NOT ", Qt::CaseInsensitive) == 0 || word.compare(u"OR ", Qt::CaseInsensitive) == 0
                || word.startsWith(u"OR ", Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

}   // namespace

JetPieces translatePiece(TableData::Impl& d, JetPieces::Kind kind, const QString& jet)
{
    return d.db->translated(kind, d.schema->name, jet, kind == JetPieces::Kind::FieldList ? QString() : d.fieldList);
}

void addJoins(std::vector<JetSchema::Join>& into, const std::vector<JetSchema::Join>& joins)
{
    for (const auto& j : joins) {
        bool known = false;
        for (const auto& k : into)
            if (same(k.alias, j.alias)) {
                known = true;
                break;
            }
        if (!known) into.push_back(j);
    }
}

// Whether `sql` names the table alias `alias` as the qualifier of a column.
bool namesAlias(const QString& sql, const QString& alias)
{
    for (const QString& qualifier : {SqlConnection::quoteName(alias) + u'.', alias + u'.'}) {
        for (qsizetype at = sql.indexOf(qualifier, 0, Qt::CaseInsensitive); at >= 0;
             at = sql.indexOf(qualifier, at + 1, Qt::CaseInsensitive)) {
            const QChar before = at > 0 ? sql[at - 1] : QChar(u' ');
            if (!(before.isLetterOrNumber() || before == u'_' || before == u'"' || before == u'.')) return true;
        }
    }
    return false;
}

// Whether `sql` names `name` as a column of its own, unqualified and unquoted.
bool namesBare(const QString& sql, const QString& name)
{
    auto partOfName = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'"'; };
    for (qsizetype at = sql.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
         at = sql.indexOf(name, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + name.size();
        if ((at == 0 || !partOfName(sql[at - 1])) && (end >= sql.size() || !partOfName(sql[end]))) return true;
    }
    return false;
}

// The joins a condition needs to find its rows: a condition is translated with the field
// list's names in reach, so it comes with every join the field list makes. A join on the
// reached table's OID gives each row one match or none, so one that neither the condition nor
// a join kept names changes no row found, and only costs a look-up per row that passes.
std::vector<JetSchema::Join> joinsNamedBy(const std::vector<JetSchema::Join>& joins, const QString& sql)
{
    std::vector<char> keep(joins.size(), 0);
    QString named = sql;
    for (size_t i = joins.size(); i-- > 0;) {
        const JetSchema::Join& j = joins[i];
        const bool onItsKey
            = j.onCondition.startsWith(SqlConnection::quoteName(j.alias) + QStringLiteral(".\"OID\" = "));
        keep[i] = !onItsKey || namesAlias(named, j.alias);
        if (keep[i]) named += u' ' + j.onCondition;
    }
    std::vector<JetSchema::Join> kept;
    for (size_t i = 0; i < joins.size(); ++i)
        if (keep[i]) kept.push_back(joins[i]);
    return kept;
}

QString fromClause(const CompiledQuery& c, const std::vector<JetSchema::Join>& extra)
{
    if (extra.empty()) return c.from;
    std::vector<JetSchema::Join> joins = c.joins;
    addJoins(joins, extra);
    return c.table + JetTranslator::JoinClause(joins);
}

// --- compiling a data set -----------------------------------------------------------------------

void invalidateQuery(TableData::Impl& d)
{
    d.query.reset();
    d.window.clear();
    d.firstPageKept = false;
    d.pos = -1;
    d.positioned = false;
}

void ensureCompiled(TableData::Impl& d)
{
    if (d.query) return;
    TableSchema& t = *d.schema;
    TableSchema* p = t.parent;
    CompiledQuery c;
    QStringList cols;
    const QString tq = t.quoted();
    cols << tq + QStringLiteral(".\"OID\"");
    cols << (t.isChild() ? tq + QStringLiteral(".\"objParent\"") : QStringLiteral("NULL"));
    c.ownFieldStart = 2;
    for (const auto& f : t.fields) cols << tq + u'.' + q(f.def.Name);
    c.ownRefStart = int(cols.size());
    for (int i : t.singleRefs) cols << tq + u'.' + q(t.refs[size_t(i)].def.column());
    c.parentFieldStart = int(cols.size());
    if (p) {
        for (const auto& f : p->fields) cols << p->quoted() + u'.' + q(f.def.Name);
    }
    c.parentRefStart = int(cols.size());
    if (p) {
        for (int i : p->singleRefs) cols << p->quoted() + u'.' + q(p->refs[size_t(i)].def.column());
    }
    c.extraStart = int(cols.size());
    // The parent is always there: its fields are part of every row of a child table. It is
    // joined by the name the translator gives it, so a condition on it adds no second join.
    if (p) c.joins.push_back({p->name, p->name, QStringLiteral("%1.\"OID\" = %2.\"objParent\"").arg(p->quoted(), tq)});

    // The field list: which columns are shown, and the computed ones.
    auto addOwnDisplay = [&](DisplayColumn::Source src, int index, const QString& name) {
        for (const auto& dc : c.display)
            if (same(dc.name, name)) return;
        c.display.push_back({src, index, name});
    };
    auto addAllOwn = [&]() {
        QStringList order = t.columnOrder.split(u',', Qt::SkipEmptyParts);
        for (QString n : order) {
            n = n.trimmed();
            if (int fi = t.fieldIndex(n); fi >= 0)
                addOwnDisplay(DisplayColumn::Own, fi, t.fields[size_t(fi)].def.Name);
            else if (const RefSchema* r = t.ref(n))
                addOwnDisplay(DisplayColumn::Ref, int(r - t.refs.data()), r->def.Name);
        }
        for (int i = 0; i < int(t.fields.size()); ++i)
            addOwnDisplay(DisplayColumn::Own, i, t.fields[size_t(i)].def.Name);
        for (int i = 0; i < int(t.refs.size()); ++i) addOwnDisplay(DisplayColumn::Ref, i, t.refs[size_t(i)].def.Name);
    };
    // `aliased`: an "expr AS Name" item. Named like one of the table's fields, it takes that
    // field's place among the columns shown (as its value does when the field is read).
    auto addExtra = [&](const QString& sqlExpr, const QString& name, std::optional<Kind> kind, bool aliased = false) {
        const FieldSchema* shadowed = aliased ? t.field(name) : nullptr;
        if (shadowed && !kind) kind = shadowed->kind;
        cols << sqlExpr;
        c.extraNames << name;
        c.extraKinds.push_back(kind.value_or(Kind::Text));
        c.extraTyped.push_back(kind.has_value());
        c.extraShadows.push_back(shadowed != nullptr);
        c.extraNumbers.push_back(false);
        c.anyShadow = c.anyShadow || shadowed;
        const DisplayColumn extra {DisplayColumn::Extra, int(c.extraNames.size()) - 1, name};
        if (shadowed) {
            for (auto& dc : c.display)
                if (dc.source == DisplayColumn::Own && same(dc.name, name)) {
                    dc = extra;
                    return;
                }
        }
        c.display.push_back(extra);
    };
    // The kind of a plain "[Table.]Field" item, when it names a declared field.
    auto kindOfName = [&](const QStringList& name) -> std::optional<Kind> {
        if (name.isEmpty()) return std::nullopt;
        for (TableSchema* s = name.size() == 2 ? d.db->schema(name[0]) : &t; s;
             s = name.size() == 2 ? nullptr : s->parent)
            if (const FieldSchema* f = s->field(name.back())) return f->kind;
        return std::nullopt;
    };
    if (d.fieldList.trimmed().isEmpty()) {
        addAllOwn();
    } else {
        const JetPieces fields = translatePiece(d, JetPieces::Kind::FieldList, d.fieldList);
        addJoins(c.joins, fields.joins);
        int unnamed = 0;
        for (const JetPieces::Item& item : fields.items) {
            if (item.star) {
                addAllOwn();
                continue;
            }
            if (!item.alias.isEmpty()) {
                std::optional<Kind> kind = kindOfName(item.name);
                if (!kind && item.arithmetic) kind = Kind::Real;
                addExtra(item.sql, item.alias, kind, true);
                c.extraNumbers.back() = item.arithmetic;
                continue;
            }
            if (item.name.isEmpty()) {
                // As Jet names an expression given without a name.
                addExtra(item.sql, QStringLiteral("Expr%1").arg(1000 + unnamed++), std::nullopt);
                continue;
            }
            const QString tableName = item.name.size() == 2 ? item.name[0] : QString();
            const QString& fieldName = item.name.back();
            const bool own = tableName.isEmpty() || same(tableName, t.name);
            const bool parent = p && (tableName.isEmpty() || same(tableName, p->name));
            if (own) {
                if (int fi = t.fieldIndex(fieldName); fi >= 0) {
                    addOwnDisplay(DisplayColumn::Own, fi, t.fields[size_t(fi)].def.Name);
                    continue;
                }
                if (const RefSchema* r = t.ref(fieldName)) {
                    // A reference shows the first of its display fields.
                    std::optional<Kind> kind;
                    const QString shown = r->isList() ? QString() : referenceDisplay(t, *r, &kind);
                    if (kind)
                        addExtra(shown, r->def.Name, kind);
                    else
                        addOwnDisplay(DisplayColumn::Ref, int(r - t.refs.data()), r->def.Name);
                    continue;
                }
            }
            if (parent) {
                if (int fi = p->fieldIndex(fieldName); fi >= 0) {
                    addOwnDisplay(DisplayColumn::Parent, fi, p->fields[size_t(fi)].def.Name);
                    continue;
                }
            }
            addExtra(item.sql, fieldName, kindOfName(item.name));
        }
    }

    // Which rows.
    QStringList where;
    if (d.source == TableData::Impl::Source::List) {
        where << QStringLiteral("%1.\"OID\" IN (SELECT \"MemberOID\" FROM %2 WHERE \"OwnerOID\" = ?)")
                     .arg(tq, q(d.listRef->linkTable));
        c.params << (d.owner ? d.owner->oid : qint64(0));
    } else if (d.source == TableData::Impl::Source::Single || d.source == TableData::Impl::Source::Bound) {
        where << tq + QStringLiteral(".\"OID\" = ?");
        c.params << d.singleOid;
    }
    std::vector<JetSchema::Join> keyJoins;
    bool keysNeedEveryJoin = false;
    bool passesMany = false;
    for (const QString* condition : {&d.selectCondition, &d.filter}) {
        if (condition->trimmed().isEmpty()) continue;
        const JetPieces w = translatePiece(d, JetPieces::Kind::Expression, *condition);
        addJoins(c.joins, w.joins);
        addJoins(keyJoins, joinsNamedBy(w.joins, w.items.front().sql));
        // A column the field list reaches through a join, named without its table, is left
        // bare for SQLite to find among the joined tables: it takes them all.
        for (const QString& extra : std::as_const(c.extraNames))
            keysNeedEveryJoin = keysNeedEveryJoin || namesBare(w.items.front().sql, extra);
        where << u'(' + w.items.front().sql + u')';
        passesMany = passesMany || mayPassMany(w.items.front().sql);
    }
    c.filterParamStart = c.params.size();
    c.params << d.filterValues;
    c.where = where.isEmpty() ? QStringLiteral("1") : where.join(QStringLiteral(" AND "));

    // In which order: the requested terms, then the OID so that every row has its own key.
    if (!d.order.trimmed().isEmpty()) {
        const JetPieces order = translatePiece(d, JetPieces::Kind::OrderList, d.order);
        bool joined = false;
        for (const JetPieces::Item& item : order.items) {
            OrderTerm ot;
            ot.desc = item.desc;
            int extra = -1;
            if (item.name.size() == 1)
                for (int j = 0; j < c.extraNames.size() && extra < 0; ++j)
                    if (same(c.extraNames[j], item.name[0])) extra = j;
            const RefSchema* r = item.name.size() == 1 ? t.ref(item.name[0]) : nullptr;
            if (extra >= 0) {
                ot.sql = cols[c.extraStart + extra];
                keysNeedEveryJoin = true;   // a computed column may name any table of the field list
            } else if (r && !r->isList() && r->target) {
                ot.sql = referenceDisplay(t, *r);
            } else {
                ot.sql = item.sql;
                if (!joined) {
                    addJoins(c.joins, order.joins);
                    addJoins(keyJoins, order.joins);
                }
                joined = true;
            }
            c.order.push_back(ot);
        }
    }
    c.order.push_back({tq + QStringLiteral(".\"OID\""), false});
    c.keyStart = int(cols.size());
    for (const auto& o : c.order) cols << o.sql;
    c.columnCount = int(cols.size());
    c.select = cols.join(QStringLiteral(", "));
    c.table = tq;
    c.from = tq + JetTranslator::JoinClause(c.joins);
    // A page of a data set that many rows pass, or that is sorted: SQLite may have to gather
    // every row that passes before the first can be given, and it would gather each whole,
    // with its joins and computed columns (85,000 sale lines of a month, each with its
    // article and VAT code, to show 100). Its keys are found first, over the date's or the
    // order's index where there is one, and only the page's rows are then read whole. A
    // condition of equalities (a row looked up by key or code) reads its few rows at once:
    // the second query would cost it more than it saves.
    const bool sorted = c.order.size() > 1;
    const bool wide = !c.joins.empty() || !c.extraNames.isEmpty();
    const bool gathers = passesMany || ((sorted || wide) && !where.isEmpty());
    if (d.source == TableData::Impl::Source::Table && (gathers || sorted))
        c.keyFrom = keysNeedEveryJoin ? c.from : tq + JetTranslator::JoinClause(keyJoins);
    d.query = std::move(c);
}

QString compiledWhere(TableData::Impl& d, QVariantList& params)
{
    ensureCompiled(d);
    params = d.query->params;
    return d.query->where;
}

namespace {

QString orderBy(const CompiledQuery& c, bool reverse)
{
    QStringList parts;
    for (const auto& o : c.order)
        parts << o.sql + ((o.desc != reverse) ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    return parts.join(QStringLiteral(", "));
}

// Rows after `key` in the direction of reading (reverse: before it in the data set's order).
QString keysetCondition(const CompiledQuery& c, const CachedRow& row, bool reverse, QVariantList& params)
{
    QStringList alternatives;
    for (size_t i = 0; i < c.order.size(); ++i) {
        QStringList conj;
        QVariantList local;
        for (size_t j = 0; j < i; ++j) {
            if (row.key(j).isNull())
                conj << c.order[j].sql + QStringLiteral(" IS NULL");
            else {
                conj << c.order[j].sql + QStringLiteral(" = ?");
                local << row.key(j);
            }
        }
        const bool descending = c.order[i].desc != reverse;
        const QString& x = c.order[i].sql;
        if (!descending) {
            if (row.key(i).isNull())
                conj << x + QStringLiteral(" IS NOT NULL");
            else {
                conj << x + QStringLiteral(" > ?");
                local << row.key(i);
            }
        } else {
            // NULL sorts first: nothing comes after it going down.
            if (row.key(i).isNull()) continue;
            conj << QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(x);
            local << row.key(i);
        }
        alternatives << u'(' + conj.join(QStringLiteral(" AND ")) + u')';
        params << local;
    }
    if (alternatives.isEmpty()) return QStringLiteral("0");
    return alternatives.join(QStringLiteral(" OR "));
}

}   // namespace

namespace {

// Keys found when a page's are gathered: gathering every row that passes costs the same for
// a page or for many, so reading on (a window shows a page or two, a report its first 100
// rows) takes its keys from them instead of gathering everything again.
constexpr int kKeysAhead = 256;

bool aheadUsable(TableData::Impl& d, const CompiledQuery& c, const CachedRow* after, bool reverse, int limit)
{
    if (!after || reverse || c.aheadNext >= c.aheadKeys.size() || c.aheadAfter != after->oid) return false;
    // A page short of its size says the rows end there: only keys found up to the end may.
    if (c.aheadKeys.size() - c.aheadNext < size_t(limit) && !c.aheadToTheEnd) return false;
    if (c.aheadEpoch != currentFreshEpoch()) return false;
    const std::shared_ptr<SqlConnection> conn = d.engine->sqlShared();
    if (!conn || conn != c.aheadConnection.lock()) return false;
    return conn->unchangedSince(c.aheadMark);
}

// The query of the keys of up to `gathered` rows after `after` in reading order, over `from`
// (the table with the joins the query needs); the keyset's values are added to `params`.
QString keysText(const CompiledQuery& c, const QString& from, const CachedRow* after, bool reverse, int gathered,
                 QVariantList& params)
{
    QString sql = QStringLiteral("SELECT ") + c.table + QStringLiteral(".\"OID\" FROM ") + from
        + QStringLiteral(" WHERE ") + c.where;
    if (after) sql += QStringLiteral(" AND (") + keysetCondition(c, *after, reverse, params) + u')';
    sql += QStringLiteral(" ORDER BY ") + orderBy(c, reverse) + QStringLiteral(" LIMIT ") + QString::number(gathered);
    return sql;
}

// The keys of up to `limit` rows after `after` in reading order; `params` are the query's.
std::vector<qint64> pageKeys(TableData::Impl& d, const CachedRow* after, bool reverse, int limit, QVariantList& params)
{
    CompiledQuery& c = *d.query;
    std::vector<qint64> keys;
    if (aheadUsable(d, c, after, reverse, limit)) {
        const size_t end = std::min(c.aheadKeys.size(), c.aheadNext + size_t(limit));
        keys.assign(c.aheadKeys.begin() + qsizetype(c.aheadNext), c.aheadKeys.begin() + qsizetype(end));
        c.aheadNext = end;
        c.aheadAfter = keys.back();
        return keys;
    }
    c.aheadKeys.clear();
    c.aheadNext = 0;
    // Taken before the keys are read: a change that lands meanwhile makes them look older
    // than they are, never newer.
    const std::shared_ptr<SqlConnection> conn = d.engine->sqlShared();
    const bool keep = !reverse && conn;
    if (keep) {
        c.aheadConnection = conn;
        c.aheadEpoch = currentFreshEpoch();
        // The first page's mark, when it is of this connection and epoch, was taken before
        // and serves (an older mark can only make the keys look older); else a new one.
        const bool firstPageMarked = d.firstPageConnection.lock() == conn && d.firstPageEpoch == c.aheadEpoch
            && d.firstPageMark.ownChanges >= 0;
        c.aheadMark = firstPageMarked ? d.firstPageMark : conn->markBeforeRead();
    }
    const int gathered = keep ? std::max(limit, kKeysAhead) : limit;
    const QString sql = keysText(c, c.keyFrom, after, reverse, gathered, params);
    SqlConnection::Stmt st = d.engine->sql().prepare(sql);
    st.bindAll(params);
    const int sortsBefore = st.sortsRun();
    std::vector<qint64> found;
    found.reserve(size_t(std::min(gathered, 4096)));
    while (st.next()) found.push_back(st.int64(0));
    if (!c.keysPlanAsked) {
        // Whether finding the keys first pays, as SQLite's plan shows it: a plan that reads
        // the rows in their order and stops at the page's end reads them at once from now on.
        const bool sorted = st.sortsRun() > sortsBefore;
        d.engine->sql().rememberSorts(sql, sorted);
        c.keysPlanAsked = true;
        if (!sorted) c.keyFrom.clear();
    }
    if (int(found.size()) <= limit) return found;
    c.aheadToTheEnd = int(found.size()) < gathered;
    keys.assign(found.begin(), found.begin() + limit);
    c.aheadKeys = std::move(found);
    c.aheadNext = size_t(limit);
    c.aheadAfter = keys.back();
    return keys;
}

}   // namespace

std::vector<qint64> fetchKeys(TableData::Impl& d, const CachedRow* after, int limit)
{
    ensureCompiled(d);
    const CompiledQuery& c = *d.query;
    QVariantList params = c.params;
    // The joins the condition and the order need, when they are known; else every join.
    const QString sql = keysText(c, c.keyFrom.isEmpty() ? c.from : c.keyFrom, after, false, limit, params);
    SqlConnection::Stmt st = d.engine->sql().prepare(sql);
    st.bindAll(params);
    std::vector<qint64> keys;
    while (st.next()) keys.push_back(st.int64(0));
    return keys;
}

namespace {
std::vector<CachedRow> readPage(TableData::Impl& d, const CachedRow* after, bool reverse, int limit, bool* more);
}

// Reads up to `limit` rows after (or, reverse, before) `after`; from the start when null.
// The page's keys and its rows are read in one read transaction, so that another program's
// change lands wholly before or wholly after them; `more` says whether rows may follow, as
// the keys say (a row gone since its key was gathered shortens the page, not the reading).
std::vector<CachedRow> fetchPage(TableData::Impl& d, const CachedRow* after, bool reverse, int limit, bool* more)
{
    ensureCompiled(d);
    SqlConnection& conn = d.engine->sql();
    if (conn.inTransaction()) return readPage(d, after, reverse, limit, more);
    const QString sp = conn.openSavepoint(false);
    try {
        std::vector<CachedRow> rows = readPage(d, after, reverse, limit, more);
        conn.releaseSavepoint(sp);
        return rows;
    } catch (...) {
        conn.rollbackSavepoint(sp);
        throw;
    }
}

namespace {
std::vector<CachedRow> readPage(TableData::Impl& d, const CachedRow* after, bool reverse, int limit, bool* more)
{
    CompiledQuery& compiled = *d.query;
    const CompiledQuery& c = compiled;
    QVariantList params = c.params;
    const QString order = orderBy(c, reverse);
    if (!c.keyFrom.isEmpty() && !c.keysPlanAsked) {
        // Known on this connection when a data set of the same query was read before; else
        // the first key query tells (pageKeys).
        QVariantList keysetValues;
        const QString keys = keysText(c, c.keyFrom, nullptr, false, std::max(limit, kKeysAhead), keysetValues);
        if (const std::optional<bool> sorts = d.engine->sql().knownToSort(keys)) {
            compiled.keysPlanAsked = true;
            if (!*sorts) compiled.keyFrom.clear();
        }
    }
    QString sql;
    if (!c.keyFrom.isEmpty()) {
        // The page's keys first (see ensureCompiled), then its rows.
        const std::vector<qint64> keys = pageKeys(d, after, reverse, limit, params);
        if (more) *more = int(keys.size()) == limit;
        if (keys.empty()) return {};
        // One mark per row of a whole page, those of a short one left null (no row has a
        // null key): the text stays the same from page to page, and so does the prepared
        // statement.
        QString marks;
        marks.reserve(qsizetype(limit) * 2);
        params.clear();
        for (int i = 0; i < limit; ++i) {
            marks += i == 0 ? QStringLiteral("?") : QStringLiteral(",?");
            params << (size_t(i) < keys.size() ? QVariant(keys[size_t(i)]) : QVariant());
        }
        sql = QStringLiteral("SELECT ") + c.select + QStringLiteral(" FROM ") + c.from + QStringLiteral(" WHERE ")
            + c.table + QStringLiteral(".\"OID\" IN (") + marks + QStringLiteral(") ORDER BY ") + order;
    } else {
        sql = QStringLiteral("SELECT ") + c.select + QStringLiteral(" FROM ") + c.from + QStringLiteral(" WHERE ")
            + c.where;
        if (after) sql += QStringLiteral(" AND (") + keysetCondition(c, *after, reverse, params) + u')';
        sql += QStringLiteral(" ORDER BY ") + order + QStringLiteral(" LIMIT ") + QString::number(limit);
    }
    SqlConnection::Stmt st = d.engine->sql().prepare(sql);
    st.bindAll(params);
    std::vector<CachedRow> rows;
    rows.reserve(size_t(limit));
    const quint64 epoch = currentFreshEpoch();
    const quint64 stamp = d.engine->sql().readStamp();
    while (st.next()) {
        CachedRow& r = rows.emplace_back();
        r.oid = st.int64(0);
        r.readEpoch = epoch;
        r.readStamp = stamp;
        r.cols.reserve(size_t(c.columnCount));
        for (int i = 0; i < c.columnCount; ++i) r.cols.push_back(st.value(i));
        r.keyStart = size_t(c.keyStart);
    }
    if (c.keyFrom.isEmpty() && more) *more = int(rows.size()) == limit;
    if (reverse) std::reverse(rows.begin(), rows.end());
    return rows;
}
}   // namespace

}   // namespace objdb
