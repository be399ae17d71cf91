#pragma once
// Extracts one slider change ("make these brighter by 0.3", "set exposure to 1") from a sentence. Slider
// and decrease words count only as whole words ("lower" is not found in "slower").

#include "core/TextRules.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace orbix {

struct ParsedCaptureOneSliderCommand {
    QString sliderName;
    double value = 0;
    bool relative = true;

    friend bool operator==(const ParsedCaptureOneSliderCommand&,
                           const ParsedCaptureOneSliderCommand&) = default;
};

class CaptureOneSliderPromptParser {
public:
    // The slider words in search order ("temperature" before "temp").
    static const QStringList sliderWords;

    static std::optional<ParsedCaptureOneSliderCommand> parse(const QString& text);
    // The first slider word that the lower-cased text holds as a whole word.
    static std::optional<QString> sliderName(const QString& lowerText);
    // Absolute for "set" or for a value introduced by "to" ("change exposure to 1.5"); else negative
    // relative for a decrease word; else relative as found.
    static ParsedCaptureOneSliderCommand change(const QString& lowerText, const QString& slider,
                                                const text::NumberMatch& number);
};

} // namespace orbix
