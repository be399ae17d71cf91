#pragma once
// How a Realtime server "error" event affects the session. Most errors reject one client event and leave
// the session open; a few mean the session cannot go on (credentials, an expired session, the server's own
// failure). Pure functions, no I/O.

#include <QJsonObject>
#include <QString>

namespace orbix::realtime {

enum class ServerErrorSeverity {
    // A race between the client's and the server's view of the response: logged only.
    benign,
    // One client event was refused: reported, and the session goes on.
    recoverable,
    // The session cannot go on: reported, and the session ends.
    fatal,
};

struct ServerError {
    QString message;
    ServerErrorSeverity severity = ServerErrorSeverity::fatal;
};

// "Realtime API error." when the event carries no message text.
ServerError classifyServerError(const QJsonObject& event);

} // namespace orbix::realtime
