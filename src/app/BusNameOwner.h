#pragma once
// Who holds a well-known name on the bus, as the bus itself reports it (unique name, process id, user id)
// plus the program that process runs. A later start hands its request only to an owner that is this same
// program run by this same user; anything else holding org.orbix.Orbix is named and nothing is sent.

#include <QDBusConnection>
#include <QString>
#include <optional>

namespace orbix {

struct BusNameOwner {
    QString uniqueName;
    std::optional<uint> processId;
    std::optional<uint> userId;
    // Canonical path of the owner's executable; empty when it cannot be read (another user's process, a
    // program replaced on disk since it started).
    QString executable;
};

// The current owner of the name; none when nobody holds it or the bus would not say.
std::optional<BusNameOwner> busNameOwner(const QDBusConnection& connection, const QString& name);

// Whether the owner is the program at ownExecutable, run by this process's user.
bool isSameProgram(const BusNameOwner& owner, const QString& ownExecutable);

// "org.orbix.Orbix is held by :1.7 (process 4242, /usr/bin/python3), not by this program
// (/usr/bin/orbix); the request was not sent to it."
QString foreignOwnerMessage(const QString& name, const BusNameOwner& owner, const QString& ownExecutable);

} // namespace orbix
