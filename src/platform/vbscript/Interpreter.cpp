#include "Interpreter.h"

#include "Builtins.h"
#include "Operators.h"
#include "Parser.h"
#include "PrivateStack.h"
#include "ScriptError.h"

#include <cmath>
#include <new>
#include <unordered_set>

namespace vbs {

namespace {

// Err.Raise given a 32-bit failure code (severity bit set, like &h8007000E&) rather than
// an error number raises the error the language knows it by; codes of the script
// facility (&h800A....) carry the number in their low word. Other numbers stay as given.
int32_t raisedNumber(int32_t n)
{
    switch (static_cast<uint32_t>(n)) {
    case 0x8007000Eu: return err::kOutOfMemory;
    case 0x80070057u: return err::kInvalidCall;
    case 0x80070005u: return err::kPermissionDenied;
    case 0x80004001u: return 445;   // not implemented: the object does not support the action
    case 0x80004002u: return 430;   // no such interface
    case 0x80020005u: return err::kTypeMismatch;
    case 0x80020006u: return err::kNoSuchMember;
    case 0x8002000Au: return err::kOverflow;
    case 0x8002000Bu: return err::kSubscript;
    case 0x8002000Eu: return err::kWrongArguments;
    case 0x8002000Fu: return 449;   // argument not optional
    case 0x80020012u: return err::kDivisionByZero;
    default: break;
    }
    if ((static_cast<uint32_t>(n) & 0xFFFF0000u) == 0x800A0000u) return n & 0xFFFF;
    return n;
}

}   // namespace

// The Err object of a script: the last error caught under On Error Resume Next.
class ErrObject : public ScriptObject {
public:
    int32_t number = 0;
    QString description;
    QString source;
    QString helpFile;
    int32_t helpContext = 0;

    void clear()
    {
        number = 0;
        description.clear();
        source.clear();
        helpFile.clear();
        helpContext = 0;
    }
    void set(const ScriptError& e)
    {
        number = e.number;
        description = e.description;
        source = e.source;
        helpFile = e.helpFile;
        helpContext = e.helpContext;
    }

    QString typeName() const override { return QStringLiteral("ErrObject"); }
    Variant get(const QString& name, const VariantList& args) override
    {
        const QString k = name.toLower();
        if (k.isEmpty() || k == u"number") return Variant::longValue(number);
        if (k == u"description") return Variant(description);
        if (k == u"source") return Variant(source);
        if (k == u"helpfile") return Variant(helpFile);
        if (k == u"helpcontext") return Variant::longValue(helpContext);
        if (k == u"clear") {
            clear();
            return {};
        }
        if (k == u"raise") raise(args);
        noSuchMember(name);
    }
    void put(const QString& name, const VariantList& args, const Variant& value) override
    {
        const QString k = name.toLower();
        if (!args.empty()) noSuchMember(name);
        if (k.isEmpty() || k == u"number")
            number = value.toLong();
        else if (k == u"description")
            description = value.toString();
        else if (k == u"source")
            source = value.toString();
        else if (k == u"helpfile")
            helpFile = value.toString();
        else if (k == u"helpcontext")
            helpContext = value.toLong();
        else
            noSuchMember(name);
    }

private:
    // Err.Raise number[, source[, description[, helpfile[, helpcontext]]]]: what is not
    // given keeps what Err holds (a description only while it has one), so a script can
    // raise again the error it caught with another number.
    [[noreturn]] void raise(const VariantList& args) const
    {
        if (args.empty() || args.size() > 5) throw ScriptError(err::kWrongArguments);
        const auto given = [&args](size_t i) { return i < args.size() && !args[i].isMissing(); };
        const int32_t n = raisedNumber(args[0].toLong());
        if (n == 0) throw ScriptError(err::kInvalidCall);
        ScriptError e(n, given(2) ? args[2].toString() : description.isEmpty() ? errorText(n) : description);
        if (given(1))
            e.source = args[1].toString();
        else if (!source.isEmpty())
            e.source = source;
        e.helpFile = given(3) ? args[3].toString() : helpFile;
        e.helpContext = given(4) ? args[4].toLong() : helpContext;
        throw e;
    }
};

namespace {

// Calls nested deeper than this on the caller's stack move to the engine's own.
constexpr std::ptrdiff_t kMoveToPrivateStackAt = 256 * 1024;
// What a script may use of the caller's stack for anything but calls (nested blocks and
// expressions, bounded by the parser).
constexpr std::ptrdiff_t kCallerStackBudget = 1024 * 1024;
// Room left on the private stack for host objects called from the deepest script call.
constexpr std::ptrdiff_t kHostStackReserve = 1024 * 1024;

ScriptError named(int number, const QString& name)
{
    return ScriptError(number, errorText(number) + QStringLiteral(": '") + name + QLatin1Char('\''));
}

// The engine whose script is running on this thread: the built-ins charge it for what
// they make.
thread_local Interpreter* t_running = nullptr;

// Adds up what a set of variables holds: each text and array once, however many variables
// share it (a text copied into a thousand elements is held once).
class HeldMemory {
public:
    template <class Scope> void scope(const Scope& vars)
    {
        for (const auto& [key, slot] : vars) {
            m_total += static_cast<int64_t>(sizeof(key) + sizeof(slot) + kNodeOverhead + key.size() * 2);
            value(slot.value);
        }
        drain();
    }
    void value(const Variant& v)
    {
        if (v.isString())
            text(v.rawString());
        else if (v.isArray() && m_seen.insert(v.array().get()).second)
            m_pending.push_back(v.array().get());
    }
    int64_t total()
    {
        drain();
        return m_total;
    }

private:
    static constexpr int64_t kNodeOverhead = 16;
    static constexpr qsizetype kSharedFrom = 32;   // shorter texts are counted as they come

