#pragma once
// The words of the local command grammar: for every action of the action table that needs no UI fallback,
// the phrases people type or say for it, and the words its arguments are said in (adjustment names by the
// registry's names, its aliases and the words photographers use; colour-tag names; relative words with their
// steps; crop, layer and mask words). The typed reader (LocalCommandGrammar) and the wake recogniser's
// grammar are both built from these tables, so that what can be typed can be said.

#include "core/ComputerUseActions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace orbix::vocabulary {

// A phrase as its lower-case words.
using Phrase = QStringList;

// The phrases that name an action, by action; empty for the UI fallback's four.
const QList<Phrase>& actionPhrases(ComputerUseAction action);
// The actions the local grammar reads: every entry of the table but the UI fallback's.
bool isLocalAction(ComputerUseAction action);

// Named word groups that qualify an action's phrase ("rotate" + a left word).
enum class Words {
    left,
    right,
    layer,
    layerCreation,
    layerHide,
    layerShow,
    opacity,
    rename,
    mask,
    maskFill,
    maskInvert,
    maskClear,
    maskRasterize,
    maskFeather,
    maskRefine,
    lumaRange,
    portrait,
    landscape,
    square,
    originalCrop,
    unconstrainedCrop,
    pick,
    unpick,
    reject,
    rating,
    noRating,
    colourTag,
    noColourTag,
    setVerb,
    increase,
    decrease,
    on,
    off,
    horizontal,
    vertical,
    stop,
    namedMarker,
};
const QList<Phrase>& words(Words group);

// A name of an adjustment property as typed or said.
struct AdjustmentName {
    Phrase words;
    QString property;      // the registry's property
    bool inverted = false; // more of the word is less of the property ("less haze" raises dehaze)
};
// Registry names and aliases first, then the spoken ones; a longer name is preferred where both fit.
const std::vector<AdjustmentName>& adjustmentNames();
// The change of a relative request without a number ("more clarity"), signed for "more".
double defaultStep(const QString& property);

// A word that is a whole relative change ("warmer": temperature up by 500).
struct RelativeWord {
    Phrase words;
    QString property;
    double step = 0;
};
const std::vector<RelativeWord>& relativeWords();

// "a bit" halves a relative change, "much" doubles it.
struct Intensity {
    Phrase words;
    double factor = 1;
};
const std::vector<Intensity>& intensities();

// Capture One's colour tags by name: the index is the tag's number (0 is no tag).
const QStringList& colourTagNames();

} // namespace orbix::vocabulary
