#include "model/AppModel.h"

#include "core/TextRules.h"
#include "model/ChangeHistory.h"
#include "services/AssistantProvider.h"
#include "voice/OpenAIRealtimeVoiceService.h"

#include <QThread>
#include <QTimer>

namespace orbix {

AppModel::AppModel(AppModelServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {
    if (services_.assistantProvider) {
        assistantProviderKind_ = services_.assistantProvider->kind();
    }
    // The coarse signals of the lists, for observers that read them whole.
    connect(&conversation_, &RecordListModelBase::recordsChanged, this, &AppModel::messagesChanged);
    connect(&artifactList_, &RecordListModelBase::recordsChanged, this, &AppModel::artifactsChanged);
    connect(&photoTray_, &RecordListModelBase::recordsChanged, this, &AppModel::importedPhotosChanged);
    connect(&photoTray_, &PhotoTrayModel::selectionChanged, this, &AppModel::selectedImportedPhotoIDsChanged);
    connect(&photoTray_, &PhotoTrayModel::marksChanged, this, &AppModel::importedPhotoMarksChanged);
    setSelectedArtifactID(std::nullopt);
    configureUpdateNotice();
    configureChangeHistory();
    configurePromptPipeline();
    configureVoice();
    later([this] { checkForProductUpdate(); });
}

void AppModel::later(std::function<void()> work) {
    QTimer::singleShot(0, this, std::move(work));
}

// --- Published state -------------------------------------------------------------------------------------

void AppModel::assertOnModelThread() const {
    // Views bind to these properties: a change from another thread would race them.
    Q_ASSERT_X(QThread::currentThread() == thread(), "AppModel",
               "published state changed off the model's thread");
}

void AppModel::setSelectedArtifactID(std::optional<QUuid> id) {
    assertOnModelThread();
    isSelectionAutomatic_ = false;
    selectedArtifactID_ = id;
    emit selectedArtifactIDChanged();
    // Selecting anything reopens a cleared inspector; clearing the selection leaves the flag alone.
    if (id) {
        setArtifactPanelCleared(false);
    }
}

void AppModel::setArtifactPanelCleared(bool cleared) {
    assertOnModelThread();
    isArtifactPanelCleared_ = cleared;
    emit isArtifactPanelClearedChanged();
}

void AppModel::setPromptText(const QString& text) {
    assertOnModelThread();
    promptText_ = text;
    emit promptTextChanged();
}

const QString AppModel::busyNoticeText = QStringLiteral("Orbix is still working on the previous request.");

void AppModel::setResponding(bool responding) {
    assertOnModelThread();
    const bool finished = isResponding_ && !responding;
    isResponding_ = responding;
    emit isRespondingChanged();
    if (!responding) {
        setWorkDescription(QString());
        setWorkCancellable(false);
        if (isBusyNoticeShown_) {
            isBusyNoticeShown_ = false;
            emit busyNoticeChanged();
        }
    }
    // Whatever the request changed in Capture One shows on the tray's tiles.
    if (finished) {
        refreshImportedPhotoMarks();
    }
}

void AppModel::setWorkCancellable(bool cancellable) {
    isCancelRequested_ = false;
    if (cancellable != isWorkCancellable_) {
        isWorkCancellable_ = cancellable;
        emit workCancellableChanged();
    }
}

void AppModel::cancelWork() {
    if (isWorkCancellable_) {
        isCancelRequested_ = true;
    }
}

void AppModel::setWorkDescription(const QString& description) {
    if (description != workDescription_) {
        workDescription_ = description;
        emit workDescriptionChanged();
    }
}

void AppModel::setInputMode(InputMode mode) {
    assertOnModelThread();
    inputMode_ = mode;
    emit inputModeChanged();
}

void AppModel::setSelectedSection(std::optional<SidebarSection> section) {
    assertOnModelThread();
    selectedSection_ = section;
    emit selectedSectionChanged();
}

void AppModel::appendMessage(ConversationMessage message) {
    assertOnModelThread();
    const bool isReply = message.role == ConversationRole::assistant;
    conversation_.append(std::move(message));
    if (isReply) {
        showNewReply();
    }
}

void AppModel::showNewReply() {
    // "Clear" hides the document until the next reply, not for good.
    if (isArtifactPanelCleared_) {
        setArtifactPanelCleared(false);
    }
    // A document that an earlier request put up gives way to this reply; one the user chose stays, and one
    // this request put up (an import's artifact comes before its reply) is this reply's own.
    if (!selectedArtifactID_ || !isSelectionAutomatic_) {
        return;
    }
    qsizetype lastRequest = -1;
    const QList<ConversationMessage>& messages = conversation_.records();
    for (qsizetype i = messages.size() - 1; i >= 0; --i) {
        if (messages[i].role == ConversationRole::user) {
            lastRequest = i;
            break;
        }
    }
    if (automaticSelectionMessageCount_ <= lastRequest) {
        setSelectedArtifactID(std::nullopt);
    }
}

void AppModel::appendAssistantMessage(const QString& content) {
    appendMessage(ConversationMessage::make(ConversationRole::assistant, inputMode_, content));
}

void AppModel::appendArtifact(Artifact artifact, bool select) {
    assertOnModelThread();
    const QUuid id = artifact.id;
    artifactList_.append(std::move(artifact));
    if (select) {
        showAutomatically(id);
    }
}

void AppModel::showAutomatically(const QUuid& artifactID) {
    setSelectedArtifactID(artifactID);
    isSelectionAutomatic_ = true;
    automaticSelectionMessageCount_ = conversation_.rowCount();
}

void AppModel::configureUpdateNotice() {
    updateNotice_ = std::make_unique<UpdateNotice>(
        UpdateNotice::Services{services_.productUpdateService, services_.configuration, services_.workspace},
        artifactList_);
    connect(updateNotice_.get(), &UpdateNotice::activeUpdateChanged, this, &AppModel::activeUpdateChanged);
    connect(updateNotice_.get(), &UpdateNotice::checkFinished, this, &AppModel::productUpdateCheckFinished);
    connect(updateNotice_.get(), &UpdateNotice::shown, this, [this](const QUuid& id) {
        showAutomatically(id);
        setSelectedSection(SidebarSection::chat);
    });
    // The document on display stays if it was not the notice; otherwise the oldest artifact shows.
    connect(updateNotice_.get(), &UpdateNotice::dismissed, this, [this] {
        const QList<Artifact>& artifacts = artifactList_.records();
        if (selectedArtifactID_ && artifactList_.find(*selectedArtifactID_)) {
            setSelectedArtifactID(selectedArtifactID_);
        } else {
            setSelectedArtifactID(artifacts.isEmpty() ? std::nullopt
                                                      : std::optional<QUuid>(artifacts.first().id));
        }
    });
}

void AppModel::setArtifacts(QList<Artifact> artifacts) {
    assertOnModelThread();
    artifactList_.reset(std::move(artifacts));
}

std::optional<Artifact> AppModel::selectedArtifact() const {
    if (isArtifactPanelCleared_ || !selectedArtifactID_) {
        return std::nullopt;
    }
    const Artifact* artifact = artifactList_.find(*selectedArtifactID_);
    return artifact ? std::optional<Artifact>(*artifact) : std::nullopt;
}

// --- Session and mode ------------------------------------------------------------------------------------

void AppModel::startNewSession() {
    emit sessionStarting();
    if (OpenAIRealtimeVoiceService* voice = services_.realtimeVoiceService) {
        QTimer::singleShot(0, voice, [voice] { voice->stop(); });
    }
    conversation_.reset({});
    if (changeHistory_) {
        changeHistory_->clear();
    }
    setArtifacts({});
    setSelectedArtifactID(std::nullopt);
    setSelectedSection(SidebarSection::chat);
    setPromptText(QString());
}

void AppModel::restoreSession(QList<ConversationMessage> messages, QList<Artifact> artifacts,
                              QList<ChangeRecord> changes) {
    assertOnModelThread();
    conversation_.reset(std::move(messages));
    // The saved change log is a document like the others: a new "show changes" starts a live one.
    changeLogArtifactID_.reset();
    if (changeHistory_) {
        changeHistory_->restoreLog(std::move(changes));
    }
    setArtifacts(std::move(artifacts));
    setSelectedArtifactID(std::nullopt);
}

void AppModel::setMode(InputMode mode) {
    setInputMode(mode);
    if (mode == InputMode::voice) {
        startComputerUseVoiceMode();
        return;
    }
    // An open session goes on text-only; an inactive one is left alone.
    if (OpenAIRealtimeVoiceService* voice = services_.realtimeVoiceService) {
        QTimer::singleShot(0, voice, [voice] {
            if (voice->isActive()) {
                voice->setVoiceMode(false);
            }
        });
    }
}

void AppModel::applyIntentRoute(const AppIntentRoute& route) {
    // The same route may be handed over twice (when the window first shows, and as it is published); a
    // note is added once.
    if (!route.id.isNull() && route.id == lastAppliedRouteID_) {
        return;
    }
    lastAppliedRouteID_ = route.id;
    setSelectedSection(route.destination);
    if (route.prefilledPrompt && !route.prefilledPrompt->isEmpty()) {
        // A draft the user typed is kept: the note goes on a line of its own after it.
        const QString draft = text::trimmed(promptText_).isEmpty() ? QString() : promptText_;
        const QString separator =
            draft.isEmpty() || draft.endsWith(QLatin1Char('\n')) ? QString() : QStringLiteral("\n");
        setPromptText(draft + separator + *route.prefilledPrompt);
        setSelectedSection(SidebarSection::chat);
        shouldFocusPrompt_ = !shouldFocusPrompt_;
        emit shouldFocusPromptChanged();
    }
}

// --- The typed road --------------------------------------------------------------------------------------

void AppModel::configurePromptPipeline() {
    PromptPipeline::Host host;
    host.appendMessage = [this](ConversationMessage message) { appendMessage(std::move(message)); };
    host.appendReply = [this](const QString& content) { appendAssistantMessage(content); };
    host.appendArtifact = [this](Artifact artifact, bool select) {
        appendArtifact(std::move(artifact), select);
    };
    host.setResponding = [this](bool responding) { setResponding(responding); };
    host.setWorkDescription = [this](const QString& description) { setWorkDescription(description); };
    host.setWorkCancellable = [this](bool cancellable) { setWorkCancellable(cancellable); };
    host.isCancelRequested = [this] { return isCancelRequested_; };
    host.recordChange = [this](const std::optional<ChangeRecord>& change, ChangeRoad road,
                               const QString& request) { noteChange(change, road, request); };
    host.lastUserRequest = [this] { return lastUserRequest(); };
    host.readAloudInVoiceMode = [this](const QString& reply) {
        if (inputMode_ != InputMode::voice) {
            return false;
        }
        speakFeedback(reply);
        return true;
    };
    host.resumeVoiceSession = [this] {
        if (isRealtimeSessionRunning()) {
            finishLocalFeedbackInSession();
        }
    };
    host.answersWakeConfirmation = [this](const QString& words) { return answersWakeConfirmation(words); };
    host.takeWakeConfirmationAnswer = [this](const QString& words) {
        takeWakeConfirmationAnswer(words, false);
    };
    host.undoLastChange = [this](bool redo) { undoLastChange(redo); };
    host.showChanges = [this] { showChanges(); };
    host.importPhotos = [this](const QUrl& folder) { importPhotos(folder); };
    host.isTrayEmpty = [this] { return photoTray_.records().isEmpty(); };
    host.targetPhotos = [this](const QString& request) { return targetImportedPhotos(request); };
    pipeline_ = std::make_unique<PromptPipeline>(
        PromptPipeline::Services{services_.assistantProvider, services_.computerUseService,
                                 services_.captureOne, services_.workspace,
                                 services_.batchConfirmationThreshold},
        std::move(host));
}

void AppModel::submitPrompt() {
    const QString text = text::trimmed(promptText_);
    if (text.isEmpty()) {
        return;
    }
    if (isResponding_) {
        // Kept in the field, and said so, rather than dropped or silently ignored.
        if (!isBusyNoticeShown_) {
            isBusyNoticeShown_ = true;
            emit busyNoticeChanged();
        }
        return;
    }
    appendMessage(ConversationMessage::make(ConversationRole::user, inputMode_, text));
    setPromptText(QString());
    setResponding(true);
    pipeline_->route(text);
}

} // namespace orbix
