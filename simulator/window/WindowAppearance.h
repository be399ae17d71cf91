#pragma once
// The simulator's look: a dark palette on the Fusion style, as photo editors use, so the pictures and
// not the chrome catch the eye. Applied once to the application, before the window is built.

class QApplication;

namespace orbix::c1sim {

void applyDarkAppearance(QApplication& application);

} // namespace orbix::c1sim
