#pragma once
// Port: the accessibility tree of the frontmost application and synthetic input to it. Backends live in
// platform/<os>/ (AT-SPI2 + XTest on Linux, the AX API + Quartz events on macOS); tests use an in-memory
// recording backend.
//
// Contract:
// - Everything runs on the main thread and answers synchronously; posted input has reached the system's
//   event stream when the call returns.
// - Elements are opaque references; two references are equal when they denote the same element of the tree
//   (ElementRefHash / ElementRefEqual make them usable in a visited set).
// - A read that fails (missing attribute, wrong value type, dead element, unreachable bus) answers "absent":
//   std::nullopt, an empty list or false. Nothing throws.
// - Roles and subroles are reported with the AX vocabulary ("AXButton", "AXTextField", "AXSearchField", …)
//   and press-like actions as "AXPress", whatever the native toolkit calls them.
// - Key codes are macOS virtual key codes (ANSI layout) and modifier flags are the Quartz event flags below;
//   backends translate them to the native keyboard.

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orbix {

// The backend's native element. Identity is what the backend says it is (an AT-SPI bus name and object
// path, an AXUIElement's CF equality, a node of an in-memory tree).
class AccessibleElement {
public:
    virtual ~AccessibleElement() = default;
    virtual std::size_t hash() const = 0;
    virtual bool sameElement(const AccessibleElement& other) const = 0;
};

using ElementRef = std::shared_ptr<const AccessibleElement>;

struct ElementRefHash {
    std::size_t operator()(const ElementRef& element) const { return element ? element->hash() : 0; }
};
struct ElementRefEqual {
    bool operator()(const ElementRef& a, const ElementRef& b) const {
        if (!a || !b) {
            return a == b;
        }
        return a == b || a->sameElement(*b);
    }
};

struct ScreenPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct ScreenSize {
    double width = 0;
    double height = 0;
    friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

// The string attributes the UI fallback reads (AXRole, AXSubrole, AXTitle, AXDescription, AXValue, AXHelp,
// AXPlaceholderValue, AXIdentifier).
enum class StringAttribute { role, subrole, title, description, value, help, placeholderValue, identifier };

// The child lists, in the order a traversal concatenates them (AXChildren, AXVisibleChildren, AXTabs,
// AXRows, AXColumns).
enum class ChildList { children, visibleChildren, tabs, rows, columns };
inline constexpr std::array<ChildList, 5> allChildLists{ChildList::children, ChildList::visibleChildren,
                                                        ChildList::tabs, ChildList::rows, ChildList::columns};

// Quartz event flags for the modifier keys.
using ModifierFlags = std::uint64_t;
namespace modifier {
inline constexpr ModifierFlags command = 0x100000;
inline constexpr ModifierFlags shift = 0x20000;
inline constexpr ModifierFlags option = 0x80000;
inline constexpr ModifierFlags control = 0x40000;
} // namespace modifier

inline const QString pressActionName = QStringLiteral("AXPress");

// The states that decide what Return, Enter or Space would press (AT-SPI: focused, or selected on a menu
// item, and is-default; AX: AXFocused, AXSelected on a menu item, and being its window's AXDefaultButton).
struct ElementStates {
    // Has keyboard focus; for a menu item: is the highlighted item of an open menu.
    bool focused = false;
    // Is the button its window presses on Return.
    bool defaultButton = false;
    friend bool operator==(const ElementStates&, const ElementStates&) = default;
};

class AccessibilityBackend {
public:
    virtual ~AccessibilityBackend() = default;

    // Whether this process may read the tree and post input. With promptIfNeeded the system may ask the
    // user to grant it (where the platform has such a prompt).
    virtual bool isProcessTrusted(bool promptIfNeeded) = 0;
    // The application element of the frontmost application's process; null when there is none.
    virtual ElementRef frontmostApplicationElement() = 0;

    virtual std::optional<QString> stringAttribute(const ElementRef& element, StringAttribute attribute) = 0;
    // Top-left corner and size in screen coordinates.
    virtual std::optional<ScreenPoint> position(const ElementRef& element) = 0;
    virtual std::optional<ScreenSize> size(const ElementRef& element) = 0;
    // At most `limit` children, the first ones in order (a caller that can use only so many need not pay
    // for reading a grid of thousands).
    virtual std::vector<ElementRef> children(const ElementRef& element, ChildList list, std::size_t limit) = 0;
    virtual QStringList actionNames(const ElementRef& element) = 0;
    // All false when unreadable.
    virtual ElementStates states(const ElementRef& element) = 0;

    // Performs the element's press action; false when it has none or the action failed.
    virtual bool performPress(const ElementRef& element) = 0;
    // Sets the element's focused state; false when that failed.
    virtual bool setFocused(const ElementRef& element, bool focused) = 0;

    // A left button down and up at the point, in that order and without delay.
    virtual void postClick(ScreenPoint point) = 0;
    // One key down and up pair carrying one user-perceived character (a grapheme cluster, possibly several
    // UTF-16 units).
    virtual void postCharacter(const QString& character) = 0;
    // A key down and up for the virtual key, with the modifier flags held.
    virtual void postKey(std::uint16_t keyCode, ModifierFlags modifiers) = 0;
};

} // namespace orbix
