#include "uiautomation/UIAutomationService.h"

#include "support/RecordingAccessibilityBackend.h"

#include <gtest/gtest.h>

namespace orbix {
namespace {

using test::FakeElement;
using Event = test::RecordingAccessibilityBackend::Event;
using A = StringAttribute;

constexpr ScreenPoint topLeft{100, 200};
constexpr ScreenSize extent{40, 20};

class UIAutomationServiceTest : public ::testing::Test {
protected:
    UIAutomationServiceTest() {
        app =
            backend.add(FakeElement::withRole(QStringLiteral("AXApplication"), QStringLiteral("Capture One")));
        window =
            backend.addChild(app, FakeElement::withRole(QStringLiteral("AXWindow"), QStringLiteral("Main")));
        backend.setFrontmostApplication(app);
    }

    ElementRef add(FakeElement element, const ElementRef& parent = nullptr) {
        return backend.addChild(parent ? parent : window, std::move(element));
    }
    std::optional<int> scoreOf(const ElementRef& element, const QString& target, ElementPurpose purpose) {
        const auto found = service.candidate(element, matching::normalized(target), purpose);
        return found ? std::optional<int>(found->score) : std::nullopt;
    }
    int idOf(const ElementRef& element) { return test::RecordingAccessibilityBackend::idOf(element); }
    // The id of the element found, -1 for none.
    int found(const QString& name, const ElementRef& root, ElementPurpose purpose = ElementPurpose::click) {
        const ElementRef element = service.findElement(name, root, purpose);
        return element ? idOf(element) : -1;
    }

    test::RecordingAccessibilityBackend backend;
    UIAutomationService service{backend};
    ElementRef app;
    ElementRef window;
};

TEST_F(UIAutomationServiceTest, ListingNamesInterestingElementsBreadthFirst) {
    const ElementRef group = add(FakeElement::withRole(QStringLiteral("AXGroup")));
    backend.addChild(group, FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Deep")));
    add(FakeElement::withRole(QStringLiteral("AXButton"), QString())
            .set(A::description, QStringLiteral("Rotate"))
            .set(A::value, QString()));
    add(FakeElement::withRole(QStringLiteral("AXImage"), QStringLiteral("Thumbnail"))); // not of interest
    add(FakeElement::withRole(QStringLiteral("AXImage"), QStringLiteral("Badge")).pressable());
    add(FakeElement::withRole(QStringLiteral("AXTextField"))
            .set(A::title, QString())
            .set(A::description, QString())
            .set(A::identifier, QStringLiteral("styleSearch"))
            .set(A::subrole, QStringLiteral("AXSearchField"))
            .set(A::value, QStringLiteral("warm")));
    add(FakeElement::withRole(QStringLiteral("AXStaticText"))); // interesting but nameless

    const std::vector<UIElementDescription> expected{
        {QStringLiteral("AXButton"), QString(), QStringLiteral("Rotate"), QStringLiteral("Rotate"),
         std::nullopt},
        {QStringLiteral("AXImage"), QString(), QStringLiteral("Badge"), std::nullopt, std::nullopt},
        {QStringLiteral("AXTextField"), QStringLiteral("AXSearchField"), QStringLiteral("styleSearch"),
         std::nullopt, QStringLiteral("warm")},
        {QStringLiteral("AXButton"), QString(), QStringLiteral("Deep"), std::nullopt, std::nullopt},
    };
    EXPECT_EQ(service.getVisibleElements(), expected);
    EXPECT_EQ(backend.trustPrompts(), 1);
}

TEST_F(UIAutomationServiceTest, ListingIsEmptyWhenUntrustedOrNothingIsInFront) {
    add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("OK")));
    backend.setTrusted(false);
    EXPECT_TRUE(service.getVisibleElements().empty());
    EXPECT_EQ(backend.calls(), QStringList{QStringLiteral("isProcessTrusted")});

    backend.setTrusted(true);
    backend.setFrontmostApplication(nullptr);
    EXPECT_TRUE(service.getVisibleElements().empty());
}

TEST_F(UIAutomationServiceTest, CyclesAndElementsInSeveralChildListsAreVisitedOnce) {
    const ElementRef tabs = add(FakeElement::withRole(QStringLiteral("AXTabGroup"), QStringLiteral("Tools")));
    const ElementRef tab =
        backend.addChild(tabs, FakeElement::withRole(QStringLiteral("AXRadioButton"), QStringLiteral("Color")));
    backend.appendChild(tabs, tab, ChildList::tabs);
    backend.appendChild(tabs, tab, ChildList::visibleChildren);
    backend.appendChild(tab, app);    // cycle back to the root
    backend.appendChild(tab, window); // and to an ancestor

    const auto listed = service.getVisibleElements();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].name, QStringLiteral("Tools"));
    EXPECT_EQ(listed[1].name, QStringLiteral("Color"));

    EXPECT_EQ(found(QStringLiteral("color"), app), idOf(tab));
}

