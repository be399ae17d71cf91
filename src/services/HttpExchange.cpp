#include "services/HttpExchange.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
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
    case NetworkFailure::unsupportedURL:
        return QStringLiteral("unsupported URL");
    case NetworkFailure::unknown:
        break;
    }
    return QStringLiteral("An unknown network error occurred.");
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
        return NetworkFailure::connectionLost;
    case QNetworkReply::SslHandshakeFailedError:
        return NetworkFailure::secureConnectionFailed;
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return NetworkFailure::tooManyRedirects;
    case QNetworkReply::ProtocolUnknownError:
        return NetworkFailure::unsupportedURL;
    default:
        return std::nullopt;
    }
}

HttpOutcome outcomeOf(QNetworkReply& reply, bool timedOut) {
    if (timedOut) {
        return HttpOutcome::failure(NetworkFailure::timedOut);
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const auto failure = transportFailure(reply.error());
    if (failure) {
        return HttpOutcome::failure(*failure);
    }
    if (reply.error() != QNetworkReply::NoError && !status.isValid()) {
        return HttpOutcome::failure(NetworkFailure::unknown);
    }
    HttpReply result;
    if (status.isValid()) {
        result.statusCode = status.toInt();
    }
    result.body = reply.readAll();
    return HttpOutcome::success(std::move(result));
}

} // namespace

void sendHttpRequest(QNetworkAccessManager& session, const HttpRequest& request, HttpCompletion completion) {
    QNetworkRequest networkRequest(request.url);
    for (const auto& [name, value] : request.headers) {
        networkRequest.setRawHeader(name, value);
    }
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                request.carriesCredential ? QNetworkRequest::SameOriginRedirectPolicy
                                                          : QNetworkRequest::NoLessSafeRedirectPolicy);

    QNetworkReply* reply = request.method == HttpMethod::post ? session.post(networkRequest, request.body)
                                                              : session.get(networkRequest);

    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    timer->setInterval(request.timeout);
    auto timedOut = std::make_shared<bool>(false);
    auto completed = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, reply, [reply, timedOut] {
        *timedOut = true;
        reply->abort();
    });
    const auto restart = [timer] { timer->start(); };
    QObject::connect(reply, &QNetworkReply::downloadProgress, timer, restart);
    QObject::connect(reply, &QNetworkReply::uploadProgress, timer, restart);
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, timer, timedOut, completed, completion = std::move(completion)] {
                         if (*completed) {
                             return;
                         }
                         *completed = true;
                         timer->stop();
                         reply->deleteLater();
                         completion(outcomeOf(*reply, *timedOut));
                     });
    timer->start();
}

} // namespace orbix
