#include "views/InspectorStyle.h"

#include <QApplication>
#include <QWidget>

namespace orbix::views {
namespace {

// Sizes relative to the body text, after the usual desktop type ramp (13 pt body: 26, 22, 17, 15, 10).
qreal scale(TextStyle style) {
    switch (style) {
    case TextStyle::LargeTitle:
        return 2.0;
    case TextStyle::Title:
        return 1.7;
    case TextStyle::Title2:
        return 1.3;
    case TextStyle::Title3:
        return 1.15;
    case TextStyle::Body:
        return 1.0;
    case TextStyle::Caption:
        return 0.8;
    }
    return 1.0;
}

} // namespace

QFont textStyleFont(TextStyle style, QFont::Weight weight, const QFont& bodyFont) {
    QFont font = bodyFont;
    if (bodyFont.pixelSize() > 0) {
        font.setPixelSize(qMax(1, qRound(bodyFont.pixelSize() * scale(style))));
    } else {
        font.setPointSizeF(qMax(1.0, bodyFont.pointSizeF() * scale(style)));
    }
    font.setWeight(weight);
    return font;
}

void applyTextStyle(QWidget* widget, TextStyle style, QFont::Weight weight) {
    widget->setFont(textStyleFont(style, weight, QApplication::font()));
}

void applyForeground(QWidget* widget, NamedColor color) {
    const QPalette inherited =
        widget->parentWidget() ? widget->parentWidget()->palette() : QApplication::palette();
    QPalette palette = widget->palette();
    const QColor foreground = namedColor(color, inherited);
    palette.setColor(QPalette::WindowText, foreground);
    palette.setColor(QPalette::Text, foreground);
    widget->setPalette(palette);
}

} // namespace orbix::views
