#pragma once
// A workspace whose frontmost application the test sets, recording every bundle and URL it is asked to
// open. Opening answers through the event loop, as a real launch does.

#include "uiautomation/Workspace.h"

#include <QList>
#include <QTimer>

namespace orbix::test {

class RecordingWorkspace : public Workspace {
public:
    void openApplication(const QUrl& bundleUrl, OpenCompletion completion) override {
        openedApplications << bundleUrl;
        QTimer::singleShot(0, [completion, error = openError] { completion(error); });
    }
    std::optional<FrontmostApplication> frontmostApplication() const override { return frontmost; }
    std::optional<FrontmostApplication> applicationInUse() const override {
        return inUseBeforeOrbix ? inUseBeforeOrbix : frontmost;
    }
    bool openUrl(const QUrl& url) override {
        openedUrls << url;
        return true;
    }

    std::optional<FrontmostApplication> frontmost;
    // The application in front before Orbix's window, while that is the frontmost one.
    std::optional<FrontmostApplication> inUseBeforeOrbix;
    std::optional<QString> openError;
    QList<QUrl> openedApplications;
    QList<QUrl> openedUrls;
};

} // namespace orbix::test
