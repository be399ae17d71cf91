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

ListenCommandLine::~ListenCommandLine() {
    if (!started_) {
        return;
    }
    listener_.onWake = previousWake_;
    listener_.onListeningStateChange = previousListening_;
    listener_.onError = previousError_;
}

void ListenCommandLine::start(std::function<void(int status)> finished) {
    if (started_) {
        return;
    }
    started_ = true;
    finished_ = std::move(finished);
    previousWake_ = listener_.onWake;
    listener_.onWake = [this](std::optional<QString> commandSuffix) {
        // Printed first: the model may open a session at once, whose lines follow.
        woke(commandSuffix);
        // A command the model recognises is answered in the conversation; any other suffix opens a
        // session, which ends this watch before its first transcript.
        if (commandSuffix) {
            localResultFrom_ = model_.messages().size();
        }
        if (previousWake_) {
            previousWake_(commandSuffix);
        }
    };
    previousListening_ = listener_.onListeningStateChange;
    listener_.onListeningStateChange = [this](bool isListening) {
        if (previousListening_) {
            previousListening_(isListening);
        }
        listeningChanged(isListening);
    };
    previousError_ = listener_.onError;
    listener_.onError = [this](const QString& message) {
        if (previousError_) {
            previousError_(message);
        }
        printer_.endTranscriptLine();
        out_ << "Hey Orbix: " << message << Qt::endl;
        finish(1);
    };
    connect(&model_, &AppModel::messagesChanged, this, &ListenCommandLine::messagesChanged);
    printer_.onStateChange = [this](RealtimeVoiceState state) { sessionStateChanged(state); };
    printer_.attach();
    model_.startWakeWordListening();
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
