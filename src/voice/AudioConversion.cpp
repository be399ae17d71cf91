#include "voice/AudioConversion.h"

#include <QtEndian>
#include <cstring>
#include <soxr.h>

namespace orbix {

std::vector<float> playbackSamples(const QByteArray& pcm16) {
    const qsizetype frames = pcm16.size() / 2;
    std::vector<float> samples(static_cast<size_t>(frames));
    const auto* bytes = reinterpret_cast<const uchar*>(pcm16.constData());
    for (qsizetype i = 0; i < frames; ++i) {
        samples[size_t(i)] = float(qFromLittleEndian<qint16>(bytes + 2 * i) / 32767.0);
    }
    return samples;
}

std::vector<float> resampledToRealtimeRate(const std::vector<qint16>& samples, int inputRate) {
    if (inputRate <= 0 || samples.empty()) {
        return {};
    }
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    // The proportional count plus room for rounding; the resampler reports how many it wrote.
    const size_t capacity =
        size_t(double(samples.size()) * double(realtimeSampleRate) / double(inputRate)) + 16;
    std::vector<float> output(capacity);
    size_t produced = 0;
    const soxr_error_t error =
        soxr_oneshot(double(inputRate), double(realtimeSampleRate), 1, samples.data(), samples.size(), nullptr,
                     output.data(), capacity, &produced, &io, &quality, nullptr);
    if (error) {
        return {};
    }
    output.resize(produced);
    return output;
}

struct CaptureConverter::Resampler {
    soxr_t handle = nullptr;
    ~Resampler() { soxr_delete(handle); }
};

std::unique_ptr<CaptureConverter> CaptureConverter::create(const AudioInputFormat& input, int outputRate) {
    if (input.sampleRate <= 0 || input.channelCount <= 0 || outputRate <= 0) {
        return nullptr;
    }
    soxr_error_t error = nullptr;
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
    // Silence stays digital silence: the speech detector on the server should not hear dither noise.
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    auto resampler = std::make_unique<Resampler>();
    resampler->handle =
        soxr_create(double(input.sampleRate), double(outputRate), 1, &error, &io, &quality, nullptr);
    if (error || !resampler->handle) {
        return nullptr;
    }
    return std::unique_ptr<CaptureConverter>(new CaptureConverter(input, outputRate, std::move(resampler)));
}

CaptureConverter::CaptureConverter(AudioInputFormat input, int outputRate, std::unique_ptr<Resampler> resampler)
    : input_(input), outputRate_(outputRate), resampler_(std::move(resampler)) {}

CaptureConverter::~CaptureConverter() = default;

qint64 CaptureConverter::outputCapacity(qint64 inputFrames, int inputRate, int outputRate) {
    return qint64(quint32(double(outputRate) * double(inputFrames) / double(inputRate))) + 1;
}

QByteArray CaptureConverter::convert(const CapturedAudio& buffer) {
    const qsizetype frames = buffer.samples.size() / input_.bytesPerFrame();
    if (frames == 0) {
        return {};
    }
    // Down-mix to mono by averaging the channels.
    mono_.assign(size_t(frames), 0.0f);
    const int channels = input_.channelCount;
    const char* data = buffer.samples.constData();
    for (qsizetype frame = 0; frame < frames; ++frame) {
        float sum = 0.0f;
        for (int channel = 0; channel < channels; ++channel) {
            const qsizetype index = frame * channels + channel;
            if (input_.sampleType == AudioSampleType::int16) {
                qint16 sample;
                std::memcpy(&sample, data + 2 * index, sizeof sample);
                sum += float(sample) / 32768.0f;
            } else {
                float sample;
                std::memcpy(&sample, data + 4 * index, sizeof sample);
                sum += sample;
            }
        }
        mono_[size_t(frame)] = sum / float(channels);
    }

    const qint64 capacity = outputCapacity(frames, input_.sampleRate, outputRate_);
    std::vector<qint16> output(static_cast<size_t>(capacity));
    size_t consumed = 0;
    size_t produced = 0;
    const soxr_error_t error = soxr_process(resampler_->handle, mono_.data(), size_t(frames), &consumed,
                                            output.data(), size_t(capacity), &produced);
    if (error || produced == 0) {
        return {};
    }
    QByteArray bytes(qsizetype(produced * 2), Qt::Uninitialized);
    for (size_t i = 0; i < produced; ++i) {
        qToLittleEndian<qint16>(output[i], bytes.data() + 2 * i);
    }
    return bytes;
}

} // namespace orbix
