// espeak-ng for real, playing into a speaker that records: what is heard, when an utterance counts as over,
// and that every utterance ends exactly once.
#include "platform/espeak/EspeakSpeechSynthesizer.h"

#include "FakeAudioDevices.h"
#include "platform/espeak/EspeakEngine.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::test;

namespace {

const QString kSentence = QStringLiteral("Rating set to three on two photos.");

void runPostedEvents() {
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

qint64 totalFrames(const FakeAudioOutput& speaker) {
    qint64 frames = 0;
    for (const auto& chunk : speaker.played) {
        frames += qint64(chunk.size());
    }
    return frames;
}

float peak(const FakeAudioOutput& speaker) {
    float loudest = 0.0f;
    for (const auto& chunk : speaker.played) {
        for (float sample : chunk) {
            loudest = std::max(loudest, std::abs(sample));
        }
    }
    return loudest;
}

class EspeakSpeech : public ::testing::Test {
protected:
    void SetUp() override {
        const std::atomic<bool> notCancelled{false};
        const EspeakSynthesis probe = EspeakEngine::synthesize(QStringLiteral("test"), {}, notCancelled);
        if (probe.error) {
            GTEST_SKIP() << "espeak-ng cannot speak here: " << probe.error->toStdString();
        }
        synthesizer = std::make_unique<EspeakSpeechSynthesizer>(speaker);
        synthesizer->setEndHandler(
            [this](quint64 utterance, UtteranceEnd end) { ends.emplace_back(utterance, end); });
    }

    std::shared_ptr<FakeAudioOutput> speaker = std::make_shared<FakeAudioOutput>();
    std::unique_ptr<EspeakSpeechSynthesizer> synthesizer;
    std::vector<std::pair<quint64, UtteranceEnd>> ends;
};

} // namespace

TEST_F(EspeakSpeech, SpeechIsHeardAt24kHzAndFinishesOnceWhenPlayedOut) {
    const quint64 utterance = synthesizer->speak(kSentence);
    EXPECT_TRUE(synthesizer->isSpeaking());
    ASSERT_TRUE(waitUntil([&] { return !speaker->played.empty(); }));

    const std::atomic<bool> notCancelled{false};
    const EspeakSynthesis raw = EspeakEngine::synthesize(kSentence, {}, notCancelled);
    ASSERT_GT(raw.sampleRate, 0);
    const double seconds = double(raw.samples.size()) / raw.sampleRate;
    EXPECT_GT(seconds, 1.0) << "a sentence of seven words";
    EXPECT_NEAR(double(totalFrames(*speaker)), seconds * AudioOutput::sampleRate, 0.005 * seconds * 24000)
        << "resampled from " << raw.sampleRate << " Hz to 24 kHz";
    EXPECT_GT(peak(*speaker), 0.1f) << "speech, not silence";
    EXPECT_LE(peak(*speaker), 1.0f);

    runPostedEvents();
    EXPECT_TRUE(ends.empty()) << "the speaker has not played it out yet";
    EXPECT_TRUE(synthesizer->isSpeaking());

    speaker->playOut();
    ASSERT_TRUE(waitUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(ends, (std::vector<std::pair<quint64, UtteranceEnd>>{{utterance, UtteranceEnd::finished}}));
    EXPECT_FALSE(synthesizer->isSpeaking());
    EXPECT_FALSE(synthesizer->lastError());
    synthesizer->stop();
    runPostedEvents();
    EXPECT_EQ(ends.size(), 1u) << "stopping after the end ends nothing again";
}

TEST_F(EspeakSpeech, StopCancelsAtOnceAndDiscardsTheQueuedAudio) {
    const quint64 utterance = synthesizer->speak(kSentence);
    ASSERT_TRUE(waitUntil([&] { return !speaker->played.empty(); }));
    synthesizer->stop();
    EXPECT_FALSE(synthesizer->isSpeaking());
    EXPECT_EQ(speaker->discardCount, 1);
    EXPECT_EQ(speaker->unplayedFrames(), 0);
    EXPECT_TRUE(ends.empty()) << "not inside the call";
    runPostedEvents();
    EXPECT_EQ(ends, (std::vector<std::pair<quint64, UtteranceEnd>>{{utterance, UtteranceEnd::cancelled}}));
}

TEST_F(EspeakSpeech, TextStoppedBeforeItWasSynthesisedIsNeverPlayed) {
    const quint64 first = synthesizer->speak(kSentence);
    synthesizer->stop();
    // The worker handles texts in order: once the second is heard, the first is settled for good.
    const quint64 second = synthesizer->speak(QStringLiteral("Pick set."));
    ASSERT_TRUE(waitUntil([&] { return !speaker->played.empty(); }));
    speaker->playOut();
    ASSERT_TRUE(waitUntil([&] { return ends.size() == 2; }));
    runPostedEvents();
    EXPECT_EQ(speaker->played.size(), 1u) << "only the second text";
    EXPECT_EQ(ends, (std::vector<std::pair<quint64, UtteranceEnd>>{{first, UtteranceEnd::cancelled},
                                                                   {second, UtteranceEnd::finished}}));
}

TEST_F(EspeakSpeech, DestroyedWhileSynthesisingEndsNothingAndPlaysNothing) {
    synthesizer->speak(kSentence);
    synthesizer.reset();
    runPostedEvents();
    EXPECT_TRUE(ends.empty());
    EXPECT_TRUE(speaker->played.empty());
}

TEST_F(EspeakSpeech, SpeakerThatNeverPlaysOutDoesNotHoldTheUtteranceForever) {
    constexpr std::chrono::milliseconds grace{100};
    EspeakSpeechSynthesizer impatient(speaker, {}, grace);
    std::vector<UtteranceEnd> impatientEnds;
    impatient.setEndHandler([&](quint64, UtteranceEnd end) { impatientEnds.push_back(end); });
    impatient.speak(QStringLiteral("Done."));
    ASSERT_TRUE(waitUntil([&] { return !speaker->played.empty(); }));
    const qint64 audioMilliseconds = totalFrames(*speaker) * 1000 / AudioOutput::sampleRate;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return !impatientEnds.empty(); }, std::chrono::seconds(10)));
    EXPECT_GE(clock.elapsed(), audioMilliseconds) << "the speaker had not had the time to play it";
    EXPECT_EQ(impatientEnds, std::vector<UtteranceEnd>{UtteranceEnd::finished});
    EXPECT_EQ(speaker->discardCount, 1) << "what the stuck speaker still holds is dropped";
}

// espeak-ng's engine lives once per process, so an engine without its data is tried in a process of its own.
TEST(EspeakSpeechWithoutData, UtterancesFinishAtOnceAndTheErrorIsKept) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTemporaryDir emptyData;
            auto speaker = std::make_shared<FakeAudioOutput>();
            EspeakSpeechSynthesizer synthesizer(speaker, emptyData.path());
            std::vector<UtteranceEnd> ends;
            synthesizer.setEndHandler([&](quint64, UtteranceEnd end) { ends.push_back(end); });
            synthesizer.speak(kSentence);
            const bool ended = waitUntil([&] { return !ends.empty(); });
            runPostedEvents();
            const bool sound = ended && ends == std::vector<UtteranceEnd>{UtteranceEnd::finished} &&
                               speaker->played.empty() && synthesizer.lastError() &&
                               synthesizer.lastError()->contains(QLatin1String("espeak-ng"));
            // std::exit skips the destructors.
            emptyData.remove();
            std::exit(sound ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "Orbix cannot speak: espeak-ng");
}
