#include "SimulatorTestSupport.h"

#include "engine/ScriptInterpreter.h"
#include "engine/ScriptParser.h"
#include "engine/SimulatedApplication.h"

#include <QJsonDocument>
#include <QProcess>

namespace orbix::c1sim::test {

QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString perVariantScript(const QStringList& body, const QString& returnLine, const QStringList& targetPaths,
                         const QString& applicationName) {
    QString targets;
    if (targetPaths.isEmpty()) {
        targets =
            QStringLiteral("set targetVariants to selected variants\n"
                           "if (count of targetVariants) is 0 then error \"Select one or more Capture One "
                           "variants first.\"");
    } else {
        QStringList literals;
        for (const QString& path : targetPaths)
            literals << quoted(path);
        targets =
            QStringLiteral("set requestedPaths to {%1}\n"
                           "set targetVariants to {}\n"
                           "repeat with aVariant in (variants of current document)\n"
                           "    if (POSIX path of (file of aVariant)) is in requestedPaths then set end of "
                           "targetVariants to aVariant\n"
                           "end repeat\n"
                           "if (count of targetVariants) is 0 then error \"None of the selected Orbix photos "
                           "are in the open Capture One document.\"")
                .arg(literals.join(QStringLiteral(", ")));
    }
    return QStringLiteral("tell application %1\n"
                          "    %2\n"
                          "    repeat with aVariant in targetVariants\n"
                          "        %3\n"
                          "    end repeat\n"
                          "    %4\n"
                          "end tell")
        .arg(quoted(applicationName), targets, body.join(QStringLiteral("\n                ")), returnLine);
}

QString statusScript() {
    return QStringLiteral(
        "tell application \"Capture One\"\n"
        "    if not (exists current document) then error \"Open a Capture One catalog or session first.\"\n"
        "    set selectedItems to selected variants\n"
        "    if (count of selectedItems) is 0 then return \"No variants selected.\"\n"
        "    set primaryItem to primary variant\n"
        "    set itemName to name of primaryItem\n"
        "    set itemPath to POSIX path of (file of primaryItem)\n"
        "    set itemRating to rating of primaryItem\n"
        "    return \"Selected variants: \" & (count of selectedItems) & \"\\nPrimary: \" & itemName & "
        "\"\\nFile: \" & "
        "itemPath & \"\\nRating: \" & itemRating\n"
        "end tell");
}

QString processScript() {
    return QStringLiteral(
        "tell application \"Capture One\"\n"
        "    if not (exists current document) then error \"Open a Capture One catalog or session first.\"\n"
        "    set targetVariants to selected variants\n"
        "    if (count of targetVariants) is 0 then error \"Select one or more variants first.\"\n"
        "    repeat with aVariant in targetVariants\n"
        "        process aVariant\n"
        "    end repeat\n"
        "    return \"Queued \" & (count of targetVariants) & \" selected variant(s) for processing.\"\n"
        "end tell");
}

QString copyAdjustmentsScript() {
    return QStringLiteral(
        "tell application \"Capture One\"\n"
        "    if not (exists current document) then error \"Open a Capture One catalog or session first.\"\n"
        "    set sourceVariant to primary variant\n"
        "    set targetVariants to selected variants\n"
        "    copy adjustments sourceVariant\n"
        "    set appliedCount to 0\n"
        "    repeat with aVariant in targetVariants\n"
        "        if (id of aVariant) is not (id of sourceVariant) then\n"
        "            apply adjustments aVariant\n"
        "            set appliedCount to appliedCount + 1\n"
        "        end if\n"
        "    end repeat\n"
        "    if appliedCount is 0 then return \"Copied the primary variant adjustments to the Capture One "
        "clipboard.\"\n"
        "    return \"Copied the primary variant adjustments to \" & appliedCount & \" other selected "
        "variant(s).\"\n"
        "end tell");
}

QString importScript(const QString& folder) {
    QString escaped = quoted(folder).mid(1);
    escaped.chop(1);
    return QStringLiteral("tell application \"Capture One\"\n"
                          "    if not (exists current document) then error \"Open a Capture One catalog or "
                          "session first.\"\n"
                          "    import (POSIX file \"%1\") into current document\n"
                          "    return \"Started importing %1.\"\n"
                          "end tell")
        .arg(escaped);
}

bool isTestCaptureOneName(const QString& name) {
    static const QStringList installed{QStringLiteral("Capture One"), QStringLiteral("Capture One 22"),
                                       QStringLiteral("Capture One 23"), QStringLiteral("Capture One Beta")};
    return installed.contains(name, Qt::CaseInsensitive);
}

InProcessRun runScript(Catalog& catalog, const QString& source) {
    InProcessRun run;
    auto parsed = parseScript(source);
    if (auto* error = std::get_if<ScriptError>(&parsed)) {
        run.error = *error;
        return run;
    }
    SimulatedApplication application([&]() -> Catalog& { return catalog; }, &isTestCaptureOneName);
    ScriptInterpreter interpreter(application);
    const ScriptOutcome outcome = interpreter.run(std::get<Script>(parsed));
    run.error = outcome.error;
    if (outcome.result)
        run.result = displayText(*outcome.result);
    return run;
}

QString programPath() {
    return QStringLiteral(ORBIX_C1SIM_PROGRAM);
}
QString bundlePath() {
    return QStringLiteral(ORBIX_C1SIM_BUNDLE);
}

ProgramRun runProgram(const QStringList& arguments, const QByteArray& input, const QString& catalog) {
    QProcess process;
    QStringList all;
    if (!catalog.isEmpty())
        all << QStringLiteral("--catalog") << catalog;
    all << arguments;
    process.start(programPath(), all);
    process.waitForStarted();
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    ProgramRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QJsonObject dump(const QString& catalog) {
    const ProgramRun run = runProgram({QStringLiteral("dump")}, {}, catalog);
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

} // namespace orbix::c1sim::test
