#include "app/ListenCommandLine.h"

#include "model/AppModel.h"
#include "voice/OpenAIRealtimeVoiceService.h"
#include "voice/WakeWordVoiceService.h"

namespace orbix {

namespace {

const QString listeningLine = QStringLiteral("Listening for “Hey Orbix”…");
const QString stopHint = QStringLiteral("Press Ctrl+C to stop.");
const QString wakeLine = QStringLiteral("Heard “Hey Orbix”");

bool isSessionState(RealtimeVoiceState state) {
    return state != RealtimeVoiceState::idle && state != RealtimeVoiceState::failed;
}

} // namespace

ListenCommandLine::ListenCommandLine(AppModel& model, WakeWordVoiceService& listener,
                                     OpenAIRealtimeVoiceService& voice, QTextStream& output, QObject* parent)
    : QObject(parent), model_(model), listener_(listener), voice_(voice), out_(output),
      printer_(voice, output) {}

ListenCommandLine::~ListenCommandLine() = default;

void ListenCommandLine::start(std::function<void(int status)> finished) {
    if (started_) {
        return;
    }
    started_ = true;
    finished_ = std::move(finished);
    // Connected after the model's own handlers, which therefore run first.
    connect(&listener_, &WakeWordVoiceService::wakeDetected, this,
            [this](const std::optional<QString>& commandSuffix) {
                woke(commandSuffix);
                // A command the model recognises is answered in the conversation after the user's words,
                // which the model has just added; any other suffix opens a session, which ends this watch
                // before its first transcript.
                if (commandSuffix) {
                    localResultFrom_ = messagesAfterLastUserSaying(*commandSuffix);
                    messagesChanged();
                }
            });
    connect(&listener_, &WakeWordVoiceService::listeningStateChanged, this,
            &ListenCommandLine::listeningChanged);
    connect(&listener_, &WakeWordVoiceService::errorOccurred, this, [this](const QString& message) {
        printer_.endTranscriptLine();
        out_ << "Hey Orbix: " << message << Qt::endl;
        finish(1);
    });
    connect(&model_, &AppModel::messagesChanged, this, &ListenCommandLine::messagesChanged);
    printer_.attach();
    connect(&voice_, &OpenAIRealtimeVoiceService::stateChanged, this, &ListenCommandLine::sessionStateChanged);
    model_.startWakeWordListening();
}

qsizetype ListenCommandLine::messagesAfterLastUserSaying(const QString& text) const {
    const QList<ConversationMessage>& messages = model_.messages();
    for (qsizetype index = messages.size() - 1; index >= 0; --index) {
        if (messages[index].role == ConversationRole::user && messages[index].content == text) {
            return index + 1;
        }
    }
    return messages.size();
}

void ListenCommandLine::stop() {
    if (stopping_) {
        finish(0);
        return;
    }
    stopping_ = true;
    if (voice_.isActive()) {
        // The listener comes back when the session ends; it is stopped after that.
        waitingForSessionEnd_ = true;
        voice_.stop();
        return;
    }
    stopListener();
}

void ListenCommandLine::listeningChanged(bool isListening) {
    if (!isListening || !announceListening_ || stopping_) {
        return;
    }
    announceListening_ = false;
    printer_.endTranscriptLine();
    out_ << listeningLine << ' ' << stopHint << Qt::endl;
}

void ListenCommandLine::woke(const std::optional<QString>& commandSuffix) {
    announceListening_ = true;
    printer_.endTranscriptLine();
    if (commandSuffix) {
        out_ << wakeLine << ": " << *commandSuffix << Qt::endl;
    } else {
        out_ << wakeLine << Qt::endl;
    }
}

void ListenCommandLine::messagesChanged() {
    if (!localResultFrom_) {
        return;
    }
    const QList<ConversationMessage>& messages = model_.messages();
    for (qsizetype index = *localResultFrom_; index < messages.size(); ++index) {
        if (messages[index].role == ConversationRole::assistant) {
            localResultFrom_.reset();
            out_ << "Capture One: " << messages[index].content << Qt::endl;
            return;
        }
    }
}

void ListenCommandLine::sessionStateChanged(RealtimeVoiceState state) {
    if (state == RealtimeVoiceState::connecting) {
        localResultFrom_.reset();
        printer_.printSessionStart();
    }
    if (!isSessionState(state)) {
        printer_.endTranscriptLine();
        if (waitingForSessionEnd_ && !voice_.isActive()) {
            waitingForSessionEnd_ = false;
            stopListener();
        }
    }
}

void ListenCommandLine::stopListener() {
    // Queued behind any start the model asked for when the session ended, so nothing listens afterwards.
    listener_.stopAndWait([this] { finish(0); });
}

void ListenCommandLine::finish(int status) {
    if (done_) {
        return;
    }
    done_ = true;
    printer_.endTranscriptLine();
    if (finished_) {
        finished_(status);
    }
}

} // namespace orbix
