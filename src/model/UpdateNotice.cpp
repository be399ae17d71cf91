#include "model/UpdateNotice.h"

#include "uiautomation/Workspace.h"

#include <QPointer>
#include <QScopeGuard>

namespace orbix {

namespace {
const QString updateArtifactTitle = QStringLiteral("Update Available");
} // namespace

UpdateNotice::UpdateNotice(Services services, ArtifactListModel& artifacts, QObject* parent)
    : QObject(parent), services_(std::move(services)), artifacts_(artifacts) {}

void UpdateNotice::removeArtifacts() {
    artifacts_.removeIf([](const Artifact& artifact) { return artifact.kind == ArtifactKind::update; });
}

void UpdateNotice::check() {
    if (!services_.updates) {
        return;
    }
    const ProductConfiguration configuration =
        services_.configuration ? services_.configuration() : ProductConfiguration::current();
    QPointer<UpdateNotice> self(this);
    isChecking_ = true;
    services_.updates->availableUpdate(configuration, [self](const ProductUpdateService::UpdateResult& result) {
        if (!self) {
            return;
        }
        self->isChecking_ = false;
        const auto finished = qScopeGuard([&] { emit self->checkFinished(); });
        if (!result.ok() || !result.value()) {
            return;
        }
        const ProductUpdate& update = *result.value();
        if (self->dismissedVersion_ && *self->dismissedVersion_ == update.latestVersion) {
            return;
        }
        self->show(update);
    });
}

void UpdateNotice::show(const ProductUpdate& update) {
    activeUpdate_ = update;
    emit activeUpdateChanged();
    QString body =
        QStringLiteral("A newer version of Orbix is available.\n\nLatest version: ") + update.latestVersion;
    if (update.mode == ProductUpdateMode::required) {
        body += QStringLiteral("\n\nThis update is required before continuing.");
    }
    body += QStringLiteral("\n\n") + update.releaseNotes;
    removeArtifacts();
    const Artifact notice =
        Artifact::make(ArtifactKind::update, updateArtifactTitle, ArtifactStatus::ready, body);
    artifacts_.append(notice);
    emit shown(notice.id);
}

void UpdateNotice::dismiss() {
    if (activeUpdate_) {
        dismissedVersion_ = activeUpdate_->latestVersion;
    }
    activeUpdate_.reset();
    emit activeUpdateChanged();
    removeArtifacts();
    emit dismissed();
}

void UpdateNotice::download() {
    if (activeUpdate_ && services_.workspace) {
        services_.workspace->openUrl(activeUpdate_->downloadURL);
    }
}

} // namespace orbix
