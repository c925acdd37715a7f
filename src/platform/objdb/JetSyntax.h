#pragma once
// The syntax tree of Jet SQL and its parser. The translator (JetTranslator.cpp) resolves
// names on this tree and writes SQLite from it.
#include "JetLexer.h"
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct JetName {
    QString text;
    bool bracketed = false;
    bool isEmpty() const { return text.isEmpty(); }
};

struct JetSelect;

struct JetExpr {
    enum class Kind {
        Number,
        String,
        Date,
        Bool,
        Null,
        Param,
        Column,   // name: one or two parts
        Star,   // the * of Count(*)
        Unary,   // op: "-", "+", "NOT"
        Binary,   // args joined by ops (ops[i] between args[i] and args[i+1]), one
        // precedence level per node: = <> < > <= >= (two args), + -, * /, \,
        // MOD, ^, &, AND, OR, XOR, EQV, IMP. Long chains stay flat.
        Like,   // args: value, pattern; negated
        IsNull,   // negated
        Between,   // args: value, low, high; negated
        In,   // args: value, items...; or select; negated
        Exists,   // select
        Call,   // op: function name as written; args
        Paren,   // parentheses written in the text
        Subquery   // select
    };
    Kind kind;
    QString op;   // literal text, operator (Binary: the first) or function name
    std::vector<QString> ops;   // Binary
    std::vector<JetName> name;   // Column
    std::vector<std::unique_ptr<JetExpr>> args;
    std::unique_ptr<JetSelect> select;
    bool negated = false;
    int pos = 0;

    explicit JetExpr(Kind k) : kind(k) { }
};
using JetExprPtr = std::unique_ptr<JetExpr>;

struct JetSelectItem {
    JetExprPtr expr;   // null for * and t.*
    JetName starQualifier;   // t of t.*
    bool star = false;
    JetName alias;
};

struct JetFromItem {
    enum class Kind { Table, Subquery, Join, Paren } kind = Kind::Table;
    JetName table;
    JetName alias;
    std::unique_ptr<JetSelect> select;   // Subquery
    QString joinType;   // "INNER", "LEFT", "RIGHT"
    std::unique_ptr<JetFromItem> left, right;   // Join; Paren uses left
    JetExprPtr on;
};

struct JetOrderItem {
    JetExprPtr expr;
    QString direction;   // "", "ASC" or "DESC"
};

struct JetSelect {
    bool distinct = false;
    std::optional<QString> top;   // the number of TOP n
    bool topPercent = false;
    std::vector<JetSelectItem> items;
    std::vector<std::unique_ptr<JetFromItem>> from;
    JetExprPtr where;
    std::vector<JetExprPtr> groupBy;
    JetExprPtr having;
    std::vector<JetOrderItem> orderBy;
    std::unique_ptr<JetSelect> unionNext;
    bool unionAll = false;
};

struct JetAssignment {
    JetExprPtr column;
    JetExprPtr value;
};

struct JetStatement {
    enum class Kind { Select, Update, Delete, Insert, AlterDrop, AlterAdd, DropTable, DropIndex, Expression };
    Kind kind = Kind::Expression;
    std::unique_ptr<JetSelect> select;   // Select; Insert ... SELECT
    JetName table;   // Update, Delete, Insert, Alter, Drop
    JetName column;   // AlterDrop, AlterAdd; DropIndex: the index
    QString columnType;   // AlterAdd: the SQLite type
    std::vector<JetAssignment> assignments;   // Update
    std::vector<JetName> insertColumns;
    std::vector<std::vector<JetExprPtr>> insertValues;
    JetExprPtr where;   // Update, Delete
    JetExprPtr expression;   // Expression
};

class JetParser {
public:
    explicit JetParser(const QString& sql);
    // A whole statement, or a bare condition when the text starts with no statement word.
    JetStatement parseStatement();
    JetExprPtr parseWholeExpression();
    std::vector<JetSelectItem> parseWholeSelectList();
    std::vector<JetOrderItem> parseWholeOrderList();

private:
    const JetToken& peek(int ahead = 0) const;
    const JetToken& next();
    bool acceptWord(const char* w);
    bool acceptSymbol(const char* s);
    void expectWord(const char* w);
    void expectSymbol(const char* s);
    void expectEnd();
    [[noreturn]] void fail(const QString& what) const;
    [[noreturn]] void fail(const QString& what, int pos) const;
    bool atClauseEnd() const;
    JetName parseName();

    std::unique_ptr<JetSelect> parseSelect();
    std::vector<JetSelectItem> parseSelectList();
    std::unique_ptr<JetFromItem> parseFromItem();
    std::unique_ptr<JetFromItem> parseFromPrimary();
    std::vector<JetOrderItem> parseOrderList();
    QString parseColumnType();

    JetExprPtr parseExpr();
    JetExprPtr parseImp();
    JetExprPtr parseEqv();
    JetExprPtr parseXor();
    JetExprPtr parseOr();
    JetExprPtr parseAnd();
    JetExprPtr parseNot();
    JetExprPtr parseComparison();
    JetExprPtr parseConcat();
    JetExprPtr parseAdditive();
    JetExprPtr parseMod();
    JetExprPtr parseIntDiv();
    JetExprPtr parseMultiplicative();
    JetExprPtr parseUnary();
    JetExprPtr parsePower();
    JetExprPtr parsePrimary();

    // Nesting of expressions, bounded so that a typed condition of a thousand parentheses
    // is refused instead of exhausting the stack.
    struct Nesting {
        explicit Nesting(JetParser& p);
        ~Nesting() { --m_parser.m_depth; }
        JetParser& m_parser;
    };
    static constexpr int kMaxDepth = 400;

    QString m_sql;
    std::vector<JetToken> m_tokens;
    size_t m_pos = 0;
    int m_depth = 0;
};

// Words that end an expression or cannot start one; a field of such a name must be
// written in brackets, as in Jet.
bool jetIsReservedWord(const QString& word);
