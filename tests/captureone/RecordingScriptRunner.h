#pragma once
// A script runner that records every script and answers at once with a scripted outcome.

#include "captureone/ScriptRunner.h"

#include <QStringList>

namespace orbix::test {

class RecordingScriptRunner : public ScriptRunner {
public:
    void run(const QString& script, Completion completion) override {
        scripts << script;
        completion(reply);
    }
    QString lastScript() const { return scripts.isEmpty() ? QString() : scripts.last(); }

    QStringList scripts;
    ScriptOutcome reply{ScriptOutcome::Status::success, QStringLiteral("done")};
};

} // namespace orbix::test
