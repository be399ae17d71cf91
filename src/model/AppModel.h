#pragma once
// The application model: everything the user interface shows (conversation, artifacts and their selection,
// photo tray, prompt text, input mode, voice state, update notice) and the operations on it. Lives on the
// main thread; the services it calls answer through completions on that thread. Every property publishes
// a change signal after each write.

#include "captureone/PhotoMarks.h"
#include "core/ConversationRecords.h"
#include "core/RealtimeVoiceState.h"
#include "model/AppPresenter.h"
#include "model/ArtifactListModel.h"
#include "model/ConversationModel.h"
#include "model/ImportedPhotoRecognizers.h"
#include "model/PhotoTrayModel.h"
#include "model/PromptPipeline.h"
#include "model/UpdateNotice.h"
#include "model/VoiceCoordinator.h"
#include "services/ProductConfiguration.h"
#include "services/ProductUpdateService.h"
#include "voice/VoiceFailure.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orbix {

class AssistantProvider;
class AudioInputDevices;
class CaptureOneService;
class ChangeHistory;
class MacComputerUseService;
class OpenAIRealtimeVoiceService;
class ProductUpdateService;
class SpeechFeedbackService;
class VoiceTimers;
class WakeWordVoiceService;
class Workspace;
struct RealtimeImportedPhotoTargetRequest;

// Shows a folder chooser without blocking and calls `confirmed` with the chosen folder if the user
// confirms; never calls it on cancel. The window supplies it: the model cannot show widgets.
using FolderChooser = std::function<void(std::function<void(const QUrl& folder)> confirmed)>;

struct AppModelServices {
    AssistantProvider* assistantProvider = nullptr;
    MacComputerUseService* computerUseService = nullptr;
    CaptureOneService* captureOne = nullptr;
    const ProductUpdateService* productUpdateService = nullptr;
    Workspace* workspace = nullptr;
    // The configuration the update check reads; ProductConfiguration::current() when empty.
    std::function<ProductConfiguration()> configuration;
    // The voice services. Each is optional: without them the model serves typed requests and the voice
    // operations only record the mode. The model installs their callbacks; they must outlive the model.
    OpenAIRealtimeVoiceService* realtimeVoiceService = nullptr;
    WakeWordVoiceService* wakeWordVoiceService = nullptr;
    SpeechFeedbackService* speechFeedbackService = nullptr;
    // Whether a microphone exists at all; without it every microphone counts as present.
    AudioInputDevices* audioInputDevices = nullptr;
    // A tray batch on more photos than this waits for "apply" (0: never); 50 when empty.
    std::function<int()> batchConfirmationThreshold;
    // The hand-over and window-activation delays; VoiceTimers::system() when empty.
    std::shared_ptr<VoiceTimers> voiceTimers;
};

class AppModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString promptText READ promptText WRITE setPromptText NOTIFY promptTextChanged)
    Q_PROPERTY(bool isResponding READ isResponding NOTIFY isRespondingChanged)
    Q_PROPERTY(bool isArtifactPanelCleared READ isArtifactPanelCleared WRITE setArtifactPanelCleared NOTIFY
                   isArtifactPanelClearedChanged)
    Q_PROPERTY(bool shouldFocusPrompt READ shouldFocusPrompt NOTIFY shouldFocusPromptChanged)
    Q_PROPERTY(bool isWakeWordListening READ isWakeWordListening NOTIFY isWakeWordListeningChanged)
    Q_PROPERTY(bool isMicrophoneMissing READ isMicrophoneMissing NOTIFY isMicrophoneMissingChanged)
    // The same state for property-based observers: enumerations as their raw values ("" for none),
    // identifiers as QUuid (null for none), lists by their sizes (read them through the accessors).
    Q_PROPERTY(QString selectedSection READ selectedSectionRawValue NOTIFY selectedSectionChanged)
    Q_PROPERTY(QUuid selectedArtifactID READ selectedArtifactUuid WRITE setSelectedArtifactUuid NOTIFY
                   selectedArtifactIDChanged)
    Q_PROPERTY(QString inputMode READ inputModeRawValue NOTIFY inputModeChanged)
    Q_PROPERTY(QString assistantProviderKind READ assistantProviderKindRawValue CONSTANT)
    Q_PROPERTY(QString realtimeVoiceState READ realtimeVoiceStateRawValue NOTIFY realtimeVoiceStateChanged)
    Q_PROPERTY(QUuid tempVoiceArtifactID READ tempVoiceArtifactUuid NOTIFY tempVoiceArtifactIDChanged)
    Q_PROPERTY(int messageCount READ messageCount NOTIFY messagesChanged)
    Q_PROPERTY(int artifactCount READ artifactCount NOTIFY artifactsChanged)
    Q_PROPERTY(int importedPhotoCount READ importedPhotoCount NOTIFY importedPhotosChanged)
    Q_PROPERTY(
        int selectedImportedPhotoCount READ selectedImportedPhotoCount NOTIFY selectedImportedPhotoIDsChanged)
    Q_PROPERTY(bool hasActiveUpdate READ hasActiveUpdate NOTIFY activeUpdateChanged)

