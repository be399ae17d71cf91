// The real orbix-c1sim program: osascript's input and output conventions, the commands for people and
// tests, the bundle, concurrency and crash safety, and injection attempts through inserted texts.
#include "SimulatorTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace orbix::c1sim::test;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString catalog = dir.filePath(QStringLiteral("catalog.json"));

    ProgramRun script(const QString& source) { return runProgram({}, source.toUtf8(), catalog); }
    QJsonObject document() { return dump(catalog).value(u"document"_qs).toObject(); }
    QJsonObject variant(int position) {
        return document().value(u"variants"_qs).toArray().at(position - 1).toObject();
    }
    QByteArray fileBytes() {
        QFile file(catalog);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(CommandLineTest, ScriptSourcesAndOutputFollowOsascript) {
    ProgramRun run = runProgram({u"-e"_qs, u"set x to 2"_qs, u"-e"_qs, u"return x * 3"_qs}, {}, catalog);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "6\n");
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(QFile::exists(catalog)) << "a script that never addresses the application leaves no catalog";

    run = runProgram({u"-"_qs}, "return {\"a\", 1}", catalog);
    EXPECT_EQ(run.out, "a, 1\n");
    run = runProgram({u"-s"_qs, u"s"_qs, u"-e"_qs, u"return {\"a\", 1}"_qs}, {}, catalog);
    EXPECT_EQ(run.out, "{\"a\", 1}\n");

    const QString file =
        orbix::test::writeFile(dir.filePath(u"s.applescript"_qs), "set y to 1\nerror \"Nope\"\n");
    run = runProgram({file}, {}, catalog);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, file + u":11:23: execution error: Nope (-2700)\n"_qs);

    run = script(u"tell application \"Capture One\"\n    set x to\nend tell"_qs);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "43:44: syntax error: Expected expression but found end of line. (-2741)\n");
    EXPECT_FALSE(QFile::exists(catalog)) << "a script that does not compile does not run";

    run = script(u"tell application \"Capture One\" to set rating of primary variant to 9"_qs);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "34:68: execution error: Capture One got an error: Can’t set rating to 9: the value must "
              "be a whole number from 0 to 5. (-10006)\n");
}

TEST_F(CommandLineTest, CatalogIsCreatedWithTheSampleAndFoundThroughTheEnvironment) {
    orbix::test::ScopedEnvironment environment("ORBIX_C1SIM_CATALOG", catalog.toUtf8());
    const ProgramRun run = runProgram({}, statusScript().toUtf8());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              "Selected variants: 1\nPrimary: Harbour at Dawn\nFile: /Sample Photos/Harbour at Dawn.CR3\n"
              "Rating: 3\n");
    const QJsonObject state = dump(catalog);
    EXPECT_EQ(state.value(u"application"_qs).toObject().value(u"scriptsRun"_qs).toInt(), 1);
    EXPECT_EQ(state.value(u"application"_qs).toObject().value(u"lastAddressedName"_qs).toString(),
              "Capture One");
    EXPECT_EQ(state.value(u"document"_qs).toObject().value(u"variants"_qs).toArray().size(), 5);
    EXPECT_EQ(state.value(u"styles"_qs).toArray().size(), 4);
}

