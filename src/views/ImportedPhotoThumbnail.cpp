#include "views/ImportedPhotoThumbnail.h"

#include "views/Symbols.h"
#include "views/ViewPalette.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace orbix::views {
namespace {

constexpr qreal kCornerRadius = 6;
constexpr qreal kPlaceholderSymbolSize = 22;
constexpr qreal kCheckmarkSize = 17;
constexpr qreal kRemoveSymbolSize = 15;
constexpr qreal kBadgeInset = 3;
constexpr qreal kUnselectedBorderOpacity = 0.22;
constexpr qreal kRemoveBackgroundOpacity = 0.72;

// Pictures drawn once and reused for every tile: text layout of a symbol per tile costs more than the
// whole tile otherwise, and a tray can show a hundred placeholders at once. GUI thread only.
template <typename Draw>
const QPixmap& cachedPixmap(const QString& key, QSizeF size, qreal ratio, Draw draw) {
    static QHash<QString, QPixmap> cache;
    const QString fullKey = key + QLatin1Char('@') + QString::number(ratio);
    auto found = cache.find(fullKey);
    if (found == cache.end()) {
        QPixmap pixmap((size * ratio).toSize());
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, QRectF(QPointF(0, 0), size));
        painter.end();
        found = cache.insert(fullKey, pixmap);
    }
    return *found;
}

QString colorKey(const QColor& color) {
    return QString::number(color.rgba(), 16);
}

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
        const QColor background = namedColor(NamedColor::ControlBackground, palette);
        const QColor symbol = namedColor(NamedColor::Secondary, palette);
        const QString key = QStringLiteral("placeholder:") + colorKey(background) + colorKey(symbol);
        const QPixmap& placeholder = cachedPixmap(
            key, tile.size(), painter.device()->devicePixelRatioF(), [&](QPainter& p, const QRectF& area) {
                QPainterPath rounded;
                rounded.addRoundedRect(area, kCornerRadius, kCornerRadius);
                p.fillPath(rounded, background);
                paintSymbol(p, area, u"photo", symbol, kPlaceholderSymbolSize);
            });
        painter.drawPixmap(tile.topLeft(), placeholder);
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
        const QColor accent = namedColor(NamedColor::Accent, palette);
        const QPixmap& badge =
            cachedPixmap(QStringLiteral("check:") + colorKey(accent), mark.size(),
                         painter.device()->devicePixelRatioF(), [&](QPainter& p, const QRectF& area) {
                             p.setPen(Qt::NoPen);
                             p.setBrush(Qt::white);
                             p.drawEllipse(area.adjusted(2.5, 2.5, -2.5, -2.5));
                             paintSymbol(p, area, u"checkmark.circle.fill", accent, kCheckmarkSize);
                         });
        painter.drawPixmap(mark.topLeft(), badge);
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
    const qreal opacity = hover == Hover::removeButton ? 0.9 : kRemoveBackgroundOpacity;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, qRound(255 * opacity)));
    painter.drawEllipse(remove.adjusted(1.5, 1.5, -1.5, -1.5));
    paintSymbol(painter, remove, u"xmark.circle.fill", Qt::white, kRemoveSymbolSize);
    painter.restore();
}

} // namespace orbix::views
