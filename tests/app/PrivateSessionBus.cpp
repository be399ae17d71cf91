#include "PrivateSessionBus.h"

#include <QFile>
#include <QStandardPaths>

namespace orbix::test {

namespace {

QString daemonProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
}

} // namespace

PrivateSessionBus::PrivateSessionBus() {
    start({QStringLiteral("--session")});
}

PrivateSessionBus::PrivateSessionBus(const QString& serviceFolder, QProcessEnvironment environment) {
    // A fixed socket path, so the started services can be told the address before the bus runs.
    const QString address = QStringLiteral("unix:path=") + folder_.filePath(QStringLiteral("bus"));
    const QString configuration = folder_.filePath(QStringLiteral("session.conf"));
    QFile file(configuration);
    if (!file.open(QIODevice::WriteOnly)) {
        skipReason_ = QStringLiteral("cannot write the bus configuration");
        return;
    }
    file.write(
        QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>%1</listen>
  <servicedir>%2</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
            .arg(address.toHtmlEscaped(), serviceFolder.toHtmlEscaped())
            .toUtf8());
    file.close();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    daemon_.setProcessEnvironment(environment);
    start({QStringLiteral("--config-file=") + configuration});
}

void PrivateSessionBus::start(const QStringList& arguments) {
    const QString program = daemonProgram();
    if (program.isEmpty()) {
        skipReason_ = QStringLiteral("dbus-daemon is not installed (scripts/install-deps installs dbus)");
        return;
    }
    daemon_.start(program, arguments + QStringList{QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                                                   QStringLiteral("--print-address=1")});
    // The daemon prints its address once it listens.
    while (daemon_.state() != QProcess::NotRunning && !daemon_.canReadLine()) {
        if (!daemon_.waitForReadyRead(10000)) {
            break;
        }
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        skipReason_ =
            QStringLiteral("dbus-daemon did not start: ") + QString::fromUtf8(daemon_.readAllStandardError());
    }
}

PrivateSessionBus::~PrivateSessionBus() {
    for (const QString& name : std::as_const(connectionNames_)) {
        QDBusConnection::disconnectFromBus(name);
    }
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished();
        }
    }
}

QDBusConnection PrivateSessionBus::connect(const QString& name) {
    connectionNames_ << name;
    return QDBusConnection::connectToBus(address_, name);
}

} // namespace orbix::test
