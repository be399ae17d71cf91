// The Realtime session's and the wake phrase listener's callbacks, spoken transcripts and tool results in
// the conversation, the hand-over of the microphone between the listener and the session, commands said
// right after the wake phrase, and the one-time permission alert.
#include "model/VoiceCoordinator.h"

#include "captureone/CaptureOneScopeGuard.h"
#include "captureone/MacComputerUseService.h"
#include "core/TextRules.h"
#include "model/ChangeHistory.h"
#include "model/ImportedPhotoRecognizers.h"
#include "model/WakeCommandConfirmation.h"
#include "voice/AudioInputDevices.h"
#include "voice/OpenAIRealtimeVoiceService.h"
#include "voice/SpeechFeedbackService.h"
#include "voice/VoiceTimers.h"
#include "voice/WakeWordVoiceService.h"

#include <QPointer>
#include <QThread>
#include <QTimer>

namespace orbix {

namespace {

const QString voiceStartFailurePrefix = QStringLiteral("Voice couldn't start: ");
// A failure the open session survived: it did start, and it goes on.
const QString voiceSessionProblemPrefix = QStringLiteral("Voice: ");
const QString systemErrorLogPrefix = QStringLiteral("System error encountered: ");

const QString openSettingsButtonText = QStringLiteral("Open System Settings");
const QString notNowButtonText = QStringLiteral("Not Now");
const QString speechRecognitionAlertText = QStringLiteral("Speech Recognition Access Needed");
const QString speechRecognitionAlertDetail =
    QStringLiteral("Allow Orbix to use Speech Recognition so Hey Orbix can listen for commands.");
const QString microphoneAlertText = QStringLiteral("Microphone Access Needed");
const QString microphoneAlertDetail = QStringLiteral(
    "Allow Orbix to use the microphone so Hey Orbix and Realtime voice can listen for commands.");

VoicePermissionAlert permissionAlertFor(VoicePermission permission) {
    if (permission == VoicePermission::speechRecognition) {
        return {VoicePermission::speechRecognition, speechRecognitionAlertText, speechRecognitionAlertDetail,
                openSettingsButtonText, notNowButtonText};
    }
    return {VoicePermission::microphone, microphoneAlertText, microphoneAlertDetail, openSettingsButtonText,
            notNowButtonText};
}

} // namespace

VoiceCoordinator::VoiceCoordinator(Services services, ModelSeam model, QObject* parent)
    : QObject(parent), services_(std::move(services)), model_(std::move(model)) {
    if (!services_.timers) {
        services_.timers = VoiceTimers::system();
    }
    configureRealtimeVoice();
    configureWakeWordVoice();
    configureAudioInputDevices();
}

VoiceCoordinator::~VoiceCoordinator() = default;

void VoiceCoordinator::later(std::function<void()> work) {
    QTimer::singleShot(0, this, std::move(work));
}

void VoiceCoordinator::afterDelay(std::chrono::milliseconds delay, std::function<void()> work) {
    const auto slot = pendingDelays_.insert(pendingDelays_.end(), nullptr);
    *slot = services_.timers->after(delay, [this, slot, work = std::move(work)] {
        // The handle goes at the end of this call: a timer must not be destroyed before it has fired.
        const std::unique_ptr<VoiceTimer> fired = std::move(*slot);
        pendingDelays_.erase(slot);
        work();
    });
}

// --- Callbacks of the services ---------------------------------------------------------------------------

void VoiceCoordinator::configureRealtimeVoice() {
    OpenAIRealtimeVoiceService* voice = services_.realtimeVoiceService;
    if (!voice) {
        return;
    }
    // Reads only its argument: an empty transcript means the tool call came before the user's words did.
    voice->setProductScopeBlocker([](const QString& transcript) -> std::optional<ComputerUseResult> {
        const QString request = text::trimmed(transcript);
        if (!request.isEmpty() && !CaptureOneScopeGuard::isOffProductAppRequest(request)) {
            return std::nullopt;
        }
        return MacComputerUseService::scopeRefusal();
    });
    QPointer<VoiceCoordinator> self(this);
    voice->setImportedPhotoTargetPathsProvider([self](const RealtimeImportedPhotoTargetRequest& request,
                                                      std::function<void(std::optional<QStringList>)> answer) {
        // The tool call waits for this answer, so it comes even when the coordinator is gone.
        answer(self ? self->importedPhotoTargetPaths(request) : std::nullopt);
    });
    connect(voice, &OpenAIRealtimeVoiceService::stateChanged, this,
            &VoiceCoordinator::handleRealtimeStateChange);
    connect(voice, &OpenAIRealtimeVoiceService::assistantTranscriptChanged, this,
            &VoiceCoordinator::upsertRealtimeTranscript);
    connect(voice, &OpenAIRealtimeVoiceService::computerUseFinished, this,
            [this](const ComputerUseResult& result) { applyRealtimeComputerUseResult(result, false); });
    connect(voice, &OpenAIRealtimeVoiceService::responseDone, this, [this] {
        realtimeTranscriptMessageID_.reset();
        model_.setResponding(false);
    });
    connect(voice, &OpenAIRealtimeVoiceService::wakePhraseDetected, this, &VoiceCoordinator::bringAppToFront);
    connect(voice, &OpenAIRealtimeVoiceService::errorOccurred, this, &VoiceCoordinator::handleRealtimeError);
    connect(voice, &OpenAIRealtimeVoiceService::recoverableErrorOccurred, this, [this](const QString& message) {
        services_.realtimeVoiceService->writeLog(systemErrorLogPrefix + message);
        appendAssistantMessage(voiceSessionProblemPrefix + message);
    });
}

void VoiceCoordinator::configureWakeWordVoice() {
    WakeWordVoiceService* listener = services_.wakeWordVoiceService;
    if (!listener) {
        return;
    }
    connect(listener, &WakeWordVoiceService::wakeDetected, this, &VoiceCoordinator::handleWakePhrase);
    connect(listener, &WakeWordVoiceService::listeningStateChanged, this,
            &VoiceCoordinator::setWakeWordListening);
    // Every listener failure is explained, refusals and engine errors alike: without the listener "Hey
    // Orbix" does nothing, and the microphone is what the user can check. A machine without any
    // microphone is no refusal: the workspace says so, and the listener waits for one to be plugged in.
    connect(listener, &WakeWordVoiceService::errorOccurred, this,
            [this](const QString&, VoicePermissionProblem problem) {
                setWakeWordListening(false);
                noticeAudioInputs();
                if (problem == VoicePermissionProblem::microphone && isMicrophoneMissing_) {
                    isWakeWordListenerWaitingForMicrophone_ = true;
                    return;
                }
                showVoicePermissionAlert(problem == VoicePermissionProblem::speechRecognition
                                             ? VoicePermission::speechRecognition
                                             : VoicePermission::microphone);
            });
}

void VoiceCoordinator::configureAudioInputDevices() {
    AudioInputDevices* devices = services_.audioInputDevices;
    if (!devices) {
        return;
    }
    isMicrophoneMissing_ = !devices->hasInputDevice();
    QPointer<VoiceCoordinator> self(this);
    devices->setInputsChangedHandler([self] {
        if (self) {
            self->noticeAudioInputs();
        }
    });
}

void VoiceCoordinator::noticeAudioInputs() {
    if (!services_.audioInputDevices) {
        return;
    }
    const bool missing = !services_.audioInputDevices->hasInputDevice();
    if (missing != isMicrophoneMissing_) {
        setMicrophoneMissing(missing);
    }
    if (!missing && isWakeWordListenerWaitingForMicrophone_) {
        startWakeWordListening();
    }
}

void VoiceCoordinator::handleRealtimeStateChange(RealtimeVoiceState state) {
    const bool wasRunning = isRealtimeSessionRunning();
    setRealtimeVoiceState(state);
    switch (state) {
    case RealtimeVoiceState::connecting:
    case RealtimeVoiceState::recording:
    case RealtimeVoiceState::speaking:
        // One microphone user at a time: the session has it now.
        stopWakeWordListening();
        break;
    case RealtimeVoiceState::idle:
    case RealtimeVoiceState::failed:
        realtimeTranscriptMessageID_.reset();
        model_.setResponding(false);
        // Once per session end ("failed" is followed by "idle"), and never beside a session that is
        // still open: one microphone user at a time.
        if (wasRunning && !isRealtimeSessionActive()) {
            startWakeWordListening();
        }
        break;
    }
}

void VoiceCoordinator::handleRealtimeError(const QString& message, VoicePermissionProblem problem) {
    model_.setResponding(false);
    services_.realtimeVoiceService->writeLog(systemErrorLogPrefix + message);
    noticeAudioInputs();
    if (problem == VoicePermissionProblem::microphone && !isMicrophoneMissing_) {
        showVoicePermissionAlert(VoicePermission::microphone);
    }
    appendAssistantMessage(voiceStartFailurePrefix + message);
}

// --- Published state -------------------------------------------------------------------------------------

void VoiceCoordinator::assertOnOwnThread() const {
    // Views bind to the model's mirrors of this state: a change from another thread would race them.
    Q_ASSERT_X(QThread::currentThread() == thread(), "VoiceCoordinator",
               "published state changed off the model's thread");
}

void VoiceCoordinator::setRealtimeVoiceState(RealtimeVoiceState state) {
    assertOnOwnThread();
    realtimeVoiceState_ = state;
    emit realtimeVoiceStateChanged();
}

void VoiceCoordinator::setWakeWordListening(bool listening) {
    assertOnOwnThread();
    isWakeWordListening_ = listening;
    emit isWakeWordListeningChanged();
}

void VoiceCoordinator::setMicrophoneMissing(bool missing) {
    assertOnOwnThread();
    isMicrophoneMissing_ = missing;
    emit isMicrophoneMissingChanged();
}

// --- The conversation ------------------------------------------------------------------------------------

void VoiceCoordinator::appendAssistantMessage(const QString& content) {
    model_.appendMessage(ConversationMessage::make(ConversationRole::assistant, model_.inputMode(), content));
}

void VoiceCoordinator::upsertRealtimeTranscript(const QString& text) {
    const QString transcript = text::trimmed(text);
    if (transcript.isEmpty()) {
        return;
    }
    if (realtimeTranscriptMessageID_ &&
        model_.replaceMessageContent(*realtimeTranscriptMessageID_, transcript)) {
        return;
    }
    ConversationMessage message =
        ConversationMessage::make(ConversationRole::assistant, model_.inputMode(), transcript);
    realtimeTranscriptMessageID_ = message.id;
    model_.appendMessage(std::move(message));
}

void VoiceCoordinator::applyRealtimeComputerUseResult(const ComputerUseResult& result, bool speak) {
    applyResult(result, speak, std::nullopt);
}

void VoiceCoordinator::applyResult(const ComputerUseResult& result, bool speak,
                                   const std::optional<QString>& request) {
    // Spoken results are the wake road's; the others come from the voice session.
    model_.noteChange(result.change, speak ? ChangeRoad::wake : ChangeRoad::voice, request);
    // During a session the model speaks about the result itself and its transcript fills the message.
    if (!isRealtimeSessionActive()) {
        upsertRealtimeTranscript(result.summary);
    }
    if (result.artifact) {
        model_.showArtifact(*result.artifact);
    }
    if (speak && model_.inputMode() == InputMode::voice) {
        speakFeedback(result.summary);
        return;
    }
    if (isRealtimeSessionRunning()) {
        finishLocalFeedbackInSession();
    }
}

std::optional<QStringList>
VoiceCoordinator::importedPhotoTargetPaths(const RealtimeImportedPhotoTargetRequest& request) const {
    if (!ImportedPhotoRecognizers::isImportedPhotoTargetableAction(request.action)) {
        return std::nullopt;
    }
    QStringList texts;
    for (const std::optional<QString>& text :
         {request.text, request.targetName, request.prompt, request.presetName, request.transcript}) {
        if (text) {
            texts << *text;
        }
    }
    const QString lower = texts.join(QLatin1Char(' ')).toLower();
    if (!ImportedPhotoRecognizers::referencesImportedPhotoSelection(lower)) {
        return std::nullopt;
    }
    QStringList paths;
    for (const ImportedPhotoAsset& photo : model_.targetImportedPhotos(lower)) {
        paths << ImportedPhotoRecognizers::standardizedPath(photo.url);
    }
    return paths;
}

// --- Read-back -------------------------------------------------------------------------------------------

void VoiceCoordinator::speakFeedback(const QString& summary) {
    QPointer<VoiceCoordinator> self(this);
    const auto finished = [self] {
        if (self) {
            self->finishSpokenFeedback();
        }
    };
    if (services_.speechFeedbackService) {
        services_.speechFeedbackService->speak(summary, finished);
    } else {
        later(finished);
    }
}

void VoiceCoordinator::finishSpokenFeedback() {
    if (isRealtimeSessionRunning()) {
        finishLocalFeedbackInSession();
        return;
    }
    realtimeTranscriptMessageID_.reset();
    startWakeWordListening();
}

// --- Starting and stopping -------------------------------------------------------------------------------

bool VoiceCoordinator::isRealtimeSessionRunning() const {
    return realtimeVoiceState_ != RealtimeVoiceState::idle && realtimeVoiceState_ != RealtimeVoiceState::failed;
}

void VoiceCoordinator::finishLocalFeedbackInSession() {
    if (services_.realtimeVoiceService) {
        services_.realtimeVoiceService->finishLocalFeedbackAndScheduleIdleDisconnect();
    }
}

bool VoiceCoordinator::isRealtimeSessionActive() const {
    return services_.realtimeVoiceService && services_.realtimeVoiceService->isActive();
}

void VoiceCoordinator::startComputerUseVoiceMode() {
    model_.showVoiceMode();
    QPointer<VoiceCoordinator> self(this);
    const auto toggleSession = [self] {
        if (!self || !self->services_.realtimeVoiceService) {
            return;
        }
        OpenAIRealtimeVoiceService& voice = *self->services_.realtimeVoiceService;
        if (voice.isActive()) {
            voice.stop();
        } else {
            voice.start(true);
        }
    };
    const auto handOver = [self, toggleSession] {
        if (self) {
            self->afterDelay(microphoneHandOverDelay, toggleSession);
        }
    };
    if (services_.wakeWordVoiceService) {
        services_.wakeWordVoiceService->stopAndWait(handOver);
    } else {
        handOver();
    }
}

void VoiceCoordinator::handleWakePhrase(const std::optional<QString>& commandSuffix) {
    // An answer to a command waiting for "confirm" is taken first; anything else heard drops that command.
    const bool isAnswer = commandSuffix && answersWakeConfirmation(*commandSuffix);
    if (!isAnswer) {
        wakeCommandAwaitingConfirmation_.reset();
    }
    // A command without "capture one" in it counts only while Capture One is in use (or no text model is
    // configured), judged before Orbix's own window comes forward; an answer to a question completes it.
    using LocalKind = LocalCommandRoad::Decision::Kind;
    // Any other words drop a batch waiting for its answer.
    const bool isBatchAnswer = commandSuffix && model_.answersPendingBatch(*commandSuffix);
    if (!isBatchAnswer) {
        model_.dropPendingBatch();
    }
    const auto undoWords = commandSuffix && !isAnswer && !isBatchAnswer
                               ? ChangeHistory::undoRequest(*commandSuffix)
                               : std::nullopt;
    const LocalCommandRoad::Decision local = commandSuffix && !commandSuffix->isEmpty() &&
                                                     services_.computerUseService && !isAnswer && !undoWords &&
                                                     !isBatchAnswer
                                                 ? model_.decideLocalCommand(*commandSuffix)
                                                 : LocalCommandRoad::Decision{};
    const bool isLocalCommand = isAnswer || isBatchAnswer || undoWords.has_value() ||
                                local.kind == LocalKind::run || local.kind == LocalKind::ask;
    if (!isLocalCommand) {
        bringAppToFront();
    }
    model_.showVoiceMode();
    setWakeWordListening(false);
    if (!isLocalCommand) {
        startComputerUseVoiceMode();
        return;
    }
    model_.appendMessage(ConversationMessage::make(ConversationRole::user, InputMode::voice, *commandSuffix));
    if (isBatchAnswer) {
        model_.answerPendingBatch(wakeconfirmation::answerIn(*commandSuffix) !=
                                  wakeconfirmation::Answer::cancel);
    } else if (isAnswer) {
        takeWakeConfirmationAnswer(*commandSuffix, true);
    } else if (undoWords) {
        model_.undoLastChange(*undoWords);
    } else if (local.kind == LocalKind::ask) {
        // Read aloud like a result; the listener resumes once it has been said, ready for the answer.
        applyRealtimeComputerUseResult({local.reply, std::nullopt}, true);
    } else if (wakeconfirmation::needsConfirmation(local.arguments)) {
        askWakeConfirmation(*commandSuffix);
    } else {
        runWakeAction(local.arguments, *commandSuffix);
    }
}

void VoiceCoordinator::startWakeWordListening() {
    if (!services_.wakeWordVoiceService || isRealtimeSessionRunning()) {
        return;
    }
    isWakeWordListenerWaitingForMicrophone_ = isMicrophoneMissing_;
    if (!isMicrophoneMissing_) {
        services_.wakeWordVoiceService->start();
    }
}

void VoiceCoordinator::startWakeWordListeningWhenReady() {
    later([this] { startWakeWordListening(); });
}

void VoiceCoordinator::stopWakeWordListening() {
    if (services_.wakeWordVoiceService) {
        services_.wakeWordVoiceService->stop();
    }
    setWakeWordListening(false);
}

// --- The window and the alert ----------------------------------------------------------------------------

void VoiceCoordinator::setPresenter(AppPresenter* presenter) {
    presenter_ = presenter;
}

void VoiceCoordinator::bringAppToFront() {
    const auto activate = [this] {
        if (presenter_) {
            presenter_->activateAppWindows();
        }
    };
    activate();
    afterDelay(windowActivationRepeatDelay, activate);
}

void VoiceCoordinator::showVoicePermissionAlert(VoicePermission permission) {
    if (hasPresentedVoicePermissionAlert_) {
        return;
    }
    hasPresentedVoicePermissionAlert_ = true;
    if (presenter_) {
        presenter_->presentVoicePermissionAlert(permissionAlertFor(permission));
    }
}

} // namespace orbix
