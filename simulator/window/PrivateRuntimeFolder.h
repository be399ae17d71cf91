#pragma once
// Where this user's local sockets live: a folder nobody else can enter, so that no other user can put a
// socket in its place. $XDG_RUNTIME_DIR when it is such a folder; otherwise a folder of our own in the
// temporary folder, created with no access for others and checked before use.

#include <QString>

namespace orbix::c1sim {

// The folder, or an empty string with the reason when none can be had (the fallback folder exists but is
// not a folder of ours that only we may enter).
QString privateRuntimeFolder(QString* reason);

// The effective user id of the process at the other end of a connected local socket; -1 when unknown.
long long peerUserId(qintptr socketDescriptor);

} // namespace orbix::c1sim
