#pragma once
// The Help menu's two windows: "Orbix Help" shows the "Using Orbix" section of the README (built into the
// program, so it works offline and matches this version), and "About Orbix" names the version and the
// licences of the fonts and libraries Orbix ships with or loads.

#include <QString>

class QWidget;

namespace orbix::views {

// The README's section under this level-two heading, up to the next level-two heading; empty when absent.
QString markdownSection(const QString& markdown, const QString& heading);

// The About text (rich text): version, Qt version and the licences.
QString aboutOrbixText(const QString& version);

// Shows the help page (one window, brought forward when asked again) over `parent`.
void showOrbixHelp(QWidget& parent);
void showAboutOrbix(QWidget& parent);

} // namespace orbix::views
