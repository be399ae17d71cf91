#pragma once
// Port: the desktop workspace: opening application bundles, telling which application is in front, and
// opening URLs. Backends live in platform/<os>/ (X11 + process table on Linux, NSWorkspace on macOS).
//
// Contract:
// - openApplication launches the bundle's executable (Contents/MacOS/<CFBundleExecutable>) detached and
//   calls the completion exactly once, on the main thread: no error on success, else one sentence saying
//   what went wrong (missing or non-executable file, launch failure).
// - frontmostApplication answers synchronously; none when it cannot be told (no display, no window manager).
//   The bundle URL is absent when the front process does not live inside an ".app" bundle.
// - applicationInUse answers synchronously: the frontmost application, or while Orbix's own window is in
//   front, the application that was in front before it was activated; none when it cannot be told.
// - openUrl hands the URL to the desktop and reports whether that was accepted.

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

namespace orbix {

struct FrontmostApplication {
    QString localizedName;
    std::optional<QUrl> bundleUrl;
};

class Workspace {
public:
    using OpenCompletion = std::function<void(std::optional<QString> error)>;

    virtual ~Workspace() = default;
    virtual void openApplication(const QUrl& bundleUrl, OpenCompletion completion) = 0;
    virtual std::optional<FrontmostApplication> frontmostApplication() const = 0;
    // Where the user works while typing into Orbix. Backends that cannot tell Orbix's window apart answer
    // with the frontmost application.
    virtual std::optional<FrontmostApplication> applicationInUse() const { return frontmostApplication(); }
    virtual bool openUrl(const QUrl& url) = 0;
};

} // namespace orbix
