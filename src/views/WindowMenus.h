#pragma once
// The main window's menu commands: File → New Session, and the Assistant menu (Focus Prompt, Enable
// Voice, Enable Quiet). Every command forwards to one model operation.

class QMenuBar;
class QWidget;

namespace orbix {
class AppModel;
}

namespace orbix::views {

// Adds the menus to the bar; `window` receives the Quit command on platforms whose File menu carries it.
void installWindowMenus(QMenuBar& menuBar, AppModel& model, QWidget& window);

} // namespace orbix::views
