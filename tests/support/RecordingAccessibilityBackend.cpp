#include "support/RecordingAccessibilityBackend.h"

#include <stdexcept>

namespace orbix::test {

namespace {

// A node of the in-memory tree, identified by its index. A fresh reference object is made on every read
// so that identity really goes through sameElement(), as with a native backend.
class FakeRef : public AccessibleElement {
public:
    explicit FakeRef(int id) : id(id) {}
    std::size_t hash() const override { return std::hash<int>()(id); }
    bool sameElement(const AccessibleElement& other) const override {
        const auto* fake = dynamic_cast<const FakeRef*>(&other);
        return fake && fake->id == id;
    }
    const int id;
};

} // namespace

FakeElement FakeElement::withRole(const QString& role, const QString& title) {
    FakeElement element;
    element.attributes[StringAttribute::role] = role;
    if (!title.isNull()) {
        element.attributes[StringAttribute::title] = title;
    }
    return element;
}

FakeElement& FakeElement::set(StringAttribute attribute, const QString& value) {
    attributes[attribute] = value;
    return *this;
}

FakeElement& FakeElement::pressable(bool succeeds) {
    actions.append(pressActionName);
    pressSucceeds = succeeds;
    return *this;
}

FakeElement& FakeElement::framed(ScreenPoint topLeft, ScreenSize extent) {
    position = topLeft;
    size = extent;
    return *this;
}

FakeElement& FakeElement::focused() {
    states.focused = true;
    return *this;
}

FakeElement& FakeElement::defaultButton() {
    states.defaultButton = true;
    return *this;
}

int RecordingAccessibilityBackend::idOf(const ElementRef& ref) {
    const auto* fake = dynamic_cast<const FakeRef*>(ref.get());
    if (!fake) {
        throw std::invalid_argument("not an element of the recording backend");
    }
    return fake->id;
}

ElementRef RecordingAccessibilityBackend::add(FakeElement element) {
    nodes_.push_back({std::move(element), {}});
    return std::make_shared<FakeRef>(static_cast<int>(nodes_.size() - 1));
}

void RecordingAccessibilityBackend::appendChild(const ElementRef& parent, const ElementRef& child,
                                                ChildList list) {
    node(parent).children[list].push_back(std::make_shared<FakeRef>(idOf(child)));
}

ElementRef RecordingAccessibilityBackend::addChild(const ElementRef& parent, FakeElement element,
                                                   ChildList list) {
    ElementRef child = add(std::move(element));
    appendChild(parent, child, list);
    return child;
}

FakeElement& RecordingAccessibilityBackend::element(const ElementRef& ref) {
    return node(ref).element;
}

RecordingAccessibilityBackend::Node& RecordingAccessibilityBackend::node(const ElementRef& ref) {
    return nodes_.at(static_cast<std::size_t>(idOf(ref)));
}

QString RecordingAccessibilityBackend::typedText() const {
    QString text;
    for (const Event& event : events_) {
        if (event.kind == Event::Kind::character) {
            text += event.character;
        }
    }
    return text;
}

void RecordingAccessibilityBackend::clearRecords() {
    calls_.clear();
    events_.clear();
    trustPrompts_ = 0;
    childrenHandedOut_ = 0;
}

bool RecordingAccessibilityBackend::isProcessTrusted(bool promptIfNeeded) {
    calls_.append(QStringLiteral("isProcessTrusted"));
    trustPrompts_ += promptIfNeeded ? 1 : 0;
    return trusted_;
}

ElementRef RecordingAccessibilityBackend::frontmostApplicationElement() {
    calls_.append(QStringLiteral("frontmostApplicationElement"));
    return frontmost_ ? std::make_shared<FakeRef>(idOf(frontmost_)) : nullptr;
}

std::optional<QString> RecordingAccessibilityBackend::stringAttribute(const ElementRef& ref,
                                                                      StringAttribute attribute) {
    calls_.append(QStringLiteral("stringAttribute"));
    const auto& attributes = node(ref).element.attributes;
    const auto it = attributes.find(attribute);
    if (it == attributes.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<ScreenPoint> RecordingAccessibilityBackend::position(const ElementRef& ref) {
    calls_.append(QStringLiteral("position"));
    return node(ref).element.position;
}

std::optional<ScreenSize> RecordingAccessibilityBackend::size(const ElementRef& ref) {
    calls_.append(QStringLiteral("size"));
    return node(ref).element.size;
}

std::vector<ElementRef> RecordingAccessibilityBackend::children(const ElementRef& ref, ChildList list,
                                                                std::size_t limit) {
    calls_.append(QStringLiteral("children"));
    const auto& lists = node(ref).children;
    const auto it = lists.find(list);
    if (it == lists.end()) {
        return {};
    }
    std::vector<ElementRef> copies;
    copies.reserve(it->second.size());
    for (const ElementRef& child : it->second) {
        if (copies.size() == limit) {
            break;
        }
        copies.push_back(std::make_shared<FakeRef>(idOf(child)));
    }
    childrenHandedOut_ += copies.size();
    return copies;
}

QStringList RecordingAccessibilityBackend::actionNames(const ElementRef& ref) {
    calls_.append(QStringLiteral("actionNames"));
    return node(ref).element.actions;
}

ElementStates RecordingAccessibilityBackend::states(const ElementRef& ref) {
    calls_.append(QStringLiteral("states"));
    return node(ref).element.states;
}

bool RecordingAccessibilityBackend::performPress(const ElementRef& ref) {
    calls_.append(QStringLiteral("performPress"));
    const FakeElement& element = node(ref).element;
    events_.push_back({Event::Kind::press, idOf(ref), {}, {}, 0, 0});
    return element.actions.contains(pressActionName) && element.pressSucceeds;
}

bool RecordingAccessibilityBackend::setFocused(const ElementRef& ref, bool focused) {
    calls_.append(QStringLiteral("setFocused"));
    if (focused) {
        events_.push_back({Event::Kind::focus, idOf(ref), {}, {}, 0, 0});
        // Focus moves: one element holds it.
        for (Node& other : nodes_) {
            other.element.states.focused = false;
        }
        node(ref).element.states.focused = true;
    }
    return true;
}

void RecordingAccessibilityBackend::postClick(ScreenPoint point) {
    calls_.append(QStringLiteral("postClick"));
    events_.push_back({Event::Kind::click, -1, point, {}, 0, 0});
}

void RecordingAccessibilityBackend::postCharacter(const QString& character) {
    calls_.append(QStringLiteral("postCharacter"));
    events_.push_back({Event::Kind::character, -1, {}, character, 0, 0});
}

void RecordingAccessibilityBackend::postKey(std::uint16_t keyCode, ModifierFlags modifiers) {
    calls_.append(QStringLiteral("postKey"));
    events_.push_back({Event::Kind::key, -1, {}, {}, keyCode, modifiers});
}

} // namespace orbix::test
