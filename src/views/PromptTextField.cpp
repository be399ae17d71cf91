#include "views/PromptTextField.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

namespace orbix::views {

PromptTextField::PromptTextField(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("promptField"));
    setAccessibleName(QStringLiteral("Prompt"));
    setPlaceholderText(QStringLiteral("Ask Orbix"));
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    document()->setDocumentMargin(0);
    setViewportMargins(0, kVerticalPadding, 0, kVerticalPadding);
    // The capsule behind the field is the background.
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &PromptTextField::fitHeightToContent);
    fitHeightToContent();
}

int PromptTextField::contentLineCount() const {
    int lines = 0;
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        lines += (layout && layout->lineCount() > 0) ? layout->lineCount() : 1;
    }
    return std::max(1, lines);
}

int PromptTextField::visibleLineCount() const {
    return std::min(contentLineCount(), kMaximumVisibleLines);
}

int PromptTextField::heightForLines(int lines) const {
    return lines * fontMetrics().lineSpacing() + 2 * kVerticalPadding + 2 * frameWidth();
}

QSize PromptTextField::sizeHint() const {
    return QSize(QPlainTextEdit::sizeHint().width(), heightForLines(visibleLineCount()));
}

QSize PromptTextField::minimumSizeHint() const {
    return QSize(QPlainTextEdit::minimumSizeHint().width(), heightForLines(1));
}

void PromptTextField::fitHeightToContent() {
    const int lines = contentLineCount();
    setVerticalScrollBarPolicy(lines > kMaximumVisibleLines ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    const int height = heightForLines(std::min(lines, kMaximumVisibleLines));
    if (height != this->height() || minimumHeight() != height) {
        setFixedHeight(height);
        updateGeometry();
    }
}

void PromptTextField::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    // A new width re-wraps the text.
    fitHeightToContent();
}

void PromptTextField::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && (event->modifiers() & Qt::ShiftModifier)) {
        // Shift+Return is a line break, never a submit.
        textCursor().insertText(QStringLiteral("\n"));
        return;
    }
    if (isReturn) {
        emit submitRequested();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit cancelRequested();
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace orbix::views
