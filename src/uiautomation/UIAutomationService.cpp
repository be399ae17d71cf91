#include "uiautomation/UIAutomationService.h"

#include "core/TextRules.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <deque>
#include <unordered_set>
#include <variant>

namespace orbix {

namespace {

using VisitedSet = std::unordered_set<ElementRef, ElementRefHash, ElementRefEqual>;

const QString noClickTargetText = QStringLiteral("No click target provided.");
const QString noFieldTargetText = QStringLiteral("No field target provided.");
const QString noTextText = QStringLiteral("No text provided.");
const QString noFrontmostAppText = QStringLiteral("No frontmost app is available.");
const QString typedTextText = QStringLiteral("Typed text.");

QString couldNotFindText(const QString& name) {
    return QStringLiteral("Could not find ") + name + QStringLiteral(" on screen.");
}
QString couldNotFindFieldText(const QString& name) {
    return QStringLiteral("Could not find ") + name + QStringLiteral(" field on screen.");
}
QString couldNotClickText(const QString& name) {
    return QStringLiteral("Could not click ") + name + QLatin1Char('.');
}
// The name ends the sentence: a full stop is added unless it already ends like one ("Export Variants…").
QString endedSentence(const QString& text) {
    static const QString terminators = QStringLiteral(".\u2026!?");
    return !text.isEmpty() && terminators.contains(text.back()) ? text : text + QLatin1Char('.');
}
QString clickedText(const QString& name) {
    return endedSentence(QStringLiteral("Clicked ") + name);
}
QString focusedText(const QString& name) {
    return QStringLiteral("Focused ") + name + QLatin1Char('.');
}
QString typedIntoText(const QString& name) {
    return QStringLiteral("Typed text into ") + name + QLatin1Char('.');
}
QString couldNotPressText(const QString& name) {
    return QStringLiteral("Could not press ") + name + QLatin1Char('.');
}
QString pressedText(const QString& name) {
    return QStringLiteral("Pressed ") + name + QLatin1Char('.');
}
QString pressedOnText(const QString& key, const QString& element) {
    return endedSentence(QStringLiteral("Pressed ") + key + QStringLiteral(" on ") + element);
}
QString unknownKeyTargetText(const QString& key) {
    return QStringLiteral("Could not tell what ") + key + QStringLiteral(" would press.");
}
const QString typedTextWhat = QStringLiteral("the typed text");

// A space or a line break types into a text field but presses a focused button or a highlighted menu item,
// as the Space and Return keys do.
bool canPressFocusedElement(const QString& text) {
    return text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char('\n')) ||
           text.contains(QLatin1Char('\r'));
}

std::optional<QString> nonEmpty(std::optional<QString> value) {
    if (value && value->isEmpty()) {
        return std::nullopt;
    }
    return value;
}

constexpr std::array<StringAttribute, 6> textValueAttributes{
    StringAttribute::title, StringAttribute::description,      StringAttribute::value,
    StringAttribute::help,  StringAttribute::placeholderValue, StringAttribute::identifier};

} // namespace

std::vector<ElementRef> UIAutomationService::allChildren(const ElementRef& element, std::size_t limit) {
    std::vector<ElementRef> result;
    for (const ChildList list : allChildLists) {
        if (result.size() >= limit) {
            break;
        }
        std::vector<ElementRef> some = backend_.children(element, list, limit - result.size());
        result.insert(result.end(), std::make_move_iterator(some.begin()), std::make_move_iterator(some.end()));
    }
    return result;
}

bool UIAutomationService::offersPress(const ElementRef& element) {
    return backend_.actionNames(element).contains(pressActionName);
}

QString UIAutomationService::attributeOrEmpty(const ElementRef& element, StringAttribute attribute) {
    return backend_.stringAttribute(element, attribute).value_or(QString());
}

QStringList UIAutomationService::elementTextValues(const ElementRef& element) {
    QStringList values;
    for (const StringAttribute attribute : textValueAttributes) {
        if (auto value = backend_.stringAttribute(element, attribute)) {
            values.append(std::move(*value));
        }
    }
    return values;
}

