#include "model/WakeCommandConfirmation.h"

#include "core/ComputerUseActions.h"
#include "core/TextRules.h"

#include <cmath>

namespace orbix::wakeconfirmation {

bool needsConfirmation(const ComputerUseArguments& command) {
    using A = ComputerUseAction;
    const ComputerUseActionEntry* entry = findComputerUseAction(command.action);
    switch (entry ? entry->action : A::getStatus) {
    case A::resetAdjustments:
    case A::autoAdjust:
    case A::copyApplyAdjustments:
    case A::applyStyle:
    case A::process:
        return true;
    case A::setRating:
        // The dispatcher truncates toward zero, so "0.5" clears the rating too.
        return std::trunc(command.value.value_or(0)) == 0;
    default:
        return false;
    }
}

Answer answerIn(const QString& words) {
    const QString phrase = text::normalizedPhrase(words);
    if (phrase == QLatin1String("confirm")) {
        return Answer::confirm;
    }
    if (phrase == QLatin1String("cancel")) {
        return Answer::cancel;
    }
    return Answer::none;
}

QString question(const QString& command) {
    return QStringLiteral("\u201c") + command +
           QStringLiteral("\u201d changes many settings at once. Say \u201cHey Orbix, confirm\u201d or type "
                          "\u201cconfirm\u201d to run it, or \u201ccancel\u201d.");
}

QString confirmedCommand(const QString& command) {
    if (command.contains(QLatin1String("capture one"), Qt::CaseInsensitive)) {
        return command;
    }
    return QStringLiteral("capture one, ") + command;
}

} // namespace orbix::wakeconfirmation
