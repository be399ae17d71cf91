#include "platform/pocketsphinx/NoiseSuppressor.h"

#include <speex/speex_preprocess.h>

namespace orbix {

namespace {
constexpr int frameSamples = 160;
}

struct NoiseSuppressor::State {
    SpeexPreprocessState* speex = nullptr;
    ~State() { speex_preprocess_state_destroy(speex); }
};

NoiseSuppressor::NoiseSuppressor(int suppressionDb) : state_(std::make_unique<State>()) {
    state_->speex = speex_preprocess_state_init(frameSamples, 16000);
    int on = 1;
    int attenuation = -suppressionDb;
    speex_preprocess_ctl(state_->speex, SPEEX_PREPROCESS_SET_DENOISE, &on);
    speex_preprocess_ctl(state_->speex, SPEEX_PREPROCESS_SET_NOISE_SUPPRESS, &attenuation);
}

NoiseSuppressor::~NoiseSuppressor() = default;

void NoiseSuppressor::process(std::span<const qint16> samples, std::vector<qint16>& cleaned) {
    pending_.insert(pending_.end(), samples.begin(), samples.end());
    size_t offset = 0;
    for (; offset + frameSamples <= pending_.size(); offset += frameSamples) {
        qint16* frame = pending_.data() + offset;
        speex_preprocess_run(state_->speex, frame);
        cleaned.insert(cleaned.end(), frame, frame + frameSamples);
    }
    pending_.erase(pending_.begin(), pending_.begin() + ptrdiff_t(offset));
}

} // namespace orbix
