#include "views/ArtifactInspectorView.h"

#include "AppModelTestHarness.h"
#include "views/ArtifactDetailView.h"
#include "views/ArtifactListView.h"
#include "views/ImportedPhotoGridView.h"
#include "views/MarkdownContentView.h"
#include "views/MarkdownTextView.h"
#include "views/MessageArtifactView.h"
#include "views/ThumbnailLoader.h"
#include "views/UpdateArtifactView.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace orbix;
using namespace orbix::test;
using namespace orbix::views;

namespace {

class ArtifactInspectorTest : public AppModelTest {
protected:
    ArtifactInspectorView& showInspector() {
        inspector = std::make_unique<ArtifactInspectorView>(*model);
        inspector->resize(420, 700);
        inspector->show();
        return *inspector;
    }
    QString title() const { return inspector->titleLabel()->text(); }
    // Deleted documents go on the next turn of the event loop.
    QWidget* document() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return inspector->documentWidget();
    }
    template <typename View>
    View* documentAs() {
        return qobject_cast<View*>(document());
    }
    void showUpdate(ProductUpdateMode mode) {
        model->showUpdateAvailableArtifact(
            ProductUpdate{"2.0", "1.0", mode, "Faster imports.", QUrl("https://example.com/get")});
    }

    std::unique_ptr<ArtifactInspectorView> inspector;
};

} // namespace

TEST_F(ArtifactInspectorTest, HeaderAndDocumentFollowTheSelectionRules) {
    makeModel();
    showInspector();
    EXPECT_EQ(title(), "Waiting for Response");
    EXPECT_EQ(document(), nullptr);
    EXPECT_FALSE(inspector->photoGrid()->isVisible()) << "no tray without photos";

    server.enqueue("POST", "/v1/responses", modelReply({{"message", "Hello <there> & welcome."}}));
    submit("hello there");
    EXPECT_EQ(title(), "Realtime Output");
    auto* reply = documentAs<MessageArtifactView>();
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(reply->message().content, "Hello <there> & welcome.");
    EXPECT_TRUE(
        reply->findChild<QLabel*>("messageContent")->text().contains("Hello &lt;there&gt; &amp; welcome."));

    model->showProductScopeNotice();
    const Artifact notice = model->artifacts().constLast();
    EXPECT_EQ(title(), notice.title);
    auto* detail = documentAs<ArtifactDetailView>();
    ASSERT_NE(detail, nullptr);
    ASSERT_NE(detail->markdownView(), nullptr);
    EXPECT_EQ(detail->markdownView()->markdown(), notice.body);

    QTest::mouseClick(inspector->clearButton(), Qt::LeftButton);
    EXPECT_EQ(title(), "Waiting for Response") << "cleared, although the conversation has replies";
    EXPECT_EQ(document(), nullptr);
    EXPECT_EQ(model->artifacts().size(), 1) << "clearing deletes nothing";
    EXPECT_FALSE(model->selectedArtifactID().has_value());
    EXPECT_EQ(inspector->clearButton()->toolTip(), "Clear Artifact");

    model->setSelectedArtifactID(notice.id);
    EXPECT_EQ(title(), notice.title) << "selecting an artifact reopens the inspector";
    ASSERT_NE(documentAs<ArtifactDetailView>(), nullptr);

    model->setSelectedArtifactID(std::nullopt);
    EXPECT_EQ(title(), "Realtime Output");
    ASSERT_NE(documentAs<MessageArtifactView>(), nullptr);
    EXPECT_EQ(documentAs<MessageArtifactView>()->message().content, model->messages().constLast().content);
}

