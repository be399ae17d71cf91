#include "engine/AdjustmentTable.h"

#include "engine/ScriptValue.h"

#include <QHash>
#include <vector>

namespace orbix::c1sim::adjustments {
namespace {

AdjustmentProperty real(const char* name, double minimum, double maximum, double initial) {
    return {QString::fromLatin1(name), ValueKind::Real, minimum, maximum, QJsonValue(initial), {}, {}};
}
AdjustmentProperty integer(const char* name, double minimum, double maximum, double initial) {
    return {QString::fromLatin1(name), ValueKind::Integer, minimum, maximum, QJsonValue(initial), {}, {}};
}
AdjustmentProperty boolean(const char* name, bool initial) {
    return {QString::fromLatin1(name), ValueKind::Boolean, 0, 0, QJsonValue(initial), {}, {}};
}
AdjustmentProperty text(const char* name, const char* initial) {
    return {QString::fromLatin1(name), ValueKind::Text, 0, 0, QJsonValue(QString::fromLatin1(initial)), {}, {}};
}
AdjustmentProperty enumeration(const char* name, QStringList options) {
    const QString first = options.first();
    return {QString::fromLatin1(name), ValueKind::Enumeration, 0, 0, QJsonValue(first), std::move(options), {}};
}

std::vector<AdjustmentProperty> buildTable() {
    std::vector<AdjustmentProperty> rows;
    AdjustmentProperty orientation = integer("orientation", 0, 270, 0);
    orientation.allowed = {0, 90, 180, 270};
    rows.push_back(orientation);
    rows.push_back(real("rotation", -45, 45, 0));
    rows.push_back(enumeration("flip", {"none", "horizontal", "vertical"}));
    rows.push_back(integer("keystone amount", 0, 100, 100));
    for (const char* name : {"keystone vertical", "keystone horizontal", "keystone skew", "keystone aspect"}) {
        rows.push_back(real(name, -100, 100, 0));
    }
    rows.push_back(text("color profile", "Generic Camera Profile"));
    rows.push_back(text("film curve", "Auto"));
    rows.push_back(text("white balance preset", "Shot"));
    rows.push_back(real("temperature", 1500, 50000, 5500));
    rows.push_back(real("tint", -150, 150, 0));
    rows.push_back(real("exposure", -4, 4, 0));
    rows.push_back(real("brightness", -50, 50, 0));
    rows.push_back(real("contrast", -50, 50, 0));
    rows.push_back(real("saturation", -100, 100, 0));
    rows.push_back(real("color balance master hue", 0, 360, 0));
    rows.push_back(real("color balance master saturation", 0, 100, 0));
    for (const char* tone : {"shadow", "midtone", "highlight"}) {
        const QByteArray prefix = QByteArray("color balance ") + tone;
        rows.push_back(real(prefix + " hue", 0, 360, 0));
        rows.push_back(real(prefix + " saturation", 0, 100, 0));
        rows.push_back(real(prefix + " lightness", -50, 50, 0));
    }
    rows.push_back(boolean("black and white", false));
    for (const char* colour : {"red", "yellow", "green", "cyan", "blue", "magenta"}) {
        rows.push_back(integer(QByteArray("black and white ") + colour + " sensitivity", -100, 100, 0));
    }
    rows.push_back(integer("black and white split highlight hue", 0, 360, 0));
    rows.push_back(integer("black and white split highlight saturation", 0, 100, 0));
    rows.push_back(integer("black and white split shadow hue", 0, 360, 0));
    rows.push_back(integer("black and white split shadow saturation", 0, 100, 0));
    for (const char* channel : {"rgb", "red", "green", "blue"}) {
        rows.push_back(real(QByteArray("level highlight ") + channel, 0, 255, 255));
        rows.push_back(real(QByteArray("level shadow ") + channel, 0, 255, 0));
    }
    rows.push_back(real("level target highlight rgb", 0, 255, 255));
    rows.push_back(real("level target shadow rgb", 0, 255, 0));
    for (const char* channel : {"rgb", "red", "green", "blue"}) {
        rows.push_back(real(QByteArray("level midtone ") + channel, 0.1, 10, 1));
    }
    rows.push_back(real("highlight adjustment", -100, 100, 0));
    rows.push_back(real("shadow recovery", -100, 100, 0));
    rows.push_back(real("white recovery", -100, 100, 0));
    rows.push_back(real("black recovery", -100, 100, 0));
    rows.push_back(enumeration("clarity method", {"natural", "punch", "neutral", "classic"}));
    rows.push_back(real("clarity amount", -100, 100, 0));
    rows.push_back(real("clarity structure", -100, 100, 0));
    rows.push_back(real("dehaze amount", 0, 100, 0));
    rows.push_back(real("vignetting amount", -4, 4, 0));
    rows.push_back(enumeration("vignetting method", {"elliptic on crop", "circular on crop", "circular"}));
    rows.push_back(real("sharpening amount", 0, 1000, 160));
    rows.push_back(real("sharpening radius", 0.2, 2.5, 0.8));
    rows.push_back(real("sharpening threshold", 0, 10, 1));
    rows.push_back(real("sharpening halo suppression", 0, 100, 0));
    rows.push_back(real("noise reduction luminance", 0, 100, 50));
    rows.push_back(integer("noise reduction details", 0, 100, 50));
    rows.push_back(real("noise reduction color", 0, 100, 50));
    rows.push_back(real("noise reduction single pixel", 0, 100, 0));
    rows.push_back(
        enumeration("film grain type", {"fine", "silver rich", "soft", "cubic", "tabular", "harsh"}));
    rows.push_back(real("film grain impact", 0, 100, 0));
    rows.push_back(real("film grain granularity", 0, 100, 50));
    rows.push_back(real("moire amount", 0, 100, 0));
    rows.push_back(integer("moire pattern", 0, 100, 8));
    return rows;
}

const std::vector<AdjustmentProperty>& rows() {
    static const std::vector<AdjustmentProperty> table = buildTable();
    return table;
}

} // namespace

std::span<const AdjustmentProperty> table() {
    return rows();
}

std::optional<int> indexOf(const QString& name) {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> map;
        for (int i = 0; i < int(rows().size()); ++i) {
            map.insert(rows()[size_t(i)].name, i);
        }
        return map;
    }();
    const auto found = index.constFind(name);
    if (found == index.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

QString kindName(ValueKind kind) {
    switch (kind) {
    case ValueKind::Real:
        return QStringLiteral("real");
    case ValueKind::Integer:
        return QStringLiteral("integer");
    case ValueKind::Boolean:
        return QStringLiteral("boolean");
    case ValueKind::Text:
        return QStringLiteral("text");
    case ValueKind::Enumeration:
        return QStringLiteral("enumeration");
    }
    return {};
}

QString rangeDescription(const AdjustmentProperty& property) {
    switch (property.kind) {
    case ValueKind::Real:
        return QStringLiteral("a number from %1 to %2")
            .arg(formatReal(property.minimum), formatReal(property.maximum));
    case ValueKind::Integer:
        if (!property.allowed.isEmpty()) {
            QStringList values;
            for (int value : property.allowed) {
                values << QString::number(value);
            }
            return QStringLiteral("one of ") + values.join(QStringLiteral(", "));
        }
        return QStringLiteral("a whole number from %1 to %2")
            .arg(qint64(property.minimum))
            .arg(qint64(property.maximum));
    case ValueKind::Boolean:
        return QStringLiteral("true or false");
    case ValueKind::Text:
        return QStringLiteral("text");
    case ValueKind::Enumeration:
        return QStringLiteral("one of ") + property.options.join(QStringLiteral(", "));
    }
    return {};
}

} // namespace orbix::c1sim::adjustments
