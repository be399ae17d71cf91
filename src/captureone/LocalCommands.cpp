#include "captureone/LocalCommands.h"

#include "captureone/CaptureOneCapabilities.h"
#include "core/ComputerUseActions.h"
#include "core/TextRules.h"
#include "core/WordMatching.h"

namespace orbix::localcommands {

namespace {

using Kind = CaptureOneCommand::Kind;

QString actionName(ComputerUseAction action) {
    return computerUseAction(action).name;
}

bool isAction(const LocalReading& reading, std::initializer_list<ComputerUseAction> actions) {
    const auto* arguments = std::get_if<ComputerUseArguments>(&reading);
    return arguments && std::any_of(actions.begin(), actions.end(), [&](ComputerUseAction action) {
               return arguments->action == actionName(action);
           });
}

} // namespace

ComputerUseArguments argumentsFor(const CaptureOneCommand& command) {
    using A = ComputerUseAction;
    static const std::pair<Kind, A> plain[] = {{Kind::capabilities, A::getCapabilities},
                                               {Kind::autoAdjust, A::autoAdjust},
                                               {Kind::resetAdjustments, A::resetAdjustments},
                                               {Kind::copyAdjustments, A::copyApplyAdjustments},
                                               {Kind::cloneVariant, A::cloneVariant},
                                               {Kind::maximumCrop, A::maximumCrop},
                                               {Kind::status, A::getStatus},
                                               {Kind::process, A::process}};
    ComputerUseArguments arguments;
    for (const auto& [kind, action] : plain) {
        if (command.kind == kind) {
            arguments.action = actionName(action);
        }
    }
    switch (command.kind) {
    case Kind::open:
        arguments.action = actionName(A::openApp);
        arguments.appName = command.text;
        break;
    case Kind::rotate:
        arguments.action = actionName(A::rotate);
        arguments.text = command.text;
        break;
    case Kind::importFolder:
        arguments.action = actionName(A::importFolder);
        arguments.folderPath = command.text;
        break;
    case Kind::applyStyle:
        arguments.action = actionName(A::applyStyle);
        arguments.presetName = command.text;
        break;
    case Kind::pick:
        arguments.action = actionName(A::setPick);
        arguments.text = command.flag ? QStringLiteral("pick") : QStringLiteral("unpick");
        break;
    case Kind::rating:
    case Kind::colorTag:
        arguments.action = actionName(command.kind == Kind::rating ? A::setRating : A::setColorTag);
        arguments.value = command.number;
        break;
    case Kind::slider:
        arguments.action = actionName(command.flag ? A::adjustSlider : A::setAdjustment);
        arguments.slider = command.text;
        arguments.value = command.number;
        arguments.relative = command.flag;
        break;
    default:
        break;
    }
    return arguments;
}

std::optional<LocalReading> read(const QString& textValue) {
    const auto rules = CaptureOneCommandParser::parse(textValue, true);
    if (!rules) {
        return localgrammar::read(textValue);
    }
    using A = ComputerUseAction;
    if (rules->kind == Kind::slider) {
        const auto grammar = localgrammar::read(textValue);
        if (grammar && isAction(*grammar, {A::adjustSliders})) {
            return grammar;
        }
        // The rules' slider word was part of a longer adjustment name ("midtone saturation").
        const auto ruleProperty = CaptureOneCapabilities::adjustment(rules->text);
        if (grammar && isAction(*grammar, {A::adjustSlider, A::setAdjustment}) && ruleProperty &&
            std::get<ComputerUseArguments>(*grammar).slider != ruleProperty->property) {
            return grammar;
        }
    }
    if (rules->kind == Kind::status && !text::containsWords(textValue.toLower(), u"status")) {
        if (const auto grammar = localgrammar::read(textValue);
            grammar && isAction(*grammar, {A::setRating, A::setColorTag})) {
            return grammar;
        }
    }
    return argumentsFor(*rules);
}

QString summary(const ComputerUseArguments& arguments) {
    QStringList parts{arguments.action};
    const auto add = [&](const char* key, const std::optional<QString>& value) {
        if (value) {
            parts << QLatin1String(key) + QLatin1Char('=') + *value;
        }
    };
    add("app", arguments.appName);
    add("slider", arguments.slider);
    add("text", arguments.text);
    add("value",
        arguments.value ? std::optional<QString>(QString::number(*arguments.value, 'g', 12)) : std::nullopt);
    add("relative",
        arguments.relative ? std::optional<QString>(*arguments.relative ? "true" : "false") : std::nullopt);
    add("preset", arguments.presetName);
    add("folder", arguments.folderPath);
    return parts.join(QLatin1Char('|'));
}

} // namespace orbix::localcommands
