#pragma once
// Anonymous identity for the back end: fetches the public Firebase web API key from the back end, signs up
// an anonymous user at the identity toolkit, and caches the identity token in the settings until shortly
// before it expires. Callers present the token as a bearer credential to the back end.
//
// Contract: idToken calls its completion exactly once, from the event loop, with a token that has more
// than renewalMargin seconds of life left, or with a failure whose description is user-facing text.
// A failed sign-up leaves the cache untouched. A token that could not be sent as a header (empty, blanks,
// control characters, line breaks, non-ASCII) is an invalid reply (DecodingError::wrongFormat) and is never
// cached or returned. Neither the token nor the API key is ever logged or put into a failure description.
// The cache lives in the user defaults (core/UserDefaults.h), whose file is made owner-only (0600) before
// the token is written into it.

#include "services/HttpExchange.h"
#include "services/JsonDecoding.h"
#include "services/NetworkSettings.h"
#include "services/ProductConfiguration.h"
#include "services/Result.h"

#include <QString>
#include <functional>
#include <variant>

class QNetworkAccessManager;

namespace orbix {

class FirebaseAnonymousAuthService {
public:
    enum class AuthError { invalidURL, failed, missingAPIKey };
    static QString description(AuthError error);

    // Why no token could be had: the service's own error, an undecodable reply, or a transport failure.
    struct Failure {
        std::variant<AuthError, DecodingError, NetworkFailure> reason;
        QString description() const;
        friend bool operator==(const Failure&, const Failure&) = default;
    };

    using TokenResult = Result<QString, Failure>;
    using TokenCompletion = std::function<void(TokenResult)>;
    // The current time in seconds since 1 January 1970.
    using Clock = std::function<double()>;

    // Settings keys of the cache.
    static const QString idTokenKey;   // "firebaseAnonymousAuth.idToken"
    static const QString expiresAtKey; // "firebaseAnonymousAuth.expiresAt"
    // A cached token is used only while it has more than this many seconds left.
    static constexpr double renewalMargin = 60.0;
    // Lifetime assumed when the sign-up reply gives none that reads as a number.
    static constexpr double defaultLifetime = 3600.0;

    explicit FirebaseAnonymousAuthService(QNetworkAccessManager& session,
                                          NetworkSettings settings = NetworkSettings::resolved(),
                                          Clock clock = {});

    void idToken(const ProductConfiguration& configuration, TokenCompletion completion) const;

    static double systemTime();

private:
    using KeyCompletion = std::function<void(Result<QString, Failure>)>;
    void firebaseAPIKey(const ProductConfiguration& configuration, KeyCompletion completion) const;
    void signUp(const QString& apiKey, TokenCompletion completion) const;

    QNetworkAccessManager* session_;
    NetworkSettings settings_;
    Clock clock_;
};

} // namespace orbix
