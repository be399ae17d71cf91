#include "captureone/MacComputerUseService.h"

#include "DispatchAction.h"
#include "RecordingScriptRunner.h"
#include "TestBundles.h"
#include "captureone/CaptureOneService.h"
#include "core/ComputerUseActions.h"
#include "services/AssistantInstructions.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/RecordingWorkspace.h"
#include "support/TestSupport.h"
#include "voice/RealtimeSessionPayload.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

const QString refusal =
    "Orbix works exclusively with Capture One. I can’t open, control, or perform work in other apps.";

class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        v22 = test::makeBundle(folder.path(),
                               test::BundleSpec("Capture One 22.app", "15.4")
                                   .declaring(test::allAdjustmentProperties(), test::allCommands()));
        v23 = test::makeBundle(folder.path(),
                               test::BundleSpec("Capture One 23.app", "16.0")
                                   .declaring(test::allAdjustmentProperties(), test::allCommands()));
        application = accessibility.add(test::FakeElement::withRole("AXApplication", "Capture One 23"));
        accessibility.addChild(
            application,
            test::FakeElement::withRole("AXButton", "Auto Adjust").pressable().framed({10, 10}, {20, 20}));
        accessibility.setFrontmostApplication(application);
    }

    ComputerUseResult act(const char* action, const test::FillArguments& fill = {}) {
        return test::dispatchAction(dispatcher, action, fill);
    }
    QString summary(const char* action, const test::FillArguments& fill = {}) {
        return act(action, fill).summary;
    }
    QString typed(const char* command) {
        std::optional<ComputerUseResult> result;
        dispatcher.execute(command, [&](const ComputerUseResult& r) { result = r; });
        EXPECT_TRUE(test::waitUntil([&] { return result.has_value(); }));
        return result ? result->summary : QString();
    }
    QString script() const { return runner->lastScript(); }
    void captureOneInFront(const QString& bundle) {
        workspace.frontmost = FrontmostApplication{"Capture One", QUrl::fromLocalFile(bundle + "/")};
    }

    QTemporaryDir folder;
    test::PrivateCaptureOneSetup setup{{folder.path()}};
    QString v22, v23;
    std::shared_ptr<test::RecordingScriptRunner> runner = std::make_shared<test::RecordingScriptRunner>();
    CaptureOneService service{runner, setup.resolver};
    test::RecordingWorkspace workspace;
    test::RecordingAccessibilityBackend accessibility;
    ElementRef application;
    MacComputerUseService dispatcher{service, setup.settings, workspace, accessibility};
};

} // namespace

TEST_F(DispatcherTest, ScopeGateRefusesOtherApplicationsWithTheArtifact) {
    const auto mail = act("open_app", [](auto& a) { a.appName = "Mail"; });
    EXPECT_EQ(mail.summary, refusal);
    ASSERT_TRUE(mail.artifact.has_value());
    EXPECT_EQ(mail.artifact->title, "Capture One only");
    EXPECT_EQ(mail.artifact->body, refusal);
    EXPECT_EQ(mail.artifact->kind, ArtifactKind::markdown);
    EXPECT_EQ(mail.artifact->status, ArtifactStatus::ready);
    EXPECT_EQ(act("c1_set_rating", [](auto& a) { a.prompt = "launch the calendar", a.value = 3; }).summary,
              refusal);
    EXPECT_TRUE(runner->scripts.isEmpty());
    EXPECT_TRUE(workspace.openedApplications.isEmpty());
}

TEST_F(DispatcherTest, ActionNamesAreTrimmedAndLowerCasedOnly) {
    EXPECT_EQ(summary(" C1_SET_RATING \n", [](auto& a) { a.value = 4.9; }), "done");
    EXPECT_TRUE(script().contains("set rating of aVariant to 4\n"));
    EXPECT_EQ(summary("c1-set-rating"), "Orbix supports Capture One actions only.");
    EXPECT_EQ(summary("run_script", [](auto& a) { a.scriptCode = "do shell script \"x\""; }),
              "Orbix supports Capture One actions only.");
}

