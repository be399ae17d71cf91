// "Hey Orbix, set rating to three" spoken into a private PulseAudio server's pipe source: the real microphone
// backend, the on-device recogniser, the wake listener and the application model run the command in the
// Capture One Simulator, and the read-back comes out of the null sink.
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "model/AppModel.h"
#include "platform/PlatformAudio.h"
#include "platform/PlatformSpeechRecognition.h"
#include "platform/PlatformSpeechSynthesis.h"
#include "platform/speech/SpokenAudio.h"
#include "support/PrivatePulseAudio.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/RecordingWorkspace.h"
#include "support/SimulatorDispatcherFixture.h"
#include "support/SimulatorSession.h"
#include "voice/AudioOutput.h"
#include "voice/SpeechFeedbackService.h"
#include "voice/WakeWordVoiceService.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace orbix;
using namespace orbix::test;

namespace {

class WakeAudioEndToEnd : public ::testing::Test, protected SimulatorDispatcherFixture {
protected:
    void SetUp() override {
        if (const QString missing = PrivatePulseAudio::missingTools(); !missing.isEmpty()) {
            GTEST_SKIP() << "the real audio path needs " << missing.toStdString();
        }
        if (const std::optional<QString> reason = spokenAudioUnavailableReason()) {
            GTEST_SKIP() << "no spoken test audio: " << reason->toStdString();
        }
        const std::optional<QString> failure = pulse.start();
        ASSERT_FALSE(failure) << failure->toStdString();

        recognizer = createDefaultSpeechRecognizer(createDefaultAudioInput());
        if (!recognizer->isRecognitionAvailable()) {
            GTEST_SKIP() << "no American English recognition model is installed";
        }
        ASSERT_TRUE(QFile::link(QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app"),
                                applications.filePath(QStringLiteral("Capture One 23.app"))));
        simulator.command({"reset", "--variants", "3", "--select", "1,2"});
        // The user looks at Capture One, so a bare command is meant for it.
        workspace.frontmost = FrontmostApplication{QStringLiteral("Capture One 23"), std::nullopt};

        listener = std::make_unique<WakeWordVoiceService>(recognizer);
        feedback =
            std::make_unique<SpeechFeedbackService>(createDefaultSpeechSynthesizer(createDefaultAudioOutput()));
        AppModelServices services;
        services.computerUseService = &dispatcher;
        services.captureOne = &captureOne;
        services.workspace = &workspace;
        services.wakeWordVoiceService = listener.get();
        services.speechFeedbackService = feedback.get();
        model = std::make_unique<AppModel>(std::move(services));
    }
    void TearDown() override {
        stopSpeaking = true;
        if (speaker.joinable()) {
            speaker.join();
        }
        model.reset();
        feedback.reset();
        listener.reset();
    }

