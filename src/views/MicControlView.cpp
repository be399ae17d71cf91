#include "views/MicControlView.h"

#include "model/AppModel.h"
#include "views/Symbols.h"
#include "views/ViewPalette.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace orbix::views {
namespace {

constexpr qreal kWidthFactor = 0.52;
constexpr qreal kRingInset = 10;
constexpr qreal kRingWidth = 7;
constexpr qreal kSymbolFactor = 0.3;
// How much of the state colour tints the disc under the pointer and while pressed.
constexpr qreal kHoverTint = 0.07;
constexpr qreal kPressedTint = 0.16;

views::StateColor colorFor(RealtimeVoiceState state) {
    switch (state) {
    case RealtimeVoiceState::idle:
        return views::StateColor::Blue;
    case RealtimeVoiceState::connecting:
        return views::StateColor::Orange;
    case RealtimeVoiceState::recording:
        return views::StateColor::Green;
    case RealtimeVoiceState::speaking:
        return views::StateColor::Cyan;
    case RealtimeVoiceState::failed:
        return views::StateColor::Red;
    }
    return views::StateColor::Blue;
}

QColor mixed(const QColor& base, const QColor& tint, qreal amount) {
    return QColor::fromRgbF(base.redF() + (tint.redF() - base.redF()) * amount,
                            base.greenF() + (tint.greenF() - base.greenF()) * amount,
                            base.blueF() + (tint.blueF() - base.blueF()) * amount, 1.0);
}

} // namespace

MicControlView::MicControlView(AppModel& model, QWidget* parent) : QAbstractButton(parent), model_(model) {
    setObjectName(QStringLiteral("micControl"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    connect(this, &QAbstractButton::clicked, this, [this] { model_.startComputerUseVoiceMode(); });
    connect(&model_, &AppModel::realtimeVoiceStateChanged, this, &MicControlView::updateForState);
    updateForState();
}

qreal MicControlView::diameterForWidth(qreal availableWidth) {
    return std::clamp(availableWidth * kWidthFactor, kMinimumDiameter, kMaximumDiameter);
}

QString MicControlView::toolTipFor(RealtimeVoiceState state) {
    return state == RealtimeVoiceState::idle ? QStringLiteral("Start Computer Use Voice")
                                             : QStringLiteral("Stop Computer Use Voice");
}

int MicControlView::heightForWidth(int width) const {
    return qCeil(diameterForWidth(width));
}

QSize MicControlView::sizeHint() const {
    return QSize(qCeil(kMaximumDiameter / kWidthFactor), qCeil(kMaximumDiameter));
}

QSize MicControlView::minimumSizeHint() const {
    return QSize(qCeil(kMinimumDiameter), qCeil(kMinimumDiameter));
}

void MicControlView::updateForState() {
    const QString action = toolTipFor(model_.realtimeVoiceState());
    setToolTip(action);
    setAccessibleName(action);
    update();
}

QRectF MicControlView::circleRect() const {
    const qreal d = diameter();
    return QRectF((width() - d) / 2, (height() - d) / 2, d, d);
}

bool MicControlView::hitButton(const QPoint& position) const {
    const QRectF circle = circleRect();
    const QPointF offset = QPointF(position) - circle.center();
    const qreal radius = circle.width() / 2;
    return offset.x() * offset.x() + offset.y() * offset.y() <= radius * radius;
}

void MicControlView::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    hovered_ = hitButton(event->position().toPoint());
    update();
}

void MicControlView::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hovered_ = false;
    update();
}

void MicControlView::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    const bool inside = hitButton(event->position().toPoint());
    if (inside != hovered_) {
        hovered_ = inside;
        // Only the circle is a button: the pointer says so outside it too.
        setCursor(inside ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void MicControlView::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    // The ring marks keyboard focus only; a click or the window opening does not draw it.
    const Qt::FocusReason reason = event->reason();
    showsFocusRing_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    update();
}

void MicControlView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QColor stateTint = views::stateColor(colorFor(model_.realtimeVoiceState()), pal);
    const QColor background = views::namedColor(views::NamedColor::TextBackground, pal);

    QColor discFill = background;
    if (isDown()) {
        discFill = mixed(background, stateTint, kPressedTint);
    } else if (hovered_) {
        discFill = mixed(background, stateTint, kHoverTint);
    }

    const QRectF circle = circleRect();
    // The hairline border sits inside the disc so it is not clipped at the widget's edge.
    painter.setPen(QPen(views::namedColor(views::NamedColor::Quaternary, pal), 1));
    painter.setBrush(discFill);
    painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));

    const QRectF ringRect = circle.adjusted(kRingInset + kRingWidth / 2, kRingInset + kRingWidth / 2,
                                            -kRingInset - kRingWidth / 2, -kRingInset - kRingWidth / 2);
    painter.setPen(QPen(stateTint, kRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(ringRect);

    views::paintSymbol(painter, circle, u"mic.fill", stateTint, kSymbolFactor * circle.width());

    if (hasFocus() && showsFocusRing_) {
        QPen focusPen(views::namedColor(views::NamedColor::Accent, pal), 2);
        painter.setPen(focusPen);
        painter.drawEllipse(circle.adjusted(-1, -1, 1, 1).intersected(QRectF(rect()).adjusted(1, 1, -1, -1)));
    }
}

} // namespace orbix::views
