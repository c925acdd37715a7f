#include "Interpreter.h"

#include "Builtins.h"
#include "Operators.h"
#include "Parser.h"
#include "ScriptError.h"

#include <cmath>

namespace vbs {

// The Err object of a script: the last error caught under On Error Resume Next.
class ErrObject : public ScriptObject {
public:
    int number = 0;
    QString description;
    QString source;

    void clear()
    {
        number = 0;
        description.clear();
        source.clear();
    }
    void set(const ScriptError& e)
    {
        number = e.number;
        description = e.description;
        source = e.source;
    }

    QString typeName() const override { return QStringLiteral("ErrObject"); }
    Variant get(const QString& name, const VariantList& args) override
    {
        const QString k = name.toLower();
        if (k.isEmpty() || k == u"number") return Variant(static_cast<long>(number));
        if (k == u"description") return Variant(description);
        if (k == u"source") return Variant(source);
        if (k == u"helpfile") return Variant(QString());
        if (k == u"helpcontext") return Variant(0);
        if (k == u"clear") {
            clear();
            return {};
        }
        if (k == u"raise") {
            if (args.empty() || args.size() > 5) throw ScriptError(err::kWrongArguments);
            int n = args[0].toLong();
            QString desc;
            if (args.size() > 2 && !args[2].isMissing()) desc = args[2].toString();
            ScriptError e(n, desc.isEmpty() ? errorText(n) : desc);
            if (args.size() > 1 && !args[1].isMissing()) e.source = args[1].toString();
            throw e;
        }
        noSuchMember(name);
    }
    void put(const QString& name, const VariantList& args, const Variant& value) override
    {
        const QString k = name.toLower();
        if (!args.empty()) noSuchMember(name);
        if (k.isEmpty() || k == u"number") number = value.toLong();
        else if (k == u"description") description = value.toString();
        else if (k == u"source") source = value.toString();
        else noSuchMember(name);
    }
};

namespace {

bool isFatal(int number) { return number == err::kLimitExceeded || number == err::kOutOfStack; }

ScriptError named(int number, const QString& name)
{
    return ScriptError(number, errorText(number) + QStringLiteral(": '") + name + QLatin1Char('\''));
}

} // namespace

Interpreter::Interpreter() : m_err(std::make_shared<ErrObject>())
{
    Slot s;
    s.value = Variant(ObjectPtr(m_err));
    s.isConst = true;
    m_globals.emplace(QStringLiteral("err"), std::move(s));
}

Interpreter::~Interpreter() = default;

Interpreter::RunGuard::RunGuard(Interpreter& in) : in(in)
{
    if (in.m_active++ == 0) {
        in.m_count = 0;
        in.m_timer.start();
        char marker = 0;
        in.m_stackBase = &marker;
    }
}

Interpreter::RunGuard::~RunGuard() { --in.m_active; }

void Interpreter::addObject(const QString& name, ObjectPtr object)
{
    Slot s;
    s.value = Variant(std::move(object));
    s.isConst = true;
    m_globals[name.toLower()] = std::move(s);
}

void Interpreter::addCode(const QString& text)
{
    std::unique_ptr<Program> prog = parseProgram(text);
    for (const auto& p : prog->procedures) m_procs[p->key] = p;
    if (prog->optionExplicit) m_optionExplicit = true;
    createDims(prog->globalDims, m_globals);
    Program* raw = prog.get();
    m_programs.push_back(std::move(prog));

    RunGuard guard(*this);
    Frame frame{&m_globals, nullptr};
    Frame* saved = m_frame;
    m_frame = &frame;
    try {
        execBlock(raw->topLevel);
    } catch (...) {
        m_frame = saved;
        throw;
    }
    m_frame = saved;
}

Variant Interpreter::run(const QString& name, const VariantList& args)
{
    auto it = m_procs.find(name.toLower());
    if (it == m_procs.end()) throw named(err::kNotDefined, name);
    RunGuard guard(*this);
    Frame top{&m_globals, nullptr};
    Frame* saved = m_frame;
    m_frame = &top;
    try {
        Variant r = callProcedure(*it->second, nullptr, &args);
        m_frame = saved;
        return r;
    } catch (...) {
        m_frame = saved;
        throw;
    }
}

bool Interpreter::hasProcedure(const QString& name) const { return m_procs.count(name.toLower()) != 0; }

QStringList Interpreter::procedureNames() const
{
    QStringList names;
    for (const auto& [key, p] : m_procs) names << p->name;
    names.sort(Qt::CaseInsensitive);
    return names;
}

void Interpreter::tick()
{
    if (++m_count > limits.maxStatements)
        throw ScriptError(err::kLimitExceeded);
    if ((m_count & 63) == 0 && limits.maxMilliseconds > 0 && m_timer.elapsed() > limits.maxMilliseconds)
        throw ScriptError(err::kLimitExceeded);
}

// Deeply nested calls, blocks and expressions all use the machine stack; stop before it
// runs out rather than count each kind of nesting apart.
void Interpreter::checkStack()
{
    char here = 0;
    const std::ptrdiff_t used = m_stackBase > &here ? m_stackBase - &here : &here - m_stackBase;
    if (used > limits.maxStackBytes) throw ScriptError(err::kOutOfStack);
}

bool Interpreter::callsProcedure(const Expr& e) const
{
    if (e.kind == Expr::Kind::Name && m_procs.count(e.key)) return true;
    if (e.base && callsProcedure(*e.base)) return true;
    if (e.rhs && callsProcedure(*e.rhs)) return true;
    for (const ExprPtr& a : e.args)
        if (callsProcedure(*a)) return true;
    return false;
}

// s = s & x, the usual way of building a text in a loop, appends to s where it stands
// instead of copying it at every turn.
bool Interpreter::appendInPlace(const Stmt& s)
{
    const Expr& t = *s.target;
    const Expr& v = *s.value;
    if (t.kind != Expr::Kind::Name || t.hasParens || v.kind != Expr::Kind::Binary || v.op != BinOp::Concat)
        return false;
    const Expr& lhs = *v.base;
    if (lhs.kind != Expr::Kind::Name || lhs.hasParens || lhs.key != t.key) return false;
    Slot* slot = findVar(t.key);
    if (!slot || slot->isConst || !slot->get().isString() || callsProcedure(*v.rhs)) return false;
    // The right side calls no script procedure, so it cannot change the variable.
    const Variant tail = eval(*v.rhs).valueOf();
    Variant& cur = slot->get();
    if (tail.isNull()) return true;
    const QString text = tail.toString();
    checkStringLength(cur.rawString().size() + text.size(), limits);
    cur.appendToString(text);
    return true;
}

// ---- statements ----

Interpreter::Flow Interpreter::execBlock(const Block& block)
{
    checkStack();
    for (const StmtPtr& s : block) {
        Flow f;
        try {
            f = exec(*s);
        } catch (ScriptError& e) {
            // The innermost statement names the line; callers up the chain keep it.
            if (e.line == 0) e.line = s->line;
            if (isFatal(e.number) || !m_frame->resumeNext) throw;
            m_err->set(e);
            continue;
        }
        if (f != Flow::Normal) return f;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::exec(const Stmt& s)
{
    tick();
    switch (s.kind) {
    case Stmt::Kind::Assign:
        if (!appendInPlace(s)) assign(*s.target, eval(*s.value), false);
        return Flow::Normal;
    case Stmt::Kind::Set: assign(*s.target, eval(*s.value), true); return Flow::Normal;
    case Stmt::Kind::Call: execCall(*s.target); return Flow::Normal;
    case Stmt::Kind::If:
        for (size_t i = 0; i < s.conds.size(); ++i)
            if (isTrue(eval(*s.conds[i]))) return execBlock(s.blocks[i]);
        if (s.hasElse) return execBlock(s.elseBlock);
        return Flow::Normal;
    case Stmt::Kind::Select: {
        Flow f = Flow::Normal;
        execSelect(s, f);
        return f;
    }
    case Stmt::Kind::For: return execFor(s);
    case Stmt::Kind::ForEach: return execForEach(s);
    case Stmt::Kind::Do:
    case Stmt::Kind::While: return execLoop(s);
    case Stmt::Kind::Exit:
        switch (s.exitWhat) {
        case Stmt::ExitWhat::Do: return Flow::ExitDo;
        case Stmt::ExitWhat::For: return Flow::ExitFor;
        default: m_err->clear(); return Flow::ExitProc;   // leaving a procedure by Exit clears Err
        }
    case Stmt::Kind::Dim: return Flow::Normal;   // created on entry to the scope
    case Stmt::Kind::ReDim: execReDim(s); return Flow::Normal;
    case Stmt::Kind::Const:
        for (const DimDecl& d : s.dims) {
            Variant v = eval(*d.bounds.at(0)).valueOf();
            Slot& slot = createVar(d.key);
            slot.value = v;
            slot.ref = nullptr;
            slot.isConst = true;
        }
        return Flow::Normal;
    case Stmt::Kind::OnError:
        m_frame->resumeNext = s.resumeNext;
        m_err->clear();
        return Flow::Normal;
    case Stmt::Kind::Erase: {
        Slot* slot = findVar(s.var);
        if (!slot || !slot->get().isArray()) throw ScriptError(err::kTypeMismatch);
        Variant& v = slot->get();
        if (v.array()->fixedSize) {
            for (Variant& item : v.array()->items) item = Variant();
        } else {
            v = Variant(ArrayData::make({}, false));
        }
        return Flow::Normal;
    }
    case Stmt::Kind::Nop: return Flow::Normal;
    }
    return Flow::Normal;
}

void Interpreter::execSelect(const Stmt& s, Flow& flow)
{
    const Variant subject = eval(*s.subject);
    for (const CaseClause& c : s.cases) {
        bool match = c.values.empty();
        for (const ExprPtr& v : c.values) {
            auto r = compareValues(subject, eval(*v), s.subject->literal, v->literal);
            if (r && *r == 0) {
                match = true;
                break;
            }
        }
        if (match) {
            flow = execBlock(c.body);
            return;
        }
    }
}

Interpreter::Flow Interpreter::execFor(const Stmt& s)
{
    Variant start = eval(*s.subject).valueOf();
    Variant end = eval(*s.to).valueOf();
    Variant step = s.step ? eval(*s.step).valueOf() : Variant(1);
    if (start.isNull() || end.isNull() || step.isNull()) throw ScriptError(err::kInvalidNull);
    if (!start.isNumeric() && !start.isEmpty()) start = Variant(start.toDouble());
    if (!end.isNumeric() && !end.isEmpty()) end = Variant(end.toDouble());
    if (!step.isNumeric() && !step.isEmpty()) step = Variant(step.toDouble());
    const bool down = step.toDouble() < 0;
    Expr var;
    var.kind = Expr::Kind::Name;
    var.key = s.var;
    var.name = s.var;
    assign(var, start, false);
    for (;;) {
        tick();
        Slot* slot = findVar(s.var);
        const Variant cur = slot ? slot->get() : Variant();
        auto c = compareValues(cur, end);
        if (!c || (down ? *c < 0 : *c > 0)) break;
        Flow f = execBlock(s.body);
        if (f == Flow::ExitFor) break;
        if (f != Flow::Normal) return f;
        slot = findVar(s.var);
        assign(var, binaryOp(BinOp::Add, slot ? slot->get() : Variant(), step), false);
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execForEach(const Stmt& s)
{
    Variant subject = eval(*s.subject);
    VariantList items;
    if (subject.isArray()) {
        items = subject.array()->items;
    } else if (subject.isObject()) {
        if (!subject.object()) throw ScriptError(err::kObjectNotSet);
        bool ok = false;
        try {
            ok = subject.object()->enumerate(items);
        } catch (const ScriptError&) {
            throw;
        } catch (const AppError& e) {
            throw ScriptError(e.number, e.description);
        }
        if (!ok) throw ScriptError(451);
    } else {
        throw ScriptError(451);
    }
    Expr var;
    var.kind = Expr::Kind::Name;
    var.key = s.var;
    var.name = s.var;
    for (const Variant& item : items) {
        tick();
        assign(var, item, item.isObject());
        Flow f = execBlock(s.body);
        if (f == Flow::ExitFor) break;
        if (f != Flow::Normal) return f;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execLoop(const Stmt& s)
{
    const bool isWhile = s.kind == Stmt::Kind::While;
    const bool top = isWhile || s.condAtTop;
    auto done = [&]() {
        bool c = isTrue(eval(*s.cond));
        return s.until ? c : !c;
    };
    for (;;) {
        tick();
        if (top && s.cond && done()) break;
        Flow f = execBlock(s.body);
        if (f == Flow::ExitDo && !isWhile) break;
        if (f != Flow::Normal) return f;
        if (!top && s.cond && done()) break;
    }
    return Flow::Normal;
}

void Interpreter::execReDim(const Stmt& s)
{
    for (const DimDecl& d : s.dims) {
        std::vector<int32_t> upper;
        double total = 1;
        for (const ExprPtr& b : d.bounds) {
            int32_t u = eval(*b).toLong();
            if (u < -1) throw ScriptError(err::kSubscript);
            upper.push_back(u);
            total *= static_cast<double>(u) + 1;
        }
        checkArraySize(total, limits);
        Slot* slot = findVar(d.key);
        if (!slot) {
            if (m_optionExplicit) throw named(err::kUndefinedVariable, d.name);
            slot = &createVar(d.key);
        }
        if (slot->isConst) throw ScriptError(err::kIllegalAssignment);
        Variant& v = slot->get();
        if (v.isArray() && v.array()->fixedSize) throw ScriptError(err::kFixedArray);
        ArrayPtr fresh = ArrayData::make(upper, false);
        if (s.preserve && v.isArray() && !v.array()->upper.empty()) {
            const ArrayData& old = *v.array();
            if (old.upper.size() != upper.size()) throw ScriptError(err::kSubscript);
            for (size_t k = 0; k + 1 < upper.size(); ++k)
                if (old.upper[k] != upper[k]) throw ScriptError(err::kSubscript);
            if (upper.size() == 1) {
                size_t n = std::min(old.items.size(), fresh->items.size());
                std::copy(old.items.begin(), old.items.begin() + static_cast<std::ptrdiff_t>(n), fresh->items.begin());
            } else {
                // Only the last dimension changes: copy each run of it.
                const size_t oldLast = static_cast<size_t>(old.upper.back()) + 1;
                const size_t newLast = static_cast<size_t>(upper.back()) + 1;
                const size_t runs = old.items.size() / oldLast;
                const size_t n = std::min(oldLast, newLast);
                for (size_t r = 0; r < runs; ++r)
                    for (size_t i = 0; i < n; ++i) fresh->items[r * newLast + i] = old.items[r * oldLast + i];
            }
        }
        v = Variant(fresh);
    }
}

void Interpreter::execCall(const Expr& t)
{
    if (t.kind == Expr::Kind::Member) {
        evalMember(t);
        return;
    }
    // A name: a procedure, a built-in, or an object whose default member is called.
    if (Slot* slot = callsOwnFunction(t) ? nullptr : findVar(t.key)) {
        const Variant v = slot->get();
        if (v.isObject()) {
            if (!v.object()) throw ScriptError(err::kObjectNotSet);
            invoke(v.object(), QString(), evalArgs(t.args));
            return;
        }
        if (v.isArray() && t.hasParens) {
            evalName(t);
            return;
        }
        throw named(err::kTypeMismatch, t.name);
    }
    auto it = m_procs.find(t.key);
    if (it != m_procs.end()) {
        callProcedure(*it->second, &t.args, nullptr);
        return;
    }
    if (const Builtin* b = findBuiltin(t.key)) {
        callBuiltin(*b, t, evalArgs(t.args));
        return;
    }
    notDefined(t.name);
}

// ---- expressions ----

Variant Interpreter::eval(const Expr& e)
{
    switch (e.kind) {
    case Expr::Kind::Literal: return e.value;
    case Expr::Kind::Name: return evalName(e);
    case Expr::Kind::Member: return evalMember(e);
    case Expr::Kind::Apply: return evalApply(e);
    case Expr::Kind::Missing: return Variant::missing();
    case Expr::Kind::Unary: {
        Variant v = eval(*e.base);
        return e.notOp ? logicalNot(v) : negate(v);
    }
    case Expr::Kind::Binary: {
        Variant a = eval(*e.base);
        Variant b = eval(*e.rhs);
        Variant r = binaryOp(e.op, a, b, e.base->literal, e.rhs->literal);
        if (r.isString()) checkStringLength(r.rawString().size(), limits);
        return r;
    }
    }
    return {};
}

bool Interpreter::callsOwnFunction(const Expr& e) const
{
    // Inside F, F(...) calls F again; F alone is its result.
    return e.hasParens && m_frame && m_frame->proc && !m_frame->proc->isSub && m_frame->proc->key == e.key;
}

Variant Interpreter::evalName(const Expr& e)
{
    Slot* slot = callsOwnFunction(e) ? nullptr : findVar(e.key);
    if (slot) {
        if (!e.hasParens) return slot->get();
        const Variant v = slot->get();   // a copy: the indexes may change the variable
        if (v.isArray()) {
            std::vector<int32_t> idx = evalIndexes(e.args);
            const ArrayData& a = *v.array();
            return a.items[a.offset(idx)];
        }
        if (v.isObject()) {
            if (!v.object()) throw ScriptError(err::kObjectNotSet);
            ObjectPtr obj = v.object();
            return invoke(obj, QString(), evalArgs(e.args));
        }
        if (e.args.empty()) return v;
        throw named(err::kTypeMismatch, e.name);
    }
    auto it = m_procs.find(e.key);
    if (it != m_procs.end()) return callProcedure(*it->second, &e.args, nullptr);
    if (const Builtin* b = findBuiltin(e.key)) return callBuiltin(*b, e, evalArgs(e.args));
    Variant c;
    if (!e.hasParens && findConstant(e.key, c)) return c;
    if (e.hasParens) notDefined(e.name);
    if (m_optionExplicit) throw named(err::kUndefinedVariable, e.name);
    return {};
}

Variant Interpreter::evalMember(const Expr& e)
{
    Variant base = eval(*e.base);
    if (!base.isObject()) throw named(err::kObjectRequired, e.base->kind == Expr::Kind::Name ? e.base->name : e.name);
    if (!base.object()) throw ScriptError(err::kObjectNotSet);
    return invoke(base.object(), e.name, evalArgs(e.args));
}

Variant Interpreter::evalApply(const Expr& e)
{
    Variant base = eval(*e.base);
    if (base.isArray()) {
        const ArrayData& a = *base.array();
        return a.items[a.offset(evalIndexes(e.args))];
    }
    if (base.isObject()) {
        if (!base.object()) throw ScriptError(err::kObjectNotSet);
        return invoke(base.object(), QString(), evalArgs(e.args));
    }
    throw ScriptError(err::kTypeMismatch);
}

VariantList Interpreter::evalArgs(const std::vector<ExprPtr>& args)
{
    VariantList values;
    values.reserve(args.size());
    for (const ExprPtr& a : args) values.push_back(eval(*a));
    return values;
}

std::vector<int32_t> Interpreter::evalIndexes(const std::vector<ExprPtr>& args)
{
    std::vector<int32_t> idx;
    idx.reserve(args.size());
    for (const ExprPtr& a : args) {
        Variant v = eval(*a);
        if (v.isMissing()) throw ScriptError(err::kSubscript);
        idx.push_back(v.toLong());
    }
    return idx;
}

Variant Interpreter::callBuiltin(const Builtin& b, const Expr& e, const VariantList& args)
{
    const int n = static_cast<int>(args.size());
    if (n < b.minArgs || (b.maxArgs >= 0 && n > b.maxArgs)) throw named(err::kWrongArguments, e.name);
    Variant r = b.fn(args, limits);
    return r;
}

Variant Interpreter::callProcedure(const Procedure& p, const std::vector<ExprPtr>* argExprs, const VariantList* argValues)
{
    const size_t given = argExprs ? argExprs->size() : argValues->size();
    if (given != p.params.size()) throw named(err::kWrongArguments, p.name);
    if (m_depth >= limits.maxCallDepth) throw ScriptError(err::kOutOfStack);
    checkStack();

    Scope locals;
    for (size_t i = 0; i < p.params.size(); ++i) {
        const Param& param = p.params[i];
        Slot slot;
        if (argExprs) {
            const Expr& a = *(*argExprs)[i];
            bool bound = false;
            if (param.byRef && !a.byValue && a.kind == Expr::Kind::Name && !a.hasParens) {
                Slot* target = findVar(a.key);
                if (!target && !m_procs.count(a.key) && !findBuiltin(a.key) && !m_optionExplicit) {
                    Variant dummy;
                    if (!findConstant(a.key, dummy)) target = &createVar(a.key);
                }
                if (target && !target->isConst) {
                    slot.ref = &target->get();
                    bound = true;
                }
            }
            if (!bound) {
                slot.value = eval(a);
                if (slot.value.isArray()) slot.value = Variant(slot.value.array()->clone());
            }
        } else {
            slot.value = (*argValues)[i];
            if (slot.value.isArray()) slot.value = Variant(slot.value.array()->clone());
        }
        locals[param.key] = std::move(slot);
    }
    if (!p.isSub) locals.try_emplace(p.key);
    createDims(p.dims, locals);

    struct FrameGuard {
        Interpreter& in;
        Frame* saved;
        ~FrameGuard()
        {
            in.m_frame = saved;
            --in.m_depth;
        }
    };
    Frame frame{&locals, &p};
    FrameGuard guard{*this, m_frame};
    m_frame = &frame;
    ++m_depth;
    execBlock(p.body);
    if (p.isSub) return {};
    Slot& result = locals[p.key];
    return result.get();
}

Variant Interpreter::invoke(const ObjectPtr& obj, const QString& name, const VariantList& args)
{
    ObjectPtr keep = obj;   // the call may drop the script's last reference
    try {
        return keep->get(name, args);
    } catch (const ScriptError&) {
        throw;
    } catch (const AppError& e) {
        throw ScriptError(e.number, e.description);
    } catch (const std::exception& e) {
        throw ScriptError(err::kInvalidCall, QString::fromUtf8(e.what()));
    }
}

void Interpreter::invokePut(const ObjectPtr& obj, const QString& name, const VariantList& args, const Variant& value)
{
    ObjectPtr keep = obj;
    try {
        keep->put(name, args, value);
    } catch (const ScriptError&) {
        throw;
    } catch (const AppError& e) {
        throw ScriptError(e.number, e.description);
    } catch (const std::exception& e) {
        throw ScriptError(err::kInvalidCall, QString::fromUtf8(e.what()));
    }
}

void Interpreter::assign(const Expr& target, Variant value, bool isSet)
{
    if (isSet) {
        if (!value.isObject()) throw ScriptError(err::kObjectRequired);
    } else if (value.isObject()) {
        value = value.valueOf();   // x = obj takes the default member's value
    }
    if (value.isArray()) value = Variant(value.array()->clone());

    if (target.kind == Expr::Kind::Member) {
        Variant base = eval(*target.base);
        if (!base.isObject()) throw ScriptError(err::kObjectRequired);
        if (!base.object()) throw ScriptError(err::kObjectNotSet);
        invokePut(base.object(), target.name, evalArgs(target.args), value);
        return;
    }
    Slot* slot = findVar(target.key);
    if (!target.hasParens) {
        if (!slot) {
            if (m_procs.count(target.key) || findBuiltin(target.key)) throw named(err::kIllegalAssignment, target.name);
            Variant c;
            if (findConstant(target.key, c)) throw named(err::kIllegalAssignment, target.name);
            if (m_optionExplicit) throw named(err::kUndefinedVariable, target.name);
            slot = &createVar(target.key);
        }
        if (slot->isConst) throw named(err::kIllegalAssignment, target.name);
        slot->get() = std::move(value);
        return;
    }
    if (!slot) {
        if (m_optionExplicit) throw named(err::kUndefinedVariable, target.name);
        throw named(err::kTypeMismatch, target.name);
    }
    Variant& v = slot->get();
    if (v.isArray()) {
        std::vector<int32_t> idx = evalIndexes(target.args);
        ArrayData& a = *slot->get().array();   // re-read: the indexes may have run code
        a.items[a.offset(idx)] = std::move(value);
        return;
    }
    if (v.isObject()) {
        if (!v.object()) throw ScriptError(err::kObjectNotSet);
        ObjectPtr obj = v.object();
        invokePut(obj, QString(), evalArgs(target.args), value);
        return;
    }
    throw named(err::kTypeMismatch, target.name);
}

Interpreter::Slot* Interpreter::findVar(const QString& key)
{
    if (m_frame && m_frame->vars != &m_globals) {
        auto it = m_frame->vars->find(key);
        if (it != m_frame->vars->end()) return &it->second;
    }
    auto it = m_globals.find(key);
    return it != m_globals.end() ? &it->second : nullptr;
}

Interpreter::Slot& Interpreter::createVar(const QString& key)
{
    Scope& scope = m_frame ? *m_frame->vars : m_globals;
    return scope[key];
}

void Interpreter::createDims(const std::vector<const DimDecl*>& dims, Scope& scope)
{
    for (const DimDecl* d : dims) {
        if (scope.count(d->key)) continue;
        Slot slot;
        if (d->isArray) {
            std::vector<int32_t> upper;
            double total = 1;
            for (const ExprPtr& b : d->bounds) {
                int32_t u = b->value.toLong();
                if (u < 0) throw ScriptError(err::kSubscript, errorText(err::kSubscript), d->line);
                upper.push_back(u);
                total *= static_cast<double>(u) + 1;
            }
            try {
                checkArraySize(total, limits);
            } catch (ScriptError& e) {
                e.line = d->line;
                throw;
            }
            slot.value = Variant(ArrayData::make(upper, !upper.empty()));
        }
        scope.emplace(d->key, std::move(slot));
    }
}

void Interpreter::notDefined(const QString& name) { throw named(err::kNotDefined, name); }

} // namespace vbs
