#pragma once
// The user defaults: one QSettings store, organisation and application "Orbix", keys as the product names
// them ("allowComputerControl", "preferredCaptureOneApplicationPath", ...).
//
// The store also caches the anonymous identity token, so its file is kept private to the user (0600) from
// before the first secret is written: QSettings replaces the file on every write with a new one that
// copies the old file's permissions, so a file that is private once stays private.
//
// QSettings opens its files by name and follows a symbolic link to write (and chmod) whatever it points
// at, and blocks on a FIFO. So before the store is opened, anything at the user's settings paths that is
// not a regular file is renamed aside (kept, with kSetAsideSuffix appended) and a fresh file takes its
// place.

#include <QSettings>
#include <QString>
#include <memory>

namespace orbix {

inline constexpr const char* kSetAsideSuffix = ".not-a-regular-file";

std::unique_ptr<QSettings> userDefaults();

// The files of the user's own scope that the store reads, the first being the one it writes (empty on
// platforms whose store is not a file of ours).
QStringList userDefaultsFiles();

// Restricts the settings' file to its owner (read and write only), creating it empty with those
// permissions when it does not exist yet. Call before writing a secret, so that the file is never
// readable by others while it holds one, and after sync() as a safeguard. False when the file could not be
// created or restricted, or is not a regular file.
bool restrictToOwner(const QSettings& settings);

} // namespace orbix
