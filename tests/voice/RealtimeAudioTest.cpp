// Microphone buffers to wire-format appends through the streaming resampler, echo suppression around model
// speech, and the playback sample conversion.
#include "RealtimeSessionFixture.h"
#include "voice/AudioConversion.h"

#include <QtEndian>
#include <cmath>
#include <numbers>

using namespace orbix;
using namespace orbix::test;

namespace {

constexpr int kFrames = 2048;

QByteArray floatBuffer(const std::function<float(int frame)>& sample, int frames = kFrames) {
    QByteArray bytes(frames * 4, Qt::Uninitialized);
    for (int i = 0; i < frames; ++i) {
        const float value = sample(i);
        std::memcpy(bytes.data() + 4 * i, &value, 4);
    }
    return bytes;
}

QByteArray constantBuffer(float level) {
    return floatBuffer([level](int) { return level; });
}

std::vector<qint16> wireSamples(const QByteArray& bytes) {
    std::vector<qint16> samples(size_t(bytes.size() / 2));
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    }
    return samples;
}

double mean(const std::vector<qint16>& samples) {
    double sum = 0;
    for (const qint16 sample : samples) {
        sum += sample;
    }
    return samples.empty() ? 0 : sum / double(samples.size());
}

class RealtimeAudio : public RealtimeSessionFixture {
protected:
    QList<QByteArray> appendedAudio() const {
        QList<QByteArray> audio;
        for (const QJsonObject& event : server.clientEventsOfType("input_audio_buffer.append")) {
            audio.append(QByteArray::fromBase64(event.value("audio").toString().toLatin1()));
        }
        return audio;
    }
};

} // namespace

TEST(AudioConversion, PlaybackSamplesScaleBy32767AndIgnoreAnOddByte) {
    QByteArray bytes(4801, '\0');
    qToLittleEndian<qint16>(32767, bytes.data());
    qToLittleEndian<qint16>(-32768, bytes.data() + 2);
    const std::vector<float> samples = playbackSamples(bytes);
    ASSERT_EQ(samples.size(), 2400u);
    EXPECT_EQ(samples[0], 1.0f);
    EXPECT_LT(samples[1], -1.0f);
    EXPECT_GT(samples[1], -1.0001f);
    EXPECT_EQ(samples[2], 0.0f);
}

TEST(AudioConversion, StreamingResamplerKeepsStateAcrossBuffers) {
    EXPECT_EQ(CaptureConverter::outputCapacity(2048, 48000), 1025);
    EXPECT_EQ(CaptureConverter::outputCapacity(441, 44100), 241);

    auto converter = CaptureConverter::create({48000, 1, AudioSampleType::float32});
    ASSERT_TRUE(converter);
    std::vector<qint16> output;
    const int buffers = 24;
    for (int b = 0; b < buffers; ++b) {
        const QByteArray wire = converter->convert(CapturedAudio{floatBuffer([b](int i) {
            return 0.5f * float(std::sin(2 * std::numbers::pi * 1000.0 * (b * kFrames + i) / 48000.0));
        })});
        ASSERT_LE(wire.size(), 1025 * 2);
        const auto samples = wireSamples(wire);
        output.insert(output.end(), samples.begin(), samples.end());
    }
    // A converter that forgot its state would lose its latency on every buffer, not once.
    EXPECT_GT(output.size(), size_t(buffers * 1024 - 1024));
    // A 1 kHz tone at half scale keeps its level: RMS 0.5/sqrt(2) of full scale, away from the start-up.
    double power = 0;
    const size_t from = output.size() / 2;
    for (size_t i = from; i < output.size(); ++i) {
        power += double(output[i]) * output[i];
    }
    const double rms = std::sqrt(power / double(output.size() - from)) / 32768.0;
    EXPECT_NEAR(rms, 0.5 / std::sqrt(2.0), 0.01);

    // Stereo 16-bit input is mixed down: opposite channels cancel.
    auto stereo = CaptureConverter::create({44100, 2, AudioSampleType::int16});
    ASSERT_TRUE(stereo);
    QByteArray frames(4096 * 4, Qt::Uninitialized);
    for (int i = 0; i < 4096; ++i) {
        qToLittleEndian<qint16>(8000, frames.data() + 4 * i);
        qToLittleEndian<qint16>(-8000, frames.data() + 4 * i + 2);
    }
    for (int b = 0; b < 3; ++b) {
        for (const qint16 sample : wireSamples(stereo->convert(CapturedAudio{frames}))) {
            ASSERT_EQ(sample, 0);
        }
    }
    EXPECT_FALSE(CaptureConverter::create({0, 1, AudioSampleType::int16}));
}

