#pragma once
// The UI fallback over an AccessibilityBackend: listing the frontmost application's accessible elements,
// finding the element a spoken or typed name refers to, and clicking, focusing, typing and pressing keys.
// Holds no state of its own beyond the backend it was given; every call is independent. Main thread only.

#include "uiautomation/AccessibilityBackend.h"
#include "uiautomation/ElementMatching.h"
#include "uiautomation/KeyboardKey.h"
#include "uiautomation/UIAutomationResult.h"
#include "uiautomation/UIElementDescription.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace orbix {

struct ElementCandidate {
    ElementRef element;
    int score = 0;
};

// Judges the element a name was matched to, before any input reaches it: given the texts that name it
// (title, description and identifier, those present), true stops the operation with the refused outcome.
using ElementVeto = std::function<bool(const QStringList& namingTexts)>;

// What Return, Enter or Space would press in the frontmost application at the time it is read.
struct KeyboardTargets {
    // The highlighted item of the open menu (the last one found when submenus are open): those keys press
    // it, whatever else has focus.
    ElementRef highlightedMenuItem;
    // The elements with keyboard focus, the windows' default buttons and the items of outer menus that
    // opened a submenu.
    std::vector<ElementRef> focusedOrDefault;
    bool empty() const { return !highlightedMenuItem && focusedOrDefault.empty(); }
};

class UIAutomationService {
public:
    // The listing walk takes at most this many queue entries (already visited ones included).
    static constexpr int listingEntryLimit = 1500;

    explicit UIAutomationService(AccessibilityBackend& backend) : backend_(backend) {}

    // The interesting, named elements of the frontmost application, breadth-first. Empty when the process is
    // not trusted or no application is in front.
    std::vector<UIElementDescription> getVisibleElements();
    // The best match for the name below (and including) root; null when nothing matches.
    ElementRef findElement(const QString& name, const ElementRef& root, ElementPurpose purpose);
    // The score of one element for an already normalised target; none when it is not a candidate.
    std::optional<ElementCandidate> candidate(const ElementRef& element, const QString& normalizedTarget,
                                              ElementPurpose purpose);

    UIAutomationResult clickVisibleElement(const QString& name, const ElementVeto& veto = {});
    UIAutomationResult focusField(const QString& name, const ElementVeto& veto = {});
    // Types the trimmed text into whatever has keyboard focus. Text with a space or a line break, which
    // would press a focused button or highlighted menu item, is judged first as Space and Return are.
    UIAutomationResult typeText(const QString& text, const ElementVeto& veto = {});
    // Focuses the named field, then types the text exactly as given (judged as above).
    UIAutomationResult typeText(const QString& text, const QString& fieldName, const ElementVeto& veto = {});
    // A key that activates (Return, Enter, Space) is judged by what it would press: with a menu open, its
    // highlighted item is pressed through accessibility after the veto, so that a highlight moving in the
    // meantime cannot change what runs; otherwise every focused element and default button is judged
    // before the key is posted, and the key is not sent when none can be found.
    UIAutomationResult pressKey(const KeyboardKey& key, const ElementVeto& veto = {});
    // Null application: none.
    KeyboardTargets keyboardTargets(const ElementRef& application);

    // The element's text values (title, description, value, help, placeholder, identifier), those present.
    QStringList elementTextValues(const ElementRef& element);
    // Position plus half the size; none when either is unreadable.
    std::optional<ScreenPoint> centerPoint(const ElementRef& element);

private:
    // After the trust check, the named element in the frontmost application; or the outcome that ends the
    // operation (not trusted, no frontmost application, `notFoundText`, refused by the veto).
    std::variant<ElementRef, UIAutomationResult> locate(const QString& target, ElementPurpose purpose,
                                                        const QString& notFoundText, const ElementVeto& veto);
    // Title, description and identifier, those present and non-empty.
    QStringList namingTexts(const ElementRef& element);
    // What the element is called on screen (title, description, identifier); fallback when it has none.
    QString shownName(const ElementRef& element, const QString& fallback);
    // A key that activates, judged and, in a menu, performed on the highlighted item.
    UIAutomationResult pressActivatingKey(const KeyboardKey& key, const ElementVeto& veto);
    // The outcome that stops input which would press something: nothing found that it would press (`what`
    // names the input), or the veto refuses one of the targets; none when the input may go.
    std::optional<UIAutomationResult> stopBeforePressing(const KeyboardTargets& targets,
                                                         const ElementVeto& veto, const QString& what);
    std::optional<UIAutomationResult> stopTypingThatWouldPress(const QString& text, const ElementVeto& veto);
    using ElementVisitor = std::function<void(const ElementRef& element, const ElementRef& parent)>;
    // Visits the tree below root breadth-first, each element once with its parent (null for root), taking
    // at most listingEntryLimit queue entries (already visited ones included).
    void walkBreadthFirst(const ElementRef& root, const ElementVisitor& visit);
    // The five child lists concatenated, at most limit entries in all.
    std::vector<ElementRef> allChildren(const ElementRef& element, std::size_t limit = SIZE_MAX);
    bool offersPress(const ElementRef& element);
    QString attributeOrEmpty(const ElementRef& element, StringAttribute attribute);
    // Posts the text one grapheme cluster at a time.
    void postText(const QString& text);

    AccessibilityBackend& backend_;
};

} // namespace orbix
