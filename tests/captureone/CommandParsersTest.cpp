#include "captureone/CaptureOneCommandParser.h"
#include "captureone/CaptureOneScopeGuard.h"
#include "captureone/CaptureOneSliderPromptParser.h"
#include "captureone/Workspace.h"
#include "support/TestSupport.h"

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

TEST(CaptureOneCommandParser, RulesInOrder) {
    EXPECT_EQ(parse("Open Capture One 22"), command(Kind::open, "Open Capture One 22"));
    EXPECT_EQ(parse("capture one: what can you do"), command(Kind::capabilities));
    EXPECT_EQ(parse("rotate left and right in capture one"), command(Kind::rotate, "left"));
    EXPECT_EQ(parse("capture one rotate right"), command(Kind::rotate, "right"));
    EXPECT_EQ(parse("capture one max crop"), command(Kind::maximumCrop));
    EXPECT_EQ(parse("capture one export these"), command(Kind::process));
    EXPECT_EQ(parse("in capture one import from /Volumes/Card/DCIM/Shoot."),
              command(Kind::importFolder, "/Volumes/Card/DCIM/Shoot"));
    EXPECT_EQ(parse("capture one import folder \"/a b/c\" from '/d e/f'!"),
              command(Kind::importFolder, "/d e/f"));
    EXPECT_EQ(parse("capture one apply style Portrait Warm"), command(Kind::applyStyle, "Portrait Warm"));
    EXPECT_EQ(parse("İstanbul in capture one: import from /Çekim/Gün 1"),
              command(Kind::importFolder, "/Çekim/Gün 1"))
        << "a capital dotted I before the marker keeps the cut in place";
    EXPECT_EQ(parse("capture one use the style ."), command(Kind::applyStyle, ""));
    EXPECT_EQ(parse("capture one style Portrait Warm"), std::nullopt);
    EXPECT_EQ(parse("capture one unpick"), command(Kind::pick, {}, 0, false));
    EXPECT_EQ(parse("pickup", true), command(Kind::pick, {}, 0, true));
    EXPECT_EQ(parse("capture one color tag 2"), command(Kind::colorTag, {}, 2));
    EXPECT_EQ(parse("capture one vintage 3"), command(Kind::colorTag, {}, 3));
    EXPECT_EQ(parse("capture one rate this 4.9 stars"), command(Kind::rating, {}, 4));
    EXPECT_EQ(parse("capture one rate this -2.5"), command(Kind::rating, {}, -2));
    EXPECT_EQ(parse("capture one rating"), std::nullopt);
    EXPECT_EQ(parse("capture one tag exposure"), std::nullopt) << "tag without a number falls through";
}

TEST(CaptureOneCommandParser, SliderChanges) {
    EXPECT_EQ(parse("capture one: set exposure to 0.7"), command(Kind::slider, "exposure", 0.7, false));
    EXPECT_EQ(parse("capture one exposure +0.3"), command(Kind::slider, "exposure", 0.3, true));
    EXPECT_EQ(parse("capture one reduce shadows by 20"), command(Kind::slider, "shadows", -20, true));
    EXPECT_EQ(parse("lower the contrast 10", true), command(Kind::slider, "contrast", -10, true));
    EXPECT_EQ(parse("capture one temperature 5200"), command(Kind::slider, "temperature", 5200, true));
    EXPECT_EQ(parse("capture one darken the blacks -5"), command(Kind::slider, "blacks", -5, true));
}

TEST(CaptureOneSliderPromptParser, FindsWordValueAndDirection) {
    using P = ParsedCaptureOneSliderCommand;
    EXPECT_EQ(CaptureOneSliderPromptParser::parse("Set Temp to 5000"), (P{"temp", 5000, false}));
    EXPECT_EQ(CaptureOneSliderPromptParser::parse("decrease highlights .5"), (P{"highlights", -0.5, true}));
    EXPECT_EQ(CaptureOneSliderPromptParser::parse("more saturation 1e3"), (P{"saturation", 1, true}));
    EXPECT_EQ(CaptureOneSliderPromptParser::parse("reset exposure"), std::nullopt);
    EXPECT_EQ(CaptureOneSliderPromptParser::parse("sharpen 20"), std::nullopt);
}

TEST(CaptureOneScopeGuard, RefusesOtherApplicationsOnly) {
    for (const char* outOfScope : {"open the mail app", "launch the calendar", "switch to the browser",
                                   "use a warmer look", "Start Safari."}) {
        EXPECT_TRUE(CaptureOneScopeGuard::isOffProductAppRequest(outOfScope)) << outOfScope;
    }
    for (const char* inScope :
         {"open the catalog", "use this photo", "open capture one", "switch to the session",
          "capture one, open the mail app", "make it brighter", "open-the-mail", "open the photos/mail app"}) {
        EXPECT_FALSE(CaptureOneScopeGuard::isOffProductAppRequest(inScope)) << inScope;
    }
}
