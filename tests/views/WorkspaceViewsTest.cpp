// The conversation workspace driven through real widgets: status texts, the microphone control's size,
// tooltips and clicks, and the composer's keys, growth and busy indicator over the real model.
#include "AppModelTestHarness.h"
#include "model/AppModel.h"
#include "support/TestSupport.h"
#include "views/BusyIndicator.h"
#include "views/ComposerIcon.h"
#include "views/ConversationTranscriptView.h"
#include "views/ConversationWorkspaceView.h"
#include "views/MicControlView.h"
#include "views/PromptComposerView.h"
#include "views/PromptTextField.h"

#include <QAccessible>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::views;

namespace {

struct StatusCase {
    RealtimeVoiceState state;
    bool wakeListening;
    const char* title;
    const char* subtitle;
    const char* toolTip;
    bool microphoneMissing = false;
};

} // namespace

TEST(ConversationWorkspace, StatusAndMicrophoneFollowEveryVoiceState) {
    const StatusCase cases[] = {
        {RealtimeVoiceState::idle, true, "Ready", "Say \"Hey Orbix\" or type a prompt.",
         "Start Computer Use Voice"},
        {RealtimeVoiceState::idle, false, "Ready", "Use voice or type a prompt.", "Start Computer Use Voice"},
        {RealtimeVoiceState::idle, false, "Ready", "No microphone found — type a prompt.",
         "Start Computer Use Voice", true},
        {RealtimeVoiceState::connecting, false, "Connecting", "Starting GPT Realtime 2.",
         "Stop Computer Use Voice"},
        {RealtimeVoiceState::recording, true, "Listening", "Speak naturally. Orbix is listening.",
         "Stop Computer Use Voice"},
        {RealtimeVoiceState::speaking, false, "Responding", "Response is playing and updating the artifact.",
         "Stop Computer Use Voice"},
        {RealtimeVoiceState::failed, false, "Voice Failed", "Check configuration and try again.",
         "Stop Computer Use Voice"},
    };
    AppModel model{AppModelServices{}};
    ConversationWorkspaceView workspace(model);
    for (const StatusCase& c : cases) {
        model.setWakeWordListening(c.wakeListening);
        model.setMicrophoneMissing(c.microphoneMissing);
        model.setRealtimeVoiceState(c.state);
        const std::string label = rawValue(c.state).toStdString() + (c.wakeListening ? " (wake on)" : "") +
                                  (c.microphoneMissing ? " (no microphone)" : "");
        EXPECT_EQ(workspace.titleLabel()->text(), QString::fromUtf8(c.title)) << label;
        EXPECT_EQ(workspace.subtitleLabel()->text(), QString::fromUtf8(c.subtitle)) << label;
        EXPECT_EQ(workspace.micControl()->toolTip(), QString::fromUtf8(c.toolTip)) << label;
        EXPECT_EQ(workspace.micControl()->accessibleName(), QString::fromUtf8(c.toolTip)) << label;
    }
}

TEST(MicControl, DiameterFollowsTheWidthWithinItsBounds) {
    AppModel model{AppModelServices{}};
    MicControlView mic(model);
    const struct {
        int width;
        qreal diameter;
    } cases[] = {{300, 220}, {423, 220}, {500, 260}, {600, 310}, {1400, 310}};
    for (const auto& c : cases) {
        mic.resize(c.width, mic.heightForWidth(c.width));
        EXPECT_DOUBLE_EQ(mic.diameter(), c.diameter) << c.width;
        EXPECT_GE(mic.height(), qRound(c.diameter)) << "the circle fits at width " << c.width;
    }
}

TEST(MicControl, OnlyAClickInsideTheCircleStartsVoiceAndItIsAnAccessibleButton) {
    // Without voice services, starting voice mode only switches the model's mode: count those requests.
    int starts = 0;
    AppModel model{AppModelServices{}};
    QObject::connect(&model, &AppModel::inputModeChanged, [&starts] { ++starts; });
    MicControlView mic(model);
    mic.resize(600, 310);
    mic.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mic));

    QTest::mouseClick(&mic, Qt::LeftButton, {}, QPoint(5, 5)); // the corner, outside the circle
    EXPECT_EQ(starts, 0);
    QTest::mouseClick(&mic, Qt::LeftButton, {}, QPoint(300, 155));
    EXPECT_EQ(starts, 1);
    // Near the rim but inside.
    QTest::mouseClick(&mic, Qt::LeftButton, {}, QPoint(300 - 150, 155));
    EXPECT_EQ(starts, 2);
    mic.setFocus();
    QTest::keyClick(&mic, Qt::Key_Space);
    EXPECT_EQ(starts, 3) << "the keyboard reaches it too";

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&mic);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Start Computer Use Voice"));
}

