#include "Parser.h"

#include "Lexer.h"
#include "ScriptError.h"

#include <QSet>
#include <algorithm>

namespace vbs {

namespace {

constexpr int kMaxNesting = 100;   // parentheses, unary chains and blocks inside each other
constexpr int kMaxExprDepth = 400;   // height of one expression tree

const QSet<QString>& reservedWords()
{
    static const QSet<QString> words {
        QStringLiteral("and"),     QStringLiteral("byref"),  QStringLiteral("byval"),  QStringLiteral("call"),
        QStringLiteral("case"),    QStringLiteral("class"),  QStringLiteral("const"),  QStringLiteral("dim"),
        QStringLiteral("do"),      QStringLiteral("each"),   QStringLiteral("else"),   QStringLiteral("elseif"),
        QStringLiteral("empty"),   QStringLiteral("end"),    QStringLiteral("eqv"),    QStringLiteral("erase"),
        QStringLiteral("exit"),    QStringLiteral("false"),  QStringLiteral("for"),    QStringLiteral("function"),
        QStringLiteral("goto"),    QStringLiteral("if"),     QStringLiteral("imp"),    QStringLiteral("in"),
        QStringLiteral("is"),      QStringLiteral("let"),    QStringLiteral("loop"),   QStringLiteral("mod"),
        QStringLiteral("new"),     QStringLiteral("next"),   QStringLiteral("not"),    QStringLiteral("nothing"),
        QStringLiteral("null"),    QStringLiteral("on"),     QStringLiteral("option"), QStringLiteral("or"),
        QStringLiteral("private"), QStringLiteral("public"), QStringLiteral("redim"),  QStringLiteral("rem"),
        QStringLiteral("select"),  QStringLiteral("set"),    QStringLiteral("sub"),    QStringLiteral("then"),
        QStringLiteral("to"),      QStringLiteral("until"),  QStringLiteral("wend"),   QStringLiteral("while"),
        QStringLiteral("with"),    QStringLiteral("xor"),
    };
    return words;
}

class Parser {
public:
    explicit Parser(const QString& text) : m_toks(tokenize(text)) { }

    std::unique_ptr<Program> run()
    {
        m_prog = std::make_unique<Program>();
        skipEnds();
        while (tok().kind != Token::Kind::EndOfText) {
            topLevelStatement();
            endOfStatement();
            skipEnds();
        }
        return std::move(m_prog);
    }

private:
    // ---- tokens ----
    const Token& tok() const { return m_toks[m_pos]; }
    const Token& peek(size_t n = 1) const { return m_toks[std::min(m_pos + n, m_toks.size() - 1)]; }
    void next()
    {
        if (m_pos + 1 < m_toks.size()) ++m_pos;
    }
    bool isKw(const char16_t* kw) const { return tok().kind == Token::Kind::Name && tok().key == kw; }
    bool isOp(const char16_t* op) const { return tok().kind == Token::Kind::Op && tok().text == op; }
    bool atEnd() const
    {
        return tok().kind == Token::Kind::EndOfStatement || tok().kind == Token::Kind::EndOfText
            || (m_ctx.singleLineIf > 0 && isKw(u"else"));
    }
    void skipEnds()
    {
        while (tok().kind == Token::Kind::EndOfStatement) next();
    }

    [[noreturn]] void fail(int number) const { throw ScriptError(number, errorText(number), tok().line, tok().column); }

    void expectKw(const char16_t* kw, int number)
    {
        if (!isKw(kw)) fail(number);
        next();
    }
    void expectOp(const char16_t* op, int number)
    {
        if (!isOp(op)) fail(number);
        next();
    }
    void endOfStatement()
    {
        if (!atEnd()) fail(err::kExpectedEndOfStatement);
    }
    // A name usable for a variable or procedure.
    QString identifier(QString* key = nullptr)
    {
        if (tok().kind != Token::Kind::Name || reservedWords().contains(tok().key)) fail(err::kExpectedIdentifier);
        QString n = tok().text;
        if (key) *key = tok().key;
        next();
        return n;
    }

