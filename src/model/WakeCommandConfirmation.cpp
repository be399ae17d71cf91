#include "model/WakeCommandConfirmation.h"

#include "core/TextRules.h"

#include <cmath>

namespace orbix::wakeconfirmation {

bool needsConfirmation(const CaptureOneCommand& command) {
    using Kind = CaptureOneCommand::Kind;
    switch (command.kind) {
    case Kind::resetAdjustments:
    case Kind::autoAdjust:
    case Kind::copyAdjustments:
    case Kind::applyStyle:
    case Kind::process:
        return true;
    case Kind::rating:
        // The dispatcher truncates toward zero, so "0.5" clears the rating too.
        return std::trunc(command.number) == 0;
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
