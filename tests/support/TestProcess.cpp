#include "support/TestProcess.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>

namespace orbix::test {

IsolatedTestProcess::IsolatedTestProcess() {
    QStandardPaths::setTestModeEnabled(true);
}

void IsolatedTestProcess::applyToApplication() {
    // CTest runs test cases as parallel processes: each gets user defaults of its own.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder_.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Orbix"));
    QCoreApplication::setApplicationName(QStringLiteral("OrbixTests"));
}

} // namespace orbix::test
