#include "core/SpokenNumbers.h"

#include <QStringList>
#include <optional>

namespace orbix {

namespace {

enum class WordClass { unit, teen, tens, hundred, thousand, point, sign, none };

struct NumberWord {
    WordClass kind = WordClass::none;
    int value = 0;
};

NumberWord classify(const QString& word) {
    static const QStringList units{"zero", "one", "two",   "three", "four",
                                   "five", "six", "seven", "eight", "nine"};
    static const QStringList teens{"ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                   "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
    static const QStringList tens{"twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};
    if (const qsizetype at = units.indexOf(word); at >= 0) {
        return {WordClass::unit, int(at)};
    }
    if (const qsizetype at = teens.indexOf(word); at >= 0) {
        return {WordClass::teen, int(at) + 10};
    }
    if (const qsizetype at = tens.indexOf(word); at >= 0) {
        return {WordClass::tens, int(at + 2) * 10};
    }
    if (word == u"hundred") {
        return {WordClass::hundred, 100};
    }
    if (word == u"thousand") {
        return {WordClass::thousand, 1000};
    }
    if (word == u"point") {
        return {WordClass::point, 0};
    }
    if (word == u"minus") {
        return {WordClass::sign, -1};
    }
    if (word == u"plus") {
        return {WordClass::sign, 1};
    }
    return {};
}

// Reads one whole number starting at words[at]; advances `at` past it. Words join only in the orders
// people say them: a unit after a tens word, a multiplier after a count, a new count after a multiplier.
std::optional<long long> readWholeNumber(const QStringList& words, qsizetype& at) {
    long long total = 0;
    long long current = 0;
    WordClass previous = WordClass::none;
    const qsizetype start = at;
    while (at < words.size()) {
        const NumberWord word = classify(words[at]);
        bool joins = false;
        switch (word.kind) {
        case WordClass::unit:
            joins = previous == WordClass::none || previous == WordClass::hundred ||
                    previous == WordClass::thousand || (previous == WordClass::tens && word.value != 0);
            if (joins) {
                current += word.value;
            }
            break;
        case WordClass::teen:
        case WordClass::tens:
            joins = previous == WordClass::none || previous == WordClass::hundred ||
                    previous == WordClass::thousand;
            if (joins) {
                current += word.value;
            }
            break;
        case WordClass::hundred:
            joins =
                (previous == WordClass::unit || previous == WordClass::teen || previous == WordClass::tens) &&
                current % 100 != 0 && current < 100;
            if (joins) {
                current *= 100;
            }
            break;
        case WordClass::thousand:
            joins = previous != WordClass::none && previous != WordClass::thousand && total == 0;
            if (joins) {
                total = current * 1000;
                current = 0;
            }
            break;
        default:
            break;
        }
        if (!joins) {
            break;
        }
        previous = word.kind;
        ++at;
    }
    if (at == start) {
        return std::nullopt;
    }
    return total + current;
}

// The digits after "point": one word per digit.
QString readFraction(const QStringList& words, qsizetype& at) {
    QString digits;
    while (at < words.size()) {
        const NumberWord word = classify(words[at]);
        if (word.kind != WordClass::unit) {
            break;
        }
        digits += QString::number(word.value);
        ++at;
    }
    return digits;
}

bool isNumberStart(const QStringList& words, qsizetype at) {
    const WordClass kind = classify(words[at]).kind;
    if (kind == WordClass::unit && words[at] == u"one" && at > 0 && words[at - 1] == u"capture") {
        return false;
    }
    if (kind == WordClass::unit || kind == WordClass::teen || kind == WordClass::tens) {
        return true;
    }
    // "point five"
    return kind == WordClass::point && at + 1 < words.size() && classify(words[at + 1]).kind == WordClass::unit;
}

} // namespace

QString withSpokenNumbersAsDigits(const QString& transcript) {
    const QStringList words = transcript.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList out;
    qsizetype at = 0;
    while (at < words.size()) {
        QString sign;
        qsizetype numberAt = at;
        if (const NumberWord word = classify(words[at]); word.kind == WordClass::sign) {
            if (at + 1 < words.size() && isNumberStart(words, at + 1)) {
                sign = word.value < 0 ? QStringLiteral("-") : QStringLiteral("+");
                numberAt = at + 1;
            }
        }
        if (!isNumberStart(words, numberAt)) {
            out << words[at];
            ++at;
            continue;
        }
        at = numberAt;
        QString number;
        if (const auto whole = readWholeNumber(words, at)) {
            number = QString::number(*whole);
        }
        if (at + 1 < words.size() && words[at] == u"point" && classify(words[at + 1]).kind == WordClass::unit) {
            ++at;
            number =
                (number.isEmpty() ? QStringLiteral("0") : number) + QLatin1Char('.') + readFraction(words, at);
        }
        out << sign + number;
    }
    return out.join(QLatin1Char(' '));
}

} // namespace orbix
