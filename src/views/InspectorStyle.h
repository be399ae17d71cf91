#pragma once
// The text styles the inspector names (large title, title, second- and third-level title, body, caption)
// derived from the platform's body font, so they follow the desktop's font and scaling settings; and
// named foreground colours for labels, re-applied when the palette changes.

#include "views/ViewPalette.h"

#include <QFont>

class QWidget;

namespace orbix::views {

enum class TextStyle { LargeTitle, Title, Title2, Title3, Body, Caption };

// The style's font, sized relative to the given body font, at the given weight.
QFont textStyleFont(TextStyle style, QFont::Weight weight, const QFont& bodyFont);

// Sets the widget's font to the style, relative to the application's body font.
void applyTextStyle(QWidget* widget, TextStyle style, QFont::Weight weight = QFont::Normal);

// Gives the widget's text (WindowText and Text roles) the named colour of its parent's palette. Call it
// again from the owner's palette-change handler: a role set here no longer follows the parent.
void applyForeground(QWidget* widget, NamedColor color);

} // namespace orbix::views
