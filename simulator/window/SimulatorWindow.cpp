#include "window/SimulatorWindow.h"

#include "engine/AdjustmentTable.h"
#include "window/CatalogEdits.h"
#include "window/CatalogWatcher.h"
#include "window/VariantBrowserModel.h"
#include "window/VariantDetailsPanel.h"
#include "window/VariantViewer.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <algorithm>
#include <cmath>

namespace orbix::c1sim {
namespace {

constexpr int kStatusMessageMs = 6000;
const QString kKeystoneOutOfRange = QStringLiteral("Keystone needs a number from \u2212100 to 100.");
const QString kNoPrimaryVariant = QStringLiteral("Select a variant first.");

QString countText(qsizetype count, const char* singular, const char* plural) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? singular : plural));
}

const Variant* primaryVariant(const Document* document) {
    if (!document || document->primary.isEmpty()) {
        return nullptr;
    }
    const auto found = std::find_if(document->variants.begin(), document->variants.end(),
                                    [&](const Variant& variant) { return variant.id == document->primary; });
    return found == document->variants.end() ? nullptr : &*found;
}

QString keystoneText(const Variant* variant) {
    const auto index = adjustments::indexOf(QStringLiteral("keystone vertical"));
    if (!variant || !index) {
        return {};
    }
    // No correction leaves the field empty (its placeholder shows the range), ready for a number.
    const double amount = variant->adjustments[size_t(*index)].toDouble();
    if (amount == 0) {
        return {};
    }
    return amount == std::trunc(amount) ? QString::number(qint64(amount)) : QString::number(amount, 'g', 6);
}

} // namespace

