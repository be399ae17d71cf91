// orbix: the Orbix assistant. With no option it opens the main window, once per user session: a later
// start hands its request (--open-section, --note, or just "come to the front") to the running instance
// over the session bus and exits. With --prompt, or with prompts piped to standard input, it runs
// headless: each prompt goes through the same pipeline as a typed request in the window. --screenshot
// renders the window offscreen after answering the prompts. --voice and --listen run voice mode and the
// wake phrase listener in a terminal.
#include "app/AppIntents.h"
#include "app/BusNameOwner.h"
#include "app/CommandLineFrontEnd.h"
#include "app/CommandLineReference.h"
#include "app/DesktopRequest.h"
#include "app/ListenCommandLine.h"
#include "app/OrbixDBusService.h"
#include "app/OrbixRuntime.h"
#include "app/TerminalInterrupt.h"
#include "app/VoiceCommandLine.h"
#include "app/WindowPalette.h"
#include "app/WindowScreenshot.h"
#include "captureone/CaptureOneService.h"
#include "core/RealtimeVoiceState.h"
#include "core/WindowGeometryStore.h"
#include "model/AppIntentRouter.h"
#include "model/AppModel.h"
#include "model/SessionKeeper.h"
#include "views/ContentView.h"
#include "views/RecentSessionsMenu.h"
#include "views/SettingsView.h"
#include "views/WindowGeometryKeeper.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStyleFactory>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace reference = orbix::commandLineReference;

// The options main() reads by name; their names, values and descriptions live in the reference table.
struct Options {
    QCommandLineOption prompt = reference::commandLineOption(reference::OptionId::prompt);
    QCommandLineOption json = reference::commandLineOption(reference::OptionId::json);
    QCommandLineOption screenshot = reference::commandLineOption(reference::OptionId::screenshot);
    QCommandLineOption size = reference::commandLineOption(reference::OptionId::size);
    QCommandLineOption palette = reference::commandLineOption(reference::OptionId::palette);
    QCommandLineOption voiceState = reference::commandLineOption(reference::OptionId::voiceState);
    QCommandLineOption noMicrophone = reference::commandLineOption(reference::OptionId::noMicrophone);
    QCommandLineOption openSection = reference::commandLineOption(reference::OptionId::openSection);
    QCommandLineOption voice = reference::commandLineOption(reference::OptionId::voice);
    QCommandLineOption listen = reference::commandLineOption(reference::OptionId::listen);
    QCommandLineOption note = reference::commandLineOption(reference::OptionId::note);
    QCommandLineOption help = reference::commandLineOption(reference::OptionId::help);
    QCommandLineOption version = reference::commandLineOption(reference::OptionId::version);

    void addTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(reference::helpDescription());
        reference::addOptionsTo(parser);
    }
};

enum class LaunchMode { headless, window, screenshot, voice, listen };

bool standardInputIsPiped() {
    struct stat info {};
    return fstat(STDIN_FILENO, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISREG(info.st_mode));
}

// Decided before any application object exists: only the window and the screenshot need a GUI, so the
// command line keeps working without a display.
LaunchMode launchModeFor(int argc, char** argv, const Options& options) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    options.addTo(parser);
    if (!parser.parse(arguments) || parser.isSet(options.help) || parser.isSet(options.version)) {
        return LaunchMode::headless; // the parser reports the error or prints help without a GUI
    }
    if (parser.isSet(options.screenshot)) {
        return LaunchMode::screenshot;
    }
    if (parser.isSet(options.voice)) {
        return LaunchMode::voice;
    }
    if (parser.isSet(options.listen)) {
        return LaunchMode::listen;
    }
    // Desktop requests always mean the window, whatever standard input is.
    if ((parser.isSet(options.openSection) || parser.isSet(options.note)) && !parser.isSet(options.prompt) &&
        !parser.isSet(options.json)) {
        return LaunchMode::window;
    }
    if (parser.isSet(options.prompt) || parser.isSet(options.json) || standardInputIsPiped()) {
        return LaunchMode::headless;
    }
    return LaunchMode::window;
}

