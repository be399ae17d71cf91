#include "views/ContentView.h"

#include "model/AppIntentRouter.h"
#include "model/AppModel.h"
#include "views/ArtifactInspectorView.h"
#include "views/ConversationWorkspaceView.h"
#include "views/FolderChooserDialog.h"
#include "views/PromptComposerView.h"
#include "views/PromptTextField.h"
#include "views/Symbols.h"
#include "views/ViewPalette.h"
#include "views/WindowMenus.h"
#include "views/WindowPresenter.h"

#include <QAction>
#include <QEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>

namespace orbix::views {
namespace {

constexpr int kToolbarSymbolSize = 18;
// The inspector's share of the window when it opens.
constexpr int kInitialInspectorWidth = 420;
constexpr int kMinimumInspectorWidth = 320;

} // namespace

ContentView::ContentView(AppModel& model, AppIntentRouter& router, QWidget* parent)
    : QMainWindow(parent), model_(model), router_(router) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Orbix"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    workspace_ = new ConversationWorkspaceView(model_, this);
    inspector_ = new ArtifactInspectorView(model_, this);
    inspector_->setMinimumWidth(kMinimumInspectorWidth);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("windowSplitter"));
    splitter_->setChildrenCollapsible(false);
    splitter_->setHandleWidth(1);
    splitter_->addWidget(workspace_);
    splitter_->addWidget(inspector_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({kMinimumWidth - kInitialInspectorWidth, kInitialInspectorWidth});
    setCentralWidget(splitter_);

    QToolBar* toolbar = addToolBar(QStringLiteral("Window"));
    toolbar->setObjectName(QStringLiteral("windowToolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    toolbar->setIconSize(QSize(kToolbarSymbolSize, kToolbarSymbolSize));
    // The toggle sits at the trailing edge, above the inspector it controls.
    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    artifactToggle_ = toolbar->addAction(QString());
    artifactToggle_->setObjectName(QStringLiteral("artifactToggle"));
    connect(artifactToggle_, &QAction::triggered, this, [this] { setArtifactVisible(!isArtifactVisible_); });

    installWindowMenus(*menuBar(), model_, *this, [this] { emit settingsRequested(); });
    model_.setFolderChooser(makeFolderChooserDialog(this));
    presenter_ = std::make_unique<WindowPresenter>(*this);
    model_.setPresenter(presenter_.get());
    updateArtifactToggle();
}

ContentView::~ContentView() {
    // The model outlives the window; its chooser and presenter must not reach a window that is gone.
    model_.setFolderChooser({});
    model_.setPresenter(nullptr);
}

void ContentView::setArtifactVisible(bool visible) {
    if (visible == isArtifactVisible_) {
        return;
    }
    isArtifactVisible_ = visible;
    // The splitter hides its handle (the divider) along with the hidden pane.
    inspector_->setVisible(visible);
    updateArtifactToggle();
}

void ContentView::updateArtifactToggle() {
    const QColor color = views::namedColor(views::NamedColor::Primary, palette());
    if (isArtifactVisible_) {
        artifactToggle_->setIcon(
            views::symbolIcon(u"arrow.down.right.and.arrow.up.left", color, kToolbarSymbolSize));
        artifactToggle_->setText(QStringLiteral("Collapse Artifact"));
        artifactToggle_->setToolTip(QStringLiteral("Collapse Artifact"));
    } else {
        artifactToggle_->setIcon(
            views::symbolIcon(u"arrow.up.left.and.arrow.down.right", color, kToolbarSymbolSize));
        artifactToggle_->setText(QStringLiteral("Expand Artifact"));
        artifactToggle_->setToolTip(QStringLiteral("Expand Artifact"));
    }
}

void ContentView::bringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void ContentView::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (hasBeenShown_) {
        return;
    }
    hasBeenShown_ = true;
    // Typing is the first thing most people do: the prompt field has the focus when the window opens.
    workspace_->composer()->textField()->setFocus(Qt::OtherFocusReason);
    model_.startWakeWordListeningWhenReady();
    // A route left before the window existed (or before it was shown) is applied now; later ones as
    // they arrive.
    applyPendingRoute();
    connect(&router_, &AppIntentRouter::pendingRouteChanged, this, &ContentView::applyPendingRoute);
}

void ContentView::applyPendingRoute() {
    if (const auto& route = router_.pendingRoute()) {
        model_.applyIntentRoute(*route);
    }
}

void ContentView::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        updateArtifactToggle();
    }
}

} // namespace orbix::views
