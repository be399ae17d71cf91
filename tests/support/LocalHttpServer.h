#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests that play a remote service (OpenAI, the identity
// toolkit, the back end). It records every request (method, path, query, headers, body) and answers with
// scripted replies: a status and body, after an optional delay, or a dropped connection, or no answer at
// all; a reply can also be cut off part-way through its body or sent in chunked encoding. One request per
// connection; every reply closes its connection.

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>

class QTcpSocket;

namespace orbix::test {

struct RecordedRequest {
    QByteArray method;
    QByteArray target; // as sent: path and query
    QString path;      // decoded path
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // The value of a header (names compare case-insensitively), or none.
    std::optional<QByteArray> header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const { return header(name).has_value(); }
    // The body parsed as a JSON object (empty when it is not one).
    QJsonObject json() const;
};

struct ScriptedReply {
    enum class Kind { respond, dropConnection, noAnswer };

    Kind kind = Kind::respond;
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers{{"Content-Type", "application/json"}};
    std::chrono::milliseconds delay{0};
    // The headers announce the whole body, but only this many bytes of the body as sent (chunk framing
    // included) are written before the connection closes.
    std::optional<qsizetype> cutAfter;
    // "Transfer-Encoding: chunked" (one chunk and the closing one) instead of a Content-Length.
    bool chunked = false;

    static ScriptedReply json(int status, QByteArray body);
    static ScriptedReply text(int status, QByteArray body);
    // A redirect with this status to the location (absolute or relative).
    static ScriptedReply redirect(int status, const QByteArray& location);
    static ScriptedReply dropped();
    static ScriptedReply never();
    ScriptedReply after(std::chrono::milliseconds wait) const;
    ScriptedReply cutOffAfter(qsizetype bytes) const;
    ScriptedReply inChunks() const;
};

class LocalHttpServer : public QObject {
public:
    using Handler = std::function<std::optional<ScriptedReply>(const RecordedRequest&)>;

    explicit LocalHttpServer(QObject* parent = nullptr);
    ~LocalHttpServer() override;

    // Starts listening on 127.0.0.1 at a free port; false on failure.
    bool listen();
    // Stops accepting connections (later requests are refused); open connections stay.
    void close();
    quint16 port() const;
    // "http://127.0.0.1:<port>".
    QUrl url() const;

    // The reply for every request with this method and path (path without the query).
    void route(const QByteArray& method, const QString& path, ScriptedReply reply);
    // A one-time reply, used before route() replies, in the order enqueued.
    void enqueue(const QByteArray& method, const QString& path, ScriptedReply reply);
    // Asked first for every request; returning none falls back to enqueue()/route() replies.
    void setHandler(Handler handler);
    // The reply when nothing else matches (default: 404 with a JSON error body).
    void setFallback(ScriptedReply reply);

    const QList<RecordedRequest>& requests() const { return requests_; }
    QList<RecordedRequest> requestsTo(const QString& path) const;
    // Runs the event loop until `count` requests have arrived in total.
    bool waitForRequests(int count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Forgets recorded requests and scripted replies.
    void reset();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const RecordedRequest& request);
    ScriptedReply replyFor(const RecordedRequest& request);

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
    QList<RecordedRequest> requests_;
    std::map<QPair<QByteArray, QString>, ScriptedReply> routes_;
    std::map<QPair<QByteArray, QString>, std::deque<ScriptedReply>> queued_;
    Handler handler_;
    ScriptedReply fallback_;
};

} // namespace orbix::test
