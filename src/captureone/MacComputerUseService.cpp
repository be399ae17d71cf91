#include "captureone/MacComputerUseService.h"

#include "captureone/CaptureOneApplicationResolver.h"
#include "captureone/CaptureOneScopeGuard.h"
#include "captureone/CaptureOneScripts.h"
#include "captureone/CaptureOneService.h"
#include "captureone/DestructiveControlNames.h"
#include "captureone/LocalCommands.h"
#include "core/ComputerUseActions.h"
#include "core/Settings.h"
#include "core/TextRules.h"
#include "uiautomation/UIAutomationService.h"
#include "uiautomation/Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace orbix {

namespace {

const QString scopeRefusalText = QStringLiteral(
    "Orbix works exclusively with Capture One. I can’t open, control, or perform work in other apps.");
const QString scopeRefusalTitle = QStringLiteral("Capture One only");
const QString unknownActionText = QStringLiteral("Orbix supports Capture One actions only.");
const QString unknownCommandText = QStringLiteral("Orbix supports Capture One commands only.");
const QString noCommandText = QStringLiteral("No command provided.");
const QString noHistoryText = QStringLiteral("There is no change for Orbix to undo.");
const QString onlyOpensCaptureOneText = QStringLiteral("Orbix only opens Capture One.");
const QString versionNotFoundText =
    QStringLiteral("Could not find the requested Capture One version in Applications.");
const QString allowComputerControlText =
    QStringLiteral("Enable Allow Computer Control in Orbix Settings before using Capture One UI fallback.");
const QString bringToFrontText =
    QStringLiteral("Bring the selected Capture One version to the front before using UI "
                   "fallback. Orbix will not send UI input to another app.");
const QString noElementsText =
    QStringLiteral("No accessible Capture One UI elements were found. Check Accessibility "
                   "permission and make sure Capture One has a visible window.");
const QString destructiveClickText =
    QStringLiteral("Orbix will not click destructive Capture One controls through UI "
                   "fallback. Use a dedicated, validated Capture One command instead.");
const QString destructiveKeyText =
    QStringLiteral("Orbix will not send destructive delete keys through Capture One UI fallback.");
const QString destructiveKeyTargetText =
    QStringLiteral("Orbix will not press a key that would activate a destructive Capture One control "
                   "through UI fallback. Use a dedicated, validated Capture One command instead.");
const QString menuKeyText =
    QStringLiteral("Orbix will not open Capture One menus from the keyboard through UI fallback. Click the "
                   "menu item by its name instead.");
const QString accessibilityNotTrustedText = QStringLiteral(
    "Enable Accessibility permission for Orbix in System Settings > Privacy & Security > Accessibility.");
const QString unusableRatingText =
    QStringLiteral("Orbix can’t use that rating: Capture One needs a whole number from 0 to 5.");
const QString unusableColorTagText =
    QStringLiteral("Orbix can’t use that color tag: Capture One needs a whole number from 0 to 7.");
constexpr int inspectLineLimit = 200;

// The per-variant commands, with the past-tense text that starts their replies.
struct VariantCommand {
    const char* command;
    const char* completion;
};
constexpr VariantCommand autoAdjust{"autoadjust", "Auto-adjusted"};
constexpr VariantCommand resetAdjustments{"reset adjustments", "Reset adjustments on"};
constexpr VariantCommand cloneVariant{"clone variant", "Cloned"};
constexpr VariantCommand maximumCrop{"maximum crop", "Applied maximum crop to"};

void runVariant(CaptureOneService& captureOne, const VariantCommand& variant, const QStringList& targets,
                const CaptureOneService::Completion& answer) {
    captureOne.runVariantCommand(QString::fromUtf8(variant.command), QString::fromUtf8(variant.completion),
                                 targets, answer);
}

// A rating or colour tag from a number: refused unless it is finite and fits a signed 64-bit integer.
void setRatingOrColorTag(CaptureOneService& captureOne, bool rating, double number, const QStringList& targets,
                         const CaptureOneService::Completion& answer) {
    const auto whole = text::truncatedInteger(number);
    if (!whole) {
        answer(CommandOutcome::refused(rating ? unusableRatingText : unusableColorTagText));
    } else if (rating) {
        captureOne.setRating(*whole, targets, answer);
    } else {
        captureOne.setColorTag(*whole, targets, answer);
    }
}

QString lowerTrimmed(const QString& value) {
    return text::trimmed(value).toLower();
}

// The text parsed as a whole as a real number (C locale, exponent form, "inf" and "nan" too, so that such
// values reach the range checks instead of becoming 0); 0 when it is not a number.
double numberInText(const std::optional<QString>& value) {
    const QByteArray bytes = value.value_or(QString()).toLatin1();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    double number = 0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (begin == end || error != std::errc() || stop != end) {
        return 0;
    }
    return number;
}

QString firstPresent(std::initializer_list<const std::optional<QString>*> candidates) {
    for (const auto* candidate : candidates) {
        if (*candidate) {
            return **candidate;
        }
    }
    return {};
}

using destructive::namesDestructiveControl;
// The element a request was matched to, or that a key would press, is judged by its own names, which may
// say more than the request.
const auto vetoDestructiveElement = destructive::anyNamesDestructiveControl;

CommandOutcome uiMessage(const UIAutomationResult& result, const QString& refusalText = destructiveClickText) {
    switch (result.outcome()) {
    case UIAutomationResult::Outcome::success:
        return CommandOutcome::success(QStringLiteral("Capture One: ") + result.detail());
    case UIAutomationResult::Outcome::failure:
        return CommandOutcome::captureOneError(
            QStringLiteral("Capture One UI automation failed: ") + result.detail(), std::nullopt);
    case UIAutomationResult::Outcome::accessibilityNotTrusted:
        return CommandOutcome::refused(accessibilityNotTrustedText);
    case UIAutomationResult::Outcome::refused:
        return CommandOutcome::refused(refusalText);
    }
    return {};
}

// The bundle's path with "." and ".." segments, trailing slashes and symbolic links resolved, so that the
// same bundle reached two ways compares equal.
QString standardized(const QUrl& url) {
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

MacComputerUseService::MacComputerUseService(CaptureOneService& captureOne, Settings& settings,
                                             Workspace& workspace, AccessibilityBackend& accessibility)
    : captureOne_(captureOne), settings_(settings), workspace_(workspace), accessibility_(accessibility) {}

ComputerUseResult MacComputerUseService::scopeRefusal() {
    return {scopeRefusalText,
            Artifact::make(ArtifactKind::markdown, scopeRefusalTitle, ArtifactStatus::ready, scopeRefusalText),
            {CommandStatus::Kind::refused, {}}};
}

ComputerUseResult MacComputerUseService::withoutImportedPhotoTargets() {
    return orbix::withoutImportedPhotoTargets();
}

ComputerUseExecutor MacComputerUseService::executor() {
    return [this](const ComputerUseArguments& arguments, Completion completion) {
        executeAction(arguments, std::move(completion));
    };
}

MacComputerUseService::OutcomeCompletion MacComputerUseService::resultCompletion(Completion completion) {
    return [completion = std::move(completion)](const CommandOutcome& outcome) {
        completion({outcome.text, std::nullopt, outcome.status, outcome.change});
    };
}

MacComputerUseService::OutcomeCompletion
MacComputerUseService::recordingCompletion(const ComputerUseActionEntry& entry, OutcomeCompletion completion) {
    return [&entry, completion = std::move(completion)](const CommandOutcome& outcome) {
        if (!entry.writesDocument || !outcome.status.succeeded()) {
            completion(outcome);
            return;
        }
        CommandOutcome recorded = outcome;
        // Commands whose effect Orbix cannot read are still logged, as changes it cannot take back.
        if (!recorded.change) {
            recorded.change = ChangeRecord();
            recorded.change->undoable = false;
        }
        recorded.change->action = entry.name;
        completion(recorded);
    };
}

void MacComputerUseService::executeAction(const ComputerUseArguments& a, Completion completion) {
    const ComputerUseActionEntry* entry = findComputerUseAction(a.action);
    const bool opensApplication = entry && entry->action == ComputerUseAction::openApp;
    if (opensApplication && a.appName && !a.appName->toLower().contains(QStringLiteral("capture one"))) {
        completion(scopeRefusal());
        return;
    }
    if (CaptureOneScopeGuard::isOffProductAppRequest(a.prompt.value_or(QString()))) {
        completion(scopeRefusal());
        return;
    }
    OutcomeCompletion answer = resultCompletion(std::move(completion));
    if (!entry) {
        answer(CommandOutcome::refused(unknownActionText));
        return;
    }
    dispatch(entry->action, a, recordingCompletion(*entry, std::move(answer)));
}

void MacComputerUseService::dispatch(ComputerUseAction action, const ComputerUseArguments& a,
                                     const OutcomeCompletion& answer) {
    using A = ComputerUseAction;
    const QStringList& targets = a.targetPaths;
    const QString sliderName = a.slider ? *a.slider : a.targetName.value_or(QString());
    // No default: the compiler names any action of the table without a handler here.
    switch (action) {
    case A::openApp: {
        const auto named = captureOne_.resolver().explicitRequestedName(a.prompt);
        openCaptureOne(named ? named : a.appName, answer);
        return;
    }
    case A::adjustSlider: {
        const QString raw = text::shortestRealText(a.value ? *a.value : numberInText(a.text));
        captureOne_.setAdjustment(sliderName, raw, a.relative.value_or(true), targets, answer);
        return;
    }
    case A::setAdjustment: {
        const QString raw = a.text ? *a.text : (a.value ? text::shortestRealText(*a.value) : QString());
        captureOne_.setAdjustment(sliderName, raw, a.relative.value_or(false), targets, answer);
        return;
    }
    case A::adjustSliders:
        captureOne_.adjustSliders(a.text.value_or(QString()), targets, answer);
        return;
    case A::applyStyle:
        captureOne_.applyStyle(firstPresent({&a.presetName, &a.text, &a.targetName}), targets, answer);
        return;
    case A::importFolder:
        captureOne_.importFolder(firstPresent({&a.folderPath, &a.text, &a.targetName}), answer);
        return;
    case A::setPick: {
        const QString word = lowerTrimmed(a.text ? *a.text : a.targetName.value_or(QStringLiteral("pick")));
        // Setting the pick flag for a rejected photo would mark it as a keeper.
        if (word == QStringLiteral("reject")) {
            captureOne_.reject(targets, answer);
        } else {
            captureOne_.setPick(word != QStringLiteral("unpick"), targets, answer);
        }
        return;
    }
    case A::setRating:
    case A::setColorTag:
        // The value, else the number in the text, truncated toward zero.
        setRatingOrColorTag(captureOne_, action == A::setRating, a.value ? *a.value : numberInText(a.text),
                            targets, answer);
        return;
    case A::process:
        captureOne_.processSelected(answer);
        return;
    case A::autoAdjust:
        runVariant(captureOne_, autoAdjust, targets, answer);
        return;
    case A::resetAdjustments:
        runVariant(captureOne_, resetAdjustments, targets, answer);
        return;
    case A::copyApplyAdjustments:
        captureOne_.copyPrimaryAdjustmentsToSelected(answer);
        return;
    case A::cloneVariant:
        runVariant(captureOne_, cloneVariant, targets, answer);
        return;
    case A::rotate:
        captureOne_.rotate(firstPresent({&a.text, &a.targetName}), targets, answer);
        return;
    case A::maximumCrop:
        runVariant(captureOne_, maximumCrop, targets, answer);
        return;
    case A::setCrop:
        captureOne_.setCrop(a.text.value_or(QString()), targets, answer);
        return;
    case A::createLayer:
        captureOne_.createAdjustmentLayer(firstPresent({&a.text, &a.targetName}), targets, answer);
        return;
    case A::setLayer:
        captureOne_.updateCurrentLayer(a.text.value_or(QString()), targets, answer);
        return;
    case A::mask:
        captureOne_.modifyCurrentMask(firstPresent({&a.text, &a.targetName}), targets, answer);
        return;
    case A::getCapabilities:
        answer(captureOne_.capabilitySummary());
        return;
    case A::getStatus:
        captureOne_.getStatus(answer);
        return;
    case A::inspectUI:
        answer(inspectCaptureOneUI());
        return;
    case A::click:
        answer(clickCaptureOneElement(firstPresent({&a.targetName, &a.text})));
        return;
    case A::type:
        answer(typeInCaptureOne(a.text.value_or(QString()), a.targetName));
        return;
    case A::pressKey:
        answer(pressCaptureOneKey(firstPresent({&a.key, &a.text})));
        return;
    case A::undoLastChange:
    case A::redoLastChange:
        if (changeHistoryHandler_) {
            changeHistoryHandler_(action == A::redoLastChange, answer);
        } else {
            answer(CommandOutcome::refused(noHistoryText));
        }
        return;
    }
}

void MacComputerUseService::execute(const QString& command, Completion completion) {
    const QString trimmedCommand = text::trimmed(command);
    if (trimmedCommand.isEmpty()) {
        resultCompletion(std::move(completion))(CommandOutcome::refused(noCommandText));
        return;
    }
    const auto reading = localcommands::read(trimmedCommand);
    const auto* arguments = reading ? std::get_if<ComputerUseArguments>(&*reading) : nullptr;
    if (!arguments) {
        resultCompletion(std::move(completion))(CommandOutcome::refused(unknownCommandText));
        return;
    }
    executeAction(*arguments, std::move(completion));
}

void MacComputerUseService::openCaptureOne(const std::optional<QString>& requested,
                                           OutcomeCompletion completion) {
    if (requested && !requested->contains(QStringLiteral("capture one"), Qt::CaseInsensitive)) {
        completion(CommandOutcome::refused(onlyOpensCaptureOneText));
        return;
    }
    CaptureOneApplicationResolver& resolver = captureOne_.resolver();
    const auto application = resolver.resolve(requested);
    if (!application) {
        completion(CommandOutcome::notRunning(versionNotFoundText));
        return;
    }
    workspace_.openApplication(application->url, [&resolver, application = *application, requested,
                                                  completion](std::optional<QString> error) {
        if (error) {
            completion(CommandOutcome::notRunning(QStringLiteral("Could not open ") + application.scriptName +
                                                  QStringLiteral(": ") + *error));
            return;
        }
        const QString lower = requested.value_or(QString()).toLower();
        if (lower.contains(QStringLiteral("latest")) || lower.contains(QStringLiteral("newest")) ||
            lower.contains(QStringLiteral("most recent"))) {
            resolver.setPreferredApplicationPath(std::nullopt);
        } else if (resolver.explicitRequestedName(requested)) {
            resolver.setPreferredApplicationPath(application.id());
        }
        completion(CommandOutcome::success(QStringLiteral("Opened ") + application.scriptName +
                                           QStringLiteral(". Orbix will use this version for Capture One "
                                                          "commands.")));
    });
}

std::optional<CommandOutcome> MacComputerUseService::uiAutomationBlocker() const {
    if (!settings_.allowComputerControl()) {
        return CommandOutcome::refused(allowComputerControlText);
    }
    const auto application = captureOne_.resolver().resolve();
    const auto frontmost = workspace_.frontmostApplication();
    if (!application || !frontmost || !frontmost->bundleUrl ||
        standardized(*frontmost->bundleUrl) != standardized(application->url)) {
        return CommandOutcome::refused(bringToFrontText);
    }
    return std::nullopt;
}

CommandOutcome MacComputerUseService::inspectCaptureOneUI() {
    if (const auto blocker = uiAutomationBlocker()) {
        return *blocker;
    }
    const auto elements = UIAutomationService(accessibility_).getVisibleElements();
    if (elements.empty()) {
        return CommandOutcome::notRunning(noElementsText);
    }
    QStringList lines;
    for (const auto& element : elements) {
        if (lines.size() == inspectLineLimit) {
            break;
        }
        QString line = element.role + QStringLiteral(": ") + element.name;
        if (element.value && !element.value->isEmpty()) {
            line += QStringLiteral(" = ") + *element.value;
        }
        lines << line;
    }
    return CommandOutcome::success(QStringLiteral("Visible Capture One controls:\n") +
                                   lines.join(QLatin1Char('\n')));
}

CommandOutcome MacComputerUseService::clickCaptureOneElement(const QString& name) {
    if (const auto blocker = uiAutomationBlocker()) {
        return *blocker;
    }
    if (namesDestructiveControl(name)) {
        return CommandOutcome::refused(destructiveClickText);
    }
    return uiMessage(UIAutomationService(accessibility_).clickVisibleElement(name, vetoDestructiveElement));
}

CommandOutcome MacComputerUseService::typeInCaptureOne(const QString& textValue,
                                                       const std::optional<QString>& field) {
    if (const auto blocker = uiAutomationBlocker()) {
        return *blocker;
    }
    UIAutomationService automation(accessibility_);
    if (!field) {
        return uiMessage(automation.typeText(textValue, vetoDestructiveElement), destructiveKeyTargetText);
    }
    // Focusing a field clicks it: a destructive control is refused as for a click.
    if (namesDestructiveControl(*field)) {
        return CommandOutcome::refused(destructiveClickText);
    }
    return uiMessage(automation.typeText(textValue, *field, vetoDestructiveElement));
}

CommandOutcome MacComputerUseService::pressCaptureOneKey(const QString& shortcut) {
    if (const auto blocker = uiAutomationBlocker()) {
        return *blocker;
    }
    const QString lower = lowerTrimmed(shortcut);
    if (lower == QStringLiteral("delete") || lower == QStringLiteral("backspace") ||
        lower == QStringLiteral("forward delete")) {
        return CommandOutcome::refused(destructiveKeyText);
    }
    const auto key = KeyboardKey::parse(shortcut);
    if (!key) {
        return CommandOutcome::refused(QStringLiteral("Could not parse the Capture One keyboard shortcut ") +
                                       shortcut + QLatin1Char('.'));
    }
    // "delete key", "cmd delete" or "shift backspace" still send the delete key.
    if (key->isDeleteKey()) {
        return CommandOutcome::refused(destructiveKeyText);
    }
    // Input is asynchronous: a key pressed next could reach a menu that opened after it was judged.
    if (key->opensMenu()) {
        return CommandOutcome::refused(menuKeyText);
    }
    return uiMessage(UIAutomationService(accessibility_).pressKey(*key, vetoDestructiveElement),
                     destructiveKeyTargetText);
}

} // namespace orbix
