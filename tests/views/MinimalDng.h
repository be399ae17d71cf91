#pragma once
// A minimal DNG written byte by byte, for tests and benchmarks of the RAW preview path without any camera
// file: IFD0 holds a small uncompressed CFA image, a sub-IFD the JPEG preview.

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QSize>
#include <QString>
#include <vector>

namespace orbix::test {

// The preview goes in a sub-IFD, where cameras and converters keep the one LibRaw hands back.
inline void writeMinimalDng(const QString& path, const QByteArray& previewJpeg, QSize previewSize) {
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

} // namespace orbix::test
