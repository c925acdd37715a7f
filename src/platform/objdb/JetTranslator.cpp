#include "JetTranslator.h"
#include "JetSqliteLimits.h"
#include "base/AppError.h"
#include "JetSyntax.h"
#include "JetValues.h"
#include <QHash>
#include <QStringList>
#include <sqlite3.h>
#include <unordered_map>

std::vector<JetSchema::Join> JetSchema::joinPathFor(const QString& fromTable, const QString& qualifier) const
{
    if (auto j = joinFor(fromTable, qualifier)) return {*j};
    return {};
}

std::optional<JetSchema::Column> JetSchema::resolveField(const QString&, const QString&) const { return std::nullopt; }

QString JetSelectParts::sql() const
{
    QString s = QStringLiteral("SELECT ");
    if (distinct) s += QStringLiteral("DISTINCT ");
    s += columns;
    if (!from.isEmpty()) s += QStringLiteral(" FROM ") + from;
    if (!where.isEmpty()) s += QStringLiteral(" WHERE ") + where;
    if (!groupBy.isEmpty()) s += QStringLiteral(" GROUP BY ") + groupBy;
    if (!having.isEmpty()) s += QStringLiteral(" HAVING ") + having;
    if (!orderBy.isEmpty()) s += QStringLiteral(" ORDER BY ") + orderBy;
    if (!limit.isEmpty()) s += QStringLiteral(" LIMIT ") + limit;
    return s;
}

namespace {

[[noreturn]] void fail(const QString& what, int number = 3075)
{
    throw AppError(number, QStringLiteral("JetSQL"), what);
}

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A name SQLite reads bare: letters, digits and "_" (any non-ASCII letter too), not a keyword.
QString ident(const QString& name)
{
    bool plain = !name.isEmpty() && !name[0].isDigit();
    for (QChar c : name)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_'))) {
            plain = false;
            break;
        }
    if (plain) {
        const QByteArray utf8 = name.toUtf8();
        if (sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size()))) plain = false;
    }
    return plain ? name : JetTranslator::QuoteName(name);
}

QString nameSql(const JetName& n) { return n.bracketed ? JetTranslator::QuoteName(n.text) : ident(n.text); }

// Precedence levels of the SQLite text written, loosest first.
enum Level { kOr = 1, kAnd, kNot, kCompare, kAdd = 6, kMul, kConcat, kUnary, kPrimary };

struct Function {
    const char* sql;   // SQLite name; nullptr: written specially
    int minArgs;
    int maxArgs;
};

const QHash<QString, Function>& functions()
{
    static const QHash<QString, Function> f = [] {
        QHash<QString, Function> m;
        auto jet = [&m](const char* name, int lo, int hi) { m.insert(QLatin1String(name), {nullptr, lo, hi}); };
        // Aggregates are SQLite's own.
        m.insert(QStringLiteral("count"), {"COUNT", 1, 1});
        m.insert(QStringLiteral("sum"), {"SUM", 1, 1});
        m.insert(QStringLiteral("avg"), {"AVG", 1, 1});
        m.insert(QStringLiteral("min"), {"MIN", 1, 1});
        m.insert(QStringLiteral("max"), {"MAX", 1, 1});
        m.insert(QStringLiteral("abs"), {"abs", 1, 1});
        m.insert(QStringLiteral("iif"), {nullptr, 3, 3});
        m.insert(QStringLiteral("isnull"), {nullptr, 1, 1});
        // The rest are registered by RegisterJetFunctions as jet_<name>.
        jet("year", 1, 1);
        jet("month", 1, 1);
        jet("day", 1, 1);
        jet("hour", 1, 1);
        jet("minute", 1, 1);
        jet("second", 1, 1);
        jet("weekday", 1, 2);
        jet("datepart", 2, 4);
        jet("dateadd", 3, 3);
        jet("datediff", 3, 5);
        jet("dateserial", 3, 3);
        jet("timeserial", 3, 3);
        jet("datevalue", 1, 1);
        jet("timevalue", 1, 1);
        jet("cdate", 1, 1);
        jet("isdate", 1, 1);
        jet("date", 0, 0);
        jet("now", 0, 0);
        jet("time", 0, 0);
        jet("monthname", 1, 2);
        jet("format", 1, 4);
        jet("nz", 1, 2);
        jet("int", 1, 1);
        jet("fix", 1, 1);
        jet("ccur", 1, 1);
        jet("cdbl", 1, 1);
        jet("clng", 1, 1);
        jet("cint", 1, 1);
        jet("csng", 1, 1);
        jet("cstr", 1, 1);
        jet("cbool", 1, 1);
        jet("round", 1, 2);
        jet("val", 1, 1);
        jet("str", 1, 1);
        jet("left", 2, 2);
        jet("right", 2, 2);
        jet("mid", 2, 3);
        jet("len", 1, 1);
        jet("ucase", 1, 1);
        jet("lcase", 1, 1);
        jet("trim", 1, 1);
        jet("ltrim", 1, 1);
        jet("rtrim", 1, 1);
        jet("instr", 2, 4);
        jet("replace", 3, 6);
        jet("space", 1, 1);
        jet("string", 2, 2);
        jet("strcomp", 2, 3);
        jet("asc", 1, 1);
        jet("chr", 1, 1);
        jet("sgn", 1, 1);
        jet("sqr", 1, 1);
        jet("exp", 1, 1);
        jet("log", 1, 1);
        jet("isnumeric", 1, 1);
        return m;
    }();
    return f;
}

// The item a name is resolved for, when it is none of a select list's items: a data set's
// condition or order, beside its field list, whose aliases then name the columns it shows.
constexpr int kBesideList = -2;

