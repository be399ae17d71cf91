#include "voice/OpenAIRealtimeVoiceService.h"

#include "services/ResponsesReplyReader.h"
#include "voice/AudioConversion.h"
#include "voice/RealtimeCredentials.h"
#include "voice/RealtimeServerError.h"
#include "voice/RealtimeSessionPayload.h"
#include "voice/RealtimeTextMatching.h"

#include <QJsonDocument>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>

namespace orbix {

namespace {

const QString realtimePath = QStringLiteral("/v1/realtime");
const QString parseFailurePrefix = QStringLiteral("Failed to parse tool call arguments: ");
const QString oversizedMessageText =
    QStringLiteral("The Realtime server sent a message larger than 16 MiB, so the session was ended.");

QJsonObject typedEvent(const char* type) {
    return {{QStringLiteral("type"), QString::fromUtf8(type)}};
}

std::optional<QString> optionalString(const QJsonObject& object, const char* name) {
    const QJsonValue value = object.value(QLatin1String(name));
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

// JSON true/false, or the numbers 0 and 1.
std::optional<bool> optionalBoolean(const QJsonValue& value) {
    if (value.isBool()) {
        return value.toBool();
    }
    if (value.isDouble() && (value.toDouble() == 0.0 || value.toDouble() == 1.0)) {
        return value.toDouble() == 1.0;
    }
    return std::nullopt;
}

ComputerUseArguments argumentsFrom(const QString& action, const QJsonObject& object) {
    ComputerUseArguments arguments;
    arguments.action = action;
    arguments.appName = optionalString(object, "app_name");
    arguments.url = optionalString(object, "url");
    arguments.targetName = optionalString(object, "target_name");
    arguments.text = optionalString(object, "text");
    arguments.key = optionalString(object, "key");
    arguments.query = optionalString(object, "query");
    arguments.prompt = optionalString(object, "prompt");
    arguments.aspectRatio = optionalString(object, "aspect_ratio");
    arguments.scriptCode = optionalString(object, "script_code");
    arguments.slider = optionalString(object, "slider");
    arguments.presetName = optionalString(object, "preset_name");
    arguments.folderPath = optionalString(object, "folder_path");
    const QJsonValue value = object.value(QStringLiteral("value"));
    if (value.isDouble()) {
        arguments.value = value.toDouble();
    }
    arguments.relative = optionalBoolean(object.value(QStringLiteral("relative")));
    return arguments;
}

} // namespace

const QString OpenAIRealtimeVoiceService::model = QStringLiteral("gpt-realtime-2.1");

OpenAIRealtimeVoiceService::OpenAIRealtimeVoiceService(QNetworkAccessManager& session,
                                                       ComputerUseExecutor executor,
                                                       RealtimeVoiceServiceOptions options, QObject* parent)
    : QObject(parent), session_(&session), executor_(std::move(executor)), options_(std::move(options)),
      timers_(options_.timers ? options_.timers : VoiceTimers::system()), log_(options_.logDirectory),
      echoGate_(timers_) {
    audioWorker_.setMaxThreadCount(1);
}

OpenAIRealtimeVoiceService::~OpenAIRealtimeVoiceService() {
    ++generation_;
    phase_ = RealtimeSessionPhase::idle;
    stopAudio();
    audioWorker_.waitForDone();
    if (webSocket_) {
        webSocket_->disconnect(this);
        webSocket_->abort();
    }
}

// MARK: session life cycle

void OpenAIRealtimeVoiceService::start(bool isVoice, std::function<void(bool)> done) {
    if (phase_ != RealtimeSessionPhase::idle) {
        stop();
        later([done = std::move(done)] {
            if (done) {
                done(false);
            }
        });
        return;
    }
    const quint64 generation = ++generation_;
    advance(RealtimeSessionEvent::startRequested);
    startCompletion_ = std::move(done);
    updateState(RealtimeVoiceState::connecting);
    isVoiceSession_ = isVoice;

    if (isVoice) {
        if (!options_.audioInput || !options_.audioOutput || !options_.audioInput->hasDevice()) {
            failStart(generation,
                      RealtimeVoiceError::of(RealtimeVoiceError::Kind::microphoneDenied).description(),
                      VoicePermissionProblem::microphone);
            return;
        }
        if (const auto error = options_.audioOutput->start()) {
            failStart(generation, *error);
            return;
        }
    }

    const ProductConfiguration configuration =
        options_.configuration ? options_.configuration() : ProductConfiguration::current();
    rememberSecretsOf(configuration);
    const RealtimeCredentials credentials(*session_, options_.network, options_.lookup, options_.identityClock);
    credentials.bearerToken(configuration, model,
                            [this, guard = QPointer(this), generation](RealtimeCredentials::TokenResult token) {
                                if (!guard || generation != generation_) {
                                    return;
                                }
                                if (!token) {
                                    failStart(generation, token.error().description());
                                    return;
                                }
                                secrets_.append(token.value());
                                connectSocket(generation, token.value());
                            });
}

void OpenAIRealtimeVoiceService::connectSocket(quint64 generation, const QString& token) {
    auto url = endpointOnOrigin(options_.network.realtimeOrigin, realtimePath);
    if (!url) {
        failStart(generation, RealtimeVoiceError::of(RealtimeVoiceError::Kind::invalidURL).description());
        return;
    }
    url->setQuery(QUrlQuery{{QStringLiteral("model"), model}});

    auto* socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    // A larger message closes the connection with "too much data" before its payload is buffered.
    socket->setMaxAllowedIncomingFrameSize(quint64(maximumIncomingMessageSize));
    socket->setMaxAllowedIncomingMessageSize(quint64(maximumIncomingMessageSize));
    webSocket_ = socket;
    connect(socket, &QWebSocket::textMessageReceived, this,
            [this](const QString& message) { receiveFrame(message.toUtf8()); });
    connect(socket, &QWebSocket::binaryMessageReceived, this, &OpenAIRealtimeVoiceService::receiveFrame);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { socketClosed(socket); });

