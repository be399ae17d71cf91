// Shared GoogleTest entry point: every test runs inside a QCoreApplication so that event loops, timers,
// QProcess and networking work as in the application.
#include "support/TestProcess.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    orbix::test::IsolatedTestProcess isolation;
    QCoreApplication app(argc, argv);
    isolation.applyToApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
