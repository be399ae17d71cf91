// Feeds the synthetic wake corpus (bench/wake/make-corpus) through the real decoder, faster than real time,
// and prints per condition: detection of the wake phrase, rejection of near misses, false wakes per hour of
// everyday speech, whether the command after the wake phrase reaches the parser as intended, the decoder's
// real-time factor on one core, the wake latency and how soon after the speech the utterance ended. One row
// per condition and split (the voices and texts settings were chosen on, and the held-out ones); every rate
// with its 95 % interval (Wilson for proportions, Garwood for false wakes per hour).
//
//   bench_wake_corpus [--keyphrase-threshold X] [--wake-word-frames N] [--wake-word-score S]
//                     [--energy-margin DB] [--noise-suppression DB] [--decoys 0|1] [--language-model-check 0|1]
//                     CORPUS_DIR [CONDITION...]

#include "captureone/LocalCommands.h"
#include "platform/pocketsphinx/CommandGrammar.h"
#include "platform/pocketsphinx/WakePhraseDecoder.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

using namespace orbix;

namespace {

// The action a command's words run, as one comparable line; empty when nothing local reads them (or they
// only raise a question).
QString localReadingSummary(const QString& command) {
    const auto reading = localcommands::read(command);
    if (!reading) {
        return QString();
    }
    const auto* arguments = std::get_if<ComputerUseArguments>(&*reading);
    return arguments ? localcommands::summary(*arguments) : QString();
}

struct CorpusFile {
    QString condition;
    QString category;
    QString split;
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
    int nearMissFiles = 0;
    int nearMissWakes = 0;
    int ordinaryWakes = 0;
    double ordinarySpeechSeconds = 0;
    double audioSeconds = 0;
    double cpuSeconds = 0;
    std::vector<double> latenciesMs;
    // From the end of the speech to the end of the utterance that held it, for every phrase file.
    std::vector<double> utteranceEndDelaysMs;
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
        if (fields.size() == 7) {
            files.push_back({fields[0], fields[1], fields[2], QDir(dir).filePath(fields[4]), fields[5],
                             fields[6].toLongLong()});
        }
    }
    return files;
}

