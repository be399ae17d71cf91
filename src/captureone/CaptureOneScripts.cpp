#include "captureone/CaptureOneScripts.h"

#include "core/TextRules.h"

namespace orbix::CaptureOneScripts {

namespace {
const QString noDocumentCheck = QStringLiteral(
    "    if not (exists current document) then error \"Open a Capture One catalog or session first.\"\n");
// Body statements after the first are joined with a line break and sixteen blanks.
const QString bodySeparator = QStringLiteral("\n                ");
} // namespace

QString targetVariantLines(const QStringList& targetPaths) {
    if (targetPaths.isEmpty()) {
        return QStringLiteral("set targetVariants to selected variants");
    }
    QStringList quoted;
    for (const QString& path : targetPaths) {
        quoted << text::appleScriptQuoted(path);
    }
    return QStringLiteral("set requestedPaths to {") + quoted.join(QStringLiteral(", ")) +
           QStringLiteral("}\n"
                          "set targetVariants to {}\n"
                          "repeat with aVariant in (variants of current document)\n"
                          "    if (POSIX path of (file of aVariant)) is in requestedPaths then set end of "
                          "targetVariants to aVariant\n"
                          "end repeat");
}

QString targetVariantScript(const QStringList& targetPaths) {
    if (targetPaths.isEmpty()) {
        return targetVariantLines(targetPaths) +
               QStringLiteral("\nif (count of targetVariants) is 0 then error \"Select one or more Capture One "
                              "variants first.\"");
    }
    return targetVariantLines(targetPaths) +
           QStringLiteral(
               "\nif (count of targetVariants) is 0 then error \"None of the selected Orbix photos are "
               "in the open Capture One document.\"");
}

QString perVariantScript(const QStringList& targetPaths, const QStringList& bodyStatements,
                         const QString& returnLine) {
    return genericTellOpening + QStringLiteral("\n    ") + targetVariantScript(targetPaths) +
           QStringLiteral("\n    repeat with aVariant in targetVariants\n        ") +
           bodyStatements.join(bodySeparator) + QStringLiteral("\n    end repeat\n    ") + returnLine +
           QStringLiteral("\nend tell");
}

QString countReturnLine(const QString& prefix) {
    return QStringLiteral("return \"") + prefix +
           QStringLiteral("\" & (count of targetVariants) & \" selected variant(s).\"");
}

QString statusScript() {
    return genericTellOpening + QStringLiteral("\n") + noDocumentCheck +
           QStringLiteral("    set selectedItems to selected variants\n"
                          "    if (count of selectedItems) is 0 then return \"No variants selected.\"\n"
                          "    set primaryItem to primary variant\n"
                          "    set itemName to name of primaryItem\n"
                          "    set itemPath to POSIX path of (file of primaryItem)\n"
                          "    set itemRating to rating of primaryItem\n"
                          "    return \"Selected variants: \" & (count of selectedItems) & \"\\nPrimary: \" & "
                          "itemName & \"\\nFile: \" & itemPath & \"\\nRating: \" & itemRating\n"
                          "end tell");
}

QString processingScript() {
    return genericTellOpening + QStringLiteral("\n") + noDocumentCheck +
           QStringLiteral(
               "    set targetVariants to selected variants\n"
               "    if (count of targetVariants) is 0 then error \"Select one or more variants first.\"\n"
               "    repeat with aVariant in targetVariants\n"
               "        process aVariant\n"
               "    end repeat\n"
               "    return \"Queued \" & (count of targetVariants) & \" selected variant(s) for "
               "processing.\"\n"
               "end tell");
}

QString copyAdjustmentsScript() {
    return genericTellOpening + QStringLiteral("\n") + noDocumentCheck +
           QStringLiteral(
               "    set sourceVariant to primary variant\n"
               "    set targetVariants to selected variants\n"
               "    copy adjustments sourceVariant\n"
               "    set appliedCount to 0\n"
               "    repeat with aVariant in targetVariants\n"
               "        if (id of aVariant) is not (id of sourceVariant) then\n"
               "            apply adjustments aVariant\n"
               "            set appliedCount to appliedCount + 1\n"
               "        end if\n"
               "    end repeat\n"
               "    if appliedCount is 0 then return \"Copied the primary variant adjustments to the "
               "Capture One clipboard.\"\n"
               "    return \"Copied the primary variant adjustments to \" & appliedCount & \" other "
               "selected variant(s).\"\n"
               "end tell");
}

QString importScript(const QString& escapedFolderPath) {
    return genericTellOpening + QStringLiteral("\n") + noDocumentCheck +
           QStringLiteral("    import (POSIX file \"") + escapedFolderPath +
           QStringLiteral("\") into current document\n    return \"Started importing ") + escapedFolderPath +
           QStringLiteral(".\"\nend tell");
}

QString photoMarksScript(const QStringList& paths) {
    QStringList quoted;
    for (const QString& path : paths) {
        quoted << text::appleScriptQuoted(path);
    }
    return genericTellOpening + QStringLiteral("\n") + noDocumentCheck +
           QStringLiteral("    set requestedPaths to {") + quoted.join(QStringLiteral(", ")) +
           QStringLiteral(
               "}\n"
               "    set marksText to \"\"\n"
               "    repeat with aVariant in (variants of current document)\n"
               "        set variantPath to POSIX path of (file of aVariant)\n"
               "        if variantPath is in requestedPaths then set marksText to marksText & (rating "
               "of aVariant) & \"\\t\" & (pick of aVariant) & \"\\t\" & (color tag of aVariant) & "
               "\"\\t\" & variantPath & \"\\n\"\n"
               "    end repeat\n"
               "    return marksText\n"
               "end tell");
}

} // namespace orbix::CaptureOneScripts
