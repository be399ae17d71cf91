#pragma once
// The scripts that make a command's change recordable and reversible: the write script wrapped in a
// handler so that the same run reads the written properties of every target variant before and after it,
// and the script that puts recorded values back, variant by variant, only where Capture One still holds
// the values Orbix left there. Values travel as Capture One renders them as text; each variant is one line
// of tab-separated fields.

#include "captureone/CaptureOneApplication.h"
#include "core/ChangeRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace orbix::changescripts {

// The registry's adjustments this version declares, and one adjustment by its property name.
QList<RecordedProperty> adjustmentProperties(const CaptureOneApplication& application);
std::optional<RecordedProperty> adjustmentProperty(const QString& property);
// A variant's own property.
RecordedProperty variantProperty(const QString& name, RecordedProperty::Kind kind);
RecordedProperty layerProperty(const QString& name, RecordedProperty::Kind kind);

// `writeScript` (a whole tell block ending in its return line) as the handler orbixWrite, between two
// reads of `properties` on the targets (the selection when `targetPaths` is empty).
QString recordedScript(const QString& writeScript, const QStringList& targetPaths,
                       const QList<RecordedProperty>& properties);

struct RecordedRun {
    QString reply; // the write script's own result
    // The variants whose properties changed, with only the changed ones; none when no readings came back.
    std::optional<QList<VariantChange>> variants;
    // Every changed value can be written back as a literal.
    bool restorable = false;
    // Every target's name with its values after the write, in the properties' order.
    QList<std::pair<QString, QStringList>> held = {};
};
RecordedRun parseRecordedResult(const QString& output, const QList<RecordedProperty>& properties);

// One sentence saying what Capture One holds where it differs from what was asked (`asked`: literals by
// property name, as the write script set them), e.g. "Capture One holds 4.0."; empty when all match.
QString heldOtherwiseText(const RecordedRun& run, const QList<RecordedProperty>& properties,
                          const QHash<QString, QString>& asked);

// Writes the before-values (or the after-values for redo) back to each variant that still holds the other
// ones; a variant that holds anything else is left alone and reported.
QString restoreScript(const QList<VariantChange>& variants, bool toBefore);

struct RestoreReading {
    bool restored = false;
    QStringList values; // the properties' values after the run, in the variant's recorded order
};
// By variant id; none when the output is not the restore script's.
std::optional<QHash<QString, RestoreReading>> parseRestoreResult(const QString& output,
                                                                 const QList<VariantChange>& variants);

// The AppleScript literal for a value Capture One rendered; none when the text is not of the property's
// kind (so nothing unexpected is ever written back).
std::optional<QString> literal(const RecordedProperty& property, const QString& value);

} // namespace orbix::changescripts
