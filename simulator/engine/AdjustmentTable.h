#pragma once
// The simulated application's adjustment properties: every property the adjustments object of a variant
// declares, with its value kind, the range it accepts and its default. The dictionary file, the catalog
// and the interpreter all read this one table.

#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

namespace orbix::c1sim {

enum class ValueKind { Real, Integer, Boolean, Text, Enumeration };

struct AdjustmentProperty {
    QString name; // the scripting name, lower case, words separated by single blanks
    ValueKind kind;
    double minimum = 0; // inclusive bounds for Real and Integer kinds
    double maximum = 0;
    QJsonValue defaultValue;
    QStringList options; // Enumeration kind: the accepted enumerators
    QList<int> allowed;  // Integer kind with discrete values only (orientation); empty otherwise
};

namespace adjustments {

std::span<const AdjustmentProperty> table();
// Index into table() of the property with exactly this scripting name.
std::optional<int> indexOf(const QString& name);
// "real", "integer", "boolean", "text" or "enumeration".
QString kindName(ValueKind kind);
// Human description of the accepted values, e.g. "a real from -4.0 to 4.0" or "one of natural, punch".
QString rangeDescription(const AdjustmentProperty& property);

} // namespace adjustments
} // namespace orbix::c1sim
