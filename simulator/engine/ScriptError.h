#pragma once
// The one error type of the interpreter: a message, an AppleScript error number and the character range
// of the script text it belongs to.

#include <QString>

namespace orbix::c1sim {

namespace errnum {
constexpr int kUnknown = -2700; // error "…" without a number
constexpr int kDivideByZero = -2701;
constexpr int kSyntax = -2741; // every compile-time error
constexpr int kVariableNotDefined = -2753;
constexpr int kCantGet = -1728;       // no such object / property / application
constexpr int kCantMake = -1700;      // coercion failed
constexpr int kCantSet = -10006;      // a property refused a value
constexpr int kNotUnderstood = -1708; // an object does not handle a command
constexpr int kBadState = -10000;     // a command that the object's state does not allow
constexpr int kFileNotFound = -43;
constexpr int kOutOfMemory = -108;
constexpr int kCatalog = -2700; // the simulated catalog cannot be read or written
} // namespace errnum

struct ScriptError {
    QString message;
    int number = errnum::kUnknown;
    int start = -1; // character offsets into the script; -1 until the evaluator attaches a range
    int end = -1;
    bool fromApplication = false; // raised by the simulated application, not by the language

    bool hasRange() const { return start >= 0; }
};

inline ScriptError applicationError(QString message, int number) {
    ScriptError error{std::move(message), number};
    error.fromApplication = true;
    return error;
}

} // namespace orbix::c1sim
