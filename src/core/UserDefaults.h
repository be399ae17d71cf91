#pragma once
// The user defaults: one QSettings store, organisation and application "Orbix", keys as the product names
// them ("allowComputerControl", "preferredCaptureOneApplicationPath", ...).
//
// The store also caches the anonymous identity token, so its file is kept private to the user (0600) from
// before the first secret is written: QSettings replaces the file on every write with a new one that
// copies the old file's permissions, so a file that is private once stays private.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace orbix {

inline std::unique_ptr<QSettings> userDefaults() {
    return std::make_unique<QSettings>(QStringLiteral("Orbix"), QStringLiteral("Orbix"));
}

// Restricts the settings' file to its owner (read and write only), creating it empty with those
// permissions when it does not exist yet. Call before writing a secret, so that the file is never
// readable by others while it holds one, and after sync() as a safeguard. False when the file could not be
// created or restricted.
inline bool restrictToOwner(const QSettings& settings) {
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QString path = settings.fileName();
    if (path.isEmpty()) {
        return false;
    }
    QFile file(path);
#ifdef Q_OS_DARWIN
    // The native store is a property list that the preferences daemon writes, owner-only; an empty file
    // would not be a valid one.
    return !file.exists() || file.setPermissions(ownerOnly);
#else
    if (!file.exists()) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            return false;
        }
        // Created with the owner-only mode in the same call, so there is no moment at which it is wider.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append, ownerOnly)) {
            return false;
        }
        file.close();
    }
    return file.setPermissions(ownerOnly);
#endif
}

} // namespace orbix
