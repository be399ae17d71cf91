#include "views/ImportedPhotoGridView.h"

#include "core/TextRules.h"
#include "model/AppModel.h"
#include "views/ImportedPhotoGridAccessible.h"
#include "views/InspectorStyle.h"
#include "views/ThumbnailLoader.h"
#include "views/ViewPalette.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QtMath>
#include <cmath>

namespace orbix::views {
namespace {

constexpr int kTile = ImportedPhotoThumbnail::kSide;
constexpr int kCaptionGap = 8;
const char* const kCaption = "Imported Photos";
const QString showAllText = QStringLiteral("Show All");
const QString showLessText = QStringLiteral("Show Less");
const QString unreadableFileText = QStringLiteral("Can’t read this file");
// The loading shimmer: a frame every 40 ms, one sweep across a tile in 1.2 s.
constexpr int kShimmerFrameMilliseconds = 40;
constexpr qreal kShimmerStep = 1.0 / 30;
// More changed tiles than this are announced as one change of the selection, not tile by tile.
constexpr int kAnnouncedTileChanges = 32;

} // namespace

ImportedPhotoGridView::ImportedPhotoGridView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    // Before anything that may create this widget's accessible interface (setting its name does when
    // accessibility is active): the interface is cached for the widget's lifetime.
    installImportedPhotoGridAccessibility();
    setObjectName(QStringLiteral("importedPhotoGrid"));
    setAccessibleName(QString::fromLatin1(kCaption));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Not Fixed: a fixed height would be the size hint's, taken at a width of four columns, whatever the real
    // width.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    loader_ = new ThumbnailLoader(qCeil(kTile * qApp->devicePixelRatio()), this);
    connect(loader_, &ThumbnailLoader::thumbnailsReady, this, qOverload<>(&QWidget::update));
    // Tiles come and go with the tray's rows; the thumbnails already made stay.
    const PhotoTrayModel* tray = &model_.photoTrayModel();
    connect(tray, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { insertThumbnails(first, last); });
    connect(tray, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { removeThumbnails(first, last); });
    connect(tray, &QAbstractItemModel::modelReset, this, &ImportedPhotoGridView::rebuildThumbnails);
    connect(&model_, &AppModel::selectedImportedPhotoIDsChanged, this,
            &ImportedPhotoGridView::refreshSelection);
    connect(&model_, &AppModel::importedPhotoMarksChanged, this, qOverload<>(&QWidget::update));
    shimmerTimer_.setInterval(kShimmerFrameMilliseconds);
    connect(&shimmerTimer_, &QTimer::timeout, this, [this] {
        loadingPhase_ = std::fmod(loadingPhase_ + kShimmerStep, 1.0);
        update();
    });
    rebuildThumbnails();
}

ImportedPhotoGridView::~ImportedPhotoGridView() {
    dropAccessibleTiles();
}

void ImportedPhotoGridView::dropAccessibleTiles() {
    for (const QAccessible::Id id : std::as_const(accessibleTileIds_)) {
        QAccessible::deleteAccessibleInterface(id);
    }
    accessibleTileIds_.clear();
}

int ImportedPhotoGridView::columns(int width) {
    return qMax(1, (width + kCellSpacing) / (kTile + kCellSpacing));
}

QFont ImportedPhotoGridView::captionFont() const {
    return textStyleFont(TextStyle::Caption, QFont::Bold, QApplication::font());
}

int ImportedPhotoGridView::captionHeight() const {
    return QFontMetrics(captionFont()).height();
}

int ImportedPhotoGridView::shownCount() const {
    const int count = int(thumbnails_.size());
    return collapsed_ ? qMin(count, columns(width())) : count;
}

int ImportedPhotoGridView::heightForWidth(int width) const {
    const int count = collapsed_ ? qMin(int(thumbnails_.size()), columns(width)) : int(thumbnails_.size());
    const int rows = count == 0 ? 0 : (count + columns(width) - 1) / columns(width);
    const int grid = rows == 0 ? 0 : rows * kTile + (rows - 1) * kCellSpacing;
    return captionHeight() + kCaptionGap + grid;
}

QSize ImportedPhotoGridView::sizeHint() const {
    const int width = 4 * kTile + 3 * kCellSpacing;
    return QSize(width, heightForWidth(width));
}

QSize ImportedPhotoGridView::minimumSizeHint() const {
    return QSize(kTile, captionHeight() + kCaptionGap + kTile);
}

QRectF ImportedPhotoGridView::tileRect(int index) const {
    const int columnCount = columns(width());
    // Cells share the spare width; each tile sits in the middle of its cell.
    const qreal cellWidth = qreal(width() - (columnCount - 1) * kCellSpacing) / columnCount;
    const int row = index / columnCount;
    const int column = index % columnCount;
    const qreal x = column * (cellWidth + kCellSpacing) + (cellWidth - kTile) / 2;
    const qreal y = captionHeight() + kCaptionGap + row * (kTile + kCellSpacing);
    return QRectF(qRound(x), y, kTile, kTile);
}

