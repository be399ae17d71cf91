#include "core/TypedNames.h"

#include "core/WordMatching.h"

#include <QDir>
#include <QRegularExpression>

namespace orbix::text {

namespace {

constexpr char16_t kMaskCharacter = 0x0001;

// The closing quote for an opening one, or 0 when the character opens nothing.
char16_t closingQuote(QChar opening) {
    switch (opening.unicode()) {
    case u'"':
        return u'"';
    case u'\'':
        return u'\'';
    case u'\u201C':
        return u'\u201D';
    case u'\u2018':
        return u'\u2019';
    default:
        return 0;
    }
}

// Offset of the quote that closes a span opened at `open`, or -1.
qsizetype closingQuoteOffset(QStringView text, qsizetype open) {
    const char16_t closing = closingQuote(text[open]);
    if (closing == 0 || (open > 0 && !text[open - 1].isSpace())) {
        return -1;
    }
    for (qsizetype at = open + 1; at < text.size(); ++at) {
        if (text[at] == closing && at > open + 1 && (at + 1 == text.size() || !isWordCharacter(text[at + 1]))) {
            return at;
        }
    }
    return -1;
}

} // namespace

QString maskedQuotedSpans(QStringView text) {
    QString masked = text.toString();
    for (qsizetype at = 0; at < masked.size(); ++at) {
        const qsizetype close = closingQuoteOffset(text, at);
        if (close < 0) {
            continue;
        }
        for (qsizetype inside = at + 1; inside < close; ++inside) {
            masked[inside] = QChar(kMaskCharacter);
        }
        at = close;
    }
    return masked;
}

std::optional<QString> leadingQuotedText(QStringView text) {
    qsizetype open = 0;
    while (open < text.size() && text[open].isSpace()) {
        ++open;
    }
    if (open >= text.size()) {
        return std::nullopt;
    }
    // The span test wants white space before an opening quote; the start of the text counts as such.
    const qsizetype close = closingQuoteOffset(text.mid(open), 0);
    if (close < 0) {
        return std::nullopt;
    }
    return text.mid(open + 1, close - 1).toString();
}

bool isWrappedInMatchingQuotes(QStringView text) {
    return text.size() >= 2 && closingQuote(text.front()) != 0 &&
           text.back() == QChar(closingQuote(text.front()));
}

QString expandedHomePath(const QString& path) {
    if (path == QStringLiteral("~")) {
        return QDir::homePath();
    }
    if (path.startsWith(QStringLiteral("~/"))) {
        return QDir::homePath() + path.mid(1);
    }
    return path;
}

QString withoutTargetPhrase(QStringView name) {
    static const QRegularExpression target(
        QStringLiteral("\\s+(?:to|on|for)\\s+(?:these|those|this|selected|the\\s+selected|the\\s+current|"
                       "(?:(?:the|my|all(?:\\s+the|\\s+my)?)\\s+)?(?:imported\\s+)?(?:photos?|images?|pictures?"
                       "|variants?))"
                       "(?![\\p{L}\\p{N}]).*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = target.match(name);
    return match.hasMatch() ? name.left(match.capturedStart(0)).toString() : name.toString();
}

} // namespace orbix::text