    connectionContinuation_ = [this, generation](std::optional<QString> error) {
        if (error) {
            failStart(generation, *error);
        } else {
            afterSessionCreated(generation);
        }
    };

    QNetworkRequest request(*url);
    request.setRawHeader(kAuthorizationHeader, bearer(token));
    request.setTransferTimeout(60'000);
    socket->open(request);

    pingTimer_ = timers_->every(pingInterval, [this] {
        if (!webSocket_) {
            return;
        }
        // A ping only fails when there is no open connection to carry it; nothing reconnects.
        if (webSocket_->state() != QAbstractSocket::ConnectedState) {
            writeLog(QStringLiteral("WebSocket ping failed: ") +
                     RealtimeVoiceError::of(RealtimeVoiceError::Kind::notConnected).description());
            return;
        }
        webSocket_->ping();
    });
}

void OpenAIRealtimeVoiceService::afterSessionCreated(quint64 generation) {
    if (generation != generation_) {
        return;
    }
    if (const auto error = sendSessionUpdate(isVoiceSession_)) {
        failStart(generation, error->description());
        return;
    }
    if (isVoiceSession_) {
        if (const auto failure = beginRecordingAfterConnect()) {
            failStart(generation, failure->message, failure->problem);
            return;
        }
    } else {
        advance(RealtimeSessionEvent::configuredForText);
    }
    scheduleIdleDisconnect();
    finishStart(generation, true);
}

void OpenAIRealtimeVoiceService::finishStart(quint64 generation, bool running) {
    if (generation != generation_ || !startCompletion_) {
        return;
    }
    later([done = std::exchange(startCompletion_, {}), running] { done(running); });
}

void OpenAIRealtimeVoiceService::failStart(quint64 generation, const QString& message,
                                           VoicePermissionProblem problem) {
    if (generation != generation_) {
        return;
    }
    fail(message, problem);
    stop();
}

void OpenAIRealtimeVoiceService::socketClosed(QWebSocket* socket) {
    if (socket != webSocket_) {
        return;
    }
    QString message =
        socket->error() != QAbstractSocket::UnknownSocketError ? socket->errorString() : socket->closeReason();
    if (socket->closeCode() == QWebSocketProtocol::CloseCodeTooMuchData) {
        message = oversizedMessageText;
    } else if (message.isEmpty()) {
        message = RealtimeVoiceError::of(RealtimeVoiceError::Kind::notConnected).description();
    }
    writeLog(QStringLiteral("Realtime WebSocket closed: ") + message);
    pingTimer_.reset();
    if (auto continuation = std::exchange(connectionContinuation_, {})) {
        continuation(message);
        return;
    }
    // A connection that is gone ends the session as stop() does: the microphone is released at once and
    // the next start opens a new connection.
    if (isActive()) {
        fail(message);
        stop();
    }
}

void OpenAIRealtimeVoiceService::stop() {
    cancelIdleDisconnect();
    ++generation_;
    advance(RealtimeSessionEvent::ended);
    // A session stopped while the model spoke must not leave the next one's microphone muted.
    echoGate_.openNow();
    stopAudio();
    // Appends already converted are dropped by the generation check once they reach the main thread.
    audioWorker_.waitForDone();
    pingTimer_.reset();
    if (QWebSocket* socket = webSocket_) {
        webSocket_ = nullptr;
        socket->disconnect(this);
        socket->close(QWebSocketProtocol::CloseCodeGoingAway);
        socket->deleteLater();
    }
    connectionContinuation_ = {};
    clearToolCalls();
    transcriptBuffer_.clear();
    if (auto done = std::exchange(startCompletion_, {})) {
        later([done = std::move(done)] { done(false); });
    }
    updateState(RealtimeVoiceState::idle);
}

void OpenAIRealtimeVoiceService::setVoiceMode(bool enabled, std::function<void()> done) {
    isVoiceSession_ = enabled;
    const auto finish = [this, &done] {
        later([done = std::move(done)] {
            if (done) {
                done();
            }
        });
    };
    if (!enabled) {
        advance(RealtimeSessionEvent::voiceModeOff);
        stopAudio();
        if (const auto error = sendSessionUpdate(false)) {
            fail(error->description());
        } else {
            updateState(RealtimeVoiceState::idle);
        }
        finish();
        return;
    }
    std::optional<VoiceFailure> error;
    if (!isActive()) {
        // Without a session the microphone would stream to nobody and stay taken.
        error = VoiceFailure{RealtimeVoiceError::of(RealtimeVoiceError::Kind::notConnected).description()};
    } else if (!options_.audioInput || !options_.audioOutput || !options_.audioInput->hasDevice()) {
        error = VoiceFailure{RealtimeVoiceError::of(RealtimeVoiceError::Kind::microphoneDenied).description(),
                             VoicePermissionProblem::microphone};
    } else if (auto playback = options_.audioOutput->start()) {
        error = VoiceFailure{*playback};
    } else if (auto microphone = startMicrophone()) {
        error = microphone;
    } else {
        advance(RealtimeSessionEvent::voiceModeOn);
        if (const auto update = sendSessionUpdate(true)) {
            error = VoiceFailure{update->description()};
        }
    }
    if (error) {
        fail(error->message, error->problem);
    } else {
        updateState(RealtimeVoiceState::recording);
    }
    finish();
}

void OpenAIRealtimeVoiceService::finishLocalFeedbackAndScheduleIdleDisconnect() {
    if (!isActive()) {
        return;
    }
    // The model's own audio may still be playing; the microphone opens once it has played out.
    if (options_.audioOutput) {
        echoGate_.openUnlessPlaying(*options_.audioOutput);
    } else {
        echoGate_.openNow();
    }
    didExecuteComputerUseForCurrentResponse_ = false;
    suppressComputerUseUntil_ = timers_->now() + computerUseSuppressionWindow;
    updateState(RealtimeVoiceState::recording);
    QTimer::singleShot(0, this, [this] { sendIgnoringFailure(typedEvent("input_audio_buffer.clear")); });
    scheduleIdleDisconnect();
}

void OpenAIRealtimeVoiceService::scheduleIdleDisconnect() {
    // A tool call may take long (processing a batch); the countdown starts when the last one is answered.
    if (runningCall_ || !waitingCalls_.empty()) {
        cancelIdleDisconnect();
        return;
    }
    idleDisconnectTimer_ = timers_->after(idleDisconnectDelay, [this] {
        writeLog(QStringLiteral("Realtime session idle; disconnecting."));
        stop();
    });
}

void OpenAIRealtimeVoiceService::cancelIdleDisconnect() {
    idleDisconnectTimer_.reset();
}

void OpenAIRealtimeVoiceService::writeLog(const QString& message) {
    log_.write(shown(message));
}

QString OpenAIRealtimeVoiceService::shown(const QString& text) const {
    return ResponsesReplyReader::redacted(text, secrets_);
}

void OpenAIRealtimeVoiceService::rememberSecretsOf(const ProductConfiguration& configuration) {
    secrets_.clear();
    if (!options_.lookup) {
        return;
    }
    for (const QString& name : {configuration.openAIEnvironmentKeyName, RealtimeCredentials::genericKeyName}) {
        if (const auto key = options_.lookup(name); key && !key->isEmpty()) {
            secrets_.append(*key);
        }
    }
}

// MARK: sending

OpenAIRealtimeVoiceService::SendResult OpenAIRealtimeVoiceService::sendJSON(const QJsonObject& event) {
    if (!webSocket_ || webSocket_->state() != QAbstractSocket::ConnectedState) {
        return RealtimeVoiceError::of(RealtimeVoiceError::Kind::notConnected);
    }
    const QString text = QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Compact));
    if (webSocket_->sendTextMessage(text) != text.toUtf8().size()) {
        return RealtimeVoiceError::of(RealtimeVoiceError::Kind::notConnected);
    }
    return std::nullopt;
}

