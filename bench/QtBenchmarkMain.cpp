// Entry point of the benchmark programs that need an event loop (runners, thumbnail workers, sockets):
// Google Benchmark inside a QCoreApplication.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
