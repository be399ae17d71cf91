// The voice coordinator on its own: no application model and no voice services, only the seam, recorded.
#include "model/VoiceCoordinator.h"

#include "ManualVoiceTimers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::test;

namespace {

class CountingPresenter final : public AppPresenter {
public:
    void activateAppWindows() override { ++activations; }
    void presentVoicePermissionAlert(const VoicePermissionAlert&) override {}
    int activations = 0;
};

class VoiceCoordinatorSeam : public ::testing::Test {
protected:
    VoiceCoordinatorSeam() { coordinator.setPresenter(&presenter); }

    VoiceCoordinator::ModelSeam recordingSeam() {
        VoiceCoordinator::ModelSeam seam;
        seam.inputMode = [this] { return mode; };
        seam.showVoiceMode = [this] { mode = InputMode::voice; };
        seam.appendMessage = [this](ConversationMessage message) { messages << message; };
        seam.replaceMessageContent = [this](const QUuid& id, const QString& content) {
            for (ConversationMessage& message : messages) {
                if (message.id == id) {
                    message.content = content;
                    return true;
                }
            }
            return false;
        };
        seam.showArtifact = [this](Artifact artifact) { artifacts << artifact; };
        seam.setResponding = [](bool) {};
        seam.noteChange = [this](const std::optional<ChangeRecord>&, ChangeRoad road,
                                 const std::optional<QString>&) { roads << road; };
        seam.targetImportedPhotos = [](const QString&) { return QList<ImportedPhotoAsset>(); };
        seam.decideLocalCommand = [](const QString&) { return LocalCommandRoad::Decision{}; };
        seam.answersPendingBatch = [](const QString&) { return false; };
        seam.dropPendingBatch = [this] { ++batchesDropped; };
        seam.answerPendingBatch = [](bool) {};
        seam.undoLastChange = [](bool) {};
        seam.runLocalCommand = [](const QString&) {};
        return seam;
    }

    InputMode mode = InputMode::quiet;
    QList<ConversationMessage> messages;
    QList<Artifact> artifacts;
    QList<ChangeRoad> roads;
    int batchesDropped = 0;
    CountingPresenter presenter;
    std::shared_ptr<ManualVoiceTimers> timers = std::make_shared<ManualVoiceTimers>();
    VoiceCoordinator coordinator{{.timers = timers}, recordingSeam()};
};

TEST_F(VoiceCoordinatorSeam, TheTranscriptGrowsOneMessageUntilTheConversationNoLongerHasIt) {
    coordinator.upsertRealtimeTranscript(QStringLiteral("Rated"));
    coordinator.upsertRealtimeTranscript(QStringLiteral(" Rated five stars. "));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].content, QStringLiteral("Rated five stars."));

    messages.clear(); // a new session
    coordinator.upsertRealtimeTranscript(QStringLiteral("Done."));
    ASSERT_EQ(messages.size(), 1) << "the rest of the response is not lost with the old message";
    EXPECT_EQ(coordinator.realtimeTranscriptMessageID(), messages[0].id);
}

TEST_F(VoiceCoordinatorSeam, ASpokenResultIsRecordedShownAndEndsItsMessageOnceSaid) {
    mode = InputMode::voice;
    Artifact artifact = Artifact::make(ArtifactKind::markdown, QStringLiteral("Rating"), ArtifactStatus::ready,
                                       QStringLiteral("5"));
    coordinator.applyRealtimeComputerUseResult({QStringLiteral("Rated five stars."), artifact}, true);
    EXPECT_EQ(roads, QList<ChangeRoad>{ChangeRoad::wake});
    EXPECT_EQ(artifacts, QList<Artifact>{artifact});
    ASSERT_TRUE(waitUntil([&] { return !coordinator.realtimeTranscriptMessageID(); }))
        << "without a synthesiser the read-back ends on the next turn, and the next response starts anew";
    coordinator.upsertRealtimeTranscript(QStringLiteral("Next."));
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(VoiceCoordinatorSeam, TheWakePhraseAloneEntersVoiceModeAndActivatesTheWindowsTwice) {
    coordinator.handleWakePhrase(std::nullopt);
    EXPECT_EQ(mode, InputMode::voice);
    EXPECT_EQ(batchesDropped, 1) << "any other words drop a batch waiting for its answer";
    EXPECT_EQ(presenter.activations, 1);
    timers->advance(VoiceCoordinator::windowActivationRepeatDelay);
    EXPECT_EQ(presenter.activations, 2);
}

} // namespace
