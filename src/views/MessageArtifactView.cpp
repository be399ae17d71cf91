#include "views/MessageArtifactView.h"

#include "views/InspectorStyle.h"
#include "views/MarkdownParser.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

constexpr int kCaptionSpacing = 10;
constexpr int kExtraLineSpacing = 5;

} // namespace

MessageArtifactView::MessageArtifactView(const ConversationMessage& message, QWidget* parent)
    : QWidget(parent), message_(message) {
    setObjectName(QStringLiteral("messageArtifactView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kCaptionSpacing);
    caption_ = new QLabel(QStringLiteral("Assistant Response").toUpper(), this);
    caption_->setTextFormat(Qt::PlainText);
    applyTextStyle(caption_, TextStyle::Caption, QFont::Bold);
    column->addWidget(caption_);

    auto* content = new QLabel(this);
    content->setObjectName(QStringLiteral("messageContent"));
    content->setTextFormat(Qt::RichText);
    content->setText(
        QStringLiteral("<p style=\"margin:0; -qt-line-height-type: line-distance; line-height: %1px; "
                       "white-space: pre-wrap;\">%2</p>")
            .arg(kExtraLineSpacing)
            .arg(parseCodeSpans(message.content).toHtml()));
    content->setWordWrap(true);
    content->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    content->setCursor(Qt::IBeamCursor);
    applyTextStyle(content, TextStyle::Title3);
    column->addWidget(content);
    applyForeground(caption_, NamedColor::Secondary);
}

void MessageArtifactView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        applyForeground(caption_, NamedColor::Secondary);
    }
    QWidget::changeEvent(event);
}

} // namespace orbix::views
