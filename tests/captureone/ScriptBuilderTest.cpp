#include "RecordingScriptRunner.h"
#include "TestBundles.h"
#include "captureone/CaptureOneService.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

using RecordingRunner = test::RecordingScriptRunner;

class ScriptBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        install("Capture One 23.app", test::allAdjustmentProperties(), test::allCommands());
    }

    void install(const QString& fileName, const QStringList& properties, const QStringList& commands) {
        test::makeBundle(folder.path(), test::BundleSpec(fileName, "16.0").declaring(properties, commands));
    }

    // Runs one operation and returns its result text; `outcome` keeps the whole answer.
    QString call(const std::function<void(CaptureOneService::Completion)>& operation) {
        outcome.reset();
        operation([&](const CommandOutcome& answer) { outcome = answer; });
        EXPECT_TRUE(outcome.has_value());
        return outcome ? outcome->text : QString();
    }
    CommandStatus::Kind status() const { return outcome ? outcome->status.kind : CommandStatus::Kind::success; }
    // The command's own script: a recorded run wraps it, byte for byte, in the handler orbixWrite.
    QString lastScript() const {
        const QString script = runner->lastScript();
        const QString opening = "on orbixWrite()\n";
        const QString closing = "\nend orbixWrite\n";
        if (!script.startsWith(opening) || !script.contains(closing)) {
            return script;
        }
        return script.mid(opening.size(), script.indexOf(closing) - opening.size());
    }

    QTemporaryDir folder;
    test::PrivateCaptureOneSetup setup{{folder.path()}};
    std::shared_ptr<RecordingRunner> runner = std::make_shared<RecordingRunner>();
    CaptureOneService service{runner, setup.resolver};
    std::optional<CommandOutcome> outcome;
};

const QString selectionBlock = "set targetVariants to selected variants\n"
                               "if (count of targetVariants) is 0 then error \"Select one or more Capture One "
                               "variants first.\"";

} // namespace

TEST_F(ScriptBuilderTest, RelativeExposureOnTheSelection) {
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("Exposure", "+0.5", true, {}, done); }), "done");
    EXPECT_EQ(lastScript(),
              "tell application \"Capture One 23\"\n    " + selectionBlock +
                  "\n    repeat with aVariant in targetVariants\n"
                  "        set exposure of adjustments of aVariant to ((exposure of adjustments of "
                  "aVariant) + 0.5)\n"
                  "    end repeat\n"
                  "    return \"Adjusted exposure on \" & (count of targetVariants) & \" selected "
                  "variant(s).\"\n"
                  "end tell");
}

