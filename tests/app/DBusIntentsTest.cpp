// The requests other programs make over the session bus, against the real window and model on a private
// bus: notes and sections reach the prompt as routes, the entity lists, refusals, the one-instance name,
// the exported interface against the checked-in description, and the saved sessions
// the queries and File → Open Recent Session list.
#include "AppModelTestHarness.h"
#include "PrivateSessionBus.h"
#include "app/AppIntents.h"
#include "app/DesktopRequest.h"
#include "app/OrbixDBusAdaptors.h"
#include "app/OrbixDBusService.h"
#include "model/AppIntentRouter.h"
#include "model/AppModel.h"
#include "model/SessionKeeper.h"
#include "support/TestSupport.h"
#include "views/ContentView.h"
#include "views/RecentSessionsMenu.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace orbix;
using orbix::test::waitUntil;

namespace {

// "Interface.Method(in types)->(out types)" for every method of the given interfaces in an introspection
// document; argument names are left out (the bus does not carry them for results).
QStringList methodSignatures(const QString& xml, const QStringList& interfaces) {
    QStringList signatures;
    QXmlStreamReader reader(xml);
    QString interface;
    QString method;
    QStringList in;
    QStringList out;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto name = reader.name();
        if (reader.isStartElement() && name == u"interface") {
            interface = reader.attributes().value(QStringLiteral("name")).toString();
        } else if (reader.isStartElement() && name == u"method") {
            method = reader.attributes().value(QStringLiteral("name")).toString();
            in.clear();
            out.clear();
        } else if (reader.isStartElement() && name == u"arg" && !method.isEmpty()) {
            const bool isOut = reader.attributes().value(QStringLiteral("direction")) == u"out";
            (isOut ? out : in) << reader.attributes().value(QStringLiteral("type")).toString();
        } else if (reader.isEndElement() && name == u"method") {
            if (interfaces.contains(interface)) {
                signatures
                    << QStringLiteral("%1.%2(%3)->(%4)").arg(interface, method, in.join(u','), out.join(u','));
            }
            method.clear();
        }
    }
    signatures.sort();
    return signatures;
}

class DBusIntents : public orbix::test::AppModelTest {
protected:
    void SetUp() override {
        if (!bus.available()) {
            GTEST_SKIP() << bus.skipReason().toStdString();
        }
        makeModel();
        service = std::make_unique<OrbixDBusService>(router, bus.connect(QStringLiteral("application")));
        ASSERT_EQ(service->registerOnBus(), OrbixDBusService::Registration::registered);
        client = std::make_unique<QDBusConnection>(bus.connect(QStringLiteral("client")));
    }

    void openWindow() {
        window = std::make_unique<views::ContentView>(*model, router);
        QObject::connect(service.get(), &OrbixDBusService::activationRequested, window.get(),
                         &views::ContentView::bringToFront);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // Calls the running service from the client connection without blocking the loop that answers it.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(OrbixDBusService::serviceName,
                                                              OrbixDBusService::objectPath, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client->asyncCall(message);
        EXPECT_TRUE(waitUntil([&] { return pending.isFinished(); }));
        return pending.reply();
    }
    QDBusMessage callOrbix(const QString& method, const QVariantList& arguments = {}) {
        return call(OrbixDBusService::interfaceName, method, arguments);
    }

    orbix::test::PrivateSessionBus bus;
    AppIntentRouter router;
    std::unique_ptr<OrbixDBusService> service;
    std::unique_ptr<QDBusConnection> client;
    std::unique_ptr<views::ContentView> window;
};

} // namespace

