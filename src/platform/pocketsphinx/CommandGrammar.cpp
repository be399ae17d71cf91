#include "platform/pocketsphinx/CommandGrammar.h"

#include "captureone/CaptureOneSliderPromptParser.h"
#include "captureone/CommandVocabulary.h"
#include "core/SpokenNumbers.h"

namespace orbix {

const QString CommandGrammar::wakePhrase = QStringLiteral("hey orbix");

namespace {

// The commands of the local parser, in the words people say them; numbers are spoken words that the
// transcript turns into digits. Every sentence must read as intended by the parser's phrase matching:
// "clone the variant" or "clear the pick" would not ("clear the pick" even reads as a pick). The answers
// are what a command that changes many properties (or a big batch) waits for, and taking the last change
// back or again.
constexpr const char* commandRules = R"(
<command> = <action> | <rating> | <colorTag> | <slider> | <answer> | <local>;
<answer> = confirm | cancel | apply | undo [that] | redo [that];
<photo> = [the] (photo | photos | image | images | picture | selection | variant);
<action> = open capture one | what can you do | capabilities | auto adjust [<photo>]
    | reset [all] adjustments | copy adjustments | apply adjustments from primary
    | clone variant | new variant | rotate (left | right) [<photo>] | maximum crop | max crop
    | [show] [the] status | process [<photo>] | export [<photo>]
    | unpick [<photo>] | clear pick | pick [<photo>] | pick it | mark [it] as [a] keeper;
<rating> = [set] [the] rating [to] <stars> | rate [(it | this | <photo>)] <stars> [stars]
    | give [(it | this | <photo>)] <stars> stars | <stars> stars;
<stars> = zero | one | two | three | four | five;
<colorTag> = [set] [the] color tag [to] <tagNumber> | tag [(it | this | <photo>)] <tagNumber>;
<tagNumber> = zero | one | two | three | four | five | six | seven;
<slider> = [set] [the] <sliderName> to <value> | <sliderName> <value>
    | (increase | raise | reduce | decrease | lower | darken) [the] <sliderName> by <amount>;
<value> = [minus | plus] <amount>;
<amount> = <whole> | [<unit>] point <unit>;
<whole> = <unit> | <teen> | <tens> [<nonZeroUnit>] | one hundred | <nonZeroUnit> thousand [<nonZeroUnit> hundred]
    | (<teen> | <tens> <nonZeroUnit>) hundred;
<unit> = zero | <nonZeroUnit>;
<nonZeroUnit> = one | two | three | four | five | six | seven | eight | nine;
<teen> = ten | eleven | twelve | thirteen | fourteen | fifteen | sixteen | seventeen | eighteen | nineteen;
<tens> = twenty | thirty | forty | fifty | sixty | seventy | eighty | ninety;
)";

// The local grammar's phrasings, built from its vocabulary (see jsgf). Fewer than the typed road reads
// where words are easily confused in speech (one setting per sentence, the everyday sliders only, below): "a
// lot darker" would take "auto adjust", "mark it blue" the everyday "market", and a bare number ("two eight",
// even "to eight") short commands such as "rotate left", so a question's answer is typed or said as the whole
// command. Rules in angle brackets that end in "Words" are the vocabulary's word groups; the sentences read as
// the typed grammar reads them.
constexpr const char* localRules = R"(
<local> = [please] (<plain> [<object>] | <rotation> | <cropping> | <layering> | <masking> | <culling> [<object>]
    | <starring> | <tagging> | <adjusting> | <relative> | <asking>);
<asking> = set [the] <adjustmentName> | (tag | label) <object> | rate <object>;
<object> = it | this | <photo>;
<rotation> = (rotate | turn) [<object>] [to the] (<leftWords> | <rightWords>);
<cropping> = crop [<object>] [to] (<ratio> | <squareWords> | <originalCropWords>) [<portraitWords> | <landscapeWords>]
    | crop [<object>] [to] (<portraitWords> | <landscapeWords>) | <squareWords> crop | <maximumCrop>;
<ratio> = <whole> by <whole>;
<layering> = <layerCreationWords> [a | an] [new] [adjustment] layer | (<layerHideWords> | <layerShowWords>) [the] layer
    | [set] [the] layer opacity [to] <whole> [percent];
<masking> = (<maskFillWords> | <maskInvertWords> | <maskClearWords> | <maskRasterizeWords>) [the] mask
    | (<maskFeatherWords> | <maskRefineWords>) [the] mask [by] <whole> | clear [the] <lumaRangeWords>;
<culling> = <rejectWords> | <unpickWords> | <pickWords>;
<starring> = give <object> <stars> stars | <noRatingWords>;
<tagging> = (tag | label) [<object>] <colour> | <colour> tag | <noColourTagWords>
    | [set] [the] (color | colour) (tag | label) [to] <colour>;
<adjusting> = <setting> | (<increaseWords> | <decreaseWords>) [the] <adjustmentName> [by <amount> [<unit>]]
    | (more | less) <adjustmentName>;
<setting> = [set] [the] <adjustmentName> [to] <value> [<unit>];
<unit> = stop | stops | kelvin | percent | degrees;
<relative> = [make it] <relativeWord> [by <amount> [<unit>]] | <whole> (stop | stops) (brighter | darker);
)";

using vocabulary::Phrase;