    struct Nest {
        explicit Nest(Parser& p) : p(p)
        {
            if (++p.m_nesting > kMaxNesting) p.fail(err::kTooComplex);
        }
        ~Nest() { --p.m_nesting; }
        Parser& p;
    };

    // ---- top level and procedures ----
    void topLevelStatement()
    {
        if (isKw(u"option")) {
            next();
            if (!isKw(u"explicit")) fail(err::kSyntax);
            next();
            m_prog->optionExplicit = true;
            return;
        }
        bool visibility = false;
        if (isKw(u"public") || isKw(u"private")) {
            next();
            visibility = true;
            if (isKw(u"default") && peek().kind == Token::Kind::Name
                && (peek().key == u"function" || peek().key == u"sub" || peek().key == u"property"))
                next();
        }
        if (isKw(u"function") || isKw(u"sub")) return procedure();
        if (isKw(u"class") || propertyDeclaration()) fail(err::kNotSupported);
        if (visibility) {
            if (isKw(u"const")) return m_prog->topLevel.push_back(statement());
            // Public x, y(3): a Dim.
            auto s = std::make_unique<Stmt>();
            s->kind = Stmt::Kind::Dim;
            s->line = tok().line;
            dimList(*s);
            m_prog->topLevel.push_back(std::move(s));
            return;
        }
        m_prog->topLevel.push_back(statement());
    }

    // "Property Get/Let/Set": a class member, which scripts here cannot declare. Property
    // alone is an ordinary name.
    bool propertyDeclaration() const
    {
        return isKw(u"property") && peek().kind == Token::Kind::Name
            && (peek().key == u"get" || peek().key == u"let" || peek().key == u"set");
    }

    // A procedure may stand anywhere outside another procedure, even inside a block that
    // never runs: it exists from the start. A later one of the same name replaces an
    // earlier one.
    void procedure()
    {
        auto proc = std::make_shared<Procedure>();
        proc->isSub = isKw(u"sub");
        proc->line = tok().line;
        next();
        proc->name = identifier(&proc->key);
        if (isOp(u"(")) {
            next();
            if (!isOp(u")")) {
                for (;;) {
                    Param p;
                    if (isKw(u"byval")) {
                        p.byRef = false;
                        next();
                    } else if (isKw(u"byref"))
                        next();
                    p.name = identifier(&p.key);
                    if (isOp(u"(")) {
                        next();
                        expectOp(u")", err::kExpectedRParen);
                    }
                    proc->params.push_back(std::move(p));
                    if (!isOp(u",")) break;
                    next();
                }
            }
            expectOp(u")", err::kExpectedRParen);
        }
        // The body may start on the same line: "Sub S() x = 1 End Sub".
        const Context outer = m_ctx;
        m_ctx = Context {};
        m_proc = proc.get();
        proc->body = block({u"end"}, err::kExpectedEnd);
        next();   // End
        if (proc->isSub)
            expectKw(u"sub", err::kExpectedSub);
        else
            expectKw(u"function", err::kExpectedFunction);
        m_proc = nullptr;
        m_ctx = outer;
        m_prog->procedures.push_back(std::move(proc));
    }

    // "x = 1 End Sub": the end of a procedure may follow a statement on its line.
    bool atProcedureEnd() const
    {
        return m_proc && isKw(u"end") && peek().kind == Token::Kind::Name
            && (peek().key == u"sub" || peek().key == u"function");
    }

    // Statements up to one of the closing words (not consumed).
    Block block(std::initializer_list<const char16_t*> closers, int missingError)
    {
        Nest nest(*this);
        Block b;
        for (;;) {
            skipEnds();
            if (tok().kind == Token::Kind::EndOfText) fail(missingError);
            for (const char16_t* c : closers)
                if (isKw(c)) return b;
            b.push_back(statement());
            if (!atProcedureEnd()) endOfStatement();
        }
    }

