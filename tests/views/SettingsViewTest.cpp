// The settings window over settings of its own, the real resolver and the simulator: first-launch values, each
// control writing through, the version picker with installed and stale paths, and the connection check.
#include "views/SettingsView.h"

#include "AppModelTestHarness.h"
#include "captureone/CaptureOneService.h"
#include "core/Settings.h"
#include "model/AppIntentRouter.h"
#include "model/AppModel.h"
#include "support/TestSupport.h"
#include "views/ContentView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::views;
using orbix::test::waitUntil;

namespace {

// Clicks on the check box's indicator (its middle may lie past the end of a short label).
void clickToggle(QCheckBox* toggle) {
    QTest::mouseClick(toggle, Qt::LeftButton, {}, QPoint(toggle->height() / 2, toggle->height() / 2));
}

class SettingsWindow : public orbix::test::AppModelTest {
protected:
    QVariant storedValue(const char* key) const {
        return QSettings(setup.storeFile, QSettings::IniFormat).value(QLatin1String(key));
    }
    SettingsView& openSettings() {
        view = std::make_unique<SettingsView>(settings, captureOne, dispatcher);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return *view;
    }
    QStringList pickerLabels() const {
        QStringList labels;
        for (int i = 0; i < view->versionPicker()->count(); ++i) {
            labels << view->versionPicker()->itemText(i);
        }
        return labels;
    }
    // Clicks the button and waits for the check's answer.
    QString runCheck(QPushButton* button) {
        QSignalSpy answered(view.get(), &SettingsView::connectionResultChanged);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(view->isBusy());
        EXPECT_FALSE(view->testButton()->isEnabled()) << "the buttons show the check is running";
        EXPECT_FALSE(view->openButton()->isEnabled());
        EXPECT_TRUE(waitUntil([&] { return answered.count() == 1; }));
        EXPECT_TRUE(view->testButton()->isEnabled());
        EXPECT_TRUE(view->openButton()->isEnabled());
        return view->connectionResult();
    }

    Settings& settings = setup.settings;
    std::unique_ptr<SettingsView> view;
};

} // namespace

TEST_F(SettingsWindow, FirstLaunchShowsTheDefaultsAndTheHint) {
    openSettings();
    EXPECT_TRUE(view->quietModeToggle()->isChecked());
    EXPECT_FALSE(view->readAloudToggle()->isChecked());
    EXPECT_FALSE(view->computerControlToggle()->isChecked());
    EXPECT_EQ(view->versionPicker()->currentIndex(), 0);
    EXPECT_EQ(view->versionPicker()->currentText(), QStringLiteral("Latest installed (Automatic)"));
    EXPECT_EQ(view->resultLabel()->text(), SettingsView::connectionHint);
    EXPECT_EQ(view->width(), SettingsView::kFormWidth + 2 * SettingsView::kPadding);
}

TEST_F(SettingsWindow, EachToggleWritesThroughAtOnceUnderItsKey) {
    openSettings();
    QSignalSpy quietChanges(&settings, &Settings::startInQuietModeChanged);
    clickToggle(view->computerControlToggle());
    EXPECT_EQ(storedValue(settingsKeys::allowComputerControl), QVariant(true));
    // The conversation toggles change nothing on Linux: they are shown greyed, explained, and follow the
    // stored values without taking clicks.
    for (QCheckBox* toggle : {view->quietModeToggle(), view->readAloudToggle()}) {
        EXPECT_FALSE(toggle->isEnabled());
        EXPECT_TRUE(toggle->toolTip().startsWith(QStringLiteral("Not used on Linux yet")))
            << toggle->text().toStdString();
        clickToggle(toggle);
    }
    EXPECT_FALSE(storedValue(settingsKeys::startInQuietMode).isValid());
    EXPECT_EQ(quietChanges.count(), 0);
    settings.setStartInQuietMode(false);
    settings.setReadResponsesAloud(true);
    EXPECT_FALSE(view->quietModeToggle()->isChecked());
    EXPECT_TRUE(view->readAloudToggle()->isChecked());
    EXPECT_EQ(quietChanges.count(), 1);

    // Setting the value it already has is not a change.
    settings.setStartInQuietMode(false);
    EXPECT_EQ(quietChanges.count(), 1);
    // A second window (or the next launch) reads the stored values.
    Settings reloaded{setup.storeFile};
    EXPECT_FALSE(reloaded.startInQuietMode());
    EXPECT_TRUE(reloaded.readResponsesAloud());
    EXPECT_TRUE(reloaded.allowComputerControl());
}

