// computer_use calls from the model: argument reading, refusals, unreadable arguments and the answer sent
// back, with a recording executor in place of the dispatcher.
#include "RealtimeSessionFixture.h"

#include <QJsonDocument>
#include <QTimer>

using namespace orbix;
using namespace orbix::test;

namespace {

QJsonObject functionCall(const QString& arguments, const QString& name = "computer_use",
                         const QString& callID = "call_001") {
    return {{"type", "response.function_call_arguments.done"},
            {"name", name},
            {"call_id", callID},
            {"arguments", arguments}};
}

class RealtimeToolCalls : public RealtimeSessionFixture {
protected:
    void SetUp() override {
        RealtimeSessionFixture::SetUp();
        QObject::connect(
            service.get(), &OpenAIRealtimeVoiceService::computerUseStarting,
            [this](const QString& action, const std::optional<QString>&) { started.append(action); });
    }
    QStringList started;
};

} // namespace

TEST_F(RealtimeToolCalls, ArgumentsAreReadByTypeAndOnlyTheSummaryIsReturned) {
    createService([this](const ComputerUseArguments& arguments, ComputerUseCompletion done) {
        executed.push_back(arguments);
        Artifact artifact =
            Artifact::make(ArtifactKind::markdown, "Status", ArtifactStatus::ready, QString(5000, 'x'));
        done(ComputerUseResult{QStringLiteral("Set rating to 4 on 2 selected variant(s)."), artifact});
    });
    ASSERT_TRUE(startSession(false));
    server.sendEvent(functionCall(R"({"action":"c1_set_rating","value":4})"));
    ASSERT_TRUE(waitForClientEvents(4));
    ASSERT_EQ(executed.size(), 1u);
    EXPECT_EQ(executed[0].action, "c1_set_rating");
    EXPECT_EQ(executed[0].value, 4.0);
    EXPECT_EQ(executed[0].slider, std::nullopt);
    EXPECT_EQ(executed[0].relative, std::nullopt);
    EXPECT_TRUE(executed[0].targetPaths.isEmpty());

    EXPECT_EQ(server.clientEventTypes().mid(1),
              QStringList({"conversation.item.create", "input_audio_buffer.clear", "response.create"}));
    const QJsonObject expectedOutput = QJsonDocument::fromJson(R"({"type":"conversation.item.create","item":{
        "type":"function_call_output","call_id":"call_001",
        "output":"Set rating to 4 on 2 selected variant(s)."}})")
                                           .object();
    EXPECT_EQ(server.clientEvents()[1], expectedOutput);
    EXPECT_TRUE(waitUntil([&] { return results.size() == 1; }));
    EXPECT_TRUE(
        logText().contains("Tool execution result: summary = \"Set rating to 4 on 2 selected variant(s).\", "
                           "artifact body length = 5000"));

    server.sendEvent(functionCall(
        R"({"action":"c1_adjust_slider","slider":"exposure","value":"0.5","relative":true,"url":"u","script_code":7})",
        "computer_use", "call_002"));
    ASSERT_TRUE(waitForClientEvents(7));
    ASSERT_EQ(executed.size(), 2u);
    EXPECT_EQ(executed[1].value, std::nullopt) << "a numeric string is not a number";
    EXPECT_EQ(executed[1].slider, "exposure");
    EXPECT_EQ(executed[1].relative, true);
    EXPECT_EQ(executed[1].url, "u");
    EXPECT_EQ(executed[1].scriptCode, std::nullopt);
}

TEST_F(RealtimeToolCalls, ScopeBlockerRefusalAnswersWithoutExecuting) {
    service->setProductScopeBlocker([](const QString& transcript) -> std::optional<ComputerUseResult> {
        if (transcript.contains("Mail")) {
            return ComputerUseResult{QStringLiteral("Capture One only."), std::nullopt};
        }
        return std::nullopt;
    });
    ASSERT_TRUE(startSession(false));
    server.sendEvent({{"type", "conversation.item.input_audio_transcription.completed"},
                      {"transcript", "open Mail for me"}});
    server.sendEvent(functionCall(R"({"action":"open_app","app_name":"Mail"})"));
    server.sendEvent({{"type", "response.done"}});
    ASSERT_TRUE(waitForClientEvents(4));
    EXPECT_TRUE(executed.empty());
    EXPECT_EQ(server.clientEvents()[1].value("item").toObject().value("output"), "Capture One only.");
    EXPECT_EQ(server.clientEventTypes().last(), "response.create");
    settle();
    EXPECT_TRUE(started.isEmpty());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(responsesDone, 0) << "a refused call withholds the end-of-response callback";
}

