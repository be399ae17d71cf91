#include "voice/RealtimeCredentials.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTimer>

namespace orbix {

const QString RealtimeCredentials::genericKeyName = QStringLiteral("OPENAI_API_KEY");
const QString RealtimeCredentials::clientSecretSuffix = QStringLiteral("/realtime/client-secret");
const QString RealtimeCredentials::backendRefusalMessage = QStringLiteral("Could not prepare Realtime voice.");

RealtimeCredentials::RealtimeCredentials(QNetworkAccessManager& session, NetworkSettings network,
                                         SettingLookup lookup, FirebaseAnonymousAuthService::Clock clock)
    : session_(&session), network_(std::move(network)), lookup_(std::move(lookup)), clock_(std::move(clock)) {}

void RealtimeCredentials::bearerToken(const ProductConfiguration& configuration, const QString& model,
                                      TokenCompletion completion) const {
    const auto answerLater = [this](TokenCompletion done, TokenResult result) {
        QTimer::singleShot(0, session_, [done = std::move(done), result = std::move(result)] { done(result); });
    };

    if (configuration.buildFlavor == BuildFlavor::internal) {
        std::optional<QString> key;
        if (lookup_) {
            key = lookup_(configuration.openAIEnvironmentKeyName);
            if (!key) {
                key = lookup_(genericKeyName);
            }
        }
        answerLater(std::move(completion), key ? TokenResult::success(*key)
                                               : TokenResult::failure(RealtimeVoiceError::openAINotConfigured(
                                                     configuration.openAIEnvironmentKeyName)));
        return;
    }

    const FirebaseAnonymousAuthService auth(*session_, network_, clock_);
    QNetworkAccessManager* session = session_;
    auth.idToken(configuration, [session, configuration, model, completion = std::move(completion)](
                                    FirebaseAnonymousAuthService::TokenResult identity) {
        if (!identity) {
            completion(TokenResult::failure(RealtimeVoiceError::apiError(identity.error().description())));
            return;
        }
        const auto url = configuration.productEndpoint(clientSecretSuffix);
        if (!url) {
            completion(TokenResult::failure(RealtimeVoiceError::of(RealtimeVoiceError::Kind::invalidURL)));
            return;
        }
        HttpRequest request;
        request.method = HttpMethod::post;
        request.url = *url;
        request.headers = {{kContentTypeHeader, kJsonContentType},
                           {kAuthorizationHeader, bearer(identity.value())}};
        request.body =
            QJsonDocument(QJsonObject{{QStringLiteral("session"),
                                       QJsonObject{{QStringLiteral("type"), QStringLiteral("realtime")},
                                                   {QStringLiteral("model"), model}}}})
                .toJson(QJsonDocument::Compact);
        request.carriesCredential = true;
        request.timeout = std::chrono::seconds(60);
        sendHttpRequest(*session, request, [completion](HttpOutcome outcome) {
            if (!outcome) {
                completion(TokenResult::failure(RealtimeVoiceError::apiError(description(outcome.error()))));
                return;
            }
            completion(clientSecretFromReply(outcome.value()));
        });
    });
}

RealtimeCredentials::TokenResult RealtimeCredentials::clientSecretFromReply(const HttpReply& reply) {
    if (reply.statusCode && !reply.isHttpSuccess()) {
        return TokenResult::failure(
            RealtimeVoiceError::apiError(errorMessage(reply.body).value_or(backendRefusalMessage)));
    }
    const QJsonDocument document = QJsonDocument::fromJson(reply.body);
    const QJsonValue session = document.object().value(QStringLiteral("session"));
    if (!document.isObject() || !session.isObject()) {
        return TokenResult::failure(RealtimeVoiceError::of(RealtimeVoiceError::Kind::invalidResponse));
    }
    // The secret sits in the session object, in its "client_secret", or (as the hosted API itself answers,
    // forwarded as it is) beside the session at the top level.
    const QJsonObject sessionObject = session.toObject();
    const QJsonValue direct = sessionObject.value(QStringLiteral("value"));
    const QJsonValue topLevel = document.object().value(QStringLiteral("value"));
    const QString token = direct.isString()     ? direct.toString()
                          : topLevel.isString() ? topLevel.toString()
                                                : sessionObject.value(QStringLiteral("client_secret"))
                                                      .toObject()
                                                      .value(QStringLiteral("value"))
                                                      .toString();
    // The secret goes into a header as it is: one that could not be sent there is as bad as none.
    if (token.isEmpty() || !isUsableCredential(token)) {
        return TokenResult::failure(RealtimeVoiceError::of(RealtimeVoiceError::Kind::invalidResponse));
    }
    return TokenResult::success(token);
}

std::optional<QString> RealtimeCredentials::errorMessage(const QByteArray& body) {
    const QJsonValue error = QJsonDocument::fromJson(body).object().value(QStringLiteral("error"));
    if (error.isString() && !error.toString().isEmpty()) {
        return error.toString();
    }
    return std::nullopt;
}

} // namespace orbix
