#include "JetSyntax.h"
#include "base/AppError.h"
#include <QSet>

namespace {
const QSet<QString>& reservedWords()
{
    static const QSet<QString> words = {
        QStringLiteral("SELECT"),      QStringLiteral("FROM"),    QStringLiteral("WHERE"),   QStringLiteral("AND"),
        QStringLiteral("OR"),          QStringLiteral("NOT"),     QStringLiteral("XOR"),     QStringLiteral("EQV"),
        QStringLiteral("IMP"),         QStringLiteral("MOD"),     QStringLiteral("LIKE"),    QStringLiteral("IS"),
        QStringLiteral("IN"),          QStringLiteral("BETWEEN"), QStringLiteral("ORDER"),   QStringLiteral("GROUP"),
        QStringLiteral("BY"),          QStringLiteral("HAVING"),  QStringLiteral("AS"),      QStringLiteral("ON"),
        QStringLiteral("JOIN"),        QStringLiteral("INNER"),   QStringLiteral("LEFT"),    QStringLiteral("RIGHT"),
        QStringLiteral("OUTER"),       QStringLiteral("UNION"),   QStringLiteral("SET"),     QStringLiteral("INTO"),
        QStringLiteral("VALUES"),      QStringLiteral("ASC"),     QStringLiteral("DESC"),    QStringLiteral("DISTINCT"),
        QStringLiteral("DISTINCTROW"), QStringLiteral("TOP"),     QStringLiteral("PERCENT"), QStringLiteral("ALL"),
        QStringLiteral("EXISTS"),      QStringLiteral("NULL"),    QStringLiteral("TRUE"),    QStringLiteral("FALSE"),
        QStringLiteral("UPDATE"),      QStringLiteral("DELETE"),  QStringLiteral("INSERT"),  QStringLiteral("ALTER"),
        QStringLiteral("TABLE"),       QStringLiteral("DROP"),    QStringLiteral("YES"),     QStringLiteral("NO")};
    return words;
}

JetExprPtr make(JetExpr::Kind k, int pos, QString op = QString())
{
    auto e = std::make_unique<JetExpr>(k);
    e->pos = pos;
    e->op = std::move(op);
    return e;
}

JetExprPtr binary(QString op, JetExprPtr l, JetExprPtr r, int pos)
{
    auto e = make(JetExpr::Kind::Binary, pos, op);
    e->ops.push_back(std::move(op));
    e->args.push_back(std::move(l));
    e->args.push_back(std::move(r));
    return e;
}

// One more operand of a left-associative chain: the loop's first operator makes the node,
// the next ones extend it, so a chain of thousands of terms is one flat node.
void extend(JetExprPtr& chain, bool& started, QString op, JetExprPtr r, int pos)
{
    if (!started) {
        chain = binary(std::move(op), std::move(chain), std::move(r), pos);
        started = true;
        return;
    }
    chain->ops.push_back(std::move(op));
    chain->args.push_back(std::move(r));
}
}   // namespace

bool jetIsReservedWord(const QString& word) { return reservedWords().contains(word.toUpper()); }

JetParser::JetParser(const QString& sql) : m_sql(sql), m_tokens(jetTokenize(sql)) { }

const JetToken& JetParser::peek(int ahead) const
{
    size_t i = std::min(m_pos + static_cast<size_t>(ahead), m_tokens.size() - 1);
    return m_tokens[i];
}

const JetToken& JetParser::next()
{
    const JetToken& t = m_tokens[m_pos];
    if (m_pos + 1 < m_tokens.size()) ++m_pos;
    return t;
}

bool JetParser::acceptWord(const char* w)
{
    if (!peek().isWord(w)) return false;
    next();
    return true;
}

bool JetParser::acceptSymbol(const char* s)
{
    if (!peek().isSymbol(s)) return false;
    next();
    return true;
}

void JetParser::expectWord(const char* w)
{
    if (!acceptWord(w)) fail(QStringLiteral("atteso %1").arg(QLatin1String(w)));
}

