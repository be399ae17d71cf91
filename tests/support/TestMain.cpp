// Shared GoogleTest entry point: every test runs inside a QCoreApplication so that event loops, timers,
// QProcess and networking work as in the application.
#include <QCoreApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Settings and data locations go to a private test area, never the developer's own.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orbix"));
    QCoreApplication::setApplicationName(QStringLiteral("OrbixTests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
