#pragma once
// SpeechRecognizer over pocketsphinx. Microphone buffers are queued on the capture thread as they come and
// converted to 16 kHz mono and decoded on a thread of the recogniser's own, so neither the capture thread
// nor the caller's thread ever waits for the decoder. The decoder is loaded once, on that thread, and kept
// across start and stop: the listener restarts after every utterance.
//
// Transcripts are reported when an utterance ends, never while it grows: the listener acts on the first
// transcript that holds the wake phrase, and a partial "hey orbix" would cut off the command being spoken.

#include "platform/pocketsphinx/WakePhraseDecoder.h"
#include "voice/AudioInput.h"
#include "voice/SpeechRecognizer.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace orbix {

class CaptureConverter;

class PocketsphinxSpeechRecognizer final : public SpeechRecognizer {
public:
    // Audio waiting for the decoder beyond this is dropped, newest first, rather than piling up.
    static constexpr int maximumQueuedSeconds = 20;

    PocketsphinxSpeechRecognizer(std::shared_ptr<AudioInput> microphone, PocketsphinxModel model,
                                 WakePhraseDecoderSettings settings = {});
    ~PocketsphinxSpeechRecognizer() override;

    // Granted when the microphone has a device; answered at once.
    void requestMicrophoneAccess(PermissionAnswer answer) override;
    // Granted when the decoder loads; answered from the decoding thread.
    void requestRecognitionAuthorization(PermissionAnswer answer) override;
    bool isRecognitionAvailable() const override;
    std::optional<QString> start(ResultHandler handler) override;
    void stop() override;

private:
    struct Job {
        quint64 session = 0;
        // Empty for a job that only runs `task`.
        QByteArray audio;
        std::function<void()> task;
    };

    void post(Job job);
    void run();
    void beginSession(quint64 session, std::shared_ptr<CaptureConverter> converter);
    void decode(quint64 session, const QByteArray& audio);
    // On the decoding thread: the decoder, loaded on first use; null when it cannot be.
    WakePhraseDecoder* decoder();
    void deliver(quint64 session, const SpeechRecognitionResult& result);

    const std::shared_ptr<AudioInput> microphone_;
    const PocketsphinxModel model_;
    const WakePhraseDecoderSettings settings_;

    // The queue between the callers and the decoding thread.
    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<Job> jobs_;
    qint64 queuedAudioBytes_ = 0;
    bool quitting_ = false;

    // Guards the running session and its handler; results are delivered while holding it, so that once
    // stop has taken it no result is delivered any more. Recursive: a handler may call stop.
    std::recursive_mutex sessionMutex_;
    quint64 session_ = 0;
    quint64 lastSession_ = 0;
    ResultHandler handler_;
    qint64 maximumQueuedBytes_ = 0;

    // Decoding thread only.
    std::unique_ptr<WakePhraseDecoder> decoder_;
    bool decoderFailed_ = false;
    std::shared_ptr<CaptureConverter> converter_;
    quint64 decodingSession_ = 0;

    std::thread thread_;
};

} // namespace orbix
