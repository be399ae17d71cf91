// The simulator's window as Orbix meets it on a Linux desktop: Xvfb with openbox (which announces the
// active window), a private session bus and the AT-SPI bus. `open_app` goes through the real workspace
// and dispatcher, and the UI fallback drives the window through the real accessibility backend and XTest.
#include "../platform/VirtualDesktop.h"
#include "captureone/CaptureOneService.h"
#include "captureone/DispatchAction.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "platform/PlatformAccessibility.h"
#include "platform/PlatformWorkspace.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/SimulatorSession.h"
#include "support/TestSupport.h"
#include "uiautomation/UIAutomationService.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

const QString kBundle = QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app");
const QString kExecutable = kBundle + QStringLiteral("/Contents/MacOS/CaptureOneSimulator");

// The processes running the bundle's executable (this test's windows: the desktop is private).
QList<qint64> runningSimulators() {
    const QString executable = QFileInfo(kExecutable).canonicalFilePath();
    QList<qint64> pids;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (numeric && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == executable)
            pids << pid;
    }
    return pids;
}

class SimulatorDesktopTest : public ::testing::Test {
protected:
    void TearDown() override {
        // The windows were started detached, as the workspace starts applications.
        for (qint64 pid : runningSimulators())
            ::kill(pid_t(pid), SIGTERM);
        test::waitUntil([] { return runningSimulators().isEmpty(); });
    }

    QString act(const char* action, const test::FillArguments& fill = {}) {
        return test::dispatchAction(*dispatcher, action, fill).summary;
    }
    QJsonObject document() { return simulator.dump().value(QStringLiteral("document")).toObject(); }
    QJsonObject primaryVariant() {
        const QJsonObject doc = document();
        for (const QJsonValue& variant : doc.value(QStringLiteral("variants")).toArray()) {
            if (variant.toObject().value(QStringLiteral("id")) == doc.value(QStringLiteral("primary")))
                return variant.toObject();
        }
        return {};
    }
    bool simulatorInFront() {
        const auto front = workspace->frontmostApplication();
        return front && front->bundleUrl &&
               QFileInfo(front->bundleUrl->toLocalFile()).canonicalFilePath() ==
                   QFileInfo(kBundle).canonicalFilePath();
    }
    bool lists(const QString& line) { return act("inspect_ui").split(QLatin1Char('\n')).contains(line); }
    qsizetype variantCount() { return document().value(QStringLiteral("variants")).toArray().size(); }

    // Resets the catalog, allows the UI fallback and opens the window; false when it never came up on the
    // accessibility bus.
    bool openWindow(const char* variants, const char* selection) {
        simulator.command({QStringLiteral("reset"), QStringLiteral("--variants"), QLatin1String(variants),
                           QStringLiteral("--select"), QLatin1String(selection)});
        setup.settings.setAllowComputerControl(true);
        EXPECT_TRUE(act("open_app", [](auto& a) {
                        a.appName = "Capture One";
                    }).startsWith("Opened Capture One Simulator."));
        return test::waitUntil([&] { return simulatorInFront(); }, std::chrono::seconds(20)) &&
               test::waitUntil([&] { return lists(QStringLiteral("AXCheckBox: Show Before/After")); },
                               std::chrono::seconds(20));
    }

    test::VirtualDesktop desktop{test::VirtualDesktop::Services::withAccessibility,
                                 test::VirtualDesktop::WindowManager::openbox};
    test::PrivateCaptureOneSetup setup{{QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR)}};
    test::ScopedEnvironment platform{"QT_QPA_PLATFORM", QByteArray("xcb")};
    test::SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    CaptureOneService captureOne{std::make_shared<OsascriptRunner>(QStringLiteral(ORBIX_C1SIM_PROGRAM)),
                                 setup.resolver};
    std::unique_ptr<Workspace> workspace = createWorkspace();
    std::unique_ptr<AccessibilityBackend> accessibility = createAccessibilityBackend();
    std::unique_ptr<MacComputerUseService> dispatcher =
        std::make_unique<MacComputerUseService>(captureOne, setup.settings, *workspace, *accessibility);
};

} // namespace