std::unique_ptr<QCoreApplication> makeApplication(LaunchMode mode, int& argc, char** argv) {
    if (mode == LaunchMode::headless || mode == LaunchMode::voice || mode == LaunchMode::listen) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    if (mode == LaunchMode::screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return std::make_unique<QApplication>(argc, argv);
}

int runHeadless(orbix::AppModel& model, const QCommandLineParser& parser, const Options& options) {
    orbix::CommandLineFrontEnd::Options frontEndOptions;
    frontEndOptions.prompts = parser.values(options.prompt);
    frontEndOptions.printJson = parser.isSet(options.json);
    frontEndOptions.readStandardInput = frontEndOptions.prompts.isEmpty();
    if (frontEndOptions.readStandardInput && isatty(STDIN_FILENO)) {
        QTextStream(stderr) << "Type a request per line; end with Ctrl-D.\n";
    }
    QTextStream output(stdout);
    QTextStream errors(stderr);
    orbix::CommandLineFrontEnd frontEnd(model, frontEndOptions, frontEndOptions.printJson ? errors : output,
                                        output);
    frontEnd.start([] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}

int runVoice(orbix::OrbixRuntime& runtime) {
    QTextStream output(stdout);
    orbix::VoiceCommandLine voice([&runtime] { runtime.model().startComputerUseVoiceMode(); },
                                  runtime.voiceService(), output);
    voice.start([](int status) { QCoreApplication::exit(status); });
    return QCoreApplication::exec();
}

int runListen(orbix::OrbixRuntime& runtime) {
    QTextStream output(stdout);
    orbix::ListenCommandLine listen(runtime.model(), runtime.wakeWordVoiceService(), runtime.voiceService(),
                                    output);
    orbix::TerminalInterrupt interrupt([&listen] { listen.stop(); });
    listen.start([](int status) { QCoreApplication::exit(status); });
    return QCoreApplication::exec();
}

orbix::DesktopRequest desktopRequestFrom(const QCommandLineParser& parser, const Options& options) {
    orbix::DesktopRequest request;
    if (parser.isSet(options.note)) {
        request.kind = orbix::DesktopRequest::Kind::createNote;
        request.argument = parser.value(options.note);
    } else if (parser.isSet(options.openSection)) {
        request.kind = orbix::DesktopRequest::Kind::openSection;
        request.argument = parser.value(options.openSection);
    }
    return request;
}

int runWindow(const QCommandLineParser& parser, const Options& options) {
    QTextStream output(stdout);
    QTextStream errors(stderr);
    const orbix::DesktopRequest request = desktopRequestFrom(parser, options);
    // Senders (the command line, D-Bus) and the window share this one.
    orbix::AppIntentRouter router;
    // Refused here, before any instance is asked: neither this one nor a running one takes it.
    if (request.kind == orbix::DesktopRequest::Kind::createNote) {
        if (const std::optional<QString> refusal = orbix::appIntents::noteTooLongMessage(request.argument)) {
            errors << "orbix: " << *refusal << Qt::endl;
            return 2;
        }
    }

    // Read by the bus's queries; written only once this process is the application (a second start hands
    // its request over before).
    orbix::SessionStore sessionStore(orbix::SessionStore::defaultDirectory());
    // The bus name decides which process is the application; a later start only passes its request on.
    orbix::OrbixDBusService bus(router, QDBusConnection::sessionBus());
    bus.setSessionStore(&sessionStore);
    QString busError;
    switch (bus.registerOnBus(&busError)) {
    case orbix::OrbixDBusService::Registration::alreadyRunning: {
        // Whoever holds the name gets the request only if it is this program of this user.
        const auto owner =
            orbix::busNameOwner(QDBusConnection::sessionBus(), orbix::OrbixDBusService::serviceName);
        if (!owner) {
            errors << "orbix: " << orbix::OrbixDBusService::serviceName
                   << " was released before the request could be handed over; start Orbix again" << Qt::endl;
            return 1;
        }
        if (!orbix::isSameProgram(*owner, QCoreApplication::applicationFilePath())) {
            errors << "orbix: "
                   << orbix::foreignOwnerMessage(orbix::OrbixDBusService::serviceName, *owner,
                                                 QCoreApplication::applicationFilePath())
                   << Qt::endl;
            return 1;
        }
        const orbix::ForwardResult forwarded =
            orbix::forwardToRunningInstance(QDBusConnection::sessionBus(), request, owner->uniqueName);
        if (!forwarded.delivered) {
            errors << "orbix: " << forwarded.error << Qt::endl;
            return 1;
        }
        if (!forwarded.reply.isEmpty()) {
            output << forwarded.reply << Qt::endl;
        }
        return 0;
    }
    case orbix::OrbixDBusService::Registration::failed:
        errors << "orbix: running without the session bus (" << busError
               << "); other programs cannot reach this window and a second start opens another one" << Qt::endl;
        break;
    case orbix::OrbixDBusService::Registration::registered:
        break;
    }
    // Left before the window exists; the window applies it when it first shows.
    if (const std::optional<QString> refusal = orbix::applyDesktopRequest(router, request)) {
        errors << "orbix: " << *refusal << Qt::endl;
        return 2;
    }
    if (request.kind == orbix::DesktopRequest::Kind::createNote) {
        output << orbix::appIntents::noteDialog << Qt::endl;
    }

    orbix::OrbixRuntime runtime(true);
    // The last session comes back as it was left; changes are saved as they happen.
    orbix::SessionKeeper sessionKeeper(runtime.model(), sessionStore);
    sessionKeeper.restoreLatest();
    orbix::views::ContentView window(runtime.model(), router);
    orbix::views::installRecentSessionsMenu(*window.menuBar(), sessionKeeper);
    std::unique_ptr<orbix::views::SettingsView> settingsWindow;
    QObject::connect(&window, &orbix::views::ContentView::settingsRequested, &window, [&] {
        if (!settingsWindow) {
            settingsWindow = std::make_unique<orbix::views::SettingsView>(
                runtime.settings(), runtime.captureOneService(), runtime.computerUseService());
        }
        settingsWindow->show();
        settingsWindow->raise();
        settingsWindow->activateWindow();
    });
    QObject::connect(&bus, &orbix::OrbixDBusService::activationRequested, &window,
                     &orbix::views::ContentView::bringToFront);
    orbix::WindowGeometryStore geometryStore;
    orbix::views::WindowGeometryKeeper geometryKeeper(window, geometryStore);
    geometryKeeper.restore();
    window.show();
    const int status = QApplication::exec();
    settingsWindow.reset();
    return status;
}

int runScreenshot(orbix::AppModel& model, const QCommandLineParser& parser, const Options& options) {
    QTextStream errors(stderr);
    orbix::WindowScreenshotOptions screenshot;
    screenshot.file = parser.value(options.screenshot);
    screenshot.size = orbix::parseWindowSize(parser.value(options.size));
    if (!screenshot.size.isValid()) {
        errors << "orbix: --size wants WIDTHxHEIGHT, for example 1440x900\n";
        return 2;
    }
    const auto voiceState =
        orbix::enumFromRawValue<orbix::RealtimeVoiceState>(parser.value(options.voiceState));
    if (!voiceState) {
        errors << "orbix: --voice-state wants idle, connecting, recording, speaking or failed\n";
        return 2;
    }
    const QString paletteName = parser.value(options.palette);
    if (paletteName != QStringLiteral("light") && paletteName != QStringLiteral("dark")) {
        errors << "orbix: --palette wants light or dark\n";
        return 2;
    }
    // A fixed style so screenshots look the same on every machine.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (paletteName == QStringLiteral("dark")) {
        QApplication::setPalette(orbix::darkWindowPalette());
    }

    orbix::CommandLineFrontEnd::Options frontEndOptions;
    frontEndOptions.prompts = parser.values(options.prompt);
    QTextStream output(stdout);
    orbix::CommandLineFrontEnd frontEnd(model, frontEndOptions, output, output);
    int status = 0;
    frontEnd.start([&] {
        model.setRealtimeVoiceState(*voiceState);
        // The machine's own devices would make screenshots differ from one machine to the next.
        model.setMicrophoneMissing(parser.isSet(options.noMicrophone));
        const QString error = orbix::renderWindowScreenshot(model, screenshot);
        if (!error.isEmpty()) {
            errors << "orbix: " << error << Qt::endl;
            status = 1;
        }
        QCoreApplication::exit(status);
    });
    QCoreApplication::exec();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    const Options options;
    const LaunchMode mode = launchModeFor(argc, argv, options);
    const std::unique_ptr<QCoreApplication> app = makeApplication(mode, argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orbix"));
    QCoreApplication::setApplicationName(QStringLiteral("Orbix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORBIX_VERSION));

    QCommandLineParser parser;
    options.addTo(parser);
    parser.process(*app);
    if (parser.isSet(options.help)) {
        parser.showHelp(0);
    }
    if (parser.isSet(options.version)) {
        QTextStream(stdout) << reference::versionText(QStringLiteral(ORBIX_VERSION)) << Qt::endl;
        return 0;
    }

    if (mode == LaunchMode::window) {
        return runWindow(parser, options);
    }
    orbix::OrbixRuntime runtime;
    switch (mode) {
    case LaunchMode::window:
        break;
    case LaunchMode::screenshot:
        return runScreenshot(runtime.model(), parser, options);
    case LaunchMode::voice:
        return runVoice(runtime);
    case LaunchMode::listen:
        return runListen(runtime);
    case LaunchMode::headless:
        break;
    }
    return runHeadless(runtime.model(), parser, options);
}
