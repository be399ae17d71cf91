#include "services/OpenAIAssistantProvider.h"

#include "core/UserDefaults.h"
#include "services/AssistantInstructions.h"
#include "services/FirebaseAnonymousAuthService.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <gtest/gtest.h>

using namespace orbix;
using orbix::test::LocalHttpServer;
using orbix::test::ScriptedReply;

namespace {

const QString kApiKey = QStringLiteral("sk-proj-SECRET-abcdefghijklmnopqrstuvwxyz0123");
const QString kIdToken = QStringLiteral("eyJhbGciOiJSUzI1NiIs.SECRET-TOKEN.signature");
const QString kProxyPath = QStringLiteral("/v1/products/orbix/openai/responses");
const QString kModelReply =
    QStringLiteral(R"({"message":"Exposure raised.","action":{"type":"c1_adjust_slider",)"
                   R"("slider":"exposure","value":0.5,"relative":true}})");

QByteArray replyWithOutputText(const QString& text) {
    return QJsonDocument(QJsonObject{{"output_text", text}}).toJson(QJsonDocument::Compact);
}

QByteArray replyWithOutputItems(const QString& text) {
    const QJsonObject part{{"type", "output_text"}, {"text", text}, {"annotations", QJsonArray()}};
    const QJsonObject message{
        {"type", "message"}, {"id", "msg_1"}, {"role", "assistant"}, {"content", QJsonArray{part}}};
    const QJsonObject reasoning{{"type", "reasoning"}, {"id", "rs_1"}, {"summary", QJsonArray()}};
    return QJsonDocument(QJsonObject{{"id", "resp_1"},
                                     {"object", "response"},
                                     {"status", "completed"},
                                     {"output", QJsonArray{reasoning, message}}})
        .toJson(QJsonDocument::Compact);
}

class OpenAIAssistantProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.listen());
        clearCache();
    }
    void TearDown() override { clearCache(); }

    static void clearCache() {
        const auto settings = userDefaults();
        settings->remove(FirebaseAnonymousAuthService::idTokenKey);
        settings->remove(FirebaseAnonymousAuthService::expiresAtKey);
        settings->sync();
    }

    ProductConfiguration configuration(BuildFlavor flavor) const {
        auto configuration = ProductConfiguration::fromInformation(
            {{"OrbixBuildFlavor", rawValue(flavor)}, {"OrbixBackendURL", server_.url().toString()}}, {});
        return configuration;
    }

    OpenAIAssistantProvider provider(BuildFlavor flavor, QMap<QString, QString> settings = {},
                                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        OpenAIAssistantProviderOptions options;
        options.network = NetworkSettings::defaults();
        options.network.openAIOrigin = server_.url();
        options.network.identityToolkitOrigin = server_.url();
        options.network.requestTimeout = timeout;
        options.lookup = [settings](const QString& name) -> std::optional<QString> {
            return settings.contains(name) ? std::optional(settings.value(name)) : std::nullopt;
        };
        options.configuration = [this, flavor] { return configuration(flavor); };
        return OpenAIAssistantProvider(network_, options);
    }

    // Runs one request to completion and checks that the completion came exactly once.
    AssistantResponse respond(const OpenAIAssistantProvider& provider, const QString& prompt) {
        int calls = 0;
        std::optional<AssistantResponse> response;
        provider.respond({prompt}, [&](AssistantResponse r) {
            ++calls;
            response = std::move(r);
        });
        EXPECT_EQ(calls, 0) << "the completion never runs inside respond";
        EXPECT_TRUE(test::waitUntil([&] { return response.has_value(); }));
        test::waitUntil([] { return false; }, std::chrono::milliseconds(30));
        EXPECT_EQ(calls, 1);
        return response.value_or(AssistantResponse{});
    }

    // The message must not hold a secret; compared without printing it.
    static void expectNoSecret(const QString& text) {
        EXPECT_FALSE(text.contains(kApiKey)) << "the API key leaked into a message";
        EXPECT_FALSE(text.contains(kIdToken)) << "the identity token leaked into a message";
    }

    QNetworkAccessManager network_;
    LocalHttpServer server_;
};

} // namespace

