// The session against a local Realtime server: handshake, configuration, server events, failures, the
// stop phrases and the idle disconnect.
#include "RealtimeSessionFixture.h"
#include "core/UserDefaults.h"
#include "support/LocalHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace orbix;
using namespace orbix::test;

namespace {

QJsonObject event(const char* type, QJsonObject members = {}) {
    members.insert("type", QString::fromUtf8(type));
    return members;
}

QByteArray pcm16(std::initializer_list<qint16> samples) {
    QByteArray bytes;
    for (const qint16 sample : samples) {
        bytes.append(char(sample & 0xff)).append(char((sample >> 8) & 0xff));
    }
    return bytes;
}

class RealtimeProtocol : public RealtimeSessionFixture {};

} // namespace

TEST_F(RealtimeProtocol, VoiceSessionHandshakeAndExactConfiguration) {
    ASSERT_TRUE(startSession(true));
    EXPECT_EQ(server.handshake().url().path(), "/v1/realtime");
    EXPECT_EQ(server.handshake().url().query(), "model=gpt-realtime-2.1");
    EXPECT_EQ(server.handshake().rawHeader("Authorization"), "Bearer " + kRealtimeKey.toUtf8());
    EXPECT_FALSE(server.handshake().hasRawHeader("OpenAI-Beta"));

    ASSERT_TRUE(waitForClientEvents(2));
    EXPECT_EQ(server.clientEventTypes(), QStringList({"session.update", "input_audio_buffer.clear"}));
    const QJsonObject session = server.clientEvents()[0].value("session").toObject();
    EXPECT_EQ(session.keys(),
              QStringList({"audio", "instructions", "output_modalities", "tool_choice", "tools", "type"}));
    EXPECT_EQ(session.value("type"), "realtime");
    EXPECT_EQ(session.value("output_modalities"), QJsonArray({"audio"}));
    EXPECT_EQ(session.value("tool_choice"), "auto");
    const QJsonObject expectedAudio = QJsonDocument::fromJson(R"({"input":{
        "format":{"type":"audio/pcm","rate":24000},
        "transcription":{"model":"gpt-4o-mini-transcribe"},
        "turn_detection":{"type":"server_vad","create_response":true}}})")
                                          .object();
    EXPECT_EQ(session.value("audio").toObject(), expectedAudio);
    const QString instructions = session.value("instructions").toString();
    EXPECT_TRUE(instructions.startsWith("You are Orbix, a Capture One computer-use operator.\nExecute "));
    EXPECT_EQ(instructions.count("\n\n"), 2);
    EXPECT_TRUE(instructions.endsWith("and `redo_last_change` when they ask to redo it."));
    const QJsonArray tools = session.value("tools").toArray();
    ASSERT_EQ(tools.size(), 1);
    EXPECT_EQ(tools[0].toObject().value("name"), "computer_use");

    EXPECT_EQ(service->currentState(), RealtimeVoiceState::recording);
    EXPECT_TRUE(input->isCapturing());
    EXPECT_TRUE(output->running);
    settle();
    EXPECT_EQ(states, std::vector({RealtimeVoiceState::connecting, RealtimeVoiceState::recording}));
}

TEST_F(RealtimeProtocol, TextSessionAsksForTextOnlyAndPlaysNoAudio) {
    ASSERT_TRUE(startSession(false));
    ASSERT_TRUE(waitForClientEvents(1));
    const QJsonObject session = server.clientEvents()[0].value("session").toObject();
    EXPECT_EQ(session.keys(),
              QStringList({"instructions", "output_modalities", "tool_choice", "tools", "type"}));
    EXPECT_EQ(session.value("output_modalities"), QJsonArray({"text"}));
    EXPECT_FALSE(input->isCapturing());

    server.sendEvent(event("response.output_audio.delta", {{"delta", QString(pcm16({1000}).toBase64())}}));
    server.sendEvent(event("response.done"));
    EXPECT_TRUE(waitUntil([&] { return responsesDone == 1; }));
    EXPECT_TRUE(output->played.empty()) << "audio in a text-only session is not played";
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::idle);
    EXPECT_EQ(server.clientEventTypes(), QStringList({"session.update"})) << "no buffer clear without audio";
}

