#pragma once
// The main window: the conversation workspace stretched on the left and, while shown, the artifact
// inspector on the right, with a toolbar button that collapses or expands the inspector. Applies the
// routes left in the intent router: the pending one when first shown, then every new one.

#include <QMainWindow>
#include <memory>

class QAction;
class QSplitter;

namespace orbix {
class AppIntentRouter;
class AppModel;
} // namespace orbix

namespace orbix::views {

class ArtifactInspectorView;
class ConversationWorkspaceView;
class WindowPresenter;

class ContentView : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 1120;
    static constexpr int kMinimumHeight = 720;

    // Applies the routes that outside requests leave on `router` (which must outlive the window).
    ContentView(AppModel& model, AppIntentRouter& router, QWidget* parent = nullptr);
    ~ContentView() override;

    bool isArtifactVisible() const { return isArtifactVisible_; }
    void setArtifactVisible(bool visible);

    ConversationWorkspaceView* workspace() const { return workspace_; }
    ArtifactInspectorView* inspector() const { return inspector_; }
    QAction* artifactToggle() const { return artifactToggle_; }
    // Brings the windows forward and shows alerts for the model while this window exists.
    WindowPresenter* presenter() const { return presenter_.get(); }

    // Shows the window, restores it when minimised and brings it in front of the others.
    void bringToFront();

signals:
    // File → Settings…: the application shell owns the settings window.
    void settingsRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyPendingRoute();
    void updateArtifactToggle();

    AppModel& model_;
    AppIntentRouter& router_;
    ConversationWorkspaceView* workspace_ = nullptr;
    ArtifactInspectorView* inspector_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QAction* artifactToggle_ = nullptr;
    bool isArtifactVisible_ = true;
    bool hasBeenShown_ = false;
    std::unique_ptr<WindowPresenter> presenter_;
};

} // namespace orbix::views
