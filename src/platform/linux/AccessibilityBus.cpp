#include "platform/linux/AccessibilityBus.h"

#include "platform/linux/X11Session.h"

#include <QDir>
#include <QFileInfo>
#include <dbus/dbus.h>

namespace orbix::a11ybus {

namespace {

// How long the session bus may take to answer GetAddress (it may start the bus launcher first).
constexpr int getAddressTimeoutMs = 3000;

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;

Connection openRegistered(const QByteArray& address) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* raw = dbus_connection_open_private(address.constData(), &error);
    if (!raw) {
        dbus_error_free(&error);
        return nullptr;
    }
    Connection connection(raw);
    dbus_connection_set_exit_on_disconnect(raw, FALSE);
    if (!dbus_bus_register(raw, &error)) {
        dbus_error_free(&error);
        return nullptr;
    }
    return connection;
}

// The session bus address as libdbus would find it, without starting one (no autolaunch).
std::optional<QByteArray> sessionBusAddress() {
    const QByteArray fromEnvironment = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty()) {
        const QString socket = QDir(QString::fromLocal8Bit(runtimeDir)).filePath(QStringLiteral("bus"));
        if (QFileInfo::exists(socket)) {
            return QByteArrayLiteral("unix:path=") + socket.toLocal8Bit();
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> addressFromSessionBus() {
    const auto sessionAddress = sessionBusAddress();
    if (!sessionAddress) {
        return std::nullopt;
    }
    const Connection session = openRegistered(*sessionAddress);
    if (!session) {
        return std::nullopt;
    }
    DBusMessage* call =
        dbus_message_new_method_call("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress");
    if (!call) {
        return std::nullopt;
    }
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(session.get(), call, getAddressTimeoutMs, &error);
    dbus_message_unref(call);
    if (!reply) {
        dbus_error_free(&error);
        return std::nullopt;
    }
    const char* text = nullptr;
    std::optional<QByteArray> result;
    if (dbus_message_get_args(reply, &error, DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID) && text && *text) {
        result = QByteArray(text);
    }
    dbus_error_free(&error);
    dbus_message_unref(reply);
    return result;
}

} // namespace

std::optional<QByteArray> address() {
    const QByteArray fromEnvironment = qgetenv("AT_SPI_BUS_ADDRESS");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    if (!qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        x11::X11Session session;
        if (auto fromRoot = session.rootStringProperty("AT_SPI_BUS"); fromRoot && !fromRoot->isEmpty()) {
            return fromRoot;
        }
    }
    return addressFromSessionBus();
}

bool isReachable(const QByteArray& address) {
    return openRegistered(address) != nullptr;
}

} // namespace orbix::a11ybus
