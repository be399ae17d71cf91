// UI fallback over a large in-memory tree: the capped listing walk and the uncapped name search, the two
// walks whose cost grows with the window (browser grids with thousands of cells).
#include "support/RecordingAccessibilityBackend.h"
#include "uiautomation/UIAutomationService.h"

#include <benchmark/benchmark.h>

using namespace orbix;
using test::FakeElement;

namespace {

// An application with a toolbar of buttons and a grid of `cells` named cells in rows of ten.
void buildWindow(test::RecordingAccessibilityBackend& backend, int cells) {
    const ElementRef app =
        backend.add(FakeElement::withRole(QStringLiteral("AXApplication"), QStringLiteral("C1")));
    const ElementRef window =
        backend.addChild(app, FakeElement::withRole(QStringLiteral("AXWindow"), QStringLiteral("Main")));
    const ElementRef toolbar = backend.addChild(window, FakeElement::withRole(QStringLiteral("AXToolbar")));
    for (const char* name : {"Auto Adjust", "Reset", "Rotate Left", "Crop", "Export"}) {
        backend.addChild(toolbar, FakeElement::withRole(QStringLiteral("AXButton"), QLatin1String(name))
                                      .pressable()
                                      .framed({10, 10}, {40, 20}));
    }
    const ElementRef grid = backend.addChild(window, FakeElement::withRole(QStringLiteral("AXTable")));
    ElementRef row;
    for (int i = 0; i < cells; ++i) {
        if (i % 10 == 0) {
            row = backend.addChild(grid, FakeElement::withRole(QStringLiteral("AXRow")), ChildList::rows);
        }
        backend.addChild(row,
                         FakeElement::withRole(QStringLiteral("AXCell"), QStringLiteral("IMG_%1.CR3").arg(i))
                             .framed({0, 0}, {100, 100}));
    }
    backend.setFrontmostApplication(app);
}

void ListVisibleElements(benchmark::State& state) {
    test::RecordingAccessibilityBackend backend;
    buildWindow(backend, static_cast<int>(state.range(0)));
    UIAutomationService service(backend);
    for (auto _ : state) {
        benchmark::DoNotOptimize(service.getVisibleElements());
        backend.clearRecords();
    }
}
BENCHMARK(ListVisibleElements)->Arg(500)->Arg(5000);

void ClickByName(benchmark::State& state) {
    test::RecordingAccessibilityBackend backend;
    buildWindow(backend, static_cast<int>(state.range(0)));
    UIAutomationService service(backend);
    for (auto _ : state) {
        benchmark::DoNotOptimize(service.clickVisibleElement(QStringLiteral("auto adjust")));
        backend.clearRecords();
    }
}
BENCHMARK(ClickByName)->Arg(500)->Arg(5000);

void ParseShortcut(benchmark::State& state) {
    const QStringList shortcuts{"command shift z", "return key", "cmd+z", "option control left"};
    qsizetype index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KeyboardKey::parse(shortcuts[index++ % shortcuts.size()]));
    }
}
BENCHMARK(ParseShortcut);

} // namespace

BENCHMARK_MAIN();
