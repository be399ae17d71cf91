#pragma once
// AudioOutput over QAudioSink on the default output device (looked up at start), 24 kHz mono float, in push
// mode: chunks wait in a queue here and are written as the sink has room, from the event loop, so play() never
// waits.

#include "voice/AudioOutput.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <memory>

class QAudioSink;
class QIODevice;

namespace orbix {

class QtAudioOutput final : public AudioOutput {
public:
    // How often the queue is offered to the sink while it holds audio.
    static constexpr std::chrono::milliseconds feedInterval{10};

    QtAudioOutput();
    ~QtAudioOutput() override;

    std::optional<QString> start() override;
    bool isRunning() const override;
    void play(std::vector<float> samples) override;
    void discardQueued() override;
    void stop() override;
    qint64 unplayedFrames() const override;

private:
    void feed();

    std::unique_ptr<QAudioSink> sink_;
    QIODevice* io_ = nullptr;
    QByteArray queued_;
    QTimer feedTimer_;
};

} // namespace orbix
