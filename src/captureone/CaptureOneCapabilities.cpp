#include "captureone/CaptureOneCapabilities.h"

#include "core/RegularFile.h"
#include "core/TextRules.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <cmath>

namespace orbix {

namespace {

using Tag = CaptureOneAdjustmentValueKind::Tag;

CaptureOneAdjustmentDefinition row(const char* property, Tag tag, QStringList aliases = {}) {
    return {QString::fromUtf8(property), {tag, {}}, std::move(aliases)};
}

CaptureOneAdjustmentDefinition enumerationRow(const char* property, QStringList options,
                                              QStringList aliases = {}) {
    return {QString::fromUtf8(property), {Tag::enumeration, std::move(options)}, std::move(aliases)};
}

std::vector<CaptureOneAdjustmentDefinition> makeRegistry() {
    return {
        row("orientation", Tag::integer),
        row("rotation", Tag::number, {"straighten", "angle"}),
        enumerationRow("flip", {"none", "horizontal", "vertical"}),
        row("keystone amount", Tag::integer),
        row("keystone vertical", Tag::number),
        row("keystone horizontal", Tag::number),
        row("keystone skew", Tag::number),
        row("keystone aspect", Tag::number),
        row("color profile", Tag::text, {"icc profile"}),
        row("film curve", Tag::text, {"base curve"}),
        row("white balance preset", Tag::text, {"wb preset"}),
        row("temperature", Tag::number, {"temp"}),
        row("tint", Tag::number),
        row("exposure", Tag::number),
        row("brightness", Tag::number),
        row("contrast", Tag::number),
        row("saturation", Tag::number),
        row("color balance master hue", Tag::number, {"master hue"}),
        row("color balance master saturation", Tag::number, {"master saturation"}),
        row("color balance shadow hue", Tag::number, {"shadow hue"}),
        row("color balance shadow saturation", Tag::number, {"shadow saturation"}),
        row("color balance shadow lightness", Tag::number, {"shadow lightness"}),
        row("color balance midtone hue", Tag::number, {"midtone hue"}),
        row("color balance midtone saturation", Tag::number, {"midtone saturation"}),
        row("color balance midtone lightness", Tag::number, {"midtone lightness"}),
        row("color balance highlight hue", Tag::number, {"highlight hue"}),
        row("color balance highlight saturation", Tag::number, {"highlight saturation"}),
        row("color balance highlight lightness", Tag::number, {"highlight lightness"}),
        row("black and white", Tag::boolean, {"black & white", "b&w", "monochrome"}),
        row("black and white red sensitivity", Tag::integer, {"b&w red"}),
        row("black and white yellow sensitivity", Tag::integer, {"b&w yellow"}),
        row("black and white green sensitivity", Tag::integer, {"b&w green"}),
        row("black and white cyan sensitivity", Tag::integer, {"b&w cyan"}),
        row("black and white blue sensitivity", Tag::integer, {"b&w blue"}),
        row("black and white magenta sensitivity", Tag::integer, {"b&w magenta"}),
        row("black and white split highlight hue", Tag::integer, {"split highlight hue"}),
        row("black and white split highlight saturation", Tag::integer, {"split highlight saturation"}),
        row("black and white split shadow hue", Tag::integer, {"split shadow hue"}),
        row("black and white split shadow saturation", Tag::integer, {"split shadow saturation"}),
        row("level highlight rgb", Tag::number, {"levels white point", "rgb white point"}),
        row("level shadow rgb", Tag::number, {"levels black point", "rgb black point"}),
        row("level highlight red", Tag::number, {"red white point"}),
        row("level shadow red", Tag::number, {"red black point"}),
        row("level highlight green", Tag::number, {"green white point"}),
        row("level shadow green", Tag::number, {"green black point"}),
        row("level highlight blue", Tag::number, {"blue white point"}),
        row("level shadow blue", Tag::number, {"blue black point"}),
        row("level target highlight rgb", Tag::number, {"levels output white"}),
        row("level target shadow rgb", Tag::number, {"levels output black"}),
        row("level midtone rgb", Tag::number, {"levels gamma", "rgb midtone"}),
        row("level midtone red", Tag::number, {"red midtone"}),
        row("level midtone green", Tag::number, {"green midtone"}),
        row("level midtone blue", Tag::number, {"blue midtone"}),
        row("highlight adjustment", Tag::number, {"highlights", "highlight"}),
        row("shadow recovery", Tag::number, {"shadows", "shadow"}),
        row("white recovery", Tag::number, {"whites", "white"}),
        row("black recovery", Tag::number, {"blacks", "black"}),
        enumerationRow("clarity method", {"natural", "punch", "neutral", "classic"}),
        row("clarity amount", Tag::number, {"clarity"}),
        row("clarity structure", Tag::number, {"structure"}),
        row("dehaze amount", Tag::number, {"dehaze"}),
        row("vignetting amount", Tag::number, {"vignette", "vignetting"}),
        enumerationRow("vignetting method", {"elliptic on crop", "circular on crop", "circular"},
                       {"vignette method"}),
        row("sharpening amount", Tag::number, {"sharpening", "sharpen"}),
        row("sharpening radius", Tag::number, {"sharpen radius"}),
        row("sharpening threshold", Tag::number, {"sharpen threshold"}),
        row("sharpening halo suppression", Tag::number, {"halo suppression"}),
        row("noise reduction luminance", Tag::number, {"luminance noise reduction"}),
        row("noise reduction details", Tag::integer, {"noise reduction detail"}),
        row("noise reduction color", Tag::number, {"color noise reduction"}),
        row("noise reduction single pixel", Tag::number, {"single pixel noise reduction"}),
        enumerationRow("film grain type", {"fine", "silver rich", "soft", "cubic", "tabular", "harsh"},
                       {"grain type"}),
        row("film grain impact", Tag::number, {"grain impact", "film grain"}),
        row("film grain granularity", Tag::number, {"grain granularity"}),
        row("moire amount", Tag::number, {"moire"}),
        row("moire pattern", Tag::integer),
    };
}

// Normalised names in registry order, computed once alongside the registry.
struct LookupEntry {
    QStringList keys; // the property first, then its aliases
};

const std::vector<LookupEntry>& lookupTable() {
    static const std::vector<LookupEntry> table = [] {
        std::vector<LookupEntry> entries;
        for (const auto& definition : CaptureOneCapabilities::adjustmentDefinitions()) {
            LookupEntry entry;
            entry.keys << text::compactKey(definition.property);
            for (const QString& alias : definition.aliases) {
                entry.keys << text::compactKey(alias);
            }
            entries.push_back(std::move(entry));
        }
        return entries;
    }();
    return table;
}

struct DictionaryCache {
    QString key;
    QString text;
    bool filled = false;
    int reads = 0;
};

DictionaryCache& dictionaryCache() {
    static DictionaryCache cache;
    return cache;
}

// Default decimal text of a time stamp, as the cache key writes it: whole seconds keep a ".0".
QString timestampText(double seconds) {
    QString textValue = QString::number(seconds, 'g', 17);
    if (!textValue.contains(QLatin1Char('.')) && !textValue.contains(QLatin1Char('e'))) {
        textValue += QStringLiteral(".0");
    }
    return textValue;
}

bool dictionaryDeclares(const QString& dictionaryText, const char* opening, const QString& name) {
    return dictionaryText.contains(QLatin1String(opening) + name + QLatin1Char('"'));
}

} // namespace

const std::vector<CaptureOneAdjustmentDefinition>& CaptureOneCapabilities::adjustmentDefinitions() {
    static const std::vector<CaptureOneAdjustmentDefinition> registry = makeRegistry();
    return registry;
}

QString CaptureOneCapabilities::normalize(const QString& textValue) {
    return text::compactKey(textValue);
}

std::optional<CaptureOneAdjustmentDefinition> CaptureOneCapabilities::adjustment(const QString& name) {
    const QString key = normalize(name);
    const auto& definitions = adjustmentDefinitions();
    const auto& table = lookupTable();
    for (size_t index = 0; index < definitions.size(); ++index) {
        if (table[index].keys.contains(key)) {
            return definitions[index];
        }
    }
    return std::nullopt;
}

std::optional<QString> CaptureOneCapabilities::valueExpression(const CaptureOneAdjustmentDefinition& definition,
                                                               const QString& rawValue) {
    const QString value = text::trimmed(rawValue);
    switch (definition.kind.tag) {
    case Tag::number: {
        const auto number = text::parseFiniteReal(value);
        return number ? std::optional<QString>(text::shortestRealText(*number)) : std::nullopt;
    }
    case Tag::integer: {
        const auto number = text::parseFiniteReal(value);
        if (!number || std::trunc(*number) != *number) {
            return std::nullopt;
        }
        const auto whole = text::truncatedInteger(*number);
        return whole ? std::optional<QString>(QString::number(*whole)) : std::nullopt;
    }
    case Tag::boolean: {
        const QString lower = value.toLower();
        for (const char* word : {"true", "yes", "on", "enabled", "1"}) {
            if (lower == QLatin1String(word)) {
                return QStringLiteral("true");
            }
        }
        for (const char* word : {"false", "no", "off", "disabled", "0"}) {
            if (lower == QLatin1String(word)) {
                return QStringLiteral("false");
            }
        }
        return std::nullopt;
    }
    case Tag::text:
        return text::appleScriptQuoted(value);
    case Tag::enumeration: {
        const QString key = normalize(value);
        for (const QString& option : definition.kind.options) {
            if (normalize(option) == key) {
                return option;
            }
        }
        return std::nullopt;
    }
    }
    return std::nullopt;
}

const QString& CaptureOneCapabilities::dictionary(const CaptureOneApplication& application) {
    const QString path = application.url.toLocalFile() + QStringLiteral("/Contents/Resources/CaptureOne.sdef");
    const QFileInfo file(path);
    const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
    const double seconds = modified.isValid() ? double(modified.toMSecsSinceEpoch()) / 1000.0 : 0.0;
    const QString key = application.url.toLocalFile() + QLatin1Char('|') + application.version +
                        QLatin1Char('|') + timestampText(seconds);

    DictionaryCache& cache = dictionaryCache();
    if (cache.filled && cache.key == key) {
        return cache.text;
    }
    // A dictionary is a few hundred kilobytes; the file is opened without blocking on a FIFO.
    constexpr qint64 maximumBytes = 16 * 1024 * 1024;
    QString textValue;
    if (const auto content = files::readRegularFile(path, maximumBytes, files::Links::follow)) {
        textValue = QString::fromUtf8(*content);
    }
    ++cache.reads;
    cache.key = key;
    cache.text = std::move(textValue);
    cache.filled = true;
    return cache.text;
}

bool CaptureOneCapabilities::supportsProperty(const QString& property,
                                              const CaptureOneApplication& application) {
    return dictionaryDeclares(dictionary(application), "<property name=\"", property);
}

bool CaptureOneCapabilities::supportsCommand(const QString& command, const CaptureOneApplication& application) {
    return dictionaryDeclares(dictionary(application), "<command name=\"", command);
}

int CaptureOneCapabilities::supportedAdjustmentCount(const CaptureOneApplication& application) {
    int count = 0;
    for (const auto& definition : adjustmentDefinitions()) {
        if (supportsProperty(definition.property, application)) {
            ++count;
        }
    }
    return count;
}

int CaptureOneCapabilities::dictionaryReadCount() {
    return dictionaryCache().reads;
}

} // namespace orbix
