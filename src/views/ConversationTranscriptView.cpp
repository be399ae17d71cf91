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
    // New messages are appended and a growing one rewritten in place; anything else rebuilds.
    const ConversationModel* messages = &model_.conversationModel();
    connect(messages, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { appendRows(first, last); });
    connect(
        messages, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& first, const QModelIndex& last) { rewriteRows(first.row(), last.row()); });
    connect(messages, &QAbstractItemModel::rowsRemoved, this, &ConversationTranscriptView::rebuild);
    connect(messages, &QAbstractItemModel::modelReset, this, &ConversationTranscriptView::rebuild);
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
    appendRows(0, model_.conversationModel().rowCount() - 1);
    isFollowing_ = following;
    bar->setValue(following ? bar->maximum() : kept);
}

void ConversationTranscriptView::appendRows(int first, int last) {
    if (!isVisible() || isStale_ || first != document()->blockCount() - (document()->isEmpty() ? 1 : 0)) {
        rebuild();
        return;
    }
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const QList<ConversationMessage>& messages = model_.messages();
    for (int row = first; row <= last; ++row) {
        QTextBlockFormat block;
        block.setBottomMargin(kMessageSpacing);
        row == 0 ? cursor.setBlockFormat(block) : cursor.insertBlock(block);
        // The block remembers its message, for the time shown on hover.
        cursor.block().setUserState(row);
        writeMessage(cursor, messages[row]);
    }
}

void ConversationTranscriptView::rewriteRows(int first, int last) {
    if (!isVisible() || isStale_) {
        rebuild();
        return;
    }
    const QList<ConversationMessage>& messages = model_.messages();
    for (int row = first; row <= last; ++row) {
        QTextCursor cursor(document()->findBlockByNumber(row));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        writeMessage(cursor, messages[row]);
    }
}

void ConversationTranscriptView::writeMessage(QTextCursor& cursor, const ConversationMessage& message) {
    QTextCharFormat who;
    who.setFontWeight(QFont::DemiBold);
    cursor.insertText(speaker(message) + QStringLiteral(": "), who);
    // Plain text: a message's words are never read as markup. Its line breaks stay inside its paragraph, so
    // the paragraph is the message.
    QString content = message.content;
    content.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
    cursor.insertText(content, QTextCharFormat());
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