TEST_F(ScriptBuilderTest, RecordedRunsReadTheWrittenPropertiesBeforeAndAfterTheCommand) {
    call([&](auto done) { service.setRating(4, {"/a/\"b\".jpg"}, done); });
    const QString paths = "    set requestedPaths to {\"/a/\\\"b\\\".jpg\"}\n"
                          "set targetVariants to {}\n"
                          "repeat with aVariant in (variants of current document)\n"
                          "    if (POSIX path of (file of aVariant)) is in requestedPaths then set end of "
                          "targetVariants to aVariant\n"
                          "end repeat\n";
    EXPECT_EQ(
        runner->lastScript(),
        "on orbixWrite()\n" + lastScript() +
            "\nend orbixWrite\n"
            "tell application \"Capture One 23\"\n" +
            paths +
            "    set orbixBefore to \"\"\n"
            "    repeat with aVariant in targetVariants\n"
            "        set orbixBefore to orbixBefore & \"\\n\" & (id of aVariant) & \"\\t\" & (name of "
            "aVariant) & \"\\t\" & (POSIX path of (file of aVariant)) & \"\\t\" & (rating of aVariant)\n"
            "    end repeat\n"
            "end tell\n"
            "set orbixReply to orbixWrite()\n"
            "tell application \"Capture One 23\"\n"
            "    set orbixAfter to \"\"\n"
            "    repeat with aVariant in targetVariants\n"
            "        set orbixAfter to orbixAfter & \"\\n\" & (id of aVariant) & \"\\t\" & (rating of "
            "aVariant)\n"
            "    end repeat\n"
            "end tell\n"
            "return orbixReply & \"\\n::orbix-before\" & orbixBefore & \"\\n::orbix-after\" & orbixAfter");
    EXPECT_TRUE(lastScript().startsWith("tell application \"Capture One 23\"\n    set requestedPaths"));

    // Each kind of command reads what it writes, where it lives.
    call([&](auto done) { service.updateCurrentLayer("opacity=50", {}, done); });
    EXPECT_TRUE(runner->lastScript().contains(
        "(name of current layer of aVariant) & \"\\t\" & (opacity of current layer of aVariant) & \"\\t\" & "
        "(enabled of current layer of aVariant)\n"));
    call([&](auto done) { service.adjustSliders("exposure=1, contrast=2, exposure=3", {}, done); });
    EXPECT_TRUE(runner->lastScript().contains(
        "& (exposure of adjustments of aVariant) & \"\\t\" & (contrast of adjustments of aVariant)\n"));
    call([&](auto done) { service.rotate("left", {}, done); });
    EXPECT_TRUE(runner->lastScript().contains("& (orientation of aVariant)\n"));
    call([&](auto done) { service.runVariantCommand("clone variant", "Cloned", {}, done); });
    EXPECT_FALSE(runner->lastScript().contains("orbixWrite")) << "a clone leaves nothing to read back";
    EXPECT_EQ(outcome->change, std::nullopt);
}

// The reply says what Capture One holds when that is not what was asked, and the readings never show.
TEST_F(ScriptBuilderTest, RepliesAnswerFromWhatCaptureOneHolds) {
    const QString reply = "Adjusted exposure on 2 selected variant(s).";
    const auto readings = [&](const char* first, const char* second) {
        return reply +
               "\n::orbix-before\n1\tIMG_1\t/p/1.jpg\t0.0\n2\tIMG_2\t/p/2.jpg\t0,0\n::orbix-after\n1\t" +
               first + "\n2\t" + second;
    };
    runner->reply.text = readings("4.0", "9,0");
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("exposure", "9", false, {}, done); }),
              reply + " Capture One holds 4.0 on IMG_1.");
    ASSERT_TRUE(outcome->change);
    EXPECT_TRUE(outcome->change->undoable);
    ASSERT_EQ(outcome->change->variants.size(), 2);
    EXPECT_EQ(outcome->change->variants[1].properties[0].after, "9,0") << "kept as Capture One wrote it";
    EXPECT_EQ(service.lastMessage(), reply + " Capture One holds 4.0 on IMG_1.");

    runner->reply.text = readings("4.0", "4.0");
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("exposure", "9", false, {}, done); }),
              reply + " Capture One holds 4.0.");
    runner->reply.text = readings("9", "9.0");
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("exposure", "9", false, {}, done); }), reply);
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("exposure", "+9", true, {}, done); }), reply)
        << "a relative change asks for no particular value";

    // Readings that do not have the script's shape record nothing Orbix could write back.
    runner->reply.text = reply + "\n::orbix-before\n1\tIMG\tone\ttoo many\t0.0\n::orbix-after\n1\t1.0";
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("exposure", "1", false, {}, done); }), reply);
    EXPECT_FALSE(outcome->change->undoable);
    EXPECT_TRUE(outcome->change->variants.isEmpty());
}

