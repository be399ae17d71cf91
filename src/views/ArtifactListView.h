#pragma once
// The session's artifacts, newest first (title, kind, status and time), above the inspector's document:
// clicking or keyboard-selecting one shows it. It remembers the artifacts shown in turn, so Back and
// Forward (Alt+Left, Alt+Right) walk that history. Rebuilt from the model on every change of its list.

#include <QList>
#include <QListWidget>
#include <QUuid>

class QAction;

namespace orbix {

class AppModel;
struct Artifact;

namespace views {

class ArtifactListView : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kVisibleRows = 4;
    static constexpr int kRowPadding = 24;
    static constexpr int kListPadding = 4;

    explicit ArtifactListView(AppModel& model, QWidget* parent = nullptr);

    // One row's text: "Title · kind · status · 14:05".
    static QString rowText(const Artifact& artifact);

    QAction* backAction() const { return back_; }
    QAction* forwardAction() const { return forward_; }

    QSize sizeHint() const override;

private:
    void rebuild();
    void followSelection();
    void step(int direction);

    AppModel& model_;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    // The artifacts shown in turn; `position_` is the one on display.
    QList<QUuid> history_;
    qsizetype position_ = -1;
    bool isRebuilding_ = false;
};

} // namespace views

using views::ArtifactListView;

} // namespace orbix
