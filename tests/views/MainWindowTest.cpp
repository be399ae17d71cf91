// The main window as a whole: menu commands and their shortcuts, the inspector toggle, routes from the
// intent router, and importing through the folder chooser, over the real model and the simulator.
#include "AppModelTestHarness.h"
#include "model/AppIntentRouter.h"
#include "model/AppModel.h"
#include "support/TestSupport.h"
#include "views/ArtifactInspectorView.h"
#include "views/ComposerIcon.h"
#include "views/ContentView.h"
#include "views/ConversationWorkspaceView.h"
#include "views/HelpWindows.h"
#include "views/MicControlView.h"
#include "views/PromptComposerView.h"
#include "views/PromptTextField.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::views;
using orbix::test::waitUntil;

namespace {

class MainWindow : public orbix::test::AppModelTest {
protected:
    MainWindow() { makeModel(); }

    ContentView& openWindow() {
        window = std::make_unique<ContentView>(*model, router);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    QAction* action(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }
    PromptTextField* field() const { return window->workspace()->composer()->textField(); }
    QFileDialog* chooser() const {
        return window->findChild<QFileDialog*>(QStringLiteral("importPhotosDialog"));
    }

    AppIntentRouter router;
    std::unique_ptr<ContentView> window;
};

} // namespace

TEST_F(MainWindow, OpensTitledAtItsMinimumWithTheInspectorShown) {
    openWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orbix"));
    EXPECT_EQ(window->minimumSize(), QSize(1120, 720));
    EXPECT_TRUE(window->isArtifactVisible());
    EXPECT_TRUE(window->inspector()->isVisible());
    EXPECT_TRUE(field()->hasFocus()) << "ready for typing";
    const qreal diameter = window->workspace()->micControl()->diameter();
    EXPECT_GE(diameter, MicControlView::kMinimumDiameter);
    EXPECT_LE(diameter, MicControlView::kMaximumDiameter);
}

TEST_F(MainWindow, ToolbarToggleCollapsesAndExpandsTheInspector) {
    openWindow();
    QAction* toggle = window->artifactToggle();
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("Collapse Artifact"));
    const int workspaceWidth = window->workspace()->width();
    toggle->trigger();
    EXPECT_FALSE(window->isArtifactVisible());
    EXPECT_FALSE(window->inspector()->isVisible());
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("Expand Artifact"));
    EXPECT_TRUE(waitUntil([&] { return window->workspace()->width() > workspaceWidth; }))
        << "the workspace takes the freed width";
    toggle->trigger();
    EXPECT_TRUE(window->inspector()->isVisible());
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("Collapse Artifact"));
}

