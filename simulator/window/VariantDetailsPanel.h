#pragma once
// The inspector beside the viewer: the primary variant (summary, adjustments, layers, crop) and the
// document's processing queue and exports. Every part is named for screen readers, so the values can be
// read back through the accessibility tree.

#include "engine/Catalog.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QTreeWidget;

namespace orbix::c1sim {

class VariantDetailsPanel : public QWidget {
    Q_OBJECT

public:
    explicit VariantDetailsPanel(QWidget* parent = nullptr);

    // Shows the document's primary variant and its queue; none for no document.
    void showDocument(const Document* document);

    // The adjustment rows as "name value" lines, in display order (for tests and the accessible text).
    QStringList adjustmentLines() const;

private:
    QLabel* title_;
    QLabel* summary_;
    QLabel* crop_;
    QTreeWidget* adjustments_;
    QListWidget* layers_;
    QListWidget* queue_;
    QListWidget* exports_;
};

} // namespace orbix::c1sim
