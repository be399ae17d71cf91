#pragma once
// One spoken conversation with the OpenAI Realtime API over a WebSocket: obtains the credential, opens
// and configures the session (instructions and the computer_use tool), streams microphone audio up and
// plays the model's audio down, turns server events into state changes and callbacks, runs the model's
// tool calls through the action dispatcher, and closes itself after a minute without activity.
//
// Threading: the service lives on the main thread; every public member is called there and every callback
// is delivered there, from the event loop (never from inside the call that caused it). Microphone buffers
// arrive on the capture thread, are converted on one worker thread in capture order and sent from the main
// thread; the flags the capture and worker threads read are atomics.

#include "core/ComputerUseArguments.h"
#include "core/ConversationRecords.h"
#include "core/RealtimeVoiceState.h"
#include "services/FirebaseAnonymousAuthService.h"
#include "services/LocalEnvironment.h"
#include "services/NetworkSettings.h"
#include "services/ProductConfiguration.h"
#include "voice/AudioInput.h"
#include "voice/AudioOutput.h"
#include "voice/RealtimeLog.h"
#include "voice/RealtimeSessionPhase.h"
#include "voice/RealtimeTurns.h"
#include "voice/RealtimeVoiceError.h"
#include "voice/SpeakerEchoGate.h"
#include "voice/VoiceFailure.h"
#include "voice/VoiceTimers.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QWebSocket;

namespace orbix {

class CaptureConverter;

// What the application model is asked when a tool call may target imported photos.
struct RealtimeImportedPhotoTargetRequest {
    QString action;
    std::optional<QString> text;
    std::optional<QString> targetName;
    std::optional<QString> prompt;
    std::optional<QString> presetName;
    std::optional<QString> transcript;

    friend bool operator==(const RealtimeImportedPhotoTargetRequest&,
                           const RealtimeImportedPhotoTargetRequest&) = default;
};

struct RealtimeVoiceServiceOptions {
    // Resolves the API key settings.
    SettingLookup lookup = LocalEnvironment::settingLookup();
    // The configuration read at each start; ProductConfiguration::current() when empty.
    std::function<ProductConfiguration()> configuration;
    // Hosts (the Realtime origin among them) and the HTTP time-out.
    NetworkSettings network = NetworkSettings::resolved();
    // The identity-token cache's clock; the system clock when empty.
    FirebaseAnonymousAuthService::Clock identityClock;
    // The named delays; VoiceTimers::system() when empty.
    std::shared_ptr<VoiceTimers> timers;
    // The log's folder; RealtimeLog::defaultDirectory() when empty.
    QString logDirectory;
    // Microphone and speaker; a voice session cannot start without both.
    std::shared_ptr<AudioInput> audioInput;
    std::shared_ptr<AudioOutput> audioOutput;
};

class OpenAIRealtimeVoiceService : public QObject {
    Q_OBJECT
public:
    using TargetPathsProvider = std::function<void(const RealtimeImportedPhotoTargetRequest& request,
                                                   std::function<void(std::optional<QStringList>)> answer)>;
    using ScopeBlocker = std::function<std::optional<ComputerUseResult>(const QString& transcript)>;