std::optional<ScreenPoint> UIAutomationService::centerPoint(const ElementRef& element) {
    const auto position = backend_.position(element);
    if (!position) {
        return std::nullopt;
    }
    const auto size = backend_.size(element);
    if (!size) {
        return std::nullopt;
    }
    return ScreenPoint{position->x + size->width / 2, position->y + size->height / 2};
}

void UIAutomationService::walkBreadthFirst(const ElementRef& root, const ElementVisitor& visit) {
    struct Entry {
        ElementRef element;
        ElementRef parent;
    };
    std::deque<Entry> queue{{root, nullptr}};
    VisitedSet visited;
    int taken = 0;
    while (!queue.empty() && taken < listingEntryLimit) {
        Entry entry = std::move(queue.front());
        queue.pop_front();
        ++taken;
        if (!visited.insert(entry.element).second) {
            continue;
        }
        visit(entry.element, entry.parent);
        // Entries beyond the cap would never be taken: do not read them.
        const auto reachable = static_cast<std::size_t>(listingEntryLimit - taken);
        if (queue.size() < reachable) {
            for (ElementRef& child : allChildren(entry.element, reachable - queue.size())) {
                queue.push_back({std::move(child), entry.element});
            }
        }
    }
}

std::vector<UIElementDescription> UIAutomationService::getVisibleElements() {
    std::vector<UIElementDescription> listed;
    if (!backend_.isProcessTrusted(true)) {
        return listed;
    }
    ElementRef root = backend_.frontmostApplicationElement();
    if (!root) {
        return listed;
    }
    walkBreadthFirst(root, [&](const ElementRef& element, const ElementRef&) {
        const QString role = attributeOrEmpty(element, StringAttribute::role);
        const QString subrole = attributeOrEmpty(element, StringAttribute::subrole);
        if (!matching::isOfInterest(role, subrole, offersPress(element))) {
            return;
        }
        const auto description = nonEmpty(backend_.stringAttribute(element, StringAttribute::description));
        const QString name =
            matching::displayName(backend_.stringAttribute(element, StringAttribute::title), description,
                                  backend_.stringAttribute(element, StringAttribute::identifier));
        if (!name.isEmpty()) {
            listed.push_back({role, subrole, name, description,
                              nonEmpty(backend_.stringAttribute(element, StringAttribute::value))});
        }
    });
    return listed;
}

std::optional<ElementCandidate> UIAutomationService::candidate(const ElementRef& element,
                                                               const QString& normalizedTarget,
                                                               ElementPurpose purpose) {
    matching::ElementTraits traits;
    traits.textValues = elementTextValues(element);
    // Cheap rejection before the remaining reads: nothing to compare.
    if (std::none_of(traits.textValues.cbegin(), traits.textValues.cend(),
                     [](const QString& value) { return !matching::normalized(value).isEmpty(); })) {
        return std::nullopt;
    }
    traits.role = attributeOrEmpty(element, StringAttribute::role);
    traits.subrole = attributeOrEmpty(element, StringAttribute::subrole);
    traits.offersPress = offersPress(element);
    traits.hasCenter = centerPoint(element).has_value();
    const auto total = matching::score(traits, normalizedTarget, purpose);
    if (!total) {
        return std::nullopt;
    }
    return ElementCandidate{element, *total};
}

ElementRef UIAutomationService::findElement(const QString& name, const ElementRef& root,
                                            ElementPurpose purpose) {
    if (!root) {
        return nullptr;
    }
    const QString target = matching::normalized(name);
    std::vector<ElementCandidate> candidates;
    std::deque<ElementRef> queue{root};
    VisitedSet visited;
    while (!queue.empty()) {
        ElementRef element = std::move(queue.front());
        queue.pop_front();
        if (!visited.insert(element).second) {
            continue;
        }
        if (auto found = candidate(element, target, purpose)) {
            candidates.push_back(std::move(*found));
        }
        for (ElementRef& child : allChildren(element)) {
            queue.push_back(std::move(child));
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const ElementCandidate& a, const ElementCandidate& b) { return a.score > b.score; });
    return candidates.empty() ? nullptr : candidates.front().element;
}