    void text(const QString& s)
    {
        if (s.size() >= kSharedFrom && !m_seen.insert(s.constData()).second) return;
        m_total += (std::max(s.size(), s.capacity()) + 1) * 2;
    }
    // Arrays held in arrays are walked without recursion: nesting has no depth limit.
    void drain()
    {
        while (!m_pending.empty()) {
            const ArrayData* a = m_pending.back();
            m_pending.pop_back();
            m_total += static_cast<int64_t>(sizeof(ArrayData) + a->items.capacity() * sizeof(Variant));
            for (const Variant& item : a->items) value(item);
        }
    }

    std::unordered_set<const void*> m_seen;
    std::vector<const ArrayData*> m_pending;
    int64_t m_total = 0;
};

}   // namespace

void chargeHeldMemory(int64_t bytes)
{
    if (t_running) t_running->charge(bytes);
}

Interpreter::Interpreter() : m_err(std::make_shared<ErrObject>())
{
    Slot s;
    s.value = Variant(ObjectPtr(m_err));
    s.isConst = true;
    m_globals.emplace(QStringLiteral("err"), std::move(s));
}

Interpreter::~Interpreter() = default;

Interpreter::RunGuard::RunGuard(Interpreter& in) : in(in), outer(t_running)
{
    t_running = &in;
    if (in.m_active++ == 0) {
        in.m_count = 0;
        in.m_timer.start();
        in.m_stackBase = static_cast<const char*>(__builtin_frame_address(0));
    }
}

Interpreter::RunGuard::~RunGuard()
{
    --in.m_active;
    t_running = outer;
}

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
    Program* raw = prog.get();
    m_programs.push_back(std::move(prog));

    RunGuard guard(*this);
    createConsts(raw->globalConsts, m_globals);
    createDims(raw->globalDims, m_globals);
    Frame frame {&m_globals, nullptr};
    frame.caller = m_frame;
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
    Frame top {&m_globals, nullptr};
    top.caller = m_frame;
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
    if (++m_count > limits.maxStatements) throw ScriptError::limitStop(err::kLimitExceeded);
    if ((m_count & 63) == 0 && limits.maxMilliseconds > 0 && m_timer.elapsed() > limits.maxMilliseconds)
        throw ScriptError::limitStop(err::kLimitExceeded);
}

// Measuring walks every variable, so it is done only when what was taken since the last
// measure, added to what was held then, could pass the limit. What is taken is counted
// generously (a text made and dropped counts all the same); what is held is measured.
void Interpreter::charge(int64_t bytes)
{
    m_takenSinceMeasure += bytes;
    if (m_heldAtMeasure + m_takenSinceMeasure <= limits.maxHeldBytes) return;
    m_heldAtMeasure = heldBytes();
    m_takenSinceMeasure = bytes;
    if (m_heldAtMeasure + bytes > limits.maxHeldBytes) throw ScriptError::limitStop(err::kOutOfMemory);
}

