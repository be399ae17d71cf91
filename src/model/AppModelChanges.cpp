// The session's changes: recording what each road's command changed, and undo and redo from every road.
#include "captureone/MacComputerUseService.h"
#include "model/AppModel.h"
#include "model/ChangeHistory.h"
#include "model/ChangeLog.h"

#include <QPointer>
#include <QSaveFile>

namespace orbix {

AppModel::~AppModel() {
    if (changeHistory_ && services_.computerUseService) {
        services_.computerUseService->setChangeHistoryHandler({});
    }
}

void AppModel::configureChangeHistory() {
    if (!services_.captureOne) {
        return;
    }
    changeHistory_ = std::make_unique<ChangeHistory>(*services_.captureOne);
    connect(changeHistory_.get(), &ChangeHistory::changed, this, &AppModel::refreshChangeLogArtifact);
    if (services_.computerUseService) {
        // undo_last_change and redo_last_change from the voice session and the text assistant.
        services_.computerUseService->setChangeHistoryHandler(
            [this](bool redo, std::function<void(const CommandOutcome&)> answer) {
                redo ? changeHistory_->redo(std::move(answer)) : changeHistory_->undo(std::move(answer));
            });
    }
}

void AppModel::noteChange(const std::optional<ChangeRecord>& change, ChangeRoad road, const QString& request) {
    if (!change || !changeHistory_) {
        return;
    }
    ChangeRecord recorded = *change;
    recorded.road = road;
    recorded.request = request;
    changeHistory_->record(std::move(recorded));
}

void AppModel::showChanges() {
    refreshChangeLogArtifact();
    if (changeLogArtifactID_ && artifactList_.find(*changeLogArtifactID_)) {
        setSelectedArtifactID(changeLogArtifactID_);
        return;
    }
    Artifact log =
        Artifact::make(ArtifactKind::markdown, changelog::title, ArtifactStatus::ready,
                       changelog::markdown(changeHistory_ ? changeHistory_->changes() : QList<ChangeRecord>()));
    changeLogArtifactID_ = log.id;
    const QUuid id = log.id;
    appendArtifact(std::move(log), false);
    // Asked for, so it stays up while later replies arrive.
    setSelectedArtifactID(id);
}

void AppModel::refreshChangeLogArtifact() {
    const Artifact* log = changeLogArtifactID_ ? artifactList_.find(*changeLogArtifactID_) : nullptr;
    if (!log) {
        return;
    }
    Artifact updated = *log;
    updated.body = changelog::markdown(changeHistory_ ? changeHistory_->changes() : QList<ChangeRecord>());
    artifactList_.replace(updated);
}

std::optional<QString> AppModel::saveChanges(const QString& path, ChangeLogFormat format) const {
    const QList<ChangeRecord> changes = changeHistory_ ? changeHistory_->changes() : QList<ChangeRecord>();
    const QString text =
        format == ChangeLogFormat::csv
            ? changelog::csv(changes)
            : QStringLiteral("# ") + changelog::title + QStringLiteral("\n\n") + changelog::markdown(changes);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        return QStringLiteral("Could not save the changes to ") + path + QStringLiteral(": ") +
               file.errorString();
    }
    return std::nullopt;
}

QString AppModel::lastUserRequest() const {
    const QList<ConversationMessage>& messages = conversation_.records();
    for (auto message = messages.crbegin(); message != messages.crend(); ++message) {
        if (message->role == ConversationRole::user) {
            return message->content;
        }
    }
    return {};
}

void AppModel::undoLastChange(bool redo, bool spoken) {
    const auto answer = [self = QPointer<AppModel>(this), spoken](const CommandOutcome& outcome) {
        if (!self) {
            return;
        }
        self->setResponding(false);
        if (spoken) {
            self->applyRealtimeComputerUseResult({outcome.text, std::nullopt, outcome.status}, true);
        } else {
            self->appendAssistantMessage(outcome.text);
        }
    };
    if (!changeHistory_) {
        answer(CommandOutcome::refused(ChangeHistory::cannotUndoText(QString())));
        return;
    }
    redo ? changeHistory_->redo(answer) : changeHistory_->undo(answer);
}

} // namespace orbix
