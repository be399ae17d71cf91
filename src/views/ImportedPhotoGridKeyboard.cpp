// The tray by keyboard and focus: arrows, Home and End move a focus ring and select, Shift extends from the
// anchor, Ctrl moves the focus only, Space toggles, Ctrl+A / Ctrl+Shift+A select all or none, Delete removes
// from the tray; clicks share the same selection rules (activate).
#include "model/AppModel.h"
#include "views/ImportedPhotoGridView.h"

#include <QKeyEvent>
#include <QScrollArea>

namespace orbix::views {
namespace {

// Ctrl+Shift+A: select none, as in file managers.
bool isSelectNone(const QKeyEvent& event) {
    return event.keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_A);
}

} // namespace

bool ImportedPhotoGridView::isTrayShortcut(const QKeyEvent& key) {
    return key.matches(QKeySequence::SelectAll) || isSelectNone(key) || key.key() == Qt::Key_Delete ||
           key.key() == Qt::Key_Backspace;
}

void ImportedPhotoGridView::setFocusedIndex(int index) {
    if (index < 0 || index >= thumbnails_.size()) {
        return;
    }
    focusedPhotoID_ = thumbnails_[index].photo.id;
    if (index >= shownCount()) {
        setCollapsed(false);
    }
    update();
    // Inside the inspector's scroll area: keep the tile in sight with a little of its neighbours.
    for (QWidget* ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(ancestor); area && area->widget()) {
            const QPoint center = mapTo(area->widget(), tileRect(index).center().toPoint());
            area->ensureVisible(center.x(), center.y(), ImportedPhotoThumbnail::kSide,
                                ImportedPhotoThumbnail::kSide / 2 + kCellSpacing);
            break;
        }
    }
    if (hasFocus()) {
        announce(QAccessible::Focus, index);
    }
}

void ImportedPhotoGridView::activate(int index, Qt::KeyboardModifiers modifiers) {
    if (index < 0 || index >= thumbnails_.size()) {
        return;
    }
    // A copy: the model compares the photo as a whole record, and a change rebuilds the tiles.
    const ImportedPhotoAsset photo = thumbnails_[index].photo;
    const int anchor = indexOf(anchorPhotoID_);
    if (modifiers & Qt::ShiftModifier) {
        if (anchor < 0) {
            anchorPhotoID_ = photo.id;
        }
        model_.selectImportedPhotoRange(anchor < 0 ? photo : thumbnails_[anchor].photo, photo);
    } else {
        // Ctrl (Command on macOS, which Qt reports as Ctrl) toggles the photo.
        model_.selectImportedPhoto(photo, modifiers & Qt::ControlModifier);
        anchorPhotoID_ = photo.id;
    }
    setFocusedIndex(indexOf(photo.id));
}

int ImportedPhotoGridView::keyTarget(int key) const {
    const int count = int(thumbnails_.size());
    const int from = focusedIndex();
    if (from < 0) {
        // The first move lands on the first tile.
        const bool moves = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                           key == Qt::Key_Down || key == Qt::Key_Home || key == Qt::Key_End;
        return moves && count > 0 ? (key == Qt::Key_End ? count - 1 : 0) : -1;
    }
    const int columnCount = columns(width());
    switch (key) {
    case Qt::Key_Left:
        return qMax(0, from - 1);
    case Qt::Key_Right:
        return qMin(count - 1, from + 1);
    case Qt::Key_Up:
        return from - columnCount >= 0 ? from - columnCount : from;
    case Qt::Key_Down:
        // From the second last row, Down goes to the last tile even when the column below is empty.
        return from + columnCount < count                       ? from + columnCount
               : from / columnCount < (count - 1) / columnCount ? count - 1
                                                                : from;
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return count - 1;
    default:
        return -1;
    }
}

void ImportedPhotoGridView::removeSelectedOrFocused() {
    QList<ImportedPhotoAsset> doomed = model_.selectedImportedPhotos();
    const int focused = focusedIndex();
    if (doomed.isEmpty() && focused >= 0) {
        doomed.append(thumbnails_[focused].photo);
    }
    if (doomed.isEmpty()) {
        return;
    }
    // The focus stays on its photo when it survives, else goes to the next survivor (or the one before).
    QUuid nextFocus = focusedPhotoID_;
    if (focused >= 0 && doomed.contains(thumbnails_[focused].photo)) {
        nextFocus = QUuid();
        for (int step = 1; step < thumbnails_.size() && nextFocus.isNull(); ++step) {
            for (const int index : {focused + step, focused - step}) {
                if (index >= 0 && index < thumbnails_.size() && !doomed.contains(thumbnails_[index].photo)) {
                    nextFocus = thumbnails_[index].photo.id;
                    break;
                }
            }
        }
    }
    model_.removeImportedPhotos(doomed);
    setFocusedIndex(indexOf(nextFocus));
}

void ImportedPhotoGridView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->matches(QKeySequence::SelectAll)) {
        model_.selectAllImportedPhotos();
    } else if (isSelectNone(*event)) {
        model_.deselectAllImportedPhotos();
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !toggleRect().isEmpty()) {
        setCollapsed(!collapsed_);
    } else if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        removeSelectedOrFocused();
    } else if (event->key() == Qt::Key_Space) {
        const int focused = focusedIndex();
        if (focused >= 0) {
            activate(focused, Qt::ControlModifier);
        } else if (!thumbnails_.isEmpty()) {
            setFocusedIndex(0);
        }
    } else if (const int target = keyTarget(event->key()); target >= 0) {
        if (modifiers & Qt::ShiftModifier) {
            // Without an anchor the range starts where the focus was.
            if (indexOf(anchorPhotoID_) < 0) {
                anchorPhotoID_ = focusedIndex() >= 0 ? focusedPhotoID_ : thumbnails_[target].photo.id;
            }
            activate(target, Qt::ShiftModifier);
        } else if (modifiers & Qt::ControlModifier) {
            setFocusedIndex(target);
        } else {
            activate(target, Qt::NoModifier);
        }
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ImportedPhotoGridView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (focusedIndex() < 0 && !thumbnails_.isEmpty()) {
        // The first selected photo in sight, or the first photo.
        focusedPhotoID_ = thumbnails_.first().photo.id;
        for (int index = 0; index < shownCount(); ++index) {
            if (thumbnails_[index].isSelected) {
                focusedPhotoID_ = thumbnails_[index].photo.id;
                break;
            }
        }
    }
    update();
    if (focusedIndex() >= 0) {
        announce(QAccessible::Focus, focusedIndex());
    }
}

void ImportedPhotoGridView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

} // namespace orbix::views
