#pragma once
// Application bundles on disk: a folder "<Name>.app" holding Contents/Info.plist and
// Contents/MacOS/<CFBundleExecutable>.

#include "uiautomation/Workspace.h"

#include <QString>
#include <optional>
#include <variant>

namespace orbix::bundle {

// A top-level string value of <bundle>/Contents/Info.plist (XML or binary); none when the file, the key
// or a string value is missing.
std::optional<QString> infoString(const QString& bundlePath, const char* key);

// The executable to launch for a bundle, or a sentence saying why there is none.
std::variant<QString, QString> executableToLaunch(const QString& bundlePath);

// The nearest folder above the file whose name ends in ".app"; none when the file is not inside a bundle.
std::optional<QString> enclosingBundle(const QString& filePath);

// How the workspace names the process running this executable: the enclosing bundle (its display name,
// else its folder name without ".app") or, outside a bundle, the executable's file name.
FrontmostApplication applicationForExecutable(const QString& executablePath);

} // namespace orbix::bundle
