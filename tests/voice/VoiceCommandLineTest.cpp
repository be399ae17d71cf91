// `orbix --voice` from a terminal: the transcript as it grows, each result, and how it ends.
#include "app/VoiceCommandLine.h"

#include "RealtimeSessionFixture.h"

using namespace orbix;
using namespace orbix::test;

namespace {

QJsonObject event(const char* type, QJsonObject members = {}) {
    members.insert("type", QString::fromUtf8(type));
    return members;
}

class VoiceCommandLineTest : public RealtimeSessionFixture {
protected:
    std::optional<int> run(VoiceCommandLine& cli) {
        cli.start([this](int status) { exitStatus = status; });
        return exitStatus;
    }

    QString printed;
    QTextStream output{&printed};
    std::optional<int> exitStatus;
};

} // namespace

TEST_F(VoiceCommandLineTest, PrintsTheTranscriptAndResultsAndEndsWithTheSession) {
    VoiceCommandLine cli([this] { service->start(true); }, *service, output);
    run(cli);
    ASSERT_TRUE(waitForClientEvents(2));
    ASSERT_TRUE(waitUntil([&] { return service->currentState() == RealtimeVoiceState::recording; }));

    server.sendEvent(event("response.output_audio_transcript.delta", {{"delta", "Raising "}}));
    server.sendEvent(event("response.output_audio_transcript.delta", {{"delta", "exposure."}}));
    server.sendEvent(event("response.done"));
    server.sendEvent(event("response.output_audio_transcript.delta", {{"delta", "Done."}}));
    server.sendEvent(event("response.done"));
    ASSERT_TRUE(waitUntil([&] { return printed.contains("Orbix: Done.\n"); }, std::chrono::seconds(2)))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains("Orbix: Raising exposure.\nOrbix: Done.\n")) << printed.toStdString();
    EXPECT_FALSE(exitStatus.has_value()) << "still listening";

    // Errors the session survives are printed and the program goes on.
    server.sendEvent(event("response.function_call_arguments.done",
                           {{"name", "computer_use"}, {"call_id", "c1"}, {"arguments", "{oops"}}));
    server.sendEvent(events::serverError("invalid_request_error", "invalid_event", "Unknown event."));
    ASSERT_TRUE(waitUntil([&] { return printed.contains("Voice: Unknown event.\n"); }))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains("Voice: Failed to parse tool call arguments: {oops\n"));
    settle();
    EXPECT_FALSE(exitStatus.has_value()) << "the session is still open";
    EXPECT_TRUE(service->isActive());

    server.sendEvent(
        event("conversation.item.input_audio_transcription.completed", {{"transcript", "That's it."}}));
    ASSERT_TRUE(waitUntil([&] { return exitStatus.has_value(); }));
    EXPECT_EQ(*exitStatus, 0);
    EXPECT_EQ(states.back(), RealtimeVoiceState::idle) << "the application's own callbacks still run";
}

TEST_F(VoiceCommandLineTest, NoKeyIsReportedAndFails) {
    RealtimeVoiceServiceOptions options = baseOptions();
    options.lookup = [](const QString&) -> std::optional<QString> { return std::nullopt; };
    createService([](const ComputerUseArguments&, ComputerUseCompletion) {}, options);
    VoiceCommandLine cli([this] { service->start(true); }, *service, output);
    run(cli);
    ASSERT_TRUE(waitUntil([&] { return exitStatus.has_value(); }));
    EXPECT_EQ(*exitStatus, 1);
    EXPECT_TRUE(printed.contains("Voice: OpenAI is not configured. Add ORBIX_OPENAI_API_KEY to .env.local."))
        << printed.toStdString();
    EXPECT_EQ(server.clientEvents().size(), 0);
}
