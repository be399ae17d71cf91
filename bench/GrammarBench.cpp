// The local command reading (the parser's rules, then the grammar) over the phrase list in
// bench/grammar/phrases.tsv: first the share of phrasings read as the action written beside them, with each
// miss, then the time to read one phrase.
#include "captureone/LocalCommands.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace orbix;

namespace {

struct Row {
    QString phrase;
    QString expected;
};

std::vector<Row> rows() {
    std::vector<Row> list;
    QFile file(QStringLiteral(ORBIX_GRAMMAR_PHRASES));
    if (!file.open(QIODevice::ReadOnly)) {
        return list;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (text.isEmpty() || text.startsWith(QLatin1Char('#'))) {
            continue;
        }
        list.push_back({text.section(QLatin1Char('\t'), 0, 0), text.section(QLatin1Char('\t'), 1)});
    }
    return list;
}

QString readingText(const QString& phrase) {
    const auto reading = localcommands::read(phrase);
    if (!reading) {
        return QStringLiteral("none");
    }
    if (const auto* question = std::get_if<LocalQuestion>(reading.operator->())) {
        return QStringLiteral("ask:") + question->text();
    }
    return localcommands::summary(std::get<ComputerUseArguments>(*reading));
}

void reportCoverage(const std::vector<Row>& list) {
    int correct = 0;
    for (const Row& row : list) {
        const QString got = readingText(row.phrase);
        if (got == row.expected) {
            ++correct;
        } else {
            std::printf("miss: %s\n  want %s\n  got  %s\n", qPrintable(row.phrase), qPrintable(row.expected),
                        qPrintable(got));
        }
    }
    std::printf("coverage: %d of %zu phrasings (%.1f %%)\n", correct, list.size(),
                list.empty() ? 0.0 : 100.0 * correct / double(list.size()));
}

void ReadPhrase(benchmark::State& state) {
    const std::vector<Row> list = rows();
    if (list.empty()) {
        state.SkipWithError("no phrase list");
        return;
    }
    size_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(localcommands::read(list[index++ % list.size()].phrase));
    }
}
BENCHMARK(ReadPhrase);

} // namespace

int main(int argc, char** argv) {
    reportCoverage(rows());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
