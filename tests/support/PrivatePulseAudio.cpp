#include "support/PrivatePulseAudio.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QtEndian>
#include <cstdlib>

namespace orbix::test {

PrivatePulseAudio::PrivatePulseAudio() : runtimeVariable_("XDG_RUNTIME_DIR", runtime_.path().toUtf8()) {}

PrivatePulseAudio::~PrivatePulseAudio() {
    stopMonitor();
    if (!started_) {
        runtime_.remove();
    }
}

QString PrivatePulseAudio::missingTools() {
    QStringList missing;
    for (const char* tool : {"pulseaudio", "pactl", "parec"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            missing << QString::fromLatin1(tool);
        }
    }
    return missing.join(QStringLiteral(", "));
}

std::optional<QString> PrivatePulseAudio::start() {
    if (!runtime_.isValid()) {
        return QStringLiteral("no temporary runtime folder");
    }
    QProcess daemon;
    daemon.start(QStringLiteral("pulseaudio"),
                 {"--daemonize=yes", "--exit-idle-time=-1", "-n", "--load=module-native-protocol-unix",
                  "--load=module-null-sink sink_name=orbix_out",
                  "--load=module-pipe-source source_name=orbix_in file=" + microphonePipe() +
                      " format=s16le rate=" + QString::number(microphoneRate) + " channels=1",
                  "--log-target=file:" + runtime_.filePath(QStringLiteral("pa.log"))});
    if (!daemon.waitForFinished(20'000) || daemon.exitCode() != 0) {
        return QStringLiteral("pulseaudio did not start: ") +
               QString::fromLocal8Bit(daemon.readAllStandardError());
    }
    started_ = true;
    stopServerAfterThisProcess();
    return std::nullopt;
}

// Qt Multimedia keeps its connection to the server until the process exits, and libpulse aborts in its
// own threads when the server goes away under a live connection. So the server, and the runtime folder it
// lives in, are taken down by a detached watcher once this process has gone, however it ends.
void PrivatePulseAudio::stopServerAfterThisProcess() {
    runtime_.setAutoRemove(false);
    QProcess watcher;
    watcher.setProgram(QStringLiteral("sh"));
    watcher.setArguments({QStringLiteral("-c"),
                          QStringLiteral("while kill -0 \"$1\" 2>/dev/null; do sleep 0.2; done; pactl exit; "
                                         "for i in $(seq 50); do [ -e \"$2/pulse/pid\" ] || break; sleep 0.1; "
                                         "done; rm -rf \"$2\""),
                          QStringLiteral("sh"), QString::number(QCoreApplication::applicationPid()),
                          runtime_.path()});
    watcher.setStandardOutputFile(QProcess::nullDevice());
    watcher.setStandardErrorFile(QProcess::nullDevice());
    watcher.startDetached();
}

QString PrivatePulseAudio::microphonePipe() const {
    return runtime_.filePath(QStringLiteral("mic.fifo"));
}

bool PrivatePulseAudio::startMonitor(int rate) {
    recorded_.clear();
    QObject::disconnect(monitorOutput_);
    monitorOutput_ = QObject::connect(&monitor_, &QProcess::readyReadStandardOutput, &monitor_,
                                      [this] { recorded_ += monitor_.readAllStandardOutput(); });
    monitor_.start(QStringLiteral("parec"),
                   {"-d", "orbix_out.monitor", "--format=s16le", "--rate=" + QString::number(rate),
                    "--channels=1", "--raw", "--latency-msec=20"});
    return monitor_.waitForStarted() &&
           waitUntil([&] { return !recorded_.isEmpty(); }, std::chrono::seconds(10));
}

void PrivatePulseAudio::stopMonitor() {
    if (monitor_.state() != QProcess::NotRunning) {
        monitor_.kill();
        monitor_.waitForFinished();
    }
    QObject::disconnect(monitorOutput_);
}

qint64 loudSamples(const QByteArray& pcm16) {
    qint64 count = 0;
    for (qsizetype i = 0; i + 1 < pcm16.size(); i += 2) {
        if (std::abs(qFromLittleEndian<qint16>(pcm16.constData() + i)) > 1000) {
            ++count;
        }
    }
    return count;
}

} // namespace orbix::test