SimulatorWindow::SimulatorWindow(const QString& catalogPath, QWidget* parent)
    : QMainWindow(parent), watcher_(new CatalogWatcher(catalogPath, this)),
      model_(new VariantBrowserModel(this)), browser_(new QTableView), viewer_(new VariantViewer),
      details_(new VariantDetailsPanel), documentSummary_(new QLabel), keystoneField_(new QLineEdit) {
    setWindowTitle(kSimulatorWindowTitle);
    setAccessibleName(kSimulatorWindowTitle);

    browser_->setModel(model_);
    browser_->setAccessibleName(QStringLiteral("Variants"));
    browser_->setSelectionBehavior(QAbstractItemView::SelectRows);
    browser_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    browser_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    browser_->setShowGrid(false);
    browser_->setAlternatingRowColors(true);
    browser_->setWordWrap(false);
    browser_->verticalHeader()->hide();
    browser_->horizontalHeader()->setSectionResizeMode(VariantBrowserModel::NameColumn, QHeaderView::Stretch);
    for (int column : {int(VariantBrowserModel::RatingColumn), int(VariantBrowserModel::ColorTagColumn),
                       int(VariantBrowserModel::PickColumn)}) {
        browser_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    browser_->verticalHeader()->setDefaultSectionSize(browser_->fontMetrics().height() + 12);
    browser_->setMinimumHeight(150);

    auto* detailsScroll = new QScrollArea;
    detailsScroll->setWidget(details_);
    detailsScroll->setWidgetResizable(true);
    detailsScroll->setFrameShape(QFrame::NoFrame);
    detailsScroll->setMinimumWidth(300);

    auto* centre = new QSplitter(Qt::Vertical);
    centre->addWidget(viewer_);
    centre->addWidget(browser_);
    centre->setStretchFactor(0, 3);
    centre->setStretchFactor(1, 2);
    centre->setChildrenCollapsible(false);
    auto* main = new QSplitter(Qt::Horizontal);
    main->addWidget(detailsScroll);
    main->addWidget(centre);
    main->setStretchFactor(0, 0);
    main->setStretchFactor(1, 1);
    main->setChildrenCollapsible(false);
    main->setSizes({330, 770});
    setCentralWidget(main);

    documentSummary_->setAccessibleName(QStringLiteral("Document"));
    // The document's name as typed, never read as markup.
    documentSummary_->setTextFormat(Qt::PlainText);
    statusBar()->addPermanentWidget(documentSummary_);

    buildActions();
    buildMenus();
    buildToolBar();

    selectionWrite_.setSingleShot(true);
    selectionWrite_.setInterval(0);
    connect(&selectionWrite_, &QTimer::timeout, this, &SimulatorWindow::writeSelection);
    // A click moves the current row and the selection one after the other: both land in one write.
    auto scheduleWrite = [this] {
        if (!applyingCatalog_) {
            selectionWrite_.start();
        }
    };
    connect(browser_->selectionModel(), &QItemSelectionModel::selectionChanged, this, scheduleWrite);
    connect(browser_->selectionModel(), &QItemSelectionModel::currentChanged, this, scheduleWrite);
    connect(watcher_, &CatalogWatcher::catalogChanged, this, &SimulatorWindow::applyCatalog);

    resize(1180, 760);
    watcher_->reload();
    browser_->setFocus();
}

void SimulatorWindow::buildActions() {
    auto make = [this](const QString& text, const QKeySequence& shortcut, const QString& description) {
        auto* action = new QAction(text, this);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        const QString hint =
            description + QStringLiteral(" (") + shortcut.toString(QKeySequence::NativeText) + QLatin1Char(')');
        action->setToolTip(hint);
        action->setStatusTip(description);
        return action;
    };
    exportAction_ = make(QStringLiteral("Export Variants\u2026"), QKeySequence(QStringLiteral("Ctrl+Shift+E")),
                         QStringLiteral("Export the selected variants as JPEG files"));
    connect(exportAction_, &QAction::triggered, this, [this] {
        auto exported = std::make_shared<int>(0);
        edit(
            [exported](Catalog& catalog) {
                return catalog.document && (*exported = edits::exportSelectedVariants(*catalog.document)) > 0;
            },
            [exported] {
                return QStringLiteral("Exported %1.").arg(countText(*exported, "variant", "variants"));
            });
    });

    beforeAfterAction_ = make(QStringLiteral("Show Before/After"), QKeySequence(QStringLiteral("Ctrl+Shift+B")),
                              QStringLiteral("Show the primary variant before and after its adjustments"));
    beforeAfterAction_->setCheckable(true);
    // Toggled, not triggered: an accessibility client's "toggle" action checks the button without a click.
    connect(beforeAfterAction_, &QAction::toggled, this, [this](bool shown) {
        if (applyingCatalog_) {
            return;
        }
        edit([shown](Catalog& catalog) {
            if (!catalog.document || catalog.document->beforeAfter == shown) {
                return false;
            }
            edits::setBeforeAfter(*catalog.document, shown);
            return true;
        });
    });

    keystoneAction_ =
        make(QStringLiteral("Keystone"), QKeySequence(QStringLiteral("Ctrl+Shift+K")),
             QStringLiteral("Correct converging verticals: type an amount from \u2212100 to 100"));
    connect(keystoneAction_, &QAction::triggered, this, [this] {
        keystoneField_->setFocus(Qt::ShortcutFocusReason);
        keystoneField_->selectAll();
    });

    spotRemovalAction_ = make(QStringLiteral("Spot Removal"), QKeySequence(QStringLiteral("Ctrl+Shift+H")),
                              QStringLiteral("Heal the next dust spot on the primary variant"));
    connect(spotRemovalAction_, &QAction::triggered, this, [this] {
        auto healed = std::make_shared<bool>(false);
        edit(
            [healed](Catalog& catalog) {
                return *healed = catalog.document && edits::removeSpot(*catalog.document);
            },
            [healed] { return *healed ? QStringLiteral("Removed a spot.") : kNoPrimaryVariant; });
    });

    deleteAction_ = make(QStringLiteral("Delete Variant"), QKeySequence(QStringLiteral("Ctrl+Del")),
                         QStringLiteral("Delete the selected variants from the document"));
    connect(deleteAction_, &QAction::triggered, this, [this] {
        auto deleted = std::make_shared<int>(0);
        edit(
            [deleted](Catalog& catalog) {
                return catalog.document && (*deleted = edits::deleteSelectedVariants(*catalog.document)) > 0;
            },
            [deleted] {
                return QStringLiteral("Deleted %1.").arg(countText(*deleted, "variant", "variants"));
            });
    });

    quitAction_ = make(QStringLiteral("Quit"), QKeySequence(QStringLiteral("Ctrl+Q")),
                       QStringLiteral("Close the simulator; the catalog stays as it is"));
    connect(quitAction_, &QAction::triggered, this, &QWidget::close);

    connect(keystoneField_, &QLineEdit::textEdited, this, &SimulatorWindow::applyKeystoneText);
    // Once the user is done (Return or focus elsewhere) the field shows the catalog's value again, which
    // scripts may have changed in the meantime, or which rejected the text typed.
    connect(keystoneField_, &QLineEdit::editingFinished, this, [this] {
        const auto& catalog = watcher_->catalog();
        keystoneField_->setText(
            keystoneText(primaryVariant(catalog && catalog->document ? &*catalog->document : nullptr)));
    });
}

SimulatorWindow::~SimulatorWindow() {
    // The field loses focus while the widgets are torn down, after this part of the window is gone.
    keystoneField_->disconnect(this);
}

void SimulatorWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(exportAction_);
    file->addSeparator();
    file->addAction(quitAction_);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(deleteAction_);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(beforeAfterAction_);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(keystoneAction_);
    tools->addAction(spotRemovalAction_);
}

