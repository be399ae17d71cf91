#include "services/ProductConfiguration.h"

#include "services/BuildInformation.h"
#include "services/NetworkSettings.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

SettingLookup settings(QMap<QString, QString> values) {
    return [values](const QString& name) -> std::optional<QString> {
        if (values.contains(name)) {
            return values.value(name);
        }
        return std::nullopt;
    };
}

const SettingLookup kNoSettings = settings({});

} // namespace

TEST(ProductConfiguration, InformationStringsAreTrimmedAndDefaulted) {
    const auto defaults = ProductConfiguration::fromInformation({}, kNoSettings);
    EXPECT_EQ(defaults.buildFlavor, BuildFlavor::internal);
    EXPECT_EQ(defaults.productID, "orbix");
    EXPECT_EQ(defaults.openAIEnvironmentKeyName, "ORBIX_OPENAI_API_KEY");
    EXPECT_EQ(defaults.appVersion, "0.0.0");
    EXPECT_EQ(defaults.backendURL, QUrl(ProductConfiguration::defaultBackendURL));

    const auto configured =
        ProductConfiguration::fromInformation({{"OrbixBuildFlavor", "public"},
                                               {"OrbixProductID", " orbix-pro\n"},
                                               {"OrbixOpenAIEnvironmentKey", "MY_KEY"},
                                               {"CFBundleShortVersionString", "  2.4.1 \n"}},
                                              kNoSettings);
    EXPECT_EQ(configured.buildFlavor, BuildFlavor::public_);
    EXPECT_EQ(configured.productID, "orbix-pro");
    EXPECT_EQ(configured.openAIEnvironmentKeyName, "MY_KEY");
    EXPECT_EQ(configured.appVersion, "2.4.1");

    const auto odd = ProductConfiguration::fromInformation(
        {{"OrbixBuildFlavor", "Public"}, {"OrbixProductID", 42}, {"CFBundleShortVersionString", " \n\t"}},
        kNoSettings);
    EXPECT_EQ(odd.buildFlavor, BuildFlavor::internal)
        << "only the exact text \"public\" selects the public build";
    EXPECT_EQ(odd.productID, "orbix") << "a value that is not a string counts as absent";
    EXPECT_EQ(odd.appVersion, "0.0.0");
}

TEST(ProductConfiguration, BackendUrlComesFromSettingThenInformationThenDefault) {
    const QVariantMap information{{"OrbixBackendURL", "https://staging.example.net:8443/base"}};
    EXPECT_EQ(ProductConfiguration::fromInformation(information, kNoSettings).backendURL,
              QUrl("https://staging.example.net:8443/base"));
    EXPECT_EQ(ProductConfiguration::fromInformation(information,
                                                    settings({{"ORBIX_BACKEND_URL", "http://127.0.0.1:9000"}}))
                  .backendURL,
              QUrl("http://127.0.0.1:9000"));
    EXPECT_EQ(ProductConfiguration::fromInformation({{"OrbixBackendURL", "http://bad host/"}}, kNoSettings)
                  .backendURL,
              QUrl(ProductConfiguration::fallbackBackendURL));
}

TEST(ProductConfiguration, EndpointsUseOnlySchemeHostAndPort) {
    auto configuration = ProductConfiguration::fromInformation(
        {{"OrbixBackendURL", "https://staging.example.net:8443/base/path?query=1#part"},
         {"OrbixProductID", "p1"}},
        kNoSettings);
    EXPECT_EQ(configuration.backendEndpoint("/v1/public-config"),
              QUrl("https://staging.example.net:8443/v1/public-config"));
    EXPECT_EQ(configuration.productEndpoint("/latest-version"),
              QUrl("https://staging.example.net:8443/v1/products/p1/latest-version"));

    configuration.backendURL = QUrl("relative/path");
    EXPECT_EQ(configuration.backendEndpoint("/v1/public-config"), std::nullopt);
}

TEST(ProductConfiguration, BuildTableDescribesThisBuild) {
    const QVariantMap table = buildInformationDictionary();
    for (const QString& key : {ProductConfiguration::buildFlavorKey, ProductConfiguration::productIDKey,
                               ProductConfiguration::environmentKeyKey, ProductConfiguration::backendURLKey,
                               ProductConfiguration::versionKey}) {
        EXPECT_TRUE(table.contains(key)) << key.toStdString();
    }
    const auto& current = ProductConfiguration::current();
    EXPECT_EQ(&current, &ProductConfiguration::current()) << "built once";
    EXPECT_EQ(current.appVersion, table.value(ProductConfiguration::versionKey).toString().trimmed());
    EXPECT_FALSE(current.appVersion.isEmpty());
}

TEST(NetworkSettings, HostsAreSettingsWithPublicDefaults) {
    const auto defaults = NetworkSettings::resolved(kNoSettings);
    EXPECT_EQ(defaults.openAIOrigin, QUrl("https://api.openai.com"));
    EXPECT_EQ(defaults.realtimeOrigin, QUrl("wss://api.openai.com"));
    EXPECT_EQ(defaults.identityToolkitOrigin, QUrl("https://identitytoolkit.googleapis.com"));
    EXPECT_EQ(defaults.requestTimeout, std::chrono::seconds(60));

    const auto local = NetworkSettings::resolved(settings({
        {"ORBIX_OPENAI_API_HOST", "http://127.0.0.1:8080/ignored/path"},
        {"ORBIX_OPENAI_REALTIME_HOST", "127.0.0.1:8081"},
        {"ORBIX_IDENTITY_TOOLKIT_HOST", "not a host at all"},
    }));
    EXPECT_EQ(local.openAIOrigin, QUrl("http://127.0.0.1:8080"));
    EXPECT_EQ(local.realtimeOrigin, QUrl("wss://127.0.0.1:8081"));
    EXPECT_EQ(local.identityToolkitOrigin, QUrl("https://identitytoolkit.googleapis.com"))
        << "an unusable value keeps the default";
}
