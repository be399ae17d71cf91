#pragma once
// Where a Realtime session stands, and which events move it on. The service keeps one phase instead of a
// set of flags that could contradict each other; an event that does not apply in a phase is ignored.

#include <optional>

namespace orbix {

enum class RealtimeSessionPhase {
    idle,
    // Credential, connection and configuration under way.
    starting,
    // Configured, the microphone streaming.
    recording,
    // Configured, no audio either way.
    textOnly,
};

enum class RealtimeSessionEvent {
    startRequested,
    // The session was configured and, for a voice session, the microphone started.
    configuredForVoice,
    configuredForText,
    voiceModeOn,
    voiceModeOff,
    // stop(): asked for, a failed start, a lost connection, a fatal error, the idle timeout.
    ended,
};

std::optional<RealtimeSessionPhase> nextPhase(RealtimeSessionPhase phase, RealtimeSessionEvent event);

constexpr bool isActivePhase(RealtimeSessionPhase phase) {
    return phase == RealtimeSessionPhase::recording || phase == RealtimeSessionPhase::textOnly;
}

} // namespace orbix
