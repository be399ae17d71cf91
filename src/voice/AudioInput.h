#pragma once
// Port: the default microphone.
//
// Contract: hasDevice, format, start and stop are called on the main thread. After a successful start the
// handler is called once per captured buffer, in capture order, on the backend's capture thread (any thread
// but never concurrently with itself); it must not block for long. Once stop returns the handler is never
// called again. start on a running input replaces the handler.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace orbix {

enum class AudioSampleType { int16, float32 };

struct AudioInputFormat {
    int sampleRate = 0;
    int channelCount = 0;
    AudioSampleType sampleType = AudioSampleType::int16;

    int bytesPerFrame() const { return channelCount * (sampleType == AudioSampleType::int16 ? 2 : 4); }
    friend bool operator==(const AudioInputFormat&, const AudioInputFormat&) = default;
};

// One captured buffer: interleaved native-endian samples in the input's format.
struct CapturedAudio {
    QByteArray samples;
};

class AudioInput {
public:
    using BufferHandler = std::function<void(const CapturedAudio&)>;

    virtual ~AudioInput() = default;
    // Whether an input device exists (the only "permission" this platform has).
    virtual bool hasDevice() const = 0;
    // The device's capture format.
    virtual AudioInputFormat format() const = 0;
    // Starts capturing; the error text when the device could not be started.
    virtual std::optional<QString> start(BufferHandler handler) = 0;
    virtual void stop() = 0;
};

} // namespace orbix
