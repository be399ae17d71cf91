#include "engine/CommandLine.h"

#include "engine/AdjustmentTable.h"
#include "engine/CatalogStore.h"
#include "engine/InstalledApplications.h"
#include "engine/PhotoFolder.h"
#include "engine/ScriptInterpreter.h"
#include "engine/ScriptParser.h"
#include "engine/SimulatedApplication.h"
#include "engine/Terminology.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <cmath>

namespace orbix::c1sim {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const QString kProgram = QStringLiteral("orbix-c1sim");
const QString kUsage = QStringLiteral(
    "Usage: orbix-c1sim [--catalog FILE] [-s FLAGS] [-e STATEMENT]... [SCRIPT-FILE | -]\n"
    "       orbix-c1sim [--catalog FILE] COMMAND [ARGUMENTS]\n"
    "\n"
    "Runs AppleScript against the Capture One Simulator the way osascript runs it against Capture One:\n"
    "the script comes from -e lines (joined by line feeds), from SCRIPT-FILE, or from standard input.\n"
    "The result is printed on standard output; errors print as \"START:END: execution error: MESSAGE "
    "(NUMBER)\"\n"
    "on standard error with exit status 1. -s takes osascript's output flags: h (human-readable, default),\n"
    "s (source form), e (errors to standard error, default), o (errors to standard output).\n"
    "\n"
    "Commands:\n"
    "  reset [--variants N | --photos DIR] [--select 1,2,...]\n"
    "                      Replace the catalog: the sample document, N generated variants, or one variant\n"
    "                      per supported photo in DIR. --select picks variants by 1-based position.\n"
    "  dump                Print the catalog as JSON, with every adjustment value.\n"
    "  select 1,3          Select variants by 1-based position; the first becomes primary. \"none\" clears.\n"
    "  close-document      Close the document (scripts then see no current document).\n"
    "  add-style NAME [PROPERTY=VALUE]...\n"
    "                      Install (or replace) a style that sets adjustment properties.\n"
    "  sdef [FILE]         Print (or write) the scripting dictionary.\n"
    "  launch              Mark the simulated application as running (what opening the bundle does).\n"
    "\n"
    "The catalog is FILE, else $ORBIX_C1SIM_CATALOG, else the user's data location. It is created with a\n"
    "sample document on first use.\n");
const QString kCatalogUnreadable = QStringLiteral("The simulated catalog “%1” can’t be read: %2.");
const QString kCatalogUnwritable = QStringLiteral("The simulated catalog “%1” can’t be written: %2.");
const QString kCatalogUnlockable = QStringLiteral("The simulated catalog “%1” can’t be locked: %2.");
const QString kNoDocument = QStringLiteral("No document is open. Run “orbix-c1sim reset” to open the sample.");
const QString kBadPositions = QStringLiteral("Positions must be numbers from 1 to %1, separated by commas: %2");
const QString kMissingValue = QStringLiteral("%1 needs a value.");
const QString kUnknownCommand = QStringLiteral("Unknown option %1.");
const QString kScriptUnreadable = QStringLiteral("Can’t read the script file %1: %2");
const QString kUnknownProperty = QStringLiteral("%1 is not an adjustment property.");
const QString kBadPropertyValue = QStringLiteral("%1 for %2: the value must be %3.");
const QString kNotAFolder = QStringLiteral("%1 is not a folder.");

const QStringList kCommands{QStringLiteral("reset"),          QStringLiteral("dump"),
                            QStringLiteral("select"),         QStringLiteral("add-style"),
                            QStringLiteral("close-document"), QStringLiteral("sdef"),
                            QStringLiteral("launch")};

void writeLine(QByteArray& stream, const QString& text) {
    stream += text.toUtf8() + '\n';
}

int fail(CommandLineIo& io, const QString& message, int status = kExitFailure) {
    writeLine(io.standardError, kProgram + QStringLiteral(": ") + message);
    return status;
}

// Holds the store locked for the duration of one command.
struct LockedCatalog {
    explicit LockedCatalog(const QString& path) : store(path) {}
    CatalogStore store;
    std::optional<Catalog> catalog;
    QString error;

