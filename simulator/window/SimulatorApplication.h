#pragma once
// The bundle's executable: what opening "Capture One Simulator.app" runs. With a display it shows the
// simulator's window for the catalog (--catalog PATH, else the usual place), one window per catalog; a
// later launch for the same catalog brings that window forward and exits. Without a display it marks the
// simulated application running, as the command line's `launch` does, and says why no window opened.
// --screenshot FILE renders the window offscreen into FILE and exits, leaving the catalog untouched.

namespace orbix::c1sim {

int runSimulatorApplication(int argc, char** argv);

} // namespace orbix::c1sim
