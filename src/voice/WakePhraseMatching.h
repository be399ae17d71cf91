#pragma once
// Finding the wake phrase in a transcript and the command said after it. Pure functions, no I/O.

#include <QString>
#include <QStringList>
#include <optional>

namespace orbix::wake {

// The phrases the on-device listener wakes on, in matching order: the product name and the ways
// recognisers tend to mishear it.
const QStringList& listenerWakePhrases();
// The subset a Realtime session recognises in the user's transcribed speech.
const QStringList& sessionWakePhrases();

struct WakePhraseMatch {
    QString phrase;
    // The normalised words after the phrase, numbers with their signs and decimal marks; none when
    // nothing followed.
    std::optional<QString> commandSuffix;
};

// The wake phrase in the transcript, if any. A phrase whose match ends at a word boundary wins (the first
// in list order among those), so that "hey orbixie set rating" is "hey orbixie" followed by "set rating"
// rather than "hey orbix" followed by "ie set rating". Only when no match ends at a boundary is the first
// listed phrase found anywhere taken ("hey orbit" wakes as "hey orb"). No word boundary is needed before
// the phrase: "they orbix" wakes.
std::optional<WakePhraseMatch> findWakePhrase(const QString& transcript);

} // namespace orbix::wake
