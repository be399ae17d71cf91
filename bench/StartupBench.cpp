// Start-up of the desktop window, offscreen: the time from starting the process to the first painted
// frame of the main window, and the resident memory once the window has been idle for 5 s. Each
// iteration starts this program again as a child in probe mode (the same composition root and window as
// orbix), so the measured time includes loading the program and its libraries.
#include "app/OrbixRuntime.h"
#include "model/AppIntentRouter.h"
#include "model/AppModel.h"
#include "model/SessionKeeper.h"
#include "views/ContentView.h"
#include "views/RecentSessionsMenu.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr auto kIdleTime = std::chrono::seconds(5);
const char* const probeFlag = "--probe";

qint64 monotonicNanoseconds() {
    // steady_clock is CLOCK_MONOTONIC on Linux: comparable between this process and its child.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 residentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

// Notes the moment the window's first paint event has been handled.
class FirstPaintWatcher : public QObject {
public:
    qint64 paintedAt = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedAt == 0) {
            const bool handled = watched->event(event);
            paintedAt = monotonicNanoseconds();
            return handled;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Probe mode: open the window as orbix does, report the first paint, then idle and report memory.
int runProbe(int argc, char** argv, bool idle) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orbix"));
    QApplication::setApplicationName(QStringLiteral("Orbix"));
    orbix::OrbixRuntime runtime;
    orbix::AppIntentRouter router;
    orbix::SessionStore sessionStore(orbix::SessionStore::defaultDirectory());
    orbix::SessionKeeper sessionKeeper(runtime.model(), sessionStore);
    sessionKeeper.restoreLatest();
    orbix::views::ContentView window(runtime.model(), router);
    orbix::views::installRecentSessionsMenu(*window.menuBar(), sessionKeeper);
    FirstPaintWatcher watcher;
    window.installEventFilter(&watcher);
    window.show();
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (watcher.paintedAt == 0) {
            return;
        }
        poll.stop();
        std::printf("painted %lld\n", static_cast<long long>(watcher.paintedAt));
        std::fflush(stdout);
        if (!idle) {
            QApplication::quit();
            return;
        }
        QTimer::singleShot(kIdleTime, &app, [] {
            std::printf("rss %lld\n", static_cast<long long>(residentKilobytes()));
            std::fflush(stdout);
            QApplication::quit();
        });
    });
    poll.start();
    return QApplication::exec();
}

struct ProbeResult {
    double firstPaintMilliseconds = -1;
    double residentMegabytes = -1;
};

ProbeResult runChild(const QString& program, bool idle, const QString& home) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A private home: no user settings, and the update check goes nowhere.
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("ORBIX_BACKEND_URL"), QStringLiteral("http://127.0.0.1:9"));
    child.setProcessEnvironment(environment);
    child.setStandardInputFile(QProcess::nullDevice());
    const qint64 startedAt = monotonicNanoseconds();
    child.start(program,
                {QString::fromLatin1(probeFlag), idle ? QStringLiteral("idle") : QStringLiteral("paint")});
    child.waitForFinished(60000);
    ProbeResult result;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("painted ")) {
            result.firstPaintMilliseconds = double(line.mid(8).toLongLong() - startedAt) / 1e6;
        } else if (line.startsWith("rss ")) {
            result.residentMegabytes = double(line.mid(4).toLongLong()) / 1024.0;
        }
    }
    return result;
}

QString& programPath() {
    static QString path;
    return path;
}

void measureFirstPaint(benchmark::State& state, const QString& home) {
    for (auto _ : state) {
        const ProbeResult result = runChild(programPath(), false, home);
        if (result.firstPaintMilliseconds < 0) {
            state.SkipWithError("the probe did not paint");
            return;
        }
        state.SetIterationTime(result.firstPaintMilliseconds / 1000.0);
    }
}

void BM_ProcessStartToFirstPaint(benchmark::State& state) {
    QTemporaryDir home;
    measureFirstPaint(state, home.path());
}
BENCHMARK(BM_ProcessStartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The same with a saved session of 500 messages (one artifact every tenth) for the window to restore.
void BM_ProcessStartToFirstPaintWithSavedSession(benchmark::State& state) {
    QTemporaryDir home;
    orbix::SavedSession session;
    session.id = QUuid::createUuid();
    session.updatedAt = QDateTime::currentDateTimeUtc();
    for (int index = 0; index < 500; ++index) {
        const bool asked = index % 2 == 0;
        session.messages.append(orbix::ConversationMessage::make(
            asked ? orbix::ConversationRole::user : orbix::ConversationRole::assistant, orbix::InputMode::quiet,
            asked ? QStringLiteral("rate the selected photos %1 stars").arg(index % 5)
                  : QStringLiteral("Set the rating to %1 on 12 photos in Capture One.").arg(index % 5)));
        if (index % 10 == 0) {
            session.artifacts.append(orbix::Artifact::make(
                orbix::ArtifactKind::markdown, QStringLiteral("Capture One Status"),
                orbix::ArtifactStatus::ready, QStringLiteral("# Status\n\n- 12 photos selected\n")));
        }
    }
    // The probe's store reads $XDG_DATA_HOME, which runChild points into the private home.
    if (orbix::SessionStore(home.path() + QStringLiteral("/data/Orbix/sessions")).save(session)) {
        state.SkipWithError("the session could not be saved");
        return;
    }
    measureFirstPaint(state, home.path());
}
BENCHMARK(BM_ProcessStartToFirstPaintWithSavedSession)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_ResidentMemoryAfterIdle(benchmark::State& state) {
    QTemporaryDir home;
    double megabytes = -1;
    for (auto _ : state) {
        megabytes = runChild(programPath(), true, home.path()).residentMegabytes;
    }
    if (megabytes < 0) {
        state.SkipWithError("the probe reported no memory");
        return;
    }
    state.counters["resident_MB"] = megabytes;
}
BENCHMARK(BM_ResidentMemoryAfterIdle)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], probeFlag) == 0) {
        return runProbe(argc, argv, argc >= 3 && std::strcmp(argv[2], "idle") == 0);
    }
    programPath() = QString::fromLocal8Bit(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
