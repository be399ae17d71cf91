#pragma once
// String-valued enumerations: each enumeration specialises EnumRawValues with a table of its cases and raw
// values (in declaration order). The raw value doubles as the case's identity; building a case from an
// unknown raw value yields nothing.

#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace orbix {

template <typename E>
struct EnumRawValues; // specialise: static constexpr std::array<std::pair<E, std::string_view>, N> table

template <typename E>
QString rawValue(E value) {
    for (const auto& [candidate, raw] : EnumRawValues<E>::table) {
        if (candidate == value) {
            return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
        }
    }
    return {};
}

template <typename E>
std::optional<E> enumFromRawValue(QStringView raw) {
    for (const auto& [candidate, text] : EnumRawValues<E>::table) {
        if (raw == QString::fromUtf8(text.data(), qsizetype(text.size()))) {
            return candidate;
        }
    }
    return std::nullopt;
}

template <typename E>
std::vector<E> allCases() {
    std::vector<E> cases;
    for (const auto& entry : EnumRawValues<E>::table) {
        cases.push_back(entry.first);
    }
    return cases;
}

} // namespace orbix
