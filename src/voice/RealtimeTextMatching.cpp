#include "voice/RealtimeTextMatching.h"

#include "voice/WakePhraseMatching.h"

#include <QStringList>
#include <array>

namespace orbix::realtime {

namespace {

constexpr std::array stopPhrases{"stop",       "done",        "all done",       "thats it",
                                 "that is it", "cancel",      "nevermind",      "never mind",
                                 "end",        "end session", "stop listening", "close connection"};
constexpr std::array stopWords{"stop", "cancel"};

} // namespace

QString normalizedComputerUseText(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar character : text.toLower()) {
        if (character.isLetterOrNumber() || character.isSpace()) {
            kept.append(character);
        }
    }
    // Only the space character separates words; other whitespace stays inside a word.
    return kept.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

bool containsWakePhrase(const QString& text) {
    const QString normalized = normalizedComputerUseText(text);
    for (const QString& phrase : wake::sessionWakePhrases()) {
        if (normalized.contains(phrase)) {
            return true;
        }
    }
    return false;
}

bool isVoiceSessionStopCommand(const QString& text) {
    const QString normalized = normalizedComputerUseText(text);
    for (const char* phrase : stopPhrases) {
        if (normalized == QLatin1String(phrase)) {
            return true;
        }
    }
    const QStringList words = normalized.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const char* word : stopWords) {
        if (words.contains(QLatin1String(word))) {
            return true;
        }
    }
    return false;
}

} // namespace orbix::realtime
