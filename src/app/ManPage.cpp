#include "app/ManPage.h"

#include "app/CommandLineReference.h"

#include <QList>
#include <QStringList>
#include <QXmlStreamReader>

namespace orbix::manPage {

namespace {

namespace reference = commandLineReference;

QString bold(const QString& text) {
    return QStringLiteral("\\fB") + escaped(text) + QStringLiteral("\\fR");
}

QString italic(const QString& text) {
    return QStringLiteral("\\fI") + escaped(text) + QStringLiteral("\\fR");
}

// Paragraphs separated by an empty line become .PP paragraphs.
QString paragraphs(const QString& text) {
    QStringList out;
    for (const QString& paragraph : text.split(QStringLiteral("\n\n"))) {
        out << escaped(paragraph.simplified());
    }
    return out.join(QStringLiteral("\n.PP\n")) + QLatin1Char('\n');
}

QString tagged(const QString& tag, const QString& body) {
    return QStringLiteral(".TP\n") + tag + QLatin1Char('\n') + escaped(body) + QLatin1Char('\n');
}

QString optionTag(const reference::OptionEntry& option) {
    QStringList names;
    for (const QString& name : option.names) {
        names << bold((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    }
    QString tag = names.join(QStringLiteral(", "));
    if (!option.valueName.isEmpty()) {
        tag += QLatin1Char(' ') + italic(option.valueName);
    }
    return tag;
}

struct DBusMethod {
    QString interfaceName;
    QString name;
    QStringList arguments; // "in s section", "out s dialog"
    QString comment;
};

QList<DBusMethod> dbusMethods(const QByteArray& xml, QString* error) {
    QList<DBusMethod> methods;
    QXmlStreamReader reader(xml);
    QString interfaceName;
    QString pendingComment;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::Comment:
            pendingComment = reader.text().toString().simplified();
            break;
        case QXmlStreamReader::StartElement:
            if (reader.name() == QStringLiteral("interface")) {
                interfaceName = reader.attributes().value(QStringLiteral("name")).toString();
            } else if (reader.name() == QStringLiteral("method")) {
                methods.append({interfaceName,
                                reader.attributes().value(QStringLiteral("name")).toString(),
                                {},
                                pendingComment});
            } else if (reader.name() == QStringLiteral("arg") && !methods.isEmpty()) {
                const QXmlStreamAttributes attributes = reader.attributes();
                methods.last().arguments
                    << QStringList{attributes.value(QStringLiteral("direction")).toString(),
                                   attributes.value(QStringLiteral("type")).toString(),
                                   attributes.value(QStringLiteral("name")).toString()}
                           .join(QLatin1Char(' '));
            }
            // A comment describes the element after it; one before a pair of methods, only the first.
            pendingComment.clear();
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        if (error) {
            *error = QStringLiteral("the D-Bus interface file does not parse: %1 (line %2)")
                         .arg(reader.errorString())
                         .arg(reader.lineNumber());
        }
        return {};
    }
    return methods;
}

QString synopsis() {
    return QStringLiteral(".B orbix\n.RI [ OPTION ]...\n.br\n"
                          ".B orbix\n.BI \\-\\-prompt \" TEXT\"\n.RB [ \\-\\-prompt\n.IR TEXT ]...\n"
                          ".RB [ \\-\\-json ]\n.br\n"
                          ".B orbix\n.RB [ \\-\\-json ]\n.B <\n.I FILE\n.br\n"
                          ".B orbix\n.BI \\-\\-screenshot \" FILE\"\n.RI [ OPTION ]...\n.br\n"
                          ".B orbix\n.BR \\-\\-voice \" | \" \\-\\-listen\n");
}

QString optionsSection() {
    QString out;
    for (const reference::OptionEntry& option : reference::options()) {
        out += tagged(optionTag(option), option.description);
    }
    return out;
}

QString environmentSection() {
    QString out = escaped(QStringLiteral("The variables marked as settings are looked up in the environment "
                                         "first, then in the first .env.local file that defines them with a "
                                         "non-empty value (see FILES).")) +
                  QLatin1Char('\n');
    for (const reference::EnvironmentEntry& variable : reference::environment()) {
        out += tagged(QStringLiteral(".B ") + escaped(variable.name),
                      variable.description +
                          (variable.readFromEnvLocal ? QStringLiteral(" A setting.") : QString()));
    }
    return out;
}

QString filesSection(const QString& relativeDataDirectory) {
    const QString dataDirectory = QStringLiteral("PREFIX/") + relativeDataDirectory;
    const QList<std::pair<QString, QString>> files{
        {QStringLiteral("$XDG_CONFIG_HOME/Orbix/Orbix.conf"),
         QStringLiteral(
             "The settings (user defaults): start in quiet mode, read responses aloud, allow computer "
             "control, the pinned Capture One version, and the cached anonymous identity. Written at "
             "once when a setting changes.")},
        {QStringLiteral("$XDG_STATE_HOME/Orbix/realtime.log"),
         QStringLiteral("The voice session's diagnostics log, one time-stamped line per event, readable by the "
                        "owner only. Keys and tokens never appear in it.")},
        {QStringLiteral("$XDG_DATA_HOME/Orbix/sessions/"),
         QStringLiteral(
             "The window's saved sessions, one JSON file each (conversation, artifacts and changes), "
             "readable by the owner only. The last one comes back at the next start; a file "
             "Orbix cannot read is skipped and left as it is.")},
        {QStringLiteral("$XDG_DATA_HOME/Orbix/Capture One Simulator/catalog.json"),
         QStringLiteral("The Capture One Simulator's catalog, created with a sample document on first use "
                        "(ORBIX_C1SIM_CATALOG overrides it).")},
        {QStringLiteral(".env.local"),
         QStringLiteral(
             "Settings as NAME=value lines, searched in the working directory, the home directory, "
             "~/.orbix/, the source tree the program was built from, then two folders and one folder "
             "above the program's folder (/ and /usr for /usr/bin/orbix).")},
        {dataDirectory + QStringLiteral("/orbix/Capture One Simulator.app"),
         QStringLiteral("The Capture One Simulator's application bundle; its program is orbix-c1sim.")},
        {dataDirectory + QStringLiteral("/dbus-1/services/org.orbix.Orbix.service"),
         QStringLiteral("Starts orbix when a program calls the D-Bus interface while it is not running.")},
        {dataDirectory + QStringLiteral("/dbus-1/interfaces/org.orbix.Orbix.xml"),
         QStringLiteral("The D-Bus interface described below.")},
    };
    QString out;
    for (const auto& [path, meaning] : files) {
        out += tagged(italic(path), meaning);
    }
    out += QStringLiteral(".PP\n") +
           escaped(QStringLiteral("PREFIX is the installation prefix, /usr for the Debian package.")) +
           QStringLiteral("\n.PP\n") +
           escaped(QStringLiteral("Conversations, artifacts and the photo tray live in memory only: no session "
                                  "is saved at quit.")) +
           QLatin1Char('\n');
    return out;
}

QString dbusSection(const QByteArray& xml, QString* error) {
    QString out =
        escaped(QStringLiteral("The window owns the session-bus name org.orbix.Orbix and exports the "
                               "object /org/orbix/Orbix. A later start of orbix hands its request to "
                               "that window only when the name's owner is the same program run by the "
                               "same user. Methods:")) +
        QLatin1Char('\n');
    for (const DBusMethod& method : dbusMethods(xml, error)) {
        QString tag = bold(method.interfaceName + QLatin1Char('.') + method.name) + QLatin1Char('(');
        tag += escaped(method.arguments.join(QStringLiteral(", "))) + QLatin1Char(')');
        out += tagged(tag, method.comment);
    }
    return out;
}

QString exitStatusSection() {
    return tagged(bold(QStringLiteral("0")),
                  QStringLiteral("Success. A refused or failed request is an answer, not a failure.")) +
           tagged(bold(QStringLiteral("1")),
                  QStringLiteral("The program failed: an unknown option, a listener that cannot run, a "
                                 "screenshot that cannot be written, or another program holding "
                                 "org.orbix.Orbix.")) +
           tagged(bold(QStringLiteral("2")),
                  QStringLiteral("An option's value was refused: a note longer than 16 KiB, or a --size, "
                                 "--palette or --voice-state that is not one of the accepted values."));
}

QString examplesSection() {
    const QList<std::pair<QString, QString>> examples{
        {QStringLiteral("Rate Capture One's selection and print the whole state as JSON:"),
         QStringLiteral("orbix --json --prompt \"capture one rate this 4 stars\"")},
        {QStringLiteral("Answer one request per line of a file:"), QStringLiteral("orbix < requests.txt")},
        {QStringLiteral("Render the window with a reply, in the dark palette:"),
         QStringLiteral("orbix --prompt \"capture one status\" --screenshot status.png --palette dark")},
        {QStringLiteral("Type a note into the running window from another program:"),
         QStringLiteral("gdbus call --session -d org.orbix.Orbix -o /org/orbix/Orbix -m "
                        "org.orbix.Orbix.CreateNote \"crop to 4:5\"")},
    };
    QString out;
    for (const auto& [what, command] : examples) {
        out += QStringLiteral(".PP\n") + escaped(what) + QStringLiteral("\n.PP\n.RS 4\n.nf\n") +
               escaped(command) + QStringLiteral("\n.fi\n.RE\n");
    }
    return out;
}

} // namespace

QString escaped(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    out.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\''))) {
        out.prepend(QStringLiteral("\\&"));
    }
    return out;
}

