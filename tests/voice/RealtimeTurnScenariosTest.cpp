// Whole sessions as the hosted service plays them: the user's transcription before or after the response
// and its tool call, several turns and several calls, a follow-up response's own calls, hostile frames,
// and a stop while a call runs.
#include "RealtimeSessionFixture.h"

using namespace orbix;
using namespace orbix::test;
using namespace orbix::test::events;

namespace {

class RealtimeTurnScenarios : public RealtimeSessionFixture {
protected:
    void SetUp() override {
        RealtimeSessionFixture::SetUp();
        installScopeBlocker();
        ASSERT_TRUE(startSession(false));
    }
    QStringList outputs() const {
        QStringList texts;
        for (const QJsonObject& event : server.clientEventsOfType("conversation.item.create")) {
            texts << event.value("item").toObject().value("output").toString();
        }
        return texts;
    }
};

const QString rate = R"({"action":"c1_set_rating","value":4})";

} // namespace

TEST_F(RealtimeTurnScenarios, TheTranscriptMayArriveBeforeTheResponseOrAfterItsCall) {
    // Before the response starts.
    play({speechStarted("item_1"), committed("item_1"), transcription("item_1", "rate this four stars"),
          responseCreated("resp_1"), functionCall("resp_1", "call_1", rate), responseDone("resp_1")});
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 1; }));
    EXPECT_EQ(executed.size(), 1u);

    // After the call, and after the response ended: the call waits for the words.
    play({speechStarted("item_2"), committed("item_2"), responseCreated("resp_2"),
          functionCall("resp_2", "call_2", rate), responseDone("resp_2")});
    ASSERT_TRUE(waitForHandled("response.done", 2));
    settle();
    EXPECT_EQ(executed.size(), 1u) << "not judged before its turn's words arrive";
    play({transcription("item_2", "and this one five")});
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 2; }));
    EXPECT_EQ(executed.size(), 2u);
    EXPECT_EQ(judged, QStringList({"rate this four stars", "and this one five"}));
    EXPECT_EQ(outputs(), QStringList({"Done.", "Done."}));
}

TEST_F(RealtimeTurnScenarios, ATurnWhoseWordsNeverArriveIsRefusedAfterTheWait) {
    play({speechStarted("item_1"), committed("item_1"), responseCreated("resp_1"),
          functionCall("resp_1", "call_1", rate), responseDone("resp_1")});
    ASSERT_TRUE(waitForHandled("response.done"));
    timers->advance(OpenAIRealtimeVoiceService::transcriptionWaitLimit - std::chrono::milliseconds(1));
    settle();
    EXPECT_TRUE(judged.isEmpty());
    timers->advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 1; }));
    EXPECT_TRUE(executed.empty());
    EXPECT_EQ(outputs(), QStringList({"Capture One only."}));

    // A failed transcription is judged at once on nothing.
    play({speechStarted("item_2"), responseCreated("resp_2"), functionCall("resp_2", "call_2", rate),
          transcriptionFailed("item_2"), responseDone("resp_2")});
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 2; }));
    EXPECT_TRUE(executed.empty());
    EXPECT_EQ(judged, QStringList({"", ""}));
}

TEST_F(RealtimeTurnScenarios, EveryCallOfATurnIsJudgedAgainstItsWordsFollowUpsIncluded) {
    play({speechStarted("item_1"), transcription("item_1", "rate it four and tag it red"),
          responseCreated("resp_1"), functionCall("resp_1", "call_1", rate), responseDone("resp_1")});
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 1; }));
    // The follow-up the client asked for makes the second call of the same request.
    play({responseCreated("resp_2"),
          functionCall("resp_2", "call_2", R"({"action":"c1_set_color_tag","value":1})"),
          responseDone("resp_2")});
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 2; }));
    play({responseCreated("resp_3"), responseDone("resp_3")});
    ASSERT_TRUE(waitForHandled("response.done", 3));

    // The second request of the session.
    play({speechStarted("item_2"), committed("item_2"), responseCreated("resp_4"),
          transcription("item_2", "now process them"),
          functionCall("resp_4", "call_3", R"({"action":"c1_process"})"), responseDone("resp_4")});
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 3; }));
    ASSERT_EQ(executed.size(), 3u);
    EXPECT_EQ(executed[2].action, "c1_process");
    EXPECT_EQ(judged,
              QStringList({"rate it four and tag it red", "rate it four and tag it red", "now process them"}));
    settle();
    EXPECT_EQ(responsesDone, 1) << "only the response without a call ends the exchange";
}

