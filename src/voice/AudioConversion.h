#pragma once
// Audio format conversions of the voice session. Microphone buffers become the wire format (24 kHz mono
// signed 16-bit little-endian PCM; 16 kHz for the on-device recogniser) through a streaming resampler whose
// state carries from one buffer to the next; wire-format model audio becomes float samples for the speaker.

#include "voice/AudioInput.h"

#include <QByteArray>
#include <memory>
#include <vector>

namespace orbix {

inline constexpr int realtimeSampleRate = 24000;

// Wire-format PCM16 to float samples: one per whole 16-bit sample (an odd trailing byte is ignored), each
// divided by 32767 so that the largest positive sample plays at exactly 1.0.
std::vector<float> playbackSamples(const QByteArray& pcm16);

// Mono signed 16-bit samples at `inputRate` as float samples at the Realtime rate, resampled in one pass
// so that nothing stays behind in the filter (a whole synthesised utterance); empty when the rate is not
// positive or the resampler fails.
std::vector<float> resampledToRealtimeRate(const std::vector<qint16>& samples, int inputRate);

// Converts captured buffers of one input format, in capture order. Not thread-safe: one thread at a time.
class CaptureConverter {
public:
    // None when the format cannot be converted (no channels, no rate).
    static std::unique_ptr<CaptureConverter> create(const AudioInputFormat& input,
                                                    int outputRate = realtimeSampleRate);
    ~CaptureConverter();
    CaptureConverter(const CaptureConverter&) = delete;
    CaptureConverter& operator=(const CaptureConverter&) = delete;

    // Output frames reserved for one buffer of `inputFrames`: the proportional count, truncated, plus one.
    static qint64 outputCapacity(qint64 inputFrames, int inputRate, int outputRate = realtimeSampleRate);
    // The wire-format bytes for one captured buffer (at most outputCapacity frames); empty when the
    // resampler produced nothing yet or failed.
    QByteArray convert(const CapturedAudio& buffer);

private:
    struct Resampler;
    CaptureConverter(AudioInputFormat input, int outputRate, std::unique_ptr<Resampler> resampler);

    AudioInputFormat input_;
    int outputRate_;
    std::unique_ptr<Resampler> resampler_;
    std::vector<float> mono_;
};

} // namespace orbix
