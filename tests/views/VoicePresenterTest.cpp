// What the window does for the model's voice side: the desktop's sound settings, the permission alert and
// bringing every window forward.
#include "AppModelTestHarness.h"
#include "model/AppIntentRouter.h"
#include "support/TestSupport.h"
#include "views/ContentView.h"
#include "views/SoundSettings.h"
#include "views/WindowPresenter.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::views;
using orbix::test::waitUntil;

TEST(SoundSettings, DesktopPanelsOnlyOnTheirDesktopAndTheVolumeControlAnywhere) {
    const struct {
        const char* desktop;
        QStringList installed;
        std::optional<SoundSettingsCommand> expected;
    } cases[] = {
        {"GNOME",
         {"pavucontrol", "gnome-control-center"},
         SoundSettingsCommand{"/bin/gnome-control-center", {"sound"}}},
        {"ubuntu:GNOME",
         {"gnome-control-center"},
         SoundSettingsCommand{"/bin/gnome-control-center", {"sound"}}},
        {"XFCE", {"gnome-control-center", "pavucontrol"}, SoundSettingsCommand{"/bin/pavucontrol", {}}},
        {"KDE",
         {"systemsettings5", "pavucontrol-qt"},
         SoundSettingsCommand{"/bin/systemsettings5", {"kcm_pulseaudio"}}},
        {"", {"pavucontrol-qt"}, SoundSettingsCommand{"/bin/pavucontrol-qt", {}}},
        {"GNOME", {"systemsettings"}, std::nullopt},
        {"", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto found = findSoundSettings(QString::fromLatin1(c.desktop), [&](const QString& name) {
            return c.installed.contains(name) ? "/bin/" + name : QString();
        });
        EXPECT_EQ(found, c.expected) << c.desktop << " " << c.installed.join(',').toStdString();
    }
}

class WindowForVoice : public orbix::test::AppModelTest {
protected:
    WindowForVoice() {
        makeModel();
        window = std::make_unique<ContentView>(*model, router);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QList<QMessageBox*> alerts() const { return window->findChildren<QMessageBox*>("voicePermissionAlert"); }

    AppIntentRouter router;
    std::unique_ptr<ContentView> window;
};

TEST_F(WindowForVoice, TheAlertOpensTheSoundSettingsAndAppearsOnce) {
    const QString marker = home.filePath("settings-opened");
    const QString program = home.filePath("open-settings");
    orbix::test::writeFile(program, ("#!/bin/sh\necho \"$@\" > '" + marker + "'\n").toUtf8());
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    WindowPresenter presenter(*window, SoundSettingsCommand{program, {"sound"}});
    model->setPresenter(&presenter);

    model->showVoicePermissionAlert(VoicePermission::microphone);
    model->showVoicePermissionAlert(VoicePermission::speechRecognition);
    ASSERT_EQ(alerts().size(), 1);
    QMessageBox* alert = alerts().first();
    EXPECT_TRUE(alert->isVisible());
    EXPECT_FALSE(alert->isModal()) << "the model goes on while the alert is up";
    EXPECT_EQ(alert->text(), "Microphone Access Needed");
    EXPECT_EQ(alert->informativeText(),
              "Allow Orbix to use the microphone so Hey Orbix and Realtime voice can listen for commands.");
    auto* open = alert->findChild<QPushButton*>("openSettingsButton");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), "Open System Settings");
    EXPECT_EQ(alert->findChild<QPushButton*>("dismissButton")->text(), "Not Now");

    open->click();
    EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); }));
    EXPECT_TRUE(waitUntil([&] { return alerts().isEmpty(); })) << "the alert closes";
    model->setPresenter(nullptr);
}

TEST_F(WindowForVoice, WithoutKnownSoundSettingsOnlyNotNowIsOffered) {
    WindowPresenter presenter(*window, std::nullopt);
    model->setPresenter(&presenter);
    model->showVoicePermissionAlert(VoicePermission::speechRecognition);
    ASSERT_EQ(alerts().size(), 1);
    EXPECT_EQ(alerts().first()->text(), "Speech Recognition Access Needed");
    EXPECT_EQ(alerts().first()->findChild<QPushButton*>("openSettingsButton"), nullptr);
    EXPECT_EQ(alerts().first()->buttons().size(), 1);
    model->setPresenter(nullptr);
}

TEST_F(WindowForVoice, BringingTheAppForwardRestoresItsOpenWindowsOnly) {
    QWidget other;
    other.show();
    other.showMinimized();
    QWidget closed;
    window->showMinimized();
    ASSERT_TRUE(waitUntil([&] { return window->isMinimized() && other.isMinimized(); }));

    model->bringAppToFront();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(other.isMinimized());
    EXPECT_FALSE(closed.isVisible()) << "a window that is not open stays closed";

    // Minimised again in between, the second activation a moment later restores it once more.
    window->showMinimized();
    EXPECT_TRUE(waitUntil([&] { return !window->isMinimized(); }));
}
