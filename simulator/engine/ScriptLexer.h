#pragma once
// Splits AppleScript source into tokens: words, literals, operators and line ends. Comments and line
// continuations (¬) are dropped here. Errors are syntax errors with the offending range.

#include "engine/ScriptError.h"

#include <QString>
#include <variant>
#include <vector>

namespace orbix::c1sim {

struct Token {
    enum class Kind { Word, QuotedWord, String, Integer, Real, Symbol, LineEnd, End };
    Kind kind = Kind::End;
    QString text; // Word: lower-cased; QuotedWord: the name between bars; String: the decoded text;
                  // Symbol: the operator ("(", "&", "<=", "≠" …)
    qint64 integer = 0;
    double real = 0;
    int start = 0;
    int end = 0;

    bool isWord(QStringView word) const { return kind == Kind::Word && text == word; }
    bool isSymbol(QStringView symbol) const { return kind == Kind::Symbol && text == symbol; }
};

// The tokens of the whole script, ending with one End token; or the first lexical error.
std::variant<std::vector<Token>, ScriptError> tokenize(const QString& source);

} // namespace orbix::c1sim
