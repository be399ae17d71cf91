#include "services/FirebaseAnonymousAuthService.h"

#include "core/UserDefaults.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orbix;
using orbix::test::LocalHttpServer;
using orbix::test::ScriptedReply;

namespace {

const QString kToken = QStringLiteral("eyJhbGciOiJSUzI1NiIs.FRESH-TOKEN.sig");
const double kNow = 1'800'000'000.0;

class FirebaseAnonymousAuthServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.listen());
        clearCache();
        server_.route("GET", "/v1/public-config",
                      ScriptedReply::json(200, R"({"firebase":{"apiKey":"AIza&key=+/ x"},"other":1})"));
    }
    void TearDown() override { clearCache(); }

    static void clearCache() {
        const auto settings = userDefaults();
        settings->remove(FirebaseAnonymousAuthService::idTokenKey);
        settings->remove(FirebaseAnonymousAuthService::expiresAtKey);
        settings->sync();
    }
    static void cache(const QString& token, double expiresAt) {
        const auto settings = userDefaults();
        settings->setValue(FirebaseAnonymousAuthService::idTokenKey, token);
        settings->setValue(FirebaseAnonymousAuthService::expiresAtKey, expiresAt);
        settings->sync();
    }
    static QString cachedToken() {
        return userDefaults()->value(FirebaseAnonymousAuthService::idTokenKey).toString();
    }
    static double cachedExpiry() {
        return userDefaults()->value(FirebaseAnonymousAuthService::expiresAtKey).toDouble();
    }

    void signUpReplies(const QByteArray& body, int status = 200) {
        server_.route("POST", "/v1/accounts:signUp", ScriptedReply::json(status, body));
    }

    FirebaseAnonymousAuthService::TokenResult idToken() {
        NetworkSettings settings = NetworkSettings::defaults();
        settings.identityToolkitOrigin = server_.url();
        settings.requestTimeout = std::chrono::seconds(10);
        const FirebaseAnonymousAuthService service(network_, settings, [] { return kNow; });
        const auto configuration =
            ProductConfiguration::fromInformation({{"OrbixBackendURL", server_.url().toString()}}, {});
        std::optional<FirebaseAnonymousAuthService::TokenResult> result;
        int calls = 0;
        service.idToken(configuration, [&](FirebaseAnonymousAuthService::TokenResult r) {
            ++calls;
            result = std::move(r);
        });
        EXPECT_TRUE(test::waitUntil([&] { return result.has_value(); }));
        EXPECT_EQ(calls, 1);
        return result.value_or(FirebaseAnonymousAuthService::TokenResult::failure({NetworkFailure::unknown}));
    }

    static QString failureText(const FirebaseAnonymousAuthService::TokenResult& result) {
        return result ? QStringLiteral("<token>") : result.error().description();
    }

    QNetworkAccessManager network_;
    LocalHttpServer server_;
};

} // namespace

TEST_F(FirebaseAnonymousAuthServiceTest, SignsUpAndCachesTheToken) {
    signUpReplies(R"({"kind":"identitytoolkit#SignupNewUserResponse","idToken":")" + kToken.toUtf8() +
                  R"(","refreshToken":"AMf-vBz","expiresIn":"1800","localId":"VA4J0AnIeRcs3PjrMLFieeZPm8v2"})");
    const auto result = idToken();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.value() == kToken);
    EXPECT_TRUE(cachedToken() == kToken);
    EXPECT_EQ(cachedExpiry(), kNow + 1800);

    ASSERT_EQ(server_.requests().size(), 2);
    const auto& config = server_.requests()[0];
    EXPECT_EQ(config.method, "GET");
    EXPECT_EQ(config.path, "/v1/public-config");
    EXPECT_FALSE(config.hasHeader("Authorization"));

    const auto& signUp = server_.requests()[1];
    EXPECT_EQ(signUp.method, "POST");
    EXPECT_EQ(signUp.path, "/v1/accounts:signUp");
    EXPECT_EQ(signUp.query.queryItems(QUrl::FullyDecoded),
              (QList<QPair<QString, QString>>{{"key", "AIza&key=+/ x"}}))
        << "the whole key arrives as one query item";
    EXPECT_EQ(signUp.header("Content-Type"), "application/json");
    EXPECT_FALSE(signUp.hasHeader("Authorization"));
    EXPECT_EQ(signUp.json(), (QJsonObject{{"returnSecureToken", true}}));
}

TEST_F(FirebaseAnonymousAuthServiceTest, CacheIsUsedOnlyWithMoreThanSixtySecondsLeft) {
    signUpReplies(R"({"idToken":")" + kToken.toUtf8() + R"(","expiresIn":"3600"})");

    cache("cached-61", kNow + 61);
    auto result = idToken();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.value() == "cached-61") << "the cached token";
    EXPECT_TRUE(server_.requests().isEmpty());

    cache("cached-60", kNow + 60);
    result = idToken();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.value() == kToken) << "renewed";
    EXPECT_EQ(server_.requestsTo("/v1/accounts:signUp").size(), 1);
}

TEST_F(FirebaseAnonymousAuthServiceTest, MissingOrOddLifetimeMeansOneHour) {
    for (const QByteArray& lifetime :
         {QByteArray(), QByteArray(R"(,"expiresIn":"soon")"), QByteArray(R"(,"expiresIn":null)")}) {
        clearCache();
        signUpReplies(R"({"idToken":"t1")" + lifetime + "}");
        ASSERT_TRUE(idToken()) << lifetime.constData();
        EXPECT_EQ(cachedExpiry(), kNow + 3600) << lifetime.constData();
    }
}