TEST_F(ArtifactInspectorTest, EveryReplyIsSeenAndClearLastsUntilTheNextOne) {
    makeModel();
    showInspector();
    submit("import photos from " + makeFolder("card", {"a.jpg"}));
    ASSERT_EQ(title(), "Imported Photos") << "the import's own artifact comes with its reply";
    const QUuid imported = model->artifacts().constLast().id;

    // A later reply without an artifact replaces the document an earlier request put up.
    submit("capture one status");
    EXPECT_EQ(title(), "Realtime Output");
    ASSERT_NE(documentAs<MessageArtifactView>(), nullptr);
    EXPECT_TRUE(documentAs<MessageArtifactView>()->message().content.startsWith("Selected variants"));

    // What the user chose stays up while replies arrive.
    model->setSelectedArtifactID(imported);
    submit("capture one status");
    EXPECT_EQ(title(), "Imported Photos");

    // Clear hides the document until the next reply, also across a new session.
    QTest::mouseClick(inspector->clearButton(), Qt::LeftButton);
    EXPECT_EQ(document(), nullptr);
    model->startNewSession();
    submit("capture one status");
    EXPECT_EQ(title(), "Realtime Output");
    ASSERT_NE(documentAs<MessageArtifactView>(), nullptr);
}

TEST_F(ArtifactInspectorTest, EveryArtifactIsReachableFromTheListAndBackAndForwardWalkWhatWasShown) {
    makeModel();
    showInspector();
    ArtifactListView* list = inspector->artifactList();
    EXPECT_TRUE(list->isHidden()) << "no list without artifacts";
    model->showProductScopeNotice();
    submit("import photos from " + makeFolder("card", {"a.jpg"}));
    ASSERT_EQ(model->artifacts().size(), 2);
    const Artifact notice = model->artifacts()[0];
    const Artifact imported = model->artifacts()[1];
    ASSERT_TRUE(list->isVisible());
    const QAbstractItemModel* rows = list->model();
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_TRUE(rows->index(0, 0).data().toString().startsWith("Imported Photos · document · "))
        << "newest first";
    EXPECT_FALSE(rows->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull()) << "the kind's symbol";
    EXPECT_EQ(list->currentIndex().row(), 0) << "the list follows what is on display";

    // A click on an older row shows it; the keyboard too.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(rows->index(1, 0)).center());
    EXPECT_EQ(title(), notice.title);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(title(), imported.title);

    // Back and Forward walk the artifacts shown in turn.
    list->backAction()->trigger();
    EXPECT_EQ(title(), notice.title);
    list->backAction()->trigger();
    EXPECT_EQ(title(), imported.title);
    list->backAction()->trigger();
    EXPECT_EQ(title(), notice.title) << "the first one shown";
    EXPECT_FALSE(list->backAction()->isEnabled());
    list->forwardAction()->trigger();
    EXPECT_EQ(title(), imported.title);
    EXPECT_EQ(list->backAction()->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Left));
}

TEST_F(ArtifactInspectorTest, UpdateArtifactsShowTheUpdateViewWithLaterOnlyWhenNotRequired) {
    makeModel();
    showInspector();
    showUpdate(ProductUpdateMode::recommended);
    auto* detail = documentAs<ArtifactDetailView>();
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->markdownView(), nullptr) << "an update is not shown as Markdown";
    UpdateArtifactView* update = detail->updateView();
    ASSERT_NE(update, nullptr);
    EXPECT_GE(update->downloadButton()->width(), 190);
    EXPECT_EQ(update->downloadButton()->text(), "Download Update");
    ASSERT_NE(update->laterButton(), nullptr);
    EXPECT_EQ(update->laterButton()->text(), "Later");

    QTest::mouseClick(update->laterButton(), Qt::LeftButton);
    EXPECT_FALSE(model->activeUpdate().has_value());
    EXPECT_TRUE(model->artifacts().isEmpty());
    EXPECT_EQ(document(), nullptr);
    EXPECT_EQ(title(), "Waiting for Response");

    showUpdate(ProductUpdateMode::required);
    detail = documentAs<ArtifactDetailView>();
    ASSERT_NE(detail, nullptr);
    ASSERT_NE(detail->updateView(), nullptr);
    EXPECT_EQ(detail->updateView()->laterButton(), nullptr);
    EXPECT_EQ(detail->updateView()->findChildren<QPushButton*>().size(), 1);
}

