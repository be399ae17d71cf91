#include "app/TerminalInterrupt.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orbix {

namespace {

constexpr std::array handledSignals{SIGINT, SIGTERM};

// The write end for the handler and the read end for the event loop; -1 while no instance is installed.
int signalSockets[2] = {-1, -1};
struct sigaction previousActions[handledSignals.size()];

void writeWakeByte(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // Async-signal-safe; a full socket already holds a pending wake-up, so a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminalInterrupt::TerminalInterrupt(std::function<void()> interrupted, QObject* parent)
    : QObject(parent), interrupted_(std::move(interrupted)) {
    if (signalSockets[0] != -1 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) {
        return;
    }
    for (const int socket : signalSockets) {
        ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK);
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { drain(); });
    struct sigaction action {};
    action.sa_handler = writeWakeByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < handledSignals.size(); ++index) {
        ::sigaction(handledSignals[index], &action, &previousActions[index]);
    }
    installed_ = true;
}

TerminalInterrupt::~TerminalInterrupt() {
    if (!installed_) {
        return;
    }
    for (std::size_t index = 0; index < handledSignals.size(); ++index) {
        ::sigaction(handledSignals[index], &previousActions[index], nullptr);
    }
    notifier_.reset();
    for (int& socket : signalSockets) {
        ::close(socket);
        socket = -1;
    }
}

void TerminalInterrupt::drain() {
    char buffer[64];
    bool received = false;
    while (::read(signalSockets[1], buffer, sizeof buffer) > 0) {
        received = true;
    }
    // Several signals before the event loop came round count as one per wake-up; a second Ctrl+C later
    // arrives on its own.
    if (received && interrupted_) {
        interrupted_();
    }
}

} // namespace orbix
