// Feeds arbitrary text to the keyboard-shortcut parser and to element-name matching.
#include "uiautomation/ElementMatching.h"
#include "uiautomation/KeyboardKey.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto key = orbix::KeyboardKey::parse(text)) {
        // A parsed shortcut always has a key name, so its display name is never empty.
        if (key->displayName.isEmpty()) {
            __builtin_trap();
        }
    }
    const QString target = orbix::matching::normalized(text);
    orbix::matching::ElementTraits element{
        {text, QStringLiteral("Auto Adjust")}, QStringLiteral("AXButton"), {}, true, true};
    if (const auto score = orbix::matching::score(element, target, orbix::ElementPurpose::click)) {
        if (*score <= 0 || *score > 140) {
            __builtin_trap();
        }
    }
    return 0;
}