void JetParser::expectSymbol(const char* s)
{
    if (!acceptSymbol(s)) fail(QStringLiteral("atteso '%1'").arg(QLatin1String(s)));
}

void JetParser::expectEnd()
{
    acceptSymbol(";");
    if (peek().kind != JetToken::End) fail(QStringLiteral("testo inatteso"));
}

void JetParser::fail(const QString& what) const { fail(what, peek().pos); }

void JetParser::fail(const QString& what, int pos) const
{
    throw AppError(3075, QStringLiteral("JetSQL"),
                   QStringLiteral("Errore di sintassi nell'espressione della query: %1 (posizione %2) in «%3»")
                       .arg(what)
                       .arg(pos + 1)
                       .arg(m_sql));
}

bool JetParser::atClauseEnd() const
{
    const JetToken& t = peek();
    return t.kind == JetToken::End || t.isSymbol(")") || t.isSymbol(";");
}

JetName JetParser::parseName()
{
    const JetToken& t = peek();
    if (t.kind == JetToken::Bracketed) return JetName {next().text, true};
    if (t.kind == JetToken::Word && !jetIsReservedWord(t.text)) return JetName {next().text, false};
    fail(QStringLiteral("atteso un nome"));
}

// --- statements ---------------------------------------------------------------------------

JetStatement JetParser::parseStatement()
{
    JetStatement st;
    if (peek().isWord("SELECT")) {
        st.kind = JetStatement::Kind::Select;
        st.select = parseSelect();
    } else if (acceptWord("UPDATE")) {
        st.kind = JetStatement::Kind::Update;
        st.table = parseName();
        expectWord("SET");
        do {
            JetAssignment a;
            a.column = parsePrimary();
            if (a.column->kind != JetExpr::Kind::Column) fail(QStringLiteral("atteso un campo"), a.column->pos);
            expectSymbol("=");
            a.value = parseExpr();
            st.assignments.push_back(std::move(a));
        } while (acceptSymbol(","));
        if (acceptWord("WHERE")) st.where = parseExpr();
    } else if (acceptWord("DELETE")) {
        st.kind = JetStatement::Kind::Delete;
        if (!acceptSymbol("*") && !peek().isWord("FROM")) {   // DELETE t.* FROM t
            parseName();
            expectSymbol(".");
            expectSymbol("*");
        }
        expectWord("FROM");
        st.table = parseName();
        if (acceptWord("WHERE")) st.where = parseExpr();
    } else if (acceptWord("INSERT")) {
        st.kind = JetStatement::Kind::Insert;
        expectWord("INTO");
        st.table = parseName();
        if (acceptSymbol("(")) {
            do st.insertColumns.push_back(parseName());
            while (acceptSymbol(","));
            expectSymbol(")");
        }
        if (acceptWord("VALUES")) {
            do {
                expectSymbol("(");
                std::vector<JetExprPtr> row;
                do row.push_back(parseExpr());
                while (acceptSymbol(","));
                expectSymbol(")");
                st.insertValues.push_back(std::move(row));
            } while (acceptSymbol(","));
        } else if (peek().isWord("SELECT")) {
            st.select = parseSelect();
        } else {
            fail(QStringLiteral("atteso VALUES o SELECT"));
        }
    } else if (acceptWord("ALTER")) {
        expectWord("TABLE");
        st.table = parseName();
        if (acceptWord("DROP")) {
            st.kind = JetStatement::Kind::AlterDrop;
            acceptWord("COLUMN");
            st.column = parseName();
        } else if (acceptWord("ADD")) {
            st.kind = JetStatement::Kind::AlterAdd;
            acceptWord("COLUMN");
            st.column = parseName();
            st.columnType = parseColumnType();
        } else {
            fail(QStringLiteral("ALTER TABLE accetta solo DROP e ADD"));
        }
    } else if (acceptWord("DROP")) {
        if (acceptWord("TABLE")) {
            st.kind = JetStatement::Kind::DropTable;
            st.table = parseName();
        } else if (acceptWord("INDEX")) {
            st.kind = JetStatement::Kind::DropIndex;
            st.column = parseName();
            expectWord("ON");
            st.table = parseName();
        } else {
            fail(QStringLiteral("atteso TABLE o INDEX"));
        }
    } else {
        st.expression = parseExpr();
    }
    expectEnd();
    return st;
}

