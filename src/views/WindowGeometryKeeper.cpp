#include "views/WindowGeometryKeeper.h"

#include "core/WindowGeometryStore.h"
#include "views/WindowPlacement.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace orbix::views {

WindowGeometryKeeper::WindowGeometryKeeper(QWidget& window, WindowGeometryStore& store)
    : window_(window), store_(store) {
    window_.installEventFilter(this);
}

QString WindowGeometryKeeper::screenKey(const QScreen& screen) {
    const QSize size = screen.geometry().size();
    return screen.name() + QLatin1Char(' ') + QString::number(size.width()) + QLatin1Char('x') +
           QString::number(size.height());
}

void WindowGeometryKeeper::restore() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    const QRect available = screen->availableGeometry();
    // A screen smaller than the window's usual minimum still shows all of it.
    window_.setMinimumSize(window_.minimumSize().boundedTo(windowplacement::contentArea(available).size()));
    const QSize defaultSize = window_.size().expandedTo(window_.minimumSize());
    window_.setGeometry(
        windowplacement::placement(available, defaultSize, store_.geometry(screenKey(*screen))));
}

void WindowGeometryKeeper::save() {
    const QScreen* screen = window_.screen();
    if (!screen || !window_.testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    const bool isSpread = window_.isMaximized() || window_.isFullScreen();
    store_.setGeometry(screenKey(*screen), isSpread ? window_.normalGeometry() : window_.geometry());
}

bool WindowGeometryKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Close) {
        save();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orbix::views
