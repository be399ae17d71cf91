#pragma once
// Listens on the device for "Hey Orbix" while no voice session runs. When it hears a wake phrase it stops
// itself and reports the words that followed, so that the application model can run a short command at
// once or open a voice session.
//
// Threading: created and called on the main thread; every state change happens on the service's own
// queue thread, and the callbacks are delivered on the main thread from the event loop.

#include "voice/SpeechRecognizer.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

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

    explicit WakeWordVoiceService(std::shared_ptr<SpeechRecognizer> recognizer, Options options = {},
                                  QObject* parent = nullptr);
    // Stops listening and waits for the queue.
    ~WakeWordVoiceService() override;

    // A wake phrase was heard; the argument is the command that followed it, if any.
    std::function<void(std::optional<QString> commandSuffix)> onWake;
    std::function<void(bool isListening)> onListeningStateChange;
    std::function<void(const QString& message)> onError;

    // Begins listening unless already listening or preparing; asks for the permissions first.
    void start();
    void stop();
    // Stops listening; `done` runs on the main thread once the stop has been carried out on the queue.
    void stopAndWait(std::function<void()> done);
};

} // namespace orbix
