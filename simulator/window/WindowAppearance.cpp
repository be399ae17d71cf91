#include "window/WindowAppearance.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace orbix::c1sim {

void applyDarkAppearance(QApplication& application) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        application.setStyle(fusion);
    }
    const QColor window(0x32, 0x34, 0x38);
    const QColor base(0x26, 0x28, 0x2b);
    const QColor text(0xe4, 0xe6, 0xea);
    const QColor dimmed(0x8a, 0x8e, 0x96);
    const QColor accent(0x3d, 0x7e, 0xd8);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(0x2c, 0x2e, 0x32));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3d, 0x42));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, dimmed);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, accent.lighter(130));
    palette.setColor(QPalette::Mid, QColor(0x24, 0x25, 0x28));
    palette.setColor(QPalette::Dark, QColor(0x1c, 0x1d, 0x20));
    palette.setColor(QPalette::Light, QColor(0x48, 0x4b, 0x51));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, dimmed);
    }
    application.setPalette(palette);
}

} // namespace orbix::c1sim
