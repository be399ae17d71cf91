#pragma once
// The update notice: symbol, title, the release text and the buttons "Download Update" and (unless the
// update is required) "Later", both calling the model's update operations.

#include "core/ConversationRecords.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace orbix {
class AppModel;
}

namespace orbix::views {

class UpdateArtifactView : public QWidget {
    Q_OBJECT
public:
    UpdateArtifactView(AppModel& model, const Artifact& artifact, QWidget* parent = nullptr);

    QPushButton* downloadButton() const { return download_; }
    // Null while the active update is required.
    QPushButton* laterButton() const { return later_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateLaterButton();
    void applyColors();

    AppModel& model_;
    QLabel* symbol_ = nullptr;
    QLabel* body_ = nullptr;
    QPushButton* download_ = nullptr;
    QPushButton* later_ = nullptr;
};

} // namespace orbix::views
