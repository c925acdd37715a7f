// The SQL of a data set: names resolved against the table, its parent, its references and
// owners; the column layout; keyset paging by (order key, OID), never OFFSET.
#include "Database.h"
#include "DBEngine.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"
#include "SqlDialect.h"
#include <QSet>

namespace objdb {

namespace {

struct Tok {
    enum Kind { Space, Word, Quoted, String, Number, Punct } kind;
    QString text;   // as written
    QString name;   // Word/Quoted: the name without quotes
};

std::vector<Tok> lex(const QString& s)
{
    std::vector<Tok> out;
    int i = 0;
    const int n = int(s.size());
    auto isWordStart = [](QChar c) { return c.isLetter() || c == u'_' || c.unicode() >= 0x80; };
    auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() >= 0x80; };
    while (i < n) {
        const QChar c = s[i];
        const int start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace()) ++i;
            out.push_back({Tok::Space, s.mid(start, i - start), {}});
        } else if (c == u'\'') {
            ++i;
            while (i < n) {
                if (s[i] == u'\'') {
                    if (i + 1 < n && s[i + 1] == u'\'') { i += 2; continue; }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({Tok::String, s.mid(start, i - start), {}});
        } else if (c == u'"' || c == u'[' || c == u'`') {
            const QChar close = c == u'[' ? u']' : c;
            ++i;
            QString name;
            while (i < n) {
                if (s[i] == close) {
                    if (close != u']' && i + 1 < n && s[i + 1] == close) { name += close; i += 2; continue; }
                    ++i;
                    break;
                }
                name += s[i++];
            }
            out.push_back({Tok::Quoted, s.mid(start, i - start), name});
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && (s[i].isLetterOrNumber() || s[i] == u'.')) ++i;
            out.push_back({Tok::Number, s.mid(start, i - start), {}});
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(s[i])) ++i;
            QString w = s.mid(start, i - start);
            out.push_back({Tok::Word, w, w});
        } else {
            ++i;
            if (i < n) {
                const QString two = s.mid(start, 2);
                if (two == u"||" || two == u"<=" || two == u">=" || two == u"<>" || two == u"!=" || two == u"==") ++i;
            }
            out.push_back({Tok::Punct, s.mid(start, i - start), {}});
        }
    }
    return out;
}

bool isKeyword(const QString& w)
{
    static const QSet<QString> words = [] {
        QSet<QString> s;
        for (const char* k : {"select", "from", "where", "and", "or", "not", "null", "is", "in", "like", "glob", "between",
                              "case", "when", "then", "else", "end", "as", "asc", "desc", "on", "join", "left", "inner",
                              "outer", "cross", "distinct", "all", "exists", "true", "false", "collate", "escape", "by",
                              "order", "group", "having", "limit", "offset", "union", "cast", "nocase", "binary",
                              "integer", "real", "text", "current_date", "current_time", "current_timestamp", "isnull",
                              "notnull", "regexp", "match", "using", "natural", "except", "intersect", "values", "with"})
            s.insert(QString::fromLatin1(k));
        return s;
    }();
    return words.contains(w.toLower());
}

int nextSolid(const std::vector<Tok>& t, int i)
{
    for (++i; i < int(t.size()); ++i)
        if (t[size_t(i)].kind != Tok::Space) return i;
    return -1;
}

int prevSolid(const std::vector<Tok>& t, int i)
{
    for (--i; i >= 0; --i)
        if (t[size_t(i)].kind != Tok::Space) return i;
    return -1;
}

QString q(const QString& name) { return SqlConnection::quoteName(name); }

// Splits at commas outside parentheses and quotes.
QStringList splitTopLevel(const QString& text)
{
    QStringList parts;
    int depth = 0;
    QString cur;
    for (const Tok& t : lex(text)) {
        if (t.kind == Tok::Punct && t.text == u"(") ++depth;
        if (t.kind == Tok::Punct && t.text == u")") --depth;
        if (t.kind == Tok::Punct && t.text == u"," && depth == 0) {
            parts << cur.trimmed();
            cur.clear();
            continue;
        }
        cur += t.text;
    }
    if (!cur.trimmed().isEmpty()) parts << cur.trimmed();
    return parts;
}

