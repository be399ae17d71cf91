#pragma once
// The action dispatcher over the Capture One Simulator, in a home folder of its own with no other Capture
// One installed, for end-to-end tests that run commands. The including test defines ORBIX_C1SIM_PROGRAM.

#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/RecordingWorkspace.h"
#include "support/SimulatorSession.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <memory>

namespace orbix::test {

struct SimulatorDispatcherFixture {
    QTemporaryDir home;
    QTemporaryDir applications;
    ScopedEnvironment homeVariable{"HOME", home.path().toUtf8()};
    ScopedEnvironment applicationsPath{"ORBIX_APPLICATIONS_PATH", applications.path().toUtf8()};
    ScopedEnvironment bundledSimulator{"ORBIX_SIMULATOR_DIR", QByteArray()};
    SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    CaptureOneService captureOne{std::make_shared<OsascriptRunner>(QStringLiteral(ORBIX_C1SIM_PROGRAM))};
    RecordingWorkspace workspace;
    RecordingAccessibilityBackend accessibility;
    MacComputerUseService dispatcher{captureOne, workspace, accessibility};
};

} // namespace orbix::test
