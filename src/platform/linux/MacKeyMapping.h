#pragma once
// Translation of macOS virtual key codes, Quartz modifier flags and Unicode characters to X keysyms.
//
// Modifiers follow the convention Qt applications use on both systems: Command is Control on X11 (Qt's
// Ctrl shortcuts are Command shortcuts on macOS), Control is Super (Qt's Meta), Option is Alt.

#include "uiautomation/AccessibilityBackend.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orbix::keymapping {

using KeySym = unsigned long;

// The keysym of the key at a macOS virtual key code (ANSI layout); none for codes without one.
std::optional<KeySym> keySymForMacKeyCode(std::uint16_t keyCode);
// The modifier keysyms to hold down, in Command, Shift, Option, Control order.
std::vector<KeySym> modifierKeySyms(ModifierFlags modifiers);
// The keysym that produces the code point: Latin-1 directly, line breaks and tab as their keys, every
// other code point as a Unicode keysym. None for other control characters and surrogates.
std::optional<KeySym> keySymForCodePoint(char32_t codePoint);

} // namespace orbix::keymapping
