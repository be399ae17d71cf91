// Pure parts of the voice session: speech matching, the back end's client-secret replies, the tool
// definition and the log file.
#include "support/TestSupport.h"
#include "voice/RealtimeCredentials.h"
#include "voice/RealtimeLog.h"
#include "voice/RealtimeSessionPayload.h"
#include "voice/RealtimeSessionPhase.h"
#include "voice/RealtimeTextMatching.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orbix;

TEST(RealtimeTextMatching, NormalisesStopsAndWakes) {
    EXPECT_EQ(realtime::normalizedComputerUseText("  That's   IT! "), "thats it");
    EXPECT_EQ(realtime::normalizedComputerUseText("Café 4 — ok"), "café 4 ok");

    for (const char* stop : {"That's it.", "Never mind", "end session", "STOP!", "please stop the export",
                             "cancel that", "Close connection."}) {
        EXPECT_TRUE(realtime::isVoiceSessionStopCommand(QString::fromUtf8(stop))) << stop;
    }
    for (const char* keep : {"unstoppable", "the end of the world", "done with exposure", "stopping", ""}) {
        EXPECT_FALSE(realtime::isVoiceSessionStopCommand(QString::fromUtf8(keep))) << keep;
    }
    for (const char* wake : {"Hey, Orbix!", "they orbix", "hey rbixie please", "HEY ORBYX"}) {
        EXPECT_TRUE(realtime::containsWakePhrase(QString::fromUtf8(wake))) << wake;
    }
    EXPECT_FALSE(realtime::containsWakePhrase("hey or bix"));
}

TEST(RealtimeCredentials, ClientSecretReplyShapes) {
    const auto token = [](int status, const QByteArray& body) {
        return RealtimeCredentials::clientSecretFromReply(HttpReply{status, body});
    };
    EXPECT_EQ(token(200, R"({"session":{"client_secret":{"value":"ek_1"}}})").value(), "ek_1");
    EXPECT_EQ(token(200, R"({"session":{"value":"ek_2","client_secret":{"value":"other"}}})").value(), "ek_2");
    EXPECT_EQ(token(200, R"({"value":"ek_4","expires_at":1756310470,"session":{"type":"realtime"}})").value(),
              "ek_4");
    for (const QByteArray& body :
         {QByteArray(R"({"value":"ek_3"})"), QByteArray(R"({"session":{"value":""}})"),
          QByteArray(R"({"session":{"value":"ek with\nbreak"}})"), QByteArray("<html>")}) {
        const auto result = token(200, body);
        ASSERT_FALSE(result.ok()) << body.toStdString();
        EXPECT_EQ(result.error().description(), "The Realtime API response was invalid.");
    }
    EXPECT_EQ(token(403, R"({"error":"Voice is not part of your plan."})").error().description(),
              "Voice is not part of your plan.");
    EXPECT_EQ(token(500, R"({"error":""})").error().description(), "Could not prepare Realtime voice.");
    EXPECT_EQ(token(502, "Bad gateway").error().description(), "Could not prepare Realtime voice.");
}

TEST(RealtimeSessionPayload, ToolDefinitionOffersTheDispatcherActionsInOrder) {
    const QJsonObject tool = realtime::computerUseToolDefinition();
    const QJsonObject parameters = tool.value("parameters").toObject();
    EXPECT_EQ(parameters.value("required").toArray(), QJsonArray({"action"}));
    EXPECT_EQ(parameters.value("additionalProperties"), false);
    const QJsonObject properties = parameters.value("properties").toObject();
    EXPECT_EQ(properties.keys(), QStringList({"action", "app_name", "folder_path", "key", "preset_name",
                                              "relative", "slider", "target_name", "text", "value"}));
    const QJsonArray actions = properties.value("action").toObject().value("enum").toArray();
    ASSERT_EQ(actions.size(), 28);
    EXPECT_EQ(actions.first(), "open_app");
    EXPECT_EQ(actions[21], "c1_get_capabilities");
    EXPECT_EQ(actions[25], "press_key");
    EXPECT_EQ(actions.last(), "redo_last_change");
    EXPECT_EQ(properties.value("value").toObject().value("type"), "number");
    EXPECT_EQ(properties.value("relative").toObject().value("type"), "boolean");
}

TEST(RealtimeLog, OwnerOnlyLinesAndRotation) {
    QTemporaryDir folder;
    const RealtimeLog log(folder.filePath("state/Orbix"));
    log.write("User input transcription: \"rate it four\"");
    QFile file(log.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString line = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(QRegularExpression(
                    R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] User input transcription: "rate it four"\n$)")
                    .match(line)
                    .hasMatch())
        << line.toStdString();
    const auto permissions = QFileInfo(log.filePath()).permissions();
    EXPECT_TRUE(permissions.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_FALSE(permissions & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                                QFileDevice::WriteOther))
        << "transcripts are readable by the owner only";
    QFile::setPermissions(log.filePath(), permissions | QFileDevice::ReadOther);
    log.write("again");
    EXPECT_FALSE(QFileInfo(log.filePath()).permissions() & QFileDevice::ReadOther)
        << "an existing file is narrowed";

    const QString chunk(1024 * 1024, QLatin1Char('x'));
    for (int i = 0; i < 5; ++i) {
        log.write(chunk);
    }
    EXPECT_LE(QFileInfo(log.filePath()).size(), RealtimeLog::maximumSize);
    EXPECT_TRUE(QFileInfo::exists(log.filePath() + ".1"));

    // A link or a FIFO planted at the log's path is left alone, and nothing waits on it.
    const QString target = folder.filePath("elsewhere.txt");
    QFile(target).open(QIODevice::WriteOnly);
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    QFile::remove(log.filePath());
    ASSERT_TRUE(QFile::link(target, log.filePath()));
    log.write("through the link");
    EXPECT_EQ(QFileInfo(target).size(), 0);
    EXPECT_TRUE(QFileInfo(target).permissions() & QFileDevice::ReadOther) << "the target is not touched";
    QFile::remove(log.filePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(log.filePath()).constData(), 0600), 0);
    log.write("into the fifo"); // returns at once instead of waiting for a reader

    test::ScopedEnvironment state("XDG_STATE_HOME", QByteArray("relative/path"));
    EXPECT_EQ(RealtimeLog::defaultDirectory(), QDir::homePath() + "/.local/state/Orbix");
}

TEST(RealtimeSessionPhase, EveryEventInEveryPhase) {
    using Phase = RealtimeSessionPhase;
    using Event = RealtimeSessionEvent;
    constexpr std::optional<Phase> ignored;
    const std::array events{Event::startRequested, Event::configuredForVoice, Event::configuredForText,
                            Event::voiceModeOn,    Event::voiceModeOff,       Event::ended};
    // One row per phase, one column per event in the order above.
    const std::vector<std::pair<Phase, std::array<std::optional<Phase>, 6>>> table{
        {Phase::idle, {Phase::starting, ignored, ignored, ignored, ignored, Phase::idle}},
        {Phase::starting, {ignored, Phase::recording, Phase::textOnly, ignored, ignored, Phase::idle}},
        {Phase::recording, {ignored, ignored, ignored, Phase::recording, Phase::textOnly, Phase::idle}},
        {Phase::textOnly, {ignored, ignored, ignored, Phase::recording, Phase::textOnly, Phase::idle}},
    };
    for (const auto& [phase, expected] : table) {
        for (std::size_t column = 0; column < events.size(); ++column) {
            EXPECT_EQ(nextPhase(phase, events[column]), expected[column])
                << "phase " << int(phase) << ", event " << int(events[column]);
        }
    }
}
