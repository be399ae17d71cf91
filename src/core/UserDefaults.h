#pragma once
// The user defaults: one QSettings store, organisation and application "Orbix", keys as the product names
// them ("allowComputerControl", "preferredCaptureOneApplicationPath", ...).

#include <QSettings>
#include <memory>

namespace orbix {

inline std::unique_ptr<QSettings> userDefaults() {
    return std::make_unique<QSettings>(QStringLiteral("Orbix"), QStringLiteral("Orbix"));
}

} // namespace orbix