TEST_F(ScriptBuilderTest, TargetPathsBlockIsEscapedAndKeepsItsOwnIndentation) {
    call([&](auto done) { service.setAdjustment("b&w", "on", true, {"/a/b.jpg", "/c/\"d\\e.cr3"}, done); });
    EXPECT_EQ(lastScript(),
              "tell application \"Capture One 23\"\n"
              "    set requestedPaths to {\"/a/b.jpg\", \"/c/\\\"d\\\\e.cr3\"}\n"
              "set targetVariants to {}\n"
              "repeat with aVariant in (variants of current document)\n"
              "    if (POSIX path of (file of aVariant)) is in requestedPaths then set end of "
              "targetVariants to aVariant\n"
              "end repeat\n"
              "if (count of targetVariants) is 0 then error \"None of the selected Orbix photos are in "
              "the open Capture One document.\"\n"
              "    repeat with aVariant in targetVariants\n"
              "        set black and white of adjustments of aVariant to true\n"
              "    end repeat\n"
              "    return \"Adjusted black and white on \" & (count of targetVariants) & \" selected "
              "variant(s).\"\n"
              "end tell");
}

TEST_F(ScriptBuilderTest, ApplicationNameWithAQuoteIsEscaped) {
    QDir(folder.path()).removeRecursively();
    install("Capture One \"X\".app", {}, {});
    call([&](auto done) { service.setPick(true, {}, done); });
    EXPECT_TRUE(lastScript().startsWith("tell application \"Capture One \\\"X\\\"\"\n"))
        << lastScript().toStdString();
}

TEST_F(ScriptBuilderTest, AdjustSlidersIsAllOrNothing) {
    EXPECT_EQ(call([&](auto done) { service.adjustSliders("exposure=0.3, contrast=10", {}, done); }), "done");
    EXPECT_TRUE(lastScript().contains("        set exposure of adjustments of aVariant to 0.3\n"
                                      "                set contrast of adjustments of aVariant to 10.0\n"));
    EXPECT_TRUE(lastScript().contains("return \"Applied 2 adjustment(s) to \" & (count of targetVariants)"));

    runner->scripts.clear();
    EXPECT_EQ(call([&](auto done) { service.adjustSliders("exposure=0.3, foo=1,tint=x,=4,", {}, done); }),
              "Invalid or unsupported adjustment values:  foo=1, tint=x, =4. No changes were made.");
    EXPECT_EQ(call([&](auto done) { service.adjustSliders(",,", {}, done); }),
              "No supported Capture One adjustments were provided.");
    EXPECT_TRUE(runner->scripts.isEmpty());
}

TEST_F(ScriptBuilderTest, AdjustmentRefusalsNeverRunAScript) {
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("sparkle", "1", false, {}, done); }),
              "sparkle is not in Orbix’s safe Capture One adjustment registry yet.");
    EXPECT_EQ(status(), CommandStatus::Kind::notSupported);
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("exposure", "lots", false, {}, done); }),
              "lots is not a valid value for exposure.");
    EXPECT_EQ(status(), CommandStatus::Kind::refused);
    EXPECT_EQ(call([&](auto done) { service.setRating(6, {}, done); }),
              "Capture One ratings must be between 0 and 5.");
    EXPECT_EQ(call([&](auto done) { service.setRating(-1, {}, done); }),
              "Capture One ratings must be between 0 and 5.");
    EXPECT_EQ(call([&](auto done) { service.rotate(" left", {}, done); }),
              "Rotation direction must be left or right.");
    EXPECT_EQ(call([&](auto done) { service.setCrop("size=big", {}, done); }),
              "Use crop text such as aspect=3:2, orientation=landscape.");
    EXPECT_EQ(call([&](auto done) { service.setCrop("orientation=diagonal", {}, done); }),
              "Crop orientation must be landscape, portrait, or square.");
    EXPECT_EQ(call([&](auto done) { service.updateCurrentLayer("opacity=0", {}, done); }),
              "Use layer text such as name=Sky, opacity=60, enabled=true.");
    EXPECT_EQ(
        call([&](auto done) { service.modifyCurrentMask("refine 301", {}, done); }),
        "Mask operation must be fill, clear, invert, rasterize, clear luma range, feather 0–100, or refine "
        "0–300.");
    EXPECT_EQ(
        call([&](auto done) { service.modifyCurrentMask("feather", {}, done); }),
        "Mask operation must be fill, clear, invert, rasterize, clear luma range, feather 0–100, or refine "
        "0–300.");
    EXPECT_TRUE(runner->scripts.isEmpty());
    EXPECT_EQ(service.lastMessage(), "") << "validation failures leave lastMessage alone";
}