TEST_F(MainWindow, MenuCommandsCarryTheirShortcutsAndReachTheModel) {
    openWindow();
    EXPECT_EQ(action("newSessionAction")->text(), QStringLiteral("New Session"));
    EXPECT_EQ(action("newSessionAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(action("focusPromptAction")->text(), QStringLiteral("Focus Prompt"));
    EXPECT_EQ(action("focusPromptAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_EQ(action("enableVoiceAction")->text(), QStringLiteral("Enable Voice"));
    EXPECT_EQ(action("enableVoiceAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    EXPECT_EQ(action("enableQuietAction")->text(), QStringLiteral("Enable Quiet"));
    EXPECT_EQ(action("enableQuietAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q));

    // Focus Prompt twice: two changes of the flag, the field focused after each.
    QSignalSpy focusRequests(model.get(), &AppModel::shouldFocusPromptChanged);
    window->workspace()->composer()->sendButton()->setFocus();
    QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(field()->hasFocus());
    window->workspace()->micControl()->setFocus();
    QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(field()->hasFocus());
    EXPECT_EQ(focusRequests.count(), 2);

    // The shortcuts work from inside the prompt field.
    QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model->inputMode(), InputMode::voice);
    QTest::keyClick(field(), Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model->inputMode(), InputMode::quiet);

    // New Session empties the conversation and keeps the tray.
    const QString shoot = makeFolder(QStringLiteral("shoot"), {QStringLiteral("a.jpg")});
    submit(QStringLiteral("import photos from ") + shoot);
    ASSERT_EQ(model->importedPhotos().size(), 1);
    model->setPromptText(QStringLiteral("half typed"));
    QTest::keyClick(field(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(model->messages().isEmpty());
    EXPECT_TRUE(model->artifacts().isEmpty());
    EXPECT_EQ(model->importedPhotos().size(), 1);
    EXPECT_TRUE(field()->toPlainText().isEmpty());
}

TEST_F(MainWindow, UndoGoesToThePromptFieldWhileItHasTypingToTakeBackThenToOrbix) {
    openWindow();
    EXPECT_EQ(action("undoAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(action("redoAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    submit("capture one rate this 4 stars");
    EXPECT_EQ(action("undoAction")->text(), "Undo Rating");
    const auto rating = [&] { return simulator.variants()[0].toObject().value("rating").toInt(); };

    field()->setFocus();
    QTest::keyClicks(field(), "half");
    QTest::keyClick(field(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field()->toPlainText(), "");
    EXPECT_EQ(rating(), 4) << "the typing went back, not the rating";

    QTest::keyClick(field(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return model->messages().last().content == "Restored rating on 2 photos."; }));
    EXPECT_EQ(rating(), 0);
    EXPECT_EQ(action("undoAction")->text(), "Undo");
    EXPECT_EQ(action("redoAction")->text(), "Redo Rating");
    // Redo likewise: the field's own first.
    QTest::keyClick(field(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field()->toPlainText(), "half");
    EXPECT_EQ(rating(), 0);
    QTest::keyClick(field(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(waitUntil([&] { return rating() == 4; }));
}

TEST_F(MainWindow, EditMenuCutCopyPasteAndSelectAllActOnThePrompt) {
    openWindow();
    field()->setFocus();
    QTest::keyClicks(field(), "rate these 4 stars");
    action("selectAllAction")->trigger();
    action("cutAction")->trigger();
    EXPECT_EQ(field()->toPlainText(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "rate these 4 stars");
    action("pasteAction")->trigger();
    action("pasteAction")->trigger();
    EXPECT_EQ(field()->toPlainText(), "rate these 4 starsrate these 4 stars");
    EXPECT_EQ(model->promptText(), field()->toPlainText()) << "the model follows the field";
    EXPECT_EQ(action("copyAction")->shortcut(), QKeySequence(QKeySequence::Copy));
}

TEST_F(MainWindow, ABatchPreviewRunsFromItsApplyButtonOnly) {
    batchThreshold = 1;
    makeModel();
    openWindow();
    submit(QStringLiteral("import photos from ") + makeFolder(QStringLiteral("card"), {"c1.jpg", "c2.jpg"}));
    submit("rate all photos 3");
    const auto rating = [&](const char* file) {
        return simulator.variantWithFile(file).value("rating").toInt();
    };
    QPushButton* apply = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        apply = window->findChild<QPushButton*>(QStringLiteral("applyBatchButton"));
        return apply && apply->isVisible();
    }));
    EXPECT_EQ(rating("c1.jpg"), 0) << "nothing before the answer";
    apply->click();
    EXPECT_TRUE(waitUntil([&] { return rating("c1.jpg") == 3 && rating("c2.jpg") == 3; }));
    EXPECT_FALSE(model->hasPendingBatch());
}

TEST_F(MainWindow, ARouteLeftBeforeTheWindowShowsIsAppliedOnFirstShowThenEveryNewOne) {
    router.setPendingRoute(AppIntentRoute::make(SidebarSection::chat, QStringLiteral("brighten the sky")));
    window = std::make_unique<ContentView>(*model, router);
    EXPECT_TRUE(model->promptText().isEmpty()) << "nothing is applied before the window shows";

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(model->promptText(), QStringLiteral("brighten the sky"));
    EXPECT_EQ(field()->toPlainText(), QStringLiteral("brighten the sky"));
    EXPECT_TRUE(field()->hasFocus());
    EXPECT_TRUE(model->messages().isEmpty()) << "a route never submits";

    // The same text again is a new request and asks for focus again.
    QSignalSpy focusRequests(model.get(), &AppModel::shouldFocusPromptChanged);
    window->workspace()->micControl()->setFocus();
    router.setPendingRoute(AppIntentRoute::make(SidebarSection::chat, QStringLiteral("brighten the sky")));
    EXPECT_EQ(focusRequests.count(), 1);
    EXPECT_TRUE(field()->hasFocus());

    // A route without text only selects the section: the typed text stays, focus is not requested.
    model->setPromptText(QStringLiteral("my own words"));
    router.setPendingRoute(AppIntentRoute::make(SidebarSection::chat, QString()));
    EXPECT_EQ(model->promptText(), QStringLiteral("my own words"));
    EXPECT_EQ(focusRequests.count(), 1);

    // Showing the window again does not replay the stored route.
    window->hide();
    window->show();
    EXPECT_EQ(model->promptText(), QStringLiteral("my own words"));
}

TEST_F(MainWindow, ImportButtonOpensANonModalFolderChooserThatImportsWhatItConfirms) {
    openWindow();
    const QString shoot =
        makeFolder(QStringLiteral("Sample Shoot"), {QStringLiteral("IMG_10.jpg"), QStringLiteral("IMG_2.jpg")});
    QTest::mouseClick(window->workspace()->composer()->importButton(), Qt::LeftButton);
    QFileDialog* dialog = chooser();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowModality(), Qt::NonModal);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Import Photos"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose a folder to import into Capture One."));

    dialog->setDirectory(QFileInfo(shoot).path());
    dialog->selectFile(QFileInfo(shoot).fileName());
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog's own accept reads the chosen folder
    ASSERT_TRUE(waitUntil([this] { return model->importedPhotos().size() == 2; }, std::chrono::seconds(20)));
    EXPECT_EQ(model->importedPhotos()[0].displayName, QStringLiteral("IMG_2"));
    EXPECT_EQ(model->selectedImportedPhotoIDs().size(), 2);
    EXPECT_TRUE(waitUntil([this] { return !model->isResponding(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(lastReply().startsWith(QStringLiteral("Started importing"))) << lastReply().toStdString();
}

TEST_F(MainWindow, CancellingTheChooserImportsNothing) {
    openWindow();
    QTest::mouseClick(window->workspace()->composer()->importButton(), Qt::LeftButton);
    ASSERT_NE(chooser(), nullptr);
    chooser()->reject();
    QCoreApplication::processEvents();
    EXPECT_TRUE(model->messages().isEmpty());
    EXPECT_TRUE(model->importedPhotos().isEmpty());
    EXPECT_FALSE(model->isResponding());
}

TEST_F(MainWindow, AChooserConfirmedAfterTheModelIsGoneDoesNothing) {
    std::function<void(const QUrl&)> confirm;
    model->setFolderChooser([&confirm](std::function<void(const QUrl&)> confirmed) { confirm = confirmed; });
    model->importPhotosFromFolder();
    ASSERT_TRUE(confirm);
    model.reset();
    confirm(QUrl::fromLocalFile(makeFolder(QStringLiteral("late"), {QStringLiteral("a.jpg")})));
    SUCCEED() << "no use of the destroyed model";
}

TEST_F(MainWindow, ASecondImportClickBringsTheOpenChooserForward) {
    openWindow();
    QTest::mouseClick(window->workspace()->composer()->importButton(), Qt::LeftButton);
    QFileDialog* first = chooser();
    ASSERT_NE(first, nullptr);
    QTest::mouseClick(window->workspace()->composer()->importButton(), Qt::LeftButton);
    EXPECT_EQ(window->findChildren<QFileDialog*>().size(), 1) << "one chooser at a time";
    EXPECT_TRUE(first->isVisible());
    first->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mouseClick(window->workspace()->composer()->importButton(), Qt::LeftButton);
    EXPECT_NE(chooser(), nullptr) << "after one closes, the next click opens a new one";
}

TEST_F(MainWindow, ExampleRequestsFillThePromptUntilTheConversationStarts) {
    openWindow();
    const QList<QPushButton*> examples = window->workspace()->exampleButtons();
    ASSERT_EQ(examples.size(), 3);
    EXPECT_TRUE(examples[0]->isVisible());
    window->workspace()->micControl()->setFocus();
    QTest::mouseClick(examples[1], Qt::LeftButton);
    EXPECT_EQ(model->promptText(), examples[1]->text());
    EXPECT_EQ(field()->toPlainText(), examples[1]->text());
    EXPECT_TRUE(field()->hasFocus()) << "ready to send or change";
    EXPECT_TRUE(model->messages().isEmpty()) << "an example is never sent by itself";

    submit(examples[0]->text());
    EXPECT_FALSE(examples[0]->isVisible());
    model->startNewSession();
    EXPECT_TRUE(examples[0]->isVisible());
}

TEST_F(MainWindow, HelpMenuShowsTheUsageSectionAndTheLicences) {
    openWindow();
    const QMenu* help = window->findChild<QMenu*>(QStringLiteral("helpMenu"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->title(), QStringLiteral("&Help"));
    EXPECT_EQ(window->findChild<QMenu*>(QStringLiteral("assistantMenu"))->title(),
              QStringLiteral("&Assistant"));
    action("orbixHelpAction")->trigger();
    action("orbixHelpAction")->trigger();
    const QList<QTextBrowser*> pages = window->findChildren<QTextBrowser*>(QStringLiteral("orbixHelpWindow"));
    ASSERT_EQ(pages.size(), 1) << "asking again brings the same page forward";
    EXPECT_TRUE(pages[0]->isVisible());
    const QString page = pages[0]->toPlainText();
    EXPECT_TRUE(page.startsWith(QStringLiteral("Using Orbix"))) << page.left(80).toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("Building by hand"))) << "only the usage section";

    const QString about = aboutOrbixText(QStringLiteral("1.2.3"));
    EXPECT_TRUE(about.contains(QStringLiteral("Orbix 1.2.3")));
    EXPECT_TRUE(about.contains(QStringLiteral("Material Icons font \u2014 Apache License 2.0")));
    EXPECT_EQ(markdownSection(QStringLiteral("# T\n## A\na\n### B\nb\n## C\nc"), QStringLiteral("A")),
              QStringLiteral("## A\na\n### B\nb"));
    EXPECT_EQ(markdownSection(QStringLiteral("## C\nc"), QStringLiteral("A")), QString());
}
