// The real audio path through a private PulseAudio server: a null sink as the speaker and a pipe source as
// the microphone. Speech written into the pipe reaches the Realtime server as appends; audio deltas from
// the server come out of the sink's monitor.
#include "RealtimeSessionFixture.h"
#include "platform/PlatformAudio.h"
#include "platform/PlatformSpeechSynthesis.h"
#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechSynthesizer.h"
#include "support/PrivatePulseAudio.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <numbers>

using namespace orbix;
using namespace orbix::test;

namespace {

// 16-bit little-endian mono tone.
QByteArray tone(int rate, double seconds, double frequency) {
    const int frames = int(rate * seconds);
    QByteArray bytes(frames * 2, Qt::Uninitialized);
    for (int i = 0; i < frames; ++i) {
        const double value = 0.5 * std::sin(2 * std::numbers::pi * frequency * i / rate);
        qToLittleEndian<qint16>(qint16(value * 32767), bytes.data() + 2 * i);
    }
    return bytes;
}

// Mono float tone at the speaker's rate.
std::vector<float> floatTone(double seconds, double frequency) {
    const int frames = int(AudioOutput::sampleRate * seconds);
    std::vector<float> samples(size_t(frames), 0.0f);
    for (int i = 0; i < frames; ++i) {
        samples[size_t(i)] =
            float(0.5 * std::sin(2 * std::numbers::pi * frequency * i / AudioOutput::sampleRate));
    }
    return samples;
}

class VoiceAudioEndToEnd : public RealtimeSessionFixture {
protected:
    void SetUp() override {
        if (const QString missing = PrivatePulseAudio::missingTools(); !missing.isEmpty()) {
            GTEST_SKIP() << "the real audio path needs " << missing.toStdString();
        }
        const std::optional<QString> failure = pulse.start();
        ASSERT_FALSE(failure) << failure->toStdString();
        RealtimeSessionFixture::SetUp();
        input = nullptr;
        output = nullptr;
        realInput = createDefaultAudioInput();
        realOutput = createDefaultAudioOutput();
    }
    void TearDown() override { service.reset(); }

    // Records the null sink's monitor at the speaker's rate; returns once it delivers.
    void startMonitor() { ASSERT_TRUE(pulse.startMonitor(AudioOutput::sampleRate)); }
    void stopMonitor() { pulse.stopMonitor(); }
    const QByteArray& recorded() const { return pulse.recorded(); }

    PrivatePulseAudio pulse;
    std::shared_ptr<AudioInput> realInput;
    std::shared_ptr<AudioOutput> realOutput;
};

} // namespace

TEST_F(VoiceAudioEndToEnd, MicrophoneReachesTheServerAndModelAudioReachesTheSpeaker) {
    ASSERT_TRUE(realInput->hasDevice());
    RealtimeVoiceServiceOptions options;
    options.lookup = [](const QString&) { return std::optional(kRealtimeKey); };
    options.configuration = [] {
        return ProductConfiguration::fromInformation({{"OrbixBuildFlavor", "internal"}}, {});
    };
    options.network = NetworkSettings::defaults();
    options.network.realtimeOrigin = server.origin();
    options.timers = timers;
    options.logDirectory = logs.path();
    options.audioInput = realInput;
    options.audioOutput = realOutput;
    service = std::make_unique<OpenAIRealtimeVoiceService>(network, ComputerUseExecutor{}, options);
    ASSERT_TRUE(startSession(true));

    QFile microphone(pulse.microphonePipe());
    ASSERT_TRUE(microphone.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    microphone.write(tone(16000, 1.0, 440));
    const auto appendedLoudSamples = [&] {
        qint64 loud = 0;
        for (const QJsonObject& event : server.clientEventsOfType("input_audio_buffer.append")) {
            loud += loudSamples(QByteArray::fromBase64(event.value("audio").toString().toLatin1()));
        }
        return loud;
    };
    EXPECT_TRUE(waitUntil([&] { return appendedLoudSamples() > 12000; }, std::chrono::seconds(15)))
        << "half a second of the tone at 24 kHz; got " << appendedLoudSamples();

    startMonitor();
    server.sendEvent(
        {{"type", "response.output_audio.delta"}, {"delta", QString(tone(24000, 1.0, 660).toBase64())}});
    EXPECT_TRUE(waitUntil([&] { return loudSamples(recorded()) > 6000; }, std::chrono::seconds(15)))
        << "the sink's monitor heard " << loudSamples(recorded()) << " loud samples";
    stopMonitor();
}

TEST_F(VoiceAudioEndToEnd, SpeakerCountsAudioAsUnplayedUntilItHasBeenHeard) {
    ASSERT_FALSE(realOutput->start());
    startMonitor();

    QElapsedTimer clock;
    clock.start();
    realOutput->play(floatTone(1.0, 660));
    EXPECT_GT(realOutput->unplayedFrames(), 20000);
    ASSERT_TRUE(waitUntil([&] { return realOutput->unplayedFrames() == 0; }, std::chrono::seconds(10)));
    EXPECT_GE(clock.elapsed(), 900) << "a second of audio cannot have played out sooner";
    EXPECT_TRUE(waitUntil([&] { return loudSamples(recorded()) > 20000; }, std::chrono::seconds(5)))
        << "the monitor heard " << loudSamples(recorded()) << " loud samples of 24000";

    realOutput->play(floatTone(1.0, 440));
    realOutput->discardQueued();
    EXPECT_EQ(realOutput->unplayedFrames(), 0) << "discarded audio is not waited for";
    realOutput->play(floatTone(0.5, 440));
    realOutput->stop();
    EXPECT_EQ(realOutput->unplayedFrames(), 0);
    stopMonitor();
}

TEST_F(VoiceAudioEndToEnd, SpokenTextFinishesWhenTheSpeakerHasPlayedItOut) {
    const QString sentence = QStringLiteral("Rating set to three.");
    const std::atomic<bool> notCancelled{false};
    const EspeakSynthesis raw = EspeakEngine::synthesize(sentence, {}, notCancelled);
    if (raw.error) {
        GTEST_SKIP() << "espeak-ng cannot speak here: " << raw.error->toStdString();
    }
    const qint64 speechMilliseconds = qint64(raw.samples.size()) * 1000 / raw.sampleRate;
    ASSERT_FALSE(realOutput->start()) << "a speaker that cannot start ends every utterance at once";
    startMonitor();

    const std::shared_ptr<SpeechSynthesizer> synthesizer = createDefaultSpeechSynthesizer(realOutput);
    std::vector<UtteranceEnd> ends;
    synthesizer->setEndHandler([&](quint64, UtteranceEnd end) { ends.push_back(end); });
    QElapsedTimer clock;
    clock.start();
    synthesizer->speak(sentence);
    ASSERT_TRUE(waitUntil([&] { return !ends.empty(); }, std::chrono::seconds(15)));
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(ends, std::vector<UtteranceEnd>{UtteranceEnd::finished});
    EXPECT_GE(elapsed, speechMilliseconds * 9 / 10) << "finished before the speech could have been heard";
    EXPECT_LT(elapsed, speechMilliseconds + EspeakSpeechSynthesizer::defaultDrainGrace.count())
        << "the speaker never reported the speech played out";
    EXPECT_TRUE(waitUntil([&] { return loudSamples(recorded()) > 2000; }, std::chrono::seconds(5)))
        << "the monitor heard " << loudSamples(recorded()) << " loud samples";
    stopMonitor();
}
