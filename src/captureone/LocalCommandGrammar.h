#pragma once
// Reads a typed or spoken request into one action of the action table without the network, in the words of
// CommandVocabulary: adjustment names and aliases, numbers as digits or words with their units, relative
// words, colour-tag names, crop ratios, layer and mask phrasings, several adjustments in one sentence. A
// request that names an action but lacks what it needs becomes a question instead.
//
// The command parser's rules come first (LocalCommands): this grammar reads only what they leave.

#include "core/ComputerUseArguments.h"

#include <QString>
#include <optional>
#include <variant>

namespace orbix {

// A request that named its action without the value it needs.
struct LocalQuestion {
    enum class Missing { value, colour, stars };
    Missing missing = Missing::value;
    // The action to run once the answer gives what is missing.
    ComputerUseArguments partial;

    // "To what value?", "Which colour?" or "How many stars?".
    QString text() const;
};

using LocalReading = std::variant<ComputerUseArguments, LocalQuestion>;

namespace localgrammar {

std::optional<LocalReading> read(const QString& text);
// The question's action completed by the answer; none when the answer does not give what was asked.
std::optional<ComputerUseArguments> answer(const LocalQuestion& question, const QString& text);

} // namespace localgrammar

} // namespace orbix
