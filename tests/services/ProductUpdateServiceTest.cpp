#include "services/ProductUpdateService.h"

#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QNetworkAccessManager>
#include <gtest/gtest.h>

using namespace orbix;
using orbix::test::LocalHttpServer;
using orbix::test::ScriptedReply;

namespace {

const QString kPath = QStringLiteral("/v1/products/orbix/latest-version");

QByteArray updateReply(const QString& latest, const QString& mode = "recommended",
                       const QString& download = "https://orbix.app/download") {
    return QStringLiteral(R"({"update":{"latestVersion":"%1","minimumVersion":"1.0","mode":"%2",)"
                          R"("releaseNotes":"Faster imports.","downloadUrl":"%3"},"servedAt":"now"})")
        .arg(latest, mode, download)
        .toUtf8();
}

class ProductUpdateServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.listen()); }

    ProductUpdateService::UpdateResult check(const QString& runningVersion) {
        NetworkSettings settings = NetworkSettings::defaults();
        settings.requestTimeout = std::chrono::seconds(10);
        const ProductUpdateService service(network_, settings);
        auto configuration =
            ProductConfiguration::fromInformation({{"OrbixBackendURL", server_.url().toString() + "/ignored"},
                                                   {"CFBundleShortVersionString", runningVersion}},
                                                  {});
        std::optional<ProductUpdateService::UpdateResult> result;
        int calls = 0;
        service.availableUpdate(configuration, [&](ProductUpdateService::UpdateResult r) {
            ++calls;
            result = std::move(r);
        });
        EXPECT_TRUE(test::waitUntil([&] { return result.has_value(); }));
        EXPECT_EQ(calls, 1);
        return result.value_or(ProductUpdateService::UpdateResult::failure(NetworkFailure::unknown));
    }

    QNetworkAccessManager network_;
    LocalHttpServer server_;
};

std::strong_ordering compare(const char* a, const char* b) {
    return ProductUpdateService::compareVersions(a, b);
}

} // namespace

TEST(ProductUpdateVersions, NumericComparison) {
    EXPECT_EQ(compare("1.10", "1.9"), std::strong_ordering::greater);
    EXPECT_EQ(compare("1.2", "1.2.0"), std::strong_ordering::equal);
    EXPECT_EQ(compare("2.0-beta", "2.0"), std::strong_ordering::equal);
    EXPECT_EQ(compare("2.1-rc1", "2.0.9"), std::strong_ordering::greater);
    EXPECT_EQ(compare("1.b.3", "1.0.3"), std::strong_ordering::equal) << "a piece starting with a letter is 0";
    EXPECT_EQ(compare("", ""), std::strong_ordering::equal);
    EXPECT_EQ(compare("..1..", "1"), std::strong_ordering::equal) << "empty pieces are dropped";
    EXPECT_EQ(compare("1.0.1", "1.0"), std::strong_ordering::greater);
    EXPECT_EQ(compare("0.9", "1"), std::strong_ordering::less);

    using Parts = std::vector<qint64>;
    EXPECT_EQ(ProductUpdateService::numericVersionParts("10.04.3x.v2"), (Parts{10, 4, 3, 0}));
    EXPECT_EQ(ProductUpdateService::numericVersionParts("99999999999999999999.1"), (Parts{0, 1}))
        << "overflow is 0";
    EXPECT_EQ(ProductUpdateService::numericVersionParts(QString::fromUtf8("\u0663.2")), (Parts{0, 2}))
        << "non-ASCII digits do not read as an integer";
}

TEST_F(ProductUpdateServiceTest, NewerVersionIsAnUpdate) {
    server_.route("GET", kPath, ScriptedReply::json(200, updateReply("1.10", "required")));
    const auto result = check("1.9");
    ASSERT_TRUE(result);
    ASSERT_TRUE(result.value());
    EXPECT_EQ(*result.value(), (ProductUpdate{"1.10", "1.0", ProductUpdateMode::required, "Faster imports.",
                                              QUrl("https://orbix.app/download")}));

    ASSERT_EQ(server_.requests().size(), 1);
    const auto& request = server_.requests()[0];
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/v1/products/orbix/latest-version") << "no query: the version is not sent";
    EXPECT_FALSE(request.hasHeader("Authorization"));
}

TEST_F(ProductUpdateServiceTest, NoUpdateWhenNotNewerOrNotOpenable) {
    for (const auto& [latest, download] : std::initializer_list<std::pair<QString, QString>>{
             {"1.2.0", "https://orbix.app/download"},
             {"1.1.9", "https://orbix.app/download"},
             {"2.0", "not a url"},
             {"2.0", ""},
             {"2.0", "file:///Applications/Calculator.app"},
             {"2.0", "javascript:alert(1)"},
         }) {
        server_.route("GET", kPath, ScriptedReply::json(200, updateReply(latest, "recommended", download)));
        const auto result = check("1.2");
        ASSERT_TRUE(result) << latest.toStdString();
        EXPECT_FALSE(result.value()) << latest.toStdString() << " " << download.toStdString();
    }
}

TEST_F(ProductUpdateServiceTest, ErrorStatusIsNoInformationButBadRepliesAreErrors) {
    server_.route("GET", kPath, ScriptedReply::json(404, R"({"error":"unknown product"})"));
    auto result = check("1.0");
    ASSERT_TRUE(result);
    EXPECT_FALSE(result.value());

    server_.route("GET", kPath, ScriptedReply::json(500, "oops"));
    result = check("1.0");
    ASSERT_TRUE(result);
    EXPECT_FALSE(result.value());

    for (const QByteArray& body :
         {QByteArray("not json"), QByteArray(R"({"latestVersion":"2.0"})"), updateReply("2.0", "optional"),
          QByteArray(R"({"update":{"latestVersion":"2.0","minimumVersion":"1.0",)"
                     R"("mode":"required","downloadUrl":"https://x.test/"}})")}) {
        server_.route("GET", kPath, ScriptedReply::json(200, body));
        result = check("1.0");
        EXPECT_FALSE(result) << body.constData();
        if (!result) {
            EXPECT_TRUE(std::holds_alternative<DecodingError>(result.error())) << body.constData();
        }
    }

    server_.route("GET", kPath, ScriptedReply::dropped());
    result = check("1.0");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), ProductUpdateService::Failure(NetworkFailure::connectionLost));

    // A whole update record followed by padding, cut off after the record: not an update.
    const QByteArray padded = updateReply("2.0", "required") + QByteArray(16, '\n');
    server_.route("GET", kPath, ScriptedReply::json(200, padded).cutOffAfter(padded.trimmed().size()));
    result = check("1.0");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), ProductUpdateService::Failure(NetworkFailure::connectionLost));
}
