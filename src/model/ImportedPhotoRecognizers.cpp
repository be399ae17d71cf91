#include "model/ImportedPhotoRecognizers.h"

#include "core/ComputerUseActions.h"
#include "core/NaturalOrder.h"
#include "core/RegularFile.h"
#include "core/TextRules.h"
#include "core/TypedNames.h"
#include "core/WordMatching.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace orbix::ImportedPhotoRecognizers {

namespace {

using text::containsAnyWords;

} // namespace

const QStringList& supportedExtensions() {
    static const QStringList extensions{"jpg", "jpeg", "png", "tif", "tiff", "heic", "heif",
                                        "dng", "arw",  "cr2", "cr3", "nef",  "nrw",  "raf",
                                        "rw2", "orf",  "pef", "srw", "x3f"};
    return extensions;
}

QList<QUrl> photoURLs(const QString& folder) {
    QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const QFileInfo& entry) {
                                     // A link to a FIFO, a device or nothing passes the Files filter.
                                     return !files::isRegularFile(entry.absoluteFilePath()) ||
                                            !supportedExtensions().contains(entry.suffix().toLower());
                                 }),
                  entries.end());
    std::stable_sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return text::finderCompare(a.fileName(), b.fileName()) < 0;
    });
    QList<QUrl> urls;
    for (const QFileInfo& entry : entries) {
        urls << QUrl::fromLocalFile(entry.absoluteFilePath());
    }
    return urls;
}

std::optional<QString> folderProblem(const QString& folder) {
    const QFileInfo entry(folder);
    if (!entry.exists()) {
        return QStringLiteral("No folder was found at ") + folder + QLatin1Char('.');
    }
    if (!entry.isDir()) {
        return folder + QStringLiteral(" is a file, not a folder.");
    }
    if (!entry.isReadable() || !entry.isExecutable()) {
        return QStringLiteral("Orbix can’t read the folder ") + folder + QLatin1Char('.');
    }
    return std::nullopt;
}

