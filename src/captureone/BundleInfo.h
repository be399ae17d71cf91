#pragma once
// Reads the string properties of an application bundle's Contents/Info.plist (XML or binary).

#include <QHash>
#include <QString>
#include <optional>

namespace orbix {

class BundleInfo {
public:
    // The top-level string values of <bundlePath>/Contents/Info.plist. An unreadable or malformed file
    // gives an empty table: callers treat every property as absent.
    static QHash<QString, QString> stringProperties(const QString& bundlePath);
    // The same, but none when the file is missing, unreadable, oversized or not a dictionary plist.
    static std::optional<QHash<QString, QString>> read(const QString& bundlePath);
    // Parses plist bytes (XML or binary; a UTF-8 byte-order mark before XML is ignored).
    static std::optional<QHash<QString, QString>> parseStringProperties(const QByteArray& data);
};

} // namespace orbix
