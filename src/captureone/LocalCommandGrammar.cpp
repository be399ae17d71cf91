#include "captureone/LocalCommandGrammar.h"

#include "captureone/CaptureOneCapabilities.h"
#include "captureone/CommandVocabulary.h"
#include "core/SpokenNumbers.h"
#include "core/TextRules.h"
#include "core/TypedNames.h"

#include <QMultiHash>
#include <QRegularExpression>
#include <cmath>

namespace orbix {

namespace {

using A = ComputerUseAction;
using vocabulary::Phrase;
using W = vocabulary::Words;

const QString toWhatValueText = QStringLiteral("To what value?");
const QString whichColourText = QStringLiteral("Which colour?");
const QString howManyStarsText = QStringLiteral("How many stars?");

struct Token {
    QString word;                 // lower case; the number as written for a number
    std::optional<double> number; // a number, its sign included
    bool signedNumber = false;    // written with a sign ("+0.3", "minus five")
    QString ratio;                // "4:5" for a ratio
};
using Tokens = std::vector<Token>;

// A number as people write it: "10", "-0.5".
QString numberText(double value) {
    return QString::number(value, 'g', 12);
}

// Digit groups of three after a comma are one number ("5,500"); a comma between other digits is a decimal
// comma ("0,5").
std::optional<double> numberIn(QString word) {
    static const QRegularExpression grouped(QStringLiteral("^\\d{1,3}(?:,\\d{3})+$"));
    word.remove(QLatin1Char('+'));
    if (grouped.match(word).hasMatch()) {
        word.remove(QLatin1Char(','));
    } else {
        word.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    bool ok = false;
    const double value = word.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// Words, numbers (number words already read as digits) and ratios, with "capture one" left out.
Tokens tokenize(const QString& textValue) {
    static const QRegularExpression pieces(QStringLiteral(
        "\\d{1,3}(?:,\\d{3})+(?!\\d)|\\d+(?:[.,]\\d+)?|\\.\\d+|[\\p{L}][\\p{L}&'\u2019]*|[:+\\-\u2212\u00d7]"));
    QString lower = QLatin1Char(' ') + textValue.toLower() + QLatin1Char(' ');
    lower.replace(QStringLiteral("capture one"), QStringLiteral(" "));
    for (const auto& [spoken, digits] : {std::pair{" half a ", " 0.5 "},
                                         {" a half ", " 0.5 "},
                                         {" a third of a ", " 0.33 "},
                                         {" a stop ", " 1 stop "}}) {
        lower.replace(QLatin1String(spoken), QLatin1String(digits));
    }
    QStringList raw;
    for (auto it = pieces.globalMatch(lower); it.hasNext();) {
        raw << it.next().captured().replace(QChar(0x2019), QLatin1Char('\''));
    }
    const QStringList words =
        withSpokenNumbersAsDigits(raw.join(QLatin1Char(' '))).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    Tokens tokens;
    for (const QString& word : words) {
        Token token{word, std::nullopt, false, {}};
        if (word.front().isDigit() || word.front() == QLatin1Char('.') || word.size() > 1) {
            token.number = word.front().isLetter() ? std::nullopt : numberIn(word);
            token.signedNumber = token.number && (word.front() == QLatin1Char('-') || word.front() == '+');
        }
        // A sign written apart from its number, as a symbol or a word.
        static const QStringList signs{"+", "-", "\u2212", "minus", "plus", "negative"};
        if (token.number && !tokens.empty() && signs.contains(tokens.back().word)) {
            const QString sign = tokens.back().word;
            const bool negative = sign != QLatin1String("+") && sign != QLatin1String("plus");
            tokens.pop_back();
            token.number = negative ? -std::fabs(*token.number) : std::fabs(*token.number);
            token.signedNumber = true;
        }
        // "4:5", "16 by 9", "16x9"
        static const QStringList ratioMarks{":", "x", "\u00d7", "by"};
        if (token.number && tokens.size() >= 2 && ratioMarks.contains(tokens.back().word) &&
            tokens[tokens.size() - 2].number && !tokens[tokens.size() - 2].signedNumber) {
            tokens.pop_back();
            Token& first = tokens.back();
            first.ratio = numberText(*first.number) + QLatin1Char(':') + numberText(*token.number);
            first.number.reset();
            continue;
        }
        tokens.push_back(std::move(token));
    }
    // Signs and ratio marks that joined no number ("auto-adjust").
    static const QStringList marks{"+", "-", "\u2212", ":", "\u00d7"};
    std::erase_if(tokens, [](const Token& token) { return marks.contains(token.word); });
    return tokens;
}

bool matchesAt(const Tokens& tokens, const Phrase& phrase, qsizetype at) {
    if (at + phrase.size() > qsizetype(tokens.size())) {
        return false;
    }
    for (qsizetype index = 0; index < phrase.size(); ++index) {
        if (tokens[size_t(at + index)].word != phrase[index]) {
            return false;
        }
    }
    return true;
}

// Where the phrase's words stand in a row at or after `from`, or -1.
qsizetype find(const Tokens& tokens, const Phrase& phrase, qsizetype from = 0) {
    for (qsizetype at = from; at + phrase.size() <= qsizetype(tokens.size()); ++at) {
        if (matchesAt(tokens, phrase, at)) {
            return at;
        }
    }
    return -1;
}

bool hasAny(const Tokens& tokens, const QList<Phrase>& phrases, qsizetype from = 0, qsizetype to = -1) {
    for (const Phrase& phrase : phrases) {
        const qsizetype at = find(tokens, phrase, from);
        if (at >= 0 && (to < 0 || at < to)) {
            return true;
        }
    }
    return false;
}
bool has(const Tokens& tokens, W group) {
    return hasAny(tokens, vocabulary::words(group));
}
bool names(const Tokens& tokens, A action) {
    return hasAny(tokens, vocabulary::actionPhrases(action));
}

const Token* firstNumber(const Tokens& tokens, qsizetype from = 0, qsizetype to = -1) {
    for (qsizetype at = from; at < (to < 0 ? qsizetype(tokens.size()) : to); ++at) {
        if (tokens[size_t(at)].number) {
            return &tokens[size_t(at)];
        }
    }
    return nullptr;
}

ComputerUseArguments action(A which) {
    ComputerUseArguments arguments;
    arguments.action = computerUseAction(which).name;
    return arguments;
}
ComputerUseArguments withText(A which, const QString& textValue) {
    ComputerUseArguments arguments = action(which);
    arguments.text = textValue;
    return arguments;
}
ComputerUseArguments withValue(A which, double value) {
    ComputerUseArguments arguments = action(which);
    arguments.value = value;
    return arguments;
}

// The text as typed after the first match of the pattern (searched in lower case), trimmed as a name; a
// quoted name keeps what is inside its quotes.
std::optional<QString> typedNameAfter(const QString& original, const QString& pattern) {
    const QRegularExpression expression(pattern);
    const auto match = expression.match(text::lowerKeepingOffsets(original));
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QStringView rest = QStringView(original).mid(match.capturedEnd());
    if (const auto quoted = text::leadingQuotedText(rest)) {
        return *quoted;
    }
    return text::trimmedName(text::withoutTargetPhrase(rest));
}

std::optional<LocalReading> readOpen(const QString& original) {
    static const QRegularExpression opening(
        QStringLiteral("\\b(?:open|launch|start|fire up|bring up)\\s+(?:(?:the|latest|newest|most "
                       "recent|my)\\s+)*capture one"));
    if (!text::lowerKeepingOffsets(original).contains(opening)) {
        return std::nullopt;
    }
    ComputerUseArguments arguments = action(A::openApp);
    arguments.appName = text::trimmed(original);
    return arguments;
}

std::optional<LocalReading> readImport(const Tokens& tokens, const QString& original) {
    if (!names(tokens, A::importFolder)) {
        return std::nullopt;
    }
    static const QRegularExpression pathStart(QStringLiteral("(?:^|\\s)[\"'\u201c\u2018]?[/~]"));
    const auto match = pathStart.match(original);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QStringView rest = QStringView(original).mid(match.capturedStart()).trimmed();
    const auto quoted = text::leadingQuotedText(rest);
    ComputerUseArguments arguments = action(A::importFolder);
    arguments.folderPath = text::expandedHomePath(quoted ? *quoted : text::trimmedName(rest));
    return arguments;
}

std::optional<LocalReading> readStyle(const Tokens& tokens, const QString& original) {
    if (!names(tokens, A::applyStyle) || !hasAny(tokens, {{"apply"}, {"use"}})) {
        return std::nullopt;
    }
    const QString named = QStringLiteral("(?:(?:called|named)\\s+)?");
    auto name = typedNameAfter(original,
                               QStringLiteral("\\b(?:apply|use)\\s+(?:the\\s+)?(?:style|preset)\\s+") + named);
    if (!name || name->isEmpty()) {
        static const QRegularExpression before(
            QStringLiteral("\\b(?:apply|use)\\s+(?:the\\s+)?(.+?)\\s+(?:style|preset)\\b"));
        const auto match = before.match(text::lowerKeepingOffsets(original));
        if (!match.hasMatch()) {
            return std::nullopt;
        }
        name = text::trimmedName(QStringView(original).mid(match.capturedStart(1), match.capturedLength(1)));
    }
    ComputerUseArguments arguments = action(A::applyStyle);
    arguments.presetName = *name;
    return arguments;
}

std::optional<LocalReading> readLayer(const Tokens& tokens, const QString& original) {
    if (!hasAny(tokens, {{"layer"}, {"layers"}})) {
        return std::nullopt;
    }
    if (has(tokens, W::opacity)) {
        const Token* number = firstNumber(tokens);
        return number ? std::optional<LocalReading>(
                            withText(A::setLayer, QStringLiteral("opacity=") +
                                                      QString::number(std::lround(*number->number))))
                      : std::nullopt;
    }
    if (has(tokens, W::rename)) {
        const auto name = typedNameAfter(
            original,
            QStringLiteral("\\b(?:rename\\s+(?:the\\s+)?(?:current\\s+)?layer(?:\\s+to)?|call\\s+the\\s+"
                           "(?:current\\s+)?layer)\\s+"));
        return name && !name->isEmpty()
                   ? std::optional<LocalReading>(withText(A::setLayer, QStringLiteral("name=") + *name))
                   : std::nullopt;
    }
    if (has(tokens, W::layerCreation)) {
        const auto name = typedNameAfter(original, QStringLiteral("\\blayer\\s+(?:called|named|titled)\\s+"));
        return withText(A::createLayer, name.value_or(QString()));
    }
    if (has(tokens, W::layerHide)) {
        return withText(A::setLayer, QStringLiteral("enabled=false"));
    }
    if (has(tokens, W::layerShow)) {
        return withText(A::setLayer, QStringLiteral("enabled=true"));
    }
    return std::nullopt;
}

std::optional<LocalReading> readMask(const Tokens& tokens) {
    if (has(tokens, W::lumaRange)) {
        return withText(A::mask, QStringLiteral("clear luma range"));
    }
    if (!has(tokens, W::mask)) {
        return std::nullopt;
    }
    const Token* number = firstNumber(tokens);
    const auto amount = [&](const char* operation) -> std::optional<LocalReading> {
        if (!number) {
            return std::nullopt;
        }
        return withText(A::mask, QLatin1String(operation) + QLatin1Char(' ') + numberText(*number->number));
    };
    if (has(tokens, W::maskFeather)) {
        return amount("feather");
    }
    if (has(tokens, W::maskRefine)) {
        return amount("refine");
    }
    const std::pair<W, const char*> operations[] = {{W::maskFill, "fill"},
                                                    {W::maskInvert, "invert"},
                                                    {W::maskClear, "clear"},
                                                    {W::maskRasterize, "rasterize"}};
    for (const auto& [group, operation] : operations) {
        if (has(tokens, group)) {
            return withText(A::mask, QString::fromLatin1(operation));
        }
    }
    return std::nullopt;
}

std::optional<LocalReading> readCrop(const Tokens& tokens) {
    if (names(tokens, A::maximumCrop)) {
        return action(A::maximumCrop);
    }
    const bool cropWord = hasAny(tokens, {{"crop"}, {"aspect", "ratio"}});
    if (!cropWord && !hasAny(tokens, {{"make", "it", "square"}})) {
        return std::nullopt;
    }
    QStringList parts;
    QString orientation;
    if (has(tokens, W::square)) {
        parts << QStringLiteral("aspect=1:1");
        orientation = QStringLiteral("square");
    } else if (const auto ratio = std::find_if(tokens.begin(), tokens.end(),
                                               [](const Token& t) { return !t.ratio.isEmpty(); });
               ratio != tokens.end()) {
        parts << QStringLiteral("aspect=") + ratio->ratio;
        orientation = ratio->ratio == QStringLiteral("1:1") ? QStringLiteral("square") : QString();
    } else if (has(tokens, W::originalCrop)) {
        parts << QStringLiteral("aspect=Original");
    } else if (has(tokens, W::unconstrainedCrop)) {
        parts << QStringLiteral("aspect=Unconstrained");
    }
    if (has(tokens, W::portrait)) {
        orientation = QStringLiteral("portrait");
    } else if (has(tokens, W::landscape)) {
        orientation = QStringLiteral("landscape");
    }
    if (!orientation.isEmpty()) {
        parts << QStringLiteral("orientation=") + orientation;
    }
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return withText(A::setCrop, parts.join(QStringLiteral(", ")));
}

std::optional<LocalReading> readRotate(const Tokens& tokens) {
    if (!names(tokens, A::rotate)) {
        return std::nullopt;
    }
    if (has(tokens, W::left)) {
        return withText(A::rotate, QStringLiteral("left"));
    }
    if (has(tokens, W::right)) {
        return withText(A::rotate, QStringLiteral("right"));
    }
    return std::nullopt;
}

std::optional<LocalReading> readCull(const Tokens& tokens) {
    if (has(tokens, W::reject)) {
        return withText(A::setPick, QStringLiteral("reject"));
    }
    if (has(tokens, W::unpick)) {
        return withText(A::setPick, QStringLiteral("unpick"));
    }
    if (has(tokens, W::pick)) {
        return withText(A::setPick, QStringLiteral("pick"));
    }
    return std::nullopt;
}

std::optional<LocalReading> readRating(const Tokens& tokens) {
    if (has(tokens, W::noRating)) {
        return withValue(A::setRating, 0);
    }
    if (!has(tokens, W::rating)) {
        return std::nullopt;
    }
    if (const Token* number = firstNumber(tokens)) {
        return withValue(A::setRating, std::trunc(*number->number));
    }
    return LocalQuestion{LocalQuestion::Missing::stars, action(A::setRating)};
}

std::optional<int> colourTagIn(const Tokens& tokens) {
    const QStringList& colours = vocabulary::colourTagNames();
    for (const Token& token : tokens) {
        if (const qsizetype index = colours.indexOf(token.word); index > 0) {
            return int(index);
        }
    }
    return std::nullopt;
}

std::optional<LocalReading> readColourTag(const Tokens& tokens) {
    if (has(tokens, W::noColourTag)) {
        return withValue(A::setColorTag, 0);
    }
    const bool tagWord = has(tokens, W::colourTag);
    const auto colour = colourTagIn(tokens);
    if (colour && (tagWord || hasAny(tokens, {{"mark"}}))) {
        return withValue(A::setColorTag, *colour);
    }
    if (!tagWord) {
        return std::nullopt;
    }
    if (const Token* number = firstNumber(tokens)) {
        return withValue(A::setColorTag, std::trunc(*number->number));
    }
    return LocalQuestion{LocalQuestion::Missing::colour, action(A::setColorTag)};
}

// An adjustment name found in the request: where it stands and which name it is.
struct Mention {
    qsizetype start = 0;
    qsizetype end = 0;
    const vocabulary::AdjustmentName* name = nullptr;
};

// The names in order, the longest where several start at one place, none overlapping.
std::vector<Mention> mentions(const Tokens& tokens) {
    // The names by their first word.
    static const QMultiHash<QString, const vocabulary::AdjustmentName*> byFirstWord = [] {
        QMultiHash<QString, const vocabulary::AdjustmentName*> table;
        for (const vocabulary::AdjustmentName& name : vocabulary::adjustmentNames()) {
            table.insert(name.words.front(), &name);
        }
        return table;
    }();
    std::vector<Mention> found;
    for (qsizetype at = 0; at < qsizetype(tokens.size());) {
        Mention best;
        for (auto it = byFirstWord.constFind(tokens[size_t(at)].word);
             it != byFirstWord.cend() && it.key() == tokens[size_t(at)].word; ++it) {
            const vocabulary::AdjustmentName& name = **it;
            const qsizetype length = name.words.size();
            if (length > best.end - best.start && matchesAt(tokens, name.words, at)) {
                best = {at, at + length, &name};
            }
        }
        if (best.name) {
            found.push_back(best);
            at = best.end;
        } else {
            ++at;
        }
    }
    return found;
}

using Tag = CaptureOneAdjustmentValueKind::Tag;

// The value a mention is given, as the registry's value text: a number, an option of an enumeration,
// on or off; looked for after the name, up to the next name, else before it.
std::optional<QString> mentionValue(const Tokens& tokens, const Mention& mention,
                                    const CaptureOneAdjustmentDefinition& definition, qsizetype regionEnd,
                                    qsizetype regionStart, const Token** numberToken) {
    switch (definition.kind.tag) {
    case Tag::number:
    case Tag::integer: {
        const Token* number = firstNumber(tokens, mention.end, regionEnd);
        if (!number) {
            number = firstNumber(tokens, regionStart, mention.start);
        }
        *numberToken = number;
        return number ? std::optional<QString>(numberText(*number->number)) : std::nullopt;
    }
    case Tag::enumeration:
        for (const QString& option : definition.kind.options) {
            Phrase words = option.split(QLatin1Char(' '));
            for (qsizetype at = mention.end; at < regionEnd; ++at) {
                bool all = at + words.size() <= regionEnd;
                for (qsizetype index = 0; all && index < words.size(); ++index) {
                    all = tokens[size_t(at + index)].word.startsWith(words[index]);
                }
                if (all) {
                    return option;
                }
            }
        }
        return std::nullopt;
    case Tag::boolean:
        return hasAny(tokens, vocabulary::words(W::off), regionStart, regionEnd) ? QStringLiteral("false")
                                                                                 : QStringLiteral("true");
    case Tag::text:
        return std::nullopt;
    }
    return std::nullopt;
}

double intensity(const Tokens& tokens) {
    for (const vocabulary::Intensity& row : vocabulary::intensities()) {
        if (find(tokens, row.words) >= 0) {
            return row.factor;
        }
    }
    return 1;
}

ComputerUseArguments sliderAction(const QString& property, std::optional<double> value, bool relative,
                                  const std::optional<QString>& textValue = std::nullopt) {
    ComputerUseArguments arguments = action(relative ? A::adjustSlider : A::setAdjustment);
    arguments.slider = property;
    arguments.value = value;
    arguments.text = textValue;
    arguments.relative = relative;
    return arguments;
}

std::optional<LocalReading> readOneAdjustment(const Tokens& tokens, const QString& original,
                                              const Mention& mention,
                                              const CaptureOneAdjustmentDefinition& definition) {
    const QString& property = definition.property;
    const bool increase = has(tokens, W::increase);
    const bool decrease = has(tokens, W::decrease);
    const bool setVerb = has(tokens, W::setVerb);
    if (definition.kind.tag == Tag::text) {
        const auto value = typedNameAfter(original, QStringLiteral("\\bto\\s+"));
        return value && !value->isEmpty()
                   ? std::optional<LocalReading>(sliderAction(property, std::nullopt, false, *value))
                   : std::nullopt;
    }
    const Token* number = nullptr;
    const auto value = mentionValue(tokens, mention, definition, qsizetype(tokens.size()), 0, &number);
    if (!number) {
        if (value) {
            return sliderAction(property, std::nullopt, false, *value);
        }
        if (increase || decrease) {
            const double step = vocabulary::defaultStep(property) * intensity(tokens) *
                                ((decrease && !increase) != mention.name->inverted ? -1 : 1);
            return sliderAction(property, step, true);
        }
        if (setVerb) {
            return LocalQuestion{LocalQuestion::Missing::value, sliderAction(property, std::nullopt, false)};
        }
        return std::nullopt;
    }
    const double amount = *number->number;
    const auto numberAt = qsizetype(number - tokens.data());
    const bool introducedByTo = numberAt > 0 && (tokens[size_t(numberAt - 1)].word == u"to" ||
                                                 tokens[size_t(numberAt - 1)].word == u"at");
    if ((increase || decrease) && !introducedByTo) {
        const bool down = (decrease && !increase) != mention.name->inverted;
        return sliderAction(property, down ? -std::fabs(amount) : std::fabs(amount), true);
    }
    const bool byAmount = numberAt > 0 && tokens[size_t(numberAt - 1)].word == u"by";
    const bool relative = !setVerb && !introducedByTo && (number->signedNumber || byAmount);
    return sliderAction(property, amount, relative);
}

std::optional<LocalReading> readAdjustments(const Tokens& tokens, const std::vector<Mention>& found,
                                            const QString& original) {
    if (found.empty()) {
        return std::nullopt;
    }
    QStringList pairs;
    for (size_t index = 0; index < found.size(); ++index) {
        const auto definition = CaptureOneCapabilities::adjustment(found[index].name->property);
        const qsizetype end = index + 1 < found.size() ? found[index + 1].start : qsizetype(tokens.size());
        const Token* number = nullptr;
        // Several names: each takes the value after it, and only a value after it.
        if (const auto value =
                mentionValue(tokens, found[index], *definition, end, found[index].end, &number)) {
            pairs << definition->property + QLatin1Char('=') + *value;
        }
    }
    // Several values are set as written; changes by an amount are one adjustment at a time.
    if (pairs.size() >= 2 && (has(tokens, W::increase) || has(tokens, W::decrease))) {
        return std::nullopt;
    }
    if (pairs.size() >= 2) {
        return withText(A::adjustSliders, pairs.join(QStringLiteral(", ")));
    }
    const auto definition = CaptureOneCapabilities::adjustment(found.front().name->property);
    return readOneAdjustment(tokens, original, found.front(), *definition);
}

std::optional<LocalReading> readRelativeWord(const Tokens& tokens) {
    for (const vocabulary::RelativeWord& row : vocabulary::relativeWords()) {
        if (find(tokens, row.words) < 0) {
            continue;
        }
        const Token* number = firstNumber(tokens);
        const double amount =
            number ? std::copysign(std::fabs(*number->number), row.step) : row.step * intensity(tokens);
        return sliderAction(row.property, amount, true);
    }
    return std::nullopt;
}

std::optional<LocalReading> readPlain(const Tokens& tokens, A which) {
    return names(tokens, which) ? std::optional<LocalReading>(action(which)) : std::nullopt;
}

} // namespace

QString LocalQuestion::text() const {
    switch (missing) {
    case Missing::value:
        return toWhatValueText;
    case Missing::colour:
        return whichColourText;
    case Missing::stars:
        return howManyStarsText;
    }
    return {};
}

namespace localgrammar {

std::optional<LocalReading> read(const QString& textValue) {
    if (auto open = readOpen(textValue)) {
        return open;
    }
    const Tokens tokens = tokenize(textValue);
    if (tokens.empty()) {
        return std::nullopt;
    }
    // The first reader that claims the request; more particular phrases before more general ones.
    for (const auto& reader : {readImport, readStyle, readLayer}) {
        if (auto reading = reader(tokens, textValue)) {
            return reading;
        }
    }
    for (const auto& reader : {readMask, readCrop, readRotate, readCull, readRating, readColourTag}) {
        if (auto reading = reader(tokens)) {
            return reading;
        }
    }
    for (const A which : {A::cloneVariant, A::copyApplyAdjustments, A::autoAdjust}) {
        if (auto reading = readPlain(tokens, which)) {
            return reading;
        }
    }
    const std::vector<Mention> found = mentions(tokens);
    if (found.empty()) {
        if (auto reading = readPlain(tokens, A::resetAdjustments)) {
            return reading;
        }
    } else if (names(tokens, A::resetAdjustments)) {
        // Resetting one adjustment has no value Orbix could know.
        return std::nullopt;
    }
    if (auto reading = readAdjustments(tokens, found, textValue)) {
        return reading;
    }
    if (auto reading = readRelativeWord(tokens)) {
        return reading;
    }
    for (const A which : {A::process, A::getStatus, A::getCapabilities}) {
        if (auto reading = readPlain(tokens, which)) {
            return reading;
        }
    }
    return std::nullopt;
}

std::optional<ComputerUseArguments> answer(const LocalQuestion& question, const QString& textValue) {
    const Tokens tokens = tokenize(textValue);
    ComputerUseArguments arguments = question.partial;
    switch (question.missing) {
    case LocalQuestion::Missing::colour:
        if (const auto colour = colourTagIn(tokens); colour && tokens.size() <= 3) {
            arguments.value = *colour;
            return arguments;
        }
        break;
    case LocalQuestion::Missing::value:
    case LocalQuestion::Missing::stars: {
        // A number, with at most a unit or a word around it ("0.5", "minus one", "4 stars").
        const Token* number = firstNumber(tokens);
        if (number && tokens.size() <= 3) {
            const double value = *number->number;
            arguments.value = question.missing == LocalQuestion::Missing::stars ? std::trunc(value) : value;
            return arguments;
        }
        break;
    }
    }
    return std::nullopt;
}

} // namespace localgrammar

} // namespace orbix