    bool open() {
        QString reason;
        if (!store.lock(&reason)) {
            error = kCatalogUnlockable.arg(store.path(), reason);
            return false;
        }
        catalog = store.load(&reason);
        if (!catalog) {
            error = kCatalogUnreadable.arg(store.path(), reason);
            return false;
        }
        return true;
    }
    bool save() {
        QString reason;
        if (!store.save(*catalog, &reason)) {
            error = kCatalogUnwritable.arg(store.path(), reason);
            return false;
        }
        return true;
    }
};

std::optional<std::vector<int>> parsePositions(const QString& text, int count) {
    std::vector<int> positions;
    if (text.trimmed().compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0) {
        return positions;
    }
    for (const QString& piece : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int position = piece.trimmed().toInt(&ok);
        if (!ok || position < 1 || position > count) {
            return std::nullopt;
        }
        if (std::find(positions.begin(), positions.end(), position) == positions.end()) {
            positions.push_back(position);
        }
    }
    return positions;
}

void applySelection(Document& document, const std::vector<int>& positions) {
    document.selection.clear();
    for (int position : positions) {
        document.selection.push_back(document.variants[size_t(position - 1)].id);
    }
    document.primary = document.selection.empty() ? QString() : document.selection.front();
}

// ---- script execution ----

int runScript(const QString& source, const QString& scriptPath, const QString& catalogPath,
              const QString& flags, CommandLineIo& io) {
    const bool sourceForm = flags.contains(QLatin1Char('s'));
    QByteArray& errorStream = flags.contains(QLatin1Char('o')) ? io.standardOutput : io.standardError;
    const QString prefix = scriptPath.isEmpty() ? QString() : scriptPath + QLatin1Char(':');
    auto report = [&](const ScriptError& error, const char* kind) {
        // One substitution pass: a message holding "%2" (a folder or style name) is copied as it is.
        writeLine(errorStream, QStringLiteral("%1%2:%3: %4: %5 (%6)")
                                   .arg(prefix, QString::number(std::max(error.start, 0)),
                                        QString::number(std::max(error.end, 0)), QLatin1String(kind),
                                        error.message, QString::number(error.number)));
        return kExitFailure;
    };

    auto parsed = parseScript(source);
    if (auto* error = std::get_if<ScriptError>(&parsed)) {
        return report(*error, "syntax error");
    }
    const Script& script = std::get<Script>(parsed);

    LockedCatalog locked(catalogPath);
    SimulatedApplication application(
        [&]() -> Catalog& {
            if (!locked.open()) {
                throw ScriptError{locked.error, errnum::kCatalog};
            }
            return *locked.catalog;
        },
        &isInstalledCaptureOneName);
    ScriptInterpreter interpreter(application);
    ScriptOutcome outcome = interpreter.run(script);

    // Changes made before a runtime error stay made, as they would in the application.
    if (application.catalogTouched() && locked.catalog && !locked.save()) {
        ScriptError error{locked.error, errnum::kCatalog, 0, 0};
        return report(error, "execution error");
    }
    if (outcome.error) {
        return report(*outcome.error, "execution error");
    }
    if (outcome.result) {
        writeLine(io.standardOutput, sourceForm ? sourceText(*outcome.result) : displayText(*outcome.result));
    }
    return kExitOk;
}

// ---- commands ----

int resetCommand(const QStringList& arguments, const QString& catalogPath, CommandLineIo& io) {
    std::optional<int> variants;
    QString photosFolder;
    QString selection;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == u"--variants" || argument == u"--photos" || argument == u"--select") {
            if (!hasValue) {
                return fail(io, kMissingValue.arg(argument), kExitUsage);
            }
            const QString value = arguments[++i];
            if (argument == u"--variants") {
                bool ok = false;
                variants = value.toInt(&ok);
                if (!ok || *variants < 0) {
                    return fail(io, QStringLiteral("--variants needs a whole number, not %1.").arg(value),
                                kExitUsage);
                }
            } else if (argument == u"--photos") {
                photosFolder = value;
            } else {
                selection = value;
            }
        } else {
            return fail(io, kUnknownCommand.arg(argument), kExitUsage);
        }
    }
    if (variants && !photosFolder.isEmpty()) {
        return fail(io, QStringLiteral("Use either --variants or --photos."), kExitUsage);
    }

    Catalog catalog;
    if (!photosFolder.isEmpty()) {
        if (!QFileInfo(photosFolder).isDir()) {
            return fail(io, kNotAFolder.arg(photosFolder));
        }
        catalog = Catalog::withPhotos(photos::photosIn(photosFolder));
    } else if (variants) {
        catalog = Catalog::withVariants(*variants);
    } else {
        catalog = Catalog::sample();
    }
    if (!selection.isEmpty()) {
        const int count = int(catalog.document->variants.size());
        const auto positions = parsePositions(selection, count);
        if (!positions) {
            return fail(io, kBadPositions.arg(count).arg(selection), kExitUsage);
        }
        applySelection(*catalog.document, *positions);
    }
    // A reset replaces whatever is there, a damaged file included: it is how a person repairs one.
    LockedCatalog locked(catalogPath);
    QString reason;
    if (!locked.store.lock(&reason)) {
        return fail(io, kCatalogUnlockable.arg(catalogPath, reason));
    }
    locked.catalog = std::move(catalog);
    if (!locked.save()) {
        return fail(io, locked.error);
    }
    writeLine(io.standardOutput,
              QStringLiteral("Reset %1: %2 variant(s), %3 selected.")
                  .arg(catalogPath, QString::number(locked.catalog->document->variants.size()),
                       QString::number(locked.catalog->document->selection.size())));
    return kExitOk;
}

