#pragma once
// Role classes, element naming and match scoring: pure rules over values already read from the tree, so
// that every backend is judged the same way.

#include <QString>
#include <QStringList>
#include <optional>

namespace orbix {

// Why an element is sought.
enum class ElementPurpose { click, textEntry };

namespace matching {

inline constexpr int exactScore = 100;
inline constexpr int prefixScore = 80;
inline constexpr int containsScore = 60;
inline constexpr int containedInTargetScore = 40;
// A value contained in the target counts only when it is longer than this many characters.
inline constexpr int containedInTargetMinimumExclusive = 2;
inline constexpr int textEntryBonus = 35;
inline constexpr int clickableBonus = 25;
inline constexpr int pressActionBonus = 10;
inline constexpr int framedBonus = 5;

bool isTextInput(const QString& role, const QString& subrole);
bool isClickable(const QString& role, const QString& subrole);
bool isReadable(const QString& role);
// Offers AXPress, or is a text input, clickable or readable element.
bool isOfInterest(const QString& role, const QString& subrole, bool offersPress);

// Lower-cased; letters, digits and white space kept; words joined by single blanks.
QString normalized(const QString& text);

// Title, else description, else identifier (absent counts as empty); empty when none is non-empty.
QString displayName(const std::optional<QString>& title, const std::optional<QString>& description,
                    const std::optional<QString>& identifier);

// The best text score of already normalised, non-empty values against a normalised target (0: no match).
int textScore(const QStringList& normalizedValues, const QString& normalizedTarget);

// What scoring needs to know about one element.
struct ElementTraits {
    QStringList textValues; // raw text values, in reading order
    QString role;
    QString subrole;
    bool offersPress = false;
    bool hasCenter = false;
};

// The element's total score for the purpose, or none when it is not a candidate.
std::optional<int> score(const ElementTraits& element, const QString& normalizedTarget, ElementPurpose purpose);

} // namespace matching
} // namespace orbix