// The phrases whose words the recogniser knows, as JSGF alternatives. When none is left the group stands
// for the wake word, never said after the wake phrase (pocketsphinx builds no search from a <VOID> rule).
QString alternatives(const QList<Phrase>& phrases, const CommandGrammar::KnownWord& known) {
    QStringList kept;
    for (const Phrase& phrase : phrases) {
        if (!known || std::all_of(phrase.cbegin(), phrase.cend(), known)) {
            kept << phrase.join(QLatin1Char(' '));
        }
    }
    kept.removeDuplicates();
    return kept.isEmpty() ? CommandGrammar::wakePhrase.section(QLatin1Char(' '), -1)
                          : kept.join(QStringLiteral(" | "));
}

QString localVocabulary(const CommandGrammar::KnownWord& known) {
    using A = ComputerUseAction;
    using W = vocabulary::Words;
    QString rules;
    const auto rule = [&](const QString& name, const QList<Phrase>& phrases) {
        rules += QStringLiteral("<%1> = %2;\n").arg(name, alternatives(phrases, known));
    };
    QList<Phrase> plain;
    for (const A action : {A::getCapabilities, A::autoAdjust, A::resetAdjustments, A::copyApplyAdjustments,
                           A::cloneVariant, A::process, A::getStatus}) {
        plain += vocabulary::actionPhrases(action);
    }
    rule(QStringLiteral("plain"), plain);
    rule(QStringLiteral("maximumCrop"), vocabulary::actionPhrases(A::maximumCrop));
    const std::pair<W, const char*> groups[] = {
        {W::left, "leftWords"},
        {W::right, "rightWords"},
        {W::square, "squareWords"},
        {W::originalCrop, "originalCropWords"},
        {W::portrait, "portraitWords"},
        {W::landscape, "landscapeWords"},
        {W::layerCreation, "layerCreationWords"},
        {W::layerHide, "layerHideWords"},
        {W::layerShow, "layerShowWords"},
        {W::maskFill, "maskFillWords"},
        {W::maskInvert, "maskInvertWords"},
        {W::maskClear, "maskClearWords"},
        {W::maskRasterize, "maskRasterizeWords"},
        {W::maskFeather, "maskFeatherWords"},
        {W::maskRefine, "maskRefineWords"},
        {W::lumaRange, "lumaRangeWords"},
        {W::reject, "rejectWords"},
        {W::unpick, "unpickWords"},
        {W::pick, "pickWords"},
        {W::noRating, "noRatingWords"},
        {W::noColourTag, "noColourTagWords"},
        {W::increase, "increaseWords"},
        {W::decrease, "decreaseWords"},
    };
    for (const auto& [group, name] : groups) {
        rule(QString::fromLatin1(name), vocabulary::words(group));
    }
    QList<Phrase> colours;
    for (const QString& colour : vocabulary::colourTagNames().mid(1)) {
        colours << Phrase{colour};
    }
    rule(QStringLiteral("colour"), colours);
    // Spoken, only the everyday sliders: with every registry name and alias ("vivid", "flip", "grain",
    // "haze") in the grammar, commands said in 10 dB noise were fitted to adjustments that nobody named
    // (a spoken rating became "temp to 8 and temp 3"); the others are typed.
    QList<Phrase> names;
    for (const QString& slider : CaptureOneSliderPromptParser::sliderWords) {
        names << Phrase{slider};
    }
    rule(QStringLiteral("adjustmentName"), names);
    QList<Phrase> relative;
    for (const vocabulary::RelativeWord& word : vocabulary::relativeWords()) {
        relative << word.words;
    }
    rule(QStringLiteral("relativeWord"), relative);
    return rules;
}

} // namespace

QString CommandGrammar::jsgf(bool withDecoys, const KnownWord& knownWord) {
    QString grammar = QStringLiteral("#JSGF V1.0;\ngrammar orbix;\n");
    grammar += QStringLiteral("public <utterance> = <wake> [<command>];\n");
    grammar += withDecoys ? QStringLiteral("<wake> = %1 | hey (orbit | orbits | robin | oprah | or bricks);\n")
                                .arg(wakePhrase)
                          : QStringLiteral("<wake> = %1;\n").arg(wakePhrase);
    grammar += QString::fromUtf8(commandRules);
    grammar += QStringLiteral("<sliderName> = %1;\n")
                   .arg(CaptureOneSliderPromptParser::sliderWords.join(QStringLiteral(" | ")));
    grammar += QString::fromUtf8(localRules);
    grammar += localVocabulary(knownWord);
    return grammar;
}

std::vector<std::pair<QString, QString>> CommandGrammar::extraDictionaryWords() {
    return {{QStringLiteral("orbix"), QStringLiteral("AO R B IH K S")},
            {QStringLiteral("unpick"), QStringLiteral("AH N P IH K")},
            {QStringLiteral("unflag"), QStringLiteral("AH N F L AE G")},
            {QStringLiteral("untag"), QStringLiteral("AH N T AE G")},
            {QStringLiteral("rasterize"), QStringLiteral("R AE S T ER AY Z")},
            {QStringLiteral("dehaze"), QStringLiteral("D IY HH EY Z")},
            {QStringLiteral("vibrance"), QStringLiteral("V AY B R AH N S")}};
}

QString CommandGrammar::transcript(const QString& hypothesis) {
    const QString words = hypothesis.simplified();
    if (words != wakePhrase && !words.startsWith(wakePhrase + QLatin1Char(' '))) {
        return {};
    }
    return withSpokenNumbersAsDigits(words);
}

} // namespace orbix
