#include "app/CommandLineReference.h"

#include <QtGlobal>
#include <algorithm>

namespace orbix::commandLineReference {

namespace {

constexpr qsizetype helpWidth = 79;
constexpr qsizetype environmentIndent = 2;
constexpr qsizetype environmentDescriptionColumn = 31;

// Greedy word wrap; a word longer than the width gets a line of its own.
QStringList wrapped(const QString& text, qsizetype width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty()) {
        lines << line;
    }
    return lines;
}

QString environmentHelp() {
    QString help = QStringLiteral("Environment (* also read from .env.local files):\n");
    const QString indent(environmentDescriptionColumn, QLatin1Char(' '));
    for (const EnvironmentEntry& entry : environment()) {
        QString head = QString(environmentIndent, QLatin1Char(' ')) + entry.name +
                       (entry.readFromEnvLocal ? QStringLiteral("*") : QString());
        head = head.leftJustified(environmentDescriptionColumn - 1) + QLatin1Char(' ');
        const QStringList lines = wrapped(entry.description, helpWidth - environmentDescriptionColumn);
        help += head.size() > environmentDescriptionColumn ? head.trimmed() + QLatin1Char('\n') + indent : head;
        help += lines.join(QLatin1Char('\n') + indent) + QLatin1Char('\n');
    }
    return help;
}

} // namespace

QString summary() {
    return QStringLiteral("operate Capture One from typed and spoken requests");
}

QString description() {
    return QStringLiteral(
        "Orbix turns each request into one operation on Capture One's open document, runs it as generated "
        "AppleScript and shows the result. On Linux it drives the bundled Capture One Simulator "
        "(orbix-c1sim).\n\n"
        "With no option the window opens, once per user session: a later start hands its request to the "
        "running window over the session bus and exits. With --prompt or --json, or with requests piped to "
        "standard input (one per line), Orbix answers them without a window, each submitted when the "
        "previous one has been answered.");
}

const QList<OptionEntry>& options() {
    static const QList<OptionEntry> table{
        {OptionId::prompt,
         {QStringLiteral("p"), QStringLiteral("prompt")},
         QStringLiteral("TEXT"),
         {},
         QStringLiteral("Submit TEXT as a typed request (repeatable, in order).")},
        {OptionId::json,
         {QStringLiteral("json")},
         {},
         {},
         QStringLiteral("At the end, print the conversation, artifacts and photo tray as one JSON object on "
                        "standard output; the running transcript then goes to standard error.")},
        {OptionId::screenshot,
         {QStringLiteral("screenshot")},
         QStringLiteral("FILE"),
         {},
         QStringLiteral("Answer the --prompt requests, then render the main window offscreen into FILE (PNG) "
                        "and exit.")},
        {OptionId::size,
         {QStringLiteral("size")},
         QStringLiteral("WxH"),
         QStringLiteral("1120x720"),
         QStringLiteral("With --screenshot: the window size (default 1120x720).")},
        {OptionId::palette,
         {QStringLiteral("palette")},
         QStringLiteral("light|dark"),
         QStringLiteral("light"),
         QStringLiteral("With --screenshot: render in the light or dark palette.")},
        {OptionId::voiceState,
         {QStringLiteral("voice-state")},
         QStringLiteral("STATE"),
         QStringLiteral("idle"),
         QStringLiteral("With --screenshot: show the microphone in this voice state (idle, connecting, "
                        "recording, speaking, failed).")},
        {OptionId::noMicrophone,
         {QStringLiteral("no-microphone")},
         {},
         {},
         QStringLiteral("With --screenshot: render the window as on a machine without a microphone.")},
        {OptionId::openSection,
         {QStringLiteral("open-section")},
         QStringLiteral("SECTION"),
         {},
         QStringLiteral("Open the window on SECTION (only \"chat\"), in the running instance if there is "
                        "one.")},
        {OptionId::note,
         {QStringLiteral("note")},
         QStringLiteral("TEXT"),
         {},
         QStringLiteral(
             "Open the window with TEXT added to the prompt field (on a new line after any draft), not "
             "sent, in the running instance if there is one. TEXT is at most 16 KiB of UTF-8.")},
        {OptionId::voice,
         {QStringLiteral("voice")},
         {},
         {},
         QStringLiteral("Start voice mode without a window: talk to Orbix through the default microphone and "
                        "speakers; the transcript and each Capture One result are printed. Ends when the "
                        "session ends.")},
        {OptionId::listen,
         {QStringLiteral("listen")},
         {},
         {},
         QStringLiteral("Listen for \"Hey Orbix\" without a window, through the default microphone: a command "
                        "said after it runs at once and its result is printed and read aloud; \"Hey Orbix\" "
                        "alone starts voice mode. Runs until Ctrl+C.")},
        {OptionId::help,
         {QStringLiteral("h"), QStringLiteral("help")},
         {},
         {},
         QStringLiteral("Print the options and the environment, then exit.")},
        {OptionId::version,
         {QStringLiteral("v"), QStringLiteral("version")},
         {},
         {},
         QStringLiteral("Print the version of Orbix and of the Qt it was built with, then exit.")},
    };
    return table;
}

