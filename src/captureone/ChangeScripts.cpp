#include "captureone/ChangeScripts.h"

#include "captureone/CaptureOneCapabilities.h"
#include "captureone/CaptureOneScripts.h"
#include "core/TextRules.h"

#include <QRegularExpression>

namespace orbix::changescripts {

namespace {

using Kind = RecordedProperty::Kind;
using Scope = RecordedProperty::Scope;

const QString handlerName = QStringLiteral("orbixWrite");
const QString beforeMarker = QStringLiteral("\n::orbix-before");
const QString afterMarker = QStringLiteral("\n::orbix-after");
const QString restoredWord = QStringLiteral("restored");
const QString changedWord = QStringLiteral("changed");
// Every line after the first of a loop body is indented by eight blanks inside the tell block.
const QString bodyIndent = QStringLiteral("\n        ");

Kind kindOf(const CaptureOneAdjustmentValueKind& kind) {
    using Tag = CaptureOneAdjustmentValueKind::Tag;
    switch (kind.tag) {
    case Tag::enumeration:
        return Kind::enumeration;
    case Tag::boolean:
        return Kind::boolean;
    case Tag::text:
        return Kind::text;
    case Tag::number:
    case Tag::integer:
        break;
    }
    return Kind::number;
}

// The property as an object reference on aVariant.
QString reference(const RecordedProperty& property) {
    switch (property.scope) {
    case Scope::adjustments:
        return property.name + QStringLiteral(" of adjustments of aVariant");
    case Scope::currentLayer:
        return property.name + QStringLiteral(" of current layer of aVariant");
    case Scope::variant:
        break;
    }
    return property.name + QStringLiteral(" of aVariant");
}

// ` & "\t" & (value)` for every property.
QString readFields(const QList<RecordedProperty>& properties) {
    QString fields;
    for (const RecordedProperty& property : properties) {
        fields += QStringLiteral(" & \"\\t\" & (") + reference(property) + QLatin1Char(')');
    }
    return fields;
}

// A tell block that collects one line per target variant into `variable`; `targetLines` set
// `targetVariants` first (empty: the script's own, found by an earlier block).
QString readBlock(const QString& variable, const QString& targetLines, const QString& identity,
                  const QList<RecordedProperty>& properties) {
    return CaptureOneScripts::genericTellOpening +
           (targetLines.isEmpty() ? QString() : QStringLiteral("\n    ") + targetLines) +
           QStringLiteral(
               "\n    set %1 to \"\"\n    repeat with aVariant in targetVariants\n        set %1 to %1 "
               "& \"\\n\" & ")
               .arg(variable) +
           identity + readFields(properties) + QStringLiteral("\n    end repeat\nend tell\n");
}

} // namespace

QList<RecordedProperty> adjustmentProperties(const CaptureOneApplication& application) {
    QList<RecordedProperty> properties;
    for (const CaptureOneAdjustmentDefinition& definition : CaptureOneCapabilities::adjustmentDefinitions()) {
        if (CaptureOneCapabilities::supportsProperty(definition.property, application)) {
            properties << RecordedProperty{definition.property, Scope::adjustments, kindOf(definition.kind)};
        }
    }
    return properties;
}

std::optional<RecordedProperty> adjustmentProperty(const QString& property) {
    for (const CaptureOneAdjustmentDefinition& definition : CaptureOneCapabilities::adjustmentDefinitions()) {
        if (definition.property == property) {
            return RecordedProperty{definition.property, Scope::adjustments, kindOf(definition.kind)};
        }
    }
    return std::nullopt;
}

RecordedProperty variantProperty(const QString& name, Kind kind) {
    return {name, Scope::variant, kind};
}

RecordedProperty layerProperty(const QString& name, Kind kind) {
    return {name, Scope::currentLayer, kind};
}

QString recordedScript(const QString& writeScript, const QStringList& targetPaths,
                       const QList<RecordedProperty>& properties) {
    const QString identity =
        QStringLiteral("(id of aVariant) & \"\\t\" & (name of aVariant) & \"\\t\" & (POSIX path of (file of "
                       "aVariant))");
    return QStringLiteral("on ") + handlerName + QStringLiteral("()\n") + writeScript +
           QStringLiteral("\nend ") + handlerName + QLatin1Char('\n') +
           readBlock(QStringLiteral("orbixBefore"), CaptureOneScripts::targetVariantLines(targetPaths),
                     identity, properties) +
           QStringLiteral("set orbixReply to ") + handlerName + QStringLiteral("()\n") +
           // The targets found before the write: the same variants, without walking the document again.
           readBlock(QStringLiteral("orbixAfter"), QString(), QStringLiteral("(id of aVariant)"), properties) +
           QStringLiteral("return orbixReply & \"\\n::orbix-before\" & orbixBefore & \"\\n::orbix-after\" & "
                          "orbixAfter");
}

RecordedRun parseRecordedResult(const QString& output, const QList<RecordedProperty>& properties) {
    const qsizetype before = output.lastIndexOf(beforeMarker);
    const qsizetype after = output.lastIndexOf(afterMarker);
    if (before < 0 || after < before) {
        return {output, std::nullopt, false};
    }
    RecordedRun run{output.left(before), QList<VariantChange>(), true};
    const qsizetype fieldCount = properties.size();
    QHash<QString, QStringList> afterValues;
    for (const QString& line : output.mid(after + afterMarker.size()).split(QLatin1Char('\n')).mid(1)) {
        QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != fieldCount + 1) {
            return {run.reply, std::nullopt, false};
        }
        afterValues.insert(fields.takeFirst(), fields);
    }
    const QString beforeText = output.mid(before + beforeMarker.size(), after - before - beforeMarker.size());
    for (const QString& line : beforeText.split(QLatin1Char('\n')).mid(1)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != fieldCount + 3 || !afterValues.contains(fields[0])) {
            return {run.reply, std::nullopt, false};
        }
        const QStringList& now = afterValues[fields[0]];
        run.held.append({fields[1], now});
        VariantChange variant{fields[0], fields[1], fields[2], {}};
        for (qsizetype index = 0; index < fieldCount; ++index) {
            PropertyChange change{properties[index], fields[index + 3], now[index]};
            if (!change.changed()) {
                continue;
            }
            run.restorable = run.restorable && literal(change.property, change.before) &&
                             literal(change.property, change.after);
            variant.properties << change;
        }
        if (!variant.properties.isEmpty()) {
            run.variants->append(variant);
        }
    }
    return run;
}

