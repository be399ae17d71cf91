#pragma once
// The update notice: asks the update service whether a newer version exists, keeps at most one "Update
// Available" artifact in the session's list, remembers the version the user put off with "Later" and opens
// the download page. Main thread only; the service answers through a completion on that thread.

#include "model/ArtifactListModel.h"
#include "services/ProductConfiguration.h"
#include "services/ProductUpdateService.h"

#include <QObject>
#include <functional>
#include <optional>

namespace orbix {

class Workspace;

class UpdateNotice : public QObject {
    Q_OBJECT
public:
    struct Services {
        // Without it there is never a notice.
        const ProductUpdateService* updates = nullptr;
        // The configuration the check reads; ProductConfiguration::current() when empty.
        std::function<ProductConfiguration()> configuration;
        // Opens the download page; without it "Download Update" does nothing.
        Workspace* workspace = nullptr;
    };

    UpdateNotice(Services services, ArtifactListModel& artifacts, QObject* parent = nullptr);

    const std::optional<ProductUpdate>& activeUpdate() const { return activeUpdate_; }
    // Whether a check is waiting for its answer (bounded by the service's request time-out).
    bool isChecking() const { return isChecking_; }

    // Every failure of the check is silent, and so is a version put off before.
    void check();
    // Puts the notice's artifact in place of any earlier one.
    void show(const ProductUpdate& update);
    // "Later": the notice goes, and this version is not offered again in this run.
    void dismiss();
    void download();

signals:
    void activeUpdateChanged();
    // After the notice (if any) is in place, so a waiting reader sees it.
    void checkFinished();
    // The notice's artifact is in the list, for the model to show.
    void shown(const QUuid& artifactID);
    // The notice's artifact has left the list.
    void dismissed();

private:
    void removeArtifacts();

    Services services_;
    ArtifactListModel& artifacts_;
    std::optional<ProductUpdate> activeUpdate_;
    std::optional<QString> dismissedVersion_;
    bool isChecking_ = false;
};

} // namespace orbix
