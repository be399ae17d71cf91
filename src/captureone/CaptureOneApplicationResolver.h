#pragma once
// Finds the installed Capture One applications, orders them by preference and picks the one a command
// goes to. Stateless: every call lists the folders again; the only persistent input is the pinned path.

#include "captureone/CaptureOneApplication.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace orbix {

class CaptureOneApplicationResolver {
public:
    // User-defaults key of the pinned application's path (empty or absent: latest installed).
    static const QString preferredApplicationPathKey;

    // /Applications, ~/Applications, each folder of ORBIX_APPLICATIONS_PATH, then (Linux) the bundled
    // simulator's folder.
    static QStringList applicationFolders();

    static std::vector<CaptureOneApplication> installedApplications();
    static std::optional<CaptureOneApplication>
    resolve(const std::optional<QString>& requestedName = std::nullopt);
    static std::optional<QString> explicitRequestedName(const std::optional<QString>& text);

    static std::optional<QString> preferredApplicationPath();
    static void setPreferredApplicationPath(const std::optional<QString>& path);

    static std::optional<CaptureOneApplication>
    latestStableApplication(const std::vector<CaptureOneApplication>& list);
    static std::optional<CaptureOneApplication> explicitMatch(const QString& text,
                                                              const std::vector<CaptureOneApplication>& list);
    static bool requestsLatestVersion(const std::optional<QString>& text);
    static bool isPreferredBefore(const CaptureOneApplication& a, const CaptureOneApplication& b);
    // Orders version strings with digit runs compared as numbers ("16.10" > "16.9"): <0, 0, >0.
    static int compareVersions(QStringView a, QStringView b);
};

} // namespace orbix
