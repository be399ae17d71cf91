#pragma once
// Square photo thumbnails decoded off the GUI thread. Formats Qt reads are decoded at reduced size
// (the JPEG decoder scales by 1/2, 1/4 or 1/8 while decoding); RAW files give their embedded preview
// through LibRaw. Results are cached in memory per file, keyed by path, modification time and size, and
// reach the GUI thread in batches through one queued call per batch.
//
// Photos come from folders anyone may have filled, so a file is opened once, without blocking, decoded
// only when that handle is a regular file, and decoded from that handle. A decode that still runs after
// kDecodeTimeLimit is given up: the tile shows the placeholder, another worker takes over the queue, and
// the late result is still taken if it ever comes. Destroying the loader gives decodes in progress half a
// second and then leaves a stuck worker (a hung network mount) behind, to end with the process.
//
// Threads: every public member is called on the thread that owns the loader (the GUI thread); decoding
// runs on the loader's own pool.

#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QThreadPool;

namespace orbix::views {

class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDecodeTimeLimit{15000};
    // The decoding chain, replaceable so tests can stand in for a decoder that never returns.
    using Decoder = std::function<QImage(const QString& path, int pixelSize)>;

    // Thumbnails are squares of `pixelSize` device pixels.
    explicit ThumbnailLoader(int pixelSize, QObject* parent = nullptr);
    ThumbnailLoader(int pixelSize, Decoder decoder, std::chrono::milliseconds timeLimit,
                    QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    int pixelSize() const { return pixelSize_; }

    // The thumbnail once it has been decoded: a null image when the file cannot be read as a picture
    // (or took longer than the time limit). Nothing while it is still loading; the first call starts
    // loading it.
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
    struct Shared;

    void load(const QString& path);
    void deliver();
    void giveUpOverdueDecodes();

    const int pixelSize_;
    const Decoder decoder_;
    const std::chrono::milliseconds timeLimit_;
    // Owned by the loader unless a worker is still busy when it goes (see the destructor).
    QThreadPool* pool_;
    // Shared with the decoding tasks, which may outlive the loader.
    std::shared_ptr<Shared> shared_;
    QTimer watchdog_;
};

} // namespace orbix::views
