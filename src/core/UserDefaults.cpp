#include "core/UserDefaults.h"

#include "core/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace orbix {
namespace {

const QString kOrganisation = QStringLiteral("Orbix");
const QString kApplication = QStringLiteral("Orbix");

// Renames a link, FIFO, socket, device or folder at `path` aside, so the store never opens it.
void setAsideUnlessRegular(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat entry {};
    if (::lstat(name.constData(), &entry) != 0 || S_ISREG(entry.st_mode)) {
        return;
    }
    const QByteArray aside = name + kSetAsideSuffix;
    if (::rename(name.constData(), aside.constData()) == 0) {
        qWarning("Orbix: %s was not a regular file; it was renamed to %s and new settings start beside it",
                 name.constData(), aside.constData());
    } else {
        qWarning("Orbix: %s is not a regular file and could not be renamed aside", name.constData());
    }
}

} // namespace

QStringList userDefaultsFiles() {
#ifdef Q_OS_DARWIN
    return {};
#else
    // QSettings' own layout on Unix: <config>/<organisation>/<application>.conf, then the organisation's
    // file <config>/<organisation>.conf. The folder is read off a store of a name that nothing uses, so
    // that a folder set with QSettings::setPath counts and the probe opens no file that exists.
    const QSettings probe(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral(".orbix-path-probe"),
                          QStringLiteral("probe"));
    const QString config = QFileInfo(QFileInfo(probe.fileName()).absolutePath()).absolutePath();
    return {config + QLatin1Char('/') + kOrganisation + QLatin1Char('/') + kApplication +
                QStringLiteral(".conf"),
            config + QLatin1Char('/') + kOrganisation + QStringLiteral(".conf")};
#endif
}

std::unique_ptr<QSettings> userDefaults() {
    for (const QString& path : userDefaultsFiles()) {
        setAsideUnlessRegular(path);
    }
    return std::make_unique<QSettings>(kOrganisation, kApplication);
}

bool restrictToOwner(const QSettings& settings) {
    const QString path = settings.fileName();
    if (path.isEmpty()) {
        return false;
    }
#ifdef Q_OS_DARWIN
    // The native store is a property list that the preferences daemon writes, owner-only; an empty file
    // would not be a valid one.
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(path);
    return !file.exists() || file.setPermissions(ownerOnly);
#else
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    // Created with the owner-only mode in the same call, so there is no moment at which it is wider; the
    // mode is then set on the handle, never through a link planted at the name.
    const int descriptor = files::openOwnerOnlyForWriting(path, false);
    if (descriptor < 0) {
        return false;
    }
    ::close(descriptor);
    return true;
#endif
}

} // namespace orbix
