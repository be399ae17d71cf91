#pragma once
// Text rules shared across subsystems: AppleScript quoting, the number pattern, trimming sets, name
// normalisation and number formatting. All functions are pure.

#include <QString>
#include <QStringView>
#include <optional>

namespace orbix::text {

// Doubles every backslash, then puts a backslash before every double quote. No surrounding quotes.
QString appleScriptEscaped(QStringView text);
// The escaped text wrapped in double quotes: a complete AppleScript string literal.
QString appleScriptQuoted(QStringView text);

// A number found in a sentence: its value and where it was written.
struct NumberMatch {
    double value = 0;
    qsizetype start = 0;
    qsizetype length = 0;
};

// The first number written anywhere in the text: an optional sign, ASCII digits with an optional decimal
// point or decimal comma between digits ("-0,5" is -0.5), or a leading point (".5"). Digits grouped by
// commas in threes after a non-zero group of one to three digits are one number ("5,200" is 5200).
// An exponent is not read ("1e3" is 1).
std::optional<NumberMatch> firstNumberMatch(QStringView text);
std::optional<double> firstNumber(QStringView text);

// White space and line breaks trimmed from both ends.
QString trimmed(QStringView text);
// The text without any of `characters` at either end.
QString trimmedOf(QStringView text, QStringView characters);
// Style names and folder paths: blank, . , ! ? line feed, tab, straight and typographic quotes trimmed
// from both ends only.
QString trimmedName(QStringView text);

// Lower-cased one UTF-16 unit at a time, so that every offset into the result is the same offset into the
// text: for finding a marker in lower case and cutting the text as typed at that place. (Full lower-casing
// can change the length: "İ" becomes two units.)
QString lowerKeepingOffsets(QStringView text);

// Lower-cased, keeping only letters and numbers (any script): the key used to compare adjustment names.
QString compactKey(QStringView text);
// Lower-cased; letters, digits and white space kept; words joined by single blanks. Used to compare
// spoken or typed phrases and accessible element names.
QString normalizedPhrase(QStringView text);
// Every word's first letter upper-cased and the rest lower-cased ("black and white" -> "Black And White").
QString capitalizedWords(QStringView text);

// Shortest decimal text that reads back as the same double, in plain (non-exponent) notation, always with a
// fractional part: 25 -> "25.0", -0.5 -> "-0.5". Infinities and NaN read "inf", "-inf", "nan".
QString shortestRealText(double value);

// Parses the whole text as a finite floating-point number in the C locale (optional sign, decimal or exponent
// form). Infinity, NaN, blanks and trailing characters are refused.
std::optional<double> parseFiniteReal(QStringView text);

// The value truncated toward zero as a signed 64-bit integer, when it is finite and fits.
std::optional<qint64> truncatedInteger(double value);

// A count with English digit grouping, whatever the locale, like the rest of the program's text: "2,000".
QString countText(qsizetype count);
// "1 photo", "2,000 photos".
QString photoCount(qsizetype count);

} // namespace orbix::text
