#pragma once
// The palettes the window can be rendered in when the desktop does not choose one (offscreen rendering).

#include <QPalette>

namespace orbix {

// A dark palette for the Fusion style: dark window and text background, light text, blue accent.
QPalette darkWindowPalette();

} // namespace orbix