QString JetParser::parseColumnType()
{
    const JetToken& t = peek();
    if (t.kind != JetToken::Word) fail(QStringLiteral("atteso un tipo"));
    const QString type = next().text.toUpper();
    if (acceptSymbol("(")) {   // TEXT(64): the length is not kept by SQLite
        if (peek().kind != JetToken::Number) fail(QStringLiteral("attesa una lunghezza"));
        next();
        expectSymbol(")");
    }
    static const QSet<QString> text = {"TEXT", "CHAR", "VARCHAR", "MEMO", "LONGTEXT", "STRING", "ALPHANUMERIC"};
    static const QSet<QString> integer = {"LONG",    "INTEGER",       "INT", "SHORT", "SMALLINT", "BYTE",
                                          "COUNTER", "AUTOINCREMENT", "BIT", "YESNO", "LOGICAL",  "BOOLEAN"};
    static const QSet<QString> real
        = {"DOUBLE", "FLOAT", "SINGLE", "REAL", "NUMERIC", "DECIMAL", "NUMBER", "CURRENCY", "MONEY"};
    static const QSet<QString> date = {"DATETIME", "DATE", "TIME", "TIMESTAMP"};
    if (text.contains(type)) return QStringLiteral("TEXT COLLATE NOCASE");
    if (integer.contains(type)) return QStringLiteral("INTEGER");
    if (real.contains(type)) return QStringLiteral("REAL");
    if (date.contains(type)) return QStringLiteral("TEXT");
    fail(QStringLiteral("tipo di campo sconosciuto %1").arg(type), t.pos);
}

std::unique_ptr<JetSelect> JetParser::parseSelect()
{
    auto parseCore = [this]() {
        auto s = std::make_unique<JetSelect>();
        expectWord("SELECT");
        for (;;) {
            if (acceptWord("DISTINCT"))
                s->distinct = true;
            else if (acceptWord("DISTINCTROW") || acceptWord("ALL"))
                continue;
            else if (acceptWord("TOP")) {
                if (peek().kind != JetToken::Number) fail(QStringLiteral("atteso il numero di TOP"));
                s->top = next().text;
                s->topPercent = acceptWord("PERCENT");
            } else
                break;
        }
        s->items = parseSelectList();
        if (peek().isWord("INTO")) fail(QStringLiteral("SELECT ... INTO non è ammesso"));
        if (acceptWord("FROM")) {
            do s->from.push_back(parseFromItem());
            while (acceptSymbol(","));
        }
        if (acceptWord("WHERE")) s->where = parseExpr();
        if (acceptWord("GROUP")) {
            expectWord("BY");
            do s->groupBy.push_back(parseExpr());
            while (acceptSymbol(","));
        }
        if (acceptWord("HAVING")) s->having = parseExpr();
        return s;
    };
    auto first = parseCore();
    JetSelect* last = first.get();
    while (acceptWord("UNION")) {
        last->unionAll = acceptWord("ALL");
        last->unionNext = parseCore();
        last = last->unionNext.get();
    }
    if (acceptWord("ORDER")) {
        expectWord("BY");
        first->orderBy = parseOrderList();
    }
    return first;
}

std::vector<JetSelectItem> JetParser::parseSelectList()
{
    std::vector<JetSelectItem> items;
    do {
        JetSelectItem item;
        if (acceptSymbol("*")) {
            item.star = true;
        } else if ((peek().kind == JetToken::Word || peek().kind == JetToken::Bracketed) && peek(1).isSymbol(".")
                   && peek(2).isSymbol("*")) {
            item.star = true;
            item.starQualifier = parseName();
            next();
            next();
        } else {
            item.expr = parseExpr();
            if (acceptWord("AS"))
                item.alias = parseName();
            else if (peek().kind == JetToken::Bracketed
                     || (peek().kind == JetToken::Word && !jetIsReservedWord(peek().text)))
                item.alias = parseName();
        }
        items.push_back(std::move(item));
    } while (acceptSymbol(","));
    return items;
}

