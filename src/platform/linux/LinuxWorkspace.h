#pragma once
// Workspace on Linux: bundles are launched by their executable, the frontmost application is the process
// of the window the X11 window manager reports as active, and URLs go to xdg-open.

#include "uiautomation/Workspace.h"

namespace orbix {

class LinuxWorkspace : public Workspace {
public:
    void openApplication(const QUrl& bundleUrl, OpenCompletion completion) override;
    std::optional<FrontmostApplication> frontmostApplication() const override;
    // While a window of this process is active: the next application down the window manager's stacking
    // order, since activating a window raises it above the one that was in front.
    std::optional<FrontmostApplication> applicationInUse() const override;
    bool openUrl(const QUrl& url) override;

    // Names the process from its executable (/proc/<pid>/exe); none when that cannot be read.
    static std::optional<FrontmostApplication> applicationForProcess(qint64 pid);
};

} // namespace orbix
