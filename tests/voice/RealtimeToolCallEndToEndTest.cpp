// A spoken c1_set_rating call from the Realtime server runs through the real dispatcher in the Capture One
// Simulator and is answered with the function-call output, a buffer clear and a new response.
#include "RealtimeSessionFixture.h"
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "platform/PlatformWorkspace.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/SimulatorSession.h"

#include <QFile>
#include <QJsonArray>

using namespace orbix;
using namespace orbix::test;

namespace {

class RealtimeToolCallEndToEnd : public RealtimeSessionFixture {
protected:
    void SetUp() override {
        RealtimeSessionFixture::SetUp();
        ASSERT_TRUE(QFile::link(QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app"),
                                applications.filePath(QStringLiteral("Capture One 23.app"))));
        simulator.command({"reset", "--variants", "3", "--select", "1,2"});
        createService(dispatcher.executor());
    }

    QTemporaryDir applications;
    PrivateCaptureOneSetup setup{{applications.path()}};
    SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    CaptureOneService captureOne{std::make_shared<OsascriptRunner>(QStringLiteral(ORBIX_C1SIM_PROGRAM)),
                                 setup.resolver};
    std::unique_ptr<Workspace> workspace = createWorkspace();
    RecordingAccessibilityBackend accessibility;
    MacComputerUseService dispatcher{captureOne, setup.settings, *workspace, accessibility};
};

} // namespace

TEST_F(RealtimeToolCallEndToEnd, SpokenRatingRunsInTheSimulatorAndIsAnswered) {
    ASSERT_TRUE(startSession(false));
    server.sendEvent({{"type", "response.function_call_arguments.done"},
                      {"name", "computer_use"},
                      {"call_id", "call_rate"},
                      {"arguments", R"({"action":"c1_set_rating","value":4})"}});
    ASSERT_TRUE(waitUntil([&] { return server.clientEvents().size() >= 4; }, std::chrono::seconds(30)));
    EXPECT_EQ(server.clientEventTypes(), QStringList({"session.update", "conversation.item.create",
                                                      "input_audio_buffer.clear", "response.create"}));
    const QJsonObject item = server.clientEvents()[1].value("item").toObject();
    EXPECT_EQ(item.value("call_id"), "call_rate");
    EXPECT_EQ(item.value("output"), "Set rating to 4 on 2 selected variant(s).");

    const QJsonArray variants = simulator.variants();
    EXPECT_EQ(variants[0].toObject().value("rating").toInt(), 4);
    EXPECT_EQ(variants[1].toObject().value("rating").toInt(), 4);
    EXPECT_EQ(variants[2].toObject().value("rating").toInt(), 0) << "only the selection is rated";
    EXPECT_TRUE(waitUntil([&] { return results.size() == 1; }));
}
