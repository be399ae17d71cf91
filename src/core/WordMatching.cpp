#include "core/WordMatching.h"

#include <QString>

namespace orbix::text {

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c.isMark();
}

namespace {

// Matches the phrase's words in a row starting exactly at `at`; returns the end offset or -1.
qsizetype matchWordsAt(QStringView text, QStringView phrase, qsizetype at) {
    qsizetype position = at;
    qsizetype p = 0;
    while (p < phrase.size()) {
        if (phrase[p] == u' ') {
            // One blank in the phrase stands for any run of white space in the text.
            if (position >= text.size() || !text[position].isSpace()) {
                return -1;
            }
            while (position < text.size() && text[position].isSpace()) {
                ++position;
            }
            ++p;
            continue;
        }
        if (position >= text.size() || text[position] != phrase[p]) {
            return -1;
        }
        ++position;
        ++p;
    }
    return position;
}

} // namespace

qsizetype indexOfWords(QStringView text, QStringView phrase, qsizetype from, qsizetype* length) {
    if (phrase.isEmpty()) {
        return -1;
    }
    const bool wordStart = isWordCharacter(phrase.front());
    const bool wordEnd = isWordCharacter(phrase.back());
    for (qsizetype at = qMax<qsizetype>(0, from); at < text.size(); ++at) {
        if (text[at] != phrase.front()) {
            continue;
        }
        if (wordStart && at > 0 && isWordCharacter(text[at - 1])) {
            continue;
        }
        const qsizetype end = matchWordsAt(text, phrase, at);
        if (end < 0 || (wordEnd && end < text.size() && isWordCharacter(text[end]))) {
            continue;
        }
        if (length) {
            *length = end - at;
        }
        return at;
    }
    return -1;
}

bool containsWords(QStringView text, QStringView phrase) {
    return indexOfWords(text, phrase) >= 0;
}

bool containsAnyWords(QStringView text, std::initializer_list<const char*> phrases) {
    for (const char* phrase : phrases) {
        if (containsWords(text, QString::fromUtf8(phrase))) {
            return true;
        }
    }
    return false;
}

} // namespace orbix::text