QString heldOtherwiseText(const RecordedRun& run, const QList<RecordedProperty>& properties,
                          const QHash<QString, QString>& asked) {
    QStringList sentences;
    for (qsizetype index = 0; index < properties.size(); ++index) {
        const RecordedProperty& property = properties[index];
        if (!asked.contains(property.name)) {
            continue;
        }
        const auto wanted = literal(property, asked.value(property.name));
        QStringList values;
        QStringList names;
        for (const auto& [name, heldValues] : run.held) {
            const QString& value = heldValues.value(index);
            const auto holds = literal(property, value);
            const bool same = property.kind == Kind::number
                                  ? holds && wanted && holds->toDouble() == wanted->toDouble()
                                  : holds && wanted && holds->compare(*wanted, Qt::CaseInsensitive) == 0;
            if (!same) {
                names << name;
                if (!values.contains(value)) {
                    values << value;
                }
            }
        }
        if (names.isEmpty()) {
            continue;
        }
        QString sentence = QStringLiteral("Capture One holds ") + values.join(QStringLiteral(", "));
        if (asked.size() > 1) {
            sentence += QStringLiteral(" for ") + property.name;
        }
        if (names.size() < run.held.size()) {
            sentence += QStringLiteral(" on ") + names.join(QStringLiteral(", "));
        }
        sentences << sentence + QLatin1Char('.');
    }
    return sentences.join(QLatin1Char(' '));
}

