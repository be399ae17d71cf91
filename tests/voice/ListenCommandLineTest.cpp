// `orbix --listen` from a terminal: the application model between a wake listener on a scripted recogniser,
// the Capture One Simulator for commands said after the wake phrase, and the fake Realtime server for the
// voice session "Hey Orbix" alone opens.
#include "app/ListenCommandLine.h"

#include "FakeSpeechRecognizer.h"
#include "FakeSpeechSynthesizer.h"
#include "RealtimeSessionFixture.h"
#include "app/TerminalInterrupt.h"
#include "captureone/CaptureOneService.h"
#include "captureone/OsascriptRunner.h"
#include "model/AppModel.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/RecordingWorkspace.h"
#include "support/SimulatorDispatcherFixture.h"
#include "support/SimulatorSession.h"
#include "voice/SpeechFeedbackService.h"
#include "voice/WakeWordVoiceService.h"

#include <QFile>
#include <csignal>

using namespace orbix;
using namespace orbix::test;

namespace {

const QString listeningLine = QStringLiteral("Listening for “Hey Orbix”… Press Ctrl+C to stop.\n");

QJsonObject event(const char* type, QJsonObject members = {}) {
    members.insert("type", QString::fromUtf8(type));
    return members;
}

class ListenCommandLineTest : public RealtimeSessionFixture, protected SimulatorDispatcherFixture {
protected:
    void SetUp() override {
        RealtimeSessionFixture::SetUp();
        ASSERT_TRUE(QFile::link(QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app"),
                                applications.filePath(QStringLiteral("Capture One 23.app"))));
        simulator.command({"reset", "--variants", "3", "--select", "1,2"});
        synthesizer->finishesAtOnce = true;
        // The user looks at Capture One, so a bare command is meant for it.
        workspace.frontmost = FrontmostApplication{QStringLiteral("Capture One 23"), std::nullopt};

        AppModelServices services;
        services.computerUseService = &dispatcher;
        services.captureOne = &captureOne;
        services.workspace = &workspace;
        services.realtimeVoiceService = service.get();
        services.wakeWordVoiceService = &listener;
        services.speechFeedbackService = &feedback;
        model = std::make_unique<AppModel>(std::move(services));
        cli = std::make_unique<ListenCommandLine>(*model, listener, *service, output);
    }
    void TearDown() override {
        cli.reset();
        model.reset();
    }

    static WakeWordVoiceService::Options listenerOptions() {
        WakeWordVoiceService::Options options;
        options.restartDelay = std::chrono::milliseconds(10);
        return options;
    }

    void startListening() {
        cli->start([this](int status) { exitStatus = status; });
        ASSERT_TRUE(printedSoon(listeningLine)) << printed.toStdString();
    }

    bool printedSoon(const QString& text) {
        return waitUntil([&] { return printed.contains(text); }, std::chrono::seconds(20));
    }

    std::shared_ptr<FakeSpeechRecognizer> recognizer = std::make_shared<FakeSpeechRecognizer>();
    WakeWordVoiceService listener{recognizer, listenerOptions()};
    std::shared_ptr<FakeSpeechSynthesizer> synthesizer = std::make_shared<FakeSpeechSynthesizer>();
    SpeechFeedbackService feedback{synthesizer};
    std::unique_ptr<AppModel> model;

    QString printed;
    QTextStream output{&printed};
    std::unique_ptr<ListenCommandLine> cli;
    std::optional<int> exitStatus;
};

} // namespace

