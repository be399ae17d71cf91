// Untrusted input: artifact bodies written by the text model. The parser must never fail, its spans must
// lie inside the text, the one-pass bold rule must agree with the rule as stated (remove the first pair of
// markers and start over until no pair is left), and code spans may only take backticks away.
#include "views/MarkdownParser.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The bold rule done literally: per-character bold flags, markers removed pair by pair.
orbix::views::StyledText boldByRemovingPairs(const QString& input) {
    QString text = input;
    std::vector<bool> bold(size_t(text.size()), false);
    while (true) {
        const qsizetype open = text.indexOf(QStringLiteral("**"));
        const qsizetype close = open < 0 ? -1 : text.indexOf(QStringLiteral("**"), open + 2);
        if (close < 0) {
            break;
        }
        for (qsizetype i = open + 2; i < close; ++i) {
            bold[size_t(i)] = true;
        }
        text.remove(close, 2);
        bold.erase(bold.begin() + close, bold.begin() + close + 2);
        text.remove(open, 2);
        bold.erase(bold.begin() + open, bold.begin() + open + 2);
    }
    orbix::views::StyledText styled{text, {}};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!bold[size_t(i)]) {
            continue;
        }
        if (!styled.boldSpans.isEmpty() &&
            styled.boldSpans.last().start + styled.boldSpans.last().length == i) {
            ++styled.boldSpans.last().length;
        } else {
            styled.boldSpans.append({i, 1});
        }
    }
    return styled;
}

// Adjacent spans (two pairs with nothing between them) count as one run of bold characters.
QList<orbix::views::StyledText::Span> merged(QList<orbix::views::StyledText::Span> spans) {
    QList<orbix::views::StyledText::Span> result;
    for (const auto& span : spans) {
        if (!result.isEmpty() && result.last().start + result.last().length == span.start) {
            result.last().length += span.length;
        } else {
            result.append(span);
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orbix::views;
    const QString markdown = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<MarkdownElement> elements = parseMarkdownLines(markdown);
    if (elements.isEmpty()) {
        __builtin_trap(); // even an empty text is one spacer
    }
    for (const MarkdownElement& element : elements) {
        if (element.kind == MarkdownElement::Kind::spacer && !element.text.isEmpty()) {
            __builtin_trap();
        }
        const StyledText styled = parseInlineStyles(element.text);
        for (const QList<StyledText::Span>* spans : {&styled.boldSpans, &styled.codeSpans}) {
            qsizetype end = 0;
            for (const StyledText::Span& span : *spans) {
                if (span.start < end || span.length <= 0 || span.start + span.length > styled.text.size()) {
                    __builtin_trap();
                }
                end = span.start + span.length;
            }
        }
        // Code spans come after the bold rule and only take their two backticks away (two spans side by
        // side read as one run of code).
        const StyledText literal = boldByRemovingPairs(element.text);
        const qsizetype removedBackticks =
            literal.text.count(QLatin1Char('`')) - styled.text.count(QLatin1Char('`'));
        if (removedBackticks % 2 != 0 || removedBackticks < 2 * styled.codeSpans.size() ||
            (removedBackticks == 0) != styled.codeSpans.isEmpty() ||
            literal.text.size() - removedBackticks != styled.text.size()) {
            __builtin_trap();
        }
        if (!element.text.contains(QLatin1Char('`')) &&
            (literal.text != styled.text || literal.boldSpans != merged(styled.boldSpans) ||
             !styled.codeSpans.isEmpty())) {
            __builtin_trap();
        }
        qsizetype covered = 0;
        for (const StyledText::Run& run : styled.runs()) {
            if (run.start != covered || run.length <= 0) {
                __builtin_trap();
            }
            covered += run.length;
        }
        if (covered != styled.text.size()) {
            __builtin_trap();
        }
        (void)styled.toHtml();
    }
    return 0;
}
