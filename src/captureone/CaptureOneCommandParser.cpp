#include "captureone/CaptureOneCommandParser.h"

#include "captureone/CaptureOneSliderPromptParser.h"
#include "captureone/Workspace.h"
#include "core/TextRules.h"

#include <cmath>
#include <initializer_list>

namespace orbix {

namespace {

bool containsAny(const QString& lower, std::initializer_list<const char*> needles) {
    for (const char* needle : needles) {
        if (lower.contains(QLatin1String(needle))) {
            return true;
        }
    }
    return false;
}

CaptureOneCommand simple(CaptureOneCommand::Kind kind) {
    return {kind, {}, 0, false};
}

} // namespace

std::optional<QString> CaptureOneCommandParser::folderPath(const QString& textValue) {
    const QString lower = text::lowerKeepingOffsets(textValue);
    if (!lower.contains(QStringLiteral("import"))) {
        return std::nullopt;
    }
    for (const QString& marker : {QStringLiteral(" from "), QStringLiteral(" folder ")}) {
        const qsizetype at = lower.lastIndexOf(marker);
        if (at < 0) {
            continue;
        }
        const QString path = text::trimmedName(QStringView(textValue).mid(at + marker.size()));
        if (!path.isEmpty()) {
            return path;
        }
    }
    return std::nullopt;
}

std::optional<QString> CaptureOneCommandParser::styleName(const QString& textValue) {
    const QString lower = text::lowerKeepingOffsets(textValue);
    const QString marker = QStringLiteral(" style ");
    const qsizetype at = lower.indexOf(marker);
    if (at < 0) {
        return std::nullopt;
    }
    const QString before = lower.left(at);
    if (!before.contains(QStringLiteral("apply")) && !before.contains(QStringLiteral("use"))) {
        return std::nullopt;
    }
    return text::trimmedName(QStringView(textValue).mid(at + marker.size()));
}

std::optional<CaptureOneCommand> CaptureOneCommandParser::parse(const QString& textValue,
                                                                const Workspace* workspace) {
    bool inFront = false;
    if (!textValue.toLower().contains(QStringLiteral("capture one")) && workspace) {
        const auto frontmost = workspace->frontmostApplication();
        inFront = frontmost && frontmost->localizedName.toLower().contains(QStringLiteral("capture one"));
    }
    return parse(textValue, inFront);
}

std::optional<CaptureOneCommand> CaptureOneCommandParser::parse(const QString& textValue,
                                                                bool captureOneInFront) {
    using Kind = CaptureOneCommand::Kind;
    const QString lower = textValue.toLower();
    if (!lower.contains(QStringLiteral("capture one")) && !captureOneInFront) {
        return std::nullopt;
    }
    if (lower.contains(QStringLiteral("open capture one"))) {
        return CaptureOneCommand{Kind::open, textValue, 0, false};
    }
    if (containsAny(lower, {"what can", "capabilities", "supported tools"})) {
        return simple(Kind::capabilities);
    }
    if (containsAny(lower, {"auto adjust", "autoadjust"})) {
        return simple(Kind::autoAdjust);
    }
    if (containsAny(lower, {"reset adjustments", "reset all adjustments"})) {
        return simple(Kind::resetAdjustments);
    }
    if (containsAny(lower, {"copy adjustments", "apply adjustments from primary"})) {
        return simple(Kind::copyAdjustments);
    }
    if (containsAny(lower, {"clone variant", "new variant"})) {
        return simple(Kind::cloneVariant);
    }
    if (lower.contains(QStringLiteral("rotate left"))) {
        return CaptureOneCommand{Kind::rotate, QStringLiteral("left"), 0, false};
    }
    if (lower.contains(QStringLiteral("rotate right"))) {
        return CaptureOneCommand{Kind::rotate, QStringLiteral("right"), 0, false};
    }
    if (containsAny(lower, {"maximum crop", "max crop"})) {
        return simple(Kind::maximumCrop);
    }
    if (containsAny(lower, {"status", "selected photo", "current photo"})) {
        return simple(Kind::status);
    }
    if (containsAny(lower, {"process", "export"})) {
        return simple(Kind::process);
    }
    if (const auto path = folderPath(textValue)) {
        return CaptureOneCommand{Kind::importFolder, *path, 0, false};
    }
    if (const auto style = styleName(textValue)) {
        return CaptureOneCommand{Kind::applyStyle, *style, 0, false};
    }
    if (containsAny(lower, {"unpick", "clear pick"})) {
        return CaptureOneCommand{Kind::pick, {}, 0, false};
    }
    if (containsAny(lower, {"pick", "keeper"})) {
        return CaptureOneCommand{Kind::pick, {}, 0, true};
    }
    const auto number = text::firstNumber(lower);
    if (containsAny(lower, {"color tag", "tag"}) && number) {
        return CaptureOneCommand{Kind::colorTag, {}, std::trunc(*number), false};
    }
    if (containsAny(lower, {"star", "rating", "rate"}) && number) {
        return CaptureOneCommand{Kind::rating, {}, std::trunc(*number), false};
    }
    if (const auto slider = CaptureOneSliderPromptParser::sliderName(lower); slider && number) {
        const auto change = CaptureOneSliderPromptParser::change(lower, *slider, *number);
        return CaptureOneCommand{Kind::slider, change.sliderName, change.value, change.relative};
    }
    return std::nullopt;
}

} // namespace orbix
