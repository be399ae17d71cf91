#include "services/OpenAIAssistantProvider.h"

#include "services/AssistantInstructions.h"
#include "services/HttpExchange.h"
#include "services/ResponsesReplyReader.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QTimer>

namespace orbix {

const QString OpenAIAssistantProvider::genericKeyName = QStringLiteral("OPENAI_API_KEY");

namespace {

const QString kResponsesPath = QStringLiteral("/v1/responses");
const QString kProxySuffix = QStringLiteral("/openai/responses");
const QString kInputPreamble = QStringLiteral("Return json only.\n\nUser request: ");
const QString kRequestFailedPrefix = QStringLiteral("OpenAI request failed: ");
const QString kDirectNotConfigured = QStringLiteral("OpenAI is not configured.");

struct ModelTier {
    QStringList words;
    PlannerModel model;
};

const QList<ModelTier>& modelTiers() {
    static const QList<ModelTier> tiers{
        {{QStringLiteral("batch"), QStringLiteral("all selected"), QStringLiteral("selected photos"),
          QStringLiteral("workflow"), QStringLiteral("match this"), QStringLiteral("match the"),
          QStringLiteral("complex"), QStringLiteral("multiple photos"), QStringLiteral("several photos")},
         {QStringLiteral("gpt-5.6-sol"), QStringLiteral("high")}},
        {{QStringLiteral("look"), QStringLiteral("style"), QStringLiteral("mood"), QStringLiteral("cinematic"),
          QStringLiteral("film"), QStringLiteral("preset"), QStringLiteral("slider"), QStringLiteral("adjust"),
          QStringLiteral("exposure"), QStringLiteral("contrast"), QStringLiteral("highlights"),
          QStringLiteral("shadows"), QStringLiteral("temperature")},
         {QStringLiteral("gpt-5.6-terra"), QStringLiteral("medium")}},
        {{QStringLiteral("rate"), QStringLiteral("rating"), QStringLiteral("star"), QStringLiteral("flag"),
          QStringLiteral("pick"), QStringLiteral("reject"), QStringLiteral("unflag"), QStringLiteral("next"),
          QStringLiteral("previous"), QStringLiteral("prev"), QStringLiteral("status"),
          QStringLiteral("import")},
         {QStringLiteral("gpt-5.6-luna"), QStringLiteral("low")}},
    };
    return tiers;
}

const PlannerModel kDefaultModel{QStringLiteral("gpt-5.6-terra"), QStringLiteral("medium")};
const QString kOverrideEffort = QStringLiteral("medium");

} // namespace

OpenAIAssistantProvider::OpenAIAssistantProvider(QNetworkAccessManager& session,
                                                 OpenAIAssistantProviderOptions options)
    : session_(&session), options_(std::move(options)) {}

QString OpenAIAssistantProvider::notConfiguredMessage(const QString& keyName) {
    return QStringLiteral("OpenAI is not configured. Add `") + keyName +
           QStringLiteral("` to `.env.local` for local development.");
}

QString OpenAIAssistantProvider::requestFailedMessage(const OpenAIProviderError& error) {
    return kRequestFailedPrefix + error.description();
}

bool OpenAIAssistantProvider::containsAny(QStringView text, const QStringList& words) {
    for (const QString& word : words) {
        if (text.contains(word)) {
            return true;
        }
    }
    return false;
}

PlannerModel OpenAIAssistantProvider::modelForPrompt(const QString& prompt) const {
    if (options_.modelOverride) {
        return {*options_.modelOverride, kOverrideEffort};
    }
    const QString lower = prompt.toLower();
    for (const ModelTier& tier : modelTiers()) {
        if (containsAny(lower, tier.words)) {
            return tier.model;
        }
    }
    return kDefaultModel;
}

QJsonObject OpenAIAssistantProvider::requestBody(const QString& prompt, const PlannerModel& model) {
    return QJsonObject{
        {QStringLiteral("model"), model.model},
        {QStringLiteral("instructions"), assistantInstructions()},
        {QStringLiteral("input"), kInputPreamble + prompt},
        {QStringLiteral("text"),
         QJsonObject{
             {QStringLiteral("format"), QJsonObject{{QStringLiteral("type"), QStringLiteral("json_object")}}},
             {QStringLiteral("verbosity"), QStringLiteral("low")}}},
        {QStringLiteral("reasoning"), QJsonObject{{QStringLiteral("effort"), model.reasoningEffort}}},
        {QStringLiteral("store"), false},
    };
}

std::optional<QString> OpenAIAssistantProvider::apiKey(const ProductConfiguration& configuration) const {
    std::optional<QString> key;
    if (options_.lookup) {
        key = options_.lookup(configuration.openAIEnvironmentKeyName);
        if (!key) {
            key = options_.lookup(genericKeyName);
        }
    }
    return key;
}

ProductConfiguration OpenAIAssistantProvider::configuration() const {
    return options_.configuration ? options_.configuration() : ProductConfiguration::current();
}

bool OpenAIAssistantProvider::isConfigured() const {
    const ProductConfiguration current = configuration();
    return current.buildFlavor != BuildFlavor::internal || apiKey(current).has_value();
}

void OpenAIAssistantProvider::respond(const AssistantRequest& request, ResponseCompletion completion) const {
    const ProductConfiguration configuration = this->configuration();
    const std::optional<QString> apiKey = this->apiKey(configuration);

    if (configuration.buildFlavor == BuildFlavor::internal && !apiKey) {
        QTimer::singleShot(
            0, session_,
            [completion = std::move(completion), keyName = configuration.openAIEnvironmentKeyName] {
                completion(ResponsesReplyReader::messageOnly(notConfiguredMessage(keyName)));
            });
        return;
    }

    createResponse(request.prompt, apiKey, configuration,
                   [completion = std::move(completion)](TextResult text) {
                       if (!text) {
                           completion(ResponsesReplyReader::messageOnly(requestFailedMessage(text.error())));
                           return;
                       }
                       completion(ResponsesReplyReader::assistantResponse(text.value()));
                   });
}

void OpenAIAssistantProvider::createResponse(const QString& prompt, const std::optional<QString>& apiKey,
                                             const ProductConfiguration& configuration,
                                             TextCompletion completion) const {
    const auto failLater = [this](TextCompletion done, OpenAIProviderError error) {
        QTimer::singleShot(0, session_, [done = std::move(done), error] { done(TextResult::failure(error)); });
    };
    const QJsonObject body = requestBody(prompt, modelForPrompt(prompt));

    if (configuration.buildFlavor == BuildFlavor::internal) {
        if (!apiKey) {
            failLater(std::move(completion), OpenAIProviderError::apiError(kDirectNotConfigured));
            return;
        }
        const auto url = endpointOnOrigin(options_.network.openAIOrigin, kResponsesPath);
        if (!url) {
            failLater(std::move(completion), OpenAIProviderError::invalidResponse());
            return;
        }
        send(*url, QJsonDocument(body).toJson(QJsonDocument::Compact), *apiKey, std::move(completion));
        return;
    }

    // Public builds always use the proxy, even when a local key exists. The identity token comes first, so
    // an unusable back-end URL is reported by the authentication step.
    const QByteArray proxyBody =
        QJsonDocument(QJsonObject{{QStringLiteral("payload"), body}}).toJson(QJsonDocument::Compact);
    const FirebaseAnonymousAuthService auth(*session_, options_.network, options_.clock);
    auto self = *this;
    auth.idToken(configuration, [self, configuration, proxyBody, completion = std::move(completion)](
                                    FirebaseAnonymousAuthService::TokenResult token) {
        if (!token) {
            completion(TextResult::failure(OpenAIProviderError::requestFailed(token.error().description())));
            return;
        }
        const auto url = configuration.productEndpoint(kProxySuffix);
        if (!url) {
            completion(TextResult::failure(OpenAIProviderError::invalidResponse()));
            return;
        }
        self.send(*url, proxyBody, token.value(), completion);
    });
}

void OpenAIAssistantProvider::send(const QUrl& url, const QByteArray& body, const QString& credential,
                                   TextCompletion completion) const {
    HttpRequest request;
    request.method = HttpMethod::post;
    request.url = url;
    request.headers = {{kAuthorizationHeader, bearer(credential)}, {kContentTypeHeader, kJsonContentType}};
    request.body = body;
    request.carriesCredential = true;
    request.timeout = options_.network.requestTimeout;
    sendHttpRequest(*session_, request, [credential, completion = std::move(completion)](HttpOutcome outcome) {
        if (!outcome) {
            completion(TextResult::failure(OpenAIProviderError::requestFailed(description(outcome.error()))));
            return;
        }
        completion(ResponsesReplyReader::outputText(outcome.value(), {credential}));
    });
}

} // namespace orbix