// "expr AS alias" at top level: the expression and the alias.
bool splitAlias(const QString& item, QString& expr, QString& alias)
{
    const auto toks = lex(item);
    int depth = 0;
    for (int i = 0; i < int(toks.size()); ++i) {
        const Tok& t = toks[size_t(i)];
        if (t.kind == Tok::Punct && t.text == u"(") ++depth;
        if (t.kind == Tok::Punct && t.text == u")") --depth;
        if (depth == 0 && t.kind == Tok::Word && t.name.compare(QLatin1String("as"), Qt::CaseInsensitive) == 0) {
            int a = nextSolid(toks, i);
            if (a < 0) return false;
            QString e;
            for (int j = 0; j < i; ++j) e += toks[size_t(j)].text;
            expr = e.trimmed();
            alias = toks[size_t(a)].name.isEmpty() ? toks[size_t(a)].text : toks[size_t(a)].name;
            return true;
        }
    }
    return false;
}

// "name" or "Table.Field" alone: the parts; false for anything else.
bool plainName(const QString& item, QString& table, QString& field)
{
    const auto toks = lex(item.trimmed());
    std::vector<Tok> solid;
    for (const Tok& t : toks)
        if (t.kind != Tok::Space) solid.push_back(t);
    auto isName = [](const Tok& t) { return t.kind == Tok::Word || t.kind == Tok::Quoted; };
    if (solid.size() == 1 && isName(solid[0])) { table.clear(); field = solid[0].name; return true; }
    if (solid.size() == 3 && isName(solid[0]) && solid[1].text == u"." && isName(solid[2])) {
        table = solid[0].name;
        field = solid[2].name;
        return true;
    }
    return false;
}

}  // namespace

// --- QueryScope -------------------------------------------------------------------------------

QueryScope::QueryScope(Database& db, TableSchema& table) : m_db(db), m_table(table) {}

QString QueryScope::toSql(const QString& programSql) const
{
    if (programSql.trimmed().isEmpty()) return QString();
    return qualify(translateJet(programSql));
}

QString QueryScope::columnRef(const QString& name) const
{
    const QString t = m_table.quoted();
    if (name.compare(QLatin1String("OID"), Qt::CaseInsensitive) == 0) return t + QStringLiteral(".\"OID\"");
    if (m_table.isChild() && name.compare(QLatin1String("objParent"), Qt::CaseInsensitive) == 0)
        return t + QStringLiteral(".\"objParent\"");
    // A single reference is its OID_<name> column, by either name.
    auto refColumn = [](const TableSchema& s, const QString& n) -> QString {
        const RefSchema* r = n.startsWith(QLatin1String("OID_"), Qt::CaseInsensitive) ? s.ref(n.mid(4)) : nullptr;
        if (!r) r = s.ref(n);
        return r && !r->isList() ? r->def.column() : QString();
    };
    if (const FieldSchema* f = m_table.field(name)) return t + u'.' + q(f->def.Name);
    if (QString c = refColumn(m_table, name); !c.isEmpty()) return t + u'.' + q(c);
    if (TableSchema* p = m_table.parent) {
        if (const FieldSchema* f = p->field(name)) return p->quoted() + u'.' + q(f->def.Name);
        if (QString c = refColumn(*p, name); !c.isEmpty()) return p->quoted() + u'.' + q(c);
    }
    return QString();
}

QString QueryScope::resolvePair(const QString& tableName, const QString& field) const
{
    auto same = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    const QString f = field == u"*" ? field : q(field);
    if (same(tableName, m_table.name)) return m_table.quoted() + u'.' + f;
    TableSchema* p = m_table.parent;
    if (p && same(tableName, p->name)) return p->quoted() + u'.' + f;
    if (field == u"*") return QString();
    const QString target = q(tableName);
    // A table reached through a single reference of the row or of its parent.
    for (TableSchema* s : {&m_table, p}) {
        if (!s) continue;
        for (int i : s->singleRefs) {
            const RefSchema& r = s->refs[size_t(i)];
            if (same(r.def.TargetTable, tableName))
                return QStringLiteral("(SELECT %1 FROM %2 WHERE %2.\"OID\" = %3.%4)")
                    .arg(f, target, s->quoted(), q(r.def.column()));
        }
    }
    // The owner of the row (or of its parent) through an owned list.
    for (TableSchema* s : {&m_table, p}) {
        if (!s) continue;
        for (const auto& [owner, r] : s->ownedBy) {
            if (!same(owner->name, tableName)) continue;
            return QStringLiteral("(SELECT o.%1 FROM %2 AS o JOIN %3 AS l ON l.\"OwnerOID\" = o.\"OID\" "
                                  "WHERE l.\"MemberOID\" = %4.\"OID\" LIMIT 1)")
                .arg(f, target, q(r->linkTable), s->quoted());
        }
    }
    // The first member of a list of the row.
    for (const RefSchema& r : m_table.refs) {
        if (!r.isList() || !same(r.def.TargetTable, tableName)) continue;
        return QStringLiteral("(SELECT m.%1 FROM %2 AS m JOIN %3 AS l ON l.\"MemberOID\" = m.\"OID\" "
                              "WHERE l.\"OwnerOID\" = %4.\"OID\" LIMIT 1)")
            .arg(f, target, q(r.linkTable), m_table.quoted());
    }
    return QString();
}

