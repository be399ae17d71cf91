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
    if (qEnvironmentVariableIsSet("ORBIX_SIMULATOR_DIR")) {
        const QString folder = qEnvironmentVariable("ORBIX_SIMULATOR_DIR");
        return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
    }
    const QString buildTree = QStringLiteral(ORBIX_BUILD_SIMULATOR_DIR);
    if (QFileInfo::exists(buildTree + QLatin1Char('/') + bundleName)) {
        return buildTree;
    }
    const QString installed = runningProgramFolder() + QStringLiteral("/../share/orbix");
    if (QFileInfo::exists(installed + QLatin1Char('/') + bundleName)) {
        return QDir::cleanPath(installed);
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
