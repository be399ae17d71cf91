#include "services/HttpExchange.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <memory>

namespace orbix {

QString description(NetworkFailure failure) {
    switch (failure) {
    case NetworkFailure::timedOut:
        return QStringLiteral("The request timed out.");
    case NetworkFailure::cannotConnect:
        return QStringLiteral("Could not connect to the server.");
    case NetworkFailure::hostNotFound:
        return QStringLiteral("A server with the specified hostname could not be found.");
    case NetworkFailure::connectionLost:
        return QStringLiteral("The network connection was lost.");
    case NetworkFailure::secureConnectionFailed:
        return QStringLiteral(
            "An SSL error has occurred and a secure connection to the server cannot be made.");
    case NetworkFailure::tooManyRedirects:
        return QStringLiteral("There were too many redirects.");
    case NetworkFailure::redirectToAnotherServer:
        return QStringLiteral("Orbix refused a redirect to another server.");
    case NetworkFailure::insecureRedirect:
        return QStringLiteral("Orbix refused a redirect to an insecure address.");
    case NetworkFailure::invalidHeader:
        return QStringLiteral("Orbix did not send a request whose header holds control characters.");
    case NetworkFailure::unsupportedURL:
        return QStringLiteral("unsupported URL");
    case NetworkFailure::unknown:
        break;
    }
    return QStringLiteral("An unknown network error occurred.");
}

bool isUsableCredential(const QString& credential) {
    return !credential.isEmpty() && std::all_of(credential.cbegin(), credential.cend(), [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7f;
    });
}

namespace {

// Errors raised before or instead of an HTTP reply; every other error code comes with a status line and
// is reported as that HTTP reply.
std::optional<NetworkFailure> transportFailure(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::NoError:
        return std::nullopt;
    case QNetworkReply::ConnectionRefusedError:
        return NetworkFailure::cannotConnect;
    case QNetworkReply::HostNotFoundError:
        return NetworkFailure::hostNotFound;
    case QNetworkReply::TimeoutError:
        return NetworkFailure::timedOut;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    // Qt wanted to send the request again after the connection closed without a reply, and the body of a
    // POST cannot be sent twice.
    case QNetworkReply::ContentReSendError:
        return NetworkFailure::connectionLost;
    case QNetworkReply::SslHandshakeFailedError:
        return NetworkFailure::secureConnectionFailed;
    case QNetworkReply::TooManyRedirectsError:
        return NetworkFailure::tooManyRedirects;
    case QNetworkReply::InsecureRedirectError:
        return NetworkFailure::insecureRedirect;
    case QNetworkReply::ProtocolUnknownError:
        return NetworkFailure::unsupportedURL;
    default:
        return std::nullopt;
    }
}

// Visible characters, blanks and tabs only: a line break in a header would start a header of its own.
bool isSafeHeaderText(const QByteArray& text) {
    return std::none_of(text.cbegin(), text.cend(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7f;
    });
}

bool headersAreSafe(const QList<QPair<QByteArray, QByteArray>>& headers) {
    return std::all_of(headers.cbegin(), headers.cend(), [](const auto& header) {
        return !header.first.isEmpty() && isSafeHeaderText(header.first) && !header.first.contains(':') &&
               !header.first.contains(' ') && isSafeHeaderText(header.second);
    });
}

// The body of a POST. Qt asks to rewind it in two cases: when a reply has arrived (a 307 or 308, which this
// exchange follows itself with a new request), and when it wants to send the request a second time on its
// own because the connection closed before any reply. Only the first is granted: the second makes the
// reply fail with ContentReSendError instead of the server receiving the body twice.
class SingleUseUploadDevice final : public QIODevice {
public:
    explicit SingleUseUploadDevice(QByteArray body) : body_(std::move(body)) { open(QIODevice::ReadOnly); }

    void setReply(QNetworkReply* reply) { reply_ = reply; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return remaining() + QIODevice::bytesAvailable(); }
    bool reset() override {
        // Qt has delivered the status line to the reply before it asks on account of a redirect.
        if (!reply_ || !reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
            return false;
        }
        close(); // drops what QIODevice buffered
        position_ = 0;
        return open(QIODevice::ReadOnly);
    }
    bool seek(qint64) override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (remaining() == 0) {
            return -1;
        }
        const qint64 count = std::min(maxSize, remaining());
        std::memcpy(data, body_.constData() + position_, static_cast<std::size_t>(count));
        position_ += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 remaining() const { return body_.size() - position_; }

    QByteArray body_;
    qint64 position_ = 0;
    QPointer<QNetworkReply> reply_;
};

bool isFollowedRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

int effectivePort(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.port(scheme == QStringLiteral("https") ? 443 : scheme == QStringLiteral("http") ? 80 : -1);
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && effectivePort(a) == effectivePort(b);
}

bool isWebScheme(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QStringLiteral("https") || scheme == QStringLiteral("http");
}

// A body shorter than the length the reply announced was cut off on the way. (Qt drops the header when it
// decompresses a body, so the comparison is always between like sizes.)
bool bodyIsCutOff(QNetworkReply& reply, int status, const QByteArray& body) {
    if (status == 204 || status == 304 || (status >= 100 && status < 200)) {
        return false;
    }
    const QVariant declared = reply.header(QNetworkRequest::ContentLengthHeader);
    return declared.isValid() && body.size() < declared.toLongLong();
}

// One call of sendHttpRequest: the current hop's request, the redirects followed so far and the
// completion. Kept alive by the reply's signal connections until it completes.
class Exchange : public std::enable_shared_from_this<Exchange> {
public:
    Exchange(QNetworkAccessManager& session, HttpRequest request, HttpCompletion completion)
        : session_(&session), request_(std::move(request)), completion_(std::move(completion)) {}

