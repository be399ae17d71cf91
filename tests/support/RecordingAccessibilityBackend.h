#pragma once
// An in-memory accessibility tree that records every call made to it: tests build the tree, the code under
// test reads and drives it as it would a real one, and the test asserts on what reached the backend.

#include "uiautomation/AccessibilityBackend.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace orbix::test {

// What a test says about one element.
struct FakeElement {
    std::map<StringAttribute, QString> attributes;
    std::optional<ScreenPoint> position;
    std::optional<ScreenSize> size;
    QStringList actions;
    // Whether performing AXPress succeeds (only when the element offers it).
    bool pressSucceeds = true;
    ElementStates states;

    // Shorthands for the common shapes.
    static FakeElement withRole(const QString& role, const QString& title = {});
    FakeElement& set(StringAttribute attribute, const QString& value);
    FakeElement& pressable(bool succeeds = true);
    FakeElement& framed(ScreenPoint topLeft, ScreenSize extent);
    FakeElement& focused();
    FakeElement& defaultButton();
};

class RecordingAccessibilityBackend : public AccessibilityBackend {
public:
    // One recorded input or action, in the order it happened.
    struct Event {
        enum class Kind { press, focus, click, character, key };
        Kind kind;
        int element = -1; // press, focus: the element's id
        ScreenPoint point;
        QString character;
        std::uint16_t keyCode = 0;
        ModifierFlags modifiers = 0;
    };

    // Adds an element and returns its reference; ids count up from 0.
    ElementRef add(FakeElement element);
    // Appends child to one of parent's child lists.
    void appendChild(const ElementRef& parent, const ElementRef& child, ChildList list = ChildList::children);
    // Adds an element as a child and returns it.
    ElementRef addChild(const ElementRef& parent, FakeElement element, ChildList list = ChildList::children);
    FakeElement& element(const ElementRef& ref);
    static int idOf(const ElementRef& ref);

    void setTrusted(bool trusted) { trusted_ = trusted; }
    void setFrontmostApplication(ElementRef application) { frontmost_ = std::move(application); }

    // Every call to the port, by method name ("isProcessTrusted", "children", "postKey", …).
    const QStringList& calls() const { return calls_; }
    // Presses, focus changes and posted input only.
    const std::vector<Event>& events() const { return events_; }
    // Characters posted, concatenated.
    QString typedText() const;
    // How many child references children() has handed out.
    std::size_t childrenHandedOut() const { return childrenHandedOut_; }
    // How often the trust check asked to prompt the user.
    int trustPrompts() const { return trustPrompts_; }
    void clearRecords();

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

private:
    struct Node {
        FakeElement element;
        std::map<ChildList, std::vector<ElementRef>> children;
    };
    Node& node(const ElementRef& ref);

    std::vector<Node> nodes_;
    bool trusted_ = true;
    ElementRef frontmost_;
    QStringList calls_;
    std::vector<Event> events_;
    int trustPrompts_ = 0;
    std::size_t childrenHandedOut_ = 0;
};

} // namespace orbix::test
