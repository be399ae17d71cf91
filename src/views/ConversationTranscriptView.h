#pragma once
// The session's conversation as selectable text, one paragraph a message (who spoke, by voice or typed,
// then the words), newest at the bottom. It follows new messages unless the user scrolled up to read, and a
// growing voice transcript is redrawn in place. Hovering a message shows when it was said.

#include <QTextBrowser>

class QTextCursor;

namespace orbix {

class AppModel;
struct ConversationMessage;

namespace views {

class ConversationTranscriptView : public QTextBrowser {
    Q_OBJECT
public:
    explicit ConversationTranscriptView(AppModel& model, QWidget* parent = nullptr);

    // The tooltip of the message under a point of the viewport, empty between messages.
    QString timeAt(const QPoint& viewportPoint) const;

protected:
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void rebuild();
    // Messages added at the end, and messages whose words changed (a growing spoken reply).
    void appendRows(int first, int last);
    void rewriteRows(int first, int last);
    static void writeMessage(QTextCursor& cursor, const ConversationMessage& message);

    AppModel& model_;
    static constexpr int kFollowSlack = 4;
    static constexpr int kMessageSpacing = 8;
    bool isFollowing_ = true;
    // The messages changed while it was hidden.
    bool isStale_ = false;
};

} // namespace views

using views::ConversationTranscriptView;

} // namespace orbix
