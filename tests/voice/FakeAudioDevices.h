#pragma once
// Complete in-memory audio devices: the input delivers buffers the test supplies from a thread of its own,
// as a capture backend does; the output records every chunk it is asked to play.

#include "voice/AudioInput.h"
#include "voice/AudioOutput.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace orbix::test {

class FakeAudioInput final : public AudioInput {
public:
    AudioInputFormat captureFormat{48000, 1, AudioSampleType::float32};
    bool deviceExists = true;
    int startCount = 0;
    int stopCount = 0;

    bool hasDevice() const override { return deviceExists; }
    AudioInputFormat format() const override { return captureFormat; }
    std::optional<QString> start(BufferHandler handler) override {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
        ++startCount;
        return std::nullopt;
    }
    void stop() override {
        std::lock_guard lock(mutex_);
        handler_ = {};
        ++stopCount;
    }
    bool isCapturing() const {
        std::lock_guard lock(mutex_);
        return bool(handler_);
    }

    // Delivers one buffer from a capture thread and waits until the handler returned.
    void capture(const QByteArray& samples) {
        std::thread([this, samples] {
            std::lock_guard lock(mutex_);
            if (handler_) {
                handler_(CapturedAudio{samples});
            }
        }).join();
    }

private:
    mutable std::mutex mutex_;
    BufferHandler handler_;
};

class FakeAudioOutput final : public AudioOutput {
public:
    std::vector<std::vector<float>> played;
    int discardCount = 0;
    bool running = false;
    // Frames played but not yet heard; nothing plays out until the test says so.
    qint64 unplayed = 0;

    std::optional<QString> start() override {
        running = true;
        return std::nullopt;
    }
    bool isRunning() const override { return running; }
    void play(std::vector<float> samples) override {
        unplayed = std::min(unplayed + qint64(samples.size()), maximumQueuedFrames);
        played.push_back(std::move(samples));
    }
    void discardQueued() override {
        ++discardCount;
        unplayed = 0;
    }
    void stop() override {
        running = false;
        unplayed = 0;
    }
    qint64 unplayedFrames() const override { return unplayed; }

    // Everything played so far has been heard.
    void playOut() { unplayed = 0; }
};

} // namespace orbix::test