// The command after the wake phrase as the backend hands it on.
QString backendSuffix(const QString& transcript) {
    return transcript.mid(CommandGrammar::wakePhrase.size()).trimmed();
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

    if (file.category != "ordinary") {
        double delayMs = double(qint64(samples.size()) - file.speechEndSample) / 16.0;
        for (const DecodedUtterance& utterance : ended) {
            if (utterance.reportedAtSample >= file.speechEndSample) {
                delayMs = double(utterance.reportedAtSample - file.speechEndSample) / 16.0;
                break;
            }
        }
        tally.utteranceEndDelaysMs.push_back(delayMs);
    }

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
        // Read as the wake road reads a command: the parser's rules, then the local grammar.
        const QString intended = localReadingSummary(file.command);
        const bool correct = !intended.isEmpty() && localReadingSummary(backendSuffix(wake)) == intended;
        tally.suffixCorrect += correct ? 1 : 0;
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

// The 95 % Wilson score interval of a proportion, in percent.
QString proportion(int part, int whole) {
    if (whole == 0) {
        return QStringLiteral("–");
    }
    const double z = 1.96;
    const double n = whole;
    const double p = part / n;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
    return QStringLiteral("%1 % [%2–%3] (%4/%5)")
        .arg(100.0 * p, 0, 'f', 1)
        .arg(100.0 * std::max(0.0, centre - half), 0, 'f', 1)
        .arg(100.0 * std::min(1.0, centre + half), 0, 'f', 1)
        .arg(part)
        .arg(whole);
}

// P(X <= k) for X Poisson with mean `mean`.
double poissonCdf(int k, double mean) {
    double term = std::exp(-mean);
    double sum = term;
    for (int i = 1; i <= k; ++i) {
        term *= mean / i;
        sum += term;
    }
    return sum;
}

// The mean at which the Poisson CDF at k equals `target` (it falls as the mean grows).
double poissonMeanFor(int k, double target) {
    double low = 0;
    double high = 10.0 + 10.0 * k;
    for (int i = 0; i < 200; ++i) {
        const double middle = (low + high) / 2;
        (poissonCdf(k, middle) > target ? low : high) = middle;
    }
    return (low + high) / 2;
}

// Events per hour with the exact (Garwood) 95 % interval.
QString perHour(int events, double hours) {
    if (hours <= 0) {
        return QStringLiteral("–");
    }
    const double lower = events == 0 ? 0.0 : poissonMeanFor(events - 1, 0.975);
    const double upper = poissonMeanFor(events, 0.025);
    return QStringLiteral("%1 [%2–%3] (%4 in %5 h)")
        .arg(events / hours, 0, 'f', 2)
        .arg(lower / hours, 0, 'f', 2)
        .arg(upper / hours, 0, 'f', 2)
        .arg(events)
        .arg(hours, 0, 'f', 2);
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
        } else if (std::strcmp(option, "--energy-margin") == 0) {
            settings.speechEnergyMarginDb = std::atof(value);
        } else if (std::strcmp(option, "--language-model-check") == 0) {
            settings.languageModelCheck = std::atoi(value) != 0;
        } else if (std::strcmp(option, "--decoys") == 0) {
            settings.decoyWords = std::atoi(value) != 0;
        } else if (std::strcmp(option, "--noise-suppression") == 0) {
            settings.noiseSuppressionDb = std::atoi(value);
        } else {
            break;
        }
        first += 2;
    }
    if (argc <= first || std::strncmp(argv[first], "--", 2) == 0) {
        std::fprintf(stderr, "usage: bench_wake_corpus [--keyphrase-threshold X] [--wake-word-frames N] "
                             "[--wake-word-score S] [--energy-margin DB] [--noise-suppression DB] [--decoys "
                             "0|1] [--language-model-check 0|1] "
                             "CORPUS_DIR [CONDITION...]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[first]);
    QStringList conditions;
    for (int i = first + 1; i < argc; ++i) {
        conditions << QString::fromLocal8Bit(argv[i]);
    }
    if (conditions.isEmpty()) {
        conditions = {"clean", "pink20", "pink10", "pink5", "babble20", "babble10", "babble5"};
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

    std::printf("| condition | split | detection (wake alone) | detection (with command) | command correct "
                "| near misses rejected | false wakes / h of speech | utterance ended ≤ 0.5 s after speech "
                "(median / p95) | RTF | wake latency median / p95 |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    std::map<QString, Tally> tallies;
    for (const QString& condition : conditions) {
        for (const QString split : {"tune", "heldout"}) {
            Tally& tally = tallies[condition + ' ' + split];
            for (const CorpusFile& file : files) {
                if (file.condition == condition && file.split == split) {
                    decodeFile(*decoder, file, tally);
                }
            }
            const auto& delays = tally.utteranceEndDelaysMs;
            const int endedSoon =
                int(std::count_if(delays.begin(), delays.end(), [](double d) { return d <= 500; }));
            std::printf("| %s | %s | %s | %s | %s | %s | %s | %s (%.0f / %.0f ms) | %.4f | %.0f / %.0f ms |\n",
                        qPrintable(condition), qPrintable(split),
                        qPrintable(proportion(tally.wakeDetected, tally.wakeFiles)),
                        qPrintable(proportion(tally.commandDetected, tally.commandFiles)),
                        qPrintable(proportion(tally.suffixCorrect, tally.commandDetected)),
                        qPrintable(proportion(tally.nearMissFiles - tally.nearMissWakes, tally.nearMissFiles)),
                        qPrintable(perHour(tally.ordinaryWakes, tally.ordinarySpeechSeconds / 3600.0)),
                        qPrintable(proportion(endedSoon, int(delays.size()))), percentile(delays, 0.5),
                        percentile(delays, 0.95),
                        tally.audioSeconds > 0 ? tally.cpuSeconds / tally.audioSeconds : 0.0,
                        percentile(tally.latenciesMs, 0.5), percentile(tally.latenciesMs, 0.95));
            std::fflush(stdout);
        }
    }
    for (const auto& [condition, tally] : tallies) {
        for (const QString& note : tally.notes) {
            std::fprintf(stderr, "%s\n", qPrintable(note));
        }
    }
    return 0;
}