TEST_F(OpenAIAssistantProviderTest, ModelChoiceFollowsTheWordLists) {
    const auto p = provider(BuildFlavor::internal);
    EXPECT_EQ(p.modelForPrompt("Rate all selected 5 stars"), (PlannerModel{"gpt-5.6-sol", "high"}));
    EXPECT_EQ(p.modelForPrompt("Make it CINEMATIC"), (PlannerModel{"gpt-5.6-terra", "medium"}));
    EXPECT_EQ(p.modelForPrompt("go to the next one"), (PlannerModel{"gpt-5.6-luna", "low"}));
    EXPECT_EQ(p.modelForPrompt("accurate"), (PlannerModel{"gpt-5.6-luna", "low"})) << "substring match";
    EXPECT_EQ(p.modelForPrompt("hello there"), (PlannerModel{"gpt-5.6-terra", "medium"}));

    OpenAIAssistantProviderOptions options;
    options.modelOverride = "custom-model";
    EXPECT_EQ(OpenAIAssistantProvider(network_, options).modelForPrompt("batch everything"),
              (PlannerModel{"custom-model", "medium"}));
}

TEST_F(OpenAIAssistantProviderTest, DirectModeSendsTheRequestAndMapsTheReply) {
    server_.route("POST", "/v1/responses", ScriptedReply::json(200, replyWithOutputText(kModelReply)));
    const auto response = respond(provider(BuildFlavor::internal, {{"ORBIX_OPENAI_API_KEY", kApiKey}}),
                                  "Brighten the exposure a bit");

    ASSERT_EQ(server_.requests().size(), 1);
    const auto& request = server_.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/responses");
    EXPECT_TRUE(request.query.isEmpty());
    EXPECT_TRUE(request.header("Authorization") == "Bearer " + kApiKey.toUtf8()) << "bearer key";
    EXPECT_EQ(request.header("Content-Type"), "application/json");

    const QJsonObject body = request.json();
    EXPECT_EQ(body.keys(), (QStringList{"input", "instructions", "model", "reasoning", "store", "text"}));
    EXPECT_EQ(body["model"], "gpt-5.6-terra");
    EXPECT_EQ(body["instructions"].toString(), assistantInstructions());
    EXPECT_EQ(body["input"], "Return json only.\n\nUser request: Brighten the exposure a bit");
    EXPECT_EQ(body["text"].toObject(),
              (QJsonObject{{"format", QJsonObject{{"type", "json_object"}}}, {"verbosity", "low"}}));
    EXPECT_EQ(body["reasoning"].toObject(), (QJsonObject{{"effort", "medium"}}));
    EXPECT_EQ(body["store"], false);
    EXPECT_TRUE(assistantInstructions().startsWith("You are Orbix, a focused assistant"));
    EXPECT_FALSE(assistantInstructions().endsWith('\n'));

    EXPECT_EQ(response.message.content, "Exposure raised.");
    ASSERT_TRUE(response.action);
    EXPECT_EQ(response.action->slider, "exposure");
    EXPECT_EQ(response.action->value, 0.5);
    EXPECT_EQ(response.action->relative, true);
}

