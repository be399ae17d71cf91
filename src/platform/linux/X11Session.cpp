#include "platform/linux/X11Session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbix::x11 {

namespace {

// Errors counted by the handler while any session is open (everything runs on the main thread).
unsigned long errorCount = 0;

int countingErrorHandler(Display*, XErrorEvent*) {
    ++errorCount;
    return 0;
}

} // namespace

X11Session::X11Session() {
    display_ = XOpenDisplay(nullptr);
    if (display_) {
        previousHandler_ = reinterpret_cast<void*>(XSetErrorHandler(countingErrorHandler));
        errorsSeen_ = errorCount;
    }
}

X11Session::~X11Session() {
    if (display_) {
        XSync(display_, False);
        XSetErrorHandler(reinterpret_cast<XErrorHandler>(previousHandler_));
        XCloseDisplay(display_);
    }
}

bool X11Session::syncAndClearErrors() {
    if (!display_) {
        return false;
    }
    XSync(display_, False);
    const bool clean = errorCount == errorsSeen_;
    errorsSeen_ = errorCount;
    return clean;
}

std::vector<unsigned long> X11Session::longProperty(unsigned long window, const char* name, unsigned long type,
                                                    long maximumItems) {
    std::vector<unsigned long> values;
    const Atom property = XInternAtom(display_, name, True);
    if (property == None) {
        return values;
    }
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0;
    unsigned long bytesAfter = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display_, window, property, 0, maximumItems, False, type, &actualType,
                                          &actualFormat, &items, &bytesAfter, &data);
    if (syncAndClearErrors() && status == Success && data && actualType == type && actualFormat == 32) {
        // Format-32 properties come back as an array of long, whatever the platform's word size.
        const long* longs = reinterpret_cast<long*>(data);
        values.assign(longs, longs + items);
    }
    if (data) {
        XFree(data);
    }
    return values;
}

std::optional<unsigned long> X11Session::windowProperty(unsigned long window, const char* name,
                                                        unsigned long type) {
    const std::vector<unsigned long> values = longProperty(window, name, type, 1);
    return values.empty() ? std::nullopt : std::optional<unsigned long>(values.front());
}

std::optional<qint64> X11Session::activeWindowProcessId() {
    if (!display_) {
        return std::nullopt;
    }
    const auto window = windowProperty(DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (!window || *window == None) {
        return std::nullopt;
    }
    const auto pid = windowProperty(*window, "_NET_WM_PID", XA_CARDINAL);
    if (!pid || *pid == 0) {
        return std::nullopt;
    }
    return static_cast<qint64>(*pid);
}

std::vector<qint64> X11Session::stackedWindowProcessIds() {
    std::vector<qint64> processes;
    if (!display_) {
        return processes;
    }
    const long maximumWindows = 4096;
    const auto windows =
        longProperty(DefaultRootWindow(display_), "_NET_CLIENT_LIST_STACKING", XA_WINDOW, maximumWindows);
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (const auto pid = windowProperty(*window, "_NET_WM_PID", XA_CARDINAL); pid && *pid != 0) {
            processes.push_back(static_cast<qint64>(*pid));
        }
    }
    return processes;
}

std::optional<QByteArray> X11Session::rootStringProperty(const char* name) {
    if (!display_) {
        return std::nullopt;
    }
    const Atom property = XInternAtom(display_, name, True);
    if (property == None) {
        return std::nullopt;
    }
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0;
    unsigned long bytesAfter = 0;
    unsigned char* data = nullptr;
    const long maximumLongs = 1024;
    const int status =
        XGetWindowProperty(display_, DefaultRootWindow(display_), property, 0, maximumLongs, False,
                           AnyPropertyType, &actualType, &actualFormat, &items, &bytesAfter, &data);
    std::optional<QByteArray> value;
    if (syncAndClearErrors() && status == Success && data && actualFormat == 8 && items > 0) {
        value = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(items));
    }
    if (data) {
        XFree(data);
    }
    return value;
}

} // namespace orbix::x11