TEST_F(ArtifactInspectorTest, TrayClicksSelectExtendAndRemove) {
    makeModel();
    const QString folder = makeFolder("tray", {});
    for (const QString name : {"p1.jpg", "p2.png", "p3.jpg"}) {
        QImage image(120, 80, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(folder + "/" + name));
    }
    submit("import photos from " + folder);
    ASSERT_EQ(model->importedPhotos().size(), 3);
    const QList<ImportedPhotoAsset> photos = model->importedPhotos();
    showInspector();
    ImportedPhotoGridView* grid = inspector->photoGrid();
    ASSERT_TRUE(grid->isVisible());
    ASSERT_EQ(grid->thumbnails().size(), 3);
    EXPECT_TRUE(grid->thumbnails()[0].isSelected) << "an import selects the photos it added";

    const auto click = [&](int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(grid, Qt::LeftButton, modifiers, grid->tileRect(index).center().toPoint());
    };
    const auto selected = [&] {
        QStringList names;
        for (const auto& photo : model->selectedImportedPhotos()) {
            names << photo.displayName;
        }
        return names;
    };
    click(1);
    EXPECT_EQ(selected(), QStringList{"p2"});
    click(0, Qt::ControlModifier);
    EXPECT_EQ(selected(), QStringList({"p1", "p2"}));
    click(2, Qt::ShiftModifier);
    EXPECT_EQ(selected(), QStringList({"p1", "p2", "p3"}));
    click(1, Qt::ControlModifier);
    EXPECT_EQ(selected(), QStringList({"p1", "p3"})) << "extending toggles";
    click(2);
    EXPECT_EQ(selected(), QStringList{"p3"}) << "a plain click selects that photo only";
    EXPECT_TRUE(grid->thumbnails()[2].isSelected);
    EXPECT_FALSE(grid->thumbnails()[0].isSelected);

    // Screen readers and the UI fallback see the same tiles and can act on them.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(grid);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), "p1");
    EXPECT_TRUE(list->child(2)->state().selected);
    EXPECT_FALSE(list->child(0)->state().selected);
    EXPECT_EQ(list->indexOfChild(list->child(1)), 1);
    list->child(0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(selected(), QStringList({"p1", "p3"}));
    list->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(selected(), QStringList{"p1"});
    click(2);

    const QPointF removeButton = ImportedPhotoThumbnail::removeButtonRect(grid->tileRect(2)).center();
    EXPECT_EQ(grid->toolTipAt(removeButton), "Remove from tray");
    EXPECT_EQ(grid->toolTipAt(grid->tileRect(0).center()), "p1");
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, removeButton.toPoint());
    ASSERT_EQ(model->importedPhotos().size(), 2);
    EXPECT_EQ(model->importedPhotos()[1], photos[1]);
    EXPECT_TRUE(model->selectedImportedPhotoIDs().isEmpty()) << "the removed photo leaves the selection";
    EXPECT_EQ(grid->thumbnails().size(), 2);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(grid)->childCount(), 2);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(grid)->child(1)->text(QAccessible::Name), "p2");

    // Painting asks for the visible thumbnails; they arrive decoded.
    ASSERT_TRUE(waitUntil([&] {
        grid->grab();
        const auto picture = grid->loader().thumbnail(photos[0].url.toLocalFile());
        return picture && !picture->isNull();
    }));
}