TEST_F(UIAutomationServiceTest, ListingStopsAfterFifteenHundredQueueEntries) {
    // root, window, then buttons 0..1999 under the window; each button also lists button 0 as a child, so
    // entries for an already visited element fill the queue too.
    std::vector<ElementRef> buttons;
    for (int i = 0; i < 2000; ++i) {
        buttons.push_back(add(FakeElement::withRole(QStringLiteral("AXButton"), QString::number(i))));
    }
    for (int i = 0; i < 3; ++i) {
        backend.appendChild(buttons[i], buttons[0]);
    }
    const auto listed = service.getVisibleElements();
    // Taken: app, window, then 1498 buttons.
    ASSERT_EQ(listed.size(), 1498u);
    EXPECT_EQ(listed.back().name, QStringLiteral("1497"));
    // Children that the walk could never reach are not read.
    EXPECT_LE(backend.childrenHandedOut(), 1500u);

    // Matching is not capped.
    EXPECT_EQ(found(QStringLiteral("1999"), app), idOf(buttons[1999]));
}

TEST_F(UIAutomationServiceTest, ScoresTextMatchesWithRoleAndFrameBonuses) {
    const auto framed = [](FakeElement e) { return e.framed(topLeft, extent); };
    const ElementRef autoAdjust = add(
        framed(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Auto Adjust")).pressable()));
    const ElementRef unframedButton =
        add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Auto-Adjust…")).pressable());
    const ElementRef exposure =
        add(framed(FakeElement::withRole(QStringLiteral("AXStaticText"), QStringLiteral("Exposure"))));
    const ElementRef white = add(FakeElement::withRole(QStringLiteral("AXCheckBox"), QStringLiteral("white")));
    const ElementRef ok = add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("ok")));
    const ElementRef search = add(framed(FakeElement::withRole(QStringLiteral("AXTextField"))
                                             .set(A::subrole, QStringLiteral("AXSearchField"))
                                             .set(A::placeholderValue, QStringLiteral("Search"))));
    const ElementRef slider =
        add(FakeElement::withRole(QStringLiteral("AXSlider"), QStringLiteral("Exposure")));
    const ElementRef helped = add(FakeElement::withRole(QStringLiteral("AXButton"))
                                      .set(A::help, QStringLiteral("Shows the white balance picker")));

    EXPECT_EQ(scoreOf(autoAdjust, QStringLiteral("auto adjust"), ElementPurpose::click), 100 + 25 + 10 + 5);
    EXPECT_EQ(scoreOf(unframedButton, QStringLiteral("AUTOADJUST"), ElementPurpose::click), 100 + 25 + 10);
    EXPECT_EQ(scoreOf(exposure, QStringLiteral("expo"), ElementPurpose::click), 80 + 5);
    EXPECT_EQ(scoreOf(exposure, QStringLiteral("pos"), ElementPurpose::click), 60 + 5);
    EXPECT_EQ(scoreOf(white, QStringLiteral("white balance picker"), ElementPurpose::click), 40 + 25);
    EXPECT_EQ(scoreOf(ok, QStringLiteral("ok button"), ElementPurpose::click), std::nullopt);
    EXPECT_EQ(scoreOf(helped, QStringLiteral("white balance"), ElementPurpose::click), 60 + 25);

    // Text entry only considers text inputs, and adds its own bonus.
    EXPECT_EQ(scoreOf(search, QStringLiteral("search"), ElementPurpose::textEntry), 100 + 35 + 5);
    EXPECT_EQ(scoreOf(search, QStringLiteral("search"), ElementPurpose::click), 100 + 5);
    EXPECT_EQ(scoreOf(autoAdjust, QStringLiteral("auto adjust"), ElementPurpose::textEntry), std::nullopt);
    // A slider is neither clickable, readable nor pressable.
    EXPECT_EQ(scoreOf(slider, QStringLiteral("exposure"), ElementPurpose::click), std::nullopt);
    // A target with no letters or digits names nothing.
    EXPECT_EQ(scoreOf(autoAdjust, QStringLiteral("…"), ElementPurpose::click), std::nullopt);
}