TEST_F(RealtimeProtocol, AudioDeltasPlayFromTextAndBinaryFramesAndEndWithTheSpeakingTail) {
    ASSERT_TRUE(startSession(true));
    server.sendEvent(
        event("response.output_audio.delta", {{"delta", QString(pcm16({32767, -32768}).toBase64())}}));
    server.sendBinary(QJsonDocument(event("response.output_audio.delta",
                                          {{"delta", QString(pcm16({0, 16384, 1}).toBase64())}}))
                          .toJson());
    server.sendEvent(event("response.output_audio.delta", {{"delta", "not base64 !"}}));
    ASSERT_TRUE(waitUntil([&] { return output->played.size() == 2; }));
    EXPECT_EQ(output->played[0], std::vector<float>({1.0f, float(-32768 / 32767.0)}));
    EXPECT_EQ(output->played[1].size(), 3u);
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::speaking);

    const qsizetype before = server.clientEvents().size();
    server.sendEvent(event("response.done"));
    ASSERT_TRUE(waitForClientEvents(before + 1));
    EXPECT_EQ(server.clientEventTypes().last(), "input_audio_buffer.clear");
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::recording);
    EXPECT_TRUE(waitUntil([&] { return responsesDone == 1; }));
    EXPECT_EQ(output->played.size(), 2u) << "the undecodable chunk is ignored";
}

TEST_F(RealtimeProtocol, AssistantTranscriptsUnderEveryEventName) {
    ASSERT_TRUE(startSession(false));
    server.sendEvent(event("response.output_audio_transcript.delta", {{"delta", "Raising "}}));
    server.sendEvent(event("response.output_audio_transcript.delta", {{"delta", "exposure"}}));
    server.sendEvent(event("response.output_audio_transcript.done", {{"transcript", "Raised exposure."}}));
    server.sendEvent(
        event("conversation.item.input_audio_transcription.completed", {{"transcript", "rate it"}}));
    server.sendEvent(event("response.text.delta", {{"delta", "Rated "}}));
    server.sendEvent(event("response.output_text.delta", {{"delta", "four"}}));
    server.sendEvent(event("response.output_text.done", {{"text", "Rated four."}}));
    server.sendEvent(event("response.text.done", {{"text", "Rated 4."}}));
    ASSERT_TRUE(waitUntil([&] { return transcripts.size() == 7; }));
    EXPECT_EQ(transcripts, QStringList({"Raising ", "Raising exposure", "Raised exposure.", "Rated ",
                                        "Rated four", "Rated four.", "Rated 4."}));
    const QString log = logText();
    EXPECT_TRUE(log.contains("Assistant response transcript: \"Raised exposure.\""));
    EXPECT_TRUE(log.contains("User input transcription: \"rate it\""));
    EXPECT_TRUE(log.contains("Received Realtime WebSocket event: response.output_text.done"));
    EXPECT_FALSE(log.contains(kRealtimeKey)) << "the key never reaches the log";
}

TEST_F(RealtimeProtocol, ServerErrorsAreLoggedReportedOrEndTheSessionByKind) {
    ASSERT_TRUE(startSession(false));
    server.sendEvent(
        event("error", {{"error", QJsonObject{{"message", "Cancellation failed: NO ACTIVE RESPONSE FOUND"}}}}));
    server.sendEvent(
        event("error", {{"error", QJsonObject{{"message", "Conversation already has an active response"}}}}));
    server.sendText("not json at all");
    server.sendText(R"({"type": 7})");
    server.sendEvent(event("response.created"));
    ASSERT_TRUE(waitUntil([&] { return logText().contains("event: response.created"); }));
    EXPECT_TRUE(service->isActive());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(recoverableErrors.isEmpty());

    // A refused client event is reported and the session goes on.
    play({events::serverError("invalid_request_error", "invalid_event", "The 'type' field is missing.")});
    ASSERT_TRUE(waitUntil([&] { return recoverableErrors.size() == 1; }));
    EXPECT_EQ(recoverableErrors[0], "The 'type' field is missing.");
    EXPECT_TRUE(service->isActive());
    settle();
    EXPECT_EQ(std::count(states.begin(), states.end(), RealtimeVoiceState::failed), 0);

    server.sendEvent(event("error", {{"error", QJsonObject{{"message", "Invalid session."}}}}));
    ASSERT_TRUE(waitUntil([&] { return !errors.isEmpty(); }));
    EXPECT_EQ(errors, QStringList({"Invalid session."}));
    EXPECT_FALSE(service->isActive());
    EXPECT_TRUE(waitUntil([&] { return !server.isClientConnected(); }));
    settle();
    EXPECT_EQ(states.back(), RealtimeVoiceState::idle);
    EXPECT_NE(std::find(states.begin(), states.end(), RealtimeVoiceState::failed), states.end());

    ASSERT_TRUE(startSession(false));
    server.sendEvent(event("error", {{"error", QJsonObject{{"code", "x"}}}}));
    EXPECT_TRUE(waitUntil([&] { return errors.size() == 2; }));
    EXPECT_EQ(errors.last(), "Realtime API error.");

    // A request error that names an expired session is not one refused event: the session is gone.
    ASSERT_TRUE(startSession(false));
    play({events::serverError("invalid_request_error", "session_expired",
                              "Your session hit the maximum duration of 60 minutes.")});
    EXPECT_TRUE(waitUntil([&] { return errors.size() == 3 && !service->isActive(); }));
    EXPECT_EQ(recoverableErrors.size(), 1);
}

