#pragma once
// Where the bundled Capture One Simulator lives on Linux: its application bundle (found by the resolver
// after the standard folders) and its osascript-compatible program (the default script runner).

#include <QString>
#include <optional>

namespace orbix::SimulatorLocation {

// The folder holding "Capture One Simulator.app": ORBIX_SIMULATOR_DIR when set (empty disables it), else
// <prefix>/share/orbix next to the running program, else the build tree's simulator folder.
std::optional<QString> applicationsFolder();
// The same for a program in `programFolder`.
std::optional<QString> applicationsFolder(const QString& programFolder);

// The orbix-c1sim program: next to the running program, else in the build tree, else on PATH.
QString programPath();

} // namespace orbix::SimulatorLocation
