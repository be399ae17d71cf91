#pragma once
// The syntax tree that the parser builds and the interpreter walks.

#include "engine/ScriptValue.h"

#include <QString>
#include <memory>
#include <vector>

namespace orbix::c1sim {

struct Expr;
struct Stmt;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct Expr {
    enum class Kind {
        Literal,       // value
        ListLiteral,   // children
        RecordLiteral, // labels + children
        Variable,      // name
        Property,      // name of children[0], or of the tell target when there is no child
        EndOf,         // end of children[0]
        Unary,         // op ("not", "-") children[0]
        Binary,        // op children[0] children[1]
        Count,         // count of children[0]
        Exists,        // exists children[0]
        PosixPath,     // POSIX path of children[0]
        PosixFile,     // POSIX file children[0]
        Command,       // name; children[0] the direct parameter when hasDirect; labels/children for the rest
        Application,   // application name (children[0]) or application id (byId)
        HandlerCall,   // name(): a handler of the script, without parameters
    };
    Kind kind = Kind::Literal;
    QString name;     // variable, property, command name, or operator (lower case)
    QString spelling; // variables and properties: the name as written, for messages
    Value value;
    std::vector<ExprPtr> children;
    std::vector<QString> labels; // record labels; command parameter labels for children after the direct one
    bool hasDirect = false;
    bool byId = false;
    int start = 0;
    int end = 0;
};

struct Stmt {
    enum class Kind {
        Expression, // expr
        Set,        // target := expr
        Tell,       // target, body
        If,         // branches: conditions + blocks, elseBody
        Repeat,     // variable in expr, body
        Return,     // optional expr
        Error,      // optional expr (message), optional number
    };
    Kind kind = Kind::Expression;
    ExprPtr expr;
    ExprPtr target;
    ExprPtr number;
    QString variable;
    Block body;
    std::vector<ExprPtr> conditions;
    std::vector<Block> branches;
    Block elseBody;
    bool hasElse = false;
    int start = 0;
    int end = 0;
};

// `on name()` … `end name`: a handler without parameters, defined at the top level of a script.
struct Handler {
    QString name; // lower case
    Block body;
};

struct Script {
    QString source;
    Block body;
    std::vector<Handler> handlers;
};

} // namespace orbix::c1sim
