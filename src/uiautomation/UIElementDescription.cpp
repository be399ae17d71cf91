#include "uiautomation/UIElementDescription.h"

namespace orbix {

namespace {
const QString roleKey = QStringLiteral("role");
const QString subroleKey = QStringLiteral("subrole");
const QString nameKey = QStringLiteral("name");
const QString descriptionKey = QStringLiteral("description");
const QString valueKey = QStringLiteral("value");

std::optional<QString> optionalString(const QJsonObject& object, const QString& key, bool& malformed) {
    const auto it = object.constFind(key);
    if (it == object.constEnd() || it->isNull()) {
        return std::nullopt;
    }
    if (!it->isString()) {
        malformed = true;
        return std::nullopt;
    }
    return it->toString();
}
} // namespace

QJsonObject UIElementDescription::toJson() const {
    QJsonObject object{{roleKey, role}, {subroleKey, subrole}, {nameKey, name}};
    if (description) {
        object.insert(descriptionKey, *description);
    }
    if (value) {
        object.insert(valueKey, *value);
    }
    return object;
}

std::optional<UIElementDescription> UIElementDescription::fromJson(const QJsonObject& object) {
    for (const QString& key : {roleKey, subroleKey, nameKey}) {
        if (!object.value(key).isString()) {
            return std::nullopt;
        }
    }
    bool malformed = false;
    UIElementDescription element{
        object.value(roleKey).toString(), object.value(subroleKey).toString(), object.value(nameKey).toString(),
        optionalString(object, descriptionKey, malformed), optionalString(object, valueKey, malformed)};
    if (malformed) {
        return std::nullopt;
    }
    return element;
}

} // namespace orbix
