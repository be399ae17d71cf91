#include "captureone/CaptureOneSliderPromptParser.h"

#include "core/WordMatching.h"

#include <cmath>

namespace orbix {

namespace {

// Whether the number is written right after the word "to" ("to 1.5", "to -0,3").
bool introducedByTo(const QString& lowerText, const text::NumberMatch& number) {
    const QStringView before = QStringView(lowerText).left(number.start).trimmed();
    return before.endsWith(u"to") && (before.size() == 2 || !text::isWordCharacter(before[before.size() - 3]));
}

} // namespace

const QStringList CaptureOneSliderPromptParser::sliderWords{
    "exposure", "brightness",  "contrast", "highlights", "shadows",   "whites",
    "blacks",   "temperature", "temp",     "tint",       "saturation"};

std::optional<QString> CaptureOneSliderPromptParser::sliderName(const QString& lowerText) {
    for (const QString& word : sliderWords) {
        if (text::containsWords(lowerText, word)) {
            return word;
        }
    }
    return std::nullopt;
}

ParsedCaptureOneSliderCommand CaptureOneSliderPromptParser::change(const QString& lowerText,
                                                                   const QString& slider,
                                                                   const text::NumberMatch& number) {
    if (lowerText.contains(QStringLiteral(" set ")) || lowerText.startsWith(QStringLiteral("set ")) ||
        introducedByTo(lowerText, number)) {
        return {slider, number.value, false};
    }
    if (text::containsAnyWords(lowerText, {"reduce", "decrease", "lower", "darken"})) {
        return {slider, -std::fabs(number.value), true};
    }
    return {slider, number.value, true};
}

std::optional<ParsedCaptureOneSliderCommand> CaptureOneSliderPromptParser::parse(const QString& textValue) {
    const QString lower = textValue.toLower();
    const auto slider = sliderName(lower);
    if (!slider) {
        return std::nullopt;
    }
    const auto number = text::firstNumberMatch(lower);
    if (!number) {
        return std::nullopt;
    }
    return change(lower, *slider, *number);
}

} // namespace orbix
