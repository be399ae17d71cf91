#include "support/LocalHttpServer.h"
#include "support/SimulatorSession.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix::test;

namespace {

struct OrbixRun {
    int exitCode = -1;
    QJsonObject state;
    QString transcript;
};

// Runs the orbix program with a private home, catalog and back end.
OrbixRun runOrbix(const QStringList& arguments, const QByteArray& input, const QString& home,
                  const QUrl& backend) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/.config");
    environment.insert("ORBIX_BACKEND_URL", backend.toString());
    environment.insert("ORBIX_OPENAI_API_HOST", backend.toString());
    environment.remove("ORBIX_APPLICATIONS_PATH");
    environment.remove("ORBIX_SIMULATOR_DIR");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ORBIX_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    // The event loop keeps running meanwhile: the back end answering the program lives in this process.
    EXPECT_TRUE(waitUntil([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(30)));
    OrbixRun run;
    run.exitCode = process.exitCode();
    run.state = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    run.transcript = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A private home, simulator catalog and back end for one run of the program.
class CommandLineFrontEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(backend.listen()); }
    OrbixRun run(const QStringList& arguments, const QByteArray& input = {}) {
        return runOrbix(arguments, input, home.path(), backend.url());
    }

    QTemporaryDir home;
    SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    LocalHttpServer backend;
};

} // namespace

TEST_F(CommandLineFrontEnd, PrintsTheStateAsJsonAfterEveryPrompt) {
    simulator.command({"reset", "--variants", "2", "--select", "1"});
    writeFile(home.filePath("shoot/IMG_2.jpg"), "x");
    writeFile(home.filePath("shoot/IMG_10.jpg"), "x");

    const OrbixRun result =
        run({"--json", "--prompt", "capture one rate this 3 stars", "--prompt", "open the mail app", "--prompt",
             "import photos from " + home.filePath("shoot")},
            {});
    EXPECT_EQ(result.exitCode, 0) << result.transcript.toStdString();
    const QJsonArray messages = result.state.value("messages").toArray();
    ASSERT_EQ(messages.size(), 6) << result.transcript.toStdString();
    EXPECT_EQ(messages[0].toObject(),
              (QJsonObject{{"role", "user"}, {"mode", "quiet"}, {"content", "capture one rate this 3 stars"}}));
    EXPECT_EQ(messages[1].toObject().value("content").toString(), "Set rating to 3 on 1 selected variant(s).");
    EXPECT_EQ(messages[5].toObject().value("content").toString(),
              "Started importing " + home.filePath("shoot") + ".");

    const QJsonArray artifacts = result.state.value("artifacts").toArray();
    ASSERT_EQ(artifacts.size(), 2);
    EXPECT_EQ(artifacts[0].toObject().value("title").toString(), "Capture One only");
    EXPECT_EQ(artifacts[0].toObject().value("status").toString(), "ready");
    EXPECT_EQ(result.state.value("selectedArtifactTitle").toString(), "Imported Photos");

    const QJsonArray photos = result.state.value("importedPhotos").toArray();
    ASSERT_EQ(photos.size(), 2);
    EXPECT_EQ(photos[0].toObject(),
              (QJsonObject{
                  {"displayName", "IMG_2"}, {"path", home.filePath("shoot/IMG_2.jpg")}, {"selected", true}}));
    EXPECT_TRUE(result.transcript.contains("Orbix: Set rating to 3 on 1 selected variant(s)."));
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 3);

    // The session's changes with their typed fields.
    const QJsonArray changes = result.state.value("changes").toArray();
    ASSERT_EQ(changes.size(), 1);
    const QJsonObject change = changes[0].toObject();
    EXPECT_EQ(change.value("road"), "typed");
    EXPECT_EQ(change.value("request"), "capture one rate this 3 stars");
    EXPECT_EQ(change.value("action"), "c1_set_rating");
    EXPECT_EQ(change.value("undoable"), true);
    EXPECT_EQ(change.value("undone"), false);
    const QJsonObject target = change.value("targets").toArray()[0].toObject();
    EXPECT_EQ(target.value("properties").toArray()[0].toObject(),
              (QJsonObject{{"property", "rating"}, {"before", "0"}, {"after", "3"}}));
}

