#pragma once
// The accessibility backend of the operating system this build targets.

#include "uiautomation/AccessibilityBackend.h"

#include <memory>

namespace orbix {

std::unique_ptr<AccessibilityBackend> createAccessibilityBackend();

} // namespace orbix
