#pragma once
// Failures of one Responses-API exchange, each with its user-facing description.

#include <QString>

namespace orbix {

struct OpenAIProviderError {
    enum class Kind {
        apiError,        // the server's or the provider's own message
        invalidResponse, // the reply was not a usable HTTP reply or not a JSON object
        emptyOutput,     // the reply held no output text
        requestFailed,   // a transport failure or a failure to obtain the identity token
    };

    Kind kind = Kind::invalidResponse;
    QString message; // apiError and requestFailed: the description

    static OpenAIProviderError apiError(QString message) { return {Kind::apiError, std::move(message)}; }
    static OpenAIProviderError invalidResponse() { return {Kind::invalidResponse, {}}; }
    static OpenAIProviderError emptyOutput() { return {Kind::emptyOutput, {}}; }
    static OpenAIProviderError requestFailed(QString description) {
        return {Kind::requestFailed, std::move(description)};
    }

    QString description() const {
        switch (kind) {
        case Kind::invalidResponse:
            return QStringLiteral("The OpenAI server returned an invalid response.");
        case Kind::emptyOutput:
            return QStringLiteral("The OpenAI response did not include text output.");
        case Kind::apiError:
        case Kind::requestFailed:
            break;
        }
        return message;
    }

    friend bool operator==(const OpenAIProviderError&, const OpenAIProviderError&) = default;
};

} // namespace orbix
