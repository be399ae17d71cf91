#pragma once
// The action dispatcher over the Capture One Simulator, with settings of its own and no Capture One
// installed but what the test puts in `applications`, for end-to-end tests that run commands. The
// including test defines ORBIX_C1SIM_PROGRAM.

#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/RecordingWorkspace.h"
#include "support/SimulatorSession.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <memory>

namespace orbix::test {

struct SimulatorDispatcherFixture {
    QTemporaryDir applications;
    PrivateCaptureOneSetup setup{{applications.path()}};
    SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    CaptureOneService captureOne{std::make_shared<OsascriptRunner>(QStringLiteral(ORBIX_C1SIM_PROGRAM)),
                                 setup.resolver};
    RecordingWorkspace workspace;
    RecordingAccessibilityBackend accessibility;
    MacComputerUseService dispatcher{captureOne, setup.settings, workspace, accessibility};
};

} // namespace orbix::test