    void registerDim(const DimDecl* d)
    {
        if (m_proc)
            m_proc->dims.push_back(d);
        else
            m_prog->globalDims.push_back(d);
    }

    void registerConst(const DimDecl* d)
    {
        if (m_proc)
            m_proc->consts.push_back(d);
        else
            m_prog->globalConsts.push_back(d);
    }

    // ---- statements ----
    StmtPtr statement()
    {
        const Token& t = tok();
        if (m_ctx.withDepth > 0 && t.kind == Token::Kind::Op && t.text == u".") return assignmentOrCall();
        if (t.kind != Token::Kind::Name) fail(err::kExpectedStatement);
        const QString& k = t.key;
        if (k == u"dim") {
            next();
            auto s = make(Stmt::Kind::Dim, t);
            dimList(*s);
            return s;
        }
        if (k == u"redim") return redim();
        if (k == u"const") return constStatement();
        if (k == u"if") return ifStatement();
        if (k == u"select") return selectStatement();
        if (k == u"for") return forStatement();
        if (k == u"do") return doStatement();
        if (k == u"while") return whileStatement();
        if (k == u"exit") return exitStatement();
        if (k == u"call") {
            next();
            return callStatement(true);
        }
        if (k == u"set") {
            next();
            return assignment(true);
        }
        if (k == u"let") {
            next();
            return assignment(false);
        }
        if (k == u"on") return onError();
        if (k == u"erase") {
            auto s = make(Stmt::Kind::Erase, t);
            next();
            QString key;
            identifier(&key);
            s->var = key;
            return s;
        }
        if (k == u"stop") {
            auto s = make(Stmt::Kind::Nop, t);
            next();
            return s;
        }
        if (k == u"with") return withStatement();
        if (k == u"class" || k == u"new" || k == u"goto" || propertyDeclaration()) fail(err::kNotSupported);
        if (k == u"function" || k == u"sub") {
            if (m_proc) fail(err::kSyntax);   // procedures do not nest
            auto s = make(Stmt::Kind::Nop, t);
            procedure();
            return s;
        }
        if (reservedWords().contains(k)) fail(err::kExpectedStatement);
        return assignmentOrCall();
    }

    StmtPtr make(Stmt::Kind kind, const Token& t)
    {
        auto s = std::make_unique<Stmt>();
        s->kind = kind;
        s->line = t.line;
        return s;
    }

    void dimList(Stmt& s)
    {
        for (;;) {
            DimDecl d;
            d.line = tok().line;
            d.name = identifier(&d.key);
            if (isOp(u"(")) {
                next();
                d.isArray = true;
                if (!isOp(u")")) {
                    for (;;) {
                        if (tok().kind != Token::Kind::Number
                            || !(tok().value.type() == VType::Integer || tok().value.type() == VType::Long))
                            fail(err::kExpectedInteger);
                        auto e = literal(tok().value, Literal::Number);
                        next();
                        d.bounds.push_back(std::move(e));
                        if (!isOp(u",")) break;
                        next();
                    }
                }
                expectOp(u")", err::kExpectedRParen);
            }
            s.dims.push_back(std::move(d));
            if (!isOp(u",")) break;
            next();
        }
        for (const DimDecl& d : s.dims) registerDim(&d);
    }

    StmtPtr redim()
    {
        auto s = make(Stmt::Kind::ReDim, tok());
        next();
        if (isKw(u"preserve")) {
            s->preserve = true;
            next();
        }
        for (;;) {
            DimDecl d;
            d.line = tok().line;
            d.name = identifier(&d.key);
            d.isArray = true;
            expectOp(u"(", err::kExpectedLParen);
            for (;;) {
                d.bounds.push_back(expression());
                if (!isOp(u",")) break;
                next();
            }
            expectOp(u")", err::kExpectedRParen);
            s->dims.push_back(std::move(d));
            if (!isOp(u",")) break;
            next();
        }
        return s;
    }

