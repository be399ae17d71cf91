#pragma once
// The main window's menu commands: File → New Session and Settings…, the Assistant menu (Focus Prompt,
// Enable Voice, Enable Quiet) and Help (Orbix Help, About Orbix). Every Assistant command forwards to one
// model operation; Settings… asks the window's owner to show the settings window.

#include <functional>

class QMenuBar;
class QWidget;

namespace orbix {
class AppModel;
}

namespace orbix::views {

// Adds the menus to the bar; `window` receives the Quit command on platforms whose File menu carries it;
// `showSettings` runs for Settings….
void installWindowMenus(QMenuBar& menuBar, AppModel& model, QWidget& window,
                        std::function<void()> showSettings);

} // namespace orbix::views
