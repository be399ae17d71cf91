#pragma once
// One listed element of the frontmost application: role, subrole, display name and the optional
// description and value. Encodes to JSON with the keys "role", "subrole", "name", "description", "value";
// the last two are omitted when absent.

#include <QJsonObject>
#include <QString>
#include <optional>

namespace orbix {

struct UIElementDescription {
    QString role;
    QString subrole;
    QString name;
    std::optional<QString> description;
    std::optional<QString> value;

    QJsonObject toJson() const;
    // None when a required key is missing or not a string.
    static std::optional<UIElementDescription> fromJson(const QJsonObject& object);

    friend bool operator==(const UIElementDescription&, const UIElementDescription&) = default;
};

} // namespace orbix
