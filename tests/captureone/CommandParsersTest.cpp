#include "captureone/CaptureOneCommandParser.h"
#include "captureone/CaptureOneScopeGuard.h"
#include "captureone/CaptureOneSliderPromptParser.h"
#include "support/TestSupport.h"
#include "uiautomation/Workspace.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace orbix;
using Kind = CaptureOneCommand::Kind;

namespace {

class FixedFrontmost : public Workspace {
public:
    explicit FixedFrontmost(std::optional<QString> name) : name_(std::move(name)) {}
    void openApplication(const QUrl&, OpenCompletion completion) override { completion(std::nullopt); }
    std::optional<FrontmostApplication> frontmostApplication() const override {
        if (!name_) {
            return std::nullopt;
        }
        return FrontmostApplication{*name_, std::nullopt};
    }
    bool openUrl(const QUrl&) override { return false; }

private:
    std::optional<QString> name_;
};

std::optional<CaptureOneCommand> parse(const char* text, bool inFront = false) {
    return CaptureOneCommandParser::parse(QString::fromUtf8(text), inFront);
}
CaptureOneCommand command(Kind kind, QString text = {}, double number = 0, bool flag = false) {
    return {kind, std::move(text), number, flag};
}

} // namespace

TEST(CaptureOneCommandParser, GateNeedsTheNameOrCaptureOneInFront) {
    const FixedFrontmost captureOne(QStringLiteral("Capture One 23"));
    const FixedFrontmost finder(QStringLiteral("Finder"));
    const FixedFrontmost unknown(std::nullopt);
    EXPECT_EQ(CaptureOneCommandParser::parse("capture one status please", &finder), command(Kind::status));
    EXPECT_EQ(CaptureOneCommandParser::parse("status", &captureOne), command(Kind::status));
    EXPECT_EQ(CaptureOneCommandParser::parse("status", &finder), std::nullopt);
    EXPECT_EQ(CaptureOneCommandParser::parse("status", &unknown), std::nullopt);
    EXPECT_EQ(CaptureOneCommandParser::parse("status", nullptr), std::nullopt);
}

struct ParseCase {
    const char* text;
    std::optional<CaptureOneCommand> expected;
    bool captureOneInFront = false;
};