TEST_F(DispatcherTest, SliderArgumentsDifferBetweenAdjustAndSet) {
    summary("c1_adjust_slider", [](auto& a) { a.slider = "exposure", a.value = 0.5; });
    EXPECT_TRUE(script().contains("to ((exposure of adjustments of aVariant) + 0.5)"));
    summary("c1_set_adjustment", [](auto& a) { a.slider = "exposure", a.value = 0.5; });
    EXPECT_TRUE(script().contains("set exposure of adjustments of aVariant to 0.5\n"));
    summary("c1_set_adjustment", [](auto& a) { a.targetName = "black and white", a.text = "on", a.value = 0; });
    EXPECT_TRUE(script().contains("set black and white of adjustments of aVariant to true\n"));
    summary("c1_adjust_slider", [](auto& a) { a.targetName = "contrast", a.text = "25"; });
    EXPECT_TRUE(script().contains("((contrast of adjustments of aVariant) + 25.0)"));
    EXPECT_EQ(summary("c1_adjust_slider", [](auto& a) { a.slider = "tint", a.value = INFINITY; }),
              "inf is not a valid value for tint.");
}

TEST_F(DispatcherTest, RatingPickAndTagArguments) {
    summary("c1_set_rating", [](auto& a) { a.text = "five"; });
    EXPECT_TRUE(script().contains("set rating of aVariant to 0\n"));
    summary("c1_set_color_tag", [](auto& a) { a.text = "-3.7"; });
    EXPECT_TRUE(script().contains("set color tag of aVariant to -3\n"));
    summary("c1_set_pick", [](auto& a) { a.text = "Unpick"; });
    EXPECT_TRUE(script().contains("set pick of aVariant to false\n"));
    runner->scripts.clear();
    summary("c1_set_pick", [](auto& a) { a.text = "reject"; });
    EXPECT_TRUE(script().contains("set pick of aVariant to false\n")) << "a rejected photo is no pick";

    runner->scripts.clear();
    const QString unusable = "Orbix can’t use that rating: Capture One needs a whole number from 0 to 5.";
    EXPECT_EQ(summary("c1_set_rating", [](auto& a) { a.value = NAN; }), unusable);
    EXPECT_EQ(summary("c1_set_rating", [](auto& a) { a.value = 1e19; }), unusable);
    EXPECT_EQ(summary("c1_set_rating", [](auto& a) { a.text = "inf"; }), unusable);
    EXPECT_EQ(summary("c1_set_color_tag", [](auto& a) { a.value = -1e300; }),
              "Orbix can’t use that color tag: Capture One needs a whole number from 0 to 7.");
    EXPECT_TRUE(runner->scripts.isEmpty());
}

TEST_F(DispatcherTest, TargetPathsReachEveryVariantOperation) {
    const QStringList paths{"/shoot/a.cr3"};
    for (const char* action : {"c1_auto_adjust", "c1_reset_adjustments", "c1_clone_variant", "c1_maximum_crop",
                               "c1_apply_style", "c1_create_layer"}) {
        act(action, [&](auto& a) { a.text = "Film", a.targetPaths = paths; });
        EXPECT_TRUE(script().contains("set requestedPaths to {\"/shoot/a.cr3\"}")) << action;
    }
    summary("c1_rotate", [&](auto& a) { a.targetName = "Right", a.targetPaths = paths; });
    EXPECT_TRUE(script().contains("rotate right aVariant"));
    summary("c1_import_folder",
            [&](auto& a) { a.text = "/x", a.folderPath = "/Volumes/Card", a.targetPaths = paths; });
    EXPECT_TRUE(script().contains("import (POSIX file \"/Volumes/Card\")"));
    EXPECT_FALSE(script().contains("requestedPaths"));
    summary("c1_copy_apply_adjustments", [&](auto& a) { a.targetPaths = paths; });
    EXPECT_TRUE(script().contains("copy adjustments sourceVariant"));
    EXPECT_FALSE(script().contains("requestedPaths")) << "copying always acts on the selection";
    EXPECT_TRUE(summary("c1_get_capabilities").startsWith("Capture One 23 supports 76 safe direct"));
}

