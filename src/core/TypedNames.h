#pragma once
// Folder paths and style names as people type them inside a request: quoted with straight or typographic
// quotes, starting with "~", or followed by the photos they are meant for ("… to these photos").

#include <QString>
#include <QStringView>
#include <optional>

namespace orbix::text {

// The text with every character inside a quoted span replaced by U+0001, offsets kept, so that markers
// such as " from " are looked for outside quotes only. A span opens with ", ', “ or ‘ at the start or
// after white space and closes with the matching quote (", ', ” or ’) at the end or before white space
// or punctuation; an apostrophe inside a word ("Mike's") opens nothing.
QString maskedQuotedSpans(QStringView text);

// When the text, after leading white space, starts with a quoted span, the text inside it.
std::optional<QString> leadingQuotedText(QStringView text);

// Whether the text is wrapped in a matching pair of quotes (straight or typographic).
bool isWrappedInMatchingQuotes(QStringView text);

// "~" and a leading "~/" stand for the user's home folder; other paths are returned unchanged.
QString expandedHomePath(const QString& path);

// The name cut before a trailing phrase naming the photos it is for: "Soft Matte to these photos" and
// "Warm Portrait to the selected" give "Soft Matte" and "Warm Portrait".
QString withoutTargetPhrase(QStringView name);

} // namespace orbix::text
