#pragma once
// A short-lived connection to the X server named by DISPLAY, with X protocol errors collected instead of
// ending the process (Xlib's default handler exits on a BadWindow from a stale window id).

#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <vector>

typedef struct _XDisplay Display;

namespace orbix::x11 {

class X11Session {
public:
    // Connects to DISPLAY; check isOpen().
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool isOpen() const { return display_ != nullptr; }
    Display* display() const { return display_; }

    // The process that owns the window the window manager reports as active (_NET_ACTIVE_WINDOW, then that
    // window's _NET_WM_PID). None without a window manager announcing one.
    std::optional<qint64> activeWindowProcessId();
    // The processes owning the client windows in the window manager's stacking order, topmost first
    // (_NET_CLIENT_LIST_STACKING); windows without _NET_WM_PID are left out.
    std::vector<qint64> stackedWindowProcessIds();
    // A string property of the root window (e.g. AT_SPI_BUS); none when absent.
    std::optional<QByteArray> rootStringProperty(const char* name);
    // Sends everything queued and waits for the server; true when no X error happened since the last call.
    bool syncAndClearErrors();

private:
    std::optional<unsigned long> windowProperty(unsigned long window, const char* name, unsigned long type);
    // The format-32 values of a property of the given type, at most `maximumItems` of them.
    std::vector<unsigned long> longProperty(unsigned long window, const char* name, unsigned long type,
                                            long maximumItems);

    Display* display_ = nullptr;
    void* previousHandler_ = nullptr;
    unsigned long errorsSeen_ = 0;
};

} // namespace orbix::x11
