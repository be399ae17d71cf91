#pragma once
// Where a window goes on a screen: fully inside the screen's available area (its frame included), at the
// size and place it had there last time when there was one, else at its default size in the middle.

#include <QMargins>
#include <QRect>
#include <optional>

namespace orbix::views::windowplacement {

// The room for a window manager's frame around the window's contents, which is unknown before the window
// is shown: a title bar and thin borders.
inline constexpr QMargins frameAllowance{4, 32, 4, 4};

// The area a window's contents may take on a screen with this available geometry.
QRect contentArea(const QRect& available);

// The contents' geometry: `saved` moved (and shrunk, if it must) as little as needed to lie inside the
// content area, or `defaultSize` centred in it.
QRect placement(const QRect& available, const QSize& defaultSize, const std::optional<QRect>& saved);

} // namespace orbix::views::windowplacement
