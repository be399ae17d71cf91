// The simulator's window offscreen: what a catalog looks like in it, how it follows changes made by other
// processes, and what the user's clicks, selections and tools write back to the catalog.
#include "window/SimulatorWindow.h"

#include "SimulatorTestSupport.h"
#include "engine/CatalogStore.h"
#include "support/TestSupport.h"
#include "window/CatalogEdits.h"
#include "window/VariantBrowserModel.h"
#include "window/VariantDetailsPanel.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace orbix::c1sim;
using orbix::test::waitUntil;

namespace {

QStringList ids(const std::vector<QString>& list) {
    return QStringList(list.begin(), list.end());
}

class SimulatorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            test::runProgram({u"reset"_qs, u"--variants"_qs, u"4"_qs, u"--select"_qs, u"2"_qs}, {}, catalog)
                .exitCode,
            0);
        window = std::make_unique<SimulatorWindow>(catalog);
        window->show();
    }

    QJsonObject document() { return test::dump(catalog).value(u"document"_qs).toObject(); }
    QJsonObject variant(int position) {
        return document().value(u"variants"_qs).toArray().at(position - 1).toObject();
    }
    QStringList selection() {
        QStringList result;
        for (const QJsonValue& id : document().value(u"selection"_qs).toArray())
            result << id.toString();
        return result;
    }
    QByteArray fileBytes() {
        QFile file(catalog);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTableView* browser = window->browser();
        const QRect cell = browser->visualRect(browser->model()->index(row, 0));
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    QList<int> selectedRows() {
        QList<int> rows;
        for (const QModelIndex& index : window->browser()->selectionModel()->selectedRows())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // The window writes the selection on the next turn of the event loop.
    bool selects(const QStringList& expected) {
        const bool reached = waitUntil([&] { return selection() == expected; });
        if (!reached)
            ADD_FAILURE() << "selection " << selection().join(u',').toStdString();
        return reached;
    }
    void trigger(const QString& text) {
        QAction* action = window->action(text);
        ASSERT_NE(action, nullptr) << text.toStdString();
        action->trigger();
    }

    QTemporaryDir folder;
    QString catalog = folder.filePath(u"catalog.json"_qs);
    std::unique_ptr<SimulatorWindow> window;
};

} // namespace

TEST_F(SimulatorWindowTest, ShowsTheCatalogAndFollowsScriptsRunByOtherProcesses) {
    VariantBrowserModel* model = window->browserModel();
    ASSERT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->index(0, VariantBrowserModel::NameColumn).data().toString(), u"IMG_0001"_qs);
    EXPECT_EQ(selectedRows(), QList<int>{1});
    EXPECT_EQ(window->statusText(), u"Sample Session · 4 variants · 1 selected"_qs);
    EXPECT_TRUE(window->details()->adjustmentLines().contains(u"Exposure 0"_qs));

    // Another process changes the catalog (written by rename): the window follows without being told.
    const QString script =
        test::perVariantScript({u"set rating of aVariant to 4"_qs, u"set color tag of aVariant to 4"_qs,
                                u"set exposure of adjustments of aVariant to 0.7"_qs,
                                u"set saturation of adjustments of aVariant to -20"_qs},
                               u"return 1"_qs);
    const auto run = test::runProgram({}, script.toUtf8(), catalog);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(waitUntil([&] { return window->details()->adjustmentLines().contains(u"Exposure 0.7"_qs); }));
    EXPECT_TRUE(window->details()->adjustmentLines().contains(u"Saturation -20"_qs));
    EXPECT_EQ(model->index(1, VariantBrowserModel::RatingColumn).data().toString(), u"★★★★☆"_qs);
    EXPECT_EQ(model->index(1, VariantBrowserModel::RatingColumn).data(Qt::AccessibleTextRole).toString(),
              u"4 stars"_qs);
    EXPECT_EQ(model->index(1, VariantBrowserModel::ColorTagColumn).data().toString(), u"Green"_qs);
    EXPECT_EQ(selectedRows(), QList<int>{1}) << "an update in place keeps the selection";

    // A command that replaces the document (more variants, another selection) rebuilds the browser.
    ASSERT_EQ(test::runProgram({u"reset"_qs, u"--variants"_qs, u"6"_qs, u"--select"_qs, u"5,6"_qs}, {}, catalog)
                  .exitCode,
              0);
    ASSERT_TRUE(waitUntil([&] { return model->rowCount() == 6; }));
    EXPECT_EQ(selectedRows(), (QList<int>{4, 5}));
    EXPECT_EQ(window->statusText(), u"Sample Session · 6 variants · 2 selected"_qs);

    ASSERT_EQ(test::runProgram({u"close-document"_qs}, {}, catalog).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return model->rowCount() == 0; }));
    EXPECT_EQ(window->statusText(), u"No document is open"_qs);
    EXPECT_FALSE(window->action(u"Spot Removal"_qs)->isEnabled());
}