TEST_F(ArtifactInspectorTest, TheTrayIsUsableByKeyboardAlone) {
    makeModel();
    QStringList files;
    for (int i = 0; i < 12; ++i) {
        files << QStringLiteral("k%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
    }
    submit("import photos from " + makeFolder("keys", files));
    ASSERT_EQ(model->importedPhotos().size(), 12);
    showInspector();
    inspector->resize(440, 300);
    QCoreApplication::processEvents();
    ImportedPhotoGridView* grid = inspector->photoGrid();
    ASSERT_EQ(ImportedPhotoGridView::columns(grid->width()), 5);
    inspector->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(inspector.get()));
    const auto selected = [&] {
        QStringList names;
        for (const auto& photo : model->selectedImportedPhotos()) {
            names << photo.displayName.mid(1);
        }
        return names.join(' ');
    };
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid, key, modifiers);
    };
    grid->setFocus();
    EXPECT_EQ(grid->focusedIndex(), 0) << "the focus starts on the first selected photo";
    const QImage unfocused = [&] {
        grid->clearFocus();
        return grid->grab().toImage();
    }();
    grid->setFocus();
    EXPECT_NE(grid->grab().toImage(), unfocused) << "the focused tile is drawn with a ring";

    press(Qt::Key_Right);
    EXPECT_EQ(selected(), "01") << "an arrow selects the photo it reaches, alone";
    press(Qt::Key_Down);
    EXPECT_EQ(selected(), "06");
    press(Qt::Key_Down);
    EXPECT_EQ(selected(), "11") << "the row below is short: Down stops on the last photo";
    press(Qt::Key_Down);
    press(Qt::Key_Right);
    EXPECT_EQ(grid->focusedIndex(), 11);
    press(Qt::Key_Up, Qt::ControlModifier);
    press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(grid->focusedIndex(), 5);
    EXPECT_EQ(selected(), "11") << "Ctrl moves the focus only";
    press(Qt::Key_Space);
    EXPECT_EQ(selected(), "05 11");
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(selected(), "05 06 07") << "Shift+arrows select from the anchor, the last toggled photo";
    press(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selected(), "02 03 04 05");
    press(Qt::Key_Space);
    EXPECT_EQ(selected(), "03 04 05") << "Space toggles the focused photo";
    press(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(selected(), "00 01 02") << "the toggled photo became the anchor";

    // Clicks follow the same rules and move the focus.
    const auto click = [&](int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(grid, Qt::LeftButton, modifiers, grid->tileRect(index).center().toPoint());
    };
    click(8);
    click(10, Qt::ShiftModifier);
    EXPECT_EQ(selected(), "08 09 10");
    click(6, Qt::ShiftModifier);
    EXPECT_EQ(selected(), "06 07 08") << "a Shift range keeps its anchor";
    click(3, Qt::ControlModifier);
    EXPECT_EQ(selected(), "03 06 07 08");
    click(1, Qt::ShiftModifier);
    EXPECT_EQ(selected(), "01 02 03");
    EXPECT_EQ(grid->focusedIndex(), 1);

    // Select All and None belong to the tray while it has the focus, not to the window's Edit menu.
    auto* menuSelectAll = new QAction(inspector.get());
    menuSelectAll->setShortcut(QKeySequence::SelectAll);
    inspector->addAction(menuSelectAll);
    QSignalSpy menuTriggered(menuSelectAll, &QAction::triggered);
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(model->selectedImportedPhotoCount(), 12);
    press(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model->selectedImportedPhotoCount(), 0);
    EXPECT_EQ(menuTriggered.size(), 0);

    // Delete takes the focused photo, or the selected ones, out of the tray; the focus moves on.
    press(Qt::Key_Delete);
    EXPECT_EQ(model->importedPhotos().size(), 11);
    EXPECT_EQ(grid->thumbnails()[1].photo.displayName, "k02");
    EXPECT_EQ(grid->focusedIndex(), 1);
    click(10);
    click(8, Qt::ShiftModifier);
    press(Qt::Key_Backspace);
    QStringList left;
    for (const auto& photo : model->importedPhotos()) {
        left << photo.displayName.mid(1);
    }
    EXPECT_EQ(left.join(' '), "00 02 03 04 05 06 07 08");
    EXPECT_EQ(grid->focusedIndex(), 7) << "no photo after the removed ones: the one before";
    EXPECT_EQ(grid->thumbnails()[7].photo.displayName, "k08");

    // Screen readers see which tile has the focus.
    press(Qt::Key_Left);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(grid);
    EXPECT_TRUE(list->child(6)->state().focused);
    EXPECT_FALSE(list->child(7)->state().focused);
}

