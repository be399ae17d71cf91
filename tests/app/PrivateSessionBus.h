#pragma once
// A session bus of the test's own: a dbus-daemon started for the fixture and stopped with it, so tests
// never touch the developer's session bus. `available()` is false (with `skipReason()`) when the machine
// has no dbus-daemon.

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace orbix::test {

class PrivateSessionBus {
public:
    PrivateSessionBus();
    // A bus that starts services described by the .service files in `serviceFolder`, giving them
    // `environment` (to which the bus adds its own address).
    PrivateSessionBus(const QString& serviceFolder, QProcessEnvironment environment);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool available() const { return !address_.isEmpty(); }
    QString skipReason() const { return skipReason_; }
    QString address() const { return address_; }

    // A new connection to this bus under a name unique in the process.
    QDBusConnection connect(const QString& name);

private:
    void start(const QStringList& arguments);

    QTemporaryDir folder_;
    QProcess daemon_;
    QString address_;
    QString skipReason_;
    QStringList connectionNames_;
};

} // namespace orbix::test