// A photo named like markup is shown as its name: no label reads it as HTML (which would load the image
// it points at and grow to its size).
TEST_F(SimulatorWindowTest, NamesAreShownAsTypedNotAsMarkup) {
    const QString picture = folder.filePath(u"large.png"_qs);
    ASSERT_TRUE(QImage(600, 600, QImage::Format_RGB32).save(picture));
    const QString markup = u"<img src=\""_qs + picture + u"\">X"_qs;
    QString reason;
    ASSERT_TRUE(edits::editCatalog(
        catalog,
        [&](Catalog& edited) {
            edited.document->name = markup;
            edited.document->variant(edited.document->primary)->name = markup + u".jpg"_qs;
            return true;
        },
        &reason))
        << reason.toStdString();
    ASSERT_TRUE(waitUntil([&] { return window->statusText().startsWith(markup); }));

    int shown = 0;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().contains(markup))
            continue;
        ++shown;
        EXPECT_LT(label->sizeHint().height(), 300) << label->text().toStdString();
    }
    EXPECT_EQ(shown, 2) << "the variant's title and the document line";
}

TEST_F(SimulatorWindowTest, ClicksAndModifierClicksWriteTheSelectionScriptsSee) {
    clickRow(2);
    EXPECT_TRUE(selects({u"3"_qs}));
    EXPECT_EQ(document().value(u"primary"_qs).toString(), u"3"_qs);

    // Ctrl-click adds (the earlier choice keeps its place); the clicked variant becomes primary.
    clickRow(0, Qt::ControlModifier);
    EXPECT_TRUE(selects({u"3"_qs, u"1"_qs}));
    EXPECT_EQ(document().value(u"primary"_qs).toString(), u"1"_qs);

    // Shift-click selects the range from the anchor; variants already selected keep their place.
    clickRow(3, Qt::ShiftModifier);
    EXPECT_TRUE(selects({u"3"_qs, u"1"_qs, u"2"_qs, u"4"_qs}));

    // Ctrl-click on a selected variant takes it out again.
    clickRow(3, Qt::ControlModifier);
    EXPECT_TRUE(selects({u"3"_qs, u"1"_qs, u"2"_qs}));

    // A script now works on what the user chose.
    const auto run = test::runProgram(
        {}, test::perVariantScript({u"set rating of aVariant to 2"_qs}, u"return 1"_qs).toUtf8(), catalog);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(variant(2).value(u"rating"_qs).toInt(), 2);
    EXPECT_EQ(variant(4).value(u"rating"_qs).toInt(), 0);
}

