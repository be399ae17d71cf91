#include "views/UpdateArtifactView.h"

#include "model/AppModel.h"
#include "views/InspectorStyle.h"
#include "views/Symbols.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

constexpr int kPadding = 28;
constexpr int kSpacing = 18;
constexpr int kSymbolSize = 38;
constexpr int kBodyMaximumWidth = 420;
constexpr int kBodyExtraLineSpacing = 4;
constexpr int kDownloadMinimumWidth = 190;
constexpr int kLargeControlHeight = 34;
constexpr auto kSymbol = u"arrow.down.circle";

} // namespace

UpdateArtifactView::UpdateArtifactView(AppModel& model, const Artifact& artifact, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("updateArtifactView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);
    column->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    symbol_ = new QLabel(symbolGlyph(kSymbol), this);
    symbol_->setFont(symbolFont(kSymbolSize));
    symbol_->setAlignment(Qt::AlignCenter);
    symbol_->setAccessibleName(tr("Update"));
    column->addWidget(symbol_, 0, Qt::AlignHCenter);

    auto* title = new QLabel(QStringLiteral("Update Available"), this);
    title->setTextFormat(Qt::PlainText);
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    applyTextStyle(title, TextStyle::LargeTitle, QFont::DemiBold);
    column->addWidget(title, 0, Qt::AlignHCenter);

    // Plain text, not Markdown: release notes are shown as the back end wrote them.
    body_ = new QLabel(this);
    body_->setTextFormat(Qt::RichText);
    body_->setText(
        QStringLiteral("<p style=\"margin:0; -qt-line-height-type: line-distance; line-height: %1px; "
                       "white-space: pre-wrap;\" align=\"center\">%2</p>")
            .arg(kBodyExtraLineSpacing)
            .arg(artifact.body.toHtmlEscaped()));
    body_->setWordWrap(true);
    body_->setAlignment(Qt::AlignCenter);
    body_->setMaximumWidth(kBodyMaximumWidth);
    body_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    applyTextStyle(body_, TextStyle::Body);
    column->addWidget(body_, 0, Qt::AlignHCenter);

    download_ = new QPushButton(QStringLiteral("Download Update"), this);
    download_->setMinimumSize(kDownloadMinimumWidth, kLargeControlHeight);
    download_->setDefault(true);
    download_->setCursor(Qt::PointingHandCursor);
    connect(download_, &QPushButton::clicked, this, [this] { model_.downloadAvailableUpdate(); });
    column->addWidget(download_, 0, Qt::AlignHCenter);

    applyColors();
    updateLaterButton();
    connect(&model_, &AppModel::activeUpdateChanged, this, &UpdateArtifactView::updateLaterButton);
}

void UpdateArtifactView::updateLaterButton() {
    const auto& update = model_.activeUpdate();
    const bool required = update && update->mode == ProductUpdateMode::required;
    if (required && later_) {
        delete later_;
        later_ = nullptr;
    } else if (!required && !later_) {
        later_ = new QPushButton(QStringLiteral("Later"), this);
        later_->setFlat(true);
        later_->setCursor(Qt::PointingHandCursor);
        applyColors();
        connect(later_, &QPushButton::clicked, this, [this] { model_.dismissAvailableUpdate(); });
        layout()->addWidget(later_);
        layout()->setAlignment(later_, Qt::AlignHCenter);
    }
}

void UpdateArtifactView::applyColors() {
    applyForeground(symbol_, NamedColor::Secondary);
    applyForeground(body_, NamedColor::Secondary);
    // Prominent: the accent colour as the button face, like a default action.
    QPalette palette = download_->palette();
    const QPalette inherited = this->palette();
    palette.setColor(QPalette::Button, namedColor(NamedColor::Accent, inherited));
    palette.setColor(QPalette::ButtonText, inherited.color(QPalette::HighlightedText));
    download_->setPalette(palette);
    download_->setIcon(symbolIcon(kSymbol, inherited.color(QPalette::HighlightedText), 18));
    if (later_) {
        QPalette laterPalette = later_->palette();
        laterPalette.setColor(QPalette::ButtonText, namedColor(NamedColor::Secondary, inherited));
        later_->setPalette(laterPalette);
    }
}

void UpdateArtifactView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
    QWidget::changeEvent(event);
}

} // namespace orbix::views
