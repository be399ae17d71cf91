#include "support/FakeRealtimeServer.h"

#include <QJsonDocument>
#include <QWebSocket>

namespace orbix::test {

FakeRealtimeServer::FakeRealtimeServer()
    : server_(QStringLiteral("fake-realtime"), QWebSocketServer::NonSecureMode) {
    connect(&server_, &QWebSocketServer::newConnection, this, [this] {
        while (QWebSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            ++connectionCount_;
            handshake_ = socket->request();
            client_ = socket;
            connect(socket, &QWebSocket::textMessageReceived, this, [this](const QString& message) {
                clientEvents_.append(QJsonDocument::fromJson(message.toUtf8()).object());
            });
            connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
            if (greetWithSessionCreated) {
                sendEvent({{"type", "session.created"}, {"session", QJsonObject{{"id", "sess_1"}}}});
            }
        }
    });
}

FakeRealtimeServer::~FakeRealtimeServer() {
    server_.close();
}

bool FakeRealtimeServer::listen() {
    return server_.listen(QHostAddress::LocalHost, 0);
}

QUrl FakeRealtimeServer::origin() const {
    return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(server_.serverPort()));
}

bool FakeRealtimeServer::isClientConnected() const {
    return client_ && client_->state() == QAbstractSocket::ConnectedState;
}

QStringList FakeRealtimeServer::clientEventTypes() const {
    QStringList types;
    for (const QJsonObject& event : clientEvents_) {
        types.append(event.value("type").toString());
    }
    return types;
}

QList<QJsonObject> FakeRealtimeServer::clientEventsOfType(const QString& type) const {
    QList<QJsonObject> matching;
    for (const QJsonObject& event : clientEvents_) {
        if (event.value("type").toString() == type) {
            matching.append(event);
        }
    }
    return matching;
}

void FakeRealtimeServer::sendEvent(const QJsonObject& event) {
    sendText(QJsonDocument(event).toJson(QJsonDocument::Compact));
}

void FakeRealtimeServer::sendText(const QByteArray& text) {
    if (client_) {
        client_->sendTextMessage(QString::fromUtf8(text));
    }
}

void FakeRealtimeServer::sendBinary(const QByteArray& bytes) {
    if (client_) {
        client_->sendBinaryMessage(bytes);
    }
}

void FakeRealtimeServer::closeConnection(const QString& reason) {
    if (client_) {
        client_->close(QWebSocketProtocol::CloseCodePolicyViolated, reason);
    }
}

void FakeRealtimeServer::dropConnection() {
    if (client_) {
        client_->abort();
    }
}

} // namespace orbix::test