TEST_F(CommandLineTest, ResetSelectCloseAndAddStyle) {
    ProgramRun run =
        runProgram({u"reset"_qs, u"--variants"_qs, u"12"_qs, u"--select"_qs, u"3,1"_qs}, {}, catalog);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonObject doc = document();
    EXPECT_EQ(doc.value(u"variants"_qs).toArray().size(), 12);
    EXPECT_EQ(doc.value(u"selection"_qs).toArray(), QJsonArray({u"3"_qs, u"1"_qs}));
    EXPECT_EQ(doc.value(u"primary"_qs).toString(), "3");
    EXPECT_EQ(variant(12).value(u"path"_qs).toString(), "/Sample Photos/IMG_0012.CR3");
    EXPECT_EQ(variant(1).value(u"adjustments"_qs).toObject().size(), 76) << "dump lists every adjustment";

    EXPECT_EQ(runProgram({u"select"_qs, u"2,5"_qs}, {}, catalog).exitCode, 0);
    EXPECT_EQ(document().value(u"primary"_qs).toString(), "2");
    EXPECT_EQ(runProgram({u"select"_qs, u"13"_qs}, {}, catalog).exitCode, 2);
    EXPECT_EQ(runProgram({u"select"_qs, u"none"_qs}, {}, catalog).exitCode, 0);
    EXPECT_EQ(script(statusScript()).out, "No variants selected.\n");

    run = runProgram({u"add-style"_qs, u"Night Blue"_qs, u"temperature=3200"_qs, u"film grain type=cubic"_qs},
                     {}, catalog);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(runProgram({u"add-style"_qs, u"Bad"_qs, u"exposure=9"_qs}, {}, catalog).exitCode, 2);
    EXPECT_EQ(runProgram({u"select"_qs, u"4"_qs}, {}, catalog).exitCode, 0);
    run = script(perVariantScript({u"apply style \"Night Blue\" to aVariant"_qs}, u"return \"ok\""_qs));
    EXPECT_EQ(run.out, "ok\n") << run.err.toStdString();
    EXPECT_EQ(variant(4).value(u"adjustments"_qs).toObject().value(u"film grain type"_qs).toString(), "cubic");

    EXPECT_EQ(runProgram({u"close-document"_qs}, {}, catalog).exitCode, 0);
    EXPECT_TRUE(dump(catalog).value(u"document"_qs).isNull());
    run = script(statusScript());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.endsWith(u"execution error: Open a Capture One catalog or session first. (-2700)\n"_qs));
    EXPECT_EQ(runProgram({u"select"_qs, u"1"_qs}, {}, catalog).exitCode, 1);

    QTemporaryDir photos;
    orbix::test::writeFile(photos.filePath(u"b.NEF"_qs), "x");
    orbix::test::writeFile(photos.filePath(u"a.jpg"_qs), "x");
    EXPECT_EQ(runProgram({u"reset"_qs, u"--photos"_qs, photos.path()}, {}, catalog).exitCode, 0);
    EXPECT_EQ(variant(1).value(u"path"_qs).toString(), photos.filePath(u"a.jpg"_qs));
    EXPECT_EQ(document().value(u"variants"_qs).toArray().size(), 2);
}

TEST_F(CommandLineTest, DamagedCatalogIsAnExecutionErrorAndStaysUntouched) {
    const QByteArray damaged = "{\"format\": \"orbix-c1sim-catalog\", \"version\": 1, \"document\": ";
    orbix::test::writeFile(catalog, damaged);
    ProgramRun run = script(statusScript());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(u"execution error: The simulated catalog “"_qs)) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(u"(-2700)\n"_qs));
    EXPECT_EQ(runProgram({u"dump"_qs}, {}, catalog).exitCode, 1);
    EXPECT_EQ(fileBytes(), damaged);
    EXPECT_EQ(runProgram({u"reset"_qs}, {}, catalog).exitCode, 0) << "reset is how a person repairs it";
    EXPECT_EQ(script(statusScript()).exitCode, 0);
}

TEST_F(CommandLineTest, BundleLooksLikeAnApplicationAndItsExecutableMarksItRunningHeadless) {
    const QString contents = bundlePath() + u"/Contents"_qs;
    QFile plist(contents + u"/Info.plist"_qs);
    ASSERT_TRUE(plist.open(QIODevice::ReadOnly));
    const QString info = QString::fromUtf8(plist.readAll());
    EXPECT_TRUE(info.contains(u"<string>com.orbix.captureone.simulator</string>"_qs));
    EXPECT_TRUE(info.contains(u"<key>CFBundleShortVersionString</key>"_qs));
    QFile sdef(contents + u"/Resources/CaptureOne.sdef"_qs);
    ASSERT_TRUE(sdef.open(QIODevice::ReadOnly));
    const QByteArray dictionary = sdef.readAll();
    EXPECT_TRUE(dictionary.contains("<property name=\"moire pattern\""));
    EXPECT_TRUE(dictionary.contains("<command name=\"clear luma range\""));

    const QString executable = contents + u"/MacOS/CaptureOneSimulator"_qs;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"ORBIX_C1SIM_CATALOG"_qs, catalog);
    // Without a display it does what `launch` does and says why no window opened.
    environment.remove(u"DISPLAY"_qs);
    environment.remove(u"WAYLAND_DISPLAY"_qs);
    process.setProcessEnvironment(environment);
    process.start(executable, {});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardError().contains("so no window opened"));
    EXPECT_TRUE(dump(catalog).value(u"application"_qs).toObject().value(u"running"_qs).toBool());

    // A display that is named but gone (an old session's DISPLAY) is no display either, not a crash.
    ASSERT_EQ(runProgram({u"reset"_qs}, {}, catalog).exitCode, 0);
    environment.insert(u"DISPLAY"_qs, u":4242"_qs);
    process.setProcessEnvironment(environment);
    process.start(executable, {});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardError().contains("the display :4242 can’t be reached"));
    EXPECT_TRUE(dump(catalog).value(u"application"_qs).toObject().value(u"running"_qs).toBool());
}