TEST_F(RealtimeProtocol, AKeyInEveryServerTextReachesNeitherTheUserNorTheLog) {
    ASSERT_TRUE(startSession(false));
    const QString key = kRealtimeKey;
    play({event(("response.created\n[2026-01-01 00:00:00.000] forged " + key).toUtf8().constData()),
          event("response.output_text.delta", {{"delta", "Your key is " + key}}),
          event("conversation.item.input_audio_transcription.completed", {{"transcript", "my key " + key}}),
          events::serverError("invalid_request_error", "invalid_event", "Bad event for key " + key),
          events::serverError("invalid_request_error", "invalid_api_key",
                              "Incorrect API key provided: " + key)});
    ASSERT_TRUE(waitUntil([&] { return !errors.isEmpty() && !recoverableErrors.isEmpty(); }));
    ASSERT_TRUE(startSession(false));
    server.closeConnection("closed for " + key);
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 2; }));

    const QString shown = errors.join("\n") + recoverableErrors.join("\n") + transcripts.join("\n");
    EXPECT_FALSE(shown.contains(key)) << shown.toStdString();
    EXPECT_TRUE(errors[0].startsWith("Incorrect API key provided: ")) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains("closed for ")) << errors[1].toStdString();
    const QString log = logText();
    EXPECT_FALSE(log.contains(key));
    for (const QString& line : log.split('\n', Qt::SkipEmptyParts)) {
        EXPECT_FALSE(line.startsWith("[2026-01-01")) << "a line break in a server text forged a log line";
    }
}

TEST_F(RealtimeProtocol, DroppedSocketBeforeAndAfterTheSessionIsConfirmed) {
    server.greetWithSessionCreated = false;
    std::optional<bool> running;
    service->start(false, [&](bool value) { running = value; });
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 1; }));
    server.dropConnection();
    ASSERT_TRUE(waitUntil([&] { return running.has_value(); }));
    EXPECT_FALSE(*running);
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 1; }));
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::idle);

    // A drop while the user speaks and one while the session listens: each ends the session as stop()
    // does, and the next start opens a new connection.
    server.greetWithSessionCreated = true;
    for (const bool whileSpeaking : {true, false}) {
        states.clear();
        ASSERT_TRUE(startSession(true));
        ASSERT_TRUE(input->isCapturing());
        if (whileSpeaking) {
            play({events::speechStarted("item_1")});
            ASSERT_TRUE(waitForHandled("input_audio_buffer.speech_started"));
        }
        server.dropConnection();
        ASSERT_TRUE(waitUntil([&] { return !service->isActive(); }));
        EXPECT_FALSE(input->isCapturing()) << "the microphone is released";
        EXPECT_EQ(service->currentState(), RealtimeVoiceState::idle);
        settle();
        EXPECT_EQ(std::vector(states.end() - 2, states.end()),
                  std::vector({RealtimeVoiceState::failed, RealtimeVoiceState::idle}));
    }
    EXPECT_EQ(errors.size(), 3);
    ASSERT_TRUE(startSession(false));
    EXPECT_EQ(server.connectionCount(), 4);
}

TEST_F(RealtimeProtocol, StopPhrasesEndTheSessionAndWakePhrasesAreReported) {
    ASSERT_TRUE(startSession(false));
    server.sendEvent(
        event("conversation.item.input_audio_transcription.completed", {{"transcript", "unstoppable"}}));
    server.sendEvent(
        event("conversation.item.input_audio_transcription.completed", {{"transcript", "they orbix, hi"}}));
    server.sendEvent(
        event("conversation.item.input_audio_transcription.completed", {{"transcript", "Hey, Orbix!"}}));
    ASSERT_TRUE(waitUntil([&] { return wakePhrases == 2; }));
    EXPECT_TRUE(service->isActive());

    server.sendEvent(
        event("conversation.item.input_audio_transcription.completed", {{"transcript", "That's it."}}));
    ASSERT_TRUE(waitUntil([&] { return !service->isActive(); }));
    EXPECT_EQ(server.clientEventTypes().last(), "input_audio_buffer.clear") << "cleared before the close";
    EXPECT_TRUE(waitUntil([&] { return !server.isClientConnected(); }));

    ASSERT_TRUE(startSession(false));
    server.sendEvent(event("conversation.item.input_audio_transcription.completed",
                           {{"transcript", "please stop the export"}}));
    EXPECT_TRUE(waitUntil([&] { return !service->isActive(); }));
}

