#include "voice/WakeWordVoiceService.h"

#include "FakeSpeechRecognizer.h"
#include "support/TestSupport.h"
#include "voice/RealtimeTextMatching.h"
#include "voice/WakePhraseMatching.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace orbix {
namespace {

using namespace std::chrono_literals;
using test::FakeSpeechRecognizer;
using test::waitUntil;

TEST(WakePhraseMatching, FindsThePhraseAndTheCommandAfterIt) {
    struct Case {
        const char* transcript;
        const char* phrase; // nullptr: no wake
        std::optional<QString> suffix;
    };
    const std::vector<Case> cases{
        {"Hey Orbix", "hey orbix", std::nullopt},
        {"Hey, Orbix! Set rating to three.", "hey orbix", "set rating to three"},
        {"  hey   orbix   ", "hey orbix", std::nullopt},
        {"they orbix", "hey orbix", std::nullopt},
        {"so hey messy show me the status", "hey messy", "show me the status"},
        // A longer variant is not cut into an earlier phrase plus stray letters.
        {"hey orbixie set rating", "hey orbixie", "set rating"},
        {"hey rbixie rotate left", "hey rbixie", "rotate left"},
        {"hey orbixie hey orbix set rating", "hey orbix", "set rating"},
        // No match ends at a word boundary: the first listed phrase found anywhere still wakes.
        {"hey orbit set rating", "hey orb", "it set rating"},
        {"Hey Orbix’s rating", "hey orbix", "s rating"},
        // Values keep their sign and decimal mark; other punctuation still goes.
        {"Hey Orbix, set exposure to -1.5.", "hey orbix", "set exposure to -1.5"},
        {"hey orbix set contrast to −0,5 - now", "hey orbix", "set contrast to -0,5 now"},
        {"hey orbix rotate left... 3 times", "hey orbix", "rotate left 3 times"},
        {"hey or bix", nullptr, std::nullopt},
        {"hello there", nullptr, std::nullopt},
        {"", nullptr, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto match = wake::findWakePhrase(QString::fromUtf8(c.transcript));
        if (c.phrase == nullptr) {
            EXPECT_FALSE(match) << c.transcript;
            continue;
        }
        ASSERT_TRUE(match) << c.transcript;
        EXPECT_EQ(match->phrase, QString::fromUtf8(c.phrase)) << c.transcript;
        EXPECT_EQ(match->commandSuffix, c.suffix) << c.transcript;
    }
    // A running voice session does not take the on-device recogniser's mishearings for the wake phrase.
    EXPECT_TRUE(realtime::containsWakePhrase("hey rbixie"));
    EXPECT_FALSE(realtime::containsWakePhrase("hey messy"));
}

class WakeWordListenerTest : public ::testing::Test {
protected:
    void SetUp() override { create(20ms); }

    void create(std::chrono::milliseconds restartDelay) {
        service.reset();
        WakeWordVoiceService::Options options;
        options.now = [this] {
            return WakeWordVoiceService::Clock::time_point(std::chrono::milliseconds(clock.load()));
        };
        options.restartDelay = restartDelay;
        service = std::make_unique<WakeWordVoiceService>(recognizer, options);
        QObject::connect(service.get(), &WakeWordVoiceService::wakeDetected,
                         [this](const std::optional<QString>& suffix) {
                             callbackThreads.insert(QThread::currentThread());
                             wakes.push_back(suffix);
                         });
        QObject::connect(service.get(), &WakeWordVoiceService::listeningStateChanged, [this](bool isListening) {
            callbackThreads.insert(QThread::currentThread());
            listening.push_back(isListening);
        });
        QObject::connect(service.get(), &WakeWordVoiceService::errorOccurred, [this](const QString& message) {
            callbackThreads.insert(QThread::currentThread());
            errors.push_back(message);
        });
    }

    bool isListening() const { return !listening.empty() && listening.back(); }

    void startListening() {
        service->start();
        ASSERT_TRUE(waitUntil([&] { return isListening(); }));
    }

    // Stops the listener once everything queued before has run, and delivers the callbacks.
    void stopAndSettle() {
        bool stopped = false;
        service->stopAndWait([&] { stopped = true; });
        ASSERT_TRUE(waitUntil([&] { return stopped; }));
    }

    std::shared_ptr<FakeSpeechRecognizer> recognizer = std::make_shared<FakeSpeechRecognizer>();
    std::atomic<qint64> clock{0};
    std::unique_ptr<WakeWordVoiceService> service;
    std::vector<std::optional<QString>> wakes;
    std::vector<bool> listening;
    std::vector<QString> errors;
    std::set<QThread*> callbackThreads;
};

TEST_F(WakeWordListenerTest, WakesWithTheCommandAndStopsListening) {
    startListening();
    ASSERT_TRUE(recognizer->deliver("Hey, Orbix! Set rating to three.", false));
    ASSERT_TRUE(waitUntil([&] { return wakes.size() == 1; }));
    EXPECT_EQ(wakes[0], QString("set rating to three"));
    EXPECT_EQ(listening, (std::vector<bool>{true, false}));
    EXPECT_FALSE(recognizer->isRunning());
    EXPECT_TRUE(errors.empty());

    // Callbacks arrive on the main thread; the recogniser is driven from the listener's own thread.
    EXPECT_EQ(callbackThreads, (std::set<QThread*>{QCoreApplication::instance()->thread()}));
    const auto recognizerThreads = recognizer->callingThreads();
    ASSERT_EQ(recognizerThreads.size(), 1u);
    EXPECT_NE(*recognizerThreads.begin(), QCoreApplication::instance()->thread());
}

TEST_F(WakeWordListenerTest, IgnoresASecondWakeWithinOneSecond) {
    startListening();
    ASSERT_TRUE(recognizer->deliver("hey orbix", false));
    ASSERT_TRUE(waitUntil([&] { return wakes.size() == 1; }));

    clock = 999;
    startListening();
    // Too soon: no wake, and the final result restarts recognition as any utterance does.
    ASSERT_TRUE(recognizer->deliver("hey orbix set rating to three", true));
    ASSERT_TRUE(waitUntil([&] { return listening.size() == 5 && isListening(); }));
    EXPECT_EQ(wakes.size(), 1u);

    clock = 1000;
    ASSERT_TRUE(recognizer->deliver("hey orbix set rating to three", false));
    ASSERT_TRUE(waitUntil([&] { return wakes.size() == 2; }));
    EXPECT_EQ(wakes[1], QString("set rating to three"));
}

TEST_F(WakeWordListenerTest, KeepsListeningAcrossUtterancesAndReportsAFailedRestart) {
    startListening();
    ASSERT_TRUE(recognizer->deliver("set rating to three", true));
    ASSERT_TRUE(waitUntil([&] { return listening.size() == 3 && isListening(); }));
    EXPECT_EQ(recognizer->startCount(), 2);
    EXPECT_TRUE(recognizer->isRunning());

    // A recognition failure ends the utterance silently, like a final result without text.
    ASSERT_TRUE(recognizer->deliver("", true));
    ASSERT_TRUE(waitUntil([&] { return listening.size() == 5 && isListening(); }));
    EXPECT_TRUE(errors.empty());

    recognizer->failNextStart("The microphone is gone.");
    ASSERT_TRUE(recognizer->deliver("", true));
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 1; }));
    EXPECT_EQ(errors[0], "The microphone is gone.");
    EXPECT_FALSE(isListening());
    EXPECT_FALSE(recognizer->isRunning());
    EXPECT_TRUE(wakes.empty());
}

