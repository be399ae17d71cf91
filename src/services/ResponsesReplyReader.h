#pragma once
// Reading a Responses-API reply: the model's output text from the HTTP reply, and that text (a JSON object
// with "message", optional "action" and optional "artifact") mapped to an AssistantResponse. Pure functions
// of untrusted input; none of them fails on any input.

#include "core/ConversationRecords.h"
#include "services/HttpExchange.h"
#include "services/OpenAIProviderError.h"
#include "services/Result.h"

#include <QString>
#include <QStringList>

namespace orbix::ResponsesReplyReader {

// The output text of a reply: "output_text" when it holds text, else the "output_text" parts of the
// "output" items joined by line feeds; trimmed. A non-2xx status becomes apiError("HTTP <code> <body>")
// with every occurrence of a secret in the body replaced by a placeholder.
Result<QString, OpenAIProviderError> outputText(const HttpReply& reply, const QStringList& secrets = {});

// The model's text without surrounding white space and without an enclosing code fence.
QString cleanJsonString(QStringView text);

// The model's text as a response: the parsed message, artifact and action when the cleaned text is a JSON
// object, otherwise the text itself, unchanged, as the message.
AssistantResponse assistantResponse(const QString& modelText);

// A response holding only an assistant message (typed mode).
AssistantResponse messageOnly(QString message);

// The text with every occurrence of each non-empty secret replaced by a placeholder.
QString redacted(QString text, const QStringList& secrets);

} // namespace orbix::ResponsesReplyReader
