#pragma once
// Walks a parsed script: variables, tell targets, control flow and operators; property access and
// commands go to the ApplicationHost. Bounded in work and memory so that no script can hang or exhaust
// the process.

#include "engine/ApplicationHost.h"
#include "engine/ScriptError.h"
#include "engine/ScriptSyntax.h"

#include <QHash>
#include <optional>

namespace orbix::c1sim {

struct InterpreterLimits {
    qint64 maxSteps = 20'000'000;     // statements and expressions evaluated
    qint64 maxValueUnits = 1'000'000; // list items, record fields and text (per 16 characters) created
    int maxListNesting = 64;
    int maxCallDepth = 64; // handler calls in progress at once
    qsizetype maxTextLength = 8 * 1024 * 1024;
};

struct ScriptOutcome {
    std::optional<Value> result; // none when the script produced no result
    std::optional<ScriptError> error;
};

class ScriptInterpreter {
public:
    explicit ScriptInterpreter(ApplicationHost& host, InterpreterLimits limits = {});

    ScriptOutcome run(const Script& script);

private:
    struct ReturnSignal {
        std::optional<Value> value;
    };

    void execBlock(const Block& block);
    void exec(const Stmt& stmt);
    void execStatement(const Stmt& stmt);
    void assign(const Expr& target, const Value& value);
    Value eval(const Expr& expr);
    Value evalExpression(const Expr& expr);
    Value evalBinary(const Expr& expr);
    Value evalCommand(const Expr& expr);
    Value evalProperty(const Expr& expr);
    Value callHandler(const Expr& expr);
    Value tellTarget(const Expr& expr) const;
    Value contained(const Value& value); // a deep copy charged to the budget, nesting checked
    bool truth(const Value& value) const;
    void step();
    void charge(qint64 units);

    ApplicationHost& host_;
    InterpreterLimits limits_;
    QHash<QString, Value> variables_;
    std::vector<Value> tellTargets_;
    std::optional<Value> lastResult_;
    const std::vector<Handler>* handlers_ = nullptr;
    int callDepth_ = 0;
    qint64 steps_ = 0;
    qint64 units_ = 0;
};

} // namespace orbix::c1sim
