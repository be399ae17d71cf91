#include "platform/linux/ApplicationBundle.h"

#include "captureone/BundleInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orbix::bundle {

namespace {

const QString noInfoPlistText = QStringLiteral("The application bundle %1 has no readable Info.plist.");
const QString noExecutableNameText =
    QStringLiteral("The Info.plist of %1 does not name a usable executable (CFBundleExecutable).");
const QString missingExecutableText = QStringLiteral("The application executable %1 does not exist.");
const QString notExecutableText = QStringLiteral("The application executable %1 is not an executable file.");

} // namespace

std::optional<QString> infoString(const QString& bundlePath, const char* key) {
    const QHash<QString, QString> info = BundleInfo::stringProperties(bundlePath);
    const QString name = QString::fromUtf8(key);
    return info.contains(name) ? std::optional<QString>(info.value(name)) : std::nullopt;
}

std::variant<QString, QString> executableToLaunch(const QString& bundlePath) {
    using Result = std::variant<QString, QString>;
    const auto properties = BundleInfo::read(bundlePath);
    if (!properties) {
        return Result(std::in_place_index<1>, noInfoPlistText.arg(bundlePath));
    }
    const QString name = properties->value(QStringLiteral("CFBundleExecutable"));
    // The name is a file inside Contents/MacOS, never a path that leads out of the bundle.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") ||
        name == QLatin1String(".")) {
        return Result(std::in_place_index<1>, noExecutableNameText.arg(bundlePath));
    }
    const QString path = QDir(bundlePath).filePath(QStringLiteral("Contents/MacOS/") + name);
    const QFileInfo info(path);
    if (!info.exists()) {
        return Result(std::in_place_index<1>, missingExecutableText.arg(path));
    }
    if (!info.isFile() || !info.isExecutable()) {
        return Result(std::in_place_index<1>, notExecutableText.arg(path));
    }
    return Result(std::in_place_index<0>, path);
}

std::optional<QString> enclosingBundle(const QString& filePath) {
    // Pure path arithmetic: the folders need not exist.
    QString folder = QFileInfo(QDir::cleanPath(QFileInfo(filePath).absoluteFilePath())).path();
    while (folder.size() > 1) {
        const QFileInfo info(folder);
        if (info.fileName().endsWith(QLatin1String(".app"), Qt::CaseInsensitive)) {
            return folder;
        }
        folder = info.path();
    }
    return std::nullopt;
}

FrontmostApplication applicationForExecutable(const QString& executablePath) {
    const auto bundlePath = enclosingBundle(executablePath);
    if (!bundlePath) {
        return {QFileInfo(executablePath).fileName(), std::nullopt};
    }
    QString name = infoString(*bundlePath, "CFBundleDisplayName").value_or(QString());
    if (name.isEmpty()) {
        name = QFileInfo(*bundlePath).fileName();
        name.chop(4); // ".app"
    }
    return {name, QUrl::fromLocalFile(*bundlePath)};
}

} // namespace orbix::bundle
