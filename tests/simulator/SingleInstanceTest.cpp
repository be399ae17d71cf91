// One simulator window per catalog: a later launch reaches the first through a local socket, which lives in
// a folder only this user may enter and is believed only when a process of this user answers on it.
#include "window/SingleInstance.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace orbix::c1sim;
using orbix::test::ScopedEnvironment;
using orbix::test::waitUntil;

namespace {

// A Unix socket bound at the path; listening when asked. -1 on failure.
int boundSocket(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(bytes.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode;
}

// Every test gets a runtime folder and a temporary folder of its own.
class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir runtime; // created 0700
    QTemporaryDir temporary;
    ScopedEnvironment runtimeVariable{"XDG_RUNTIME_DIR", runtime.path().toUtf8()};
    ScopedEnvironment temporaryVariable{"TMPDIR", temporary.path().toUtf8()};
    const QString catalog = temporary.filePath(QStringLiteral("catalog.json"));
};

} // namespace

TEST_F(SingleInstanceTest, ASecondLaunchForTheSameCatalogReachesTheFirst) {
    SingleInstance first(catalog);
    EXPECT_EQ(QFileInfo(first.socketPath()).path(), runtime.path());
    EXPECT_FALSE(first.activateRunningInstance());
    QString reason;
    ASSERT_TRUE(first.listen(&reason)) << reason.toStdString();
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });

    // Another spelling of the same path names the same instance; another catalog does not.
    EXPECT_EQ(SingleInstance::serverName(temporary.path() + u"/./catalog.json"_qs),
              SingleInstance::serverName(catalog));
    bool reached = false;
    // The first answers from its event loop, so the second asks from another thread.
    std::thread asker([&] { reached = SingleInstance(catalog).activateRunningInstance(); });
    EXPECT_TRUE(waitUntil([&] { return activations == 1; }));
    asker.join();
    EXPECT_TRUE(reached);
    EXPECT_FALSE(SingleInstance(temporary.filePath(u"other.json"_qs)).activateRunningInstance());

    // A launch that loses the race for the socket leaves the winner's socket alone.
    SingleInstance late(catalog);
    EXPECT_FALSE(late.listen(&reason));
    std::thread again([&] { reached = SingleInstance(catalog).activateRunningInstance(); });
    EXPECT_TRUE(waitUntil([&] { return activations == 2; }));
    again.join();
    EXPECT_TRUE(reached);
}

TEST_F(SingleInstanceTest, ASocketLeftByADeadProcessIsTakenOver) {
    SingleInstance instance(catalog);
    // What a killed instance leaves: the socket file, with nobody listening on it.
    const int descriptor = boundSocket(instance.socketPath());
    ASSERT_GE(descriptor, 0);
    ::close(descriptor);
    ASSERT_TRUE(QFile::exists(instance.socketPath()));

    EXPECT_FALSE(instance.activateRunningInstance());
    QString reason;
    EXPECT_TRUE(instance.listen(&reason)) << reason.toStdString();
}

// A socket planted in the shared temporary folder under the name a launch would use is not reached: the
// launch opens its own window instead of exiting for someone else's listener.
TEST_F(SingleInstanceTest, ASocketPlantedInTheSharedTemporaryFolderIsNotBelieved) {
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(QDir::tempPath() + u'/' + SingleInstance::serverName(catalog)));
    SingleInstance instance(catalog);
    EXPECT_FALSE(instance.activateRunningInstance());
    QString reason;
    EXPECT_TRUE(instance.listen(&reason)) << reason.toStdString();
    EXPECT_FALSE(squatter.hasPendingConnections());
}

TEST_F(SingleInstanceTest, WithoutAPrivateRuntimeFolderOneOfOurOwnIsMadeOrNoneIsUsed) {
    const QString fallback = temporary.filePath(u"orbix-runtime-"_qs + QString::number(::geteuid()));
    const auto socketFolder = [&] { return QFileInfo(SingleInstance(catalog).socketPath()).path(); };
    {
        ScopedEnvironment unset{"XDG_RUNTIME_DIR", std::nullopt};
        EXPECT_EQ(socketFolder(), fallback);
        EXPECT_EQ(modeOf(fallback) & 0777, 0700u);
    }
    // A runtime folder others may enter is not used.
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7777)));
    EXPECT_EQ(socketFolder(), fallback);
    ASSERT_TRUE(QDir(fallback).removeRecursively());

    // Whatever else stands at the fallback path (a link to a folder others may enter, or such a folder)
    // leaves the launch without single-instance sockets, with the reason.
    for (const bool link : {true, false}) {
        if (link)
            ASSERT_TRUE(QFile::link(runtime.path(), fallback));
        else
            ASSERT_TRUE(QDir().mkdir(fallback, QFileDevice::Permissions(0x7755)));
        SingleInstance instance(catalog);
        EXPECT_TRUE(instance.socketPath().isEmpty());
        EXPECT_FALSE(instance.activateRunningInstance());
        QString reason;
        EXPECT_FALSE(instance.listen(&reason));
        EXPECT_TRUE(reason.startsWith(fallback)) << reason.toStdString();
        link ? QFile::remove(fallback) : QDir(fallback).removeRecursively();
    }
}

// A listener of another user on the socket path is not "already running". Needs root to take another uid.
TEST_F(SingleInstanceTest, AListenerOfAnotherUserIsNotBelieved) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to listen as another user";
    SingleInstance instance(catalog);
    const int descriptor = boundSocket(instance.socketPath());
    ASSERT_GE(descriptor, 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // The listener's credentials are taken when it listens.
        if (::setuid(65534) != 0 || ::listen(descriptor, 4) != 0)
            ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    ::close(descriptor);
    ASSERT_GT(child, 0);
    QLocalSocket probe;
    EXPECT_TRUE(waitUntil([&] {
        probe.connectToServer(instance.socketPath());
        const bool connected = probe.waitForConnected(100);
        probe.abort();
        return connected;
    })) << "the other user's listener is up";
    EXPECT_FALSE(instance.activateRunningInstance());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}
