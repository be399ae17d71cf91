#include "platform/linux/LinuxWorkspace.h"

#include "VirtualDesktop.h"
#include "platform/PlatformWorkspace.h"
#include "platform/linux/ApplicationBundle.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <plist/plist.h>

namespace orbix {
namespace {

QByteArray xmlInfoPlist(const QString& entries) {
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<plist version=\"1.0\"><dict>") +
            entries + QStringLiteral("</dict></plist>\n"))
        .toUtf8();
}

QByteArray binaryInfoPlist(const char* key, const char* value) {
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, key, plist_new_string(value));
    char* data = nullptr;
    uint32_t length = 0;
    plist_to_bin(dict, &data, &length);
    QByteArray bytes(data, static_cast<qsizetype>(length));
    free(data);
    plist_free(dict);
    return bytes;
}

class LinuxWorkspaceTest : public ::testing::Test {
protected:
    // <root>/<name>.app with the Info.plist bytes given (none when empty).
    QString makeBundle(const QString& name, const QByteArray& infoPlist) {
        const QString bundle = root.filePath(name + QStringLiteral(".app"));
        QDir().mkpath(bundle + QStringLiteral("/Contents/MacOS"));
        if (!infoPlist.isEmpty()) {
            test::writeFile(bundle + QStringLiteral("/Contents/Info.plist"), infoPlist);
        }
        return bundle;
    }

