// orbix: the Orbix assistant. With --prompt or with prompts on standard input it runs headless: each
// prompt goes through the same pipeline as a typed request in the window.
#include "app/CommandLineFrontEnd.h"
#include "app/OrbixRuntime.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace {

const char* const environmentHelp = R"(Environment (also read from .env.local files):
  ORBIX_OPENAI_API_KEY         OpenAI API key for direct requests (internal builds; OPENAI_API_KEY is the
                               fallback name)
  ORBIX_BACKEND_URL            the Orbix back-end service (public builds, update check)
  ORBIX_OPENAI_API_HOST        OpenAI API origin (default https://api.openai.com)
  ORBIX_OPENAI_REALTIME_HOST   OpenAI Realtime origin (default wss://api.openai.com)
  ORBIX_IDENTITY_TOOLKIT_HOST  identity-toolkit origin (default https://identitytoolkit.googleapis.com)
  ORBIX_APPLICATIONS_PATH      extra folders (colon-separated) searched for Capture One bundles
  ORBIX_SIMULATOR_DIR          folder holding "Capture One Simulator.app" (empty: leave it out)
  ORBIX_OSASCRIPT              osascript-compatible program that runs the scripts
  ORBIX_C1SIM_CATALOG          the Capture One Simulator's catalog file
)";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orbix"));
    QCoreApplication::setApplicationName(QStringLiteral("Orbix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORBIX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Orbix operates Capture One from typed requests.\n\nWithout --prompt, prompts are read from "
            "standard input, one per line.\n\n") +
        QString::fromUtf8(environmentHelp));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption promptOption(
        QStringList{"p", "prompt"}, QStringLiteral("Submit TEXT as a typed request (repeatable, in order)."),
        QStringLiteral("TEXT"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"), QStringLiteral("At the end, print the conversation, artifacts and photo "
                                               "tray as one JSON object on standard output; the running "
                                               "transcript then goes to standard error."));
    parser.addOption(promptOption);
    parser.addOption(jsonOption);
    parser.process(app);

    orbix::CommandLineFrontEnd::Options options;
    options.prompts = parser.values(promptOption);
    options.printJson = parser.isSet(jsonOption);
    options.readStandardInput = options.prompts.isEmpty();
    if (options.readStandardInput && isatty(STDIN_FILENO)) {
        QTextStream(stderr) << "Type a request per line; end with Ctrl-D.\n";
    }

    orbix::OrbixRuntime runtime;
    QTextStream output(stdout);
    QTextStream errors(stderr);
    orbix::CommandLineFrontEnd frontEnd(runtime.model(), options, options.printJson ? errors : output, output);
    frontEnd.start([] { QCoreApplication::exit(0); });
    return app.exec();
}
