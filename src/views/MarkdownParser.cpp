#include "views/MarkdownParser.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

namespace orbix::views {
namespace {

constexpr QStringView kBoldMarker = u"**";

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A: // line feed
    case 0x000B: // vertical tab
    case 0x000C: // form feed
    case 0x000D: // carriage return
    case 0x0085: // next line
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        return false;
    }
}

bool isSpaceOrTab(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimSpacesAndTabs(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text[begin])) {
        ++begin;
    }
    while (end > begin && isSpaceOrTab(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

// Digits, a full stop, one white-space character. Digits and white space in the Unicode sense.
const QRegularExpression& numberedItemPattern() {
    static const QRegularExpression pattern(QStringLiteral("^\\d+\\.\\s"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

MarkdownElement element(MarkdownElement::Kind kind, QStringView text) {
    return MarkdownElement{QUuid::createUuid(), kind, text.toString()};
}

MarkdownElement classify(QStringView rawLine) {
    using Kind = MarkdownElement::Kind;
    const QStringView line = trimSpacesAndTabs(rawLine);
    if (line.isEmpty()) {
        return element(Kind::spacer, {});
    }
    // Markers and the kinds they start, in the order they are tried; the text after a marker is kept as is.
    struct Marker {
        QStringView prefix;
        Kind kind;
    };
    static constexpr Marker markers[] = {
        {u"# ", Kind::h1},     {u"## ", Kind::h2},    {u"### ", Kind::h3},
        {u"- ", Kind::bullet}, {u"* ", Kind::bullet},
    };
    for (const Marker& marker : markers) {
        if (line.startsWith(marker.prefix)) {
            return element(marker.kind, line.sliced(marker.prefix.size()));
        }
    }
    if (numberedItemPattern().match(line.toString()).hasMatch()) {
        const qsizetype fullStop = line.indexOf(QLatin1Char('.'));
        return element(Kind::numbered, trimSpacesAndTabs(line.sliced(fullStop + 1)));
    }
    return element(Kind::paragraph, line);
}

} // namespace

LineBounds lineBoundsFrom(QStringView markdown, qsizetype from) {
    for (qsizetype index = from; index < markdown.size(); ++index) {
        if (!isLineBreak(markdown[index])) {
            continue;
        }
        // Windows line endings: the line feed after a carriage return belongs to the same break.
        const bool crlf = markdown[index] == QLatin1Char('\r') && index + 1 < markdown.size() &&
                          markdown[index + 1] == QLatin1Char('\n');
        return {index, index + (crlf ? 2 : 1)};
    }
    return {markdown.size(), markdown.size()};
}

QList<MarkdownElement> parseMarkdownLines(QStringView markdown) {
    QList<MarkdownElement> elements;
    qsizetype lineStart = 0;
    while (true) {
        const LineBounds line = lineBoundsFrom(markdown, lineStart);
        elements.append(classify(markdown.sliced(lineStart, line.end - lineStart)));
        if (line.end == markdown.size()) {
            return elements;
        }
        lineStart = line.next;
    }
}

qsizetype markdownLineCount(QStringView markdown) {
    qsizetype lines = 1;
    for (qsizetype start = 0;; ++lines) {
        const LineBounds line = lineBoundsFrom(markdown, start);
        if (line.end == markdown.size()) {
            return lines;
        }
        start = line.next;
    }
}

namespace {

constexpr QChar codeMarker = u'`';

// Marks, per character, whether it lies in one of the spans.
std::vector<bool> flagsOf(const QList<StyledText::Span>& spans, qsizetype size) {
    std::vector<bool> flags(size_t(size), false);
    for (const StyledText::Span& span : spans) {
        std::fill(flags.begin() + span.start, flags.begin() + span.start + span.length, true);
    }
    return flags;
}

// The maximal runs of flagged characters.
QList<StyledText::Span> spansOf(const std::vector<bool>& flags) {
    QList<StyledText::Span> spans;
    for (qsizetype i = 0; i < qsizetype(flags.size()); ++i) {
        if (!flags[size_t(i)]) {
            continue;
        }
        if (!spans.isEmpty() && spans.last().start + spans.last().length == i) {
            ++spans.last().length;
        } else {
            spans.append({i, 1});
        }
    }
    return spans;
}

StyledText parseBold(QStringView text) {
    // Each opening marker pairs with the next marker after it; the text between is bold and both markers
    // go. Searching on after the closing marker gives the same result as removing the pair and starting
    // over from the beginning: nothing before the closing marker can form a new pair.
    StyledText styled;
    styled.text.reserve(text.size());
    qsizetype cursor = 0;
    while (true) {
        const qsizetype open = text.indexOf(kBoldMarker, cursor);
        if (open < 0) {
            break;
        }
        const qsizetype close = text.indexOf(kBoldMarker, open + kBoldMarker.size());
        if (close < 0) {
            break;
        }
        styled.text += text.sliced(cursor, open - cursor);
        const QStringView bold = text.sliced(open + kBoldMarker.size(), close - open - kBoldMarker.size());
        if (!bold.isEmpty()) {
            styled.boldSpans.append({styled.text.size(), bold.size()});
            styled.text += bold;
        }
        cursor = close + kBoldMarker.size();
    }
    styled.text += text.sliced(cursor);
    return styled;
}

// Applies the code rule to an already styled text: each backtick pairs with the next one, the text
// between becomes code and both markers go; bold flags follow their characters.
StyledText withCodeSpans(StyledText styled) {
    if (!styled.text.contains(codeMarker)) {
        return styled;
    }
    const std::vector<bool> bold = flagsOf(styled.boldSpans, styled.text.size());
    QString text;
    std::vector<bool> boldOut;
    std::vector<bool> codeOut;
    text.reserve(styled.text.size());
    const auto copy = [&](qsizetype from, qsizetype to, bool code) {
        text += QStringView(styled.text).sliced(from, to - from);
        boldOut.insert(boldOut.end(), bold.begin() + from, bold.begin() + to);
        codeOut.insert(codeOut.end(), size_t(to - from), code);
    };
    qsizetype cursor = 0;
    while (true) {
        const qsizetype open = styled.text.indexOf(codeMarker, cursor);
        const qsizetype close = open < 0 ? -1 : styled.text.indexOf(codeMarker, open + 1);
        if (close < 0) {
            break;
        }
        if (close == open + 1) {
            copy(cursor, close + 1, false); // "``" is two backticks, not an empty span
        } else {
            copy(cursor, open, false);
            copy(open + 1, close, true);
        }
        cursor = close + 1;
    }
    copy(cursor, styled.text.size(), false);
    return {text, spansOf(boldOut), spansOf(codeOut)};
}

} // namespace

StyledText parseCodeSpans(QStringView text) {
    return withCodeSpans({text.toString(), {}, {}});
}

StyledText parseInlineStyles(QStringView text) {
    return withCodeSpans(parseBold(text));
}

QList<StyledText::Run> StyledText::runs() const {
    const std::vector<bool> bold = flagsOf(boldSpans, text.size());
    const std::vector<bool> code = flagsOf(codeSpans, text.size());
    QList<Run> result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool isBold = bold[size_t(i)];
        const bool isCode = code[size_t(i)];
        if (!result.isEmpty() && result.last().bold == isBold && result.last().code == isCode) {
            ++result.last().length;
        } else {
            result.append({i, 1, isBold, isCode});
        }
    }
    return result;
}

QString StyledText::toHtml() const {
    QString html = QStringLiteral("<span style=\"white-space: pre-wrap;\">");
    for (const Run& run : runs()) {
        QString piece = text.sliced(run.start, run.length).toHtmlEscaped();
        if (run.code) {
            piece = QStringLiteral("<code>") + piece + QStringLiteral("</code>");
        }
        if (run.bold) {
            piece = QStringLiteral("<b>") + piece + QStringLiteral("</b>");
        }
        html += piece;
    }
    html += QStringLiteral("</span>");
    return html;
}

} // namespace orbix::views