class PromptComposer : public orbix::test::AppModelTest {
protected:
    PromptComposer() {
        makeModel();
        composer = std::make_unique<PromptComposerView>(*model);
        composer->resize(560, composer->sizeHint().height());
        composer->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(composer.get()));
        field()->setFocus();
    }
    PromptTextField* field() const { return composer->textField(); }
    void waitIdle() {
        EXPECT_TRUE(
            orbix::test::waitUntil([this] { return !model->isResponding(); }, std::chrono::seconds(20)));
    }
    std::unique_ptr<PromptComposerView> composer;
};

TEST_F(PromptComposer, GrowsLineByLineUpToFiveThenScrolls) {
    const int oneLine = field()->height();
    QTest::keyClicks(field(), QStringLiteral("one"));
    EXPECT_EQ(field()->height(), oneLine);
    int previous = oneLine;
    for (int line = 2; line <= 5; ++line) {
        QTest::keyClick(field(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(field(), QStringLiteral("line"));
        EXPECT_GT(field()->height(), previous) << line << " lines";
        previous = field()->height();
    }
    const int fiveLines = field()->height();
    QTest::keyClick(field(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(field(), QStringLiteral("six"));
    EXPECT_EQ(field()->height(), fiveLines);
    EXPECT_EQ(field()->visibleLineCount(), 5);
    EXPECT_GT(field()->verticalScrollBar()->maximum(), 0) << "the sixth line scrolls";
    EXPECT_EQ(model->promptText(), QStringLiteral("one\nline\nline\nline\nline\nsix"));

    model->setPromptText(QString());
    EXPECT_EQ(field()->height(), oneLine) << "clearing shrinks it back";
}

TEST_F(PromptComposer, ReturnSubmitsShiftReturnBreaksTheLine) {
    QTest::keyClicks(field(), QStringLiteral("capture one"));
    QTest::keyClick(field(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(field(), QStringLiteral("status"));
    EXPECT_TRUE(model->messages().isEmpty());
    EXPECT_EQ(model->promptText(), QStringLiteral("capture one\nstatus"));

    QTest::keyClick(field(), Qt::Key_Return);
    ASSERT_EQ(model->messages().size(), 1);
    EXPECT_EQ(model->messages()[0].content, QStringLiteral("capture one\nstatus"));
    EXPECT_TRUE(field()->toPlainText().isEmpty()) << "the field follows the model's cleared prompt";
    waitIdle();
}

TEST_F(PromptComposer, ShowsWorkWhileRespondingAndIgnoresSubmitsMeanwhile) {
    EXPECT_TRUE(composer->busyIndicator()->isHidden());
    QTest::keyClicks(field(), QStringLiteral("capture one status"));
    QTest::keyClick(field(), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(model->isResponding());
    EXPECT_TRUE(composer->busyIndicator()->isVisible());

    // Still editable; a submit while the reply is pending leaves the text alone.
    QTest::keyClicks(field(), QStringLiteral("rate this 4 stars"));
    QTest::mouseClick(composer->sendButton(), Qt::LeftButton);
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(model->promptText(), QStringLiteral("rate this 4 stars"));
    EXPECT_EQ(model->messages().size(), 1);

    waitIdle();
    EXPECT_TRUE(composer->busyIndicator()->isHidden());
    QTest::mouseClick(composer->sendButton(), Qt::LeftButton);
    EXPECT_EQ(model->messages().size(), 3) << "the send button submits once idle";
    waitIdle();
}

TEST_F(PromptComposer, TheWorkspaceSaysWhatRunsAndThatASecondRequestWaits) {
    ConversationWorkspaceView workspace(*model);
    workspace.show();
    model->setPromptText(QStringLiteral("capture one status"));
    model->submitPrompt();
    EXPECT_EQ(workspace.titleLabel()->text(), QStringLiteral("Working"));
    EXPECT_EQ(workspace.subtitleLabel()->text(), QStringLiteral("Running the command in Capture One."));
    EXPECT_TRUE(workspace.busyNoticeLabel()->isHidden());

    model->setPromptText(QStringLiteral("rate this 4 stars"));
    model->submitPrompt();
    EXPECT_TRUE(workspace.busyNoticeLabel()->isVisible());
    EXPECT_EQ(workspace.busyNoticeLabel()->text(),
              QStringLiteral("Orbix is still working on the previous request."));
    EXPECT_EQ(model->promptText(), QStringLiteral("rate this 4 stars")) << "the waiting text is kept";

    waitIdle();
    EXPECT_EQ(workspace.titleLabel()->text(), QStringLiteral("Ready"));
    EXPECT_TRUE(workspace.busyNoticeLabel()->isHidden());
    EXPECT_TRUE(model->workDescription().isEmpty());
}

TEST_F(PromptComposer, TakesFocusOnEveryRequest) {
    composer->sendButton()->setFocus();
    model->togglePromptFocus();
    EXPECT_TRUE(field()->hasFocus());
    composer->sendButton()->setFocus();
    model->togglePromptFocus(); // the flag goes back to false: still a request
    EXPECT_TRUE(field()->hasFocus());
}

// A tray batch larger than one chunk, with the question before big batches turned off.
class LongBatch : public orbix::test::AppModelTest {
protected:
    void addServices(AppModelServices& services) override {
        services.batchConfirmationThreshold = [] { return 0; };
    }
    // Imports `count` photos (all selected afterwards) and shows the workspace.
    void importPhotos(int count) {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            files << QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        }
        makeModel();
        submit("import photos from " + makeFolder("long shoot", files));
        ASSERT_EQ(model->selectedImportedPhotos().size(), count);
        workspace = std::make_unique<ConversationWorkspaceView>(*model);
        workspace->show();
    }
    int ratedFour() {
        int rated = 0;
        for (const QJsonValue& variant : simulator.variants()) {
            rated += variant.toObject().value("rating").toInt() == 4 ? 1 : 0;
        }
        return rated;
    }
    std::unique_ptr<ConversationWorkspaceView> workspace;
};

TEST_F(LongBatch, EscStopsBetweenChunksAndTheReplyAndUndoCoverExactlyWhatChanged) {
    importPhotos(250);
    // Esc is pressed as the first chunk starts, before its answer can arrive, so the stop comes after it.
    bool pressed = false;
    QObject::connect(model.get(), &AppModel::workDescriptionChanged, workspace.get(), [&] {
        if (model->workDescription() == QStringLiteral("Changing photos in Capture One: 0 of 250 done.") &&
            !pressed) {
            pressed = true;
            EXPECT_TRUE(workspace->cancelButton()->isVisible());
            EXPECT_EQ(workspace->subtitleLabel()->text(), model->workDescription());
            QTest::keyClick(workspace->composer()->textField(), Qt::Key_Escape);
        }
    });
    submit(QStringLiteral("rate these 4 stars"));
    ASSERT_TRUE(pressed);

    EXPECT_EQ(lastReply(), QStringLiteral("Stopped after 100 of 250 photos.\n"
                                          "Set rating to 4 on 100 selected variant(s)."));
    EXPECT_EQ(ratedFour(), 100) << "only the chunk that ran";
    EXPECT_TRUE(workspace->cancelButton()->isHidden());
    submit(QStringLiteral("undo"));
    EXPECT_EQ(ratedFour(), 0) << "one undo takes back what the stopped batch changed: "
                              << lastReply().toStdString();
}

TEST_F(LongBatch, AWholeRunAnswersAsOneBatch) {
    importPhotos(230);
    submit(QStringLiteral("rate these 4 stars"));
    EXPECT_EQ(lastReply(), QStringLiteral("Set rating to 4 on 230 selected variant(s)."));
    EXPECT_EQ(ratedFour(), 230);
}

TEST_F(PromptComposer, TheConversationStripListsTheSessionAndFollowsItUnlessScrolledUp) {
    ConversationWorkspaceView workspace(*model);
    workspace.resize(700, 720);
    workspace.show();
    EXPECT_TRUE(workspace.conversationToggle()->isHidden()) << "nothing to show yet";
    for (int i = 0; i < 6; ++i) {
        model->setPromptText(QStringLiteral("capture one status <b>%1</b>").arg(i));
        model->submitPrompt();
        waitIdle();
    }
    EXPECT_EQ(workspace.conversationToggle()->text(), QStringLiteral("Conversation (12)"));
    QTest::mouseClick(workspace.conversationToggle(), Qt::LeftButton);
    ConversationTranscriptView* transcript = workspace.transcript();
    ASSERT_TRUE(transcript->isVisible());
    const QString text = transcript->toPlainText();
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("You: capture one status <b>0</b>\nOrbix: Selected variants: 2\nPrimary: ")))
        << "who spoke, then the words, as text: " << text.toStdString();
    EXPECT_EQ(transcript->document()->blockCount(), 12) << "one paragraph a message, line breaks inside";
    QScrollBar* bar = transcript->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the newest message is in view";
    const QPoint firstLine = transcript->cursorRect(QTextCursor(transcript->document())).center();
    bar->setValue(0);
    EXPECT_FALSE(transcript->timeAt(firstLine).isEmpty()) << "a message tells when it was said";

    // Scrolled up to read, a new message does not pull the view down.
    model->setPromptText(QStringLiteral("capture one status"));
    model->submitPrompt();
    waitIdle();
    EXPECT_EQ(bar->value(), 0);
    // A growing spoken reply is rewritten in its own paragraph.
    model->upsertRealtimeTranscript(QStringLiteral("Rating"));
    model->upsertRealtimeTranscript(QStringLiteral("Rating set to three."));
    EXPECT_EQ(transcript->document()->blockCount(), 15);
    EXPECT_EQ(transcript->document()->lastBlock().text(), QStringLiteral("Orbix: Rating set to three."));
    EXPECT_FALSE(transcript->toPlainText().contains(QStringLiteral("Orbix: Rating\n")));
    if (const QString folder = qEnvironmentVariable("ORBIX_RENDER_DIR"); !folder.isEmpty()) {
        bar->setValue(bar->maximum());
        workspace.grab().save(folder + QStringLiteral("/conversation-strip.png"));
    }
}