    StmtPtr constStatement()
    {
        auto s = make(Stmt::Kind::Const, tok());
        next();
        for (;;) {
            DimDecl d;
            d.line = tok().line;
            d.name = identifier(&d.key);
            expectOp(u"=", err::kExpectedEquals);
            d.bounds.push_back(expression());
            s->dims.push_back(std::move(d));
            if (!isOp(u",")) break;
            next();
        }
        for (const DimDecl& d : s->dims) registerConst(&d);
        return s;
    }

    StmtPtr withStatement()
    {
        auto s = make(Stmt::Kind::With, tok());
        next();
        s->subject = expression();
        endOfStatement();
        ++m_ctx.withDepth;
        s->body = block({u"end"}, err::kExpectedEnd);
        --m_ctx.withDepth;
        next();   // End
        expectKw(u"with", err::kExpectedWith);
        return s;
    }

    StmtPtr ifStatement()
    {
        auto s = make(Stmt::Kind::If, tok());
        next();
        s->conds.push_back(expression());
        expectKw(u"then", err::kExpectedThen);
        // A line end right after Then opens a block; anything else on the line, even a
        // lone ':', makes a one-line If.
        if ((tok().kind == Token::Kind::EndOfStatement && tok().text != u":") || tok().kind == Token::Kind::EndOfText) {
            // Block form.
            s->blocks.push_back(block({u"elseif", u"else", u"end"}, err::kExpectedEnd));
            while (isKw(u"elseif")) {
                next();
                s->conds.push_back(expression());
                expectKw(u"then", err::kExpectedThen);
                s->blocks.push_back(block({u"elseif", u"else", u"end"}, err::kExpectedEnd));
            }
            if (isKw(u"else")) {
                next();
                s->hasElse = true;
                s->elseBlock = block({u"end"}, err::kExpectedEnd);
            }
            next();   // End
            expectKw(u"if", err::kExpectedIf);
            return s;
        }
        // Single-line form: If c Then a : b Else d : e
        Nest nest(*this);
        ++m_ctx.singleLineIf;
        s->blocks.push_back(singleLineStatements());
        if (isKw(u"else")) {
            next();
            s->hasElse = true;
            s->elseBlock = singleLineStatements();
        }
        --m_ctx.singleLineIf;
        return s;
    }

    // "End If" closing a one-line If, with or without a ':' before it.
    bool takeEndIf()
    {
        if (!isKw(u"end") || peek().kind != Token::Kind::Name || peek().key != u"if") return false;
        next();
        next();
        return true;
    }

    Block singleLineStatements()
    {
        Block b;
        for (;;) {
            if (tok().kind == Token::Kind::EndOfStatement && !tok().newline) {
                next();   // ':' between statements
                continue;
            }
            if (atEnd() || takeEndIf()) break;
            b.push_back(statement());
            if (takeEndIf() || atProcedureEnd()) break;
            if (!atEnd()) fail(err::kExpectedEndOfStatement);
        }
        return b;
    }

    StmtPtr selectStatement()
    {
        auto s = make(Stmt::Kind::Select, tok());
        next();
        expectKw(u"case", err::kExpectedCase);
        s->subject = expression();
        endOfStatement();
        skipEnds();
        while (isKw(u"case")) {
            next();
            CaseClause c;
            if (isKw(u"else")) {
                next();
            } else {
                for (;;) {
                    c.values.push_back(expression());
                    if (!isOp(u",")) break;
                    next();
                }
            }
            const bool isElse = c.values.empty();
            c.body = block({u"case", u"end"}, err::kExpectedEnd);
            s->cases.push_back(std::move(c));
            if (isElse && isKw(u"case")) fail(err::kExpectedEnd);
        }
        if (!isKw(u"end")) fail(err::kExpectedCase);
        next();
        expectKw(u"select", err::kExpectedSelect);
        return s;
    }

