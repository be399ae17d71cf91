#pragma once
// The named colours the views use, mapped to palette roles in this one place so light and dark
// palettes both work. State colours (blue, orange, green, cyan, red) are fixed hues tuned per palette.

#include <QColor>
#include <QPalette>

namespace orbix::views {

enum class NamedColor {
    Primary,           // body text
    Secondary,         // captions, subtitles
    Quaternary,        // hairline borders
    Accent,            // selection, prominent buttons
    TextBackground,    // the workspace and document background
    ControlBackground, // buttons, tiles
};

enum class StateColor { Blue, Orange, Green, Cyan, Red };

QColor namedColor(NamedColor color, const QPalette& palette);
QColor stateColor(StateColor color, const QPalette& palette);

// Whether the palette is dark (window text lighter than the window).
bool isDarkPalette(const QPalette& palette);

} // namespace orbix::views
