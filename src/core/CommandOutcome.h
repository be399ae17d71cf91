#pragma once
// How a command for Capture One ended, as a value the callers decide on; the sentence that goes with it is
// for people only.

#include "core/ChangeRecord.h"

#include <QString>
#include <optional>

namespace orbix {

struct CommandStatus {
    enum class Kind {
        success,         // the command ran (or the answer needed no script)
        captureOneError, // the script ran and Capture One reported an error (errorNumber when it gave one)
        notRunning,   // no answer from Capture One: none installed, it could not be started or did not answer
        notSupported, // the selected version (or Orbix's registry) does not offer what was asked
        refused,      // Orbix refused the request before anything ran
    };
    Kind kind = Kind::success;
    std::optional<int> errorNumber;

    bool succeeded() const { return kind == Kind::success; }

    friend bool operator==(const CommandStatus&, const CommandStatus&) = default;
};

// A command's status with the one line of text that says what happened.
struct CommandOutcome {
    CommandStatus status;
    QString text;
    // What the command changed, read from Capture One; none when it wrote nothing Orbix can read.
    std::optional<ChangeRecord> change = std::nullopt;

    static CommandOutcome success(const QString& text) { return {{CommandStatus::Kind::success, {}}, text}; }
    static CommandOutcome refused(const QString& text) { return {{CommandStatus::Kind::refused, {}}, text}; }
    static CommandOutcome notSupported(const QString& text) {
        return {{CommandStatus::Kind::notSupported, {}}, text};
    }
    static CommandOutcome notRunning(const QString& text) {
        return {{CommandStatus::Kind::notRunning, {}}, text};
    }
    static CommandOutcome captureOneError(const QString& text, std::optional<int> number) {
        return {{CommandStatus::Kind::captureOneError, number}, text};
    }

    friend bool operator==(const CommandOutcome&, const CommandOutcome&) = default;
};

} // namespace orbix
