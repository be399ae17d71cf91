#pragma once
// Extracts one slider change ("make these brighter by 0.3", "set exposure to 1") from a sentence.

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
    // The first slider word contained in the lower-cased text.
    static std::optional<QString> sliderName(const QString& lowerText);
    // Absolute for "set", negative relative for a decrease word, else relative as found.
    static ParsedCaptureOneSliderCommand change(const QString& lowerText, const QString& slider, double number);
};

} // namespace orbix