std::unique_ptr<JetFromItem> JetParser::parseFromPrimary()
{
    auto item = std::make_unique<JetFromItem>();
    if (acceptSymbol("(")) {
        if (peek().isWord("SELECT")) {
            item->kind = JetFromItem::Kind::Subquery;
            item->select = parseSelect();
            expectSymbol(")");
        } else {
            item->kind = JetFromItem::Kind::Paren;
            item->left = parseFromItem();
            expectSymbol(")");
            return item;
        }
    } else {
        item->kind = JetFromItem::Kind::Table;
        item->table = parseName();
    }
    if (acceptWord("AS"))
        item->alias = parseName();
    else if (peek().kind == JetToken::Bracketed || (peek().kind == JetToken::Word && !jetIsReservedWord(peek().text)))
        item->alias = parseName();
    return item;
}

std::unique_ptr<JetFromItem> JetParser::parseFromItem()
{
    auto left = parseFromPrimary();
    for (;;) {
        QString type;
        if (acceptWord("INNER"))
            type = QStringLiteral("INNER");
        else if (peek().isWord("LEFT") && !peek(1).isSymbol("(")) {
            next();
            type = QStringLiteral("LEFT");
        } else if (peek().isWord("RIGHT") && !peek(1).isSymbol("(")) {
            next();
            type = QStringLiteral("RIGHT");
        } else
            break;
        if (type != QLatin1String("INNER")) acceptWord("OUTER");
        expectWord("JOIN");
        auto join = std::make_unique<JetFromItem>();
        join->kind = JetFromItem::Kind::Join;
        join->joinType = type;
        join->left = std::move(left);
        join->right = parseFromPrimary();
        expectWord("ON");
        join->on = parseExpr();
        left = std::move(join);
    }
    return left;
}

std::vector<JetOrderItem> JetParser::parseOrderList()
{
    std::vector<JetOrderItem> items;
    do {
        JetOrderItem item;
        item.expr = parseExpr();
        if (acceptWord("ASC"))
            item.direction = QStringLiteral("ASC");
        else if (acceptWord("DESC"))
            item.direction = QStringLiteral("DESC");
        items.push_back(std::move(item));
    } while (acceptSymbol(","));
    return items;
}

JetExprPtr JetParser::parseWholeExpression()
{
    auto e = parseExpr();
    expectEnd();
    return e;
}

std::vector<JetSelectItem> JetParser::parseWholeSelectList()
{
    auto items = parseSelectList();
    expectEnd();
    return items;
}

std::vector<JetOrderItem> JetParser::parseWholeOrderList()
{
    auto items = parseOrderList();
    expectEnd();
    return items;
}

// --- expressions, from the loosest operator to the tightest ---------------------------------

JetParser::Nesting::Nesting(JetParser& p) : m_parser(p)
{
    if (++m_parser.m_depth > kMaxDepth) {
        --m_parser.m_depth;
        m_parser.fail(QStringLiteral("espressione troppo annidata"));
    }
}

JetExprPtr JetParser::parseExpr()
{
    Nesting guard(*this);
    return parseImp();
}

