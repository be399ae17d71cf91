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

bool isDigitAt(const QString& text, qsizetype at) {
    return at >= 0 && at < text.size() && text.at(at).isDigit();
}

// A decimal mark between digits ("1.5", "0,5") or a sign right before a number ("-0.5", "−2").
bool isNumberMark(const QString& text, qsizetype at) {
    const QChar character = text.at(at);
    if (character == QLatin1Char('.') || character == QLatin1Char(',')) {
        return isDigitAt(text, at - 1) && isDigitAt(text, at + 1);
    }
    if (character == QLatin1Char('-') || character == QLatin1Char('+') || character == QChar(0x2212)) {
        return isDigitAt(text, at + 1) && (at == 0 || !text.at(at - 1).isLetterOrNumber());
    }
    return false;
}

QString normalized(const QString& text, bool keepNumberMarks) {
    const QString lower = text.toLower();
    QString kept;
    kept.reserve(lower.size());
    for (qsizetype at = 0; at < lower.size(); ++at) {
        const QChar character = lower.at(at);
        if (character.isLetterOrNumber() || character.isSpace()) {
            kept.append(character);
        } else if (keepNumberMarks && isNumberMark(lower, at)) {
            kept.append(character == QChar(0x2212) ? QLatin1Char('-') : character);
        }
    }
    // Only the space character separates words; other whitespace stays inside a word.
    return kept.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

} // namespace

QString normalizedComputerUseText(const QString& text) {
    return normalized(text, false);
}

QString normalizedCommandText(const QString& text) {
    return normalized(text, true);
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
