#include "app/VoiceCommandLine.h"

#include "core/ConversationRecords.h"
#include "voice/OpenAIRealtimeVoiceService.h"

namespace orbix {

VoiceCommandLine::VoiceCommandLine(std::function<void()> startVoiceMode, OpenAIRealtimeVoiceService& voice,
                                   QTextStream& output, QObject* parent)
    : QObject(parent), startVoiceMode_(std::move(startVoiceMode)), voice_(voice), out_(output) {}

void VoiceCommandLine::start(std::function<void(int status)> finished) {
    finished_ = std::move(finished);
    // The runtime's own callbacks (the model's voice state) keep running: ours are chained after them.
    const auto previousState = voice_.onStateChange;
    voice_.onStateChange = [this, previousState](RealtimeVoiceState state) {
        if (previousState) {
            previousState(state);
        }
        stateChanged(state);
    };
    const auto previousTranscript = voice_.onAssistantTranscript;
    voice_.onAssistantTranscript = [this, previousTranscript](const QString& transcript) {
        if (previousTranscript) {
            previousTranscript(transcript);
        }
        printTranscript(transcript);
    };
    const auto previousResponseDone = voice_.onResponseDone;
    voice_.onResponseDone = [this, previousResponseDone] {
        if (previousResponseDone) {
            previousResponseDone();
        }
        endTranscriptLine();
    };
    const auto previousResult = voice_.onComputerUseResult;
    voice_.onComputerUseResult = [this, previousResult](const ComputerUseResult& result) {
        if (previousResult) {
            previousResult(result);
        }
        endTranscriptLine();
        out_ << "Capture One: " << result.summary << Qt::endl;
    };
    const auto previousError = voice_.onError;
    voice_.onError = [this, previousError](const QString& message) {
        if (previousError) {
            previousError(message);
        }
        endTranscriptLine();
        out_ << "Voice: " << message << Qt::endl;
    };
    out_ << "Starting voice mode. Say \"that's it\" to stop." << Qt::endl;
    startVoiceMode_();
}

void VoiceCommandLine::printTranscript(const QString& transcript) {
    // The service reports its whole transcript buffer each time: print what is new. A buffer that no
    // longer starts with what was printed belongs to a new response.
    QStringView added = transcript;
    if (transcript.startsWith(seenTranscript_)) {
        added = added.mid(seenTranscript_.size());
    } else {
        endTranscriptLine();
    }
    seenTranscript_ = transcript;
    if (added.trimmed().isEmpty()) {
        return;
    }
    if (!lineOpen_) {
        out_ << "Orbix: ";
        while (!added.isEmpty() && added.front().isSpace()) {
            added = added.mid(1);
        }
        lineOpen_ = true;
    }
    out_ << added << Qt::flush;
}

void VoiceCommandLine::endTranscriptLine() {
    if (lineOpen_) {
        out_ << Qt::endl;
        lineOpen_ = false;
    }
}

void VoiceCommandLine::stateChanged(RealtimeVoiceState state) {
    switch (state) {
    case RealtimeVoiceState::recording:
    case RealtimeVoiceState::speaking:
        sessionRan_ = true;
        break;
    case RealtimeVoiceState::connecting:
        sessionStarted_ = true;
        break;
    case RealtimeVoiceState::failed:
        finish(sessionRan_ ? 0 : 1);
        break;
    case RealtimeVoiceState::idle:
        // Idle before the first connection is only where every session begins.
        if (sessionStarted_ && !voice_.isActive()) {
            finish(sessionRan_ ? 0 : 1);
        }
        break;
    }
}

void VoiceCommandLine::finish(int status) {
    if (done_) {
        return;
    }
    done_ = true;
    endTranscriptLine();
    if (finished_) {
        finished_(status);
    }
}

} // namespace orbix