    StmtPtr forStatement()
    {
        const Token& start = tok();
        next();
        if (isKw(u"each")) {
            next();
            auto s = make(Stmt::Kind::ForEach, start);
            QString key;
            identifier(&key);
            s->var = key;
            expectKw(u"in", err::kExpectedIn);
            s->subject = expression();
            endOfStatement();
            ++m_ctx.forDepth;
            s->body = block({u"next"}, err::kExpectedNext);
            --m_ctx.forDepth;
            next();
            return s;
        }
        auto s = make(Stmt::Kind::For, start);
        QString key;
        identifier(&key);
        s->var = key;
        expectOp(u"=", err::kExpectedEquals);
        s->subject = expression();
        expectKw(u"to", err::kExpectedTo);
        s->to = expression();
        if (isKw(u"step")) {
            next();
            s->step = expression();
        }
        endOfStatement();
        ++m_ctx.forDepth;
        s->body = block({u"next"}, err::kExpectedNext);
        --m_ctx.forDepth;
        next();
        if (tok().kind == Token::Kind::Name && !reservedWords().contains(tok().key) && tok().key != u"else") next();
        return s;
    }

    StmtPtr doStatement()
    {
        auto s = make(Stmt::Kind::Do, tok());
        next();
        if (isKw(u"while") || isKw(u"until")) {
            s->until = isKw(u"until");
            s->condAtTop = true;
            next();
            s->cond = expression();
        }
        if (!atEnd()) fail(err::kExpectedWhileUntil);
        ++m_ctx.doDepth;
        s->body = block({u"loop"}, err::kExpectedLoop);
        --m_ctx.doDepth;
        next();
        if (isKw(u"while") || isKw(u"until")) {
            if (s->cond) fail(err::kExpectedEndOfStatement);
            s->until = isKw(u"until");
            next();
            s->cond = expression();
        }
        return s;
    }

    StmtPtr whileStatement()
    {
        auto s = make(Stmt::Kind::While, tok());
        next();
        s->cond = expression();
        endOfStatement();
        s->body = block({u"wend"}, err::kExpectedWend);
        next();
        return s;
    }

    StmtPtr exitStatement()
    {
        auto s = make(Stmt::Kind::Exit, tok());
        next();
        if (isKw(u"do")) {
            if (!m_ctx.doDepth) fail(err::kInvalidExit);
            s->exitWhat = Stmt::ExitWhat::Do;
        } else if (isKw(u"for")) {
            if (!m_ctx.forDepth) fail(err::kInvalidExit);
            s->exitWhat = Stmt::ExitWhat::For;
        } else if (isKw(u"function")) {
            if (!m_proc || m_proc->isSub) fail(err::kInvalidExit);
            s->exitWhat = Stmt::ExitWhat::Function;
        } else if (isKw(u"sub")) {
            if (!m_proc || !m_proc->isSub) fail(err::kInvalidExit);
            s->exitWhat = Stmt::ExitWhat::Sub;
        } else {
            fail(err::kSyntax);
        }
        next();
        return s;
    }

    StmtPtr onError()
    {
        auto s = make(Stmt::Kind::OnError, tok());
        next();
        expectKw(u"error", err::kSyntax);
        if (isKw(u"resume")) {
            next();
            expectKw(u"next", err::kSyntax);
            s->resumeNext = true;
        } else if (isKw(u"goto")) {
            next();
            if (tok().kind != Token::Kind::Number || tok().text != u"0") fail(err::kNotSupported);
            next();
        } else {
            fail(err::kSyntax);
        }
        return s;
    }

    StmtPtr assignment(bool isSet)
    {
        auto s = make(isSet ? Stmt::Kind::Set : Stmt::Kind::Assign, tok());
        s->target = postfix();
        checkTarget(*s->target);
        expectOp(u"=", err::kExpectedEquals);
        s->value = expression();
        return s;
    }

    void checkTarget(const Expr& e) const
    {
        if (e.kind != Expr::Kind::Name && e.kind != Expr::Kind::Member) fail(err::kSyntax);
    }