TEST_F(ScriptBuilderTest, UnsupportedPropertiesAndCommandsNameTheVersion) {
    QDir(folder.path()).removeRecursively();
    install("Capture One 20.app", {"exposure"}, {"rotate left"});
    EXPECT_EQ(call([&](auto done) { service.setAdjustment("b&w red", "1", false, {}, done); }),
              "Black And White Red Sensitivity is not supported by the selected Capture One version.");
    EXPECT_EQ(call([&](auto done) { service.adjustSliders("exposure=1,b&w=on", {}, done); }),
              "The selected Capture One version does not support: black and white.");
    EXPECT_EQ(call([&](auto done) {
                  service.runVariantCommand("maximum crop", "Applied maximum crop to", {}, done);
              }),
              "Maximum Crop is not supported by Capture One 20.");
    EXPECT_EQ(call([&](auto done) { service.copyPrimaryAdjustmentsToSelected(done); }),
              "Copy and Apply Adjustments are not supported by the selected Capture One version.");
    EXPECT_EQ(call([&](auto done) { service.setCrop("ratio=4:5", {}, done); }),
              "Crop aspect ratio is not scriptable in the selected Capture One version.");
    EXPECT_EQ(call([&](auto done) { service.modifyCurrentMask("clear luma", {}, done); }),
              "Clear Luma Range is not supported by the selected Capture One version.");
    EXPECT_TRUE(runner->scripts.isEmpty());
    EXPECT_EQ(call([&](auto done) { service.rotate("Left", {}, done); }), "done");
    EXPECT_TRUE(lastScript().contains("        rotate left aVariant\n"));
    EXPECT_TRUE(lastScript().contains("return \"Rotated left \" & (count of targetVariants)"));

    QDir(folder.path()).removeRecursively();
    EXPECT_EQ(call([&](auto done) { service.runVariantCommand("autoadjust", "Auto-adjusted", {}, done); }),
              "Autoadjust is not supported by the selected Capture One version.");
    EXPECT_EQ(status(), CommandStatus::Kind::notSupported);
    EXPECT_EQ(call([&](auto done) { service.setCrop("aspect=1:1", {}, done); }), "Could not find Capture One.");
    EXPECT_EQ(status(), CommandStatus::Kind::notRunning);
    EXPECT_EQ(call([&](auto done) { service.run("return 1", done); }),
              "Could not find Capture One in Applications. Choose an installed version in Orbix Settings.");
    EXPECT_EQ(status(), CommandStatus::Kind::notRunning);
    EXPECT_EQ(service.capabilitySummary(), CommandOutcome::notRunning("Could not find Capture One."));
}

