#include "app/OrbixDBusService.h"

#include "app/OrbixDBusAdaptors.h"
#include "model/SessionStore.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>

namespace orbix {

const QString OrbixDBusService::serviceName = QStringLiteral("org.orbix.Orbix");
const QString OrbixDBusService::objectPath = QStringLiteral("/org/orbix/Orbix");
const QString OrbixDBusService::interfaceName = QStringLiteral("org.orbix.Orbix");

void registerOrbixDBusTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<OrbixSessionEntity>();
        qDBusRegisterMetaType<QList<OrbixSessionEntity>>();
        qDBusRegisterMetaType<OrbixArtifactEntity>();
        qDBusRegisterMetaType<QList<OrbixArtifactEntity>>();
        return true;
    }();
    Q_UNUSED(registered);
}

OrbixDBusService::OrbixDBusService(AppIntentRouter& router, QDBusConnection connection, QObject* parent)
    : QObject(parent), router_(router), connection_(std::move(connection)) {
    registerOrbixDBusTypes();
    new OrbixInterfaceAdaptor(*this);
    new ApplicationInterfaceAdaptor(*this);
}

QList<SavedSession> OrbixDBusService::savedSessions() const {
    return sessionStore_ ? sessionStore_->sessions() : QList<SavedSession>();
}

OrbixDBusService::~OrbixDBusService() {
    if (ownsName_) {
        connection_.unregisterService(serviceName);
    }
    if (exported_) {
        connection_.unregisterObject(objectPath);
    }
}

OrbixDBusService::Registration OrbixDBusService::registerOnBus(QString* error) {
    auto fail = [error](const QString& why) {
        if (error) {
            *error = why;
        }
        return Registration::failed;
    };
    if (!connection_.isConnected()) {
        return fail(connection_.lastError().message().isEmpty() ? QStringLiteral("no session bus")
                                                                : connection_.lastError().message());
    }
    // The object is in place before the name is taken, so a call that arrives with the name finds it.
    if (!exported_) {
        if (!connection_.registerObject(objectPath, this, QDBusConnection::ExportAdaptors)) {
            return fail(QStringLiteral("could not export %1").arg(objectPath));
        }
        exported_ = true;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        connection_.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                                 QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        return fail(reply.error().message());
    }
    if (reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
        return Registration::alreadyRunning;
    }
    ownsName_ = true;
    return Registration::registered;
}

} // namespace orbix
