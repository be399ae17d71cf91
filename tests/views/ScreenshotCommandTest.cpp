// `orbix --screenshot` end to end: the program answers its prompts on the simulator, renders the window
// offscreen at the requested size and refuses a size it cannot read.
#include "support/LocalHttpServer.h"
#include "support/SimulatorSession.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix::test;

namespace {

struct ScreenshotRun {
    bool finished = false;
    int exitCode = -1;
    QString output;
    QString errors;
};

class ScreenshotCommand : public ::testing::Test {
protected:
    ScreenshotCommand() {
        EXPECT_TRUE(backend.listen());
        simulator.command({"reset", "--variants", "2", "--select", "1"});
    }

    // Runs orbix with a private home and the local back end; the event loop keeps serving the back end
    // while the program runs.
    ScreenshotRun run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.path() + "/.config");
        environment.insert("ORBIX_BACKEND_URL", backend.url().toString());
        environment.insert("ORBIX_OPENAI_API_HOST", backend.url().toString());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("ORBIX_APPLICATIONS_PATH");
        environment.remove("ORBIX_SIMULATOR_DIR");
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ORBIX_PROGRAM), arguments);
        ScreenshotRun result;
        result.finished =
            waitUntil([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(60));
        result.exitCode = process.exitCode();
        result.output = QString::fromUtf8(process.readAllStandardOutput());
        result.errors = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QTemporaryDir home;
    SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    LocalHttpServer backend;
};

} // namespace

TEST_F(ScreenshotCommand, AnswersThePromptsThenRendersTheWindowAtTheRequestedSize) {
    const QString file = home.filePath("window.png");
    const ScreenshotRun result =
        run({"--screenshot", file, "--size", "1300x800", "--prompt", "capture one rate this 4 stars"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(result.output.contains("Orbix: Set rating to 4")) << result.output.toStdString();
    const QImage image(file);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(1300, 800));
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 4);
}

TEST_F(ScreenshotCommand, NeverRendersBelowTheWindowMinimumAndRefusesUnreadableOptions) {
    const QString small = home.filePath("small.png");
    const ScreenshotRun smallRun = run({"--screenshot", small, "--size", "640x480"});
    ASSERT_TRUE(smallRun.finished);
    EXPECT_EQ(smallRun.exitCode, 0) << smallRun.errors.toStdString();
    const QImage image(small);
    EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(1120, 720));

    for (const QStringList& options :
         {QStringList{"--size", "wide"}, QStringList{"--size", "0x720"},
          QStringList{"--voice-state", "shouting"}, QStringList{"--palette", "sepia"}}) {
        const QString refused = home.filePath("refused.png");
        const ScreenshotRun refusedRun = run(QStringList{"--screenshot", refused} + options);
        ASSERT_TRUE(refusedRun.finished);
        EXPECT_EQ(refusedRun.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(refused)) << options.join(' ').toStdString();
    }
}
