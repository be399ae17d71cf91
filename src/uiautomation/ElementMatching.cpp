#include "uiautomation/ElementMatching.h"

#include "core/TextRules.h"

#include <algorithm>

namespace orbix::matching {

namespace {
bool isOneOf(const QString& value, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const char* name) { return value == QLatin1String(name); });
}
} // namespace

bool isTextInput(const QString& role, const QString& subrole) {
    return isOneOf(role, {"AXTextField", "AXTextArea", "AXComboBox", "AXSearchField"}) ||
           subrole == QLatin1String("AXSearchField");
}

bool isClickable(const QString& role, const QString& subrole) {
    return isOneOf(role, {"AXButton", "AXMenuItem", "AXCheckBox", "AXRadioButton", "AXPopUpButton",
                          "AXTabGroup", "AXLink"}) ||
           subrole == QLatin1String("AXCloseButton");
}

bool isReadable(const QString& role) {
    return isOneOf(role, {"AXStaticText", "AXRow", "AXCell", "AXGroup"});
}

bool isOfInterest(const QString& role, const QString& subrole, bool offersPress) {
    return offersPress || isTextInput(role, subrole) || isClickable(role, subrole) || isReadable(role);
}

QString normalized(const QString& text) {
    return text::normalizedPhrase(text);
}

QString displayName(const std::optional<QString>& title, const std::optional<QString>& description,
                    const std::optional<QString>& identifier) {
    if (title && !title->isEmpty()) {
        return *title;
    }
    if (description && !description->isEmpty()) {
        return *description;
    }
    return identifier.value_or(QString());
}

int textScore(const QStringList& normalizedValues, const QString& normalizedTarget) {
    // A target with nothing left after normalisation ("…", "!!") names no element; without this guard every
    // value would begin with it.
    if (normalizedTarget.isEmpty()) {
        return 0;
    }
    int best = 0;
    for (const QString& value : normalizedValues) {
        int score = 0;
        if (value == normalizedTarget) {
            score = exactScore;
        } else if (value.startsWith(normalizedTarget)) {
            score = prefixScore;
        } else if (value.contains(normalizedTarget)) {
            score = containsScore;
        } else if (normalizedTarget.contains(value) && value.size() > containedInTargetMinimumExclusive) {
            score = containedInTargetScore;
        }
        best = std::max(best, score);
    }
    return best;
}

std::optional<int> score(const ElementTraits& element, const QString& normalizedTarget,
                         ElementPurpose purpose) {
    QStringList values;
    for (const QString& raw : element.textValues) {
        QString value = normalized(raw);
        if (!value.isEmpty()) {
            values.append(std::move(value));
        }
    }
    if (values.isEmpty()) {
        return std::nullopt;
    }
    const bool textInput = isTextInput(element.role, element.subrole);
    const bool clickable = isClickable(element.role, element.subrole);
    if (purpose == ElementPurpose::textEntry && !textInput) {
        return std::nullopt;
    }
    if (purpose == ElementPurpose::click &&
        !(element.offersPress || clickable || textInput || isReadable(element.role))) {
        return std::nullopt;
    }
    int total = textScore(values, normalizedTarget);
    if (total == 0) {
        return std::nullopt;
    }
    if (purpose == ElementPurpose::textEntry) {
        total += textEntryBonus;
    }
    if (purpose == ElementPurpose::click && (element.offersPress || clickable)) {
        total += clickableBonus;
    }
    if (element.offersPress) {
        total += pressActionBonus;
    }
    if (element.hasCenter) {
        total += framedBonus;
    }
    return total;
}

} // namespace orbix::matching
