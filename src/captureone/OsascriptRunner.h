#pragma once
// Runs scripts with an osascript-compatible program (osascript on macOS, the bundled Capture One Simulator
// elsewhere): the script goes to standard input, the result comes from standard output, errors from the
// "execution error" / "syntax error" lines on standard error.

#include "captureone/ScriptRunner.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <optional>

namespace orbix {

class OsascriptRunner final : public QObject, public ScriptRunner {
    Q_OBJECT
public:
    // Capture One can hang on a modal dialog; Apple events themselves give up after two minutes, so a
    // script gets the same bound before it is stopped.
    static constexpr std::chrono::milliseconds defaultTimeout{std::chrono::seconds(120)};

    // ORBIX_OSASCRIPT when set, else /usr/bin/osascript on macOS and the simulator's program elsewhere.
    static QString defaultProgram();

    explicit OsascriptRunner(QString program = defaultProgram(),
                             std::chrono::milliseconds timeout = defaultTimeout, QObject* parent = nullptr);
    ~OsascriptRunner() override;

    void run(const QString& script, Completion completion) override;

    // Parses a finished run's output streams into an outcome (exit status 0 means success).
    static ScriptOutcome outcomeFrom(int exitCode, const QByteArray& standardOutput,
                                     const QByteArray& standardError);

private:
    QString program_;
    std::chrono::milliseconds timeout_;
};

} // namespace orbix
