#include "services/ProductConfiguration.h"

#include "core/TextRules.h"
#include "services/BuildInformation.h"

#ifdef Q_OS_MACOS
#include <QCoreApplication>
#include <QSettings>
#endif

namespace orbix {

const QString ProductConfiguration::buildFlavorKey = QStringLiteral("OrbixBuildFlavor");
const QString ProductConfiguration::productIDKey = QStringLiteral("OrbixProductID");
const QString ProductConfiguration::environmentKeyKey = QStringLiteral("OrbixOpenAIEnvironmentKey");
const QString ProductConfiguration::backendURLKey = QStringLiteral("OrbixBackendURL");
const QString ProductConfiguration::versionKey = QStringLiteral("CFBundleShortVersionString");
const QString ProductConfiguration::backendURLSetting = QStringLiteral("ORBIX_BACKEND_URL");
const QString ProductConfiguration::defaultBackendURL = QStringLiteral("https://orbix.app/api");
const QString ProductConfiguration::fallbackBackendURL = QStringLiteral("https://api.orbix.app");

namespace {

const QString kDefaultProductID = QStringLiteral("orbix");
const QString kDefaultEnvironmentKeyName = QStringLiteral("ORBIX_OPENAI_API_KEY");
const QString kDefaultVersion = QStringLiteral("0.0.0");

// A dictionary value counts only when it is a string that is not blank; it is trimmed.
std::optional<QString> informationString(const QVariantMap& information, const QString& key) {
    const auto found = information.constFind(key);
    if (found == information.constEnd() || found->typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    QString value = text::trimmed(found->toString());
    if (value.isEmpty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<QUrl> parsedUrl(const QString& text) {
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty()) {
        return std::nullopt;
    }
    return url;
}

QVariantMap mainBundleInformation() {
#ifdef Q_OS_MACOS
    // The bundle's Info.plist, when the executable runs from X.app/Contents/MacOS.
    const QString plist = QCoreApplication::applicationDirPath() + QStringLiteral("/../Info.plist");
    QSettings reader(plist, QSettings::NativeFormat);
    QVariantMap information;
    for (const QString& key : reader.childKeys()) {
        information.insert(key, reader.value(key));
    }
    if (!information.isEmpty()) {
        return information;
    }
#endif
    return buildInformationDictionary();
}

} // namespace

ProductConfiguration ProductConfiguration::fromInformation(const QVariantMap& information,
                                                           const SettingLookup& lookup) {
    ProductConfiguration configuration;
    configuration.buildFlavor = informationString(information, buildFlavorKey) == QStringLiteral("public")
                                    ? BuildFlavor::public_
                                    : BuildFlavor::internal;
    configuration.productID = informationString(information, productIDKey).value_or(kDefaultProductID);
    configuration.openAIEnvironmentKeyName =
        informationString(information, environmentKeyKey).value_or(kDefaultEnvironmentKeyName);
    configuration.appVersion = informationString(information, versionKey).value_or(kDefaultVersion);

    std::optional<QString> urlText = lookup ? lookup(backendURLSetting) : std::nullopt;
    if (!urlText) {
        urlText = informationString(information, backendURLKey);
    }
    configuration.backendURL =
        parsedUrl(urlText.value_or(defaultBackendURL)).value_or(QUrl(fallbackBackendURL, QUrl::StrictMode));
    return configuration;
}

const ProductConfiguration& ProductConfiguration::current() {
    static const ProductConfiguration configuration = fromInformation(mainBundleInformation());
    return configuration;
}

std::optional<QUrl> endpointOnOrigin(const QUrl& base, const QString& path) {
    if (base.scheme().isEmpty() || base.host().isEmpty()) {
        return std::nullopt;
    }
    QUrl url;
    url.setScheme(base.scheme());
    url.setHost(base.host());
    url.setPort(base.port());
    url.setPath(path);
    if (!url.isValid()) {
        return std::nullopt;
    }
    return url;
}

std::optional<QUrl> ProductConfiguration::backendEndpoint(const QString& path) const {
    return endpointOnOrigin(backendURL, path);
}

std::optional<QUrl> ProductConfiguration::productEndpoint(const QString& suffix) const {
    return backendEndpoint(QStringLiteral("/v1/products/") + productID + suffix);
}

} // namespace orbix
