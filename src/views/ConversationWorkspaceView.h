#pragma once
// The left pane of the main window: a centred column on the text background with the microphone control,
// the status title and subtitle of the voice state, and the prompt composer at the bottom.

#include "core/RealtimeVoiceState.h"

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace orbix {
class AppModel;
}

namespace orbix::views {

class ConversationTranscriptView;
class MicControlView;
class PromptComposerView;

class ConversationWorkspaceView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaximumColumnWidth = 620;
    static constexpr int kHorizontalPadding = 32;
    static constexpr int kBottomPadding = 24;

    explicit ConversationWorkspaceView(AppModel& model, QWidget* parent = nullptr);

    static QString statusTitle(RealtimeVoiceState state);
    static QString statusSubtitle(RealtimeVoiceState state, bool isWakeWordListening, bool isMicrophoneMissing);

    MicControlView* micControl() const { return mic_; }
    PromptComposerView* composer() const { return composer_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* subtitleLabel() const { return subtitle_; }
    QLabel* busyNoticeLabel() const { return busyNotice_; }
    QPushButton* cancelButton() const { return cancel_; }
    QToolButton* conversationToggle() const { return conversationToggle_; }
    ConversationTranscriptView* transcript() const { return transcript_; }
    // Example requests shown while the conversation is empty.
    const QList<QPushButton*>& exampleButtons() const { return exampleButtons_; }

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateStatus();
    void updateConversationToggle();
    void applyFonts();

    AppModel& model_;
    MicControlView* mic_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    // Under the subtitle while a long batch runs.
    QPushButton* cancel_ = nullptr;
    // A strip under the status: the session's messages, opened on demand.
    QToolButton* conversationToggle_ = nullptr;
    ConversationTranscriptView* transcript_ = nullptr;
    PromptComposerView* composer_ = nullptr;
    // Under the composer: a request sent while another runs waits in the field.
    QLabel* busyNotice_ = nullptr;
    QWidget* examples_ = nullptr;
    QList<QPushButton*> exampleButtons_;
};

} // namespace orbix::views
