#include "platform/linux/MacKeyMapping.h"

#include <QHash>
#include <X11/keysym.h>

namespace orbix::keymapping {

namespace {

const QHash<std::uint16_t, KeySym>& keyTable() {
    static const QHash<std::uint16_t, KeySym> table{
        // Letters, digits and punctuation of the ANSI layout.
        {0, XK_a},
        {1, XK_s},
        {2, XK_d},
        {3, XK_f},
        {4, XK_h},
        {5, XK_g},
        {6, XK_z},
        {7, XK_x},
        {8, XK_c},
        {9, XK_v},
        {11, XK_b},
        {12, XK_q},
        {13, XK_w},
        {14, XK_e},
        {15, XK_r},
        {16, XK_y},
        {17, XK_t},
        {18, XK_1},
        {19, XK_2},
        {20, XK_3},
        {21, XK_4},
        {22, XK_6},
        {23, XK_5},
        {24, XK_equal},
        {25, XK_9},
        {26, XK_7},
        {27, XK_minus},
        {28, XK_8},
        {29, XK_0},
        {30, XK_bracketright},
        {31, XK_o},
        {32, XK_u},
        {33, XK_bracketleft},
        {34, XK_i},
        {35, XK_p},
        {37, XK_l},
        {38, XK_j},
        {39, XK_apostrophe},
        {40, XK_k},
        {41, XK_semicolon},
        {42, XK_backslash},
        {43, XK_comma},
        {44, XK_slash},
        {45, XK_n},
        {46, XK_m},
        {47, XK_period},
        {50, XK_grave},
        // Editing and navigation keys. The Mac "delete" key is the one X calls BackSpace.
        {36, XK_Return},
        {48, XK_Tab},
        {49, XK_space},
        {51, XK_BackSpace},
        {53, XK_Escape},
        {76, XK_KP_Enter},
        {114, XK_Help},
        {115, XK_Home},
        {116, XK_Page_Up},
        {117, XK_Delete},
        {119, XK_End},
        {121, XK_Page_Down},
        {123, XK_Left},
        {124, XK_Right},
        {125, XK_Down},
        {126, XK_Up},
        // Function keys.
        {122, XK_F1},
        {120, XK_F2},
        {99, XK_F3},
        {118, XK_F4},
        {96, XK_F5},
        {97, XK_F6},
        {98, XK_F7},
        {100, XK_F8},
        {101, XK_F9},
        {109, XK_F10},
        {103, XK_F11},
        {111, XK_F12},
    };
    return table;
}

} // namespace

std::optional<KeySym> keySymForMacKeyCode(std::uint16_t keyCode) {
    const auto& table = keyTable();
    const auto it = table.constFind(keyCode);
    if (it == table.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

std::vector<KeySym> modifierKeySyms(ModifierFlags modifiers) {
    std::vector<KeySym> keys;
    if (modifiers & modifier::command) {
        keys.push_back(XK_Control_L);
    }
    if (modifiers & modifier::shift) {
        keys.push_back(XK_Shift_L);
    }
    if (modifiers & modifier::option) {
        keys.push_back(XK_Alt_L);
    }
    if (modifiers & modifier::control) {
        keys.push_back(XK_Super_L);
    }
    return keys;
}

std::optional<KeySym> keySymForCodePoint(char32_t codePoint) {
    if (codePoint == U'\n' || codePoint == U'\r') {
        return XK_Return;
    }
    if (codePoint == U'\t') {
        return XK_Tab;
    }
    if (codePoint < 0x20 || (codePoint >= 0x7f && codePoint < 0xa0) ||
        (codePoint >= 0xd800 && codePoint < 0xe000) || codePoint > 0x10ffff) {
        return std::nullopt;
    }
    if (codePoint < 0x100) {
        return static_cast<KeySym>(codePoint);
    }
    // Unicode keysyms: 0x01000000 plus the code point.
    return static_cast<KeySym>(0x01000000 + codePoint);
}

} // namespace orbix::keymapping
