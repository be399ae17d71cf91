#pragma once
// One artifact as a document: the update notice for update artifacts; otherwise a header row (kind
// symbol, kind label, status capsule), the title and the Markdown body.

#include "core/ConversationRecords.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace orbix {
class AppModel;
}

namespace orbix::views {

class MarkdownContentView;
class UpdateArtifactView;

class ArtifactDetailView : public QWidget {
    Q_OBJECT
public:
    ArtifactDetailView(AppModel& model, const Artifact& artifact, QWidget* parent = nullptr);

    const Artifact& artifact() const { return artifact_; }
    // Exactly one of these is set, by the artifact's kind.
    UpdateArtifactView* updateView() const { return updateView_; }
    MarkdownContentView* markdownView() const { return markdownView_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColors();
    // Apply and Cancel under the preview of a tray batch that waits for its answer.
    void addBatchButtons(AppModel& model, QVBoxLayout& column);

    Artifact artifact_;
    UpdateArtifactView* updateView_ = nullptr;
    MarkdownContentView* markdownView_ = nullptr;
    QList<QLabel*> secondaryLabels_;
};

} // namespace orbix::views
