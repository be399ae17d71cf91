#pragma once
// One HTTP exchange over a QNetworkAccessManager, asynchronous on the calling (main) thread.
//
// Contract:
// - The completion is called exactly once, from the event loop (never from inside sendHttpRequest), with
//   either the HTTP reply (any status; the body as received) or a transport failure.
// - A request fails with NetworkFailure::timedOut when nothing has been sent or received for the request's
//   time-out; the time-out restarts on every progress of the upload or download.
// - Requests that carry a credential only follow redirects within the same origin, so a bearer token never
//   travels to another host.
// - Failure descriptions are fixed sentences: they never contain the URL, headers or body.
// - The session must outlive the requests sent through it.

#include "services/Result.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>
#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace orbix {

enum class HttpMethod { get, post };

struct HttpRequest {
    HttpMethod method = HttpMethod::get;
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool carriesCredential = false;
    std::chrono::milliseconds timeout{60'000};
};

struct HttpReply {
    // Absent when the reply did not come from an HTTP server (another scheme).
    std::optional<int> statusCode;
    QByteArray body;

    bool isHttpSuccess() const { return statusCode && *statusCode >= 200 && *statusCode <= 299; }
};

enum class NetworkFailure {
    timedOut,
    cannotConnect,
    hostNotFound,
    connectionLost,
    secureConnectionFailed,
    tooManyRedirects,
    unsupportedURL,
    unknown,
};

// The user-facing sentence for a transport failure.
QString description(NetworkFailure failure);

using HttpOutcome = Result<HttpReply, NetworkFailure>;
using HttpCompletion = std::function<void(HttpOutcome)>;

void sendHttpRequest(QNetworkAccessManager& session, const HttpRequest& request, HttpCompletion completion);

// Header values used by every JSON exchange.
inline const QByteArray kContentTypeHeader = QByteArrayLiteral("Content-Type");
inline const QByteArray kJsonContentType = QByteArrayLiteral("application/json");
inline const QByteArray kAuthorizationHeader = QByteArrayLiteral("Authorization");
inline QByteArray bearer(const QString& credential) {
    return QByteArrayLiteral("Bearer ") + credential.toUtf8();
}

} // namespace orbix