// A value about to be stored in a variable or an element: a text made for it (not one
// shared with another variable) or the copy an array is given.
void Interpreter::chargeKept(const Variant& value)
{
    if (value.isString()) {
        if (value.rawString().isDetached()) charge(static_cast<int64_t>(value.rawString().size()) * 2);
    } else if (value.isArray()) {
        charge(static_cast<int64_t>(value.array()->items.size() * sizeof(Variant)));
    }
}

int64_t Interpreter::heldBytes() const
{
    HeldMemory held;
    held.scope(m_globals);
    for (const Frame* f = m_frame; f; f = f->caller) {
        if (f->vars != &m_globals) held.scope(*f->vars);
        for (const Variant& v : f->with) held.value(v);
    }
    return held.total();
}

std::ptrdiff_t Interpreter::callerStackUsed() const
{
    char here = 0;
    return m_stackBase > &here ? m_stackBase - &here : &here - m_stackBase;
}

// Deeply nested calls, blocks and expressions all use the machine stack; stop before it
// runs out rather than count each kind of nesting apart.
void Interpreter::checkStack()
{
    char here = 0;
    if (stack::onPrivateStack()) {
        const std::ptrdiff_t room = static_cast<std::ptrdiff_t>(stack::kPrivateSize) - kHostStackReserve;
        if (static_cast<std::ptrdiff_t>(stack::privateStackUsed(&here)) > std::min<int64_t>(limits.maxStackBytes, room))
            throw ScriptError::limitStop(err::kOutOfStack);
        return;
    }
    if (callerStackUsed() > std::min<int64_t>(limits.maxStackBytes, kCallerStackBudget))
        throw ScriptError::limitStop(err::kOutOfStack);
}

void Interpreter::runBody(const Block& body)
{
    if (stack::onPrivateStack() || callerStackUsed() < kMoveToPrivateStackAt) {
        execBlock(body);
        return;
    }
    stack::runOnPrivateStack([this, &body] { execBlock(body); });
}

// Under On Error Resume Next, an error raised by the expression that heads a construct
// (an If or loop condition, a Case value, a For's bounds) goes on with the statement that
// follows that expression: the one inside the construct.
void Interpreter::resumeOrRethrow(ScriptError& e, int line)
{
    if (e.line == 0) e.line = line;
    if (e.engineStop || !m_frame->resumeNext) throw;
    m_err->set(e);
}

Interpreter::Cond Interpreter::condition(const Expr& e)
{
    try {
        return isTrue(eval(e)) ? Cond::True : Cond::False;
    } catch (ScriptError& error) {
        resumeOrRethrow(error, e.line);
        return Cond::Failed;
    }
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
    // A text shared with another variable is copied whole before it grows.
    charge(static_cast<int64_t>((cur.rawString().isDetached() ? 0 : cur.rawString().size()) + text.size()) * 2);
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
            if (e.engineStop || !m_frame->resumeNext) throw;
            m_err->set(e);
            continue;
        } catch (const std::bad_alloc&) {
            // The system had no more memory to give: the same stop as the engine's limit.
            ScriptError stop = ScriptError::limitStop(err::kOutOfMemory);
            stop.line = s->line;
            throw stop;
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
            if (condition(*s.conds[i]) != Cond::False) return execBlock(s.blocks[i]);
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
            slot.pin = ArrayPin();
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
        if (v.array()->locks > 0) throw ScriptError(err::kFixedArray);
        if (v.array()->fixedSize) {
            for (Variant& item : v.array()->items) item = Variant();
        } else {
            v = Variant(ArrayData::make({}, false));
        }
        return Flow::Normal;
    }
    case Stmt::Kind::With: return execWith(s);
    case Stmt::Kind::Nop: return Flow::Normal;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execWith(const Stmt& s)
{
    Variant obj = eval(*s.subject);
    if (!obj.isObject()) throw ScriptError(err::kObjectRequired);   // Nothing is refused only once used
    struct Pop {
        std::vector<Variant>& with;
        ~Pop() { with.pop_back(); }
    };
    m_frame->with.push_back(std::move(obj));
    Pop pop {m_frame->with};
    return execBlock(s.body);
}

