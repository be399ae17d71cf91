#include "voice/SpeakerEchoGate.h"

namespace orbix {

SpeakerEchoGate::SpeakerEchoGate(std::shared_ptr<VoiceTimers> timers) : timers_(std::move(timers)) {}

void SpeakerEchoGate::shut() {
    shut_ = true;
    playOutPoll_.reset();
    tailTimer_.reset();
}

void SpeakerEchoGate::openAfterPlayOut(const AudioOutput& speaker) {
    if (!shut_) {
        return;
    }
    tailTimer_.reset();
    if (speaker.unplayedFrames() == 0) {
        playOutPoll_.reset();
        startTail();
        return;
    }
    playOutPoll_ = timers_->every(playOutPollInterval, [this, &speaker] {
        if (speaker.unplayedFrames() == 0) {
            playOutPoll_.reset();
            startTail();
        }
    });
}

void SpeakerEchoGate::openUnlessPlaying(const AudioOutput& speaker) {
    if (speaker.unplayedFrames() > 0) {
        shut_ = true;
        openAfterPlayOut(speaker);
    } else {
        openNow();
    }
}

void SpeakerEchoGate::openNow() {
    playOutPoll_.reset();
    tailTimer_.reset();
    shut_ = false;
}

void SpeakerEchoGate::startTail() {
    tailTimer_ = timers_->after(tail, [this] { shut_ = false; });
}

} // namespace orbix
