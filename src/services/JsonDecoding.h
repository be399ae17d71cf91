#pragma once
// Strict decoding of JSON wire records: a required member that is missing or null is "missing", a member
// of the wrong type, a top level that is not an object, or text that is not JSON is "not in the correct
// format". Members not asked for are ignored.

#include "services/Result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace orbix {

enum class DecodingError { missingValue, wrongFormat };

QString description(DecodingError error);

Result<QJsonObject, DecodingError> decodeObject(const QByteArray& body);
Result<QJsonObject, DecodingError> requiredObject(const QJsonObject& object, const QString& key);
Result<QString, DecodingError> requiredString(const QJsonObject& object, const QString& key);
// Missing or null: none. Any type other than a string: wrongFormat.
Result<std::optional<QString>, DecodingError> optionalString(const QJsonObject& object, const QString& key);

} // namespace orbix