TEST_F(ScriptBuilderTest, CropLayerAndMaskStatements) {
    call([&](auto done) { service.setCrop("ratio=4:5, aspect=3:2, orientation=Square", {}, done); });
    EXPECT_TRUE(lastScript().contains("        set crop aspect ratio of aVariant to \"3:2\"\n"
                                      "                set crop orientation of aVariant to square\n"));
    call([&](auto done) { service.setCrop("ratio=4:5", {}, done); });
    EXPECT_TRUE(lastScript().contains("set crop aspect ratio of aVariant to \"4:5\""));

    call([&](auto done) { service.updateCurrentLayer("Name=Sky \"Top\", opacity=60, enabled=Off", {}, done); });
    EXPECT_TRUE(lastScript().contains("        set activeLayer to current layer of aVariant\n"
                                      "                set name of activeLayer to \"Sky \\\"Top\\\"\"\n"
                                      "                set opacity of activeLayer to 60\n"
                                      "                set enabled of activeLayer to false\n"));
    EXPECT_TRUE(lastScript().contains("return \"Updated the current layer on \" & (count of targetVariants)"));
    call([&](auto done) { service.updateCurrentLayer("opacity=0, enabled=yes, name=Sky", {}, done); });
    EXPECT_FALSE(lastScript().contains("opacity of activeLayer"));
    EXPECT_FALSE(lastScript().contains("enabled of activeLayer"));

    call([&](auto done) { service.modifyCurrentMask("  Feather 25 ", {}, done); });
    EXPECT_TRUE(lastScript().contains("                feather mask activeLayer amount 25.0\n"));
    call([&](auto done) { service.modifyCurrentMask("refine 300", {}, done); });
    EXPECT_TRUE(lastScript().contains("refine mask activeLayer amount 300.0"));
    call([&](auto done) { service.modifyCurrentMask("Invert", {}, done); });
    EXPECT_TRUE(lastScript().contains("                invert mask activeLayer\n"));
    EXPECT_TRUE(lastScript().contains("return \"Updated the current mask on \""));

    call([&](auto done) { service.createAdjustmentLayer("", {}, done); });
    EXPECT_TRUE(
        lastScript().contains("tell aVariant to make new layer with properties {name:\"Orbix Adjustment\"}"));
    call([&](auto done) { service.createAdjustmentLayer("  ", {}, done); });
    EXPECT_TRUE(lastScript().contains("{name:\"  \"}"));
}

TEST_F(ScriptBuilderTest, StyleRatingTagAndImportTexts) {
    call([&](auto done) { service.applyStyle("Film \"Look\"", {}, done); });
    EXPECT_TRUE(lastScript().contains("        apply style \"Film \\\"Look\\\"\" to aVariant\n"));
    EXPECT_TRUE(
        lastScript().contains("return \"Applied style Film \\\"Look\\\" to \" & (count of targetVariants)"));
    call([&](auto done) { service.setRating(0, {}, done); });
    EXPECT_TRUE(lastScript().contains("set rating of aVariant to 0\n"));
    EXPECT_TRUE(lastScript().contains("return \"Set rating to 0 on \""));
    call([&](auto done) { service.setColorTag(12, {}, done); });
    EXPECT_TRUE(lastScript().contains("set color tag of aVariant to 12\n"));
    call([&](auto done) { service.importFolder("/Volumes/Card \"A\"", done); });
    EXPECT_TRUE(
        lastScript().contains("    import (POSIX file \"/Volumes/Card \\\"A\\\"\") into current document\n"
                              "    return \"Started importing /Volumes/Card \\\"A\\\".\"\n"));
    EXPECT_EQ(
        service.capabilitySummary().text,
        "Capture One 23 supports 76 safe direct adjustment properties through Orbix, plus crop, layers, masks, "
        "variant, style, import, and processing workflows where available.");
}

TEST_F(ScriptBuilderTest, RunOutcomesBecomeResultLines) {
    runner->reply = {ScriptOutcome::Status::success, ""};
    EXPECT_EQ(call([&](auto done) { service.run("tell application \"Capture One\"\nend tell", done); }),
              "Capture One 23 command completed.");
    EXPECT_EQ(status(), CommandStatus::Kind::success);
    runner->reply = {ScriptOutcome::Status::executionError, "Open a Capture One catalog or session first.",
                     -2700};
    EXPECT_EQ(call([&](auto done) { service.getStatus(done); }),
              "Capture One 23: Open a Capture One catalog or session first.");
    EXPECT_EQ(outcome->status, (CommandStatus{CommandStatus::Kind::captureOneError, -2700}));
    EXPECT_EQ(service.lastMessage(), "Capture One 23: Open a Capture One catalog or session first.");
    runner->reply = {ScriptOutcome::Status::timedOut, ""};
    EXPECT_TRUE(
        call([&](auto done) { service.processSelected(done); }).startsWith("Capture One 23 did not answer"));
    EXPECT_EQ(status(), CommandStatus::Kind::notRunning);
    const QString beforeFailure = service.lastMessage();
    runner->reply = {ScriptOutcome::Status::notPrepared, ""};
    EXPECT_EQ(call([&](auto done) { service.run("x", done); }),
              "Could not prepare the Capture One automation command.");
    EXPECT_EQ(status(), CommandStatus::Kind::notRunning);
    EXPECT_EQ(service.lastMessage(), beforeFailure);
}

