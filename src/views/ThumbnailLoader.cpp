#include "views/ThumbnailLoader.h"

#include "core/RegularFile.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>
#include <QTransform>
#include <algorithm>
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

// LibRaw reads several kinds of embedded preview; only JPEG previews are unpacked here. The readers of
// the bitmap kinds in LibRaw 0.20 write past their buffers on crafted files (the thumbnail fuzzer found
// one within seconds), and which reader a file gets is only known from LibRaw's protected state.
class EmbeddedPreviewReader : public LibRaw {
public:
    bool previewIsJpeg() const { return write_thumb == &EmbeddedPreviewReader::jpeg_thumb; }
};

// Reads the already opened file through its descriptor's name, so LibRaw reads the file that was checked
// and not whatever the photo's path names by now.
QImage rawEmbeddedThumbnail(const QFile& file, int pixelSize) {
    const auto raw = std::make_unique<EmbeddedPreviewReader>();
    const QByteArray descriptorPath = QByteArrayLiteral("/dev/fd/") + QByteArray::number(file.handle());
    if (raw->open_file(descriptorPath.constData()) != LIBRAW_SUCCESS || !raw->previewIsJpeg() ||
        raw->unpack_thumb() != LIBRAW_SUCCESS) {
        return {};
    }
    int error = LIBRAW_SUCCESS;
    using ThumbHandle = std::unique_ptr<libraw_processed_image_t, decltype(&LibRaw::dcraw_clear_mem)>;
    ThumbHandle thumb(raw->dcraw_make_mem_thumb(&error), &LibRaw::dcraw_clear_mem);
    if (!thumb || error != LIBRAW_SUCCESS || thumb->type != LIBRAW_IMAGE_JPEG) {
        return {};
    }
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(thumb->data), int(thumb->data_size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    return oriented(readScaled(reader, pixelSize), raw->imgdata.sizes.flip);
}

QString fileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return QString();
    }
    return QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(':') +
           QString::number(info.size());
}

// More workers than that, each waiting on a decode that was given up, would only pile up threads.
constexpr int kMostReplacedWorkers = 4;
// How long the destructor lets decodes in progress finish before it leaves them behind.
constexpr int kExitGraceMs = 500;

// Pools left behind with a stuck worker, kept reachable until the process ends.
void keepUntilExit(QThreadPool* pool) {
    static QMutex mutex;
    static auto* abandoned = new QList<QThreadPool*>();
    QMutexLocker lock(&mutex);
    abandoned->append(pool);
}

} // namespace

struct ThumbnailLoader::Shared {
    struct CachedThumbnail {
        QString stamp; // modification time and size of the file that was decoded
        QImage image;
    };

    QMutex mutex;
    QHash<QString, CachedThumbnail> cache;
    QSet<QString> pending;                 // queued or being decoded
    QHash<QString, QElapsedTimer> running; // being decoded, since when
    QSet<QString> overdue;                 // given up while their decode still runs
    QStringList ready;
    int workers = 1; // the pool's own size, before workers stuck in a decode are replaced
    bool deliveryScheduled = false;
    ThumbnailLoader* owner = nullptr; // null once the loader is gone

    // Called under the mutex whenever the overdue decodes change.
    void resize(QThreadPool& pool) const {
        pool.setMaxThreadCount(workers + std::min(int(overdue.size()), kMostReplacedWorkers));
    }
};

ThumbnailLoader::ThumbnailLoader(int pixelSize, QObject* parent)
    : ThumbnailLoader(pixelSize, &ThumbnailLoader::decodeThumbnail, kDecodeTimeLimit, parent) {}

ThumbnailLoader::ThumbnailLoader(int pixelSize, Decoder decoder, std::chrono::milliseconds timeLimit,
                                 QObject* parent)
    : QObject(parent), pixelSize_(pixelSize), decoder_(std::move(decoder)), timeLimit_(timeLimit),
      pool_(new QThreadPool), shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
    // Leave a core for the GUI thread on small machines; decoding is I/O and CPU bound.
    shared_->workers = qMax(1, QThread::idealThreadCount() - 1);
    shared_->resize(*pool_);
    watchdog_.setInterval(std::max(timeLimit_ / 4, std::chrono::milliseconds(10)));
    connect(&watchdog_, &QTimer::timeout, this, &ThumbnailLoader::giveUpOverdueDecodes);
}

