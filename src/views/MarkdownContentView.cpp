#include "views/MarkdownContentView.h"

#include "views/InspectorStyle.h"
#include "views/MarkdownLayout.h"
#include "views/MarkdownTextView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

using namespace markdownLayout;

QString withExtraLineSpacing(const QString& html, int pixels) {
    return QStringLiteral(
               "<p style=\"margin:0; -qt-line-height-type: line-distance; line-height: %1px;\">%2</p>")
        .arg(pixels)
        .arg(html);
}

} // namespace

MarkdownContentView::MarkdownContentView(QWidget* parent) : QWidget(parent) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(kBlockSpacing);
    layout_->setAlignment(Qt::AlignTop);

    moreRow_ = new QWidget(this);
    auto* row = new QHBoxLayout(moreRow_);
    row->setContentsMargins(0, 0, 0, 0);
    shownCaption_ = new QLabel(moreRow_);
    shownCaption_->setTextFormat(Qt::PlainText);
    applyTextStyle(shownCaption_, TextStyle::Caption);
    showMoreButton_ = new QPushButton(QStringLiteral("Show More"), moreRow_);
    showMoreButton_->setObjectName(QStringLiteral("showMoreButton"));
    connect(showMoreButton_, &QPushButton::clicked, this, &MarkdownContentView::showMore);
    row->addWidget(shownCaption_);
    row->addStretch(1);
    row->addWidget(showMoreButton_);
    layout_->addWidget(moreRow_);
    rebuild();
}

void MarkdownContentView::setMarkdown(const QString& markdown) {
    if (markdown == markdown_ && (!blocks_.isEmpty() || textView_)) {
        return;
    }
    markdown_ = markdown;
    rebuild();
}

void MarkdownContentView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        for (QLabel* marker : std::as_const(bulletMarkers_)) {
            applyForeground(marker, NamedColor::Secondary);
        }
        applyForeground(shownCaption_, NamedColor::Secondary);
    }
    QWidget::changeEvent(event);
}

void MarkdownContentView::rebuild() {
    for (QWidget* block : std::as_const(blocks_)) {
        delete block;
    }
    blocks_.clear();
    bulletMarkers_.clear();
    delete textView_;
    textView_ = nullptr;
    lineCount_ = markdownLineCount(markdown_);
    shownEnd_ = 0;
    shownLines_ = 0;
    everythingShown_ = false;
    if (lineCount_ <= kMostBlockLines && markdown_.size() <= kCharactersPerPart) {
        for (const MarkdownElement& element : parseMarkdownLines(markdown_)) {
            QWidget* block = elementView(element);
            layout_->insertWidget(layout_->count() - 1, block);
            blocks_.append(block);
        }
        shownLines_ = lineCount_;
        everythingShown_ = true;
        updateMoreRow();
        return;
    }
    textView_ = new MarkdownTextView(this);
    layout_->insertWidget(0, textView_);
    showMore();
}

void MarkdownContentView::showMore() {
    if (!textView_ || everythingShown_) {
        return;
    }
    // Whole lines up to the part's size; a single line longer than that is cut, and its rest starts the
    // next part.
    const QStringView text(markdown_);
    const qsizetype from = shownEnd_;
    qsizetype end = from;
    qsizetype next = from;
    qsizetype lines = 0;
    while (!everythingShown_) {
        const LineBounds line = lineBoundsFrom(text, next);
        if (line.end - from > kCharactersPerPart) {
            if (end == from) {
                end = from + kCharactersPerPart;
                if (text[end - 1].isHighSurrogate()) {
                    --end;
                }
                next = end;
            }
            break;
        }
        end = line.end;
        next = line.next;
        ++lines;
        everythingShown_ = line.end == text.size();
    }
    textView_->appendElements(parseMarkdownLines(text.sliced(from, end - from)));
    shownEnd_ = next;
    shownLines_ += lines;
    updateMoreRow();
}

void MarkdownContentView::updateMoreRow() {
    moreRow_->setVisible(!everythingShown_);
    shownCaption_->setText(QStringLiteral("Showing %L1 of %L2 lines").arg(shownLines_).arg(lineCount_));
    applyForeground(shownCaption_, NamedColor::Secondary);
}

QLabel* MarkdownContentView::bodyLabel(const QString& html) {
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::RichText);
    label->setText(html);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setCursor(Qt::IBeamCursor);
    applyTextStyle(label, TextStyle::Body);
    return label;
}

QLabel* MarkdownContentView::headingLabel(const QString& text) {
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

QWidget* MarkdownContentView::elementView(const MarkdownElement& element) {
    using Kind = MarkdownElement::Kind;
    switch (element.kind) {
    case Kind::h1:
    case Kind::h2:
    case Kind::h3: {
        const BlockLook look = lookOf(element.kind);
        QLabel* label = headingLabel(element.text);
        applyTextStyle(label, look.style, look.weight);
        label->setContentsMargins(0, look.topMargin, 0, look.bottomMargin);
        return label;
    }
    case Kind::bullet: {
        auto* row = new QWidget(this);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(kBulletGap);
        auto* marker = new QLabel(QStringLiteral("*"), row);
        marker->setTextFormat(Qt::PlainText);
        applyTextStyle(marker, TextStyle::Body, QFont::Bold);
        applyForeground(marker, NamedColor::Secondary);
        bulletMarkers_.append(marker);
        QLabel* text = bodyLabel(parseInlineStyles(element.text).toHtml());
        text->setParent(row);
        rowLayout->addWidget(marker, 0, Qt::AlignTop);
        rowLayout->addWidget(text, 1, Qt::AlignTop);
        return row;
    }
    case Kind::numbered: {
        QLabel* label = bodyLabel(parseInlineStyles(element.text).toHtml());
        label->setContentsMargins(lookOf(element.kind).leftMargin, 0, 0, 0);
        return label;
    }
    case Kind::paragraph:
        return bodyLabel(
            withExtraLineSpacing(parseInlineStyles(element.text).toHtml(), kParagraphExtraLineSpacing));
    case Kind::spacer: {
        auto* spacer = new QWidget(this);
        spacer->setFixedHeight(kSpacerHeight);
        return spacer;
    }
    }
    return new QWidget(this);
}

} // namespace orbix::views