QStringList UIAutomationService::namingTexts(const ElementRef& element) {
    QStringList texts;
    for (const StringAttribute attribute :
         {StringAttribute::title, StringAttribute::description, StringAttribute::identifier}) {
        if (auto value = nonEmpty(backend_.stringAttribute(element, attribute))) {
            texts.append(std::move(*value));
        }
    }
    return texts;
}

QString UIAutomationService::shownName(const ElementRef& element, const QString& fallback) {
    const QStringList texts = namingTexts(element);
    return texts.isEmpty() ? fallback : texts.front();
}

KeyboardTargets UIAutomationService::keyboardTargets(const ElementRef& application) {
    KeyboardTargets targets;
    if (!application) {
        return targets;
    }
    // Focus can sit anywhere in the tree; the walk is bounded as the listing is. An open menu's highlighted
    // item is a focused menu item inside a menu (a menu bar's items stay focused while their menu is open).
    walkBreadthFirst(application, [&](const ElementRef& element, const ElementRef& parent) {
        const ElementStates states = backend_.states(element);
        if (!states.focused && !states.defaultButton) {
            return;
        }
        const bool inOpenMenu =
            states.focused && parent &&
            attributeOrEmpty(element, StringAttribute::role) == QLatin1String("AXMenuItem") &&
            attributeOrEmpty(parent, StringAttribute::role) == QLatin1String("AXMenu");
        if (!inOpenMenu) {
            targets.focusedOrDefault.push_back(element);
            return;
        }
        // With a submenu open, the item that opened it stays highlighted too; the submenu comes later.
        if (targets.highlightedMenuItem) {
            targets.focusedOrDefault.push_back(targets.highlightedMenuItem);
        }
        targets.highlightedMenuItem = element;
    });
    return targets;
}

std::variant<ElementRef, UIAutomationResult> UIAutomationService::locate(const QString& target,
                                                                         ElementPurpose purpose,
                                                                         const QString& notFoundText,
                                                                         const ElementVeto& veto) {
    if (!backend_.isProcessTrusted(true)) {
        return UIAutomationResult::accessibilityNotTrusted();
    }
    const ElementRef application = backend_.frontmostApplicationElement();
    if (!application) {
        return UIAutomationResult::failure(noFrontmostAppText);
    }
    ElementRef element = findElement(target, application, purpose);
    if (!element) {
        return UIAutomationResult::failure(notFoundText);
    }
    // A harmless request can match a harmful control by prefix or substring: judge what would be pressed.
    if (veto && veto(namingTexts(element))) {
        return UIAutomationResult::refused();
    }
    return element;
}

UIAutomationResult UIAutomationService::clickVisibleElement(const QString& name, const ElementVeto& veto) {
    const QString target = text::trimmed(name);
    if (target.isEmpty()) {
        return UIAutomationResult::failure(noClickTargetText);
    }
    const auto located = locate(target, ElementPurpose::click, couldNotFindText(target), veto);
    if (const auto* stop = std::get_if<UIAutomationResult>(&located)) {
        return *stop;
    }
    const ElementRef& element = std::get<ElementRef>(located);
    // The reply names what was pressed, which a partial match may make differ from what was asked for.
    const QString pressed = shownName(element, target);
    if (backend_.performPress(element)) {
        return UIAutomationResult::success(clickedText(pressed));
    }
    const auto center = centerPoint(element);
    if (!center) {
        return UIAutomationResult::failure(couldNotClickText(pressed));
    }
    backend_.postClick(*center);
    return UIAutomationResult::success(clickedText(pressed));
}