TEST_F(ArtifactInspectorTest, ATallTrayFoldsToOneRowWithItsCounts) {
    makeModel();
    QStringList files;
    for (int i = 0; i < 20; ++i) {
        files << QStringLiteral("f%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
    }
    const QString folder = makeFolder("fold", files);
    submit("import photos from " + makeFolder("fold/few", {"a.jpg", "b.jpg"}));
    showInspector();
    inspector->resize(440, 600);
    QCoreApplication::processEvents();
    ImportedPhotoGridView* grid = inspector->photoGrid();
    EXPECT_FALSE(grid->isCollapsed()) << "a short tray stays open";

    submit("import photos from " + folder);
    QCoreApplication::processEvents();
    ASSERT_EQ(ImportedPhotoGridView::columns(grid->width()), 5);
    EXPECT_TRUE(grid->isCollapsed());
    EXPECT_EQ(grid->captionText(), "Imported Photos · 22 · 20 selected");
    EXPECT_EQ(grid->height(), grid->tileRect(0).bottom()) << "one row of tiles under the caption";
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(grid);
    EXPECT_TRUE(list->state().collapsed);
    EXPECT_FALSE(list->child(4)->state().invisible);
    EXPECT_TRUE(list->child(5)->state().invisible);
    model->selectImportedPhoto(model->importedPhotos()[21], false);
    grid->setFocus();
    EXPECT_EQ(grid->focusedIndex(), 0) << "the focus starts on a tile in sight";

    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->toggleRect().center());
    EXPECT_FALSE(grid->isCollapsed());
    EXPECT_TRUE(waitUntil([&] { return grid->height() == grid->tileRect(21).bottom(); })) << grid->height();
    EXPECT_TRUE(list->state().expanded);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(grid->isCollapsed());
    QTest::keyClick(grid, Qt::Key_Home);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_FALSE(grid->isCollapsed()) << "the focus leaving the first row opens the tray";
    EXPECT_EQ(grid->captionText(), "Imported Photos · 22 · 1 selected");
}

TEST_F(ArtifactInspectorTest, GridColumnsAdaptToTheWidth) {
    EXPECT_EQ(ImportedPhotoGridView::columns(10), 1);
    EXPECT_EQ(ImportedPhotoGridView::columns(64), 1);
    EXPECT_EQ(ImportedPhotoGridView::columns(137), 1);
    EXPECT_EQ(ImportedPhotoGridView::columns(138), 2);
    EXPECT_EQ(ImportedPhotoGridView::columns(364), 5);
}