void SimulatorWindow::buildToolBar() {
    QToolBar* toolbar = addToolBar(QStringLiteral("Tools"));
    toolbar->setAccessibleName(QStringLiteral("Tools"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [toolbar](QAction* action) {
        toolbar->addAction(action);
        QWidget* button = toolbar->widgetForAction(action);
        // Named exactly as the action (a tool button's own name drops a trailing ellipsis).
        button->setAccessibleName(action->text());
        button->setAccessibleDescription(action->toolTip());
    };
    add(exportAction_);
    add(beforeAfterAction_);
    toolbar->addSeparator();
    add(keystoneAction_);
    keystoneField_->setAccessibleName(QStringLiteral("Keystone Amount"));
    keystoneField_->setAccessibleDescription(keystoneAction_->statusTip());
    keystoneField_->setPlaceholderText(QStringLiteral("\u2212100 to 100"));
    keystoneField_->setToolTip(keystoneAction_->toolTip());
    keystoneField_->setFixedWidth(
        keystoneField_->fontMetrics().horizontalAdvance(QStringLiteral("\u2212100 to 100")) + 24);
    toolbar->addWidget(keystoneField_);
    add(spotRemovalAction_);
    toolbar->addSeparator();
    add(deleteAction_);
}

QAction* SimulatorWindow::action(const QString& text) const {
    for (QAction* candidate :
         {exportAction_, beforeAfterAction_, keystoneAction_, spotRemovalAction_, deleteAction_, quitAction_}) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    return nullptr;
}

QString SimulatorWindow::statusText() const {
    return documentSummary_->text();
}

void SimulatorWindow::bringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void SimulatorWindow::applyCatalog() {
    QScopedValueRollback guard(applyingCatalog_, true);
    const auto& catalog = watcher_->catalog();
    const Document* document = catalog && catalog->document ? &*catalog->document : nullptr;
    model_->setDocument(document);

    QItemSelection selection;
    shownSelection_.clear();
    if (document) {
        shownSelection_ = document->selection;
        for (const QString& id : document->selection) {
            const int row = model_->rowOf(id);
            if (row >= 0) {
                selection.select(model_->index(row, 0),
                                 model_->index(row, VariantBrowserModel::ColumnCount - 1));
            }
        }
    }
    QItemSelectionModel* selectionModel = browser_->selectionModel();
    selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
    const Variant* primary = primaryVariant(document);
    const int primaryRow = primary ? model_->rowOf(primary->id) : -1;
    if (primaryRow >= 0) {
        selectionModel->setCurrentIndex(model_->index(primaryRow, 0), QItemSelectionModel::NoUpdate);
        browser_->scrollTo(model_->index(primaryRow, 0));
    }

    details_->showDocument(document);
    viewer_->showVariant(primary, document && document->beforeAfter);
    beforeAfterAction_->setChecked(document && document->beforeAfter);
    // Never rewrite the field under the user's cursor.
    if (!keystoneField_->hasFocus()) {
        keystoneField_->setText(keystoneText(primary));
    }

    const bool hasSelection = document && !document->selection.empty();
    exportAction_->setEnabled(hasSelection);
    deleteAction_->setEnabled(hasSelection);
    spotRemovalAction_->setEnabled(primary != nullptr);
    keystoneAction_->setEnabled(primary != nullptr);
    keystoneField_->setEnabled(primary != nullptr);
    beforeAfterAction_->setEnabled(document != nullptr);

    QString summary;
    if (!watcher_->problem().isEmpty()) {
        summary = QStringLiteral("The catalog can\u2019t be read: ") + watcher_->problem();
    } else if (!document) {
        summary = QStringLiteral("No document is open");
    } else {
        summary =
            QStringLiteral("%1 \u00b7 %2 \u00b7 %3 selected")
                .arg(document->name, countText(qsizetype(document->variants.size()), "variant", "variants"))
                .arg(document->selection.size());
    }
    documentSummary_->setText(summary);
    documentSummary_->setAccessibleName(summary);
}

void SimulatorWindow::writeSelection() {
    QModelIndexList rows = browser_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList selected;
    for (const QModelIndex& row : rows) {
        selected << model_->variantId(row.row());
    }
    // Variants that stay selected keep their place; newly selected ones follow in browser order.
    QStringList ordered;
    for (const QString& id : shownSelection_) {
        if (selected.contains(id)) {
            ordered << id;
        }
    }
    for (const QString& id : selected) {
        if (!ordered.contains(id)) {
            ordered << id;
        }
    }
    const QString current = model_->variantId(browser_->selectionModel()->currentIndex().row());
    edit([ordered, current](Catalog& catalog) {
        if (!catalog.document) {
            return false;
        }
        const std::vector<QString> before = catalog.document->selection;
        const QString primaryBefore = catalog.document->primary;
        edits::selectVariants(*catalog.document, ordered, current);
        return catalog.document->selection != before || catalog.document->primary != primaryBefore;
    });
}

void SimulatorWindow::applyKeystoneText(const QString& text) {
    if (text.trimmed().isEmpty()) {
        return;
    }
    const auto amount = edits::keystoneAmount(text);
    if (!amount) {
        // A lone minus sign is the start of a number, not a mistake.
        if (text.trimmed() != u"-" && text.trimmed() != QString(QChar(0x2212))) {
            statusBar()->showMessage(kKeystoneOutOfRange, kStatusMessageMs);
        }
        return;
    }
    statusBar()->clearMessage();
    edit([value = *amount](Catalog& catalog) {
        return catalog.document && edits::setKeystone(*catalog.document, value);
    });
}

void SimulatorWindow::edit(const std::function<bool(Catalog&)>& change,
                           const std::function<QString()>& message) {
    QString reason;
    if (!edits::editCatalog(watcher_->path(), change, &reason)) {
        statusBar()->showMessage(QStringLiteral("The catalog can\u2019t be changed: ") + reason,
                                 kStatusMessageMs);
    } else if (message) {
        statusBar()->showMessage(message(), kStatusMessageMs);
    }
    watcher_->reload();
}

} // namespace orbix::c1sim