TEST_F(RealtimeAudio, OneAppendPerBufferInCaptureOrder) {
    ASSERT_TRUE(startSession(true));
    const int buffers = 12;
    for (int b = 0; b < buffers; ++b) {
        input->capture(constantBuffer(0.02f * float(b + 1)));
    }
    ASSERT_TRUE(waitUntil([&] { return appendedAudio().size() >= buffers - 1; }));
    settle();
    const QList<QByteArray> audio = appendedAudio();
    // The resampler may hold back the whole of the very first buffer; every later one is sent once.
    EXPECT_GE(audio.size(), buffers - 1);
    EXPECT_LE(audio.size(), buffers);
    double previous = -1;
    for (const QByteArray& chunk : audio) {
        EXPECT_LE(chunk.size(), 1025 * 2);
        const double level = mean(wireSamples(chunk));
        EXPECT_GT(level, previous) << "appends keep the order of capture";
        previous = level;
    }
}

TEST_F(RealtimeAudio, NothingIsSentUntilTheSpeakerHasPlayedOutAndTheTailHasPassed) {
    ASSERT_TRUE(startSession(true));
    for (int b = 0; b < 3; ++b) {
        input->capture(constantBuffer(0.1f));
    }
    ASSERT_TRUE(waitUntil([&] { return appendedAudio().size() >= 2; }));
    settle();
    qsizetype sent = appendedAudio().size();
    const auto captureAndCount = [&] {
        input->capture(constantBuffer(0.1f));
        settle();
        return appendedAudio().size();
    };
    using std::chrono::milliseconds;

    // Playback longer than the tail: the microphone stays shut until the speaker is done.
    play({events::responseCreated("resp_1"), events::audioDelta("resp_1", 96000),
          events::responseDone("resp_1")});
    ASSERT_TRUE(waitForHandled("response.done"));
    EXPECT_EQ(captureAndCount(), sent);
    timers->advance(OpenAIRealtimeVoiceService::speakingTail * 3);
    EXPECT_EQ(captureAndCount(), sent) << "the model must not hear itself";
    output->playOut();
    timers->advance(SpeakerEchoGate::playOutPollInterval + OpenAIRealtimeVoiceService::speakingTail -
                    milliseconds(1));
    EXPECT_EQ(captureAndCount(), sent) << "the room still rings for the tail";
    timers->advance(milliseconds(1));
    EXPECT_EQ(captureAndCount(), ++sent);

    // A follow-up response that starts speaking during the tail shuts the microphone again.
    play(
        {events::responseCreated("resp_2"), events::audioDelta("resp_2", 960), events::responseDone("resp_2")});
    ASSERT_TRUE(waitForHandled("response.done", 2));
    output->playOut();
    timers->advance(milliseconds(300));
    play({events::responseCreated("resp_3"), events::audioDelta("resp_3", 960, "response.audio.delta")});
    ASSERT_TRUE(waitUntil([&] { return output->played.size() == 3; })) << "the older event name plays too";
    timers->advance(OpenAIRealtimeVoiceService::speakingTail);
    EXPECT_EQ(captureAndCount(), sent) << "the earlier tail must not open the microphone under new speech";
    play({events::responseDone("resp_3")});
    ASSERT_TRUE(waitForHandled("response.done", 3));
    output->playOut();
    timers->advance(SpeakerEchoGate::playOutPollInterval + OpenAIRealtimeVoiceService::speakingTail);
    EXPECT_EQ(captureAndCount(), sent + 1);
}

TEST_F(RealtimeAudio, VoiceModeSwitchesAndStopReleaseTheMicrophone) {
    bool switched = false;
    service->setVoiceMode(true, [&] { switched = true; });
    ASSERT_TRUE(waitUntil([&] { return switched && !errors.isEmpty(); }));
    EXPECT_FALSE(input->isCapturing()) << "without a session the microphone is not taken";
    EXPECT_EQ(errors.last(), "Realtime is not connected.");

    ASSERT_TRUE(startSession(true));
    EXPECT_EQ(output->discardCount, 1) << "recording starts with an empty player queue";
    switched = false;
    service->setVoiceMode(false, [&] { switched = true; });
    ASSERT_TRUE(waitUntil([&] { return switched; }));
    EXPECT_FALSE(input->isCapturing());
    EXPECT_FALSE(output->running);
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::idle);
    EXPECT_FALSE(
        server.clientEventsOfType("session.update").last().value("session").toObject().contains("audio"));

    switched = false;
    service->setVoiceMode(true, [&] { switched = true; });
    ASSERT_TRUE(waitUntil([&] { return switched; }));
    EXPECT_TRUE(input->isCapturing());
    EXPECT_EQ(input->startCount, 2);
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::recording);
    EXPECT_TRUE(
        server.clientEventsOfType("session.update").last().value("session").toObject().contains("audio"));

    service->stop();
    EXPECT_FALSE(input->isCapturing());
    input->capture(constantBuffer(0.1f));
    settle();
    EXPECT_TRUE(server.clientEventsOfType("input_audio_buffer.append").isEmpty());
}