    // Writes the samples into the microphone's pipe at the pace a microphone would deliver them, from a
    // thread of its own: the event loop keeps running meanwhile. Never blocks: a pipe nobody drains (the
    // recorder is gone) ends the speech instead of hanging the test.
    void speak(std::vector<qint16> samples) {
        speaker =
            std::thread([this, pipe = pulse.microphonePipe().toLocal8Bit(), samples = std::move(samples)] {
                const int microphone = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (microphone < 0) {
                    return;
                }
                const auto* bytes = reinterpret_cast<const char*>(samples.data());
                const size_t total = samples.size() * sizeof(qint16);
                constexpr size_t chunk = PrivatePulseAudio::microphoneRate / 10 * sizeof(qint16);
                size_t written = 0;
                int stalledChunks = 0;
                while (written < total && !stopSpeaking && stalledChunks < 50) {
                    const ssize_t count =
                        ::write(microphone, bytes + written, std::min(chunk, total - written));
                    if (count > 0) {
                        written += size_t(count);
                        stalledChunks = 0;
                    } else {
                        ++stalledChunks;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
                ::close(microphone);
            });
    }

    QString lastMessage(ConversationRole role) const {
        const QList<ConversationMessage>& messages = model->messages();
        for (auto message = messages.rbegin(); message != messages.rend(); ++message) {
            if (message->role == role) {
                return message->content;
            }
        }
        return {};
    }

    PrivatePulseAudio pulse;
    std::shared_ptr<SpeechRecognizer> recognizer;
    std::unique_ptr<WakeWordVoiceService> listener;
    std::unique_ptr<SpeechFeedbackService> feedback;
    std::unique_ptr<AppModel> model;
    std::thread speaker;
    std::atomic<bool> stopSpeaking{false};
};

} // namespace

TEST_F(WakeAudioEndToEnd, ASpokenCommandAfterTheWakePhraseRunsInTheSimulatorAndIsReadBackAloud) {
    model->startWakeWordListening();
    ASSERT_TRUE(waitUntil([&] { return model->isWakeWordListening(); }, std::chrono::seconds(20)));
    ASSERT_TRUE(pulse.startMonitor(AudioOutput::sampleRate));
    const qint64 loudBefore = loudSamples(pulse.recorded());

    std::vector<qint16> speech = spokenSamples(QStringLiteral("hey orbix set rating to three"));
    ASSERT_FALSE(speech.empty());
    // Enough quiet afterwards for the recogniser to hear the utterance end.
    speech.insert(speech.end(), size_t(PrivatePulseAudio::microphoneRate) * 2, qint16(0));
    speak(std::move(speech));

    ASSERT_TRUE(
        waitUntil([&] { return !model->isResponding() && !lastMessage(ConversationRole::assistant).isEmpty(); },
                  std::chrono::seconds(60)))
        << "heard: " << lastMessage(ConversationRole::user).toStdString();
    EXPECT_EQ(lastMessage(ConversationRole::user), "set rating to 3");
    EXPECT_EQ(model->inputMode(), InputMode::voice);
    const QJsonArray variants = simulator.variants();
    EXPECT_EQ(variants[0].toObject().value("rating").toInt(), 3);
    EXPECT_EQ(variants[1].toObject().value("rating").toInt(), 3);
    EXPECT_EQ(variants[2].toObject().value("rating").toInt(), 0) << "not selected";

    // A spoken sentence, not a click: at least half a second of it above the noise floor.
    EXPECT_TRUE(
        waitUntil([&] { return loudSamples(pulse.recorded()) - loudBefore > AudioOutput::sampleRate / 2; },
                  std::chrono::seconds(20)))
        << "the sink's monitor heard " << loudSamples(pulse.recorded()) - loudBefore << " loud samples";
    // The read-back over, the listener takes the microphone again.
    EXPECT_TRUE(waitUntil([&] { return model->isWakeWordListening(); }, std::chrono::seconds(20)));
}

#ifdef ORBIX_PROGRAM
TEST_F(WakeAudioEndToEnd, OrbixListenHandsTheWakePhraseOnAndStopsCleanlyOnCtrlC) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No key: the voice session "Hey Orbix" alone asks for cannot start, and listening resumes. The
    // program finds no key file and no settings of the user's in a home of its own.
    environment.remove(QStringLiteral("ORBIX_OPENAI_API_KEY"));
    environment.remove(QStringLiteral("OPENAI_API_KEY"));
    QTemporaryDir home;
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("ORBIX_APPLICATIONS_PATH"), applications.path());
    environment.insert(QStringLiteral("ORBIX_SIMULATOR_DIR"), QString());
    QProcess orbix;
    orbix.setProcessEnvironment(environment);
    orbix.setWorkingDirectory(home.path());
    QString printed;
    QObject::connect(&orbix, &QProcess::readyReadStandardOutput,
                     [&] { printed += QString::fromUtf8(orbix.readAllStandardOutput()); });
    orbix.start(QStringLiteral(ORBIX_PROGRAM), {QStringLiteral("--listen")});
    ASSERT_TRUE(orbix.waitForStarted());
    const QString listening = QStringLiteral("Listening for “Hey Orbix”… Press Ctrl+C to stop.\n");
    ASSERT_TRUE(waitUntil([&] { return printed.contains(listening); }, std::chrono::seconds(30)))
        << printed.toStdString() << orbix.readAllStandardError().toStdString();

    std::vector<qint16> speech = spokenSamples(QStringLiteral("hey orbix"));
    speech.insert(speech.end(), size_t(PrivatePulseAudio::microphoneRate) * 2, qint16(0));
    speak(std::move(speech));
    ASSERT_TRUE(waitUntil([&] { return printed.count(listening) == 2; }, std::chrono::seconds(60)))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains(listening + "Heard “Hey Orbix”\nStarting voice mode."))
        << printed.toStdString();

    ASSERT_EQ(::kill(pid_t(orbix.processId()), SIGINT), 0);
    ASSERT_TRUE(orbix.waitForFinished(20'000));
    EXPECT_EQ(orbix.exitStatus(), QProcess::NormalExit) << orbix.readAllStandardError().toStdString();
    EXPECT_EQ(orbix.exitCode(), 0);
}
#endif
