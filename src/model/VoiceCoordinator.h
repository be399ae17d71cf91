#pragma once
// The voice side of the model: owns the Realtime session's and the wake phrase listener's callbacks, the
// voice state the views mirror (session state, listening, missing microphone), the spoken transcript's
// message, read-back of results, the hand-over of the microphone between the listener and the session,
// commands heard right after the wake phrase (and the one waiting for "confirm"), the window-activation
// delays and the one-time permission alert. Everything else it needs from the model goes through
// `ModelSeam`, so it never reaches into the model's own state.
//
// Threading: lives on the model's thread and is only called there; the services answer on that thread.
// A completion or delay that arrives after the coordinator is gone is ignored.

#include "core/ChangeRecord.h"
#include "core/ConversationRecords.h"
#include "core/RealtimeVoiceState.h"
#include "model/AppPresenter.h"
#include "model/LocalCommandRoad.h"
#include "voice/VoiceFailure.h"

#include <QObject>
#include <QString>
#include <QUuid>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>

namespace orbix {

class AudioInputDevices;
class MacComputerUseService;
class OpenAIRealtimeVoiceService;
class SpeechFeedbackService;
class VoiceTimer;
class VoiceTimers;
class WakeWordVoiceService;
struct RealtimeImportedPhotoTargetRequest;

class VoiceCoordinator : public QObject {
    Q_OBJECT

public:
    // After the wake listener has released the microphone, before a voice session takes it.
    static constexpr std::chrono::milliseconds microphoneHandOverDelay{150};
    // The windows are activated twice: a window manager may still be busy with the first request.
    static constexpr std::chrono::milliseconds windowActivationRepeatDelay{150};

    // Each service is optional; those given must outlive the coordinator, which installs their callbacks.
    struct Services {
        OpenAIRealtimeVoiceService* realtimeVoiceService = nullptr;
        WakeWordVoiceService* wakeWordVoiceService = nullptr;
        SpeechFeedbackService* speechFeedbackService = nullptr;
        AudioInputDevices* audioInputDevices = nullptr;
        // Runs the commands heard after the wake phrase; without it every wake phrase opens a session.
        MacComputerUseService* computerUseService = nullptr;
        std::shared_ptr<VoiceTimers> timers;
    };

    // What the coordinator asks of the rest of the model. Every member must be set.
    struct ModelSeam {
        // The conversation and the workspace.
        std::function<InputMode()> inputMode;
        // Voice input mode, with the conversation in front.
        std::function<void()> showVoiceMode;
        std::function<void(ConversationMessage)> appendMessage;
        // False when no message has that id.
        std::function<bool(const QUuid& id, const QString& content)> replaceMessageContent;
        // Shows a result's artifact, selected.
        std::function<void(Artifact)> showArtifact;
        std::function<void(bool responding)> setResponding;
        // Records what a command changed, with the road it came by and the last request.
        // `request`: the words that asked for it, when the coordinator knows them (a wake command); the
        // latest request otherwise.
        std::function<void(const std::optional<ChangeRecord>& change, ChangeRoad road,
                           const std::optional<QString>& request)>
            noteChange;
        // The tray photos the (lower-case) words aim at.
        std::function<QList<ImportedPhotoAsset>(const QString& words)> targetImportedPhotos;
        // The other roads a command heard after the wake phrase may take.
        std::function<LocalCommandRoad::Decision(const QString& words)> decideLocalCommand;
        std::function<bool(const QString& words)> answersPendingBatch;
        std::function<void()> dropPendingBatch;
        std::function<void(bool apply)> answerPendingBatch;
        // Takes back (redo: puts again) the last change, answering aloud.
        std::function<void(bool redo)> undoLastChange;
        // Runs a typed command on the local road, answering as that road does.
        std::function<void(const QString& command)> runLocalCommand;
    };

    VoiceCoordinator(Services services, ModelSeam model, QObject* parent = nullptr);
    ~VoiceCoordinator() override;

    // Published state; each write emits its change signal.
    RealtimeVoiceState realtimeVoiceState() const { return realtimeVoiceState_; }
    void setRealtimeVoiceState(RealtimeVoiceState state);
    bool isWakeWordListening() const { return isWakeWordListening_; }
    void setWakeWordListening(bool listening);
    bool isMicrophoneMissing() const { return isMicrophoneMissing_; }
    void setMicrophoneMissing(bool missing);
    std::optional<QUuid> realtimeTranscriptMessageID() const { return realtimeTranscriptMessageID_; }
    bool hasPresentedVoicePermissionAlert() const { return hasPresentedVoicePermissionAlert_; }

