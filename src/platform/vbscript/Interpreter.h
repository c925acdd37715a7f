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
    struct Slot {
        Variant value;
        Variant* ref = nullptr;   // a ByRef parameter: the caller's variable
        bool isConst = false;
        Variant& get() { return ref ? *ref : value; }
    };
    using Scope = std::unordered_map<QString, Slot>;
    struct Frame {
        Scope* vars;
        const Procedure* proc;
        bool resumeNext = false;
    };
    enum class Flow { Normal, ExitDo, ExitFor, ExitProc };

    // Running state of the outermost addCode/run.
    struct RunGuard {
        explicit RunGuard(Interpreter& in);
        ~RunGuard();
        Interpreter& in;
    };

    Flow execBlock(const Block& block);
    Flow exec(const Stmt& s);
    Flow execFor(const Stmt& s);
    Flow execForEach(const Stmt& s);
    Flow execLoop(const Stmt& s);
    void execReDim(const Stmt& s);
    void execSelect(const Stmt& s, Flow& flow);
    void execCall(const Expr& target);
    void tick();
    void checkStack();
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
};

} // namespace vbs
