#pragma once
// Turns Ctrl+C (SIGINT) and SIGTERM into a call on the main thread from the event loop, so that a terminal
// front end can stop its work cleanly instead of being killed half-way. The signal handler only writes a
// byte to a socket that the event loop watches. One instance at a time; the previous handlers come back
// when it is destroyed.

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace orbix {

class TerminalInterrupt : public QObject {
public:
    explicit TerminalInterrupt(std::function<void()> interrupted, QObject* parent = nullptr);
    ~TerminalInterrupt() override;
    TerminalInterrupt(const TerminalInterrupt&) = delete;
    TerminalInterrupt& operator=(const TerminalInterrupt&) = delete;

    // Whether the handlers are installed (false when the socket pair could not be made).
    bool isInstalled() const { return installed_; }

private:
    void drain();

    std::function<void()> interrupted_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool installed_ = false;
};

} // namespace orbix
