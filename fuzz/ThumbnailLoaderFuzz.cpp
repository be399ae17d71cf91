// Untrusted input: the bytes of a photo in an imported folder. They are written to a temporary file
// under one of the names the tray imports (the first byte picks the extension, so the RAW path through
// LibRaw is reached as well as Qt's readers) and go through the loader's whole chain: the checked open,
// the decode from that handle, the crop. The thumbnail must be the tile's size or null.
#include "views/ThumbnailLoader.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int kTile = 64;
constexpr std::array kNames{"photo.jpg", "photo.png", "photo.tif", "photo.dng", "photo.nef", "photo.heic"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Image format plugins are found through the application's library paths.
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    if (size == 0) {
        return 0;
    }
    const QString path = folder.filePath(QString::fromLatin1(kNames[data[0] % kNames.size()]));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        __builtin_trap();
    }
    file.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    file.close();
    const QImage image = orbix::views::ThumbnailLoader::decodeThumbnail(path, kTile);
    if (!image.isNull() && image.size() != QSize(kTile, kTile)) {
        __builtin_trap();
    }
    QFile::remove(path);
    return 0;
}
