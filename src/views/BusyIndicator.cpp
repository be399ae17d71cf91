#include "views/BusyIndicator.h"

#include "views/ViewPalette.h"

#include <QPainter>

namespace orbix::views {
namespace {

constexpr int kFrameMilliseconds = 40;
constexpr int kDegreesPerFrame = 12;
constexpr int kArcDegrees = 270;

} // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    timer_.setInterval(kFrameMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + kDegreesPerFrame) % 360;
        update();
    });
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_.stop();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(3, 3, -3, -3);
    painter.setPen(QPen(views::namedColor(views::NamedColor::Quaternary, palette()), 2.5));
    painter.drawEllipse(area);
    QPen arc(views::namedColor(views::NamedColor::Accent, palette()), 2.5);
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    // Qt angles are counter-clockwise in sixteenths of a degree; spin clockwise.
    painter.drawArc(area, -angle_ * 16, kArcDegrees * 16 / 3);
}

} // namespace orbix::views
