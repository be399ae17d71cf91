#pragma once
// Settings in a file of the test's own and a resolver that looks only in the folders it is given, so a test
// neither reads nor changes the user's defaults and sees no Capture One it did not install.
//
// The simulator, standing in for the system, finds an application a script names in the folders of
// ORBIX_APPLICATIONS_PATH: that variable lists the same folders for the setup's lifetime.

#include "captureone/CaptureOneApplicationResolver.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QStringList>
#include <QTemporaryDir>

namespace orbix::test {

struct PrivateCaptureOneSetup {
    explicit PrivateCaptureOneSetup(const QStringList& applicationFolders)
        : resolver(settings, applicationFolders),
          systemFolders("ORBIX_APPLICATIONS_PATH", applicationFolders.join(QLatin1Char(':')).toUtf8()) {}

    QTemporaryDir folder;
    // The settings' file, for a test that reads what was stored or opens a second Settings over it.
    QString storeFile = folder.filePath(QStringLiteral("settings.ini"));
    Settings settings{storeFile};
    CaptureOneApplicationResolver resolver;
    ScopedEnvironment systemFolders;
};

} // namespace orbix::test
