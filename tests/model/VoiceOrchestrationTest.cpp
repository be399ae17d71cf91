// Voice mode through the model with the real services: the Realtime service against a local fake server,
// the wake phrase listener over a scripted recogniser, read-back over a recording synthesiser, and
// commands running on the simulator. Only the ports are fakes.
#include "AppModelTestHarness.h"
#include "FakeAudioDevices.h"
#include "FakeSpeechRecognizer.h"
#include "FakeSpeechSynthesizer.h"
#include "ManualVoiceTimers.h"
#include "RealtimeEvents.h"
#include "support/FakeRealtimeServer.h"
#include "voice/AudioInputDevices.h"
#include "voice/OpenAIRealtimeVoiceService.h"
#include "voice/SpeechFeedbackService.h"
#include "voice/WakeWordVoiceService.h"

#include <QFile>
#include <QJsonDocument>

using namespace orbix;
using namespace orbix::test;

namespace {

const QString refusalText = QStringLiteral(
    "Orbix works exclusively with Capture One. I can’t open, control, or perform work in other apps.");

// Activating the windows puts Orbix in front, as a window manager does.
class RecordingPresenter final : public AppPresenter {
public:
    explicit RecordingPresenter(RecordingWorkspace& workspace) : workspace_(workspace) {}
    void activateAppWindows() override {
        ++activations;
        workspace_.frontmost = FrontmostApplication{"Orbix", std::nullopt};
    }
    void presentVoicePermissionAlert(const VoicePermissionAlert& alert) override { alerts.push_back(alert); }

    int activations = 0;
    std::vector<VoicePermissionAlert> alerts;

private:
    RecordingWorkspace& workspace_;
};

// The machine's list of microphones, changed by the test as a plug-in would change it.
class FakeAudioInputDevices final : public AudioInputDevices {
public:
    bool hasInputDevice() const override { return present; }
    void setInputsChangedHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    void plugIn() {
        present = true;
        handler_();
    }

    bool present = true;

private:
    std::function<void()> handler_;
};

class VoiceOrchestration : public AppModelTest {
protected:
    VoiceOrchestration() {
        EXPECT_TRUE(realtimeServer.listen());
        RealtimeVoiceServiceOptions options;
        options.lookup = [](const QString& name) -> std::optional<QString> {
            return name == QLatin1String("ORBIX_OPENAI_API_KEY") ? std::optional<QString>("sk-test-realtime")
                                                                 : std::nullopt;
        };
        options.configuration = [] {
            return ProductConfiguration::fromInformation({{"OrbixBuildFlavor", "internal"}}, {});
        };
        options.network = NetworkSettings::defaults();
        options.network.realtimeOrigin = realtimeServer.origin();
        options.timers = realtimeTimers;
        options.logDirectory = logs.path();
        options.audioInput = microphone;
        options.audioOutput = speaker;
        realtime = std::make_unique<OpenAIRealtimeVoiceService>(network, dispatcher.executor(), options);
        listener = std::make_unique<WakeWordVoiceService>(recognizer);
        feedback = std::make_unique<SpeechFeedbackService>(synthesizer);
    }
    ~VoiceOrchestration() override { model.reset(); }

    void addServices(AppModelServices& services) override {
        if (modelTimers) {
            services.voiceTimers = modelTimers;
        }
        services.realtimeVoiceService = realtime.get();
        services.wakeWordVoiceService = listener.get();
        services.speechFeedbackService = feedback.get();
        services.audioInputDevices = &inputDevices;
    }

    AppModel& makeVoiceModel() {
        makeModel();
        model->setPresenter(&presenter);
        return *model;
    }