void OpenAIRealtimeVoiceService::sendIgnoringFailure(const QJsonObject& event) {
    (void)sendJSON(event);
}

OpenAIRealtimeVoiceService::SendResult OpenAIRealtimeVoiceService::sendSessionUpdate(bool isVoice) {
    return sendJSON(realtime::sessionUpdateEvent(isVoice));
}

// MARK: callbacks and state

void OpenAIRealtimeVoiceService::later(std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void OpenAIRealtimeVoiceService::advance(RealtimeSessionEvent event) {
    if (const auto next = nextPhase(phase_, event)) {
        phase_ = *next;
    }
}

void OpenAIRealtimeVoiceService::updateState(RealtimeVoiceState state) {
    currentState_ = state;
    later([this, state] { emit stateChanged(state); });
}

void OpenAIRealtimeVoiceService::fail(const QString& text, VoicePermissionProblem problem) {
    later([this, message = shown(text), problem] {
        emit errorOccurred(message, problem);
        emit stateChanged(RealtimeVoiceState::failed);
    });
}

void OpenAIRealtimeVoiceService::emitAssistantTranscript(const QString& transcript) {
    later([this, text = shown(transcript)] { emit assistantTranscriptChanged(text); });
}

void OpenAIRealtimeVoiceService::emitComputerUseResult(const ComputerUseResult& computerUseResult) {
    ComputerUseResult result = computerUseResult;
    result.summary = shown(result.summary);
    if (result.artifact) {
        result.artifact->body = shown(result.artifact->body);
    }
    later([this, result] { emit computerUseFinished(result); });
}

// MARK: server events

void OpenAIRealtimeVoiceService::receiveFrame(const QByteArray& frame) {
    // Decoding through QString repairs invalid UTF-8 before the JSON parser sees it.
    const QJsonDocument document = QJsonDocument::fromJson(QString::fromUtf8(frame).toUtf8());
    if (document.isObject() && document.object().value(QStringLiteral("type")).isString()) {
        handle(document.object());
    }
}

void OpenAIRealtimeVoiceService::handle(const QJsonObject& event) {
    const QString type = event.value(QStringLiteral("type")).toString();
    const QString itemID = event.value(QStringLiteral("item_id")).toString();
    writeLog(QStringLiteral("Received Realtime WebSocket event: ") + type);

    if (type == QLatin1String("session.created")) {
        if (auto continuation = std::exchange(connectionContinuation_, {})) {
            continuation(std::nullopt);
        }
    } else if (type == QLatin1String("input_audio_buffer.speech_started")) {
        turns_.beginTurn(itemID);
        // Speech is activity, but speech that no response follows must not keep the session open.
        scheduleIdleDisconnect();
        if (!(suppressComputerUseUntil_ && *suppressComputerUseUntil_ > timers_->now())) {
            didExecuteComputerUseForCurrentResponse_ = false;
        }
    } else if (type == QLatin1String("input_audio_buffer.committed")) {
        turns_.beginTurn(itemID);
    } else if (type == QLatin1String("response.created")) {
        didExecuteComputerUseForCurrentResponse_ = false;
        turns_.responseCreated(
            event.value(QStringLiteral("response")).toObject().value(QStringLiteral("id")).toString());
    } else if (type == QLatin1String("response.output_audio.delta") ||
               type == QLatin1String("response.audio.delta")) {
        handleAudioDelta(event);
    } else if (type == QLatin1String("response.output_audio_transcript.delta") ||
               type == QLatin1String("response.audio_transcript.delta") ||
               type == QLatin1String("response.text.delta") ||
               type == QLatin1String("response.output_text.delta")) {
        appendAssistantTranscript(event.value(QStringLiteral("delta")));
    } else if (type == QLatin1String("response.output_audio_transcript.done") ||
               type == QLatin1String("response.audio_transcript.done") ||
               type == QLatin1String("response.text.done") ||
               type == QLatin1String("response.output_text.done")) {
        const QJsonValue text =
            event.value(type.endsWith(QLatin1String("transcript.done")) ? QStringLiteral("transcript")
                                                                        : QStringLiteral("text"));
        if (text.isString()) {
            transcriptBuffer_ = text.toString().left(maximumTranscriptLength);
            emitAssistantTranscript(transcriptBuffer_);
            writeLog(QStringLiteral("Assistant response transcript: \"") + transcriptBuffer_ +
                     QLatin1Char('"'));
        }
    } else if (type == QLatin1String("conversation.item.input_audio_transcription.completed")) {
        handleUserTranscription(event);
    } else if (type == QLatin1String("conversation.item.input_audio_transcription.failed")) {
        handleTranscriptionFailed(event);
    } else if (type == QLatin1String("response.function_call_arguments.done")) {
        handleFunctionCall(event);
    } else if (type == QLatin1String("response.done")) {
        handleResponseDone(event);
    } else if (type == QLatin1String("error")) {
        handleServerError(event);
    }
}

void OpenAIRealtimeVoiceService::handleAudioDelta(const QJsonObject& event) {
    const QJsonValue delta = event.value(QStringLiteral("delta"));
    if (!isVoiceSession_ || !delta.isString() || !options_.audioOutput) {
        return;
    }
    const auto decoded =
        QByteArray::fromBase64Encoding(delta.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        return;
    }
    echoGate_.shut();
    std::vector<float> samples = playbackSamples(*decoded);
    AudioOutput& speaker = *options_.audioOutput;
    const qint64 excess = speaker.unplayedFrames() + qint64(samples.size()) - AudioOutput::maximumQueuedFrames;
    if (excess > 0) {
        // The backend drops the oldest audio itself; this only says so once per chunk.
        writeLog(QStringLiteral("Playback queue full: the oldest %1 ms of model audio were dropped.")
                     .arg(excess * 1000 / AudioOutput::sampleRate));
    }
    speaker.play(std::move(samples));
    updateState(RealtimeVoiceState::speaking);
}

void OpenAIRealtimeVoiceService::appendAssistantTranscript(const QJsonValue& delta) {
    if (!delta.isString() || transcriptBuffer_.size() >= maximumTranscriptLength) {
        return;
    }
    transcriptBuffer_ += delta.toString().left(maximumTranscriptLength - transcriptBuffer_.size());
    emitAssistantTranscript(transcriptBuffer_);
}

void OpenAIRealtimeVoiceService::handleUserTranscription(const QJsonObject& event) {
    const QJsonValue transcript = event.value(QStringLiteral("transcript"));
    if (transcript.isString()) {
        const QString text = transcript.toString();
        writeLog(QStringLiteral("User input transcription: \"") + text + QLatin1Char('"'));
        const RealtimeTurns::TurnPointer turn =
            turns_.transcriptionSettled(event.value(QStringLiteral("item_id")).toString(), text);
        if (realtime::containsWakePhrase(text)) {
            later([this] { emit wakePhraseDetected(); });
        }
        if (realtime::isVoiceSessionStopCommand(text)) {
            sendIgnoringFailure(typedEvent("input_audio_buffer.clear"));
            stop();
            return;
        }
        scheduleIdleDisconnect();
        judgeRunningCallWaitingFor(turn);
    }
    transcriptBuffer_.clear();
}

void OpenAIRealtimeVoiceService::handleTranscriptionFailed(const QJsonObject& event) {
    writeLog(QStringLiteral("User input transcription failed."));
    const RealtimeTurns::TurnPointer turn =
        turns_.transcriptionSettled(event.value(QStringLiteral("item_id")).toString(), std::nullopt);
    judgeRunningCallWaitingFor(turn);
}

void OpenAIRealtimeVoiceService::handleResponseDone(const QJsonObject& event) {
    RealtimeVoiceState next = RealtimeVoiceState::idle;
    if (isVoiceSession_) {
        sendIgnoringFailure(typedEvent("input_audio_buffer.clear"));
        if (options_.audioOutput) {
            echoGate_.openAfterPlayOut(*options_.audioOutput);
        }
        next = RealtimeVoiceState::recording;
    }
    updateState(next);
    if (!didExecuteComputerUseForCurrentResponse_) {
        later([this] { emit responseDone(); });
    }
    const QString responseID =
        event.value(QStringLiteral("response")).toObject().value(QStringLiteral("id")).toString();
    if (const auto followUpTurn = turns_.responseDone(responseID)) {
        sendFollowUp(*followUpTurn);
    }
    scheduleIdleDisconnect();
}

void OpenAIRealtimeVoiceService::handleServerError(const QJsonObject& event) {
    const realtime::ServerError error = realtime::classifyServerError(event);
    writeLog(QStringLiteral("Received Realtime API error: ") + error.message);
    switch (error.severity) {
    case realtime::ServerErrorSeverity::benign:
        return;
    case realtime::ServerErrorSeverity::recoverable:
        reportRecoverable(error.message);
        return;
    case realtime::ServerErrorSeverity::fatal:
        fail(error.message);
        stop();
        return;
    }
}

void OpenAIRealtimeVoiceService::reportRecoverable(const QString& text) {
    later([this, message = shown(text)] { emit recoverableErrorOccurred(message); });
}

// MARK: tool calls

void OpenAIRealtimeVoiceService::handleFunctionCall(const QJsonObject& event) {
    cancelIdleDisconnect();
    const QJsonValue callID = event.value(QStringLiteral("call_id"));
    if (event.value(QStringLiteral("name")) != QLatin1String(realtime::computerUseToolName.data()) ||
        !callID.isString()) {
        return;
    }
    const QJsonValue rawArguments = event.value(QStringLiteral("arguments"));
    const QString argumentsText = rawArguments.isString() ? rawArguments.toString() : QStringLiteral("{}");
    const QJsonDocument document = QJsonDocument::fromJson(argumentsText.toUtf8());
    const QJsonValue action = document.object().value(QStringLiteral("action"));
    if (!document.isObject() || !action.isString()) {
        const QString message = parseFailurePrefix + argumentsText;
        writeLog(message);
        reportRecoverable(message);
        return;
    }
    if (waitingCalls_.size() >= maximumWaitingCalls) {
        writeLog(QStringLiteral("Tool call ignored: too many calls are waiting to run."));
        return;
    }
    writeLog(QStringLiteral("Tool call 'computer_use': action = ") + action.toString() +
             QStringLiteral(", args = ") + argumentsText);
    // The response made a call: its end is not the end of the exchange.
    didExecuteComputerUseForCurrentResponse_ = true;
    waitingCalls_.push_back(PendingCall{
        callID.toString(), action.toString(), document.object(),
        turns_.callArrived(event.value(QStringLiteral("response_id")).toString()), transcriptBuffer_});
    runNextCall();
}

void OpenAIRealtimeVoiceService::runNextCall() {
    if (runningCall_ || waitingCalls_.empty()) {
        return;
    }
    runningCall_ = std::move(waitingCalls_.front());
    waitingCalls_.pop_front();
    const RealtimeTurns::TurnPointer& turn = runningCall_->origin.turn;
    if (productScopeBlocker_ && turn && !turn->isTranscriptSettled) {
        // The turn's words are still being transcribed: judge the call when they arrive, or on what
        // arrived once the wait is over.
        transcriptionWaitTimer_ = timers_->after(transcriptionWaitLimit, [this] {
            writeLog(QStringLiteral("No transcription of the user's turn arrived in time for the tool call."));
            judgeRunningCall();
        });
        return;
    }
    judgeRunningCall();
}

void OpenAIRealtimeVoiceService::judgeRunningCallWaitingFor(const RealtimeTurns::TurnPointer& turn) {
    if (runningCall_ && runningCall_->origin.turn == turn && transcriptionWaitTimer_) {
        judgeRunningCall();
    }
}

void OpenAIRealtimeVoiceService::judgeRunningCall() {
    // The timer's own callback may be what runs this: its handle goes after the call returns.
    const std::unique_ptr<VoiceTimer> waitTimer = std::move(transcriptionWaitTimer_);
    const PendingCall& call = *runningCall_;
    if (productScopeBlocker_) {
        const QString transcript = call.origin.turn ? call.origin.turn->transcript : QString();
        if (const auto refusal = productScopeBlocker_(transcript)) {
            emitComputerUseResult(*refusal);
            answerRunningCall(generation_, *refusal);
            return;
        }
    }
    ComputerUseArguments arguments = argumentsFrom(call.action, call.arguments);
    if (!importedPhotoTargetPathsProvider_) {
        executeRunningCall(std::move(arguments));
        return;
    }
    const RealtimeImportedPhotoTargetRequest request{arguments.action,     arguments.text,
                                                     arguments.targetName, arguments.prompt,
                                                     arguments.presetName, call.assistantTranscript};
    importedPhotoTargetPathsProvider_(
        request, [this, guard = QPointer(this), generation = quint64(generation_),
                  arguments = std::move(arguments)](std::optional<QStringList> paths) mutable {
            if (!guard || generation != generation_) {
                return;
            }
            // An empty list means the request is about the imported photos and none is a target; an
            // empty target list would reach Capture One as "the current selection", which the user did
            // not name.
            if (paths && paths->isEmpty()) {
                const ComputerUseResult result = withoutImportedPhotoTargets();
                emitComputerUseResult(result);
                answerRunningCall(generation, result);
                return;
            }
            arguments.targetPaths = paths.value_or(QStringList());
            executeRunningCall(std::move(arguments));
        });
}

void OpenAIRealtimeVoiceService::executeRunningCall(ComputerUseArguments arguments) {
    emit computerUseStarting(arguments.action, arguments.scriptCode);
    executor_(arguments, [this, guard = QPointer(this),
                          generation = quint64(generation_)](const ComputerUseResult& result) {
        if (!guard) {
            return;
        }
        const qsizetype artifactLength = result.artifact ? result.artifact->body.size() : 0;
        writeLog(QStringLiteral("Tool execution result: summary = \"") + result.summary +
                 QStringLiteral("\", artifact body length = ") + QString::number(artifactLength));
        // What was done is reported even when the session ended meanwhile.
        emitComputerUseResult(result);
        answerRunningCall(generation, result);
    });
}

void OpenAIRealtimeVoiceService::answerRunningCall(quint64 generation, const ComputerUseResult& result) {
    // A call that outlived its session is not answered: its call id means nothing to a new session.
    if (generation != generation_ || !runningCall_) {
        return;
    }
    const PendingCall call = *std::exchange(runningCall_, std::nullopt);
    const QJsonObject output{
        {QStringLiteral("type"), QStringLiteral("conversation.item.create")},
        {QStringLiteral("item"), QJsonObject{{QStringLiteral("type"), QStringLiteral("function_call_output")},
                                             {QStringLiteral("call_id"), call.callID},
                                             {QStringLiteral("output"), result.summary}}},
    };
    if (const auto error = sendJSON(output)) {
        fail(error->description());
    } else {
        sendIgnoringFailure(typedEvent("input_audio_buffer.clear"));
        if (const auto followUpTurn = turns_.callAnswered(call.origin)) {
            sendFollowUp(*followUpTurn);
        }
    }
    if (waitingCalls_.empty()) {
        scheduleIdleDisconnect();
    }
    runNextCall();
}

void OpenAIRealtimeVoiceService::sendFollowUp(const RealtimeTurns::TurnPointer& turn) {
    turns_.followUpRequested(turn);
    if (const auto error = sendJSON(typedEvent("response.create"))) {
        fail(error->description());
    }
}

void OpenAIRealtimeVoiceService::clearToolCalls() {
    waitingCalls_.clear();
    runningCall_.reset();
    transcriptionWaitTimer_.reset();
    turns_.clear();
}

// MARK: audio

std::optional<VoiceFailure> OpenAIRealtimeVoiceService::beginRecordingAfterConnect() {
    transcriptBuffer_.clear();
    didExecuteComputerUseForCurrentResponse_ = false;
    options_.audioOutput->discardQueued();
    sendIgnoringFailure(typedEvent("input_audio_buffer.clear"));
    if (auto error = startMicrophone()) {
        return error;
    }
    advance(RealtimeSessionEvent::configuredForVoice);
    updateState(RealtimeVoiceState::recording);
    return std::nullopt;
}

std::optional<VoiceFailure> OpenAIRealtimeVoiceService::startMicrophone() {
    std::shared_ptr<CaptureConverter> converter = CaptureConverter::create(options_.audioInput->format());
    if (!converter) {
        return VoiceFailure{
            RealtimeVoiceError::of(RealtimeVoiceError::Kind::audioConversionUnavailable).description()};
    }
    // Starting again replaces the capture handler: one handler at a time, whatever the mode switches.
    if (auto error = options_.audioInput->start(
            [this, converter](const CapturedAudio& buffer) { captured(converter, buffer); })) {
        return VoiceFailure{*error, VoicePermissionProblem::microphone};
    }
    isMicrophoneActive_ = true;
    return std::nullopt;
}

void OpenAIRealtimeVoiceService::stopAudio() {
    if (!isMicrophoneActive_) {
        return;
    }
    options_.audioInput->stop();
    options_.audioOutput->stop();
    isMicrophoneActive_ = false;
}

bool OpenAIRealtimeVoiceService::mayCapture() const {
    return phase_ == RealtimeSessionPhase::recording && !echoGate_.isShut();
}

void OpenAIRealtimeVoiceService::captured(const std::shared_ptr<CaptureConverter>& converter,
                                          const CapturedAudio& buffer) {
    // Capture thread: a buffer recorded while the model speaks never leaves.
    if (!mayCapture()) {
        return;
    }
    const quint64 generation = generation_;
    audioWorker_.start([this, converter, buffer, generation] {
        const QByteArray audio = converter->convert(buffer);
        // Checked again: speech may have begun, or the session stopped, while the buffer waited.
        if (audio.isEmpty() || !mayCapture()) {
            return;
        }
        const QString text = QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("type"), QStringLiteral("input_audio_buffer.append")},
                                      {QStringLiteral("audio"), QString::fromLatin1(audio.toBase64())}})
                .toJson(QJsonDocument::Compact));
        QMetaObject::invokeMethod(
            this,
            [this, text, generation] {
                if (generation == generation_ && webSocket_ &&
                    webSocket_->state() == QAbstractSocket::ConnectedState) {
                    webSocket_->sendTextMessage(text);
                }
            },
            Qt::QueuedConnection);
    });
}

} // namespace orbix
