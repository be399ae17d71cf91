#pragma once
// One installed Capture One application bundle.

#include <QHash>
#include <QString>
#include <QUrl>

namespace orbix {

struct CaptureOneApplication {
    QString displayName; // CFBundleDisplayName, else CFBundleName, else the file name
    QString scriptName;  // bundle file name without ".app": the name in every `tell application` line
    QString version;     // CFBundleShortVersionString, else empty
    QUrl url;            // the bundle folder

    // Identity: the bundle's path.
    QString id() const { return url.toLocalFile(); }
    // "Capture One 23 (16.3.2)", or the plain script name when it already names the version.
    QString settingsLabel() const;

    // Builds the record for a bundle folder, reading its Info.plist.
    static CaptureOneApplication fromBundle(const QString& bundlePath);

    friend bool operator==(const CaptureOneApplication&, const CaptureOneApplication&) = default;
};

size_t qHash(const CaptureOneApplication& application, size_t seed = 0);

} // namespace orbix
