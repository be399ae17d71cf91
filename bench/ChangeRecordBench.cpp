// What reading before and after costs: each writing action's script alone, then the same script wrapped
// with the reads that make its change record (one run either way), through OsascriptRunner and orbix-c1sim
// on a 1,000-variant catalog, two photos targeted by path as the tray does.
#include "captureone/CaptureOneCapabilities.h"
#include "captureone/CaptureOneScripts.h"
#include "captureone/ChangeScripts.h"
#include "captureone/OsascriptRunner.h"
#include "engine/Catalog.h"
#include "engine/CatalogStore.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace orbix;
using Kind = RecordedProperty::Kind;

constexpr int variantCount = 1000;
const QStringList targets{QStringLiteral("/Sample Photos/IMG_0500.CR3"),
                          QStringLiteral("/Sample Photos/IMG_0999.CR3")};

struct Action {
    QString write;
    QList<RecordedProperty> properties;
};

QString perVariant(const QString& statement) {
    return CaptureOneScripts::perVariantScript(targets, {statement},
                                               CaptureOneScripts::countReturnLine(QStringLiteral("Done on ")));
}

QList<RecordedProperty> allAdjustments() {
    QList<RecordedProperty> properties;
    for (const CaptureOneAdjustmentDefinition& definition : CaptureOneCapabilities::adjustmentDefinitions()) {
        properties << *changescripts::adjustmentProperty(definition.property);
    }
    return properties;
}

Action action(int index) {
    switch (index) {
    case 0:
        return {perVariant(QStringLiteral("set rating of aVariant to 4")),
                {changescripts::variantProperty(QStringLiteral("rating"), Kind::number)}};
    case 1:
        return {perVariant(QStringLiteral("set exposure of adjustments of aVariant to 0.5")),
                {*changescripts::adjustmentProperty(QStringLiteral("exposure"))}};
    case 2:
        return {perVariant(QStringLiteral("rotate left aVariant")),
                {changescripts::variantProperty(QStringLiteral("orientation"), Kind::number)}};
    default:
        return {perVariant(QStringLiteral("autoadjust aVariant")), allAdjustments()};
    }
}

struct Fixture {
    QTemporaryDir dir;
    QString catalog = dir.filePath(QStringLiteral("catalog.json"));
    Fixture() {
        c1sim::CatalogStore store(catalog);
        QString reason;
        store.lock(&reason);
        store.save(c1sim::Catalog::withVariants(variantCount), &reason);
        qputenv("ORBIX_C1SIM_CATALOG", catalog.toUtf8());
    }
};

void run(benchmark::State& state, bool recorded) {
    static Fixture fixture;
    const Action chosen = action(int(state.range(0)));
    const QString script =
        recorded ? changescripts::recordedScript(chosen.write, targets, chosen.properties) : chosen.write;
    OsascriptRunner runner(QStringLiteral(ORBIX_C1SIM_PROGRAM));
    for (auto _ : state) {
        QEventLoop loop;
        ScriptOutcome outcome;
        runner.run(script, [&](const ScriptOutcome& result) {
            outcome = result;
            loop.quit();
        });
        loop.exec();
        if (outcome.status != ScriptOutcome::Status::success) {
            state.SkipWithError("the script failed");
            break;
        }
    }
}

void BM_WriteAlone(benchmark::State& state) {
    run(state, false);
}
void BM_WriteWithReads(benchmark::State& state) {
    run(state, true);
}

// 0 rating, 1 exposure, 2 rotate, 3 auto adjust (every adjustment read).
BENCHMARK(BM_WriteAlone)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteWithReads)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
