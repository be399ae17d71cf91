#pragma once
// Why a Realtime voice session could not start or went on failing; description() is the sentence shown
// to the user.

#include <QString>

namespace orbix {

struct RealtimeVoiceError {
    enum class Kind {
        openAINotConfigured, // detail: the name of the missing key setting
        apiError,            // detail: the message itself
        invalidURL,
        invalidResponse,
        notConnected,
        microphoneDenied,
        audioConversionUnavailable,
    };

    Kind kind = Kind::apiError;
    QString detail;

    static RealtimeVoiceError openAINotConfigured(QString keyName) {
        return {Kind::openAINotConfigured, std::move(keyName)};
    }
    static RealtimeVoiceError apiError(QString message) { return {Kind::apiError, std::move(message)}; }
    static RealtimeVoiceError of(Kind kind) { return {kind, {}}; }

    QString description() const;

    friend bool operator==(const RealtimeVoiceError&, const RealtimeVoiceError&) = default;
};

} // namespace orbix
