#pragma once
// A private desktop for tests that need real X11 and accessibility services: an Xvfb server, optionally a
// window manager (openbox, which announces the active window as desktops do), a session D-Bus and the
// AT-SPI bus launcher, each started by the test and stopped when the object goes.
// DISPLAY and DBUS_SESSION_BUS_ADDRESS point at them while the object lives.

#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <memory>

namespace orbix::x11 {
class X11Session;
}
#include <vector>

namespace orbix::test {

class VirtualDesktop {
public:
    enum class Services { displayOnly, withAccessibility };
    enum class WindowManager { none, openbox };

    explicit VirtualDesktop(Services services, WindowManager windowManager = WindowManager::none);
    ~VirtualDesktop();
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    // Empty when everything runs; otherwise why not (a missing tool, a service that did not start).
    const QString& unavailableReason() const { return reason_; }
    // The environment for programs started on this desktop.
    QProcessEnvironment environment() const;
    // Sets the root window's _NET_ACTIVE_WINDOW, as a window manager would; false on an X error.
    bool announceActiveWindow(unsigned long window);
    // Sets the root window's _NET_CLIENT_LIST_STACKING (bottom first), as a window manager would.
    bool announceStacking(const std::vector<unsigned long>& windows);
    // Creates a window whose _NET_WM_PID names the process; it lives as long as the desktop object. 0 on
    // failure.
    unsigned long createWindowOwnedBy(qint64 pid);

private:
    QProcess* start(const QString& program, const QStringList& arguments);
    bool startDisplay();
    bool startWindowManager();
    bool startSessionBus();
    bool startAccessibilityBus();

    std::vector<std::unique_ptr<QProcess>> processes_;
    std::unique_ptr<x11::X11Session> windowOwner_;
    std::vector<std::unique_ptr<ScopedEnvironment>> environment_;
    QString reason_;
    QString display_;
    QString busAddress_;
};

} // namespace orbix::test
