#include "app/VoiceCommandLine.h"

#include "voice/OpenAIRealtimeVoiceService.h"

namespace orbix {

VoiceCommandLine::VoiceCommandLine(std::function<void()> startVoiceMode, OpenAIRealtimeVoiceService& voice,
                                   QTextStream& output, QObject* parent)
    : QObject(parent), startVoiceMode_(std::move(startVoiceMode)), voice_(voice), printer_(voice, output) {}

void VoiceCommandLine::start(std::function<void(int status)> finished) {
    finished_ = std::move(finished);
    // Connected after the model, whose handlers (the voice state it shows) run first.
    printer_.attach();
    connect(&voice_, &OpenAIRealtimeVoiceService::stateChanged, this, &VoiceCommandLine::stateChanged);
    printer_.printSessionStart();
    startVoiceMode_();
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
        // A failure is printed; whether it ended the session is told by the idle state that follows.
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
    printer_.endTranscriptLine();
    if (finished_) {
        finished_(status);
    }
}

} // namespace orbix