TEST_F(RealtimeTurnScenarios, TwoCallsInOneResponseEachGetTheirOutputAndOneFollowUp) {
    play({speechStarted("item_1"), transcription("item_1", "rate it four and process it"),
          responseCreated("resp_1"), functionCall("resp_1", "call_1", rate),
          functionCall("resp_1", "call_2", R"({"action":"c1_process"})")});
    ASSERT_TRUE(waitUntil([&] { return outputs().size() == 2; }));
    settle();
    EXPECT_EQ(clientEventCount("response.create"), 0) << "the response that made the calls is still going";
    play({responseDone("resp_1")});
    ASSERT_TRUE(waitUntil([&] { return clientEventCount("response.create") == 1; }));
    const QStringList types = server.clientEventTypes();
    EXPECT_EQ(types.last(), "response.create");
    EXPECT_EQ(types.count("conversation.item.create"), 2);
    settle();
    EXPECT_EQ(clientEventCount("response.create"), 1);
}

TEST_F(RealtimeTurnScenarios, StopWhileACallRunsAnswersNothingAndTheNextSessionWorks) {
    ComputerUseCompletion pending;
    createService([&](const ComputerUseArguments& arguments, ComputerUseCompletion done) {
        executed.push_back(arguments);
        pending = std::move(done);
    });
    installScopeBlocker();
    ASSERT_TRUE(startSession(true));
    play({speechStarted("item_1"), transcription("item_1", "process these"), responseCreated("resp_1"),
          functionCall("resp_1", "call_1", R"({"action":"c1_process"})"), responseDone("resp_1")});
    ASSERT_TRUE(waitUntil([&] { return bool(pending); }));
    service->stop();
    EXPECT_FALSE(input->isCapturing());
    ASSERT_TRUE(waitUntil([&] { return !server.isClientConnected(); }));

    std::exchange(pending, {})(ComputerUseResult{QStringLiteral("Processed 2 variants."), std::nullopt});
    ASSERT_TRUE(waitUntil([&] { return results.size() == 1; })) << "what was done is still reported";
    EXPECT_EQ(clientEventCount("conversation.item.create"), 0);

    ASSERT_TRUE(startSession(true));
    const qsizetype before = server.clientEvents().size();
    play({speechStarted("item_9"), transcription("item_9", "rate this four"), responseCreated("resp_9"),
          functionCall("resp_9", "call_9", rate), responseDone("resp_9")});
    ASSERT_TRUE(waitUntil([&] { return bool(pending); }));
    pending(ComputerUseResult{QStringLiteral("Rated."), std::nullopt});
    ASSERT_TRUE(waitUntil([&] { return server.clientEvents().size() >= before + 3; }));
    EXPECT_EQ(server.clientEventTypes().last(), "response.create");
}

TEST_F(RealtimeTurnScenarios, HostileFramesEndTheSessionWithoutBeingBuffered) {
    server.sendText(QByteArray(OpenAIRealtimeVoiceService::maximumIncomingMessageSize + 1, ' '));
    ASSERT_TRUE(waitUntil([&] { return !service->isActive(); }, std::chrono::seconds(20)));
    ASSERT_TRUE(waitUntil([&] { return !errors.isEmpty(); }));
    EXPECT_EQ(errors.last(),
              "The Realtime server sent a message larger than 16 MiB, so the session was ended.");

    // Transcript deltas without end stop growing the transcript.
    ASSERT_TRUE(startSession(false));
    const QString chunk(4000, QLatin1Char('x'));
    for (int i = 0; i < 20; ++i) {
        play({event("response.output_text.delta", {{"delta", chunk}})});
    }
    ASSERT_TRUE(waitForHandled("response.output_text.delta", 20));
    settle();
    EXPECT_EQ(transcripts.last().size(), OpenAIRealtimeVoiceService::maximumTranscriptLength);
}