TEST_F(FirebaseAnonymousAuthServiceTest, FailuresLeaveTheCacheAlone) {
    struct Case {
        const char* name;
        std::function<void()> script;
        QString expected;
        bool signUp;
    };
    const QString undecodable =
        QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format.");
    const QString missing = QStringLiteral("The data couldn\u2019t be read because it is missing.");
    const QList<Case> cases{
        {"403 on the public configuration",
         [&] {
             server_.route("GET", "/v1/public-config", ScriptedReply::json(403, R"({"error":"forbidden"})"));
         },
         "Could not prepare authentication for Orbix.", false},
        {"empty apiKey",
         [&] {
             server_.route("GET", "/v1/public-config",
                           ScriptedReply::json(200, R"({"firebase":{"apiKey":""}})"));
         },
         "Orbix authentication is not configured.", false},
        {"no apiKey",
         [&] { server_.route("GET", "/v1/public-config", ScriptedReply::json(200, R"({"firebase":{}})")); },
         "Orbix authentication is not configured.", false},
        {"missing firebase",
         [&] { server_.route("GET", "/v1/public-config", ScriptedReply::json(200, R"({"status":"ok"})")); },
         missing, false},
        {"configuration not JSON",
         [&] { server_.route("GET", "/v1/public-config", ScriptedReply::text(200, "<html>")); }, undecodable,
         false},
        {"sign-up refused",
         [&] {
             signUpReplies(R"({"error":{"code":400,"message":"ADMIN_ONLY_OPERATION","errors":[{"message":)"
                           R"("ADMIN_ONLY_OPERATION","domain":"global","reason":"invalid"}]}})",
                           400);
         },
         "Could not prepare authentication for Orbix.", true},
        {"sign-up without idToken", [&] { signUpReplies(R"({"refreshToken":"r","expiresIn":"3600"})"); },
         missing, true},
        {"sign-up with a numeric idToken", [&] { signUpReplies(R"({"idToken":12})"); }, undecodable, true},
        {"sign-up dropped", [&] { server_.route("POST", "/v1/accounts:signUp", ScriptedReply::dropped()); },
         "The network connection was lost.", true},
    };
    for (const Case& c : cases) {
        clearCache();
        server_.reset();
        server_.route("GET", "/v1/public-config",
                      ScriptedReply::json(200, R"({"firebase":{"apiKey":"AIza"}})"));
        c.script();
        cache("old-token", kNow + 10);
        const auto result = idToken();
        EXPECT_EQ(failureText(result), c.expected) << c.name;
        EXPECT_EQ(server_.requestsTo("/v1/accounts:signUp").isEmpty(), !c.signUp) << c.name;
        EXPECT_TRUE(cachedToken() == "old-token") << c.name << ": cached token replaced";
        EXPECT_EQ(cachedExpiry(), kNow + 10) << c.name;
    }
}

TEST_F(FirebaseAnonymousAuthServiceTest, TokensThatCannotBeHeadersAreInvalidReplies) {
    const QString undecodable =
        QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format.");
    for (const QString& token : {QStringLiteral("abc\r\nX-Injected: 1"), QStringLiteral("abc\n"),
                                 QStringLiteral("abc\rdef"), QStringLiteral("a b"), QString()}) {
        clearCache();
        signUpReplies(QJsonDocument(QJsonObject{{"idToken", token}, {"expiresIn", "3600"}}).toJson());
        EXPECT_EQ(failureText(idToken()), undecodable) << token.toStdString();
        EXPECT_TRUE(cachedToken().isEmpty()) << "nothing cached";
    }

    // A cached token that could not be a header (an edited settings file) is replaced by a new sign-up.
    signUpReplies(R"({"idToken":")" + kToken.toUtf8() + R"("})");
    cache("cached\r\nX-Injected: 1", kNow + 3600);
    const auto result = idToken();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.value() == kToken);
}

TEST_F(FirebaseAnonymousAuthServiceTest, SettingsFileIsOwnerOnlyWhileItHoldsAToken) {
    const mode_t previousMask = ::umask(022);
    const auto modeOf = [](const QString& path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 0777) : 0u;
    };
    const QString path = userDefaults()->fileName();
    signUpReplies(R"({"idToken":")" + kToken.toUtf8() + R"("})");

    // Created by the token write.
    QFile::remove(path);
    ASSERT_TRUE(idToken());
    ASSERT_TRUE(cachedToken() == kToken);
    EXPECT_EQ(modeOf(path), 0600u);

    // Every later write replaces the file and keeps the mode.
    userDefaults()->setValue("allowComputerControl", true);
    userDefaults()->sync();
    EXPECT_EQ(modeOf(path), 0600u);
    clearCache();
    userDefaults()->remove("allowComputerControl");
    userDefaults()->sync();
    EXPECT_EQ(modeOf(path), 0600u);

    // A file that others could read is made private before the token goes into it.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther));
    ASSERT_EQ(modeOf(path), 0644u);
    ASSERT_TRUE(idToken());
    EXPECT_EQ(modeOf(path), 0600u);
    ::umask(previousMask);
}
