#pragma once
// What the Realtime session is configured with: the operator instructions, the one function tool through
// which the model acts on Capture One, and the "session.update" event that carries both.

#include <QJsonObject>
#include <QString>
#include <string_view>

namespace orbix::realtime {

// The tool's name as the model calls it.
inline constexpr std::string_view computerUseToolName = "computer_use";

QString operatorInstructions();
// The tool; its "action" enumeration lists the action table's names in order.
QJsonObject computerUseToolDefinition();
// The "session.update" event: audio input settings only for a voice session.
QJsonObject sessionUpdateEvent(bool isVoice);

} // namespace orbix::realtime