struct Resolved {
    enum How { AsWritten, Own, Joined, Alias } how = AsWritten;
    QString qualifier;   // SQL text of the qualifier (Own: the FROM table; Joined: the join's alias)
    QString column;   // the column's SQL name
    bool renamed = false;
    bool boolean = false;
    int aliasItem = -1;
};

struct Scope {
    const Scope* outer = nullptr;
    QString fromTable;   // the one plain table of the FROM clause
    QString fromQualifier;   // SQL text naming it
    QStringList visible;   // every table name and alias of the FROM clause
    bool allowJoins = false;
    bool alwaysWithTable = false;   // a data set's pieces: its FROM may join its parent at any time
    std::vector<JetSchema::Join> joins;
    const JetSelect* select = nullptr;
    std::unordered_map<const JetExpr*, Resolved> resolved;
    std::vector<int> inlining;

    bool sees(const QString& name) const
    {
        for (const Scope* s = this; s; s = s->outer)
            for (const QString& v : s->visible)
                if (same(v, name)) return true;
        return false;
    }
};

class Writer {
public:
    explicit Writer(const JetSchema* schema) : m_schema(schema) { }

    QString statement(const JetStatement& st);
    JetSelectParts selectParts(const JetSelect& s, const Scope* outer);
    QString select(const JetSelect& s, const Scope* outer);
    JetTranslator::Condition condition(const QString& table, const JetExpr& e);
    JetPieces pieces(JetPieces::Kind kind, const QString& table, const QString& text, const QString& fieldList);

private:
    void openTableScope(Scope& sc, const QString& table, const QString& alias, bool allowJoins);
    void collectVisible(const JetFromItem& f, QStringList& out);
    void resolve(const JetExpr* e, Scope& sc, int item);
    void resolveColumn(const JetExpr* e, Scope& sc, int item);
    JetSchema::Join addJoins(Scope& sc, const QString& qualifier, int pos);
    bool aliasRefersToItself(const JetSelect& s, int item) const;
    bool withTableName(const Scope& sc) const { return sc.alwaysWithTable || !sc.joins.empty(); }
    static bool isMinusOne(const JetExpr* e)
    {
        while (e->kind == JetExpr::Kind::Paren) e = e->args[0].get();
        return e->kind == JetExpr::Kind::Unary && e->op == QLatin1String("-")
            && e->args[0]->kind == JetExpr::Kind::Number && e->args[0]->op.toDouble() == 1.0;
    }
    // Arithmetic at the top (the operators whose result is a number), or a number.
    static bool isArithmetic(const JetExpr* e)
    {
        while (e->kind == JetExpr::Kind::Paren) e = e->args[0].get();
        if (e->kind == JetExpr::Kind::Number) return true;
        if (e->kind == JetExpr::Kind::Unary) return e->op == QLatin1String("-") || e->op == QLatin1String("+");
        if (e->kind != JetExpr::Kind::Binary) return false;
        static const QStringList numeric
            = {QStringLiteral("+"),  QStringLiteral("-"),   QStringLiteral("*"), QStringLiteral("/"),
               QStringLiteral("\\"), QStringLiteral("MOD"), QStringLiteral("^")};
        return numeric.contains(e->ops.front(), Qt::CaseInsensitive);
    }
    static bool isBooleanField(const JetExpr* e, const Scope& sc)
    {
        auto it = sc.resolved.find(e);
        return e->kind == JetExpr::Kind::Column && it != sc.resolved.end() && it->second.boolean;
    }

    QString expr(const JetExpr* e, Scope& sc, int minLevel);
    QString andChain(const JetExpr* e, Scope& sc, int& level);
    QString exprAt(const JetExpr* e, Scope& sc, int& level);
    QString call(const JetExpr* e, Scope& sc);
    QString fromItem(const JetFromItem& f, Scope& sc);
    QString joinsText(const Scope& sc) const;

    // Where Jet refuses an aggregate (a WHERE, a join's ON, GROUP BY, a value written into a
    // row, another aggregate's argument); SQLite refuses it as well, with its own message. A
    // sub-query sets its own clauses.
    struct AggregateBan {
        AggregateBan(Writer& w, bool ban) : m_writer(w), m_saved(w.m_noAggregate) { w.m_noAggregate = ban; }
        ~AggregateBan() { m_writer.m_noAggregate = m_saved; }
        Writer& m_writer;
        bool m_saved;
    };

    const JetSchema* m_schema;
    bool m_noAggregate = false;
};

// --- resolution -----------------------------------------------------------------------------

void Writer::openTableScope(Scope& sc, const QString& table, const QString& alias, bool allowJoins)
{
    sc.fromTable = table;
    sc.fromQualifier = ident(alias.isEmpty() ? table : alias);
    sc.visible << table;
    if (!alias.isEmpty()) sc.visible << alias;
    // Implicit joins name the FROM table by its own name, so an alias rules them out.
    sc.allowJoins = allowJoins && m_schema && (alias.isEmpty() || same(alias, table));
}

void Writer::collectVisible(const JetFromItem& f, QStringList& out)
{
    switch (f.kind) {
    case JetFromItem::Kind::Table:
        out << f.table.text;
        if (!f.alias.isEmpty()) out << f.alias.text;
        break;
    case JetFromItem::Kind::Subquery:
        if (!f.alias.isEmpty()) out << f.alias.text;
        break;
    case JetFromItem::Kind::Join:
        collectVisible(*f.left, out);
        collectVisible(*f.right, out);
        break;
    case JetFromItem::Kind::Paren: collectVisible(*f.left, out); break;
    }
}

