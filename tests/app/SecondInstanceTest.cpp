// The orbix program on a private session bus: the first start owns the name and keeps its window; later
// starts hand their request over and exit.
#include "PrivateSessionBus.h"
#include "app/OrbixDBusService.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using orbix::OrbixDBusService;
using orbix::test::waitUntil;

namespace {

class SecondInstance : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus.available()) {
            GTEST_SKIP() << bus.skipReason().toStdString();
        }
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("ORBIX_C1SIM_CATALOG"),
                           home.filePath(QStringLiteral("catalog.json")));
        // No network traffic from the first instance's update check.
        environment.insert(QStringLiteral("ORBIX_BACKEND_URL"), QStringLiteral("http://127.0.0.1:9"));
        watcher = std::make_unique<QDBusConnection>(bus.connect(QStringLiteral("watcher")));
    }
    void TearDown() override {
        if (first.state() != QProcess::NotRunning) {
            first.terminate();
            if (!first.waitForFinished(10000)) {
                first.kill();
                first.waitForFinished();
            }
        }
    }

    void configure(QProcess& process) const {
        process.setProcessEnvironment(environment);
        // Standard input that is not a pipe, as from a desktop launcher.
        process.setStandardInputFile(QProcess::nullDevice());
    }
    bool nameIsOwned() const {
        return watcher->interface()->isServiceRegistered(OrbixDBusService::serviceName);
    }

    void startFirst(const QStringList& arguments = {}) {
        configure(first);
        first.start(QStringLiteral(ORBIX_PROGRAM), arguments);
        ASSERT_TRUE(first.waitForStarted());
        ASSERT_TRUE(waitUntil([&] { return nameIsOwned() || first.state() == QProcess::NotRunning; },
                              std::chrono::seconds(30)));
        ASSERT_TRUE(nameIsOwned()) << first.readAllStandardError().toStdString();
    }

    struct Outcome {
        int exitCode = -1;
        QString output;
        QString errors;
    };
    Outcome runSecond(const QStringList& arguments) {
        QProcess second;
        configure(second);
        second.start(QStringLiteral(ORBIX_PROGRAM), arguments);
        EXPECT_TRUE(second.waitForFinished(30000)) << "a second start must not stay";
        return {second.exitCode(), QString::fromUtf8(second.readAllStandardOutput()),
                QString::fromUtf8(second.readAllStandardError())};
    }

    orbix::test::PrivateSessionBus bus;
    QTemporaryDir home;
    QProcessEnvironment environment;
    std::unique_ptr<QDBusConnection> watcher;
    QProcess first;
};

} // namespace

TEST_F(SecondInstance, LaterStartsForwardTheirRequestAndExit) {
    startFirst();
    const Outcome note = runSecond({QStringLiteral("--note"), QStringLiteral("warmer, please")});
    EXPECT_EQ(note.exitCode, 0) << note.errors.toStdString();
    EXPECT_EQ(note.output, QStringLiteral("Opened Orbix.\n"));

    const Outcome plain = runSecond({});
    EXPECT_EQ(plain.exitCode, 0) << plain.errors.toStdString();

    const Outcome section = runSecond({QStringLiteral("--open-section"), QStringLiteral("chat")});
    EXPECT_EQ(section.exitCode, 0) << section.errors.toStdString();

    const Outcome refused = runSecond({QStringLiteral("--open-section"), QStringLiteral("gallery")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("Unknown section"))) << refused.errors.toStdString();

    EXPECT_EQ(first.state(), QProcess::Running) << "the first instance keeps its window";
    EXPECT_TRUE(nameIsOwned());
}

TEST_F(SecondInstance, FirstStartWithANoteOwnsTheNameAndRefusesUnknownSections) {
    startFirst({QStringLiteral("--note"), QStringLiteral("straighten the horizon")});
    EXPECT_TRUE(waitUntil([&] { return first.bytesAvailable() > 0 || first.canReadLine(); }));
    EXPECT_EQ(QString::fromUtf8(first.readLine()), QStringLiteral("Opened Orbix.\n"));
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_TRUE(waitUntil([&] { return !nameIsOwned(); })) << "the name goes with the process";

    QProcess alone;
    configure(alone);
    alone.start(QStringLiteral(ORBIX_PROGRAM), {QStringLiteral("--open-section"), QStringLiteral("gallery")});
    ASSERT_TRUE(alone.waitForFinished(30000));
    EXPECT_EQ(alone.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(alone.readAllStandardError()).contains(QStringLiteral("Unknown section")));

    alone.start(QStringLiteral(ORBIX_PROGRAM),
                {QStringLiteral("--note"), QString(20 * 1024, QLatin1Char('x'))});
    ASSERT_TRUE(alone.waitForFinished(30000));
    EXPECT_EQ(alone.exitCode(), 2);
    EXPECT_TRUE(
        QString::fromUtf8(alone.readAllStandardError())
            .contains(QStringLiteral("orbix: The note is 20 KiB long; Orbix takes notes of up to 16 KiB.\n")));
}

