// Wake commands that change many properties at once: held until "confirm" is said after the wake phrase
// or typed, dropped on "cancel", on any other wake command or when the answer does not come in time.
#include "captureone/MacComputerUseService.h"
#include "model/VoiceCoordinator.h"
#include "model/WakeCommandConfirmation.h"

#include <QPointer>

namespace orbix {

namespace {

const QString undoHintText = QStringLiteral(" Say ‘Hey Orbix, undo’ to take it back.");

// A wake command that changed something tells how to take it back: it may have been misheard.
ComputerUseResult withUndoHint(ComputerUseResult result) {
    if (result.change && result.change->undoable && result.change->changedAnything()) {
        result.summary += undoHintText;
    }
    return result;
}

} // namespace

bool VoiceCoordinator::answersWakeConfirmation(const QString& words) const {
    return wakeCommandAwaitingConfirmation_ &&
           wakeconfirmation::answerIn(words) != wakeconfirmation::Answer::none;
}

void VoiceCoordinator::takeWakeConfirmationAnswer(const QString& words, bool spoken) {
    const std::optional<QString> command = std::exchange(wakeCommandAwaitingConfirmation_, std::nullopt);
    const bool confirmed = command && wakeconfirmation::answerIn(words) == wakeconfirmation::Answer::confirm;
    // Each road answers as it answers its own commands.
    if (spoken) {
        confirmed ? runWakeCommand(wakeconfirmation::confirmedCommand(*command), words)
                  : applyRealtimeComputerUseResult({wakeconfirmation::cancelledText, std::nullopt}, true);
        return;
    }
    if (confirmed) {
        model_.runLocalCommand(wakeconfirmation::confirmedCommand(*command));
        return;
    }
    appendAssistantMessage(wakeconfirmation::cancelledText);
    if (model_.inputMode() == InputMode::voice) {
        speakFeedback(wakeconfirmation::cancelledText);
    }
    model_.setResponding(false);
}

void VoiceCoordinator::askWakeConfirmation(const QString& command) {
    wakeCommandAwaitingConfirmation_ = command;
    const int question = ++wakeConfirmationQuestion_;
    afterDelay(wakeconfirmation::answerTimeout, [this, question] {
        if (question == wakeConfirmationQuestion_) {
            wakeCommandAwaitingConfirmation_.reset();
        }
    });
    bringAppToFront();
    // Read aloud like a result; the listener resumes once it has been said, ready for the answer.
    applyRealtimeComputerUseResult({wakeconfirmation::question(command), std::nullopt}, true);
}

void VoiceCoordinator::runWakeCommand(const QString& command, const QString& request) {
    model_.setResponding(true);
    later([this, command, request] {
        services_.computerUseService->execute(command, wakeCommandFinished(request));
    });
}

void VoiceCoordinator::runWakeAction(const ComputerUseArguments& arguments, const QString& request) {
    model_.setResponding(true);
    later([this, arguments, request] {
        services_.computerUseService->executeAction(arguments, wakeCommandFinished(request));
    });
}

ComputerUseCompletion VoiceCoordinator::wakeCommandFinished(const QString& request) {
    QPointer<VoiceCoordinator> self(this);
    return [self, request](const ComputerUseResult& result) {
        if (!self) {
            return;
        }
        self->bringAppToFront();
        self->model_.setResponding(false);
        self->applyResult(withUndoHint(result), true, request);
    };
}

} // namespace orbix