    // "Call f(a)", "f a, b", "obj.m a", "x = 1", "obj.p(1) = 2".
    StmtPtr assignmentOrCall()
    {
        const Token& start = tok();
        ExprPtr target = postfix();
        if (isOp(u"=")) {
            checkTarget(*target);
            next();
            auto s = make(Stmt::Kind::Assign, start);
            s->target = std::move(target);
            s->value = expression();
            return s;
        }
        return finishCall(std::move(target), start, false);
    }

    StmtPtr callStatement(bool viaCall)
    {
        const Token& start = tok();
        ExprPtr target = postfix();
        return finishCall(std::move(target), start, viaCall);
    }

    StmtPtr finishCall(ExprPtr target, const Token& start, bool viaCall)
    {
        if (target->kind != Expr::Kind::Name && target->kind != Expr::Kind::Member) fail(err::kExpectedStatement);
        if (!atEnd() && !atProcedureEnd()) {
            if (viaCall) fail(err::kExpectedEndOfStatement);
            // Arguments without parentheses. "f (a), b": the parenthesised part was the
            // first argument.
            std::vector<ExprPtr> args;
            if (target->hasParens) {
                if (target->args.size() != 1 || !isOp(u",")) fail(err::kExpectedEndOfStatement);
                target->args[0]->byValue = true;
                args.push_back(std::move(target->args[0]));
                target->args.clear();
                next();
            }
            argumentList(args);
            target->args = std::move(args);
            target->hasParens = true;
        } else if (!viaCall && target->hasParens && target->args.size() == 1) {
            // "Inc (n)": the parentheses belong to the argument, which goes by value.
            target->args[0]->byValue = true;
        }
        auto s = make(Stmt::Kind::Call, start);
        s->target = std::move(target);
        return s;
    }

    void argumentList(std::vector<ExprPtr>& args)
    {
        for (;;) {
            if (isOp(u",")) {
                args.push_back(missing());
            } else if (atEnd()) {
                args.push_back(missing());
                break;
            } else {
                args.push_back(expression());
            }
            if (!isOp(u",")) break;
            next();
        }
    }

    // ---- expressions ----
    ExprPtr literal(const Variant& v, Literal kind)
    {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Literal;
        e->line = tok().line;
        e->value = v;
        e->literal = kind;
        return e;
    }

    ExprPtr missing()
    {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Missing;
        e->line = tok().line;
        return e;
    }

    ExprPtr binary(BinOp op, ExprPtr a, ExprPtr b)
    {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Binary;
        e->line = a->line;
        e->op = op;
        e->depth = std::max(a->depth, b->depth) + 1;
        if (e->depth > kMaxExprDepth) fail(err::kTooComplex);
        e->base = std::move(a);
        e->rhs = std::move(b);
        return e;
    }

    ExprPtr expression()
    {
        Nest nest(*this);
        return impExpr();
    }

    template <class Next>
    ExprPtr leftAssoc(Next nextLevel, std::initializer_list<std::pair<const char16_t*, BinOp>> ops, bool words)
    {
        ExprPtr e = (this->*nextLevel)();
        for (;;) {
            bool matched = false;
            for (const auto& [text, op] : ops) {
                if (words ? isKw(text) : isOp(text)) {
                    next();
                    e = binary(op, std::move(e), (this->*nextLevel)());
                    matched = true;
                    break;
                }
            }
            if (!matched) return e;
        }
    }

    ExprPtr impExpr() { return leftAssoc(&Parser::eqvExpr, {{u"imp", BinOp::Imp}}, true); }
    ExprPtr eqvExpr() { return leftAssoc(&Parser::xorExpr, {{u"eqv", BinOp::Eqv}}, true); }
    ExprPtr xorExpr() { return leftAssoc(&Parser::orExpr, {{u"xor", BinOp::Xor}}, true); }
    ExprPtr orExpr() { return leftAssoc(&Parser::andExpr, {{u"or", BinOp::Or}}, true); }
    ExprPtr andExpr() { return leftAssoc(&Parser::notExpr, {{u"and", BinOp::And}}, true); }

