#include "views/MarkdownContentView.h"

#include "views/InspectorStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

constexpr int kBlockSpacing = 10;
constexpr int kBulletGap = 6;
constexpr int kNumberedIndent = 12;
constexpr int kSpacerHeight = 4;
constexpr int kParagraphExtraLineSpacing = 3;

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
    rebuild();
}

void MarkdownContentView::setMarkdown(const QString& markdown) {
    if (markdown == markdown_ && !blocks_.isEmpty()) {
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
    }
    QWidget::changeEvent(event);
}

void MarkdownContentView::rebuild() {
    for (QWidget* block : std::as_const(blocks_)) {
        delete block;
    }
    blocks_.clear();
    bulletMarkers_.clear();
    for (const MarkdownElement& element : parseMarkdownLines(markdown_)) {
        QWidget* block = elementView(element);
        layout_->addWidget(block);
        blocks_.append(block);
    }
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
    case Kind::h1: {
        QLabel* label = headingLabel(element.text);
        applyTextStyle(label, TextStyle::Title, QFont::Bold);
        label->setContentsMargins(0, 12, 0, 4);
        return label;
    }
    case Kind::h2: {
        QLabel* label = headingLabel(element.text);
        applyTextStyle(label, TextStyle::Title2, QFont::Bold);
        label->setContentsMargins(0, 8, 0, 2);
        return label;
    }
    case Kind::h3: {
        QLabel* label = headingLabel(element.text);
        applyTextStyle(label, TextStyle::Title3, QFont::Bold);
        label->setContentsMargins(0, 6, 0, 0);
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
        label->setContentsMargins(kNumberedIndent, 0, 0, 0);
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
