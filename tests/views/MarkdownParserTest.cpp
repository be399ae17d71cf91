#include "views/MarkdownParser.h"

#include <gtest/gtest.h>

using namespace orbix::views;
using Kind = MarkdownElement::Kind;

namespace {

struct Block {
    Kind kind;
    QString text;
    friend bool operator==(const Block&, const Block&) = default;
};

void PrintTo(const Block& block, std::ostream* out) {
    *out << int(block.kind) << ":\"" << block.text.toStdString() << "\"";
}

std::vector<Block> blocks(const QString& markdown) {
    std::vector<Block> result;
    for (const MarkdownElement& element : parseMarkdownLines(markdown)) {
        result.push_back({element.kind, element.text});
    }
    return result;
}

} // namespace

TEST(MarkdownParser, LineGrammar) {
    const struct {
        QString markdown;
        std::vector<Block> expected;
    } cases[] = {
        {"", {{Kind::spacer, ""}}},
        {"   \t ", {{Kind::spacer, ""}}},
        {"# Title", {{Kind::h1, "Title"}}},
        {"## Section ## with hashes", {{Kind::h2, "Section ## with hashes"}}},
        {"  ### Word  ", {{Kind::h3, "Word"}}},
        {"##Word", {{Kind::paragraph, "##Word"}}},
        {"#### Four", {{Kind::paragraph, "#### Four"}}},
        {"- item", {{Kind::bullet, "item"}}},
        {"-  spaced", {{Kind::bullet, " spaced"}}},
        {"* star", {{Kind::bullet, "star"}}},
        {"+ plus", {{Kind::paragraph, "+ plus"}}},
        {"1. First", {{Kind::numbered, "First"}}},
        {"12.\tTabbed", {{Kind::numbered, "Tabbed"}}},
        {"2. Raise exposure by 0.5 stops", {{Kind::numbered, "Raise exposure by 0.5 stops"}}},
        {"3.Word", {{Kind::paragraph, "3.Word"}}},
        {"a\n\n\nb", {{Kind::paragraph, "a"}, {Kind::spacer, ""}, {Kind::spacer, ""}, {Kind::paragraph, "b"}}},
        // A carriage return and line feed are one break; each on its own is one too.
        {"# A\r\n- b\r\nc", {{Kind::h1, "A"}, {Kind::bullet, "b"}, {Kind::paragraph, "c"}}},
        {"a\rb\u2028c", {{Kind::paragraph, "a"}, {Kind::paragraph, "b"}, {Kind::paragraph, "c"}}},
        {"a\r\n\r\nb", {{Kind::paragraph, "a"}, {Kind::spacer, ""}, {Kind::paragraph, "b"}}},
        {"a\n\rb", {{Kind::paragraph, "a"}, {Kind::spacer, ""}, {Kind::paragraph, "b"}}},
        {"end\n", {{Kind::paragraph, "end"}, {Kind::spacer, ""}}},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(blocks(example.markdown), example.expected) << example.markdown.toStdString();
        EXPECT_EQ(markdownLineCount(example.markdown), qsizetype(example.expected.size()))
            << example.markdown.toStdString();
    }
}

TEST(MarkdownParser, EveryParseGivesFreshIdentifiers) {
    const auto first = parseMarkdownLines(u"a\nb");
    const auto second = parseMarkdownLines(u"a\nb");
    EXPECT_NE(first[0].id, first[1].id);
    EXPECT_NE(first[0].id, second[0].id);
}

TEST(MarkdownParser, BoldSpans) {
    using Span = StyledText::Span;
    const struct {
        QString text;
        QString shown;
        QList<Span> bold;
    } cases[] = {
        {"plain", "plain", {}},
        {"a **bold** word", "a bold word", {{2, 4}}},
        {"**one** and **two**", "one and two", {{0, 3}, {8, 3}}},
        {"a ** b", "a ** b", {}},
        {"x ** y ** z", "x  y  z", {{2, 3}}},
        {"**open only", "**open only", {}},
        {"****", "", {}},
        {"***a***", "*a*", {{0, 2}}},
        {"*single* and _under_", "*single* and _under_", {}},
        {"**a** **b** **", "a b **", {{0, 1}, {2, 1}}},
    };
    for (const auto& example : cases) {
        const StyledText styled = parseInlineStyles(example.text);
        EXPECT_EQ(styled.text, example.shown) << example.text.toStdString();
        EXPECT_EQ(styled.boldSpans, example.bold) << example.text.toStdString();
    }
}

TEST(MarkdownParser, CodeSpansAfterTheBoldRule) {
    struct Case {
        QString text;
        QString shown;
        QList<StyledText::Span> bold;
        QList<StyledText::Span> code;
    };
    const QList<Case> cases = {
        {"set `ORBIX_OPENAI_API_KEY` first", "set ORBIX_OPENAI_API_KEY first", {}, {{4, 20}}},
        {"one ` alone", "one ` alone", {}, {}},
        {"empty `` pair", "empty `` pair", {}, {}},
        {"`a` and `b`", "a and b", {}, {{0, 1}, {6, 1}}},
        {"**bold `code` bold**", "bold code bold", {{0, 14}}, {{5, 4}}},
        {"`**not a pair` **", "not a pair ", {{0, 11}}, {{0, 10}}},
        {"`x **y` z**", "x y z", {{2, 3}}, {{0, 3}}},
    };
    for (const auto& example : cases) {
        const StyledText styled = parseInlineStyles(example.text);
        EXPECT_EQ(styled.text, example.shown) << example.text.toStdString();
        EXPECT_EQ(styled.boldSpans, example.bold) << example.text.toStdString();
        EXPECT_EQ(styled.codeSpans, example.code) << example.text.toStdString();
    }
    const StyledText reply = parseCodeSpans(u"keep **this** and `that`");
    EXPECT_EQ(reply.text, "keep **this** and that") << "replies take the code rule only";
    EXPECT_EQ(reply.toHtml(),
              "<span style=\"white-space: pre-wrap;\">keep **this** and <code>that</code></span>");
}

TEST(MarkdownParser, RichTextEscapesTheText) {
    const StyledText styled = parseInlineStyles(u"<img src=x> & **<b>**");
    EXPECT_EQ(styled.toHtml(), "<span style=\"white-space: pre-wrap;\">&lt;img src=x&gt; &amp; "
                               "<b>&lt;b&gt;</b></span>");
}