    ExprPtr notExpr()
    {
        if (isKw(u"not")) {
            Nest nest(*this);
            next();
            return unaryNode(true, notExpr());
        }
        return compareExpr();
    }

    ExprPtr unaryNode(bool isNot, ExprPtr operand)
    {
        if (!isNot && operand->kind == Expr::Kind::Literal && operand->literal == Literal::Number) {
            operand->value = negate(operand->value);   // -5 stays a number literal
            return operand;
        }
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Unary;
        e->line = operand->line;
        e->notOp = isNot;
        e->depth = operand->depth + 1;
        if (e->depth > kMaxExprDepth) fail(err::kTooComplex);
        e->base = std::move(operand);
        return e;
    }

    ExprPtr compareExpr()
    {
        ExprPtr e = concatExpr();
        for (;;) {
            BinOp op;
            if (isOp(u"="))
                op = BinOp::Eq;
            else if (isOp(u"<>"))
                op = BinOp::Ne;
            else if (isOp(u"<"))
                op = BinOp::Lt;
            else if (isOp(u">"))
                op = BinOp::Gt;
            else if (isOp(u"<="))
                op = BinOp::Le;
            else if (isOp(u">="))
                op = BinOp::Ge;
            else if (isKw(u"is"))
                op = BinOp::Is;
            else
                return e;
            next();
            e = binary(op, std::move(e), concatExpr());
        }
    }

    ExprPtr concatExpr() { return leftAssoc(&Parser::addExpr, {{u"&", BinOp::Concat}}, false); }
    ExprPtr addExpr() { return leftAssoc(&Parser::modExpr, {{u"+", BinOp::Add}, {u"-", BinOp::Sub}}, false); }
    ExprPtr modExpr() { return leftAssoc(&Parser::intDivExpr, {{u"mod", BinOp::Mod}}, true); }
    ExprPtr intDivExpr() { return leftAssoc(&Parser::mulExpr, {{u"\\", BinOp::IntDiv}}, false); }
    ExprPtr mulExpr() { return leftAssoc(&Parser::powExpr, {{u"*", BinOp::Mul}, {u"/", BinOp::Div}}, false); }

    // Unary minus binds tighter than ^: -3 ^ 2 is 9.
    ExprPtr powExpr() { return leftAssoc(&Parser::unaryExpr, {{u"^", BinOp::Pow}}, false); }

    ExprPtr unaryExpr()
    {
        if (isOp(u"-") || isOp(u"+")) {
            Nest nest(*this);
            bool minus = isOp(u"-");
            next();
            ExprPtr operand = unaryExpr();
            return minus ? unaryNode(false, std::move(operand)) : std::move(operand);
        }
        if (isKw(u"not")) return notExpr();   // a = Not b
        return postfix();
    }

    void parenArguments(Expr& e)
    {
        Nest nest(*this);
        next();   // (
        e.hasParens = true;
        if (!isOp(u")")) {
            for (;;) {
                if (isOp(u",") || isOp(u")"))
                    e.args.push_back(missing());
                else
                    e.args.push_back(expression());
                if (!isOp(u",")) break;
                next();
            }
        }
        expectOp(u")", err::kExpectedRParen);
        for (const auto& a : e.args) e.depth = std::max(e.depth, a->depth + 1);
        if (e.depth > kMaxExprDepth) fail(err::kTooComplex);
    }

    // ".name[(args)]" after base; the '.' is the current token.
    ExprPtr member(ExprPtr base)
    {
        next();
        if (tok().kind != Token::Kind::Name) fail(err::kExpectedIdentifier);
        auto m = std::make_unique<Expr>();
        m->kind = Expr::Kind::Member;
        m->line = tok().line;
        m->name = tok().text;
        m->key = tok().key;
        m->depth = base->depth + 1;
        m->base = std::move(base);
        next();
        if (isOp(u"(")) parenArguments(*m);
        if (m->depth > kMaxExprDepth) fail(err::kTooComplex);
        return m;
    }