TEST_F(WakeWordListenerTest, AStopDuringTheRestartPauseKeepsTheMicrophoneFree) {
    create(30ms);
    startListening();
    ASSERT_TRUE(recognizer->deliver("rotate left", true));
    ASSERT_TRUE(waitUntil([&] { return !isListening(); }));
    stopAndSettle();
    EXPECT_FALSE(waitUntil([&] { return recognizer->startCount() > 1; }, 300ms));
    EXPECT_FALSE(recognizer->isRunning());
}

TEST_F(WakeWordListenerTest, PermissionAnswersAfterAStopAreIgnored) {
    recognizer->setAnswersAutomatically(false);
    service->start();
    ASSERT_TRUE(waitUntil([&] { return recognizer->microphoneRequests() == 1; }));
    service->stop();
    ASSERT_TRUE(recognizer->answerMicrophone(true));
    stopAndSettle();
    EXPECT_EQ(recognizer->recognitionRequests(), 0);

    service->start();
    ASSERT_TRUE(waitUntil([&] { return recognizer->microphoneRequests() == 2; }));
    ASSERT_TRUE(recognizer->answerMicrophone(true));
    ASSERT_TRUE(waitUntil([&] { return recognizer->recognitionRequests() == 1; }));
    service->stop();
    ASSERT_TRUE(recognizer->answerRecognition(true));
    stopAndSettle();

    EXPECT_EQ(recognizer->startCount(), 0);
    EXPECT_TRUE(listening.empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(WakeWordListenerTest, StartingTwiceAsksOnce) {
    recognizer->setAnswersAutomatically(false);
    service->start();
    service->start();
    ASSERT_TRUE(waitUntil([&] { return recognizer->microphoneRequests() == 1; }));
    ASSERT_TRUE(recognizer->answerMicrophone(true));
    ASSERT_TRUE(waitUntil([&] { return recognizer->recognitionRequests() == 1; }));
    ASSERT_TRUE(recognizer->answerRecognition(true));
    ASSERT_TRUE(waitUntil([&] { return isListening(); }));
    service->start();
    stopAndSettle();
    EXPECT_EQ(recognizer->microphoneRequests(), 1);
    EXPECT_EQ(recognizer->recognitionRequests(), 1);
    EXPECT_EQ(recognizer->startCount(), 1);
    EXPECT_EQ(listening, (std::vector<bool>{true, false}));
}

TEST_F(WakeWordListenerTest, RefusalsAndStartFailuresAreReportedAndLeaveItStopped) {
    recognizer->setMicrophoneGranted(false);
    service->start();
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 1; }));
    EXPECT_EQ(errors[0], "Microphone access is required for Hey Orbix.");
    EXPECT_EQ(recognizer->recognitionRequests(), 0);

    recognizer->setMicrophoneGranted(true);
    recognizer->setRecognitionGranted(false);
    service->start();
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 2; }));
    EXPECT_EQ(errors[1], "Speech recognition access is required for Hey Orbix.");

    recognizer->setRecognitionGranted(true);
    recognizer->failNextStart("No input device.");
    service->start();
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 3; }));
    EXPECT_EQ(errors[2], "No input device.");
    EXPECT_TRUE(listening.empty());
    EXPECT_FALSE(recognizer->isRunning());

    // After an error a new start asks again and listens.
    startListening();
    EXPECT_EQ(recognizer->microphoneRequests(), 4);
}

