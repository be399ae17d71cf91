#pragma once
// Whole-word tests for the local recognisers: a keyword counts only where it starts and ends at a boundary
// between a letter or digit and anything else ("tag" is not found in "vintage"), and a phrase of several
// words matches those words in a row, separated by white space ("color tag", "warm up").

#include <QStringView>
#include <initializer_list>

namespace orbix::text {

// Offset of the first whole-word occurrence of the phrase at or after `from`, or -1. The phrase's words are
// separated by single blanks; in the text any run of white space separates them. Case-sensitive: callers
// pass lower-cased text and phrases. `length` receives the matched length when not null.
qsizetype indexOfWords(QStringView text, QStringView phrase, qsizetype from = 0, qsizetype* length = nullptr);

bool containsWords(QStringView text, QStringView phrase);
bool containsAnyWords(QStringView text, std::initializer_list<const char*> phrases);

// Whether the character joins a word (a letter, a digit or a combining mark).
bool isWordCharacter(QChar c);

} // namespace orbix::text