const QList<EnvironmentEntry>& environment() {
    static const QList<EnvironmentEntry> table{
        {QStringLiteral("ORBIX_OPENAI_API_KEY"),
         QStringLiteral("OpenAI API key for direct requests (internal builds; a build may choose another "
                        "name)."),
         true},
        {QStringLiteral("OPENAI_API_KEY"), QStringLiteral("The key when ORBIX_OPENAI_API_KEY is not set."),
         true},
        {QStringLiteral("ORBIX_BACKEND_URL"),
         QStringLiteral("The Orbix back-end service (public builds, update check); only its scheme, host and "
                        "port are used."),
         true},
        {QStringLiteral("ORBIX_OPENAI_API_HOST"),
         QStringLiteral("OpenAI API origin (default https://api.openai.com)."), true},
        {QStringLiteral("ORBIX_OPENAI_REALTIME_HOST"),
         QStringLiteral("OpenAI Realtime origin (default wss://api.openai.com)."), true},
        {QStringLiteral("ORBIX_IDENTITY_TOOLKIT_HOST"),
         QStringLiteral("Identity-toolkit origin (default https://identitytoolkit.googleapis.com)."), true},
        {QStringLiteral("ORBIX_APPLICATIONS_PATH"),
         QStringLiteral("Extra folders (colon-separated) searched for Capture One bundles.")},
        {QStringLiteral("ORBIX_SIMULATOR_DIR"),
         QStringLiteral("Folder holding \"Capture One Simulator.app\" (empty: leave it out; default: "
                        "share/orbix beside the installed program).")},
        {QStringLiteral("ORBIX_OSASCRIPT"),
         QStringLiteral("The osascript-compatible program that runs the scripts (default: orbix-c1sim).")},
        {QStringLiteral("ORBIX_C1SIM_CATALOG"),
         QStringLiteral("The Capture One Simulator's catalog file (default "
                        "$XDG_DATA_HOME/Orbix/Capture One Simulator/catalog.json).")},
        {QStringLiteral("ORBIX_POCKETSPHINX_MODEL_DIR"),
         QStringLiteral("Pocketsphinx acoustic model folder for \"Hey Orbix\" (default: the en-us model of "
                        "pocketsphinx-en-us).")},
        {QStringLiteral("XDG_CONFIG_HOME"),
         QStringLiteral("Holds the settings, Orbix/Orbix.conf (default ~/.config).")},
        {QStringLiteral("XDG_STATE_HOME"),
         QStringLiteral("Holds the voice log, Orbix/realtime.log (default ~/.local/state).")},
        {QStringLiteral("XDG_DATA_HOME"),
         QStringLiteral("Holds the saved sessions and the simulator's catalog (default ~/.local/share).")},
        {QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
         QStringLiteral("The session bus on which the window owns org.orbix.Orbix.")},
        {QStringLiteral("DISPLAY"),
         QStringLiteral("The X display of the window; the UI fallback needs X11 (and no WAYLAND_DISPLAY).")},
        {QStringLiteral("XDG_CURRENT_DESKTOP"),
         QStringLiteral("Chooses the sound settings offered when there is no microphone.")},
        {QStringLiteral("QT_QPA_PLATFORM"),
         QStringLiteral("Qt's platform plugin; --screenshot uses offscreen unless it is set.")},
    };
    return table;
}

QCommandLineOption commandLineOption(OptionId id) {
    const auto& table = options();
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [id](const OptionEntry& candidate) { return candidate.id == id; });
    Q_ASSERT(entry != table.end());
    return QCommandLineOption(entry->names, entry->description, entry->valueName, entry->defaultValue);
}

void addOptionsTo(QCommandLineParser& parser) {
    for (const OptionEntry& entry : options()) {
        parser.addOption(commandLineOption(entry.id));
    }
}

QString helpDescription() {
    QStringList paragraphs;
    for (const QString& paragraph : description().split(QStringLiteral("\n\n"))) {
        paragraphs << wrapped(paragraph, helpWidth).join(QLatin1Char('\n'));
    }
    return paragraphs.join(QStringLiteral("\n\n")) + QStringLiteral("\n\n") + environmentHelp();
}

QString versionText(const QString& programVersion) {
    QString text = QStringLiteral("orbix %1 (Qt %2)").arg(programVersion, QStringLiteral(QT_VERSION_STR));
    if (QString::fromLatin1(qVersion()) != QStringLiteral(QT_VERSION_STR)) {
        text += QStringLiteral(", running with Qt %1").arg(QString::fromLatin1(qVersion()));
    }
    return text;
}

} // namespace orbix::commandLineReference
