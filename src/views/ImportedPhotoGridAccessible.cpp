#include "views/ImportedPhotoGridAccessible.h"

#include "views/ImportedPhotoGridView.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace orbix::views {
namespace {

const QString kRemoveAction = QStringLiteral("Remove from tray");

class TileAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TileAccessible(ImportedPhotoGridView* grid, int index) : grid_(grid), index_(index) {}

    bool isValid() const override { return grid_ && index_ < grid_->thumbnails().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(grid_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text type) const override {
        if (!isValid() || type != QAccessible::Name) {
            return QString();
        }
        return grid_->thumbnails()[index_].photo.displayName;
    }

    QRect rect() const override {
        if (!isValid()) {
            return QRect();
        }
        const QRect tile = grid_->tileRect(index_).toAlignedRect();
        return QRect(grid_->mapToGlobal(tile.topLeft()), tile.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.multiSelectable = true;
        state.selected = isValid() && grid_->thumbnails()[index_].isSelected;
        state.invisible = !isValid() || !grid_->isVisible() || index_ >= grid_->shownCount();
        state.focusable = true;
        state.focused = isValid() && grid_->hasFocus() && grid_->focusedIndex() == index_;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction(), toggleAction(), kRemoveAction}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    void doAction(const QString& name) override {
        if (!isValid()) {
            return;
        }
        const ImportedPhotoThumbnail thumbnail = grid_->thumbnails()[index_];
        if (name == pressAction()) {
            grid_->activate(index_, Qt::NoModifier);
        } else if (name == toggleAction()) {
            grid_->activate(index_, Qt::ControlModifier);
        } else if (name == kRemoveAction) {
            thumbnail.removeAction();
        }
    }

private:
    QPointer<ImportedPhotoGridView> grid_;
    int index_;
};

QAccessibleInterface* gridFactory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<ImportedPhotoGridView*>(object)) {
        return new ImportedPhotoGridAccessible(grid);
    }
    return nullptr;
}

} // namespace

void installImportedPhotoGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

ImportedPhotoGridAccessible::ImportedPhotoGridAccessible(ImportedPhotoGridView* grid)
    : QAccessibleWidget(grid, QAccessible::List) {}

ImportedPhotoGridView* ImportedPhotoGridAccessible::grid() const {
    return static_cast<ImportedPhotoGridView*>(widget());
}

QAccessible::State ImportedPhotoGridAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = !grid()->isCollapsed();
    state.collapsed = grid()->isCollapsed();
    return state;
}

int ImportedPhotoGridAccessible::childCount() const {
    return int(grid()->thumbnails().size());
}

QAccessibleInterface* ImportedPhotoGridAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    // Tile interfaces are registered once per index and dropped by the grid when its tiles change.
    QAccessible::Id& id = grid()->accessibleTileIds_[index];
    if (id == 0) {
        id = QAccessible::registerAccessibleInterface(new TileAccessible(grid(), index));
    }
    return QAccessible::accessibleInterface(id);
}

int ImportedPhotoGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
    return grid()->accessibleTileIds_.key(id, -1);
}

QAccessibleInterface* ImportedPhotoGridAccessible::childAt(int x, int y) const {
    const QPoint local = grid()->mapFromGlobal(QPoint(x, y));
    for (int index = 0; index < grid()->shownCount(); ++index) {
        if (grid()->tileRect(index).contains(local)) {
            return child(index);
        }
    }
    return nullptr;
}

} // namespace orbix::views
