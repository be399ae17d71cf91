#include "support/LocalHttpServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QPointer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace orbix::test {
namespace {

const QByteArray kHeaderEnd = QByteArrayLiteral("\r\n\r\n");

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

std::optional<QByteArray> RecordedRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

QJsonObject RecordedRequest::json() const {
    return QJsonDocument::fromJson(body).object();
}

ScriptedReply ScriptedReply::json(int status, QByteArray body) {
    ScriptedReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

ScriptedReply ScriptedReply::text(int status, QByteArray body) {
    ScriptedReply reply = json(status, std::move(body));
    reply.headers = {{"Content-Type", "text/plain; charset=utf-8"}};
    return reply;
}

ScriptedReply ScriptedReply::redirect(int status, const QByteArray& location) {
    ScriptedReply reply = json(status, QByteArray());
    reply.headers = {{"Location", location}};
    return reply;
}

ScriptedReply ScriptedReply::cutOffAfter(qsizetype bytes) const {
    ScriptedReply reply = *this;
    reply.cutAfter = bytes;
    return reply;
}

ScriptedReply ScriptedReply::inChunks() const {
    ScriptedReply reply = *this;
    reply.chunked = true;
    return reply;
}

ScriptedReply ScriptedReply::dropped() {
    ScriptedReply reply;
    reply.kind = Kind::dropConnection;
    return reply;
}

ScriptedReply ScriptedReply::never() {
    ScriptedReply reply;
    reply.kind = Kind::noAnswer;
    return reply;
}

ScriptedReply ScriptedReply::after(std::chrono::milliseconds wait) const {
    ScriptedReply reply = *this;
    reply.delay = wait;
    return reply;
}

LocalHttpServer::LocalHttpServer(QObject* parent)
    : QObject(parent), fallback_(ScriptedReply::json(404, R"({"error":"not found"})")) {
    connect(&server_, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
}

LocalHttpServer::~LocalHttpServer() {
    server_.close();
    for (QTcpSocket* socket : buffers_.keys()) {
        socket->abort();
    }
}

bool LocalHttpServer::listen() {
    return server_.listen(QHostAddress::LocalHost, 0);
}

void LocalHttpServer::close() {
    server_.close();
}

quint16 LocalHttpServer::port() const {
    return server_.serverPort();
}

QUrl LocalHttpServer::url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()));
}

void LocalHttpServer::route(const QByteArray& method, const QString& path, ScriptedReply reply) {
    routes_[{method, path}] = std::move(reply);
}

void LocalHttpServer::enqueue(const QByteArray& method, const QString& path, ScriptedReply reply) {
    queued_[{method, path}].push_back(std::move(reply));
}

void LocalHttpServer::setHandler(Handler handler) {
    handler_ = std::move(handler);
}

void LocalHttpServer::setFallback(ScriptedReply reply) {
    fallback_ = std::move(reply);
}

QList<RecordedRequest> LocalHttpServer::requestsTo(const QString& path) const {
    QList<RecordedRequest> matching;
    for (const RecordedRequest& request : requests_) {
        if (request.path == path) {
            matching.append(request);
        }
    }
    return matching;
}

bool LocalHttpServer::waitForRequests(int count, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (requests_.size() < count) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

void LocalHttpServer::reset() {
    requests_.clear();
    routes_.clear();
    queued_.clear();
    handler_ = {};
}

void LocalHttpServer::onNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        buffers_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            buffers_.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::onReadyRead(QTcpSocket* socket) {
    auto found = buffers_.find(socket);
    if (found == buffers_.end()) {
        socket->readAll();
        return;
    }
    QByteArray& buffer = *found;
    buffer.append(socket->readAll());
    const qsizetype headerEnd = buffer.indexOf(kHeaderEnd);
    if (headerEnd < 0) {
        return;
    }

    RecordedRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    qsizetype contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            continue;
        }
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            contentLength = value.toLongLong();
        }
    }
    const qsizetype bodyStart = headerEnd + kHeaderEnd.size();
    if (buffer.size() - bodyStart < contentLength) {
        return;
    }
    request.body = buffer.mid(bodyStart, contentLength);
    // One request per connection: whatever follows is ignored.
    buffers_.erase(found);
    buffers_.insert(socket, QByteArray());
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);

    const QUrl targetUrl(QStringLiteral("http://127.0.0.1") + QString::fromLatin1(request.target));
    request.path = targetUrl.path(QUrl::FullyDecoded);
    request.query = QUrlQuery(targetUrl);
    requests_.append(request);
    answer(socket, request);
}

ScriptedReply LocalHttpServer::replyFor(const RecordedRequest& request) {
    if (handler_) {
        if (auto reply = handler_(request)) {
            return *reply;
        }
    }
    const QPair<QByteArray, QString> key{request.method, request.path};
    if (auto queued = queued_.find(key); queued != queued_.end() && !queued->second.empty()) {
        ScriptedReply reply = queued->second.front();
        queued->second.pop_front();
        return reply;
    }
    if (auto routed = routes_.find(key); routed != routes_.end()) {
        return routed->second;
    }
    return fallback_;
}

void LocalHttpServer::answer(QTcpSocket* socket, const RecordedRequest& request) {
    const ScriptedReply reply = replyFor(request);
    if (reply.kind == ScriptedReply::Kind::noAnswer) {
        return;
    }
    QPointer<QTcpSocket> guarded(socket);
    const auto send = [guarded, reply] {
        if (!guarded) {
            return;
        }
        if (reply.kind == ScriptedReply::Kind::dropConnection) {
            guarded->abort();
            return;
        }
        QByteArray response = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' +
                              reasonPhrase(reply.status) + "\r\nConnection: close\r\n";
        QByteArray body = reply.body;
        if (reply.chunked) {
            response += "Transfer-Encoding: chunked\r\n";
            body = QByteArray::number(body.size(), 16) + "\r\n" + body + "\r\n0\r\n\r\n";
        } else {
            response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        }
        for (const auto& [name, value] : reply.headers) {
            response += name + ": " + value + "\r\n";
        }
        if (reply.cutAfter) {
            body.truncate(*reply.cutAfter);
        }
        response += "\r\n" + body;
        guarded->write(response);
        guarded->disconnectFromHost();
    };
    if (reply.delay.count() > 0) {
        QTimer::singleShot(reply.delay, socket, send);
    } else {
        send();
    }
}

} // namespace orbix::test
