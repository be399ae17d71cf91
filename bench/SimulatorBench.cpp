// The Capture One Simulator's cost: one script's round trip through OsascriptRunner and orbix-c1sim on a
// 1,000-variant catalog, next to the same runner spawning a trivial program (/bin/true); plus the
// in-process parts (parse + run, catalog load + save) that explain the difference.
#include "captureone/CaptureOneScripts.h"
#include "captureone/OsascriptRunner.h"
#include "engine/Catalog.h"
#include "engine/CatalogStore.h"
#include "engine/InstalledApplications.h"
#include "engine/ScriptInterpreter.h"
#include "engine/ScriptParser.h"
#include "engine/SimulatedApplication.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kVariants = 1000;
const QString kTrivialProgram = QStringLiteral("/bin/true");

// The scripts exactly as Orbix builds them.
const QString kStatusScript = orbix::CaptureOneScripts::statusScript();
// Targets two photos by path: the loop walks all 1,000 variants of the document.
const QString kTargetedAdjustmentScript = orbix::CaptureOneScripts::perVariantScript(
    {QStringLiteral("/Sample Photos/IMG_0500.CR3"), QStringLiteral("/Sample Photos/IMG_0999.CR3")},
    {QStringLiteral("set exposure of adjustments of aVariant to 0.5")},
    orbix::CaptureOneScripts::countReturnLine(QStringLiteral("Adjusted exposure on ")));

struct Fixture {
    QTemporaryDir dir;
    QString catalog = dir.filePath(QStringLiteral("catalog.json"));
    Fixture() {
        orbix::c1sim::CatalogStore store(catalog);
        QString reason;
        store.lock(&reason);
        store.save(orbix::c1sim::Catalog::withVariants(kVariants), &reason);
        qputenv("ORBIX_C1SIM_CATALOG", catalog.toUtf8());
    }
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void roundTrip(benchmark::State& state, const QString& program, const QString& script) {
    fixture();
    orbix::OsascriptRunner runner(program);
    for (auto _ : state) {
        QEventLoop loop;
        orbix::ScriptOutcome outcome;
        runner.run(script, [&](const orbix::ScriptOutcome& result) {
            outcome = result;
            loop.quit();
        });
        loop.exec();
        if (outcome.status != orbix::ScriptOutcome::Status::success) {
            state.SkipWithError("the script failed");
            break;
        }
    }
}

void BM_RunnerTrivialProgram(benchmark::State& state) {
    roundTrip(state, kTrivialProgram, kStatusScript);
}
void BM_RunnerSimulatorStatus(benchmark::State& state) {
    roundTrip(state, QStringLiteral(ORBIX_C1SIM_PROGRAM), kStatusScript);
}
void BM_RunnerSimulatorTargetedAdjustment(benchmark::State& state) {
    roundTrip(state, QStringLiteral(ORBIX_C1SIM_PROGRAM), kTargetedAdjustmentScript);
}

void BM_InterpretTargetedAdjustment(benchmark::State& state) {
    using namespace orbix::c1sim;
    const Catalog original = Catalog::withVariants(kVariants);
    const Script script = std::get<Script>(parseScript(kTargetedAdjustmentScript));
    for (auto _ : state) {
        Catalog catalog = original;
        SimulatedApplication application([&]() -> Catalog& { return catalog; }, &isInstalledCaptureOneName);
        ScriptInterpreter interpreter(application);
        benchmark::DoNotOptimize(interpreter.run(script));
    }
}

void BM_CatalogLoadAndSave(benchmark::State& state) {
    using namespace orbix::c1sim;
    CatalogStore store(fixture().catalog);
    QString reason;
    store.lock(&reason);
    for (auto _ : state) {
        auto catalog = store.load(&reason);
        store.save(*catalog, &reason);
    }
}

void BM_CatalogParse(benchmark::State& state) {
    using namespace orbix::c1sim;
    const QByteArray text = Catalog::withVariants(kVariants).toCompactJson();
    for (auto _ : state) {
        QString reason;
        benchmark::DoNotOptimize(Catalog::fromJson(QJsonDocument::fromJson(text).object(), &reason));
    }
    state.counters["bytes"] = double(text.size());
}

void BM_CatalogSerialize(benchmark::State& state) {
    using namespace orbix::c1sim;
    const Catalog catalog = Catalog::withVariants(kVariants);
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog.toCompactJson());
}

constexpr int kRepetitions = 7;
BENCHMARK(BM_RunnerTrivialProgram)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(BM_RunnerSimulatorStatus)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(BM_RunnerSimulatorTargetedAdjustment)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(BM_InterpretTargetedAdjustment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogLoadAndSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogSerialize)->Unit(benchmark::kMillisecond);

} // namespace
