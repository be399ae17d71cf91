#include "platform/linux/ApplicationBundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <plist/plist.h>

namespace orbix::bundle {

namespace {

const QString noInfoPlistText = QStringLiteral("The application bundle %1 has no readable Info.plist.");
const QString noExecutableNameText =
    QStringLiteral("The Info.plist of %1 does not name a usable executable (CFBundleExecutable).");
const QString missingExecutableText = QStringLiteral("The application executable %1 does not exist.");
const QString notExecutableText = QStringLiteral("The application executable %1 is not an executable file.");

// Info.plist files are small; anything larger is not one.
constexpr qint64 maximumInfoPlistBytes = 4 * 1024 * 1024;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPointer = std::unique_ptr<void, PlistDeleter>;

PlistPointer readInfoPlist(const QString& bundlePath) {
    QFile file(QDir(bundlePath).filePath(QStringLiteral("Contents/Info.plist")));
    if (file.size() > maximumInfoPlistBytes || !file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    QByteArray data = file.readAll();
    // A UTF-8 byte-order mark before an XML plist makes libplist refuse it.
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3);
    }
    if (data.isEmpty()) {
        return nullptr;
    }
    plist_t root = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &root);
    if (root && plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return nullptr;
    }
    return PlistPointer(root);
}

std::optional<QString> stringValue(plist_t dictionary, const char* key) {
    plist_t node = plist_dict_get_item(dictionary, key);
    if (!node || plist_get_node_type(node) != PLIST_STRING) {
        return std::nullopt;
    }
    char* value = nullptr;
    plist_get_string_val(node, &value);
    if (!value) {
        return std::nullopt;
    }
    QString text = QString::fromUtf8(value);
    free(value);
    return text;
}

} // namespace

std::optional<QString> infoString(const QString& bundlePath, const char* key) {
    const PlistPointer root = readInfoPlist(bundlePath);
    if (!root) {
        return std::nullopt;
    }
    return stringValue(root.get(), key);
}

std::variant<QString, QString> executableToLaunch(const QString& bundlePath) {
    using Result = std::variant<QString, QString>;
    const PlistPointer root = readInfoPlist(bundlePath);
    if (!root) {
        return Result(std::in_place_index<1>, noInfoPlistText.arg(bundlePath));
    }
    const QString name = stringValue(root.get(), "CFBundleExecutable").value_or(QString());
    // The name is a file inside Contents/MacOS, never a path that leads out of the bundle.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") ||
        name == QLatin1String(".")) {
        return Result(std::in_place_index<1>, noExecutableNameText.arg(bundlePath));
    }
    const QString path = QDir(bundlePath).filePath(QStringLiteral("Contents/MacOS/") + name);
    const QFileInfo info(path);
    if (!info.exists()) {
        return Result(std::in_place_index<1>, missingExecutableText.arg(path));
    }
    if (!info.isFile() || !info.isExecutable()) {
        return Result(std::in_place_index<1>, notExecutableText.arg(path));
    }
    return Result(std::in_place_index<0>, path);
}

std::optional<QString> enclosingBundle(const QString& filePath) {
    // Pure path arithmetic: the folders need not exist.
    QString folder = QFileInfo(QDir::cleanPath(QFileInfo(filePath).absoluteFilePath())).path();
    while (folder.size() > 1) {
        const QFileInfo info(folder);
        if (info.fileName().endsWith(QLatin1String(".app"), Qt::CaseInsensitive)) {
            return folder;
        }
        folder = info.path();
    }
    return std::nullopt;
}

FrontmostApplication applicationForExecutable(const QString& executablePath) {
    const auto bundlePath = enclosingBundle(executablePath);
    if (!bundlePath) {
        return {QFileInfo(executablePath).fileName(), std::nullopt};
    }
    QString name = infoString(*bundlePath, "CFBundleDisplayName").value_or(QString());
    if (name.isEmpty()) {
        name = QFileInfo(*bundlePath).fileName();
        name.chop(4); // ".app"
    }
    return {name, QUrl::fromLocalFile(*bundlePath)};
}

} // namespace orbix::bundle
