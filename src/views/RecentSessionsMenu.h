#pragma once
// File → Open Recent Session: the ten sessions saved last, newest first, read from the session files each
// time the menu opens; choosing one shows it in the window in place of the current session, which stays
// saved.

class QMenuBar;

namespace orbix {
class SessionKeeper;
}

namespace orbix::views {

// Adds the submenu to the File menu, after New Session. The keeper must outlive the menu bar's window.
void installRecentSessionsMenu(QMenuBar& menuBar, SessionKeeper& keeper);

} // namespace orbix::views
