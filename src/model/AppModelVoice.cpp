// The model's side of voice: builds the VoiceCoordinator with the seam it works through, forwards its
// state signals as the model's own, and hands the voice operations to it.
#include "model/AppModel.h"

namespace orbix {

void AppModel::configureVoice() {
    VoiceCoordinator::Services voiceServices{services_.realtimeVoiceService,  services_.wakeWordVoiceService,
                                             services_.speechFeedbackService, services_.audioInputDevices,
                                             services_.computerUseService,    services_.voiceTimers};
    VoiceCoordinator::ModelSeam seam;
    seam.inputMode = [this] { return inputMode_; };
    seam.showVoiceMode = [this] {
        setInputMode(InputMode::voice);
        setSelectedSection(SidebarSection::chat);
    };
    seam.appendMessage = [this](ConversationMessage message) { appendMessage(std::move(message)); };
    seam.replaceMessageContent = [this](const QUuid& id, const QString& content) {
        return conversation_.setContent(id, content);
    };
    seam.showArtifact = [this](Artifact artifact) { appendArtifact(std::move(artifact), true); };
    seam.setResponding = [this](bool responding) { setResponding(responding); };
    seam.noteChange = [this](const std::optional<ChangeRecord>& change, ChangeRoad road,
                             const std::optional<QString>& request) {
        noteChange(change, road, request.value_or(lastUserRequest()));
    };
    seam.targetImportedPhotos = [this](const QString& words) { return targetImportedPhotos(words); };
    seam.decideLocalCommand = [this](const QString& words) { return pipeline_->decideLocally(words); };
    seam.answersPendingBatch = [this](const QString& words) {
        return pipeline_->answersBatchConfirmation(words);
    };
    seam.dropPendingBatch = [this] { pipeline_->dropPendingBatch(); };
    seam.answerPendingBatch = [this](bool apply) { answerPendingBatch(apply); };
    seam.undoLastChange = [this](bool redo) { undoLastChange(redo, true); };
    seam.runLocalCommand = [this](const QString& command) { pipeline_->runLocalCommand(command); };
    voice_ = std::make_unique<VoiceCoordinator>(std::move(voiceServices), std::move(seam), this);
    connect(voice_.get(), &VoiceCoordinator::realtimeVoiceStateChanged, this,
            &AppModel::realtimeVoiceStateChanged);
    connect(voice_.get(), &VoiceCoordinator::isWakeWordListeningChanged, this,
            &AppModel::isWakeWordListeningChanged);
    connect(voice_.get(), &VoiceCoordinator::isMicrophoneMissingChanged, this,
            &AppModel::isMicrophoneMissingChanged);
}

void AppModel::setRealtimeVoiceState(RealtimeVoiceState state) {
    voice_->setRealtimeVoiceState(state);
}

void AppModel::setWakeWordListening(bool listening) {
    voice_->setWakeWordListening(listening);
}

void AppModel::setMicrophoneMissing(bool missing) {
    voice_->setMicrophoneMissing(missing);
}

void AppModel::startComputerUseVoiceMode() {
    voice_->startComputerUseVoiceMode();
}

void AppModel::handleWakePhrase(const std::optional<QString>& commandSuffix) {
    voice_->handleWakePhrase(commandSuffix);
}

void AppModel::applyRealtimeComputerUseResult(const ComputerUseResult& result, bool speak) {
    voice_->applyRealtimeComputerUseResult(result, speak);
}

std::optional<QStringList>
AppModel::importedPhotoTargetPaths(const RealtimeImportedPhotoTargetRequest& request) const {
    return voice_->importedPhotoTargetPaths(request);
}

void AppModel::upsertRealtimeTranscript(const QString& text) {
    voice_->upsertRealtimeTranscript(text);
}

void AppModel::startWakeWordListening() {
    voice_->startWakeWordListening();
}

void AppModel::startWakeWordListeningWhenReady() {
    voice_->startWakeWordListeningWhenReady();
}

void AppModel::bringAppToFront() {
    voice_->bringAppToFront();
}

void AppModel::showVoicePermissionAlert(VoicePermission permission) {
    voice_->showVoicePermissionAlert(permission);
}

void AppModel::setPresenter(AppPresenter* presenter) {
    voice_->setPresenter(presenter);
}

bool AppModel::isRealtimeSessionRunning() const {
    return voice_->isRealtimeSessionRunning();
}

void AppModel::finishLocalFeedbackInSession() {
    voice_->finishLocalFeedbackInSession();
}

void AppModel::speakFeedback(const QString& summary) {
    voice_->speakFeedback(summary);
}

bool AppModel::answersWakeConfirmation(const QString& words) const {
    return voice_->answersWakeConfirmation(words);
}

void AppModel::takeWakeConfirmationAnswer(const QString& words, bool spoken) {
    voice_->takeWakeConfirmationAnswer(words, spoken);
}

} // namespace orbix
