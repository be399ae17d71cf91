#include "voice/WakeWordVoiceService.h"

#include "voice/WakePhraseMatching.h"

#include <QMetaObject>
#include <QTimer>
#include <mutex>

namespace orbix {

namespace {

const QString microphoneAccessRequired = QStringLiteral("Microphone access is required for Hey Orbix.");
const QString speechRecognitionAccessRequired =
    QStringLiteral("Speech recognition access is required for Hey Orbix.");

// A second detection this soon after an accepted one is the same utterance heard again.
constexpr std::chrono::milliseconds wakeDebounce{1000};

} // namespace

// Lets other threads (permission answers, recognition results) queue work for the listener until the
// service starts going away; afterwards their reports are dropped.
class WakeWordVoiceService::QueueGate {
public:
    explicit QueueGate(QObject* context) : context_(context) {}

    void post(std::function<void()> work) {
        std::lock_guard lock(mutex_);
        if (context_ != nullptr) {
            QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
        }
    }
    void close() {
        std::lock_guard lock(mutex_);
        context_ = nullptr;
    }

private:
    std::mutex mutex_;
    QObject* context_;
};

WakeWordVoiceService::WakeWordVoiceService(std::shared_ptr<SpeechRecognizer> recognizer)
    : WakeWordVoiceService(std::move(recognizer), Options{}) {}

WakeWordVoiceService::WakeWordVoiceService(std::shared_ptr<SpeechRecognizer> recognizer, Options options,
                                           QObject* parent)
    : QObject(parent), recognizer_(std::move(recognizer)), options_(std::move(options)),
      queueContext_(new QObject), gate_(std::make_shared<QueueGate>(queueContext_)) {
    restartTimer_ = new QTimer(queueContext_);
    restartTimer_->setSingleShot(true);
    connect(restartTimer_, &QTimer::timeout, queueContext_, [this] { restartAfterUtteranceOnQueue(); });
    queueThread_.setObjectName(QStringLiteral("com.orbix.Orbix.wake-word"));
    queueContext_->moveToThread(&queueThread_);
    queueThread_.start();
}

WakeWordVoiceService::~WakeWordVoiceService() {
    gate_->close();
    QMetaObject::invokeMethod(
        queueContext_,
        [this] {
            stopRecognitionOnQueue();
            delete restartTimer_;
            restartTimer_ = nullptr;
        },
        Qt::BlockingQueuedConnection);
    queueThread_.quit();
    queueThread_.wait();
    delete queueContext_;
}

void WakeWordVoiceService::start() {
    postToQueue([this] { startOnQueue(); });
}

void WakeWordVoiceService::stop() {
    postToQueue([this] { stopRecognitionOnQueue(); });
}

void WakeWordVoiceService::stopAndWait(std::function<void()> done) {
    postToQueue([this, done = std::move(done)]() mutable {
        stopRecognitionOnQueue();
        postToMain(std::move(done));
    });
}

void WakeWordVoiceService::postToQueue(std::function<void()> work) {
    gate_->post(std::move(work));
}

void WakeWordVoiceService::postToMain(std::function<void()> work) {
    // Queued on this object, so nothing runs once the service is gone.
    QMetaObject::invokeMethod(
        this,
        [work = std::move(work)] {
            if (work) {
                work();
            }
        },
        Qt::QueuedConnection);
}

void WakeWordVoiceService::startOnQueue() {
    if (isListening_ || isPreparing_) {
        return;
    }
    isPreparing_ = true;
    const qint64 generation = authorizationGeneration_;
    if (!recognizer_) {
        // No capture device at all on this machine.
        finishAuthorization(generation,
                            VoiceFailure{microphoneAccessRequired, VoicePermissionProblem::microphone});
        return;
    }
    recognizer_->requestMicrophoneAccess([gate = gate_, this, generation](bool granted) {
        gate->post([this, generation, granted] {
            if (granted) {
                askRecognitionAuthorizationOnQueue(generation);
            } else {
                finishAuthorization(generation,
                                    VoiceFailure{microphoneAccessRequired, VoicePermissionProblem::microphone});
            }
        });
    });
}

void WakeWordVoiceService::askRecognitionAuthorizationOnQueue(qint64 generation) {
    if (generation != authorizationGeneration_) {
        return; // stopped meanwhile: do not ask the user for something no one waits for
    }
    recognizer_->requestRecognitionAuthorization([gate = gate_, this, generation](bool granted) {
        gate->post([this, generation, granted] {
            finishAuthorization(
                generation, granted ? std::nullopt
                                    : std::optional(VoiceFailure{speechRecognitionAccessRequired,
                                                                 VoicePermissionProblem::speechRecognition}));
        });
    });
}

void WakeWordVoiceService::finishAuthorization(qint64 generation, std::optional<VoiceFailure> refusal) {
    if (generation != authorizationGeneration_) {
        return;
    }
    isPreparing_ = false;
    if (refusal) {
        emitError(refusal->message, refusal->problem);
        return;
    }
    if (const std::optional<QString> failure = startRecognitionOnQueue()) {
        emitError(*failure);
        stopRecognitionOnQueue();
    }
}

std::optional<QString> WakeWordVoiceService::startRecognitionOnQueue() {
    if (isListening_) {
        return std::nullopt;
    }
    // Every stop moves the generation on, so it also names this recognition run: results that were
    // already on their way when the run was stopped are recognised as stale and dropped.
    const qint64 run = authorizationGeneration_;
    SpeechRecognizer::ResultHandler handler = [](const SpeechRecognitionResult&) {};
    if (recognizer_->isRecognitionAvailable()) {
        handler = [gate = gate_, this, run](const SpeechRecognitionResult& result) {
            gate->post([this, run, result] { handleResultOnQueue(run, result); });
        };
    }
    recognizerRunning_ = true;
    if (std::optional<QString> failure = recognizer_->start(std::move(handler))) {
        return failure;
    }
    isListening_ = true;
    emitListeningState(true);
    return std::nullopt;
}

void WakeWordVoiceService::stopRecognitionOnQueue() {
    ++authorizationGeneration_;
    const bool wasListening = isListening_;
    isListening_ = false;
    isPreparing_ = false;
    if (restartTimer_ != nullptr) {
        restartTimer_->stop();
    }
    if (recognizerRunning_) {
        recognizerRunning_ = false;
        recognizer_->stop();
    }
    if (wasListening) {
        emitListeningState(false);
    }
}

void WakeWordVoiceService::handleResultOnQueue(qint64 run, const SpeechRecognitionResult& result) {
    if (!isListening_ || run != authorizationGeneration_) {
        return;
    }
    if (!result.text.isEmpty()) {
        handleTranscriptOnQueue(result.text);
    }
    if (result.isFinal && isListening_) {
        // The recogniser ends each utterance (and gives up on errors); listening goes on with a new one.
        stopRecognitionOnQueue();
        restartGeneration_ = authorizationGeneration_;
        restartTimer_->start(options_.restartDelay);
    }
}

void WakeWordVoiceService::restartAfterUtteranceOnQueue() {
    if (restartGeneration_ != authorizationGeneration_) {
        return;
    }
    if (const std::optional<QString> failure = startRecognitionOnQueue()) {
        emitError(*failure);
        stopRecognitionOnQueue();
    }
}

void WakeWordVoiceService::handleTranscriptOnQueue(const QString& text) {
    const std::optional<wake::WakePhraseMatch> match = wake::findWakePhrase(text);
    if (!match) {
        return;
    }
    const Clock::time_point heardAt = now();
    if (lastWakeAt_ && heardAt - *lastWakeAt_ < wakeDebounce) {
        return;
    }
    lastWakeAt_ = heardAt;
    stopRecognitionOnQueue();
    postToMain([this, suffix = match->commandSuffix] { emit wakeDetected(suffix); });
}

void WakeWordVoiceService::emitListeningState(bool isListening) {
    postToMain([this, isListening] { emit listeningStateChanged(isListening); });
}

void WakeWordVoiceService::emitError(const QString& message, VoicePermissionProblem problem) {
    postToMain([this, message, problem] { emit errorOccurred(message, problem); });
}

WakeWordVoiceService::Clock::time_point WakeWordVoiceService::now() const {
    return options_.now ? options_.now() : Clock::now();
}

} // namespace orbix
