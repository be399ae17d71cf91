#pragma once
// The build's description of the product: flavour, back-end product identifier, the name of the OpenAI key
// setting, the back-end service URL and the marketing version. Built from an information dictionary (the
// build-time table on Linux, the bundle's Info.plist on macOS); current() is built once per process.

#include "core/EnumRawValues.h"
#include "services/LocalEnvironment.h"

#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <optional>

namespace orbix {

enum class BuildFlavor { internal, public_ };

template <>
struct EnumRawValues<BuildFlavor> {
    static constexpr std::array<std::pair<BuildFlavor, std::string_view>, 2> table{{
        {BuildFlavor::internal, "internal"},
        {BuildFlavor::public_, "public"},
    }};
};

struct ProductConfiguration {
    BuildFlavor buildFlavor = BuildFlavor::internal;
    QString productID;
    QString openAIEnvironmentKeyName;
    QUrl backendURL;
    QString appVersion;

    // Information-dictionary keys.
    static const QString buildFlavorKey;    // "OrbixBuildFlavor"
    static const QString productIDKey;      // "OrbixProductID"
    static const QString environmentKeyKey; // "OrbixOpenAIEnvironmentKey"
    static const QString backendURLKey;     // "OrbixBackendURL"
    static const QString versionKey;        // "CFBundleShortVersionString"
    // The setting (environment or .env.local) that overrides the back-end URL.
    static const QString backendURLSetting; // "ORBIX_BACKEND_URL"
    // Built-in back-end addresses: the web service, and the back-end host used when a configured text
    // does not parse as a URL.
    static const QString defaultBackendURL;
    static const QString fallbackBackendURL;

    // Builds a configuration from an information dictionary; `lookup` resolves the back-end URL setting.
    static ProductConfiguration
    fromInformation(const QVariantMap& information,
                    const SettingLookup& lookup = LocalEnvironment::settingLookup());

    // The process-wide configuration of this build, created on first use and never changed.
    static const ProductConfiguration& current();

    // The scheme, host and port of backendURL followed by `path`; none when the origin lacks a scheme or
    // a host.
    std::optional<QUrl> backendEndpoint(const QString& path) const;
    // "/v1/products/" + productID + suffix on the back-end origin.
    std::optional<QUrl> productEndpoint(const QString& suffix) const;

    friend bool operator==(const ProductConfiguration&, const ProductConfiguration&) = default;
};

// The scheme, host and port of `base` followed by `path`; none when `base` has no scheme or no host.
std::optional<QUrl> endpointOnOrigin(const QUrl& base, const QString& path);

} // namespace orbix
