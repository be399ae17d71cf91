#pragma once
// What the wake recogniser listens for, as a JSGF grammar: the wake phrase alone or followed by one of the
// short commands the local command parser understands, a phrasing of the local grammar (generated from the
// same vocabulary the typed road reads, so what can be typed can be said), an answer to a question, or
// "confirm" / "cancel" (the answers a command that changes many properties waits for). The grammar decides
// which words were said, not whether the wake phrase was: every utterance is fitted to it, so the decoder
// confirms the wake phrase by keyphrase spotting before it reports anything.

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace orbix {

struct CommandGrammar {
    // The grammar's own words, the first of the hypothesis when the wake phrase was heard.
    static const QString wakePhrase;

    // Whether the recogniser's dictionary holds a word.
    using KnownWord = std::function<bool(const QString& word)>;

    // The JSGF text; its public rule is "utterance". With decoys, words that sound like the wake word
    // ("hey orbit", "hey robin") compete with it, and an utterance that fits them better is no wake. The
    // local grammar's phrasings are generated from its vocabulary; with a dictionary test, phrasings with a
    // word the recogniser does not know are left out.
    static QString jsgf(bool withDecoys = true, const KnownWord& knownWord = {});
    // Words of the grammar that the en-us dictionary lacks, with their phones.
    static std::vector<std::pair<QString, QString>> extraDictionaryWords();
    // The transcript of a hypothesis: the wake phrase and its command with numbers as digits; empty when
    // the hypothesis does not start with the wake phrase (pocketsphinx found no path through the grammar).
    static QString transcript(const QString& hypothesis);
};

} // namespace orbix
