// Shared GoogleTest entry point: every test runs inside a QCoreApplication so that event loops, timers,
// QProcess and networking work as in the application.
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Settings and data locations go to a private test area, never the developer's own.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    // CTest runs test cases as parallel processes: each gets user defaults of its own, so that one test's
    // settings never leak into another running at the same time.
    QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Orbix"));
    QCoreApplication::setApplicationName(QStringLiteral("OrbixTests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