TEST_F(OpenAIAssistantProviderTest, DirectModeKeyResolution) {
    // No key at all: a message, no request.
    const auto missing = respond(provider(BuildFlavor::internal), "hello");
    EXPECT_EQ(missing.message.content,
              "OpenAI is not configured. Add `ORBIX_OPENAI_API_KEY` to `.env.local` for local development.");
    EXPECT_TRUE(missing.artifacts.empty());
    EXPECT_FALSE(missing.action);
    EXPECT_TRUE(server_.requests().isEmpty());
    EXPECT_FALSE(provider(BuildFlavor::internal).isConfigured());
    EXPECT_TRUE(provider(BuildFlavor::internal, {{"OPENAI_API_KEY", "sk"}}).isConfigured());
    EXPECT_TRUE(provider(BuildFlavor::public_).isConfigured()) << "the back end holds the key";

    // The generic key name is the fallback; items-shaped replies read the same.
    server_.route("POST", "/v1/responses",
                  ScriptedReply::json(200, replyWithOutputItems("```json\n{\"message\":\"Hi!\"}\n```")));
    const auto generic = respond(provider(BuildFlavor::internal, {{"OPENAI_API_KEY", "sk-generic"}}), "hi");
    EXPECT_EQ(generic.message.content, "Hi!");
    ASSERT_EQ(server_.requests().size(), 1);
    EXPECT_TRUE(server_.requests()[0].header("Authorization") == "Bearer sk-generic");
}

TEST_F(OpenAIAssistantProviderTest, FailuresBecomeMessages) {
    const QByteArray unauthorized =
        R"({"error":{"message":"Incorrect API key provided: )" + kApiKey.toUtf8() +
        R"(. You can find your API key at https://platform.openai.com/account/api-keys.",)"
        R"("type":"invalid_request_error","param":null,"code":"invalid_api_key"}})";
    const QByteArray quota =
        R"({"error":{"message":"You exceeded your current quota, please check your plan and )"
        R"(billing details.","type":"insufficient_quota","param":null,"code":"insufficient_quota"}})";
    struct Case {
        ScriptedReply reply;
        QString expected;
    };
    const QList<Case> cases{
        {ScriptedReply::json(429, quota), "OpenAI request failed: HTTP 429 " + QString::fromUtf8(quota)},
        {ScriptedReply::json(403,
                             R"({"error":{"message":"Project does not have access to model","code":null}})"),
         R"(OpenAI request failed: HTTP 403 {"error":{"message":"Project does not have access to model","code":null}})"},
        {ScriptedReply::text(404, "Not Found"), "OpenAI request failed: HTTP 404 Not Found"},
        {ScriptedReply::text(500, ""), "OpenAI request failed: HTTP 500 "},
        {ScriptedReply::json(200, "{\"output\": [ {\"content\": "),
         "OpenAI request failed: The OpenAI server returned an invalid response."},
        {ScriptedReply::json(200, ""),
         "OpenAI request failed: The OpenAI server returned an invalid response."},
        {ScriptedReply::json(200, R"({"output":[]})"),
         "OpenAI request failed: The OpenAI response did not include text output."},
        {ScriptedReply::json(200, replyWithOutputText("Sure, I can help with that.")),
         "Sure, I can help with that."},
    };
    const auto p = provider(BuildFlavor::internal, {{"ORBIX_OPENAI_API_KEY", kApiKey}});
    for (const Case& c : cases) {
        server_.enqueue("POST", "/v1/responses", c.reply);
        const auto response = respond(p, "hello");
        EXPECT_EQ(response.message.content, c.expected);
        EXPECT_TRUE(response.artifacts.empty());
        EXPECT_FALSE(response.action);
    }

    // Qt resends once on a connection closed before any reply, so the drop is scripted for every attempt.
    server_.route("POST", "/v1/responses", ScriptedReply::dropped());
    EXPECT_EQ(respond(p, "hello").message.content, "OpenAI request failed: The network connection was lost.");

    // A 401 that echoes the key shows the body without it.
    server_.enqueue("POST", "/v1/responses", ScriptedReply::json(401, unauthorized));
    const QString message = respond(p, "hello").message.content;
    EXPECT_TRUE(
        message.startsWith("OpenAI request failed: HTTP 401 {\"error\":{\"message\":\"Incorrect API key"));
    expectNoSecret(message);

    // Nothing listening.
    LocalHttpServer closed;
    ASSERT_TRUE(closed.listen());
    OpenAIAssistantProviderOptions options;
    options.network.openAIOrigin = closed.url();
    options.lookup = [](const QString&) { return std::optional<QString>("sk-x"); };
    options.configuration = [this] { return configuration(BuildFlavor::internal); };
    const OpenAIAssistantProvider refused(network_, options);
    closed.close();
    EXPECT_EQ(respond(refused, "hello").message.content,
              "OpenAI request failed: Could not connect to the server.");
}

