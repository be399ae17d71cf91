#include "window/VariantViewer.h"

#include "engine/AdjustmentTable.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace orbix::c1sim {
namespace {

constexpr double kMargin = 24;
constexpr double kGap = 12;
constexpr double kCaptionHeight = 22;

double number(const Variant& variant, const char* property) {
    const auto index = adjustments::indexOf(QString::fromLatin1(property));
    return index ? variant.adjustments[size_t(*index)].toDouble() : 0;
}

QColor adjusted(QColor color, double exposure, double saturation, bool blackAndWhite) {
    const double gain = std::pow(2.0, std::clamp(exposure, -4.0, 4.0) / 2);
    float h = 0, s = 0, l = 0, a = 0;
    color.getHslF(&h, &s, &l, &a);
    l = float(std::clamp(l * gain, 0.0, 1.0));
    s = blackAndWhite ? 0.0f : float(std::clamp(s * (1 + saturation / 100), 0.0, 1.0));
    return QColor::fromHslF(h, s, l, a);
}

} // namespace

VariantViewer::VariantViewer(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Viewer"));
    setMinimumSize(360, 240);
    setAutoFillBackground(false);
}

void VariantViewer::showVariant(const Variant* variant, bool beforeAfter) {
    beforeAfter_ = beforeAfter;
    if (!variant) {
        picture_.reset();
        setAccessibleDescription(QStringLiteral("No variant selected"));
    } else {
        Picture picture;
        picture.name = variant->name;
        const double width = variant->crop.width > 0 ? variant->crop.width : double(variant->width);
        const double height = variant->crop.height > 0 ? variant->crop.height : double(variant->height);
        const auto orientation = adjustments::indexOf(QStringLiteral("orientation"));
        const bool turned = orientation && (variant->adjustments[size_t(*orientation)].toInt() / 90) % 2 == 1;
        picture.aspect = height > 0 ? (turned ? height / width : width / height) : 1.5;
        picture.exposure = number(*variant, "exposure");
        picture.saturation = number(*variant, "saturation");
        picture.keystone = number(*variant, "keystone vertical");
        const auto blackAndWhite = adjustments::indexOf(QStringLiteral("black and white"));
        picture.blackAndWhite = blackAndWhite && variant->adjustments[size_t(*blackAndWhite)].toBool();
        picture.spots = variant->spotRemovals;
        picture_ = picture;
        setAccessibleDescription(variant->name +
                                 (beforeAfter ? QStringLiteral(", before and after") : QString()));
    }
    update();
}

void VariantViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0x2b, 0x2d, 0x31));
    const QRectF area = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    if (!picture_) {
        painter.setPen(QColor(0x9a, 0x9d, 0xa3));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("No variant selected"));
        return;
    }
    if (!beforeAfter_) {
        paintPicture(painter, area, *picture_, true, picture_->name);
        return;
    }
    const double half = (area.width() - kGap) / 2;
    paintPicture(painter, QRectF(area.left(), area.top(), half, area.height()), *picture_, false,
                 QStringLiteral("Before"));
    paintPicture(painter, QRectF(area.left() + half + kGap, area.top(), half, area.height()), *picture_, true,
                 QStringLiteral("After"));
}

void VariantViewer::paintPicture(QPainter& painter, const QRectF& area, const Picture& picture,
                                 bool adjustedView, const QString& caption) const {
    const QRectF space = area.adjusted(0, 0, 0, -kCaptionHeight);
    double width = space.width();
    double height = width / picture.aspect;
    if (height > space.height()) {
        height = space.height();
        width = height * picture.aspect;
    }
    const QRectF frame(space.center().x() - width / 2, space.center().y() - height / 2, width, height);
    const double exposure = adjustedView ? picture.exposure : 0;
    const double saturation = adjustedView ? picture.saturation : 0;
    const bool blackAndWhite = adjustedView && picture.blackAndWhite;
    auto tone = [&](QColor color) { return adjusted(color, exposure, saturation, blackAndWhite); };

    // Keystone correction narrows one edge of the frame, as the corrected picture would.
    const double inset = adjustedView ? std::clamp(picture.keystone, -100.0, 100.0) / 100 * width * 0.12 : 0;
    QPainterPath outline;
    outline.moveTo(frame.left() + std::max(inset, 0.0), frame.top());
    outline.lineTo(frame.right() - std::max(inset, 0.0), frame.top());
    outline.lineTo(frame.right() - std::max(-inset, 0.0), frame.bottom());
    outline.lineTo(frame.left() + std::max(-inset, 0.0), frame.bottom());
    outline.closeSubpath();

    painter.save();
    painter.setClipPath(outline);
    QLinearGradient sky(frame.topLeft(), frame.bottomLeft());
    sky.setColorAt(0, tone(QColor(0x6f, 0x9f, 0xd8)));
    sky.setColorAt(0.55, tone(QColor(0xf2, 0xc1, 0x8d)));
    sky.setColorAt(1, tone(QColor(0x3c, 0x5a, 0x3e)));
    painter.fillRect(frame, sky);
    QPainterPath hills;
    hills.moveTo(frame.left(), frame.bottom());
    hills.lineTo(frame.left(), frame.top() + frame.height() * 0.68);
    hills.quadTo(frame.left() + frame.width() * 0.3, frame.top() + frame.height() * 0.45,
                 frame.left() + frame.width() * 0.6, frame.top() + frame.height() * 0.66);
    hills.quadTo(frame.left() + frame.width() * 0.8, frame.top() + frame.height() * 0.58, frame.right(),
                 frame.top() + frame.height() * 0.62);
    hills.lineTo(frame.right(), frame.bottom());
    hills.closeSubpath();
    painter.fillPath(hills, tone(QColor(0x2f, 0x4b, 0x35)));
    painter.setBrush(tone(QColor(0xff, 0xe6, 0xa8)));
    painter.setPen(Qt::NoPen);
    const double sun = std::min(frame.width(), frame.height()) * 0.09;
    painter.drawEllipse(QPointF(frame.left() + frame.width() * 0.72, frame.top() + frame.height() * 0.3), sun,
                        sun);
    // Unhealed dust spots: the Spot Removal tool heals them one at a time.
    constexpr int kDustSpots = 4;
    const qint64 healed = adjustedView ? picture.spots : 0;
    painter.setBrush(QColor(40, 40, 40, 150));
    for (int i = int(std::min<qint64>(healed, kDustSpots)); i < kDustSpots; ++i) {
        painter.drawEllipse(QPointF(frame.left() + frame.width() * (0.18 + 0.19 * i),
                                    frame.top() + frame.height() * (0.2 + 0.07 * (i % 2))),
                            3.5, 3.5);
    }
    painter.restore();

    painter.setPen(QPen(QColor(0x16, 0x17, 0x19), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    painter.setPen(QColor(0xc8, 0xcb, 0xd0));
    painter.drawText(QRectF(area.left(), area.bottom() - kCaptionHeight, area.width(), kCaptionHeight),
                     Qt::AlignCenter, caption);
}

} // namespace orbix::c1sim
