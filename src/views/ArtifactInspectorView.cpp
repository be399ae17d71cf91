#include "views/ArtifactInspectorView.h"

#include "model/AppModel.h"
#include "views/ArtifactDetailView.h"
#include "views/ArtifactListView.h"
#include "views/ImportedPhotoGridView.h"
#include "views/InspectorStyle.h"
#include "views/MessageArtifactView.h"
#include "views/Symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

constexpr int kHeaderHorizontalPadding = 24;
constexpr int kHeaderVerticalPadding = 16;
constexpr int kContentPadding = 28;
constexpr int kContentSpacing = 22;
constexpr int kClearSymbolSize = 18;

const QString kWaitingTitle = QStringLiteral("Waiting for Response");
const QString kRealtimeTitle = QStringLiteral("Realtime Output");

// A hairline in the quaternary colour.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent) : QWidget(parent) {
        setFixedHeight(1);
        setAutoFillBackground(true);
        applyColor();
    }
    void applyColor() {
        QPalette palette = this->palette();
        const QPalette inherited = parentWidget() ? parentWidget()->palette() : this->palette();
        // The hairline over the window colour, flattened so it paints opaque.
        const QColor line = namedColor(NamedColor::Quaternary, inherited);
        const QColor window = inherited.color(QPalette::Window);
        const qreal alpha = line.alphaF();
        palette.setColor(QPalette::Window,
                         QColor::fromRgbF(line.redF() * alpha + window.redF() * (1 - alpha),
                                          line.greenF() * alpha + window.greenF() * (1 - alpha),
                                          line.blueF() * alpha + window.blueF() * (1 - alpha)));
        setPalette(palette);
    }
};

// Text of a document, to tell whether what is shown changed.
QString documentKey(const Artifact& artifact) {
    return QStringLiteral("artifact:") + artifact.id.toString() + rawValue(artifact.kind) + QLatin1Char('\n') +
           rawValue(artifact.status) + QLatin1Char('\n') + artifact.title + QLatin1Char('\n') + artifact.body;
}

QString documentKey(const ConversationMessage& message) {
    return QStringLiteral("message:") + message.id.toString() + message.content;
}

} // namespace

ArtifactInspectorView::ArtifactInspectorView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("artifactInspector"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(kHeaderHorizontalPadding, kHeaderVerticalPadding, kHeaderHorizontalPadding,
                               kHeaderVerticalPadding);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    caption_ = new QLabel(QStringLiteral("Capture One Output").toUpper(), this);
    caption_->setTextFormat(Qt::PlainText);
    applyTextStyle(caption_, TextStyle::Caption, QFont::Bold);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("inspectorTitle"));
    title_->setTextFormat(Qt::PlainText);
    title_->setWordWrap(true);
    applyTextStyle(title_, TextStyle::Title3, QFont::DemiBold);
    titles->addWidget(caption_);
    titles->addWidget(title_);
    header->addLayout(titles, 1);

    clearButton_ = new QToolButton(this);
    clearButton_->setObjectName(QStringLiteral("clearArtifactButton"));
    clearButton_->setAutoRaise(true);
    clearButton_->setToolTip(QStringLiteral("Clear Artifact"));
    clearButton_->setAccessibleName(QStringLiteral("Clear artifact"));
    clearButton_->setIconSize(QSize(kClearSymbolSize, kClearSymbolSize));
    clearButton_->setCursor(Qt::PointingHandCursor);
    connect(clearButton_, &QToolButton::clicked, this, &ArtifactInspectorView::clearArtifact);
    header->addWidget(clearButton_, 0, Qt::AlignVCenter);
    outer->addLayout(header);

    divider_ = new Divider(this);
    outer->addWidget(divider_);
    artifactList_ = new ArtifactListView(model_, this);
    outer->addWidget(artifactList_);
    listDivider_ = new Divider(this);
    outer->addWidget(listDivider_);
    const auto showListDivider = [this] { listDivider_->setVisible(!model_.artifacts().isEmpty()); };
    connect(&model_, &AppModel::artifactsChanged, listDivider_, showListDivider);
    showListDivider();

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("inspectorContent"));
    column_ = new QVBoxLayout(content);
    column_->setContentsMargins(kContentPadding, kContentPadding, kContentPadding, kContentPadding);
    column_->setSpacing(kContentSpacing);
    grid_ = new ImportedPhotoGridView(model_, content);
    column_->addWidget(grid_);
    column_->addStretch(1);
    scrollArea_->setWidget(content);
    outer->addWidget(scrollArea_, 1);

    applyColors();
    updateHeader();
    updateTray();
    updateDocument();

    const auto refresh = [this] {
        updateHeader();
        updateDocument();
    };
    connect(&model_, &AppModel::isArtifactPanelClearedChanged, this, refresh);
    connect(&model_, &AppModel::selectedArtifactIDChanged, this, refresh);
    connect(&model_, &AppModel::artifactsChanged, this, refresh);
    connect(&model_, &AppModel::messagesChanged, this, refresh);
    connect(&model_, &AppModel::importedPhotosChanged, this, &ArtifactInspectorView::updateTray);
}

