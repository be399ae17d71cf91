#pragma once
// The bearer credential of a Realtime session. An internal build uses the developer's own OpenAI key (the
// configured key setting, else OPENAI_API_KEY); a public build asks the back end for a short-lived client
// secret, presenting an anonymous identity token.
//
// Contract: bearerToken calls its completion exactly once, from the event loop. Neither the key, the
// identity token nor the client secret ever appears in a failure description.

#include "services/FirebaseAnonymousAuthService.h"
#include "services/HttpExchange.h"
#include "services/LocalEnvironment.h"
#include "services/NetworkSettings.h"
#include "services/ProductConfiguration.h"
#include "services/Result.h"
#include "voice/RealtimeVoiceError.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace orbix {

class RealtimeCredentials {
public:
    using TokenResult = Result<QString, RealtimeVoiceError>;
    using TokenCompletion = std::function<void(TokenResult)>;

    static const QString genericKeyName;        // "OPENAI_API_KEY"
    static const QString clientSecretSuffix;    // "/realtime/client-secret"
    static const QString backendRefusalMessage; // "Could not prepare Realtime voice."

    RealtimeCredentials(QNetworkAccessManager& session, NetworkSettings network, SettingLookup lookup,
                        FirebaseAnonymousAuthService::Clock clock = {});

    void bearerToken(const ProductConfiguration& configuration, const QString& model,
                     TokenCompletion completion) const;

    // The back end's reply to the client-secret request turned into the token or a failure.
    static TokenResult clientSecretFromReply(const HttpReply& reply);
    // The top-level "error" string of a JSON object body, when it is non-empty.
    static std::optional<QString> errorMessage(const QByteArray& body);

private:
    QNetworkAccessManager* session_;
    NetworkSettings network_;
    SettingLookup lookup_;
    FirebaseAnonymousAuthService::Clock clock_;
};

} // namespace orbix
