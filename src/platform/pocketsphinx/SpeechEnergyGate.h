#pragma once
// Whether the loudest talker is still speaking, judged by energy against the background's level. In
// multi-talker babble pocketsphinx's voice-activity detector hears speech without end; the talker close to
// the microphone, though, stands well above the babble while speaking and drops back to it when done.
//
// The background's level is a low percentile of the recent frame levels (the gaps between words fall to it
// even while someone speaks); a frame is active when its smoothed level stands `marginDb` above that.

#include <QtGlobal>
#include <array>
#include <span>

namespace orbix {

class SpeechEnergyGate {
public:
    // Frames of 10 ms at 16 kHz.
    static constexpr int frameSamples = 160;

    explicit SpeechEnergyGate(double marginDb) : marginDb_(marginDb) {}

    // Takes exactly one frame; true when it is active.
    bool frame(std::span<const qint16> samples);
    void reset();

private:
    double backgroundLevelDb() const;

    static constexpr int historyFrames = 300;
    double marginDb_;
    std::array<double, historyFrames> history_{};
    int historyCount_ = 0;
    int historyNext_ = 0;
    double smoothedDb_ = 0;
};

} // namespace orbix