QString render(const Inputs& inputs, QString* error) {
    QString page;
    page += QStringLiteral(".TH ORBIX 1 \"\" \"Orbix %1\" \"User Commands\"\n").arg(escaped(inputs.version));
    page += QStringLiteral(".nh\n"); // no hyphenation: names, paths and options stay whole
    page += QStringLiteral(".SH NAME\norbix \\- ") + escaped(reference::summary()) + QLatin1Char('\n');
    page += QStringLiteral(".SH SYNOPSIS\n") + synopsis();
    page += QStringLiteral(".SH DESCRIPTION\n") + paragraphs(reference::description());
    page += QStringLiteral(".SH OPTIONS\n") + optionsSection();
    page += QStringLiteral(".SH ENVIRONMENT\n") + environmentSection();
    page += QStringLiteral(".SH FILES\n") + filesSection(inputs.dataDirectory);
    page += QStringLiteral(".SH D\\-BUS INTERFACE\n") + dbusSection(inputs.dbusInterfaceXml, error);
    page += QStringLiteral(".SH EXIT STATUS\n") + exitStatusSection();
    page += QStringLiteral(".SH EXAMPLES\n") + examplesSection();
    page += QStringLiteral(".SH SEE ALSO\n") +
            escaped(QStringLiteral("orbix-c1sim --help (the Capture One Simulator),")) +
            QStringLiteral("\n.BR gdbus (1)\n");
    return page;
}

} // namespace orbix::manPage