    bool waitForState(RealtimeVoiceState state) {
        return waitUntil([&] { return model->realtimeVoiceState() == state; });
    }
    bool startListening() {
        model->startWakeWordListeningWhenReady();
        return waitUntil([&] { return model->isWakeWordListening() && recognizer->isRunning(); });
    }
    // Presses the microphone button and waits until the session listens.
    bool openSession() {
        model->startComputerUseVoiceMode();
        return waitForState(RealtimeVoiceState::recording);
    }
    QString realtimeLog() const {
        QFile file(logs.filePath("realtime.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QList<QJsonObject> toolOutputs() const {
        QList<QJsonObject> outputs;
        for (const QJsonObject& event : realtimeServer.clientEventsOfType("conversation.item.create")) {
            outputs << event.value("item").toObject();
        }
        return outputs;
    }

    FakeRealtimeServer realtimeServer;
    QTemporaryDir logs;
    std::shared_ptr<ManualVoiceTimers> realtimeTimers = std::make_shared<ManualVoiceTimers>();
    std::shared_ptr<FakeAudioInput> microphone = std::make_shared<FakeAudioInput>();
    std::shared_ptr<FakeAudioOutput> speaker = std::make_shared<FakeAudioOutput>();
    std::shared_ptr<FakeSpeechRecognizer> recognizer = std::make_shared<FakeSpeechRecognizer>();
    std::shared_ptr<FakeSpeechSynthesizer> synthesizer = std::make_shared<FakeSpeechSynthesizer>();
    std::unique_ptr<OpenAIRealtimeVoiceService> realtime;
    std::unique_ptr<WakeWordVoiceService> listener;
    std::unique_ptr<SpeechFeedbackService> feedback;
    RecordingPresenter presenter{workspace};
    FakeAudioInputDevices inputDevices;
    // The model's own delays on a manual clock, for tests that set it before making the model.
    std::shared_ptr<ManualVoiceTimers> modelTimers;
};

QJsonObject serverEvent(const QString& type, const QJsonObject& fields = {}) {
    QJsonObject event = fields;
    event.insert("type", type);
    return event;
}

} // namespace

TEST_F(VoiceOrchestration, TheButtonTogglesTheSessionAndTheListenerGivesWayToIt) {
    makeVoiceModel();
    ASSERT_TRUE(startListening());

    ASSERT_TRUE(openSession());
    EXPECT_EQ(model->inputMode(), InputMode::voice);
    EXPECT_FALSE(model->isWakeWordListening());
    EXPECT_FALSE(recognizer->isRunning()) << "one microphone user at a time";
    EXPECT_EQ(realtimeServer.connectionCount(), 1);

    model->startComputerUseVoiceMode();
    ASSERT_TRUE(waitUntil([&] { return !realtime->isActive() && model->isWakeWordListening(); }))
        << "pressing again stops the session and the listener resumes";
    EXPECT_EQ(model->realtimeVoiceState(), RealtimeVoiceState::idle);

    ASSERT_TRUE(openSession()) << "and a third press opens a new one";
    EXPECT_EQ(realtimeServer.connectionCount(), 2);
    EXPECT_FALSE(recognizer->isRunning());
}

TEST_F(VoiceOrchestration, AWakeCommandRunsLocallyAndIsReadBackBeforeTheListenerResumes) {
    makeVoiceModel();
    ASSERT_TRUE(startListening());
    // Said while working in Capture One: the command needs no "capture one" in it.
    workspace.frontmost = FrontmostApplication{"Capture One", std::nullopt};

    ASSERT_TRUE(recognizer->deliver("Hey Orbix, set rating to 3.", true));
    ASSERT_TRUE(waitUntil([&] { return !synthesizer->spoken.empty(); }));
    // A wake command that changed something says how to take it back: it may have been misheard.
    const QString summary = "Set rating to 3 on 2 selected variant(s). Say ‘Hey Orbix, undo’ to take it back.";
    EXPECT_EQ(synthesizer->lastText(), summary);
    ASSERT_EQ(model->messages().size(), 2);
    EXPECT_EQ(model->messages()[0].role, ConversationRole::user);
    EXPECT_EQ(model->messages()[0].mode, InputMode::voice);
    EXPECT_EQ(model->messages()[0].content, "set rating to 3");
    EXPECT_EQ(model->messages()[1].content, summary);
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 3);
    EXPECT_EQ(realtimeServer.connectionCount(), 0) << "no session for a command the parser knows";
    EXPECT_FALSE(model->isResponding());
    EXPECT_EQ(presenter.activations, 1) << "the window comes forward once the command has run";

