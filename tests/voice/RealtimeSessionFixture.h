#pragma once
// A voice service pointed at the fake Realtime server, with manual timers, fake audio devices, a private
// log folder and every callback recorded.

#include "FakeAudioDevices.h"
#include "ManualVoiceTimers.h"
#include "RealtimeEvents.h"
#include "support/FakeRealtimeServer.h"
#include "support/TestSupport.h"
#include "voice/OpenAIRealtimeVoiceService.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orbix::test {

inline const QString kRealtimeKey = QStringLiteral("sk-proj-SECRET-realtime-0123456789");

class RealtimeSessionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen());
        createService([this](const ComputerUseArguments& arguments, ComputerUseCompletion done) {
            executed.push_back(arguments);
            done(ComputerUseResult{QStringLiteral("Done."), std::nullopt});
        });
    }

    RealtimeVoiceServiceOptions baseOptions() {
        RealtimeVoiceServiceOptions options;
        options.lookup = [](const QString& name) -> std::optional<QString> {
            return name == QLatin1String("ORBIX_OPENAI_API_KEY") ? std::optional(kRealtimeKey) : std::nullopt;
        };
        options.configuration = [] {
            return ProductConfiguration::fromInformation({{"OrbixBuildFlavor", "internal"}}, {});
        };
        options.network = NetworkSettings::defaults();
        options.network.realtimeOrigin = server.origin();
        options.timers = timers;
        options.logDirectory = logs.path();
        options.audioInput = input;
        options.audioOutput = output;
        return options;
    }

    void createService(ComputerUseExecutor executor) { createService(std::move(executor), baseOptions()); }
    void createService(ComputerUseExecutor executor, const RealtimeVoiceServiceOptions& options) {
        service = std::make_unique<OpenAIRealtimeVoiceService>(network, std::move(executor), options);
        using Service = OpenAIRealtimeVoiceService;
        Service* voice = service.get();
        QObject::connect(voice, &Service::stateChanged,
                         [this](RealtimeVoiceState state) { states.push_back(state); });
        QObject::connect(voice, &Service::errorOccurred,
                         [this](const QString& message) { errors.append(message); });
        QObject::connect(voice, &Service::recoverableErrorOccurred,
                         [this](const QString& message) { recoverableErrors.append(message); });
        QObject::connect(voice, &Service::assistantTranscriptChanged,
                         [this](const QString& text) { transcripts.append(text); });
        QObject::connect(voice, &Service::wakePhraseDetected, [this] { ++wakePhrases; });
        QObject::connect(voice, &Service::responseDone, [this] { ++responsesDone; });
        QObject::connect(voice, &Service::computerUseFinished,
                         [this](const ComputerUseResult& result) { results.push_back(result); });
    }

    bool startSession(bool isVoice) {
        std::optional<bool> running;
        service->start(isVoice, [&](bool value) { running = value; });
        EXPECT_TRUE(waitUntil([&] { return running.has_value(); }));
        return running.value_or(false);
    }

    void play(std::initializer_list<QJsonObject> events) {
        for (const QJsonObject& event : events) {
            server.sendEvent(event);
        }
    }
    // Waits until the service has handled the `count`th event of this type.
    bool waitForHandled(const QString& type, qsizetype count = 1) {
        return waitUntil(
            [&] { return logText().count("Received Realtime WebSocket event: " + type + "\n") >= count; });
    }
    qsizetype clientEventCount(const QString& type) const { return server.clientEventsOfType(type).size(); }
    // Refuses as the application does when the transcript is empty, and records what it judged.
    void installScopeBlocker() {
        service->setProductScopeBlocker([this](const QString& transcript) -> std::optional<ComputerUseResult> {
            judged.append(transcript);
            if (transcript.isEmpty()) {
                return ComputerUseResult{QStringLiteral("Capture One only."), std::nullopt};
            }
            return std::nullopt;
        });
    }

    // Waits until the client has sent `count` events in all.
    bool waitForClientEvents(qsizetype count) {
        return waitUntil([&] { return server.clientEvents().size() >= count; });
    }
    // Lets queued callbacks run.
    void settle() {
        waitUntil([] { return false; }, std::chrono::milliseconds(50));
    }

    QString logText() const {
        QFile file(logs.filePath("realtime.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    FakeRealtimeServer server;
    QNetworkAccessManager network;
    QTemporaryDir logs;
    std::shared_ptr<ManualVoiceTimers> timers = std::make_shared<ManualVoiceTimers>();
    std::shared_ptr<FakeAudioInput> input = std::make_shared<FakeAudioInput>();
    std::shared_ptr<FakeAudioOutput> output = std::make_shared<FakeAudioOutput>();
    std::unique_ptr<OpenAIRealtimeVoiceService> service;

    std::vector<ComputerUseArguments> executed;
    std::vector<RealtimeVoiceState> states;
    QStringList errors;
    QStringList recoverableErrors;
    QStringList judged;
    QStringList transcripts;
    std::vector<ComputerUseResult> results;
    int wakePhrases = 0;
    int responsesDone = 0;
};

} // namespace orbix::test
