#include "views/PromptComposerView.h"

#include "model/AppModel.h"
#include "views/BusyIndicator.h"
#include "views/ComposerIcon.h"
#include "views/PromptTextField.h"
#include "views/ViewPalette.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QShortcut>
#include <algorithm>

namespace orbix::views {
namespace {

// Taller than one line the bar becomes a rounded rectangle rather than an ever rounder pill.
constexpr qreal kMaximumCornerRadius = 25;
// The translucent material: the window colour over the workspace, mostly opaque.
constexpr int kMaterialAlpha = 235;

} // namespace

PromptComposerView::PromptComposerView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("promptComposer"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    importButton_ = new ComposerIcon(QStringLiteral("plus"), QStringLiteral("Import Photos"), this);
    field_ = new PromptTextField(this);
    busy_ = new BusyIndicator(this);
    busy_->setToolTip(QStringLiteral("Orbix is working on your request"));
    busy_->setAccessibleName(QStringLiteral("Orbix is working"));
    sendButton_ = new ComposerIcon(QStringLiteral("paperplane.fill"), QStringLiteral("Send"), this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kHorizontalPadding, kVerticalPadding, kHorizontalPadding, kVerticalPadding);
    layout->setSpacing(8);
    // Buttons stay on the last line as the field grows.
    layout->addWidget(importButton_, 0, Qt::AlignBottom);
    layout->addWidget(field_, 1, Qt::AlignVCenter);
    layout->addWidget(busy_, 0, Qt::AlignVCenter);
    layout->addWidget(sendButton_, 0, Qt::AlignBottom);

    sendShortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    sendShortcut_->setContext(Qt::WindowShortcut);

    connect(importButton_, &QAbstractButton::clicked, this, [this] { model_.importPhotosFromFolder(); });
    connect(sendButton_, &QAbstractButton::clicked, this, [this] { model_.submitPrompt(); });
    connect(sendShortcut_, &QShortcut::activated, this, [this] { model_.submitPrompt(); });
    connect(field_, &PromptTextField::submitRequested, this, [this] { model_.submitPrompt(); });
    connect(field_, &PromptTextField::cancelRequested, &model_, &AppModel::cancelWork);
    connect(field_, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = field_->toPlainText();
        if (text != model_.promptText()) {
            model_.setPromptText(text);
        }
    });
    connect(&model_, &AppModel::promptTextChanged, this, &PromptComposerView::showModelText);
    connect(&model_, &AppModel::shouldFocusPromptChanged, this, &PromptComposerView::focusField);
    connect(&model_, &AppModel::isRespondingChanged, this,
            [this] { busy_->setVisible(model_.isResponding()); });

    busy_->setVisible(model_.isResponding());
    showModelText();
}

void PromptComposerView::showModelText() {
    // Only a change made elsewhere (a route, a submit clearing the field) is written back, so typing never
    // moves the cursor.
    if (field_->toPlainText() == model_.promptText()) {
        return;
    }
    field_->setPlainText(model_.promptText());
    field_->moveCursor(QTextCursor::End);
}

void PromptComposerView::focusField() {
    if (QWidget* top = window(); top && top->isVisible()) {
        top->activateWindow();
    }
    field_->setFocus(Qt::OtherFocusReason);
}

void PromptComposerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min(capsule.height() / 2, kMaximumCornerRadius);
    QColor material = palette().color(QPalette::Window);
    material.setAlpha(kMaterialAlpha);
    painter.setPen(QPen(views::namedColor(views::NamedColor::Quaternary, palette()), 1));
    painter.setBrush(material);
    painter.drawRoundedRect(capsule, radius, radius);
}

} // namespace orbix::views
