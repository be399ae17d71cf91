#pragma once
// Port: executes one AppleScript program against the scripting host and reports how it ended.
//
// Contract: run() returns at once; the completion is called exactly once, on the main thread, with the
// outcome. A runner never blocks the event loop and never leaves a child process behind: a script still
// running after the runner's bound is stopped and reported as timedOut; destroying the runner stops what
// it still runs (without calling those completions).

#include <QString>
#include <functional>
#include <optional>

namespace orbix {

struct ScriptOutcome {
    enum class Status {
        success,        // text: the script's result as text (empty when it returned nothing)
        executionError, // text: the error message, without position or number
        notPrepared,    // the script could not be compiled or the host could not be started
        timedOut,       // the host did not answer within the bound
    };
    Status status = Status::success;
    QString text;
    // executionError: the error number the host gave with the message.
    std::optional<int> errorNumber{};

    friend bool operator==(const ScriptOutcome&, const ScriptOutcome&) = default;
};

class ScriptRunner {
public:
    using Completion = std::function<void(const ScriptOutcome&)>;

    virtual ~ScriptRunner() = default;
    virtual void run(const QString& script, Completion completion) = 0;
};

} // namespace orbix