TEST_F(RealtimeProtocol, IdleDisconnectFollowsTheLastActivity) {
    ASSERT_TRUE(startSession(false));
    timers->advance(OpenAIRealtimeVoiceService::idleDisconnectDelay - std::chrono::milliseconds(1));
    EXPECT_TRUE(service->isActive());

    server.sendEvent(event("input_audio_buffer.speech_started"));
    ASSERT_TRUE(waitUntil([&] { return logText().contains("speech_started"); }));
    timers->advance(OpenAIRealtimeVoiceService::idleDisconnectDelay - std::chrono::milliseconds(1));
    EXPECT_TRUE(service->isActive()) << "speech restarts the countdown";
    timers->advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(service->isActive()) << "speech that no response follows does not keep the session open";

    ASSERT_TRUE(startSession(false));
    server.sendEvent(event("response.done"));
    ASSERT_TRUE(waitUntil([&] { return responsesDone == 1; }));
    timers->advance(OpenAIRealtimeVoiceService::idleDisconnectDelay - std::chrono::milliseconds(1));
    EXPECT_TRUE(service->isActive());
    timers->advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(service->isActive());
    EXPECT_TRUE(waitUntil([&] { return !server.isClientConnected(); }));
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::idle);
}

TEST_F(RealtimeProtocol, StartWhileActiveOrStartingTogglesTheSessionOff) {
    ASSERT_TRUE(startSession(true));
    EXPECT_FALSE(startSession(true));
    EXPECT_FALSE(service->isActive());
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::idle);
    EXPECT_FALSE(input->isCapturing());
    EXPECT_TRUE(waitUntil([&] { return !server.isClientConnected(); }));

    server.greetWithSessionCreated = false;
    std::optional<bool> first;
    service->start(false, [&](bool value) { first = value; });
    EXPECT_FALSE(startSession(false));
    ASSERT_TRUE(waitUntil([&] { return first.has_value(); }));
    EXPECT_FALSE(*first) << "the pending start is answered when it is toggled off";
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(RealtimeProtocol, StartFailures) {
    input->deviceExists = false;
    EXPECT_FALSE(startSession(true));
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 1; }));
    EXPECT_TRUE(errors[0].contains("microphone")) << errors[0].toStdString();
    EXPECT_EQ(server.connectionCount(), 0);

    RealtimeVoiceServiceOptions options;
    options.lookup = [](const QString&) { return std::nullopt; };
    options.configuration = [] {
        return ProductConfiguration::fromInformation({{"OrbixBuildFlavor", "internal"}}, {});
    };
    options.timers = timers;
    options.logDirectory = logs.path();
    OpenAIRealtimeVoiceService unconfigured(network, {}, options);
    QString error;
    QObject::connect(&unconfigured, &OpenAIRealtimeVoiceService::errorOccurred,
                     [&](const QString& message) { error = message; });
    std::optional<bool> running;
    unconfigured.start(false, [&](bool value) { running = value; });
    ASSERT_TRUE(waitUntil([&] { return running.has_value() && !error.isEmpty(); }));
    EXPECT_FALSE(*running);
    EXPECT_EQ(error, "OpenAI is not configured. Add ORBIX_OPENAI_API_KEY to .env.local.");
}

