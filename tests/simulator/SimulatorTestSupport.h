#pragma once
// Helpers for the simulator's tests: the script texts Orbix sends (filled in as its builder fills them),
// an in-process runner over an in-memory catalog, and a runner for the real orbix-c1sim program.

#include "engine/Catalog.h"
#include "engine/ScriptError.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace orbix::c1sim::test {

// The per-variant template: the target block (selection, or the given paths), the loop with the body
// statements, then the return line.
QString perVariantScript(const QStringList& body, const QString& returnLine,
                         const QStringList& targetPaths = {},
                         const QString& applicationName = QStringLiteral("Capture One"));
QString quoted(const QString& text); // an AppleScript string literal
QString statusScript();
QString processScript();
QString copyAdjustmentsScript();
QString importScript(const QString& folder);

// The Capture One names that in-process runs treat as installed: "Capture One", "Capture One 22",
// "Capture One 23" and "Capture One Beta" (any case).
bool isTestCaptureOneName(const QString& name);

struct InProcessRun {
    std::optional<QString> result; // the human-readable result
    std::optional<ScriptError> error;
};
// Parses and runs a script against the catalog, which it changes in place.
InProcessRun runScript(Catalog& catalog, const QString& source);

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};
// Runs orbix-c1sim with the arguments (the catalog first when given) and the standard input.
ProgramRun runProgram(const QStringList& arguments, const QByteArray& input = {}, const QString& catalog = {});
// The `dump` of a catalog file.
QJsonObject dump(const QString& catalog);
QString programPath();
QString bundlePath();

} // namespace orbix::c1sim::test