TEST(MarkdownContentView, HeadingsAreNotSelectableAndBodyBlocksAre) {
    MarkdownContentView view;
    view.setMarkdown("# Title\r\nA **bold** <word>\r\n- item\r\n\r\n2. step");
    const QList<QWidget*> blocks = view.blocks();
    ASSERT_EQ(blocks.size(), 5) << "one break per carriage return and line feed";
    auto* heading = qobject_cast<QLabel*>(blocks[0]);
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text(), "Title");
    EXPECT_EQ(heading->textInteractionFlags(), Qt::NoTextInteraction);
    EXPECT_TRUE(heading->font().bold());

    auto* paragraph = qobject_cast<QLabel*>(blocks[1]);
    ASSERT_NE(paragraph, nullptr);
    EXPECT_TRUE(paragraph->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(paragraph->text().contains("<b>bold</b> &lt;word&gt;"));

    const QList<QLabel*> bullet = blocks[2]->findChildren<QLabel*>();
    ASSERT_EQ(bullet.size(), 2);
    EXPECT_EQ(bullet[0]->text(), "*");
    EXPECT_TRUE(bullet[1]->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(qobject_cast<QLabel*>(blocks[3]), nullptr) << "a spacer";
    EXPECT_FALSE(qobject_cast<QLabel*>(blocks[4])->text().contains("2")) << "no number is shown";
}

TEST(MarkdownContentView, ALongBodyShowsInOneTextViewAPartAtATime) {
    QString body;
    const int lines = 6000;
    for (int line = 1; line <= lines; ++line) {
        body += line % 3 == 0 ? QStringLiteral("- step **%1** of <img src=\"/dev/zero\">\n").arg(line)
                              : QStringLiteral("Line %1 about the light in this frame.\n").arg(line);
    }
    body += QStringLiteral("The last line.");
    MarkdownContentView view;
    view.resize(400, 300);
    view.setMarkdown(body);
    EXPECT_TRUE(view.blocks().isEmpty()) << "no widget per line";
    MarkdownTextView* text = view.textView();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(view.lineCount(), lines + 1);
    EXPECT_GT(view.shownLineCount(), 0);
    EXPECT_LT(view.shownLineCount(), view.lineCount());
    EXPECT_LE(text->toPlainText().size(), MarkdownContentView::kCharactersPerPart);
    EXPECT_TRUE(view.showMoreButton()->isVisibleTo(&view));
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("<img src=\"/dev/zero\">")))
        << "markup in a body is text";

    int clicks = 0;
    while (view.showMoreButton()->isVisibleTo(&view) && clicks < 10) {
        QTest::mouseClick(view.showMoreButton(), Qt::LeftButton);
        ++clicks;
    }
    EXPECT_GE(clicks, 1);
    EXPECT_EQ(view.shownLineCount(), view.lineCount());
    EXPECT_EQ(text->elementCount(), parseMarkdownLines(body).size()) << "every line once, none cut";
    const QString shown = text->toPlainText();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("The last line.")));
    EXPECT_TRUE(shown.contains(QStringLiteral("step 5997 of")));
    EXPECT_FALSE(shown.contains(QStringLiteral("**"))) << "bold markers are gone";

    // A short body goes back to blocks.
    view.setMarkdown(QStringLiteral("# Title\nshort"));
    EXPECT_EQ(view.textView(), nullptr);
    EXPECT_EQ(view.blocks().size(), 2);
    EXPECT_FALSE(view.showMoreButton()->isVisibleTo(&view));
}

TEST(MarkdownContentView, ALineLongerThanAPartIsCutAndItsRestFollows) {
    const QString line(MarkdownContentView::kCharactersPerPart * 2 + 10, QLatin1Char('a'));
    MarkdownContentView view;
    view.setMarkdown(line + QStringLiteral("\nb"));
    ASSERT_NE(view.textView(), nullptr);
    EXPECT_EQ(view.textView()->toPlainText().size(), MarkdownContentView::kCharactersPerPart);
    view.showMore();
    view.showMore();
    EXPECT_FALSE(view.showMoreButton()->isVisibleTo(&view));
    EXPECT_EQ(view.shownLineCount(), 2);
    EXPECT_EQ(view.textView()->toPlainText().count(QLatin1Char('a')), line.size());
}

TEST_F(ArtifactInspectorTest, AFullTrayScrollsToItsLastRowAndNoFurther) {
    makeModel();
    QStringList files;
    for (int i = 0; i < 30; ++i) {
        files << QStringLiteral("IMG_%1.jpg").arg(i);
    }
    submit("import photos from " + makeFolder("card", files));
    ASSERT_EQ(model->importedPhotos().size(), 30);
    showInspector();
    inspector->resize(440, 300);
    QCoreApplication::processEvents();
    QWidget* content = inspector->scrollArea()->widget();
    ImportedPhotoGridView* grid = inspector->photoGrid();
    ASSERT_EQ(ImportedPhotoGridView::columns(grid->width()), 5);
    EXPECT_EQ(grid->height(), grid->heightForWidth(grid->width()));
    EXPECT_EQ(content->height(), content->heightForWidth(content->width()))
        << "no blank tail below the document: the pane is as tall as its rows at the real width";
}

