#pragma once
// The application registry as the simulator sees it: the Capture One bundles installed in the folders
// Orbix searches, so `tell application "Capture One 23"` answers only when such a bundle exists, as
// osascript finds applications through the system's registry.

#include <QString>
#include <QStringList>

namespace orbix::c1sim {

// The folders looked in: /Applications, ~/Applications, ORBIX_APPLICATIONS_PATH (colon-separated) and
// the simulator's own bundle folder (ORBIX_SIMULATOR_DIR when set, else the program's folder, the
// bundle that holds the program, and share/orbix beside an installed program's bin folder).
QStringList applicationFolders();

// Names of the "*Capture One*.app" bundles in those folders (the folder name without ".app").
QStringList installedCaptureOneNames();

// Whether `application "NAME"` names an installed Capture One: "Capture One" always does (the system
// resolves it to the current version); other names must match an installed bundle, ignoring case.
bool isInstalledCaptureOneName(const QString& name);

} // namespace orbix::c1sim
