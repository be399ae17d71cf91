#pragma once
// Recognisers for typed requests about the photo tray: a folder to import photos from, and batch commands
// ("rate these 5 stars", "apply the Film Look preset to these") on the imported photos. Pure functions.

#include "captureone/CaptureOneSliderPromptParser.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace orbix {

struct ImportedPhotoBatchIntent {
    enum class Kind { applyPreset, cull, rate, adjustSlider, adjustSliders };
    Kind kind = Kind::rate;
    QString prompt; // the request the intent was recognised from; used again for targeting
    QString text;   // applyPreset: style name; cull: "pick", "reject" or "unflag"; adjustSliders: the list
    int rating = 0; // rate: 0-5
    ParsedCaptureOneSliderCommand slider; // adjustSlider

    friend bool operator==(const ImportedPhotoBatchIntent&, const ImportedPhotoBatchIntent&) = default;
};

namespace ImportedPhotoRecognizers {

// The 19 photo file extensions the tray accepts (lower case).
const QStringList& supportedExtensions();

// The folder's photo files: direct entries only, hidden files skipped, Finder-like order by file name.
// An unreadable folder gives nothing.
QList<QUrl> photoURLs(const QString& folder);
// Why the folder cannot be scanned, in one sentence naming it: missing, not a folder or unreadable.
std::optional<QString> folderProblem(const QString& folder);

std::optional<QString> importFolderPath(const QString& text);
std::optional<ImportedPhotoBatchIntent> batchIntent(const QString& text);

bool referencesImportedPhotoSelection(const QString& lowerText);
std::optional<QString> presetName(const QString& text);
std::optional<QString> cullType(const QString& lowerText);
std::optional<int> ratingValue(const QString& lowerText);
std::optional<QString> inferredBatchAdjustments(const QString& lowerText);
// Trims white space, then removes one pair of matching straight quotes around the text.
QString stripMatchingQuotes(const QString& text);
// Whether the text names all tray photos ("all photos", "imported photos", ...) rather than the selection.
bool targetsAllImportedPhotos(const QString& text);
// The photo's file-system path as batch commands pass it to Capture One: absolute, cleaned.
QString standardizedPath(const QUrl& url);
// Whether a voice action can be aimed at tray photos (the action table says which).
bool isImportedPhotoTargetableAction(const QString& action);

} // namespace ImportedPhotoRecognizers

} // namespace orbix