JetSchema::Join Writer::addJoins(Scope& sc, const QString& qualifier, int pos)
{
    if (!sc.allowJoins)
        fail(
            QStringLiteral("«%1» non è raggiungibile in questa istruzione (posizione %2)").arg(qualifier).arg(pos + 1));
    std::vector<JetSchema::Join> path = m_schema->joinPathFor(sc.fromTable, qualifier);
    if (path.empty()) {
        if (!m_schema->isTable(qualifier)) fail(QStringLiteral("Tabella sconosciuta «%1»").arg(qualifier));
        fail(QStringLiteral("La tabella «%1» non è raggiungibile da «%2»").arg(qualifier, sc.fromTable));
    }
    for (const auto& j : path) {
        bool known = false;
        for (const auto& k : sc.joins)
            if (same(k.alias, j.alias)) {
                known = true;
                break;
            }
        if (!known) sc.joins.push_back(j);
    }
    return path.back();
}

bool Writer::aliasRefersToItself(const JetSelect& s, int item) const
{
    // `expr AS X` whose expr names X: X is then a real column that the alias shadows.
    const QString& alias = s.items[static_cast<size_t>(item)].alias.text;
    std::vector<const JetExpr*> stack {s.items[static_cast<size_t>(item)].expr.get()};
    while (!stack.empty()) {
        const JetExpr* e = stack.back();
        stack.pop_back();
        if (!e) continue;
        if (e->kind == JetExpr::Kind::Column && e->name.size() == 1 && same(e->name[0].text, alias)) return true;
        for (const auto& a : e->args) stack.push_back(a.get());
    }
    return false;
}

void Writer::resolve(const JetExpr* e, Scope& sc, int item)
{
    if (!e) return;
    if (e->kind == JetExpr::Kind::Column) {
        resolveColumn(e, sc, item);
        return;
    }
    for (const auto& a : e->args) resolve(a.get(), sc, item);
}

void Writer::resolveColumn(const JetExpr* e, Scope& sc, int item)
{
    Resolved r;
    if (e->name.size() == 2) {
        const QString& q = e->name[0].text;
        if (sc.sees(q) || !m_schema || sc.fromTable.isEmpty()) {
            sc.resolved[e] = r;
            return;
        }
        const JetSchema::Join join = addJoins(sc, q, e->pos);
        const QString& target = join.table;
        r.how = Resolved::Joined;
        r.qualifier = ident(join.alias);
        r.column = nameSql(e->name[1]);
        if (auto c = m_schema->resolveField(target, e->name[1].text); c && same(c->qualifier, target)) {
            r.column = ident(c->column);
            r.renamed = !same(c->column, e->name[1].text);
            r.boolean = c->isBoolean;
        }
        sc.resolved[e] = r;
        return;
    }
    const QString& name = e->name[0].text;
    std::optional<JetSchema::Column> field;
    if (m_schema && !sc.fromTable.isEmpty()) field = m_schema->resolveField(sc.fromTable, name);

    // Beside a data set's field list its aliases come first: a column computed under a field's
    // name is what the data set shows under that name.
    if (item == kBesideList && sc.select) {
        for (int j = 0; j < static_cast<int>(sc.select->items.size()); ++j) {
            const JetSelectItem& it = sc.select->items[static_cast<size_t>(j)];
            if (it.alias.isEmpty() || !same(it.alias.text, name)) continue;
            r.how = Resolved::Alias;
            r.aliasItem = j;
            sc.resolved[e] = r;
            return;
        }
    }
    // Another select item's alias: Jet lets one item use another's result.
    if (item >= 0 && sc.select && !field) {
        const auto& items = sc.select->items;
        for (int j = 0; j < static_cast<int>(items.size()); ++j) {
            if (j == item || items[static_cast<size_t>(j)].alias.isEmpty()) continue;
            if (!same(items[static_cast<size_t>(j)].alias.text, name)) continue;
            if (aliasRefersToItself(*sc.select, j)) break;
            r.how = Resolved::Alias;
            r.aliasItem = j;
            sc.resolved[e] = r;
            return;
        }
    }
    if (field) {
        if (same(field->qualifier, sc.fromTable)) {
            r.how = Resolved::Own;
            r.qualifier = sc.fromQualifier;
        } else {
            r.how = Resolved::Joined;
            r.qualifier = ident(addJoins(sc, field->qualifier, e->pos).alias);
        }
        r.column = (e->name[0].bracketed && same(field->column, name)) ? nameSql(e->name[0]) : ident(field->column);
        r.renamed = !same(field->column, name);
        r.boolean = field->isBoolean;
    } else if (!sc.fromTable.isEmpty()
               && (same(name, QStringLiteral("OID")) || same(name, QStringLiteral("objParent")))) {
        r.how = Resolved::Own;
        r.qualifier = sc.fromQualifier;
        r.column = nameSql(e->name[0]);
    }
    sc.resolved[e] = r;
}

// --- writing --------------------------------------------------------------------------------

// `Month(column) = m` or `Year(column) = y` (either side first), with whole constants a date
// can have.
struct DatePartTest {
    const JetExpr* column = nullptr;
    bool month = false;
    int value = 0;
};

std::optional<DatePartTest> datePartTest(const JetExpr* e)
{
    using K = JetExpr::Kind;
    if (e->kind != K::Binary || e->ops.size() != 1 || e->ops[0] != QLatin1String("=")) return std::nullopt;
    for (int side = 0; side < 2; ++side) {
        const JetExpr* call = e->args[size_t(side)].get();
        const JetExpr* constant = e->args[size_t(1 - side)].get();
        if (call->kind != K::Call || call->args.size() != 1 || call->args[0]->kind != K::Column) continue;
        if (constant->kind != K::Number) continue;
        bool whole = false;
        const int value = constant->op.toInt(&whole);
        if (!whole) continue;
        const bool month = same(call->op, QStringLiteral("Month"));
        if (!month && !same(call->op, QStringLiteral("Year"))) continue;
        // Outside these the stored text would not order as the dates do (or no date has it):
        // the function is left to say so.
        if (month ? (value < 1 || value > 12) : (value < 1000 || value > 9998)) continue;
        return DatePartTest {call->args[0].get(), month, value};
    }
    return std::nullopt;
}

