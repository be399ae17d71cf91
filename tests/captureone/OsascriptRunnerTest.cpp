#include "captureone/OsascriptRunner.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;
using Status = ScriptOutcome::Status;

namespace {

class OsascriptRunnerTest : public ::testing::Test {
protected:
    // A fake osascript: the shell body reads the script from stdin into $script.
    QString program(const QByteArray& body) {
        return test::writeExecutable(folder.path() + QStringLiteral("/osascript-%1").arg(++count),
                                     "#!/bin/sh\nscript=$(cat)\n" + body);
    }
    ScriptOutcome runWith(const QString& path, const QString& script = "return 1",
                          std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        OsascriptRunner runner(path, timeout);
        std::optional<ScriptOutcome> outcome;
        int calls = 0;
        runner.run(script, [&](const ScriptOutcome& result) {
            outcome = result;
            ++calls;
        });
        EXPECT_FALSE(outcome.has_value()) << "the completion never runs inside run()";
        EXPECT_TRUE(test::waitUntil([&] { return outcome.has_value(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, 1);
        return outcome.value_or(ScriptOutcome{});
    }

    QTemporaryDir folder;
    int count = 0;
};

} // namespace

TEST_F(OsascriptRunnerTest, SuccessDropsOnlyTheFinalLineFeed) {
    const QString echo = program("printf '%s\\n\\n' \"$script\"");
    EXPECT_EQ(runWith(echo, "Selected variants: 2\nRating: 5"),
              (ScriptOutcome{Status::success, "Selected variants: 2\nRating: 5\n"}));
    EXPECT_EQ(runWith(program("exit 0")), (ScriptOutcome{Status::success, ""}));
}

TEST_F(OsascriptRunnerTest, ExecutionErrorsKeepTheirMessageAndNumber) {
    EXPECT_EQ(
        runWith(program("echo 'warning: scripting addition foo' >&2\n"
                        "echo '12:40: execution error: Capture One 23 got an error: Can’t get style \"x (1)\". "
                        "(-1728)' >&2\nexit 1")),
        (ScriptOutcome{Status::executionError, "Capture One 23 got an error: Can’t get style \"x (1)\".",
                       -1728}));
    EXPECT_EQ(
        runWith(program("echo '/tmp/s.scpt:0:7: execution error: The variable x is not defined. (-2753)' >&2\n"
                        "exit 1")),
        (ScriptOutcome{Status::executionError, "The variable x is not defined.", -2753}));
    EXPECT_EQ(
        runWith(program("printf '5:9: execution error: Can’t get style \"a\\nb (2)\". (-1728)\\nwarning: x\\n' "
                        ">&2\nexit 1")),
        (ScriptOutcome{Status::executionError, "Can’t get style \"a\nb (2)\".", -1728}))
        << "a message with a line feed stays whole";
}

TEST_F(OsascriptRunnerTest, SyntaxErrorsAndMissingProgramsAreNotPrepared) {
    EXPECT_EQ(runWith(program("echo '3:9: syntax error: Expected end of line. (-2741)' >&2\nexit 1")).status,
              Status::notPrepared);
    EXPECT_EQ(
        runWith(program("echo '/x.scpt:3:9: script error: Expected end of line. (-2741)' >&2\nexit 1")).status,
        Status::notPrepared);
    EXPECT_EQ(runWith(folder.path() + "/no-such-program").status, Status::notPrepared);
    EXPECT_EQ(runWith(program("kill -9 $$")).status, Status::notPrepared);
}

TEST_F(OsascriptRunnerTest, AHangIsStoppedAtTheBound) {
    const QString pidFile = folder.path() + "/pid";
    const QString hang = program("echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 30");
    EXPECT_EQ(runWith(hang, "return 1", std::chrono::milliseconds(300)).status, Status::timedOut);
    ASSERT_TRUE(QFileInfo::exists(pidFile));
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pid = file.readAll().trimmed();
    EXPECT_FALSE(QFileInfo::exists("/proc/" + QString::fromLatin1(pid))) << "the hung child is gone";
}

TEST_F(OsascriptRunnerTest, DestroyingTheRunnerStopsItsChildren) {
    const QString pidFile = folder.path() + "/pid";
    const QString hang = program("echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 30");
    bool called = false;
    {
        OsascriptRunner runner(hang);
        runner.run("x", [&](const ScriptOutcome&) { called = true; });
        ASSERT_TRUE(test::waitUntil([&] { return QFileInfo(pidFile).size() > 0; }));
    }
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(QFileInfo::exists("/proc/" + QString::fromLatin1(file.readAll().trimmed())));
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}
