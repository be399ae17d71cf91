// Screen readers hear the tray: each tile whose selection changed, the selection as a whole, the focused tile,
// and tiles that moved when photos came or went. Runs on a real X display with a session bus of its own
// (dbus-run-session and xvfb-run, see CMakeLists.txt), because the offscreen platform has no accessibility:
// Qt's bridge turns accessibility on once the AT-SPI bus the test starts appears on that session bus.
#include "model/AppModel.h"
#include "support/TestSupport.h"
#include "views/ImportedPhotoGridView.h"

#include <QAccessible>
#include <QProcess>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace orbix;
using orbix::views::ImportedPhotoGridView;

namespace {

struct Heard {
    QAccessible::Event type;
    int child;
    friend bool operator==(const Heard&, const Heard&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Heard& heard) {
        return out << "event " << heard.type << " child " << heard.child;
    }
};

const QObject* listenedTo = nullptr;
std::vector<Heard> heard;

void record(QAccessibleEvent* event) {
    if (event->object() == listenedTo) {
        heard.push_back({event->type(), event->child()});
    }
}

// What was heard since the last call.
std::vector<Heard> takeHeard() {
    return std::exchange(heard, {});
}

} // namespace

TEST(TrayAccessibility, SelectionFocusAndMovedTilesAreAnnounced) {
    const QString launcher = test::accessibilityBusLauncher();
    ASSERT_FALSE(launcher.isEmpty()) << "at-spi2-core is not installed";
    QProcess bus;
    bus.start(launcher, {QStringLiteral("--launch-immediately")});
    ASSERT_TRUE(test::waitUntil([] { return QAccessible::isActive(); }, std::chrono::seconds(20)))
        << "accessibility did not come on: the platform must be xcb on a private session bus";
    const QAccessible::UpdateHandler previousHandler = QAccessible::installUpdateHandler(record);
    AppModel model{AppModelServices{}};
    ImportedPhotoGridView grid(model);
    listenedTo = &grid;
    grid.resize(400, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QList<ImportedPhotoAsset> photos;
    for (int i = 0; i < 40; ++i) {
        photos << ImportedPhotoAsset::make(QUrl::fromLocalFile(QStringLiteral("/nonexistent/p%1.jpg").arg(i)));
    }
    takeHeard();

    model.photoTrayModel().appendAll(photos.mid(0, 6));
    EXPECT_EQ(takeHeard(), (std::vector<Heard>{{QAccessible::ObjectReorder, -1}}));
    model.selectImportedPhoto(photos[2], false);
    EXPECT_EQ(takeHeard(),
              (std::vector<Heard>{{QAccessible::SelectionAdd, 2}, {QAccessible::SelectionWithin, -1}}));
    model.selectImportedPhotoRange(photos[3], photos[4]);
    EXPECT_EQ(takeHeard(), (std::vector<Heard>{{QAccessible::SelectionRemove, 2},
                                               {QAccessible::SelectionAdd, 3},
                                               {QAccessible::SelectionAdd, 4},
                                               {QAccessible::SelectionWithin, -1}}));

    grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    EXPECT_THAT(takeHeard(), ::testing::Contains(Heard{QAccessible::Focus, 3})) << "the first selected tile";
    QTest::keyClick(&grid, Qt::Key_Right, Qt::ControlModifier);
    const std::vector<Heard> moved = takeHeard();
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(moved.back(), (Heard{QAccessible::Focus, grid.focusedIndex()}))
        << "Ctrl+arrow moves the focus only";

    // A photo leaving moves the tiles after it: the selection does not change, the places do.
    model.removeImportedPhotos({photos[0]});
    EXPECT_EQ(takeHeard(), (std::vector<Heard>{{QAccessible::ObjectReorder, -1}}));

    // Many tiles at once are one change of the selection, not a tile-by-tile list.
    model.photoTrayModel().appendAll(photos.mid(6));
    takeHeard();
    model.selectAllImportedPhotos();
    EXPECT_EQ(takeHeard(), (std::vector<Heard>{{QAccessible::SelectionWithin, -1}}));
    listenedTo = nullptr;
    QAccessible::installUpdateHandler(previousHandler);
    bus.kill();
    bus.waitForFinished();
}