    // Inside With, a '.' after a blank starts a member of the With object: in
    // "prn.Print .Count" the second dot is not a member of prn.Print.
    bool withDot() const { return m_ctx.withDepth > 0 && isOp(u".") && tok().spaceBefore; }

    ExprPtr postfix()
    {
        ExprPtr e = primary();
        for (;;) {
            if (isOp(u".") && !withDot()) {
                e = member(std::move(e));
            } else if (isOp(u"(") && e->byValue && !e->hasParens
                       && (e->kind == Expr::Kind::Name || e->kind == Expr::Kind::Member)) {
                // "(f)(x)": the parentheses only group the callee, which takes the
                // arguments as if written f(x).
                e->byValue = false;
                parenArguments(*e);
            } else if (isOp(u"(")
                       && (e->byValue
                           || ((e->kind == Expr::Kind::Name || e->kind == Expr::Kind::Member
                                || e->kind == Expr::Kind::Apply)
                               && (e->hasParens || e->kind == Expr::Kind::Apply)))) {
                auto a = std::make_unique<Expr>();
                a->kind = Expr::Kind::Apply;
                a->line = tok().line;
                a->depth = e->depth + 1;
                a->base = std::move(e);
                parenArguments(*a);
                a->hasParens = true;
                e = std::move(a);
            } else {
                return e;
            }
        }
    }

    ExprPtr primary()
    {
        const Token& t = tok();
        switch (t.kind) {
        case Token::Kind::Number: {
            auto e = literal(t.value, Literal::Number);
            next();
            return e;
        }
        case Token::Kind::Text: {
            auto e = literal(t.value, Literal::Text);
            next();
            return e;
        }
        case Token::Kind::Date: {
            auto e = literal(t.value, Literal::None);
            next();
            return e;
        }
        case Token::Kind::Op:
            if (t.text == u"." && m_ctx.withDepth > 0) {
                // ".name" inside With: the member of the With object.
                auto with = std::make_unique<Expr>();
                with->kind = Expr::Kind::WithObject;
                with->line = t.line;
                return member(std::move(with));
            }
            if (t.text == u"(") {
                Nest nest(*this);
                next();
                ExprPtr e = impExpr();
                expectOp(u")", err::kExpectedRParen);
                e->byValue = true;
                return e;
            }
            fail(err::kExpectedExpression);
        case Token::Kind::Name: {
            const QString& k = t.key;
            if (k == u"true") {
                auto e = literal(Variant(true), Literal::None);
                next();
                return e;
            }
            if (k == u"false") {
                auto e = literal(Variant(false), Literal::None);
                next();
                return e;
            }
            if (k == u"empty") {
                auto e = literal(Variant(), Literal::None);
                next();
                return e;
            }
            if (k == u"null") {
                auto e = literal(Variant::null(), Literal::None);
                next();
                return e;
            }
            if (k == u"nothing") {
                auto e = literal(Variant::nothing(), Literal::None);
                next();
                return e;
            }
            if (k == u"new") fail(err::kNotSupported);
            if (reservedWords().contains(k)) fail(err::kExpectedExpression);
            auto e = std::make_unique<Expr>();
            e->kind = Expr::Kind::Name;
            e->line = t.line;
            e->name = t.text;
            e->key = t.key;
            next();
            if (isOp(u"(")) parenArguments(*e);
            return e;
        }
        default: fail(err::kExpectedExpression);
        }
    }

    std::vector<Token> m_toks;
    size_t m_pos = 0;
    std::unique_ptr<Program> m_prog;
    // What encloses the statement being read, within the current procedure.
    struct Context {
        int singleLineIf = 0;
        int doDepth = 0;
        int forDepth = 0;
        int withDepth = 0;
    };

    Procedure* m_proc = nullptr;
    int m_nesting = 0;
    Context m_ctx;
};

}   // namespace

std::unique_ptr<Program> parseProgram(const QString& text) { return Parser(text).run(); }

}   // namespace vbs
