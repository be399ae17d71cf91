// Where the main window opens: fully inside the available area, and back where it was on each screen.
#include "views/WindowPlacement.h"

#include "core/WindowGeometryStore.h"
#include "views/WindowGeometryKeeper.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::views;

TEST(WindowPlacement, TheWindowLiesInsideTheAvailableAreaFrameIncluded) {
    // A 1366x768 laptop with a 32-pixel panel on top.
    const QRect available(0, 32, 1366, 736);
    const QRect area = windowplacement::contentArea(available);
    const QRect first = windowplacement::placement(available, QSize(1120, 720), std::nullopt);
    EXPECT_TRUE(area.contains(first)) << "taller than the room: shrunk to fit";
    EXPECT_EQ(first.width(), 1120);
    EXPECT_EQ(first.height(), area.height());
    EXPECT_EQ(first.center().x(), area.center().x());

    const QRect inside(100, 120, 900, 500);
    EXPECT_EQ(windowplacement::placement(available, QSize(1120, 720), inside), inside) << "kept as it was";
    const QRect offRight = windowplacement::placement(available, QSize(), QRect(900, 200, 900, 500));
    EXPECT_TRUE(area.contains(offRight));
    EXPECT_EQ(offRight.size(), QSize(900, 500));
    EXPECT_EQ(offRight.top(), 200) << "moved only as far as needed";
    const QRect aboveTheTop = windowplacement::placement(available, QSize(), QRect(-50, -400, 2000, 500));
    EXPECT_TRUE(area.contains(aboveTheTop));
    EXPECT_EQ(aboveTheTop.topLeft(), area.topLeft());
}

TEST(WindowGeometryKeeper, RestoresTheLastGeometryOfTheScreen) {
    QTemporaryDir folder;
    WindowGeometryStore store(folder.filePath("orbix.ini"));
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = windowplacement::contentArea(screen->availableGeometry());

    QWidget first;
    first.setMinimumSize(area.width() + 300, 200);
    WindowGeometryKeeper firstKeeper(first, store);
    firstKeeper.restore();
    EXPECT_TRUE(area.contains(first.geometry())) << "a minimum wider than the screen gives way";
    first.show();
    // As wide as its minimum allows, and lower down.
    const QRect moved(area.left(), area.top() + 20, area.width(), area.height() / 2);
    first.setGeometry(moved);
    first.close();
    EXPECT_EQ(store.geometry(WindowGeometryKeeper::screenKey(*screen)), moved);

    QWidget second;
    WindowGeometryKeeper secondKeeper(second, store);
    secondKeeper.restore();
    EXPECT_EQ(second.geometry(), moved);
    EXPECT_FALSE(store.geometry("another screen 640x480").has_value());
}
