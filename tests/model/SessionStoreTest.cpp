// Saved sessions: the files themselves (every field back as it was, owner-only, damaged ones skipped and
// left alone) and the keeper over a real model (saves held back while a transcript grows, New Session
// starting a new file, a new run getting the last session back).
#include "model/SessionStore.h"

#include "AppModelTestHarness.h"
#include "model/ChangeHistory.h"
#include "model/SessionKeeper.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

SavedSession sampleSession() {
    SavedSession session;
    session.id = QUuid::createUuid();
    session.updatedAt = QDateTime::currentDateTimeUtc();
    session.messages = {
        ConversationMessage::make(ConversationRole::user, InputMode::voice, "rate these 4 stars"),
        ConversationMessage::make(ConversationRole::assistant, std::nullopt, "Rated \u201C2\u201D.")};
    session.artifacts = {Artifact::make(ArtifactKind::markdown, "Capture One Status",
                                        ArtifactStatus::needsReview, "# Status\n\n- line")};
    ChangeRecord change;
    change.road = ChangeRoad::assistant;
    change.request = "warmer";
    change.action = "adjust";
    change.undone = true;
    change.onTrayPhotos = true;
    change.variants = {{"v1",
                        "IMG_0001",
                        "/photos/IMG_0001.cr3",
                        {{{"temperature", RecordedProperty::Scope::adjustments, RecordedProperty::Kind::number},
                          "5000",
                          "5500"}}}};
    session.changes = {change};
    return session;
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SessionFiles, ASavedSessionComesBackWhole) {
    QTemporaryDir home;
    SessionStore store(home.filePath("sessions"));
    const SavedSession session = sampleSession();
    ASSERT_EQ(store.save(session), std::nullopt);
    // Saved again over itself: the rename replaces the file and leaves no temporary one behind.
    ASSERT_EQ(store.save(session), std::nullopt);

    EXPECT_EQ(store.load(session.id), session);
    const QString path = store.directory() + "/" + session.id.toString(QUuid::WithoutBraces) + ".json";
    EXPECT_EQ(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());
    EXPECT_EQ(QDir(store.directory()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    ASSERT_EQ(store.recent(10).size(), 1);
    EXPECT_EQ(store.recent(10).first().title, "rate these 4 stars");
}

// Two files written within the same tick of the file system's clock: the sessions' own times decide which
// is the latest, whichever way their names sort.
TEST(SessionFiles, TheLatestIsTheNewestSessionEvenWhenTheFilesShareTheirTime) {
    const QUuid low("{00000000-0000-4000-8000-000000000001}");
    const QUuid high("{ffffffff-ffff-4fff-bfff-fffffffffffe}");
    for (const auto& [olderId, newerId] : {std::pair{low, high}, std::pair{high, low}}) {
        QTemporaryDir home;
        SessionStore store(home.path());
        SavedSession older = sampleSession();
        older.id = olderId;
        older.updatedAt = QDateTime::currentDateTimeUtc().addSecs(-60);
        SavedSession newer = sampleSession();
        newer.id = newerId;
        ASSERT_EQ(store.save(older), std::nullopt);
        ASSERT_EQ(store.save(newer), std::nullopt);
        const QDateTime tick = QDateTime::currentDateTimeUtc().addSecs(-5);
        for (const QUuid& id : {olderId, newerId}) {
            QFile file(store.directory() + "/" + id.toString(QUuid::WithoutBraces) + ".json");
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(tick, QFileDevice::FileModificationTime));
        }
        const QList<SavedSession> latest = store.sessions(1);
        ASSERT_EQ(latest.size(), 1);
        EXPECT_EQ(latest.first().id, newerId);
    }
}

TEST(SessionFiles, DamagedFilesAreSkippedAndNeverWrittenOver) {
    QTemporaryDir home;
    SessionStore store(home.path());
    SavedSession good = sampleSession();
    ASSERT_EQ(store.save(good), std::nullopt);

    const auto pathOf = [&](const QUuid& id) {
        return home.filePath(id.toString(QUuid::WithoutBraces) + ".json");
    };
    const QUuid truncatedID = QUuid::createUuid();
    const QByteArray truncated = sessionJson::encode(sampleSession()).chopped(10);
    writeFile(pathOf(truncatedID), truncated);
    // Well-formed JSON of the wrong shape, and a session filed under another session's name.
    SavedSession wrongShape = sampleSession();
    writeFile(pathOf(wrongShape.id),
              sessionJson::encode(wrongShape).replace("\"role\":\"user\"", "\"role\":7"));
    const QUuid misfiledID = QUuid::createUuid();
    writeFile(pathOf(misfiledID), sessionJson::encode(sampleSession()));
    // A link at a session's name is not followed.
    const QUuid linkedID = QUuid::createUuid();
    ASSERT_TRUE(QFile::link(pathOf(good.id), pathOf(linkedID)));

    const QList<SavedSession> sessions = store.sessions();
    ASSERT_EQ(sessions.size(), 1);
    EXPECT_EQ(sessions.first().id, good.id);
    EXPECT_EQ(store.load(truncatedID), std::nullopt);
    EXPECT_EQ(store.load(wrongShape.id), std::nullopt);

    SavedSession overwrite = sampleSession();
    overwrite.id = truncatedID;
    EXPECT_NE(store.save(overwrite), std::nullopt);
    EXPECT_EQ(readFile(pathOf(truncatedID)), truncated);
}

class SessionKeeperTest : public test::AppModelTest {
protected:
    QString sessionsFolder() const { return home.filePath("sessions"); }
    qsizetype savedFileCount() const {
        return QDir(sessionsFolder()).entryList({"*.json"}, QDir::Files).size();
    }

    SessionStore store{home.filePath("sessions")};
};

TEST_F(SessionKeeperTest, SavesOnceWhileATranscriptGrowsAndStartsANewFileForANewSession) {
    makeModel();
    auto keeper = std::make_unique<SessionKeeper>(*model, store);
    for (const char* words : {"The", "The photo", "The photo is rated."}) {
        model->upsertRealtimeTranscript(words);
    }
    // Held back until the delay has passed (or the keeper closes).
    EXPECT_EQ(savedFileCount(), 0);
    keeper->flush();
    EXPECT_EQ(savedFileCount(), 1);
    const QUuid first = keeper->sessionID();
    EXPECT_EQ(store.load(first)->messages.value(0).content, "The photo is rated.");

    // New Session: the old file stays; an empty session is not written.
    model->startNewSession();
    keeper->flush();
    EXPECT_NE(keeper->sessionID(), first);
    EXPECT_EQ(savedFileCount(), 1);
    model->upsertRealtimeTranscript("Second session.");
    keeper.reset();
    EXPECT_EQ(savedFileCount(), 2);
    EXPECT_EQ(store.load(first)->messages.size(), 1);

    // Opening the first again shows it in place of the second.
    SessionKeeper reopened(*model, store);
    ASSERT_TRUE(reopened.open(first));
    ASSERT_EQ(model->messages().size(), 1);
    EXPECT_EQ(model->messages().first().content, "The photo is rated.");
}

TEST_F(SessionKeeperTest, ANewRunGetsTheLastSessionBackWithoutItsVoiceStateOrUpdateNotice) {
    const SavedSession older = sampleSession();
    ASSERT_EQ(store.save(older), std::nullopt);
    makeModel();
    {
        SessionKeeper keeper(*model, store);
        model->upsertRealtimeTranscript("Rated two photos.");
        model->changeHistory()->record(older.changes.first());
        model->showChanges();
        const QList<Artifact> shown = model->artifacts();
        model->showUpdateAvailableArtifact({"2.0", "1.0", ProductUpdateMode::recommended, "Faster.", QUrl()});
        ASSERT_EQ(model->artifacts().size(), shown.size() + 1);
        model->setRealtimeVoiceState(RealtimeVoiceState::recording);
    }
    QList<Artifact> artifacts = model->artifacts();
    artifacts.removeIf([](const Artifact& artifact) { return artifact.kind == ArtifactKind::update; });
    model.reset();

    makeModel();
    SessionKeeper keeper(*model, store);
    ASSERT_TRUE(keeper.restoreLatest());
    ASSERT_EQ(model->messages().size(), 1);
    EXPECT_EQ(model->messages().first().content, "Rated two photos.");
    EXPECT_EQ(model->artifacts(), artifacts);
    EXPECT_EQ(model->changeHistory()->changes(), older.changes);
    // The change log is there to read, but undo cannot reach into the last run.
    EXPECT_EQ(model->changeHistory()->nextUndo(), std::nullopt);
    EXPECT_EQ(model->realtimeVoiceState(), RealtimeVoiceState::idle);
    EXPECT_EQ(model->selectedArtifactID(), std::nullopt);
}

} // namespace