TEST_F(DispatcherTest, OpenAppPinsAndUnpinsTheVersion) {
    // The pin is a setting like the others: whoever shows it (the Settings window) hears of each change.
    QSignalSpy pins(&setup.settings, &Settings::preferredCaptureOnePathChanged);
    EXPECT_EQ(summary("open_app", [](auto& a) { a.prompt = "open capture one 22"; }),
              "Opened Capture One 22. Orbix will use this version for Capture One commands.");
    EXPECT_EQ(workspace.openedApplications, QList<QUrl>{QUrl::fromLocalFile(v22)});
    EXPECT_EQ(setup.resolver.preferredApplicationPath(), v22);

    EXPECT_EQ(summary("open_app", [](auto& a) { a.appName = "the latest Capture One"; }),
              "Opened Capture One 23. Orbix will use this version for Capture One commands.");
    EXPECT_EQ(setup.resolver.preferredApplicationPath(), std::nullopt);
    ASSERT_EQ(pins.size(), 2);
    EXPECT_EQ(pins[0][0].toString(), v22);
    EXPECT_EQ(pins[1][0].toString(), QString());

    setup.resolver.setPreferredApplicationPath(v22);
    EXPECT_EQ(summary("open_app", [](auto& a) { a.appName = "Capture One"; }),
              "Opened Capture One 22. Orbix will use this version for Capture One commands.");
    EXPECT_EQ(setup.resolver.preferredApplicationPath(), v22) << "a plain name leaves the pin";

    EXPECT_EQ(summary("open_app", [](auto& a) { a.appName = "Capture One 99"; }),
              "Opened Capture One 22. Orbix will use this version for Capture One commands.")
        << "an unknown version falls back to the pinned one";

    workspace.openError = "The application is damaged.";
    EXPECT_EQ(typed("open capture one 23"), "Could not open Capture One 23: The application is damaged.");
    EXPECT_EQ(setup.resolver.preferredApplicationPath(), v22) << "a failed open pins nothing";
}

TEST_F(DispatcherTest, UiFallbackPolicyComesBeforeAnyAccessibilityCall) {
    captureOneInFront(v23);
    EXPECT_EQ(summary("inspect_ui"),
              "Enable Allow Computer Control in Orbix Settings before using Capture One UI fallback.");
    setup.settings.setAllowComputerControl(true);

    const QString inFront =
        "Bring the selected Capture One version to the front before using UI fallback. Orbix "
        "will not send UI input to another app.";
    workspace.frontmost = FrontmostApplication{"Finder", std::nullopt};
    EXPECT_EQ(summary("click", [](auto& a) { a.targetName = "Auto Adjust"; }), inFront);
    captureOneInFront(v22);
    EXPECT_EQ(summary("type", [](auto& a) { a.text = "hello"; }), inFront) << "another Capture One version";
    EXPECT_EQ(summary("press_key", [](auto& a) { a.key = "cmd+z"; }), inFront);
    EXPECT_TRUE(accessibility.calls().isEmpty());

    captureOneInFront(v23);
    EXPECT_EQ(
        summary("click", [](auto& a) { a.targetName = "Reset All"; }),
        "Orbix will not click destructive Capture One controls through UI fallback. Use a dedicated, validated "
        "Capture One command instead.");
    EXPECT_EQ(
        summary("click", [](auto& a) { a.text = "Move to Trash"; }),
        "Orbix will not click destructive Capture One controls through UI fallback. Use a dedicated, validated "
        "Capture One command instead.");
    EXPECT_EQ(summary("press_key", [](auto& a) { a.key = "Backspace "; }),
              "Orbix will not send destructive delete keys through Capture One UI fallback.");
    EXPECT_EQ(summary("press_key", [](auto& a) { a.text = " Cmd "; }),
              "Could not parse the Capture One keyboard shortcut  Cmd .");
    EXPECT_TRUE(accessibility.events().empty());
}

