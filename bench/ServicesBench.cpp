// Reading a model reply end to end (HTTP body -> output text -> AssistantResponse), one .env.local lookup,
// and a version comparison.
#include "services/LocalEnvironment.h"
#include "services/ProductUpdateService.h"
#include "services/ResponsesReplyReader.h"

#include <benchmark/benchmark.h>

namespace {

const QByteArray kReply = R"({"id":"resp_1","object":"response","status":"completed","output":[
{"type":"reasoning","id":"rs_1","summary":[]},
{"type":"message","id":"msg_1","role":"assistant","content":[{"type":"output_text","annotations":[],
"text":"```json\n{\"message\":\"I warmed the selected variants and lifted the shadows.\",\"action\":{\"type\":\"c1_adjust_sliders\",\"text\":\"temperature=5600, shadows=25, highlights=-15\"},\"artifact\":{\"kind\":\"markdown\",\"title\":\"Warm look\",\"body\":\"# Warm look\\n\\n- Temperature 5600 K\\n- Shadows +25\\n- Highlights -15\"}}\n```"}]}],
"usage":{"input_tokens":900,"output_tokens":120,"total_tokens":1020}})";

void BM_ReadModelReply(benchmark::State& state) {
    const orbix::HttpReply reply{200, kReply};
    for (auto _ : state) {
        const auto text = orbix::ResponsesReplyReader::outputText(reply, {QStringLiteral("sk-secret")});
        benchmark::DoNotOptimize(orbix::ResponsesReplyReader::assistantResponse(text.value()));
    }
}
BENCHMARK(BM_ReadModelReply);

void BM_EnvFileLookup(benchmark::State& state) {
    QByteArray contents;
    for (int i = 0; i < 50; ++i) {
        contents += "# setting " + QByteArray::number(i) + "\nSETTING_" + QByteArray::number(i) + "=\"value " +
                    QByteArray::number(i) + "\"\n";
    }
    contents += "ORBIX_OPENAI_API_KEY='sk-proj-abcdefghijklmnopqrstuvwxyz'\n";
    const QString name = QStringLiteral("ORBIX_OPENAI_API_KEY");
    for (auto _ : state) {
        benchmark::DoNotOptimize(orbix::LocalEnvironment::valueInContents(name, contents));
    }
}
BENCHMARK(BM_EnvFileLookup);

void BM_CompareVersions(benchmark::State& state) {
    const QString latest = QStringLiteral("12.10.3-beta");
    const QString running = QStringLiteral("12.9.17");
    for (auto _ : state) {
        benchmark::DoNotOptimize(orbix::ProductUpdateService::compareVersions(latest, running));
    }
}
BENCHMARK(BM_CompareVersions);

} // namespace

BENCHMARK_MAIN();