public:
    // The voice delays; VoiceCoordinator says what each is for.
    static constexpr std::chrono::milliseconds microphoneHandOverDelay =
        VoiceCoordinator::microphoneHandOverDelay;
    static constexpr std::chrono::milliseconds windowActivationRepeatDelay =
        VoiceCoordinator::windowActivationRepeatDelay;

    explicit AppModel(AppModelServices services, QObject* parent = nullptr);
    ~AppModel() override;

    // Published state.
    std::optional<SidebarSection> selectedSection() const { return selectedSection_; }
    std::optional<QUuid> selectedArtifactID() const { return selectedArtifactID_; }
    void setSelectedArtifactID(std::optional<QUuid> id);
    bool isArtifactPanelCleared() const { return isArtifactPanelCleared_; }
    void setArtifactPanelCleared(bool cleared);
    InputMode inputMode() const { return inputMode_; }
    AssistantProviderKind assistantProviderKind() const { return assistantProviderKind_; }
    QString promptText() const { return promptText_; }
    void setPromptText(const QString& text);
    bool shouldFocusPrompt() const { return shouldFocusPrompt_; }
    RealtimeVoiceState realtimeVoiceState() const { return voice_->realtimeVoiceState(); }
    void setRealtimeVoiceState(RealtimeVoiceState state);
    bool isWakeWordListening() const { return voice_->isWakeWordListening(); }
    void setWakeWordListening(bool listening);
    bool isResponding() const { return isResponding_; }
    // What a typed request that is running is doing, in a few words ("Importing photos from Card."); empty
    // when nothing runs.
    const QString& workDescription() const { return workDescription_; }
    // Whether a request was submitted while another was running (its text stays in the field); cleared
    // when the running one ends.
    bool isBusyNoticeShown() const { return isBusyNoticeShown_; }
    // Whether the running work can be stopped (a batch on more photos than one chunk).
    bool isWorkCancellable() const { return isWorkCancellable_; }
    // Stops the running batch after the chunk in progress; its reply says how far it got.
    void cancelWork();
    // How many photos a batch hands to Capture One at once.
    static constexpr qsizetype batchChunkSize = PromptPipeline::batchChunkSize;
    static const QString busyNoticeText;
    // No input device exists on this machine: voice cannot listen, and no permission would change that.
    bool isMicrophoneMissing() const { return voice_->isMicrophoneMissing(); }
    void setMicrophoneMissing(bool missing);
    std::optional<QUuid> tempVoiceArtifactID() const { return tempVoiceArtifactID_; }
    const QList<ConversationMessage>& messages() const { return conversation_.records(); }
    const QList<Artifact>& artifacts() const { return artifactList_.records(); }
    const QList<ImportedPhotoAsset>& importedPhotos() const { return photoTray_.records(); }
    const QSet<QUuid>& selectedImportedPhotoIDs() const { return photoTray_.selectedIds(); }
    // Rating, pick and colour tag of the tray's photos as Capture One last reported them, by standardised
    // path; read again after every request and voice result while the tray holds photos.
    const QHash<QString, PhotoMarks>& importedPhotoMarks() const { return photoTray_.marks(); }
    // The same lists as item models, with row-level signals, for the views. Views only read them.
    ConversationModel& conversationModel() { return conversation_; }
    ArtifactListModel& artifactListModel() { return artifactList_; }
    PhotoTrayModel& photoTrayModel() { return photoTray_; }
    bool isReadingImportedPhotoMarks() const { return photoMarksReadsRunning_ > 0; }
    const std::optional<ProductUpdate>& activeUpdate() const { return updateNotice_->activeUpdate(); }
    // Whether the start-up update check is still waiting for its answer (bounded by its request time-out).
    bool isCheckingForProductUpdate() const { return updateNotice_->isChecking(); }

    // Property forms of the state above.
    QString selectedSectionRawValue() const {
        return selectedSection_ ? rawValue(*selectedSection_) : QString();
    }
    QUuid selectedArtifactUuid() const { return selectedArtifactID_.value_or(QUuid()); }
    void setSelectedArtifactUuid(const QUuid& id) {
        setSelectedArtifactID(id.isNull() ? std::nullopt : std::optional<QUuid>(id));
    }
    QString inputModeRawValue() const { return rawValue(inputMode_); }
    QString assistantProviderKindRawValue() const { return rawValue(assistantProviderKind_); }
    QString realtimeVoiceStateRawValue() const { return rawValue(realtimeVoiceState()); }
    QUuid tempVoiceArtifactUuid() const { return tempVoiceArtifactID_.value_or(QUuid()); }
    int messageCount() const { return conversation_.rowCount(); }
    int artifactCount() const { return artifactList_.rowCount(); }
    int importedPhotoCount() const { return photoTray_.rowCount(); }
    int selectedImportedPhotoCount() const { return int(photoTray_.selectedIds().size()); }
    bool hasActiveUpdate() const { return activeUpdate().has_value(); }

    // Derived.
    std::optional<Artifact> selectedArtifact() const;
    QList<ImportedPhotoAsset> selectedImportedPhotos() const;

    // Session and mode.
    void startNewSession();
    // Shows a saved session's conversation, artifacts and changes in place of the current ones; the voice
    // state and the photo tray stay as they are, and nothing is selected.
    void restoreSession(QList<ConversationMessage> messages, QList<Artifact> artifacts,
                        QList<ChangeRecord> changes);
    void setMode(InputMode mode);
    void applyIntentRoute(const AppIntentRoute& route);
    // Asks the composer to take keyboard focus: toggles shouldFocusPrompt, so every request is a change.
    void togglePromptFocus();

    // Voice mode (VoiceCoordinator). The microphone control, the wake phrase and setMode(voice) call
    // startComputerUseVoiceMode, which toggles the voice session.
    void startComputerUseVoiceMode();
    void handleWakePhrase(const std::optional<QString>& commandSuffix);
    // Puts an action result of the voice roads into the conversation; `speak` reads it aloud in voice mode.
    void applyRealtimeComputerUseResult(const ComputerUseResult& result, bool speak);
    // The tray photos a voice action aims at: nothing when it works on the Capture One selection.
    std::optional<QStringList>
    importedPhotoTargetPaths(const RealtimeImportedPhotoTargetRequest& request) const;
    // Mirrors the spoken response into one assistant message that grows with it.
    void upsertRealtimeTranscript(const QString& text);
    // Start the wake phrase listener while no voice session runs; the window calls the latter when shown.
    void startWakeWordListening();
    void startWakeWordListeningWhenReady();
    void bringAppToFront();
    // Once per run: explains a refused microphone or speech recognition permission.
    void showVoicePermissionAlert(VoicePermission permission);
    // The front end that brings windows forward and shows alerts; none by default. Not owned.
    void setPresenter(AppPresenter* presenter);
    std::optional<QUuid> realtimeTranscriptMessageID() const { return voice_->realtimeTranscriptMessageID(); }
    bool hasPresentedVoicePermissionAlert() const { return voice_->hasPresentedVoicePermissionAlert(); }

    // The typed road: the request is shown here, and PromptPipeline takes it down its road.
    void submitPrompt();
    void showProductScopeNotice() { pipeline_->showProductScopeNotice(); }
    static bool isCaptureOneConnectionTest(const QString& text) {
        return PromptPipeline::isCaptureOneConnectionTest(text);
    }

    // The photo tray.
    void setFolderChooser(FolderChooser chooser);
    // Shows the folder chooser; a confirmed folder is imported if the model still exists by then.
    void importPhotosFromFolder();
    void importPhotos(const QUrl& folder, std::function<void()> done = {});
    // Selects the photo alone, or with extendingSelection toggles it in or out of the selection.
    void selectImportedPhoto(const ImportedPhotoAsset& photo, bool extendingSelection);
    // Selects the photos from one to the other in tray order, both included, and no others.
    void selectImportedPhotoRange(const ImportedPhotoAsset& from, const ImportedPhotoAsset& to);
    void selectAllImportedPhotos();
    void deselectAllImportedPhotos();
    void removeImportedPhoto(const ImportedPhotoAsset& photo);
    // Takes the photos out of the tray only: Capture One and the files keep them.
    void removeImportedPhotos(const QList<ImportedPhotoAsset>& photos);
    QList<ImportedPhotoAsset> targetImportedPhotos(const QString& text) const;
    void runImportedPhotoBatchIntent(const ImportedPhotoBatchIntent& intent, std::function<void()> done = {}) {
        pipeline_->runTrayBatch(intent, std::move(done));
    }
    // Asks Capture One for the tray photos' marks; the newest answer wins.
    void refreshImportedPhotoMarks();
    // The batch waiting for its answer (PromptPipeline): runs it, or drops it.
    void answerPendingBatch(bool apply) { pipeline_->answerPendingBatch(apply); }
    bool hasPendingBatch() const { return pipeline_->hasPendingBatch(); }
    // The preview artifact of the batch waiting, if one waits.
    std::optional<QUuid> pendingBatchPreviewID() const { return pipeline_->pendingBatchPreviewID(); }

    // The session's changes (AppModelChanges.cpp): none without a Capture One service.
    ChangeHistory* changeHistory() const { return changeHistory_.get(); }
    // Takes back (redo: puts again) the last change and answers in the conversation.
    // `spoken`: the words came after the wake phrase, and the answer is read back aloud.
    void undoLastChange(bool redo, bool spoken = false);
    // Shows the "Session Changes" artifact, kept up to date from then on.
    void showChanges();
    // Writes the session's changes as Markdown or CSV, replacing the file whole; a sentence on failure.
    enum class ChangeLogFormat { markdown, csv };
    std::optional<QString> saveChanges(const QString& path, ChangeLogFormat format) const;

    // The update notice (UpdateNotice).
    void checkForProductUpdate() { updateNotice_->check(); }
    void showUpdateAvailableArtifact(const ProductUpdate& update) { updateNotice_->show(update); }
    void dismissAvailableUpdate() { updateNotice_->dismiss(); }
    void downloadAvailableUpdate() { updateNotice_->download(); }