TEST_F(DispatcherTest, UiFallbackActsOnTheSelectedVersionInFront) {
    setup.settings.setAllowComputerControl(true);
    const QString link = setup.folder.filePath("linked.app");
    ASSERT_TRUE(QFile::link(v23, link));
    workspace.frontmost = FrontmostApplication{"Capture One", QUrl::fromLocalFile(link + "/./")};
    EXPECT_EQ(summary("inspect_ui"), "Visible Capture One controls:\nAXButton: Auto Adjust")
        << "the same bundle through a link";
    EXPECT_TRUE(summary("click", [](auto& a) { a.targetName = "auto adjust"; }).startsWith("Capture One: "));
    ASSERT_EQ(accessibility.events().size(), 1u);
    EXPECT_EQ(accessibility.events()[0].kind, test::RecordingAccessibilityBackend::Event::Kind::press);
    EXPECT_EQ(summary("press_key", [](auto& a) { a.key = "command z"; }), "Capture One: Pressed Command-Z.");
    EXPECT_EQ(accessibility.events().back().kind, test::RecordingAccessibilityBackend::Event::Kind::key);
    EXPECT_EQ(summary("press_key", [](auto& a) { a.key = "cmd+z"; }),
              "Capture One UI automation failed: Could not press Cmd+Z.");

    accessibility.setTrusted(false);
    EXPECT_EQ(
        summary("click", [](auto& a) { a.targetName = "auto adjust"; }),
        "Enable Accessibility permission for Orbix in System Settings > Privacy & Security > Accessibility.");
}

TEST_F(DispatcherTest, UiFallbackJudgesWhatWouldBePressedAndWhichKeyWouldBeSent) {
    setup.settings.setAllowComputerControl(true);
    captureOneInFront(v23);
    using test::FakeElement;
    for (const char* title : {"Move to Trash", "Reset All Adjustments", "Delete Variant", "Empty Trash…"}) {
        accessibility.addChild(application, FakeElement::withRole("AXButton", title).pressable());
    }
    // Harmless names with a destructive description or identifier.
    accessibility.addChild(application, FakeElement::withRole("AXButton", "Clean Up")
                                            .set(StringAttribute::description, "Removes unused variants")
                                            .pressable()
                                            .framed({0, 0}, {10, 10}));
    accessibility.addChild(application, FakeElement::withRole("AXMenuItem", "Tidy")
                                            .set(StringAttribute::identifier, "eraseAllMasksMenuItem")
                                            .pressable());
    accessibility.addChild(application, FakeElement::withRole("AXTextField", "Batch Rename")
                                            .set(StringAttribute::description, "Overwrites existing file names")
                                            .framed({0, 20}, {100, 20}));
    accessibility.addChild(application,
                           FakeElement::withRole("AXTextField", "Caption").framed({0, 50}, {100, 20}));

    const QString clickRefusal =
        "Orbix will not click destructive Capture One controls through UI fallback. Use a dedicated, validated "
        "Capture One command instead.";
    for (const char* fragment : {"Move to", "move", "Rese", "All Adjustments", "Del", "Variant", "Empty",
                                 "Trash", "clean up", "Tidy"}) {
        EXPECT_EQ(summary("click", [&](auto& a) { a.targetName = fragment; }), clickRefusal) << fragment;
    }
    EXPECT_EQ(summary("type",
                      [](auto& a) {
                          a.text = "holiday";
                          a.targetName = "batch";
                      }),
              clickRefusal)
        << "a destructive description behind the matched field";
    EXPECT_EQ(summary("type",
                      [](auto& a) {
                          a.text = "x";
                          a.targetName = "Delete Variant";
                      }),
              clickRefusal)
        << "a destructive field name is refused before any lookup";

    const QString keyRefusal = "Orbix will not send destructive delete keys through Capture One UI fallback.";
    for (const char* spelling :
         {"delete key", "Delete Key", "cmd delete", "command backspace", "shift backspace", "ctrl alt delete",
          "backspace key", " DELETE ", "forward delete key", "cmd forward delete", "option shift delete"}) {
        EXPECT_EQ(summary("press_key", [&](auto& a) { a.key = spelling; }), keyRefusal) << spelling;
    }
    for (const char* shortcut : {"option e", "alt f", "f10", "shift f10", "menu"}) {
        EXPECT_EQ(summary("press_key", [&](auto& a) { a.key = shortcut; }),
                  "Orbix will not open Capture One menus from the keyboard through UI fallback. Click the menu "
                  "item by its name instead.")
            << shortcut;
    }
    // Return on a focused destructive control, whichever language names it.
    const ElementRef focused =
        accessibility.addChild(application, FakeElement::withRole("AXButton", "OK").focused());
    for (const char* title : {"Discard Changes", "Clear Keywords", "Revert to Original", "Variante löschen",
                              "Supprimer la variante", "Eliminar variante", "Sposta nel cestino", "Verwijderen",
                              "Redefinir ajustes", "Ta bort variant",
                              // Decomposed accents, as some trees give them.
                              "Zuru\u0308cksetzen"}) {
        accessibility.element(focused).set(StringAttribute::title, QString::fromUtf8(title));
        EXPECT_EQ(summary("press_key", [](auto& a) { a.key = "return"; }),
                  "Orbix will not press a key that would activate a destructive Capture One control through UI "
                  "fallback. Use a dedicated, validated Capture One command instead.")
            << title;
    }
    EXPECT_TRUE(accessibility.events().empty()) << "nothing was pressed, focused, clicked, typed or posted";

    // Harmless requests still act.
    accessibility.element(focused).set(StringAttribute::title, "Export Variants");
    EXPECT_EQ(summary("press_key", [](auto& a) { a.key = "return"; }), "Capture One: Pressed Return.");
    EXPECT_EQ(summary("type",
                      [](auto& a) {
                          a.text = "Beach";
                          a.targetName = "caption";
                      }),
              "Capture One: Typed text into caption.");
    EXPECT_EQ(accessibility.typedText(), "Beach");
    EXPECT_EQ(summary("press_key", [](auto& a) { a.key = "cmd shift z"; }),
              "Capture One: Pressed Command-Shift-Z.");
}