TEST_F(RealtimeProtocol, PublicBuildConnectsWithTheBackEndsClientSecret) {
    const auto clearTokenCache = [] {
        userDefaults()->remove(FirebaseAnonymousAuthService::idTokenKey);
        userDefaults()->remove(FirebaseAnonymousAuthService::expiresAtKey);
    };
    clearTokenCache();
    LocalHttpServer backend;
    ASSERT_TRUE(backend.listen());
    const QByteArray idToken = "eyJhbGciOiJSUzI1NiIs.SECRET-ID.sig";
    backend.route("GET", "/v1/public-config",
                  ScriptedReply::json(200, R"({"firebase":{"apiKey":"AIza-public"}})"));
    backend.route("POST", "/v1/accounts:signUp",
                  ScriptedReply::json(200, R"({"idToken":")" + idToken + R"(","expiresIn":"3600"})"));
    const QString secretPath = "/v1/products/orbix/realtime/client-secret";
    backend.enqueue("POST", secretPath,
                    ScriptedReply::json(200, R"({"session":{"client_secret":{"value":"ek_SECRET_1"}}})"));
    backend.enqueue("POST", secretPath,
                    ScriptedReply::json(200, R"({"value":"ek_SECRET_2","expires_at":1756310470,
                                                 "session":{"type":"realtime","model":"gpt-realtime-2.1"}})"));
    backend.enqueue("POST", secretPath, ScriptedReply::json(200, R"({"value":"ek_SECRET_3"})"));
    backend.enqueue("POST", secretPath,
                    ScriptedReply::json(403, R"({"error":"Voice is not part of your plan."})"));

    RealtimeVoiceServiceOptions options = baseOptions();
    options.network.identityToolkitOrigin = backend.url();
    options.configuration = [&] {
        return ProductConfiguration::fromInformation(
            {{"OrbixBuildFlavor", "public"}, {"OrbixBackendURL", backend.url().toString()}}, {});
    };
    createService({}, options);
    ASSERT_TRUE(startSession(false));
    EXPECT_EQ(server.handshake().rawHeader("Authorization"), "Bearer ek_SECRET_1");
    const auto secretRequests = backend.requestsTo(secretPath);
    ASSERT_EQ(secretRequests.size(), 1);
    EXPECT_EQ(secretRequests[0].header("Authorization"), "Bearer " + idToken);
    EXPECT_EQ(
        secretRequests[0].json(),
        QJsonDocument::fromJson(R"({"session":{"type":"realtime","model":"gpt-realtime-2.1"}})").object());

    // The hosted API's own reply shape, forwarded as it is, carries the secret beside the session.
    service->stop();
    ASSERT_TRUE(startSession(false));
    EXPECT_EQ(server.handshake().rawHeader("Authorization"), "Bearer ek_SECRET_2");

    service->stop();
    EXPECT_FALSE(startSession(false)) << "a bare value without a session is not a client secret reply";
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 1; }));
    EXPECT_EQ(errors[0], "The Realtime API response was invalid.");
    EXPECT_FALSE(startSession(false));
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 2; }));
    EXPECT_EQ(errors[1], "Voice is not part of your plan.");
    EXPECT_EQ(server.connectionCount(), 2);
    const QString log = logText();
    EXPECT_FALSE(log.contains("ek_SECRET") || log.contains("SECRET-ID"));
    clearTokenCache();
}

TEST_F(RealtimeProtocol, LocalFeedbackReturnsToListeningAndShieldsTheNextTurnBriefly) {
    ASSERT_TRUE(startSession(true));
    server.sendEvent(event("response.output_audio.delta", {{"delta", QString(pcm16({1}).toBase64())}}));
    server.sendEvent(
        event("response.function_call_arguments.done",
              {{"name", "computer_use"}, {"call_id", "c1"}, {"arguments", R"({"action":"c1_process"})"}}));
    ASSERT_TRUE(waitUntil([&] { return server.clientEventsOfType("response.create").size() == 1; }));
    ASSERT_EQ(service->currentState(), RealtimeVoiceState::speaking);

    const qsizetype before = server.clientEvents().size();
    service->finishLocalFeedbackAndScheduleIdleDisconnect();
    EXPECT_EQ(service->currentState(), RealtimeVoiceState::recording);
    ASSERT_TRUE(waitForClientEvents(before + 1));
    EXPECT_EQ(server.clientEventTypes().last(), "input_audio_buffer.clear");

    // A second call right away, then speech inside the window: the call still counts for this response.
    server.sendEvent(
        event("response.function_call_arguments.done",
              {{"name", "computer_use"}, {"call_id", "c2"}, {"arguments", R"({"action":"c1_process"})"}}));
    server.sendEvent(event("input_audio_buffer.speech_started"));
    server.sendEvent(event("response.done"));
    ASSERT_TRUE(waitUntil([&] { return logText().count("event: response.done") == 1; }));
    settle();
    EXPECT_EQ(responsesDone, 0);

    timers->advance(OpenAIRealtimeVoiceService::computerUseSuppressionWindow);
    server.sendEvent(
        event("response.function_call_arguments.done",
              {{"name", "computer_use"}, {"call_id", "c3"}, {"arguments", R"({"action":"c1_process"})"}}));
    server.sendEvent(event("input_audio_buffer.speech_started"));
    server.sendEvent(event("response.done"));
    EXPECT_TRUE(waitUntil([&] { return responsesDone == 1; })) << "speech after the window starts a new turn";
}
