#include "captureone/BundleInfo.h"

#include "core/RegularFile.h"

#include <memory>
#include <plist/plist.h>

namespace orbix {

namespace {
struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
} // namespace

QHash<QString, QString> BundleInfo::stringProperties(const QString& bundlePath) {
    return read(bundlePath).value_or(QHash<QString, QString>());
}

std::optional<QHash<QString, QString>> BundleInfo::read(const QString& bundlePath) {
    // Info.plist files are small; anything larger is not one.
    constexpr qint64 maximumBytes = 4 * 1024 * 1024;
    // Opened without blocking: a FIFO in a scanned folder must not hang the scan.
    const std::optional<QByteArray> content = files::readRegularFile(
        bundlePath + QStringLiteral("/Contents/Info.plist"), maximumBytes, files::Links::follow);
    if (!content) {
        return std::nullopt;
    }
    return parseStringProperties(*content);
}

std::optional<QHash<QString, QString>> BundleInfo::parseStringProperties(const QByteArray& data) {
    QByteArray bytes = data;
    // libplist refuses XML that starts with a byte-order mark; editors do write one.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<uint32_t>::max()) {
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    std::unique_ptr<void, PlistDeleter> owner(root);
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        return std::nullopt;
    }
    QHash<QString, QString> properties;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(root, &iterator);
    if (!iterator) {
        return std::nullopt;
    }
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, iterator, &key, &value);
        if (!value) {
            free(key);
            break;
        }
        if (key && plist_get_node_type(value) == PLIST_STRING) {
            char* text = nullptr;
            plist_get_string_val(value, &text);
            if (text) {
                properties.insert(QString::fromUtf8(key), QString::fromUtf8(text));
                free(text);
            }
        }
        free(key);
    }
    free(iterator);
    return properties;
}

} // namespace orbix
