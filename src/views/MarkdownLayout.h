#pragma once
// The look of each kind of Markdown line, shared by the block view and the long-body text view so that a
// body looks the same in either: spacing between blocks, the text style of each kind and its margins.

#include "views/InspectorStyle.h"
#include "views/MarkdownParser.h"

namespace orbix::views::markdownLayout {

inline constexpr int kBlockSpacing = 10;
inline constexpr int kBulletGap = 6;
inline constexpr int kNumberedIndent = 12;
inline constexpr int kSpacerHeight = 4;
inline constexpr int kParagraphExtraLineSpacing = 3;

struct BlockLook {
    TextStyle style = TextStyle::Body;
    QFont::Weight weight = QFont::Normal;
    int topMargin = 0;
    int bottomMargin = 0;
    int leftMargin = 0;
};

inline BlockLook lookOf(MarkdownElement::Kind kind) {
    using Kind = MarkdownElement::Kind;
    switch (kind) {
    case Kind::h1:
        return {TextStyle::Title, QFont::Bold, 12, 4, 0};
    case Kind::h2:
        return {TextStyle::Title2, QFont::Bold, 8, 2, 0};
    case Kind::h3:
        return {TextStyle::Title3, QFont::Bold, 6, 0, 0};
    case Kind::numbered:
        return {TextStyle::Body, QFont::Normal, 0, 0, kNumberedIndent};
    case Kind::bullet:
    case Kind::paragraph:
    case Kind::spacer:
        break;
    }
    return {};
}

} // namespace orbix::views::markdownLayout
