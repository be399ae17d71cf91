#pragma once
// A parsed keyboard shortcut: modifier words and one key name, e.g. "command shift z" or "return key".
// Key codes are macOS virtual key codes of the ANSI layout; modifiers are Quartz event flags.

#include "uiautomation/AccessibilityBackend.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace orbix {

struct KeyboardKey {
    // Modifier names in the fixed order Command, Shift, Option, Control, then the key name with each word
    // capitalised, joined by hyphens ("Command-Shift-Z").
    QString displayName;
    // Absent when the key name is not in the key table.
    std::optional<std::uint16_t> keyCode;
    ModifierFlags modifiers = 0;

    // None when the shortcut names no key (empty, or modifiers only).
    static std::optional<KeyboardKey> parse(const QString& shortcut);
    static std::optional<std::uint16_t> keyCodeFor(const QString& keyName);
    static QString displayNameFor(const QString& keyName, ModifierFlags modifiers);

    friend bool operator==(const KeyboardKey&, const KeyboardKey&) = default;
};

} // namespace orbix