    void send() {
        if (!session_) {
            return;
        }
        QNetworkRequest networkRequest(request_.url);
        for (const auto& [name, value] : request_.headers) {
            networkRequest.setRawHeader(name, value);
        }
        // Every redirect is a decision of this exchange, not of Qt.
        networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                    QNetworkRequest::ManualRedirectPolicy);

        QNetworkReply* reply = nullptr;
        if (request_.method == HttpMethod::post) {
            networkRequest.setHeader(QNetworkRequest::ContentLengthHeader, request_.body.size());
            networkRequest.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
            auto* upload = new SingleUseUploadDevice(request_.body);
            reply = session_->post(networkRequest, upload);
            upload->setParent(reply);
            upload->setReply(reply);
        } else {
            reply = session_->get(networkRequest);
        }

        auto* timer = new QTimer(reply);
        timer->setSingleShot(true);
        timer->setInterval(request_.timeout);
        auto timedOut = std::make_shared<bool>(false);
        QObject::connect(timer, &QTimer::timeout, reply, [reply, timedOut] {
            *timedOut = true;
            reply->abort();
        });
        const auto restart = [timer] { timer->start(); };
        QObject::connect(reply, &QNetworkReply::downloadProgress, timer, restart);
        QObject::connect(reply, &QNetworkReply::uploadProgress, timer, restart);
        QObject::connect(reply, &QNetworkReply::finished, reply,
                         [self = shared_from_this(), reply, timer, timedOut] {
                             timer->stop();
                             reply->deleteLater();
                             self->finished(*reply, *timedOut);
                         });
        timer->start();
    }

    void fail(NetworkFailure failure) { complete(HttpOutcome::failure(failure)); }

private:
    void complete(HttpOutcome outcome) {
        if (completed_) {
            return;
        }
        completed_ = true;
        completion_(std::move(outcome));
    }

    void finished(QNetworkReply& reply, bool timedOut) {
        if (timedOut) {
            fail(NetworkFailure::timedOut);
            return;
        }
        const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (const auto failure = transportFailure(reply.error())) {
            fail(*failure);
            return;
        }
        if (reply.error() != QNetworkReply::NoError && !status.isValid()) {
            fail(NetworkFailure::unknown);
            return;
        }
        HttpReply result;
        if (status.isValid()) {
            result.statusCode = status.toInt();
            const QVariant target = reply.attribute(QNetworkRequest::RedirectionTargetAttribute);
            if (isFollowedRedirect(*result.statusCode) && target.isValid()) {
                follow(*result.statusCode, target.toUrl());
                return;
            }
        }
        result.body = reply.readAll();
        if (bodyIsCutOff(reply, result.statusCode.value_or(0), result.body)) {
            fail(NetworkFailure::connectionLost);
            return;
        }
        complete(HttpOutcome::success(std::move(result)));
    }

    void follow(int status, const QUrl& location) {
        if (++redirects_ > maximumRedirects) {
            fail(NetworkFailure::tooManyRedirects);
            return;
        }
        const QUrl next = request_.url.resolved(location);
        if (!next.isValid() || next.host().isEmpty() || !isWebScheme(next)) {
            fail(NetworkFailure::unsupportedURL);
            return;
        }
        if (request_.carriesCredential && !sameOrigin(request_.url, next)) {
            fail(NetworkFailure::redirectToAnotherServer);
            return;
        }
        if (request_.url.scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0 &&
            next.scheme().compare(QStringLiteral("http"), Qt::CaseInsensitive) == 0) {
            fail(NetworkFailure::insecureRedirect);
            return;
        }
        if (request_.method == HttpMethod::post && status != 307 && status != 308) {
            request_.method = HttpMethod::get;
            request_.body.clear();
            request_.headers.removeIf([](const auto& header) {
                return header.first.compare(kContentTypeHeader, Qt::CaseInsensitive) == 0;
            });
        }
        request_.url = next;
        send();
    }

    QPointer<QNetworkAccessManager> session_;
    HttpRequest request_;
    HttpCompletion completion_;
    int redirects_ = 0;
    bool completed_ = false;
};

} // namespace

void sendHttpRequest(QNetworkAccessManager& session, const HttpRequest& request, HttpCompletion completion) {
    auto exchange = std::make_shared<Exchange>(session, request, std::move(completion));
    if (!headersAreSafe(request.headers)) {
        QTimer::singleShot(0, &session, [exchange] { exchange->fail(NetworkFailure::invalidHeader); });
        return;
    }
    exchange->send();
}

} // namespace orbix
