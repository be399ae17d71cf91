#include "views/Symbols.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <array>
#include <utility>

namespace orbix::views {
namespace {

constexpr auto kFontFamily = "Material Icons";

// Debian's fonts-material-design-icons-iconfont installs the font here; on other systems the font
// ships beside the application.
constexpr std::array kFontFiles{
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf",
    "/usr/local/share/fonts/MaterialIcons-Regular.ttf",
};

struct SymbolGlyph {
    const char* name;
    char16_t codePoint;
};

constexpr std::array kSymbols{
    SymbolGlyph{"mic.fill", 0xe029},                           // mic
    SymbolGlyph{"plus", 0xe145},                               // add
    SymbolGlyph{"paperplane.fill", 0xe163},                    // send
    SymbolGlyph{"arrow.counterclockwise", 0xe5d5},             // refresh
    SymbolGlyph{"doc.text", 0xe873},                           // description
    SymbolGlyph{"square.and.pencil", 0xe745},                  // edit_note
    SymbolGlyph{"circle.dotted", 0xef64},                      // pending
    SymbolGlyph{"arrow.down.circle", 0xf181},                  // arrow_circle_down
    SymbolGlyph{"photo", 0xe410},                              // photo
    SymbolGlyph{"checkmark.circle.fill", 0xe86c},              // check_circle
    SymbolGlyph{"xmark.circle.fill", 0xe5c9},                  // cancel
    SymbolGlyph{"arrow.down.right.and.arrow.up.left", 0xf1cf}, // close_fullscreen
    SymbolGlyph{"arrow.up.left.and.arrow.down.right", 0xf1ce}, // open_in_full
    SymbolGlyph{"message", 0xe0c9},                            // message
    SymbolGlyph{"star.fill", 0xe838},                          // star
    SymbolGlyph{"flag.fill", 0xe153},                          // flag
};

QString loadedFamily() {
    static const QString family = [] {
        if (QFontDatabase::families().contains(QLatin1String(kFontFamily))) {
            return QString::fromLatin1(kFontFamily);
        }
        for (const char* file : kFontFiles) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            if (id >= 0 && !QFontDatabase::applicationFontFamilies(id).isEmpty()) {
                return QFontDatabase::applicationFontFamilies(id).constFirst();
            }
        }
        return QString();
    }();
    return family;
}

} // namespace

QString symbolGlyph(QStringView systemName) {
    for (const auto& symbol : kSymbols) {
        if (systemName == QLatin1String(symbol.name)) {
            return QString(QChar(symbol.codePoint));
        }
    }
    return QString();
}

bool symbolFontAvailable() {
    return !loadedFamily().isEmpty();
}

QFont symbolFont(qreal pixelSize) {
    QFont font(loadedFamily());
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void paintSymbol(QPainter& painter, const QRectF& rect, QStringView systemName, const QColor& color,
                 qreal pixelSize) {
    const QString glyph = symbolGlyph(systemName);
    if (glyph.isEmpty() || !symbolFontAvailable()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(symbolFont(pixelSize));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, glyph);
    painter.restore();
}

QIcon symbolIcon(QStringView systemName, const QColor& color, int pixelSize,
                 const std::optional<QColor>& selectedColor) {
    const auto draw = [&](const QColor& ink) {
        const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        QPixmap pixmap(QSize(pixelSize, pixelSize) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paintSymbol(painter, QRectF(0, 0, pixelSize, pixelSize), systemName, ink, pixelSize);
        return pixmap;
    };
    QIcon icon(draw(color));
    if (selectedColor) {
        icon.addPixmap(draw(*selectedColor), QIcon::Selected);
    }
    return icon;
}

} // namespace orbix::views
