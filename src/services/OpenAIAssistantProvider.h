#pragma once
// The text assistant over the OpenAI Responses API. An internal build calls OpenAI directly with a
// developer key from the environment or ".env.local"; a public build always goes through the back end's
// Responses proxy with an anonymous identity token. Every failure becomes the reply's message; the key
// and the token never appear in one.

#include "services/AssistantProvider.h"
#include "services/FirebaseAnonymousAuthService.h"
#include "services/LocalEnvironment.h"
#include "services/NetworkSettings.h"
#include "services/OpenAIProviderError.h"
#include "services/ProductConfiguration.h"
#include "services/Result.h"

#include <QJsonObject>
#include <QStringList>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace orbix {

// The model and reasoning effort chosen for a prompt.
struct PlannerModel {
    QString model;
    QString reasoningEffort;

    friend bool operator==(const PlannerModel&, const PlannerModel&) = default;
};

struct OpenAIAssistantProviderOptions {
    // When present, the model for every request (with effort "medium") instead of the prompt-based choice.
    std::optional<QString> modelOverride;
    // Hosts and time-out.
    NetworkSettings network = NetworkSettings::resolved();
    // Resolves the API key settings.
    SettingLookup lookup = LocalEnvironment::settingLookup();
    // The configuration read at each request; ProductConfiguration::current() when empty.
    std::function<ProductConfiguration()> configuration;
    // The clock of the identity-token cache; the system clock when empty.
    FirebaseAnonymousAuthService::Clock clock;
};

class OpenAIAssistantProvider final : public AssistantProvider {
public:
    using TextResult = Result<QString, OpenAIProviderError>;
    using TextCompletion = std::function<void(TextResult)>;

    // The fallback setting for the API key when the configured key name has no value.
    static const QString genericKeyName; // "OPENAI_API_KEY"

    explicit OpenAIAssistantProvider(QNetworkAccessManager& session,
                                     OpenAIAssistantProviderOptions options = {});

    AssistantProviderKind kind() const override { return AssistantProviderKind::openAI; }
    void respond(const AssistantRequest& request, ResponseCompletion completion) const override;
    bool isConfigured() const override;

    // One HTTP exchange (preceded by obtaining the identity token in a public build); the model's output
    // text or a typed failure.
    void createResponse(const QString& prompt, const std::optional<QString>& apiKey,
                        const ProductConfiguration& configuration, TextCompletion completion) const;

    PlannerModel modelForPrompt(const QString& prompt) const;

    // Whether any of the words occurs in the (already lower-cased) text.
    static bool containsAny(QStringView text, const QStringList& words);
    // The Responses request body for a prompt and model.
    static QJsonObject requestBody(const QString& prompt, const PlannerModel& model);
    // The reply of an internal build that has no key.
    static QString notConfiguredMessage(const QString& keyName);
    // The message for a failed exchange.
    static QString requestFailedMessage(const OpenAIProviderError& error);

private:
    ProductConfiguration configuration() const;
    // The key under the configured name, else under the generic one.
    std::optional<QString> apiKey(const ProductConfiguration& configuration) const;
    void send(const QUrl& url, const QByteArray& body, const QString& credential,
              TextCompletion completion) const;

    QNetworkAccessManager* session_;
    OpenAIAssistantProviderOptions options_;
};

} // namespace orbix
