#include "views/ImportedPhotoThumbnail.h"

#include "views/Symbols.h"
#include "views/ViewPalette.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace orbix::views {
namespace {

constexpr qreal kCornerRadius = 6;
constexpr qreal kPlaceholderSymbolSize = 22;
constexpr qreal kCheckmarkSize = 17;
constexpr qreal kRemoveSymbolSize = 15;
constexpr qreal kBadgeInset = 3;
constexpr qreal kUnselectedBorderOpacity = 0.22;
constexpr qreal kRemoveBackgroundOpacity = 0.72;

} // namespace

QRectF ImportedPhotoThumbnail::removeButtonRect(const QRectF& tile) {
    // Top-leading, so it never covers the check mark in the top-trailing corner.
    return QRectF(tile.left() + kBadgeInset, tile.top() + kBadgeInset, kRemoveSymbolSize + 2,
                  kRemoveSymbolSize + 2);
}

void ImportedPhotoThumbnail::paint(QPainter& painter, const QRectF& tile, const std::optional<QImage>& picture,
                                   Hover hover, const QPalette& palette) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    QPainterPath shape;
    shape.addRoundedRect(tile, kCornerRadius, kCornerRadius);
    if (picture && !picture->isNull()) {
        painter.save();
        painter.setClipPath(shape);
        painter.drawImage(tile, *picture);
        painter.restore();
    } else {
        painter.fillPath(shape, namedColor(NamedColor::ControlBackground, palette));
        paintSymbol(painter, tile, u"photo", namedColor(NamedColor::Secondary, palette),
                    kPlaceholderSymbolSize);
    }

    if (isSelected) {
        const qreal width = 2;
        painter.setPen(QPen(namedColor(NamedColor::Accent, palette), width));
        painter.setBrush(Qt::NoBrush);
        const QRectF inner = tile.adjusted(width / 2, width / 2, -width / 2, -width / 2);
        painter.drawRoundedRect(inner, kCornerRadius - width / 2, kCornerRadius - width / 2);

        // White disc behind the glyph so the mark reads on light and dark pictures alike.
        const QRectF mark(tile.right() - kBadgeInset - kCheckmarkSize - 1, tile.top() + kBadgeInset,
                          kCheckmarkSize + 2, kCheckmarkSize + 2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(mark.adjusted(2.5, 2.5, -2.5, -2.5));
        paintSymbol(painter, mark, u"checkmark.circle.fill", namedColor(NamedColor::Accent, palette),
                    kCheckmarkSize);
    } else {
        QColor border = namedColor(NamedColor::Secondary, palette);
        border.setAlphaF(border.alphaF() * kUnselectedBorderOpacity);
        painter.setPen(QPen(border, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
    }

    if (hover == Hover::none) {
        painter.restore();
        return;
    }
    const QRectF remove = removeButtonRect(tile);
    painter.setPen(Qt::NoPen);
    const qreal opacity = hover == Hover::removeButton ? 0.9 : kRemoveBackgroundOpacity;
    painter.setBrush(QColor(0, 0, 0, qRound(255 * opacity)));
    painter.drawEllipse(remove.adjusted(1.5, 1.5, -1.5, -1.5));
    paintSymbol(painter, remove, u"xmark.circle.fill", Qt::white, kRemoveSymbolSize);
    painter.restore();
}

} // namespace orbix::views