TEST(CaptureOneCommandParser, RulesInOrderOnWholeWords) {
    const ParseCase cases[] = {
        {"Open Capture One 22", command(Kind::open, "Open Capture One 22")},
        {"capture one: what can you do", command(Kind::capabilities)},
        {"rotate left and right in capture one", command(Kind::rotate, "left")},
        {"capture one rotate right", command(Kind::rotate, "right")},
        {"capture one max crop", command(Kind::maximumCrop)},
        {"capture one export these", command(Kind::process)},
        {"capture one unpick", command(Kind::pick, {}, 0, false)},
        {"unpick these", command(Kind::pick, {}, 0, false), true},
        {"capture one clear pick", command(Kind::pick, {}, 0, false)},
        {"capture one pick this one", command(Kind::pick, {}, 0, true)},
        {"pickup", std::nullopt, true},
        {"capture one color tag 2", command(Kind::colorTag, {}, 2)},
        {"capture one tag 3", command(Kind::colorTag, {}, 3)},
        {"capture one vintage 3", std::nullopt},
        {"capture one set exposure to 0.5 for the vintage look", command(Kind::slider, "exposure", 0.5, false)},
        {"capture one tag exposure", std::nullopt},
        {"capture one rate this 4.9 stars", command(Kind::rating, {}, 4)},
        {"capture one 3 stars", command(Kind::rating, {}, 3)},
        {"capture one rate this -2.5", command(Kind::rating, {}, -2)},
        {"capture one rating", std::nullopt},
        {"capture one rate the selected photo 4 stars", command(Kind::rating, {}, 4)},
        {"tag the current photo 2", command(Kind::colorTag, {}, 2), true},
        {"status of the selected photo", command(Kind::status), true},
        {"capture one starlight 3", std::nullopt},
        {"capture one processing time 3", std::nullopt},
        {"capture one reprocess", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(parse(c.text, c.captureOneInFront), c.expected) << c.text;
    }
}

TEST(CaptureOneCommandParser, FolderPathsAndStyleNamesAsTyped) {
    const QString home = QDir::homePath();
    const ParseCase cases[] = {
        {"in capture one import from /Volumes/Card/DCIM/Shoot.",
         command(Kind::importFolder, "/Volumes/Card/DCIM/Shoot")},
        {"capture one import folder \"/a b/c\" from '/d e/f'!", command(Kind::importFolder, "/d e/f")},
        {"İstanbul in capture one: import from /Çekim/Gün 1", command(Kind::importFolder, "/Çekim/Gün 1")},
        {"capture one import from “/Shoots/Day 1”.", command(Kind::importFolder, "/Shoots/Day 1")},
        {"capture one import from \"/Shoots/From Above/Folder 2\"",
         command(Kind::importFolder, "/Shoots/From Above/Folder 2")},
        {"capture one import from ~/Shoots/Day 1", command(Kind::importFolder, home + "/Shoots/Day 1")},
        {"capture one import from ~", command(Kind::importFolder, home)},
        {"capture one import from /srv/~user", command(Kind::importFolder, "/srv/~user")},
        {"capture one apply style Portrait Warm", command(Kind::applyStyle, "Portrait Warm")},
        {"capture one apply style Warm Portrait to the selected", command(Kind::applyStyle, "Warm Portrait")},
        {"capture one apply style ‘Back to the Future’ to these photos",
         command(Kind::applyStyle, "Back to the Future")},
        {"capture one apply style Back to the Future", command(Kind::applyStyle, "Back to the Future")},
        {"capture one use the style .", command(Kind::applyStyle, "")},
        {"capture one style Portrait Warm", std::nullopt},
        {"capture one because style Portrait 2", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(parse(c.text, c.captureOneInFront), c.expected) << c.text;
    }
}

TEST(CaptureOneCommandParser, SliderChanges) {
    const ParseCase cases[] = {
        {"capture one: set exposure to 0.7", command(Kind::slider, "exposure", 0.7, false)},
        {"capture one change exposure to 1.5", command(Kind::slider, "exposure", 1.5, false)},
        {"capture one reduce shadows to 20", command(Kind::slider, "shadows", 20, false)},
        {"capture one exposure +0.3", command(Kind::slider, "exposure", 0.3, true)},
        {"capture one exposure -0,5", command(Kind::slider, "exposure", -0.5, true)},
        {"capture one exposure +0.5 for the slower shots", command(Kind::slider, "exposure", 0.5, true)},
        {"capture one reduce shadows by 20", command(Kind::slider, "shadows", -20, true)},
        {"lower the contrast 10", command(Kind::slider, "contrast", -10, true), true},
        {"capture one temperature 5200", command(Kind::slider, "temperature", 5200, true)},
        {"capture one temperature to 5,500", command(Kind::slider, "temperature", 5500, false)},
        {"capture one darken the blacks -5", command(Kind::slider, "blacks", -5, true)},
        {"capture one tinted 2", std::nullopt},
        {"capture one exposures 2", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(parse(c.text, c.captureOneInFront), c.expected) << c.text;
    }
}

TEST(CaptureOneSliderPromptParser, FindsWordValueAndDirection) {
    using P = ParsedCaptureOneSliderCommand;
    const std::pair<const char*, std::optional<P>> cases[] = {
        {"Set Temp to 5000", P{"temp", 5000, false}},
        {"decrease highlights .5", P{"highlights", -0.5, true}},
        {"more saturation 1e3", P{"saturation", 1, true}},
        {"change the tint of these to -0,3", P{"tint", -0.3, false}},
        {"shadows up 12,5 for the lowered ones", P{"shadows", 12.5, true}},
        {"reset exposure", std::nullopt},
        {"sharpen 20", std::nullopt},
        {"contemporary 20", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(CaptureOneSliderPromptParser::parse(QString::fromUtf8(text)), expected) << text;
    }
}

TEST(CaptureOneScopeGuard, RefusesOtherApplicationsOnly) {
    for (const char* outOfScope : {"open the mail app", "launch the calendar", "switch to the browser",
                                   "use a warmer look", "Start Safari."}) {
        EXPECT_TRUE(CaptureOneScopeGuard::isOffProductAppRequest(outOfScope)) << outOfScope;
    }
    for (const char* inScope :
         {"open the catalog", "use this photo", "open capture one", "switch to the session",
          "capture one, open the mail app", "make it brighter", "open-the-mail", "open the photos/mail app",
          "because it is late", "reopen later", "restart from here"}) {
        EXPECT_FALSE(CaptureOneScopeGuard::isOffProductAppRequest(inScope)) << inScope;
    }
}
