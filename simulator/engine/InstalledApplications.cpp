#include "engine/InstalledApplications.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orbix::c1sim {

namespace {
const QString kCaptureOne = QStringLiteral("Capture One");

// The command-line program runs without an application object, so the kernel is asked where it is.
QString runningProgramFolder() {
    if (QCoreApplication::instance()) {
        return QCoreApplication::applicationDirPath();
    }
    const QFileInfo program(QStringLiteral("/proc/self/exe"));
    return program.exists() ? QFileInfo(program.symLinkTarget()).absolutePath() : QString();
}
} // namespace

QStringList applicationFolders() {
    QStringList folders{QStringLiteral("/Applications"), QDir::homePath() + QStringLiteral("/Applications")};
    folders += qEnvironmentVariable("ORBIX_APPLICATIONS_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (qEnvironmentVariableIsSet("ORBIX_SIMULATOR_DIR")) {
        folders += qEnvironmentVariable("ORBIX_SIMULATOR_DIR");
    } else if (const QString programFolder = runningProgramFolder(); !programFolder.isEmpty()) {
        // The program sits beside its bundle in the build tree, inside it (Contents/MacOS), or, installed,
        // in PREFIX/bin with the bundle in PREFIX/share/orbix.
        folders += programFolder;
        folders += QDir::cleanPath(programFolder + QStringLiteral("/../../.."));
        folders += QDir::cleanPath(programFolder + QStringLiteral("/../share/orbix"));
    }
    folders.removeAll(QString());
    return folders;
}

QStringList installedCaptureOneNames() {
    QStringList names;
    for (const QString& folder : applicationFolders()) {
        const QFileInfoList entries =
            QDir(folder).entryInfoList({QStringLiteral("*.app")}, QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (entry.completeBaseName().contains(kCaptureOne, Qt::CaseInsensitive)) {
                names += entry.completeBaseName();
            }
        }
    }
    return names;
}

bool isInstalledCaptureOneName(const QString& name) {
    return name.compare(kCaptureOne, Qt::CaseInsensitive) == 0 ||
           installedCaptureOneNames().contains(name, Qt::CaseInsensitive);
}

} // namespace orbix::c1sim