TEST_F(RealtimeToolCalls, UnreadableArgumentsAndOtherToolsSendNothing) {
    ASSERT_TRUE(startSession(false));
    server.sendEvent(functionCall("{not json"));
    server.sendEvent(functionCall(R"({"slider":"exposure"})"));
    server.sendEvent(functionCall(R"({"action":"c1_get_status"})", "web_search"));
    server.sendEvent({{"type", "response.function_call_arguments.done"}, {"name", "computer_use"}});
    server.sendEvent({{"type", "response.created"}});
    ASSERT_TRUE(
        waitUntil([&] { return recoverableErrors.size() == 2 && logText().contains("response.created"); }));
    EXPECT_EQ(recoverableErrors,
              QStringList({"Failed to parse tool call arguments: {not json",
                           "Failed to parse tool call arguments: {\"slider\":\"exposure\"}"}));
    EXPECT_TRUE(errors.isEmpty()) << "unreadable arguments do not fail the session";
    EXPECT_EQ(std::count(states.begin(), states.end(), RealtimeVoiceState::failed), 0);
    EXPECT_TRUE(executed.empty());
    EXPECT_EQ(server.clientEventTypes(), QStringList({"session.update"}));
    EXPECT_TRUE(service->isActive());
    timers->advance(std::chrono::minutes(5));
    EXPECT_TRUE(service->isActive()) << "every call cancels the idle countdown";
}

TEST_F(RealtimeToolCalls, TheResponseEndsWhileItsCallRunsAndTheFollowUpWaitsForTheOutput) {
    ComputerUseCompletion pending;
    createService([&](const ComputerUseArguments& arguments, ComputerUseCompletion done) {
        executed.push_back(arguments);
        pending = std::move(done);
    });
    std::optional<RealtimeImportedPhotoTargetRequest> asked;
    service->setImportedPhotoTargetPathsProvider([&](const RealtimeImportedPhotoTargetRequest& request,
                                                     std::function<void(std::optional<QStringList>)> answer) {
        asked = request;
        QTimer::singleShot(0, [answer] { answer(QStringList{"/photos/a.jpg"}); });
    });
    ASSERT_TRUE(startSession(false));
    play({events::responseCreated("resp_1"),
          {{"type", "response.output_audio_transcript.delta"}, {"delta", "Rating them."}},
          events::functionCall("resp_1", "call_1",
                               R"({"action":"c1_set_rating","value":5,"preset_name":"Warm"})"),
          events::responseDone("resp_1")});
    ASSERT_TRUE(waitUntil([&] { return bool(pending); }));
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(*asked,
              (RealtimeImportedPhotoTargetRequest{"c1_set_rating", std::nullopt, std::nullopt, std::nullopt,
                                                  QStringLiteral("Warm"), QStringLiteral("Rating them.")}));
    EXPECT_EQ(executed[0].targetPaths, QStringList({"/photos/a.jpg"}));
    ASSERT_TRUE(waitForHandled("response.done"));
    EXPECT_EQ(server.clientEventTypes(), QStringList({"session.update"}))
        << "nothing is answered before the result";
    timers->advance(std::chrono::minutes(5));
    EXPECT_TRUE(service->isActive()) << "a running call holds the idle countdown";

    pending(ComputerUseResult{QStringLiteral("Set rating to 5 on 1 photo(s)."), std::nullopt});
    ASSERT_TRUE(waitForClientEvents(4));
    EXPECT_EQ(server.clientEventTypes().mid(1),
              QStringList({"conversation.item.create", "input_audio_buffer.clear", "response.create"}));
}

TEST_F(RealtimeToolCalls, AnEmptyTargetListRunsNothingInsteadOfActingOnTheSelection) {
    service->setImportedPhotoTargetPathsProvider(
        [](const RealtimeImportedPhotoTargetRequest&, std::function<void(std::optional<QStringList>)> answer) {
            QTimer::singleShot(0, [answer] { answer(QStringList()); });
        });
    ASSERT_TRUE(startSession(false));
    server.sendEvent(functionCall(R"({"action":"c1_set_rating","value":1,"text":"rate all photos 1 star"})"));
    ASSERT_TRUE(waitForClientEvents(4));
    EXPECT_TRUE(executed.empty()) << "an empty list must not reach Capture One as its selection";
    const QString expected = withoutImportedPhotoTargets().summary;
    EXPECT_EQ(server.clientEvents()[1].value("item").toObject().value("output").toString(), expected);
    EXPECT_EQ(server.clientEventTypes().last(), "response.create");
    settle();
    EXPECT_TRUE(started.isEmpty());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].summary, expected);
}
