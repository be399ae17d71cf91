// The recogniser backend fed by a microphone that captures 48 kHz float audio on threads of its own.

#include "platform/pocketsphinx/PocketsphinxSpeechRecognizer.h"

#include "platform/speech/SpokenAudio.h"
#include "support/TestSupport.h"
#include "voice/FakeAudioDevices.h"

#include <gtest/gtest.h>
#include <mutex>

namespace orbix {
namespace {

constexpr int captureRate = 48000;
constexpr qsizetype bufferBytes = 1024 * 4;

// Results as the handler saw them, from whichever thread delivered them.
struct ResultLog {
    std::mutex mutex;
    std::vector<SpeechRecognitionResult> results;

    SpeechRecognizer::ResultHandler handler() {
        return [this](const SpeechRecognitionResult& result) {
            std::lock_guard lock(mutex);
            results.push_back(result);
        };
    }
    std::vector<SpeechRecognitionResult> snapshot() {
        std::lock_guard lock(mutex);
        return results;
    }
};

class PocketsphinxSpeechRecognizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto reason = test::spokenAudioUnavailableReason()) {
            GTEST_SKIP() << reason->toStdString();
        }
        if (!PocketsphinxModel::installed().exists()) {
            GTEST_SKIP() << "the pocketsphinx en-us model is not installed";
        }
        microphone_ = std::make_shared<test::FakeAudioInput>();
        recognizer_ =
            std::make_unique<PocketsphinxSpeechRecognizer>(microphone_, PocketsphinxModel::installed());
    }

    void capture(const QByteArray& samples) {
        for (qsizetype at = 0; at < samples.size(); at += bufferBytes) {
            microphone_->capture(samples.mid(at, bufferBytes));
        }
    }
    static QByteArray silence(int ms) { return QByteArray(qsizetype(captureRate) * ms / 1000 * 4, '\0'); }

    // Waits until every job queued before this call has run on the decoding thread.
    void drainDecoder() {
        std::atomic<bool> answered = false;
        recognizer_->requestRecognitionAuthorization([&](bool) { answered = true; });
        ASSERT_TRUE(test::waitUntil([&] { return answered.load(); }, std::chrono::seconds(30)));
    }

    std::shared_ptr<test::FakeAudioInput> microphone_;
    std::unique_ptr<PocketsphinxSpeechRecognizer> recognizer_;
};

TEST_F(PocketsphinxSpeechRecognizerTest, UtterancesFromTheMicrophoneArriveAsFinalTranscripts) {
    bool granted = false;
    recognizer_->requestMicrophoneAccess([&](bool answer) { granted = answer; });
    EXPECT_TRUE(granted);
    std::atomic<int> authorizations = 0;
    recognizer_->requestRecognitionAuthorization([&](bool answer) { authorizations += answer ? 1 : 100; });
    ASSERT_TRUE(test::waitUntil([&] { return authorizations.load() != 0; }, std::chrono::seconds(30)));
    EXPECT_EQ(authorizations.load(), 1);

    ResultLog log;
    ASSERT_EQ(recognizer_->start(log.handler()), std::nullopt);
    EXPECT_TRUE(microphone_->isCapturing());
    capture(silence(300) + test::spokenFloatSamples("Hey Orbix, rotate left.", captureRate, 1) + silence(800));
    ASSERT_TRUE(test::waitUntil([&] { return !log.snapshot().empty(); }, std::chrono::seconds(30)));
    const auto results = log.snapshot();
    EXPECT_EQ(results[0].text, "hey orbix rotate left");
    EXPECT_TRUE(results[0].isFinal);

    // Ordinary speech ends in a final result without text.
    capture(test::spokenFloatSamples("It rained all afternoon.", captureRate, 1) + silence(800));
    ASSERT_TRUE(test::waitUntil([&] { return log.snapshot().size() >= 2; }, std::chrono::seconds(30)));
    EXPECT_EQ(log.snapshot()[1].text, QString());
    EXPECT_TRUE(log.snapshot()[1].isFinal);
}

TEST_F(PocketsphinxSpeechRecognizerTest, StopDropsTheUnfinishedUtteranceAndItsHandler) {
    ResultLog first;
    ASSERT_EQ(recognizer_->start(first.handler()), std::nullopt);
    // The wake phrase and command without the pause that would end them.
    capture(silence(300) + test::spokenFloatSamples("Hey Orbix, auto adjust.", captureRate, 1));
    recognizer_->stop();
    EXPECT_FALSE(microphone_->isCapturing());

    ResultLog second;
    ASSERT_EQ(recognizer_->start(second.handler()), std::nullopt);
    capture(silence(1000));
    drainDecoder();
    EXPECT_TRUE(first.snapshot().empty());
    // The earlier command must not surface in the new session (the detector may still close the cut-off
    // utterance there, without text).
    const auto afterRestart = second.snapshot();
    EXPECT_TRUE(std::all_of(afterRestart.begin(), afterRestart.end(),
                            [](const SpeechRecognitionResult& result) { return result.text.isEmpty(); }));
}

TEST(PocketsphinxSpeechRecognizerSetUpTest, PermissionsFollowTheDeviceAndTheModel) {
    auto microphone = std::make_shared<test::FakeAudioInput>();
    microphone->deviceExists = false;
    PocketsphinxSpeechRecognizer recognizer(microphone, {"/nonexistent/en-us", "/nonexistent/dict"});
    std::optional<bool> microphoneAnswer;
    recognizer.requestMicrophoneAccess([&](bool granted) { microphoneAnswer = granted; });
    EXPECT_EQ(microphoneAnswer, false);
    EXPECT_FALSE(recognizer.isRecognitionAvailable());
    std::atomic<int> recognitionAnswer = 0;
    recognizer.requestRecognitionAuthorization([&](bool granted) { recognitionAnswer = granted ? 1 : 2; });
    ASSERT_TRUE(test::waitUntil([&] { return recognitionAnswer.load() != 0; }));
    EXPECT_EQ(recognitionAnswer.load(), 2);

    // Without a model the microphone still runs and nothing is recognised.
    microphone->deviceExists = true;
    ResultLog log;
    EXPECT_EQ(recognizer.start(log.handler()), std::nullopt);
    EXPECT_TRUE(microphone->isCapturing());
    microphone->capture(QByteArray(48000 * 4, '\0'));
    recognizer.stop();
    EXPECT_TRUE(log.snapshot().empty());

    // A format that cannot be converted is refused before the microphone starts.
    microphone->captureFormat = {0, 1, AudioSampleType::float32};
    EXPECT_TRUE(recognizer.start(log.handler()).has_value());
    EXPECT_FALSE(microphone->isCapturing());
}

} // namespace
} // namespace orbix
