#pragma once
// A private Capture One Simulator catalog for one test: ORBIX_C1SIM_CATALOG points at a temporary file for
// the test's lifetime, and the helpers reset, change and read it through the real orbix-c1sim program.

#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

namespace orbix::test {

class SimulatorSession {
public:
    // `program` is the orbix-c1sim executable.
    explicit SimulatorSession(QString program);

    const QString& program() const { return program_; }
    QString catalogPath() const { return folder_.filePath(QStringLiteral("catalog.json")); }

    // Runs an orbix-c1sim command on this catalog; returns its standard output (empty on failure, which
    // also fails the current test).
    QString command(const QStringList& arguments);
    QJsonObject dump();
    QJsonArray variants();
    // The variant whose file path ends with `fileName`, or an empty object.
    QJsonObject variantWithFile(const QString& fileName);

private:
    QString program_;
    QTemporaryDir folder_;
    ScopedEnvironment catalogVariable_;
};

} // namespace orbix::test