TEST(AssignmentMap, KeepsOnlyTwoPartPieces) {
    const auto map = CaptureOneService::assignmentMap(" Name = Sky ,opacity=,=5,flag,a=b=c,, ASPECT=3:2\n");
    EXPECT_EQ(map.size(), 3);
    EXPECT_EQ(map.value("name"), "Sky");
    EXPECT_EQ(map.value("a"), "b=c");
    EXPECT_EQ(map.value("aspect"), "3:2");
}

TEST_F(ScriptBuilderTest, PhotoMarksScriptAndItsReport) {
    runner->reply = {ScriptOutcome::Status::success,
                     "4\ttrue\t2\t/Shoot/a.jpg\n"
                     "0\tfalse\t0\t/Shoot/b \"x\".jpg\n"
                     "5\tfalse\t1\t/Shoot/a.jpg\n"        // a second variant of the same file
                     "3\tfalse\t0\t/Elsewhere/c.jpg\n"    // not asked for
                     "x\tfalse\t0\t/Shoot/d.jpg\n"        // unreadable
                     "2\tmaybe\t0\t/Shoot/d.jpg\n"        // unreadable
                     "1\ttrue\t7\t/Shoot/tab\there.jpg"}; // a tab inside the path
    std::optional<QHash<QString, PhotoMarks>> marks;
    service.readPhotoMarks({"/Shoot/a.jpg", "/Shoot/b \"x\".jpg", "/Shoot/d.jpg", "/Shoot/tab\there.jpg"},
                           [&](QHash<QString, PhotoMarks> answer) { marks = std::move(answer); });
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(lastScript(), "tell application \"Capture One 23\"\n"
                            "    if not (exists current document) then error \"Open a Capture One catalog or "
                            "session first.\"\n"
                            "    set requestedPaths to {\"/Shoot/a.jpg\", \"/Shoot/b \\\"x\\\".jpg\", "
                            "\"/Shoot/d.jpg\", \"/Shoot/tab\there.jpg\"}\n"
                            "    set marksText to \"\"\n"
                            "    repeat with aVariant in (variants of current document)\n"
                            "        set variantPath to POSIX path of (file of aVariant)\n"
                            "        if variantPath is in requestedPaths then set marksText to marksText & "
                            "(rating of aVariant) & \"\\t\" & (pick of aVariant) & \"\\t\" & (color tag of "
                            "aVariant) & \"\\t\" & variantPath & \"\\n\"\n"
                            "    end repeat\n"
                            "    return marksText\n"
                            "end tell");
    const QHash<QString, PhotoMarks> expected{{"/Shoot/a.jpg", {4, true, 2}},
                                              {"/Shoot/b \"x\".jpg", {0, false, 0}},
                                              {"/Shoot/tab\there.jpg", {1, true, 7}}};
    EXPECT_EQ(*marks, expected);

    runner->reply = {ScriptOutcome::Status::executionError, "Open a Capture One catalog or session first."};
    service.readPhotoMarks({"/Shoot/a.jpg"},
                           [&](QHash<QString, PhotoMarks> answer) { marks = std::move(answer); });
    EXPECT_TRUE(marks->isEmpty()) << "a failed read reports no marks";
    const qsizetype scriptsRun = runner->scripts.size();
    service.readPhotoMarks({}, [&](QHash<QString, PhotoMarks> answer) { marks = std::move(answer); });
    EXPECT_EQ(runner->scripts.size(), scriptsRun) << "an empty tray asks nothing";
}