TEST_F(DBusIntents, CreateNoteTypesThePromptFocusesItAndNeverSubmits) {
    openWindow();
    QSignalSpy raised(service.get(), &OrbixDBusService::activationRequested);
    const bool focusBefore = model->shouldFocusPrompt();
    const QDBusMessage reply = callOrbix(QStringLiteral("CreateNote"), {QStringLiteral("make the sky bluer")});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().value(0).toString(), QStringLiteral("Opened Orbix."));
    EXPECT_EQ(model->promptText(), QStringLiteral("make the sky bluer"));
    EXPECT_EQ(model->selectedSectionRawValue(), QStringLiteral("chat"));
    EXPECT_NE(model->shouldFocusPrompt(), focusBefore);
    EXPECT_EQ(raised.count(), 1);
    EXPECT_TRUE(model->messages().isEmpty()) << "a note is typed, not sent";
    EXPECT_FALSE(model->isResponding());

    // The same text again is a new request: it acts again, toggles focus back and goes on a line of its own
    // after what the field holds.
    callOrbix(QStringLiteral("CreateNote"), {QStringLiteral("make the sky bluer")});
    EXPECT_EQ(model->shouldFocusPrompt(), focusBefore);
    EXPECT_EQ(raised.count(), 2);
    const QString twice = QStringLiteral("make the sky bluer\nmake the sky bluer");
    EXPECT_EQ(model->promptText(), twice);

    // An empty note only brings the chat forward: the typed text stays and focus is not requested.
    const QDBusMessage empty = callOrbix(QStringLiteral("CreateNote"), {QString()});
    EXPECT_EQ(empty.arguments().value(0).toString(), QStringLiteral("Opened Orbix."));
    EXPECT_EQ(model->promptText(), twice);
    EXPECT_EQ(model->shouldFocusPrompt(), focusBefore);
}

TEST_F(DBusIntents, ANoteLongerThanTheLimitIsRefusedAndLeavesThePromptAlone) {
    openWindow();
    model->setPromptText(QStringLiteral("half typed"));
    // Three bytes of UTF-8 per character: the limit counts bytes, not characters.
    const QString tooLong = QString(appIntents::kMostNoteBytes / 3 + 1, QChar(0x2013));
    const QDBusMessage refused = callOrbix(QStringLiteral("CreateNote"), {tooLong});
    ASSERT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.LimitsExceeded"));
    EXPECT_EQ(refused.errorMessage(),
              QStringLiteral("The note is 17 KiB long; Orbix takes notes of up to 16 KiB."));
    EXPECT_EQ(model->promptText(), QStringLiteral("half typed"));
    EXPECT_EQ(applyDesktopRequest(router, {DesktopRequest::Kind::createNote, tooLong}), refused.errorMessage());

    const QString longest(appIntents::kMostNoteBytes, QLatin1Char('\n'));
    const QDBusMessage taken = callOrbix(QStringLiteral("CreateNote"), {longest});
    ASSERT_EQ(taken.type(), QDBusMessage::ReplyMessage) << taken.errorMessage().toStdString();
    EXPECT_EQ(model->promptText(), QStringLiteral("half typed\n") + longest) << "the draft is kept";
}

TEST_F(DBusIntents, OpenSectionKeepsTypedTextAndRefusesUnknownSections) {
    openWindow();
    model->setPromptText(QStringLiteral("half typed"));
    const bool focusBefore = model->shouldFocusPrompt();
    const QDBusMessage reply = callOrbix(QStringLiteral("OpenSection"), {QStringLiteral("chat")});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(model->promptText(), QStringLiteral("half typed"));
    EXPECT_EQ(model->shouldFocusPrompt(), focusBefore);

    const auto routeBefore = router.pendingRoute();
    const QDBusMessage refused = callOrbix(QStringLiteral("OpenSection"), {QStringLiteral("settings")});
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_TRUE(refused.errorMessage().contains(QStringLiteral("settings")))
        << refused.errorMessage().toStdString();
    EXPECT_EQ(router.pendingRoute(), routeBefore) << "a refused request leaves no route";
}

