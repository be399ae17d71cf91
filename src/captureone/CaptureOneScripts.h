#pragma once
// The AppleScript programs Orbix sends to Capture One, built from fixed templates. Every template names
// the generic application "Capture One"; the service substitutes the resolved version when it runs them.
// Inserted texts are escaped by the caller's rules (see core/TextRules.h): these functions only assemble.

#include <QString>
#include <QStringList>

namespace orbix::CaptureOneScripts {

// The opening line every template uses; the service replaces the quoted name with the resolved one.
inline const QString genericTellOpening = QStringLiteral("tell application \"Capture One\"");

// The lines that set `targetVariants` without judging the result (an empty list is fine).
QString targetVariantLines(const QStringList& targetPaths);

// The lines that set `targetVariants`: the selection, or the document's variants whose files have one of
// the given POSIX paths.
QString targetVariantScript(const QStringList& targetPaths);

// tell block -> targets -> repeat over targetVariants with the body statements -> return line.
QString perVariantScript(const QStringList& targetPaths, const QStringList& bodyStatements,
                         const QString& returnLine);

// `return "<prefix>" & (count of targetVariants) & " selected variant(s)."`
QString countReturnLine(const QString& prefix);

QString statusScript();
QString processingScript();
QString copyAdjustmentsScript();
QString importScript(const QString& escapedFolderPath);
// Reads rating, pick and colour tag of the variants of these files, one line each (photomarks::parseReport).
QString photoMarksScript(const QStringList& paths);

} // namespace orbix::CaptureOneScripts