TEST_F(DispatcherTest, TypedCommandsRunOnTheSelection) {
    EXPECT_EQ(typed("  \n"), "No command provided.");
    EXPECT_EQ(typed("make it pop"), "Orbix supports Capture One commands only.");
    EXPECT_EQ(typed("capture one rate this 9"), "Capture One ratings must be between 0 and 5.");
    typed("capture one reduce shadows by 20");
    EXPECT_TRUE(script().contains("((shadow recovery of adjustments of aVariant) + -20.0)"));
    typed("capture one set exposure to 1");
    EXPECT_TRUE(script().contains("set exposure of adjustments of aVariant to 1.0\n"));
    typed("capture one import from /Volumes/Card/DCIM.");
    EXPECT_TRUE(script().contains("import (POSIX file \"/Volumes/Card/DCIM\") into current document"));
    typed("capture one status");
    EXPECT_TRUE(script().contains("set primaryItem to primary variant"));
    typed("capture one rate this 99999999999999999999 stars");
    EXPECT_TRUE(script().contains("set primaryItem to primary variant")) << "an unusable rating runs nothing";

    workspace.frontmost = FrontmostApplication{"Capture One 23", std::nullopt};
    typed("unpick");
    EXPECT_TRUE(script().contains("set pick of aVariant to false"));
}

