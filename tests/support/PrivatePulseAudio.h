#pragma once
// A private PulseAudio server for one test, in a temporary XDG_RUNTIME_DIR so that the default devices Qt
// Multimedia finds are its own: a null sink "orbix_out" as the speaker, whose monitor records what was
// played, and a pipe source "orbix_in" (s16le, 16 kHz, mono) as the microphone, fed by writing PCM into
// its pipe. The server exits once the test's process has gone.

#include "support/TestSupport.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace orbix::test {

class PrivatePulseAudio {
public:
    static constexpr int microphoneRate = 16000;

    PrivatePulseAudio();
    ~PrivatePulseAudio();
    PrivatePulseAudio(const PrivatePulseAudio&) = delete;
    PrivatePulseAudio& operator=(const PrivatePulseAudio&) = delete;

    // What this machine lacks to run one (pulseaudio, parec); empty when nothing.
    static QString missingTools();
    // Starts the server; the reason when it did not start.
    std::optional<QString> start();
    // The microphone's pipe: 16-bit little-endian mono PCM at microphoneRate written here is captured.
    QString microphonePipe() const;

    // Records the speaker's monitor as 16-bit little-endian mono PCM at `rate`; returns once audio (silence
    // included) arrives.
    bool startMonitor(int rate);
    void stopMonitor();
    const QByteArray& recorded() const { return recorded_; }

private:
    void stopServerAfterThisProcess();

    QTemporaryDir runtime_;
    ScopedEnvironment runtimeVariable_;
    bool started_ = false;
    QProcess monitor_;
    QMetaObject::Connection monitorOutput_;
    QByteArray recorded_;
};

// Samples of 16-bit little-endian PCM louder than about -30 dBFS.
qint64 loudSamples(const QByteArray& pcm16);

} // namespace orbix::test