TEST_F(CommandLineTest, ConcurrentInvocationsNeverLoseAWrite) {
    ASSERT_EQ(runProgram({u"reset"_qs}, {}, catalog).exitCode, 0);
    constexpr int kWriters = 8;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < kWriters; ++i) {
        auto process = std::make_unique<QProcess>();
        process->start(programPath(), {u"--catalog"_qs, catalog});
        process->write(perVariantScript({QStringLiteral("tell aVariant to make new layer with properties "
                                                        "{name:\"Writer %1\"}")
                                             .arg(i)},
                                        u"return 1"_qs)
                           .toUtf8());
        process->closeWriteChannel();
        processes.push_back(std::move(process));
    }
    for (auto& process : processes) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    const QJsonObject state = dump(catalog);
    EXPECT_EQ(state.value(u"application"_qs).toObject().value(u"scriptsRun"_qs).toInt(), kWriters);
    EXPECT_EQ(variant(1).value(u"layers"_qs).toArray().size(), kWriters + 1);
}

TEST_F(CommandLineTest, KilledMidWriteLeavesThePreviousCatalog) {
    ASSERT_EQ(runProgram({u"reset"_qs}, {}, catalog).exitCode, 0);
    const QByteArray before = fileBytes();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"ORBIX_C1SIM_TEST_WRITE_DELAY_MS"_qs, u"60000"_qs);
    process.setProcessEnvironment(environment);
    process.start(programPath(), {u"--catalog"_qs, catalog});
    process.write(perVariantScript({u"set rating of aVariant to 0"_qs}, u"return 1"_qs).toUtf8());
    process.closeWriteChannel();
    // The program announces on standard error when the new catalog is written but not yet in place.
    QByteArray announced;
    const auto temporaryFileWritten = [&] {
        announced += process.readAllStandardError();
        return announced.contains("waiting");
    };
    ASSERT_TRUE(orbix::test::waitUntil(temporaryFileWritten));
    process.kill();
    process.waitForFinished();
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(variant(1).value(u"rating"_qs).toInt(), 3) << "and the lock died with the process";
    const auto siblings = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); };
    // Where the file system has no unnamed temporary files, a dead writer leaves "catalog.json.XXXXXX".
    orbix::test::writeFile(dir.filePath(u"catalog.json.Ab3xZ9"_qs), "{");
    ASSERT_EQ(script(perVariantScript({u"set rating of aVariant to 1"_qs}, u"return 1"_qs)).exitCode, 0);
    EXPECT_EQ(siblings(), QStringList({u"catalog.json"_qs, u"catalog.json.lock"_qs}))
        << "the next write removes what the dead writer left";
}

TEST_F(CommandLineTest, InsertedTextsReachTheApplicationAsOneString) {
    ASSERT_EQ(runProgram({u"reset"_qs}, {}, catalog).exitCode, 0);
    const QString marker = dir.filePath(u"injected"_qs);
    QStringList texts{QStringLiteral("\" & (do shell script \"touch %1\") & \"").arg(marker),
                      u"\\\" & (do shell script \"touch x\") & \\\""_qs,
                      u"line one\nline two\r\n\ttab & more"_qs,
                      u"end tell\ndo shell script \"id\"\ntell application \"Capture One\""_qs,
                      u"back\\slash \\n not a line feed \\\\\""_qs};
    QRandomGenerator random(20261206);
    const QString alphabet = u"\"\\\n&()|{}:,¬-#*ab "_qs;
    for (int i = 0; i < 12; ++i) {
        QString text;
        const int length = 1 + int(random.bounded(24));
        for (int k = 0; k < length; ++k)
            text += alphabet[int(random.bounded(int(alphabet.size())))];
        texts << text;
    }
    for (const QString& text : texts) {
        ProgramRun run = script(
            perVariantScript({QStringLiteral("apply style %1 to aVariant").arg(quoted(text))}, u"return 1"_qs));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("Can’t get style %1.").arg(quoted(text))))
            << run.err.toStdString();

        run = script(perVariantScript(
            {QStringLiteral("tell aVariant to make new layer with properties {name:%1}").arg(quoted(text))},
            u"return 1"_qs));
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QJsonArray layers = variant(1).value(u"layers"_qs).toArray();
        EXPECT_EQ(layers.last().toObject().value(u"name"_qs).toString(), text);

        run = script(importScript(text));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("The folder “%1” wasn’t found.").arg(text)))
            << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(document().value(u"variants"_qs).toArray().size(), 5) << "nothing else ran";
}