void Interpreter::execSelect(const Stmt& s, Flow& flow)
{
    // The subject is a value held apart, no longer a literal: each Case compares with it
    // as a variable would, so Case "text" against a number is simply no match.
    const Variant subject = eval(*s.subject);
    for (const CaseClause& c : s.cases) {
        bool match = c.values.empty();
        for (const ExprPtr& v : c.values) {
            try {
                auto r = compareValues(subject, eval(*v), Literal::None, v->literal);
                match = r && *r == 0;
            } catch (ScriptError& e) {
                resumeOrRethrow(e, v->line);
                match = true;   // resumes with this Case's statements
            }
            if (match) break;
        }
        if (match) {
            flow = execBlock(c.body);
            return;
        }
    }
}

// A loop whose head failed under On Error Resume Next: its body runs once, as the
// statements that follow the head, and the loop's end then fails in its turn.
Interpreter::Flow Interpreter::brokenLoop(const Stmt& s, int error)
{
    const Flow f = execBlock(s.body);
    if (f == Flow::ExitFor) return Flow::Normal;
    if (f != Flow::Normal) return f;
    throw ScriptError(error);
}

Interpreter::Flow Interpreter::execFor(const Stmt& s)
{
    Expr var;
    var.kind = Expr::Kind::Name;
    var.key = s.var;
    var.name = s.var;
    Variant end, step;
    bool down = false;
    try {
        Variant start = eval(*s.subject).valueOf();
        end = eval(*s.to).valueOf();
        step = s.step ? eval(*s.step).valueOf() : Variant(1);
        if (start.isNull() || end.isNull() || step.isNull()) throw ScriptError(err::kInvalidNull);
        if (!start.isNumeric() && !start.isEmpty()) start = Variant(start.toDouble());
        if (!end.isNumeric() && !end.isEmpty()) end = Variant(end.toDouble());
        if (!step.isNumeric() && !step.isEmpty()) step = Variant(step.toDouble());
        down = step.toDouble() < 0;
        assign(var, start, false);
    } catch (ScriptError& e) {
        resumeOrRethrow(e, s.line);
        return brokenLoop(s, err::kForNotInitialized);
    }
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
    VariantList items;
    try {
        Variant subject = eval(*s.subject);
        if (subject.isArray()) {
            charge(static_cast<int64_t>(subject.array()->items.size() * sizeof(Variant)));
            items = subject.array()->firstIndexFastest();
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
            if (!ok) throw ScriptError(err::kNotACollection);
        } else {
            throw ScriptError(err::kNotACollection);
        }
    } catch (ScriptError& e) {
        resumeOrRethrow(e, s.line);
        return brokenLoop(s, err::kNotACollection);
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
    // A condition that fails under On Error Resume Next goes on with the statement after
    // it: into the body at the top, past the loop at the bottom.
    auto leave = [&](bool atTop) {
        const Cond c = condition(*s.cond);
        if (c == Cond::Failed) return !atTop;
        return (c == Cond::True) == s.until;
    };
    for (;;) {
        tick();
        if (top && s.cond && leave(true)) break;
        Flow f = execBlock(s.body);
        if (f == Flow::ExitDo && !isWhile) break;
        if (f != Flow::Normal) return f;
        if (!top && s.cond && leave(false)) break;
    }
    return Flow::Normal;
}

void Interpreter::execReDim(const Stmt& s)
{
    for (const DimDecl& d : s.dims) {
        VariantList bounds;
        for (const ExprPtr& b : d.bounds) bounds.push_back(eval(*b));
        // ReDim declares the name where it is missing, Option Explicit or not.
        Slot* slot = findVar(d.key);
        if (!slot) slot = &createVar(d.key);
        if (slot->isConst) throw ScriptError(err::kIllegalAssignment);
        Variant& v = slot->get();
        if (v.isArray() && (v.array()->fixedSize || v.array()->locks > 0)) throw ScriptError(err::kFixedArray);
        std::vector<int32_t> upper;
        double total = 1;
        for (const Variant& b : bounds) {
            int32_t u = b.toLong();
            if (u < -1) throw ScriptError(err::kSubscript);
            upper.push_back(u);
            total *= static_cast<double>(u) + 1;
        }
        checkArraySize(total, limits);
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
        const VariantList args = evalArgs(t.args);
        if (b->use == BuiltinUse::Conversion) throw named(err::kUnsupportedType, t.name);
        callBuiltin(*b, t, args);
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
    case Expr::Kind::WithObject:
        if (m_frame->with.empty()) throw ScriptError(err::kObjectRequired);
        return m_frame->with.back();
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
    if (const Builtin* b = findBuiltin(e.key)) {
        if (b->use == BuiltinUse::Statement) throw named(err::kTypeMismatch, e.name);
        return callBuiltin(*b, e, evalArgs(e.args));
    }
    Variant c;
    if (!e.hasParens && findConstant(e.key, c)) return c;
    if (e.hasParens) notDefined(e.name);
    if (m_optionExplicit) throw named(err::kUndefinedVariable, e.name);
    return {};
}

Variant Interpreter::evalMember(const Expr& e)
{
    Variant base = eval(*e.base);
    // A member of Nothing is a member of no object, as it is of a number.
    if (!base.isObject() || !base.object())
        throw named(err::kObjectRequired, e.base->kind == Expr::Kind::Name ? e.base->name : e.name);
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

Variant Interpreter::callProcedure(const Procedure& p, const std::vector<ExprPtr>* argExprs,
                                   const VariantList* argValues)
{
    const size_t given = argExprs ? argExprs->size() : argValues->size();
    if (given != p.params.size()) throw named(err::kWrongArguments, p.name);
    if (m_depth >= limits.maxCallDepth) throw ScriptError::limitStop(err::kOutOfStack);
    checkStack();

    Scope locals;
    for (size_t i = 0; i < p.params.size(); ++i) {
        const Param& param = p.params[i];
        Slot slot;
        if (argExprs) {
            const Expr& a = *(*argExprs)[i];
            bool bound = param.byRef && !a.byValue && bindElement(slot, a);
            if (!bound && param.byRef && !a.byValue && a.kind == Expr::Kind::Name && !a.hasParens) {
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
                chargeKept(slot.value);
                if (slot.value.isArray()) slot.value = Variant(slot.value.array()->clone());
            }
        } else {
            slot.value = (*argValues)[i];
            chargeKept(slot.value);
            if (slot.value.isArray()) slot.value = Variant(slot.value.array()->clone());
        }
        locals[param.key] = std::move(slot);
    }
    if (!p.isSub) locals.try_emplace(p.key);
    createConsts(p.consts, locals);
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
    Frame frame {&locals, &p};
    frame.caller = m_frame;
    FrameGuard guard {*this, m_frame};
    m_frame = &frame;
    ++m_depth;
    runBody(p.body);
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
    } catch (const std::bad_alloc&) {
        throw;   // the statement running it stops the script
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
    } catch (const std::bad_alloc&) {
        throw;   // the statement running it stops the script
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
    // An object member keeps what it is given as the object sees fit; a variable or an
    // element keeps it within the script's memory.
    if (target.kind != Expr::Kind::Member) chargeKept(value);
    if (value.isArray()) value = Variant(value.array()->clone());

    if (target.kind == Expr::Kind::Member) {
        // Writing a member needs an object: Nothing is none, as a number is none.
        Variant base = eval(*target.base);
        if (!base.isObject() || !base.object()) throw ScriptError(err::kObjectRequired);
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

void Interpreter::createConsts(const ConstList& consts, Scope& scope)
{
    for (const DimDecl* d : consts) {
        const Expr& value = *d->bounds.at(0);
        if (value.kind != Expr::Kind::Literal) continue;   // set when its statement runs
        Slot& slot = scope[d->key];
        slot.value = value.value;
        slot.ref = nullptr;
        slot.pin = ArrayPin();
        slot.isConst = true;
    }
}

// A ByRef argument written as an element of an array variable, a(i): the parameter refers
// to the element itself, so the procedure's writes reach the array.
bool Interpreter::bindElement(Slot& slot, const Expr& arg)
{
    if (arg.kind != Expr::Kind::Name || !arg.hasParens || arg.args.empty() || callsOwnFunction(arg)) return false;
    Slot* var = findVar(arg.key);
    if (!var || !var->get().isArray()) return false;
    const std::vector<int32_t> idx = evalIndexes(arg.args);
    // The indexes may have run code that changed the variable: look again.
    const Variant& now = var->get();
    if (!now.isArray()) throw named(err::kTypeMismatch, arg.name);
    ArrayPtr array = now.array();
    slot.ref = &array->items[array->offset(idx)];
    slot.pin = ArrayPin(std::move(array));
    return true;
}

void Interpreter::notDefined(const QString& name) { throw named(err::kNotDefined, name); }

}   // namespace vbs
