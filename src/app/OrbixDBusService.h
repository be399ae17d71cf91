#pragma once
// The application's face on the session bus: it owns the name org.orbix.Orbix and exports, at
// /org/orbix/Orbix, the interface org.orbix.Orbix (the two requests and the entity lists) and the
// standard org.freedesktop.Application Activate, which raises the window. Owning the name is also what
// makes this process the one instance of the desktop application. Main thread only.

#include "core/SessionRecords.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace orbix {

class AppIntentRouter;
class SessionStore;

class OrbixDBusService : public QObject {
    Q_OBJECT
public:
    static const QString serviceName;
    static const QString objectPath;
    static const QString interfaceName;

    enum class Registration {
        registered,     // this process owns the name and answers calls
        alreadyRunning, // another process owns the name
        failed,         // no bus, or the bus refused; the application runs without it
    };

    OrbixDBusService(AppIntentRouter& router, QDBusConnection connection, QObject* parent = nullptr);
    ~OrbixDBusService() override;

    // Exports the object, then asks for the name without queueing. On failure, `error` says why.
    Registration registerOnBus(QString* error = nullptr);

    AppIntentRouter& router() const { return router_; }
    // The saved sessions the Sessions and Artifacts queries answer from besides the fixed lists; none by
    // default. Not owned.
    void setSessionStore(SessionStore* store) { sessionStore_ = store; }
    QList<SavedSession> savedSessions() const;
    const QDBusConnection& connection() const { return connection_; }

signals:
    // A caller wants the window in front (every request and Activate).
    void activationRequested();

private:
    AppIntentRouter& router_;
    QDBusConnection connection_;
    SessionStore* sessionStore_ = nullptr;
    bool exported_ = false;
    bool ownsName_ = false;
};

// Registers the D-Bus marshalling of the entity types; idempotent. Clients call it before decoding.
void registerOrbixDBusTypes();

} // namespace orbix
