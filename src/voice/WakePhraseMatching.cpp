#include "voice/WakePhraseMatching.h"

#include "voice/RealtimeTextMatching.h"

namespace orbix::wake {

namespace {

// The Realtime session's transcripts come from a cloud recogniser that only ever mishears the name in the
// first ways; the on-device recogniser adds the later ones.
constexpr qsizetype sessionPhraseCount = 6;

QStringList makeListenerPhrases() {
    return {QStringLiteral("hey orbix"), QStringLiteral("hey orbex"),  QStringLiteral("hey orbixie"),
            QStringLiteral("hey orbyx"), QStringLiteral("hey rbix"),   QStringLiteral("hey rbixie"),
            QStringLiteral("hey orb"),   QStringLiteral("hey forbix"), QStringLiteral("hey forbex"),
            QStringLiteral("hey messy")};
}

bool endsAtWordBoundary(const QString& text, qsizetype end) {
    return end == text.size() || text.at(end) == QLatin1Char(' ');
}

WakePhraseMatch matchEndingAt(const QString& normalized, const QString& phrase, qsizetype end) {
    const QString suffix = normalized.mid(end).trimmed();
    return WakePhraseMatch{phrase, suffix.isEmpty() ? std::nullopt : std::optional<QString>(suffix)};
}

} // namespace

const QStringList& listenerWakePhrases() {
    static const QStringList phrases = makeListenerPhrases();
    return phrases;
}

const QStringList& sessionWakePhrases() {
    static const QStringList phrases = listenerWakePhrases().first(sessionPhraseCount);
    return phrases;
}

std::optional<WakePhraseMatch> findWakePhrase(const QString& transcript) {
    // The phrases hold no digits, so keeping the marks of numbers changes no match, only the suffix.
    const QString normalized = realtime::normalizedCommandText(transcript);
    for (const QString& phrase : listenerWakePhrases()) {
        for (qsizetype at = normalized.indexOf(phrase); at >= 0; at = normalized.indexOf(phrase, at + 1)) {
            if (endsAtWordBoundary(normalized, at + phrase.size())) {
                return matchEndingAt(normalized, phrase, at + phrase.size());
            }
        }
    }
    for (const QString& phrase : listenerWakePhrases()) {
        if (const qsizetype at = normalized.indexOf(phrase); at >= 0) {
            return matchEndingAt(normalized, phrase, at + phrase.size());
        }
    }
    return std::nullopt;
}

} // namespace orbix::wake
