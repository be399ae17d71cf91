// Feeds the synthetic wake corpus (bench/wake/make-corpus) through the real decoder, faster than real time,
// and prints per condition: detection of the wake phrase, rejection of near misses, false wakes per hour of
// everyday speech, whether the command after the wake phrase reaches the parser as intended, the decoder's
// real-time factor on one core, and the wake latency.
//
//   bench_wake_corpus [--keyphrase-threshold X] [--wake-word-frames N] [--wake-word-score S] CORPUS_DIR
//                     [CONDITION...]

#include "captureone/CaptureOneCommandParser.h"
#include "platform/pocketsphinx/CommandGrammar.h"
#include "platform/pocketsphinx/WakePhraseDecoder.h"
#include "voice/RealtimeTextMatching.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

using namespace orbix;

namespace {

struct CorpusFile {
    QString condition;
    QString category;
    QString path;
    QString command;
    qint64 speechEndSample = 0;
};

struct Tally {
    int wakeFiles = 0;
    int wakeDetected = 0;
    int commandFiles = 0;
    int commandDetected = 0;
    int suffixCorrect = 0;
    int suffixCorrectAfterListener = 0;
    int nearMissFiles = 0;
    int nearMissWakes = 0;
    int ordinaryWakes = 0;
    double ordinarySpeechSeconds = 0;
    double audioSeconds = 0;
    double cpuSeconds = 0;
    std::vector<double> latenciesMs;
    QStringList notes;
};

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

std::vector<CorpusFile> readManifest(const QString& dir) {
    QFile file(QDir(dir).filePath("manifest.tsv"));
    std::vector<CorpusFile> files;
    if (!file.open(QIODevice::ReadOnly)) {
        return files;
    }
    QTextStream in(&file);
    in.readLine();
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split('\t');
        if (fields.size() == 5) {
            files.push_back(
                {fields[0], fields[1], QDir(dir).filePath(fields[2]), fields[3], fields[4].toLongLong()});
        }
    }
    return files;
}

// The command after the wake phrase as the backend hands it on.
QString backendSuffix(const QString& transcript) {
    return transcript.mid(CommandGrammar::wakePhrase.size()).trimmed();
}

// The same after the listener's normal form (lower case, letters, digits and spaces only).
QString listenerSuffix(const QString& transcript) {
    const QString normal = realtime::normalizedComputerUseText(transcript);
    const qsizetype at = normal.indexOf(CommandGrammar::wakePhrase);
    return at < 0 ? QString() : normal.mid(at + CommandGrammar::wakePhrase.size()).trimmed();
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[size_t(p * double(values.size() - 1) + 0.5)];
}

void decodeFile(WakePhraseDecoder& decoder, const CorpusFile& file, Tally& tally) {
    QFile raw(file.path);
    if (!raw.open(QIODevice::ReadOnly)) {
        tally.notes << QStringLiteral("unreadable: %1").arg(file.path);
        return;
    }
    const QByteArray bytes = raw.readAll();
    std::vector<qint16> samples(size_t(bytes.size() / 2));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);

    decoder.reset();
    // Buffers as the microphone delivers them: 2048 frames at 48 kHz.
    constexpr size_t buffer = 2048 / 3;
    std::vector<DecodedUtterance> ended;
    std::optional<double> latencyMs;
    for (size_t at = 0; at < samples.size(); at += buffer) {
        const size_t count = std::min(buffer, samples.size() - at);
        const size_t before = ended.size();
        const auto wallStart = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        decoder.feed(std::span(samples).subspan(at, count), ended);
        tally.cpuSeconds += threadCpuSeconds() - cpuStart;
        if (!latencyMs) {
            for (size_t i = before; i < ended.size(); ++i) {
                if (!ended[i].transcript.isEmpty()) {
                    const double compute =
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
                            .count();
                    latencyMs = double(qint64(at + count) - file.speechEndSample) / 16.0 + compute;
                    break;
                }
            }
        }
    }
    const double cpuStart = threadCpuSeconds();
    decoder.finish(ended);
    tally.cpuSeconds += threadCpuSeconds() - cpuStart;
    tally.audioSeconds += double(samples.size()) / recognitionSampleRate;

    QString wake;
    for (const DecodedUtterance& utterance : ended) {
        if (!utterance.transcript.isEmpty()) {
            wake = utterance.transcript;
            break;
        }
    }
    if (file.category == "wake") {
        ++tally.wakeFiles;
        tally.wakeDetected += wake.isEmpty() ? 0 : 1;
        if (latencyMs) {
            tally.latenciesMs.push_back(*latencyMs);
        }
    } else if (file.category == "command") {
        ++tally.commandFiles;
        if (wake.isEmpty()) {
            return;
        }
        ++tally.commandDetected;
        const auto intended = CaptureOneCommandParser::parse(file.command, true);
        const bool correct = CaptureOneCommandParser::parse(backendSuffix(wake), true) == intended;
        tally.suffixCorrect += correct ? 1 : 0;
        tally.suffixCorrectAfterListener +=
            CaptureOneCommandParser::parse(listenerSuffix(wake), true) == intended ? 1 : 0;
        if (!correct) {
            tally.notes << QStringLiteral("%1: \"%2\" heard as \"%3\"").arg(file.path, file.command, wake);
        }
    } else if (file.category == "nearmiss") {
        ++tally.nearMissFiles;
        tally.nearMissWakes += wake.isEmpty() ? 0 : 1;
        if (!wake.isEmpty()) {
            tally.notes << QStringLiteral("%1: near miss heard as \"%2\"").arg(file.path, wake);
        }
    } else if (file.category == "ordinary") {
        tally.ordinarySpeechSeconds += double(file.speechEndSample - 8000) / recognitionSampleRate;
        for (const DecodedUtterance& utterance : ended) {
            if (!utterance.transcript.isEmpty()) {
                ++tally.ordinaryWakes;
                tally.notes << QStringLiteral("%1: false wake \"%2\"").arg(file.path, utterance.transcript);
            }
        }
    }
}

