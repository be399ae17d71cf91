#include "services/FirebaseAnonymousAuthService.h"

#include "core/TextRules.h"
#include "core/UserDefaults.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTimer>

namespace orbix {

const QString FirebaseAnonymousAuthService::idTokenKey = QStringLiteral("firebaseAnonymousAuth.idToken");
const QString FirebaseAnonymousAuthService::expiresAtKey = QStringLiteral("firebaseAnonymousAuth.expiresAt");

namespace {

const QString kPublicConfigPath = QStringLiteral("/v1/public-config");
const QString kSignUpPath = QStringLiteral("/v1/accounts:signUp");

using Failure = FirebaseAnonymousAuthService::Failure;
using AuthError = FirebaseAnonymousAuthService::AuthError;

Failure failure(AuthError error) {
    return Failure{error};
}

} // namespace

QString FirebaseAnonymousAuthService::description(AuthError error) {
    switch (error) {
    case AuthError::invalidURL:
        return QStringLiteral("The authentication URL is invalid.");
    case AuthError::failed:
        return QStringLiteral("Could not prepare authentication for Orbix.");
    case AuthError::missingAPIKey:
        break;
    }
    return QStringLiteral("Orbix authentication is not configured.");
}

QString FirebaseAnonymousAuthService::Failure::description() const {
    return std::visit(
        [](const auto& error) -> QString {
            using E = std::decay_t<decltype(error)>;
            if constexpr (std::is_same_v<E, AuthError>) {
                return FirebaseAnonymousAuthService::description(error);
            } else {
                return orbix::description(error);
            }
        },
        reason);
}

double FirebaseAnonymousAuthService::systemTime() {
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

FirebaseAnonymousAuthService::FirebaseAnonymousAuthService(QNetworkAccessManager& session,
                                                           NetworkSettings settings, Clock clock)
    : session_(&session), settings_(std::move(settings)),
      clock_(clock ? std::move(clock) : Clock(&systemTime)) {}

void FirebaseAnonymousAuthService::idToken(const ProductConfiguration& configuration,
                                           TokenCompletion completion) const {
    const auto cache = userDefaults();
    const QVariant cachedToken = cache->value(idTokenKey);
    const double expiresAt = cache->value(expiresAtKey).toDouble();
    if (cachedToken.isValid()) {
        // A file written before it was kept private becomes private now.
        restrictToOwner(*cache);
    }
    // A cached token that could not go into a header (an edited file) is renewed like a stale one.
    if (cachedToken.isValid() && isUsableCredential(cachedToken.toString()) &&
        clock_() + renewalMargin < expiresAt) {
        QTimer::singleShot(0, session_, [completion = std::move(completion), token = cachedToken.toString()] {
            completion(TokenResult::success(token));
        });
        return;
    }

    auto self = *this;
    firebaseAPIKey(configuration, [self, completion = std::move(completion)](Result<QString, Failure> key) {
        if (!key) {
            completion(TokenResult::failure(key.error()));
            return;
        }
        self.signUp(key.value(), completion);
    });
}

void FirebaseAnonymousAuthService::firebaseAPIKey(const ProductConfiguration& configuration,
                                                  KeyCompletion completion) const {
    using KeyResult = Result<QString, Failure>;
    const auto url = configuration.backendEndpoint(kPublicConfigPath);
    if (!url) {
        QTimer::singleShot(0, session_, [completion = std::move(completion)] {
            completion(KeyResult::failure(failure(AuthError::invalidURL)));
        });
        return;
    }
    HttpRequest request;
    request.method = HttpMethod::get;
    request.url = *url;
    request.timeout = settings_.requestTimeout;
    sendHttpRequest(*session_, request, [completion = std::move(completion)](HttpOutcome outcome) {
        if (!outcome) {
            completion(KeyResult::failure(Failure{outcome.error()}));
            return;
        }
        if (!outcome.value().isHttpSuccess()) {
            completion(KeyResult::failure(failure(AuthError::failed)));
            return;
        }
        const auto root = decodeObject(outcome.value().body);
        if (!root) {
            completion(KeyResult::failure(Failure{root.error()}));
            return;
        }
        const auto firebase = requiredObject(root.value(), QStringLiteral("firebase"));
        if (!firebase) {
            completion(KeyResult::failure(Failure{firebase.error()}));
            return;
        }
        const auto apiKey = optionalString(firebase.value(), QStringLiteral("apiKey"));
        if (!apiKey) {
            completion(KeyResult::failure(Failure{apiKey.error()}));
            return;
        }
        if (!apiKey.value() || apiKey.value()->isEmpty()) {
            completion(KeyResult::failure(failure(AuthError::missingAPIKey)));
            return;
        }
        completion(KeyResult::success(*apiKey.value()));
    });
}

void FirebaseAnonymousAuthService::signUp(const QString& apiKey, TokenCompletion completion) const {
    auto url = endpointOnOrigin(settings_.identityToolkitOrigin, kSignUpPath);
    if (!url) {
        QTimer::singleShot(0, session_, [completion = std::move(completion)] {
            completion(TokenResult::failure(failure(AuthError::invalidURL)));
        });
        return;
    }
    // The key is encoded in full so that "&", "+" or "=" in it cannot change the query.
    url->setQuery(QStringLiteral("key=") + QString::fromLatin1(QUrl::toPercentEncoding(apiKey)),
                  QUrl::StrictMode);
    if (!url->isValid()) {
        QTimer::singleShot(0, session_, [completion = std::move(completion)] {
            completion(TokenResult::failure(failure(AuthError::invalidURL)));
        });
        return;
    }

    HttpRequest request;
    request.method = HttpMethod::post;
    request.url = *url;
    request.headers = {{kContentTypeHeader, kJsonContentType}};
    request.body =
        QJsonDocument(QJsonObject{{QStringLiteral("returnSecureToken"), true}}).toJson(QJsonDocument::Compact);
    request.carriesCredential = true;
    request.timeout = settings_.requestTimeout;
    const Clock clock = clock_;
    sendHttpRequest(*session_, request, [clock, completion = std::move(completion)](HttpOutcome outcome) {
        if (!outcome) {
            completion(TokenResult::failure(Failure{outcome.error()}));
            return;
        }
        if (!outcome.value().isHttpSuccess()) {
            completion(TokenResult::failure(failure(AuthError::failed)));
            return;
        }
        const auto root = decodeObject(outcome.value().body);
        if (!root) {
            completion(TokenResult::failure(Failure{root.error()}));
            return;
        }
        const auto token = requiredString(root.value(), QStringLiteral("idToken"));
        const auto refreshToken = optionalString(root.value(), QStringLiteral("refreshToken"));
        const auto expiresIn = optionalString(root.value(), QStringLiteral("expiresIn"));
        for (const auto* error :
             {token ? nullptr : &token.error(), refreshToken ? nullptr : &refreshToken.error(),
              expiresIn ? nullptr : &expiresIn.error()}) {
            if (error != nullptr) {
                completion(TokenResult::failure(Failure{*error}));
                return;
            }
        }

        // The token becomes an "Authorization" header: one with a line break or another control character
        // in it is an invalid reply, never a header.
        if (!isUsableCredential(token.value())) {
            completion(TokenResult::failure(Failure{DecodingError::wrongFormat}));
            return;
        }

        double lifetime = defaultLifetime;
        if (expiresIn.value()) {
            lifetime = text::parseFiniteReal(*expiresIn.value()).value_or(defaultLifetime);
        }
        // The token is cached only in a file that others cannot read; without one it is used uncached.
        const auto cache = userDefaults();
        if (restrictToOwner(*cache)) {
            cache->setValue(idTokenKey, token.value());
            cache->setValue(expiresAtKey, clock() + lifetime);
            cache->sync();
            restrictToOwner(*cache);
        }
        completion(TokenResult::success(token.value()));
    });
}

} // namespace orbix
