#include "services/JsonDecoding.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

namespace orbix {

QString description(DecodingError error) {
    switch (error) {
    case DecodingError::missingValue:
        return QStringLiteral("The data couldn\u2019t be read because it is missing.");
    case DecodingError::wrongFormat:
        break;
    }
    return QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format.");
}

Result<QJsonObject, DecodingError> decodeObject(const QByteArray& body) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return Result<QJsonObject, DecodingError>::failure(DecodingError::wrongFormat);
    }
    return Result<QJsonObject, DecodingError>::success(document.object());
}

Result<QJsonObject, DecodingError> requiredObject(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return Result<QJsonObject, DecodingError>::failure(DecodingError::missingValue);
    }
    if (!value.isObject()) {
        return Result<QJsonObject, DecodingError>::failure(DecodingError::wrongFormat);
    }
    return Result<QJsonObject, DecodingError>::success(value.toObject());
}

Result<QString, DecodingError> requiredString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return Result<QString, DecodingError>::failure(DecodingError::missingValue);
    }
    if (!value.isString()) {
        return Result<QString, DecodingError>::failure(DecodingError::wrongFormat);
    }
    return Result<QString, DecodingError>::success(value.toString());
}

Result<std::optional<QString>, DecodingError> optionalString(const QJsonObject& object, const QString& key) {
    using R = Result<std::optional<QString>, DecodingError>;
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return R::success(std::nullopt);
    }
    if (!value.isString()) {
        return R::failure(DecodingError::wrongFormat);
    }
    return R::success(value.toString());
}

} // namespace orbix
