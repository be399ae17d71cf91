#pragma once
// What the orbix command line accepts, kept in one table: `orbix --help` and the orbix(1) manual page are
// both written from it, so neither can describe an option or a variable the other leaves out.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace orbix::commandLineReference {

enum class OptionId {
    prompt,
    json,
    screenshot,
    size,
    palette,
    voiceState,
    noMicrophone,
    openSection,
    note,
    voice,
    listen,
    help,
    version
};

struct OptionEntry {
    OptionId id;
    QStringList names;    // a one-letter name first when there is one
    QString valueName;    // empty for a switch
    QString defaultValue; // empty when there is none
    QString description;  // one paragraph, plain text
};

struct EnvironmentEntry {
    QString name;
    QString description;     // one paragraph, plain text
    bool readFromEnvLocal{}; // also looked up in .env.local files
};

// One line: what the program is, for the manual page's NAME and the package's summary.
QString summary();

// Paragraphs separated by an empty line: what the program does with and without options.
QString description();

// In the order --help and the manual page list them.
const QList<OptionEntry>& options();
const QList<EnvironmentEntry>& environment();

// The parser option for one entry, and all of them in table order. --help is one of them (not Qt's own),
// so its caller shows the help when it is set.
QCommandLineOption commandLineOption(OptionId id);
void addOptionsTo(QCommandLineParser& parser);

// The text --help shows above the options: the description, then the environment with the names aligned
// in a column, wrapped to 79 characters.
QString helpDescription();

// "orbix VERSION (Qt BUILD-QT-VERSION)", and the Qt run against when it differs from the build's.
QString versionText(const QString& programVersion);

} // namespace orbix::commandLineReference
