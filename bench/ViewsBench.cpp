// The inspector's costs: a 64-pixel tile from a 6000 x 4000 JPEG next to a plain scaled decode and a full
// decode; the embedded preview of a RAW (DNG) file; parsing a 1,000-line Markdown body; and the longest
// event-loop stall while 1,000 thumbnails load in the background.
#include "views/MarkdownParser.h"
#include "views/ThumbnailLoader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
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

// Writes a minimal DNG: a small uncompressed CFA image in IFD0 and a JPEG preview in a sub-IFD, which is
// where cameras and converters keep the preview LibRaw hands back.
void writeDng(const QString& path, const QByteArray& previewJpeg, QSize previewSize) {
    constexpr quint32 kRawSide = 128;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setByteOrder(QDataStream::LittleEndian);

    struct Entry {
        quint16 tag;
        quint16 type; // 1 byte, 2 ASCII, 3 short, 4 long
        quint32 count;
        quint32 value; // inline value or offset
    };
    const QByteArray make("Orbix\0", 6);
    const QByteArray model("Bench\0", 6);
    const quint32 rawBytes = kRawSide * kRawSide * 2;
    // Layout: header, IFD0 (18 entries), sub-IFD (9 entries), strings, raw data, preview.
    const quint32 ifd0 = 8;
    const quint32 ifd0Size = 2 + 18 * 12 + 4;
    const quint32 subIfd = ifd0 + ifd0Size;
    const quint32 subIfdSize = 2 + 9 * 12 + 4;
    const quint32 strings = subIfd + subIfdSize;
    const quint32 rawData = strings + 16;
    const quint32 preview = rawData + rawBytes;

    const auto bytesValue = [](quint8 a, quint8 b, quint8 c, quint8 d) {
        return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
    };
    const std::vector<Entry> main{
        {254, 4, 1, 0},
        {256, 4, 1, kRawSide},
        {257, 4, 1, kRawSide},
        {258, 3, 1, 16},
        {259, 3, 1, 1},
        {262, 3, 1, 32803},
        {271, 2, 6, strings},
        {272, 2, 6, strings + 8},
        {273, 4, 1, rawData},
        {274, 3, 1, 1},
        {277, 3, 1, 1},
        {278, 4, 1, kRawSide},
        {279, 4, 1, rawBytes},
        {330, 4, 1, subIfd},
        {33421, 3, 2, 2u | 2u << 16},
        {33422, 1, 4, bytesValue(0, 1, 1, 2)},
        {50706, 1, 4, bytesValue(1, 4, 0, 0)},
        {50717, 4, 1, 65535},
    };
    const std::vector<Entry> sub{
        {254, 4, 1, 1},
        {256, 4, 1, quint32(previewSize.width())},
        {257, 4, 1, quint32(previewSize.height())},
        {258, 3, 1, 8},
        {259, 3, 1, 7},
        {262, 3, 1, 6},
        {273, 4, 1, preview},
        {277, 3, 1, 3},
        {279, 4, 1, quint32(previewJpeg.size())},
    };
    out.writeRawData("II", 2);
    out << quint16(42) << ifd0;
    const auto writeIfd = [&](const std::vector<Entry>& entries) {
        out << quint16(entries.size());
        for (const Entry& entry : entries) {
            out << entry.tag << entry.type << entry.count;
            if (entry.type == 3 && entry.count == 1) {
                out << quint16(entry.value) << quint16(0);
            } else {
                out << entry.value;
            }
        }
        out << quint32(0);
    };
    writeIfd(main);
    writeIfd(sub);
    out.writeRawData(make.constData(), 6);
    out << quint16(0);
    out.writeRawData(model.constData(), 6);
    out << quint16(0);
    for (quint32 i = 0; i < kRawSide * kRawSide; ++i) {
        out << quint16((i * 37) % 4096);
    }
    out.writeRawData(previewJpeg.constData(), int(previewJpeg.size()));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

const QString& dngFile() {
    static const QString path = [] {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        const QImage preview = samplePicture(1620, 1080);
        preview.save(&buffer, "JPEG", 85);
        const QString file = workFolder().filePath(QStringLiteral("frame.dng"));
        writeDng(file, jpeg, preview.size());
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
// 1 ms timer until all have arrived. The delivered-batch handler does what the tray does: look each up.
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
    double longestMs = 0;
    for (auto _ : state) {
        orbix::views::ThumbnailLoader loader(kTile);
        int delivered = 0;
        QObject::connect(&loader, &orbix::views::ThumbnailLoader::thumbnailsReady,
                         [&](const QStringList& paths) {
                             for (const QString& path : paths) {
                                 benchmark::DoNotOptimize(loader.thumbnail(path));
                             }
                             delivered += int(paths.size());
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
        longest = qMax(longest, clock.nsecsElapsed() - lastTick);
        lastTick = clock.nsecsElapsed();
        while (delivered < files.size()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        longestMs = qMax(longestMs, longest / 1e6);
        state.counters["thumbnails/s"] = benchmark::Counter(1000.0 * 1e9 / double(clock.nsecsElapsed()));
    }
    state.counters["longest_stall_ms"] = longestMs;
}
BENCHMARK(BM_LongestStallWhile1000ThumbnailsLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
