#include "captureone/CaptureOneService.h"

#include "captureone/CaptureOneApplicationResolver.h"
#include "captureone/CaptureOneCapabilities.h"
#include "captureone/CaptureOneScripts.h"
#include "captureone/ChangeScripts.h"
#include "captureone/OsascriptRunner.h"
#include "core/TextRules.h"
#include "core/TypedNames.h"

#include <QRegularExpression>

namespace orbix {

namespace {

const QString noApplicationInApplications = QStringLiteral(
    "Could not find Capture One in Applications. Choose an installed version in Orbix Settings.");
const QString notPreparedMessage = QStringLiteral("Could not prepare the Capture One automation command.");
const QString unknownErrorMessage = QStringLiteral("Unknown AppleScript error.");
const QString noApplicationShort = QStringLiteral("Could not find Capture One.");
const QString rejectClearsPickText =
    QStringLiteral("Capture One has no reject flag, so Orbix cleared the pick flag instead. ");
const QString notInRegistrySuffix =
    QStringLiteral(" is not in Orbix’s safe Capture One adjustment registry yet.");
const QString notSupportedByVersionSuffix =
    QStringLiteral(" is not supported by the selected Capture One version.");
const QString ratingRangeMessage = QStringLiteral("Capture One ratings must be between 0 and 5.");
const QString rotationDirectionMessage = QStringLiteral("Rotation direction must be left or right.");
const QString noSupportedAdjustmentsMessage =
    QStringLiteral("No supported Capture One adjustments were provided.");
const QString copyApplyUnsupportedMessage =
    QStringLiteral("Copy and Apply Adjustments are not supported by the selected Capture One version.");
const QString cropUsageMessage = QStringLiteral("Use crop text such as aspect=3:2, orientation=landscape.");
const QString cropAspectUnsupportedMessage =
    QStringLiteral("Crop aspect ratio is not scriptable in the selected Capture One version.");
const QString cropOrientationValueMessage =
    QStringLiteral("Crop orientation must be landscape, portrait, or square.");
const QString cropOrientationUnsupportedMessage =
    QStringLiteral("Crop orientation is not scriptable in the selected Capture One version.");
const QString defaultLayerName = QStringLiteral("Orbix Adjustment");
const QString layerUsageMessage = QStringLiteral("Use layer text such as name=Sky, opacity=60, enabled=true.");
const QString maskUsageMessage =
    QStringLiteral("Mask operation must be fill, clear, invert, rasterize, clear luma "
                   "range, feather 0–100, or refine 0–300.");
// Capture One itself gives up on an Apple event after two minutes; the runner uses the same bound.
const QString timedOutSuffix = QStringLiteral(
    " did not answer within two minutes, so Orbix stopped waiting. Check whether it is showing a "
    "dialog.");

// The error's own words: the scripting host words an application's error as "<name> got an error: …",
// and the sentence already begins with the name.
QString errorWithoutApplicationName(const QString& error, const CaptureOneApplication& application) {
    if (error.isEmpty()) {
        return unknownErrorMessage;
    }
    const QString hostPrefix = application.scriptName + QStringLiteral(" got an error: ");
    if (error.startsWith(hostPrefix) && error.size() > hostPrefix.size()) {
        return error.sliced(hostPrefix.size());
    }
    return error;
}

QString variantsText(const QString& prefix) {
    return CaptureOneScripts::countReturnLine(prefix);
}

} // namespace

CaptureOneService::CaptureOneService(std::shared_ptr<ScriptRunner> runner,
                                     CaptureOneApplicationResolver& resolver, QObject* parent)
    : QObject(parent), runner_(std::move(runner)), resolver_(resolver) {}

void CaptureOneService::run(const QString& script, Completion completion) {
    const auto application = resolver_.resolve();
    if (!application) {
        completion(CommandOutcome::notRunning(noApplicationInApplications));
        return;
    }
    runOn(*application, script, std::move(completion));
}

namespace {

QString pinnedTo(const CaptureOneApplication& application, const QString& script) {
    QString pinned = script;
    pinned.replace(CaptureOneScripts::genericTellOpening,
                   QStringLiteral("tell application ") + text::appleScriptQuoted(application.scriptName));
    return pinned;
}

// The command's outcome with its readings taken off the reply and made into its change record.
CommandOutcome recordedOutcome(CommandOutcome outcome, const CaptureOneService::Recording& recording) {
    const changescripts::RecordedRun run =
        changescripts::parseRecordedResult(outcome.text, recording.properties);
    outcome.text = run.reply;
    // Answer from what Capture One holds: a value it limited or refused is said beside the reply.
    if (const QString held = changescripts::heldOtherwiseText(run, recording.properties, recording.asked);
        !held.isEmpty()) {
        outcome.text += QLatin1Char(' ') + held;
    }
    ChangeRecord change;
    change.undoable = run.variants.has_value() && run.restorable;
    change.onTrayPhotos = !recording.targetPaths.isEmpty();
    change.variants = run.variants.value_or(QList<VariantChange>());
    outcome.change = change;
    return outcome;
}

} // namespace

void CaptureOneService::runOn(const CaptureOneApplication& application, const QString& script,
                              Completion completion) {
    runner_->run(pinnedTo(application, script),
                 [this, application, completion = std::move(completion)](const ScriptOutcome& outcome) {
                     finishRun(application, outcome, completion, std::nullopt);
                 });
}

void CaptureOneService::runRecorded(const CaptureOneApplication& application, const QString& writeScript,
                                    const Recording& recording, Completion completion) {
    const QString script =
        changescripts::recordedScript(writeScript, recording.targetPaths, recording.properties);
    runner_->run(pinnedTo(application, script),
                 [this, application, recording, completion = std::move(completion)](
                     const ScriptOutcome& outcome) { finishRun(application, outcome, completion, recording); });
}

void CaptureOneService::finishRun(const CaptureOneApplication& application, const ScriptOutcome& outcome,
                                  const Completion& completion, const std::optional<Recording>& recording) {
    CommandOutcome result = outcomeOf(application, outcome);
    if (outcome.status == ScriptOutcome::Status::notPrepared) {
        completion(result);
        return;
    }
    if (recording && result.status.succeeded()) {
        result = recordedOutcome(result, *recording);
        if (result.text.isEmpty()) {
            result.text = application.scriptName + QStringLiteral(" command completed.");
        }
    }
    lastMessage_ = result.text;
    emit lastMessageChanged(lastMessage_);
    completion(result);
}

CommandOutcome CaptureOneService::outcomeOf(const CaptureOneApplication& application,
                                            const ScriptOutcome& outcome) {
    CommandOutcome result;
    switch (outcome.status) {
    case ScriptOutcome::Status::notPrepared:
        return CommandOutcome::notRunning(notPreparedMessage);
    case ScriptOutcome::Status::success:
        result = CommandOutcome::success(outcome.text.isEmpty()
                                             ? application.scriptName + QStringLiteral(" command completed.")
                                             : outcome.text);
        break;
    case ScriptOutcome::Status::executionError:
        result = CommandOutcome::captureOneError(application.scriptName + QStringLiteral(": ") +
                                                     errorWithoutApplicationName(outcome.text, application),
                                                 outcome.errorNumber);
        break;
    case ScriptOutcome::Status::timedOut:
        result = CommandOutcome::notRunning(application.scriptName + timedOutSuffix);
        break;
    }
    return result;
}

void CaptureOneService::restoreValues(const QList<VariantChange>& variants, bool toBefore,
                                      RestoreCompletion completion) {
    const auto application = resolver_.resolve();
    if (!application) {
        completion(CommandOutcome::notRunning(noApplicationShort), std::nullopt);
        return;
    }
    runner_->run(pinnedTo(*application, changescripts::restoreScript(variants, toBefore)),
                 [application = *application, variants,
                  completion = std::move(completion)](const ScriptOutcome& outcome) {
                     const CommandOutcome result = outcomeOf(application, outcome);
                     if (!result.status.succeeded()) {
                         completion(result, std::nullopt);
                         return;
                     }
                     completion(result, changescripts::parseRestoreResult(outcome.text, variants));
                 });
}

void CaptureOneService::setAdjustment(const QString& name, const QString& rawValue, bool relative,
                                      const QStringList& targetPaths, Completion completion) {
    const auto definition = CaptureOneCapabilities::adjustment(name);
    if (!definition) {
        completion(CommandOutcome::notSupported(name + notInRegistrySuffix));
        return;
    }
    const auto application = resolver_.resolve();
    if (!application || !CaptureOneCapabilities::supportsProperty(definition->property, *application)) {
        completion(CommandOutcome::notSupported(text::capitalizedWords(definition->property) +
                                                notSupportedByVersionSuffix));
        return;
    }
    const auto value = CaptureOneCapabilities::valueExpression(*definition, rawValue);
    if (!value) {
        completion(CommandOutcome::refused(rawValue + QStringLiteral(" is not a valid value for ") +
                                           definition->property + QLatin1Char('.')));
        return;
    }
    using Tag = CaptureOneAdjustmentValueKind::Tag;
    const bool numeric = definition->kind.tag == Tag::number || definition->kind.tag == Tag::integer;
    const QString& property = definition->property;
    const QString statement =
        relative && numeric
            ? QStringLiteral("set %1 of adjustments of aVariant to ((%1 of adjustments of aVariant) + %2)")
                  .arg(property, *value)
            : QStringLiteral("set %1 of adjustments of aVariant to %2").arg(property, *value);
    runRecorded(*application,
                CaptureOneScripts::perVariantScript(
                    targetPaths, {statement},
                    variantsText(QStringLiteral("Adjusted ") + property + QStringLiteral(" on "))),
                {targetPaths,
                 {*changescripts::adjustmentProperty(property)},
                 relative && numeric ? QHash<QString, QString>() : QHash<QString, QString>{{property, *value}}},
                std::move(completion));
}

void CaptureOneService::adjustSliders(const QString& adjustments, const QStringList& targetPaths,
                                      Completion completion) {
    QStringList invalid;
    std::vector<std::pair<QString, QString>> pairs; // property, value expression
    for (const QString& piece : adjustments.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        QStringList parts;
        if (equals < 0) {
            parts << piece;
        } else {
            for (const QString& part : {piece.left(equals), piece.mid(equals + 1)}) {
                if (!part.isEmpty()) {
                    parts << part;
                }
            }
        }
        const auto definition = parts.size() == 2 ? CaptureOneCapabilities::adjustment(parts[0])
                                                  : std::optional<CaptureOneAdjustmentDefinition>();
        const auto value = definition ? CaptureOneCapabilities::valueExpression(*definition, parts[1])
                                      : std::optional<QString>();
        if (!value) {
            invalid << piece;
            continue;
        }
        pairs.emplace_back(definition->property, *value);
    }
    if (!invalid.isEmpty()) {
        completion(CommandOutcome::refused(QStringLiteral("Invalid or unsupported adjustment values: ") +
                                           invalid.join(QStringLiteral(", ")) +
                                           QStringLiteral(". No changes were made.")));
        return;
    }
    if (pairs.empty()) {
        completion(CommandOutcome::refused(noSupportedAdjustmentsMessage));
        return;
    }
    const auto application = resolver_.resolve();
    if (!application) {
        completion(CommandOutcome::notRunning(noApplicationShort));
        return;
    }
    QStringList missing;
    QStringList statements;
    Recording recording{targetPaths, {}};
    for (const auto& [property, value] : pairs) {
        if (!CaptureOneCapabilities::supportsProperty(property, *application)) {
            missing << property;
        }
        statements << QStringLiteral("set %1 of adjustments of aVariant to %2").arg(property, value);
        recording.asked.insert(property, value);
        const auto recorded = changescripts::adjustmentProperty(property);
        if (!recording.properties.contains(*recorded)) {
            recording.properties << *recorded;
        }
    }
    if (!missing.isEmpty()) {
        completion(
            CommandOutcome::notSupported(QStringLiteral("The selected Capture One version does not support: ") +
                                         missing.join(QStringLiteral(", ")) + QLatin1Char('.')));
        return;
    }
    const QString returnLine =
        variantsText(QStringLiteral("Applied %1 adjustment(s) to ").arg(qsizetype(pairs.size())));
    runRecorded(*application, CaptureOneScripts::perVariantScript(targetPaths, statements, returnLine),
                recording, std::move(completion));
}

void CaptureOneService::applyStyle(const QString& name, const QStringList& targetPaths, Completion completion) {
    const QString style = text::appleScriptEscaped(name);
    runRecordedWhenResolved(
        CaptureOneScripts::perVariantScript(
            targetPaths, {QStringLiteral("apply style \"") + style + QStringLiteral("\" to aVariant")},
            variantsText(QStringLiteral("Applied style ") + style + QStringLiteral(" to "))),
        targetPaths, changescripts::adjustmentProperties, std::move(completion));
}

void CaptureOneService::importFolder(const QString& path, Completion completion) {
    // A path the model or a person wrote may start with "~": Capture One wants the folder itself.
    run(CaptureOneScripts::importScript(text::appleScriptEscaped(text::expandedHomePath(path))),
        std::move(completion));
}

void CaptureOneService::setPick(bool picked, const QStringList& targetPaths, Completion completion) {
    runRecordedWhenResolved(
        CaptureOneScripts::perVariantScript(
            targetPaths, {QStringLiteral("set pick of aVariant to ") + (picked ? "true" : "false")},
            variantsText(QStringLiteral("Updated pick status for "))),
        targetPaths, declaredProperties({QStringLiteral("pick")}, RecordedProperty::Kind::boolean),
        std::move(completion),
        {{QStringLiteral("pick"), picked ? QStringLiteral("true") : QStringLiteral("false")}});
}

void CaptureOneService::reject(const QStringList& targetPaths, Completion completion) {
    setPick(false, targetPaths, [completion = std::move(completion)](CommandOutcome outcome) {
        if (outcome.status.succeeded()) {
            outcome.text = rejectClearsPickText + outcome.text;
        }
        completion(outcome);
    });
}

void CaptureOneService::setRating(qint64 rating, const QStringList& targetPaths, Completion completion) {
    if (rating < 0 || rating > 5) {
        completion(CommandOutcome::refused(ratingRangeMessage));
        return;
    }
    const QString value = QString::number(rating);
    runRecordedWhenResolved(
        CaptureOneScripts::perVariantScript(
            targetPaths, {QStringLiteral("set rating of aVariant to ") + value},
            variantsText(QStringLiteral("Set rating to ") + value + QStringLiteral(" on "))),
        targetPaths, declaredProperties({QStringLiteral("rating")}, RecordedProperty::Kind::number),
        std::move(completion), {{QStringLiteral("rating"), value}});
}

void CaptureOneService::setColorTag(qint64 tag, const QStringList& targetPaths, Completion completion) {
    runRecordedWhenResolved(
        CaptureOneScripts::perVariantScript(
            targetPaths, {QStringLiteral("set color tag of aVariant to ") + QString::number(tag)},
            variantsText(QStringLiteral("Set color tag on "))),
        targetPaths, declaredProperties({QStringLiteral("color tag")}, RecordedProperty::Kind::number),
        std::move(completion), {{QStringLiteral("color tag"), QString::number(tag)}});
}

void CaptureOneService::rotate(const QString& direction, const QStringList& targetPaths,
                               Completion completion) {
    const QString lower = direction.toLower();
    if (lower != QStringLiteral("left") && lower != QStringLiteral("right")) {
        completion(CommandOutcome::refused(rotationDirectionMessage));
        return;
    }
    const QString completionText =
        lower == QStringLiteral("left") ? QStringLiteral("Rotated left") : QStringLiteral("Rotated right");
    runVariantCommand(QStringLiteral("rotate ") + lower, completionText, targetPaths, std::move(completion));
}

void CaptureOneService::runVariantCommand(const QString& command, const QString& completionText,
                                          const QStringList& targetPaths, Completion completion) {
    const auto application = resolver_.resolve();
    if (!application || !CaptureOneCapabilities::supportsCommand(command, *application)) {
        const QString who =
            application ? application->scriptName : QStringLiteral("the selected Capture One version");
        completion(CommandOutcome::notSupported(text::capitalizedWords(command) +
                                                QStringLiteral(" is not supported by ") + who +
                                                QLatin1Char('.')));
        return;
    }
    const QString script = CaptureOneScripts::perVariantScript(
        targetPaths, {command + QStringLiteral(" aVariant")}, variantsText(completionText + QLatin1Char(' ')));
    // Adjustment commands and rotation leave values Capture One can be given back; cloning and the
    // crop rectangle (read-only) do not.
    if (command == QStringLiteral("autoadjust") || command == QStringLiteral("reset adjustments")) {
        runRecorded(*application, script, {targetPaths, changescripts::adjustmentProperties(*application)},
                    std::move(completion));
    } else if (command.startsWith(QStringLiteral("rotate "))) {
        runRecorded(*application, script,
                    {targetPaths, declaredProperties({QStringLiteral("orientation")},
                                                     RecordedProperty::Kind::number)(*application)},
                    std::move(completion));
    } else {
        runOn(*application, script, std::move(completion));
    }
}

void CaptureOneService::copyPrimaryAdjustmentsToSelected(Completion completion) {
    const auto application = resolver_.resolve();
    if (!application ||
        !CaptureOneCapabilities::supportsCommand(QStringLiteral("copy adjustments"), *application) ||
        !CaptureOneCapabilities::supportsCommand(QStringLiteral("apply adjustments"), *application)) {
        completion(CommandOutcome::notSupported(copyApplyUnsupportedMessage));
        return;
    }
    runRecorded(*application, CaptureOneScripts::copyAdjustmentsScript(),
                {{}, changescripts::adjustmentProperties(*application)}, std::move(completion));
}

void CaptureOneService::setCrop(const QString& specification, const QStringList& targetPaths,
                                Completion completion) {
    const QMap<QString, QString> values = assignmentMap(specification);
    const bool hasAspect =
        values.contains(QStringLiteral("aspect")) || values.contains(QStringLiteral("ratio"));
    const bool hasOrientation = values.contains(QStringLiteral("orientation"));
    if (!hasAspect && !hasOrientation) {
        completion(CommandOutcome::refused(cropUsageMessage));
        return;
    }
    const auto application = resolver_.resolve();
    if (!application) {
        completion(CommandOutcome::notRunning(noApplicationShort));
        return;
    }
    QStringList statements;
    if (hasAspect) {
        if (!CaptureOneCapabilities::supportsProperty(QStringLiteral("crop aspect ratio"), *application)) {
            completion(CommandOutcome::notSupported(cropAspectUnsupportedMessage));
            return;
        }
        const QString aspect = values.value(QStringLiteral("aspect"), values.value(QStringLiteral("ratio")));
        statements << QStringLiteral("set crop aspect ratio of aVariant to ") + text::appleScriptQuoted(aspect);
    }
    if (hasOrientation) {
        const QString orientation = values.value(QStringLiteral("orientation")).toLower();
        if (orientation != QStringLiteral("landscape") && orientation != QStringLiteral("portrait") &&
            orientation != QStringLiteral("square")) {
            completion(CommandOutcome::refused(cropOrientationValueMessage));
            return;
        }
        if (!CaptureOneCapabilities::supportsProperty(QStringLiteral("crop orientation"), *application)) {
            completion(CommandOutcome::notSupported(cropOrientationUnsupportedMessage));
            return;
        }
        statements << QStringLiteral("set crop orientation of aVariant to ") + orientation;
    }
    // Capture One may turn the crop when its ratio changes: both are read.
    runRecorded(*application,
                CaptureOneScripts::perVariantScript(targetPaths, statements,
                                                    variantsText(QStringLiteral("Updated crop settings on "))),
                {targetPaths, declaredProperties({QStringLiteral("crop aspect ratio")},
                                                 RecordedProperty::Kind::text)(*application) +
                                  declaredProperties({QStringLiteral("crop orientation")},
                                                     RecordedProperty::Kind::enumeration)(*application)},
                std::move(completion));
}

void CaptureOneService::createAdjustmentLayer(const QString& name, const QStringList& targetPaths,
                                              Completion completion) {
    const QString layerName = text::appleScriptEscaped(name.isEmpty() ? defaultLayerName : name);
    run(CaptureOneScripts::perVariantScript(
            targetPaths,
            {QStringLiteral("tell aVariant to make new layer with properties {name:\"") + layerName +
             QStringLiteral("\"}")},
            variantsText(QStringLiteral("Created an adjustment layer on "))),
        std::move(completion));
}

void CaptureOneService::updateCurrentLayer(const QString& specification, const QStringList& targetPaths,
                                           Completion completion) {
    const QMap<QString, QString> values = assignmentMap(specification);
    QStringList statements;
    if (values.contains(QStringLiteral("name"))) {
        statements << QStringLiteral("set name of activeLayer to ") +
                          text::appleScriptQuoted(values.value(QStringLiteral("name")));
    }
    if (values.contains(QStringLiteral("opacity"))) {
        static const QRegularExpression plainInteger(QStringLiteral("^[0-9]+$"));
        const QString opacity = values.value(QStringLiteral("opacity"));
        bool ok = false;
        const int percent = opacity.toInt(&ok);
        if (plainInteger.match(opacity).hasMatch() && ok && percent >= 1 && percent <= 100) {
            statements << QStringLiteral("set opacity of activeLayer to ") + QString::number(percent);
        }
    }
    if (values.contains(QStringLiteral("enabled"))) {
        const QString enabled = values.value(QStringLiteral("enabled")).toLower();
        if (enabled == QStringLiteral("true") || enabled == QStringLiteral("on")) {
            statements << QStringLiteral("set enabled of activeLayer to true");
        } else if (enabled == QStringLiteral("false") || enabled == QStringLiteral("off")) {
            statements << QStringLiteral("set enabled of activeLayer to false");
        }
    }
    if (statements.isEmpty()) {
        completion(CommandOutcome::refused(layerUsageMessage));
        return;
    }
    const auto application = resolver_.resolve();
    if (!application) {
        completion(CommandOutcome::notRunning(noApplicationInApplications));
        return;
    }
    using Kind = RecordedProperty::Kind;
    const Recording recording{targetPaths,
                              {changescripts::layerProperty(QStringLiteral("name"), Kind::text),
                               changescripts::layerProperty(QStringLiteral("opacity"), Kind::number),
                               changescripts::layerProperty(QStringLiteral("enabled"), Kind::boolean)}};
    runOnCurrentLayers(statements, QStringLiteral("Updated the current layer on"), targetPaths,
                       std::move(completion), *application, recording);
}

void CaptureOneService::modifyCurrentMask(const QString& specification, const QStringList& targetPaths,
                                          Completion completion) {
    const QString operation = text::trimmed(specification.toLower());
    QString statement;
    QString probedCommand;
    const auto amountStatement = [&](const QString& command, double maximum) {
        const auto amount = text::firstNumber(operation);
        if (!amount || *amount < 0 || *amount > maximum) {
            return false;
        }
        statement = command + QStringLiteral(" activeLayer amount ") + text::shortestRealText(*amount);
        probedCommand = command;
        return true;
    };
    if (operation == QStringLiteral("fill") || operation == QStringLiteral("clear") ||
        operation == QStringLiteral("invert") || operation == QStringLiteral("rasterize")) {
        probedCommand = operation + QStringLiteral(" mask");
        statement = probedCommand + QStringLiteral(" activeLayer");
    } else if (operation == QStringLiteral("clear luma") || operation == QStringLiteral("clear luma range")) {
        probedCommand = QStringLiteral("clear luma range");
        statement = QStringLiteral("clear luma range activeLayer");
    } else if (!(operation.startsWith(QStringLiteral("feather")) &&
                 amountStatement(QStringLiteral("feather mask"), 100)) &&
               !(operation.startsWith(QStringLiteral("refine")) &&
                 amountStatement(QStringLiteral("refine mask"), 300))) {
        completion(CommandOutcome::refused(maskUsageMessage));
        return;
    }
    const auto application = resolver_.resolve();
    if (!application || !CaptureOneCapabilities::supportsCommand(probedCommand, *application)) {
        completion(
            CommandOutcome::notSupported(text::capitalizedWords(probedCommand) + notSupportedByVersionSuffix));
        return;
    }
    runOnCurrentLayers({statement}, QStringLiteral("Updated the current mask on"), targetPaths,
                       std::move(completion), *application);
}

void CaptureOneService::runOnCurrentLayers(const QStringList& statements, const QString& completionText,
                                           const QStringList& targetPaths, Completion completion,
                                           const CaptureOneApplication& application,
                                           const std::optional<Recording>& recording) {
    QStringList body{QStringLiteral("set activeLayer to current layer of aVariant")};
    body += statements;
    const QString script =
        CaptureOneScripts::perVariantScript(targetPaths, body, variantsText(completionText + QLatin1Char(' ')));
    recording ? runRecorded(application, script, *recording, std::move(completion))
              : runOn(application, script, std::move(completion));
}

void CaptureOneService::runRecordedWhenResolved(const QString& writeScript, const QStringList& targetPaths,
                                                const PropertiesOf& properties, Completion completion,
                                                const QHash<QString, QString>& asked) {
    const auto application = resolver_.resolve();
    if (!application) {
        completion(CommandOutcome::notRunning(noApplicationInApplications));
        return;
    }
    runRecorded(*application, writeScript, {targetPaths, properties(*application), asked},
                std::move(completion));
}

CaptureOneService::PropertiesOf CaptureOneService::declaredProperties(const QStringList& names,
                                                                      RecordedProperty::Kind kind) {
    return [names, kind](const CaptureOneApplication& application) {
        QList<RecordedProperty> properties;
        for (const QString& name : names) {
            if (CaptureOneCapabilities::supportsProperty(name, application)) {
                properties << changescripts::variantProperty(name, kind);
            }
        }
        return properties;
    };
}

void CaptureOneService::getStatus(Completion completion) {
    run(CaptureOneScripts::statusScript(), std::move(completion));
}

void CaptureOneService::processSelected(Completion completion) {
    run(CaptureOneScripts::processingScript(), std::move(completion));
}

void CaptureOneService::readPhotoMarks(const QStringList& paths,
                                       std::function<void(QHash<QString, PhotoMarks>)> completion) {
    if (paths.isEmpty()) {
        completion({});
        return;
    }
    run(CaptureOneScripts::photoMarksScript(paths),
        [paths, completion = std::move(completion)](const CommandOutcome& outcome) {
            completion(outcome.status.succeeded() ? photomarks::parseReport(outcome.text, paths)
                                                  : QHash<QString, PhotoMarks>());
        });
}

CommandOutcome CaptureOneService::capabilitySummary() const {
    const auto application = resolver_.resolve();
    if (!application) {
        return CommandOutcome::notRunning(noApplicationShort);
    }
    return CommandOutcome::success(
        application->scriptName + QStringLiteral(" supports ") +
        QString::number(CaptureOneCapabilities::supportedAdjustmentCount(*application)) +
        QStringLiteral(" safe direct adjustment properties through Orbix, plus crop, layers, masks, variant, "
                       "style, import, and processing workflows where available."));
}

QMap<QString, QString> CaptureOneService::assignmentMap(const QString& textValue) {
    QMap<QString, QString> map;
    for (const QString& piece : textValue.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        if (equals <= 0 || equals == piece.size() - 1) {
            continue;
        }
        const QString key = text::trimmed(piece.left(equals)).toLower();
        const QString value = text::trimmed(piece.mid(equals + 1));
        if (!key.isEmpty() && !value.isEmpty()) {
            map.insert(key, value); // a repeated key: the last one wins
        }
    }
    return map;
}

} // namespace orbix
