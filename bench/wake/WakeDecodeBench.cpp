// Decode speed of the wake recogniser on speech: espeak-ng sentences (everyday speech and wake commands)
// fed through the real decoder in microphone-sized buffers. The "realtime" counter is seconds of audio
// decoded per second of one core; its inverse is the real-time factor (goal: at most 0.05, so at least 20).
#include "platform/espeak/EspeakEngine.h"
#include "platform/pocketsphinx/WakePhraseDecoder.h"
#include "voice/AudioConversion.h"

#include <benchmark/benchmark.h>
#include <cstring>

using namespace orbix;

namespace {

// The sentences at 16 kHz, each followed by a second of silence.
std::vector<qint16> spokenCorpus() {
    const char* sentences[] = {
        "Hey Orbix, set rating to three.",
        "We walked along the river and talked about the old house and its garden.",
        "Hey Orbix, reduce shadows by twenty.",
        "The results of the meeting will be sent to everyone by the end of the week.",
        "Hey Orbix.",
        "It rained all afternoon, so the children stayed inside and played cards.",
    };
    std::vector<qint16> corpus;
    const std::atomic<bool> notCancelled = false;
    for (const char* sentence : sentences) {
        const EspeakSynthesis speech =
            EspeakEngine::synthesize(QString::fromLatin1(sentence), {}, notCancelled);
        if (speech.error || speech.samples.empty()) {
            return {};
        }
        auto converter =
            CaptureConverter::create({speech.sampleRate, 1, AudioSampleType::int16}, recognitionSampleRate);
        QByteArray input(reinterpret_cast<const char*>(speech.samples.data()),
                         qsizetype(speech.samples.size() * 2));
        input.append(QByteArray(speech.sampleRate * 2, '\0'));
        const QByteArray pcm = converter->convert(CapturedAudio{input});
        const size_t at = corpus.size();
        corpus.resize(at + size_t(pcm.size() / 2));
        std::memcpy(corpus.data() + at, pcm.constData(), size_t(pcm.size()));
    }
    return corpus;
}

void BM_DecodeSpeech(benchmark::State& state) {
    static const std::vector<qint16> corpus = spokenCorpus();
    QString error;
    auto decoder = WakePhraseDecoder::create(PocketsphinxModel::installed(), {}, &error);
    if (corpus.empty() || !decoder) {
        state.SkipWithError(corpus.empty() ? "espeak-ng could not synthesise the corpus" : qPrintable(error));
        return;
    }
    // Buffers of 2048 frames at 48 kHz, as the microphone delivers them.
    constexpr size_t buffer = 2048 / 3;
    std::vector<DecodedUtterance> ended;
    for (auto _ : state) {
        decoder->reset();
        ended.clear();
        for (size_t at = 0; at < corpus.size(); at += buffer) {
            decoder->feed(std::span(corpus).subspan(at, std::min(buffer, corpus.size() - at)), ended);
        }
        decoder->finish(ended);
        benchmark::DoNotOptimize(ended.data());
    }
    state.counters["realtime"] =
        benchmark::Counter(double(corpus.size()) / recognitionSampleRate * double(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["utterances"] = double(ended.size());
}
BENCHMARK(BM_DecodeSpeech)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
