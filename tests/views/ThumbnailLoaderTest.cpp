#include "views/ThumbnailLoader.h"

#include "MinimalDng.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

using namespace orbix::views;
using orbix::test::waitUntil;
using orbix::test::writeFile;

namespace {

// A picture whose left half is red and right half blue, wider than tall, so a centred square crop shows
// both halves and a stretched one would not.
QImage halves(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width / 2; ++x) {
            image.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    return image;
}

bool near(QRgb pixel, QColor expected) {
    return qAbs(qRed(pixel) - expected.red()) < 40 && qAbs(qGreen(pixel) - expected.green()) < 40 &&
           qAbs(qBlue(pixel) - expected.blue()) < 40;
}

} // namespace

TEST(ThumbnailLoader, DecodesJpegAndPngIntoCentredSquaresAndMarksOtherFilesUnreadable) {
    QTemporaryDir folder;
    const QString jpeg = folder.filePath("wide.jpg");
    const QString png = folder.filePath("wide.PNG");
    const QString text = folder.filePath("notes.jpg");
    ASSERT_TRUE(halves(1200, 600).save(jpeg, "JPEG", 90));
    ASSERT_TRUE(halves(300, 150).save(png, "PNG"));
    orbix::test::writeFile(text, "not a picture");

    ThumbnailLoader loader(64);
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailsReady);
    for (const QString& path : {jpeg, png, text, folder.filePath("missing.png")}) {
        EXPECT_FALSE(loader.thumbnail(path).has_value()) << "nothing before it is decoded";
    }
    QStringList delivered;
    ASSERT_TRUE(waitUntil([&] {
        for (const QList<QVariant>& batch : std::as_const(ready)) {
            for (const QString& path : batch.at(0).toStringList()) {
                if (!delivered.contains(path)) {
                    delivered << path;
                }
            }
        }
        return delivered.size() == 4;
    }));
    EXPECT_LE(ready.size(), 4);

    for (const QString& path : {jpeg, png}) {
        const std::optional<QImage> image = loader.thumbnail(path);
        ASSERT_TRUE(image.has_value());
        ASSERT_EQ(image->size(), QSize(64, 64)) << path.toStdString();
        EXPECT_TRUE(near(image->pixel(8, 32), Qt::red)) << path.toStdString();
        EXPECT_TRUE(near(image->pixel(56, 32), Qt::blue)) << path.toStdString();
    }
    ASSERT_TRUE(loader.thumbnail(text).has_value());
    EXPECT_TRUE(loader.thumbnail(text)->isNull());
    EXPECT_TRUE(loader.thumbnail(folder.filePath("missing.png"))->isNull());
}

TEST(ThumbnailLoader, AChangedFileIsDecodedAgainAndAnUnchangedOneIsNot) {
    QTemporaryDir folder;
    const QString path = folder.filePath("photo.png");
    QImage red(80, 80, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(path, "PNG"));

    ThumbnailLoader loader(32);
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailsReady);
    loader.thumbnail(path);
    ASSERT_TRUE(waitUntil([&] { return ready.size() == 1; }));

    loader.revalidate();
    loader.waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(ready.size(), 1) << "same modification time and size: nothing to report";

    QImage green(90, 60, QImage::Format_RGB32);
    green.fill(Qt::green);
    ASSERT_TRUE(green.save(path, "PNG"));
    loader.revalidate();
    ASSERT_TRUE(waitUntil([&] { return ready.size() == 2; }));
    EXPECT_TRUE(near(loader.thumbnail(path)->pixel(16, 16), Qt::green));

    loader.retainOnly({});
    EXPECT_FALSE(loader.thumbnail(path).has_value()) << "a file no longer shown is forgotten";
}

TEST(ThumbnailLoader, RawFilesFallBackToTheImageReaderWhenTheyHoldNoPreview) {
    QTemporaryDir folder;
    // A TIFF under a RAW extension: LibRaw finds no embedded preview, the TIFF reader does the rest.
    const QString path = folder.filePath("frame.dng");
    ASSERT_TRUE(halves(200, 100).save(path, "TIFF"));
    EXPECT_TRUE(ThumbnailLoader::isRawFile(path));
    EXPECT_FALSE(ThumbnailLoader::isRawFile(folder.filePath("frame.tif")));
    const QImage image = ThumbnailLoader::decodeThumbnail(path, 40);
    ASSERT_EQ(image.size(), QSize(40, 40));
    EXPECT_TRUE(near(image.pixel(4, 20), Qt::red));
}