// The one action table: every entry reaches a handler, and the vocabularies generated from it (the voice
// tool, the text assistant's schema, the tray's targetable set) stay exactly what the model was given.
TEST_F(DispatcherTest, EveryTableEntryDispatchesAndTheGeneratedVocabulariesStayFixed) {
    const QString unknown = "Orbix supports Capture One actions only.";
    for (const ComputerUseActionEntry& entry : computerUseActions()) {
        const ComputerUseResult result = act(entry.name.toUtf8().constData());
        EXPECT_NE(result.summary, unknown) << entry.name.toStdString();
    }
    const ComputerUseResult refused = act("c1_delete_catalog");
    EXPECT_EQ(refused.summary, unknown);
    EXPECT_EQ(refused.status.kind, CommandStatus::Kind::refused);

    const QByteArray tool = R"({"type":"function","name":"computer_use",
"description":"Control Capture One variants, adjustments, crop, layers, masks, styles, ratings, tags, imports, processing, and selected-variant status.",
"parameters":{"type":"object","required":["action"],"additionalProperties":false,"properties":{
"action":{"type":"string","description":"The Capture One action to perform. Use direct actions for selected-variant edits rather than UI interaction.",
"enum":["open_app","c1_adjust_slider","c1_set_adjustment","c1_adjust_sliders","c1_auto_adjust","c1_reset_adjustments","c1_copy_apply_adjustments","c1_clone_variant","c1_rotate","c1_maximum_crop","c1_set_crop","c1_create_layer","c1_set_layer","c1_mask","c1_apply_style","c1_import_folder","c1_set_pick","c1_set_rating","c1_set_color_tag","c1_process","c1_get_status","c1_get_capabilities","inspect_ui","click","type","press_key","undo_last_change","redo_last_change"]},
"app_name":{"type":"string","description":"The exact installed Capture One app name, such as Capture One, Capture One 21, Capture One 22, or Capture One Beta (required for open_app)."},
"target_name":{"type":"string","description":"Optional Capture One target name."},
"text":{"type":"string","description":"String or boolean adjustment value; comma-separated property=value adjustments; rotate direction; crop/layer specification; layer name; mask operation; or pick/unpick."},
"key":{"type":"string","description":"The keyboard key to press (required for press_key). E.g. 'enter', 'tab', 'escape', 'space'."},
"slider":{"type":"string","description":"Capture One adjustment property name (required for c1_adjust_slider and c1_set_adjustment)."},
"value":{"type":"number","description":"Required for c1_adjust_slider, c1_set_rating, and c1_set_color_tag."},
"relative":{"type":"boolean","description":"Whether c1_adjust_slider is relative (true) or absolute (false)."},
"preset_name":{"type":"string","description":"The exact Capture One Style name (required for c1_apply_style)."},
"folder_path":{"type":"string","description":"The absolute local folder path to import into Capture One (required for c1_import_folder)."}}}})";
    const QJsonObject definition = realtime::computerUseToolDefinition();
    EXPECT_EQ(QJsonDocument(definition).toJson(QJsonDocument::Compact),
              QJsonDocument::fromJson(tool).toJson(QJsonDocument::Compact));
    const QJsonObject properties = definition["parameters"].toObject()["properties"].toObject();
    for (const ComputerUseActionEntry& entry : computerUseActions()) {
        for (const QString& argument : entry.arguments) {
            EXPECT_TRUE(properties.contains(argument))
                << entry.name.toStdString() << " reads " << argument.toStdString();
        }
    }

    EXPECT_TRUE(assistantInstructions().contains(
        "\n    \"type\": \"c1_adjust_slider\" | \"c1_set_adjustment\" | \"c1_adjust_sliders\" | "
        "\"c1_auto_adjust\" | "
        "\"c1_reset_adjustments\" | \"c1_copy_apply_adjustments\" | \"c1_clone_variant\" | \"c1_rotate\" | "
        "\"c1_maximum_crop\" | \"c1_set_crop\" | \"c1_create_layer\" | \"c1_set_layer\" | \"c1_mask\" | "
        "\"c1_apply_style\" | \"c1_import_folder\" | \"c1_set_pick\" | \"c1_set_rating\" | "
        "\"c1_set_color_tag\" | "
        "\"c1_process\" | \"c1_get_status\" | \"c1_get_capabilities\" | \"inspect_ui\" | \"click\" | \"type\" "
        "| "
        "\"press_key\" | \"undo_last_change\" | \"redo_last_change\",\n    \"slider\": "));

    QStringList trayTargets;
    for (const ComputerUseActionEntry& entry : computerUseActions()) {
        if (entry.targetsTrayPhotos) {
            trayTargets << entry.name;
        }
    }
    EXPECT_EQ(trayTargets, QStringList({"c1_adjust_slider", "c1_adjust_sliders", "c1_apply_style",
                                        "c1_set_pick", "c1_set_rating", "c1_set_color_tag"}));
}

TEST_F(DispatcherTest, ResultsCarryTheStatusCallersDecideOn) {
    using Kind = CommandStatus::Kind;
    EXPECT_EQ(act("c1_set_rating", [](auto& a) { a.value = 3; }).status, CommandStatus{});
    runner->reply = {ScriptOutcome::Status::executionError, "Can’t get variant 9.", -1728};
    EXPECT_EQ(act("c1_set_rating", [](auto& a) { a.value = 3; }).status,
              (CommandStatus{Kind::captureOneError, -1728}));
    EXPECT_EQ(act("c1_set_rating", [](auto& a) { a.value = 7; }).status.kind, Kind::refused);
    EXPECT_EQ(act("c1_set_adjustment", [](auto& a) { a.slider = "sparkle"; }).status.kind, Kind::notSupported);
    EXPECT_EQ(act("open_app", [](auto& a) { a.appName = "Mail"; }).status.kind, Kind::refused);
    EXPECT_EQ(act("open_app").status.kind, Kind::success);
    EXPECT_EQ(act("inspect_ui").status.kind, Kind::refused) << "Allow Computer Control is off";
}
