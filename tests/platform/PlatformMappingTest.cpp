#include "platform/linux/AtspiRoleMapping.h"
#include "platform/linux/MacKeyMapping.h"
#include "uiautomation/ElementMatching.h"
#include "uiautomation/KeyboardKey.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace orbix {
namespace {

using atspimapping::axRole;
using atspimapping::AXRole;

TEST(AtspiRoleMappingTest, RolesLandInTheMatchersRoleClasses) {
    struct Case {
        AtspiRole role;
        bool editable;
        bool multiLine;
        AXRole expected;
    };
    const Case cases[] = {
        {ATSPI_ROLE_PUSH_BUTTON, false, false, {"AXButton", ""}},
        {ATSPI_ROLE_TOGGLE_BUTTON, false, false, {"AXButton", "AXToggle"}},
        {ATSPI_ROLE_CHECK_BOX, false, false, {"AXCheckBox", ""}},
        {ATSPI_ROLE_PAGE_TAB, false, false, {"AXRadioButton", "AXTabButton"}},
        {ATSPI_ROLE_PAGE_TAB_LIST, false, false, {"AXTabGroup", ""}},
        {ATSPI_ROLE_COMBO_BOX, false, false, {"AXPopUpButton", ""}},
        {ATSPI_ROLE_COMBO_BOX, true, false, {"AXComboBox", ""}},
        {ATSPI_ROLE_TEXT, true, false, {"AXTextField", ""}},
        {ATSPI_ROLE_ENTRY, true, true, {"AXTextArea", ""}},
        {ATSPI_ROLE_TEXT, false, true, {"AXStaticText", ""}},
        {ATSPI_ROLE_PASSWORD_TEXT, true, false, {"AXTextField", "AXSecureTextField"}},
        {ATSPI_ROLE_LABEL, false, false, {"AXStaticText", ""}},
        {ATSPI_ROLE_TABLE_CELL, false, false, {"AXCell", ""}},
        {ATSPI_ROLE_LIST_ITEM, false, false, {"AXRow", ""}},
        {ATSPI_ROLE_PANEL, false, false, {"AXGroup", ""}},
        {ATSPI_ROLE_MENU_ITEM, false, false, {"AXMenuItem", ""}},
        {ATSPI_ROLE_LINK, false, false, {"AXLink", ""}},
        {ATSPI_ROLE_SLIDER, false, false, {"AXSlider", ""}},
        {ATSPI_ROLE_FRAME, false, false, {"AXWindow", ""}},
        {ATSPI_ROLE_CANVAS, false, false, {"AXUnknown", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(axRole(c.role, c.editable, c.multiLine), c.expected) << c.role;
    }
    // Every text input and clickable role class is reachable from some AT-SPI role.
    for (const char* role : {"AXTextField", "AXTextArea", "AXComboBox"}) {
        EXPECT_TRUE(matching::isTextInput(QLatin1String(role), {}));
    }
}

TEST(AtspiRoleMappingTest, ActivatingActionsBecomePress) {
    for (const char* name : {"Press", "click", "activate", "Toggle", "jump"}) {
        EXPECT_EQ(atspimapping::axActionName(QLatin1String(name)), QStringLiteral("AXPress")) << name;
    }
    EXPECT_EQ(atspimapping::axActionName(QStringLiteral("SetFocus")), QStringLiteral("SetFocus"));
    EXPECT_EQ(atspimapping::axActionName(QStringLiteral("showMenu")), QStringLiteral("showMenu"));
}

TEST(MacKeyMappingTest, EveryKeyOfTheShortcutTableHasAKeySym) {
    EXPECT_EQ(keymapping::keySymForMacKeyCode(0), XK_a);
    EXPECT_EQ(keymapping::keySymForMacKeyCode(6), XK_z);
    EXPECT_EQ(keymapping::keySymForMacKeyCode(36), XK_Return);
    EXPECT_EQ(keymapping::keySymForMacKeyCode(51), XK_BackSpace);
    EXPECT_EQ(keymapping::keySymForMacKeyCode(117), XK_Delete);
    EXPECT_EQ(keymapping::keySymForMacKeyCode(126), XK_Up);
    EXPECT_EQ(keymapping::keySymForMacKeyCode(10), std::nullopt);
    for (const char* name :
         {"a", "q", "0", "9",      "-",   "=",     "[",      "]",      "\\",   ";",     "'",    ",",
          ".", "/", "`", "return", "tab", "space", "delete", "escape", "left", "right", "down", "up"}) {
        const auto code = KeyboardKey::keyCodeFor(QLatin1String(name));
        ASSERT_TRUE(code) << name;
        EXPECT_TRUE(keymapping::keySymForMacKeyCode(*code)) << name;
    }
}

TEST(MacKeyMappingTest, ModifiersAndCharacters) {
    EXPECT_EQ(
        keymapping::modifierKeySyms(modifier::control | modifier::command | modifier::option | modifier::shift),
        (std::vector<keymapping::KeySym>{XK_Control_L, XK_Shift_L, XK_Alt_L, XK_Super_L}));
    EXPECT_TRUE(keymapping::modifierKeySyms(0).empty());

    EXPECT_EQ(keymapping::keySymForCodePoint(U'a'), XK_a);
    EXPECT_EQ(keymapping::keySymForCodePoint(U'\u00e9'), XK_eacute);
    EXPECT_EQ(keymapping::keySymForCodePoint(U'\n'), XK_Return);
    EXPECT_EQ(keymapping::keySymForCodePoint(U'\t'), XK_Tab);
    EXPECT_EQ(keymapping::keySymForCodePoint(U'\u20ac'), 0x010020acu);
    EXPECT_EQ(keymapping::keySymForCodePoint(U'\U0001F600'), 0x0101F600u);
    EXPECT_EQ(keymapping::keySymForCodePoint(U'\x07'), std::nullopt);
    EXPECT_EQ(keymapping::keySymForCodePoint(0xd800), std::nullopt);
}

} // namespace
} // namespace orbix
