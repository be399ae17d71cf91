// The dispatcher against the Capture One Simulator: every action name runs its generated script for real,
// and opening a version launches that bundle's executable through the platform workspace.
#include "DispatchAction.h"
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "platform/PlatformWorkspace.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/SimulatorSession.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

// Copies the built simulator bundle under another name and version.
QString installSimulatorCopy(const QString& folder, const QString& name, const QString& version) {
    const QString source = QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app");
    const QString target = folder + QLatin1Char('/') + name + QStringLiteral(".app");
    for (const char* sub : {"/Contents/MacOS", "/Contents/Resources"}) {
        QDir().mkpath(target + QLatin1String(sub));
    }
    QFile::copy(source + "/Contents/MacOS/CaptureOneSimulator", target + "/Contents/MacOS/CaptureOneSimulator");
    QFile::copy(source + "/Contents/Resources/CaptureOne.sdef", target + "/Contents/Resources/CaptureOne.sdef");
    QFile plist(source + "/Contents/Info.plist");
    EXPECT_TRUE(plist.open(QIODevice::ReadOnly));
    QByteArray info = plist.readAll();
    info.replace("<string>1.0.0</string>", "<string>" + version.toUtf8() + "</string>");
    test::writeFile(target + "/Contents/Info.plist", info);
    return target;
}

class DispatcherEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        v22 = installSimulatorCopy(applications.path(), "Capture One 22", "15.4");
        v23 = installSimulatorCopy(applications.path(), "Capture One 23", "16.0");
        simulator.command({"reset", "--variants", "3", "--select", "1,2"});
    }

    QString act(const char* action, const test::FillArguments& fill = {}) {
        return test::dispatchAction(dispatcher, action, fill).summary;
    }
    QJsonObject application() { return simulator.dump().value("application").toObject(); }
    QJsonObject variant(int index) { return simulator.variants()[index].toObject(); }

    QTemporaryDir applications;
    test::PrivateCaptureOneSetup setup{{applications.path()}};
    test::SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    QString v22, v23;
    CaptureOneService captureOne{std::make_shared<OsascriptRunner>(QStringLiteral(ORBIX_C1SIM_PROGRAM)),
                                 setup.resolver};
    std::unique_ptr<Workspace> workspace = createWorkspace();
    test::RecordingAccessibilityBackend accessibility;
    MacComputerUseService dispatcher{captureOne, setup.settings, *workspace, accessibility};
};

} // namespace

TEST_F(DispatcherEndToEnd, OpenAppLaunchesPinsAndUnpinsVersions) {
    EXPECT_EQ(act("open_app", [](auto& a) { a.prompt = "open capture one 22"; }),
              "Opened Capture One 22. Orbix will use this version for Capture One commands.");
    EXPECT_EQ(setup.resolver.preferredApplicationPath(), v22);
    EXPECT_TRUE(test::waitUntil([&] { return application().value("running").toBool(); }))
        << "the bundle's executable really ran";
    act("c1_get_status");
    EXPECT_EQ(application().value("lastAddressedName").toString(), "Capture One 22");

    EXPECT_EQ(act("open_app", [](auto& a) { a.appName = "the latest Capture One"; }),
              "Opened Capture One 23. Orbix will use this version for Capture One commands.");
    EXPECT_EQ(setup.resolver.preferredApplicationPath(), std::nullopt);
    act("c1_set_rating", [](auto& a) { a.value = 2; });
    EXPECT_EQ(application().value("lastAddressedName").toString(), "Capture One 23");

    EXPECT_EQ(
        act("open_app", [](auto& a) { a.appName = "Mail"; }),
        "Orbix works exclusively with Capture One. I can’t open, control, or perform work in other apps.");
    QFile::remove(v22 + "/Contents/MacOS/CaptureOneSimulator");
    EXPECT_TRUE(act("open_app", [](auto& a) {
                    a.appName = "Capture One 22";
                }).startsWith("Could not open Capture One 22: "));
}

