#pragma once
// Synthetic pointer and keyboard input through the X server's XTest extension. Characters that the
// current keyboard map cannot type are put on spare key codes first (the usual keysym remapping); those
// key codes keep their symbol afterwards so that a later character reuses it without remapping.

#include "uiautomation/AccessibilityBackend.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace orbix::x11 {

class XTestInput {
public:
    XTestInput();
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    // Each returns false when there is no X server with XTest or nothing could be posted.
    bool postClick(ScreenPoint point);
    // One key press and release per code point of the character (one pair for a one-code-point character).
    bool postCharacter(const QString& character);
    bool postKey(std::uint16_t macKeyCode, ModifierFlags modifiers);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace orbix::x11
