#pragma once
// The accessibility port on Linux: AT-SPI2 (libatspi) for the tree, XTest for pointer and keyboard
// input. "Trusted" means the accessibility bus is reachable; there is no permission prompt to show.

#include "uiautomation/AccessibilityBackend.h"

#include <memory>

namespace orbix {

class AtspiAccessibilityBackend : public AccessibilityBackend {
public:
    AtspiAccessibilityBackend();
    ~AtspiAccessibilityBackend() override;

    bool isProcessTrusted(bool promptIfNeeded) override;
    ElementRef frontmostApplicationElement() override;
    std::optional<QString> stringAttribute(const ElementRef& element, StringAttribute attribute) override;
    std::optional<ScreenPoint> position(const ElementRef& element) override;
    std::optional<ScreenSize> size(const ElementRef& element) override;
    std::vector<ElementRef> children(const ElementRef& element, ChildList list, std::size_t limit) override;
    QStringList actionNames(const ElementRef& element) override;
    ElementStates states(const ElementRef& element) override;
    bool performPress(const ElementRef& element) override;
    bool setFocused(const ElementRef& element, bool focused) override;
    void postClick(ScreenPoint point) override;
    void postCharacter(const QString& character) override;
    void postKey(std::uint16_t keyCode, ModifierFlags modifiers) override;

    // The application element of a process; null when it is not on the accessibility bus.
    ElementRef applicationElement(qint64 pid);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace orbix
