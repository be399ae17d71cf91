#include "platform/linux/LinuxWorkspace.h"

#include "platform/PlatformWorkspace.h"
#include "platform/linux/ApplicationBundle.h"
#include "platform/linux/X11Session.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QProcess>

namespace orbix {

namespace {

const QString notALocalBundleText = QStringLiteral("%1 is not an application bundle on this computer.");
const QString launchFailedText = QStringLiteral("%1 could not be launched.");
const QString deletedSuffix = QStringLiteral(" (deleted)");
const QString urlOpener = QStringLiteral("xdg-open");

// Completions always arrive from the event loop, never from inside the call.
void completeLater(Workspace::OpenCompletion completion, std::optional<QString> error) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [completion = std::move(completion), error = std::move(error)] { completion(error); },
        Qt::QueuedConnection);
}

} // namespace

void LinuxWorkspace::openApplication(const QUrl& bundleUrl, OpenCompletion completion) {
    if (!bundleUrl.isLocalFile() || !QFileInfo(bundleUrl.toLocalFile()).isDir()) {
        completeLater(std::move(completion), notALocalBundleText.arg(bundleUrl.toDisplayString()));
        return;
    }
    const QString bundlePath = QFileInfo(bundleUrl.toLocalFile()).absoluteFilePath();
    const auto executable = bundle::executableToLaunch(bundlePath);
    if (executable.index() == 1) {
        completeLater(std::move(completion), std::get<1>(executable));
        return;
    }
    const QString& program = std::get<0>(executable);
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath())) {
        completeLater(std::move(completion), launchFailedText.arg(program));
        return;
    }
    completeLater(std::move(completion), std::nullopt);
}

std::optional<FrontmostApplication> LinuxWorkspace::applicationForProcess(qint64 pid) {
    QString executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (executable.isEmpty()) {
        return std::nullopt;
    }
    if (executable.endsWith(deletedSuffix)) {
        executable.chop(deletedSuffix.size());
    }
    return bundle::applicationForExecutable(executable);
}

std::optional<FrontmostApplication> LinuxWorkspace::frontmostApplication() const {
    x11::X11Session session;
    const auto pid = session.activeWindowProcessId();
    if (!pid) {
        return std::nullopt;
    }
    return applicationForProcess(*pid);
}

std::optional<FrontmostApplication> LinuxWorkspace::applicationInUse() const {
    x11::X11Session session;
    const auto pid = session.activeWindowProcessId();
    if (!pid) {
        return std::nullopt;
    }
    const qint64 own = QCoreApplication::applicationPid();
    if (*pid != own) {
        return applicationForProcess(*pid);
    }
    for (const qint64 stacked : session.stackedWindowProcessIds()) {
        if (stacked != own) {
            return applicationForProcess(stacked);
        }
    }
    return std::nullopt;
}

bool LinuxWorkspace::openUrl(const QUrl& url) {
    if (!url.isValid() || url.scheme().isEmpty()) {
        return false;
    }
    return QProcess::startDetached(urlOpener, {url.toString(QUrl::FullyEncoded)});
}

std::unique_ptr<Workspace> createWorkspace() {
    return std::make_unique<LinuxWorkspace>();
}

} // namespace orbix
