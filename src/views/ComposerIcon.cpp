#include "views/ComposerIcon.h"

#include "views/Symbols.h"
#include "views/ViewPalette.h"

#include <QPainter>

namespace orbix::views {
namespace {

constexpr qreal kSymbolPoints = 14;

} // namespace

ComposerIcon::ComposerIcon(const QString& systemName, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent), systemName_(systemName) {
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setFixedSize(kDiameter, kDiameter);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

bool ComposerIcon::hitButton(const QPoint& position) const {
    const QPointF offset = QPointF(position) - QRectF(rect()).center();
    const qreal radius = kDiameter / 2.0;
    return offset.x() * offset.x() + offset.y() * offset.y() <= radius * radius;
}

void ComposerIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    QColor fill = views::namedColor(views::NamedColor::ControlBackground, pal);
    const bool dark = views::isDarkPalette(pal);
    if (isDown()) {
        fill = dark ? fill.lighter(140) : fill.darker(118);
    } else if (underMouse()) {
        fill = dark ? fill.lighter(120) : fill.darker(108);
    }
    const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(views::namedColor(views::NamedColor::Quaternary, pal), 1));
    painter.setBrush(fill);
    painter.drawEllipse(circle);
    QColor symbol = views::namedColor(views::NamedColor::Primary, pal);
    if (!isEnabled()) {
        symbol = views::namedColor(views::NamedColor::Secondary, pal);
    }
    // Material Icons glyphs fill about 5/6 of their em box; scale so the drawn symbol is 14 points.
    views::paintSymbol(painter, circle, systemName_, symbol, kSymbolPoints * 1.2);
    if (hasFocus()) {
        painter.setPen(QPen(views::namedColor(views::NamedColor::Accent, pal), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

} // namespace orbix::views
