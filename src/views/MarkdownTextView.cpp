#include "views/MarkdownTextView.h"

#include "views/InspectorStyle.h"
#include "views/MarkdownLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextCursor>
#include <QtMath>

namespace orbix::views {

MarkdownTextView::MarkdownTextView(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("markdownText"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QTextEdit { background: transparent; }"));
    applyTextStyle(this, TextStyle::Body);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &MarkdownTextView::fitHeightToDocument);
}

void MarkdownTextView::appendElements(const QList<MarkdownElement>& elements) {
    elements_ += elements;
    render(elements);
}

QVariant MarkdownTextView::loadResource(int type, const QUrl& name) {
    Q_UNUSED(type);
    Q_UNUSED(name);
    return QVariant();
}

void MarkdownTextView::changeEvent(QEvent* event) {
    QTextEdit::changeEvent(event);
    // The marker colour is part of the document; it is built again in the new colours.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        document()->clear();
        pendingSpace_ = 0;
        render(elements_);
    }
}

void MarkdownTextView::fitHeightToDocument() {
    const int height = qCeil(document()->size().height()) + 2 * frameWidth();
    if (height != minimumHeight()) {
        setFixedHeight(height);
    }
}

void MarkdownTextView::render(const QList<MarkdownElement>& elements) {
    using Kind = MarkdownElement::Kind;
    const QFont body = QApplication::font();
    const QColor secondary = namedColor(NamedColor::Secondary, palette());
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    bool first = document()->isEmpty();
    for (const MarkdownElement& element : elements) {
        if (element.kind == Kind::spacer) {
            pendingSpace_ += markdownLayout::kSpacerHeight + markdownLayout::kBlockSpacing;
            continue;
        }
        const markdownLayout::BlockLook look = markdownLayout::lookOf(element.kind);
        QTextBlockFormat block;
        block.setTopMargin(first ? 0 : markdownLayout::kBlockSpacing + pendingSpace_ + look.topMargin);
        block.setBottomMargin(look.bottomMargin);
        block.setLeftMargin(look.leftMargin);
        pendingSpace_ = 0;
        QTextCharFormat plain;
        plain.setFont(textStyleFont(look.style, look.weight, body));
        if (element.kind == Kind::paragraph) {
            block.setLineHeight(markdownLayout::kParagraphExtraLineSpacing,
                                QTextBlockFormat::LineDistanceHeight);
        }
        if (element.kind == Kind::bullet) {
            // A hanging indent: the marker in the margin, wrapped lines under the text.
            QTextCharFormat marker = plain;
            marker.setFontWeight(QFont::Bold);
            marker.setForeground(secondary);
            // The gap is a space stretched to the block view's gap.
            QTextCharFormat gap = plain;
            const qreal space = QFontMetricsF(plain.font()).horizontalAdvance(QLatin1Char(' '));
            gap.setFontLetterSpacingType(QFont::AbsoluteSpacing);
            gap.setFontLetterSpacing(markdownLayout::kBulletGap - space);
            const qreal indent =
                QFontMetricsF(marker.font()).horizontalAdvance(QLatin1Char('*')) + markdownLayout::kBulletGap;
            block.setLeftMargin(indent);
            block.setTextIndent(-indent);
            first ? cursor.setBlockFormat(block) : cursor.insertBlock(block);
            cursor.insertText(QStringLiteral("*"), marker);
            cursor.insertText(QStringLiteral(" "), gap);
        } else {
            first ? cursor.setBlockFormat(block) : cursor.insertBlock(block);
        }
        first = false;
        if (look.style != TextStyle::Body) {
            // Headings are plain text: bold markers stay as typed, as in the block view.
            cursor.insertText(element.text, plain);
            continue;
        }
        const StyledText styled = parseInlineStyles(element.text);
        for (const StyledText::Run& run : styled.runs()) {
            QTextCharFormat format = plain;
            if (run.bold) {
                format.setFontWeight(QFont::Bold);
            }
            if (run.code) {
                format.setFontFamilies({QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
                format.setFontFixedPitch(true);
            }
            cursor.insertText(styled.text.sliced(run.start, run.length), format);
        }
    }
    cursor.endEditBlock();
}

} // namespace orbix::views