std::optional<QJsonValue> styleValue(const AdjustmentProperty& row, const QString& text) {
    switch (row.kind) {
    case ValueKind::Real:
    case ValueKind::Integer: {
        bool ok = false;
        const double number = text.trimmed().toDouble(&ok);
        if (!ok || !(number >= row.minimum && number <= row.maximum)) {
            return std::nullopt;
        }
        if (row.kind == ValueKind::Integer &&
            (number != std::trunc(number) || (!row.allowed.isEmpty() && !row.allowed.contains(int(number))))) {
            return std::nullopt;
        }
        return QJsonValue(number);
    }
    case ValueKind::Boolean:
        if (text.trimmed() == u"true") {
            return QJsonValue(true);
        }
        if (text.trimmed() == u"false") {
            return QJsonValue(false);
        }
        return std::nullopt;
    case ValueKind::Text:
        return QJsonValue(text);
    case ValueKind::Enumeration:
        if (row.options.contains(text.trimmed())) {
            return QJsonValue(text.trimmed());
        }
        return std::nullopt;
    }
    return std::nullopt;
}

int addStyleCommand(const QStringList& arguments, const QString& catalogPath, CommandLineIo& io) {
    if (arguments.isEmpty() || arguments.first().isEmpty()) {
        return fail(io, QStringLiteral("add-style needs a style name."), kExitUsage);
    }
    Style style{arguments.first(), {}};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const qsizetype equals = arguments[i].indexOf(QLatin1Char('='));
        const QString property = arguments[i].left(equals).trimmed();
        const auto index = adjustments::indexOf(property);
        if (equals < 0 || !index) {
            return fail(io, kUnknownProperty.arg(equals < 0 ? arguments[i] : property), kExitUsage);
        }
        const AdjustmentProperty& row = adjustments::table()[size_t(*index)];
        const auto value = styleValue(row, arguments[i].mid(equals + 1));
        if (!value) {
            return fail(io,
                        kBadPropertyValue.arg(arguments[i].mid(equals + 1), property,
                                              adjustments::rangeDescription(row)),
                        kExitUsage);
        }
        style.adjustments.emplace_back(*index, *value);
    }
    LockedCatalog locked(catalogPath);
    if (!locked.open()) {
        return fail(io, locked.error);
    }
    auto& styles = locked.catalog->styles;
    styles.erase(std::remove_if(styles.begin(), styles.end(),
                                [&](const Style& each) {
                                    return each.name.compare(style.name, Qt::CaseInsensitive) == 0;
                                }),
                 styles.end());
    styles.push_back(style);
    if (!locked.save()) {
        return fail(io, locked.error);
    }
    writeLine(io.standardOutput, QStringLiteral("Installed style %1 with %2 adjustment(s).")
                                     .arg(style.name, QString::number(style.adjustments.size())));
    return kExitOk;
}

