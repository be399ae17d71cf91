#pragma once
// Finds the installed Capture One applications, orders them by preference and picks the one a command
// goes to. Every call lists the folders again; the only persistent input is the pinned path, kept in
// Settings.

#include "captureone/CaptureOneApplication.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace orbix {

class Settings;

class CaptureOneApplicationResolver {
public:
    // Looks in `applicationFolders`, in order; the pinned application is read from and written to
    // `settings`, which must outlive the resolver.
    CaptureOneApplicationResolver(Settings& settings, QStringList applicationFolders);

    // /Applications, ~/Applications, each folder of ORBIX_APPLICATIONS_PATH, then (Linux) the bundled
    // simulator's folder: where the application looks.
    static QStringList defaultApplicationFolders();

    const QStringList& applicationFolders() const { return applicationFolders_; }
    std::vector<CaptureOneApplication> installedApplications() const;
    std::optional<CaptureOneApplication>
    resolve(const std::optional<QString>& requestedName = std::nullopt) const;
    std::optional<QString> explicitRequestedName(const std::optional<QString>& text) const;

    // The pinned application's path (empty or absent: latest installed).
    std::optional<QString> preferredApplicationPath() const;
    void setPreferredApplicationPath(const std::optional<QString>& path);

    static std::optional<CaptureOneApplication>
    latestStableApplication(const std::vector<CaptureOneApplication>& list);
    static std::optional<CaptureOneApplication> explicitMatch(const QString& text,
                                                              const std::vector<CaptureOneApplication>& list);
    static bool requestsLatestVersion(const std::optional<QString>& text);
    static bool isPreferredBefore(const CaptureOneApplication& a, const CaptureOneApplication& b);
    // Orders version strings with digit runs compared as numbers ("16.10" > "16.9"): <0, 0, >0.
    static int compareVersions(QStringView a, QStringView b);

private:
    Settings& settings_;
    QStringList applicationFolders_;
};

} // namespace orbix
