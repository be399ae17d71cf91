#pragma once
// What one start of the desktop application asks for: just the window, a section, or a note (a prompt
// typed in for the user). The first instance applies it itself; a later start hands it over the session
// bus to the instance that owns the name and exits.

#include <QDBusConnection>
#include <QString>
#include <optional>

namespace orbix {

class AppIntentRouter;

struct DesktopRequest {
    enum class Kind { activate, openSection, createNote };
    Kind kind = Kind::activate;
    QString argument; // the section's raw value, or the note's text exactly as given
};

struct ForwardResult {
    bool delivered = false;
    QString reply; // the running instance's dialog, when it answers with one
    QString error; // why the request was not delivered or was refused
};

// Blocking call to the running instance at `destination` (its unique bus name, so that the request goes to
// the owner that was checked): used only by a short-lived second start, which has no window.
ForwardResult forwardToRunningInstance(const QDBusConnection& connection, const DesktopRequest& request,
                                       const QString& destination);

// Leaves the request's route in the router (the window applies it when it first shows). An unknown
// section is refused with a sentence and leaves nothing.
std::optional<QString> applyDesktopRequest(AppIntentRouter& router, const DesktopRequest& request);

} // namespace orbix
