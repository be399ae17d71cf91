#include "captureone/SimulatorLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orbix::SimulatorLocation {

namespace {
const QString bundleName = QStringLiteral("Capture One Simulator.app");
const QString programName = QStringLiteral("orbix-c1sim");

QString runningProgramFolder() {
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}
} // namespace

std::optional<QString> applicationsFolder() {
    return applicationsFolder(runningProgramFolder());
}

std::optional<QString> applicationsFolder(const QString& programFolder) {
    if (qEnvironmentVariableIsSet("ORBIX_SIMULATOR_DIR")) {
        const QString folder = qEnvironmentVariable("ORBIX_SIMULATOR_DIR");
        return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
    }
    // The installed bundle first: an installed program built from a tree that still exists must not
    // drive that tree's simulator. A program in the build tree has no share/orbix beside it.
    const QString installed = programFolder + QStringLiteral("/../share/orbix");
    if (!programFolder.isEmpty() && QFileInfo::exists(installed + QLatin1Char('/') + bundleName)) {
        return QDir::cleanPath(installed);
    }
    const QString buildTree = QStringLiteral(ORBIX_BUILD_SIMULATOR_DIR);
    if (QFileInfo::exists(buildTree + QLatin1Char('/') + bundleName)) {
        return buildTree;
    }
    return std::nullopt;
}

QString programPath() {
    const QString besideUs = runningProgramFolder() + QLatin1Char('/') + programName;
    if (QFileInfo(besideUs).isExecutable()) {
        return besideUs;
    }
    const QString buildTree = QStringLiteral(ORBIX_BUILD_SIMULATOR_DIR) + QLatin1Char('/') + programName;
    if (QFileInfo(buildTree).isExecutable()) {
        return buildTree;
    }
    const QString onPath = QStandardPaths::findExecutable(programName);
    return onPath.isEmpty() ? programName : onPath;
}

} // namespace orbix::SimulatorLocation