TEST_F(SimulatorWindowTest, ToolsWithoutScriptingTermsChangeTheCatalog) {
    clickRow(0);
    ASSERT_TRUE(selects({u"1"_qs}));
    clickRow(1, Qt::ControlModifier);
    ASSERT_TRUE(selects({u"1"_qs, u"2"_qs}));

    trigger(u"Show Before/After"_qs);
    EXPECT_TRUE(document().value(u"beforeAfter"_qs).toBool());
    trigger(u"Show Before/After"_qs);
    EXPECT_FALSE(document().value(u"beforeAfter"_qs).toBool());

    trigger(u"Export Variants…"_qs);
    const QJsonArray exports = document().value(u"exports"_qs).toArray();
    ASSERT_EQ(exports.size(), 2);
    EXPECT_EQ(exports[0].toObject().value(u"file"_qs).toString(), u"IMG_0001.jpg"_qs);
    EXPECT_EQ(exports[1].toObject().value(u"variant"_qs).toString(), u"2"_qs);

    trigger(u"Spot Removal"_qs);
    trigger(u"Spot Removal"_qs);
    EXPECT_EQ(variant(2).value(u"spotRemovals"_qs).toInt(), 2) << "the primary variant only";
    EXPECT_EQ(variant(1).value(u"spotRemovals"_qs).toInt(), 0);

    // The keystone field: typed numbers apply as they are typed; anything else changes nothing.
    QLineEdit* field = window->keystoneField();
    trigger(u"Keystone"_qs);
    QTest::keyClicks(field, u"-25"_qs);
    auto keystone = [&] {
        return variant(2).value(u"adjustments"_qs).toObject().value(u"keystone vertical"_qs);
    };
    EXPECT_EQ(keystone().toDouble(), -25);
    field->selectAll();
    QTest::keyClicks(field, u"250"_qs);
    EXPECT_EQ(keystone().toDouble(), 25) << "250 is out of range; 25 on the way there was not";
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), u"25"_qs) << "once done, the field shows what the catalog holds";
    EXPECT_EQ(edits::keystoneAmount(u"abc"_qs), std::nullopt);
    EXPECT_EQ(edits::keystoneAmount(u"−12,5"_qs), -12.5);
    EXPECT_EQ(edits::keystoneAmount(u"nan"_qs), std::nullopt);

    // Delete Variant removes the selection; the next variant takes over.
    trigger(u"Delete Variant"_qs);
    EXPECT_EQ(document().value(u"variants"_qs).toArray().size(), 2);
    EXPECT_EQ(selection(), QStringList{u"3"_qs});
    EXPECT_EQ(window->browserModel()->rowCount(), 2);

    // Every toolbar control carries its action's exact name (ellipsis included) and a description.
    const auto buttons = window->findChildren<QToolButton*>();
    QStringList names;
    for (QToolButton* button : buttons) {
        names << button->accessibleName();
        if (!button->accessibleName().isEmpty()) {
            EXPECT_FALSE(button->accessibleDescription().isEmpty());
        }
    }
    for (const QString& name : {u"Export Variants…"_qs, u"Show Before/After"_qs, u"Keystone"_qs,
                                u"Spot Removal"_qs, u"Delete Variant"_qs})
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
}

TEST_F(SimulatorWindowTest, ADamagedCatalogIsShownNotReplacedAndClosingWritesNothing) {
    const QByteArray damaged = "{\"format\": \"orbix-c1sim-catalog\", \"version\": 1, \"document\": 7}";
    orbix::test::writeFile(catalog, damaged);
    ASSERT_TRUE(waitUntil([&] { return window->statusText().startsWith(u"The catalog can’t be read: "_qs); }));
    EXPECT_EQ(window->browserModel()->rowCount(), 0);
    trigger(u"Show Before/After"_qs);
    EXPECT_EQ(fileBytes(), damaged);

    ASSERT_EQ(test::runProgram({u"reset"_qs}, {}, catalog).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return window->browserModel()->rowCount() == 5; }));
    const QByteArray intact = fileBytes();
    window->close();
    window.reset();
    EXPECT_EQ(fileBytes(), intact);
}

