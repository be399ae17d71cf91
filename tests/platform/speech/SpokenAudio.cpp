#include "platform/speech/SpokenAudio.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace orbix::test {

namespace {

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The text spoken into a WAV file, converted by sox with `soxFormat` arguments; the converted bytes.
QByteArray converted(const QString& text, const QStringList& soxFormat) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("speech.wav"));
    const QString raw = dir.filePath(QStringLiteral("speech.raw"));
    if (!run(QStringLiteral("espeak-ng"),
             {QStringLiteral("-v"), QStringLiteral("en-us"), QStringLiteral("-w"), wav, text})) {
        return {};
    }
    // Repeatable: sox dithers with fresh random noise on every run otherwise, and a decoder test that
    // passes on one run's audio may fail on the next.
    QStringList arguments{QStringLiteral("-R"), wav};
    arguments << soxFormat << raw;
    if (!run(QStringLiteral("sox"), arguments)) {
        return {};
    }
    QFile file(raw);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::optional<QString> spokenAudioUnavailableReason() {
    for (const char* program : {"espeak-ng", "sox"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
            return QStringLiteral("%1 is not installed").arg(QLatin1String(program));
        }
    }
    return std::nullopt;
}

std::vector<qint16> spokenSamples(const QString& text, int silenceMs) {
    const QByteArray bytes =
        converted(text, {QStringLiteral("-r"), QStringLiteral("16000"), QStringLiteral("-c"),
                         QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("16"), QStringLiteral("-e"),
                         QStringLiteral("signed-integer"), QStringLiteral("-t"), QStringLiteral("raw")});
    if (bytes.isEmpty()) {
        return {};
    }
    const size_t silence = size_t(silenceMs) * 16;
    std::vector<qint16> samples(silence, 0);
    const auto* speech = reinterpret_cast<const qint16*>(bytes.constData());
    samples.insert(samples.end(), speech, speech + bytes.size() / 2);
    samples.insert(samples.end(), silence, 0);
    return samples;
}

QByteArray spokenFloatSamples(const QString& text, int rate, int channels) {
    return converted(text, {QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"),
                            QString::number(channels), QStringLiteral("-b"), QStringLiteral("32"),
                            QStringLiteral("-e"), QStringLiteral("floating-point"), QStringLiteral("-t"),
                            QStringLiteral("raw")});
}

} // namespace orbix::test
