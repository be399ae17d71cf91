#pragma once
// Asks the back end which version of the product is current and reports an update when it is newer than
// the running build. Nothing is downloaded or installed here.
//
// Contract: availableUpdate calls its completion exactly once, from the event loop. A non-2xx reply means
// "no information" (no update, no error); an undecodable reply, a transport failure or an unusable
// back-end URL is an error, which the caller is expected to drop silently.

#include "core/EnumRawValues.h"
#include "services/HttpExchange.h"
#include "services/JsonDecoding.h"
#include "services/NetworkSettings.h"
#include "services/ProductConfiguration.h"
#include "services/Result.h"

#include <QString>
#include <QUrl>
#include <compare>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QNetworkAccessManager;

namespace orbix {

enum class ProductUpdateMode { recommended, required };

template <>
struct EnumRawValues<ProductUpdateMode> {
    static constexpr std::array<std::pair<ProductUpdateMode, std::string_view>, 2> table{{
        {ProductUpdateMode::recommended, "recommended"},
        {ProductUpdateMode::required, "required"},
    }};
};

struct ProductUpdate {
    QString latestVersion;
    QString minimumVersion;
    ProductUpdateMode mode = ProductUpdateMode::recommended;
    QString releaseNotes;
    QUrl downloadURL;

    friend bool operator==(const ProductUpdate&, const ProductUpdate&) = default;
};

// The "update" member of the back end's latest-version reply; every member is required.
struct ProductUpdatePayload {
    QString latestVersion;
    QString minimumVersion;
    ProductUpdateMode mode = ProductUpdateMode::recommended;
    QString releaseNotes;
    QString downloadUrl;

    friend bool operator==(const ProductUpdatePayload&, const ProductUpdatePayload&) = default;
};

enum class ProductUpdateServiceError { invalidURL };

class ProductUpdateService {
public:
    using Failure = std::variant<ProductUpdateServiceError, DecodingError, NetworkFailure>;
    using UpdateResult = Result<std::optional<ProductUpdate>, Failure>;
    using UpdateCompletion = std::function<void(UpdateResult)>;
    using PayloadResult = Result<std::optional<ProductUpdatePayload>, Failure>;
    using PayloadCompletion = std::function<void(PayloadResult)>;

    explicit ProductUpdateService(QNetworkAccessManager& session,
                                  NetworkSettings settings = NetworkSettings::resolved());

    void availableUpdate(const ProductConfiguration& configuration, UpdateCompletion completion) const;
    void loadPayload(const ProductConfiguration& configuration, PayloadCompletion completion) const;

    // The reply body's "update" record.
    static Result<ProductUpdatePayload, DecodingError> decodeResponse(const QByteArray& body);
    // The update a payload announces for the running version: none when it is not strictly newer or when
    // its download address is not a web page address.
    static std::optional<ProductUpdate> updateFor(const ProductUpdatePayload& payload,
                                                  const QString& runningVersion);
    // Dotted version numbers compared part by part, a missing part counting as 0.
    static std::strong_ordering compareVersions(const QString& a, const QString& b);
    // The numeric parts of a version: each non-empty dot-separated piece's leading digits, or 0.
    static std::vector<qint64> numericVersionParts(const QString& version);

private:
    QNetworkAccessManager* session_;
    NetworkSettings settings_;
};

} // namespace orbix
