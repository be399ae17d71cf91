#pragma once
// Keeps the microphone shut while the speaker plays the model's voice, so the model never hears itself:
// shut from the first chunk of a response until everything queued has played out and a short tail has
// passed. A chunk that arrives while the gate waits to open shuts it again.
//
// Threading: shut/open and the timers run on the main thread; isShut() is read from any thread.

#include "voice/AudioOutput.h"
#include "voice/VoiceTimers.h"

#include <atomic>
#include <chrono>
#include <memory>

namespace orbix {

class SpeakerEchoGate {
public:
    // How long the room may still ring after the speaker reports nothing unplayed.
    static constexpr std::chrono::milliseconds tail{600};
    // How often the speaker is asked whether it has played everything out.
    static constexpr std::chrono::milliseconds playOutPollInterval{50};

    explicit SpeakerEchoGate(std::shared_ptr<VoiceTimers> timers);

    void shut();
    // Opens once `speaker` has nothing unplayed, then after the tail.
    void openAfterPlayOut(const AudioOutput& speaker);
    // Opens at once unless the speaker still plays; then as openAfterPlayOut does.
    void openUnlessPlaying(const AudioOutput& speaker);
    void openNow();

    bool isShut() const { return shut_; }

private:
    void startTail();

    std::shared_ptr<VoiceTimers> timers_;
    std::atomic<bool> shut_{false};
    std::unique_ptr<VoiceTimer> playOutPoll_;
    std::unique_ptr<VoiceTimer> tailTimer_;
};

} // namespace orbix
