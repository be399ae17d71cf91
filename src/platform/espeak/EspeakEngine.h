#pragma once
// espeak-ng in-process, synthesising to memory. The library keeps one engine per process behind a C API with
// global state, so every call is serialised here; the engine is initialised on first use (synchronous
// output, en-us voice, default rate) and stays initialised for the life of the process.
//
// Thread: any, one call at a time (others wait). Synthesis runs at about a hundred times real time, so a
// caller that must not stall (the event loop) calls from a worker.

#include <QString>
#include <atomic>
#include <optional>
#include <vector>

namespace orbix {

struct EspeakSynthesis {
    // Mono signed 16-bit samples at `sampleRate`.
    std::vector<qint16> samples;
    int sampleRate = 0;
    // Why nothing could be synthesised (no espeak-ng data, no en-us voice, a failed call).
    std::optional<QString> error;
    bool cancelled = false;
};

class EspeakEngine {
public:
    // `dataPath` names the folder holding espeak-ng's data (empty: the library's own search); it counts only
    // for the first call of the process, which initialises the engine. Setting `cancelled` from another
    // thread makes the running call return early with `cancelled` set.
    static EspeakSynthesis synthesize(const QString& text, const QString& dataPath,
                                      const std::atomic<bool>& cancelled);
};

} // namespace orbix