std::optional<ConversationMessage> ArtifactInspectorView::latestAssistantMessage(const AppModel& model) {
    const QList<ConversationMessage>& messages = model.messages();
    for (auto message = messages.crbegin(); message != messages.crend(); ++message) {
        if (message->role == ConversationRole::assistant) {
            return *message;
        }
    }
    return std::nullopt;
}

QString ArtifactInspectorView::headerTitle(const AppModel& model) {
    if (model.isArtifactPanelCleared()) {
        return kWaitingTitle;
    }
    if (const std::optional<Artifact> artifact = model.selectedArtifact()) {
        return artifact->title;
    }
    if (latestAssistantMessage(model)) {
        return kRealtimeTitle;
    }
    return kWaitingTitle;
}

void ArtifactInspectorView::clearArtifact() {
    // Nothing is deleted: the document is hidden until an artifact is selected again.
    model_.setSelectedArtifactID(std::nullopt);
    model_.setArtifactPanelCleared(true);
}

void ArtifactInspectorView::updateHeader() {
    title_->setText(headerTitle(model_));
}

void ArtifactInspectorView::updateTray() {
    grid_->setVisible(!model_.importedPhotos().isEmpty());
}

void ArtifactInspectorView::updateDocument() {
    const std::optional<Artifact> artifact = model_.selectedArtifact();
    std::optional<ConversationMessage> message;
    if (!artifact && !model_.isArtifactPanelCleared()) {
        message = latestAssistantMessage(model_);
    }
    const QString key = artifact ? documentKey(*artifact) : message ? documentKey(*message) : QString();
    if (key == documentKey_ && (document_ != nullptr) == !key.isEmpty()) {
        return;
    }
    documentKey_ = key;
    if (document_) {
        // Later, not now: a button of the old document may be the one whose click got us here.
        document_->hide();
        document_->deleteLater();
        document_ = nullptr;
    }
    QWidget* content = scrollArea_->widget();
    if (artifact) {
        document_ = new ArtifactDetailView(model_, *artifact, content);
    } else if (message) {
        document_ = new MessageArtifactView(*message, content);
    }
    if (document_) {
        // After the tray, before the closing stretch.
        column_->insertWidget(column_->count() - 1, document_);
    }
    if (document_ && artifact && artifact->status == ArtifactStatus::needsReview) {
        // A document that waits for an answer is brought into view past a long tray.
        QTimer::singleShot(0, document_, [this, document = document_] {
            column_->activate();
            scrollArea_->ensureWidgetVisible(document, 0, 0);
        });
    }
}

void ArtifactInspectorView::applyColors() {
    applyForeground(caption_, NamedColor::Secondary);
    clearButton_->setIcon(
        symbolIcon(u"arrow.counterclockwise", namedColor(NamedColor::Secondary, palette()), kClearSymbolSize));
    static_cast<Divider*>(divider_)->applyColor();
    static_cast<Divider*>(listDivider_)->applyColor();
    // The document area sits on the text background, like a page.
    QPalette page = scrollArea_->palette();
    page.setColor(QPalette::Window, namedColor(NamedColor::TextBackground, palette()));
    scrollArea_->viewport()->setAutoFillBackground(true);
    scrollArea_->viewport()->setPalette(page);
    scrollArea_->widget()->setAutoFillBackground(false);
}

void ArtifactInspectorView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
    QWidget::changeEvent(event);
}

} // namespace orbix::views
