#include "app/RealtimeSessionPrinter.h"

#include "voice/OpenAIRealtimeVoiceService.h"

namespace orbix {

RealtimeSessionPrinter::RealtimeSessionPrinter(OpenAIRealtimeVoiceService& voice, QTextStream& output)
    : voice_(voice), out_(output) {}

RealtimeSessionPrinter::~RealtimeSessionPrinter() {
    if (!attached_) {
        return;
    }
    voice_.onStateChange = previousState_;
    voice_.onAssistantTranscript = previousTranscript_;
    voice_.onResponseDone = previousResponseDone_;
    voice_.onComputerUseResult = previousResult_;
    voice_.onError = previousError_;
    voice_.onRecoverableError = previousRecoverableError_;
}

void RealtimeSessionPrinter::attach() {
    if (attached_) {
        return;
    }
    attached_ = true;
    previousState_ = voice_.onStateChange;
    voice_.onStateChange = [this](RealtimeVoiceState state) {
        if (previousState_) {
            previousState_(state);
        }
        if (onStateChange) {
            onStateChange(state);
        }
    };
    previousTranscript_ = voice_.onAssistantTranscript;
    voice_.onAssistantTranscript = [this](const QString& transcript) {
        if (previousTranscript_) {
            previousTranscript_(transcript);
        }
        printTranscript(transcript);
    };
    previousResponseDone_ = voice_.onResponseDone;
    voice_.onResponseDone = [this] {
        if (previousResponseDone_) {
            previousResponseDone_();
        }
        endTranscriptLine();
    };
    previousResult_ = voice_.onComputerUseResult;
    voice_.onComputerUseResult = [this](const ComputerUseResult& result) {
        if (previousResult_) {
            previousResult_(result);
        }
        endTranscriptLine();
        out_ << "Capture One: " << result.summary << Qt::endl;
    };
    previousError_ = voice_.onError;
    voice_.onError = [this](const QString& message) {
        if (previousError_) {
            previousError_(message);
        }
        printError(message);
    };
    previousRecoverableError_ = voice_.onRecoverableError;
    voice_.onRecoverableError = [this](const QString& message) {
        if (previousRecoverableError_) {
            previousRecoverableError_(message);
        }
        printError(message);
    };
}

void RealtimeSessionPrinter::printSessionStart() {
    out_ << "Starting voice mode. Say \"that's it\" to stop." << Qt::endl;
}

void RealtimeSessionPrinter::printTranscript(const QString& transcript) {
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

void RealtimeSessionPrinter::printError(const QString& message) {
    endTranscriptLine();
    out_ << "Voice: " << message << Qt::endl;
}

void RealtimeSessionPrinter::endTranscriptLine() {
    if (lineOpen_) {
        out_ << Qt::endl;
        lineOpen_ = false;
    }
}

} // namespace orbix
