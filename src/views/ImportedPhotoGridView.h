#pragma once
// The photo tray: the caption "Imported Photos" above a grid of 64-pixel tiles whose column count
// adapts to the width. Tiles are painted, not widgets, so a tray of thousands of photos lays out and
// scrolls at once; only visible tiles ask for their thumbnails.
//
// Keyboard: arrows (and Home/End) move the focused tile and select it alone, with Shift they select the range
// from the anchor, with Ctrl they only move; Space toggles the focused photo; Ctrl+A and Ctrl+Shift+A select
// all and none; Delete or Backspace removes the selected photos (or the focused one) from the tray.
//
// The caption counts the photos and the selection. An import that leaves more than kFoldAbove photos collapses
// the tray to its first row, so a reply below it stays in sight; "Show All" in the caption (or Return)
// opens it again, and so does moving the focus past the first row.

#include "views/ImportedPhotoThumbnail.h"

#include <QAccessible>
#include <QHash>
#include <QList>
#include <QTimer>
#include <QWidget>

namespace orbix {
class AppModel;
}

namespace orbix::views {

class ThumbnailLoader;

class ImportedPhotoGridView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellSpacing = 10;
    // Three rows at the pane's usual width.
    static constexpr int kFoldAbove = 15;

    explicit ImportedPhotoGridView(AppModel& model, QWidget* parent = nullptr);
    ~ImportedPhotoGridView() override;

    // The number of columns at a width: cells at least one tile wide, kCellSpacing apart.
    static int columns(int width);

    const QList<ImportedPhotoThumbnail>& thumbnails() const { return thumbnails_; }
    // The tile of the photo at this tray index, in widget coordinates.
    QRectF tileRect(int index) const;
    ThumbnailLoader& loader() const { return *loader_; }
    // What a click on the tile does: selects the photo alone, with Ctrl toggles it, with Shift selects the
    // photos from the anchor (the photo last clicked or toggled) to it. The tile takes the keyboard focus.
    void activate(int index, Qt::KeyboardModifiers modifiers);
    // The tile the keyboard acts on; -1 while there is none.
    int focusedIndex() const { return indexOf(focusedPhotoID_); }

    bool isCollapsed() const { return collapsed_; }
    // How many tiles show: all, or the first row while collapsed.
    int shownCount() const;
    void setCollapsed(bool collapsed);
    // "Imported Photos · 2,000 · 3 selected".
    QString captionText() const;
    // Where the caption's Show All / Show Less toggle is; empty while the tray is empty.
    QRect toggleRect() const;

    // The tooltip at a point: the remove button's, the photo's name on a tile, or nothing.
    QString toolTipAt(const QPointF& position) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class ImportedPhotoGridAccessible;

    struct Hit {
        int index = -1;
        bool onRemoveButton = false;
        friend bool operator==(const Hit&, const Hit&) = default;
    };

    ImportedPhotoThumbnail makeThumbnail(const ImportedPhotoAsset& photo);
    void rebuildThumbnails();
    // The tray's rows from `first` to `last` arrived or left.
    void insertThumbnails(int first, int last);
    void removeThumbnails(int first, int last);
    // Tiles moved to other places: hover, press and the accessible tiles start again.
    void tilesMoved();
    void refreshSelection();
    int indexOf(const QUuid& photoID) const;
    // Moves the keyboard focus to the tile, brings it into sight and tells screen readers.
    void setFocusedIndex(int index);
    // The tile an arrow, Home or End key leads to from the focused one; -1 for other keys.
    int keyTarget(int key) const;
    // Removes the selected photos, or the focused one when none is selected; focus goes to the next tile.
    void removeSelectedOrFocused();
    // Keys the tray keeps from the window's shortcuts while it has the focus (Select All, None, Delete).
    static bool isTrayShortcut(const QKeyEvent& key);
    void announce(QAccessible::Event type, int index);
    Hit hitAt(const QPointF& position) const;
    int captionHeight() const;
    QFont captionFont() const;

    AppModel& model_;
    ThumbnailLoader* loader_ = nullptr;
    QList<ImportedPhotoThumbnail> thumbnails_;
    Hit pressed_;
    QUuid focusedPhotoID_;
    // Where a Shift range starts.
    QUuid anchorPhotoID_;
    bool collapsed_ = false;
    // Accessible interfaces of the tiles by index, made on demand; they go when the tiles change.
    QHash<int, QAccessible::Id> accessibleTileIds_;
    void dropAccessibleTiles();
    Hit hovered_;
    QTimer shimmerTimer_;
    qreal loadingPhase_ = 0;
};

} // namespace orbix::views