TEST_F(DBusIntents, ARequestBeforeTheWindowExistsIsAppliedWhenItFirstShows) {
    // The application's own start with --note: the route is left first, the window comes later.
    EXPECT_FALSE(
        applyDesktopRequest(router, {DesktopRequest::Kind::createNote, QStringLiteral("crop to 4:5")}));
    EXPECT_TRUE(model->promptText().isEmpty());
    openWindow();
    EXPECT_EQ(model->promptText(), QStringLiteral("crop to 4:5"));
    EXPECT_TRUE(model->messages().isEmpty());

    EXPECT_EQ(applyDesktopRequest(router, {DesktopRequest::Kind::openSection, QStringLiteral("gallery")}),
              std::optional<QString>(QStringLiteral(
                  "Unknown section \u201Cgallery\u201D; the only section is \u201Cchat\u201D.")));
}

TEST_F(DBusIntents, EntityQueriesAnswerFromTheirFixedLists) {
    registerOrbixDBusTypes();
    auto sessions = [&](const QString& method, const QVariantList& arguments) {
        QDBusPendingReply<QList<OrbixSessionEntity>> reply = client->asyncCall([&] {
            QDBusMessage message =
                QDBusMessage::createMethodCall(OrbixDBusService::serviceName, OrbixDBusService::objectPath,
                                               OrbixDBusService::interfaceName, method);
            message.setArguments(arguments);
            return message;
        }());
        EXPECT_TRUE(waitUntil([&] { return reply.isFinished(); }));
        EXPECT_TRUE(reply.isValid()) << reply.error().message().toStdString();
        return reply.value();
    };
    const QList<OrbixSessionEntity> chat{{QStringLiteral("chat"), QStringLiteral("Capture One")}};
    EXPECT_EQ(sessions(QStringLiteral("Sessions"), {QStringList{"chat", "unknown"}}), chat);
    EXPECT_EQ(sessions(QStringLiteral("Sessions"), {QStringList{}}), QList<OrbixSessionEntity>{});
    EXPECT_EQ(sessions(QStringLiteral("SuggestedSessions"), {}), chat);

    // The artifact list does not depend on the conversation's artifacts.
    QDBusPendingReply<QList<OrbixArtifactEntity>> artifacts = client->asyncCall(
        QDBusMessage::createMethodCall(OrbixDBusService::serviceName, OrbixDBusService::objectPath,
                                       OrbixDBusService::interfaceName, QStringLiteral("SuggestedArtifacts")));
    ASSERT_TRUE(waitUntil([&] { return artifacts.isFinished(); }));
    const QList<OrbixArtifactEntity> expected{{QStringLiteral("capture-one-status"),
                                               QStringLiteral("Capture One Status"),
                                               QStringLiteral("Markdown")}};
    EXPECT_EQ(artifacts.value(), expected);
}

TEST_F(DBusIntents, EntityQueriesAnswerFromTheSavedSessionsToo) {
    registerOrbixDBusTypes();
    SessionStore store(home.filePath(QStringLiteral("sessions")));
    service->setSessionStore(&store);
    SavedSession saved;
    saved.id = QUuid::createUuid();
    saved.updatedAt = QDateTime::currentDateTimeUtc();
    saved.messages = {
        ConversationMessage::make(ConversationRole::user, InputMode::quiet, "capture one status")};
    saved.artifacts = {Artifact::make(ArtifactKind::note, "Selection", ArtifactStatus::ready, "2 photos")};
    ASSERT_EQ(store.save(saved), std::nullopt);
    // A damaged file beside it answers nothing and breaks nothing.
    QFile damaged(store.directory() + "/" + QUuid::createUuid().toString(QUuid::WithoutBraces) + ".json");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"format\":1,");
    damaged.close();

    const QString sessionID = saved.id.toString(QUuid::WithoutBraces);
    const QString artifactID = saved.artifacts.first().id.toString(QUuid::WithoutBraces);
    QDBusPendingReply<QList<OrbixSessionEntity>> sessions = client->asyncCall(
        QDBusMessage::createMethodCall(OrbixDBusService::serviceName, OrbixDBusService::objectPath,
                                       OrbixDBusService::interfaceName, QStringLiteral("Sessions"))
        << QStringList{sessionID, QStringLiteral("chat"), artifactID});
    QDBusPendingReply<QList<OrbixArtifactEntity>> artifacts = client->asyncCall(
        QDBusMessage::createMethodCall(OrbixDBusService::serviceName, OrbixDBusService::objectPath,
                                       OrbixDBusService::interfaceName, QStringLiteral("Artifacts"))
        << QStringList{artifactID, sessionID, QStringLiteral("capture-one-status")});
    ASSERT_TRUE(waitUntil([&] { return sessions.isFinished() && artifacts.isFinished(); }));
    const QList<OrbixSessionEntity> expectedSessions{{QStringLiteral("chat"), QStringLiteral("Capture One")},
                                                     {sessionID, QStringLiteral("capture one status")}};
    EXPECT_EQ(sessions.value(), expectedSessions);
    const QList<OrbixArtifactEntity> expectedArtifacts{
        {QStringLiteral("capture-one-status"), QStringLiteral("Capture One Status"),
         QStringLiteral("Markdown")},
        {artifactID, QStringLiteral("Selection"), QStringLiteral("Note")}};
    EXPECT_EQ(artifacts.value(), expectedArtifacts);
}