// The instants of a year, or of a month of it, on a date column.
QString dateRange(const QString& column, int year, std::optional<int> month)
{
    const QDate from(year, month.value_or(1), 1);
    const QDate to = month ? from.addMonths(1) : from.addYears(1);
    return QStringLiteral("(%1 >= %2 AND %1 < %3)")
        .arg(column, JetTranslator::DateLiteral(QDateTime(from, QTime(0, 0))),
             JetTranslator::DateLiteral(QDateTime(to, QTime(0, 0))));
}

QString Writer::expr(const JetExpr* e, Scope& sc, int minLevel)
{
    int level = kPrimary;
    QString s = exprAt(e, sc, level);
    return level < minLevel ? QStringLiteral("(") + s + QStringLiteral(")") : s;
}

QString Writer::exprAt(const JetExpr* e, Scope& sc, int& level)
{
    using K = JetExpr::Kind;
    level = kPrimary;
    switch (e->kind) {
    case K::Number: return e->op;
    case K::String: return JetTranslator::QuoteText(e->op);
    case K::Date: return JetTranslator::QuoteText(e->op);
    case K::Bool: return e->op;
    case K::Null: return QStringLiteral("NULL");
    case K::Param: return QStringLiteral("?");
    case K::Star: return QStringLiteral("*");
    case K::Column: {
        auto it = sc.resolved.find(e);
        const Resolved r = it == sc.resolved.end() ? Resolved {} : it->second;
        switch (r.how) {
        case Resolved::Alias: {
            const int j = r.aliasItem;
            for (int k : sc.inlining)
                if (k == j) fail(QStringLiteral("Riferimento circolare all'alias «%1»").arg(e->name[0].text));
            sc.inlining.push_back(j);
            QString s = exprAt(sc.select->items[static_cast<size_t>(j)].expr.get(), sc, level);
            sc.inlining.pop_back();
            return s;
        }
        case Resolved::Own: return withTableName(sc) ? r.qualifier + QLatin1Char('.') + r.column : r.column;
        case Resolved::Joined: return r.qualifier + QLatin1Char('.') + r.column;
        case Resolved::AsWritten: break;
        }
        QStringList parts;
        for (const auto& n : e->name) parts << nameSql(n);
        return parts.join(QLatin1Char('.'));
    }
    case K::Unary: {
        if (e->op == QLatin1String("NOT")) {
            level = kNot;
            return QStringLiteral("NOT ") + expr(e->args[0].get(), sc, kNot);
        }
        level = kUnary;
        return e->op + expr(e->args[0].get(), sc, kPrimary);
    }
    case K::Binary: {
        const QString& first = e->ops.front();
        if (first == QLatin1String("=") || first == QLatin1String("<>") || first == QLatin1String("<")
            || first == QLatin1String(">") || first == QLatin1String("<=") || first == QLatin1String(">=")) {
            // A year alone is a range too (andChain says why).
            if (const auto year = datePartTest(e); year && !year->month)
                return dateRange(expr(year->column, sc, kPrimary), year->value, std::nullopt);
            const JetExpr* l = e->args[0].get();
            const JetExpr* r = e->args[1].get();
            level = kCompare;
            // Jet's True is -1: against a Boolean field it means the stored 1.
            auto side = [&](const JetExpr* x, const JetExpr* other) {
                return isMinusOne(x) && isBooleanField(other, sc) ? QStringLiteral("1") : expr(x, sc, kAdd);
            };
            return side(l, r) + QLatin1Char(' ') + first + QLatin1Char(' ') + side(r, l);
        }
        // A chain of one precedence level, written left to right without recursion.
        static const QHash<QString, QString> asFunction
            = {{QStringLiteral("\\"), QStringLiteral("jet_idiv")}, {QStringLiteral("MOD"), QStringLiteral("jet_mod")},
               {QStringLiteral("^"), QStringLiteral("jet_pow")},   {QStringLiteral("XOR"), QStringLiteral("jet_xor")},
               {QStringLiteral("EQV"), QStringLiteral("jet_eqv")}, {QStringLiteral("IMP"), QStringLiteral("jet_imp")}};
        auto concatOperand = [&](const JetExpr* x) {   // Null joins as ""
            if (x->kind == K::String) return expr(x, sc, kPrimary);
            return QStringLiteral("jet_nzstr(") + expr(x, sc, 0) + QLatin1Char(')');
        };
        auto wrap = [](QString& s, int have, int need) -> QString& {
            if (have < need) {
                s.prepend(QLatin1Char('('));
                s.append(QLatin1Char(')'));
            }
            return s;
        };
        if (first == QLatin1String("AND")) return andChain(e, sc, level);
        int accLevel = kPrimary;
        QString acc
            = first == QLatin1String("&") ? concatOperand(e->args[0].get()) : exprAt(e->args[0].get(), sc, accLevel);
        for (size_t i = 1; i < e->args.size(); ++i) {
            const QString& op = e->ops[i - 1];
            const JetExpr* r = e->args[i].get();
            if (op == QLatin1String("AND") || op == QLatin1String("OR")) {
                const int lv = op == QLatin1String("AND") ? kAnd : kOr;
                wrap(acc, accLevel, lv) += QLatin1Char(' ') + op + QLatin1Char(' ') + expr(r, sc, lv + 1);
                accLevel = lv;
            } else if (op == QLatin1String("+") || op == QLatin1String("-")) {
                wrap(acc, accLevel, kAdd) += QLatin1Char(' ') + op + QLatin1Char(' ') + expr(r, sc, kMul);
                accLevel = kAdd;
            } else if (op == QLatin1String("*")) {
                wrap(acc, accLevel, kMul) += QStringLiteral(" * ") + expr(r, sc, kConcat);
                accLevel = kMul;
            } else if (op == QLatin1String("/")) {   // Jet divides in floating point, never truncating
                acc = QStringLiteral("CAST(") + acc + QStringLiteral(" AS REAL) / ") + expr(r, sc, kConcat);
                accLevel = kMul;
            } else if (op == QLatin1String("&")) {
                acc += QStringLiteral(" || ") + concatOperand(r);
                accLevel = kConcat;
            } else {
                acc = asFunction.value(op) + QLatin1Char('(') + acc + QStringLiteral(", ") + expr(r, sc, 0)
                    + QLatin1Char(')');
                accLevel = kPrimary;
            }
        }
        level = accLevel;
        return acc;
    }
    case K::Like: {
        QString s = QStringLiteral("jet_like(") + expr(e->args[0].get(), sc, 0) + QStringLiteral(", ")
            + expr(e->args[1].get(), sc, 0) + QLatin1Char(')');
        if (!e->negated) return s;
        level = kNot;
        return QStringLiteral("NOT ") + s;
    }
    case K::IsNull:
        level = kCompare;
        return expr(e->args[0].get(), sc, kAdd)
            + (e->negated ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL"));
    case K::Between:
        level = kCompare;
        return expr(e->args[0].get(), sc, kAdd)
            + (e->negated ? QStringLiteral(" NOT BETWEEN ") : QStringLiteral(" BETWEEN "))
            + expr(e->args[1].get(), sc, kAdd) + QStringLiteral(" AND ") + expr(e->args[2].get(), sc, kAdd);
    case K::In: {
        level = kCompare;
        QString s
            = expr(e->args[0].get(), sc, kAdd) + (e->negated ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN ("));
        if (e->select) {
            s += select(*e->select, &sc);
        } else {
            QStringList items;
            for (size_t i = 1; i < e->args.size(); ++i) items << expr(e->args[i].get(), sc, 0);
            s += items.join(QStringLiteral(", "));
        }
        return s + QLatin1Char(')');
    }
    case K::Exists: return QStringLiteral("EXISTS (") + select(*e->select, &sc) + QLatin1Char(')');
    case K::Subquery: return QLatin1Char('(') + select(*e->select, &sc) + QLatin1Char(')');
    case K::Paren: return QLatin1Char('(') + expr(e->args[0].get(), sc, 0) + QLatin1Char(')');
    case K::Call: return call(e, sc);
    }
    return QString();
}

// A chain of AND. A year, or a month of a year, tested on one date column (the date selection
// writes `Month(DataScarico) = 12 AND Year(DataScarico) = 2007`) is written as the range of
// instants it lets through: the same rows, since a stored date is the text
// 'yyyy-mm-dd hh:nn:ss' and orders as the dates do, but the date's index finds them instead
// of a function run on every row of the table.
QString Writer::andChain(const JetExpr* e, Scope& sc, int& level)
{
    const size_t n = e->args.size();
    bool onlyAnd = true;
    for (const QString& op : e->ops) onlyAnd = onlyAnd && op == QLatin1String("AND");
    std::vector<std::optional<DatePartTest>> tests(n);
    std::vector<QString> columns(n);
    if (onlyAnd)
        for (size_t i = 0; i < n; ++i)
            if ((tests[i] = datePartTest(e->args[i].get()))) columns[i] = expr(tests[i]->column, sc, kPrimary);
    std::vector<QString> terms(n);
    std::vector<bool> dropped(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (!tests[i] || tests[i]->month) continue;
        std::optional<int> month;
        for (size_t j = 0; j < n && !month; ++j)
            if (j != i && tests[j] && tests[j]->month && !dropped[j] && columns[j] == columns[i]) {
                month = tests[j]->value;
                dropped[j] = true;
            }
        terms[i] = dateRange(columns[i], tests[i]->value, month);
    }
    QString acc;
    int accLevel = kPrimary;
    bool firstTerm = true;
    for (size_t i = 0; i < n; ++i) {
        if (dropped[i]) continue;
        QString term;
        int termLevel = kPrimary;
        if (!terms[i].isEmpty())
            term = terms[i];
        else
            term = exprAt(e->args[i].get(), sc, termLevel);
        if (termLevel <= kAnd && !(firstTerm && termLevel == kAnd)) {
            term = QLatin1Char('(') + term + QLatin1Char(')');
            termLevel = kPrimary;
        }
        if (firstTerm) {
            acc = term;
            accLevel = termLevel;
        } else {
            acc += QStringLiteral(" AND ") + term;
            accLevel = kAnd;
        }
        firstTerm = false;
    }
    level = accLevel;
    return acc;
}

QString Writer::call(const JetExpr* e, Scope& sc)
{
    const QString key = e->op.toLower();
    auto it = functions().find(key);
    if (it == functions().end()) fail(QStringLiteral("Funzione non definita «%1» nell'espressione").arg(e->op), 3085);
    const int n = static_cast<int>(e->args.size());
    if (n < it->minArgs || n > it->maxArgs)
        fail(QStringLiteral("Numero di argomenti errato per la funzione «%1»").arg(e->op));
    for (const auto& a : e->args)
        if (a->kind == JetExpr::Kind::Star && key != QLatin1String("count"))
            fail(QStringLiteral("«*» ammesso solo in Count(*)"));
    if (key == QLatin1String("iif"))
        return QStringLiteral("CASE WHEN ") + expr(e->args[0].get(), sc, 0) + QStringLiteral(" THEN ")
            + expr(e->args[1].get(), sc, 0) + QStringLiteral(" ELSE ") + expr(e->args[2].get(), sc, 0)
            + QStringLiteral(" END");
    if (key == QLatin1String("isnull"))
        return QLatin1Char('(') + expr(e->args[0].get(), sc, kAdd) + QStringLiteral(" IS NULL)");
    const bool aggregate = key == QLatin1String("count") || key == QLatin1String("sum") || key == QLatin1String("avg")
        || key == QLatin1String("min") || key == QLatin1String("max");
    if (aggregate && m_noAggregate)
        fail(QStringLiteral("Funzione di aggregazione «%1» non ammessa in questa parte della query").arg(e->op), 3096);
    AggregateBan inner(*this, m_noAggregate || aggregate);
    QStringList args;
    for (const auto& a : e->args) args << expr(a.get(), sc, 0);
    const QString name = it->sql ? QString::fromLatin1(it->sql) : QStringLiteral("jet_") + key;
    return name + QLatin1Char('(') + args.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString Writer::fromItem(const JetFromItem& f, Scope& sc)
{
    switch (f.kind) {
    case JetFromItem::Kind::Table:
        return nameSql(f.table) + (f.alias.isEmpty() ? QString() : QStringLiteral(" AS ") + nameSql(f.alias));
    case JetFromItem::Kind::Subquery:
        return QLatin1Char('(') + select(*f.select, sc.outer) + QLatin1Char(')')
            + (f.alias.isEmpty() ? QString() : QStringLiteral(" AS ") + nameSql(f.alias));
    case JetFromItem::Kind::Paren: return QLatin1Char('(') + fromItem(*f.left, sc) + QLatin1Char(')');
    case JetFromItem::Kind::Join:
        return fromItem(*f.left, sc) + QLatin1Char(' ') + f.joinType + QStringLiteral(" JOIN ") + fromItem(*f.right, sc)
            + QStringLiteral(" ON ") + expr(f.on.get(), sc, 0);
    }
    return QString();
}

QString Writer::joinsText(const Scope& sc) const { return JetTranslator::JoinClause(sc.joins); }

JetSelectParts Writer::selectParts(const JetSelect& s, const Scope* outer)
{
    Scope sc;
    sc.outer = outer;
    sc.select = &s;
    if (s.from.size() == 1 && s.from[0]->kind == JetFromItem::Kind::Table)
        openTableScope(sc, s.from[0]->table.text, s.from[0]->alias.text, true);
    else
        for (const auto& f : s.from) collectVisible(*f, sc.visible);

    // Names first, all of them: a join that a late clause needs qualifies every column.
    std::vector<QString> starOf(s.items.size());
    for (size_t i = 0; i < s.items.size(); ++i) {
        const JetSelectItem& item = s.items[i];
        resolve(item.expr.get(), sc, static_cast<int>(i));
        if (!item.star || item.starQualifier.isEmpty()) continue;
        if (sc.sees(item.starQualifier.text) || !sc.allowJoins)
            starOf[i] = nameSql(item.starQualifier) + QStringLiteral(".*");
        else
            starOf[i] = ident(addJoins(sc, item.starQualifier.text, 0).alias) + QStringLiteral(".*");
    }
    std::vector<const JetFromItem*> pending;
    for (const auto& f : s.from) pending.push_back(f.get());
    while (!pending.empty()) {
        const JetFromItem* f = pending.back();
        pending.pop_back();
        if (f->on) resolve(f->on.get(), sc, -1);
        if (f->left) pending.push_back(f->left.get());
        if (f->right) pending.push_back(f->right.get());
    }
    resolve(s.where.get(), sc, -1);
    for (const auto& g : s.groupBy) resolve(g.get(), sc, -1);
    resolve(s.having.get(), sc, -1);
    for (const auto& o : s.orderBy) resolve(o.expr.get(), sc, -1);

    JetSelectParts p;
    p.distinct = s.distinct;
    AggregateBan ban(*this, false);
    QStringList cols;
    for (size_t i = 0; i < s.items.size(); ++i) {
        const JetSelectItem& item = s.items[i];
        if (item.star) {
            // SQLite would refuse it in its own words; the text is at fault.
            if (s.from.empty())
                fail(QStringLiteral("L'input della query deve contenere almeno una tabella o una query"), 3067);
            if (!item.starQualifier.isEmpty())
                cols << starOf[i];
            else
                cols << (withTableName(sc) ? sc.fromQualifier + QStringLiteral(".*") : QStringLiteral("*"));
            continue;
        }
        QString c = expr(item.expr.get(), sc, 0);
        if (!item.alias.isEmpty()) {
            c += QStringLiteral(" AS ") + nameSql(item.alias);
        } else if (item.expr->kind == JetExpr::Kind::Column) {
            auto it = sc.resolved.find(item.expr.get());
            if (it != sc.resolved.end() && (it->second.renamed || it->second.how == Resolved::Alias))
                c += QStringLiteral(" AS ") + nameSql(item.expr->name.back());
        }
        cols << c;
    }
    p.columns = cols.join(QStringLiteral(", "));
    m_noAggregate = true;
    QStringList from;
    for (const auto& f : s.from) from << fromItem(*f, sc);
    p.from = from.join(QStringLiteral(", ")) + joinsText(sc);
    if (s.where) p.where = expr(s.where.get(), sc, 0);
    QStringList group;
    for (const auto& g : s.groupBy) group << expr(g.get(), sc, 0);
    p.groupBy = group.join(QStringLiteral(", "));
    m_noAggregate = false;
    if (s.having) p.having = expr(s.having.get(), sc, 0);
    QStringList order;
    for (const auto& o : s.orderBy)
        order << expr(o.expr.get(), sc, 0) + (o.direction.isEmpty() ? QString() : QLatin1Char(' ') + o.direction);
    p.orderBy = order.join(QStringLiteral(", "));
    if (s.top) {
        if (!s.topPercent) {
            p.limit = *s.top;
        } else {
            bool whole = false;
            s.top->toInt(&whole);
            if (!whole) fail(QStringLiteral("TOP ... PERCENT vuole un numero intero"));
            JetSelectParts all = p;
            all.orderBy.clear();
            p.limit = QStringLiteral("(SELECT (COUNT(*) * %1 + 99) / 100 FROM (%2))").arg(*s.top, all.sql());
        }
    }
    return p;
}

QString Writer::select(const JetSelect& s, const Scope* outer)
{
    if (!s.unionNext) return selectParts(s, outer).sql();
    // A union: each part on its own; order and limit of the first part close the whole.
    QString out;
    const JetSelect* part = &s;
    JetSelectParts first = selectParts(s, outer);
    QString orderBy = first.orderBy, limit = first.limit;
    first.orderBy.clear();
    first.limit.clear();
    out = first.sql();
    while (part->unionNext) {
        out += part->unionAll ? QStringLiteral(" UNION ALL ") : QStringLiteral(" UNION ");
        part = part->unionNext.get();
        out += selectParts(*part, outer).sql();
    }
    if (!orderBy.isEmpty()) out += QStringLiteral(" ORDER BY ") + orderBy;
    if (!limit.isEmpty()) out += QStringLiteral(" LIMIT ") + limit;
    return out;
}

JetTranslator::Condition Writer::condition(const QString& table, const JetExpr& e)
{
    Scope sc;
    openTableScope(sc, table, QString(), true);
    resolve(&e, sc, -1);
    AggregateBan ban(*this, true);
    JetTranslator::Condition c;
    c.sql = expr(&e, sc, 0);
    c.joins = joinsText(sc);
    return c;
}

JetPieces Writer::pieces(JetPieces::Kind kind, const QString& table, const QString& text, const QString& fieldList)
{
    Scope sc;
    openTableScope(sc, table, QString(), true);
    sc.alwaysWithTable = true;
    // A condition or order of a data set with a field list may name the list's aliases.
    JetSelect columns;
    int beside = -1;
    if (kind != JetPieces::Kind::FieldList && !fieldList.trimmed().isEmpty()) {
        columns.items = JetParser(fieldList).parseWholeSelectList();
        sc.select = &columns;
        for (size_t i = 0; i < columns.items.size(); ++i) resolve(columns.items[i].expr.get(), sc, static_cast<int>(i));
        beside = kBesideList;
    }
    auto plainName = [](const JetExpr* e) {
        QStringList parts;
        if (e && e->kind == JetExpr::Kind::Column)
            for (const auto& n : e->name) parts << n.text;
        return parts;
    };
    JetPieces p;
    switch (kind) {
    case JetPieces::Kind::Expression: {
        JetExprPtr e = JetParser(text).parseWholeExpression();
        resolve(e.get(), sc, beside);
        AggregateBan ban(*this, true);   // a data set's condition is its WHERE
        p.items.push_back({expr(e.get(), sc, 0), QString(), plainName(e.get())});
        break;
    }
    case JetPieces::Kind::FieldList: {
        JetSelect s;
        s.items = JetParser(text).parseWholeSelectList();
        sc.select = &s;
        for (size_t i = 0; i < s.items.size(); ++i) resolve(s.items[i].expr.get(), sc, static_cast<int>(i));
        for (const JetSelectItem& item : s.items) {
            JetPieces::Item out;
            if (item.star) {
                if (!item.starQualifier.isEmpty())
                    fail(QStringLiteral("«%1.*» non è ammesso nell'elenco dei campi").arg(item.starQualifier.text));
                out.star = true;
            } else {
                out.sql = expr(item.expr.get(), sc, 0);
                out.alias = item.alias.text;
                out.name = plainName(item.expr.get());
                out.arithmetic = isArithmetic(item.expr.get());
            }
            p.items.push_back(std::move(out));
        }
        break;
    }
    case JetPieces::Kind::OrderList: {
        std::vector<JetOrderItem> order = JetParser(text).parseWholeOrderList();
        for (const auto& o : order) resolve(o.expr.get(), sc, beside);
        // A number would be read by SQLite as the position of a column, and the data set's
        // columns are the library's, not the user's: it sorts as the constant it is.
        auto isNumber = [](const JetExpr* e) {
            while (e->kind == JetExpr::Kind::Paren
                   || (e->kind == JetExpr::Kind::Unary && (e->op == QLatin1String("-") || e->op == QLatin1String("+"))))
                e = e->args[0].get();
            return e->kind == JetExpr::Kind::Number;
        };
        // A data set's rows are not groups: its order, like its condition, has no aggregate.
        AggregateBan ban(*this, true);
        for (const auto& o : order) {
            JetPieces::Item out {isNumber(o.expr.get()) ? expr(o.expr.get(), sc, kAdd) + QStringLiteral(" + 0")
                                                        : expr(o.expr.get(), sc, 0),
                                 QString(), plainName(o.expr.get())};
            out.desc = o.direction == QLatin1String("DESC");
            p.items.push_back(std::move(out));
        }
        break;
    }
    }
    p.joins = sc.joins;
    return p;
}

QString Writer::statement(const JetStatement& st)
{
    using K = JetStatement::Kind;
    // Only a SELECT has places for aggregates; a bare condition stands for a WHERE.
    AggregateBan ban(*this, st.kind != K::Select);
    switch (st.kind) {
    case K::Select: return select(*st.select, nullptr);
    case K::Expression: {
        Scope sc;
        resolve(st.expression.get(), sc, -1);
        return expr(st.expression.get(), sc, 0);
    }
    case K::Update: {
        Scope sc;
        openTableScope(sc, st.table.text, QString(), false);
        QStringList sets;
        for (const auto& a : st.assignments) {
            resolve(a.column.get(), sc, -1);
            resolve(a.value.get(), sc, -1);
            sets << expr(a.column.get(), sc, 0) + QStringLiteral(" = ") + expr(a.value.get(), sc, 0);
        }
        resolve(st.where.get(), sc, -1);
        QString s
            = QStringLiteral("UPDATE ") + nameSql(st.table) + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
        if (st.where) s += QStringLiteral(" WHERE ") + expr(st.where.get(), sc, 0);
        return s;
    }
    case K::Delete: {
        Scope sc;
        openTableScope(sc, st.table.text, QString(), false);
        resolve(st.where.get(), sc, -1);
        QString s = QStringLiteral("DELETE FROM ") + nameSql(st.table);
        if (st.where) s += QStringLiteral(" WHERE ") + expr(st.where.get(), sc, 0);
        return s;
    }
    case K::Insert: {
        QString s = QStringLiteral("INSERT INTO ") + nameSql(st.table);
        if (!st.insertColumns.empty()) {
            QStringList cols;
            for (const auto& c : st.insertColumns) {
                QString name = nameSql(c);
                if (m_schema)
                    if (auto f = m_schema->resolveField(st.table.text, c.text); f && same(f->qualifier, st.table.text))
                        name = ident(f->column);
                cols << name;
            }
            s += QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        if (st.select) return s + QLatin1Char(' ') + select(*st.select, nullptr);
        QStringList rows;
        Scope sc;
        for (const auto& row : st.insertValues) {
            QStringList values;
            for (const auto& v : row) {
                resolve(v.get(), sc, -1);
                values << expr(v.get(), sc, 0);
            }
            rows << QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        return s + QStringLiteral(" VALUES ") + rows.join(QStringLiteral(", "));
    }
    case K::AlterDrop:
        return QStringLiteral("ALTER TABLE ") + nameSql(st.table) + QStringLiteral(" DROP COLUMN ")
            + nameSql(st.column);
    case K::AlterAdd:
        return QStringLiteral("ALTER TABLE ") + nameSql(st.table) + QStringLiteral(" ADD COLUMN ") + nameSql(st.column)
            + QLatin1Char(' ') + st.columnType;
    case K::DropTable: return QStringLiteral("DROP TABLE ") + nameSql(st.table);
    case K::DropIndex: return QStringLiteral("DROP INDEX ") + nameSql(st.column);
    }
    return QString();
}

}   // namespace

JetTranslator::JetTranslator(const JetSchema* schema) : m_schema(schema) { }

QString JetTranslator::translate(const QString& jetSql) const
{
    JetParser parser(jetSql);
    JetStatement st = parser.parseStatement();
    const QString sql = Writer(m_schema).statement(st);
    using K = JetStatement::Kind;
    jet::checkSqliteLimits(sql,
                           st.kind == K::Expression   ? jet::SqlUse::Condition
                               : st.kind == K::Select ? jet::SqlUse::Select
                                                      : jet::SqlUse::Statement);
    return sql;
}

JetSelectParts JetTranslator::translateSelectParts(const QString& table, const QString& fields, const QString& where,
                                                   const QString& order) const
{
    JetSelect s;
    if (fields.trimmed().isEmpty()) {
        JetSelectItem all;
        all.star = true;
        s.items.push_back(std::move(all));
    } else {
        s.items = JetParser(fields).parseWholeSelectList();
    }
    auto from = std::make_unique<JetFromItem>();
    from->table = JetName {table, false};
    s.from.push_back(std::move(from));
    if (!where.trimmed().isEmpty()) s.where = JetParser(where).parseWholeExpression();
    if (!order.trimmed().isEmpty()) s.orderBy = JetParser(order).parseWholeOrderList();
    JetSelectParts parts = Writer(m_schema).selectParts(s, nullptr);
    jet::checkSqliteLimits(parts.sql(), jet::SqlUse::Select);
    return parts;
}

QString JetTranslator::translateSelect(const QString& table, const QString& fields, const QString& where,
                                       const QString& order) const
{
    return translateSelectParts(table, fields, where, order).sql();
}

JetTranslator::Condition JetTranslator::translateCondition(const QString& table, const QString& jetCondition) const
{
    JetExprPtr e = JetParser(jetCondition).parseWholeExpression();
    Condition c = Writer(m_schema).condition(table, *e);
    jet::checkSqliteLimits(c.sql, jet::SqlUse::Condition);
    return c;
}

JetPieces JetTranslator::translatePieces(JetPieces::Kind kind, const QString& table, const QString& jet,
                                         const QString& fieldList) const
{
    JetPieces pieces = Writer(m_schema).pieces(kind, table, jet, fieldList);
    for (const JetPieces::Item& item : pieces.items)
        if (!item.star) jet::checkSqliteLimits(item.sql, jet::SqlUse::Condition);
    return pieces;
}

QString JetTranslator::JoinClause(const std::vector<JetSchema::Join>& joins)
{
    QString s;
    for (const auto& j : joins) {
        s += QStringLiteral(" LEFT JOIN ") + ident(j.table);
        if (!same(j.alias, j.table)) s += QStringLiteral(" AS ") + ident(j.alias);
        s += QStringLiteral(" ON ") + j.onCondition;
    }
    return s;
}

QString JetTranslator::QuoteText(const QString& text)
{
    // SQLite stops reading a statement at a NUL, which would leave the literal open: a text
    // holding NULs (a scanned code can) is its pieces joined by char(0).
    if (text.contains(QChar(0))) {
        QStringList pieces;
        for (const QString& piece : text.split(QChar(0))) pieces << QuoteText(piece);
        return QLatin1Char('(') + pieces.join(QStringLiteral(" || char(0) || ")) + QLatin1Char(')');
    }
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString JetTranslator::QuoteName(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString JetTranslator::DateLiteral(const QDateTime& t) { return QuoteText(jet::storedDate(t)); }

QString JetTranslator::JetDateLiteral(const QDateTime& t, bool withTime)
{
    const QString form = withTime ? QStringLiteral("MM/dd/yyyy HH:mm:ss") : QStringLiteral("MM/dd/yyyy");
    return QLatin1Char('#') + t.toString(form) + QLatin1Char('#');
}