TEST_F(SimulatorDesktopTest, OpenAppShowsTheWindowAndTheUiFallbackDrivesIt) {
    if (!desktop.unavailableReason().isEmpty())
        GTEST_SKIP() << "No private desktop with a window manager: "
                     << desktop.unavailableReason().toStdString();
    // open_app launches the bundle through the workspace; the window comes up in front, and inspect_ui
    // lists its controls once it is on the accessibility bus.
    ASSERT_TRUE(openWindow("3", "1")) << act("inspect_ui").toStdString();
    EXPECT_TRUE(document().isEmpty() == false);
    const QString listing = act("inspect_ui");
    for (const char* line : {"AXButton: Export Variants…", "AXButton: Spot Removal", "AXButton: Delete Variant",
                             "AXTextField: Keystone Amount", "AXButton: Keystone"})
        EXPECT_TRUE(listing.split(QLatin1Char('\n')).contains(QString::fromUtf8(line))) << line;

    // A second launch for the same catalog brings the first window forward and leaves.
    EXPECT_TRUE(act("open_app", [](auto& a) { a.appName = "Capture One"; }).startsWith("Opened "));
    EXPECT_TRUE(test::waitUntil([] { return runningSimulators().size() == 1; }));

    // Pressing a browser row through accessibility toggles it into the selection (Qt's table semantics, as
    // a Ctrl-click does); the window writes it for scripts to see.
    EXPECT_EQ(act("click", [](auto& a) { a.targetName = "IMG_0002"; }), "Capture One: Clicked IMG_0002.");
    EXPECT_TRUE(test::waitUntil([&] {
        return document().value(QStringLiteral("selection")).toArray() ==
               QJsonArray{QStringLiteral("1"), QStringLiteral("2")};
    })) << QJsonDocument(document().value(QStringLiteral("selection")).toArray()).toJson().toStdString();

    // click, type, press_key change what the catalog holds.
    EXPECT_EQ(act("click", [](auto& a) { a.targetName = "Show Before/After"; }),
              "Capture One: Clicked Show Before/After.");
    EXPECT_TRUE(test::waitUntil([&] { return document().value(QStringLiteral("beforeAfter")).toBool(); }));

    EXPECT_EQ(act("type",
                  [](auto& a) {
                      a.text = "-30";
                      a.targetName = "Keystone Amount";
                  }),
              "Capture One: Typed text into Keystone Amount.");
    EXPECT_TRUE(test::waitUntil([&] {
        return primaryVariant()
                   .value(QStringLiteral("adjustments"))
                   .toObject()
                   .value(QStringLiteral("keystone vertical")) == -30;
    }));

    EXPECT_TRUE(
        act("press_key", [](auto& a) { a.key = "command shift h"; }).startsWith("Capture One: Pressed"));
    EXPECT_TRUE(
        test::waitUntil([&] { return primaryVariant().value(QStringLiteral("spotRemovals")).toInt() == 1; }));
    EXPECT_TRUE(
        act("press_key", [](auto& a) { a.key = "command shift b"; }).startsWith("Capture One: Pressed"));
    EXPECT_TRUE(test::waitUntil([&] { return !document().value(QStringLiteral("beforeAfter")).toBool(); }));

    // The destructive control is refused before anything reaches the window.
    const QJsonObject before = simulator.dump();
    EXPECT_EQ(act("click", [](auto& a) { a.targetName = "Delete Variant"; }),
              "Orbix will not click destructive Capture One controls through UI fallback. Use a dedicated, "
              "validated Capture One command instead.");
    EXPECT_EQ(simulator.dump(), before);

    // A script run by another process shows up in the window's accessible text.
    EXPECT_EQ(act("c1_set_adjustment",
                  [](auto& a) {
                      a.targetName = "exposure";
                      a.value = 1.5;
                  }),
              "Adjusted exposure on 2 selected variant(s).");
    UIAutomationService automation(*accessibility);
    EXPECT_TRUE(test::waitUntil([&] {
        const auto elements = automation.getVisibleElements();
        return std::any_of(elements.begin(), elements.end(), [](const UIElementDescription& e) {
            return e.name == QLatin1String("Exposure 1.5");
        });
    })) << act("inspect_ui").toStdString();

    // Quitting closes the window and leaves the catalog as it was.
    const QJsonObject beforeQuit = simulator.dump();
    EXPECT_TRUE(act("press_key", [](auto& a) { a.key = "command q"; }).startsWith("Capture One: Pressed"));
    EXPECT_TRUE(test::waitUntil([] { return runningSimulators().isEmpty(); }));
    EXPECT_EQ(simulator.dump(), beforeQuit);
}