QString restoreScript(const QList<VariantChange>& variants, bool toBefore) {
    QString script = CaptureOneScripts::genericTellOpening +
                     QStringLiteral("\n    if not (exists current document) then error \"Open a Capture One "
                                    "catalog or session first.\"\n    set orbixReadings to \"\"\n    repeat "
                                    "with aVariant in (variants of current document)\n        set orbixId to "
                                    "id of aVariant");
    for (const VariantChange& variant : variants) {
        QStringList expected;
        QStringList writes;
        QList<RecordedProperty> properties;
        for (const PropertyChange& change : variant.properties) {
            const QString& held = toBefore ? change.after : change.before;
            const QString& wanted = toBefore ? change.before : change.after;
            expected << QStringLiteral("(\"\" & (") + reference(change.property) + QStringLiteral(")) is ") +
                            text::appleScriptQuoted(held);
            writes << QStringLiteral("set ") + reference(change.property) + QStringLiteral(" to ") +
                          literal(change.property, wanted).value_or(QString());
            properties << change.property;
        }
        const QString report = QStringLiteral("set orbixReadings to orbixReadings & \"\\n\" & orbixId & \"\\t");
        const QString indent = bodyIndent + QStringLiteral("        ");
        script += bodyIndent + QStringLiteral("if orbixId is ") + text::appleScriptQuoted(variant.id) +
                  QStringLiteral(" then") + bodyIndent + QStringLiteral("    if ") +
                  expected.join(QStringLiteral(" and ")) + QStringLiteral(" then") + indent +
                  writes.join(indent) + indent + report + restoredWord + QLatin1Char('"') +
                  readFields(properties) + bodyIndent + QStringLiteral("    else") + indent + report +
                  changedWord + QLatin1Char('"') + readFields(properties) + bodyIndent +
                  QStringLiteral("    end if") + bodyIndent + QStringLiteral("end if");
    }
    return script + QStringLiteral("\n    end repeat\n    return orbixReadings\nend tell");
}

std::optional<QHash<QString, RestoreReading>> parseRestoreResult(const QString& output,
                                                                 const QList<VariantChange>& variants) {
    QHash<QString, qsizetype> fieldCounts;
    for (const VariantChange& variant : variants) {
        fieldCounts.insert(variant.id, variant.properties.size());
    }
    QHash<QString, RestoreReading> readings;
    if (output.isEmpty()) {
        return readings;
    }
    const QStringList lines = output.split(QLatin1Char('\n'));
    if (!lines.first().isEmpty()) {
        return std::nullopt;
    }
    for (const QString& line : lines.mid(1)) {
        QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 2 || !fieldCounts.contains(fields[0]) ||
            fields.size() != fieldCounts.value(fields[0]) + 2 ||
            (fields[1] != restoredWord && fields[1] != changedWord)) {
            return std::nullopt;
        }
        const QString id = fields.takeFirst();
        const bool restored = fields.takeFirst() == restoredWord;
        readings.insert(id, {restored, fields});
    }
    return readings;
}

std::optional<QString> literal(const RecordedProperty& property, const QString& value) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+([.,][0-9]+)?([Ee][+-]?[0-9]+)?$"));
    static const QRegularExpression enumerator(QStringLiteral("^[A-Za-z][A-Za-z0-9 ]*$"));
    switch (property.kind) {
    case Kind::number:
        if (number.match(value).hasMatch()) {
            // A decimal comma is how Capture One renders reals in some regions; scripts want a point.
            return QString(value).replace(QLatin1Char(','), QLatin1Char('.'));
        }
        return std::nullopt;
    case Kind::boolean:
        if (value == QStringLiteral("true") || value == QStringLiteral("false")) {
            return value;
        }
        return std::nullopt;
    case Kind::enumeration:
        if (enumerator.match(value).hasMatch()) {
            return value;
        }
        return std::nullopt;
    case Kind::text:
        return text::appleScriptQuoted(value);
    }
    return std::nullopt;
}

} // namespace orbix::changescripts
