#include "model/ImportedPhotoRecognizers.h"

#include "core/NaturalOrder.h"
#include "core/TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace orbix::ImportedPhotoRecognizers {

namespace {

bool containsAny(const QString& lower, std::initializer_list<const char*> needles) {
    return std::any_of(needles.begin(), needles.end(),
                       [&](const char* needle) { return lower.contains(QLatin1String(needle)); });
}

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
                                     return !supportedExtensions().contains(entry.suffix().toLower());
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

QString stripMatchingQuotes(const QString& textValue) {
    const QString value = text::trimmed(textValue);
    if (value.size() >= 2 && ((value.front() == u'"' && value.back() == u'"') ||
                              (value.front() == u'\'' && value.back() == u'\''))) {
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
} // namespace

std::optional<QString> importFolderPath(const QString& textValue) {
    const QString lower = text::lowerKeepingOffsets(textValue);
    if (!lower.contains(QStringLiteral("import")) || !containsAny(lower, {"folder", "photos"})) {
        return std::nullopt;
    }
    for (const char* marker :
         {" from folder ", " from the folder ", " from ", " in folder ", " in the folder "}) {
        const QLatin1String needle(marker);
        const qsizetype at = lower.lastIndexOf(needle);
        if (at < 0) {
            continue;
        }
        const QString path =
            stripMatchingQuotes(trimPunctuation(QStringView(textValue).mid(at + needle.size())));
        if (!path.isEmpty()) {
            return path;
        }
    }
    return std::nullopt;
}

bool referencesImportedPhotoSelection(const QString& lowerText) {
    return containsAny(lowerText, {"selected", "these", "this photo", "this image", "imported photo",
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
        const qsizetype at = lower.indexOf(phrase);
        if (at < 0) {
            continue;
        }
        QString rest = textValue.mid(at + phrase.size());
        for (const char* tail :
             {" to these", " to selected", " to the selected photos", " to all imported photos"}) {
            rest.remove(QLatin1String(tail), Qt::CaseInsensitive);
        }
        const QString name = stripMatchingQuotes(trimPunctuation(rest));
        if (!name.isEmpty()) {
            return name;
        }
    }
    return std::nullopt;
}

std::optional<QString> cullType(const QString& lowerText) {
    if (containsAny(lowerText, {"unflag", "clear flag"})) {
        return QStringLiteral("unflag");
    }
    if (containsAny(lowerText, {"reject", "cull"})) {
        return QStringLiteral("reject");
    }
    if (containsAny(lowerText, {"pick", "flag"})) {
        return QStringLiteral("pick");
    }
    return std::nullopt;
}

std::optional<int> ratingValue(const QString& lowerText) {
    static const QRegularExpression pattern(
        QStringLiteral("(?:rate|rating|stars?|star)\\D*([0-5])|([0-5])\\s*(?:stars?|star)"));
    const auto match = pattern.match(lowerText);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    for (int group = 1; group <= 2; ++group) {
        bool ok = false;
        const int value = match.captured(group).toInt(&ok);
        if (ok) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<QString> inferredBatchAdjustments(const QString& lowerText) {
    QStringList items;
    if (containsAny(lowerText, {"brighter", "brighten"})) {
        items << QStringLiteral("exposure:0.3:1");
    }
    if (containsAny(lowerText, {"darker", "darken"})) {
        items << QStringLiteral("exposure:-0.3:1");
    }
    if (containsAny(lowerText, {"warmer", "warm up"})) {
        items << QStringLiteral("temperature:500:1");
    }
    if (containsAny(lowerText, {"cooler", "cool down"})) {
        items << QStringLiteral("temperature:-500:1");
    }
    if (containsAny(lowerText, {"more contrast", "contrastier"})) {
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
    return containsAny(textValue.toLower(),
                       {"all imported", "all imported photos", "all photos", "imported photos"});
}

bool isImportedPhotoTargetableAction(const QString& action) {
    static const QStringList actions{"c1_adjust_slider", "c1_adjust_sliders", "c1_apply_style",
                                     "c1_set_pick",      "c1_set_rating",     "c1_set_color_tag"};
    return actions.contains(text::trimmed(action).toLower());
}

} // namespace orbix::ImportedPhotoRecognizers