TEST(ThumbnailLoader, RawFilesShowTheirEmbeddedPreview) {
    QTemporaryDir folder;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(halves(300, 200).save(&buffer, "JPEG", 90));
    const QString path = folder.filePath("IMG_0001.DNG");
    orbix::test::writeMinimalDng(path, jpeg, QSize(300, 200));

    const QImage image = ThumbnailLoader::decodeThumbnail(path, 48);
    ASSERT_EQ(image.size(), QSize(48, 48));
    EXPECT_TRUE(near(image.pixel(4, 24), Qt::red)) << "the preview, not the sensor data";
    EXPECT_TRUE(near(image.pixel(44, 24), Qt::blue));
}

TEST(ThumbnailLoader, AFifoOrALinkToOneIsUnreadableAndNeverBlocks) {
    QTemporaryDir folder;
    const QString fifo = folder.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString linkedFifo = folder.filePath("IMG_0002.jpg");
    const QString rawFifo = folder.filePath("IMG_0003.NEF");
    ASSERT_TRUE(QFile::link(fifo, linkedFifo));
    ASSERT_TRUE(QFile::link(fifo, rawFifo));
    const QString photo = folder.filePath("photo.png");
    ASSERT_TRUE(halves(80, 40).save(photo, "PNG"));
    const QString linkedPhoto = folder.filePath("IMG_0004.png");
    ASSERT_TRUE(QFile::link(photo, linkedPhoto));

    EXPECT_TRUE(ThumbnailLoader::decodeThumbnail(linkedFifo, 32).isNull());
    EXPECT_TRUE(ThumbnailLoader::decodeThumbnail(rawFifo, 32).isNull());
    EXPECT_EQ(ThumbnailLoader::decodeThumbnail(linkedPhoto, 32).size(), QSize(32, 32))
        << "a link to a photo is that photo";

    ThumbnailLoader loader(32);
    for (const QString& path : {fifo, linkedFifo, rawFifo, linkedPhoto}) {
        loader.thumbnail(path);
    }
    ASSERT_TRUE(waitUntil([&] { return loader.thumbnail(linkedPhoto).has_value(); }));
    for (const QString& path : {fifo, linkedFifo, rawFifo}) {
        ASSERT_TRUE(waitUntil([&] { return loader.thumbnail(path).has_value(); }));
        EXPECT_TRUE(loader.thumbnail(path)->isNull());
    }
}

TEST(ThumbnailLoader, ADecodeThatNeverEndsIsGivenUpAndDoesNotHoldUpTheOthersOrTheExit) {
    QTemporaryDir folder;
    const QString stuck = writeFile(folder.filePath("on-a-hung-mount.jpg"), "x");
    const QString other = folder.filePath("other.png");
    ASSERT_TRUE(halves(80, 40).save(other, "PNG"));

    auto release = std::make_shared<QSemaphore>();
    const ThumbnailLoader::Decoder decoder = [release, stuck](const QString& path, int pixelSize) {
        if (path == stuck) {
            release->acquire();
        }
        return ThumbnailLoader::decodeThumbnail(path, pixelSize);
    };
    {
        ThumbnailLoader loader(32, decoder, std::chrono::milliseconds(50));
        QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailsReady);
        loader.thumbnail(stuck);
        ASSERT_TRUE(waitUntil([&] { return loader.thumbnail(stuck).has_value(); }));
        EXPECT_TRUE(loader.thumbnail(stuck)->isNull()) << "the placeholder, after the time limit";
        loader.thumbnail(other);
        ASSERT_TRUE(waitUntil([&] { return loader.thumbnail(other).has_value(); }))
            << "the next photo is decoded while the first decode still hangs";
        EXPECT_FALSE(loader.thumbnail(other)->isNull());
    } // destroyed while its worker is still stuck
    release->release();
}

TEST(ThumbnailLoader, ARawFileWhosePreviewIsNotAJpegIsNotUnpackedByLibRaw) {
    // Found by the thumbnail fuzzer (its first byte picks the name there): LibRaw 0.20's reader of this
    // file's bitmap preview writes past its buffer, which AddressSanitizer reports.
    QFile found(QStringLiteral(ORBIX_FUZZ_CORPUS_DIR "/ThumbnailLoader/bitmap-preview-overflow.dng"));
    ASSERT_TRUE(found.open(QIODevice::ReadOnly));
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath("crafted.dng"), found.readAll().mid(1));
    const QImage image = ThumbnailLoader::decodeThumbnail(path, 32);
    EXPECT_TRUE(image.isNull() || image.size() == QSize(32, 32));
}
