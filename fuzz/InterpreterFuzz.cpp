// Fuzzes the Capture One Simulator's interpreter: any text must parse or fail with a syntax error, and
// whatever parses must run to a result or an execution error against an in-memory catalog, within the
// interpreter's bounds, without crashing.
#include "engine/Catalog.h"
#include "engine/InstalledApplications.h"
#include "engine/ScriptInterpreter.h"
#include "engine/ScriptParser.h"
#include "engine/SimulatedApplication.h"

#include <QString>
#include <cstddef>
#include <cstdint>

using namespace orbix::c1sim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString source = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    auto parsed = parseScript(source);
    if (std::holds_alternative<ScriptError>(parsed))
        return 0;
    static const Catalog sample = Catalog::sample();
    Catalog catalog = sample;
    SimulatedApplication application([&]() -> Catalog& { return catalog; }, &isInstalledCaptureOneName);
    InterpreterLimits limits;
    limits.maxSteps = 20'000;
    limits.maxValueUnits = 50'000;
    limits.maxTextLength = 200'000;
    ScriptInterpreter interpreter(application, limits);
    const ScriptOutcome outcome = interpreter.run(std::get<Script>(parsed));
    if (outcome.result)
        (void)displayText(*outcome.result).size();
    (void)catalog.toJson(false);
    return 0;
}
