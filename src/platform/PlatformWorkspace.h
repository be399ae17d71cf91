#pragma once
// The workspace backend of the operating system this build targets.

#include "uiautomation/Workspace.h"

#include <memory>

namespace orbix {

std::unique_ptr<Workspace> createWorkspace();

} // namespace orbix
