#include "views/ImportedPhotoGridView.h"

#include "model/AppModel.h"
#include "views/ImportedPhotoGridAccessible.h"
#include "views/InspectorStyle.h"
#include "views/ThumbnailLoader.h"
#include "views/ViewPalette.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
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
const QString unreadableFileText = QStringLiteral("Can’t read this file");
// The loading shimmer: a frame every 40 ms, one sweep across a tile in 1.2 s.
constexpr int kShimmerFrameMilliseconds = 40;
constexpr qreal kShimmerStep = 1.0 / 30;

// Whether a click extends the selection: Ctrl (Command on macOS, which Qt reports as Ctrl) or Shift.
bool extendsSelection(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ControlModifier | Qt::ShiftModifier);
}

} // namespace

ImportedPhotoGridView::ImportedPhotoGridView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    // Before anything that may create this widget's accessible interface (setting its name does when
    // accessibility is active): the interface is cached for the widget's lifetime.
    installImportedPhotoGridAccessibility();
    setObjectName(QStringLiteral("importedPhotoGrid"));
    setAccessibleName(QString::fromLatin1(kCaption));
    setMouseTracking(true);
    // Not Fixed: a fixed height would be the size hint's, taken at a width of four columns, whatever the real
    // width.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    loader_ = new ThumbnailLoader(qCeil(kTile * qApp->devicePixelRatio()), this);
    connect(loader_, &ThumbnailLoader::thumbnailsReady, this, qOverload<>(&QWidget::update));
    connect(&model_, &AppModel::importedPhotosChanged, this, &ImportedPhotoGridView::rebuildThumbnails);
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

int ImportedPhotoGridView::heightForWidth(int width) const {
    const int count = int(thumbnails_.size());
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

void ImportedPhotoGridView::rebuildThumbnails() {
    const QList<ImportedPhotoAsset>& photos = model_.importedPhotos();
    const QSet<QUuid>& selected = model_.selectedImportedPhotoIDs();
    thumbnails_.clear();
    thumbnails_.reserve(photos.size());
    QSet<QString> paths;
    for (const ImportedPhotoAsset& photo : photos) {
        paths.insert(photo.url.toLocalFile());
        ImportedPhotoThumbnail thumbnail;
        thumbnail.photo = photo;
        thumbnail.isSelected = selected.contains(photo.id);
        // The photo is captured by value: the model compares it as a whole record.
        thumbnail.action = [this, photo] {
            model_.selectImportedPhoto(photo, extendsSelection(clickModifiers_));
        };
        thumbnail.removeAction = [this, photo] { model_.removeImportedPhoto(photo); };
        thumbnails_.append(thumbnail);
    }
    pressed_ = {};
    hovered_ = {};
    dropAccessibleTiles();
    if (QAccessible::isActive()) {
        QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
    loader_->retainOnly(paths);
    loader_->revalidate();
    updateGeometry();
    update();
}

void ImportedPhotoGridView::refreshSelection() {
    const QSet<QUuid>& selected = model_.selectedImportedPhotoIDs();
    for (ImportedPhotoThumbnail& thumbnail : thumbnails_) {
        thumbnail.isSelected = selected.contains(thumbnail.photo.id);
    }
    update();
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
        if (index >= thumbnails_.size()) {
            break;
        }
        const QRectF tile = tileRect(index);
        if (tile.contains(position)) {
            return Hit{index, ImportedPhotoThumbnail::removeButtonRect(tile).contains(position)};
        }
    }
    return {};
}

void ImportedPhotoGridView::activate(int index, Qt::KeyboardModifiers modifiers) {
    if (index < 0 || index >= thumbnails_.size()) {
        return;
    }
    // A copy: the action changes the model, which rebuilds the tiles.
    const ImportedPhotoThumbnail thumbnail = thumbnails_[index];
    clickModifiers_ = modifiers;
    thumbnail.action();
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
    painter.drawText(QRect(0, 0, width(), captionHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(kCaption).toUpper());

    if (thumbnails_.isEmpty()) {
        return;
    }
    const int top = captionHeight() + kCaptionGap;
    const int rowPitch = kTile + kCellSpacing;
    const int columnCount = columns(width());
    const int firstRow = qMax(0, (exposed.top() - top) / rowPitch);
    const int lastRow = qMax(0, (exposed.bottom() - top) / rowPitch);
    bool isLoading = false;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < columnCount; ++column) {
            const int index = row * columnCount + column;
            if (index >= thumbnails_.size()) {
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
