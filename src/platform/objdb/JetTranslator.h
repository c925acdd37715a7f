#pragma once
// Jet SQL (the dialect of every condition, order, field list, view query and upgrade
// statement of the program) translated to SQLite over the storage scheme of the library:
// dates as TEXT 'YYYY-MM-DD HH:MM:SS', Booleans 0/1, currency REAL, text NOCASE.
//
// What changes on the way: #mm/dd/yyyy[ hh:nn:ss]# -> 'yyyy-mm-dd hh:mm:ss'; "text" ->
// 'text'; [name] -> "name"; True/False -> 1/0; a/b -> real division; \, Mod, ^ and the
// Jet functions -> the jet_* functions of JetFunctions.h; Like -> jet_like (accent- and
// case-free, Jet wildcards); & -> || with Null read as ""; IIf -> CASE; TOP n -> LIMIT;
// DISTINCTROW dropped (over one table it selects every row); `Table.Field` of a parent or
// referenced table, and a parent's field named alone over a child table, -> LEFT JOINs
// found through JetSchema. A select item may use the alias of another item, as Jet allows:
// the aliased expression is written in its place.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct JetSchema {
    virtual ~JetSchema() = default;
    // How a query over `fromTable` reaches the table written as `qualifier`. `alias` is the
    // name the joined table gets in the query; `onCondition` is SQLite text naming
    // `fromTable` by its own name and the joined table by `alias`.
    struct Join {
        QString table;
        QString alias;
        QString onCondition;
    };
    // For `Qualifier.Field` used in a query whose FROM table is `fromTable`: how to reach the
    // table `qualifier` (the parent table of a child table through objParent, or a table
    // referenced through a single reference column OID_<Ref>). Empty optional: not reachable.
    virtual std::optional<Join> joinFor(const QString& fromTable, const QString& qualifier) const = 0;
    virtual bool isTable(const QString& name) const = 0;

    // When reaching `qualifier` takes several joins (a referenced table of the parent, a
    // list's link table), all of them in order, each `onCondition` naming the earlier ones
    // by their aliases. Empty: not reachable. Default: the one join of joinFor.
    virtual std::vector<Join> joinPathFor(const QString& fromTable, const QString& qualifier) const;

    // Where an unqualified name used over `fromTable` lives: `qualifier` is fromTable for
    // its own column (a single reference's name gives its OID_<Ref> column), or the table
    // that holds it (a parent's field over a child table), reached through joinPathFor.
    // Empty optional: not a field known to the schema (a select alias, say). Default: empty.
    // `isBoolean`: a Boolean field, so that Jet's numeric True (-1) compared with it
    // finds the stored 1.
    struct Column {
        QString qualifier;
        QString column;
        bool isBoolean = false;
    };
    virtual std::optional<Column> resolveField(const QString& fromTable, const QString& name) const;
};

// A translated SELECT in parts, so that a caller can add its own condition or paging.
struct JetSelectParts {
    bool distinct = false;
    QString columns;   // the select list
    QString from;   // table, explicit joins and the joins the names needed
    QString where;   // without the word WHERE; empty: none
    QString groupBy;
    QString having;
    QString orderBy;   // without the words ORDER BY; empty: none
    QString limit;   // without the word LIMIT; empty: none
    QString sql() const;
};

// One piece of a data set's query over a table (a condition or value, a field list, an
// order list), translated on its own so that a filter set later still joins the same query.
// Every column is written with its table's name; `joins` are the tables its names reach (the
// parent's among them), to be added to the data set's FROM once each, by alias.
struct JetPieces {
    enum class Kind { Expression, FieldList, OrderList };
    struct Item {
        QString sql;   // the expression, translated
        QString alias;   // "expr AS alias" of a field list; empty when none
        QStringList name;   // a plain "Field" or "Table.Field" item, as written; empty otherwise
        bool star = false;   // the "*" of a field list
        bool desc = false;   // an order term sorting down
        bool arithmetic = false;   // a field list's item computed by arithmetic: a number
    };
    std::vector<Item> items;
    std::vector<JetSchema::Join> joins;
};

class JetTranslator {
public:
    explicit JetTranslator(const JetSchema* schema = nullptr);

    // A whole statement (SELECT, UPDATE, DELETE, INSERT, ALTER TABLE ... DROP/ADD, DROP) or
    // a bare condition. AppError (3075 syntax, 3085 unknown function) on text it cannot
    // translate.
    QString translate(const QString& jetSql) const;

    // The view query: `fields` a Jet select list (empty: every field), `where` a Jet
    // condition, `order` a Jet order list ("DataVendita DESC,Cliente"), over `table`.
    JetSelectParts translateSelectParts(const QString& table, const QString& fields, const QString& where,
                                        const QString& order) const;
    QString translateSelect(const QString& table, const QString& fields, const QString& where,
                            const QString& order) const;

    // A condition over `table`, with the joins its names need (" LEFT JOIN ... ON ...",
    // empty when none; columns are then qualified with the table's name).
    struct Condition {
        QString sql;
        QString joins;
    };
    Condition translateCondition(const QString& table, const QString& jetCondition) const;

    // A piece of a data set's query over `table`. A condition or order list may name the
    // aliases of the data set's `fieldList`: the aliased expression stands in their place,
    // also for an alias named like a field of the table. AppError as translate().
    JetPieces translatePieces(JetPieces::Kind kind, const QString& table, const QString& jet,
                              const QString& fieldList = QString()) const;

    // " LEFT JOIN table [AS alias] ON condition" for each join, in order.
    static QString JoinClause(const std::vector<JetSchema::Join>& joins);
    static QString QuoteText(const QString& text);   // 'text' with quotes doubled, NULs as char(0)
    static QString QuoteName(const QString& name);   // "name" with quotes doubled
    static QString DateLiteral(const QDateTime& t);   // '2007-03-05 14:30:00', the stored form
    // #03/05/2007 14:30:00#, for Jet text; #03/05/2007# without the time.
    static QString JetDateLiteral(const QDateTime& t, bool withTime = true);

private:
    const JetSchema* m_schema;
};