TEST_F(UIAutomationServiceTest, FindingPrefersHigherScoresThenBreadthFirstOrder) {
    const ElementRef group = add(FakeElement::withRole(QStringLiteral("AXGroup")));
    const ElementRef deepExact =
        backend.addChild(group, FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Crop")));
    const ElementRef shallowPrefix =
        add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Crop Tool")));
    EXPECT_EQ(found(QStringLiteral("crop"), app), idOf(deepExact));

    const ElementRef shallowExact =
        add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Crop")));
    EXPECT_EQ(found(QStringLiteral("crop"), app), idOf(shallowExact));
    add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Crop")));
    EXPECT_EQ(found(QStringLiteral("crop"), app), idOf(shallowExact));

    // Below the group only the contained-in-target rule matches.
    EXPECT_EQ(found(QStringLiteral("crop tool"), group), idOf(deepExact));
    EXPECT_EQ(found(QStringLiteral("crop tool"), app), idOf(shallowPrefix));
}

TEST_F(UIAutomationServiceTest, ClickingPressesElseClicksTheCentre) {
    const ElementRef pressable =
        add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Auto Adjust")).pressable());
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("  auto adjust\n")),
              UIAutomationResult::success(QStringLiteral("Clicked Auto Adjust.")));
    ASSERT_EQ(backend.events().size(), 1u);
    EXPECT_EQ(backend.events()[0].kind, Event::Kind::press);
    EXPECT_EQ(backend.events()[0].element, idOf(pressable));

    backend.element(pressable).pressSucceeds = false;
    backend.element(pressable).framed(topLeft, extent);
    backend.clearRecords();
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("Auto Adjust")),
              UIAutomationResult::success(QStringLiteral("Clicked Auto Adjust.")));
    ASSERT_EQ(backend.events().size(), 2u);
    EXPECT_EQ(backend.events()[1].kind, Event::Kind::click);
    EXPECT_EQ(backend.events()[1].point, (ScreenPoint{120, 210}));

    backend.element(pressable).position.reset();
    backend.clearRecords();
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("Auto Adjust")),
              UIAutomationResult::failure(QStringLiteral("Could not click Auto Adjust.")));
    EXPECT_FALSE(backend.calls().contains(QStringLiteral("postClick")));
}

TEST_F(UIAutomationServiceTest, ClickingFailuresAreSentences) {
    add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("OK")).pressable());
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral(" \t")),
              UIAutomationResult::failure(QStringLiteral("No click target provided.")));
    EXPECT_TRUE(backend.calls().isEmpty());
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("Export")),
              UIAutomationResult::failure(QStringLiteral("Could not find Export on screen.")));
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("?!")),
              UIAutomationResult::failure(QStringLiteral("Could not find ?! on screen.")));

    backend.setFrontmostApplication(nullptr);
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("OK")),
              UIAutomationResult::failure(QStringLiteral("No frontmost app is available.")));
    backend.setTrusted(false);
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("OK")), UIAutomationResult::accessibilityNotTrusted());
    EXPECT_TRUE(backend.events().empty());
}

TEST_F(UIAutomationServiceTest, FocusingAndTypingIntoNamedFields) {
    add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Search")).pressable());
    const ElementRef field = add(
        FakeElement::withRole(QStringLiteral("AXTextField"), QStringLiteral("Search")).framed(topLeft, extent));

    EXPECT_EQ(service.typeText(QStringLiteral("  warm tones "), QStringLiteral(" search ")),
              UIAutomationResult::success(QStringLiteral("Typed text into search.")));
    ASSERT_GE(backend.events().size(), 2u);
    EXPECT_EQ(backend.events()[0].kind, Event::Kind::focus);
    EXPECT_EQ(backend.events()[0].element, idOf(field));
    EXPECT_EQ(backend.events()[1].kind, Event::Kind::click);
    EXPECT_EQ(backend.events()[1].point, (ScreenPoint{120, 210}));
    EXPECT_EQ(backend.typedText(), QStringLiteral("  warm tones "));

    backend.clearRecords();
    EXPECT_EQ(service.typeText(QStringLiteral("x"), QStringLiteral("Keywords")),
              UIAutomationResult::failure(QStringLiteral("Could not find Keywords field on screen.")));
    EXPECT_EQ(service.focusField(QString()),
              UIAutomationResult::failure(QStringLiteral("No field target provided.")));
    EXPECT_TRUE(backend.events().empty());

    // Without a frame the field is focused but not clicked.
    backend.element(field).size.reset();
    EXPECT_EQ(service.focusField(QStringLiteral("Search")),
              UIAutomationResult::success(QStringLiteral("Focused Search.")));
    ASSERT_EQ(backend.events().size(), 1u);
    EXPECT_EQ(backend.events()[0].kind, Event::Kind::focus);
}

