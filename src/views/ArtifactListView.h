#pragma once
// The session's artifacts, newest first (title, kind, status and time), above the inspector's document:
// clicking or keyboard-selecting one shows it. It remembers the artifacts shown in turn, so Back and
// Forward (Alt+Left, Alt+Right) walk that history. A view of the model's artifact list: a new artifact
// adds a row and a changed one repaints its own.

#include <QList>
#include <QListView>
#include <QUuid>

class QAction;
class QSortFilterProxyModel;

namespace orbix {

class AppModel;
struct Artifact;

namespace views {

class ArtifactListView : public QListView {
    Q_OBJECT
public:
    static constexpr int kVisibleRows = 4;
    static constexpr int kRowPadding = 24;
    static constexpr int kListPadding = 4;

    explicit ArtifactListView(AppModel& model, QWidget* parent = nullptr);

    // One row's text: "Title · kind · status · 14:05".
    static QString rowText(const Artifact& artifact);
    // The symbol beside a row, by the artifact's kind.
    static QStringView kindSymbol(const Artifact& artifact);

    QAction* backAction() const { return back_; }
    QAction* forwardAction() const { return forward_; }

    QSize sizeHint() const override;

private:
    // Shown only while the session has artifacts, as tall as its rows up to kVisibleRows.
    void fitToRows();
    void followSelection();
    void step(int direction);

    AppModel& model_;
    QSortFilterProxyModel* newestFirst_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    // The artifacts shown in turn; `position_` is the one on display.
    QList<QUuid> history_;
    qsizetype position_ = -1;
    // Set while the list follows the model's selection, so that following does not select again.
    bool isFollowing_ = false;
};

} // namespace views

using views::ArtifactListView;

} // namespace orbix
