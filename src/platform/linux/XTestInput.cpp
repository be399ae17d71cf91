#include "platform/linux/XTestInput.h"

#include "platform/linux/MacKeyMapping.h"
#include "platform/linux/X11Session.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cmath>
#include <optional>
#include <vector>

namespace orbix::x11 {

namespace {

struct KeyStroke {
    KeyCode keyCode = 0;
    bool needsShift = false;
};

bool hasXTest(Display* display) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    return XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
}

void tap(Display* display, KeyCode keyCode) {
    XTestFakeKeyEvent(display, keyCode, True, CurrentTime);
    XTestFakeKeyEvent(display, keyCode, False, CurrentTime);
}

} // namespace

struct XTestInput::Impl {
    // Spare key codes this object has remapped, and where the next remapping goes.
    std::vector<KeyCode> scratch;
    std::size_t nextScratch = 0;

    // A key code that types the keysym, with or without Shift; remaps a spare key code when the keyboard
    // map has none.
    std::optional<KeyStroke> strokeFor(Display* display, KeySym keySym) {
        const KeyCode existing = XKeysymToKeycode(display, keySym);
        if (existing != 0) {
            if (XkbKeycodeToKeysym(display, existing, 0, 0) == keySym) {
                return KeyStroke{existing, false};
            }
            if (XkbKeycodeToKeysym(display, existing, 0, 1) == keySym) {
                return KeyStroke{existing, true};
            }
        }
        const auto spare = spareKeyCode(display);
        if (!spare) {
            return std::nullopt;
        }
        int perKeyCode = 0;
        KeySym* current = XGetKeyboardMapping(display, *spare, 1, &perKeyCode);
        if (current) {
            XFree(current);
        }
        // Every level carries the symbol, so Shift or Caps Lock state cannot change it.
        std::vector<KeySym> symbols(static_cast<std::size_t>(std::max(perKeyCode, 1)), keySym);
        XChangeKeyboardMapping(display, *spare, static_cast<int>(symbols.size()), symbols.data(), 1);
        XSync(display, False);
        return KeyStroke{*spare, false};
    }

    std::optional<KeyCode> spareKeyCode(Display* display) {
        if (scratch.empty()) {
            int minimum = 0, maximum = 0, perKeyCode = 0;
            XDisplayKeycodes(display, &minimum, &maximum);
            const int count = maximum - minimum + 1;
            KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minimum), count, &perKeyCode);
            if (!map) {
                return std::nullopt;
            }
            // Key codes without any symbol, from the top (rarely used by real keyboards).
            for (int code = maximum; code >= minimum; --code) {
                bool empty = true;
                for (int level = 0; level < perKeyCode; ++level) {
                    if (map[(code - minimum) * perKeyCode + level] != NoSymbol) {
                        empty = false;
                        break;
                    }
                }
                if (empty) {
                    scratch.push_back(static_cast<KeyCode>(code));
                }
            }
            XFree(map);
        }
        if (scratch.empty()) {
            return std::nullopt;
        }
        const KeyCode code = scratch[nextScratch % scratch.size()];
        ++nextScratch;
        return code;
    }

    bool typeKeySym(Display* display, KeySym keySym) {
        const auto stroke = strokeFor(display, keySym);
        if (!stroke) {
            return false;
        }
        const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
        if (stroke->needsShift && shift != 0) {
            XTestFakeKeyEvent(display, shift, True, CurrentTime);
        }
        tap(display, stroke->keyCode);
        if (stroke->needsShift && shift != 0) {
            XTestFakeKeyEvent(display, shift, False, CurrentTime);
        }
        return true;
    }
};

XTestInput::XTestInput() : impl_(std::make_unique<Impl>()) {}
XTestInput::~XTestInput() = default;

bool XTestInput::postClick(ScreenPoint point) {
    X11Session session;
    if (!session.isOpen() || !hasXTest(session.display())) {
        return false;
    }
    Display* display = session.display();
    XTestFakeMotionEvent(display, -1, static_cast<int>(std::lround(point.x)),
                         static_cast<int>(std::lround(point.y)), CurrentTime);
    XTestFakeButtonEvent(display, Button1, True, CurrentTime);
    XTestFakeButtonEvent(display, Button1, False, CurrentTime);
    return session.syncAndClearErrors();
}

bool XTestInput::postCharacter(const QString& character) {
    X11Session session;
    if (!session.isOpen() || !hasXTest(session.display())) {
        return false;
    }
    bool posted = false;
    for (const char32_t codePoint : character.toUcs4()) {
        if (const auto keySym = keymapping::keySymForCodePoint(codePoint)) {
            posted = impl_->typeKeySym(session.display(), *keySym) || posted;
        }
    }
    return session.syncAndClearErrors() && posted;
}

bool XTestInput::postKey(std::uint16_t macKeyCode, ModifierFlags modifiers) {
    X11Session session;
    if (!session.isOpen() || !hasXTest(session.display())) {
        return false;
    }
    Display* display = session.display();
    const auto keySym = keymapping::keySymForMacKeyCode(macKeyCode);
    if (!keySym) {
        return false;
    }
    const auto stroke = impl_->strokeFor(display, *keySym);
    if (!stroke) {
        return false;
    }
    std::vector<KeyCode> held;
    for (const KeySym modifierSym : keymapping::modifierKeySyms(modifiers)) {
        const KeyCode code = XKeysymToKeycode(display, modifierSym);
        if (code != 0) {
            held.push_back(code);
        }
    }
    for (const KeyCode code : held) {
        XTestFakeKeyEvent(display, code, True, CurrentTime);
    }
    tap(display, stroke->keyCode);
    for (auto it = held.rbegin(); it != held.rend(); ++it) {
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    }
    return session.syncAndClearErrors();
}

} // namespace orbix::x11
