#pragma once
// The safe adjustment registry (every adjustment property Orbix may set, with its value kind and the names
// users may ask for it by), the value rules per kind, and the probe of an application's scripting
// dictionary for properties and commands.

#include "captureone/CaptureOneApplication.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace orbix {

struct CaptureOneAdjustmentValueKind {
    enum class Tag { enumeration, number, integer, boolean, text };
    Tag tag = Tag::number;
    QStringList options; // the enumerators' canonical forms, for Tag::enumeration only

    friend bool operator==(const CaptureOneAdjustmentValueKind&,
                           const CaptureOneAdjustmentValueKind&) = default;
};

struct CaptureOneAdjustmentDefinition {
    QString property; // as the scripting dictionary writes it; also the text after `set ` in scripts
    CaptureOneAdjustmentValueKind kind;
    QStringList aliases;

    friend bool operator==(const CaptureOneAdjustmentDefinition&,
                           const CaptureOneAdjustmentDefinition&) = default;
};

class CaptureOneCapabilities {
public:
    static const std::vector<CaptureOneAdjustmentDefinition>& adjustmentDefinitions();

    static std::optional<CaptureOneAdjustmentDefinition> adjustment(const QString& name);
    static std::optional<QString> valueExpression(const CaptureOneAdjustmentDefinition& definition,
                                                  const QString& rawValue);

    static bool supportsProperty(const QString& property, const CaptureOneApplication& application);
    static bool supportsCommand(const QString& command, const CaptureOneApplication& application);
    static int supportedAdjustmentCount(const CaptureOneApplication& application);

    // How many times a dictionary file has been read; lets tests and benchmarks see cache behaviour.
    static int dictionaryReadCount();

private:
    static QString normalize(const QString& text);
    static const QString& dictionary(const CaptureOneApplication& application);
};

} // namespace orbix
