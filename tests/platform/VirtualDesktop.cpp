#include "VirtualDesktop.h"

#include "platform/linux/AccessibilityBus.h"
#include "platform/linux/X11Session.h"

#include <QFileInfo>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbix::test {

namespace {

constexpr auto serviceStartTimeout = std::chrono::seconds(20);
constexpr auto serviceStopTimeoutMs = 5000;

} // namespace

VirtualDesktop::VirtualDesktop(Services services, WindowManager windowManager) {
    environment_.push_back(std::make_unique<ScopedEnvironment>("AT_SPI_BUS_ADDRESS", std::nullopt));
    environment_.push_back(std::make_unique<ScopedEnvironment>("WAYLAND_DISPLAY", std::nullopt));
    if (!startDisplay()) {
        return;
    }
    if (windowManager == WindowManager::openbox && !startWindowManager()) {
        return;
    }
    if (services == Services::withAccessibility) {
        startSessionBus() && startAccessibilityBus();
    }
}

VirtualDesktop::~VirtualDesktop() {
    // Xlib ends the process when its server goes away under an open connection.
    windowOwner_.reset();
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
        QProcess& process = **it;
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(serviceStopTimeoutMs)) {
                process.kill();
                process.waitForFinished(serviceStopTimeoutMs);
            }
        }
    }
    // Restores DISPLAY and the bus variables.
    environment_.clear();
}

unsigned long VirtualDesktop::createWindowOwnedBy(qint64 pid) {
    if (!windowOwner_) {
        windowOwner_ = std::make_unique<x11::X11Session>();
    }
    if (!windowOwner_->isOpen()) {
        return 0;
    }
    Display* display = windowOwner_->display();
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    const long value = static_cast<long>(pid);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
    return windowOwner_->syncAndClearErrors() ? window : 0;
}

QProcessEnvironment VirtualDesktop::environment() const {
    return QProcessEnvironment::systemEnvironment();
}

bool VirtualDesktop::announceActiveWindow(unsigned long window) {
    x11::X11Session session;
    if (!session.isOpen()) {
        return false;
    }
    Display* display = session.display();
    const Atom active = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    const long value = static_cast<long>(window);
    XChangeProperty(display, DefaultRootWindow(display), active, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    return session.syncAndClearErrors();
}

bool VirtualDesktop::announceStacking(const std::vector<unsigned long>& windows) {
    x11::X11Session session;
    if (!session.isOpen()) {
        return false;
    }
    Display* display = session.display();
    const std::vector<long> values(windows.begin(), windows.end());
    XChangeProperty(display, DefaultRootWindow(display),
                    XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()), int(values.size()));
    return session.syncAndClearErrors();
}

QProcess* VirtualDesktop::start(const QString& program, const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->start(program, arguments);
    if (!process->waitForStarted()) {
        reason_ = program + QStringLiteral(" did not start: ") + process->errorString();
        return nullptr;
    }
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

bool VirtualDesktop::startDisplay() {
    const QString xvfb = findProgram(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        reason_ = QStringLiteral("Xvfb is not installed (scripts/install-deps installs xvfb)");
        return false;
    }
    // -displayfd 1: the server picks a free display and writes its number to standard output. -noreset:
    // the server does not reset whenever its last client leaves, which made the next one (a window
    // manager starting right after a probe) fail to connect.
    QProcess* server =
        start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!server) {
        return false;
    }
    QByteArray output;
    const bool ready = waitUntil(
        [&] {
            output += server->readAllStandardOutput();
            return output.contains('\n') || server->state() == QProcess::NotRunning;
        },
        serviceStartTimeout);
    bool ok = false;
    const int number = output.trimmed().toInt(&ok);
    if (!ready || !ok) {
        reason_ = QStringLiteral("Xvfb did not report a display: ") +
                  QString::fromLocal8Bit(server->readAllStandardError());
        return false;
    }
    display_ = QStringLiteral(":%1").arg(number);
    environment_.push_back(std::make_unique<ScopedEnvironment>("DISPLAY", display_.toLocal8Bit()));
    return true;
}

bool VirtualDesktop::startWindowManager() {
    const QString openbox = findProgram(QStringLiteral("openbox"));
    if (openbox.isEmpty()) {
        reason_ = QStringLiteral("openbox is not installed (scripts/install-deps installs it)");
        return false;
    }
    // Ready once it has claimed the screen: a compliant window manager sets _NET_SUPPORTING_WM_CHECK.
    const auto managesScreen = [] {
        x11::X11Session session;
        if (!session.isOpen()) {
            return false;
        }
        Display* display = session.display();
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(display, DefaultRootWindow(display),
                                              XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1,
                                              False, XA_WINDOW, &type, &format, &count, &remaining, &data);
        if (data) {
            XFree(data);
        }
        return status == Success && count == 1;
    };
    // No session manager; the default configuration focuses new windows.
    QProcess* manager = start(openbox, {QStringLiteral("--sm-disable")});
    if (!manager) {
        return false;
    }
    waitUntil([&] { return managesScreen() || manager->state() == QProcess::NotRunning; }, serviceStartTimeout);
    if (manager->state() == QProcess::NotRunning || !managesScreen()) {
        reason_ = QStringLiteral("openbox did not take over the display: ") +
                  QString::fromLocal8Bit(manager->readAllStandardError());
        return false;
    }
    return true;
}

bool VirtualDesktop::startSessionBus() {
    const QString daemon = findProgram(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        reason_ = QStringLiteral("dbus-daemon is not installed (scripts/install-deps installs dbus)");
        return false;
    }
    QProcess* bus = start(
        daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!bus) {
        return false;
    }
    QByteArray output;
    waitUntil(
        [&] {
            output += bus->readAllStandardOutput();
            return output.contains('\n') || bus->state() == QProcess::NotRunning;
        },
        serviceStartTimeout);
    busAddress_ = QString::fromLocal8Bit(output.trimmed());
    if (busAddress_.isEmpty()) {
        reason_ = QStringLiteral("dbus-daemon did not report an address: ") +
                  QString::fromLocal8Bit(bus->readAllStandardError());
        return false;
    }
    environment_.push_back(
        std::make_unique<ScopedEnvironment>("DBUS_SESSION_BUS_ADDRESS", busAddress_.toLocal8Bit()));
    return true;
}

bool VirtualDesktop::startAccessibilityBus() {
    const QString launcher = accessibilityBusLauncher();
    if (launcher.isEmpty()) {
        reason_ =
            QStringLiteral("at-spi-bus-launcher is not installed (scripts/install-deps installs at-spi2-core)");
        return false;
    }
    if (!start(launcher, {QStringLiteral("--launch-immediately")})) {
        return false;
    }
    const bool reachable = waitUntil(
        [] {
            const auto address = a11ybus::address();
            return address && a11ybus::isReachable(*address);
        },
        serviceStartTimeout);
    if (!reachable) {
        reason_ = QStringLiteral("the accessibility bus did not come up");
        return false;
    }
    return true;
}

} // namespace orbix::test