TEST_F(UIAutomationServiceTest, TypingIntoTheFocusedElementPostsOneEventPerCharacter) {
    EXPECT_EQ(service.typeText(QStringLiteral("  hello  ")),
              UIAutomationResult::success(QStringLiteral("Typed text.")));
    EXPECT_EQ(backend.typedText(), QStringLiteral("hello"));
    EXPECT_EQ(backend.events().size(), 5u);

    backend.clearRecords();
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const QString accented = QString::fromUtf8("e\xCC\x81");     // e + combining acute
    const QString family = QString::fromUtf8("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"); // ZWJ sequence
    service.typeText(QStringLiteral("a") + emoji + accented + family);
    ASSERT_EQ(backend.events().size(), 4u);
    EXPECT_EQ(backend.events()[1].character, emoji);
    EXPECT_EQ(backend.events()[2].character, accented);
    EXPECT_EQ(backend.events()[3].character, family);

    backend.clearRecords();
    EXPECT_EQ(service.typeText(QStringLiteral(" \n ")),
              UIAutomationResult::failure(QStringLiteral("No text provided.")));
    backend.setTrusted(false);
    EXPECT_EQ(service.typeText(QStringLiteral("x")), UIAutomationResult::accessibilityNotTrusted());
    EXPECT_EQ(service.typeText(QStringLiteral("x"), QStringLiteral("Search")),
              UIAutomationResult::accessibilityNotTrusted());
    EXPECT_TRUE(backend.events().empty());
}

TEST_F(UIAutomationServiceTest, PressingKeys) {
    EXPECT_EQ(service.pressKey(*KeyboardKey::parse(QStringLiteral("cmd shift z"))),
              UIAutomationResult::success(QStringLiteral("Pressed Command-Shift-Z.")));
    ASSERT_EQ(backend.events().size(), 1u);
    EXPECT_EQ(backend.events()[0].keyCode, 6);
    EXPECT_EQ(backend.events()[0].modifiers, modifier::command | modifier::shift);

    backend.clearRecords();
    EXPECT_EQ(service.pressKey(*KeyboardKey::parse(QStringLiteral("cmd+z"))),
              UIAutomationResult::failure(QStringLiteral("Could not press Cmd+Z.")));
    backend.setTrusted(false);
    EXPECT_EQ(service.pressKey(*KeyboardKey::parse(QStringLiteral("return"))),
              UIAutomationResult::accessibilityNotTrusted());
    EXPECT_TRUE(backend.events().empty());
}

