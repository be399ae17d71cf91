#include "views/ConversationWorkspaceView.h"

#include "model/AppModel.h"
#include "views/ConversationTranscriptView.h"
#include "views/MicControlView.h"
#include "views/PromptComposerView.h"
#include "views/ViewPalette.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

// Title and callout sizes relative to the body font, as desktop type ramps set them.
constexpr qreal kTitleScale = 1.55;
constexpr qreal kSubtitleScale = 1.05;
constexpr int kMicToTitleSpacing = 22;
constexpr int kTitleToSubtitleSpacing = 6;
constexpr int kComposerToNoticeSpacing = 6;
constexpr int kTranscriptHeight = 200;
constexpr int kSubtitleToExamplesSpacing = 18;
constexpr int kExampleSpacing = 6;

// Requests a newcomer can try at once; a click puts one into the prompt, to send or change.
const QStringList exampleRequests{
    QStringLiteral("Test the Capture One connection"),
    QStringLiteral("Rate the selected photos 4 stars"),
    QStringLiteral("Make these brighter and warmer"),
};

} // namespace

ConversationWorkspaceView::ConversationWorkspaceView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("conversationWorkspace"));

    auto* column = new QWidget(this);
    column->setMaximumWidth(kMaximumColumnWidth);
    mic_ = new MicControlView(model_, column);
    title_ = new QLabel(column);
    title_->setObjectName(QStringLiteral("statusTitle"));
    title_->setAlignment(Qt::AlignHCenter);
    subtitle_ = new QLabel(column);
    subtitle_->setObjectName(QStringLiteral("statusSubtitle"));
    subtitle_->setAlignment(Qt::AlignHCenter);
    subtitle_->setWordWrap(true);
    // The conversation, folded away by default so the microphone keeps the room.
    conversationToggle_ = new QToolButton(column);
    conversationToggle_->setObjectName(QStringLiteral("conversationToggle"));
    conversationToggle_->setCheckable(true);
    conversationToggle_->setAutoRaise(true);
    conversationToggle_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    conversationToggle_->setArrowType(Qt::RightArrow);
    transcript_ = new ConversationTranscriptView(model_, column);
    transcript_->setMaximumHeight(kTranscriptHeight);
    transcript_->setVisible(false);
    connect(conversationToggle_, &QToolButton::toggled, this, [this](bool open) {
        conversationToggle_->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        transcript_->setVisible(open);
    });
    cancel_ = new QPushButton(QStringLiteral("Cancel"), column);
    cancel_->setObjectName(QStringLiteral("cancelWork"));
    cancel_->setToolTip(QStringLiteral("Stop after the photos being changed now (Esc)"));
    cancel_->setVisible(model_.isWorkCancellable());
    composer_ = new PromptComposerView(model_, column);
    busyNotice_ = new QLabel(AppModel::busyNoticeText, column);
    busyNotice_->setObjectName(QStringLiteral("busyNotice"));
    busyNotice_->setTextFormat(Qt::PlainText);
    busyNotice_->setAlignment(Qt::AlignHCenter);
    busyNotice_->setVisible(model_.isBusyNoticeShown());
    examples_ = new QWidget(column);
    examples_->setObjectName(QStringLiteral("exampleRequests"));
    auto* examplesLayout = new QVBoxLayout(examples_);
    examplesLayout->setContentsMargins(0, 0, 0, 0);
    examplesLayout->setSpacing(kExampleSpacing);
    for (const QString& example : exampleRequests) {
        auto* button = new QPushButton(example, examples_);
        button->setCursor(Qt::PointingHandCursor);
        button->setToolTip(QStringLiteral("Put this request into the prompt"));
        connect(button, &QPushButton::clicked, this, [this, example] {
            model_.setPromptText(example);
            model_.togglePromptFocus();
        });
        examplesLayout->addWidget(button, 0, Qt::AlignHCenter);
        exampleButtons_ << button;
    }

    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    columnLayout->addStretch(1);
    columnLayout->addWidget(mic_);
    columnLayout->addSpacing(kMicToTitleSpacing);
    columnLayout->addWidget(title_);
    columnLayout->addSpacing(kTitleToSubtitleSpacing);
    columnLayout->addWidget(subtitle_);
    columnLayout->addSpacing(kTitleToSubtitleSpacing);
    columnLayout->addWidget(cancel_, 0, Qt::AlignHCenter);
    columnLayout->addSpacing(kSubtitleToExamplesSpacing);
    columnLayout->addWidget(examples_);
    columnLayout->addSpacing(kTitleToSubtitleSpacing);
    columnLayout->addWidget(conversationToggle_, 0, Qt::AlignHCenter);
    columnLayout->addWidget(transcript_);
    columnLayout->addStretch(1);
    columnLayout->addWidget(composer_);
    columnLayout->addSpacing(kComposerToNoticeSpacing);
    columnLayout->addWidget(busyNotice_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kHorizontalPadding, 0, kHorizontalPadding, kBottomPadding);
    layout->addWidget(column, 1, Qt::AlignHCenter);

    connect(&model_, &AppModel::realtimeVoiceStateChanged, this, &ConversationWorkspaceView::updateStatus);
    connect(&model_, &AppModel::isWakeWordListeningChanged, this, &ConversationWorkspaceView::updateStatus);
    connect(&model_, &AppModel::isRespondingChanged, this, &ConversationWorkspaceView::updateStatus);
    connect(&model_, &AppModel::workDescriptionChanged, this, &ConversationWorkspaceView::updateStatus);
    connect(&model_, &AppModel::busyNoticeChanged, this,
            [this] { busyNotice_->setVisible(model_.isBusyNoticeShown()); });
    connect(&model_, &AppModel::isMicrophoneMissingChanged, this, &ConversationWorkspaceView::updateStatus);
    connect(&model_, &AppModel::workCancellableChanged, this,
            [this] { cancel_->setVisible(model_.isWorkCancellable()); });
    connect(cancel_, &QPushButton::clicked, &model_, &AppModel::cancelWork);
    // The examples belong to the empty window: the first request (or a new session) decides.
    connect(&model_, &AppModel::messagesChanged, this, [this] {
        examples_->setVisible(model_.messages().isEmpty());
        updateConversationToggle();
    });
    updateConversationToggle();
    examples_->setVisible(model_.messages().isEmpty());
    applyFonts();
    updateStatus();
}