    // Toggles the voice session once the listener has let go of the microphone.
    void startComputerUseVoiceMode();
    void handleWakePhrase(const std::optional<QString>& commandSuffix);
    // Puts an action result of the voice roads into the conversation; `speak` reads it aloud in voice mode.
    void applyRealtimeComputerUseResult(const ComputerUseResult& result, bool speak);
    // The tray photos a voice action aims at: nothing when it works on the Capture One selection.
    std::optional<QStringList>
    importedPhotoTargetPaths(const RealtimeImportedPhotoTargetRequest& request) const;
    // Mirrors the spoken response into one assistant message that grows with it.
    void upsertRealtimeTranscript(const QString& text);
    // Start the wake phrase listener while no voice session runs; the latter on the next turn of the loop.
    void startWakeWordListening();
    void startWakeWordListeningWhenReady();
    void bringAppToFront();
    // Once per run: explains a refused microphone or speech recognition permission.
    void showVoicePermissionAlert(VoicePermission permission);
    // Not owned; none by default.
    void setPresenter(AppPresenter* presenter);

    bool isRealtimeSessionRunning() const;
    // The session goes back to listening after the application answered a request itself.
    void finishLocalFeedbackInSession();
    // Read back a result in voice mode; the microphone goes back to its user once Orbix is quiet.
    void speakFeedback(const QString& summary);

    // A wake command that changes many properties waits for "confirm" (VoiceWakeConfirmation.cpp).
    // Whether the words answer the command now waiting.
    bool answersWakeConfirmation(const QString& words) const;
    // Runs or drops the waiting command, answering on the road the words came by; the caller has shown
    // them.
    void takeWakeConfirmationAnswer(const QString& words, bool spoken);

signals:
    void realtimeVoiceStateChanged();
    void isWakeWordListeningChanged();
    void isMicrophoneMissingChanged();

private:
    void configureRealtimeVoice();
    void configureWakeWordVoice();
    void configureAudioInputDevices();
    // Reads the device list again; a microphone that appeared restarts the listener that waited for one.
    void noticeAudioInputs();
    bool isRealtimeSessionActive() const;
    void stopWakeWordListening();
    void finishSpokenFeedback();
    void handleRealtimeStateChange(RealtimeVoiceState state);
    void handleRealtimeError(const QString& message, VoicePermissionProblem problem);
    void appendAssistantMessage(const QString& content);
    void assertOnOwnThread() const;
    // Runs work on the next turn of the event loop, unless the coordinator is gone by then.
    void later(std::function<void()> work);
    // Runs work after one of the voice delays, unless the coordinator is gone by then.
    void afterDelay(std::chrono::milliseconds delay, std::function<void()> work);

    // Holds the command and asks for "confirm"; the caller has shown the command.
    void askWakeConfirmation(const QString& command);
    // Runs a command heard after the wake phrase and reads the result back.
    // `request`: the words heard, which the change record names (taken now: a typed request may come
    // while the command runs).
    void runWakeCommand(const QString& command, const QString& request);
    void runWakeAction(const ComputerUseArguments& arguments, const QString& request);
    ComputerUseCompletion wakeCommandFinished(const QString& request);
    void applyResult(const ComputerUseResult& result, bool speak, const std::optional<QString>& request);

    Services services_;
    ModelSeam model_;
    RealtimeVoiceState realtimeVoiceState_ = RealtimeVoiceState::idle;
    bool isWakeWordListening_ = false;
    bool isMicrophoneMissing_ = false;
    // The listener should run but had no microphone to listen with.
    bool isWakeWordListenerWaitingForMicrophone_ = false;
    std::list<std::unique_ptr<VoiceTimer>> pendingDelays_;
    AppPresenter* presenter_ = nullptr;
    std::optional<QUuid> realtimeTranscriptMessageID_;
    bool hasPresentedVoicePermissionAlert_ = false;
    std::optional<QString> wakeCommandAwaitingConfirmation_;
    // Tells a question's expiry from a later question's.
    int wakeConfirmationQuestion_ = 0;
};

} // namespace orbix
