#pragma once
// Recognises common typed Capture One commands without the network. Plain lower-cased substring tests in a
// fixed order; the first rule that holds wins.

#include <QString>
#include <optional>

namespace orbix {

class Workspace;

struct CaptureOneCommand {
    enum class Kind {
        open,
        capabilities,
        autoAdjust,
        resetAdjustments,
        copyAdjustments,
        cloneVariant,
        rotate,
        maximumCrop,
        status,
        process,
        importFolder,
        applyStyle,
        pick,
        colorTag,
        rating,
        slider,
    };
    Kind kind = Kind::status;
    // open: the whole text as typed; rotate: "left"/"right"; importFolder: the path; applyStyle: the style
    // name; slider: the slider word.
    QString text;
    // colorTag and rating: the number truncated toward zero (the executor checks that it fits an integer);
    // slider: the value.
    double number = 0;
    // pick: true to pick, false to unpick; slider: relative change.
    bool flag = false;

    friend bool operator==(const CaptureOneCommand&, const CaptureOneCommand&) = default;
};

class CaptureOneCommandParser {
public:
    // Without "capture one" in the text, a command is recognised only while Capture One is the application in
    // use: in front, or in front before Orbix's own window was (asked of the workspace; no workspace means
    // none).
    static std::optional<CaptureOneCommand> parse(const QString& text, const Workspace* workspace);
    // The same rules with the gate already decided.
    static std::optional<CaptureOneCommand> parse(const QString& text, bool captureOneInFront);

    static std::optional<QString> folderPath(const QString& text);
    static std::optional<QString> styleName(const QString& text);
};

} // namespace orbix
