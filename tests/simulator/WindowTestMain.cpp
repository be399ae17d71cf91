// Entry point of the simulator window's tests: a QApplication on the offscreen platform (unless the
// environment names another), so the window can be shown and driven without a display.
#include "support/TestProcess.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    orbix::test::IsolatedTestProcess isolation;
    QApplication app(argc, argv);
    isolation.applyToApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
