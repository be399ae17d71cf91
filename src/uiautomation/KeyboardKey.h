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
    // The key name as parsed: lower-case words without the modifiers ("z", "return", "forward delete").
    QString keyName;

    // The Mac "delete" key (backspace) and forward delete.
    static constexpr std::uint16_t deleteKeyCode = 51;
    static constexpr std::uint16_t forwardDeleteKeyCode = 117;

    // Whether the shortcut erases: the delete or forward delete key, with or without modifiers, whatever
    // the spelling that led to it.
    bool isDeleteKey() const;
    // Return, Enter or Space, with or without modifiers: keys that press whatever is focused, highlighted
    // or the window's default button.
    bool activatesFocusedElement() const;
    // Keys that open a menu or move focus into the menu bar: Alt/Option with a single letter or digit (a
    // menu's mnemonic), F10 (with any modifiers: Shift-F10 opens the context menu), the Menu key, and
    // Control-F2.
    bool opensMenu() const;

    // None when the shortcut names no key (empty, or modifiers only).
    static std::optional<KeyboardKey> parse(const QString& shortcut);
    static std::optional<std::uint16_t> keyCodeFor(const QString& keyName);
    static QString displayNameFor(const QString& keyName, ModifierFlags modifiers);

    friend bool operator==(const KeyboardKey&, const KeyboardKey&) = default;
};

} // namespace orbix
