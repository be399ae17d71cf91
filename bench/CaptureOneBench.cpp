// Typed-command hot path: parse a command, look up its adjustment, build the script text.
#include "captureone/CaptureOneCapabilities.h"
#include "captureone/CaptureOneCommandParser.h"
#include "captureone/CaptureOneScripts.h"

#include <benchmark/benchmark.h>

using namespace orbix;

static void ParseAndBuildSliderScript(benchmark::State& state) {
    const QString prompt = QStringLiteral("capture one: reduce the shadows by 20 please");
    if (!CaptureOneCommandParser::parse(prompt, false)) {
        state.SkipWithError("the prompt is not a command");
        return;
    }
    for (auto _ : state) {
        const auto command = CaptureOneCommandParser::parse(prompt, false);
        const auto definition = CaptureOneCapabilities::adjustment(command->text);
        const auto value =
            CaptureOneCapabilities::valueExpression(*definition, QString::number(command->number));
        const QString statement = QStringLiteral("set %1 of adjustments of aVariant to ((%1 of adjustments of "
                                                 "aVariant) + %2)")
                                      .arg(definition->property, *value);
        benchmark::DoNotOptimize(CaptureOneScripts::perVariantScript(
            {}, {statement}, CaptureOneScripts::countReturnLine(QStringLiteral("Adjusted shadows on "))));
    }
}
BENCHMARK(ParseAndBuildSliderScript);

static void RegistryLookup(benchmark::State& state) {
    const QStringList names{"Exposure", "b&w magenta", "moire pattern", "no such slider"};
    qsizetype index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CaptureOneCapabilities::adjustment(names[index++ % names.size()]));
    }
}
BENCHMARK(RegistryLookup);

BENCHMARK_MAIN();
