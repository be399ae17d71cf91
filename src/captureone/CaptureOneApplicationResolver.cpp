#include "captureone/CaptureOneApplicationResolver.h"

#include "captureone/BundleInfo.h"
#include "captureone/SimulatorLocation.h"
#include "core/NaturalOrder.h"
#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace orbix {

namespace {

const QString plainName = QStringLiteral("Capture One");

bool isBeta(const CaptureOneApplication& application) {
    return application.scriptName.contains(QStringLiteral("beta"), Qt::CaseInsensitive);
}

bool isCandidate(const QFileInfo& entry) {
    if (entry.suffix().toLower() != QStringLiteral("app")) {
        return false;
    }
    if (!entry.completeBaseName().contains(plainName, Qt::CaseInsensitive)) {
        return false;
    }
    if (entry.fileName().toLower().startsWith(QStringLiteral("capture one"))) {
        return true;
    }
    const QString identifier =
        BundleInfo::stringProperties(entry.absoluteFilePath()).value(QStringLiteral("CFBundleIdentifier"));
    return identifier.toLower().contains(QStringLiteral("captureone"));
}

std::vector<CaptureOneApplication> applicationsIn(const QString& folder) {
    std::vector<CaptureOneApplication> found;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (isCandidate(entry)) {
            found.push_back(CaptureOneApplication::fromBundle(entry.absoluteFilePath()));
        }
    }
    return found;
}

} // namespace

CaptureOneApplicationResolver::CaptureOneApplicationResolver(Settings& settings, QStringList applicationFolders)
    : settings_(settings), applicationFolders_(std::move(applicationFolders)) {}

QStringList CaptureOneApplicationResolver::defaultApplicationFolders() {
    QStringList folders{QStringLiteral("/Applications"), QDir::homePath() + QStringLiteral("/Applications")};
    folders += qEnvironmentVariable("ORBIX_APPLICATIONS_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
#ifndef Q_OS_MACOS
    if (const auto simulatorFolder = SimulatorLocation::applicationsFolder()) {
        folders += *simulatorFolder;
    }
#endif
    return folders;
}

std::vector<CaptureOneApplication> CaptureOneApplicationResolver::installedApplications() const {
    std::vector<CaptureOneApplication> applications;
    QSet<QString> seen;
    for (const QString& folder : applicationFolders_) {
        for (CaptureOneApplication& application : applicationsIn(folder)) {
            if (!seen.contains(application.id())) {
                seen.insert(application.id());
                applications.push_back(std::move(application));
            }
        }
    }
    std::stable_sort(applications.begin(), applications.end(), &isPreferredBefore);
    return applications;
}

int CaptureOneApplicationResolver::compareVersions(QStringView a, QStringView b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a[endA].isDigit()) {
                ++endA;
            }
            while (endB < b.size() && b[endB].isDigit()) {
                ++endB;
            }
            // Compare digit runs as numbers of any length: drop leading zeros, then longer is larger.
            QStringView runA = a.mid(i, endA - i);
            QStringView runB = b.mid(j, endB - j);
            while (runA.size() > 1 && runA.front() == QLatin1Char('0')) {
                runA = runA.mid(1);
            }
            while (runB.size() > 1 && runB.front() == QLatin1Char('0')) {
                runB = runB.mid(1);
            }
            if (runA.size() != runB.size()) {
                return runA.size() < runB.size() ? -1 : 1;
            }
            if (const int order = runA.compare(runB); order != 0) {
                return order < 0 ? -1 : 1;
            }
            i = endA;
            j = endB;
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j] ? -1 : 1;
            }
            ++i;
            ++j;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

bool CaptureOneApplicationResolver::isPreferredBefore(const CaptureOneApplication& a,
                                                      const CaptureOneApplication& b) {
    if (isBeta(a) != isBeta(b)) {
        return !isBeta(a);
    }
    if (const int order = compareVersions(a.version, b.version); order != 0) {
        return order > 0;
    }
    const bool aPlain = a.scriptName.compare(plainName, Qt::CaseInsensitive) == 0;
    const bool bPlain = b.scriptName.compare(plainName, Qt::CaseInsensitive) == 0;
    if (aPlain != bPlain) {
        return aPlain;
    }
    return text::finderCompare(a.scriptName, b.scriptName) < 0;
}

bool CaptureOneApplicationResolver::requestsLatestVersion(const std::optional<QString>& text) {
    if (!text) {
        return false;
    }
    const QString lower = text->toLower();
    if (!lower.contains(QStringLiteral("capture one"))) {
        return false;
    }
    for (const char* word : {"latest", "newest", "current version", "most recent"}) {
        if (lower.contains(QLatin1String(word))) {
            return true;
        }
    }
    return false;
}

std::optional<CaptureOneApplication>
CaptureOneApplicationResolver::latestStableApplication(const std::vector<CaptureOneApplication>& list) {
    for (const CaptureOneApplication& application : list) {
        if (!isBeta(application)) {
            return application;
        }
    }
    if (list.empty()) {
        return std::nullopt;
    }
    return list.front();
}

std::optional<CaptureOneApplication>
CaptureOneApplicationResolver::explicitMatch(const QString& text,
                                             const std::vector<CaptureOneApplication>& list) {
    QString query = text;
    query.remove(QStringLiteral(".app"), Qt::CaseInsensitive);
    query = query.trimmed().toLower();
    if (query == QStringLiteral("capture one")) {
        return std::nullopt;
    }
    for (const CaptureOneApplication& application : list) {
        const QString name = application.scriptName.toLower();
        if (name == query || query.contains(name) || name.contains(query)) {
            return application;
        }
    }
    return std::nullopt;
}

std::optional<QString> CaptureOneApplicationResolver::preferredApplicationPath() const {
    const QString path = settings_.preferredCaptureOnePath();
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

void CaptureOneApplicationResolver::setPreferredApplicationPath(const std::optional<QString>& path) {
    settings_.setPreferredCaptureOnePath(path.value_or(QString()));
}

std::optional<CaptureOneApplication>
CaptureOneApplicationResolver::resolve(const std::optional<QString>& requestedName) const {
    const std::vector<CaptureOneApplication> applications = installedApplications();
    if (requestsLatestVersion(requestedName)) {
        return latestStableApplication(applications);
    }
    if (requestedName) {
        if (auto match = explicitMatch(*requestedName, applications)) {
            return match;
        }
    }
    if (const auto preferred = preferredApplicationPath()) {
        for (const CaptureOneApplication& application : applications) {
            if (application.id() == *preferred) {
                return application;
            }
        }
    }
    return latestStableApplication(applications);
}

std::optional<QString>
CaptureOneApplicationResolver::explicitRequestedName(const std::optional<QString>& text) const {
    if (!text) {
        return std::nullopt;
    }
    if (requestsLatestVersion(text->toLower())) {
        return QStringLiteral("latest Capture One");
    }
    const QString lower = text->toLower();
    for (const CaptureOneApplication& application : installedApplications()) {
        if (application.scriptName.compare(plainName, Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (lower.contains(application.scriptName.toLower())) {
            return application.scriptName;
        }
    }
    return std::nullopt;
}

} // namespace orbix
