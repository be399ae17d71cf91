#pragma once
// Per-process test isolation shared by the test entry points: test-mode standard paths and user defaults
// in a private folder, so parallel test processes never share settings or touch the developer's own.

#include <QTemporaryDir>

namespace orbix::test {

class IsolatedTestProcess {
public:
    // Call before the application object exists (standard paths) and keep alive for the whole run.
    IsolatedTestProcess();
    // Call once the application object exists: names the application and redirects the user defaults.
    void applyToApplication();

private:
    QTemporaryDir settingsFolder_;
};

} // namespace orbix::test
