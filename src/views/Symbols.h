#pragma once
// Named symbols (the names the views use, e.g. "mic.fill") drawn as glyphs of the Material Icons font,
// so every symbol can be recoloured and scaled like text. One table maps names to glyphs.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRectF>
#include <QString>
#include <QStringView>
#include <optional>

class QPainter;

namespace orbix::views {

// The glyph of a named symbol; empty for a name the table does not know.
QString symbolGlyph(QStringView systemName);

// The icon font at a pixel size. Loads the font file once if the system does not list the family.
QFont symbolFont(qreal pixelSize);

// Whether the icon font could be found (on a machine without it symbols draw nothing).
bool symbolFontAvailable();

// Draws the symbol centred in the rectangle at the given pixel size and colour.
void paintSymbol(QPainter& painter, const QRectF& rect, QStringView systemName, const QColor& color,
                 qreal pixelSize);

// The symbol as an icon (normal, disabled and active modes follow the colour given), for buttons; a
// selected colour, when given, for rows drawn on the selection's highlight.
QIcon symbolIcon(QStringView systemName, const QColor& color, int pixelSize,
                 const std::optional<QColor>& selectedColor = std::nullopt);

} // namespace orbix::views
