#include "app/BusNameOwner.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFileInfo>
#include <QStringList>
#include <unistd.h>

namespace orbix {

std::optional<BusNameOwner> busNameOwner(const QDBusConnection& connection, const QString& name) {
    QDBusConnectionInterface* bus = connection.interface();
    if (!bus) {
        return std::nullopt;
    }
    const QDBusReply<QString> owner = bus->serviceOwner(name);
    if (!owner.isValid() || owner.value().isEmpty()) {
        return std::nullopt;
    }
    // Asked by unique name, so every answer is about the same connection even if the name moves meanwhile.
    BusNameOwner result{owner.value(), std::nullopt, std::nullopt, QString()};
    if (const QDBusReply<uint> pid = bus->servicePid(result.uniqueName); pid.isValid()) {
        result.processId = pid.value();
        result.executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid.value())).canonicalFilePath();
    }
    if (const QDBusReply<uint> uid = bus->serviceUid(result.uniqueName); uid.isValid()) {
        result.userId = uid.value();
    }
    return result;
}

bool isSameProgram(const BusNameOwner& owner, const QString& ownExecutable) {
    const QString own = QFileInfo(ownExecutable).canonicalFilePath();
    return owner.userId == ::geteuid() && !own.isEmpty() && owner.executable == own;
}

QString foreignOwnerMessage(const QString& name, const BusNameOwner& owner, const QString& ownExecutable) {
    QStringList details;
    if (owner.processId) {
        details << QStringLiteral("process %1").arg(*owner.processId);
    }
    if (owner.userId && *owner.userId != ::geteuid()) {
        details << QStringLiteral("user %1").arg(*owner.userId);
    }
    details << (owner.executable.isEmpty() ? QStringLiteral("program unknown") : owner.executable);
    return name + QStringLiteral(" is held by ") + owner.uniqueName + QStringLiteral(" (") +
           details.join(QStringLiteral(", ")) + QStringLiteral("), not by this program (") + ownExecutable +
           QStringLiteral("); the request was not sent to it.");
}

} // namespace orbix
