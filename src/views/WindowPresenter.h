#pragma once
// The window's side of the model's presenter port: brings every window of the application forward, the
// main window last so that it takes the keyboard, and shows the voice permission alert as a non-modal
// message box over the main window. Its first button opens the desktop's sound settings and is left out
// when none are known.

#include "model/AppPresenter.h"
#include "views/SoundSettings.h"

#include <QMessageBox>
#include <QPointer>
#include <optional>

namespace orbix::views {

class ContentView;

class WindowPresenter final : public AppPresenter {
public:
    // `soundSettings`: what the alert's first button opens; findSoundSettings() when not given.
    explicit WindowPresenter(ContentView& window);
    WindowPresenter(ContentView& window, std::optional<SoundSettingsCommand> soundSettings);

    void activateAppWindows() override;
    void presentVoicePermissionAlert(const VoicePermissionAlert& alert) override;

    // The alert on screen, if any (for tests).
    QMessageBox* alert() const { return alert_; }

private:
    ContentView& window_;
    std::optional<SoundSettingsCommand> soundSettings_;
    QPointer<QMessageBox> alert_;
};

} // namespace orbix::views
