// Untrusted input: the body of a Responses-API reply (or of the back end's proxy) and the model text in it.
#include "services/ResponsesReplyReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orbix;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const auto text = ResponsesReplyReader::outputText(HttpReply{200, bytes}, {QStringLiteral("sk-secret")});
    if (text) {
        ResponsesReplyReader::assistantResponse(text.value());
    }
    const auto failed = ResponsesReplyReader::outputText(HttpReply{429, bytes}, {QStringLiteral("sk-secret")});
    if (!failed && failed.error().description().contains(QStringLiteral("sk-secret"))) {
        __builtin_trap(); // a secret survived redaction
    }

    const QString modelText = QString::fromUtf8(bytes);
    ResponsesReplyReader::cleanJsonString(modelText);
    const AssistantResponse response = ResponsesReplyReader::assistantResponse(modelText);
    if (response.artifacts.size() > 1) {
        __builtin_trap();
    }
    return 0;
}
