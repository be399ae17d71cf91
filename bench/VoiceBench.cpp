// The voice session's hot paths: converting one captured microphone buffer to the wire format (the
// "realtime" counter is seconds of audio converted per second: the goal is at least 200), handling one model
// audio event (decode and hand to the speaker), serialising the session update, and synthesising a spoken
// read-back.
#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechSynthesizer.h"
#include "voice/AudioConversion.h"
#include "voice/OpenAIRealtimeVoiceService.h"
#include "voice/RealtimeSessionPayload.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <numbers>

using namespace orbix;

namespace {

constexpr int kFrames = 2048;
constexpr int kRate = 48000;

QByteArray toneBuffer(AudioSampleType type, int offset) {
    const int bytes = type == AudioSampleType::float32 ? 4 : 2;
    QByteArray buffer(kFrames * bytes, Qt::Uninitialized);
    for (int i = 0; i < kFrames; ++i) {
        const double value = 0.5 * std::sin(2 * std::numbers::pi * 440.0 * (offset + i) / kRate);
        if (type == AudioSampleType::float32) {
            const float sample = float(value);
            std::memcpy(buffer.data() + 4 * i, &sample, 4);
        } else {
            const qint16 sample = qint16(value * 32767);
            std::memcpy(buffer.data() + 2 * i, &sample, 2);
        }
    }
    return buffer;
}

void captureConversion(benchmark::State& state, AudioSampleType type) {
    auto converter = CaptureConverter::create({kRate, 1, type});
    // A few different buffers, so the resampler sees a continuous signal rather than one repeated block.
    std::vector<CapturedAudio> buffers;
    for (int b = 0; b < 8; ++b) {
        buffers.push_back(CapturedAudio{toneBuffer(type, b * kFrames)});
    }
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(converter->convert(buffers[next]));
        next = (next + 1) % buffers.size();
    }
    state.counters["realtime"] =
        benchmark::Counter(double(kFrames) / kRate * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_CaptureConversionFloat48k(benchmark::State& state) {
    captureConversion(state, AudioSampleType::float32);
}
BENCHMARK(BM_CaptureConversionFloat48k);

void BM_CaptureConversionInt16_48k(benchmark::State& state) {
    captureConversion(state, AudioSampleType::int16);
}
BENCHMARK(BM_CaptureConversionInt16_48k);

// A speaker that only counts what it is given.
class CountingOutput final : public AudioOutput {
public:
    size_t samples = 0;
    std::optional<QString> start() override { return std::nullopt; }
    bool isRunning() const override { return true; }
    void play(std::vector<float> chunk) override { samples += chunk.size(); }
    void discardQueued() override {}
    void stop() override {}
    qint64 unplayedFrames() const override { return 0; }
};

void BM_AudioDeltaEvent(benchmark::State& state) {
    QNetworkAccessManager network;
    QTemporaryDir logs;
    auto output = std::make_shared<CountingOutput>();
    RealtimeVoiceServiceOptions options;
    options.lookup = [](const QString&) { return std::nullopt; };
    options.logDirectory = logs.path();
    options.audioOutput = output;
    OpenAIRealtimeVoiceService service(network, {}, options);
    // A typical chunk: 100 ms of 24 kHz audio.
    const QByteArray pcm(4800, '\x11');
    const QByteArray frame =
        QJsonDocument(QJsonObject{{"type", "response.output_audio.delta"}, {"delta", QString(pcm.toBase64())}})
            .toJson(QJsonDocument::Compact);
    for (auto _ : state) {
        service.receiveFrame(frame);
        // The state callbacks queued by each event.
        QCoreApplication::processEvents();
    }
    benchmark::DoNotOptimize(output->samples);
}
BENCHMARK(BM_AudioDeltaEvent);

void BM_SessionUpdateSerialisation(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            QJsonDocument(realtime::sessionUpdateEvent(true)).toJson(QJsonDocument::Compact));
    }
}
BENCHMARK(BM_SessionUpdateSerialisation);

// Spoken read-back: espeak-ng synthesising a typical summary and the resampling to the speaker's rate, the
// work of the synthesiser's worker per utterance. "realtime" is seconds of speech produced per second (the
// reciprocal of the real-time factor, "rtf").
const QString kReadBack = QStringLiteral("Rating set to 3 on 12 photos.");

void BM_ReadBackSynthesis(benchmark::State& state) {
    const std::atomic<bool> notCancelled{false};
    if (EspeakEngine::synthesize(kReadBack, {}, notCancelled).error) {
        state.SkipWithError("espeak-ng cannot speak here");
        return;
    }
    double audioSeconds = 0;
    for (auto _ : state) {
        const EspeakSynthesis synthesis = EspeakEngine::synthesize(kReadBack, {}, notCancelled);
        const std::vector<float> samples = resampledToRealtimeRate(synthesis.samples, synthesis.sampleRate);
        audioSeconds += double(samples.size()) / AudioOutput::sampleRate;
        benchmark::DoNotOptimize(samples.data());
    }
    state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
    state.counters["rtf"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["speech_s"] = audioSeconds / double(state.iterations());
}
BENCHMARK(BM_ReadBackSynthesis)->Unit(benchmark::kMillisecond);

// From speak() on the main thread to the first samples handed to the speaker: how long Orbix is silent
// before the read-back starts.
void BM_ReadBackFirstAudio(benchmark::State& state) {
    const std::atomic<bool> notCancelled{false};
    if (EspeakEngine::synthesize(kReadBack, {}, notCancelled).error) {
        state.SkipWithError("espeak-ng cannot speak here");
        return;
    }
    auto output = std::make_shared<CountingOutput>();
    EspeakSpeechSynthesizer synthesizer(output);
    for (auto _ : state) {
        output->samples = 0;
        synthesizer.speak(kReadBack);
        while (output->samples == 0) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        state.PauseTiming();
        synthesizer.stop();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadBackFirstAudio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