QString QueryScope::qualify(const QString& sql) const
{
    const auto toks = lex(sql);
    QString out;
    std::vector<bool> parens;   // true: a sub-select, whose names are its own
    for (int i = 0; i < int(toks.size()); ++i) {
        const Tok& t = toks[size_t(i)];
        if (t.kind == Tok::Punct && t.text == u"(") {
            int nx = nextSolid(toks, i);
            bool sub = nx >= 0 && toks[size_t(nx)].kind == Tok::Word &&
                       toks[size_t(nx)].name.compare(QLatin1String("select"), Qt::CaseInsensitive) == 0;
            parens.push_back(sub || (!parens.empty() && parens.back()));
            out += t.text;
            continue;
        }
        if (t.kind == Tok::Punct && t.text == u")") {
            if (!parens.empty()) parens.pop_back();
            out += t.text;
            continue;
        }
        const bool inSub = !parens.empty() && parens.back();
        const bool isName = t.kind == Tok::Word || t.kind == Tok::Quoted;
        if (inSub || !isName || (t.kind == Tok::Word && isKeyword(t.name))) {
            out += t.text;
            continue;
        }
        const int pv = prevSolid(toks, i);
        if (pv >= 0) {
            const Tok& p = toks[size_t(pv)];
            if (p.kind == Tok::Punct && p.text == u".") { out += t.text; continue; }
            if (p.kind == Tok::Word && p.name.compare(QLatin1String("as"), Qt::CaseInsensitive) == 0) { out += t.text; continue; }
        }
        const int nx = nextSolid(toks, i);
        if (nx >= 0 && toks[size_t(nx)].kind == Tok::Punct && toks[size_t(nx)].text == u"(") { out += t.text; continue; }
        if (nx >= 0 && toks[size_t(nx)].kind == Tok::Punct && toks[size_t(nx)].text == u".") {
            const int nn = nextSolid(toks, nx);
            if (nn >= 0) {
                const Tok& second = toks[size_t(nn)];
                const bool star = second.kind == Tok::Punct && second.text == u"*";
                if (second.kind == Tok::Word || second.kind == Tok::Quoted || star) {
                    QString r = resolvePair(t.name, star ? QStringLiteral("*") : second.name);
                    if (!r.isEmpty()) {
                        out += r;
                        i = nn;
                        continue;
                    }
                }
            }
            out += t.text;
            continue;
        }
        QString r = columnRef(t.name);
        out += r.isEmpty() ? t.text : r;
    }
    return out;
}

// --- compiling a data set -----------------------------------------------------------------------

void invalidateQuery(TableData::Impl& d)
{
    d.query.reset();
    d.window.clear();
    d.pos = -1;
    d.positioned = false;
}

