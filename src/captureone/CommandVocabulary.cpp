#include "captureone/CommandVocabulary.h"

#include "captureone/CaptureOneCapabilities.h"

#include <QHash>
#include <initializer_list>

namespace orbix::vocabulary {

namespace {

using A = ComputerUseAction;

QList<Phrase> phrases(std::initializer_list<const char*> texts) {
    QList<Phrase> list;
    for (const char* textValue : texts) {
        list << QString::fromUtf8(textValue).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return list;
}

// Phrases that name the action; the reader adds what an action's arguments need (a direction, a ratio, a
// number) from the word groups below.
QHash<A, QList<Phrase>> buildActionPhrases() {
    return {
        {A::openApp, phrases({"open", "launch", "start", "fire up", "bring up"})},
        {A::getCapabilities,
         phrases({"what can you do", "capabilities", "supported tools", "help", "what do you support",
                  "available", "list the adjustments", "what adjustments"})},
        {A::autoAdjust, phrases({"auto adjust", "autoadjust", "auto fix", "auto correct", "auto enhance",
                                 "automatically adjust"})},
        {A::resetAdjustments,
         phrases({"reset", "start over", "revert", "back to the original", "clear all adjustments",
                  "remove all adjustments", "remove all the edits", "clear all the edits"})},
        {A::copyApplyAdjustments,
         phrases({"copy adjustments", "copy the adjustments", "apply adjustments from primary", "sync",
                  "paste the adjustments", "copy and apply", "copy edits", "primary's adjustments",
                  "match the others"})},
        {A::cloneVariant, phrases({"clone", "duplicate", "new variant", "virtual copy", "copy of"})},
        {A::rotate, phrases({"rotate", "turn"})},
        {A::maximumCrop,
         phrases({"maximum crop", "max crop", "crop to the maximum", "maximize the crop", "full crop",
                  "crop to the full image", "reset the crop", "remove the crop", "uncrop"})},
        {A::setCrop, phrases({"crop", "aspect ratio", "square"})},
        {A::createLayer, phrases({"layer"})},
        {A::setLayer, phrases({"layer"})},
        {A::mask, phrases({"mask", "luma range"})},
        {A::applyStyle, phrases({"style", "preset"})},
        {A::importFolder,
         phrases({"import", "add the photos", "load the photos", "add photos", "load photos"})},
        {A::setPick,
         phrases({"pick", "picked", "keeper", "flag", "unpick", "unflag", "reject", "rejected", "cull"})},
        {A::setRating, phrases({"star", "stars", "rate", "rating", "rated", "unrate"})},
        {A::setColorTag,
         phrases({"tag", "color tag", "colour tag", "label", "color label", "colour label", "untag", "mark"})},
        {A::process, phrases({"process", "processing", "export", "render", "output"})},
        {A::getStatus, phrases({"status", "selected", "working on", "info", "current photo"})},
        {A::adjustSlider, phrases({"more", "less", "increase", "decrease", "raise", "lower", "reduce"})},
        {A::setAdjustment, phrases({"set", "make", "change"})},
        {A::adjustSliders, phrases({"and"})},
    };
}

QHash<Words, QList<Phrase>> buildWords() {
    using W = Words;
    return {
        {W::left, phrases({"left", "counterclockwise", "anticlockwise", "counter clockwise"})},
        {W::right, phrases({"right", "clockwise"})},
        {W::layer, phrases({"layer"})},
        {W::layerCreation, phrases({"add", "new", "create", "make"})},
        {W::layerHide, phrases({"hide", "turn off", "disable"})},
        {W::layerShow, phrases({"show", "turn on", "enable"})},
        {W::opacity, phrases({"opacity"})},
        {W::rename, phrases({"rename", "call"})},
        {W::mask, phrases({"mask"})},
        {W::maskFill, phrases({"fill"})},
        {W::maskInvert, phrases({"invert"})},
        {W::maskClear, phrases({"clear", "erase"})},
        {W::maskRasterize, phrases({"rasterize", "rasterise"})},
        {W::maskFeather, phrases({"feather"})},
        {W::maskRefine, phrases({"refine"})},
        {W::lumaRange, phrases({"luma range"})},
        {W::portrait, phrases({"portrait"})},
        {W::landscape, phrases({"landscape"})},
        {W::square, phrases({"square"})},
        {W::originalCrop, phrases({"original"})},
        {W::unconstrainedCrop, phrases({"unconstrained", "free"})},
        {W::pick, phrases({"pick", "picked", "keeper", "flag"})},
        {W::unpick, phrases({"unpick", "unflag", "clear pick", "clear the flag", "remove the flag",
                             "clear the pick", "remove the pick"})},
        {W::reject, phrases({"reject", "rejected", "cull"})},
        {W::rating, phrases({"star", "stars", "rate", "rating", "rated"})},
        {W::noRating,
         phrases({"clear the rating", "remove the rating", "no stars", "unrate", "no rating", "zero stars"})},
        {W::colourTag, phrases({"tag", "color tag", "colour tag", "label", "color label", "colour label"})},
        {W::noColourTag, phrases({"remove the color tag", "remove the colour tag", "clear the color tag",
                                  "clear the colour tag", "no color tag", "no colour tag", "untag",
                                  "remove the tag", "clear the tag", "remove the label", "no label"})},
        {W::setVerb, phrases({"set", "change", "make", "put", "adjust"})},
        {W::increase,
         phrases({"increase", "raise", "boost", "bump", "lift", "push", "add", "up", "more", "higher"})},
        {W::decrease, phrases({"decrease", "reduce", "lower", "drop", "pull", "down", "cut", "less",
                               "bring down", "tone down", "subtract"})},
        {W::on, phrases({"on", "turn on", "enable", "make it", "convert to", "switch to"})},
        {W::off, phrases({"off", "turn off", "disable", "remove"})},
        {W::horizontal, phrases({"horizontal", "horizontally"})},
        {W::vertical, phrases({"vertical", "vertically"})},
        {W::stop, phrases({"stop", "stops", "ev"})},
        {W::namedMarker, phrases({"called", "named", "titled"})},
    };
}

std::vector<AdjustmentName> buildAdjustmentNames() {
    std::vector<AdjustmentName> names;
    const auto add = [&](const QString& words, const QString& property, bool inverted = false) {
        QString spaced = words.toLower();
        spaced.replace(QStringLiteral(" & "), QStringLiteral(" "));
        names.push_back({spaced.split(QLatin1Char(' '), Qt::SkipEmptyParts), property, inverted});
    };
    for (const auto& definition : CaptureOneCapabilities::adjustmentDefinitions()) {
        add(definition.property, definition.property);
        for (const QString& alias : definition.aliases) {
            add(alias, definition.property);
        }
    }
    // The words photographers use for the registry's properties.
    const std::pair<const char*, const char*> spoken[] = {
        {"white balance", "temperature"},
        {"warmth", "temperature"},
        {"wb", "temperature"},
        {"vibrance", "saturation"},
        {"saturated", "saturation"},
        {"vivid", "saturation"},
        {"colorful", "saturation"},
        {"exposure compensation", "exposure"},
        {"sharpness", "sharpening amount"},
        {"grain", "film grain impact"},
        {"keystone", "keystone amount"},
    };
    for (const auto& [words, property] : spoken) {
        add(QString::fromUtf8(words), QString::fromUtf8(property));
    }
    add(QStringLiteral("haze"), QStringLiteral("dehaze amount"), true);
    add(QStringLiteral("noise"), QStringLiteral("noise reduction luminance"), true);
    return names;
}

} // namespace

const QList<Phrase>& actionPhrases(ComputerUseAction action) {
    static const QHash<A, QList<Phrase>> table = buildActionPhrases();
    static const QList<Phrase> none;
    const auto found = table.constFind(action);
    return found == table.constEnd() ? none : *found;
}

bool isLocalAction(ComputerUseAction action) {
    // Undo and redo are the model's own words, taken before any grammar reads a request.
    return action != A::inspectUI && action != A::click && action != A::type && action != A::pressKey &&
           action != A::undoLastChange && action != A::redoLastChange;
}

const QList<Phrase>& words(Words group) {
    static const QHash<Words, QList<Phrase>> table = buildWords();
    return *table.constFind(group);
}

const std::vector<AdjustmentName>& adjustmentNames() {
    static const std::vector<AdjustmentName> names = buildAdjustmentNames();
    return names;
}

double defaultStep(const QString& property) {
    static const QHash<QString, double> steps{
        {QStringLiteral("exposure"), 0.3},
        {QStringLiteral("temperature"), 500},
        {QStringLiteral("tint"), 5},
        {QStringLiteral("rotation"), 1},
        {QStringLiteral("sharpening amount"), 20},
        {QStringLiteral("sharpening radius"), 0.2},
        // More vignetting darkens the corners: the amount, in stops, goes below zero.
        {QStringLiteral("vignetting amount"), -0.5},
    };
    return steps.value(property, 10);
}

const std::vector<RelativeWord>& relativeWords() {
    static const std::vector<RelativeWord> table = [] {
        std::vector<RelativeWord> rows;
        const auto add = [&](std::initializer_list<const char*> texts, const char* property, double step) {
            for (const Phrase& phrase : phrases(texts)) {
                rows.push_back({phrase, QString::fromUtf8(property), step});
            }
        };
        add({"brighter", "brighten", "lighter", "lighten"}, "exposure", 0.3);
        add({"darker", "darken"}, "exposure", -0.3);
        add({"warmer", "warm up", "warm it up"}, "temperature", 500);
        add({"cooler", "colder", "cool down", "cool it down"}, "temperature", -500);
        add({"contrastier", "punchier"}, "contrast", 10);
        add({"flatter"}, "contrast", -10);
        add({"sharper"}, "sharpening amount", 20);
        add({"softer"}, "sharpening amount", -20);
        add({"desaturate"}, "saturation", -10);
        return rows;
    }();
    return table;
}

const std::vector<Intensity>& intensities() {
    static const std::vector<Intensity> table = [] {
        std::vector<Intensity> rows;
        for (const Phrase& phrase : phrases({"a bit", "a little", "slightly", "a touch", "a tad"})) {
            rows.push_back({phrase, 0.5});
        }
        for (const Phrase& phrase : phrases({"much", "a lot", "way", "lots", "significantly"})) {
            rows.push_back({phrase, 2});
        }
        return rows;
    }();
    return table;
}

const QStringList& colourTagNames() {
    static const QStringList names{"none", "red", "orange", "yellow", "green", "blue", "pink", "purple"};
    return names;
}

} // namespace orbix::vocabulary
