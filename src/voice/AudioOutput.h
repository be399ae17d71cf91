#pragma once
// Port: the default speaker, playing 24 kHz mono float samples.
//
// Contract: every member is called on the main thread and returns without waiting for the device. Chunks
// given to play() are played back to back in the order given; the backend's own queue is the only
// playback buffer, and it never holds more than maximumQueuedFrames: play() drops the oldest audio to make
// room.

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace orbix {

class AudioOutput {
public:
    static constexpr int sampleRate = 24000;
    // Two minutes of audio (about 11 MB of samples).
    static constexpr qint64 maximumQueuedFrames = qint64(sampleRate) * 120;

    virtual ~AudioOutput() = default;
    // Prepares and starts playback; the error text when the device could not be started.
    virtual std::optional<QString> start() = 0;
    virtual bool isRunning() const = 0;
    // Queues one chunk; starts a stopped output first (a start error is ignored).
    virtual void play(std::vector<float> samples) = 0;
    // Drops everything still queued; playback continues with the next chunk.
    virtual void discardQueued() = 0;
    virtual void stop() = 0;
    // Frames given to play() that have not been heard yet, whether still queued here or in the device's
    // buffer; zero once everything has played out, and while stopped.
    virtual qint64 unplayedFrames() const = 0;
};

} // namespace orbix
