#include "captureone/CaptureOneCommandParser.h"

#include "captureone/CaptureOneSliderPromptParser.h"
#include "core/TextRules.h"
#include "core/TypedNames.h"
#include "core/WordMatching.h"
#include "uiautomation/Workspace.h"

#include <cmath>
#include <initializer_list>

namespace orbix {

namespace {

CaptureOneCommand simple(CaptureOneCommand::Kind kind) {
    return {kind, {}, 0, false};
}

} // namespace

namespace {

// The name or path written after a marker: the quoted text when it starts with a quoted span, else the
// rest trimmed with the name trimming set.
QString typedNameAfter(QStringView rest) {
    if (const auto quoted = text::leadingQuotedText(rest)) {
        return *quoted;
    }
    return text::trimmedName(rest);
}

} // namespace

std::optional<QString> CaptureOneCommandParser::folderPath(const QString& textValue) {
    const QString lower = text::lowerKeepingOffsets(textValue);
    if (!text::containsWords(lower, u"import")) {
        return std::nullopt;
    }
    // Markers inside a quoted path ("/Shoots/From Above") are part of the path.
    const QString searched = text::maskedQuotedSpans(lower);
    for (const QString& marker : {QStringLiteral(" from "), QStringLiteral(" folder ")}) {
        const qsizetype at = searched.lastIndexOf(marker);
        if (at < 0) {
            continue;
        }
        const QString path = typedNameAfter(QStringView(textValue).mid(at + marker.size()));
        if (!path.isEmpty()) {
            return text::expandedHomePath(path);
        }
    }
    return std::nullopt;
}

std::optional<QString> CaptureOneCommandParser::styleName(const QString& textValue) {
    const QString lower = text::lowerKeepingOffsets(textValue);
    const QString marker = QStringLiteral(" style ");
    const qsizetype at = text::maskedQuotedSpans(lower).indexOf(marker);
    if (at < 0) {
        return std::nullopt;
    }
    const QStringView before = QStringView(lower).left(at);
    if (!text::containsWords(before, u"apply") && !text::containsWords(before, u"use")) {
        return std::nullopt;
    }
    const QStringView rest = QStringView(textValue).mid(at + marker.size());
    if (const auto quoted = text::leadingQuotedText(rest)) {
        return *quoted;
    }
    return text::trimmedName(text::withoutTargetPhrase(rest));
}

std::optional<CaptureOneCommand> CaptureOneCommandParser::parse(const QString& textValue,
                                                                const Workspace* workspace) {
    bool inFront = false;
    if (!textValue.toLower().contains(QStringLiteral("capture one")) && workspace) {
        const auto frontmost = workspace->applicationInUse();
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
    if (text::containsWords(lower, u"open capture one")) {
        return CaptureOneCommand{Kind::open, textValue, 0, false};
    }
    if (text::containsAnyWords(lower, {"what can", "capabilities", "supported tools"})) {
        return simple(Kind::capabilities);
    }
    if (text::containsAnyWords(lower, {"auto adjust", "autoadjust"})) {
        return simple(Kind::autoAdjust);
    }
    if (text::containsAnyWords(lower, {"reset adjustments", "reset all adjustments"})) {
        return simple(Kind::resetAdjustments);
    }
    if (text::containsAnyWords(lower, {"copy adjustments", "apply adjustments from primary"})) {
        return simple(Kind::copyAdjustments);
    }
    if (text::containsAnyWords(lower, {"clone variant", "new variant"})) {
        return simple(Kind::cloneVariant);
    }
    if (text::containsWords(lower, u"rotate left")) {
        return CaptureOneCommand{Kind::rotate, QStringLiteral("left"), 0, false};
    }
    if (text::containsWords(lower, u"rotate right")) {
        return CaptureOneCommand{Kind::rotate, QStringLiteral("right"), 0, false};
    }
    if (text::containsAnyWords(lower, {"maximum crop", "max crop"})) {
        return simple(Kind::maximumCrop);
    }
    // A rating or colour tag with its number names the photo it is for ("rate the selected photo 4 stars").
    const auto numberMatch = text::firstNumberMatch(lower);
    const auto number = numberMatch ? std::optional<double>(numberMatch->value) : std::nullopt;
    const auto numbered = [&]() -> std::optional<CaptureOneCommand> {
        if (text::containsAnyWords(lower, {"color tag", "tag"}) && number) {
            return CaptureOneCommand{Kind::colorTag, {}, std::trunc(*number), false};
        }
        if (text::containsAnyWords(lower, {"star", "stars", "rating", "rate"}) && number) {
            return CaptureOneCommand{Kind::rating, {}, std::trunc(*number), false};
        }
        return std::nullopt;
    };
    if (text::containsAnyWords(lower, {"status", "selected photo", "current photo"})) {
        return numbered().value_or(simple(Kind::status));
    }
    if (text::containsAnyWords(lower, {"process", "export"})) {
        return simple(Kind::process);
    }
    if (const auto path = folderPath(textValue)) {
        return CaptureOneCommand{Kind::importFolder, *path, 0, false};
    }
    if (const auto style = styleName(textValue)) {
        return CaptureOneCommand{Kind::applyStyle, *style, 0, false};
    }
    if (text::containsAnyWords(lower, {"unpick", "clear pick"})) {
        return CaptureOneCommand{Kind::pick, {}, 0, false};
    }
    if (text::containsAnyWords(lower, {"pick", "keeper"})) {
        return CaptureOneCommand{Kind::pick, {}, 0, true};
    }
    if (const auto command = numbered()) {
        return command;
    }
    if (const auto slider = CaptureOneSliderPromptParser::sliderName(lower); slider && number) {
        const auto change = CaptureOneSliderPromptParser::change(lower, *slider, *numberMatch);
        return CaptureOneCommand{Kind::slider, change.sliderName, change.value, change.relative};
    }
    return std::nullopt;
}

} // namespace orbix