JetExprPtr JetParser::parseImp()
{
    auto l = parseEqv();
    bool chained = false;
    while (peek().isWord("IMP")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("IMP"), parseEqv(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseEqv()
{
    auto l = parseXor();
    bool chained = false;
    while (peek().isWord("EQV")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("EQV"), parseXor(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseXor()
{
    auto l = parseOr();
    bool chained = false;
    while (peek().isWord("XOR")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("XOR"), parseOr(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseOr()
{
    auto l = parseAnd();
    bool chained = false;
    while (peek().isWord("OR")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("OR"), parseAnd(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseAnd()
{
    auto l = parseNot();
    bool chained = false;
    while (peek().isWord("AND")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("AND"), parseNot(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseNot()
{
    Nesting guard(*this);
    if (peek().isWord("NOT")) {
        int pos = next().pos;
        auto e = make(JetExpr::Kind::Unary, pos, QStringLiteral("NOT"));
        e->args.push_back(parseNot());
        return e;
    }
    return parseComparison();
}

JetExprPtr JetParser::parseComparison()
{
    auto l = parseConcat();
    // a = b = c nests; each further comparison counts as one level.
    std::vector<std::unique_ptr<Nesting>> levels;
    for (int round = 0;; ++round) {
        if (round > 0) levels.push_back(std::make_unique<Nesting>(*this));
        const JetToken& t = peek();
        int pos = t.pos;
        if (t.kind == JetToken::Symbol
            && (t.text == QLatin1String("=") || t.text == QLatin1String("<>") || t.text == QLatin1String("<")
                || t.text == QLatin1String(">") || t.text == QLatin1String("<=") || t.text == QLatin1String(">="))) {
            QString op = next().text;
            l = binary(op, std::move(l), parseConcat(), pos);
            continue;
        }
        bool negated = false;
        if (t.isWord("NOT") && (peek(1).isWord("LIKE") || peek(1).isWord("BETWEEN") || peek(1).isWord("IN"))) {
            next();
            negated = true;
        }
        if (acceptWord("LIKE")) {
            auto e = make(JetExpr::Kind::Like, pos);
            e->negated = negated;
            e->args.push_back(std::move(l));
            e->args.push_back(parseConcat());
            l = std::move(e);
        } else if (acceptWord("BETWEEN")) {
            auto e = make(JetExpr::Kind::Between, pos);
            e->negated = negated;
            e->args.push_back(std::move(l));
            e->args.push_back(parseConcat());
            expectWord("AND");
            e->args.push_back(parseConcat());
            l = std::move(e);
        } else if (acceptWord("IN")) {
            auto e = make(JetExpr::Kind::In, pos);
            e->negated = negated;
            e->args.push_back(std::move(l));
            expectSymbol("(");
            if (peek().isWord("SELECT")) {
                e->select = parseSelect();
            } else {
                do e->args.push_back(parseExpr());
                while (acceptSymbol(","));
            }
            expectSymbol(")");
            l = std::move(e);
        } else if (!negated && acceptWord("IS")) {
            auto e = make(JetExpr::Kind::IsNull, pos);
            e->negated = acceptWord("NOT");
            expectWord("NULL");
            e->args.push_back(std::move(l));
            l = std::move(e);
        } else {
            return l;
        }
    }
}

JetExprPtr JetParser::parseConcat()
{
    auto l = parseAdditive();
    bool chained = false;
    while (peek().isSymbol("&")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("&"), parseAdditive(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseAdditive()
{
    auto l = parseMod();
    bool chained = false;
    while (peek().isSymbol("+") || peek().isSymbol("-")) {
        const JetToken& t = next();
        extend(l, chained, t.text, parseMod(), t.pos);
    }
    return l;
}

JetExprPtr JetParser::parseMod()
{
    auto l = parseIntDiv();
    bool chained = false;
    while (peek().isWord("MOD")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("MOD"), parseIntDiv(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseIntDiv()
{
    auto l = parseMultiplicative();
    bool chained = false;
    while (peek().isSymbol("\\")) {
        int pos = next().pos;
        extend(l, chained, QStringLiteral("\\"), parseMultiplicative(), pos);
    }
    return l;
}

JetExprPtr JetParser::parseMultiplicative()
{
    auto l = parseUnary();
    bool chained = false;
    while (peek().isSymbol("*") || peek().isSymbol("/")) {
        const JetToken& t = next();
        extend(l, chained, t.text, parseUnary(), t.pos);
    }
    return l;
}

JetExprPtr JetParser::parseUnary()
{
    Nesting guard(*this);
    if (peek().isSymbol("-") || peek().isSymbol("+")) {
        const JetToken& t = next();
        auto e = make(JetExpr::Kind::Unary, t.pos, t.text);
        e->args.push_back(parseUnary());
        return e;
    }
    return parsePower();
}

JetExprPtr JetParser::parsePower()
{
    auto l = parsePrimary();
    bool chained = false;
    while (peek().isSymbol("^")) {
        int pos = next().pos;
        JetExprPtr r;
        if (peek().isSymbol("-") || peek().isSymbol("+")) {   // 2^-1
            const JetToken& t = next();
            r = make(JetExpr::Kind::Unary, t.pos, t.text);
            r->args.push_back(parsePrimary());
        } else {
            r = parsePrimary();
        }
        extend(l, chained, QStringLiteral("^"), std::move(r), pos);
    }
    return l;
}

JetExprPtr JetParser::parsePrimary()
{
    const JetToken& t = peek();
    const int pos = t.pos;
    switch (t.kind) {
    case JetToken::Number: return make(JetExpr::Kind::Number, pos, next().text);
    case JetToken::String: return make(JetExpr::Kind::String, pos, next().text);
    case JetToken::Date: return make(JetExpr::Kind::Date, pos, next().text);
    case JetToken::Parameter: next(); return make(JetExpr::Kind::Param, pos);
    case JetToken::End: fail(QStringLiteral("espressione mancante"));
    case JetToken::Symbol:
        if (acceptSymbol("(")) {
            if (peek().isWord("SELECT")) {
                auto e = make(JetExpr::Kind::Subquery, pos);
                e->select = parseSelect();
                expectSymbol(")");
                return e;
            }
            auto e = make(JetExpr::Kind::Paren, pos);
            e->args.push_back(parseExpr());
            expectSymbol(")");
            return e;
        }
        fail(QStringLiteral("simbolo inatteso '%1'").arg(t.text));
    case JetToken::Word:
        if (t.isWord("TRUE") || t.isWord("YES")) {
            next();
            return make(JetExpr::Kind::Bool, pos, QStringLiteral("1"));
        }
        if (t.isWord("FALSE") || t.isWord("NO")) {
            next();
            return make(JetExpr::Kind::Bool, pos, QStringLiteral("0"));
        }
        if (t.isWord("NULL")) {
            next();
            return make(JetExpr::Kind::Null, pos);
        }
        if (t.isWord("EXISTS")) {
            next();
            expectSymbol("(");
            auto e = make(JetExpr::Kind::Exists, pos);
            e->select = parseSelect();
            expectSymbol(")");
            return e;
        }
        if (peek(1).isSymbol("(")
            && (!jetIsReservedWord(t.text) || t.isWord("LEFT") || t.isWord("RIGHT") || t.isWord("ASC"))) {
            auto e = make(JetExpr::Kind::Call, pos, next().text);
            next();
            if (!acceptSymbol(")")) {
                do {
                    if (peek().isSymbol("*") && peek(1).isSymbol(")")) {
                        e->args.push_back(make(JetExpr::Kind::Star, next().pos));
                    } else {
                        e->args.push_back(parseExpr());
                    }
                } while (acceptSymbol(","));
                expectSymbol(")");
            }
            return e;
        }
        break;
    case JetToken::Bracketed: break;
    }
    if (t.kind != JetToken::Word && t.kind != JetToken::Bracketed) fail(QStringLiteral("espressione attesa"));
    if (t.kind == JetToken::Word && jetIsReservedWord(t.text))
        fail(QStringLiteral("parola riservata '%1' al posto di un'espressione").arg(t.text));
    auto e = make(JetExpr::Kind::Column, pos);
    e->name.push_back(parseName());
    while (peek().isSymbol(".") && (peek(1).kind == JetToken::Word || peek(1).kind == JetToken::Bracketed)) {
        next();
        const JetToken& part = next();
        e->name.push_back(JetName {part.text, part.kind == JetToken::Bracketed});
    }
    if (e->name.size() > 2) fail(QStringLiteral("nome di campo non valido"), pos);
    return e;
}
