// Entry point of the view tests: a QApplication on the offscreen platform (unless the environment names
// another), so widgets can be shown, driven and grabbed without a display. Linking this main keeps the
// shared QCoreApplication main of the support library out of the program.
#include "support/TestProcess.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    orbix::test::IsolatedTestProcess isolation;
    QApplication app(argc, argv);
    isolation.applyToApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
