#pragma once
// The right-hand pane of the main window: a header naming what is on display, the tray of imported
// photos, then one document (the selected artifact or, when none is selected, the latest assistant
// reply). The pane keeps no state of its own: it follows the model's change signals.

#include "core/ConversationRecords.h"

#include <QWidget>
#include <optional>

class QLabel;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace orbix {

class AppModel;

namespace views {

class ArtifactListView;
class ImportedPhotoGridView;

class ArtifactInspectorView : public QWidget {
    Q_OBJECT
public:
    explicit ArtifactInspectorView(AppModel& model, QWidget* parent = nullptr);

    // The header title: "Waiting for Response" when cleared, the selected artifact's title, "Realtime
    // Output" while showing the latest reply, otherwise "Waiting for Response".
    static QString headerTitle(const AppModel& model);
    // The last assistant message of the conversation, searching from the end.
    static std::optional<ConversationMessage> latestAssistantMessage(const AppModel& model);

    // The document on display (an ArtifactDetailView or a MessageArtifactView), or null.
    QWidget* documentWidget() const { return document_; }
    QToolButton* clearButton() const { return clearButton_; }
    QLabel* titleLabel() const { return title_; }
    ImportedPhotoGridView* photoGrid() const { return grid_; }
    ArtifactListView* artifactList() const { return artifactList_; }
    QScrollArea* scrollArea() const { return scrollArea_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void clearArtifact();
    void updateHeader();
    void updateTray();
    void updateDocument();
    void applyColors();

    AppModel& model_;
    QLabel* caption_ = nullptr;
    QLabel* title_ = nullptr;
    QToolButton* clearButton_ = nullptr;
    QWidget* divider_ = nullptr;
    ArtifactListView* artifactList_ = nullptr;
    QWidget* listDivider_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QVBoxLayout* column_ = nullptr;
    ImportedPhotoGridView* grid_ = nullptr;
    QWidget* document_ = nullptr;
    // What the current document shows, so that changes elsewhere in the model neither rebuild it nor
    // drop the user's text selection.
    QString documentKey_;
};

} // namespace views

using views::ArtifactInspectorView;

} // namespace orbix
