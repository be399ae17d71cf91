#pragma once
// What one command changed in the open document: the values each target variant held before and after,
// read from Capture One in the script run that wrote them, with who asked and how. Undo writes the
// before-values back, redo the after-values.

#include "core/EnumRawValues.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace orbix {

// The road a request came by.
enum class ChangeRoad { typed, voice, wake, assistant };

template <>
struct EnumRawValues<ChangeRoad> {
    static constexpr std::array table{
        std::pair{ChangeRoad::typed, std::string_view("typed")},
        std::pair{ChangeRoad::voice, std::string_view("voice")},
        std::pair{ChangeRoad::wake, std::string_view("wake")},
        std::pair{ChangeRoad::assistant, std::string_view("assistant reply")},
    };
};

// A property of a variant that a command writes, with where it lives and how its value is written back.
struct RecordedProperty {
    enum class Scope { variant, adjustments, currentLayer };
    enum class Kind { number, boolean, text, enumeration };
    QString name; // the scripting name
    Scope scope = Scope::variant;
    Kind kind = Kind::number;

    friend bool operator==(const RecordedProperty&, const RecordedProperty&) = default;
};

// Values as Capture One renders them as text.
struct PropertyChange {
    RecordedProperty property;
    QString before;
    QString after;

    bool changed() const { return before != after; }
    friend bool operator==(const PropertyChange&, const PropertyChange&) = default;
};

struct VariantChange {
    QString id;
    QString name;
    QString path;
    QList<PropertyChange> properties; // only those whose value changed

    friend bool operator==(const VariantChange&, const VariantChange&) = default;
};

struct ChangeRecord {
    QUuid id = QUuid::createUuid();
    QDateTime time = QDateTime::currentDateTimeUtc();
    ChangeRoad road = ChangeRoad::typed;
    QString request; // the words that asked for it
    QString action;  // the action table's name
    bool undoable = true;
    bool onTrayPhotos = false; // the targets were the tray's photos, else Capture One's selection
    QList<VariantChange> variants;
    bool undone = false;

    // The names of the changed properties, in first-seen order.
    QStringList propertyNames() const;
    bool changedAnything() const { return !variants.isEmpty(); }
    // Folds a later change of the same request in: each property keeps its first before-value and takes
    // the later after-value; properties back where they started are dropped.
    void merge(const ChangeRecord& later);

    friend bool operator==(const ChangeRecord&, const ChangeRecord&) = default;
};

} // namespace orbix