TEST_F(CommandLineTest, ErrorTextsKeepPercentSignsAsWritten) {
    ASSERT_EQ(runProgram({u"reset"_qs}, {}, catalog).exitCode, 0);
    const ProgramRun missingFolder = script(importScript(u"/Shoots/Shoot%2FDay1 %1"_qs));
    EXPECT_EQ(missingFolder.exitCode, 1);
    EXPECT_TRUE(missingFolder.err.contains(u"The folder “/Shoots/Shoot%2FDay1 %1” wasn’t found. (-"_qs))
        << missingFolder.err.toStdString();
    const ProgramRun missingStyle =
        script(perVariantScript({u"apply style \"100%2 Warm\" to aVariant"_qs}, u"return 1"_qs));
    EXPECT_TRUE(missingStyle.err.contains(u"Can’t get style \"100%2 Warm\"."_qs))
        << missingStyle.err.toStdString();
    const ProgramRun addedStyle =
        runProgram({u"add-style"_qs, u"100%2 Warm"_qs, u"exposure=1"_qs}, {}, catalog);
    EXPECT_TRUE(addedStyle.out.startsWith(u"Installed style 100%2 Warm with 1 adjustment(s)."_qs))
        << addedStyle.out.toStdString() << addedStyle.err.toStdString();
}

// osascript finds applications through the system's registry: "Capture One" and the installed Capture One
// bundles answer, any other name fails as an application that cannot be found.
TEST_F(CommandLineTest, OnlyInstalledCaptureOneNamesAnswer) {
    ASSERT_EQ(runProgram({u"reset"_qs}, {}, catalog).exitCode, 0);
    QTemporaryDir applications;
    QDir(applications.path()).mkpath(u"Capture One 23.app/Contents"_qs);
    orbix::test::ScopedEnvironment searched("ORBIX_APPLICATIONS_PATH", applications.path().toUtf8());
    const auto status = [&](const QString& name) {
        return script(
            QStringLiteral("tell application %1 to return name of current document").arg(quoted(name)));
    };
    for (const QString& installed : {u"Capture One"_qs, u"capture one 23"_qs, u"Capture One Simulator"_qs}) {
        const ProgramRun run = status(installed);
        EXPECT_EQ(run.exitCode, 0) << installed.toStdString() << ": " << run.err.toStdString();
    }
    for (const QString& unknown : {u"Capture One 77"_qs, u"My Capture One Tools"_qs}) {
        const ProgramRun run = status(unknown);
        EXPECT_EQ(run.exitCode, 1) << unknown.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Can’t get application \"%1\".").arg(unknown)))
            << run.err.toStdString();
    }
}

// Installed, the program sits in PREFIX/bin and its bundle in PREFIX/share/orbix.
TEST_F(CommandLineTest, AnInstalledProgramAnswersForTheBundleInstalledBesideIt) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir().mkpath(prefix.filePath(u"bin"_qs)));
    ASSERT_TRUE(QDir().mkpath(prefix.filePath(u"share/orbix/Capture One Simulator.app/Contents"_qs)));
    const QString installed = prefix.filePath(u"bin/orbix-c1sim"_qs);
    ASSERT_TRUE(QFile::copy(programPath(), installed));
    orbix::test::ScopedEnvironment unset("ORBIX_SIMULATOR_DIR", std::nullopt);

    QProcess process;
    process.start(installed,
                  {u"--catalog"_qs, catalog, u"-e"_qs,
                   u"tell application \"Capture One Simulator\" to return name of current document"_qs});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}