QString stripMatchingQuotes(const QString& textValue) {
    const QString value = text::trimmed(textValue);
    if (text::isWrappedInMatchingQuotes(value)) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

namespace {
// Space, full stop, comma, exclamation and question marks, line feed and tab: no quotes, unlike the
// command parser's set, because quotes are stripped as a matching pair afterwards.
QString trimPunctuation(QStringView value) {
    return text::trimmedOf(value, u" .,!?\n\t");
}

// The name or path written after a marker: the quoted text when it starts with a quoted span, else the
// rest trimmed and stripped of one pair of matching quotes.
QString typedNameAfter(QStringView rest) {
    if (const auto quoted = text::leadingQuotedText(rest)) {
        return *quoted;
    }
    return stripMatchingQuotes(trimPunctuation(rest));
}
} // namespace

std::optional<QString> importFolderPath(const QString& textValue) {
    const QString lower = text::lowerKeepingOffsets(textValue);
    if (!text::containsWords(lower, u"import") || !containsAnyWords(lower, {"folder", "photos"})) {
        return std::nullopt;
    }
    // Markers inside a quoted path ("/Shoots/From Above") are part of the path.
    const QString searched = text::maskedQuotedSpans(lower);
    for (const char* marker :
         {" from folder ", " from the folder ", " from ", " in folder ", " in the folder "}) {
        const QLatin1String needle(marker);
        const qsizetype at = searched.lastIndexOf(needle);
        if (at < 0) {
            continue;
        }
        const QString path = typedNameAfter(QStringView(textValue).mid(at + needle.size()));
        if (!path.isEmpty()) {
            return text::expandedHomePath(path);
        }
    }
    return std::nullopt;
}

bool referencesImportedPhotoSelection(const QString& lowerText) {
    return containsAnyWords(lowerText, {"selected", "these", "this photo", "this image", "imported photo",
                                        "imported photos", "all imported", "all photos"});
}

std::optional<QString> presetName(const QString& textValue) {
    const QString lower = text::lowerKeepingOffsets(textValue);
    const qsizetype apply = lower.indexOf(QStringLiteral("apply "));
    if (apply >= 0) {
        const qsizetype start = apply + 6;
        const qsizetype preset = lower.indexOf(QStringLiteral(" preset"), start);
        if (preset >= 0) {
            QString name = trimPunctuation(QStringView(textValue).mid(start, preset - start));
            const QString lowerName = name.toLower();
            if (lowerName == QStringLiteral("the") || lowerName == QStringLiteral("a")) {
                name.clear();
            } else if (lowerName.startsWith(QStringLiteral("the "))) {
                name = name.mid(4);
            } else if (lowerName.startsWith(QStringLiteral("a "))) {
                name = name.mid(2);
            }
            name = stripMatchingQuotes(name);
            if (!name.isEmpty()) {
                return name;
            }
        }
    }
    static const QStringList phrases{"apply preset called ",
                                     "apply preset named ",
                                     "apply preset ",
                                     "apply the preset ",
                                     "use preset ",
                                     "use the preset ",
                                     "set preset ",
                                     "set the preset ",
                                     "apply capture one style ",
                                     "apply the capture one style "};
    for (const QString& phrase : phrases) {
        qsizetype length = 0;
        const qsizetype at = text::indexOfWords(lower, phrase.trimmed(), 0, &length);
        if (at < 0) {
            continue;
        }
        const QStringView rest = QStringView(textValue).mid(at + length);
        const QString name = text::leadingQuotedText(rest).value_or(
            stripMatchingQuotes(trimPunctuation(text::withoutTargetPhrase(rest))));
        if (!name.isEmpty()) {
            return name;
        }
    }
    return std::nullopt;
}

std::optional<QString> cullType(const QString& lowerText) {
    if (containsAnyWords(lowerText, {"unflag", "clear flag", "unpick", "clear pick"})) {
        return QStringLiteral("unflag");
    }
    if (containsAnyWords(lowerText, {"reject", "cull"})) {
        return QStringLiteral("reject");
    }
    if (containsAnyWords(lowerText, {"pick", "flag"})) {
        return QStringLiteral("pick");
    }
    return std::nullopt;
}

std::optional<int> ratingValue(const QString& lowerText) {
    // Whole numbers only: not part of a word or of a decimal number ("4.5", "3,5").
    static const QString wholeNumber =
        QStringLiteral("(?<![\\p{L}\\p{N}]|[0-9][.,])([0-9]+)(?![\\p{L}\\p{N}]|[.,][0-9])");
    static const QRegularExpression beforeStars(wholeNumber +
                                                QStringLiteral("\\s*-?\\s*stars?(?![\\p{L}\\p{N}])"));
    static const QRegularExpression rateWord(
        QStringLiteral("(?<![\\p{L}\\p{N}])(?:rate|rating)(?![\\p{L}\\p{N}])"));
    static const QRegularExpression anyNumber(wholeNumber);
    const auto inRange = [](const QRegularExpressionMatch& match) -> std::optional<int> {
        bool ok = false;
        const int value = match.captured(1).toInt(&ok);
        return ok && value >= 0 && value <= 5 ? std::optional<int>(value) : std::nullopt;
    };
    // The number written right before "star"/"stars" decides; else the first number after "rate"/"rating".
    if (const auto stars = beforeStars.match(lowerText); stars.hasMatch()) {
        return inRange(stars);
    }
    const auto rate = rateWord.match(lowerText);
    if (!rate.hasMatch()) {
        return std::nullopt;
    }
    const auto number = anyNumber.match(lowerText, rate.capturedEnd(0));
    return number.hasMatch() ? inRange(number) : std::nullopt;
}

std::optional<QString> inferredBatchAdjustments(const QString& lowerText) {
    QStringList items;
    if (containsAnyWords(lowerText, {"brighter", "brighten"})) {
        items << QStringLiteral("exposure:0.3:1");
    }
    if (containsAnyWords(lowerText, {"darker", "darken"})) {
        items << QStringLiteral("exposure:-0.3:1");
    }
    if (containsAnyWords(lowerText, {"warmer", "warm up"})) {
        items << QStringLiteral("temperature:500:1");
    }
    if (containsAnyWords(lowerText, {"cooler", "cool down"})) {
        items << QStringLiteral("temperature:-500:1");
    }
    if (containsAnyWords(lowerText, {"more contrast", "contrastier"})) {
        items << QStringLiteral("contrast:10:1");
    }
    if (items.isEmpty()) {
        return std::nullopt;
    }
    return items.join(QLatin1Char(';'));
}

std::optional<ImportedPhotoBatchIntent> batchIntent(const QString& textValue) {
    using Kind = ImportedPhotoBatchIntent::Kind;
    const QString lower = textValue.toLower();
    if (!referencesImportedPhotoSelection(lower)) {
        return std::nullopt;
    }
    ImportedPhotoBatchIntent intent;
    intent.prompt = textValue;
    if (const auto name = presetName(textValue)) {
        intent.kind = Kind::applyPreset;
        intent.text = *name;
    } else if (const auto cull = cullType(lower)) {
        intent.kind = Kind::cull;
        intent.text = *cull;
    } else if (const auto rating = ratingValue(lower)) {
        intent.kind = Kind::rate;
        intent.rating = *rating;
    } else if (const auto slider = CaptureOneSliderPromptParser::parse(textValue)) {
        intent.kind = Kind::adjustSlider;
        intent.slider = *slider;
    } else if (const auto list = inferredBatchAdjustments(lower)) {
        intent.kind = Kind::adjustSliders;
        intent.text = *list;
    } else {
        return std::nullopt;
    }
    return intent;
}

bool targetsAllImportedPhotos(const QString& textValue) {
    return containsAnyWords(textValue.toLower(),
                            {"all imported", "all imported photos", "all photos", "imported photos"});
}

QString standardizedPath(const QUrl& url) {
    return QDir::cleanPath(QFileInfo(url.toLocalFile()).absoluteFilePath());
}

bool isImportedPhotoTargetableAction(const QString& action) {
    const ComputerUseActionEntry* entry = findComputerUseAction(action);
    return entry && entry->targetsTrayPhotos;
}

} // namespace orbix::ImportedPhotoRecognizers
