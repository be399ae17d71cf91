#include "views/SoundSettings.h"

#include <QProcess>
#include <QStandardPaths>
#include <array>

namespace orbix::views {

namespace {

struct KnownSoundSettings {
    const char* program;
    QStringList arguments;
    // Desktops the program belongs to; empty: it runs on any desktop.
    QStringList desktops;
};

const std::array<KnownSoundSettings, 5>& knownSoundSettings() {
    static const std::array<KnownSoundSettings, 5> known{{
        {"gnome-control-center", {"sound"}, {"GNOME", "Unity", "Budgie"}},
        {"systemsettings", {"kcm_pulseaudio"}, {"KDE"}},
        {"systemsettings5", {"kcm_pulseaudio"}, {"KDE"}},
        {"pavucontrol", {}, {}},
        {"pavucontrol-qt", {}, {}},
    }};
    return known;
}

bool runsOn(const KnownSoundSettings& settings, const QStringList& currentDesktops) {
    if (settings.desktops.isEmpty()) {
        return true;
    }
    for (const QString& desktop : currentDesktops) {
        if (settings.desktops.contains(desktop, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<SoundSettingsCommand> findSoundSettings(const QString& currentDesktop,
                                                      const ExecutableFinder& find) {
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const KnownSoundSettings& settings : knownSoundSettings()) {
        if (!runsOn(settings, desktops)) {
            continue;
        }
        const QString path = find(QString::fromLatin1(settings.program));
        if (!path.isEmpty()) {
            return SoundSettingsCommand{path, settings.arguments};
        }
    }
    return std::nullopt;
}

std::optional<SoundSettingsCommand> findSoundSettings() {
    return findSoundSettings(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                             [](const QString& name) { return QStandardPaths::findExecutable(name); });
}

bool openSoundSettings(const SoundSettingsCommand& command) {
    return QProcess::startDetached(command.program, command.arguments);
}

} // namespace orbix::views
