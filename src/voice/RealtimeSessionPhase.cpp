#include "voice/RealtimeSessionPhase.h"

namespace orbix {

std::optional<RealtimeSessionPhase> nextPhase(RealtimeSessionPhase phase, RealtimeSessionEvent event) {
    using Phase = RealtimeSessionPhase;
    using Event = RealtimeSessionEvent;
    if (event == Event::ended) {
        return Phase::idle;
    }
    switch (phase) {
    case Phase::idle:
        return event == Event::startRequested ? std::optional(Phase::starting) : std::nullopt;
    case Phase::starting:
        if (event == Event::configuredForVoice) {
            return Phase::recording;
        }
        return event == Event::configuredForText ? std::optional(Phase::textOnly) : std::nullopt;
    case Phase::recording:
    case Phase::textOnly:
        if (event == Event::voiceModeOn) {
            return Phase::recording;
        }
        return event == Event::voiceModeOff ? std::optional(Phase::textOnly) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace orbix
