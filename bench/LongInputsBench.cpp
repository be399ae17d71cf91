// Long local inputs on the GUI thread, offscreen: a Markdown artifact body of 64 KiB, 1 MiB and 5 MiB
// shown in the inspector's body view until it is laid out at the inspector's width, the next part of a
// long body on "Show More", and notes up to 256 KiB (16 KiB is the most a note may be) typed into the
// prompt field. Each reports the peak resident set of the
// process so far, since a body once cost more than a gigabyte.
#include "views/MarkdownContentView.h"
#include "views/PromptTextField.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kInspectorWidth = 400;
constexpr int kInspectorHeight = 700;

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// A shoot log: a heading every 250 lines, bullets with bold spans, blank lines.
QString shootLog(qsizetype bytes) {
    QString body;
    body.reserve(bytes + 100);
    for (int frame = 1; body.size() < bytes; ++frame) {
        if (frame % 250 == 1) {
            body += QStringLiteral("\n## Frames %1 to %2\n").arg(frame).arg(frame + 249);
        }
        body += QStringLiteral("- LOF_%1: exposure **%2**, rated %3 stars\n")
                    .arg(frame, 4, 10, QLatin1Char('0'))
                    .arg((frame % 7 - 3) / 10.0, 0, 'f', 1)
                    .arg(frame % 5 + 1);
    }
    return body;
}

// The body view inside a scroll area of the inspector's size, as the inspector holds it: only what is in
// view is painted, and the window's backing store is the window's size, not the body's.
struct Inspector {
    QScrollArea frame;
    orbix::views::MarkdownContentView* view = new orbix::views::MarkdownContentView;

    Inspector() {
        frame.setWidgetResizable(true);
        frame.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frame.setWidget(view);
        frame.resize(kInspectorWidth, kInspectorHeight);
        frame.show();
    }
    void settle() {
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(view->height());
    }
};

void BM_ShowArtifactBody(benchmark::State& state) {
    const QString body = shootLog(state.range(0));
    for (auto _ : state) {
        Inspector inspector;
        inspector.view->setMarkdown(body);
        inspector.settle();
    }
    state.counters["peak_rss_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_ShowArtifactBody)
    ->Arg(64 * 1024)
    ->Arg(1024 * 1024)
    ->Arg(5 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// One "Show More" on a 5 MiB body: the next part appended to the text view and laid out.
void BM_ShowMoreOfALongBody(benchmark::State& state) {
    Inspector inspector;
    inspector.view->setMarkdown(shootLog(5 * 1024 * 1024));
    inspector.settle();
    for (auto _ : state) {
        inspector.view->showMore();
        inspector.settle();
    }
    state.counters["lines_shown"] = double(inspector.view->shownLineCount());
    state.counters["peak_rss_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_ShowMoreOfALongBody)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// A note of short lines (range 1 = 1) or one paragraph of words (range 1 = 0), which the field wraps.
void BM_NoteIntoPromptField(benchmark::State& state) {
    const QString piece = state.range(1) ? QStringLiteral("warmer\n") : QStringLiteral("warmer ");
    QString note;
    while (note.size() < state.range(0)) {
        note += piece;
    }
    note.truncate(state.range(0));
    for (auto _ : state) {
        orbix::views::PromptTextField field;
        field.resize(kInspectorWidth, 40);
        field.show();
        field.setPlainText(note);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(field.visibleLineCount());
    }
    state.counters["peak_rss_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_NoteIntoPromptField)
    ->ArgsProduct({{1024, 16 * 1024, 256 * 1024}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
