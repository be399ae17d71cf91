#pragma once
// One tile of the photo tray: the picture cropped to a rounded square (a shimmer while it loads, the photo
// symbol when the file is not a picture), the marks Capture One holds for it (stars, pick flag, colour tag)
// along its bottom, a selection border and check mark, and a small remove button.
// Tiles are painted by the tray grid, which calls `removeAction` for a click on the remove button.

#include "captureone/PhotoMarks.h"
#include "core/ConversationRecords.h"

#include <QImage>
#include <QRectF>
#include <functional>
#include <optional>

class QPainter;
class QPalette;

namespace orbix::views {

struct ImportedPhotoThumbnail {
    static constexpr int kSide = 64;

    ImportedPhotoAsset photo;
    bool isSelected = false;
    std::function<void()> removeAction;

    // The remove button inside a tile.
    static QRectF removeButtonRect(const QRectF& tile);

    enum class Hover { none, tile, removeButton };

    // What the tile shows besides its picture.
    struct Look {
        Hover hover = Hover::none;
        // Capture One's marks for the photo; none when it holds no variant of the file.
        std::optional<PhotoMarks> marks;
        // Where the loading shimmer's band is, 0 to 1 across the tile.
        qreal loadingPhase = 0;
    };

    // `picture` is absent while loading and null when the file cannot be read as a picture. The remove
    // button shows while the pointer is over the tile, so a full tray does not read as a wall of buttons.
    void paint(QPainter& painter, const QRectF& tile, const std::optional<QImage>& picture, const Look& look,
               const QPalette& palette) const;

    // The ring around the tile that has the keyboard focus, kept inside `bounds`.
    static void paintFocusRing(QPainter& painter, const QRectF& tile, const QRectF& bounds,
                               const QPalette& palette);

    // The colour of a Capture One colour tag (1 red … 7 purple); invalid for none.
    static QColor colorTagColor(int tag);
};

} // namespace orbix::views
