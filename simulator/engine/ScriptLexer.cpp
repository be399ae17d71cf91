#include "engine/ScriptLexer.h"

#include <cmath>
#include <limits>

namespace orbix::c1sim {
namespace {

const QString kUnterminatedString = QStringLiteral("Expected “\"” but found end of script.");
const QString kUnterminatedComment = QStringLiteral("Expected “*)” but found end of script.");
const QString kUnknownToken = QStringLiteral("Expected expression but found unknown token.");
const QString kBadEscape = QStringLiteral("Expected “\"” but found unknown token.");
const QString kBadBar = QStringLiteral("Expected “|” but found end of line.");
const QString kBadNumber = QStringLiteral("Expected expression but found unknown token.");

constexpr QChar kContinuation = QChar(0x00AC); // ¬

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x00A0) || c == QLatin1Char('\f') ||
           c == QLatin1Char('\v');
}
bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

ScriptError syntaxError(const QString& message, int start, int end) {
    return ScriptError{message, errnum::kSyntax, start, end};
}

} // namespace

std::variant<std::vector<Token>, ScriptError> tokenize(const QString& source) {
    std::vector<Token> tokens;
    const int n = int(source.size());
    int i = 0;
    auto push = [&](Token::Kind kind, QString text, int start, int end) {
        Token token;
        token.kind = kind;
        token.text = std::move(text);
        token.start = start;
        token.end = end;
        tokens.push_back(std::move(token));
    };
    auto pushLineEnd = [&](int start, int end) {
        if (!tokens.empty() && tokens.back().kind != Token::Kind::LineEnd) {
            push(Token::Kind::LineEnd, QString(), start, end);
        }
    };

    while (i < n) {
        const QChar c = source[i];
        if (isBlank(c)) {
            ++i;
            continue;
        }
        if (c == kContinuation) {
            // A continuation joins the next line to this one: skip blanks and exactly one line break.
            int j = i + 1;
            while (j < n && isBlank(source[j])) {
                ++j;
            }
            if (j < n && source[j] == QLatin1Char('\r')) {
                ++j;
            }
            if (j < n && source[j] == QLatin1Char('\n')) {
                ++j;
            }
            i = j;
            continue;
        }
        if (isLineBreak(c)) {
            pushLineEnd(i, i + 1);
            ++i;
            continue;
        }
        if (c == QLatin1Char('#') ||
            (c == QLatin1Char('-') && i + 1 < n && source[i + 1] == QLatin1Char('-'))) {
            while (i < n && !isLineBreak(source[i])) {
                ++i;
            }
            continue;
        }
        if (c == QLatin1Char('(') && i + 1 < n && source[i + 1] == QLatin1Char('*')) {
            const int start = i;
            int depth = 0;
            while (i < n) {
                if (source[i] == QLatin1Char('(') && i + 1 < n && source[i + 1] == QLatin1Char('*')) {
                    ++depth;
                    i += 2;
                } else if (source[i] == QLatin1Char('*') && i + 1 < n && source[i + 1] == QLatin1Char(')')) {
                    i += 2;
                    if (--depth == 0) {
                        break;
                    }
                } else {
                    ++i;
                }
            }
            if (depth != 0) {
                return syntaxError(kUnterminatedComment, start, n);
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            const int start = i++;
            QString text;
            bool closed = false;
            while (i < n) {
                const QChar d = source[i];
                if (d == QLatin1Char('"')) {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == QLatin1Char('\\')) {
                    if (i + 1 >= n) {
                        break;
                    }
                    const QChar e = source[i + 1];
                    if (e == QLatin1Char('"') || e == QLatin1Char('\\')) {
                        text += e;
                    } else if (e == QLatin1Char('n')) {
                        text += QLatin1Char('\n');
                    } else if (e == QLatin1Char('r')) {
                        text += QLatin1Char('\r');
                    } else if (e == QLatin1Char('t')) {
                        text += QLatin1Char('\t');
                    } else {
                        return syntaxError(kBadEscape, i, i + 2);
                    }
                    i += 2;
                    continue;
                }
                text += d;
                ++i;
            }
            if (!closed) {
                return syntaxError(kUnterminatedString, start, n);
            }
            push(Token::Kind::String, std::move(text), start, i);
            continue;
        }
        if (c == QLatin1Char('|')) {
            const int start = i++;
            QString name;
            while (i < n && source[i] != QLatin1Char('|') && !isLineBreak(source[i])) {
                name += source[i++];
            }
            if (i >= n || source[i] != QLatin1Char('|')) {
                return syntaxError(kBadBar, start, i);
            }
            ++i;
            push(Token::Kind::QuotedWord, std::move(name), start, i);
            continue;
        }
        if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(source[i + 1]))) {
            const int start = i;
            bool isReal = false;
            while (i < n && isDigit(source[i])) {
                ++i;
            }
            if (i < n && source[i] == QLatin1Char('.') && i + 1 < n && isDigit(source[i + 1])) {
                isReal = true;
                ++i;
                while (i < n && isDigit(source[i])) {
                    ++i;
                }
            } else if (i < n && source[i] == QLatin1Char('.') && !(i + 1 < n && isAsciiLetter(source[i + 1]))) {
                isReal = true; // "12." is a real, as in AppleScript
                ++i;
            }
            if (i < n && (source[i] == QLatin1Char('e') || source[i] == QLatin1Char('E'))) {
                int j = i + 1;
                if (j < n && (source[j] == QLatin1Char('+') || source[j] == QLatin1Char('-'))) {
                    ++j;
                }
                if (j < n && isDigit(source[j])) {
                    isReal = true;
                    i = j;
                    while (i < n && isDigit(source[i])) {
                        ++i;
                    }
                }
            }
            if (i < n && (isAsciiLetter(source[i]) || source[i] == QLatin1Char('_'))) {
                return syntaxError(kBadNumber, start, i + 1);
            }
            const QString text = source.mid(start, i - start);
            Token token;
            token.start = start;
            token.end = i;
            token.text = text;
            bool ok = false;
            const qint64 integer = isReal ? 0 : text.toLongLong(&ok);
            if (!isReal && ok) {
                token.kind = Token::Kind::Integer;
                token.integer = integer;
            } else {
                token.kind = Token::Kind::Real;
                token.real = text.toDouble(&ok);
                if (!ok || !std::isfinite(token.real)) {
                    return syntaxError(kBadNumber, start, i);
                }
            }
            tokens.push_back(std::move(token));
            continue;
        }
        if (isAsciiLetter(c) || c == QLatin1Char('_')) {
            const int start = i;
            while (i < n && (isAsciiLetter(source[i]) || isDigit(source[i]) || source[i] == QLatin1Char('_'))) {
                ++i;
            }
            push(Token::Kind::Word, source.mid(start, i - start).toLower(), start, i);
            continue;
        }
        // Operators and punctuation.
        static const QString twoCharacter[] = {QStringLiteral("<="), QStringLiteral(">="),
                                               QStringLiteral("<>")};
        bool matched = false;
        for (const QString& op : twoCharacter) {
            if (source.mid(i, 2) == op) {
                push(Token::Kind::Symbol, op == QStringLiteral("<>") ? QStringLiteral("≠") : op, i, i + 2);
                i += 2;
                matched = true;
                break;
            }
        }
        if (matched) {
            continue;
        }
        static const QString single = QStringLiteral("(){},:&+-*/=<>≠≤≥");
        if (single.contains(c)) {
            QString op(c);
            if (c == QChar(0x2264)) {
                op = QStringLiteral("<=");
            } else if (c == QChar(0x2265)) {
                op = QStringLiteral(">=");
            }
            push(Token::Kind::Symbol, op, i, i + 1);
            ++i;
            continue;
        }
        return syntaxError(kUnknownToken, i, i + 1);
    }
    pushLineEnd(n, n);
    push(Token::Kind::End, QString(), n, n);
    return tokens;
}

} // namespace orbix::c1sim