TEST(VariantBrowserModelTest, UpdatesInPlaceOrRebuildsAsTheVariantsChange) {
    VariantBrowserModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Catalog catalog = Catalog::sample();
    model.setDocument(&*catalog.document);
    ASSERT_EQ(model.rowCount(), 5);

    int resets = 0;
    QList<int> changedRows;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(&model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex&) { changedRows << from.row(); });
    catalog.document->variants[3].rating = 5;
    catalog.document->variants[3].pick = true;
    model.setDocument(&*catalog.document);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(changedRows, QList<int>{3});
    EXPECT_EQ(model.index(3, VariantBrowserModel::PickColumn).data().toString(), u"Picked"_qs);
    EXPECT_TRUE(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold()) << "the primary variant";

    catalog.document->variants.erase(catalog.document->variants.begin());
    model.setDocument(&*catalog.document);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(model.rowCount(), 4);
    model.setDocument(nullptr);
    EXPECT_EQ(model.rowCount(), 0);

    EXPECT_EQ(VariantBrowserModel::ratingStars(-3), u"☆☆☆☆☆"_qs);
    EXPECT_EQ(VariantBrowserModel::ratingStars(9), u"★★★★★"_qs);
    EXPECT_EQ(VariantBrowserModel::colorTagName(7), u"Purple"_qs);
    EXPECT_EQ(VariantBrowserModel::colorTagName(12), u"Tag 12"_qs);
}

TEST(CatalogEditsTest, SelectionAndDeletionRules) {
    Catalog catalog = Catalog::withVariants(5);
    Document& document = *catalog.document;
    edits::selectVariants(document, {u"4"_qs, u"2"_qs, u"99"_qs, u"4"_qs}, u"2"_qs);
    EXPECT_EQ(ids(document.selection), (QStringList{u"4"_qs, u"2"_qs}));
    EXPECT_EQ(document.primary, u"2"_qs);
    edits::selectVariants(document, {u"3"_qs}, u"5"_qs);
    EXPECT_EQ(document.primary, u"3"_qs) << "a primary outside the selection falls back to the first";

    // Deleting 2 and 3 selects 4 (after the last deleted); deleting the last selects the one before.
    edits::selectVariants(document, {u"2"_qs, u"3"_qs}, u"2"_qs);
    EXPECT_EQ(edits::deleteSelectedVariants(document), 2);
    EXPECT_EQ(ids(document.selection), QStringList{u"4"_qs});
    edits::selectVariants(document, {u"5"_qs}, u"5"_qs);
    edits::deleteSelectedVariants(document);
    EXPECT_EQ(document.primary, u"4"_qs);
    edits::selectVariants(document, {u"1"_qs, u"4"_qs}, {});
    edits::deleteSelectedVariants(document);
    EXPECT_TRUE(document.variants.empty());
    EXPECT_TRUE(document.selection.empty());
    EXPECT_TRUE(document.primary.isEmpty());
    EXPECT_FALSE(edits::removeSpot(document));
    EXPECT_FALSE(edits::setKeystone(document, 10));
    EXPECT_EQ(edits::deleteSelectedVariants(document), 0);
}

TEST(CatalogEditsTest, WindowStateSurvivesTheFileFormAndTheDump) {
    Catalog catalog = Catalog::sample();
    Document& document = *catalog.document;
    edits::setBeforeAfter(document, true);
    edits::exportSelectedVariants(document);
    edits::removeSpot(document);
    const QJsonObject json = QJsonDocument::fromJson(catalog.toCompactJson()).object();
    QString reason;
    const auto read = Catalog::fromJson(json, &reason);
    ASSERT_TRUE(read) << reason.toStdString();
    EXPECT_EQ(read->toJson(true), catalog.toJson(true));
    EXPECT_TRUE(read->document->beforeAfter);
    ASSERT_EQ(read->document->exports.size(), 1u);
    EXPECT_EQ(read->document->exports[0].file, u"Harbour at Dawn.jpg"_qs);
    EXPECT_EQ(read->document->variants[0].spotRemovals, 1);
    // Untouched window state costs nothing in the file.
    EXPECT_FALSE(Catalog::sample().toCompactJson().contains("beforeAfter"));
    EXPECT_FALSE(Catalog::sample().toCompactJson().contains("spotRemovals"));
}
