#include "uiautomation/KeyboardKey.h"

#include "core/TextRules.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <utility>

namespace orbix {

namespace {

struct ModifierWord {
    const char* word;
    ModifierFlags flag;
};
constexpr std::array<ModifierWord, 7> modifierWords{{
    {"command", modifier::command},
    {"cmd", modifier::command},
    {"shift", modifier::shift},
    {"option", modifier::option},
    {"alt", modifier::option},
    {"control", modifier::control},
    {"ctrl", modifier::control},
}};

// Display order of the modifiers.
constexpr std::array<std::pair<ModifierFlags, const char*>, 4> modifierNames{{
    {modifier::command, "Command"},
    {modifier::shift, "Shift"},
    {modifier::option, "Option"},
    {modifier::control, "Control"},
}};

const QHash<QString, std::uint16_t>& keyTable() {
    // macOS virtual key codes, ANSI layout.
    static const QHash<QString, std::uint16_t> table{
        {"a", 0},      {"s", 1},      {"d", 2},       {"f", 3},       {"h", 4},          {"g", 5},
        {"z", 6},      {"x", 7},      {"c", 8},       {"v", 9},       {"b", 11},         {"q", 12},
        {"w", 13},     {"e", 14},     {"r", 15},      {"y", 16},      {"t", 17},         {"1", 18},
        {"2", 19},     {"3", 20},     {"4", 21},      {"6", 22},      {"5", 23},         {"=", 24},
        {"9", 25},     {"7", 26},     {"-", 27},      {"8", 28},      {"0", 29},         {"]", 30},
        {"o", 31},     {"u", 32},     {"[", 33},      {"i", 34},      {"p", 35},         {"return", 36},
        {"enter", 36}, {"l", 37},     {"j", 38},      {"'", 39},      {"k", 40},         {";", 41},
        {"\\", 42},    {",", 43},     {"/", 44},      {"n", 45},      {"m", 46},         {".", 47},
        {"tab", 48},   {"space", 49}, {"`", 50},      {"delete", 51}, {"backspace", 51}, {"escape", 53},
        {"esc", 53},   {"left", 123}, {"right", 124}, {"down", 125},  {"up", 126},
    };
    return table;
}

} // namespace

std::optional<std::uint16_t> KeyboardKey::keyCodeFor(const QString& keyName) {
    const auto& table = keyTable();
    const auto it = table.constFind(keyName);
    if (it == table.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

QString KeyboardKey::displayNameFor(const QString& keyName, ModifierFlags modifiers) {
    QStringList parts;
    for (const auto& [flag, name] : modifierNames) {
        if (modifiers & flag) {
            parts.append(QLatin1String(name));
        }
    }
    parts.append(text::capitalizedWords(keyName));
    return parts.join(QLatin1Char('-'));
}

std::optional<KeyboardKey> KeyboardKey::parse(const QString& shortcut) {
    const QString cleaned = text::trimmed(shortcut.toLower().remove(QStringLiteral("key")));
    ModifierFlags modifiers = 0;
    QStringList keyPieces;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& piece : cleaned.split(blanks, Qt::SkipEmptyParts)) {
        bool isModifier = false;
        for (const ModifierWord& modifierWord : modifierWords) {
            if (piece == QLatin1String(modifierWord.word)) {
                modifiers |= modifierWord.flag;
                isModifier = true;
                break;
            }
        }
        if (!isModifier) {
            keyPieces.append(piece);
        }
    }
    const QString keyName = keyPieces.join(QLatin1Char(' '));
    if (keyName.isEmpty()) {
        return std::nullopt;
    }
    return KeyboardKey{displayNameFor(keyName, modifiers), keyCodeFor(keyName), modifiers, keyName};
}

bool KeyboardKey::activatesFocusedElement() const {
    return keyName == QStringLiteral("return") || keyName == QStringLiteral("enter") ||
           keyName == QStringLiteral("space");
}

bool KeyboardKey::opensMenu() const {
    static const QStringList menuKeys{QStringLiteral("f10"), QStringLiteral("menu"),
                                      QStringLiteral("application"), QStringLiteral("apps"),
                                      QStringLiteral("context menu")};
    if (menuKeys.contains(keyName) || (keyName == QStringLiteral("f2") && (modifiers & modifier::control))) {
        return true;
    }
    const bool mnemonic = keyName.size() == 1 && keyName.at(0).isLetterOrNumber();
    return mnemonic && (modifiers & modifier::option) && !(modifiers & (modifier::command | modifier::control));
}

bool KeyboardKey::isDeleteKey() const {
    // Forward delete has no code in the table, so it is also known by name.
    return keyCode == deleteKeyCode || keyCode == forwardDeleteKeyCode ||
           keyName == QStringLiteral("forward delete");
}

} // namespace orbix