TEST_F(OpenAIAssistantProviderTest, SlowReplyTimesOut) {
    server_.route("POST", "/v1/responses",
                  ScriptedReply::json(200, replyWithOutputText("late")).after(std::chrono::milliseconds(2000)));
    const auto p =
        provider(BuildFlavor::internal, {{"ORBIX_OPENAI_API_KEY", kApiKey}}, std::chrono::milliseconds(150));
    EXPECT_EQ(respond(p, "hello").message.content, "OpenAI request failed: The request timed out.");

    server_.route("POST", "/v1/responses", ScriptedReply::never());
    EXPECT_EQ(respond(p, "hello").message.content, "OpenAI request failed: The request timed out.");
    EXPECT_EQ(OpenAIAssistantProviderOptions().network.requestTimeout, std::chrono::seconds(60));
}

TEST_F(OpenAIAssistantProviderTest, PublicBuildUsesTheProxyWithAnIdentityToken) {
    server_.route("GET", "/v1/public-config",
                  ScriptedReply::json(200, R"({"firebase":{"apiKey":"AIza-public"}})"));
    server_.route("POST", "/v1/accounts:signUp",
                  ScriptedReply::json(200, R"({"kind":"identitytoolkit#SignupNewUserResponse","idToken":")" +
                                               kIdToken.toUtf8() +
                                               R"(","refreshToken":"AMf-r","expiresIn":"3600"})"));
    server_.route("POST", kProxyPath, ScriptedReply::json(200, replyWithOutputItems(kModelReply)));

    // A local key does not matter to a public build.
    const auto p = provider(BuildFlavor::public_, {{"ORBIX_OPENAI_API_KEY", kApiKey}});
    const auto response = respond(p, "rate this five stars");
    EXPECT_EQ(response.message.content, "Exposure raised.");

    ASSERT_EQ(server_.requests().size(), 3);
    EXPECT_TRUE(server_.requestsTo("/v1/responses").isEmpty());
    const auto proxy = server_.requestsTo(kProxyPath);
    ASSERT_EQ(proxy.size(), 1);
    EXPECT_EQ(proxy[0].method, "POST");
    EXPECT_TRUE(proxy[0].header("Authorization") == "Bearer " + kIdToken.toUtf8()) << "bearer identity token";
    EXPECT_EQ(proxy[0].header("Content-Type"), "application/json");
    const QJsonObject body = proxy[0].json();
    EXPECT_EQ(body.keys(), QStringList{"payload"});
    EXPECT_EQ(body["payload"].toObject(),
              OpenAIAssistantProvider::requestBody("rate this five stars", {"gpt-5.6-luna", "low"}));

    // The cached token serves the next request without a new sign-up.
    respond(p, "again");
    EXPECT_EQ(server_.requestsTo("/v1/accounts:signUp").size(), 1);
    EXPECT_EQ(server_.requestsTo(kProxyPath).size(), 2);

    // A proxy error is shown with its body, without the token.
    server_.enqueue("POST", kProxyPath,
                    ScriptedReply::json(401, R"({"error":"invalid token )" + kIdToken.toUtf8() + "\"}"));
    const QString message = respond(p, "again").message.content;
    EXPECT_TRUE(message.startsWith("OpenAI request failed: HTTP 401 {\"error\":\"invalid token"));
    expectNoSecret(message);
}

TEST_F(OpenAIAssistantProviderTest, IdentityFailuresReachTheMessage) {
    server_.route("GET", "/v1/public-config", ScriptedReply::json(200, R"({"firebase":{"apiKey":""}})"));
    const auto p = provider(BuildFlavor::public_);
    EXPECT_EQ(respond(p, "hello").message.content,
              "OpenAI request failed: Orbix authentication is not configured.");
    EXPECT_TRUE(server_.requestsTo(kProxyPath).isEmpty());
}

