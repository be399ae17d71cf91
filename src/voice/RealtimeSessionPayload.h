#pragma once
// What the Realtime session is configured with: the operator instructions, the one function tool through
// which the model acts on Capture One, and the "session.update" event that carries both.

#include <QJsonObject>
#include <QString>
#include <array>
#include <string_view>

namespace orbix::realtime {

// The actions the computer_use tool offers, in the order the model sees them. Each is executed by the
// action dispatcher.
inline constexpr std::array<std::string_view, 26> computerUseActions{
    "open_app",
    "c1_adjust_slider",
    "c1_set_adjustment",
    "c1_adjust_sliders",
    "c1_auto_adjust",
    "c1_reset_adjustments",
    "c1_copy_apply_adjustments",
    "c1_clone_variant",
    "c1_rotate",
    "c1_maximum_crop",
    "c1_set_crop",
    "c1_create_layer",
    "c1_set_layer",
    "c1_mask",
    "c1_apply_style",
    "c1_import_folder",
    "c1_set_pick",
    "c1_set_rating",
    "c1_set_color_tag",
    "c1_process",
    "c1_get_status",
    "c1_get_capabilities",
    "inspect_ui",
    "click",
    "type",
    "press_key",
};

// The tool's name as the model calls it.
inline constexpr std::string_view computerUseToolName = "computer_use";

QString operatorInstructions();
QJsonObject computerUseToolDefinition();
// The "session.update" event: audio input settings only for a voice session.
QJsonObject sessionUpdateEvent(bool isVoice);

} // namespace orbix::realtime
