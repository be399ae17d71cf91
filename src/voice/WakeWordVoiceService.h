#pragma once
// Listens on the device for "Hey Orbix" while no voice session runs. When it hears a wake phrase it stops
// itself and reports the words that followed, so that the application model can run a short command at
// once or open a voice session.
//
// Threading: created and called on the main thread; every state change happens on the service's own
// queue thread, and the callbacks are delivered on the main thread from the event loop.

#include "voice/SpeechRecognizer.h"
#include "voice/VoiceFailure.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace orbix {

class WakeWordVoiceService : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    struct Options {
        // The debounce clock; the steady clock when empty.
        std::function<Clock::time_point()> now;
        // Pause between the end of an utterance and the next recognition.
        std::chrono::milliseconds restartDelay{100};
    };

    // Two constructors rather than a defaulted Options argument: a nested struct with member initialisers
    // cannot be a default argument inside its own class.
    explicit WakeWordVoiceService(std::shared_ptr<SpeechRecognizer> recognizer);
    WakeWordVoiceService(std::shared_ptr<SpeechRecognizer> recognizer, Options options,
                         QObject* parent = nullptr);
    // Stops listening and waits for the queue.
    ~WakeWordVoiceService() override;

    // Begins listening unless already listening or preparing; asks for the permissions first.
    void start();
    void stop();
    // Stops listening; `done` runs on the main thread once the stop has been carried out on the queue.
    void stopAndWait(std::function<void()> done);

signals:
    // Emitted on the main thread from the event loop.
    // A wake phrase was heard; the argument is the command that followed it, if any.
    void wakeDetected(const std::optional<QString>& commandSuffix);
    void listeningStateChanged(bool isListening);
    void errorOccurred(const QString& message, VoicePermissionProblem problem);

private:
    class QueueGate;

    // Apart from the two posting helpers, these members and the state fields below are used only on the
    // queue thread.
    void postToQueue(std::function<void()> work);
    void postToMain(std::function<void()> work);
    void startOnQueue();
    void askRecognitionAuthorizationOnQueue(qint64 generation);
    void finishAuthorization(qint64 generation, std::optional<VoiceFailure> refusal);
    std::optional<QString> startRecognitionOnQueue();
    void stopRecognitionOnQueue();
    void handleResultOnQueue(qint64 run, const SpeechRecognitionResult& result);
    void handleTranscriptOnQueue(const QString& text);
    void restartAfterUtteranceOnQueue();
    void emitListeningState(bool isListening);
    void emitError(const QString& message, VoicePermissionProblem problem = VoicePermissionProblem::none);
    Clock::time_point now() const;

    std::shared_ptr<SpeechRecognizer> recognizer_;
    Options options_;
    QThread queueThread_;
    // Lives on the queue thread: queued work runs in its context.
    QObject* queueContext_ = nullptr;
    std::shared_ptr<QueueGate> gate_;
    QTimer* restartTimer_ = nullptr;

    bool isListening_ = false;
    bool isPreparing_ = false;
    bool recognizerRunning_ = false;
    qint64 authorizationGeneration_ = 0;
    // The generation the pending restart belongs to; any stop in between cancels it.
    qint64 restartGeneration_ = -1;
    std::optional<Clock::time_point> lastWakeAt_;
};

} // namespace orbix
