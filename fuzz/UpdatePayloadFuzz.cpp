// Untrusted input: the back end's latest-version reply and the version texts in it.
#include "services/ProductUpdateService.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orbix;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto payload = ProductUpdateService::decodeResponse(bytes);
    if (payload) {
        ProductUpdateService::updateFor(payload.value(), QStringLiteral("1.2.3"));
    }
    const QString text = QString::fromUtf8(bytes);
    const auto order = ProductUpdateService::compareVersions(text, QStringLiteral("1.0"));
    const auto reverse = ProductUpdateService::compareVersions(QStringLiteral("1.0"), text);
    if ((order == std::strong_ordering::less) != (reverse == std::strong_ordering::greater)) {
        __builtin_trap(); // comparison must be antisymmetric
    }
    for (const qint64 part : ProductUpdateService::numericVersionParts(text)) {
        if (part < 0) {
            __builtin_trap();
        }
    }
    return 0;
}
