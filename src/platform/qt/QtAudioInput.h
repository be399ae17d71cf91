#pragma once
// AudioInput over QAudioSource on the default input device, looked up when capture starts. Capture runs on a
// thread of its own; buffers of bufferFrames frames are handed to the handler there, in capture order.

#include "voice/AudioInput.h"

#include <QAudioDevice>
#include <QThread>
#include <memory>
#include <mutex>

class QAudioSource;
class QIODevice;

namespace orbix {

class QtAudioInput final : public AudioInput {
public:
    static constexpr int bufferFrames = 2048;

    QtAudioInput();
    ~QtAudioInput() override;

    bool hasDevice() const override;
    AudioInputFormat format() const override;
    std::optional<QString> start(BufferHandler handler) override;
    void stop() override;

private:
    struct Capture;

    // The device being captured (chosen at start).
    QAudioDevice device_;
    QThread thread_;
    // Lives on the capture thread: the target of the calls that must run there.
    std::unique_ptr<QObject> context_;
    std::unique_ptr<Capture> capture_;
    std::mutex handlerMutex_;
    BufferHandler handler_;
};

} // namespace orbix
