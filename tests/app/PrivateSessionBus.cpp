#include "PrivateSessionBus.h"

#include <QStandardPaths>

namespace orbix::test {

PrivateSessionBus::PrivateSessionBus() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) {
        skipReason_ = QStringLiteral("dbus-daemon is not installed (scripts/install-deps installs dbus)");
        return;
    }
    daemon_.start(program, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                            QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
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