void ensureCompiled(TableData::Impl& d)
{
    if (d.query) return;
    TableSchema& t = *d.schema;
    TableSchema* p = t.parent;
    QueryScope scope(*d.db, t);
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

    // The field list: which columns are shown, and the computed ones.
    auto addOwnDisplay = [&](DisplayColumn::Source src, int index, const QString& name) {
        for (const auto& dc : c.display)
            if (dc.name.compare(name, Qt::CaseInsensitive) == 0) return;
        c.display.push_back({src, index, name});
    };
    auto addAllOwn = [&]() {
        QStringList order = t.columnOrder.split(u',', Qt::SkipEmptyParts);
        for (QString n : order) {
            n = n.trimmed();
            if (int fi = t.fieldIndex(n); fi >= 0) addOwnDisplay(DisplayColumn::Own, fi, t.fields[size_t(fi)].def.Name);
            else if (const RefSchema* r = t.ref(n)) addOwnDisplay(DisplayColumn::Ref, int(r - t.refs.data()), r->def.Name);
        }
        for (int i = 0; i < int(t.fields.size()); ++i) addOwnDisplay(DisplayColumn::Own, i, t.fields[size_t(i)].def.Name);
        for (int i = 0; i < int(t.refs.size()); ++i) addOwnDisplay(DisplayColumn::Ref, i, t.refs[size_t(i)].def.Name);
    };
    auto addExtra = [&](const QString& sqlExpr, const QString& name, std::optional<Kind> kind) {
        cols << sqlExpr;
        c.extraNames << name;
        c.extraKinds.push_back(kind.value_or(Kind::Text));
        c.extraTyped.push_back(kind.has_value());
        c.display.push_back({DisplayColumn::Extra, int(c.extraNames.size()) - 1, name});
    };
    const QStringList items = splitTopLevel(d.fieldList);
    if (items.isEmpty()) addAllOwn();
    for (const QString& item : items) {
        if (item == u"*") { addAllOwn(); continue; }
        QString expr, alias, tableName, fieldName;
        if (splitAlias(item, expr, alias)) {
            std::optional<Kind> kind;
            if (plainName(expr, tableName, fieldName))
                if (TableSchema* s = tableName.isEmpty() ? &t : d.db->schema(tableName))
                    if (const FieldSchema* f = s->field(fieldName)) kind = f->kind;
            addExtra(scope.toSql(expr), alias, kind);
            continue;
        }
        if (plainName(item, tableName, fieldName)) {
            const bool own = tableName.isEmpty() || tableName.compare(t.name, Qt::CaseInsensitive) == 0;
            const bool parent = p && (tableName.isEmpty() || tableName.compare(p->name, Qt::CaseInsensitive) == 0);
            if (own) {
                if (int fi = t.fieldIndex(fieldName); fi >= 0) { addOwnDisplay(DisplayColumn::Own, fi, t.fields[size_t(fi)].def.Name); continue; }
                if (const RefSchema* r = t.ref(fieldName)) {
                    // A reference shows the first of its display fields.
                    QString shown = r->def.DisplayFields.split(u',', Qt::SkipEmptyParts).value(0).trimmed();
                    if (!r->isList() && r->target && r->target->field(shown)) {
                        addExtra(QStringLiteral("(SELECT %1 FROM %2 WHERE %2.\"OID\" = %3.%4)")
                                     .arg(q(shown), r->target->quoted(), tq, q(r->def.column())),
                                 r->def.Name, r->target->field(shown)->kind);
                    } else {
                        addOwnDisplay(DisplayColumn::Ref, int(r - t.refs.data()), r->def.Name);
                    }
                    continue;
                }
            }
            if (parent) {
                if (int fi = p->fieldIndex(fieldName); fi >= 0) { addOwnDisplay(DisplayColumn::Parent, fi, p->fields[size_t(fi)].def.Name); continue; }
            }
            std::optional<Kind> kind;
            if (TableSchema* s = d.db->schema(tableName))
                if (const FieldSchema* f = s->field(fieldName)) kind = f->kind;
            addExtra(scope.toSql(item), fieldName, kind);
            continue;
        }
        addExtra(scope.toSql(item), item, std::nullopt);
    }

    // Which rows.
    c.from = tq;
    if (p) c.from += QStringLiteral(" LEFT JOIN %1 ON %1.\"OID\" = %2.\"objParent\"").arg(p->quoted(), tq);
    QStringList where;
    if (d.source == TableData::Impl::Source::List) {
        where << QStringLiteral("%1.\"OID\" IN (SELECT \"MemberOID\" FROM %2 WHERE \"OwnerOID\" = ?)")
                     .arg(tq, q(d.listRef->linkTable));
        c.params << (d.owner ? d.owner->oid : qint64(0));
    } else if (d.source == TableData::Impl::Source::Single || d.source == TableData::Impl::Source::Bound) {
        where << tq + QStringLiteral(".\"OID\" = ?");
        c.params << d.singleOid;
    }
    if (!d.selectCondition.trimmed().isEmpty()) where << u'(' + scope.toSql(d.selectCondition) + u')';
    if (!d.filter.trimmed().isEmpty()) where << u'(' + scope.toSql(d.filter) + u')';
    c.where = where.isEmpty() ? QStringLiteral("1") : where.join(QStringLiteral(" AND "));

    // In which order: the requested terms, then the OID so that every row has its own key.
    for (QString term : splitTopLevel(d.order)) {
        OrderTerm ot;
        const auto toks = lex(term);
        int last = prevSolid(toks, int(toks.size()));
        if (last >= 0 && toks[size_t(last)].kind == Tok::Word) {
            const QString w = toks[size_t(last)].name.toLower();
            if (w == u"desc" || w == u"asc") {
                ot.desc = w == u"desc";
                term.clear();
                for (int j = 0; j < last; ++j) term += toks[size_t(j)].text;
                term = term.trimmed();
            }
        }
        int extra = int(c.extraNames.indexOf(term));
        if (extra < 0)
            for (int j = 0; j < c.extraNames.size(); ++j)
                if (c.extraNames[j].compare(term, Qt::CaseInsensitive) == 0) extra = j;
        if (extra >= 0) ot.sql = cols[c.extraStart + extra];
        else if (const RefSchema* r = t.ref(term); r && !r->isList() && r->target) {
            QString shown = r->def.DisplayFields.split(u',', Qt::SkipEmptyParts).value(0).trimmed();
            ot.sql = r->target->field(shown)
                ? QStringLiteral("(SELECT %1 FROM %2 WHERE %2.\"OID\" = %3.%4)").arg(q(shown), r->target->quoted(), tq, q(r->def.column()))
                : tq + u'.' + q(r->def.column());
        } else {
            ot.sql = scope.toSql(term);
        }
        if (!ot.sql.isEmpty()) c.order.push_back(ot);
    }
    c.order.push_back({tq + QStringLiteral(".\"OID\""), false});
    c.keyStart = int(cols.size());
    for (const auto& o : c.order) cols << o.sql;
    c.columnCount = int(cols.size());
    c.select = cols.join(QStringLiteral(", "));
    d.query = std::move(c);
}

