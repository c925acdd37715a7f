#pragma once
// The syntax tree the parser builds and the interpreter walks. Names are kept as written
// and in lower case (the language ignores case).
#include "Operators.h"
#include "Variant.h"

#include <QString>
#include <memory>
#include <vector>

namespace vbs {

struct Expr;
struct Stmt;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct Expr {
    enum class Kind {
        Literal,   // value
        Name,   // name, optional (args)
        Member,   // base.name, optional (args)
        Apply,   // base(args) where base is not a plain name
        Unary,   // -base, Not base
        Binary,   // base op rhs
        Missing,   // an omitted argument
        WithObject,   // the object of the innermost With: the base of ".name"
    };
    Kind kind = Kind::Literal;
    int line = 0;
    int depth = 1;   // height of the tree below, bounded by the parser
    Variant value;   // Literal
    Literal literal = Literal::None;
    QString name;   // Name, Member: as written
    QString key;   // lower case
    ExprPtr base;
    ExprPtr rhs;
    std::vector<ExprPtr> args;
    bool hasParens = false;   // Name, Member: written with (...)
    BinOp op = BinOp::Add;
    bool notOp = false;   // Unary: Not rather than minus
    bool byValue = false;   // written in its own parentheses: never passed ByRef
};

struct DimDecl {
    QString name;
    QString key;
    bool isArray = false;
    std::vector<ExprPtr> bounds;   // upper bounds; empty with isArray for a dynamic array
    int line = 0;
};

struct CaseClause {
    std::vector<ExprPtr> values;   // empty for Case Else
    Block body;
};

struct Stmt {
    enum class Kind {
        Assign,   // target = value
        Set,   // Set target = value
        Call,   // target (Name or Member with args)
        If,   // conds[i] → blocks[i]; elseBlock
        Select,   // subject; cases
        For,   // var = from To to Step step; body
        ForEach,   // var In subject; body
        Do,   // cond (may be null); condAtTop; until; body
        While,   // cond; body
        Exit,   // exitWhat
        Dim,   // dims (run time: nothing; hoisted)
        ReDim,   // dims with bounds; preserve
        Const,   // consts: names and values
        OnError,   // resumeNext
        Erase,   // var
        With,   // subject; body
        Nop,
    };
    enum class ExitWhat { Do, For, Function, Sub };

    Kind kind = Kind::Nop;
    int line = 0;
    ExprPtr target;
    ExprPtr value;
    ExprPtr subject;   // Select, ForEach, For (from)
    ExprPtr to;
    ExprPtr step;
    ExprPtr cond;
    std::vector<ExprPtr> conds;
    std::vector<Block> blocks;
    Block elseBlock;
    bool hasElse = false;
    std::vector<CaseClause> cases;
    Block body;
    QString var;   // For, ForEach, Erase: lower case
    bool condAtTop = false;
    bool until = false;
    bool preserve = false;
    bool resumeNext = false;
    ExitWhat exitWhat = ExitWhat::Do;
    std::vector<DimDecl> dims;   // Dim, ReDim; Const uses name/key and bounds[0] as value
};

struct Param {
    QString name;
    QString key;
    bool byRef = true;
};

// Constants take their values before any statement runs, wherever their Const stands, as
// long as the value is a literal.
using ConstList = std::vector<const DimDecl*>;

struct Procedure {
    QString name;
    QString key;
    bool isSub = false;
    int line = 0;
    std::vector<Param> params;
    Block body;
    std::vector<const DimDecl*> dims;   // every Dim of the body, created on entry
    ConstList consts;   // every Const of the body
};

// One text given to addCode: its procedures and its top-level statements.
struct Program {
    std::vector<std::shared_ptr<Procedure>> procedures;
    Block topLevel;
    std::vector<const DimDecl*> globalDims;
    ConstList globalConsts;
    bool optionExplicit = false;
};

}   // namespace vbs
