#pragma once
// What Capture One shows on a photo at a glance: its rating, pick and colour tag, read back for the photos
// in Orbix's tray so that their tiles carry the same marks.

#include <QHash>
#include <QString>
#include <QStringList>

namespace orbix {

struct PhotoMarks {
    int rating = 0;
    bool pick = false;
    int colorTag = 0;

    friend bool operator==(const PhotoMarks&, const PhotoMarks&) = default;
};

namespace photomarks {

// The script's answer: one line per variant, "rating<TAB>pick<TAB>colour tag<TAB>POSIX path". Only lines
// that read completely and name one of the requested paths count; the first variant of a file wins.
QHash<QString, PhotoMarks> parseReport(const QString& report, const QStringList& requestedPaths);

} // namespace photomarks
} // namespace orbix
