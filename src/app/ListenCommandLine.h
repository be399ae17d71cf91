#pragma once
// `orbix --listen`: the wake phrase listener in a terminal, driven through the application model as the
// window drives it. Prints when it listens, each wake phrase with the command said after it, the result of a
// command run at once (which the model also reads aloud), and a voice session the wake phrase opened, as
// `orbix --voice` prints it. Runs until stopped (Ctrl+C: status 0) or until the listener fails (no
// microphone, a permission refused: status 1, with the reason printed).

#include "app/RealtimeSessionPrinter.h"
#include "core/RealtimeVoiceState.h"

#include <QObject>
#include <QString>
#include <QTextStream>
#include <functional>
#include <optional>

namespace orbix {

class AppModel;
class OpenAIRealtimeVoiceService;
class WakeWordVoiceService;

class ListenCommandLine : public QObject {
public:
    // The model must already be connected to both services; this front end's handlers run after its own.
    ListenCommandLine(AppModel& model, WakeWordVoiceService& listener, OpenAIRealtimeVoiceService& voice,
                      QTextStream& output, QObject* parent = nullptr);
    ~ListenCommandLine() override;

    // Starts listening; `finished` is called once with the exit status.
    void start(std::function<void(int status)> finished);
    // Ends a running voice session, then stops the listener and waits for it before finishing with status 0.
    // A second call while that is under way finishes at once.
    void stop();

private:
    void listeningChanged(bool isListening);
    void woke(const std::optional<QString>& commandSuffix);
    void messagesChanged();
    void sessionStateChanged(RealtimeVoiceState state);
    void stopListener();
    // The index after the latest user message with this text (the model adds the words of a wake command).
    qsizetype messagesAfterLastUserSaying(const QString& text) const;
    void finish(int status);

    AppModel& model_;
    WakeWordVoiceService& listener_;
    OpenAIRealtimeVoiceService& voice_;
    QTextStream& out_;
    RealtimeSessionPrinter printer_;
    std::function<void(int)> finished_;
    bool started_ = false;
    // The listening line is printed when listening starts and again after each wake, not for every
    // restart between two utterances.
    bool announceListening_ = true;
    // After a wake phrase with a command: the index of the first message that may hold its result.
    std::optional<qsizetype> localResultFrom_;
    bool stopping_ = false;
    bool waitingForSessionEnd_ = false;
    bool done_ = false;
};

} // namespace orbix
