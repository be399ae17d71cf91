#pragma once
// speexdsp's noise suppression in front of the recogniser: 16 kHz mono PCM in, the same cleaned out, in
// whole frames of 10 ms (a partial frame waits for the next call).

#include <QtGlobal>
#include <memory>
#include <span>
#include <vector>

namespace orbix {

class NoiseSuppressor {
public:
    // `suppressionDb` is the most the noise is attenuated (a positive figure).
    explicit NoiseSuppressor(int suppressionDb);
    ~NoiseSuppressor();
    NoiseSuppressor(const NoiseSuppressor&) = delete;
    NoiseSuppressor& operator=(const NoiseSuppressor&) = delete;

    // Appends the cleaned frames that the samples complete to `cleaned`.
    void process(std::span<const qint16> samples, std::vector<qint16>& cleaned);

private:
    struct State;
    std::unique_ptr<State> state_;
    std::vector<qint16> pending_;
};

} // namespace orbix