TEST_F(SettingsWindow, SpeaksLinuxAndClosesOnEscapeAndCtrlW) {
    openSettings();
    QStringList texts;
    for (const QLabel* label : view->findChildren<QLabel*>()) {
        texts << label->text();
    }
    const QString all = texts.join(QLatin1Char('\n'));
    EXPECT_FALSE(all.contains(QStringLiteral("macOS"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("AT\u2011SPI"))) << "a hyphen that never breaks the name";
    EXPECT_TRUE(all.contains(QStringLiteral("Capture One Simulator")));

    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        QTest::keySequence(view.get(), keys);
        EXPECT_FALSE(view->isVisible()) << keys.toString().toStdString();
    }
}

TEST_F(SettingsWindow, TheBatchThresholdIsAWholeNumberOfPhotosWithZeroForNever) {
    openSettings();
    EXPECT_EQ(view->batchThresholdField()->value(), 50);
    view->batchThresholdField()->setValue(0);
    EXPECT_EQ(storedValue(settingsKeys::batchConfirmationThreshold), QVariant(0));
    EXPECT_EQ(view->batchThresholdField()->text(), QStringLiteral("Never ask"));
    settings.setBatchConfirmationThreshold(-5);
    EXPECT_EQ(settings.batchConfirmationThreshold(), 0) << "clamped, not stored as given";
    settings.setBatchConfirmationThreshold(200);
    EXPECT_EQ(view->batchThresholdField()->value(), 200) << "a change made elsewhere shows";
    // A value that is no count of photos (edited by hand) reads as the default.
    for (const char* stored : {"many", "-3", "12.5", "99999999999"}) {
        QSettings(setup.storeFile, QSettings::IniFormat)
            .setValue(QLatin1String(settingsKeys::batchConfirmationThreshold), QString::fromLatin1(stored));
        EXPECT_EQ(settings.batchConfirmationThreshold(), Settings::defaultBatchConfirmationThreshold) << stored;
    }
}

TEST_F(SettingsWindow, ComputerControlReachesTheDispatcherThroughTheSharedKey) {
    openSettings();
    // With the toggle off the UI fallback refuses and names the setting; on, it is allowed to look.
    auto inspect = [&] {
        std::optional<QString> summary;
        ComputerUseArguments arguments;
        arguments.action = QStringLiteral("inspect_ui");
        dispatcher.executeAction(arguments, [&](const ComputerUseResult& result) { summary = result.summary; });
        EXPECT_TRUE(waitUntil([&] { return summary.has_value(); }));
        return summary.value_or(QString());
    };
    const QString refused = inspect();
    EXPECT_TRUE(refused.contains(QStringLiteral("Allow Computer Control"))) << refused.toStdString();
    clickToggle(view->computerControlToggle());
    EXPECT_NE(inspect(), refused);
}

TEST_F(SettingsWindow, PickerListsInstalledVersionsAndStoresOnlyTheUsersChoice) {
    const QString bundle = applications.filePath(QStringLiteral("Capture One 23.app"));
    test::writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                    "<key>CFBundleIdentifier</key><string>com.captureone.captureone16</string>"
                    "<key>CFBundleShortVersionString</key><string>16.3.2</string></dict></plist>\n");
    openSettings();
    const QStringList labels = pickerLabels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels.first(), QStringLiteral("Latest installed (Automatic)"));
    EXPECT_TRUE(labels.contains(QStringLiteral("Capture One 23 (16.3.2)"))) << labels.join(u'|').toStdString();
    EXPECT_FALSE(storedValue(settingsKeys::preferredCaptureOnePath).isValid())
        << "filling the list stores nothing";

    const int pinned = view->versionPicker()->findText(QStringLiteral("Capture One 23 (16.3.2)"));
    view->versionPicker()->setCurrentIndex(pinned);
    emit view->versionPicker()->activated(pinned);
    EXPECT_EQ(storedValue(settingsKeys::preferredCaptureOnePath).toString(),
              QFileInfo(bundle).absoluteFilePath());

    view->versionPicker()->setCurrentIndex(0);
    emit view->versionPicker()->activated(0);
    EXPECT_EQ(storedValue(settingsKeys::preferredCaptureOnePath).toString(), QString()) << "back to automatic";
}

