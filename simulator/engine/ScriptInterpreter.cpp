#include "engine/ScriptInterpreter.h"

#include <cmath>
#include <limits>

namespace orbix::c1sim {
namespace {

const QString kVariableNotDefined = QStringLiteral("The variable %1 is not defined.");
const QString kCantMake = QStringLiteral("Can’t make %1 into type %2.");
const QString kCantGet = QStringLiteral("Can’t get %1 of %2.");
const QString kCantGetEnd = QStringLiteral("Can’t get end of %1.");
const QString kCantSet = QStringLiteral("Can’t set %1 to %2.");
const QString kCantCount = QStringLiteral("Can’t get count of %1.");
const QString kCantDivide = QStringLiteral("Can’t divide %1 by zero.");
const QString kCantContinue = QStringLiteral("Can’t continue %1.");
const QString kOutOfMemory = QStringLiteral("Out of memory.");
const QString kTooLong = QStringLiteral("The script ran too long and was stopped.");
const QString kTooDeep = QStringLiteral("Lists are nested too deeply.");
constexpr int kStackOverflow = -2706;

ScriptError error(const QString& message, int number) {
    return ScriptError{message, number};
}

int nestingDepth(const Value& value) {
    int deepest = 0;
    if (value.is<ListPtr>()) {
        for (const Value& item : value.items()) {
            deepest = std::max(deepest, nestingDepth(item));
        }
        return deepest + 1;
    }
    if (value.is<std::shared_ptr<Record>>()) {
        for (const auto& field : value.record()) {
            deepest = std::max(deepest, nestingDepth(field.second));
        }
        return deepest + 1;
    }
    return 0;
}

std::optional<double> numberFrom(const Value& value) {
    if (value.isNumber()) {
        return value.toDouble();
    }
    if (value.is<QString>()) {
        bool ok = false;
        const double number = value.as<QString>().trimmed().toDouble(&ok);
        if (ok && std::isfinite(number)) {
            return number;
        }
    }
    return std::nullopt;
}

// Integers stay integers while the arithmetic fits; text that reads as a number is coerced.
Value numericOperand(const Value& value) {
    if (value.isNumber()) {
        return value;
    }
    if (value.is<QString>()) {
        bool ok = false;
        const qint64 integer = value.as<QString>().trimmed().toLongLong(&ok);
        if (ok) {
            return Value(integer);
        }
    }
    if (const auto number = numberFrom(value)) {
        return Value(*number);
    }
    throw error(kCantMake.arg(sourceText(value), QStringLiteral("number")), errnum::kCantMake);
}

Value realResult(double value) {
    if (!std::isfinite(value)) {
        throw error(QStringLiteral("The result of a numeric operation was too large."), -2702);
    }
    return Value(value);
}

Value arithmetic(const QString& op, const Value& leftValue, const Value& rightValue) {
    const Value left = numericOperand(leftValue);
    const Value right = numericOperand(rightValue);
    const bool integers = left.is<qint64>() && right.is<qint64>();
    if (op == u"/") {
        if (right.toDouble() == 0) {
            throw error(kCantDivide.arg(sourceText(left)), errnum::kDivideByZero);
        }
        return realResult(left.toDouble() / right.toDouble());
    }
    if (op == u"div" || op == u"mod") {
        if (right.toDouble() == 0) {
            throw error(kCantDivide.arg(sourceText(left)), errnum::kDivideByZero);
        }
        if (integers) {
            const qint64 a = left.as<qint64>();
            const qint64 b = right.as<qint64>();
            if (a == std::numeric_limits<qint64>::min() && b == -1) {
                return op == u"div" ? realResult(-double(a)) : Value(qint64(0));
            }
            return op == u"div" ? Value(a / b) : Value(a % b);
        }
        const double quotient = std::trunc(left.toDouble() / right.toDouble());
        if (op == u"div") {
            if (std::fabs(quotient) < 9.0e15) {
                return Value(qint64(quotient));
            }
            return realResult(quotient);
        }
        return realResult(std::fmod(left.toDouble(), right.toDouble()));
    }
    if (integers) {
        qint64 result = 0;
        const qint64 a = left.as<qint64>();
        const qint64 b = right.as<qint64>();
        bool overflow = false;
        if (op == u"+") {
            overflow = __builtin_add_overflow(a, b, &result);
        } else if (op == u"-") {
            overflow = __builtin_sub_overflow(a, b, &result);
        } else {
            overflow = __builtin_mul_overflow(a, b, &result);
        }
        if (!overflow) {
            return Value(result);
        }
    }
    const double a = left.toDouble();
    const double b = right.toDouble();
    if (op == u"+") {
        return realResult(a + b);
    }
    if (op == u"-") {
        return realResult(a - b);
    }
    return realResult(a * b);
}

int compareOrdered(const Value& left, const Value& right) {
    if (left.is<QString>() && right.is<QString>()) {
        return left.as<QString>().compare(right.as<QString>(), Qt::CaseInsensitive);
    }
    const auto a = numberFrom(left);
    if (!a) {
        throw error(kCantMake.arg(sourceText(left), QStringLiteral("number")), errnum::kCantMake);
    }
    const auto b = numberFrom(right);
    if (!b) {
        throw error(kCantMake.arg(sourceText(right), QStringLiteral("number")), errnum::kCantMake);
    }
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

bool contains(const Value& container, const Value& part) {
    if (container.is<ListPtr>()) {
        const List& items = container.items();
        if (!part.is<ListPtr>()) {
            for (const Value& item : items) {
                if (valuesEqual(item, part)) {
                    return true;
                }
            }
            return false;
        }
        const List& sequence = part.items();
        if (sequence.empty()) {
            return true;
        }
        for (size_t i = 0; i + sequence.size() <= items.size(); ++i) {
            bool all = true;
            for (size_t k = 0; k < sequence.size() && all; ++k) {
                all = valuesEqual(items[i + k], sequence[k]);
            }
            if (all) {
                return true;
            }
        }
        return false;
    }
    if (container.is<QString>()) {
        const auto text = coerceToText(part);
        if (!text) {
            throw error(kCantMake.arg(sourceText(part), QStringLiteral("text")), errnum::kCantMake);
        }
        return container.as<QString>().contains(*text, Qt::CaseInsensitive);
    }
    if (container.is<std::shared_ptr<Record>>() && part.is<std::shared_ptr<Record>>()) {
        for (const auto& [label, value] : part.record()) {
            bool found = false;
            for (const auto& [ownLabel, ownValue] : container.record()) {
                found = found || (ownLabel == label && valuesEqual(ownValue, value));
            }
            if (!found) {
                return false;
            }
        }
        return true;
    }
    throw error(kCantMake.arg(sourceText(container), QStringLiteral("list")), errnum::kCantMake);
}

} // namespace

ScriptInterpreter::ScriptInterpreter(ApplicationHost& host, InterpreterLimits limits)
    : host_(host), limits_(limits) {}

ScriptOutcome ScriptInterpreter::run(const Script& script) {
    ScriptOutcome outcome;
    handlers_ = &script.handlers;
    try {
        execBlock(script.body);
        outcome.result = lastResult_;
    } catch (const ReturnSignal& signal) {
        outcome.result = signal.value;
    } catch (const ScriptError& failure) {
        outcome.error = failure;
    }
    return outcome;
}

void ScriptInterpreter::step() {
    if (++steps_ > limits_.maxSteps) {
        throw error(kTooLong, errnum::kUnknown);
    }
}

void ScriptInterpreter::charge(qint64 units) {
    units_ += units;
    if (units_ > limits_.maxValueUnits) {
        throw error(kOutOfMemory, errnum::kOutOfMemory);
    }
}

Value ScriptInterpreter::contained(const Value& value) {
    if (!value.is<ListPtr>() && !value.is<std::shared_ptr<Record>>()) {
        return value;
    }
    if (nestingDepth(value) >= limits_.maxListNesting) {
        throw error(kTooDeep, errnum::kOutOfMemory);
    }
    charge(value.weight());
    return value.deepCopy();
}

bool ScriptInterpreter::truth(const Value& value) const {
    if (!value.is<bool>()) {
        throw error(kCantMake.arg(sourceText(value), QStringLiteral("boolean")), errnum::kCantMake);
    }
    return value.as<bool>();
}

void ScriptInterpreter::execBlock(const Block& block) {
    for (const StmtPtr& stmt : block) {
        exec(*stmt);
    }
}

void ScriptInterpreter::exec(const Stmt& stmt) {
    try {
        execStatement(stmt);
    } catch (ScriptError& failure) {
        if (!failure.hasRange()) {
            failure.start = stmt.start;
            failure.end = stmt.end;
        }
        throw;
    }
}

void ScriptInterpreter::execStatement(const Stmt& stmt) {
    step();
    switch (stmt.kind) {
    case Stmt::Kind::Expression: {
        Value value = eval(*stmt.expr);
        if (value.isMissing()) {
            lastResult_.reset();
        } else {
            lastResult_ = std::move(value);
        }
        return;
    }
    case Stmt::Kind::Set: {
        Value value = eval(*stmt.expr);
        assign(*stmt.target, value);
        lastResult_ = std::move(value);
        return;
    }
    case Stmt::Kind::Tell: {
        Value target = eval(*stmt.target);
        tellTargets_.push_back(std::move(target));
        try {
            execBlock(stmt.body);
        } catch (...) {
            tellTargets_.pop_back();
            throw;
        }
        tellTargets_.pop_back();
        return;
    }
    case Stmt::Kind::If:
        for (size_t i = 0; i < stmt.conditions.size(); ++i) {
            if (truth(eval(*stmt.conditions[i]))) {
                execBlock(stmt.branches[i]);
                return;
            }
        }
        if (stmt.hasElse) {
            execBlock(stmt.elseBody);
        }
        return;
    case Stmt::Kind::Repeat: {
        const Value source = eval(*stmt.expr);
        const List items = source.is<ListPtr>() ? source.items() : List{source};
        for (const Value& item : items) {
            step();
            variables_.insert(stmt.variable, item);
            execBlock(stmt.body);
        }
        return;
    }
    case Stmt::Kind::Return: {
        std::optional<Value> value;
        if (stmt.expr) {
            value = eval(*stmt.expr);
        }
        throw ReturnSignal{std::move(value)};
    }
    case Stmt::Kind::Error: {
        QString message = QStringLiteral("An error of type -2700 has occurred.");
        int number = errnum::kUnknown;
        if (stmt.number) {
            const Value value = eval(*stmt.number);
            const auto parsed = numberFrom(value);
            if (!parsed || *parsed != std::trunc(*parsed) || std::fabs(*parsed) > 2147483647.0) {
                throw error(kCantMake.arg(sourceText(value), QStringLiteral("integer")), errnum::kCantMake);
            }
            number = int(*parsed);
            message = QStringLiteral("An error of type %1 has occurred.").arg(number);
        }
        if (stmt.expr) {
            const Value value = eval(*stmt.expr);
            const auto text = coerceToText(value);
            if (!text) {
                throw error(kCantMake.arg(sourceText(value), QStringLiteral("text")), errnum::kCantMake);
            }
            message = *text;
        }
        ScriptError raised{message, number, stmt.start, stmt.end};
        throw raised;
    }
    }
}

Value ScriptInterpreter::tellTarget(const Expr& expr) const {
    for (auto it = tellTargets_.rbegin(); it != tellTargets_.rend(); ++it) {
        if (it->is<ObjectRef>()) {
            return *it;
        }
    }
    if (!tellTargets_.empty()) {
        return tellTargets_.back();
    }
    throw error(kVariableNotDefined.arg(expr.spelling.isEmpty() ? expr.name : expr.spelling),
                errnum::kVariableNotDefined);
}

void ScriptInterpreter::assign(const Expr& target, const Value& value) {
    switch (target.kind) {
    case Expr::Kind::Variable:
        variables_.insert(target.name, value);
        return;
    case Expr::Kind::EndOf: {
        const Value list = eval(*target.children[0]);
        if (!list.is<ListPtr>()) {
            throw error(kCantSet.arg(QStringLiteral("end of ") + sourceText(list), sourceText(value)),
                        errnum::kCantSet);
        }
        Value item = contained(value);
        if (nestingDepth(item) + 1 >= limits_.maxListNesting) {
            throw error(kTooDeep, errnum::kOutOfMemory);
        }
        charge(1);
        list.mutableItems().push_back(std::move(item));
        return;
    }
    case Expr::Kind::Property: {
        const Value object = target.children.empty() ? tellTarget(target) : eval(*target.children[0]);
        if (!object.is<ObjectRef>()) {
            throw error(
                kCantSet.arg(target.spelling + QStringLiteral(" of ") + sourceText(object), sourceText(value)),
                errnum::kCantSet);
        }
        step();
        host_.setProperty(object.as<ObjectRef>(), target.name, value);
        return;
    }
    default:
        throw error(QStringLiteral("Can’t set that."), errnum::kCantSet);
    }
}

Value ScriptInterpreter::eval(const Expr& expr) {
    try {
        return evalExpression(expr);
    } catch (ScriptError& failure) {
        if (!failure.hasRange()) {
            failure.start = expr.start;
            failure.end = expr.end;
        }
        throw;
    }
}

Value ScriptInterpreter::evalExpression(const Expr& expr) {
    step();
    switch (expr.kind) {
    case Expr::Kind::Literal:
        return expr.value;
    case Expr::Kind::ListLiteral: {
        List items;
        items.reserve(expr.children.size());
        for (const ExprPtr& child : expr.children) {
            items.push_back(contained(eval(*child)));
        }
        charge(qint64(items.size()) + 1);
        Value list = Value::list(std::move(items));
        if (nestingDepth(list) >= limits_.maxListNesting) {
            throw error(kTooDeep, errnum::kOutOfMemory);
        }
        return list;
    }
    case Expr::Kind::RecordLiteral: {
        Record record;
        for (size_t i = 0; i < expr.children.size(); ++i) {
            record.emplace_back(expr.labels[i], contained(eval(*expr.children[i])));
        }
        charge(qint64(record.size()) + 1);
        Value value(std::move(record));
        if (nestingDepth(value) >= limits_.maxListNesting) {
            throw error(kTooDeep, errnum::kOutOfMemory);
        }
        return value;
    }
    case Expr::Kind::Variable: {
        const auto found = variables_.constFind(expr.name);
        if (found == variables_.constEnd()) {
            throw error(kVariableNotDefined.arg(expr.spelling), errnum::kVariableNotDefined);
        }
        return *found;
    }
    case Expr::Kind::Property:
        return evalProperty(expr);
    case Expr::Kind::HandlerCall:
        return callHandler(expr);
    case Expr::Kind::EndOf: {
        const Value list = eval(*expr.children[0]);
        if (!list.is<ListPtr>() || list.items().empty()) {
            throw error(kCantGetEnd.arg(sourceText(list)), errnum::kCantGet);
        }
        return list.items().back();
    }
    case Expr::Kind::Unary: {
        const Value operand = eval(*expr.children[0]);
        if (expr.name == u"not") {
            return Value(!truth(operand));
        }
        const Value number = numericOperand(operand);
        if (number.is<qint64>() && number.as<qint64>() != std::numeric_limits<qint64>::min()) {
            return Value(-number.as<qint64>());
        }
        return Value(-number.toDouble());
    }
    case Expr::Kind::Binary:
        return evalBinary(expr);
    case Expr::Kind::Count: {
        const Value operand = eval(*expr.children[0]);
        if (operand.is<ListPtr>()) {
            return Value(qint64(operand.items().size()));
        }
        if (operand.is<QString>()) {
            return Value(qint64(operand.as<QString>().size()));
        }
        if (operand.is<std::shared_ptr<Record>>()) {
            return Value(qint64(operand.record().size()));
        }
        throw error(kCantCount.arg(sourceText(operand)), errnum::kCantGet);
    }
    case Expr::Kind::Exists:
        try {
            return Value(!eval(*expr.children[0]).isMissing());
        } catch (const ScriptError& failure) {
            if (failure.number == errnum::kCantGet) {
                return Value(false);
            }
            throw;
        }
    case Expr::Kind::PosixPath: {
        const Value operand = eval(*expr.children[0]);
        if (operand.is<FileRef>()) {
            return Value(operand.as<FileRef>().path);
        }
        if (operand.is<QString>()) {
            return operand;
        }
        throw error(kCantGet.arg(QStringLiteral("POSIX path"), sourceText(operand)), errnum::kCantGet);
    }
    case Expr::Kind::PosixFile: {
        const Value operand = eval(*expr.children[0]);
        if (!operand.is<QString>()) {
            throw error(kCantMake.arg(sourceText(operand), QStringLiteral("file")), errnum::kCantMake);
        }
        return Value(FileRef{operand.as<QString>()});
    }
    case Expr::Kind::Command:
        return evalCommand(expr);
    case Expr::Kind::Application: {
        const Value name = eval(*expr.children[0]);
        return Value(host_.application(name.as<QString>(), expr.byId));
    }
    }
    return Value();
}

Value ScriptInterpreter::evalProperty(const Expr& expr) {
    const Value object = expr.children.empty() ? tellTarget(expr) : eval(*expr.children[0]);
    if (object.is<ObjectRef>()) {
        return host_.property(object.as<ObjectRef>(), expr.name);
    }
    if (object.is<std::shared_ptr<Record>>()) {
        for (const auto& [label, value] : object.record()) {
            if (label.compare(expr.name, Qt::CaseInsensitive) == 0) {
                return value;
            }
        }
    }
    if (object.is<ListPtr>() && expr.name == u"length") {
        return Value(qint64(object.items().size()));
    }
    throw error(kCantGet.arg(expr.spelling, sourceText(object)), errnum::kCantGet);
}

Value ScriptInterpreter::evalBinary(const Expr& expr) {
    const QString& op = expr.name;
    if (op == u"and" || op == u"or") {
        const bool left = truth(eval(*expr.children[0]));
        if (op == u"and" && !left) {
            return Value(false);
        }
        if (op == u"or" && left) {
            return Value(true);
        }
        return Value(truth(eval(*expr.children[1])));
    }
    const Value left = eval(*expr.children[0]);
    const Value right = eval(*expr.children[1]);
    if (op == u"=") {
        return Value(valuesEqual(left, right));
    }
    if (op == u"≠") {
        return Value(!valuesEqual(left, right));
    }
    if (op == u"<") {
        return Value(compareOrdered(left, right) < 0);
    }
    if (op == u">") {
        return Value(compareOrdered(left, right) > 0);
    }
    if (op == u"<=") {
        return Value(compareOrdered(left, right) <= 0);
    }
    if (op == u">=") {
        return Value(compareOrdered(left, right) >= 0);
    }
    if (op == u"in") {
        return Value(contains(right, left));
    }
    if (op == u"not in") {
        return Value(!contains(right, left));
    }
    if (op == u"contains") {
        return Value(contains(left, right));
    }
    if (op == u"&") {
        if (left.is<QString>()) {
            const auto text = coerceToText(right);
            if (!text) {
                throw error(kCantMake.arg(sourceText(right), QStringLiteral("text")), errnum::kCantMake);
            }
            const qsizetype length = left.as<QString>().size() + text->size();
            if (length > limits_.maxTextLength) {
                throw error(kOutOfMemory, errnum::kOutOfMemory);
            }
            charge(length / 16 + 1);
            return Value(left.as<QString>() + *text);
        }
        if (left.is<std::shared_ptr<Record>>() && right.is<std::shared_ptr<Record>>()) {
            Record merged = contained(left).record();
            for (const auto& [label, value] : right.record()) {
                bool present = false;
                for (const auto& field : merged) {
                    present = present || field.first == label;
                }
                if (!present) {
                    merged.emplace_back(label, contained(value));
                }
            }
            charge(qint64(merged.size()));
            return Value(std::move(merged));
        }
        List items = left.is<ListPtr>() ? contained(left).items() : List{contained(left)};
        if (right.is<ListPtr>()) {
            for (const Value& item : right.items()) {
                items.push_back(contained(item));
            }
        } else {
            items.push_back(contained(right));
        }
        charge(qint64(items.size()));
        return Value::list(std::move(items));
    }
    return arithmetic(op, left, right);
}

// A handler runs with its own variables and outside every tell block of its caller, as in AppleScript.
Value ScriptInterpreter::callHandler(const Expr& expr) {
    const Handler* handler = nullptr;
    for (size_t i = 0; handlers_ && i < handlers_->size(); ++i) {
        if ((*handlers_)[i].name == expr.name) {
            handler = &(*handlers_)[i];
        }
    }
    if (!handler) {
        throw error(QStringLiteral("«script» doesn’t understand the “%1” message.").arg(expr.spelling),
                    errnum::kNotUnderstood);
    }
    if (callDepth_ >= limits_.maxCallDepth) {
        throw error(QStringLiteral("Stack overflow."), kStackOverflow);
    }
    QHash<QString, Value> callerVariables = std::exchange(variables_, {});
    std::vector<Value> callerTellTargets = std::exchange(tellTargets_, {});
    const auto restore = [&] {
        variables_ = std::move(callerVariables);
        tellTargets_ = std::move(callerTellTargets);
        --callDepth_;
    };
    ++callDepth_;
    std::optional<Value> result;
    try {
        execBlock(handler->body);
    } catch (ReturnSignal& signal) {
        result = std::move(signal.value);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return result ? *result : Value();
}

Value ScriptInterpreter::evalCommand(const Expr& expr) {
    std::optional<Value> direct;
    size_t next = 0;
    if (expr.hasDirect) {
        direct = eval(*expr.children[next++]);
    }
    CommandParameters parameters;
    for (const QString& label : expr.labels) {
        parameters.emplace_back(label, eval(*expr.children[next++]));
    }
    ObjectRef target;
    bool found = false;
    for (auto it = tellTargets_.rbegin(); it != tellTargets_.rend() && !found; ++it) {
        if (it->is<ObjectRef>()) {
            target = it->as<ObjectRef>();
            found = true;
        }
    }
    if (!found) {
        if (expr.name == u"activate") {
            return Value(); // activates the script's own process: nothing to do
        }
        throw error(kCantContinue.arg(expr.name), errnum::kNotUnderstood);
    }
    step();
    return host_.command(target, expr.name, direct, parameters);
}

} // namespace orbix::c1sim