int catalogCommand(const QString& command, const QStringList& arguments, const QString& catalogPath,
                   CommandLineIo& io) {
    if (command == u"reset") {
        return resetCommand(arguments, catalogPath, io);
    }
    if (command == u"add-style") {
        return addStyleCommand(arguments, catalogPath, io);
    }
    if (command == u"sdef") {
        const QByteArray dictionary = terminology::scriptingDictionary().toUtf8();
        if (arguments.isEmpty()) {
            io.standardOutput += dictionary;
            return kExitOk;
        }
        QSaveFile file(arguments.first());
        if (!file.open(QIODevice::WriteOnly) || file.write(dictionary) != dictionary.size() || !file.commit()) {
            return fail(io, file.errorString());
        }
        return kExitOk;
    }
    if ((command == u"dump" || command == u"close-document" || command == u"launch") && !arguments.isEmpty()) {
        return fail(io, kUnknownCommand.arg(arguments.first()), kExitUsage);
    }
    if (command == u"select" && arguments.size() != 1) {
        return fail(io, QStringLiteral("select needs positions such as 1,3 (or none)."), kExitUsage);
    }

    LockedCatalog locked(catalogPath);
    if (!locked.open()) {
        return fail(io, locked.error);
    }
    Catalog& catalog = *locked.catalog;
    if (command == u"dump") {
        io.standardOutput += QJsonDocument(catalog.toJson(true)).toJson(QJsonDocument::Indented);
        // The first dump creates the file, like the first script.
        if (!QFileInfo::exists(catalogPath) && !locked.save()) {
            return fail(io, locked.error);
        }
        return kExitOk;
    }
    if (command == u"select") {
        if (!catalog.document) {
            return fail(io, kNoDocument);
        }
        const int count = int(catalog.document->variants.size());
        const auto positions = parsePositions(arguments.first(), count);
        if (!positions) {
            return fail(io, kBadPositions.arg(count).arg(arguments.first()), kExitUsage);
        }
        applySelection(*catalog.document, *positions);
        if (!locked.save()) {
            return fail(io, locked.error);
        }
        writeLine(io.standardOutput, QStringLiteral("Selected %1 variant(s).").arg(positions->size()));
        return kExitOk;
    }
    if (command == u"close-document") {
        catalog.document.reset();
    } else if (command == u"launch") {
        catalog.running = true;
    }
    if (!locked.save()) {
        return fail(io, locked.error);
    }
    return kExitOk;
}

} // namespace

int runCommandLine(const QStringList& arguments, CommandLineIo& io) {
    QString catalogOption;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--catalog") {
            if (i + 1 >= arguments.size()) {
                return fail(io, kMissingValue.arg(arguments[i]), kExitUsage);
            }
            catalogOption = arguments[++i];
        } else if (arguments[i].startsWith(QStringLiteral("--catalog="))) {
            catalogOption = arguments[i].mid(10);
        } else {
            rest << arguments[i];
        }
    }
    const QString catalogPath = CatalogStore::resolvePath(catalogOption);

    QStringList lines;
    QString flags;
    bool fromExpressions = false;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString& argument = rest[i];
        if (argument == u"--help" || argument == u"-h") {
            io.standardOutput += kUsage.toUtf8();
            return kExitOk;
        }
        if (argument == u"-e" || argument == u"-s") {
            if (i + 1 >= rest.size()) {
                return fail(io, kMissingValue.arg(argument), kExitUsage);
            }
            if (argument == u"-e") {
                lines << rest[++i];
                fromExpressions = true;
            } else {
                flags += rest[++i];
            }
            continue;
        }
        if (argument == u"-") {
            break; // the script is on standard input; any further words would be script arguments
        }
        if (argument.startsWith(QLatin1Char('-'))) {
            return fail(io, kUnknownCommand.arg(argument), kExitUsage);
        }
        if (!fromExpressions && kCommands.contains(argument)) {
            return catalogCommand(argument, rest.mid(i + 1), catalogPath, io);
        }
        if (fromExpressions) {
            break; // words after -e statements are arguments for the script, which has no run handler
        }
        QFile file(argument);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(io, kScriptUnreadable.arg(argument, file.errorString()));
        }
        return runScript(QString::fromUtf8(file.readAll()), argument, catalogPath, flags, io);
    }
    const QString source =
        fromExpressions ? lines.join(QLatin1Char('\n'))
                        : QString::fromUtf8(io.readStandardInput ? io.readStandardInput() : QByteArray());
    return runScript(source, QString(), catalogPath, flags, io);
}

int runLauncher(const QStringList& arguments, CommandLineIo& io) {
    QStringList forwarded;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--catalog" && i + 1 < arguments.size()) {
            forwarded << arguments[i] << arguments[i + 1];
        }
    }
    forwarded << QStringLiteral("launch");
    return runCommandLine(forwarded, io);
}

} // namespace orbix::c1sim
