#pragma once
// A local stand-in for the Realtime WebSocket API on 127.0.0.1: accepts one client at a time, records the
// handshake and every frame the client sends, greets with "session.created" (unless told not to) and lets
// the test play server events as text or binary frames, or drop the connection.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWebSocketServer>

class QWebSocket;

namespace orbix::test {

class FakeRealtimeServer : public QObject {
    Q_OBJECT
public:
    FakeRealtimeServer();
    ~FakeRealtimeServer() override;

    bool listen();
    // "ws://127.0.0.1:PORT", the origin the client is pointed at.
    QUrl origin() const;

    // Whether a new connection is greeted with "session.created" at once.
    bool greetWithSessionCreated = true;

    int connectionCount() const { return connectionCount_; }
    bool isClientConnected() const;
    // The handshake of the latest connection.
    const QNetworkRequest& handshake() const { return handshake_; }

    // Every text frame received, parsed (frames that are not JSON objects are kept as empty objects).
    const QList<QJsonObject>& clientEvents() const { return clientEvents_; }
    QStringList clientEventTypes() const;
    QList<QJsonObject> clientEventsOfType(const QString& type) const;

    void sendEvent(const QJsonObject& event);
    void sendText(const QByteArray& text);
    void sendBinary(const QByteArray& bytes);
    // Closes the client's connection with a close frame carrying `reason`.
    void closeConnection(const QString& reason);
    // Closes the client's connection without a close handshake.
    void dropConnection();

private:
    QWebSocketServer server_;
    QPointer<QWebSocket> client_;
    QNetworkRequest handshake_;
    QList<QJsonObject> clientEvents_;
    int connectionCount_ = 0;
};

} // namespace orbix::test
