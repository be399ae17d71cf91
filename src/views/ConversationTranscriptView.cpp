#include "views/ConversationTranscriptView.h"

#include "model/AppModel.h"

#include <QHelpEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>

namespace orbix::views {
namespace {

QString speaker(const ConversationMessage& message) {
    const bool spoken = message.mode == InputMode::voice;
    switch (message.role) {
    case ConversationRole::user:
        return spoken ? QStringLiteral("You (spoken)") : QStringLiteral("You");
    case ConversationRole::assistant:
        return spoken ? QStringLiteral("Orbix (spoken)") : QStringLiteral("Orbix");
    case ConversationRole::system:
        return QStringLiteral("System");
    }
    return QString();
}

} // namespace

ConversationTranscriptView::ConversationTranscriptView(AppModel& model, QWidget* parent)
    : QTextBrowser(parent), model_(model) {
    setObjectName(QStringLiteral("conversationTranscript"));
    setAccessibleName(QStringLiteral("Conversation"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    // Following the newest message unless the user scrolled up to read an older one: the range grows as
    // the text is laid out, after the rebuild itself.
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { isFollowing_ = value >= bar->maximum() - kFollowSlack; });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (isFollowing_) {
            bar->setValue(maximum);
        }
    });
    connect(&model_, &AppModel::messagesChanged, this, &ConversationTranscriptView::rebuild);
    rebuild();
}

void ConversationTranscriptView::showEvent(QShowEvent* event) {
    if (isStale_) {
        rebuild();
    }
    QTextBrowser::showEvent(event);
}

void ConversationTranscriptView::rebuild() {
    // Folded away, it only notes that it is out of date: a growing transcript changes on every word.
    isStale_ = !isVisible();
    if (isStale_) {
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const bool following = isFollowing_;
    const int kept = bar->value();
    clear();
    QTextCursor cursor(document());
    QTextCharFormat who;
    who.setFontWeight(QFont::DemiBold);
    QTextCharFormat words;
    bool first = true;
    const QList<ConversationMessage>& messages = model_.messages();
    for (qsizetype index = 0; index < messages.size(); ++index) {
        const ConversationMessage& message = messages[index];
        QTextBlockFormat block;
        block.setBottomMargin(kMessageSpacing);
        first ? cursor.setBlockFormat(block) : cursor.insertBlock(block);
        first = false;
        // The block remembers its message, for the time shown on hover.
        cursor.block().setUserState(int(index));
        cursor.insertText(speaker(message) + QStringLiteral(": "), who);
        // Plain text: a message's words are never read as markup. Its line breaks stay inside its
        // paragraph, so the paragraph is the message.
        QString content = message.content;
        content.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
        cursor.insertText(content, words);
    }
    isFollowing_ = following;
    bar->setValue(following ? bar->maximum() : kept);
}

QString ConversationTranscriptView::timeAt(const QPoint& viewportPoint) const {
    const QTextBlock block = cursorForPosition(viewportPoint).block();
    const int index = block.userState();
    const QList<ConversationMessage>& messages = model_.messages();
    if (index < 0 || index >= messages.size()) {
        return QString();
    }
    return QLocale().toString(messages[index].createdAt.toLocalTime(), QLocale::ShortFormat);
}

bool ConversationTranscriptView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString time = timeAt(help->pos());
        time.isEmpty() ? QToolTip::hideText() : QToolTip::showText(help->globalPos(), time, viewport());
        return true;
    }
    return QTextBrowser::viewportEvent(event);
}

} // namespace orbix::views
