#pragma once
// Square photo thumbnails decoded off the GUI thread. Formats Qt reads are decoded at reduced size
// (the JPEG decoder scales by 1/2, 1/4 or 1/8 while decoding); RAW files give their embedded preview
// through LibRaw. Results are cached in memory per file, keyed by path, modification time and size, and
// reach the GUI thread in batches through one queued call per batch.
//
// Threads: every public member is called on the thread that owns the loader (the GUI thread); decoding
// runs on the loader's own pool, which the destructor drains.

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <memory>
#include <optional>

namespace orbix::views {

class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    // Thumbnails are squares of `pixelSize` device pixels.
    explicit ThumbnailLoader(int pixelSize, QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    int pixelSize() const { return pixelSize_; }

    // The thumbnail once it has been decoded: a null image when the file cannot be read as a picture.
    // Nothing while it is still loading; the first call starts loading it.
    std::optional<QImage> thumbnail(const QString& path);

    // Checks the files already decoded again and reloads those whose modification time or size changed
    // (they are reported through thumbnailsReady like new ones).
    void revalidate();

    // Forgets the thumbnails of every other file, so the cache holds what the tray shows, not every file
    // that was ever shown.
    void retainOnly(const QSet<QString>& paths);

    // Waits until no decoding is queued or running (for tests and benchmarks).
    void waitForDone();

    // The decoding chain on the calling thread: the square thumbnail or a null image.
    static QImage decodeThumbnail(const QString& path, int pixelSize);
    // Whether the file name's extension is one of the RAW formats read through LibRaw.
    static bool isRawFile(const QString& path);

signals:
    // Thumbnails of these files are now available (or known to be unreadable).
    void thumbnailsReady(const QStringList& paths);

private:
    struct CachedThumbnail {
        QString stamp; // modification time and size of the file that was decoded
        QImage image;
    };

    void load(const QString& path);
    void deliver();

    const int pixelSize_;
    QThreadPool pool_;
    // Shared with the decoding tasks.
    QMutex mutex_;
    QHash<QString, CachedThumbnail> cache_;
    QSet<QString> pending_;
    QStringList ready_;
    bool deliveryScheduled_ = false;
};

} // namespace orbix::views
