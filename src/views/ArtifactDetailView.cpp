#include "views/ArtifactDetailView.h"

#include "model/AppModel.h"
#include "views/InspectorStyle.h"
#include "views/MarkdownContentView.h"
#include "views/Symbols.h"
#include "views/UpdateArtifactView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace orbix::views {
namespace {

constexpr int kPartSpacing = 18;
constexpr int kHeaderSpacing = 10;
constexpr int kKindSymbolSize = 16;

// The status label on a thin translucent capsule.
class StatusCapsule : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = namedColor(NamedColor::Secondary, palette());
        fill.setAlphaF(0.10);
        QColor stroke = fill;
        stroke.setAlphaF(0.25);
        const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(stroke, 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(shape, shape.height() / 2, shape.height() / 2);
        painter.end();
        QLabel::paintEvent(event);
    }
};

QLabel* captionLabel(const QString& text, QWidget* parent, QFont::Weight weight) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    applyTextStyle(label, TextStyle::Caption, weight);
    return label;
}

} // namespace

void ArtifactDetailView::addBatchButtons(AppModel& model, QVBoxLayout& column) {
    auto* row = new QHBoxLayout;
    auto* apply = new QPushButton(QStringLiteral("Apply"), this);
    apply->setObjectName(QStringLiteral("applyBatchButton"));
    apply->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelBatchButton"));
    for (QPushButton* button : {apply, cancel}) {
        connect(button, &QPushButton::clicked, this, [&model, apply, cancel, isApply = button == apply] {
            // One answer: the model drops the batch either way.
            apply->setEnabled(false);
            cancel->setEnabled(false);
            model.answerPendingBatch(isApply);
        });
    }
    row->addStretch(1);
    row->addWidget(cancel);
    row->addWidget(apply);
    column.addLayout(row);
}

ArtifactDetailView::ArtifactDetailView(AppModel& model, const Artifact& artifact, QWidget* parent)
    : QWidget(parent), artifact_(artifact) {
    setObjectName(QStringLiteral("artifactDetailView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    if (artifact.kind == ArtifactKind::update) {
        updateView_ = new UpdateArtifactView(model, artifact, this);
        column->addWidget(updateView_);
        return;
    }
    column->setSpacing(kPartSpacing);

    auto* header = new QHBoxLayout;
    header->setSpacing(kHeaderSpacing);
    auto* symbol = new QLabel(symbolGlyph(symbolName(artifact.kind)), this);
    symbol->setFont(symbolFont(kKindSymbolSize));
    auto* kind = captionLabel(label(artifact.kind), this, QFont::Bold);
    auto* status = new StatusCapsule(label(artifact.status), this);
    status->setTextFormat(Qt::PlainText);
    applyTextStyle(status, TextStyle::Caption, QFont::DemiBold);
    status->setContentsMargins(8, 4, 8, 4);
    secondaryLabels_ = {symbol, kind, status};
    header->addWidget(symbol);
    header->addWidget(kind);
    header->addWidget(status);
    header->addStretch(1);
    column->addLayout(header);

    auto* title = new QLabel(artifact.title, this);
    title->setObjectName(QStringLiteral("artifactTitle"));
    title->setTextFormat(Qt::PlainText);
    title->setWordWrap(true);
    title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    applyTextStyle(title, TextStyle::LargeTitle, QFont::DemiBold);
    column->addWidget(title);

    markdownView_ = new MarkdownContentView(this);
    markdownView_->setMarkdown(artifact.body);
    column->addWidget(markdownView_);
    if (model.pendingBatchPreviewID() == artifact.id) {
        addBatchButtons(model, *column);
    }
    applyColors();
}

void ArtifactDetailView::applyColors() {
    for (QLabel* label : std::as_const(secondaryLabels_)) {
        applyForeground(label, NamedColor::Secondary);
    }
}

void ArtifactDetailView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
    QWidget::changeEvent(event);
}

} // namespace orbix::views