TEST_F(DispatcherEndToEnd, EveryCaptureOneActionRunsInTheSimulator) {
    const QString shoot = setup.folder.filePath("Shoot");
    test::writeFile(shoot + "/frame 1.jpg", "x");
    const std::vector<std::pair<QString, test::FillArguments>> selectionActions{
        {"Adjusted exposure on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_adjust_slider", a.slider = "exposure", a.value = 0.5; }},
        {"Adjusted black and white on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_set_adjustment", a.targetName = "b&w", a.text = "on"; }},
        {"Applied 2 adjustment(s) to 2 selected variant(s).",
         [](auto& a) { a.action = "c1_adjust_sliders", a.text = "contrast=10, clarity=5"; }},
        {"Applied style Warm Portrait to 2 selected variant(s).",
         [](auto& a) { a.action = "c1_apply_style", a.presetName = "Warm Portrait"; }},
        {"Updated pick status for 2 selected variant(s).",
         [](auto& a) { a.action = "c1_set_pick", a.text = "pick"; }},
        {"Set rating to 4 on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_set_rating", a.value = 4.9; }},
        {"Set color tag on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_set_color_tag", a.text = "3"; }},
        {"Rotated left 2 selected variant(s).", [](auto& a) { a.action = "c1_rotate", a.text = "left"; }},
        {"Updated crop settings on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_set_crop", a.text = "aspect=4:5, orientation=portrait"; }},
        {"Applied maximum crop to 2 selected variant(s).", [](auto& a) { a.action = "c1_maximum_crop"; }},
        {"Created an adjustment layer on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_create_layer", a.text = "Sky \"top\" & more"; }},
        {"Updated the current layer on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_set_layer", a.text = "opacity=60"; }},
        {"Updated the current mask on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_mask", a.text = "fill"; }},
        {"Updated the current mask on 2 selected variant(s).",
         [](auto& a) { a.action = "c1_mask", a.targetName = "feather 25"; }},
        {"Auto-adjusted 2 selected variant(s).", [](auto& a) { a.action = "c1_auto_adjust"; }},
        {"Copied the primary variant adjustments to 1 other selected variant(s).",
         [](auto& a) { a.action = "c1_copy_apply_adjustments"; }},
        {"Queued 2 selected variant(s) for processing.", [](auto& a) { a.action = "c1_process"; }},
        {"Reset adjustments on 2 selected variant(s).", [](auto& a) { a.action = "c1_reset_adjustments"; }},
        {"Cloned 2 selected variant(s).", [](auto& a) { a.action = "c1_clone_variant"; }},
        {"Started importing " + shoot + ".",
         [&](auto& a) { a.action = "c1_import_folder", a.folderPath = shoot; }},
    };
    for (const auto& entry : selectionActions) {
        ComputerUseArguments probe;
        entry.second(probe);
        EXPECT_EQ(act("", entry.second), entry.first) << probe.action.toStdString();
    }
    const QJsonObject first = variant(0);
    EXPECT_EQ(first.value("rating").toInt(), 4);
    EXPECT_TRUE(first.value("pick").toBool());
    EXPECT_EQ(first.value("cropAspectRatio").toString(), "4:5");
    EXPECT_EQ(first.value("layers").toArray().last().toObject().value("name").toString(), "Sky \"top\" & more");
    for (const QJsonValue& other : simulator.variants()) {
        if (other.toObject().value("id").toString() == "3") {
            EXPECT_EQ(other.toObject().value("rating").toInt(), 0) << "unselected variants are untouched";
        }
    }
    EXPECT_EQ(simulator.variants().size(), 6) << "two clones and one imported photo";

    EXPECT_TRUE(act("c1_get_status").startsWith("Selected variants: 2\nPrimary: "));
    EXPECT_TRUE(
        act("c1_get_capabilities").startsWith("Capture One 23 supports 76 safe direct adjustment properties"));
    EXPECT_EQ(act("c1_apply_style", [](auto& a) { a.presetName = "No Such Look"; }).left(16),
              "Capture One 23: ");
    EXPECT_EQ(act("inspect_ui"),
              "Enable Allow Computer Control in Orbix Settings before using Capture One UI fallback.");
    EXPECT_TRUE(accessibility.calls().isEmpty());
}

TEST_F(DispatcherEndToEnd, TargetPathsAddressTrayPhotosOnly) {
    const QString path = variant(2).value("path").toString();
    EXPECT_EQ(act("c1_set_rating", [&](auto& a) { a.value = 5, a.targetPaths = {path}; }),
              "Set rating to 5 on 1 selected variant(s).");
    EXPECT_EQ(variant(2).value("rating").toInt(), 5);
    EXPECT_EQ(variant(0).value("rating").toInt(), 0);
    act("c1_set_pick", [](auto& a) { a.text = "pick"; });
    ASSERT_TRUE(variant(0).value("pick").toBool());
    EXPECT_EQ(
        act("c1_set_pick", [](auto& a) { a.text = " Reject"; }),
        "Capture One has no reject flag, so Orbix cleared the pick flag instead. Updated pick status for 2 "
        "selected variant(s).");
    EXPECT_FALSE(variant(0).value("pick").toBool());
    EXPECT_EQ(act("c1_set_pick", [](auto& a) { a.targetPaths = {"/not/in/the/document.jpg"}; }),
              "Capture One 23: None of the selected Orbix photos are in the open Capture One document.");
}