// Keys are judged by what they would press: a menu opened from the keyboard, or Return on the highlighted
// item of a menu, must not reach a command the veto refuses to click.
TEST_F(SimulatorDesktopTest, TheKeyboardCannotPressADestructiveControl) {
    if (!desktop.unavailableReason().isEmpty())
        GTEST_SKIP() << "No private desktop with a window manager: "
                     << desktop.unavailableReason().toStdString();
    ASSERT_TRUE(openWindow("5", "2")) << act("inspect_ui").toStdString();
    UIAutomationService automation(*accessibility);
    const auto title = [&](const ElementRef& element) {
        return element ? accessibility->stringAttribute(element, StringAttribute::title) : std::nullopt;
    };
    const auto highlighted = [&](const QString& name) {
        return title(automation.keyboardTargets(accessibility->frontmostApplicationElement())
                         .highlightedMenuItem) == name;
    };
    // A click on a menu bar title lands asynchronously; keys sent before its menu is open go elsewhere.
    const auto openMenu = [&](const char* name) {
        EXPECT_EQ(act("click", [&](auto& a) { a.targetName = name; }),
                  QStringLiteral("Capture One: Clicked %1.").arg(QLatin1String(name)));
        EXPECT_TRUE(test::waitUntil([&] {
            const auto focused =
                automation.keyboardTargets(accessibility->frontmostApplicationElement()).focusedOrDefault;
            return std::any_of(focused.begin(), focused.end(), [&](const ElementRef& element) {
                return title(element) == QLatin1String(name);
            });
        })) << name;
        act("press_key", [](auto& a) { a.key = "down"; });
    };

    // The mnemonic that opens the Edit menu with "Delete Variant" highlighted is not sent.
    EXPECT_EQ(
        act("press_key", [](auto& a) { a.key = "option e"; }),
        "Orbix will not open Capture One menus from the keyboard through UI fallback. Click the menu item "
        "by its name instead.");
    EXPECT_EQ(act("press_key", [](auto& a) { a.key = "return"; }), "Capture One: Pressed Return.");

    // A menu opened by a click, its destructive item highlighted: Return is refused.
    openMenu("Edit");
    ASSERT_TRUE(test::waitUntil([&] { return highlighted(QStringLiteral("Delete Variant")); }));
    EXPECT_EQ(act("press_key", [](auto& a) { a.key = "return"; }),
              "Orbix will not press a key that would activate a destructive Capture One control through UI "
              "fallback. Use a dedicated, validated Capture One command instead.");
    act("press_key", [](auto& a) { a.key = "escape"; });
    act("press_key", [](auto& a) { a.key = "escape"; });

    // Input is handled in order: once a later shortcut has landed, whatever came before it has too.
    act("press_key", [](auto& a) { a.key = "command shift b"; });
    ASSERT_TRUE(test::waitUntil([&] { return document().value(QStringLiteral("beforeAfter")).toBool(); }));
    EXPECT_EQ(variantCount(), 5);

    // A harmless highlighted item is pressed, and the reply names it.
    openMenu("File");
    ASSERT_TRUE(test::waitUntil([&] { return highlighted(QStringLiteral("Export Variants\u2026")); }));
    EXPECT_EQ(act("press_key", [](auto& a) { a.key = "return"; }),
              QStringLiteral("Capture One: Pressed Return on Export Variants\u2026"));
    EXPECT_TRUE(
        test::waitUntil([&] { return document().value(QStringLiteral("exports")).toArray().size() == 1; }));

    // A click that matched more than was asked for names what it pressed.
    act("press_key", [](auto& a) { a.key = "escape"; });
    EXPECT_EQ(act("click", [](auto& a) { a.targetName = "Export"; }),
              QStringLiteral("Capture One: Clicked Export Variants\u2026"));
}
