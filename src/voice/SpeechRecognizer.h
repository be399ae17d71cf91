#pragma once
// Port: on-device speech recognition of the microphone, for the wake phrase listener.
//
// Contract: the members are called from one thread at a time (the listener's queue). Permission answers
// and results may arrive on any thread; the caller hops to its own. start captures the microphone and,
// when recognition is available, recognises it, delivering the best transcription of the current
// utterance as it grows and once more (or an empty final result on a recognition failure) when the
// utterance ends. Once stop returns the handler is never called again.

#include <QString>
#include <functional>
#include <optional>

namespace orbix {

struct SpeechRecognitionResult {
    // The best transcription of the utterance so far; empty when there is none.
    QString text;
    // The utterance ended, or recognition failed (a failure is a final result without text).
    bool isFinal = false;
};

class SpeechRecognizer {
public:
    using PermissionAnswer = std::function<void(bool granted)>;
    using ResultHandler = std::function<void(const SpeechRecognitionResult&)>;

    virtual ~SpeechRecognizer() = default;
    virtual void requestMicrophoneAccess(PermissionAnswer answer) = 0;
    virtual void requestRecognitionAuthorization(PermissionAnswer answer) = 0;
    // Whether a recogniser for American English exists. Without one, start still captures audio but
    // nothing is ever recognised.
    virtual bool isRecognitionAvailable() const = 0;
    // Starts capture and recognition, replacing a running one; the error text when the microphone could
    // not be started.
    virtual std::optional<QString> start(ResultHandler handler) = 0;
    // Ends the audio and cancels recognition.
    virtual void stop() = 0;
};

} // namespace orbix
