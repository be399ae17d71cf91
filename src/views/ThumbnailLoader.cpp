#include "views/ThumbnailLoader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutexLocker>
#include <QTransform>
#include <array>
#include <libraw/libraw.h>
#include <memory>

namespace orbix::views {
namespace {

constexpr std::array kRawExtensions{"dng", "arw", "cr2", "cr3", "nef", "nrw",
                                    "raf", "rw2", "orf", "pef", "srw", "x3f"};

// Scales to cover the square and keeps its centre.
QImage squareCrop(const QImage& image, int pixelSize) {
    if (image.isNull()) {
        return {};
    }
    QImage scaled = image;
    if (image.width() != pixelSize && image.height() != pixelSize) {
        scaled = image.scaled(pixelSize, pixelSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    }
    const int side = qMin(scaled.width(), scaled.height());
    QImage square = scaled.copy((scaled.width() - side) / 2, (scaled.height() - side) / 2, side, side);
    if (side != pixelSize) {
        square = square.scaled(pixelSize, pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return square.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Reads through the decoder at the smallest size that still covers the square.
QImage readScaled(QImageReader& reader, int pixelSize) {
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && full.width() > pixelSize && full.height() > pixelSize) {
        reader.setScaledSize(full.scaled(pixelSize, pixelSize, Qt::KeepAspectRatioByExpanding));
    }
    return squareCrop(reader.read(), pixelSize);
}

// LibRaw's orientation code for the sensor data, applied to its embedded preview.
QImage oriented(const QImage& image, int flip) {
    switch (flip) {
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 5:
        return image.transformed(QTransform().rotate(-90));
    case 6:
        return image.transformed(QTransform().rotate(90));
    default:
        return image;
    }
}

QImage rawEmbeddedThumbnail(const QString& path, int pixelSize) {
    using RawHandle = std::unique_ptr<libraw_data_t, decltype(&libraw_close)>;
    RawHandle raw(libraw_init(0), &libraw_close);
    if (!raw || libraw_open_file(raw.get(), QFile::encodeName(path).constData()) != LIBRAW_SUCCESS ||
        libraw_unpack_thumb(raw.get()) != LIBRAW_SUCCESS) {
        return {};
    }
    int error = LIBRAW_SUCCESS;
    using ThumbHandle = std::unique_ptr<libraw_processed_image_t, decltype(&libraw_dcraw_clear_mem)>;
    ThumbHandle thumb(libraw_dcraw_make_mem_thumb(raw.get(), &error), &libraw_dcraw_clear_mem);
    if (!thumb || error != LIBRAW_SUCCESS) {
        return {};
    }
    const int flip = raw->sizes.flip;
    if (thumb->type == LIBRAW_IMAGE_JPEG) {
        QByteArray bytes =
            QByteArray::fromRawData(reinterpret_cast<const char*>(thumb->data), int(thumb->data_size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        return oriented(readScaled(reader, pixelSize), flip);
    }
    if (thumb->type == LIBRAW_IMAGE_BITMAP && thumb->colors == 3 && thumb->bits == 8) {
        const QImage bitmap(thumb->data, thumb->width, thumb->height, thumb->width * 3, QImage::Format_RGB888);
        return oriented(squareCrop(bitmap, pixelSize), flip);
    }
    return {};
}

QString fileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return QString();
    }
    return QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(':') +
           QString::number(info.size());
}

} // namespace

ThumbnailLoader::ThumbnailLoader(int pixelSize, QObject* parent) : QObject(parent), pixelSize_(pixelSize) {
    // Leave a core for the GUI thread on small machines; decoding is I/O and CPU bound.
    pool_.setMaxThreadCount(qMax(1, QThread::idealThreadCount() - 1));
}

ThumbnailLoader::~ThumbnailLoader() {
    pool_.clear();
    pool_.waitForDone();
}

bool ThumbnailLoader::isRawFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const char* extension : kRawExtensions) {
        if (suffix == QLatin1String(extension)) {
            return true;
        }
    }
    return false;
}

QImage ThumbnailLoader::decodeThumbnail(const QString& path, int pixelSize) {
    if (isRawFile(path)) {
        QImage embedded = rawEmbeddedThumbnail(path, pixelSize);
        if (!embedded.isNull()) {
            return embedded;
        }
    }
    QImageReader reader(path);
    return readScaled(reader, pixelSize);
}

std::optional<QImage> ThumbnailLoader::thumbnail(const QString& path) {
    QMutexLocker lock(&mutex_);
    const auto cached = cache_.constFind(path);
    if (cached != cache_.constEnd()) {
        return cached->image;
    }
    if (!pending_.contains(path)) {
        pending_.insert(path);
        lock.unlock();
        load(path);
    }
    return std::nullopt;
}

void ThumbnailLoader::revalidate() {
    QStringList paths;
    {
        QMutexLocker lock(&mutex_);
        for (auto entry = cache_.constBegin(); entry != cache_.constEnd(); ++entry) {
            if (!pending_.contains(entry.key())) {
                pending_.insert(entry.key());
                paths.append(entry.key());
            }
        }
    }
    for (const QString& path : std::as_const(paths)) {
        load(path);
    }
}

void ThumbnailLoader::retainOnly(const QSet<QString>& paths) {
    QMutexLocker lock(&mutex_);
    cache_.removeIf([&paths](const decltype(cache_)::iterator entry) { return !paths.contains(entry.key()); });
}

void ThumbnailLoader::waitForDone() {
    pool_.waitForDone();
}

void ThumbnailLoader::load(const QString& path) {
    pool_.start([this, path] {
        const QString stamp = fileStamp(path);
        {
            QMutexLocker lock(&mutex_);
            const auto cached = cache_.constFind(path);
            if (cached != cache_.constEnd() && cached->stamp == stamp) {
                pending_.remove(path);
                return;
            }
        }
        const QImage image = stamp.isEmpty() ? QImage() : decodeThumbnail(path, pixelSize_);
        QMutexLocker lock(&mutex_);
        cache_.insert(path, CachedThumbnail{stamp, image});
        pending_.remove(path);
        ready_.append(path);
        if (!deliveryScheduled_) {
            deliveryScheduled_ = true;
            // Posted to the loader's thread; the destructor drains the pool before the loader goes.
            QMetaObject::invokeMethod(this, &ThumbnailLoader::deliver, Qt::QueuedConnection);
        }
    });
}

void ThumbnailLoader::deliver() {
    QStringList paths;
    {
        QMutexLocker lock(&mutex_);
        paths.swap(ready_);
        deliveryScheduled_ = false;
    }
    if (!paths.isEmpty()) {
        emit thumbnailsReady(paths);
    }
}

} // namespace orbix::views
