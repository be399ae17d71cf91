#include "captureone/CaptureOneApplication.h"

#include "captureone/BundleInfo.h"

#include <QFileInfo>

namespace orbix {

QString CaptureOneApplication::settingsLabel() const {
    if (!version.isEmpty() && !scriptName.contains(version, Qt::CaseInsensitive)) {
        return scriptName + QStringLiteral(" (") + version + QLatin1Char(')');
    }
    return scriptName;
}

CaptureOneApplication CaptureOneApplication::fromBundle(const QString& bundlePath) {
    const QHash<QString, QString> info = BundleInfo::stringProperties(bundlePath);
    const QFileInfo file(bundlePath);
    QString displayName = info.value(QStringLiteral("CFBundleDisplayName"));
    if (!info.contains(QStringLiteral("CFBundleDisplayName"))) {
        displayName = info.contains(QStringLiteral("CFBundleName")) ? info.value(QStringLiteral("CFBundleName"))
                                                                    : file.fileName();
    }
    return {displayName, file.completeBaseName(), info.value(QStringLiteral("CFBundleShortVersionString")),
            QUrl::fromLocalFile(file.absoluteFilePath())};
}

size_t qHash(const CaptureOneApplication& application, size_t seed) {
    return qHashMulti(seed, application.displayName, application.scriptName, application.version,
                      application.url);
}

} // namespace orbix
