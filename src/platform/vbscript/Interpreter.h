#pragma once
// Walks the syntax tree. Internal to the engine: callers use ScriptEngine.
#include "Ast.h"
#include "ScriptEngine.h"

#include <QElapsedTimer>
#include <unordered_map>

namespace vbs {

class ErrObject;

class Interpreter {
public:
    Interpreter();
    ~Interpreter();

    ScriptLimits limits;

    void addObject(const QString& name, ObjectPtr object);
    void addCode(const QString& text);
    Variant run(const QString& name, const VariantList& args);
    bool hasProcedure(const QString& name) const;
    QStringList procedureNames() const;

private:
    // Keeps an array whose element a ByRef parameter refers to alive, and locked against
    // ReDim and Erase, while the parameter lives.
    class ArrayPin {
    public:
        ArrayPin() = default;
        explicit ArrayPin(ArrayPtr a) : m_array(std::move(a)) { ++m_array->locks; }
        ArrayPin(ArrayPin&& o) noexcept : m_array(std::move(o.m_array)) { }
        ArrayPin& operator=(ArrayPin&& o) noexcept
        {
            if (this != &o) {
                release();
                m_array = std::move(o.m_array);
            }
            return *this;
        }
        ~ArrayPin() { release(); }

    private:
        void release()
        {
            if (m_array) --m_array->locks;
            m_array.reset();
        }
        ArrayPtr m_array;
    };

    struct Slot {
        Variant value;
        Variant* ref = nullptr;   // a ByRef parameter: the caller's variable or array element
        ArrayPin pin;   // the array of that element
        bool isConst = false;
        Variant& get() { return ref ? *ref : value; }
    };
    using Scope = std::unordered_map<QString, Slot>;
    struct Frame {
        Scope* vars;
        const Procedure* proc;
        bool resumeNext = false;
        std::vector<Variant> with = {};   // objects of the With blocks being run, innermost last
        Frame* caller = nullptr;   // the frame whose statement called this one
    };
    enum class Flow { Normal, ExitDo, ExitFor, ExitProc };
    enum class Cond { False, True, Failed };

    // Running state of the outermost addCode/run.
    struct RunGuard {
        explicit RunGuard(Interpreter& in);
        ~RunGuard();
        Interpreter& in;
        Interpreter* outer;   // the engine running when this one was called, if any
    };

    Flow execBlock(const Block& block);
    Flow exec(const Stmt& s);
    Flow execFor(const Stmt& s);
    Flow execForEach(const Stmt& s);
    Flow execLoop(const Stmt& s);
    Flow execWith(const Stmt& s);
    Flow brokenLoop(const Stmt& s, int error);
    void execReDim(const Stmt& s);
    void execSelect(const Stmt& s, Flow& flow);
    void execCall(const Expr& target);
    Cond condition(const Expr& e);
    void resumeOrRethrow(ScriptError& e, int line);
    void tick();
    void checkStack();
    friend void chargeHeldMemory(int64_t bytes);
    void charge(int64_t bytes);
    void chargeKept(const Variant& value);
    int64_t heldBytes() const;
    void runBody(const Block& body);
    std::ptrdiff_t callerStackUsed() const;
    bool appendInPlace(const Stmt& s);
    bool callsProcedure(const Expr& e) const;

    Variant eval(const Expr& e);
    bool callsOwnFunction(const Expr& e) const;
    Variant evalName(const Expr& e);
    Variant evalMember(const Expr& e);
    Variant evalApply(const Expr& e);
    VariantList evalArgs(const std::vector<ExprPtr>& args);
    std::vector<int32_t> evalIndexes(const std::vector<ExprPtr>& args);
    Variant callBuiltin(const struct Builtin& b, const Expr& e, const VariantList& args);
    Variant callProcedure(const Procedure& p, const std::vector<ExprPtr>* argExprs, const VariantList* argValues);
    Variant invoke(const ObjectPtr& obj, const QString& name, const VariantList& args);
    void invokePut(const ObjectPtr& obj, const QString& name, const VariantList& args, const Variant& value);

    void assign(const Expr& target, Variant value, bool isSet);
    Slot* findVar(const QString& key);
    Slot& createVar(const QString& key);   // in the current scope
    void createDims(const std::vector<const DimDecl*>& dims, Scope& scope);
    void createConsts(const ConstList& consts, Scope& scope);
    bool bindElement(Slot& slot, const Expr& arg);
    [[noreturn]] void notDefined(const QString& name);

    Scope m_globals;
    std::unordered_map<QString, std::shared_ptr<Procedure>> m_procs;
    std::vector<std::unique_ptr<Program>> m_programs;
    std::shared_ptr<ErrObject> m_err;
    bool m_optionExplicit = false;

    Frame* m_frame = nullptr;
    int m_depth = 0;
    int m_active = 0;
    int64_t m_count = 0;
    QElapsedTimer m_timer;
    const char* m_stackBase = nullptr;
    // What the variables held when last measured, and what has been taken since: the
    // variables are measured again only when the two together could pass the limit.
    int64_t m_heldAtMeasure = 0;
    int64_t m_takenSinceMeasure = 0;
};

}   // namespace vbs
