#pragma once
// The desktop's sound settings, where the microphone Orbix listens to is chosen and unmuted: the place a
// voice permission alert sends the user to on Linux. Desktop-specific panels (GNOME, KDE Plasma) are
// offered only on their own desktop, where they are sure to run; the PulseAudio volume controls anywhere.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orbix::views {

struct SoundSettingsCommand {
    QString program; // full path
    QStringList arguments;

    friend bool operator==(const SoundSettingsCommand&, const SoundSettingsCommand&) = default;
};

// Finds a program by name (QStandardPaths::findExecutable: the PATH); empty when there is none.
using ExecutableFinder = std::function<QString(const QString& name)>;

// The first known sound settings program that is installed; none when the desktop offers none.
// `currentDesktop` is XDG_CURRENT_DESKTOP: names separated by colons ("ubuntu:GNOME").
std::optional<SoundSettingsCommand> findSoundSettings(const QString& currentDesktop,
                                                      const ExecutableFinder& find);
// The same for this session.
std::optional<SoundSettingsCommand> findSoundSettings();

// Starts the program on its own; whether it could be started.
bool openSoundSettings(const SoundSettingsCommand& command);

} // namespace orbix::views