QString percent(int part, int whole) {
    return whole == 0 ? QStringLiteral("–") : QString::number(100.0 * part / whole, 'f', 1) + " %";
}

} // namespace

int main(int argc, char** argv) {
    WakePhraseDecoderSettings settings;
    int first = 1;
    while (first + 1 < argc && std::strncmp(argv[first], "--", 2) == 0) {
        const char* option = argv[first];
        const char* value = argv[first + 1];
        if (std::strcmp(option, "--keyphrase-threshold") == 0) {
            settings.keyphraseThreshold = std::atof(value);
        } else if (std::strcmp(option, "--wake-word-frames") == 0) {
            settings.minimumWakeWordFrames = std::atoi(value);
        } else if (std::strcmp(option, "--wake-word-score") == 0) {
            settings.minimumWakeWordScorePerFrame = std::atoi(value);
        } else {
            break;
        }
        first += 2;
    }
    if (argc <= first || std::strncmp(argv[first], "--", 2) == 0) {
        std::fprintf(stderr, "usage: bench_wake_corpus [--keyphrase-threshold X] [--wake-word-frames N] "
                             "[--wake-word-score S] CORPUS_DIR [CONDITION...]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[first]);
    QStringList conditions;
    for (int i = first + 1; i < argc; ++i) {
        conditions << QString::fromLocal8Bit(argv[i]);
    }
    if (conditions.isEmpty()) {
        conditions = {"clean", "snr20", "snr10", "snr5"};
    }
    const std::vector<CorpusFile> files = readManifest(dir);
    if (files.empty()) {
        std::fprintf(stderr, "bench_wake_corpus: no manifest.tsv in %s (run bench/wake/make-corpus)\n",
                     argv[first]);
        return 1;
    }
    QString error;
    auto decoder = WakePhraseDecoder::create(PocketsphinxModel::installed(), settings, &error);
    if (!decoder) {
        std::fprintf(stderr, "bench_wake_corpus: %s\n", qPrintable(error));
        return 1;
    }

    std::printf("| condition | detection (wake alone) | detection (with command) | suffix accuracy | "
                "suffix after listener's normal form | near misses rejected | false wakes / h of speech | "
                "RTF | wake latency median / p95 |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    std::map<QString, Tally> tallies;
    for (const QString& condition : conditions) {
        Tally& tally = tallies[condition];
        for (const CorpusFile& file : files) {
            if (file.condition == condition) {
                decodeFile(*decoder, file, tally);
            }
        }
        const double hours = tally.ordinarySpeechSeconds / 3600.0;
        std::printf("| %s | %s (%d/%d) | %s (%d/%d) | %s | %s | %s (%d/%d) | %.2f (%d in %.1f min) | %.4f | "
                    "%.0f / %.0f ms |\n",
                    qPrintable(condition), qPrintable(percent(tally.wakeDetected, tally.wakeFiles)),
                    tally.wakeDetected, tally.wakeFiles,
                    qPrintable(percent(tally.commandDetected, tally.commandFiles)), tally.commandDetected,
                    tally.commandFiles, qPrintable(percent(tally.suffixCorrect, tally.commandFiles)),
                    qPrintable(percent(tally.suffixCorrectAfterListener, tally.commandFiles)),
                    qPrintable(percent(tally.nearMissFiles - tally.nearMissWakes, tally.nearMissFiles)),
                    tally.nearMissFiles - tally.nearMissWakes, tally.nearMissFiles,
                    hours > 0 ? tally.ordinaryWakes / hours : 0.0, tally.ordinaryWakes,
                    tally.ordinarySpeechSeconds / 60.0,
                    tally.audioSeconds > 0 ? tally.cpuSeconds / tally.audioSeconds : 0.0,
                    percentile(tally.latenciesMs, 0.5), percentile(tally.latenciesMs, 0.95));
        std::fflush(stdout);
    }
    for (const auto& [condition, tally] : tallies) {
        for (const QString& note : tally.notes) {
            std::fprintf(stderr, "%s\n", qPrintable(note));
        }
    }
    return 0;
}
