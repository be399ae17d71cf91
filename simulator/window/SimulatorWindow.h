#pragma once
// The "Capture One Simulator" window: the document of one catalog file, live. A browser of variants
// (the user's selection is written to the catalog, so scripts see it), a viewer and an inspector of the
// primary variant, and menus and a toolbar for the features that have no scripting term (Export
// Variants…, Show Before/After, the Keystone tool's field, Spot Removal, Delete Variant), each with a
// shortcut and an accessible name.

#include "engine/Catalog.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QTableView;

namespace orbix::c1sim {

class CatalogWatcher;
class VariantBrowserModel;
class VariantDetailsPanel;
class VariantViewer;

inline const QString kSimulatorWindowTitle = QStringLiteral("Capture One Simulator");

class SimulatorWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit SimulatorWindow(const QString& catalogPath, QWidget* parent = nullptr);
    ~SimulatorWindow() override;

    // Shows the window in front of the others (a second launch for the same catalog asks for this).
    void bringToFront();

    // For tests: the parts a user sees and drives.
    QTableView* browser() const { return browser_; }
    VariantBrowserModel* browserModel() const { return model_; }
    VariantDetailsPanel* details() const { return details_; }
    QLineEdit* keystoneField() const { return keystoneField_; }
    QAction* action(const QString& text) const;
    QString statusText() const;

private:
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void applyCatalog();
    void writeSelection();
    void applyKeystoneText(const QString& text);
    // Runs `change` on the catalog under its lock; `message` (when not empty) goes to the status bar once
    // the change is saved. The window shows the result at once, without waiting for the file watcher.
    void edit(const std::function<bool(Catalog&)>& change, const std::function<QString()>& message = {});

    CatalogWatcher* watcher_;
    VariantBrowserModel* model_;
    QTableView* browser_;
    VariantViewer* viewer_;
    VariantDetailsPanel* details_;
    QLabel* documentSummary_;
    QLineEdit* keystoneField_;
    QTimer selectionWrite_;
    bool applyingCatalog_ = false;
    std::vector<QString> shownSelection_; // the catalog's selection order, as last shown

    QAction* exportAction_ = nullptr;
    QAction* beforeAfterAction_ = nullptr;
    QAction* keystoneAction_ = nullptr;
    QAction* spotRemovalAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* quitAction_ = nullptr;
};

} // namespace orbix::c1sim