    EXPECT_FALSE(recognizer->isRunning()) << "the listener must not hear the read-back";
    synthesizer->finishSpeaking();
    ASSERT_TRUE(waitUntil([&] { return model->isWakeWordListening(); }));
    EXPECT_FALSE(model->realtimeTranscriptMessageID());
    EXPECT_TRUE(waitUntil([&] { return presenter.activations == 2; })) << "and once more a moment later";

    // A typed command in voice mode is read back the same way.
    submit("capture one, set rating to 1");
    EXPECT_EQ(synthesizer->lastText(), "Set rating to 1 on 2 selected variant(s).");
    EXPECT_EQ(realtimeServer.connectionCount(), 0);
}

// A false wake must not reset a whole selection: commands that change many properties wait for "confirm",
// said after the wake phrase or typed; one property changes at once.
TEST_F(VoiceOrchestration, WakeCommandsThatChangeManyPropertiesWaitForConfirm) {
    modelTimers = std::make_shared<ManualVoiceTimers>();
    // Wakes a second apart, as said one after the other (the listener drops a wake within a second of one).
    auto heardAt = std::make_shared<WakeWordVoiceService::Clock::time_point>();
    listener = std::make_unique<WakeWordVoiceService>(
        recognizer, WakeWordVoiceService::Options{[heardAt] { return *heardAt += std::chrono::seconds(2); },
                                                  std::chrono::milliseconds(100)});
    makeVoiceModel();
    ASSERT_TRUE(startListening());
    const auto exposure = [&] {
        return simulator.variants()[0].toObject().value("adjustments").toObject().value("exposure").toDouble();
    };
    // Commands are said while working in Capture One; the answers come with Orbix in front, as its question
    // brought it forward.
    const auto hear = [&](const char* words) {
        if (!QString::fromUtf8(words).contains("confirm") && !QString::fromUtf8(words).contains("cancel")) {
            workspace.frontmost = FrontmostApplication{"Capture One", std::nullopt};
        }
        const auto spokenBefore = synthesizer->spoken.size();
        ASSERT_TRUE(recognizer->deliver(words, true)) << words;
        ASSERT_TRUE(
            waitUntil([&] { return synthesizer->spoken.size() > spokenBefore && !model->isResponding(); }));
        const QString said = synthesizer->lastText();
        synthesizer->finishSpeaking();
        ASSERT_TRUE(waitUntil([&] { return model->isWakeWordListening() && recognizer->isRunning(); }))
            << said.toStdString();
    };
    const QString question =
        "\u201creset adjustments\u201d changes many settings at once. Say \u201cHey Orbix, "
        "confirm\u201d or type \u201cconfirm\u201d to run it, or \u201ccancel\u201d.";

    hear("Hey Orbix, set exposure to 1.");
    EXPECT_EQ(exposure(), 1) << "one property changes at once";

    hear("Hey Orbix, reset adjustments.");
    EXPECT_EQ(synthesizer->lastText(), question);
    EXPECT_EQ(model->messages().last().content, question);
    EXPECT_EQ(exposure(), 1) << "nothing ran yet";
    hear("Hey Orbix, confirm.");
    EXPECT_EQ(exposure(), 0);
    EXPECT_EQ(model->messages().last().content,
              "Reset adjustments on 2 selected variant(s). Say ‘Hey Orbix, undo’ to take it back.");
    EXPECT_EQ(realtimeServer.connectionCount(), 0) << "an answer opens no session";

    // Cancelled, replaced by another command, or left unanswered: nothing runs.
    hear("Hey Orbix, set exposure to 1.");
    hear("Hey Orbix, auto adjust.");
    hear("Hey Orbix, cancel.");
    EXPECT_EQ(synthesizer->lastText(), "Cancelled. Nothing was changed.");
    hear("Hey Orbix, reset all adjustments.");
    hear("Hey Orbix, set rating to 2.");
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 2);
    hear("Hey Orbix, reset adjustments.");
    modelTimers->advance(std::chrono::seconds(30));
    submit("confirm");
    EXPECT_EQ(exposure(), 1);
    EXPECT_NE(model->messages().last().content, "Reset adjustments on 2 selected variant(s).");