TEST_F(ListenCommandLineTest, ACommandAfterTheWakePhraseRunsAtOnceIsPrintedAndReadBack) {
    startListening();
    ASSERT_TRUE(recognizer->deliver("Hey Orbix, set rating to 3.", false));
    ASSERT_TRUE(printedSoon("Capture One: ")) << printed.toStdString();

    const QString summary = model->messages().back().content;
    // The listener may already be back and have said so.
    EXPECT_TRUE(printed.startsWith(listeningLine +
                                   "Heard “Hey Orbix”: set rating to 3\nCapture One: " + summary + "\n"))
        << printed.toStdString();
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 3);
    ASSERT_TRUE(waitUntil([&] { return !synthesizer->spoken.empty(); }));
    EXPECT_EQ(synthesizer->lastText(), summary);

    // The read-back over, the listener is back, and no session was opened.
    ASSERT_TRUE(waitUntil([&] { return printed.count(listeningLine) == 2; })) << printed.toStdString();
    EXPECT_TRUE(server.clientEvents().isEmpty());
    EXPECT_FALSE(exitStatus.has_value());
}

TEST_F(ListenCommandLineTest, TheWakePhraseAloneHandsOverToAVoiceSessionAndListeningResumesAfterIt) {
    startListening();
    ASSERT_TRUE(recognizer->deliver("hey orbix", true));
    ASSERT_TRUE(printedSoon("Heard “Hey Orbix”\nStarting voice mode. Say \"that's it\" to stop.\n"))
        << printed.toStdString();
    ASSERT_TRUE(waitUntil([&] { return service->currentState() == RealtimeVoiceState::recording; },
                          std::chrono::seconds(20)));
    EXPECT_FALSE(recognizer->isRunning()) << "one microphone user at a time";

    server.sendEvent(event("response.output_audio_transcript.delta", {{"delta", "What shall "}}));
    server.sendEvent(event("response.output_audio_transcript.delta", {{"delta", "I do?"}}));
    server.sendEvent(event("response.done"));
    ASSERT_TRUE(printedSoon("Orbix: What shall I do?\n")) << printed.toStdString();

    server.sendEvent(
        event("conversation.item.input_audio_transcription.completed", {{"transcript", "That's it."}}));
    ASSERT_TRUE(waitUntil([&] { return printed.count(listeningLine) == 2; }, std::chrono::seconds(20)))
        << printed.toStdString();
    EXPECT_TRUE(recognizer->isRunning());
    EXPECT_FALSE(exitStatus.has_value());
}

TEST_F(ListenCommandLineTest, StoppingEndsTheSessionAndLeavesTheMicrophoneFree) {
    startListening();
    ASSERT_TRUE(recognizer->deliver("hey orbix", false));
    ASSERT_TRUE(waitUntil([&] { return service->currentState() == RealtimeVoiceState::recording; },
                          std::chrono::seconds(20)));

    cli->stop();
    ASSERT_TRUE(waitUntil([&] { return exitStatus.has_value(); }));
    EXPECT_EQ(*exitStatus, 0);
    EXPECT_FALSE(service->isActive());
    EXPECT_FALSE(recognizer->isRunning()) << "the model's restart after the session is stopped too";
    EXPECT_EQ(printed.count(listeningLine), 1);
}

TEST_F(ListenCommandLineTest, AListenerThatCannotStartEndsWithItsReason) {
    recognizer->setMicrophoneGranted(false);
    cli->start([this](int status) { exitStatus = status; });
    ASSERT_TRUE(waitUntil([&] { return exitStatus.has_value(); }));
    EXPECT_EQ(*exitStatus, 1);
    EXPECT_EQ(printed, "Hey Orbix: Microphone access is required for Hey Orbix.\n");
}

TEST(TerminalInterrupt, ASignalBecomesACallFromTheEventLoopUntilDestroyed) {
    int calls = 0;
    {
        TerminalInterrupt interrupt([&] { ++calls; });
        ASSERT_TRUE(interrupt.isInstalled());
        ASSERT_EQ(std::raise(SIGINT), 0);
        EXPECT_EQ(calls, 0) << "not from inside the signal handler";
        ASSERT_TRUE(waitUntil([&] { return calls == 1; }));
        ASSERT_EQ(std::raise(SIGTERM), 0);
        ASSERT_TRUE(waitUntil([&] { return calls == 2; }));
    }
    struct sigaction current {};
    ASSERT_EQ(sigaction(SIGINT, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}
