#include "window/SingleInstance.h"

#include "window/PrivateRuntimeFolder.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalSocket>
#include <unistd.h>

namespace orbix::c1sim {
namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kActivateRequest = QByteArrayLiteral("activate\n");

bool sameUser(const QLocalSocket& socket) {
    return peerUserId(socket.socketDescriptor()) == static_cast<long long>(::geteuid());
}

} // namespace

SingleInstance::SingleInstance(const QString& catalogPath, QObject* parent) : QObject(parent) {
    const QString folder = privateRuntimeFolder(&folderProblem_);
    if (!folder.isEmpty()) {
        name_ = folder + QLatin1Char('/') + serverName(catalogPath);
    }
    // No socket options: with them Qt renames the socket into place, replacing a live instance's socket
    // instead of failing. The plain socket follows the umask (only its owner may connect under the usual 022).
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!sameUser(*socket)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    return;
                }
                if (socket->readLine() == kActivateRequest) {
                    emit activationRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

QString SingleInstance::serverName(const QString& catalogPath) {
    const QFileInfo info(catalogPath);
    // The folder exists by now (the catalog store creates it), so symbolic links in it are resolved.
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString path = (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("orbix-c1sim-") + QString::fromLatin1(digest.left(24));
}

bool SingleInstance::activateRunningInstance() {
    if (name_.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(name_);
    // Only an instance of this user's counts as "already running".
    if (!socket.waitForConnected(kConnectTimeoutMs) || !sameUser(socket)) {
        return false;
    }
    socket.write(kActivateRequest);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) {
        return false;
    }
    // The first instance hangs up once it has read the request.
    socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

bool SingleInstance::answers() const {
    if (name_.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(name_);
    return socket.waitForConnected(kConnectTimeoutMs);
}

bool SingleInstance::listen(QString* reason) {
    if (name_.isEmpty()) {
        *reason = folderProblem_;
        return false;
    }
    if (server_.listen(name_)) {
        return true;
    }
    // A socket nobody answers on was left by a process that died; one that answers belongs to a launch
    // that won the race for it.
    if (server_.serverError() == QAbstractSocket::AddressInUseError && !answers()) {
        QLocalServer::removeServer(name_);
        if (server_.listen(name_)) {
            return true;
        }
    }
    *reason = server_.errorString();
    return false;
}

} // namespace orbix::c1sim
