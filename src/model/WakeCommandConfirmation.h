#pragma once
// Which wake commands wait for a "confirm" before they run. A wake phrase can be heard in noise, and a
// command heard after it runs at once; one that resets or overwrites many properties of the selection
// (reset or copy adjustments, auto adjust, a style, rating 0, processing) first asks, while a change to a
// single property runs at once and can be undone.

#include "core/ComputerUseArguments.h"

#include <QString>
#include <chrono>

namespace orbix::wakeconfirmation {

// How long a question waits for its answer; after that the command is dropped.
inline constexpr std::chrono::seconds answerTimeout{30};

inline const QString cancelledText = QStringLiteral("Cancelled. Nothing was changed.");

bool needsConfirmation(const ComputerUseArguments& command);

enum class Answer { none, confirm, cancel };
// "confirm" or "cancel" as the whole of what was said or typed (case, blanks and punctuation aside).
Answer answerIn(const QString& words);

// The question that holds the command: names it and says how to let it run.
QString question(const QString& command);

// The held command as it runs once confirmed: addressed to Capture One by name, since it was judged while
// Capture One was in front and by the time the answer comes Orbix's window is.
QString confirmedCommand(const QString& command);

} // namespace orbix::wakeconfirmation