namespace {

// Another program holding Orbix's name and answering every call as Orbix would.
class NameSquatter : public QDBusVirtualObject {
public:
    explicit NameSquatter(QDBusConnection connection) : connection_(std::move(connection)) {}
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        received << message.member();
        connection_.send(message.createReply(QStringLiteral("Opened Orbix.")));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    QStringList received;

private:
    QDBusConnection connection_;
};

} // namespace

// A start that finds the name held by another program hands it nothing, says who holds it and fails.
TEST_F(SecondInstance, ANameHeldByAnotherProgramGetsNoRequest) {
    QDBusConnection squatterConnection = bus.connect(QStringLiteral("squatter"));
    NameSquatter squatter(squatterConnection);
    ASSERT_TRUE(squatterConnection.registerVirtualObject(OrbixDBusService::objectPath, &squatter));
    ASSERT_TRUE(squatterConnection.registerService(OrbixDBusService::serviceName));

    // The squatter answers from this thread's event loop, so the start is awaited without blocking it.
    QProcess second;
    configure(second);
    second.start(QStringLiteral(ORBIX_PROGRAM), {QStringLiteral("--note"), QStringLiteral("warmer, please")});
    ASSERT_TRUE(waitUntil([&] { return second.state() == QProcess::NotRunning; }, std::chrono::seconds(30)));
    const QString errors = QString::fromUtf8(second.readAllStandardError());
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(errors.contains(QStringLiteral("org.orbix.Orbix is held by ") +
                                squatterConnection.baseService() +
                                QStringLiteral(" (process %1, ").arg(QCoreApplication::applicationPid())))
        << errors.toStdString();
    EXPECT_TRUE(squatter.received.isEmpty()) << squatter.received.join(' ').toStdString();
    squatterConnection.unregisterService(OrbixDBusService::serviceName);
}

// A program calls Orbix while it is not running: the bus starts it from its activation file, and the
// call is answered once the new instance owns the name (the route is then applied when its window shows).
TEST(DBusActivation, ACallWithNoInstanceRunningStartsOrbixAndIsAnswered) {
    QTemporaryDir home;
    QTemporaryDir services;
    orbix::test::writeFile(services.filePath(QStringLiteral("org.orbix.Orbix.service")),
                           "[D-BUS Service]\nName=org.orbix.Orbix\nExec=" ORBIX_PROGRAM "\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("ORBIX_C1SIM_CATALOG"), home.filePath(QStringLiteral("catalog.json")));
    environment.insert(QStringLiteral("ORBIX_BACKEND_URL"), QStringLiteral("http://127.0.0.1:9"));
    orbix::test::PrivateSessionBus bus(services.path(), environment);
    if (!bus.available()) {
        GTEST_SKIP() << bus.skipReason().toStdString();
    }
    QDBusConnection caller = bus.connect(QStringLiteral("caller"));
    ASSERT_FALSE(caller.interface()->isServiceRegistered(OrbixDBusService::serviceName).value());

    QDBusMessage call =
        QDBusMessage::createMethodCall(OrbixDBusService::serviceName, OrbixDBusService::objectPath,
                                       OrbixDBusService::interfaceName, QStringLiteral("CreateNote"));
    call << QStringLiteral("straighten the horizon");
    // Blocking is fine here: the answer comes from another process.
    const QDBusMessage reply = caller.call(call, QDBus::Block, 30000);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().value(0).toString(), QStringLiteral("Opened Orbix."));

    // The started instance is ours to end.
    const QDBusReply<uint> pid = caller.interface()->servicePid(OrbixDBusService::serviceName);
    ASSERT_TRUE(pid.isValid());
    ASSERT_EQ(::kill(pid_t(pid.value()), SIGTERM), 0);
    EXPECT_TRUE(waitUntil(
        [&] { return !caller.interface()->isServiceRegistered(OrbixDBusService::serviceName).value(); }));
}
