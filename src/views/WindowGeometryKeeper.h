#pragma once
// Keeps the main window where the user left it: places it on the screen under the pointer before it is
// first shown (fully inside that screen's available area, at its last size and place there), and
// remembers its size and place per screen whenever it closes.

#include <QObject>

class QScreen;
class QWidget;

namespace orbix {
class WindowGeometryStore;
}

namespace orbix::views {

class WindowGeometryKeeper : public QObject {
public:
    // Both must outlive the keeper.
    WindowGeometryKeeper(QWidget& window, WindowGeometryStore& store);

    // Call before the window is first shown.
    void restore();
    // Remembers the window's size and place on its screen (the size it had before being maximised).
    void save();

    // How a screen is known in the store: its name and size.
    static QString screenKey(const QScreen& screen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    WindowGeometryStore& store_;
};

} // namespace orbix::views
