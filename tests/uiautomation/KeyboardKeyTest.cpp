#include "uiautomation/KeyboardKey.h"

#include <QSet>
#include <gtest/gtest.h>

namespace orbix {
namespace {

TEST(KeyboardKeyTest, ModifiersAreCollectedAndNamedInFixedOrder) {
    const auto key = KeyboardKey::parse(QStringLiteral("command shift z"));
    ASSERT_TRUE(key);
    EXPECT_EQ(key->displayName, QStringLiteral("Command-Shift-Z"));
    EXPECT_EQ(key->keyCode, 6);
    EXPECT_EQ(key->modifiers, modifier::command | modifier::shift);

    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("shift cmd z")), key);
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("  Ctrl\tALT  option q ")),
              (KeyboardKey{QStringLiteral("Option-Control-Q"), 12, modifier::control | modifier::option,
                           QStringLiteral("q")}));
}

TEST(KeyboardKeyTest, KeyWordIsRemovedAndNamesAreLookedUp) {
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("return key")),
              (KeyboardKey{QStringLiteral("Return"), 36, 0, QStringLiteral("return")}));
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("Enter"))->keyCode, 36);
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("esc"))->keyCode, 53);
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("Backspace"))->keyCode, 51);
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("up arrow key")),
              (KeyboardKey{QStringLiteral("Up Arrow"), std::nullopt, 0, QStringLiteral("up arrow")}));
}

TEST(KeyboardKeyTest, ShortcutsWithoutAKeyOrWithUnknownKeys) {
    EXPECT_FALSE(KeyboardKey::parse(QStringLiteral("cmd")));
    EXPECT_FALSE(KeyboardKey::parse(QStringLiteral("  key ")));
    EXPECT_FALSE(KeyboardKey::parse(QString()));

    // A plus sign is not a separator.
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("cmd+z")),
              (KeyboardKey{QStringLiteral("Cmd+Z"), std::nullopt, 0, QStringLiteral("cmd+z")}));
    EXPECT_EQ(KeyboardKey::parse(QStringLiteral("page down")),
              (KeyboardKey{QStringLiteral("Page Down"), std::nullopt, 0, QStringLiteral("page down")}));
    for (const char* name : {"f1", "home", "end", "forward delete", "page up"}) {
        EXPECT_FALSE(KeyboardKey::keyCodeFor(QLatin1String(name))) << name;
    }
}

TEST(KeyboardKeyTest, KeyTableCoversTheAnsiLayout) {
    const QString letters = QStringLiteral("asdfhgzxcvbqweryt");
    for (int i = 0; i < letters.size(); ++i) {
        // a..t run 0..17 with 10 (the ISO section key) left out.
        EXPECT_EQ(KeyboardKey::keyCodeFor(letters.mid(i, 1)), i < 10 ? i : i + 1) << letters[i].toLatin1();
    }
    const std::pair<const char*, int> others[] = {
        {"1", 18},      {"2", 19},     {"3", 20},     {"4", 21}, {"6", 22},      {"5", 23},      {"=", 24},
        {"9", 25},      {"7", 26},     {"-", 27},     {"8", 28}, {"0", 29},      {"]", 30},      {"o", 31},
        {"u", 32},      {"[", 33},     {"i", 34},     {"p", 35}, {"l", 37},      {"j", 38},      {"'", 39},
        {"k", 40},      {";", 41},     {"\\", 42},    {",", 43}, {"/", 44},      {"n", 45},      {"m", 46},
        {".", 47},      {"tab", 48},   {"space", 49}, {"`", 50}, {"delete", 51}, {"escape", 53}, {"left", 123},
        {"right", 124}, {"down", 125}, {"up", 126}};
    QSet<int> codes;
    for (const auto& [name, code] : others) {
        EXPECT_EQ(KeyboardKey::keyCodeFor(QString::fromUtf8(name)), code) << name;
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), static_cast<qsizetype>(std::size(others)));
}

TEST(KeyboardKeyTest, KeysThatActivateOrOpenMenus) {
    const auto parsed = [](const char* shortcut) { return *KeyboardKey::parse(QString::fromUtf8(shortcut)); };
    for (const char* shortcut : {"return", "Enter key", "space", "cmd return", "shift space"}) {
        EXPECT_TRUE(parsed(shortcut).activatesFocusedElement()) << shortcut;
    }
    for (const char* shortcut : {"tab", "escape", "down", "r", "spacebar"}) {
        EXPECT_FALSE(parsed(shortcut).activatesFocusedElement()) << shortcut;
    }
    for (const char* shortcut :
         {"option e", "alt f", "alt shift 3", "F10", "shift f10", "menu key", "ctrl f2", "context menu"}) {
        EXPECT_TRUE(parsed(shortcut).opensMenu()) << shortcut;
    }
    // With Command or Control, Option and a letter is an application shortcut; Option alone with a named
    // key opens no menu.
    for (const char* shortcut : {"cmd option e", "control alt t", "option left", "e", "f2", "option return"}) {
        EXPECT_FALSE(parsed(shortcut).opensMenu()) << shortcut;
    }
}

} // namespace
} // namespace orbix
