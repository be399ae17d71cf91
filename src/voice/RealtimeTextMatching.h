#pragma once
// Rules applied to the user's transcribed speech: the normal form used for matching, wake phrases and the
// spoken commands that end a voice session. Pure functions, no I/O.

#include <QString>

namespace orbix::realtime {

// Lower-cased, letters, digits and whitespace only, words joined by single spaces.
QString normalizedComputerUseText(const QString& text);
// The same, keeping what belongs to a number: a decimal mark between digits and a sign right before a
// digit. A spoken command keeps its values ("set exposure to -1.5", not "set exposure to 15").
QString normalizedCommandText(const QString& text);
// Whether a wake phrase ("hey orbix" and its usual mishearings) occurs anywhere in the text.
bool containsWakePhrase(const QString& text);
// Whether the utterance asks to end the session: one of the closing phrases, or any use of the words
// "stop" or "cancel".
bool isVoiceSessionStopCommand(const QString& text);

} // namespace orbix::realtime