    static constexpr std::chrono::milliseconds pingInterval{15'000};
    static constexpr std::chrono::milliseconds idleDisconnectDelay{60'000};
    // How long playback may still sound after the speaker played the model's audio out; the microphone
    // stays muted.
    static constexpr std::chrono::milliseconds speakingTail = SpeakerEchoGate::tail;
    // How long a tool call waits for the transcription of the turn that caused it before it is judged on
    // what arrived; a chosen bound, logged when it is hit.
    static constexpr std::chrono::milliseconds transcriptionWaitLimit{3'000};
    // A server message larger than this ends the session instead of being buffered.
    static constexpr qint64 maximumIncomingMessageSize = 16 * 1024 * 1024;
    // Tool calls waiting to run; further calls are ignored with a log line.
    static constexpr std::size_t maximumWaitingCalls = 16;
    // The assistant's transcript of one response; longer text is not added.
    static constexpr qsizetype maximumTranscriptLength = 32'000;
    // After the application read a result back itself, speech that starts this soon does not start a
    // new tool-call turn.
    static constexpr std::chrono::milliseconds computerUseSuppressionWindow{350};
    static const QString model; // "gpt-realtime-2.1"

    // Questions the service asks the application, answered directly (not deferred). Without a scope
    // blocker every call runs; without a target-path provider every call acts on Capture One's selection.
    void setProductScopeBlocker(ScopeBlocker blocker) { productScopeBlocker_ = std::move(blocker); }
    void setImportedPhotoTargetPathsProvider(TargetPathsProvider provider) {
        importedPhotoTargetPathsProvider_ = std::move(provider);
    }

    OpenAIRealtimeVoiceService(QNetworkAccessManager& session, ComputerUseExecutor executor,
                               RealtimeVoiceServiceOptions options = {}, QObject* parent = nullptr);
    ~OpenAIRealtimeVoiceService() override;

    // Opens and configures a session; `done(true)` when it runs. While a session is active or starting,
    // the call stops it instead and answers false.
    void start(bool isVoice, std::function<void(bool)> done = {});
    // Tears the session down; safe at any time.
    void stop();
    // Switches a running session between voice and text-only; `done` after the switch (or its failure).
    void setVoiceMode(bool enabled, std::function<void()> done = {});
    // The application handled a tool result itself: back to listening.
    void finishLocalFeedbackAndScheduleIdleDisconnect();
    // Appends a line to the Realtime log; secrets and line breaks never reach it.
    void writeLog(const QString& message);

    bool isActive() const { return isActivePhase(phase_); }
    bool isVoiceSession() const { return isVoiceSession_; }
    RealtimeVoiceState currentState() const { return currentState_; }

    // One frame as received from the socket (text or binary), handled at once. Tool calls run one at a
    // time in arrival order beside the event stream; a response's follow-up is asked for once the
    // response is over and each of its calls has its output.
    void receiveFrame(const QByteArray& frame);

signals:
    // Every signal but computerUseStarting is emitted from the event loop, never from inside the call that
    // caused it.
    void stateChanged(RealtimeVoiceState state);
    // The assistant's transcript of the current response so far, or its final text.
    void assistantTranscriptChanged(const QString& transcript);
    // Emitted synchronously, just before an action runs.
    void computerUseStarting(const QString& action, const std::optional<QString>& scriptCode);
    // Every result of a tool call, refusals included.
    void computerUseFinished(const ComputerUseResult& result);
    void wakePhraseDetected();
    // A failure that ended the session or kept it from starting; stateChanged(failed) follows.
    void errorOccurred(const QString& message, VoicePermissionProblem problem);
    // A failure the session survived (a refused client event, unreadable tool arguments).
    void recoverableErrorOccurred(const QString& message);
    // A model response ended without a tool call.
    void responseDone();

private:
    using SendResult = std::optional<RealtimeVoiceError>;

    void finishStart(quint64 generation, bool running);
    void failStart(quint64 generation, const QString& message,
                   VoicePermissionProblem problem = VoicePermissionProblem::none);
    void connectSocket(quint64 generation, const QString& token);
    void afterSessionCreated(quint64 generation);
    void socketClosed(QWebSocket* socket);
    SendResult sendJSON(const QJsonObject& event);
    void sendIgnoringFailure(const QJsonObject& event);
    SendResult sendSessionUpdate(bool isVoice);
    std::optional<VoiceFailure> beginRecordingAfterConnect();
    std::optional<VoiceFailure> startMicrophone();
    void stopAudio();
    void scheduleIdleDisconnect();
    void cancelIdleDisconnect();
    void advance(RealtimeSessionEvent event);
    void updateState(RealtimeVoiceState state);
    void fail(const QString& message, VoicePermissionProblem problem = VoicePermissionProblem::none);
    void emitAssistantTranscript(const QString& text);
    void emitComputerUseResult(const ComputerUseResult& result);
    // Runs `work` from the event loop.
    void later(std::function<void()> work);
    // The text with the session's credentials masked: everything leaving the service goes through it.
    QString shown(const QString& text) const;
    void rememberSecretsOf(const ProductConfiguration& configuration);

    struct PendingCall {
        QString callID;
        QString action;
        QJsonObject arguments;
        RealtimeTurns::CallOrigin origin;
        // What the model had said of its response when it made the call.
        QString assistantTranscript;
    };

    void handle(const QJsonObject& event);
    void handleAudioDelta(const QJsonObject& event);
    void appendAssistantTranscript(const QJsonValue& delta);
    void handleUserTranscription(const QJsonObject& event);
    void handleTranscriptionFailed(const QJsonObject& event);
    void handleResponseDone(const QJsonObject& event);
    void handleServerError(const QJsonObject& event);
    void endAfterConnectionLoss(const QString& message);
    void reportRecoverable(const QString& message);

    void handleFunctionCall(const QJsonObject& event);
    void runNextCall();
    // The running call's turn has its words (or the wait is over): apply the scope rule, then execute.
    void judgeRunningCall();
    // The words the running call waits for have arrived (or failed): judge it now.
    void judgeRunningCallWaitingFor(const RealtimeTurns::TurnPointer& turn);
    void executeRunningCall(ComputerUseArguments arguments);
    void answerRunningCall(quint64 generation, const ComputerUseResult& result);
    void sendFollowUp(const RealtimeTurns::TurnPointer& turn);
    void clearToolCalls();

    void captured(const std::shared_ptr<CaptureConverter>& converter, const CapturedAudio& buffer);
    bool mayCapture() const;

    QNetworkAccessManager* session_;
    ComputerUseExecutor executor_;
    RealtimeVoiceServiceOptions options_;
    std::shared_ptr<VoiceTimers> timers_;
    RealtimeLog log_;

    QPointer<QWebSocket> webSocket_;
    std::unique_ptr<VoiceTimer> pingTimer_;
    std::unique_ptr<VoiceTimer> idleDisconnectTimer_;
    std::unique_ptr<VoiceTimer> transcriptionWaitTimer_;
    std::function<void(std::optional<QString> error)> connectionContinuation_;
    std::function<void(bool)> startCompletion_;

    // Read on the capture and conversion threads as well.
    std::atomic<RealtimeSessionPhase> phase_{RealtimeSessionPhase::idle};
    SpeakerEchoGate echoGate_;
    bool isVoiceSession_ = true;
    bool isMicrophoneActive_ = false;
    bool didExecuteComputerUseForCurrentResponse_ = false;
    std::optional<VoiceTimers::Clock::time_point> suppressComputerUseUntil_;
    RealtimeVoiceState currentState_ = RealtimeVoiceState::idle;
    QString transcriptBuffer_;
    RealtimeTurns turns_;
    // The keys and the session's bearer token, masked wherever a server text is shown or logged.
    QStringList secrets_;
    ScopeBlocker productScopeBlocker_;
    TargetPathsProvider importedPhotoTargetPathsProvider_;
    // Bumped by every start and stop: work begun for an older session drops its result.
    std::atomic<quint64> generation_{0};

    std::deque<PendingCall> waitingCalls_;
    std::optional<PendingCall> runningCall_;

    // Serial worker for microphone conversion: converters are only used there, in capture order.
    QThreadPool audioWorker_;
};

} // namespace orbix
