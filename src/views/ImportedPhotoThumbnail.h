#pragma once
// One tile of the photo tray: the picture cropped to a rounded square (or the photo symbol while it loads
// or when the file is not a picture), a selection border and check mark, and a small remove button.
// Tiles are painted by the tray grid, which calls `action` for a click on the tile and `removeAction`
// for a click on the remove button.

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
    std::function<void()> action;

    // The remove button inside a tile.
    static QRectF removeButtonRect(const QRectF& tile);

    enum class Hover { none, tile, removeButton };

    // `picture` is absent while loading and null when the file cannot be read as a picture. The remove
    // button shows while the pointer is over the tile, so a full tray does not read as a wall of buttons.
    void paint(QPainter& painter, const QRectF& tile, const std::optional<QImage>& picture, Hover hover,
               const QPalette& palette) const;
};

} // namespace orbix::views
