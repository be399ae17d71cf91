#include "views/ViewPalette.h"

namespace orbix::views {
namespace {

QColor withAlpha(QColor color, int alpha) {
    color.setAlpha(alpha);
    return color;
}

} // namespace

bool isDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::WindowText).lightness() > palette.color(QPalette::Window).lightness();
}

QColor namedColor(NamedColor color, const QPalette& palette) {
    const QColor text = palette.color(QPalette::WindowText);
    switch (color) {
    case NamedColor::Primary:
        return text;
    case NamedColor::Secondary:
        return withAlpha(text, 150);
    case NamedColor::Quaternary:
        return withAlpha(text, 46);
    case NamedColor::Accent:
        return palette.color(QPalette::Highlight);
    case NamedColor::TextBackground:
        return palette.color(QPalette::Base);
    case NamedColor::ControlBackground:
        return palette.color(QPalette::Button);
    }
    return text;
}

QColor stateColor(StateColor color, const QPalette& palette) {
    const bool dark = isDarkPalette(palette);
    switch (color) {
    case StateColor::Blue:
        return dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    case StateColor::Orange:
        return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
    case StateColor::Green:
        return dark ? QColor(48, 209, 88) : QColor(40, 180, 70);
    case StateColor::Cyan:
        return dark ? QColor(100, 210, 255) : QColor(50, 173, 230);
    case StateColor::Red:
        return dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
    }
    return palette.color(QPalette::Highlight);
}

} // namespace orbix::views