UIAutomationResult UIAutomationService::focusField(const QString& name, const ElementVeto& veto) {
    const QString target = text::trimmed(name);
    if (target.isEmpty()) {
        return UIAutomationResult::failure(noFieldTargetText);
    }
    const auto located = locate(target, ElementPurpose::textEntry, couldNotFindFieldText(target), veto);
    if (const auto* stop = std::get_if<UIAutomationResult>(&located)) {
        return *stop;
    }
    const ElementRef& element = std::get<ElementRef>(located);
    backend_.setFocused(element, true);
    if (const auto center = centerPoint(element)) {
        backend_.postClick(*center);
    }
    return UIAutomationResult::success(focusedText(target));
}

void UIAutomationService::postText(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end <= start) {
            end = text.size();
        }
        backend_.postCharacter(text.mid(start, end - start));
        start = end;
    }
}

UIAutomationResult UIAutomationService::typeText(const QString& text, const ElementVeto& veto) {
    const QString trimmedText = text::trimmed(text);
    if (trimmedText.isEmpty()) {
        return UIAutomationResult::failure(noTextText);
    }
    if (!backend_.isProcessTrusted(true)) {
        return UIAutomationResult::accessibilityNotTrusted();
    }
    if (const auto stop = stopTypingThatWouldPress(trimmedText, veto)) {
        return *stop;
    }
    postText(trimmedText);
    return UIAutomationResult::success(typedTextText);
}

UIAutomationResult UIAutomationService::typeText(const QString& text, const QString& fieldName,
                                                 const ElementVeto& veto) {
    UIAutomationResult focused = focusField(fieldName, veto);
    if (!focused.isSuccess()) {
        return focused;
    }
    if (const auto stop = stopTypingThatWouldPress(text, veto)) {
        return *stop;
    }
    postText(text);
    return UIAutomationResult::success(typedIntoText(text::trimmed(fieldName)));
}

UIAutomationResult UIAutomationService::pressKey(const KeyboardKey& key, const ElementVeto& veto) {
    if (!backend_.isProcessTrusted(true)) {
        return UIAutomationResult::accessibilityNotTrusted();
    }
    if (!key.keyCode) {
        return UIAutomationResult::failure(couldNotPressText(key.displayName));
    }
    if (key.activatesFocusedElement()) {
        return pressActivatingKey(key, veto);
    }
    backend_.postKey(*key.keyCode, key.modifiers);
    return UIAutomationResult::success(pressedText(key.displayName));
}

std::optional<UIAutomationResult> UIAutomationService::stopBeforePressing(const KeyboardTargets& targets,
                                                                          const ElementVeto& veto,
                                                                          const QString& what) {
    if (targets.empty()) {
        return UIAutomationResult::failure(unknownKeyTargetText(what));
    }
    // Everything the input might press is judged, the highlighted item and whatever else holds focus.
    const auto vetoed = [&](const ElementRef& element) { return veto && veto(namingTexts(element)); };
    if ((targets.highlightedMenuItem && vetoed(targets.highlightedMenuItem)) ||
        std::any_of(targets.focusedOrDefault.cbegin(), targets.focusedOrDefault.cend(), vetoed)) {
        return UIAutomationResult::refused();
    }
    return std::nullopt;
}

std::optional<UIAutomationResult> UIAutomationService::stopTypingThatWouldPress(const QString& text,
                                                                                const ElementVeto& veto) {
    if (!canPressFocusedElement(text)) {
        return std::nullopt;
    }
    return stopBeforePressing(keyboardTargets(backend_.frontmostApplicationElement()), veto, typedTextWhat);
}

UIAutomationResult UIAutomationService::pressActivatingKey(const KeyboardKey& key, const ElementVeto& veto) {
    const KeyboardTargets targets = keyboardTargets(backend_.frontmostApplicationElement());
    if (const auto stop = stopBeforePressing(targets, veto, key.displayName)) {
        return *stop;
    }
    if (const ElementRef& item = targets.highlightedMenuItem) {
        const QString name = shownName(item, key.displayName);
        if (!backend_.performPress(item)) {
            return UIAutomationResult::failure(couldNotPressText(name));
        }
        return UIAutomationResult::success(pressedOnText(key.displayName, name));
    }
    backend_.postKey(*key.keyCode, key.modifiers);
    return UIAutomationResult::success(pressedText(key.displayName));
}

} // namespace orbix
