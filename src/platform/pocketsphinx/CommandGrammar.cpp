#include "platform/pocketsphinx/CommandGrammar.h"

#include "captureone/CaptureOneSliderPromptParser.h"
#include "core/SpokenNumbers.h"

namespace orbix {

const QString CommandGrammar::wakePhrase = QStringLiteral("hey orbix");

namespace {

// The commands of the local parser, in the words people say them; numbers are spoken words that the
// transcript turns into digits. Every sentence must read as intended by the parser's phrase matching:
// "clone the variant" or "clear the pick" would not ("clear the pick" even reads as a pick). The answers
// are what a command that changes many properties waits for.
constexpr const char* commandRules = R"(
<command> = <action> | <rating> | <colorTag> | <slider> | <answer>;
<answer> = confirm | cancel;
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

} // namespace

QString CommandGrammar::jsgf(bool withDecoys) {
    QString grammar = QStringLiteral("#JSGF V1.0;\ngrammar orbix;\n");
    grammar += QStringLiteral("public <utterance> = <wake> [<command>];\n");
    grammar += withDecoys ? QStringLiteral("<wake> = %1 | hey (orbit | orbits | robin | oprah | or bricks);\n")
                                .arg(wakePhrase)
                          : QStringLiteral("<wake> = %1;\n").arg(wakePhrase);
    grammar += QString::fromUtf8(commandRules);
    grammar += QStringLiteral("<sliderName> = %1;\n")
                   .arg(CaptureOneSliderPromptParser::sliderWords.join(QStringLiteral(" | ")));
    return grammar;
}

std::vector<std::pair<QString, QString>> CommandGrammar::extraDictionaryWords() {
    return {{QStringLiteral("orbix"), QStringLiteral("AO R B IH K S")},
            {QStringLiteral("unpick"), QStringLiteral("AH N P IH K")}};
}

QString CommandGrammar::transcript(const QString& hypothesis) {
    const QString words = hypothesis.simplified();
    if (words != wakePhrase && !words.startsWith(wakePhrase + QLatin1Char(' '))) {
        return {};
    }
    return withSpokenNumbersAsDigits(words);
}

} // namespace orbix
