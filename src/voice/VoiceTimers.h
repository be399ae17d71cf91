#pragma once
// Port: the clock and timers behind the voice session's named delays (keep-alive ping, idle disconnect,
// speaking tail, tool-call suppression window), so that tests drive them without waiting.
//
// Contract: everything runs on the main thread. A callback fires from the event loop, never from inside
// the call that scheduled it. Destroying the returned handle cancels the timer; a cancelled timer never
// fires.

#include <chrono>
#include <functional>
#include <memory>

namespace orbix {

class VoiceTimer {
public:
    virtual ~VoiceTimer() = default;
};

class VoiceTimers {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~VoiceTimers() = default;
    virtual Clock::time_point now() const = 0;
    // Fires once after `delay`.
    virtual std::unique_ptr<VoiceTimer> after(std::chrono::milliseconds delay, std::function<void()> fire) = 0;
    // Fires every `interval` until cancelled.
    virtual std::unique_ptr<VoiceTimer> every(std::chrono::milliseconds interval,
                                              std::function<void()> fire) = 0;

    // QTimer and the steady clock.
    static std::shared_ptr<VoiceTimers> system();
};

} // namespace orbix
