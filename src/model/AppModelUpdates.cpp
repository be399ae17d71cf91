// The update notice of the application model: one "Update Available" artifact at most, "Later", and
// opening the download page.
#include "model/AppModel.h"
#include "uiautomation/Workspace.h"

#include <QPointer>
#include <QScopeGuard>

namespace orbix {

namespace {
const QString updateArtifactTitle = QStringLiteral("Update Available");
} // namespace

void AppModel::removeUpdateArtifacts() {
    artifactList_.removeIf([](const Artifact& artifact) { return artifact.kind == ArtifactKind::update; });
}

void AppModel::checkForProductUpdate() {
    if (!services_.productUpdateService) {
        return;
    }
    const ProductConfiguration configuration =
        services_.configuration ? services_.configuration() : ProductConfiguration::current();
    QPointer<AppModel> self(this);
    isCheckingForProductUpdate_ = true;
    services_.productUpdateService->availableUpdate(
        configuration, [self](const ProductUpdateService::UpdateResult& result) {
            if (!self) {
                return;
            }
            self->isCheckingForProductUpdate_ = false;
            // Published after the notice (if any) is in place, so a waiting reader sees it.
            const auto finished = qScopeGuard([&] { emit self->productUpdateCheckFinished(); });
            // Every failure of the check is silent.
            if (!result.ok() || !result.value()) {
                return;
            }
            const ProductUpdate& update = *result.value();
            if (self->dismissedUpdateVersion_ && *self->dismissedUpdateVersion_ == update.latestVersion) {
                return;
            }
            self->showUpdateAvailableArtifact(update);
        });
}

void AppModel::showUpdateAvailableArtifact(const ProductUpdate& update) {
    activeUpdate_ = update;
    emit activeUpdateChanged();
    QString body =
        QStringLiteral("A newer version of Orbix is available.\n\nLatest version: ") + update.latestVersion;
    if (update.mode == ProductUpdateMode::required) {
        body += QStringLiteral("\n\nThis update is required before continuing.");
    }
    body += QStringLiteral("\n\n") + update.releaseNotes;
    removeUpdateArtifacts();
    appendArtifact(Artifact::make(ArtifactKind::update, updateArtifactTitle, ArtifactStatus::ready, body),
                   true);
    setSelectedSection(SidebarSection::chat);
}

void AppModel::dismissAvailableUpdate() {
    if (activeUpdate_) {
        dismissedUpdateVersion_ = activeUpdate_->latestVersion;
    }
    activeUpdate_.reset();
    emit activeUpdateChanged();
    removeUpdateArtifacts();
    const QList<Artifact>& artifacts = artifactList_.records();
    if (selectedArtifactID_ && artifactList_.find(*selectedArtifactID_)) {
        setSelectedArtifactID(selectedArtifactID_);
    } else {
        setSelectedArtifactID(artifacts.isEmpty() ? std::nullopt : std::optional<QUuid>(artifacts.first().id));
    }
}

void AppModel::downloadAvailableUpdate() {
    if (activeUpdate_ && services_.workspace) {
        services_.workspace->openUrl(activeUpdate_->downloadURL);
    }
}

} // namespace orbix
