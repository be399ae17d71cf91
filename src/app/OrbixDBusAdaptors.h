#pragma once
// The two exported interfaces of OrbixDBusService, as adaptors on it. The slot names and signatures are
// the wire interface (see data/org.orbix.Orbix.xml): keep them in step.

#include "app/AppIntents.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QVariantMap>

namespace orbix {

class OrbixDBusService;

QDBusArgument& operator<<(QDBusArgument& argument, const OrbixSessionEntity& entity);
const QDBusArgument& operator>>(const QDBusArgument& argument, OrbixSessionEntity& entity);
QDBusArgument& operator<<(QDBusArgument& argument, const OrbixArtifactEntity& entity);
const QDBusArgument& operator>>(const QDBusArgument& argument, OrbixArtifactEntity& entity);

class OrbixInterfaceAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.orbix.Orbix")
public:
    explicit OrbixInterfaceAdaptor(OrbixDBusService& service);

public slots:
    // `call` is the incoming message (not part of the wire signature), for the error reply.
    void OpenSection(const QString& section, const QDBusMessage& call);
    QString CreateNote(const QString& text, const QDBusMessage& call);
    QList<orbix::OrbixSessionEntity> Sessions(const QStringList& ids);
    QList<orbix::OrbixSessionEntity> SuggestedSessions();
    QList<orbix::OrbixArtifactEntity> Artifacts(const QStringList& ids);
    QList<orbix::OrbixArtifactEntity> SuggestedArtifacts();

private:
    OrbixDBusService& service_;
};

// The desktop's standard way to raise a running application (a plain second start uses it too).
class ApplicationInterfaceAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit ApplicationInterfaceAdaptor(OrbixDBusService& service);

public slots:
    void Activate(const QVariantMap& platformData);

private:
    OrbixDBusService& service_;
};

} // namespace orbix

Q_DECLARE_METATYPE(orbix::OrbixSessionEntity)
Q_DECLARE_METATYPE(orbix::OrbixArtifactEntity)