QString ConversationWorkspaceView::statusTitle(RealtimeVoiceState state) {
    switch (state) {
    case RealtimeVoiceState::idle:
        return QStringLiteral("Ready");
    case RealtimeVoiceState::connecting:
        return QStringLiteral("Connecting");
    case RealtimeVoiceState::recording:
        return QStringLiteral("Listening");
    case RealtimeVoiceState::speaking:
        return QStringLiteral("Responding");
    case RealtimeVoiceState::failed:
        return QStringLiteral("Voice Failed");
    }
    return QString();
}

QString ConversationWorkspaceView::statusSubtitle(RealtimeVoiceState state, bool isWakeWordListening,
                                                  bool isMicrophoneMissing) {
    switch (state) {
    case RealtimeVoiceState::idle:
        if (isMicrophoneMissing) {
            return QStringLiteral("No microphone found — type a prompt.");
        }
        return isWakeWordListening ? QStringLiteral("Say \"Hey Orbix\" or type a prompt.")
                                   : QStringLiteral("Use voice or type a prompt.");
    case RealtimeVoiceState::connecting:
        return QStringLiteral("Starting GPT Realtime 2.");
    case RealtimeVoiceState::recording:
        return QStringLiteral("Speak naturally. Orbix is listening.");
    case RealtimeVoiceState::speaking:
        return QStringLiteral("Response is playing and updating the artifact.");
    case RealtimeVoiceState::failed:
        return QStringLiteral("Check configuration and try again.");
    }
    return QString();
}

void ConversationWorkspaceView::updateConversationToggle() {
    const qsizetype count = model_.messages().size();
    conversationToggle_->setText(QStringLiteral("Conversation (%1)").arg(count));
    conversationToggle_->setVisible(count > 0);
    if (count == 0) {
        conversationToggle_->setChecked(false);
    }
}

void ConversationWorkspaceView::updateStatus() {
    const RealtimeVoiceState state = model_.realtimeVoiceState();
    // A typed request at work says so; a voice session's own states come first.
    if (state == RealtimeVoiceState::idle && !model_.workDescription().isEmpty()) {
        title_->setText(QStringLiteral("Working"));
        subtitle_->setText(model_.workDescription());
        return;
    }
    title_->setText(statusTitle(state));
    subtitle_->setText(statusSubtitle(state, model_.isWakeWordListening(), model_.isMicrophoneMissing()));
}

void ConversationWorkspaceView::applyFonts() {
    const QPalette& pal = palette();
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * kTitleScale);
    titleFont.setWeight(QFont::DemiBold);
    title_->setFont(titleFont);

    QFont subtitleFont = font();
    subtitleFont.setPointSizeF(subtitleFont.pointSizeF() * kSubtitleScale);
    subtitle_->setFont(subtitleFont);
    QPalette subtitlePalette = subtitle_->palette();
    subtitlePalette.setColor(QPalette::WindowText, views::namedColor(views::NamedColor::Secondary, pal));
    subtitle_->setPalette(subtitlePalette);
    busyNotice_->setPalette(subtitlePalette);

    // Quiet capsules in the accent colour: clickable, yet plainly suggestions rather than commands.
    const QColor accent = views::namedColor(views::NamedColor::Accent, pal);
    const QColor border = views::namedColor(views::NamedColor::Quaternary, pal);
    const QColor hover = views::namedColor(views::NamedColor::ControlBackground, pal);
    const QString style =
        QStringLiteral(
            "QPushButton { color: %1; background: transparent; border: 1px solid %2; border-radius: 11px;"
            " padding: 4px 14px; } QPushButton:hover { background: %3; }"
            " QPushButton:focus { border-color: %1; }")
            .arg(accent.name(), border.name(QColor::HexArgb), hover.name());
    for (QPushButton* button : std::as_const(exampleButtons_)) {
        button->setStyleSheet(style);
    }
}

void ConversationWorkspaceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), views::namedColor(views::NamedColor::TextBackground, palette()));
}

void ConversationWorkspaceView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        applyFonts();
    }
}

} // namespace orbix::views
