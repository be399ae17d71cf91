#include "voice/RealtimeServerError.h"

#include <array>

namespace orbix::realtime {

namespace {

const QString defaultMessage = QStringLiteral("Realtime API error.");

constexpr std::array benignMessages{"no active response found", "already has an active response"};
// Codes of request errors after which the session is of no use: its credential or the session itself is
// gone, or the account may not use it.
constexpr std::array fatalCodes{"session_expired", "invalid_api_key", "insufficient_quota", "session_not_found",
                                "invalid_session", "unauthorized",    "account_deactivated"};

bool containsAny(const QString& text, const auto& needles) {
    for (const char* needle : needles) {
        if (text.contains(QLatin1String(needle), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

} // namespace

ServerError classifyServerError(const QJsonObject& event) {
    const QJsonObject error = event.value(QStringLiteral("error")).toObject();
    const QJsonValue message = error.value(QStringLiteral("message"));
    ServerError classified{message.isString() ? message.toString() : defaultMessage};
    if (containsAny(classified.message, benignMessages)) {
        classified.severity = ServerErrorSeverity::benign;
        return classified;
    }
    // Only a request error the server attributes to one client event is known to leave the session usable;
    // server errors, authentication and anything unclassified end it.
    const QString type = error.value(QStringLiteral("type")).toString();
    const QString code = error.value(QStringLiteral("code")).toString();
    const bool isRequestError = type == QLatin1String("invalid_request_error");
    const bool isFatalCode = containsAny(code, fatalCodes);
    classified.severity =
        isRequestError && !isFatalCode ? ServerErrorSeverity::recoverable : ServerErrorSeverity::fatal;
    return classified;
}

} // namespace orbix::realtime