TEST_F(CommandLineFrontEnd, ReadsPromptsFromStandardInput) {
    simulator.command({"reset", "--variants", "1", "--select", "1"});
    const OrbixRun result = run({"--json"}, "capture one status\n\nlaunch the calendar");
    EXPECT_EQ(result.exitCode, 0);
    const QJsonArray messages = result.state.value("messages").toArray();
    ASSERT_EQ(messages.size(), 4);
    EXPECT_TRUE(messages[1].toObject().value("content").toString().startsWith("Selected variants: 1"));
    EXPECT_EQ(messages[2].toObject().value("content").toString(), "launch the calendar")
        << "a last line without a line feed";
    EXPECT_EQ(result.state.value("selectedArtifactTitle").toString(), "Capture One only");
}

// Requests as people type them, end to end: a folder under "~" in typographic quotes, a folder whose name
// holds "error", a rating that names Capture One with nothing in the tray, and the update notice, which
// the final state waits for.
TEST_F(CommandLineFrontEnd, TypedRequestsReachTheFolderAndPhotosTheyName) {
    simulator.command({"reset", "--variants", "2", "--select", "2"});
    backend.route("GET", "/v1/products/orbix/latest-version",
                  ScriptedReply::json(200, R"({"update":{"latestVersion":"99.0","minimumVersion":"1.0",)"
                                           R"("mode":"recommended","releaseNotes":"Faster.",)"
                                           R"("downloadUrl":"https://orbix.app/download"}})")
                      .after(std::chrono::milliseconds(1500)));
    writeFile(home.filePath("Shoots/Day 1/IMG_1.jpg"), "x");
    writeFile(home.filePath("Terror Shoot/IMG_7.jpg"), "x");

    const OrbixRun result =
        run({"--json", "--prompt", "capture one, rate these 4 stars", "--prompt",
             "import photos from “~/Shoots/Day 1”.", "--prompt", "import photos from ~/Terror Shoot",
             "--prompt", "rate the 2 selected photos 5 stars"},
            {});
    EXPECT_EQ(result.exitCode, 0) << result.transcript.toStdString();
    const QJsonArray messages = result.state.value("messages").toArray();
    ASSERT_EQ(messages.size(), 8) << result.transcript.toStdString();
    EXPECT_EQ(messages[1].toObject().value("content").toString(), "Set rating to 4 on 1 selected variant(s).")
        << "an empty tray leaves \"capture one, … these\" to Capture One's selection";
    EXPECT_EQ(messages[3].toObject().value("content").toString(),
              "Started importing " + home.filePath("Shoots/Day 1") + ".");
    EXPECT_EQ(messages[5].toObject().value("content").toString(),
              "Started importing " + home.filePath("Terror Shoot") + ".");
    EXPECT_EQ(messages[7].toObject().value("content").toString(), "Set rating to 5 on 1 selected variant(s).");

    const QJsonArray photos = result.state.value("importedPhotos").toArray();
    ASSERT_EQ(photos.size(), 2) << "a folder named \"Terror Shoot\" imports like any other";
    EXPECT_FALSE(photos[0].toObject().value("selected").toBool());
    EXPECT_TRUE(photos[1].toObject().value("selected").toBool());
    EXPECT_EQ(simulator.variantWithFile("IMG_7.jpg").value("rating").toInt(), 5);
    EXPECT_EQ(simulator.variantWithFile("IMG_1.jpg").value("rating").toInt(), 0);

    const QJsonArray artifacts = result.state.value("artifacts").toArray();
    ASSERT_FALSE(artifacts.isEmpty());
    EXPECT_EQ(artifacts.last().toObject().value("title").toString(), "Update Available")
        << "the final state waits for the update check";
}

TEST_F(CommandLineFrontEnd, AMissingFolderIsNamedAsTyped) {
    const OrbixRun result = run({"--json", "--prompt", "import photos from \"/srv/Away from home\""}, {});
    const QJsonArray messages = result.state.value("messages").toArray();
    ASSERT_EQ(messages.size(), 2) << result.transcript.toStdString();
    EXPECT_EQ(messages[1].toObject().value("content").toString(),
              "No folder was found at /srv/Away from home.");
}
