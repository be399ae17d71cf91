// The inspector's costs: a 64-pixel tile from a 6000 x 4000 JPEG next to a plain scaled decode and a full
// decode; the embedded preview of a RAW (DNG) file; parsing a 1,000-line Markdown body; and the longest
// event-loop stall while 1,000 thumbnails load in the background.
#include "views/MarkdownParser.h"
#include "views/ThumbnailLoader.h"

// The DNG writer the tests use (tests/views/).
#include "views/MinimalDng.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

constexpr int kTile = 64;

QTemporaryDir& workFolder() {
    static QTemporaryDir folder;
    return folder;
}

// A picture with detail everywhere, so the encoder cannot shortcut flat areas.
QImage samplePicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(200, 120, 60));
    gradient.setColorAt(1, QColor(30, 60, 140));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(QColor(240, 240, 220), qMax(1, width / 600)));
    for (int x = 0; x < width; x += qMax(4, width / 150)) {
        painter.drawLine(x, 0, width - x, height);
    }
    return image;
}

const QString& largeJpeg() {
    static const QString path = [] {
        const QString file = workFolder().filePath(QStringLiteral("large.jpg"));
        samplePicture(6000, 4000).save(file, "JPEG", 90);
        return file;
    }();
    return path;
}

const QString& dngFile() {
    static const QString path = [] {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        const QImage preview = samplePicture(1620, 1080);
        preview.save(&buffer, "JPEG", 85);
        const QString file = workFolder().filePath(QStringLiteral("frame.dng"));
        orbix::test::writeMinimalDng(file, jpeg, preview.size());
        return file;
    }();
    return path;
}

void BM_TileFromLargeJpeg(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(orbix::views::ThumbnailLoader::decodeThumbnail(largeJpeg(), kTile));
    }
}
BENCHMARK(BM_TileFromLargeJpeg)->Unit(benchmark::kMillisecond);

// The floor for the tile: the decoder's own scaled read, no crop and no conversion.
void BM_PlainScaledJpegDecode(benchmark::State& state) {
    for (auto _ : state) {
        QImageReader reader(largeJpeg());
        reader.setScaledSize(QSize(96, 64));
        benchmark::DoNotOptimize(reader.read());
    }
}
BENCHMARK(BM_PlainScaledJpegDecode)->Unit(benchmark::kMillisecond);

void BM_FullJpegDecode(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(QImage(largeJpeg()));
    }
}
BENCHMARK(BM_FullJpegDecode)->Unit(benchmark::kMillisecond);

void BM_TileFromRawPreview(benchmark::State& state) {
    if (orbix::views::ThumbnailLoader::decodeThumbnail(dngFile(), kTile).isNull()) {
        state.SkipWithError("the generated DNG gave no preview");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(orbix::views::ThumbnailLoader::decodeThumbnail(dngFile(), kTile));
    }
}
BENCHMARK(BM_TileFromRawPreview)->Unit(benchmark::kMillisecond);

void BM_ParseMarkdown1000Lines(benchmark::State& state) {
    QString body;
    for (int line = 0; line < 1000; ++line) {
        switch (line % 5) {
        case 0:
            body += QStringLiteral("## Step %1\n").arg(line);
            break;
        case 1:
            body += QStringLiteral("- Raise **exposure** by 0.3 on frame %1\n").arg(line);
            break;
        case 2:
            body += QStringLiteral("%1. Rate the **keepers** and the **rejects** separately\n").arg(line);
            break;
        case 3:
            body += QStringLiteral("A longer paragraph about the light in frame %1, with one **bold** word.\n")
                        .arg(line);
            break;
        default:
            body += QLatin1Char('\n');
        }
    }
    for (auto _ : state) {
        int bold = 0;
        for (const auto& element : orbix::views::parseMarkdownLines(body)) {
            bold += int(orbix::views::parseInlineStyles(element.text).boldSpans.size());
        }
        benchmark::DoNotOptimize(bold);
    }
}
BENCHMARK(BM_ParseMarkdown1000Lines)->Unit(benchmark::kMicrosecond);

// Requests 1,000 thumbnails at once and measures, on the GUI thread, the longest gap between ticks of a
// 1 ms timer until all have arrived, and the longest stretch of our own work there (queueing the
// requests, handling one delivered batch), which leaves out time the system gave to other processes.
// The delivered-batch handler does what the tray does: look each thumbnail up.
void BM_LongestStallWhile1000ThumbnailsLoad(benchmark::State& state) {
    static const QStringList files = [] {
        QStringList paths;
        const QImage picture = samplePicture(1200, 800);
        for (int i = 0; i < 1000; ++i) {
            const QString path = workFolder().filePath(QStringLiteral("tray-%1.jpg").arg(i));
            // Same picture, different files: each is decoded on its own.
            picture.save(path, "JPEG", 85);
            paths << path;
        }
        return paths;
    }();
    double longestStallMs = 0;
    double longestWorkMs = 0;
    for (auto _ : state) {
        orbix::views::ThumbnailLoader loader(kTile);
        int delivered = 0;
        qint64 longestWork = 0;
        QObject::connect(&loader, &orbix::views::ThumbnailLoader::thumbnailsReady,
                         [&](const QStringList& paths) {
                             QElapsedTimer work;
                             work.start();
                             for (const QString& path : paths) {
                                 benchmark::DoNotOptimize(loader.thumbnail(path));
                             }
                             delivered += int(paths.size());
                             longestWork = qMax(longestWork, work.nsecsElapsed());
                         });
        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0;
        qint64 longest = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = qMax(longest, now - lastTick);
            lastTick = now;
        });
        ticker.start();
        lastTick = clock.nsecsElapsed();
        for (const QString& path : files) {
            benchmark::DoNotOptimize(loader.thumbnail(path));
        }
        longestWork = qMax(longestWork, clock.nsecsElapsed() - lastTick);
        longest = qMax(longest, clock.nsecsElapsed() - lastTick);
        lastTick = clock.nsecsElapsed();
        while (delivered < files.size()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        longestStallMs = qMax(longestStallMs, longest / 1e6);
        longestWorkMs = qMax(longestWorkMs, longestWork / 1e6);
        state.counters["thumbnails/s"] = benchmark::Counter(1000.0 * 1e9 / double(clock.nsecsElapsed()));
    }
    state.counters["longest_stall_ms"] = longestStallMs;
    state.counters["longest_gui_work_ms"] = longestWorkMs;
}
BENCHMARK(BM_LongestStallWhile1000ThumbnailsLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
