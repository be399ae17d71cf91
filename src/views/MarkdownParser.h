#pragma once
// The small line-based Markdown subset of artifact bodies: three heading levels, bullets, numbered items,
// paragraphs, blank-line spacers, bold spans and inline code spans. Pure functions, no widgets, so tests and
// the fuzzer reach them without a screen.

#include <QList>
#include <QString>
#include <QStringView>
#include <QUuid>

namespace orbix::views {

struct MarkdownElement {
    enum class Kind { h1, h2, h3, bullet, numbered, paragraph, spacer };

    QUuid id; // fresh on every parse; identity for list rendering only
    Kind kind = Kind::paragraph;
    QString text;
};

// Where the line that starts at `from` ends and where the next one starts, after its line break (a
// carriage return followed by a line feed is one break). The last line ends, with no next one, at the
// text's size.
struct LineBounds {
    qsizetype end = 0;
    qsizetype next = 0;
};
LineBounds lineBoundsFrom(QStringView markdown, qsizetype from);

// The number of lines parseMarkdownLines makes of the text.
qsizetype markdownLineCount(QStringView markdown);

// Splits the text into lines and classifies each one. A carriage return followed by a line feed is one
// line break; any other newline character (LF, CR, VT, FF, NEL, LS, PS) ends a line on its own.
QList<MarkdownElement> parseMarkdownLines(QStringView markdown);

// A text with bold and code character ranges, the markers removed.
struct StyledText {
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
        friend bool operator==(const Span&, const Span&) = default;
    };
    // A stretch of text in one style, for rendering.
    struct Run {
        qsizetype start = 0;
        qsizetype length = 0;
        bool bold = false;
        bool code = false;
    };
    QString text;
    QList<Span> boldSpans; // in text order, not overlapping
    QList<Span> codeSpans; // in text order, not overlapping; may overlap bold ones

    // The whole text cut where its style changes, in order.
    QList<Run> runs() const;
    // The text as Qt rich text (escaped, bold spans in <b>, code in <code>, white space kept).
    QString toHtml() const;
};

// Pairs of "**" make the text between them bold; a marker without a partner stays visible. Then, in what
// is left, pairs of "`" make the text between them code; an empty pair or a backtick without a partner
// stays visible.
StyledText parseInlineStyles(QStringView text);
// The code rule alone, for texts that are not Markdown bodies (the conversation's replies).
StyledText parseCodeSpans(QStringView text);

} // namespace orbix::views