signals:
    void selectedSectionChanged();
    // New Session was asked for; the current session is still in place.
    void sessionStarting();
    void selectedArtifactIDChanged();
    void isArtifactPanelClearedChanged();
    void inputModeChanged();
    void promptTextChanged();
    void shouldFocusPromptChanged();
    void realtimeVoiceStateChanged();
    void isWakeWordListeningChanged();
    void isMicrophoneMissingChanged();
    void isRespondingChanged();
    void workDescriptionChanged();
    void busyNoticeChanged();
    void workCancellableChanged();
    void tempVoiceArtifactIDChanged();
    void messagesChanged();
    void artifactsChanged();
    void importedPhotosChanged();
    void selectedImportedPhotoIDsChanged();
    void importedPhotoMarksChanged();
    void activeUpdateChanged();
    void productUpdateCheckFinished();

private:
    // Ending the work clears its description and the busy notice.
    void setResponding(bool responding);
    void setWorkDescription(const QString& description);
    void setInputMode(InputMode mode);
    void setSelectedSection(std::optional<SidebarSection> section);
    void appendMessage(ConversationMessage message);
    void appendAssistantMessage(const QString& content);
    // Every reply is seen: it reopens a cleared inspector and replaces a document an earlier request put up.
    void showNewReply();
    void appendArtifact(Artifact artifact, bool select);
    // Shows an artifact a reply or notice put up (not one the user chose).
    void showAutomatically(const QUuid& artifactID);
    void configureUpdateNotice();
    void setArtifacts(QList<Artifact> artifacts);
    // Runs work on the next turn of the event loop while the model still exists: the roads' "background
    // task", so that submitPrompt returns before any road's result is published.
    void later(std::function<void()> work);
    void setWorkCancellable(bool cancellable);

    // Voice orchestration (AppModelVoice.cpp): builds the coordinator and its seam; the typed road reaches
    // the voice side through the others.
    void configureVoice();
    bool isRealtimeSessionRunning() const;
    void finishLocalFeedbackInSession();
    void speakFeedback(const QString& summary);
    void assertOnModelThread() const;
    bool answersWakeConfirmation(const QString& words) const;
    void takeWakeConfirmationAnswer(const QString& words, bool spoken);

    // The change history (AppModelChanges.cpp).
    void configureChangeHistory();
    // Records what a command changed, with the road and words that asked for it.
    void noteChange(const std::optional<ChangeRecord>& change, ChangeRoad road, const QString& request);
    QString lastUserRequest() const;
    void refreshChangeLogArtifact();

    void configurePromptPipeline();

    AppModelServices services_;

    std::optional<SidebarSection> selectedSection_ = SidebarSection::chat;
    std::optional<QUuid> selectedArtifactID_;
    bool isArtifactPanelCleared_ = false;
    // The selected artifact was put up by a reply (not chosen by the user), when the conversation held this
    // many messages.
    bool isSelectionAutomatic_ = false;
    qsizetype automaticSelectionMessageCount_ = 0;
    InputMode inputMode_ = InputMode::quiet;
    AssistantProviderKind assistantProviderKind_ = AssistantProviderKind::openAI;
    QString promptText_;
    bool shouldFocusPrompt_ = false;
    bool isResponding_ = false;
    QString workDescription_;
    bool isBusyNoticeShown_ = false;
    bool isWorkCancellable_ = false;
    bool isCancelRequested_ = false;
    std::optional<QUuid> tempVoiceArtifactID_;
    ConversationModel conversation_;
    ArtifactListModel artifactList_;
    PhotoTrayModel photoTray_;
    int photoMarksReadsRunning_ = 0;
    // Tells the newest read from older ones still running.
    int photoMarksReadGeneration_ = 0;
    std::unique_ptr<UpdateNotice> updateNotice_;

    QUuid lastAppliedRouteID_;
    FolderChooser folderChooser_;
    std::unique_ptr<ChangeHistory> changeHistory_;
    std::optional<QUuid> changeLogArtifactID_;
    // After the lists it reports into, so that it goes first.
    std::unique_ptr<PromptPipeline> pipeline_;
    // Declared last, so it goes first: its seam reaches the members above.
    std::unique_ptr<VoiceCoordinator> voice_;
};

} // namespace orbix