QString ImportedPhotoGridView::captionText() const {
    QString text = QString::fromLatin1(kCaption);
    if (!thumbnails_.isEmpty()) {
        text += QStringLiteral(" · ") + orbix::text::countText(thumbnails_.size());
    }
    if (const int selected = model_.selectedImportedPhotoCount(); selected > 0) {
        text += QStringLiteral(" · %1 selected").arg(orbix::text::countText(selected));
    }
    return text;
}

QRect ImportedPhotoGridView::toggleRect() const {
    if (thumbnails_.size() <= columns(width())) {
        return QRect();
    }
    const QFontMetrics metrics(captionFont());
    const int toggleWidth =
        qMax(metrics.horizontalAdvance(showAllText), metrics.horizontalAdvance(showLessText));
    return QRect(width() - toggleWidth, 0, toggleWidth, captionHeight());
}

void ImportedPhotoGridView::setCollapsed(bool collapsed) {
    if (collapsed == collapsed_) {
        return;
    }
    collapsed_ = collapsed;
    hovered_ = {};
    pressed_ = {};
    updateGeometry();
    update();
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

ImportedPhotoThumbnail ImportedPhotoGridView::makeThumbnail(const ImportedPhotoAsset& photo) {
    ImportedPhotoThumbnail thumbnail;
    thumbnail.photo = photo;
    thumbnail.isSelected = model_.selectedImportedPhotoIDs().contains(photo.id);
    // The photo is captured by value: the model compares it as a whole record.
    thumbnail.removeAction = [this, photo] { model_.removeImportedPhoto(photo); };
    return thumbnail;
}

void ImportedPhotoGridView::rebuildThumbnails() {
    thumbnails_.clear();
    insertThumbnails(0, int(model_.importedPhotos().size()) - 1);
}

void ImportedPhotoGridView::insertThumbnails(int first, int last) {
    const QList<ImportedPhotoAsset>& photos = model_.importedPhotos();
    // An import that makes the tray tall folds it, so the reply that follows is not pushed out of sight. A
    // count, not rows: the width is not known yet when photos arrive before the window is laid out.
    if (last >= first && photos.size() > kFoldAbove) {
        collapsed_ = true;
    }
    for (int row = first; row <= last; ++row) {
        thumbnails_.insert(row, makeThumbnail(photos[row]));
    }
    // Files imported again may have changed since their thumbnails were made.
    loader_->revalidate();
    tilesMoved();
}

void ImportedPhotoGridView::removeThumbnails(int first, int last) {
    thumbnails_.remove(first, last - first + 1);
    QSet<QString> paths;
    for (const ImportedPhotoThumbnail& thumbnail : std::as_const(thumbnails_)) {
        paths.insert(thumbnail.photo.url.toLocalFile());
    }
    loader_->retainOnly(paths);
    tilesMoved();
}

void ImportedPhotoGridView::tilesMoved() {
    pressed_ = {};
    hovered_ = {};
    // Tiles are known to screen readers by their place, which has changed.
    dropAccessibleTiles();
    if (QAccessible::isActive()) {
        QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
    updateGeometry();
    update();
}

void ImportedPhotoGridView::refreshSelection() {
    const QSet<QUuid>& selected = model_.selectedImportedPhotoIDs();
    QList<int> changed;
    for (int index = 0; index < thumbnails_.size(); ++index) {
        ImportedPhotoThumbnail& thumbnail = thumbnails_[index];
        const bool isSelected = selected.contains(thumbnail.photo.id);
        if (thumbnail.isSelected != isSelected) {
            thumbnail.isSelected = isSelected;
            changed.append(index);
        }
    }
    if (changed.isEmpty()) {
        return;
    }
    update();
    if (changed.size() <= kAnnouncedTileChanges) {
        for (const int index : std::as_const(changed)) {
            announce(thumbnails_[index].isSelected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove,
                     index);
        }
    }
    announce(QAccessible::SelectionWithin, -1);
}

// Sent whether or not a screen reader listens, as Qt's own widgets do: without one Qt drops the event, and
// the tiles' interfaces it makes on the way are a few dozen at most.
void ImportedPhotoGridView::announce(QAccessible::Event type, int index) {
    QAccessibleEvent event(this, type);
    if (index >= 0) {
        event.setChild(index);
    }
    QAccessible::updateAccessibility(&event);
}

int ImportedPhotoGridView::indexOf(const QUuid& photoID) const {
    if (photoID.isNull()) {
        return -1;
    }
    for (int index = 0; index < thumbnails_.size(); ++index) {
        if (thumbnails_[index].photo.id == photoID) {
            return index;
        }
    }
    return -1;
}

ImportedPhotoGridView::Hit ImportedPhotoGridView::hitAt(const QPointF& position) const {
    const int top = captionHeight() + kCaptionGap;
    if (position.y() < top || thumbnails_.isEmpty()) {
        return {};
    }
    const int row = int(position.y() - top) / (kTile + kCellSpacing);
    const int columnCount = columns(width());
    // Look at the tiles of that row only.
    for (int column = 0; column < columnCount; ++column) {
        const int index = row * columnCount + column;
        if (index >= shownCount()) {
            break;
        }
        const QRectF tile = tileRect(index);
        if (tile.contains(position)) {
            return Hit{index, ImportedPhotoThumbnail::removeButtonRect(tile).contains(position)};
        }
    }
    return {};
}

QString ImportedPhotoGridView::toolTipAt(const QPointF& position) const {
    const Hit hit = hitAt(position);
    if (hit.index < 0) {
        return QString();
    }
    if (hit.onRemoveButton) {
        return QStringLiteral("Remove from tray");
    }
    const ImportedPhotoThumbnail& thumbnail = thumbnails_[hit.index];
    const std::optional<QImage> picture = loader_->thumbnail(thumbnail.photo.url.toLocalFile());
    return picture && picture->isNull() ? thumbnail.photo.displayName + QLatin1Char('\n') + unreadableFileText
                                        : thumbnail.photo.displayName;
}

void ImportedPhotoGridView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    const QPalette& palette = this->palette();

    painter.setFont(captionFont());
    painter.setPen(namedColor(NamedColor::Secondary, palette));
    const QRect toggle = toggleRect();
    painter.drawText(QRect(0, 0, width() - toggle.width(), captionHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                     captionText().toUpper());
    if (!toggle.isEmpty()) {
        painter.setPen(namedColor(NamedColor::Accent, palette));
        painter.drawText(toggle, Qt::AlignRight | Qt::AlignVCenter, collapsed_ ? showAllText : showLessText);
    }

    if (thumbnails_.isEmpty()) {
        return;
    }
    const int top = captionHeight() + kCaptionGap;
    const int rowPitch = kTile + kCellSpacing;
    const int columnCount = columns(width());
    const int firstRow = qMax(0, (exposed.top() - top) / rowPitch);
    const int lastRow = qMax(0, (exposed.bottom() - top) / rowPitch);
    bool isLoading = false;
    const int focused = hasFocus() ? focusedIndex() : -1;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < columnCount; ++column) {
            const int index = row * columnCount + column;
            if (index >= shownCount()) {
                break;
            }
            const QRectF tile = tileRect(index);
            if (!tile.intersects(exposed)) {
                continue;
            }
            const ImportedPhotoThumbnail& thumbnail = thumbnails_[index];
            const std::optional<QImage> picture = loader_->thumbnail(thumbnail.photo.url.toLocalFile());
            using Hover = ImportedPhotoThumbnail::Hover;
            ImportedPhotoThumbnail::Look look;
            look.hover = hovered_.index != index   ? Hover::none
                         : hovered_.onRemoveButton ? Hover::removeButton
                                                   : Hover::tile;
            const auto marks = model_.importedPhotoMarks().constFind(
                ImportedPhotoRecognizers::standardizedPath(thumbnail.photo.url));
            if (marks != model_.importedPhotoMarks().constEnd()) {
                look.marks = *marks;
            }
            look.loadingPhase = loadingPhase_;
            isLoading = isLoading || !picture;
            thumbnail.paint(painter, tile, picture, look, palette);
            if (index == focused) {
                ImportedPhotoThumbnail::paintFocusRing(painter, tile, rect(), palette);
            }
        }
    }
    // The shimmer moves only while a tile in sight is still loading.
    if (isLoading && !shimmerTimer_.isActive()) {
        shimmerTimer_.start();
    } else if (!isLoading && shimmerTimer_.isActive() && exposed.contains(visibleRegion().boundingRect())) {
        shimmerTimer_.stop();
    }
}

void ImportedPhotoGridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (toggleRect().contains(event->position().toPoint())) {
        setCollapsed(!collapsed_);
        event->accept();
        return;
    }
    pressed_ = hitAt(event->position());
    event->accept();
}

void ImportedPhotoGridView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const Hit released = hitAt(event->position());
    const Hit pressed = std::exchange(pressed_, Hit{});
    // Like a button: the click counts when it ends where it started.
    if (released.index < 0 || released != pressed) {
        return;
    }
    // A copy: the action changes the model, which rebuilds the tiles.
    const ImportedPhotoThumbnail thumbnail = thumbnails_[released.index];
    if (released.onRemoveButton) {
        thumbnail.removeAction();
    } else {
        activate(released.index, event->modifiers());
    }
}

void ImportedPhotoGridView::mouseMoveEvent(QMouseEvent* event) {
    const Hit hit = hitAt(event->position());
    if (hit != hovered_) {
        hovered_ = hit;
        setCursor(hit.index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void ImportedPhotoGridView::leaveEvent(QEvent* event) {
    if (hovered_.index >= 0) {
        hovered_ = {};
        update();
    }
    QWidget::leaveEvent(event);
}

bool ImportedPhotoGridView::event(QEvent* event) {
    // The tray's keys win over the window's shortcuts (Edit → Select All) while the tray has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        if (isTrayShortcut(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Hit hit = hitAt(help->pos());
        if (hit.index < 0) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QToolTip::showText(help->globalPos(), toolTipAt(help->pos()), this,
                           tileRect(hit.index).toAlignedRect());
        return true;
    }
    return QWidget::event(event);
}

} // namespace orbix::views
