#include "services/NetworkSettings.h"

#include "core/TextRules.h"

namespace orbix {

const QString NetworkSettings::openAIHostSetting = QStringLiteral("ORBIX_OPENAI_API_HOST");
const QString NetworkSettings::realtimeHostSetting = QStringLiteral("ORBIX_OPENAI_REALTIME_HOST");
const QString NetworkSettings::identityToolkitHostSetting = QStringLiteral("ORBIX_IDENTITY_TOOLKIT_HOST");
const QString NetworkSettings::defaultOpenAIHost = QStringLiteral("https://api.openai.com");
const QString NetworkSettings::defaultRealtimeHost = QStringLiteral("wss://api.openai.com");
const QString NetworkSettings::defaultIdentityToolkitHost =
    QStringLiteral("https://identitytoolkit.googleapis.com");

std::optional<QUrl> originFromSetting(const QString& text, const QString& defaultScheme) {
    const QString trimmed = text::trimmed(text);
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    const QString withScheme =
        trimmed.contains(QStringLiteral("://")) ? trimmed : defaultScheme + QStringLiteral("://") + trimmed;
    const QUrl url(withScheme, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty()) {
        return std::nullopt;
    }
    QUrl origin;
    origin.setScheme(url.scheme());
    origin.setHost(url.host());
    origin.setPort(url.port());
    return origin;
}

NetworkSettings NetworkSettings::defaults() {
    NetworkSettings settings;
    settings.openAIOrigin = QUrl(defaultOpenAIHost);
    settings.realtimeOrigin = QUrl(defaultRealtimeHost);
    settings.identityToolkitOrigin = QUrl(defaultIdentityToolkitHost);
    return settings;
}

NetworkSettings NetworkSettings::resolved(const SettingLookup& lookup) {
    NetworkSettings settings = defaults();
    const auto resolve = [&](const QString& name, const QString& scheme, QUrl& target) {
        if (!lookup) {
            return;
        }
        if (const auto text = lookup(name)) {
            if (const auto origin = originFromSetting(*text, scheme)) {
                target = *origin;
            }
        }
    };
    resolve(openAIHostSetting, QStringLiteral("https"), settings.openAIOrigin);
    resolve(realtimeHostSetting, QStringLiteral("wss"), settings.realtimeOrigin);
    resolve(identityToolkitHostSetting, QStringLiteral("https"), settings.identityToolkitOrigin);
    return settings;
}

} // namespace orbix