    // Typed, the answer runs the command on the typed road; rating 0 clears a rating, so it asks too.
    hear("Hey Orbix, set rating to 0.");
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 2);
    submit(" Confirm ");
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 0);

    // The two words take the last change back, and "redo" puts it again.
    hear("Hey Orbix, undo.");
    EXPECT_EQ(synthesizer->lastText(), "Restored rating on 2 photos.");
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 2);
    hear("Hey Orbix, redo.");
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 0);
}

TEST_F(VoiceOrchestration, TheWakePhraseAloneOpensASession) {
    makeVoiceModel();
    ASSERT_TRUE(startListening());
    ASSERT_TRUE(recognizer->deliver("hey orbix", true));
    ASSERT_TRUE(waitForState(RealtimeVoiceState::recording));
    EXPECT_EQ(realtimeServer.connectionCount(), 1);
    EXPECT_TRUE(model->messages().isEmpty());
    EXPECT_TRUE(synthesizer->spoken.empty());
    EXPECT_EQ(model->inputMode(), InputMode::voice);
}

TEST_F(VoiceOrchestration, SpokenRequestsRunWhicheverOrderTheirWordsAndCallsArriveIn) {
    makeVoiceModel();
    ASSERT_TRUE(openSession());
    // The words come after the call, as the service's asynchronous transcription often delivers them.
    realtimeServer.sendEvent(events::speechStarted("item_1"));
    realtimeServer.sendEvent(events::committed("item_1"));
    realtimeServer.sendEvent(events::responseCreated("resp_1"));
    realtimeServer.sendEvent(
        events::functionCall("resp_1", "call_1", R"({"action":"c1_set_rating","value":5})"));
    realtimeServer.sendEvent(events::responseDone("resp_1"));
    realtimeServer.sendEvent(events::transcription("item_1", "rate the selection five stars"));
    ASSERT_TRUE(waitUntil([&] { return !toolOutputs().isEmpty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(toolOutputs()[0].value("output").toString(), "Set rating to 5 on 2 selected variant(s).");
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 5);

    // The second request of the session names another application: refused on its own words.
    realtimeServer.sendEvent(events::speechStarted("item_2"));
    realtimeServer.sendEvent(events::transcription("item_2", "open Mail and write to Anna"));
    realtimeServer.sendEvent(events::responseCreated("resp_2"));
    realtimeServer.sendEvent(
        events::functionCall("resp_2", "call_2", R"({"action":"open_app","app_name":"Mail"})"));
    realtimeServer.sendEvent(events::responseDone("resp_2"));
    ASSERT_TRUE(waitUntil([&] { return toolOutputs().size() == 2; }));
    EXPECT_EQ(toolOutputs()[1].value("output").toString(), refusalText);
    ASSERT_TRUE(waitUntil([&] { return model->selectedArtifact().has_value(); }));
    EXPECT_EQ(model->selectedArtifact()->title, "Capture One only");
    EXPECT_TRUE(model->messages().isEmpty()) << "in a session the model speaks about results itself";
}

TEST_F(VoiceOrchestration, ADroppedConnectionEndsTheSessionAndTheListenerResumesOnce) {
    makeVoiceModel();
    ASSERT_TRUE(startListening());
    ASSERT_TRUE(openSession());
    const int listenerStarts = recognizer->startCount();

    // A refused client event is shown and the session goes on, the listener still quiet.
    realtimeServer.sendEvent(events::serverError("invalid_request_error", "invalid_event", "Unknown event."));
    ASSERT_TRUE(waitUntil([&] { return !model->messages().isEmpty(); }));
    EXPECT_EQ(model->messages().last().content, "Voice: Unknown event.");
    EXPECT_EQ(model->realtimeVoiceState(), RealtimeVoiceState::recording);
    EXPECT_FALSE(recognizer->isRunning());

    realtimeServer.dropConnection();
    ASSERT_TRUE(waitUntil([&] { return model->isWakeWordListening() && recognizer->isRunning(); }));
    EXPECT_FALSE(realtime->isActive());
    EXPECT_FALSE(microphone->isCapturing()) << "the session let go of the microphone";
    EXPECT_EQ(model->realtimeVoiceState(), RealtimeVoiceState::idle);
    EXPECT_TRUE(model->messages().last().content.startsWith("Voice couldn't start: "));
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(recognizer->startCount(), listenerStarts + 1);

    ASSERT_TRUE(openSession()) << "the next press opens a new session";
    EXPECT_EQ(realtimeServer.connectionCount(), 2);
}

TEST_F(VoiceOrchestration, ASpokenResponseGrowsOneMessageAndTheNextResponseStartsAnother) {
    makeVoiceModel();
    ASSERT_TRUE(openSession());
    realtimeServer.sendEvent(serverEvent("response.output_audio_transcript.delta", {{"delta", "Raising "}}));
    realtimeServer.sendEvent(serverEvent("response.output_audio_transcript.delta", {{"delta", "exposure"}}));
    ASSERT_TRUE(waitUntil(
        [&] { return !model->messages().isEmpty() && model->messages()[0].content == "Raising exposure"; }));
    ASSERT_EQ(model->messages().size(), 1);
    realtimeServer.sendEvent(
        serverEvent("response.output_audio_transcript.done", {{"transcript", "Raised exposure."}}));
    realtimeServer.sendEvent(serverEvent("response.done"));
    ASSERT_TRUE(waitUntil([&] { return !model->realtimeTranscriptMessageID(); }));
    EXPECT_EQ(model->messages()[0].content, "Raised exposure.");
    EXPECT_EQ(model->messages()[0].mode, InputMode::voice);

    realtimeServer.sendEvent(
        serverEvent("conversation.item.input_audio_transcription.completed", {{"transcript", "thanks"}}));
    realtimeServer.sendEvent(
        serverEvent("response.output_audio_transcript.delta", {{"delta", "Anything else?"}}));
    ASSERT_TRUE(waitUntil([&] { return model->messages().size() == 2; }));
    EXPECT_EQ(model->messages()[1].content, "Anything else?");
    EXPECT_EQ(model->messages()[0].content, "Raised exposure.");
}

TEST_F(VoiceOrchestration, TargetPathsFollowTheTrayAndTheWordsOfTheRequest) {
    makeVoiceModel();
    const auto request = [](const QString& action, const QString& text) {
        RealtimeImportedPhotoTargetRequest request;
        request.action = action;
        request.transcript = text;
        return request;
    };
    const auto allPhotos = model->importedPhotoTargetPaths(request("c1_set_rating", "rate all photos 5 stars"));
    ASSERT_TRUE(allPhotos.has_value()) << "an empty tray gives an empty list, not nothing";
    EXPECT_TRUE(allPhotos->isEmpty());

    const QString folder = makeFolder("shoot", {"b.jpg", "a.jpg"});
    submit("import photos from " + folder);
    ASSERT_EQ(model->importedPhotos().size(), 2);
    model->selectImportedPhoto(model->importedPhotos()[1], false);
    const QString a = folder + "/a.jpg";
    const QString b = folder + "/b.jpg";

    const struct {
        const char* action;
        const char* text;
        std::optional<QStringList> paths;
    } cases[] = {
        {"c1_set_rating", "rate all photos 5 stars", QStringList{a, b}},
        {" C1_Apply_Style ", "apply Warm to the imported photos", QStringList{a, b}},
        {"c1_set_pick", "pick these", QStringList{b}},
        {"c1_set_rating", "rate it five stars", std::nullopt},
        {"c1_get_status", "status of all photos", std::nullopt},
        {"c1_rotate", "rotate these", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(model->importedPhotoTargetPaths(request(c.action, c.text)), c.paths) << c.text;
    }
    RealtimeImportedPhotoTargetRequest spread;
    spread.action = "c1_set_color_tag";
    spread.text = "red";
    spread.targetName = "ALL";
    spread.prompt = "Photos";
    EXPECT_EQ(model->importedPhotoTargetPaths(spread), QStringList({a, b}))
        << "the texts are joined before they are read";
}

TEST_F(VoiceOrchestration, ThePermissionAlertAppearsOncePerRunWhenBothPermissionsAreRefused) {
    recognizer->setRecognitionGranted(false);
    microphone->deviceExists = false;
    makeVoiceModel();
    model->startWakeWordListeningWhenReady();
    ASSERT_TRUE(waitUntil([&] { return presenter.alerts.size() == 1; }));
    EXPECT_EQ(
        presenter.alerts[0],
        (VoicePermissionAlert{VoicePermission::speechRecognition, "Speech Recognition Access Needed",
                              "Allow Orbix to use Speech Recognition so Hey Orbix can listen for commands.",
                              "Open System Settings", "Not Now"}));
    EXPECT_FALSE(model->isWakeWordListening());
    EXPECT_TRUE(model->messages().isEmpty()) << "listener failures add no message";

    model->startComputerUseVoiceMode();
    ASSERT_TRUE(waitUntil([&] { return !model->messages().isEmpty(); }));
    const QString microphoneFailure = "No microphone was found. Connect a microphone to use Realtime voice.";
    EXPECT_EQ(model->messages().last().content, "Voice couldn't start: " + microphoneFailure);
    EXPECT_TRUE(realtimeLog().contains("] System error encountered: " + microphoneFailure));
    EXPECT_TRUE(model->hasPresentedVoicePermissionAlert());
    EXPECT_EQ(presenter.alerts.size(), 1u) << "a microphone failure after a refusal raises no second alert";
    EXPECT_TRUE(waitUntil([&] { return recognizer->recognitionRequests() >= 2; }))
        << "the failed session hands back to the listener, which asks again";
    EXPECT_EQ(model->realtimeVoiceState(), RealtimeVoiceState::idle);
}

TEST_F(VoiceOrchestration, AMicrophoneFailureOfTheSessionExplainsTheMicrophone) {
    microphone->deviceExists = false;
    makeVoiceModel();
    model->startComputerUseVoiceMode();
    ASSERT_TRUE(waitUntil([&] { return presenter.alerts.size() == 1; }));
    EXPECT_EQ(presenter.alerts[0].permission, VoicePermission::microphone);
    EXPECT_EQ(presenter.alerts[0].messageText, "Microphone Access Needed");
    EXPECT_EQ(presenter.alerts[0].informativeText,
              "Allow Orbix to use the microphone so Hey Orbix and Realtime voice can listen for commands.");
}

TEST_F(VoiceOrchestration, AMachineWithoutAMicrophoneSaysSoWithoutAnAlertAndNoticesOnePluggedIn) {
    inputDevices.present = false;
    microphone->deviceExists = false;
    makeVoiceModel();
    EXPECT_TRUE(model->isMicrophoneMissing());
    model->startWakeWordListeningWhenReady();
    model->startComputerUseVoiceMode();
    ASSERT_TRUE(waitUntil([&] { return !model->messages().isEmpty(); }));
    EXPECT_EQ(model->messages().last().content,
              "Voice couldn't start: No microphone was found. Connect a microphone to use Realtime voice.");
    EXPECT_TRUE(presenter.alerts.empty()) << "no permission would give this machine a microphone";
    EXPECT_EQ(recognizer->microphoneRequests(), 0) << "the listener waits for a microphone";
    EXPECT_FALSE(model->isWakeWordListening());

    microphone->deviceExists = true;
    inputDevices.plugIn();
    EXPECT_FALSE(model->isMicrophoneMissing());
    EXPECT_TRUE(waitUntil([&] { return model->isWakeWordListening() && recognizer->isRunning(); }))
        << "the listener starts on the microphone plugged in";
    EXPECT_TRUE(presenter.alerts.empty());
}

TEST_F(VoiceOrchestration, ARefusedMicrophoneStillRaisesTheAlert) {
    recognizer->setMicrophoneGranted(false);
    makeVoiceModel();
    EXPECT_FALSE(model->isMicrophoneMissing());
    model->startWakeWordListeningWhenReady();
    ASSERT_TRUE(waitUntil([&] { return presenter.alerts.size() == 1; }));
    EXPECT_EQ(presenter.alerts[0].messageText, "Microphone Access Needed");
}