TEST_F(WakeWordListenerTest, WithoutARecognizerItListensButNeverWakes) {
    recognizer->setRecognitionAvailable(false);
    startListening();
    ASSERT_TRUE(recognizer->deliver("hey orbix", true));
    stopAndSettle();
    EXPECT_TRUE(wakes.empty());
    EXPECT_EQ(listening, (std::vector<bool>{true, false}));
    EXPECT_EQ(recognizer->startCount(), 1);
}

TEST_F(WakeWordListenerTest, ResultsOfAStoppedRecognitionAreDropped) {
    startListening();
    const SpeechRecognizer::ResultHandler stale = recognizer->latestHandler();
    stopAndSettle();
    std::thread([&] { stale({"hey orbix", false}); }).join();
    startListening();
    // Neither wakes nor ends the new run's utterance.
    std::thread([&] { stale({"hey orbix set rating to three", true}); }).join();
    stopAndSettle();
    EXPECT_TRUE(wakes.empty());
    EXPECT_EQ(recognizer->startCount(), 2);
    EXPECT_EQ(listening, (std::vector<bool>{true, false, true, false}));
}

TEST_F(WakeWordListenerTest, DestructionStopsRecognitionAndLateAnswersAreHarmless) {
    startListening();
    service.reset();
    EXPECT_FALSE(recognizer->isRunning());

    create(20ms);
    recognizer->setAnswersAutomatically(false);
    service->start();
    ASSERT_TRUE(waitUntil([&] { return recognizer->microphoneRequests() == 2; }));
    service.reset();
    EXPECT_TRUE(recognizer->answerMicrophone(true));
    QCoreApplication::processEvents();
    EXPECT_EQ(recognizer->recognitionRequests(), 1); // only the first service's
    EXPECT_EQ(recognizer->startCount(), 1);
}

} // namespace
} // namespace orbix
