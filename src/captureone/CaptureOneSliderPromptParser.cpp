#include "captureone/CaptureOneSliderPromptParser.h"

#include "core/TextRules.h"

#include <cmath>

namespace orbix {

const QStringList CaptureOneSliderPromptParser::sliderWords{
    "exposure", "brightness",  "contrast", "highlights", "shadows",   "whites",
    "blacks",   "temperature", "temp",     "tint",       "saturation"};

std::optional<QString> CaptureOneSliderPromptParser::sliderName(const QString& lowerText) {
    for (const QString& word : sliderWords) {
        if (lowerText.contains(word)) {
            return word;
        }
    }
    return std::nullopt;
}

ParsedCaptureOneSliderCommand CaptureOneSliderPromptParser::change(const QString& lowerText,
                                                                   const QString& slider, double number) {
    if (lowerText.contains(QStringLiteral(" set ")) || lowerText.startsWith(QStringLiteral("set "))) {
        return {slider, number, false};
    }
    static const QStringList decreaseWords{"reduce", "decrease", "lower", "darken"};
    for (const QString& word : decreaseWords) {
        if (lowerText.contains(word)) {
            return {slider, -std::fabs(number), true};
        }
    }
    return {slider, number, true};
}

std::optional<ParsedCaptureOneSliderCommand> CaptureOneSliderPromptParser::parse(const QString& textValue) {
    const QString lower = textValue.toLower();
    const auto slider = sliderName(lower);
    if (!slider) {
        return std::nullopt;
    }
    const auto number = text::firstNumber(lower);
    if (!number) {
        return std::nullopt;
    }
    return change(lower, *slider, *number);
}

} // namespace orbix
