#pragma once
// The state of the spoken conversation, mirrored by the application model and shown by the views.

#include "core/EnumRawValues.h"

namespace orbix {

enum class RealtimeVoiceState { idle, connecting, recording, speaking, failed };

template <>
struct EnumRawValues<RealtimeVoiceState> {
    static constexpr std::array<std::pair<RealtimeVoiceState, std::string_view>, 5> table{{
        {RealtimeVoiceState::idle, "idle"},
        {RealtimeVoiceState::connecting, "connecting"},
        {RealtimeVoiceState::recording, "recording"},
        {RealtimeVoiceState::speaking, "speaking"},
        {RealtimeVoiceState::failed, "failed"},
    }};
};

} // namespace orbix
