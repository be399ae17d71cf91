#pragma once
// One HTTP exchange over a QNetworkAccessManager, asynchronous on the calling (main) thread.
//
// Contract:
// - The completion is called exactly once, from the event loop (never from inside sendHttpRequest), with
//   either the HTTP reply (any status; the whole body) or a transport failure.
// - A reply cut off before the end of its body (shorter than its Content-Length, or a connection closed
//   mid-body) is the failure connectionLost, never a shorter body.
// - A request fails with NetworkFailure::timedOut when nothing has been sent or received for the request's
//   time-out; the time-out restarts on every progress of the upload or download.
// - A POST reaches the server at most once per call. Qt resends a request by itself when the connection
//   closes before any reply; that resend is refused for POSTs (the call fails with connectionLost). GETs may
//   still be resent by Qt.
// - Redirects are followed here, at most maximumRedirects of them: 307 and 308 repeat the method and body,
//   which the server asked for; 301, 302 and 303 turn a POST into a GET without a body. Requests that carry a
//   credential follow redirects only within the same origin (redirectToAnotherServer otherwise), so a bearer
//   token never travels to another host; other requests never follow a redirect from https to http.
// - Header names and values holding control characters (line breaks above all) are never sent: the call
//   fails with invalidHeader.
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
    redirectToAnotherServer,
    insecureRedirect,
    invalidHeader,
    unsupportedURL,
    unknown,
};

// The user-facing sentence for a transport failure.
QString description(NetworkFailure failure);

using HttpOutcome = Result<HttpReply, NetworkFailure>;
using HttpCompletion = std::function<void(HttpOutcome)>;

// Redirects followed per call before it fails with tooManyRedirects.
inline constexpr int maximumRedirects = 20;

void sendHttpRequest(QNetworkAccessManager& session, const HttpRequest& request, HttpCompletion completion);

// Whether a credential received from the network (an identity token, a client secret) can be placed in a
// header as it is: non-empty, visible ASCII only (no blanks, control characters or line breaks).
bool isUsableCredential(const QString& credential);

// Header values used by every JSON exchange.
inline const QByteArray kContentTypeHeader = QByteArrayLiteral("Content-Type");
inline const QByteArray kJsonContentType = QByteArrayLiteral("application/json");
inline const QByteArray kAuthorizationHeader = QByteArrayLiteral("Authorization");
inline QByteArray bearer(const QString& credential) {
    return QByteArrayLiteral("Bearer ") + credential.toUtf8();
}

} // namespace orbix
