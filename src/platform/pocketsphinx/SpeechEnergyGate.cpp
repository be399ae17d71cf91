#include "platform/pocketsphinx/SpeechEnergyGate.h"

#include <algorithm>
#include <cmath>

namespace orbix {

namespace {
// Smoothing over about 50 ms: single loud syllables of the babble do not count as the talker.
constexpr double smoothing = 0.2;
// The percentile of the last 3 s that stands for the background.
constexpr double backgroundPercentile = 0.2;
} // namespace

bool SpeechEnergyGate::frame(std::span<const qint16> samples) {
    double energy = 0;
    for (const qint16 sample : samples) {
        energy += double(sample) * double(sample);
    }
    const double levelDb = 10 * std::log10(energy / double(std::max<size_t>(samples.size(), 1)) + 1.0);
    smoothedDb_ = historyCount_ == 0 ? levelDb : smoothedDb_ + smoothing * (levelDb - smoothedDb_);
    history_[size_t(historyNext_)] = smoothedDb_;
    historyNext_ = (historyNext_ + 1) % historyFrames;
    historyCount_ = std::min(historyCount_ + 1, historyFrames);
    return smoothedDb_ > backgroundLevelDb() + marginDb_;
}

void SpeechEnergyGate::reset() {
    historyCount_ = 0;
    historyNext_ = 0;
    smoothedDb_ = 0;
}

double SpeechEnergyGate::backgroundLevelDb() const {
    std::array<double, historyFrames> sorted = history_;
    auto* end = sorted.begin() + historyCount_;
    auto* at = sorted.begin() + ptrdiff_t(double(historyCount_ - 1) * backgroundPercentile);
    std::nth_element(sorted.begin(), at, end);
    return *at;
}

} // namespace orbix
