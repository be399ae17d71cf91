#pragma once
// The photo tray as screen readers and the UI fallback see it: a list whose items are the painted tiles,
// each named after its photo, selected like the tile, and acting like a click (press selects the photo
// alone, toggle adds or takes it out of the selection, "Remove from tray" removes it).

#include <QAccessibleWidget>

namespace orbix::views {

class ImportedPhotoGridView;

// Installs the factory that gives every ImportedPhotoGridView its accessible list (once per process).
void installImportedPhotoGridAccessibility();

class ImportedPhotoGridAccessible : public QAccessibleWidget {
public:
    explicit ImportedPhotoGridAccessible(ImportedPhotoGridView* grid);

    // Expandable: a tall tray folds to its first row.
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    ImportedPhotoGridView* grid() const;
};

} // namespace orbix::views
