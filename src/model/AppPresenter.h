#pragma once
// Port: what the model asks of the front end that shows it, beyond its published state. The window brings
// itself forward and shows alerts; the command line has no window and prints alerts.
//
// Contract: called on the main thread; neither call waits for the user.

#include <QString>

namespace orbix {

// Which permission a voice failure is about.
enum class VoicePermission { microphone, speechRecognition };

struct VoicePermissionAlert {
    VoicePermission permission = VoicePermission::microphone;
    QString messageText;
    QString informativeText;
    // Opens the desktop's settings for the permission; a front end that knows none leaves this button out.
    QString openSettingsButton;
    QString dismissButton;

    friend bool operator==(const VoicePermissionAlert&, const VoicePermissionAlert&) = default;
};

class AppPresenter {
public:
    virtual ~AppPresenter() = default;
    // Restores, raises and activates every window of the application.
    virtual void activateAppWindows() = 0;
    // Shows the alert and returns at once.
    virtual void presentVoicePermissionAlert(const VoicePermissionAlert& alert) = 0;
};

} // namespace orbix