QString whereWith(TableData::Impl& d, const QString& extraProgramSql, QVariantList& params)
{
    ensureCompiled(d);
    params = d.query->params;
    if (extraProgramSql.trimmed().isEmpty()) return d.query->where;
    QueryScope scope(*d.db, *d.schema);
    return d.query->where + QStringLiteral(" AND (") + scope.toSql(extraProgramSql) + u')';
}

namespace {

QString orderBy(const CompiledQuery& c, bool reverse)
{
    QStringList parts;
    for (const auto& o : c.order) parts << o.sql + ((o.desc != reverse) ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    return parts.join(QStringLiteral(", "));
}

// Rows after `key` in the direction of reading (reverse: before it in the data set's order).
QString keysetCondition(const CompiledQuery& c, const std::vector<QVariant>& key, bool reverse, QVariantList& params)
{
    QStringList alternatives;
    for (size_t i = 0; i < c.order.size(); ++i) {
        QStringList conj;
        QVariantList local;
        for (size_t j = 0; j < i; ++j) {
            if (key[j].isNull()) conj << c.order[j].sql + QStringLiteral(" IS NULL");
            else { conj << c.order[j].sql + QStringLiteral(" = ?"); local << key[j]; }
        }
        const bool descending = c.order[i].desc != reverse;
        const QString& x = c.order[i].sql;
        if (!descending) {
            if (key[i].isNull()) conj << x + QStringLiteral(" IS NOT NULL");
            else { conj << x + QStringLiteral(" > ?"); local << key[i]; }
        } else {
            // NULL sorts first: nothing comes after it going down.
            if (key[i].isNull()) continue;
            conj << QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(x);
            local << key[i];
        }
        alternatives << u'(' + conj.join(QStringLiteral(" AND ")) + u')';
        params << local;
    }
    if (alternatives.isEmpty()) return QStringLiteral("0");
    return alternatives.join(QStringLiteral(" OR "));
}

}  // namespace

// Reads up to `limit` rows after (or, reverse, before) `after`; from the start when null.
std::vector<CachedRow> fetchPage(TableData::Impl& d, const CachedRow* after, bool reverse, int limit)
{
    ensureCompiled(d);
    const CompiledQuery& c = *d.query;
    QVariantList params = c.params;
    QString sql = QStringLiteral("SELECT ") + c.select + QStringLiteral(" FROM ") + c.from + QStringLiteral(" WHERE ") + c.where;
    if (after) sql += QStringLiteral(" AND (") + keysetCondition(c, after->keys, reverse, params) + u')';
    sql += QStringLiteral(" ORDER BY ") + orderBy(c, reverse) + QStringLiteral(" LIMIT ") + QString::number(limit);
    SqlConnection::Stmt st = d.engine->sql().prepare(sql);
    st.bindAll(params);
    std::vector<CachedRow> rows;
    while (st.next()) {
        CachedRow r;
        r.oid = st.int64(0);
        r.cols.reserve(size_t(c.keyStart));
        for (int i = 0; i < c.keyStart; ++i) r.cols.push_back(st.value(i));
        for (int i = c.keyStart; i < c.columnCount; ++i) r.keys.push_back(st.value(i));
        rows.push_back(std::move(r));
    }
    if (reverse) std::reverse(rows.begin(), rows.end());
    return rows;
}

}  // namespace objdb