TEST_F(UIAutomationServiceTest, ActivatingKeysAreJudgedByWhatTheyWouldPress) {
    QList<QStringList> seen;
    const ElementVeto refuseDelete = [&](const QStringList& names) {
        seen.append(names);
        return names.join(' ').contains(QStringLiteral("Delete"));
    };
    const KeyboardKey returnKey = *KeyboardKey::parse(QStringLiteral("return"));

    // Nothing focused: what Return would press is unknown, so it is not sent.
    EXPECT_EQ(service.pressKey(returnKey, refuseDelete),
              UIAutomationResult::failure(QStringLiteral("Could not tell what Return would press.")));

    // A menu bar item stays focused while its menu is open; the menu's highlighted item is what Return
    // presses, and both are judged.
    const ElementRef bar = add(FakeElement::withRole(QStringLiteral("AXMenuBar")));
    backend.addChild(bar,
                     FakeElement::withRole(QStringLiteral("AXMenuItem"), QStringLiteral("Edit")).focused());
    const ElementRef menu = backend.addChild(app, FakeElement::withRole(QStringLiteral("AXMenu")).focused());
    const ElementRef item = backend.addChild(
        menu, FakeElement::withRole(QStringLiteral("AXMenuItem"), QStringLiteral("Delete Variant"))
                  .focused()
                  .pressable());
    backend.clearRecords();
    EXPECT_EQ(service.pressKey(returnKey, refuseDelete), UIAutomationResult::refused());
    EXPECT_TRUE(backend.events().empty());

    // A harmless highlight is pressed through accessibility, not by a key whose target could move.
    backend.element(item).set(A::title, QStringLiteral("Export Variants\u2026"));
    EXPECT_EQ(service.pressKey(*KeyboardKey::parse(QStringLiteral("enter")), refuseDelete),
              UIAutomationResult::success(QStringLiteral("Pressed Enter on Export Variants\u2026")));
    ASSERT_EQ(backend.events().size(), 1u);
    EXPECT_EQ(backend.events()[0].kind, Event::Kind::press);
    EXPECT_EQ(backend.events()[0].element, idOf(item));
    EXPECT_TRUE(seen.contains(QStringList{QStringLiteral("Edit")}));

    // No menu open: a destructive default button refuses Return even though a field has focus.
    backend.element(item).states = {};
    backend.element(menu).states = {};
    add(FakeElement::withRole(QStringLiteral("AXTextField"), QStringLiteral("Name")).focused());
    const ElementRef button =
        add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Delete")).defaultButton());
    backend.clearRecords();
    EXPECT_EQ(service.pressKey(returnKey, refuseDelete), UIAutomationResult::refused());
    backend.element(button).set(A::title, QStringLiteral("Save"));
    EXPECT_EQ(service.pressKey(*KeyboardKey::parse(QStringLiteral("space")), refuseDelete),
              UIAutomationResult::success(QStringLiteral("Pressed Space.")));
    ASSERT_EQ(backend.events().size(), 1u);
    EXPECT_EQ(backend.events()[0].keyCode, 49);

    // Other keys press nothing by themselves and are not judged; neither is text without a space or a line
    // break, which would press what has focus as Space and Return do.
    seen.clear();
    EXPECT_EQ(service.pressKey(*KeyboardKey::parse(QStringLiteral("down")), refuseDelete),
              UIAutomationResult::success(QStringLiteral("Pressed Down.")));
    EXPECT_EQ(service.typeText(QStringLiteral("word"), refuseDelete),
              UIAutomationResult::success(QStringLiteral("Typed text.")));
    EXPECT_TRUE(seen.isEmpty());
    backend.element(button).set(A::title, QStringLiteral("Delete"));
    backend.clearRecords();
    EXPECT_EQ(service.typeText(QStringLiteral("two words"), refuseDelete), UIAutomationResult::refused());
    EXPECT_EQ(service.typeText(QStringLiteral("a\nb"), QStringLiteral("Name"), refuseDelete),
              UIAutomationResult::refused());
    EXPECT_EQ(backend.typedText(), QString());
}

} // namespace
} // namespace orbix

namespace orbix {
namespace {

TEST_F(UIAutomationServiceTest, VetoSeesTheMatchedElementsNamesBeforeAnyInput) {
    add(FakeElement::withRole(QStringLiteral("AXButton"), QStringLiteral("Tidy"))
            .set(A::description, QStringLiteral("Removes unused variants"))
            .set(A::identifier, QStringLiteral("tidyButton"))
            .set(A::help, QStringLiteral("not a name"))
            .pressable()
            .framed(topLeft, extent));
    add(FakeElement::withRole(QStringLiteral("AXTextField"), QStringLiteral("Caption"))
            .framed(topLeft, extent));
    QList<QStringList> seen;
    const ElementVeto refuseAll = [&](const QStringList& names) {
        seen.append(names);
        return true;
    };

    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("tid"), refuseAll), UIAutomationResult::refused());
    EXPECT_EQ(service.typeText(QStringLiteral("hello"), QStringLiteral("capt"), refuseAll),
              UIAutomationResult::refused());
    EXPECT_EQ(seen, (QList<QStringList>{{QStringLiteral("Tidy"), QStringLiteral("Removes unused variants"),
                                         QStringLiteral("tidyButton")},
                                        {QStringLiteral("Caption")}}));
    EXPECT_TRUE(backend.events().empty()) << "no press, focus, click or keystroke";

    // Nothing matched: the veto is not consulted and the failure is the usual one.
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("Export"), refuseAll),
              UIAutomationResult::failure(QStringLiteral("Could not find Export on screen.")));
    EXPECT_EQ(seen.size(), 2);
    // A veto that lets the element pass changes nothing.
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("tidy"), [](const QStringList&) { return false; }),
              UIAutomationResult::success(QStringLiteral("Clicked Tidy.")));
}

} // namespace
} // namespace orbix