TEST(ImportedPhotoTile, LoadingUnreadableAndMarkedTilesLookDifferent) {
    const QRectF tile(0, 0, ImportedPhotoThumbnail::kSide, ImportedPhotoThumbnail::kSide);
    QImage photo(64, 64, QImage::Format_ARGB32_Premultiplied);
    photo.fill(QColor(90, 140, 200));
    const auto render = [&](const std::optional<QImage>& picture, const ImportedPhotoThumbnail::Look& look) {
        QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        ImportedPhotoThumbnail{}.paint(painter, tile, picture, look, QApplication::palette());
        return image;
    };
    ImportedPhotoThumbnail::Look plain;
    ImportedPhotoThumbnail::Look later;
    later.loadingPhase = 0.5;
    EXPECT_NE(render(std::nullopt, plain), render(QImage(), plain)) << "loading is not unreadable";
    EXPECT_NE(render(std::nullopt, plain), render(std::nullopt, later)) << "the shimmer moves";

    ImportedPhotoThumbnail::Look marked;
    marked.marks = PhotoMarks{3, true, 4};
    const QImage withMarks = render(photo, marked);
    const QImage withoutMarks = render(photo, plain);
    EXPECT_EQ(withMarks.copy(0, 0, 64, 40), withoutMarks.copy(0, 0, 64, 40)) << "marks stay at the bottom";
    EXPECT_NE(withMarks.copy(0, 46, 64, 18), withoutMarks.copy(0, 46, 64, 18));
    ImportedPhotoThumbnail::Look unmarked;
    unmarked.marks = PhotoMarks{};
    EXPECT_EQ(render(photo, unmarked), withoutMarks) << "a photo without marks carries no strip";
    EXPECT_EQ(ImportedPhotoThumbnail::colorTagColor(0), QColor());
    EXPECT_EQ(ImportedPhotoThumbnail::colorTagColor(8), QColor());
    EXPECT_TRUE(ImportedPhotoThumbnail::colorTagColor(7).isValid());

    // The states side by side, for the documentation: loading, unreadable, marked, marked and selected.
    if (const QString folder = qEnvironmentVariable("ORBIX_RENDER_DIR"); !folder.isEmpty()) {
        constexpr int gap = 10;
        QImage strip(2 * (4 * 64 + 5 * gap), 2 * (64 + 2 * gap), QImage::Format_ARGB32_Premultiplied);
        strip.setDevicePixelRatio(2);
        strip.fill(QApplication::palette().color(QPalette::Base));
        QPainter painter(&strip);
        ImportedPhotoThumbnail selected;
        selected.isSelected = true;
        ImportedPhotoThumbnail::Look picked;
        picked.marks = PhotoMarks{5, true, 0};
        const auto at = [&](int index) { return QRectF(gap + index * (64 + gap), gap, 64, 64); };
        ImportedPhotoThumbnail{}.paint(painter, at(0), std::nullopt, later, QApplication::palette());
        ImportedPhotoThumbnail{}.paint(painter, at(1), QImage(), plain, QApplication::palette());
        ImportedPhotoThumbnail{}.paint(painter, at(2), photo, marked, QApplication::palette());
        selected.paint(painter, at(3), photo, picked, QApplication::palette());
        painter.end();
        EXPECT_TRUE(strip.save(QDir(folder).filePath(QStringLiteral("tray-tiles.png"))));
    }
}

TEST_F(ArtifactInspectorTest, AnUnreadableTileSaysSoInItsTooltip) {
    makeModel();
    const QString folder = makeFolder("tray", {"broken.jpg"});
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(folder + "/fine.png"));
    submit("import photos from " + folder);
    ASSERT_EQ(model->importedPhotos().size(), 2);
    showInspector();
    ImportedPhotoGridView* grid = inspector->photoGrid();
    ASSERT_TRUE(waitUntil([&] {
        grid->grab();
        const auto broken = grid->loader().thumbnail(model->importedPhotos()[0].url.toLocalFile());
        const auto fine = grid->loader().thumbnail(model->importedPhotos()[1].url.toLocalFile());
        return broken && fine;
    }));
    EXPECT_EQ(grid->toolTipAt(grid->tileRect(0).center()), "broken\nCan\u2019t read this file");
    EXPECT_EQ(grid->toolTipAt(grid->tileRect(1).center()), "fine");
}
