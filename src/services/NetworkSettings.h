#pragma once
// Where the network services live and how long a request may stay silent. The hosts are settings resolved
// through LocalEnvironment so that tests and staging can point them at a local server; each value is an
// origin ("https://api.openai.com", "http://127.0.0.1:8080") or a bare host name, which gets the service's
// default scheme.

#include "services/LocalEnvironment.h"

#include <QString>
#include <QUrl>
#include <chrono>

namespace orbix {

struct NetworkSettings {
    // Setting names.
    static const QString openAIHostSetting;          // "ORBIX_OPENAI_API_HOST"
    static const QString realtimeHostSetting;        // "ORBIX_OPENAI_REALTIME_HOST"
    static const QString identityToolkitHostSetting; // "ORBIX_IDENTITY_TOOLKIT_HOST"
    // Defaults: the public hosts.
    static const QString defaultOpenAIHost;          // "https://api.openai.com"
    static const QString defaultRealtimeHost;        // "wss://api.openai.com"
    static const QString defaultIdentityToolkitHost; // "https://identitytoolkit.googleapis.com"
    // A request fails when nothing has been sent or received for this long.
    static constexpr std::chrono::milliseconds defaultRequestTimeout{60'000};

    QUrl openAIOrigin;
    QUrl realtimeOrigin;
    QUrl identityToolkitOrigin;
    std::chrono::milliseconds requestTimeout = defaultRequestTimeout;

    // The public hosts and the default time-out, without consulting any setting.
    static NetworkSettings defaults();
    // The hosts resolved through `lookup`; unset or unusable values give the public hosts.
    static NetworkSettings resolved(const SettingLookup& lookup = LocalEnvironment::settingLookup());
};

// An origin from a setting's text: a URL with a scheme and a host, or a bare "host[:port]" given
// `defaultScheme`. None when the text is neither.
std::optional<QUrl> originFromSetting(const QString& text, const QString& defaultScheme);

} // namespace orbix