    // Opens the bundle and returns what the completion reported; checks it came once, from the event loop.
    std::optional<QString> open(const QString& bundle) {
        int calls = 0;
        std::optional<QString> error;
        workspace->openApplication(QUrl::fromLocalFile(bundle), [&](std::optional<QString> e) {
            ++calls;
            error = std::move(e);
        });
        EXPECT_EQ(calls, 0) << "completion called before returning";
        EXPECT_TRUE(test::waitUntil([&] { return calls > 0; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, 1);
        return error;
    }

    QTemporaryDir root;
    std::unique_ptr<Workspace> workspace = createWorkspace();
};

TEST_F(LinuxWorkspaceTest, OpeningABundleLaunchesItsExecutableDetached) {
    const QString bundle =
        makeBundle(QStringLiteral("Viewer"),
                   xmlInfoPlist(QStringLiteral("<key>CFBundleExecutable</key><string>viewer</string>")));
    const QString marker = root.filePath(QStringLiteral("launched"));
    test::writeExecutable(bundle + QStringLiteral("/Contents/MacOS/viewer"),
                          QStringLiteral("#!/bin/sh\npwd > '%1'\n").arg(marker).toUtf8());

    EXPECT_EQ(open(bundle), std::nullopt);
    ASSERT_TRUE(test::waitUntil([&] { return QFile(marker).size() > 0; }));
    QFile file(marker);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QDir(QString::fromUtf8(file.readAll().trimmed())),
              QDir(bundle + QStringLiteral("/Contents/MacOS")));
}

TEST_F(LinuxWorkspaceTest, OpeningFailuresAreSentences) {
    const auto plistNaming = [](const char* executable) {
        return xmlInfoPlist(
            QStringLiteral("<key>CFBundleExecutable</key><string>%1</string>").arg(QLatin1String(executable)));
    };
    const QString noPlist = makeBundle(QStringLiteral("NoPlist"), {});
    const QString garbage = makeBundle(QStringLiteral("Garbage"), "not a plist at all");
    const QString noName = makeBundle(
        QStringLiteral("NoName"), xmlInfoPlist(QStringLiteral("<key>CFBundleName</key><string>x</string>")));
    const QString escaping = makeBundle(QStringLiteral("Escaping"), plistNaming("../../../bin/sh"));
    const QString missing = makeBundle(QStringLiteral("Missing"), plistNaming("missing"));
    const QString plain = makeBundle(QStringLiteral("Plain"), plistNaming("plain"));
    test::writeFile(plain + QStringLiteral("/Contents/MacOS/plain"), "#!/bin/sh\n");

    EXPECT_EQ(open(noPlist),
              QStringLiteral("The application bundle %1 has no readable Info.plist.").arg(noPlist));
    EXPECT_EQ(open(garbage),
              QStringLiteral("The application bundle %1 has no readable Info.plist.").arg(garbage));
    const QString unusable =
        QStringLiteral("The Info.plist of %1 does not name a usable executable (CFBundleExecutable).");
    EXPECT_EQ(open(noName), unusable.arg(noName));
    EXPECT_EQ(open(escaping), unusable.arg(escaping));
    EXPECT_EQ(
        open(missing),
        QStringLiteral("The application executable %1/Contents/MacOS/missing does not exist.").arg(missing));
    EXPECT_EQ(open(plain),
              QStringLiteral("The application executable %1/Contents/MacOS/plain is not an executable file.")
                  .arg(plain));
    EXPECT_EQ(open(root.filePath(QStringLiteral("Nowhere.app"))),
              QStringLiteral("%1 is not an application bundle on this computer.")
                  .arg(QUrl::fromLocalFile(root.filePath(QStringLiteral("Nowhere.app"))).toDisplayString()));
}

TEST_F(LinuxWorkspaceTest, ProcessesAreNamedByTheirEnclosingBundle) {
    const QString named =
        makeBundle(QStringLiteral("Capture One 23"), binaryInfoPlist("CFBundleDisplayName", "Capture One"));
    const QString unnamed = makeBundle(QStringLiteral("Capture One 22"), {});
    const QString inner = named + QStringLiteral("/Contents/Helpers/Helper.app");

    const FrontmostApplication fromNamed =
        bundle::applicationForExecutable(named + QStringLiteral("/Contents/MacOS/CaptureOne"));
    EXPECT_EQ(fromNamed.localizedName, QStringLiteral("Capture One"));
    EXPECT_EQ(fromNamed.bundleUrl, QUrl::fromLocalFile(named));

    EXPECT_EQ(bundle::applicationForExecutable(unnamed + QStringLiteral("/Contents/MacOS/x")).localizedName,
              QStringLiteral("Capture One 22"));
    EXPECT_EQ(bundle::applicationForExecutable(inner + QStringLiteral("/Contents/MacOS/helper")).bundleUrl,
              QUrl::fromLocalFile(inner));

    const FrontmostApplication plain = bundle::applicationForExecutable(QStringLiteral("/usr/bin/gimp"));
    EXPECT_EQ(plain.localizedName, QStringLiteral("gimp"));
    EXPECT_EQ(plain.bundleUrl, std::nullopt);

    const auto self = LinuxWorkspace::applicationForProcess(QCoreApplication::applicationPid());
    ASSERT_TRUE(self);
    EXPECT_EQ(self->localizedName, QCoreApplication::applicationFilePath().section(QLatin1Char('/'), -1));
    EXPECT_EQ(LinuxWorkspace::applicationForProcess(-5), std::nullopt);
}

TEST_F(LinuxWorkspaceTest, FrontmostApplicationFollowsTheActiveWindow) {
    {
        test::ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
        EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);
    }
    test::VirtualDesktop desktop(test::VirtualDesktop::Services::displayOnly);
    if (!desktop.unavailableReason().isEmpty()) {
        GTEST_SKIP() << "No private X display: " << desktop.unavailableReason().toStdString();
    }
    // No window manager has announced an active window.
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);

    // Two Capture One versions running; the one whose window is active is in front.
    std::vector<std::unique_ptr<QProcess>> processes;
    std::vector<unsigned long> windows;
    const QStringList versions{QStringLiteral("Capture One 22"), QStringLiteral("Capture One 23")};
    for (const QString& version : versions) {
        const QString executable = makeBundle(version, {}) + QStringLiteral("/Contents/MacOS/CaptureOne");
        ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), executable));
        auto process = std::make_unique<QProcess>();
        process->start(executable, {QStringLiteral("30")});
        ASSERT_TRUE(process->waitForStarted());
        windows.push_back(desktop.createWindowOwnedBy(process->processId()));
        ASSERT_NE(windows.back(), 0u);
        processes.push_back(std::move(process));
    }
    for (qsizetype i = 0; i < versions.size(); ++i) {
        ASSERT_TRUE(desktop.announceActiveWindow(windows[std::size_t(i)]));
        const auto front = workspace->frontmostApplication();
        ASSERT_TRUE(front);
        EXPECT_EQ(front->localizedName, versions[i]);
        EXPECT_EQ(front->bundleUrl,
                  QUrl::fromLocalFile(
                      QFileInfo(root.filePath(versions[i] + QStringLiteral(".app"))).canonicalFilePath()));
    }
    // Orbix's own window in front: the application in use is the one raised before it.
    const unsigned long own = desktop.createWindowOwnedBy(QCoreApplication::applicationPid());
    ASSERT_TRUE(desktop.announceStacking({windows[1], windows[0], own}));
    ASSERT_TRUE(desktop.announceActiveWindow(own));
    ASSERT_TRUE(workspace->applicationInUse());
    EXPECT_EQ(workspace->applicationInUse()->localizedName, versions[0]);
    ASSERT_TRUE(desktop.announceActiveWindow(windows[1]));
    EXPECT_EQ(workspace->applicationInUse()->localizedName, versions[1]);
    ASSERT_TRUE(desktop.announceStacking({own}));
    ASSERT_TRUE(desktop.announceActiveWindow(own));
    EXPECT_EQ(workspace->applicationInUse(), std::nullopt) << "nothing else was in front";
    for (auto& process : processes) {
        process->kill();
        process->waitForFinished();
    }

    // A stale window id is not an error.
    ASSERT_TRUE(desktop.announceActiveWindow(0x3fffff));
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);
}

TEST_F(LinuxWorkspaceTest, UrlsGoToTheDesktopOpener) {
    const QString bin = root.filePath(QStringLiteral("bin"));
    const QString received = root.filePath(QStringLiteral("received"));
    test::writeExecutable(bin + QStringLiteral("/xdg-open"),
                          QStringLiteral("#!/bin/sh\nprintf '%s' \"$*\" > '%1'\n").arg(received).toUtf8());
    test::ScopedEnvironment path("PATH", (bin + QLatin1Char(':')).toLocal8Bit() + qgetenv("PATH"));

    EXPECT_FALSE(workspace->openUrl(QUrl(QStringLiteral("no scheme"))));
    EXPECT_FALSE(workspace->openUrl(QUrl()));
    const QUrl pane(
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    EXPECT_TRUE(workspace->openUrl(pane));
    ASSERT_TRUE(test::waitUntil([&] { return QFile(received).size() > 0; }));
    QFile file(received);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), pane.toEncoded());
}

} // namespace
} // namespace orbix