ThumbnailLoader::~ThumbnailLoader() {
    {
        QMutexLocker lock(&shared_->mutex);
        shared_->owner = nullptr;
    }
    pool_->clear();
    // A worker blocked in a system call cannot be interrupted; its thread ends with the process.
    if (pool_->waitForDone(kExitGraceMs)) {
        delete pool_;
    } else {
        keepUntilExit(pool_);
    }
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
    // Links are followed: a photo linked into a folder of one's own is still that photo. What the link
    // reaches must be a regular file.
    QFile file;
    if (!files::openRegularFile(file, path, files::Links::follow)) {
        return {};
    }
    if (isRawFile(path)) {
        QImage embedded = rawEmbeddedThumbnail(file, pixelSize);
        if (!embedded.isNull()) {
            return embedded;
        }
    }
    QImageReader reader(&file);
    return readScaled(reader, pixelSize);
}

std::optional<QImage> ThumbnailLoader::thumbnail(const QString& path) {
    QMutexLocker lock(&shared_->mutex);
    const auto cached = shared_->cache.constFind(path);
    if (cached != shared_->cache.constEnd()) {
        return cached->image;
    }
    if (!shared_->pending.contains(path)) {
        shared_->pending.insert(path);
        lock.unlock();
        load(path);
    }
    return std::nullopt;
}

void ThumbnailLoader::revalidate() {
    QStringList paths;
    {
        QMutexLocker lock(&shared_->mutex);
        for (auto entry = shared_->cache.constBegin(); entry != shared_->cache.constEnd(); ++entry) {
            if (!shared_->pending.contains(entry.key())) {
                shared_->pending.insert(entry.key());
                paths.append(entry.key());
            }
        }
    }
    for (const QString& path : std::as_const(paths)) {
        load(path);
    }
}

void ThumbnailLoader::retainOnly(const QSet<QString>& paths) {
    QMutexLocker lock(&shared_->mutex);
    shared_->cache.removeIf(
        [&paths](const decltype(Shared::cache)::iterator entry) { return !paths.contains(entry.key()); });
}

void ThumbnailLoader::waitForDone() {
    pool_->waitForDone();
}

void ThumbnailLoader::load(const QString& path) {
    if (!watchdog_.isActive()) {
        watchdog_.start();
    }
    // The task holds the shared state and the pool, not the loader, which may be gone when it ends.
    pool_->start([shared = shared_, pool = pool_, decoder = decoder_, pixelSize = pixelSize_, path] {
        {
            QMutexLocker lock(&shared->mutex);
            if (!shared->owner) {
                shared->pending.remove(path);
                return;
            }
            shared->running[path].start();
        }
        const QString stamp = fileStamp(path);
        bool unchanged = false;
        {
            QMutexLocker lock(&shared->mutex);
            const auto cached = shared->cache.constFind(path);
            unchanged = cached != shared->cache.constEnd() && cached->stamp == stamp;
        }
        const QImage image = unchanged || stamp.isEmpty() ? QImage() : decoder(path, pixelSize);

        QMutexLocker lock(&shared->mutex);
        shared->running.remove(path);
        shared->pending.remove(path);
        if (shared->overdue.remove(path)) {
            shared->resize(*pool);
        }
        if (unchanged) {
            return;
        }
        shared->cache.insert(path, Shared::CachedThumbnail{stamp, image});
        shared->ready.append(path);
        if (shared->owner && !shared->deliveryScheduled) {
            shared->deliveryScheduled = true;
            // Posted under the lock that the destructor takes first, so the loader is still there; the
            // event goes with it if it is destroyed before the event is handled.
            QMetaObject::invokeMethod(shared->owner, &ThumbnailLoader::deliver, Qt::QueuedConnection);
        }
    });
}

void ThumbnailLoader::giveUpOverdueDecodes() {
    bool gaveUp = false;
    {
        QMutexLocker lock(&shared_->mutex);
        for (auto entry = shared_->running.constBegin(); entry != shared_->running.constEnd(); ++entry) {
            const QString& path = entry.key();
            if (shared_->overdue.contains(path) || entry.value().elapsed() < timeLimit_.count()) {
                continue;
            }
            // The placeholder shows now; the stamp stays empty, so the file is decoded again when it
            // is next revalidated.
            shared_->overdue.insert(path);
            shared_->cache.insert(path, Shared::CachedThumbnail{QString(), QImage()});
            shared_->ready.append(path);
            gaveUp = true;
        }
        if (gaveUp) {
            shared_->resize(*pool_);
        }
        if (shared_->pending.isEmpty()) {
            watchdog_.stop();
        }
    }
    if (gaveUp) {
        deliver();
    }
}

void ThumbnailLoader::deliver() {
    QStringList paths;
    {
        QMutexLocker lock(&shared_->mutex);
        paths.swap(shared_->ready);
        shared_->deliveryScheduled = false;
    }
    if (!paths.isEmpty()) {
        emit thumbnailsReady(paths);
    }
}

} // namespace orbix::views
