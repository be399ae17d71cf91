#pragma once
// SpeechSynthesizer over espeak-ng in-process: each text is synthesised to PCM on a worker thread,
// resampled to the speaker's 24 kHz and played through the AudioOutput port. An utterance is finished once
// the speaker has played out everything it was given, cancelled when stopped (the speaker's queue is
// discarded at once). A new text cuts off the one being spoken.
//
// When espeak-ng cannot synthesise (no data, no en-us voice), every utterance finishes at once and
// lastError() says why, so that callers waiting for the end never hang.

#include "voice/AudioOutput.h"
#include "voice/SpeechSynthesizer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

namespace orbix {

class EspeakSpeechSynthesizer final : public SpeechSynthesizer {
public:
    // How often the speaker is asked whether it has played everything out.
    static constexpr std::chrono::milliseconds drainPollInterval{20};
    // A speaker that has not played out this long after the length of its queued audio is taken as stuck:
    // its queue is discarded and the utterance counts as finished.
    static constexpr std::chrono::milliseconds defaultDrainGrace{2000};

    // `dataPath`: espeak-ng's data folder (empty: the library's own search; only the process's first
    // synthesis initialises the engine).
    explicit EspeakSpeechSynthesizer(std::shared_ptr<AudioOutput> speaker, QString dataPath = {},
                                     std::chrono::milliseconds drainGrace = defaultDrainGrace);
    ~EspeakSpeechSynthesizer() override;
    EspeakSpeechSynthesizer(const EspeakSpeechSynthesizer&) = delete;
    EspeakSpeechSynthesizer& operator=(const EspeakSpeechSynthesizer&) = delete;

    void setEndHandler(EndHandler handler) override;
    bool isSpeaking() const override;
    quint64 speak(const QString& text) override;
    void stop() override;

    // Why the latest utterance could not be synthesised; none after one that could.
    std::optional<QString> lastError() const { return lastError_; }

private:
    struct Utterance {
        quint64 number = 0;
        std::shared_ptr<std::atomic<bool>> cancelled;
        bool playing = false;
        QElapsedTimer sincePlayed;
        qint64 playedFrames = 0;
    };

    void synthesised(quint64 number, std::vector<float> samples, std::optional<QString> error);
    void checkPlayedOut();
    void cancelCurrent();
    void finishCurrent();
    void deliverEnd(quint64 number, UtteranceEnd end);

    std::shared_ptr<AudioOutput> speaker_;
    QString dataPath_;
    std::chrono::milliseconds drainGrace_;
    EndHandler endHandler_;
    std::optional<Utterance> current_;
    quint64 lastNumber_ = 0;
    std::optional<QString> lastError_;
    // Receives the worker's results and the queued ends on the main thread; both die with it.
    QObject mainContext_;
    QTimer drainTimer_;
    QThread worker_;
    QObject* workerContext_ = nullptr;
};

} // namespace orbix