TEST_F(OpenAIAssistantProviderTest, ProxyRequestsAreSentOnceAndOnlyToTheBackEnd) {
    server_.route("GET", "/v1/public-config", ScriptedReply::json(200, R"({"firebase":{"apiKey":"AIza"}})"));
    server_.route("POST", "/v1/accounts:signUp",
                  ScriptedReply::json(200, R"({"idToken":")" + kIdToken.toUtf8() + R"(","expiresIn":"3600"})"));
    const auto p = provider(BuildFlavor::public_);

    // Dropped before any reply: one paid model run at most.
    server_.route("POST", kProxyPath, ScriptedReply::dropped());
    EXPECT_EQ(respond(p, "hello").message.content, "OpenAI request failed: The network connection was lost.");
    EXPECT_EQ(server_.requestsTo(kProxyPath).size(), 1);

    // A complete-looking reply cut off before its announced length.
    const QByteArray padded = replyWithOutputText(kModelReply) + QByteArray(32, ' ');
    server_.route("POST", kProxyPath, ScriptedReply::json(200, padded).cutOffAfter(padded.trimmed().size()));
    EXPECT_EQ(respond(p, "hello").message.content, "OpenAI request failed: The network connection was lost.");

    // The token travels to a redirect on the same server only.
    LocalHttpServer elsewhere;
    ASSERT_TRUE(elsewhere.listen());
    for (const int status : {307, 308}) {
        server_.route("POST", kProxyPath,
                      ScriptedReply::redirect(status, elsewhere.url().toEncoded() + kProxyPath.toUtf8()));
        EXPECT_EQ(respond(p, "hello").message.content,
                  "OpenAI request failed: Orbix refused a redirect to another server.");
    }
    EXPECT_TRUE(elsewhere.requests().isEmpty());
    server_.route("POST", kProxyPath, ScriptedReply::redirect(307, "/v2/responses"));
    server_.route("POST", "/v2/responses", ScriptedReply::json(200, replyWithOutputText(kModelReply)));
    EXPECT_EQ(respond(p, "hello").message.content, "Exposure raised.");
    const auto moved = server_.requestsTo("/v2/responses");
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0].json(), server_.requestsTo(kProxyPath).last().json()) << "the body is kept";
    EXPECT_TRUE(moved[0].header("Authorization") == "Bearer " + kIdToken.toUtf8());
    EXPECT_EQ(server_.requestsTo("/v1/accounts:signUp").size(), 1);

    // An identity token with a line break never becomes a header.
    clearCache();
    server_.route("POST", "/v1/accounts:signUp",
                  ScriptedReply::json(200, R"({"idToken":"abc\r\nX-Injected: 1","expiresIn":"3600"})"));
    const int proxyRequests = int(server_.requestsTo(kProxyPath).size());
    EXPECT_EQ(
        respond(p, "hello").message.content,
        "OpenAI request failed: The data couldn\u2019t be read because it isn\u2019t in the correct format.");
    EXPECT_EQ(server_.requestsTo(kProxyPath).size(), proxyRequests);
}

TEST_F(OpenAIAssistantProviderTest, ProxyModeObtainsTheTokenBeforeBuildingTheProxyUrl) {
    OpenAIAssistantProviderOptions options;
    options.network = NetworkSettings::defaults();
    options.network.identityToolkitOrigin = server_.url();
    options.lookup = [](const QString&) { return std::nullopt; };
    options.configuration = [this] {
        auto unusable = configuration(BuildFlavor::public_);
        unusable.backendURL = QUrl(QStringLiteral("file:///srv/backend"));
        return unusable;
    };
    const OpenAIAssistantProvider p(network_, options);
    EXPECT_EQ(respond(p, "hello").message.content, "OpenAI request failed: The authentication URL is invalid.");
    EXPECT_TRUE(server_.requests().isEmpty());
}
