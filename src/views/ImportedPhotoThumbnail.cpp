#include "views/ImportedPhotoThumbnail.h"

#include "views/Symbols.h"
#include "views/ViewPalette.h"

#include <QHash>
#include <QLinearGradient>
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
// The marks strip along the bottom: a soft shade so white stars read on any picture.
constexpr qreal kMarksStripHeight = 17;
constexpr qreal kStarSize = 10;
constexpr qreal kStarPitch = 9;
constexpr qreal kFlagSize = 11;
constexpr qreal kTagDiameter = 8;
constexpr qreal kShimmerBandWidth = 0.35;
// Capture One's colour tags in scripting order, 1 to 7.
constexpr QRgb kColorTags[] = {0xffe5484d, 0xfff08c2e, 0xffe8c93a, 0xff46a758,
                               0xff3e7bd6, 0xffe0609e, 0xff8e5ad0};

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

// A band of light sweeping across an empty tile: the picture is on its way.
void paintLoadingShimmer(QPainter& painter, const QPainterPath& shape, const QRectF& tile, qreal phase,
                         const QPalette& palette) {
    const QColor base = namedColor(NamedColor::ControlBackground, palette);
    QColor light = base.lightnessF() < 0.5 ? base.lighter(135) : base.darker(108);
    painter.fillPath(shape, base);
    const qreal travel = tile.width() * (1 + 2 * kShimmerBandWidth);
    const qreal centre = tile.left() - tile.width() * kShimmerBandWidth + travel * phase;
    QLinearGradient band(QPointF(centre - tile.width() * kShimmerBandWidth, tile.top()),
                         QPointF(centre + tile.width() * kShimmerBandWidth, tile.bottom()));
    QColor clear = light;
    clear.setAlpha(0);
    band.setColorAt(0, clear);
    band.setColorAt(0.5, light);
    band.setColorAt(1, clear);
    painter.fillPath(shape, band);
}

void paintMarks(QPainter& painter, const QPainterPath& shape, const QRectF& tile, const PhotoMarks& marks) {
    const bool hasTag = ImportedPhotoThumbnail::colorTagColor(marks.colorTag).isValid();
    if (marks.rating <= 0 && !marks.pick && !hasTag) {
        return;
    }
    const QRectF strip(tile.left(), tile.bottom() - kMarksStripHeight, tile.width(), kMarksStripHeight);
    painter.save();
    painter.setClipPath(shape);
    QLinearGradient shade(strip.topLeft(), strip.bottomLeft());
    shade.setColorAt(0, QColor(0, 0, 0, 0));
    shade.setColorAt(1, QColor(0, 0, 0, 150));
    painter.fillRect(strip, shade);
    painter.restore();

    const qreal middle = strip.center().y() + 1;
    constexpr int maximumStars = 5;
    for (int star = 0; star < qMin(marks.rating, maximumStars); ++star) {
        const QRectF box(strip.left() + 3 + star * kStarPitch, middle - kStarSize / 2, kStarSize, kStarSize);
        paintSymbol(painter, box, u"star.fill", Qt::white, kStarSize);
    }
    qreal right = strip.right() - 3;
    if (hasTag) {
        const QRectF dot(right - kTagDiameter, middle - kTagDiameter / 2, kTagDiameter, kTagDiameter);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(ImportedPhotoThumbnail::colorTagColor(marks.colorTag));
        painter.drawEllipse(dot);
        right = dot.left() - 2;
    }
    if (marks.pick) {
        paintSymbol(painter, QRectF(right - kFlagSize, middle - kFlagSize / 2, kFlagSize, kFlagSize),
                    u"flag.fill", Qt::white, kFlagSize);
    }
}

} // namespace

QColor ImportedPhotoThumbnail::colorTagColor(int tag) {
    if (tag < 1 || tag > int(std::size(kColorTags))) {
        return QColor();
    }
    return QColor::fromRgba(kColorTags[tag - 1]);
}

QRectF ImportedPhotoThumbnail::removeButtonRect(const QRectF& tile) {
    // Top-leading, so it never covers the check mark in the top-trailing corner.
    return QRectF(tile.left() + kBadgeInset, tile.top() + kBadgeInset, kRemoveSymbolSize + 2,
                  kRemoveSymbolSize + 2);
}

void ImportedPhotoThumbnail::paint(QPainter& painter, const QRectF& tile, const std::optional<QImage>& picture,
                                   const Look& look, const QPalette& palette) const {
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
    } else if (!picture) {
        paintLoadingShimmer(painter, shape, tile, look.loadingPhase, palette);
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

    if (look.marks) {
        paintMarks(painter, shape, tile, *look.marks);
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

    if (look.hover == Hover::none) {
        painter.restore();
        return;
    }
    const QRectF remove = removeButtonRect(tile);
    const qreal opacity = look.hover == Hover::removeButton ? 0.9 : kRemoveBackgroundOpacity;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, qRound(255 * opacity)));
    painter.drawEllipse(remove.adjusted(1.5, 1.5, -1.5, -1.5));
    paintSymbol(painter, remove, u"xmark.circle.fill", Qt::white, kRemoveSymbolSize);
    painter.restore();
}

void ImportedPhotoThumbnail::paintFocusRing(QPainter& painter, const QRectF& tile, const QRectF& bounds,
                                            const QPalette& palette) {
    constexpr qreal gap = 3;
    constexpr qreal width = 2;
    const QRectF ring =
        tile.adjusted(-gap, -gap, gap, gap) & bounds.adjusted(width / 2, width / 2, -width / 2, -width / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(namedColor(NamedColor::Accent, palette), width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(ring, kCornerRadius + gap, kCornerRadius + gap);
    painter.restore();
}

} // namespace orbix::views
