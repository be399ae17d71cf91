#pragma once
// AT-SPI roles and action names in the AX vocabulary the element matcher speaks. The table is documented
// in docs/ARCHITECTURE.md ("Platform backends").

#include <QString>
#include <atspi/atspi-constants.h>

namespace orbix::atspimapping {

struct AXRole {
    QString role;
    QString subrole;
    friend bool operator==(const AXRole&, const AXRole&) = default;
};

// editable and multiLine are the object's EDITABLE and MULTI_LINE states.
AXRole axRole(AtspiRole role, bool editable, bool multiLine);

// "AXPress" for the actions that activate a control ("press", "click", "activate", "toggle", "jump", …, in
// any letter case); other names unchanged.
QString axActionName(const QString& atspiActionName);

} // namespace orbix::atspimapping
