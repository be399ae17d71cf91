#include "services/ProductUpdateService.h"

#include <QNetworkAccessManager>
#include <QTimer>
#include <limits>

namespace orbix {

namespace {

const QString kLatestVersionPath = QStringLiteral("/latest-version");

// A leading run of numeric characters read as a decimal integer; 0 when the run is empty, holds digits
// that are not ASCII, or does not fit.
qint64 leadingNumber(QStringView piece) {
    std::vector<char32_t> run;
    for (const uint c : piece.toUcs4()) {
        if (!QChar::isNumber(c)) {
            break;
        }
        run.push_back(c);
    }
    qint64 value = 0;
    for (const char32_t c : run) {
        if (c < U'0' || c > U'9') {
            return 0;
        }
        const int digit = int(c - U'0');
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10) {
            return 0;
        }
        value = value * 10 + digit;
    }
    return value;
}

// Only web addresses are opened with the system's default handler.
std::optional<QUrl> downloadAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        return std::nullopt;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QStringLiteral("https") && scheme != QStringLiteral("http")) {
        return std::nullopt;
    }
    return url;
}

} // namespace

ProductUpdateService::ProductUpdateService(QNetworkAccessManager& session, NetworkSettings settings)
    : session_(&session), settings_(std::move(settings)) {}

std::vector<qint64> ProductUpdateService::numericVersionParts(const QString& version) {
    std::vector<qint64> parts;
    for (const QStringView piece : QStringView(version).split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        parts.push_back(leadingNumber(piece));
    }
    return parts;
}

std::strong_ordering ProductUpdateService::compareVersions(const QString& a, const QString& b) {
    const auto left = numericVersionParts(a);
    const auto right = numericVersionParts(b);
    const size_t count = std::max(left.size(), right.size());
    for (size_t i = 0; i < count; ++i) {
        const qint64 l = i < left.size() ? left[i] : 0;
        const qint64 r = i < right.size() ? right[i] : 0;
        if (l != r) {
            return l <=> r;
        }
    }
    return std::strong_ordering::equal;
}

Result<ProductUpdatePayload, DecodingError> ProductUpdateService::decodeResponse(const QByteArray& body) {
    using R = Result<ProductUpdatePayload, DecodingError>;
    const auto root = decodeObject(body);
    if (!root) {
        return R::failure(root.error());
    }
    const auto update = requiredObject(root.value(), QStringLiteral("update"));
    if (!update) {
        return R::failure(update.error());
    }
    ProductUpdatePayload payload;
    const std::pair<const char*, QString*> members[] = {
        {"latestVersion", &payload.latestVersion},
        {"minimumVersion", &payload.minimumVersion},
        {"releaseNotes", &payload.releaseNotes},
        {"downloadUrl", &payload.downloadUrl},
    };
    for (const auto& [name, target] : members) {
        const auto member = requiredString(update.value(), QString::fromLatin1(name));
        if (!member) {
            return R::failure(member.error());
        }
        *target = member.value();
    }
    const auto modeText = requiredString(update.value(), QStringLiteral("mode"));
    if (!modeText) {
        return R::failure(modeText.error());
    }
    const auto mode = enumFromRawValue<ProductUpdateMode>(modeText.value());
    if (!mode) {
        return R::failure(DecodingError::wrongFormat);
    }
    payload.mode = *mode;
    return R::success(std::move(payload));
}

std::optional<ProductUpdate> ProductUpdateService::updateFor(const ProductUpdatePayload& payload,
                                                             const QString& runningVersion) {
    if (compareVersions(payload.latestVersion, runningVersion) != std::strong_ordering::greater) {
        return std::nullopt;
    }
    const auto url = downloadAddress(payload.downloadUrl);
    if (!url) {
        return std::nullopt;
    }
    return ProductUpdate{payload.latestVersion, payload.minimumVersion, payload.mode, payload.releaseNotes,
                         *url};
}

void ProductUpdateService::loadPayload(const ProductConfiguration& configuration,
                                       PayloadCompletion completion) const {
    const auto url = configuration.productEndpoint(kLatestVersionPath);
    if (!url) {
        QTimer::singleShot(0, session_, [completion = std::move(completion)] {
            completion(PayloadResult::failure(ProductUpdateServiceError::invalidURL));
        });
        return;
    }
    HttpRequest request;
    request.method = HttpMethod::get;
    request.url = *url;
    request.timeout = settings_.requestTimeout;
    sendHttpRequest(*session_, request, [completion = std::move(completion)](HttpOutcome outcome) {
        if (!outcome) {
            completion(PayloadResult::failure(outcome.error()));
            return;
        }
        if (!outcome.value().isHttpSuccess()) {
            completion(PayloadResult::success(std::nullopt));
            return;
        }
        auto payload = decodeResponse(outcome.value().body);
        if (!payload) {
            completion(PayloadResult::failure(payload.error()));
            return;
        }
        completion(PayloadResult::success(std::move(payload.value())));
    });
}

void ProductUpdateService::availableUpdate(const ProductConfiguration& configuration,
                                           UpdateCompletion completion) const {
    loadPayload(configuration, [runningVersion = configuration.appVersion,
                                completion = std::move(completion)](PayloadResult loaded) {
        if (!loaded) {
            completion(UpdateResult::failure(loaded.error()));
            return;
        }
        if (!loaded.value()) {
            completion(UpdateResult::success(std::nullopt));
            return;
        }
        completion(UpdateResult::success(updateFor(*loaded.value(), runningVersion)));
    });
}

} // namespace orbix