TEST_F(DBusIntents, OpenRecentSessionListsTheLastTenAndOpensOne) {
    SessionStore store(home.filePath(QStringLiteral("sessions")));
    QList<QUuid> ids;
    for (int index = 0; index < 12; ++index) {
        SavedSession saved;
        saved.id = QUuid::createUuid();
        saved.updatedAt = QDateTime::currentDateTimeUtc().addSecs(index);
        saved.messages = {ConversationMessage::make(ConversationRole::user, std::nullopt,
                                                    QStringLiteral("request & %1").arg(index))};
        ASSERT_EQ(store.save(saved), std::nullopt);
        // The files' times order the list's reading: one save a second, as a user would make them.
        QFile file(store.directory() + "/" + saved.id.toString(QUuid::WithoutBraces) + ".json");
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(saved.updatedAt, QFileDevice::FileModificationTime);
        ids << saved.id;
    }
    openWindow();
    SessionKeeper keeper(*model, store);
    views::installRecentSessionsMenu(*window->menuBar(), keeper);
    auto* recent = window->findChild<QMenu*>(QStringLiteral("recentSessionsMenu"));
    ASSERT_NE(recent, nullptr);
    emit recent->aboutToShow();
    const QList<QAction*> entries = recent->actions();
    ASSERT_EQ(entries.size(), 10);
    EXPECT_TRUE(entries.first()->text().startsWith(QStringLiteral("request && 11")));
    EXPECT_TRUE(entries.last()->text().startsWith(QStringLiteral("request && 2")));

    entries.last()->trigger();
    EXPECT_EQ(keeper.sessionID(), ids[2]);
    ASSERT_EQ(model->messages().size(), 1);
    EXPECT_EQ(model->messages().first().content, QStringLiteral("request & 2"));
}

TEST_F(DBusIntents, TheNameMakesOneInstanceAndActivateRaises) {
    OrbixDBusService second(router, bus.connect(QStringLiteral("second")));
    EXPECT_EQ(second.registerOnBus(), OrbixDBusService::Registration::alreadyRunning);

    QSignalSpy raised(service.get(), &OrbixDBusService::activationRequested);
    const QDBusMessage reply =
        call(QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"), {QVariantMap()});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(raised.count(), 1);
    EXPECT_FALSE(router.pendingRoute()) << "raising leaves no route";
}

TEST_F(DBusIntents, ExportedInterfaceMatchesTheCheckedInDescription) {
    QFile file(QStringLiteral(ORBIX_DBUS_INTERFACE_XML));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString checkedIn = QString::fromUtf8(file.readAll());
    const QDBusMessage live =
        call(QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    ASSERT_EQ(live.type(), QDBusMessage::ReplyMessage);
    const QStringList interfaces{OrbixDBusService::interfaceName,
                                 QStringLiteral("org.freedesktop.Application")};
    const QStringList expected = methodSignatures(checkedIn, interfaces);
    EXPECT_EQ(expected.size(), 7);
    EXPECT_EQ(methodSignatures(live.arguments().value(0).toString(), interfaces), expected);
}
