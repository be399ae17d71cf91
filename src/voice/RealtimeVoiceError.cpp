#include "voice/RealtimeVoiceError.h"

namespace orbix {

QString RealtimeVoiceError::description() const {
    switch (kind) {
    case Kind::openAINotConfigured:
        return QStringLiteral("OpenAI is not configured. Add ") + detail + QStringLiteral(" to .env.local.");
    case Kind::apiError:
        return detail;
    case Kind::invalidURL:
        return QStringLiteral("The Realtime API URL is invalid.");
    case Kind::invalidResponse:
        return QStringLiteral("The Realtime API response was invalid.");
    case Kind::notConnected:
        return QStringLiteral("Realtime is not connected.");
    case Kind::microphoneDenied:
#ifdef Q_OS_MACOS
        return QStringLiteral(
            "Microphone access was denied. Enable it in System Settings to test Realtime voice.");
#else
        // There is no permission prompt here: capture is refused only when no input device exists.
        return QStringLiteral("No microphone was found. Connect a microphone to use Realtime voice.");
#endif
    case Kind::audioConversionUnavailable:
        return QStringLiteral("Could not prepare microphone audio conversion.");
    }
    return detail;
}

} // namespace orbix