TEST_F(SettingsWindow, StalePathSelectsNoChoiceAndIsKept) {
    const QString stale = QStringLiteral("/Applications/Capture One 20.app");
    settings.setPreferredCaptureOnePath(stale);
    openSettings();
    EXPECT_EQ(view->versionPicker()->currentIndex(), -1);
    EXPECT_EQ(storedValue(settingsKeys::preferredCaptureOnePath).toString(), stale)
        << "showing it does not clear it";

    // A version pinned elsewhere (an open-Capture-One command) is selected while the window is open.
    settings.setPreferredCaptureOnePath(QString());
    EXPECT_EQ(view->versionPicker()->currentIndex(), 0);
}

TEST_F(SettingsWindow, ConnectionCheckOnTheSimulator) {
    openSettings();
    simulator.command({"select", "none"});
    EXPECT_EQ(runCheck(view->testButton()), QStringLiteral("No variants selected."));
    EXPECT_EQ(view->resultLabel()->text(), QStringLiteral("No variants selected."));

    simulator.command({"select", "2"});
    const QStringList lines = runCheck(view->testButton()).split(u'\n');
    ASSERT_EQ(lines.size(), 4) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Selected variants: 1"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Primary: ")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("File: /")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Rating: ")));

    simulator.command({"close-document"});
    EXPECT_TRUE(
        runCheck(view->testButton()).contains(QStringLiteral("Open a Capture One catalog or session first.")));
}

TEST_F(SettingsWindow, OpenCaptureOneAnswersInTheResultLine) {
    openSettings();
    const QString result = runCheck(view->openButton());
    EXPECT_FALSE(result.isEmpty());
    EXPECT_EQ(view->resultLabel()->text(), result);
    // A window closed while a check runs is not touched by the late answer.
    QSignalSpy scriptFinished(&captureOne, &CaptureOneService::lastMessageChanged);
    QTest::mouseClick(view->testButton(), Qt::LeftButton);
    view.reset();
    EXPECT_TRUE(waitUntil([&] { return scriptFinished.count() > 0; }));
}

// An answer quoting markup (here the system's reason a launch failed) is shown as text: the result line
// does not load the image it names nor grow to its size.
TEST_F(SettingsWindow, TheResultLineShowsMarkupAsText) {
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("large.png"));
    ASSERT_TRUE(QImage(600, 600, QImage::Format_RGB32).save(picture));
    workspace.openError = QStringLiteral("<img src=\"") + picture + QStringLiteral("\">X");
    openSettings();
    const QString result = runCheck(view->openButton());
    ASSERT_TRUE(result.endsWith(*workspace.openError)) << result.toStdString();
    EXPECT_EQ(view->resultLabel()->text(), result);
    EXPECT_LT(view->resultLabel()->sizeHint().height(), 300);
}

TEST_F(SettingsWindow, MenuCommandAsksForTheSettingsWindow) {
    makeModel();
    AppIntentRouter router;
    ContentView window(*model, router);
    auto* action = window.findChild<QAction*>(QStringLiteral("settingsAction"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("Settings\u2026"));
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QSignalSpy requested(&window, &ContentView::settingsRequested);
    action->trigger();
    EXPECT_EQ(requested.count(), 1);
}

// Renders the window for a person to look at (ORBIX_RENDER_DIR=folder); checks only that it rendered.
TEST_F(SettingsWindow, RendersItsForm) {
    simulator.command({"select", "none"});
    openSettings();
    runCheck(view->testButton());
    const QImage image = view->grab().toImage();
    EXPECT_EQ(image.width(), SettingsView::kFormWidth + 2 * SettingsView::kPadding);
    if (const QString folder = qEnvironmentVariable("ORBIX_RENDER_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(image.save(QDir(folder).filePath(QStringLiteral("settings.png"))));
    }
}
