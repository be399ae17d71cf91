#include "window/SimulatorApplication.h"

#include "engine/CatalogStore.h"
#include "engine/CommandLine.h"
#include "engine/SimulatedApplication.h"
#include "window/CatalogEdits.h"
#include "window/SimulatorWindow.h"
#include "window/SingleInstance.h"
#include "window/WindowAppearance.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <xcb/xcb.h>

namespace orbix::c1sim {
namespace {

const QString kNoDisplay = QStringLiteral(
    "CaptureOneSimulator: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so no window opened; the "
    "simulated Capture One is marked running.");
const QString kUnreachableDisplay = QStringLiteral(
    "CaptureOneSimulator: the display %1 can\u2019t be reached, so no window opened; the simulated Capture One "
    "is marked running.");
const QString kAlreadyOpen = QStringLiteral(
    "CaptureOneSimulator: the simulator is already open for %1; its window was brought to the front.");
const QString kNotMarkedRunning =
    QStringLiteral("CaptureOneSimulator: the simulated catalog %1 can\u2019t be changed: %2");
const QString kNoSingleInstance =
    QStringLiteral("CaptureOneSimulator: later launches can\u2019t find this window: %1");
const QString kScreenshotFailed =
    QStringLiteral("CaptureOneSimulator: the screenshot can\u2019t be written to %1.");

struct LaunchOptions {
    QStringList arguments;
    QString catalogOption;
    QString screenshotPath;
};

LaunchOptions parse(int argc, char** argv) {
    LaunchOptions options;
    for (int i = 1; i < argc; ++i) {
        options.arguments << QString::fromLocal8Bit(argv[i]);
    }
    for (qsizetype i = 0; i + 1 < options.arguments.size(); ++i) {
        if (options.arguments[i] == u"--catalog") {
            options.catalogOption = options.arguments[++i];
        } else if (options.arguments[i] == u"--screenshot") {
            options.screenshotPath = options.arguments[++i];
        }
    }
    return options;
}

void printLine(std::FILE* stream, const QString& line) {
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// Why no window can open, or empty when one can. Qt ends the process when its display cannot be
// reached (a stale DISPLAY from an old session), so an X display is tried first.
QString missingDisplay() {
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return {};
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        return kNoDisplay;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable ? QString() : kUnreachableDisplay.arg(qEnvironmentVariable("DISPLAY"));
}

int runHeadless(const LaunchOptions& options, const QString& why) {
    CommandLineIo io;
    const int status = runLauncher(options.arguments, io);
    std::fwrite(io.standardOutput.constData(), 1, size_t(io.standardOutput.size()), stdout);
    std::fwrite(io.standardError.constData(), 1, size_t(io.standardError.size()), stderr);
    if (status == 0) {
        printLine(stderr, why);
    }
    return status;
}

int takeScreenshot(int argc, char** argv, const QString& catalogPath, const QString& file) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    applyDarkAppearance(application);
    SimulatorWindow window(catalogPath);
    window.show();
    QCoreApplication::processEvents();
    if (!window.grab().save(file)) {
        printLine(stderr, kScreenshotFailed.arg(file));
        return 1;
    }
    return 0;
}

} // namespace

int runSimulatorApplication(int argc, char** argv) {
    const LaunchOptions options = parse(argc, argv);
    const QString catalogPath = CatalogStore::resolvePath(options.catalogOption);
    if (!options.screenshotPath.isEmpty()) {
        return takeScreenshot(argc, argv, catalogPath, options.screenshotPath);
    }
    if (const QString why = missingDisplay(); !why.isEmpty()) {
        return runHeadless(options, why);
    }

    // The simulator exists to be driven through its accessibility tree, so it publishes the tree even when
    // the desktop has not asked for one (no screen reader running).
    if (qEnvironmentVariableIsEmpty("QT_LINUX_ACCESSIBILITY_ALWAYS_ON")) {
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    }
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(kSimulatorDisplayName);
    applyDarkAppearance(application);
    SingleInstance instance(catalogPath);
    if (instance.activateRunningInstance()) {
        printLine(stdout, kAlreadyOpen.arg(catalogPath));
        return 0;
    }
    QString reason;
    if (!edits::editCatalog(
            catalogPath,
            [](Catalog& catalog) {
                catalog.running = true;
                return true;
            },
            &reason)) {
        printLine(stderr, kNotMarkedRunning.arg(catalogPath, reason));
    }
    if (!instance.listen(&reason)) {
        // Launched at the same moment as another for this catalog, which got the socket first.
        if (instance.activateRunningInstance()) {
            printLine(stdout, kAlreadyOpen.arg(catalogPath));
            return 0;
        }
        printLine(stderr, kNoSingleInstance.arg(reason));
    }

    SimulatorWindow window(catalogPath);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &SimulatorWindow::bringToFront);
    window.show();
    return application.exec();
}

} // namespace orbix::c1sim
