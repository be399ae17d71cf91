#include "captureone/SimulatorLocation.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;

// An installed orbix (bin/ with share/orbix beside it) built from a tree that still holds the simulator.
TEST(SimulatorLocation, AnInstalledProgramFindsItsOwnBundleBeforeTheBuildTree) {
    ASSERT_TRUE(QFileInfo::exists(QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app")));
    test::ScopedEnvironment unset{"ORBIX_SIMULATOR_DIR", std::nullopt};
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir().mkpath(prefix.filePath("bin")));

    EXPECT_EQ(SimulatorLocation::applicationsFolder(prefix.filePath("bin")),
              QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR));

    ASSERT_TRUE(QDir().mkpath(prefix.filePath("share/orbix/Capture One Simulator.app/Contents")));
    EXPECT_EQ(SimulatorLocation::applicationsFolder(prefix.filePath("bin")),
              QDir::cleanPath(prefix.filePath("share/orbix")));
}
